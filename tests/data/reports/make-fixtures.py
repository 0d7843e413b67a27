#!/usr/bin/env python3
"""Writes the hand-made saved reports that the report tests load.

Each one has a correct header and checksum, so that the reader's checks of
the items themselves are what refuses or shows it."""
import base64
import struct
import zlib


def string(s):
    b = s.encode("utf-8")
    return struct.pack(">I", len(b)) + b


def item_head(kind, x=100.0, y=100.0, w=500.0, h=50.0, argb=0xFF000000):
    return struct.pack(">B4dI", kind, x, y, w, h, argb)


def text_line(text, underline=True):
    style = 2 if underline else 0
    return (item_head(1) + string(text) + string("Arial") + struct.pack(">d", 10.0)
            + struct.pack(">hB", 400, style) + struct.pack(">d", 40.0))


def rich_text(html):
    return item_head(3, h=1000.0) + string(html) + struct.pack(">d", 1000.0)


def report(pages, title="Made by hand"):
    body = struct.pack(">B", 0) + string(title) + struct.pack(">I", len(pages))
    for items in pages:
        body += struct.pack(">I", len(items)) + b"".join(items)
    head = b"VARNELRP" + struct.pack(">HHII", 1, 0, len(body), zlib.crc32(body) & 0xFFFFFFFF)
    return head + body


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)


write("empty-underlined-text.vrp", report([[text_line(""), text_line("Page 1")]]))
nested = "<table><tr><td>" * 400 + "deep" + "</td></tr></table>" * 400
write("nested-tables.vrp", report([[rich_text(nested)]]))
write("picture-dev-zero.vrp",
      report([[rich_text('<p>Dear friend</p><img src="/dev/zero" width="20" height="20">'
                         '<img src="file:///dev/zero">')]]))
write("picture-local-file.vrp",
      report([[rich_text('<p>Look</p><img src="file:///etc/hostname">'
                         '<link rel="stylesheet" href="/etc/passwd">'
                         '<table background="/dev/zero"><tr><td>x</td></tr></table>')]]))
# A picture the file carries itself: a 2x2 red PNG.
def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


png = base64.b64encode(
    b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 2, 2, 8, 2, 0, 0, 0))
    + png_chunk(b"IDAT", zlib.compress(b"\x00\xff\x00\x00\xff\x00\x00" * 2))
    + png_chunk(b"IEND", b"")).decode()
write("picture-inline.vrp",
      report([[rich_text('<p>Signed</p><img src="data:image/png;base64,%s">' % png),
               text_line("Page 1", underline=False)]]))

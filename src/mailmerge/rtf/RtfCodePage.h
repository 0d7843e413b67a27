#pragma once

#include <QByteArray>
#include <QString>

// Windows code pages as RTF names them (\ansicpg, \cpg, \fcharset). Windows-1252 is
// built in, because it is the default of every RTF file and of the plain-text
// fallback; the others go through the C library's iconv.
class RtfCodePage
{
public:
    static constexpr int Ansi = 1252;

    // The code page a font's \fcharset stands for; 0 when the charset names none
    // (ANSI, DEFAULT), so that the document's \ansicpg applies.
    static int fromCharset(int charset);
    // The \fcharset that goes with a code page (0 for 1252 and anything unknown).
    static int toCharset(int codePage);

    // Never fails: bytes that do not decode become U+FFFD, and an unknown code
    // page is read as Windows-1252.
    static QString decode(const QByteArray &bytes, int codePage);

    // The Windows-1252 byte for a character, or 0 when it has none.
    static char toAnsi(char32_t ucs);
    static QString fromAnsi(const QByteArray &bytes);
};

// Feeds any bytes to the saved report reader and paints every page it accepts.
// An input must end in a report or in a VarnelError, never in a crash, a hang,
// a sanitizer report or a read of any other file.
//
// Most random bytes would fail the file's checksum at once, so an input that
// does not start with the file's own header is taken as a body and given a
// correct header: the fuzzer then spends its time inside the items.
#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"
#include "reports/ReportPainter.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <array>

namespace {

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void putU32(QByteArray &out, quint32 v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((v >> shift) & 0xFF));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!input.startsWith("VARNELRP")) {
        QByteArray file("VARNELRP\0\1\0\0", 12);
        putU32(file, quint32(input.size()));
        putU32(file, crc32(input));
        input = file + input;
    }
    QBuffer buffer(&input);
    buffer.open(QIODevice::ReadOnly);
    PreparedReport report;
    try {
        report = PreparedReport::load(buffer);
    } catch (const VarnelError &) {
        return 0;
    }
    // A small page keeps each run quick; the painter scales, it does not clip.
    QImage page(105, 149, QImage::Format_ARGB32_Premultiplied);
    for (const PreparedPage &p : report.pages) {
        page.fill(Qt::white);
        QPainter painter(&page);
        paintPage(p, painter, 0.5);
    }
    return 0;
}

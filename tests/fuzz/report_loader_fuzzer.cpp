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

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    // Most inputs go straight to the body's reader, past the checksum that
    // would refuse nearly all of them.
    if (!input.startsWith("VARNELRP"))
        input = PreparedReport::framed(input);
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

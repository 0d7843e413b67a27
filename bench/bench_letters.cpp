// Merged letters: varnel-print's letters layout over 1,000 and 10,000 people
// (more on request), beside an anchor measured in the same run: this program
// drawing the same letter body, laid out once by Qt, onto one PDF page per
// person with the person's address lines above it. Both run as programs under
// /usr/bin/time -v: wall time and peak memory, per letter and as ratios.
//
// Usage: see kUsage below (bench_letters --help).

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "mailmerge/rtf/RtfReader.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextBlock>
#include <QTextLayout>
#include <cstdio>
#include <malloc.h>

namespace {

using Bench::Measure;
using Bench::timed;

const char kUsage[] =
    "usage: bench_letters [SIZE...] [--body LETTER.rtf]\n"
    "  SIZE    people in the book, one letter each (default 1000 10000)\n"
    "  --body  the letter body, RTF (default: a one-page letter,\n"
    "          " VARNEL_SOURCE_DIR "/bench/letter-body.rtf)\n"
    "Runs with any working folder; the books are made under the temporary folder.\n";

// The anchor: every person's address lines and the body, laid out once, drawn
// onto a page each with Qt's own text drawing. It has what varnel-print has:
// the body's shaped lines kept between pages, the same allocator settings.
int anchor(const QString &book, const QString &bodyFile, const QString &pdf)
{
    QFile f(bodyFile);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(bodyFile));
        return 1;
    }
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    QTextDocument body;
    RtfReader::read(f.readAll(), &body);
    for (QTextBlock block = body.begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);

    OpenedBook opened(book);
    AdoQuery &query = opened.query;

    constexpr int dpi = 1200;
    QPdfWriter writer(pdf);
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    const qreal dotsPerMm = dpi / 25.4;
    // The body at the letter's width (188 mm), in the document's own pixels.
    body.setDocumentMargin(0);
    body.setTextWidth(188.119 / 25.4 * 96);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(10);
    const char *fields[] = {"Town", "County", "PostCode", "Country"};
    bool first = true;
    for (query.first(); !query.eof(); query.next()) {
        if (!first)
            writer.newPage();
        first = false;
        painter.setFont(font);
        const qreal line = QFontMetricsF(font, &writer).height();
        qreal y = 10.5 * dotsPerMm;
        painter.drawText(QPointF(10.8 * dotsPerMm, y),
                         query.displayText(QStringLiteral("Firstname")) + QLatin1Char(' ') +
                             query.displayText(QStringLiteral("Surname")));
        y += line;
        painter.drawText(QPointF(10.8 * dotsPerMm, y), query.displayText(QStringLiteral("Address1")));
        for (const char *field : fields) {
            y += line;
            painter.drawText(QPointF(10.8 * dotsPerMm, y), query.displayText(QLatin1String(field)));
        }
        painter.drawText(QPointF(10.8 * dotsPerMm, 45 * dotsPerMm),
                         QStringLiteral("Dear ") + query.displayText(QStringLiteral("Firstname")) +
                             QLatin1Char(' ') + query.displayText(QStringLiteral("Surname")) +
                             QLatin1Char(','));
        painter.save();
        painter.translate(10.8 * dotsPerMm, 60.7 * dotsPerMm);
        painter.scale(dpi / 96.0, dpi / 96.0);
        body.drawContents(&painter, QRectF(0, 0, body.textWidth(), 206.64 / 25.4 * 96));
        painter.restore();
    }
    return painter.end() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    // Fonts and PDF output need a GUI application, but no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && QByteArray(argv[1]) == "--anchor") {
        QGuiApplication app(argc, argv);
        return anchor(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                      QString::fromLocal8Bit(argv[4]));
    }
    QGuiApplication app(argc, argv);
    QList<int> sizes;
    QString bodyFile = QStringLiteral(VARNEL_SOURCE_DIR "/bench/letter-body.rtf");
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("%s", kUsage);
            return 0;
        } else if (args[i] == QLatin1String("--body") && i + 1 < args.size()) {
            bodyFile = args[++i];
        } else if (args[i].toInt() > 0) {
            sizes << args[i].toInt();
        } else {
            std::fprintf(stderr, "bench_letters: unexpected %s\n%s", qPrintable(args[i]), kUsage);
            return 2;
        }
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000};
    if (!QFileInfo(bodyFile).isFile()) {
        std::fprintf(stderr, "bench_letters: no letter body at %s (see --help)\n",
                     qPrintable(bodyFile));
        return 2;
    }
    const QString ours = QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print");
    const QString self = QCoreApplication::applicationFilePath();

    std::printf("%8s | %7s %7s %8s %9s | %7s %7s %8s %9s | %6s %6s\n", "letters", "ours s",
                "CPU s", "ours MiB", "CPU ms/l", "anch s", "CPU s", "anch MiB", "CPU ms/l",
                "CPU", "mem");
    for (int people : sizes) {
        const QString book = BookGenerator::cached(people);
        QTemporaryDir dir;
        const Measure us =
            timed(ours, {book, QStringLiteral("letters"), dir.filePath(QStringLiteral("ours.pdf")),
                         QStringLiteral("--body"), bodyFile});
        const Measure base = timed(self, {QStringLiteral("--anchor"), book, bodyFile,
                                          dir.filePath(QStringLiteral("anchor.pdf"))});
        std::printf("%8d | %7.2f %7.2f %8.1f %9.3f | %7.2f %7.2f %8.1f %9.3f | %5.2fx %5.2fx\n",
                    people, us.seconds, us.cpuSeconds, us.peakMiB, us.cpuSeconds * 1e3 / people,
                    base.seconds, base.cpuSeconds, base.peakMiB, base.cpuSeconds * 1e3 / people,
                    us.cpuSeconds / base.cpuSeconds, us.peakMiB / base.peakMiB);
        std::fflush(stdout);
    }
    std::printf("s: wall; CPU: user + system; ms/l: CPU ms a letter, start-up included.\n"
                "CPU, mem: ours / the anchor's. goals: <= 1 ms a letter; < 200 MiB at 100,000 "
                "letters\n");
    return 0;
}

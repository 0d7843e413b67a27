// Address labels, 21 per A4 sheet, beside their floor (bench/floor_labels:
// cairo writing the same label lines at the same places into a PDF) and
// gLabels 3 printing the same addresses onto its Avery L7160 template. All
// run as programs under /usr/bin/time -v: wall time, peak memory and sheets,
// and the ratios.
//
// gLabels copies every record for every sheet it prints, so one run over
// 10,000 rows takes minutes; its best is to print chunks of 1,050 rows (50
// sheets) and join them with pdfunite. That chunked run is what we compare
// against.
//
// Usage: see kUsage below (bench_labels --help).

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <cstdio>

namespace {

using Bench::Measure;
using Bench::timed;

constexpr int kChunkRows = 1050;

const char kUsage[] =
    "usage: bench_labels [SIZE...] [--template FILE.glabels] [--peer-up-to N]\n"
    "  SIZE          people in the book (default 1000 10000 100000)\n"
    "  --template    the gLabels file for Avery L7160 that gLabels prints with;\n"
    "                without it (or without glabels-3-batch) gLabels is left out\n"
    "  --peer-up-to  largest size gLabels runs on (default 10000)\n";

QString csvField(QString s)
{
    if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) || s.contains('\n'))
        return QLatin1Char('"') + s.replace(QLatin1String("\""), QLatin1String("\"\"")) +
               QLatin1Char('"');
    return s;
}

// The book's rows in the order varnel-print prints them, as the peer's CSV
// chunks of `rowsPerFile` rows, each with the header line.
QStringList writeCsvChunks(const QString &book, const QString &stem, int rowsPerFile)
{
    OpenedBook opened(book);
    AdoQuery &query = opened.query;
    const char *fields[] = {"Firstname", "Surname", "Address1", "Address2", "A3_Village",
                            "Town",      "County",  "PostCode", "Country"};
    QStringList files;
    QFile file;
    QTextStream out;
    int row = 0;
    for (query.first(); !query.eof(); query.next(), ++row) {
        if (row % rowsPerFile == 0) {
            out.flush();
            file.close();
            files << QStringLiteral("%1-%2.csv").arg(stem).arg(files.size(), 3, 10, QChar('0'));
            file.setFileName(files.last());
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            out.setDevice(&file);
            out << "FIRST,LAST,ADDR1,ADDR2,VILLAGE,TOWN,COUNTY,POSTCODE,COUNTRY\n";
        }
        QStringList values;
        for (const char *f : fields)
            values << csvField(query.displayText(QLatin1String(f)));
        out << values.join(QLatin1Char(',')) << '\n';
    }
    out.flush();
    file.close();
    return files;
}

int pdfPages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(-1);
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(QString::fromLocal8Bit(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct PeerRun
{
    Measure measure;
    int sheets = 0;
};

// gLabels over the CSV chunks, one process each, joined with pdfunite.
PeerRun glabelsChunked(const QString &glabels, const QString &labelFile, const QStringList &csvs,
                       const QString &dir)
{
    PeerRun r;
    QStringList pdfs;
    for (const QString &csv : csvs) {
        pdfs << csv + QStringLiteral(".pdf");
        r.measure.add(timed(
            glabels, {QStringLiteral("-i"), csv, QStringLiteral("-o"), pdfs.last(), labelFile}));
    }
    const QString joined = dir + QStringLiteral("/glabels.pdf");
    if (pdfs.size() == 1) {
        QFile::remove(joined);
        QFile::rename(pdfs.first(), joined);
    } else {
        r.measure.add(timed(QStandardPaths::findExecutable(QStringLiteral("pdfunite")),
                            pdfs + QStringList{joined}));
    }
    r.sheets = pdfPages(joined);
    return r;
}

QString unescapeXml(QString s)
{
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

struct FloorInput
{
    QString family;
    double sizePt = 0;
};

// The lines of our PDF with their places, as the floor program reads them:
// "PAGE<TAB>X<TAB>Y<TAB>TEXT", Y the top of the line, in points.
FloorInput writeFloorLines(const QString &pdf, const QString &linesFile)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(-1);
    const QString xml = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression item(QStringLiteral(
        "<page |<line xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">|"
        "<word [^>]*>([^<]*)</word>|</line>"));
    QFile out(linesFile);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream ts(&out);
    FloorInput in{QStringLiteral("Liberation Sans"), 0};
    int page = -1;
    QString x, y;
    QStringList words;
    for (auto it = item.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const QString all = m.captured(0);
        if (all.startsWith(QLatin1String("<page"))) {
            ++page;
        } else if (all.startsWith(QLatin1String("<line"))) {
            x = m.captured(1);
            y = m.captured(2);
            // Liberation Sans's line box is 1.117 em.
            if (in.sizePt == 0)
                in.sizePt = std::round((m.captured(3).toDouble() - y.toDouble()) / 1.117 * 4) / 4;
            words.clear();
        } else if (all.startsWith(QLatin1String("<word"))) {
            words << unescapeXml(m.captured(4));
        } else {
            ts << page << '\t' << x << '\t' << y << '\t' << words.join(QLatin1Char(' ')) << '\n';
        }
    }
    return in;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    QString labelFile;
    int peerUpTo = 10000;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--help") || args[i] == QLatin1String("-h")) {
            std::printf("%s", kUsage);
            return 0;
        } else if (args[i] == QLatin1String("--template") && i + 1 < args.size())
            labelFile = args[++i];
        else if (args[i] == QLatin1String("--peer-up-to") && i + 1 < args.size())
            peerUpTo = args[++i].toInt();
        else
            sizes << args[i].toInt();
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};

    const QString ours = QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print");
    const QString glabels = QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch"));
    if (glabels.isEmpty())
        std::printf("glabels-3-batch is not installed (package glabels): ours only\n");
    if (labelFile.isEmpty())
        std::printf("no --template FILE.glabels given: gLabels left out (see --help)\n");
    else if (!QFileInfo(labelFile).isFile())
        std::printf("no gLabels file at %s: gLabels left out\n", qPrintable(labelFile));
    const bool peer = !glabels.isEmpty() && QFileInfo(labelFile).isFile();

    const QString floorProgram = QStringLiteral(VARNEL_BENCH_DIR "/floor_labels");
    std::printf("%8s | %7s %7s %8s %6s %8s | %7s %7s %8s %6s %6s %6s | %9s %9s %7s | %7s %7s\n",
                "people", "ours s", "CPU s", "ours MiB", "sheets", "us/label", "floor s", "CPU s",
                "floorMiB", "time", "CPU", "mem", "gLabels s", "gL MiB", "sheets", "speedup",
                "mem");
    for (int people : sizes) {
        const QString book = BookGenerator::cached(people);
        QTemporaryDir dir;
        QString said;
        const Measure us = timed(
            ours, {book, QStringLiteral("labels-21"), dir.filePath(QStringLiteral("ours.pdf"))},
            &said);
        const int sheets = said.section(QLatin1Char(' '), 0, 0).toInt();
        std::printf("%8d | %7.2f %7.2f %8.1f %6d %8.1f |", people, us.seconds, us.cpuSeconds,
                    us.peakMiB, sheets, us.seconds * 1e6 / people);
        const QString lines = dir.filePath(QStringLiteral("lines.txt"));
        const FloorInput in = writeFloorLines(dir.filePath(QStringLiteral("ours.pdf")), lines);
        const Measure floor =
            timed(floorProgram, {lines, dir.filePath(QStringLiteral("floor.pdf")), in.family,
                                 QString::number(in.sizePt)});
        std::printf(" %7.2f %7.2f %8.1f %5.2fx %5.2fx %5.2fx |", floor.seconds, floor.cpuSeconds,
                    floor.peakMiB, us.seconds / floor.seconds, us.cpuSeconds / floor.cpuSeconds,
                    us.peakMiB / floor.peakMiB);
        if (peer && people <= peerUpTo) {
            const QStringList csvs =
                writeCsvChunks(book, dir.filePath(QStringLiteral("rows")), kChunkRows);
            const PeerRun them = glabelsChunked(glabels, labelFile, csvs, dir.path());
            std::printf(" %9.2f %9.1f %7d | %6.1fx %6.2fx\n", them.measure.seconds,
                        them.measure.peakMiB, them.sheets, them.measure.seconds / us.seconds,
                        us.peakMiB / them.measure.peakMiB);
        } else {
            std::printf(" %9s %9s %7s | %7s %7s\n", "-", "-", "-", "-", "-");
        }
        std::fflush(stdout);
    }
    std::printf("s: wall; CPU: user + system. floor time, CPU, mem: ours / the floor's; speedup: gLabels' chunked time / ours; "
                "mem: our peak / theirs.\n"
                "goals: time <= 2x the floor; < 100 MiB at 100,000; speedup >= 10 from 1,000 "
                "up\n");
    return 0;
}

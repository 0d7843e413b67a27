// Contacts in and out for 100,000 people: export to CSV and vCard 3.0, and
// import of each into a blank book (read once to count, fit and check, then
// read again and written in one transaction), beside the sqlite3 shell's own
// .import of the same CSV, measured in the same run.

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "exchange/Exchange.h"
#include "exchange/ImportPlan.h"
#include "store/AddressFields.h"
#include "store/AdoConnection.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QFile>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <limits>

namespace {
const char *const kSchema = VARNEL_BOOK_SCHEMA;

QString blank(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {path, QStringLiteral(".read ") + QString::fromUtf8(kSchema)});
    p.waitForFinished(-1);
    return path;
}

struct ImportTimes
{
    double readMs = 0;  // the first reading: counted, fitted, checked
    double writeMs = 0; // the second reading, written in one transaction
    qint64 count = 0;
};

// Best of three, each into a fresh blank book.
ImportTimes importTimes(const QTemporaryDir &dir, const QString &file, Exchange::Format format)
{
    ImportTimes best{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 0};
    for (int run = 0; run < 3; ++run) {
        const QString book = blank(dir, QStringLiteral("in.vdf"));
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        c.open();
        auto source = Exchange::open(file, format);
        ImportPlan plan(*source);
        QElapsedTimer t;
        t.start();
        plan.scan(0);
        const double read = t.nsecsElapsed() / 1e6;
        t.restart();
        best.count = plan.apply(c);
        const double write = t.nsecsElapsed() / 1e6;
        if (read + write < best.readMs + best.writeMs)
            best = ImportTimes{read, write, best.count};
    }
    return best;
}

// The sqlite3 shell running `script` on a fresh blank book; best of three.
double shellMs(const QTemporaryDir &dir, const QString &script)
{
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < 3; ++run) {
        const QString target = blank(dir, QStringLiteral("shell.vdf"));
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral("sqlite3"), {target});
        p.write(script.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int people = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString file = BookGenerator::cached(people);
    QTemporaryDir dir;
    AdoConnection book;
    book.setConnectionString(AdoConnection::connectionStringFor(file));
    const QString csv = dir.filePath(QStringLiteral("people.csv"));
    const QString vcf = dir.filePath(QStringLiteral("people.vcf"));

    const double csvOutMs = Bench::bestMs(3, [&] {
        Exchange::exportSelection(book, SelectionStatements::all(), csv, Exchange::Format::Csv);
    });
    const double vcfOutMs = Bench::bestMs(3, [&] {
        Exchange::exportSelection(book, SelectionStatements::all(), vcf, Exchange::Format::VCard, 3);
    });
    const ImportTimes csvIn = importTimes(dir, csv, Exchange::Format::Csv);
    const double rssBefore = Bench::residentMiB();
    const ImportTimes vcfIn = importTimes(dir, vcf, Exchange::Format::VCard);
    const double rssAfter = Bench::residentMiB();

    // The floor: the sqlite3 shell's own .import of the same file, started
    // the same way on a blank book each time. Bare, into a new table of
    // plain text columns; and on into HomeAd, with its checks, empty values
    // as no value as the program stores them.
    const double shellStartMs = shellMs(dir, QString());
    const double shellBareMs = shellMs(dir, QStringLiteral(".import --csv '%1' Staging\n").arg(csv)) - shellStartMs;
    QStringList names, values;
    for (const QString &c : AddressFields::storedNames()) {
        names << '"' + c + '"';
        values << QStringLiteral("NULLIF(\"%1\", '')").arg(c);
    }
    const double shellHomeAdMs =
        shellMs(dir, QStringLiteral(".import --csv '%1' Staging\nBEGIN;\nINSERT INTO HomeAd (%2) SELECT %3 FROM "
                                    "Staging;\nDROP TABLE Staging;\nCOMMIT;\n")
                         .arg(csv, names.join(','), values.join(','))) -
        shellStartMs;

    std::printf("people                                       %d\n", people);
    std::printf("CSV file (MB)                                %.1f\n", QFile(csv).size() / 1e6);
    std::printf("vCard 3.0 file (MB)                          %.1f\n", QFile(vcf).size() / 1e6);
    std::printf("export CSV (ms)                              %.1f\n", csvOutMs);
    std::printf("export vCard 3.0 (ms)                        %.1f\n", vcfOutMs);
    std::printf("import CSV: first reading (ms)               %.1f\n", csvIn.readMs);
    std::printf("import CSV: second reading + write (ms)      %.1f  (%lld records)\n", csvIn.writeMs, csvIn.count);
    std::printf("import CSV in all (ms)                       %.1f\n", csvIn.readMs + csvIn.writeMs);
    std::printf("import vCard: first reading (ms)             %.1f\n", vcfIn.readMs);
    std::printf("import vCard: second reading + write (ms)    %.1f  (%lld records)\n", vcfIn.writeMs, vcfIn.count);
    std::printf("import vCard in all (ms)                     %.1f\n", vcfIn.readMs + vcfIn.writeMs);
    std::printf("floor: sqlite3 .import CSV, new table (ms)   %.1f\n", shellBareMs);
    std::printf("floor: sqlite3 .import CSV into HomeAd (ms)  %.1f\n", shellHomeAdMs);
    std::printf("ratio CSV import / .import into HomeAd       %.2f\n", (csvIn.readMs + csvIn.writeMs) / shellHomeAdMs);
    std::printf("ratio CSV write alone / .import into HomeAd  %.2f\n", csvIn.writeMs / shellHomeAdMs);
    std::printf("memory growth over the vCard import (MiB)    %.1f\n", rssAfter - rssBefore);
    return 0;
}

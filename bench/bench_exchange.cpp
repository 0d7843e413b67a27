// Contacts in and out for 100,000 people: export to CSV and vCard 3.0, and
// import of each into a blank book (read, mapped, fitted and written in one
// transaction), beside the sqlite3 shell's own .import of the same CSV.

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "exchange/Exchange.h"
#include "exchange/ImportPlan.h"
#include "store/AdoConnection.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

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

double importMs(const QTemporaryDir &dir, const QString &file, Exchange::Format format, qint64 *count)
{
    return Bench::bestMs(3, [&] {
        const QString book = blank(dir, QStringLiteral("in.vdf"));
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        auto source = Exchange::open(file, format);
        ImportPlan plan(*source);
        plan.scan(0);
        *count = plan.apply(c);
    });
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
    // Making a blank book (the sqlite3 shell reading the schema) comes off
    // every import's time below.
    const double shellBlankMs = Bench::bestMs(3, [&] { blank(dir, QStringLiteral("shell.vdf")); });
    qint64 csvIn = 0, vcfIn = 0;
    const double rssBefore = Bench::residentMiB();
    const double csvInMs = importMs(dir, csv, Exchange::Format::Csv, &csvIn) - shellBlankMs;
    const double vcfInMs = importMs(dir, vcf, Exchange::Format::VCard, &vcfIn) - shellBlankMs;
    const double rssAfter = Bench::residentMiB();

    // The shell's own import of the same file into the same table, in its
    // own transaction, from a blank book each time.
    const double shellMs = Bench::bestMs(3, [&] {
        const QString target = blank(dir, QStringLiteral("shell.vdf"));
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sqlite3"),
                {target, QStringLiteral(".import --csv %1 HomeAdCsv").arg(csv)});
        p.waitForFinished(-1);
    });

    std::printf("people                                  %d\n", people);
    std::printf("CSV file (MB)                           %.1f\n", QFile(csv).size() / 1e6);
    std::printf("vCard 3.0 file (MB)                     %.1f\n", QFile(vcf).size() / 1e6);
    std::printf("export CSV (ms)                         %.1f\n", csvOutMs);
    std::printf("export vCard 3.0 (ms)                   %.1f\n", vcfOutMs);
    std::printf("import CSV, read twice + write (ms)     %.1f  (%lld records)\n", csvInMs, csvIn);
    std::printf("import vCard, read twice + write (ms)   %.1f  (%lld records)\n", vcfInMs, vcfIn);
    std::printf("sqlite3 shell .import same CSV (ms)     %.1f\n", shellMs - shellBlankMs);
    std::printf("ratio CSV import / shell                %.2f\n", csvInMs / (shellMs - shellBlankMs));
    std::printf("memory growth over both imports (MiB)   %.1f\n", rssAfter - rssBefore);
    return 0;
}

// File book against server book on the same machine: opening 100,000 people,
// the letter filter, a search, a NOT search and a save, each on both; then 10
// clients saving the same few records in a loop on the server book (saves per
// second, refusals, and a check that no save was lost).
//
// Needs a server: run it as  scripts/pgserver run build/bench/bench_serverbook [PEOPLE]

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/BookAddress.h"
#include "store/BookTransfer.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <memory>

namespace {

QString serverUri(const QString &database)
{
    BookAddress::Server s;
    s.host = qEnvironmentVariable("PGHOST");
    s.port = qEnvironmentVariableIntValue("PGPORT");
    s.user = qEnvironmentVariable("PGUSER");
    s.database = database;
    return BookAddress::uriFor(s);
}

bool recreate(const QString &database)
{
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setHostName(qEnvironmentVariable("PGHOST"));
        db.setPort(qEnvironmentVariableIntValue("PGPORT"));
        db.setUserName(qEnvironmentVariable("PGUSER"));
        db.setDatabaseName(QStringLiteral("postgres"));
        ok = db.open();
        QSqlQuery q(db);
        ok = ok &&
             q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database)) &&
             q.exec(QStringLiteral("CREATE DATABASE %1").arg(database));
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text() + db.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return ok;
}

struct Figures
{
    double open, letter, search, notSearch, save;
};

Figures measure(const QString &address)
{
    Figures f{};
    AdoConnection connection;
    connection.setBook(address);
    AdoQuery query(&connection);
    auto run = [&](const QStringList &statement) {
        return Bench::bestMs(3, [&] {
            query.close();
            query.setSql(statement);
            query.open();
        });
    };
    f.open = run(SelectionStatements::all());
    f.letter = run(SelectionStatements::letter('M'));
    f.search =
        run(SelectionStatements::search(QStringLiteral("Town"), QStringLiteral("ton"), false));
    f.notSearch =
        run(SelectionStatements::search(QStringLiteral("Town"), QStringLiteral("ton"), true));
    query.close();
    query.setSql(SelectionStatements::letter('M'));
    query.open();
    const int saves = 200;
    f.save = Bench::bestMs(1,
                           [&] {
                               for (int i = 0; i < saves; ++i) {
                                   query.moveTo(i % 50);
                                   query.setFieldValue(QStringLiteral("Flag2"), QString::number(i));
                                   query.post();
                               }
                           }) /
             saves;
    return f;
}

// One client: saves a counter into one of the first five records again and
// again for `seconds`; prints its saves and refusals.
int client(const QString &address, int seconds)
{
    AdoConnection connection;
    connection.setBook(address);
    AdoQuery query(&connection);
    query.setSql({QStringLiteral("SELECT * FROM HomeAd WHERE Flag LIKE 'busy%'"),
                  QStringLiteral("ORDER BY Surname")});
    int saved = 0, refused = 0, i = 0;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < seconds * 1000) {
        query.close();
        query.open();
        query.moveTo(i++ % 5);
        const int n = query.fieldValue(QStringLiteral("Flag2")).toString().toInt();
        query.setFieldValue(QStringLiteral("Flag2"), QString::number(n + 1));
        try {
            query.post();
            ++saved;
        } catch (const VarnelError &) {
            ++refused;
            query.cancel();
        }
    }
    std::printf("%d %d\n", saved, refused);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("VARNEL_BENCH_CLIENT"))
        return client(qEnvironmentVariable("VARNEL_BENCH_CLIENT"), atoi(argv[1]));
    if (!qEnvironmentVariableIsSet("PGHOST")) {
        std::fprintf(stderr, "Run it with a server: scripts/pgserver run %s [PEOPLE]\n", argv[0]);
        return 1;
    }
    const int people = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString file = BookGenerator::cached(people);
    if (!recreate(QStringLiteral("bench_book")))
        return 1;
    const QString server = serverUri(QStringLiteral("bench_book"));
    QElapsedTimer t;
    t.start();
    BookTransfer::copy(file, server, true, QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"));
    const double copyMs = t.nsecsElapsed() / 1e6;

    const Figures onFile = measure(file);
    const Figures onServer = measure(server);
    std::printf("people                         %d\n", people);
    std::printf("copy file -> server (ms)       %.0f\n", copyMs);
    std::printf("%-30s %10s %10s\n", "(ms, best of 3)", "file", "server");
    std::printf("%-30s %10.1f %10.1f\n", "open, surname order", onFile.open, onServer.open);
    std::printf("%-30s %10.1f %10.1f\n", "letter M", onFile.letter, onServer.letter);
    std::printf("%-30s %10.1f %10.1f\n", "search Town ton", onFile.search, onServer.search);
    std::printf("%-30s %10.1f %10.1f\n", "NOT search Town ton", onFile.notSearch,
                onServer.notSearch);
    std::printf("%-30s %10.2f %10.2f\n", "one save", onFile.save, onServer.save);

    // Ten clients on a small book, all saving the same five records.
    if (!recreate(QStringLiteral("bench_busy")))
        return 1;
    const QString busy = serverUri(QStringLiteral("bench_busy"));
    BookTransfer::copy(BookGenerator::cached(1000), busy, true,
                       QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"));
    {
        AdoConnection c;
        c.setBook(busy);
        c.execute(
            QStringLiteral("UPDATE homead SET \"Flag\" = 'busy', \"Flag2\" = '0' WHERE \"ID\" IN "
                           "(SELECT \"ID\" FROM homead ORDER BY \"ID\" LIMIT 5)"));
    }
    const int clients = 10, seconds = 5;
    std::vector<std::unique_ptr<QProcess>> running;
    for (int i = 0; i < clients; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARNEL_BENCH_CLIENT"), busy);
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), {QString::number(seconds)});
        running.push_back(std::move(p));
    }
    long saved = 0, refused = 0;
    for (auto &p : running) {
        p->waitForFinished(-1);
        const QList<QByteArray> n = p->readAllStandardOutput().trimmed().split(' ');
        saved += n.value(0).toLong();
        refused += n.value(1).toLong();
    }
    AdoConnection c;
    c.setBook(busy);
    const AdoConnection::Result r = c.select(
        QStringLiteral("SELECT * FROM HomeAd WHERE Flag LIKE 'busy%'"), {QStringLiteral("Flag2")});
    long stored = 0;
    for (const AdoConnection::Row &row : r.rows)
        stored += row.values[0].toString().toLong();
    std::printf(
        "%d clients, %d s, same 5 records: %.0f saves/s, %ld refused, %ld saved, %ld stored "
        "(%s)\n",
        clients, seconds, double(saved) / seconds, refused, saved, stored,
        stored == saved ? "nothing lost" : "SAVES LOST");
    return stored == saved ? 0 : 1;
}

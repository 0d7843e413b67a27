// Opening 100,000 and 1,000,000 people (or the sizes given): the time from
// sending the statement to the grid being ready, against the C floor and the
// sqlite3 shell reading the same statement; a full in-place sort; and the
// memory the open rows take.
//
// Usage: bench_open [SIZE...]

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "dbaware/DBGrid.h"
#include "app/HomeGrid.h"

#include <QApplication>
#include <cstdio>
#include <limits>
#include <malloc.h>

namespace {

void measure(int people)
{
    const QString file = BookGenerator::cached(people);
    const QString statement = QStringLiteral("SELECT * FROM HomeAd\nORDER BY Surname");

    const double rssBefore = Bench::residentMiB();
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::connectionStringFor(file));
    AdoQuery query(&connection);
    query.setSql({QStringLiteral("SELECT * FROM HomeAd"), QStringLiteral("ORDER BY Surname")});
    DataSource source(&query);
    DBGrid grid(&source, TfmHomeAddMain::gridColumns());
    grid.resize(1000, 330);
    grid.show();
    QApplication::processEvents();

    double openMs = std::numeric_limits<double>::max(), openCpuMs = openMs;
    for (int i = 0; i < 3; ++i) {
        const double cpu0 = Bench::cpuMs();
        openMs = std::min(openMs, Bench::bestMs(1, [&] {
                              query.close();
                              connection.close();
                              query.open();
                              grid.repaint(); // the grid is ready when its first screen is painted
                          }));
        openCpuMs = std::min(openCpuMs, Bench::cpuMs() - cpu0);
    }
    // Of that, connecting to the book alone: the file's checks at every
    // connection, before any row is read.
    const double connectCpuMs = Bench::bestCpuMs(3, [&] {
        query.close();
        connection.close();
        connection.open();
    });
    query.open();
    const double shellMs = Bench::sqliteShellMs(file, statement.simplified());
    const Bench::Floor floor = Bench::floorOpen(file, statement.simplified());
    const double rssOpen = Bench::residentMiB();
    // The same program with the rows closed and what they freed given back:
    // the window, the connection and the caches stay, so the difference is
    // the rows alone.
    query.close();
    malloc_trim(0);
    const double rssClosed = Bench::residentMiB();
    query.open();

    const double sortMs = Bench::bestMs(3, [&] {
        query.setSort(QStringLiteral("Town ASC"));
        query.setSort(QString());
    });
    const double sortSurnameDescMs = Bench::bestMs(3, [&] { query.setSort(QStringLiteral("Surname DESC")); });

    const double scrollMs = Bench::bestMs(1, [&] {
        for (int i = 0; i < 200; ++i) {
            query.moveTo(i * (people / 200));
            grid.repaint();
        }
    }) / 200;

    const double rawMiB = floor.textBytes / 1048576.0;
    std::printf("people                        %d\n", people);
    std::printf("open to grid ready (ms)       %.1f wall, %.1f CPU\n", openMs, openCpuMs);
    std::printf("C floor, same statement (ms)  %.1f wall, %.1f CPU  (%lld rows)\n", floor.wallMs,
                floor.cpuMs, floor.rows);
    std::printf("  ratio CPU (goal <= 1.5)     %.2f\n", openCpuMs / floor.cpuMs);
    std::printf("  of the open, connecting     %.1f CPU; the rest / the floor %.2f\n", connectCpuMs,
                (openCpuMs - connectCpuMs) / floor.cpuMs);
    std::printf("sqlite3 shell, same statement %.1f\n", shellMs);
    std::printf("  ratio wall (goal <= 1.2)    %.2f\n", openMs / shellMs);
    std::printf("in-place sort, Town ASC (ms)  %.1f\n", sortMs);
    std::printf("in-place sort, Surname DESC   %.1f\n", sortSurnameDescMs);
    std::printf("jump and repaint, per move    %.2f ms\n", scrollMs);
    std::printf("resident memory (MiB)         %.1f before, %.1f with the rows open, %.1f closed\n",
                rssBefore, rssOpen, rssClosed);
    std::printf("raw text of the rows (MiB)    %.1f\n", rawMiB);
    std::printf("  open - before / raw text    %.1f (goal <= 3)\n", (rssOpen - rssBefore) / rawMiB);
    std::printf("  open - closed / raw text    %.1f (goal <= 3)\n", (rssOpen - rssClosed) / rawMiB);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int people : Bench::sizesFrom(argc, argv, {100000, 1000000}))
        measure(people);
    return 0;
}

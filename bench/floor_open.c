/* The floor for opening a book: the same SELECT through the SQLite C API,
 * every column of every row read as text (what the query keeps). Prints the
 * best of N runs in ms, wall and CPU, and the rows and bytes read.
 *
 * Usage: floor_open FILE "STATEMENT" [RUNS] */

#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double nowMs(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: floor_open FILE \"STATEMENT\" [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? atoi(argv[3]) : 3;
    double bestWall = 1e300, bestCpu = 1e300;
    long long rows = 0, bytes = 0;
    for (int r = 0; r < runs; ++r) {
        const double w0 = nowMs(CLOCK_MONOTONIC), c0 = nowMs(CLOCK_PROCESS_CPUTIME_ID);
        sqlite3 *db = NULL;
        if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK) {
            fprintf(stderr, "%s\n", sqlite3_errmsg(db));
            return 1;
        }
        sqlite3_stmt *st = NULL;
        if (sqlite3_prepare_v2(db, argv[2], -1, &st, NULL) != SQLITE_OK) {
            fprintf(stderr, "%s\n", sqlite3_errmsg(db));
            return 1;
        }
        const int columns = sqlite3_column_count(st);
        rows = bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c) {
                const unsigned char *text = sqlite3_column_text(st, c);
                if (text)
                    bytes += sqlite3_column_bytes(st, c);
            }
            ++rows;
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        const double wall = nowMs(CLOCK_MONOTONIC) - w0, cpu = nowMs(CLOCK_PROCESS_CPUTIME_ID) - c0;
        if (wall < bestWall)
            bestWall = wall;
        if (cpu < bestCpu)
            bestCpu = cpu;
    }
    printf("%.3f %.3f %lld %lld\n", bestWall, bestCpu, rows, bytes);
    return 0;
}

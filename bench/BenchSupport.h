#pragma once

// Small timing helpers shared by the benchmarks.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <functional>
#include <limits>
#include <time.h>

namespace Bench {

// Best wall time of `runs` runs, in milliseconds.
inline double bestMs(int runs, const std::function<void()> &f)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// Best time of the sqlite3 shell running `statement` on `file`, output thrown away.
inline double sqliteShellMs(const QString &file, const QString &statement, int runs = 3)
{
    return bestMs(runs, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral("sqlite3"), {QStringLiteral("-readonly"), file, statement});
        p.waitForFinished(-1);
    });
}

// CPU time this process has used, in milliseconds.
inline double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Best CPU time of `runs` runs, in milliseconds.
inline double bestCpuMs(int runs, const std::function<void()> &f)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        const double start = cpuMs();
        f();
        best = std::min(best, cpuMs() - start);
    }
    return best;
}

// The C floor (bench/floor_open): the same statement through the SQLite C
// API, every column read. Best of `runs` runs inside that program.
struct Floor
{
    double wallMs = -1, cpuMs = -1;
    qint64 rows = 0, textBytes = 0;
};

inline Floor floorOpen(const QString &file, const QString &statement, int runs = 5)
{
    QProcess p;
    p.start(QStringLiteral(VARNEL_BENCH_DIR "/floor_open"),
            {file, statement, QString::number(runs)});
    p.waitForFinished(-1);
    const QList<QByteArray> f = p.readAllStandardOutput().simplified().split(' ');
    Floor r;
    if (f.size() == 4) {
        r.wallMs = f[0].toDouble();
        r.cpuMs = f[1].toDouble();
        r.rows = f[2].toLongLong();
        r.textBytes = f[3].toLongLong();
    }
    return r;
}

// Resident memory of this process, in MiB.
inline double residentMiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

} // namespace Bench

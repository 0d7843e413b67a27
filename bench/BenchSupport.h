#pragma once

// Small timing helpers shared by the benchmarks.

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <functional>
#include <algorithm>
#include <cstdio>
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

// A program's wall time, CPU time (user and system) and peak memory, as
// /usr/bin/time -v reports them. On a machine other work shares, the CPU time
// is the steadier figure.
struct Measure
{
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
    bool ok = true;

    // Runs one after the other: their times add up, the peak is the higher.
    void add(const Measure &m)
    {
        seconds += m.seconds;
        cpuSeconds += m.cpuSeconds;
        peakMiB = std::max(peakMiB, m.peakMiB);
        ok = ok && m.ok;
    }
};

// Runs a program under /usr/bin/time -v; its own output goes to `output`.
// A program that fails has its error output printed.
inline Measure timed(const QString &program, const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-v"), program} + args);
    p.waitForFinished(-1);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    if (output)
        *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    Measure m;
    m.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    static const QRegularExpression wall(
        QStringLiteral("Elapsed \\(wall clock\\) time.*: (?:(\\d+):)?(\\d+):([\\d.]+)"));
    static const QRegularExpression rss(QStringLiteral("Maximum resident set size.*: (\\d+)"));
    static const QRegularExpression cpu(
        QStringLiteral("User time \\(seconds\\): ([\\d.]+)\\s+System time \\(seconds\\): ([\\d.]+)"));
    if (const auto c = cpu.match(err); c.hasMatch())
        m.cpuSeconds = c.captured(1).toDouble() + c.captured(2).toDouble();
    if (const auto w = wall.match(err); w.hasMatch())
        m.seconds = w.captured(1).toDouble() * 3600 + w.captured(2).toDouble() * 60 +
                    w.captured(3).toDouble();
    if (const auto r = rss.match(err); r.hasMatch())
        m.peakMiB = r.captured(1).toDouble() / 1024;
    if (!m.ok)
        std::fprintf(stderr, "%s failed:\n%s\n", qPrintable(program), qPrintable(err.right(2000)));
    return m;
}

// The book sizes given as arguments, or the defaults.
inline QList<int> sizesFrom(int argc, char **argv, const QList<int> &defaults)
{
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << QByteArray(argv[i]).toInt();
    return sizes.isEmpty() ? defaults : sizes;
}

} // namespace Bench

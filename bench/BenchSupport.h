#pragma once

// Small timing helpers shared by the benchmarks.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <functional>
#include <limits>

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

// Start-up to first paint: from starting the program to its main window's
// first paint finished, the program opening a book of 1,000 people (or SIZE),
// beside a minimal Qt widgets program that shows one small window, measured in
// the same run. Each is started as a fresh process, in turns, and the median
// of the runs is given.
//
// Usage: bench_startup [SIZE] [RUNS]

#include "BookGenerator.h"

#include "app/VarnelApp.h"
#include "platform/ProgramFolder.h"
#include "platform/StartupBook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>
#include <time.h>

namespace {

qint64 nowNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Ends the program once a window has painted for the first time: the zero
// timer fires after the paint event in hand, and every other paint of the same
// update, is done. Prints the milliseconds since `startNs`.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(qint64 startNs) : m_startNs(startNs) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_seen = true;
            // Which window painted is printed too: a message box or a dialog
            // coming first would not be the start-up being measured.
            const QString window = static_cast<QWidget *>(watched)->window()->objectName();
            QTimer::singleShot(0, [this, window] {
                timespec cpu{};
                clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
                std::printf("%.3f %.3f %s\n", (nowNs() - m_startNs) / 1e6,
                            cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6, qPrintable(window));
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    qint64 m_startNs;
    bool m_seen = false;
};

int child(int argc, char **argv)
{
    const QByteArray kind = argv[2];
    const qint64 start = QByteArray(argv[3]).toLongLong();
    QApplication app(argc, argv);
    FirstPaint watch(start);
    app.installEventFilter(&watch);
    if (kind == "minimal") {
        // The least a desktop program shows: a window with a menu, a line of
        // text and a status bar, so that it too loads the fonts and the style.
        auto *w = new QMainWindow;
        w->setObjectName(QStringLiteral("minimal"));
        w->menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
        w->setCentralWidget(new QLabel(QStringLiteral("Hello"), w));
        w->statusBar()->showMessage(QStringLiteral("Ready"));
        w->resize(800, 500);
        w->show();
        return app.exec();
    }
    ProgramFolder::set(QString::fromLocal8Bit(argv[5]));
    StartupBook::request(QString::fromLocal8Bit(argv[4]));
    return VarnelApp::run(app);
}

struct Start
{
    double wallMs, cpuMs;
};

Start runChild(const QString &self, const QStringList &args, const QProcessEnvironment &env,
               const QString &window)
{
    QProcess p;
    p.setProcessEnvironment(env);
    const qint64 start = nowNs();
    p.start(self, QStringList{QStringLiteral("--child"), args.first(), QString::number(start)} +
                      args.mid(1));
    p.waitForFinished(-1);
    const QList<QByteArray> said = p.readAllStandardOutput().simplified().split(' ');
    bool ok = false;
    const double ms = said.first().toDouble(&ok);
    const QString painted = said.size() > 2 ? QString::fromLocal8Bit(said[2]) : QString();
    if (!ok || painted != window) {
        std::fprintf(stderr, "%s: the first window painted was \"%s\", not \"%s\"\n%s\n",
                     qPrintable(args.first()), qPrintable(painted), qPrintable(window),
                     p.readAllStandardError().constData());
        std::exit(1);
    }
    return {ms, said[1].toDouble()};
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child")
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    const int people = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 9;
    const QString book = BookGenerator::cached(people);

    // A program folder of its own, so that no earlier window size or book
    // choice of the user's comes in; the start-up options window is turned
    // off, as everyone does after the first start.
    QTemporaryDir folder;
    const QDir fixed(QStringLiteral(VARNEL_SOURCE_DIR "/resources/program"));
    for (const QString &name : fixed.entryList(QDir::Files))
        QFile::copy(fixed.filePath(name), folder.filePath(name));
    QFile ini(folder.filePath(QStringLiteral("VarnIni.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Options]\r\nShow Form=0\r\n") < 0)
        return 1;
    ini.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString self = QCoreApplication::applicationFilePath();

    QList<double> ours, minimal, oursCpu, minimalCpu;
    for (int i = 0; i < runs; ++i) {
        const Start m = runChild(self, {QStringLiteral("minimal")}, env, QStringLiteral("minimal"));
        const Start o = runChild(self, {QStringLiteral("varnel"), book, folder.path()}, env,
                                 QStringLiteral("fmHomeAddMain"));
        minimal << m.wallMs;
        minimalCpu << m.cpuMs;
        ours << o.wallMs;
        oursCpu << o.cpuMs;
    }
    const double o = median(ours), m = median(minimal);
    const double oc = median(oursCpu), mc = median(minimalCpu);
    std::printf("start-up to first paint, median of %d (ms)  wall    CPU\n", runs);
    std::printf("  Varnel, %6d people                  %6.1f  %6.1f\n", people, o, oc);
    std::printf("  minimal Qt window                      %6.1f  %6.1f\n", m, mc);
    std::printf("  ratio (goal <= 1.5)                    %6.2f  %6.2f\n", o / m, oc / mc);
    return 0;
}

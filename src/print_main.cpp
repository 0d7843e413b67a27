#include "reports/PrintCommand.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <malloc.h>

int main(int argc, char *argv[])
{
    // The PDF writer takes and gives back the same large buffers for every
    // page; left to the allocator's defaults each one is a fresh mapping that
    // is faulted in again page after page. A run's memory stays flat either way.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    // Fonts and PDF output need a GUI application, but no screen: a script or
    // a cron job has none.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("varnel-print"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    return PrintCommand::run(args, out, err);
}

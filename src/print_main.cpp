#include "reports/PrintCommand.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
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

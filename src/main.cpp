#include "app/VarnelApp.h"
#include "platform/StartupBook.h"
#include "store/BookAddress.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

namespace {
const char kUsage[] = "Usage: varnel [FILE.vdf | postgresql://user@host:port/database]\n"
                      "Opens the address book FILE.vdf or the server book at that address,\n"
                      "or else the one chosen at start-up.\n";
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Qt has taken its own options (-style, -platform, ...) out by now.
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (int i = 0; i < args.size(); ++i) {
        if (i > 0 || args[i].startsWith('-')) {
            std::fprintf(stderr, "varnel: unexpected %s\n%s", qPrintable(args[i]), kUsage);
            return 2;
        }
    }
    if (!args.isEmpty() && BookAddress::isServer(args[0])) {
        StartupBook::request(args[0]);
    } else if (!args.isEmpty()) {
        // A file manager may hand over a file: URL rather than a path.
        const QUrl url(args[0]);
        const QString path = url.isLocalFile() ? url.toLocalFile() : args[0];
        StartupBook::request(QFileInfo(path).absoluteFilePath());
    }
    return VarnelApp::run(app);
}

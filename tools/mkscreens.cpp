// Pictures of the main window, the record card and a report preview, for
// looking at the program under another style, a dark palette or a scale
// factor without a desktop:
//   QT_QPA_PLATFORM=offscreen [QT_SCALE_FACTOR=2] mkscreens PROGRAM_FOLDER OUTDIR [--dark]
// The program runs on a scratch copy of the program folder's books.
#include "app/HomeGrid.h"
#include "app/VarnelApp.h"
#include "entry/RecordCard.h"
#include "platform/ProgramFolder.h"
#include "platform/ScriptedPlatform.h"
#include "reports/Report.h"
#include "reports/RpPreview.h"
#include "widgets/DarkPalette.h"

#include <QPushButton>
#include <memory>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

bool save(QWidget *w, const QString &path)
{
    w->show();
    w->raise();
    QApplication::processEvents();
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "mkscreens: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkscreens PROGRAM_FOLDER OUTDIR [--dark]\n");
        return 2;
    }
    const QDir built(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]) + '/';
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (argc > 3 && QByteArray(argv[3]) == "--dark")
        QApplication::setPalette(darkPalette());

    QTemporaryDir scratch;
    for (const char *name : {"Varnel.vdf", "NewFile.vdf", "ListFile.txt"})
        QFile::copy(built.filePath(QLatin1String(name)), scratch.filePath(QLatin1String(name)));
    QFile ini(scratch.filePath(QStringLiteral("VarnIni.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Options]\r\nShow Form=0\r\n");
    ini.close();
    ProgramFolder::set(scratch.path());
    ScriptedPlatform platform;
    auto program = std::make_unique<VarnelApp>();
    QApplication::processEvents();
    TfmHomeAddMain *mainWindow = program->mainWindow();

    bool ok = save(mainWindow, out + "main.png");
    mainWindow->findChild<QPushButton *>(QStringLiteral("btnRecCard"))->click();
    QWidget *card = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("fmRecCard"))
            card = w;
    ok = card && save(card, out + "card.png") && ok;
    if (card)
        card->close();

    // The phone list's preview, once its pages are ready.
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *p = qobject_cast<TRpStandardPreview *>(w);
            if (p && p->isVisible() && p->complete()) {
                poll.stop();
                p->resize(900, 700);
                ok = save(p, out + "preview.png") && ok;
                p->close();
                return;
            }
        }
    });
    poll.start();
    mainWindow->findChild<QAction *>(QStringLiteral("miPhoneList"))->trigger();

    for (const QString &line : platform.dialogs.log)
        std::fprintf(stderr, "mkscreens: %s\n", qPrintable(line));
    return ok ? 0 : 1;
}

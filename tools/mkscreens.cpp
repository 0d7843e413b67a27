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

// A dark palette of the kind desktops offer: light text on dark grounds.
QPalette darkPalette()
{
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), button(60, 60, 64);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, QColor(70, 70, 50));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, button.lighter(150));
    p.setColor(QPalette::Midlight, button.lighter(125));
    p.setColor(QPalette::Mid, button.darker(120));
    p.setColor(QPalette::Dark, button.darker(150));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 170, 255));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(130, 130, 130));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(130, 130, 130));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(130, 130, 130));
    return p;
}

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
    VarnelApp::createWindows();
    QApplication::processEvents();

    bool ok = save(fmHomeAddMain, out + "main.png");
    fmHomeAddMain->btnRecCardClick();
    ok = save(fmRecCard, out + "card.png") && ok;
    fmRecCard->close();

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
    fmHomeAddMain->findChild<QAction *>(QStringLiteral("miPhoneList"))->trigger();

    for (const QString &line : platform.dialogs.log)
        std::fprintf(stderr, "mkscreens: %s\n", qPrintable(line));
    VarnelApp::destroyWindows();
    return ok ? 0 : 1;
}

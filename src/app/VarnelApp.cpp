#include "app/VarnelApp.h"

#include "app/HomeGrid.h"

#include <QApplication>
#include <QFont>

int VarnelApp::run(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Varnel"));
    app.setQuitOnLastWindowClosed(false);
    createWindows();
    const int rc = app.exec();
    destroyWindows();
    return rc;
}

void VarnelApp::createWindows()
{
    // The program's designed fonts, by their metric-compatible stand-ins.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));

    // The main window comes first and is created visible: its creation and
    // show steps run before any other window exists.
    auto *main = new TfmHomeAddMain;
    main->show();
    main->activateWindow();
    // The first connection to the address book is made here.
    main->openHomeQueryAtStart();
}

void VarnelApp::destroyWindows()
{
    delete fmHomeAddMain;
}

#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"

#include <QApplication>
#include <QFont>
#include <QPointer>

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

    // The other windows, hidden, in this order.
    // 2. fmSQLSearchDialog: its creation makes the first connection.
    main->openHomeQueryAtStart();

    // 3. fmRecCard

    // 4. fmCountyListEdit

    // 5. fmHelpMemo
    new TfmHelpMemo;

    // 6. fmHomeForm

    // 7. fmRpA5Diary

    // 8. fmRpTel

    // 9. fmLabels

    // 10. fmRpLabel16

    // 11. fmRpFilo2

    // 12. fmCredits
    new TfmCredits;

    // 13. fmRpLabel14

    // 14. fmMailMergeSetup
    new TfmMailMergeSetup;

    // 15. fmMailMergeHelp
    new TfmMailMergeHelp;

    // 16. fmMailMergeEdit
    new TfmMailMergeEdit;

    // 17. fmMailRp
    new TfmMailRp;
    main->wireMailMerge();
}

void VarnelApp::destroyWindows()
{
    // Every other window is owned by the application and goes with it; the
    // main window goes last.
    // Deleting one window may take others with it (a tooltip belongs to the
    // widget it explains), so the list is guarded.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != fmHomeAddMain && !w->parentWidget())
            windows << w;
    for (const QPointer<QWidget> &w : windows)
        delete w.data();
    delete fmHomeAddMain;
}

#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "app/IniFile.h"
#include "app/ProgramState.h"
#include "browse/CountLook.h"
#include "browse/JSQLSEARCH.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"
#include "reports/RpA5Diary.h"
#include "reports/RpFilo2.h"
#include "reports/RpLabel14.h"
#include "reports/RpLabel16.h"
#include "reports/RpLabels.h"
#include "reports/RpPhoneList.h"
#include "store/AddressBook.h"

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
    // A settings write cut short when the program was killed last time leaves
    // its temporary file behind.
    IniFile(IniFile::settingsPath()).removeStaleTemporaries(QDateTime::currentDateTime());

    // The program's designed fonts, by their metric-compatible stand-ins.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));

    // The main window comes first and is created visible: its creation and
    // show steps run before any other window exists.
    // The address book every window works on belongs to the application and
    // outlives the windows.
    auto *book = new AddressBook(qApp);
    book->setObjectName(QStringLiteral("addressBook"));
    // So does what the program remembers only while it runs.
    auto *state = new ProgramState(qApp);
    state->setObjectName(QStringLiteral("programState"));
    auto *main = new TfmHomeAddMain(book, state);
    main->show();
    main->activateWindow();

    // The other windows, hidden, in this order.
    // 2. fmSQLSearchDialog: its creation opens the main query, which makes
    // the first connection to the address book.
    new TfmSQLSearchDialog(book);
    main->wireBrowsing();

    // 3. fmRecCard
    new TfmRecCard(book->query());

    // 4. fmCountyListEdit
    new TfmCountyListEdit;

    // 5. fmHelpMemo
    new TfmHelpMemo;

    // 6. fmHomeForm
    new TfmHomeForm(book->query());
    main->wireEntryWindows();

    // 7. fmRpA5Diary
    new TfmRpA5Diary(book->query());

    // 8. fmRpTel
    new TfmRpTel(book->query());

    // 9. fmLabels
    new TfmLabels(book->query());

    // 10. fmRpLabel16
    new TfmRpLabel16(book->query());

    // 11. fmRpFilo2: the report is its own holder; the main window owns it.
    new TfmRpFilo2(book->query(), main);

    // 12. fmCredits
    new TfmCredits;

    // 13. fmRpLabel14
    new TfmRpLabel14(book->query());

    // 14. fmMailMergeSetup
    new TfmMailMergeSetup;

    // 15. fmMailMergeHelp
    new TfmMailMergeHelp;

    // 16. fmMailMergeEdit
    auto *editor = new TfmMailMergeEdit;

    // 17. fmMailRp
    new TfmMailRp(book->query(), editor->RichEdit1->document());
    main->wireMailMerge();
}

void VarnelApp::destroyWindows()
{
    // Every other window is owned by the application and goes with it; the
    // main window goes last. A window may own windows of its own (a dialog its
    // help window, a widget its tooltip), so the unowned ones are picked first
    // and held by guarded pointers: deleting one takes its own with it.
    QList<QPointer<QWidget>> unowned;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != fmHomeAddMain && !w->parentWidget())
            unowned << w;
    for (const QPointer<QWidget> &w : unowned)
        delete w.data();
    delete fmHomeAddMain;
    delete qApp->findChild<AddressBook *>(QStringLiteral("addressBook"), Qt::FindDirectChildrenOnly);
    delete qApp->findChild<ProgramState *>(QStringLiteral("programState"), Qt::FindDirectChildrenOnly);
}

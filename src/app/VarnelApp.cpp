#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "platform/IniFile.h"
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
#include <QTextEdit>
#include <QWidget>

int VarnelApp::run(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Varnel"));
    app.setQuitOnLastWindowClosed(false);
    VarnelApp program;
    return app.exec();
}

VarnelApp::VarnelApp()
{
    setObjectName(QStringLiteral("varnelApp"));
    createWindows();
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

    // The address book every window works on, and what the program remembers
    // only while it runs, outlive the windows.
    m_book = std::make_unique<AddressBook>();
    m_book->setObjectName(QStringLiteral("addressBook"));
    m_state = std::make_unique<ProgramState>();
    m_state->setObjectName(QStringLiteral("programState"));
    AdoQuery *query = m_book->query();

    // The main window comes first and is created visible: its creation and
    // show steps run before any other window exists.
    m_main = new TfmHomeAddMain(m_book.get(), m_state.get());
    m_main->show();
    m_main->activateWindow();

    // The other windows, hidden, in this order; each group is wired as soon
    // as its windows exist.
    // 2. The search dialog: its creation opens the main query, which makes
    // the first connection to the address book.
    m_search = new TfmSQLSearchDialog(m_book.get(), m_main);
    wireBrowsing();

    // 3. to 6.: the record card, the county list editor, the help note and
    // the form view.
    m_recordCard = new TfmRecCard(query);
    m_countyList = new TfmCountyListEdit;
    m_helpNote = new TfmHelpMemo;
    m_recordForm = new TfmHomeForm(query, m_main);
    wireEntry();

    // 7. to 13.: the report holders (the Filofax report is its own holder and
    // belongs to the main window), with the credits box between them.
    m_a5Pages = new TfmRpA5Diary(query);
    m_phoneList = new TfmRpTel(query);
    m_labels21 = new TfmLabels(query);
    m_labels16 = new TfmRpLabel16(query);
    m_filoPages = new TfmRpFilo2(query, m_main);
    m_credits = new TfmCredits;
    m_labels14 = new TfmRpLabel14(query);
    wireReports();
    wireHelp();

    // 14. to 17.: the mail merge panel, its help, the editor and the merged
    // letters on the editor's document.
    m_mergeSetup = new TfmMailMergeSetup;
    m_mergeHelp = new TfmMailMergeHelp;
    m_editor = new TfmMailMergeEdit;
    m_mergedLetters = new TfmMailRp(query, m_editor->document());
    wireMailMerge();
}

VarnelApp::~VarnelApp()
{
    // Every window but the main one is unowned and goes first. A window may
    // own windows of its own (a dialog its help window, a widget its
    // tooltip), so the unowned ones are picked first and held by guarded
    // pointers: deleting one takes its own with it.
    QList<QPointer<QWidget>> unowned;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != m_main && !w->parentWidget())
            unowned << w;
    for (const QPointer<QWidget> &w : unowned)
        delete w.data();
    delete m_main;
}

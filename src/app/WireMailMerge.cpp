// The mail merge panel, its help, the editor and the merged letters.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "browse/JSQLSEARCH.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"
#include "platform/Guard.h"
#include "reports/Report.h"
#include "widgets/BringForward.h"

void VarnelApp::wireMailMerge()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::Editor, [this] { bringForward(m_editor); });
    m_main->serve(Command::MailMerge, [this] { bringForward(m_mergeSetup); });
    // Unsaved letter text is not dropped without a question.
    m_main->addCloseCheck([this] { return m_editor->mayClose(); });

    connect(m_mergeSetup, &TfmMailMergeSetup::documentRequested, this,
            [this] { bringForward(m_editor); });
    connect(m_mergeSetup, &TfmMailMergeSetup::helpRequested, this,
            [this] { bringForward(m_mergeHelp); });
    // However the search closes, what it leaves in the main query is the list
    // of recipients; there is nothing to look at here.
    connect(m_mergeSetup, &TfmMailMergeSetup::recipientsRequested, this,
            [this] { guarded(m_mergeSetup, [this] { m_search->exec(); }); });
    // Returns when the preview is closed. A click while the letters are still
    // being prepared finds the report running and does nothing.
    connect(m_mergeSetup, &TfmMailMergeSetup::mergeRequested, this,
            [this] { guarded(m_mergeSetup, [this] { m_mergedLetters->report()->Preview(); }); });
    connect(m_mergeSetup, &TfmMailMergeSetup::matchFontRequested, this,
            [this] { m_mergedLetters->report()->setFont(m_editor->dialogFont()); });
}

// The mail merge panel, its help, the editor and the merged letters.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "browse/JSQLSEARCH.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"

void VarnelApp::wireMailMerge()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::Editor, [this] { showNonModal(m_editor); });
    m_main->serve(Command::MailMerge, [this] { showNonModal(m_mergeSetup); });
    connect(m_mergeSetup, &TfmMailMergeSetup::searchRequested, m_search,
            [this] { m_search->exec(); });
    // Unsaved letter text is not dropped without a question.
    m_main->addCloseCheck([this] { return m_editor->FormCloseQuery(); });
}

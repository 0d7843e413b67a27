// The search dialog and the main window's browsing.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "browse/JSQLSEARCH.h"

void VarnelApp::wireBrowsing()
{
    m_main->enableBrowsing();
    m_main->serve(TfmHomeAddMain::Command::Search, [this] { m_search->exec(); });
    connect(m_main, &TfmHomeAddMain::selectionReset, m_search,
            &TfmSQLSearchDialog::clearSearchWord);
}

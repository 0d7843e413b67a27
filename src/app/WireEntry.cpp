// The record card, the form view and the county list editor.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "browse/CountLook.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"

namespace {

void bringUp(QWidget *w)
{
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

void VarnelApp::wireEntry()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::RecordCard, [this] { bringUp(m_recordCard); });
    m_main->serve(Command::RecordForm, [this] { bringUp(m_recordForm); });
    m_main->serve(Command::CountyList, [this] {
        m_countyList->setEntries(m_main->countyPickList());
        m_countyList->exec();
    });
    connect(m_countyList, &TfmCountyListEdit::listAccepted, m_main, &TfmHomeAddMain::setCountyPickList);
}

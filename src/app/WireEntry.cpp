// The record card, the form view and the county list editor.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "browse/CountLook.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "widgets/BringForward.h"

void VarnelApp::wireEntry()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::RecordCard, [this] { bringForward(m_recordCard); });
    m_main->serve(Command::RecordForm, [this] { bringForward(m_recordForm); });
    m_main->serve(Command::CountyList, [this] {
        m_countyList->setEntries(m_main->countyPickList());
        m_countyList->exec();
    });
    connect(m_countyList, &TfmCountyListEdit::listAccepted, m_main, &TfmHomeAddMain::setCountyPickList);
}

// The report commands of the main window and the label font.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "app/ProgramState.h"
#include "reports/RpA5Diary.h"
#include "reports/RpFilo2.h"
#include "reports/RpLabel14.h"
#include "reports/RpLabel16.h"
#include "reports/RpLabels.h"
#include "reports/RpPhoneList.h"

void VarnelApp::wireReports()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::PhoneList, [this] { m_phoneList->preview(); });
    m_main->serve(Command::Labels21, [this] { m_labels21->preview(); });
    m_main->serve(Command::Labels16, [this] { m_labels16->preview(); });
    m_main->serve(Command::Labels14, [this] { m_labels14->preview(); });
    m_main->serve(Command::FiloPages, [this] { m_filoPages->Preview(); });
    m_main->serve(Command::A5Pages, [this] { m_a5Pages->preview(); });
    m_main->serve(Command::LabelFont, [this] {
        if (!m_state->chooseLabelFont(m_main))
            return;
        // The font lasts until the program ends; it is not written to the settings.
        const FontValue chosen = m_state->labelFont();
        m_labels21->setAddressFont(chosen);
        m_labels16->setAddressFont(chosen);
        m_labels14->setAddressFont(chosen);
    });
}

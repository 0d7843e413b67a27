// The help note, the about box and the credits.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "app/SplashBox.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "widgets/BringForward.h"

void VarnelApp::wireHelp()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::HelpNote, [this] { bringForward(m_helpNote); });
    // Every "&About" makes a new box, which disposes of itself.
    m_main->serve(Command::About, [this] {
        auto *about = new TfmSplash;
        connect(about, &TfmSplash::creditsRequested, m_credits,
                [this] { bringForward(m_credits); });
        about->show();
    });
}

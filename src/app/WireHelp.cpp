// The help note, the about box and the credits.
#include "app/VarnelApp.h"

#include "app/HomeGrid.h"
#include "app/SplashBox.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"

void VarnelApp::wireHelp()
{
    using Command = TfmHomeAddMain::Command;
    m_main->serve(Command::HelpNote, [this] { m_helpNote->showAndRaise(); });
    // Every "&About" makes a new box, which disposes of itself.
    m_main->serve(Command::About, [this] {
        fmSplash = new TfmSplash;
        connect(fmSplash, &TfmSplash::creditsRequested, m_credits, &TfmCredits::showAndRaise);
        fmSplash->show();
    });
}

#include "app/HomeGrid.h"

#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeSetup.h"

#include <QAction>

void TfmHomeAddMain::wireMailMerge()
{
    if (fmMailMergeEdit) {
        connect(Notepad1, &QAction::triggered, this, &TfmHomeAddMain::Notepad1Click);
        Notepad1->setEnabled(true);
    }
    if (fmMailMergeSetup) {
        connect(miMailMerge, &QAction::triggered, this, &TfmHomeAddMain::miMailMergeClick);
        miMailMerge->setEnabled(true);
    }
}

void TfmHomeAddMain::Notepad1Click()
{
    showNonModal(fmMailMergeEdit);
}

void TfmHomeAddMain::miMailMergeClick()
{
    // Trouble showing the merge window is not worth a message.
    try {
        showNonModal(fmMailMergeSetup);
    } catch (...) {
    }
}

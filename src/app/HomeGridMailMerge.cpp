#include "app/HomeGrid.h"

#include "mailmerge/MailMergeEdit.h"

#include <QAction>

void TfmHomeAddMain::wireMailMerge()
{
    if (fmMailMergeEdit) {
        connect(Notepad1, &QAction::triggered, this, &TfmHomeAddMain::Notepad1Click);
        Notepad1->setEnabled(true);
    }
}

void TfmHomeAddMain::Notepad1Click()
{
    fmMailMergeEdit->show();
    fmMailMergeEdit->raise();
    fmMailMergeEdit->activateWindow();
}

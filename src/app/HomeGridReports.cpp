#include "app/HomeGrid.h"

#include "app/ProgramState.h"
#include "reports/RpA5Diary.h"
#include "reports/RpFilo2.h"
#include "reports/RpLabel14.h"
#include "reports/RpLabel16.h"
#include "reports/RpLabels.h"
#include "reports/RpPhoneList.h"

#include "reports/ReportControls.h"

void TfmHomeAddMain::miPhoneListClick()
{
    if (fmRpTel)
        fmRpTel->Report1->Preview();
}

void TfmHomeAddMain::miLabels21Click()
{
    if (fmLabels)
        fmLabels->RpLabel->Preview();
}

void TfmHomeAddMain::miLabel16Click()
{
    if (fmRpLabel16)
        fmRpLabel16->RpLabel16Rep->Preview();
}

void TfmHomeAddMain::mi14perA4sheet1Click()
{
    if (fmRpLabel14)
        fmRpLabel14->RpLabel14Rep->Preview();
}

void TfmHomeAddMain::Setfont1Click()
{
    if (!fmLabels || !m_state->labelFont.Execute(this))
        return;
    // The font lasts until the program ends; it is not written to the settings.
    const FontValue chosen = m_state->labelFont.Font;
    fmLabels->RpExprMemo1->setFont(chosen);
    if (fmRpLabel16)
        fmRpLabel16->RpExprMemo1->setFont(chosen);
    if (fmRpLabel14)
        fmRpLabel14->RpExprMemo1->setFont(chosen);
}

void TfmHomeAddMain::FiloFaxPages1Click()
{
    if (fmRpFilo2)
        fmRpFilo2->Preview();
}

void TfmHomeAddMain::miA5DiaryPagesClick()
{
    if (fmRpA5Diary)
        fmRpA5Diary->RpA5Diary->Preview();
}

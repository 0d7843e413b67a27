#include "reports/RpLabel14.h"

#include "platform/Guard.h"
#include "reports/LabelSheet.h"

#include <QAction>

TfmRpLabel14 *fmRpLabel14 = nullptr;

TfmRpLabel14::TfmRpLabel14(ReportDataSet *data, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmRpLabel14"));
    RpLabel14Rep = new TReport(this);
    RpExprMemo1 = LabelSheet::perSheet14().buildLayout(*RpLabel14Rep);
    RpLabel14Rep->setDataSet(data);
    fmRpLabel14 = this;
}

TfmRpLabel14::~TfmRpLabel14()
{
    if (fmRpLabel14 == this)
        fmRpLabel14 = nullptr;
}

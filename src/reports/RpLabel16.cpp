#include "reports/RpLabel16.h"

#include "platform/Guard.h"
#include "reports/LabelSheet.h"

#include <QAction>

TfmRpLabel16 *fmRpLabel16 = nullptr;

TfmRpLabel16::TfmRpLabel16(ReportDataSet *data, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmRpLabel16"));
    RpLabel16Rep = new TReport(this);
    RpExprMemo1 = LabelSheet::perSheet16().buildLayout(*RpLabel16Rep);
    RpLabel16Rep->setDataSet(data);
    fmRpLabel16 = this;
}

TfmRpLabel16::~TfmRpLabel16()
{
    if (fmRpLabel16 == this)
        fmRpLabel16 = nullptr;
}

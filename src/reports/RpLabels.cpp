#include "reports/RpLabels.h"

#include "platform/Guard.h"
#include "reports/LabelSheet.h"

#include <QAction>

TfmLabels *fmLabels = nullptr;

TfmLabels::TfmLabels(ReportDataSet *data, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmLabels"));
    RpLabel = new TReport(this);
    RpExprMemo1 = LabelSheet::perSheet21().buildLayout(*RpLabel);
    RpLabel->setDataSet(data);
    fmLabels = this;
}

TfmLabels::~TfmLabels()
{
    if (fmLabels == this)
        fmLabels = nullptr;
}

#include "reports/RpLabel16.h"

#include "reports/LabelSheet.h"

TfmRpLabel16::TfmRpLabel16(ReportDataSet *data, QWidget *parent)
    : TfmLabelHolder("fmRpLabel16", LabelSheet::perSheet16(), data, parent)
{
}

#include "reports/RpLabel14.h"

#include "reports/LabelSheet.h"

TfmRpLabel14::TfmRpLabel14(ReportDataSet *data, QWidget *parent)
    : TfmLabelHolder("fmRpLabel14", LabelSheet::perSheet14(), data, parent)
{
}

#include "reports/RpLabels.h"

#include "reports/LabelSheet.h"

TfmLabels::TfmLabels(ReportDataSet *data, QWidget *parent)
    : TfmLabelHolder("fmLabels", LabelSheet::perSheet21(), data, parent)
{
}

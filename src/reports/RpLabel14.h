#pragma once

#include "reports/RpHolder.h"

// The 14-per-sheet labels' holder.
class TfmRpLabel14 : public TfmLabelHolder
{
    Q_OBJECT
public:
    explicit TfmRpLabel14(ReportDataSet *data, QWidget *parent = nullptr);
};

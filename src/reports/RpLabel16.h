#pragma once

#include "reports/RpHolder.h"

// The 16-per-sheet labels' holder (Avery L7162).
class TfmRpLabel16 : public TfmLabelHolder
{
    Q_OBJECT
public:
    explicit TfmRpLabel16(ReportDataSet *data, QWidget *parent = nullptr);
};

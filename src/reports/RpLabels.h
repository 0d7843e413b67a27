#pragma once

#include "reports/RpHolder.h"

// The 21-per-sheet labels' holder (Avery L7160).
class TfmLabels : public TfmLabelHolder
{
    Q_OBJECT
public:
    explicit TfmLabels(ReportDataSet *data, QWidget *parent = nullptr);
};

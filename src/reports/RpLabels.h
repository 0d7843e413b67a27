#pragma once

#include "reports/Report.h"

#include <QWidget>

class ReportDataSet;
class TRpExprMemo;

// The 21-per-sheet labels' holder (Avery L7160). Never shown, it carries the
// report.
class TfmLabels : public QWidget
{
    Q_OBJECT
public:
    explicit TfmLabels(ReportDataSet *data, QWidget *parent = nullptr);
    ~TfmLabels() override;

    TReport *RpLabel;
    TRpExprMemo *RpExprMemo1;
};

extern TfmLabels *fmLabels;

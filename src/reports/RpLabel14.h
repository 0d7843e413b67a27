#pragma once

#include "reports/Report.h"

#include <QWidget>

class ReportDataSet;
class TRpExprMemo;

// The 14-per-sheet labels' holder: never shown, it only carries the
// report.
class TfmRpLabel14 : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRpLabel14(ReportDataSet *data, QWidget *parent = nullptr);
    ~TfmRpLabel14() override;

    TReport *RpLabel14Rep;
    TRpExprMemo *RpExprMemo1;
};

extern TfmRpLabel14 *fmRpLabel14;

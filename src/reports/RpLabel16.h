#pragma once

#include "reports/Report.h"

#include <QWidget>

class ReportDataSet;
class TRpExprMemo;

// The 16-per-sheet labels' holder (Avery L7162): never shown, it only carries the
// report.
class TfmRpLabel16 : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRpLabel16(ReportDataSet *data, QWidget *parent = nullptr);
    ~TfmRpLabel16() override;

    TReport *RpLabel16Rep;
    TRpExprMemo *RpExprMemo1;
};

extern TfmRpLabel16 *fmRpLabel16;

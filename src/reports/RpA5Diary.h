#pragma once

#include "reports/Report.h"

#include <QWidget>
#include <memory>

class ReportDataSet;
class TRpExprMemo;

namespace A5DiaryLayout {
// Lays the A5 diary pages out on an empty report: sixteen entries a sheet in
// four columns on A4 landscape, two columns to each A5 half.
void buildLayout(TReport &report);
// A5 diary pages on the given data set, for programs without the holder window.
std::unique_ptr<TReport> makeReport(ReportDataSet *data);
} // namespace A5DiaryLayout

// The A5 diary pages' holder: never shown, it only carries the report.
class TfmRpA5Diary : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRpA5Diary(ReportDataSet *data, QWidget *parent = nullptr);
    ~TfmRpA5Diary() override;

    TReport *RpA5Diary;
};

extern TfmRpA5Diary *fmRpA5Diary;

#pragma once

#include "reports/Report.h"
#include "reports/RpHolder.h"

#include <memory>

class ReportDataSet;

namespace A5DiaryLayout {
// Lays the A5 diary pages out on an empty report: sixteen entries a sheet in
// four columns on A4 landscape, two columns to each A5 half.
void buildLayout(TReport &report);
// A5 diary pages on the given data set, for programs without the holder window.
std::unique_ptr<TReport> makeReport(ReportDataSet *data);
} // namespace A5DiaryLayout

// The A5 diary pages' holder.
class TfmRpA5Diary : public TfmReportHolder
{
    Q_OBJECT
public:
    explicit TfmRpA5Diary(ReportDataSet *data, QWidget *parent = nullptr);
};

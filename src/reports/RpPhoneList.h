#pragma once

#include "reports/Report.h"
#include "reports/RpHolder.h"

#include <memory>

class ReportDataSet;

namespace RpPhoneList {
// Lays the phone list out on an empty report: A4 portrait, one line per
// person under a heading for each first letter of the surname.
void buildLayout(TReport &report);
// A phone list on the given data set, for programs without the holder window.
std::unique_ptr<TReport> makeReport(ReportDataSet *data);
} // namespace RpPhoneList

// The phone list's holder.
class TfmRpTel : public TfmReportHolder
{
    Q_OBJECT
public:
    explicit TfmRpTel(ReportDataSet *data, QWidget *parent = nullptr);
};

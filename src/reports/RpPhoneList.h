#pragma once

#include "reports/Report.h"

#include <QWidget>
#include <memory>

class ReportDataSet;

namespace RpPhoneList {
// Lays the phone list out on an empty report: A4 portrait, one line per
// person under a heading for each first letter of the surname.
void buildLayout(TReport &report);
// A phone list on the given data set, for programs without the holder window.
std::unique_ptr<TReport> makeReport(ReportDataSet *data);
} // namespace RpPhoneList

// The phone list's holder: never shown, it only carries the report.
class TfmRpTel : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRpTel(ReportDataSet *data, QWidget *parent = nullptr);
    ~TfmRpTel() override;

    TReport *Report1;
};

extern TfmRpTel *fmRpTel;

#pragma once

#include "reports/Report.h"

#include <memory>

class ReportDataSet;

namespace RpFilo2 {
// Lays the Filofax pages out on an empty report: ten entries a sheet in two
// columns in the upper part of A4 portrait.
void buildLayout(TReport &report);
// Filofax pages on the given data set, for programs without the main window.
std::unique_ptr<TReport> makeReport(ReportDataSet *data);
} // namespace RpFilo2

// The Filofax report is its own holder: there is no window behind it.
class TfmRpFilo2 : public TReport
{
    Q_OBJECT
public:
    explicit TfmRpFilo2(ReportDataSet *data, QObject *parent = nullptr);
};

#pragma once

#include "reports/Report.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTextDocument;
class ReportDataSet;

// The layouts a program without windows can run by name (varnel-print). Each
// layout adds one line to the table in ReportLayouts.cpp.
struct ReportLayoutEntry
{
    QString name;        // as typed on the command line, e.g. "phone-list"
    QString description; // one line for the usage text
    std::function<std::unique_ptr<TReport>(ReportDataSet *data)> make;
    // Gives the layout's address text another font; empty for the layouts
    // whose fonts are fixed.
    std::function<void(TReport &report, const FontValue &font)> setFont = {};
    // Set instead of make for a layout that prints a letter body (--body); the
    // document must outlive the report's run.
    std::function<std::unique_ptr<TReport>(ReportDataSet *data, QTextDocument *body)> makeWithBody =
        nullptr;

    bool takesBody() const { return bool(makeWithBody); }
};

namespace ReportLayouts {
const std::vector<ReportLayoutEntry> &all();
// nullptr when no layout has that name.
const ReportLayoutEntry *find(const QString &name);
} // namespace ReportLayouts

#pragma once

#include "platform/FontValue.h"

#include <QWidget>
#include <functional>

class ReportDataSet;
class TReport;
class TRpExprMemo;
struct LabelSheet;

// A window that is never shown and only carries one built-in report, laid out
// when the window is made and run on the data set it is given.
class TfmReportHolder : public QWidget
{
    Q_OBJECT
public:
    using Layout = std::function<void(TReport &)>;

    TReport *report() const { return m_report; }
    // Opens the report's preview and returns when it closes.
    void preview();

protected:
    TfmReportHolder(const char *objectName, const Layout &layout, ReportDataSet *data,
                    QWidget *parent);

private:
    TReport *m_report;
};

// The holder of one of the address label sheets, whose address lines take the
// font "Set labels font" gives them.
class TfmLabelHolder : public TfmReportHolder
{
    Q_OBJECT
public:
    FontValue addressFont() const;
    void setAddressFont(const FontValue &font);

protected:
    TfmLabelHolder(const char *objectName, const LabelSheet &sheet, ReportDataSet *data,
                   QWidget *parent);

private:
    TRpExprMemo *m_addressMemo;
};

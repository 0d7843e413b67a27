#include "reports/RpHolder.h"

#include "reports/LabelSheet.h"
#include "reports/Report.h"
#include "reports/ReportControls.h"

TfmReportHolder::TfmReportHolder(const char *objectName, const Layout &layout, ReportDataSet *data,
                                 QWidget *parent)
    : QWidget(parent), m_report(new TReport(this))
{
    setObjectName(QString::fromLatin1(objectName));
    layout(*m_report);
    m_report->setDataSet(data);
}

void TfmReportHolder::preview()
{
    m_report->Preview();
}

TfmLabelHolder::TfmLabelHolder(const char *objectName, const LabelSheet &sheet, ReportDataSet *data,
                               QWidget *parent)
    : TfmReportHolder(
          objectName, [&sheet](TReport &r) { sheet.buildLayout(r); }, data, parent),
      m_addressMemo(LabelLayouts::addressMemo(*report()))
{
}

FontValue TfmLabelHolder::addressFont() const
{
    return m_addressMemo->font();
}

void TfmLabelHolder::setAddressFont(const FontValue &font)
{
    m_addressMemo->setFont(font);
}

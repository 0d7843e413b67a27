#include "reports/RpA5Diary.h"
#include "reports/LayoutFont.h"

#include "reports/ReportControls.h"
#include "reports/ReportUnits.h"

namespace {

// The sheet is cut in the middle into two A5 pages of two columns each; an
// entry keeps to its own page, from the outer margin to the gap between the
// page's columns and the other page's.
QRectF a5PageOf(const TCustomReport &report, const QRectF &box, const TRpRunContext &ctx)
{
    const qreal middle = ReportUnits::fromMm(report.page().paperWidth() / 2);
    const qreal halfGap = ReportUnits::fromMm(report.page().ColumnSpace / 2);
    QRectF page = ctx.printableArea;
    if (box.left() < middle)
        page.setRight(middle - halfGap);
    else
        page.setLeft(middle + halfGap);
    return page;
}

} // namespace

void A5DiaryLayout::buildLayout(TReport &report)
{
    report.setObjectName(QStringLiteral("RpA5Diary"));
    TRpPage &page = report.page();
    page.Orientation = QPageLayout::Landscape;
    page.TopMargin = 8;
    page.BottomMargin = 5;
    page.LeftMargin = 10;
    page.RightMargin = 10;
    page.Columns = 4;
    page.ColumnSpace = 5;
    report.setFont(arial(11));
    report.setOptions({});
    report.setPrintIfEmpty(true);
    report.setReportTitle(QString());
    report.printerSettings() = TRpPrinterSettings();
    report.printerSettings().OutputBin = obAuto;

    TRpBand *entry = report.addBand(rbDetail, 48.948);
    entry->setName(QStringLiteral("DetailBand1"));
    auto *memo = entry->addControl<TRpExprMemo>(3.087, 0.441, 62.618, 47.184);
    memo->setName(QStringLiteral("RpExprMemo1"));
    memo->setFont(arial(10));
    memo->setAlignment(taLeftJustify);
    memo->setAutoSize(true);
    memo->setRemoveBlankLines(true);
    memo->setLines(
        {QStringLiteral("{Surname +', ' + Firstname+'  :     '+Flag}"),
         QStringLiteral("{Address1}"), QStringLiteral("{Address2}"), QStringLiteral("{A3_Village}"),
         QStringLiteral("{Town}"), QStringLiteral("{County}"), QStringLiteral("{PostCode}"),
         QStringLiteral("{Country}"), QStringLiteral("{Tel}"), QStringLiteral("{Cell}")});
    memo->setFence([r = &report](const QRectF &box, const TRpRunContext &ctx) {
        return a5PageOf(*r, box, ctx);
    });
}

std::unique_ptr<TReport> A5DiaryLayout::makeReport(ReportDataSet *data)
{
    auto report = std::make_unique<TReport>();
    buildLayout(*report);
    report->setDataSet(data);
    return report;
}

TfmRpA5Diary::TfmRpA5Diary(ReportDataSet *data, QWidget *parent)
    : TfmReportHolder("fmRpA5Diary", &A5DiaryLayout::buildLayout, data, parent)
{
}

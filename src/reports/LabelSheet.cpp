#include "reports/LabelSheet.h"
#include "reports/LayoutFont.h"

#include "reports/ReportControls.h"

namespace {

LabelSheet sheet(const char *reportName, qreal top, qreal bottom, qreal left, int columns,
                 qreal columnSpace, qreal labelHeight)
{
    LabelSheet s{};
    s.reportName = reportName;
    s.topMargin = top;
    s.bottomMargin = bottom;
    s.leftMargin = left;
    s.rightMargin = 10;
    s.columns = columns;
    s.columnSpace = columnSpace;
    s.labelHeight = labelHeight;
    s.memoTop = 0.794;
    s.title = "";
    return s;
}

} // namespace

// Avery L7160: three columns of seven.
const LabelSheet &LabelSheet::perSheet21()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel", 18, 10, 12, 3, 5, 38.365);
        x.memoLeft = 1.058;
        x.memoWidth = 38.894;
        x.memoHeight = 37.571;
        x.fontPoints = 10;
        x.printIfEmpty = false;
        x.title = "Address Labels";
        x.outputBin = obFirst;
        return x;
    }();
    return s;
}

// Avery L7162: two columns of eight.
const LabelSheet &LabelSheet::perSheet16()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel16Rep", 15, 0, 15, 2, 25, 34.131);
        x.memoLeft = 3.969;
        x.memoWidth = 37.042;
        x.memoHeight = 33.338;
        x.fontPoints = 9;
        x.printIfEmpty = true;
        x.outputBin = obAuto;
        return x;
    }();
    return s;
}

// Two columns of seven.
const LabelSheet &LabelSheet::perSheet14()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel14Rep", 15, 0, 15, 2, 25, 38.365);
        x.memoLeft = 3.969;
        x.memoWidth = 37.042;
        x.memoHeight = 37.571;
        x.fontPoints = 9;
        x.printIfEmpty = true;
        x.outputBin = obAuto;
        return x;
    }();
    return s;
}

TRpExprMemo *LabelSheet::buildLayout(TReport &report) const
{
    report.setObjectName(QLatin1String(reportName));
    TRpPage &page = report.page();
    page.Orientation = QPageLayout::Portrait;
    page.TopMargin = topMargin;
    page.BottomMargin = bottomMargin;
    page.LeftMargin = leftMargin;
    page.RightMargin = rightMargin;
    page.Columns = columns;
    page.ColumnSpace = columnSpace;
    report.setFont(arial(11));
    report.setOptions({});
    report.setPrintIfEmpty(printIfEmpty);
    report.setReportTitle(QString::fromLatin1(title));
    report.printerSettings() = TRpPrinterSettings();
    report.printerSettings().OutputBin = outputBin;

    TRpBand *label = report.addBand(rbDetail, labelHeight);
    label->setName(QStringLiteral("DetailBand1"));
    auto *memo = label->addControl<TRpExprMemo>(memoLeft, memoTop, memoWidth, memoHeight);
    memo->setName(QStringLiteral("RpExprMemo1"));
    memo->setFont(arial(fontPoints));
    memo->setAlignment(taLeftJustify);
    memo->setAutoSize(true);
    memo->setRemoveBlankLines(true);
    memo->setLines({QStringLiteral("{Firstname +' '+Surname}"), QStringLiteral("{Address1}"),
                    QStringLiteral("{Address2}"), QStringLiteral("{A3_Village}"),
                    QStringLiteral("{Town}"), QStringLiteral("{County}"),
                    QStringLiteral("{PostCode}"), QStringLiteral("{Country}")});
    return memo;
}

std::unique_ptr<TReport> LabelLayouts::make(const LabelSheet &sheet, ReportDataSet *data)
{
    auto report = std::make_unique<TReport>();
    sheet.buildLayout(*report);
    report->setDataSet(data);
    return report;
}

TRpExprMemo *LabelLayouts::addressMemo(TCustomReport &report)
{
    TRpCustomBand *label = report.findBand(rbDetail);
    if (!label)
        return nullptr;
    for (const auto &c : label->controls())
        if (c->name() == QLatin1String("RpExprMemo1"))
            return dynamic_cast<TRpExprMemo *>(c.get());
    return nullptr;
}

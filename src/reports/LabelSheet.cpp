#include "reports/LabelSheet.h"
#include "reports/LayoutFont.h"

#include "reports/ReportControls.h"
#include "reports/ReportUnits.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

using ReportUnits::fromMm;

namespace {

// Text keeps this far (mm) inside a label's edges: the labels are cut on the
// sheet and the printer's placing of the paper is never quite exact.
constexpr qreal kLabelSafetyMargin = 1.0;

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

// Avery L7160: three columns of seven labels of 63.5 x 38.1 mm.
const LabelSheet &LabelSheet::perSheet21()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel", 18, 10, 12, 3, 5, 38.365);
        x.stock = {63.5, 38.1, 7.25, 15.15, 63.5 + 2.54, 38.1, 3, 7};
        x.memoLeft = 1.058;
        x.memoWidth = 38.894;
        x.memoHeight = 37.571;
        x.fontPoints = 10;
        x.printIfEmpty = false;
        x.title = QT_TRANSLATE_NOOP("LabelSheet", "Address Labels");
        x.outputBin = obFirst;
        return x;
    }();
    return s;
}

// Avery L7162: two columns of eight labels of 99.1 x 33.9 mm.
const LabelSheet &LabelSheet::perSheet16()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel16Rep", 15, 0, 15, 2, 25, 34.131);
        x.stock = {99.1, 33.9, 4.65, 12.9, 99.1 + 2.5, 33.9, 2, 8};
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

// Two columns of seven labels of 99.1 x 38.1 mm (Avery L7163).
const LabelSheet &LabelSheet::perSheet14()
{
    static const LabelSheet s = [] {
        LabelSheet x = sheet("RpLabel14Rep", 15, 0, 15, 2, 25, 38.365);
        x.stock = {99.1, 38.1, 4.65, 15.15, 99.1 + 2.5, 38.1, 2, 7};
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

QRectF LabelSheet::printableLabelAt(const QPointF &at) const
{
    const auto index = [](qreal units, qreal first, qreal pitch, int count) {
        const int i = int(std::floor((units - fromMm(first)) / fromMm(pitch)));
        return std::clamp(i, 0, count - 1);
    };
    const int column = index(at.x(), stock.left, stock.pitchAcross, stock.across);
    const int row = index(at.y(), stock.top, stock.pitchDown, stock.down);
    const QRectF label(fromMm(stock.left + column * stock.pitchAcross),
                       fromMm(stock.top + row * stock.pitchDown), fromMm(stock.width),
                       fromMm(stock.height));
    const qreal inset = fromMm(kLabelSafetyMargin);
    return label.adjusted(inset, inset, -inset, -inset);
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
    report.setReportTitle(QCoreApplication::translate("LabelSheet", title));
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
    // The address keeps to the label its first line starts on, and to the
    // page inside its margins.
    memo->setFence([sheet = *this](const QRectF &box, const TRpRunContext &ctx) {
        return sheet.printableLabelAt(box.topLeft()) & ctx.printableArea;
    });
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

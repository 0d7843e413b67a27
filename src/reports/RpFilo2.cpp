#include "reports/RpFilo2.h"
#include "reports/LayoutFont.h"

#include <QCoreApplication>

namespace {

// One line of an entry: auto-size, left-aligned, opaque white, so the widths
// given are the layout's and each box takes the width of its text.
template <typename Control>
Control *entryLine(TRpCustomBand *band, const char *name, qreal left, qreal top, qreal width)
{
    auto *c = band->addControl<Control>(left, top, width, 4.233);
    c->setName(QString::fromLatin1(name));
    c->setAutoSize(true);
    return c;
}

void expr(TRpCustomBand *band, const char *name, const char *expression, qreal top, qreal width,
          const FontValue *ownFont)
{
    auto *e = entryLine<TRpExpr>(band, name, 1.058, top, width);
    e->setExpression(QString::fromLatin1(expression));
    if (ownFont)
        e->setFont(*ownFont);
}

} // namespace

void RpFilo2::buildLayout(TReport &report)
{
    report.setObjectName(QStringLiteral("fmRpFilo2"));
    TRpPage &page = report.page();
    page.Orientation = QPageLayout::Portrait;
    page.TopMargin = 5;
    page.BottomMargin = 127;
    page.LeftMargin = 15;
    page.RightMargin = 50;
    page.Columns = 2;
    page.ColumnSpace = 15;
    report.setFont(arial(10));
    report.setOptions({});
    report.setPrintIfEmpty(false);
    report.setReportTitle(QString());
    report.printerSettings() = TRpPrinterSettings();
    report.printerSettings().OutputBin = obFirst;

    TRpBand *entry = report.addBand(rbDetail, 31.221);
    entry->setName(QStringLiteral("DetailBand1"));
    entry->setFont(arial(9));
    const FontValue bold = arial(9, true);
    const FontValue plain = arial(9);
    expr(entry, "RpExpr1", "Surname+', '+Firstname", 1.058, 35.983, &bold);
    expr(entry, "RpExpr2", "Address1+' '+Address2+' '+A3_Village", 5.027, 54.769, &plain);
    expr(entry, "RpExpr4", "Town+' '+County", 9.260, 23.813, &plain);
    expr(entry, "RpExpr5", "PostCode+' '+Country", 13.494, 31.485, &plain);
    expr(entry, "RpExpr3", "'T: '+Tel+'; Cel: '+Cell", 17.727, 29.898, &plain);
    expr(entry, "RpExpr6", "'E:'+Email", 21.696, 14.552, nullptr);
    auto *work = entryLine<TRpDBText>(entry, "RpDBText1", 6.350, 25.929, 12.965);
    work->setDataField(QStringLiteral("Work Tel"));
    auto *t2 = entryLine<TRpLabel>(entry, "RpLabel1", 1.058, 25.929, 5.556);
    t2->setCaption(QCoreApplication::translate("RpFilo2", "T2: "));

    // A line may run on into the next column, but not off the strip the
    // entries are printed on.
    report.setTextFence(&TRpCustomLabel::printableArea);
}

std::unique_ptr<TReport> RpFilo2::makeReport(ReportDataSet *data)
{
    auto report = std::make_unique<TReport>();
    buildLayout(*report);
    report->setDataSet(data);
    return report;
}

TfmRpFilo2::TfmRpFilo2(ReportDataSet *data, QObject *parent) : TReport(parent)
{
    RpFilo2::buildLayout(*this);
    setDataSet(data);
}

#include "reports/RpPhoneList.h"
#include "reports/LayoutFont.h"

#include <QCoreApplication>

namespace {

template <typename Control>
Control *place(TRpCustomBand *band, const char *name, qreal left, qreal top, qreal width,
               qreal height)
{
    auto *c = band->addControl<Control>(left, top, width, height);
    c->setName(QString::fromLatin1(name));
    return c;
}

TRpLabel *headerLabel(TRpCustomBand *band, const char *name, const QString &caption, qreal left,
                      qreal top, qreal width, bool autoSize)
{
    auto *l = place<TRpLabel>(band, name, left, top, width, 4.498);
    l->setCaption(caption);
    l->setAutoSize(autoSize);
    return l;
}

void field(TRpCustomBand *band, const char *name, const char *dataField, qreal left, qreal top,
           qreal height)
{
    // The widths are those of the layout; auto-size gives each the width of its text.
    auto *t = place<TRpDBText>(band, name, left, top, 20, height);
    t->setDataField(QString::fromLatin1(dataField));
    t->setAutoSize(true);
}

} // namespace

void RpPhoneList::buildLayout(TReport &report)
{
    report.setObjectName(QStringLiteral("Report1"));
    TRpPage &page = report.page();
    page.Orientation = QPageLayout::Portrait;
    page.TopMargin = page.BottomMargin = page.LeftMargin = page.RightMargin = 10;
    page.Columns = 1;
    page.ColumnSpace = 0;
    report.setFont(arial(8));
    report.setOptions(FirstPageHeader | LastPageFooter);
    report.setPrintIfEmpty(false);
    report.setReportTitle(QString());
    report.printerSettings() = TRpPrinterSettings();
    report.printerSettings().OutputBin = obFirst;

    TRpBand *title = report.addBand(rbTitle, 7.938);
    title->setName(QStringLiteral("TitleBand1"));
    auto *heading = place<TRpLabel>(title, "RpLabel1", 64.558, 0.265, 60.854, 6.085);
    heading->setCaption(QCoreApplication::translate("RpPhoneList", "Varnel Phone List"));
    heading->setFont(arial(14, true));
    heading->setAlignment(taCenter);
    heading->setAlignToBand(true);
    heading->setWordWrap(true);

    TRpBand *columns = report.addBand(rbColumnHeader, 5.821);
    columns->setName(QStringLiteral("ColumnHeaderBand1"));
    columns->setFont(arial(10, true));
    headerLabel(columns, "RpLabel2", QCoreApplication::translate("RpPhoneList", "Surname"), 0.529,
                0, 26.194, false);
    headerLabel(columns, "RpLabel3", QCoreApplication::translate("RpPhoneList", "Firstname"),
                25.135, 0, 24.871, false);
    headerLabel(columns, "RpLabel6", QCoreApplication::translate("RpPhoneList", "Tel"), 58.473, 0,
                28.046, false);
    headerLabel(columns, "RpLabel8", QCoreApplication::translate("RpPhoneList", "Cell Phone"),
                84.402, 0, 18.785, true);
    headerLabel(columns, "RpLabel4", QCoreApplication::translate("RpPhoneList", "Work Tel"),
                114.300, 0.265, 15.346, true);
    headerLabel(columns, "RpLabel5", QCoreApplication::translate("RpPhoneList", "email"), 140.229,
                0.265, 9.790, true);

    const QString initial = QStringLiteral("COPY(HomeQuery.Surname,1,1)");
    TRpGroup *group = report.addGroup(initial, 4.763);
    group->setName(QStringLiteral("RpGroup1"));
    auto *letter = place<TRpExpr>(group, "RpExpr1", 0.529, 0.529, 46.302, 3.969);
    letter->setExpression(initial);
    letter->setFont(arial(8, true));
    letter->setAutoSize(true);

    TRpBand *detail = report.addBand(rbDetail, 6.615);
    detail->setName(QStringLiteral("DetailBand1"));
    detail->setFont(arial(9));
    detail->frame().DrawTop = true;
    detail->frame().Width = 1;
    field(detail, "RpDBText1", "Cell", 84.667, 1.058, 4.498);
    field(detail, "RpDBText2", "Surname", 0.529, 1.058, 4.498);
    field(detail, "RpDBText3", "Firstname", 30.956, 1.058, 4.498);
    field(detail, "RpDBText6", "Tel", 59.267, 1.323, 4.498);
    field(detail, "RpDBText4", "Work Tel", 114.565, 1.323, 4.498);
    field(detail, "RpDBText5", "Email", 139.965, 1.058, 4.233);

    TRpBand *footer = report.addBand(rbPageFooter, 6.085);
    footer->setName(QStringLiteral("PageFooterBand1"));
    auto *number = place<TRpSysData>(footer, "RpSysData1", 0, 0, 10, 3.969);
    number->setData(rpsPageNumber);
    number->setText(QCoreApplication::translate("RpPhoneList", "Page "));
    number->setAutoSize(true);
    number->setAlignment(taRightJustify);
    number->setAlignToBand(true);

    // A long e-mail in the last column would otherwise run off the paper.
    report.setTextFence(&TRpCustomLabel::printableArea);
}

std::unique_ptr<TReport> RpPhoneList::makeReport(ReportDataSet *data)
{
    auto report = std::make_unique<TReport>();
    buildLayout(*report);
    report->setDataSet(data);
    return report;
}

TfmRpTel::TfmRpTel(ReportDataSet *data, QWidget *parent)
    : TfmReportHolder("fmRpTel", &RpPhoneList::buildLayout, data, parent)
{
}

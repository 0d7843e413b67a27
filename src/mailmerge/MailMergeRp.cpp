#include "mailmerge/MailMergeRp.h"

#include "mailmerge/MailMergeEdit.h"
#include "reports/Report.h"
#include "reports/ReportControls.h"

#include <QTextEdit>

void TfmMailRp::buildLayout(TReport *report, ReportDataSet *data, QTextDocument *body)
{
    report->setDataSet(data);
    TRpPage &page = report->page();
    page.Orientation = QPageLayout::Portrait;
    page.TopMargin = page.BottomMargin = page.LeftMargin = page.RightMargin = 10;
    page.Columns = 1;
    page.ColumnSpace = 0;
    FontValue base;
    base.font = QFont(QStringLiteral("Arial"), 10);
    base.color = Qt::black;
    report->setFont(base);
    report->setOptions(FirstPageHeader | LastPageFooter);
    report->setPrintIfEmpty(true);
    report->setReportTitle(QString());
    TRpPrinterSettings &printer = report->printerSettings();
    printer.Copies = 1;
    printer.Duplex = false;
    printer.FirstPage = 0;
    printer.LastPage = 0;
    printer.OutputBin = obAuto;

    TRpBand *RpBand1 = report->addBand(rbDetail, 40.217);
    RpBand1->setName(QStringLiteral("RpBand1"));
    RpBand1->setColor(Qt::white);
    TRpBand *RpBand2 = report->addBand(rbPageFooter, 227.277);
    RpBand2->setName(QStringLiteral("RpBand2"));
    RpBand2->setColor(Qt::white);

    // The address block: a line whose field is empty disappears, but the
    // first two always keep their blank and so always hold their place.
    auto *RpExprMemo1 = RpBand1->addControl<TRpExprMemo>(0.794, 0.529, 39.952, 28.840);
    RpExprMemo1->setName(QStringLiteral("RpExprMemo1"));
    RpExprMemo1->setLines(
        {QStringLiteral("{Firstname +' '+Surname}"), QStringLiteral("{Address1 +' '+ Address2}"),
         QStringLiteral("{A3_Village}"), QStringLiteral("{Town}"), QStringLiteral("{County}"),
         QStringLiteral("{PostCode}"), QStringLiteral("{Country}")});
    RpExprMemo1->setRemoveBlankLines(true);
    RpExprMemo1->setAutoSize(true);
    RpExprMemo1->setWordWrap(true);

    auto *RpLabel1 = RpBand1->addControl<TRpLabel>(0.794, 34.925, 7.408, 4.498);
    RpLabel1->setName(QStringLiteral("RpLabel1"));
    RpLabel1->setCaption(tr("Dear"));
    RpLabel1->setAutoSize(true);

    auto *RpExprMemo2 = RpBand1->addControl<TRpExprMemo>(9.790, 34.925, 39.952, 4.498);
    RpExprMemo2->setName(QStringLiteral("RpExprMemo2"));
    RpExprMemo2->setLines({QStringLiteral("{Firstname +' '+Surname},")});
    RpExprMemo2->setRemoveBlankLines(false);
    RpExprMemo2->setAutoSize(true);

    for (TRpCustomLabel *c :
         {static_cast<TRpCustomLabel *>(RpExprMemo1), static_cast<TRpCustomLabel *>(RpLabel1),
          static_cast<TRpCustomLabel *>(RpExprMemo2)}) {
        c->setAlignment(taLeftJustify);
        c->setAlignToBand(false);
        c->setTransparent(false);
        c->setColor(Qt::white);
        // A larger font from "Match Font" must not take a line off the paper.
        c->setFence(&TRpCustomLabel::printableArea);
    }

    // The letter body is whatever the editor holds when the footer prints.
    auto *RpRichText1 = RpBand2->addControl<TRpRichText>(0.794, 0.529, 188.119, 206.640);
    RpRichText1->setName(QStringLiteral("RpRichText1"));
    RpRichText1->setParentRichEdit(body);
}

TfmMailRp::TfmMailRp(ReportDataSet *data, QTextDocument *letter, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmMailRp"));
    setWindowTitle(tr("Mail Merged"));
    m_report = new TReport(this);
    m_report->setObjectName(QStringLiteral("Report1"));
    buildLayout(m_report, data, letter);
}

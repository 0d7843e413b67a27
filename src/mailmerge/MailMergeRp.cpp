#include "mailmerge/MailMergeRp.h"

#include "app/HomeGrid.h"
#include "mailmerge/MailMergeEdit.h"
#include "reports/Report.h"

#include <QTextEdit>

TfmMailRp *fmMailRp = nullptr;

TfmMailRp::TfmMailRp(QWidget *parent) : QWidget(parent)
{
    fmMailRp = this;
    setObjectName(QStringLiteral("fmMailRp"));
    setWindowTitle(QStringLiteral("Mail Merged"));

    Report1 = new TReport(this);
    Report1->setObjectName(QStringLiteral("Report1"));
    if (fmHomeAddMain)
        Report1->setDataSet(fmHomeAddMain->HomeQuery);
    TRpPage &page = Report1->page();
    page.Orientation = QPageLayout::Portrait;
    page.TopMargin = page.BottomMargin = page.LeftMargin = page.RightMargin = 10;
    page.Columns = 1;
    page.ColumnSpace = 0;
    FontValue base;
    base.font = QFont(QStringLiteral("Arial"), 10);
    base.color = Qt::black;
    Report1->setFont(base);
    Report1->setOptions(FirstPageHeader | LastPageFooter);
    Report1->setPrintIfEmpty(true);
    Report1->setReportTitle(QString());
    TRpPrinterSettings &printer = Report1->printerSettings();
    printer.Copies = 1;
    printer.Duplex = false;
    printer.FirstPage = 0;
    printer.LastPage = 0;
    printer.OutputBin = obAuto;

    RpBand1 = Report1->addBand(rbDetail, 40.217);
    RpBand1->setName(QStringLiteral("RpBand1"));
    RpBand1->setColor(Qt::white);
    RpBand2 = Report1->addBand(rbPageFooter, 227.277);
    RpBand2->setName(QStringLiteral("RpBand2"));
    RpBand2->setColor(Qt::white);

    // The address block: a line whose field is empty disappears, but the
    // first two always keep their blank and so always hold their place.
    RpExprMemo1 = RpBand1->addControl<TRpExprMemo>(0.794, 0.529, 39.952, 28.840);
    RpExprMemo1->setName(QStringLiteral("RpExprMemo1"));
    RpExprMemo1->setLines(
        {QStringLiteral("{Firstname +' '+Surname}"), QStringLiteral("{Address1 +' '+ Address2}"),
         QStringLiteral("{A3_Village}"), QStringLiteral("{Town}"), QStringLiteral("{County}"),
         QStringLiteral("{PostCode}"), QStringLiteral("{Country}")});
    RpExprMemo1->setRemoveBlankLines(true);
    RpExprMemo1->setAutoSize(true);
    RpExprMemo1->setWordWrap(true);

    RpLabel1 = RpBand1->addControl<TRpLabel>(0.794, 34.925, 7.408, 4.498);
    RpLabel1->setName(QStringLiteral("RpLabel1"));
    RpLabel1->setCaption(QStringLiteral("Dear"));
    RpLabel1->setAutoSize(true);

    RpExprMemo2 = RpBand1->addControl<TRpExprMemo>(9.790, 34.925, 39.952, 4.498);
    RpExprMemo2->setName(QStringLiteral("RpExprMemo2"));
    RpExprMemo2->setLines({QStringLiteral("{Firstname +' '+Surname},")});
    RpExprMemo2->setRemoveBlankLines(false);
    RpExprMemo2->setAutoSize(true);

    for (TRpPrintable *c :
         {static_cast<TRpPrintable *>(RpExprMemo1), static_cast<TRpPrintable *>(RpLabel1),
          static_cast<TRpPrintable *>(RpExprMemo2)}) {
        c->setAlignment(taLeftJustify);
        c->setAlignToBand(false);
        c->setTransparent(false);
        c->setColor(Qt::white);
    }

    // The letter body is whatever the editor holds when the footer prints.
    RpRichText1 = RpBand2->addControl<TRpRichText>(0.794, 0.529, 188.119, 206.640);
    RpRichText1->setName(QStringLiteral("RpRichText1"));
    if (fmMailMergeEdit)
        RpRichText1->setParentRichEdit(fmMailMergeEdit->RichEdit1->document());
}

TfmMailRp::~TfmMailRp()
{
    if (fmMailRp == this)
        fmMailRp = nullptr;
}

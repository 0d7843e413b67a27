#pragma once

#include <QWidget>

class QTextDocument;
class ReportDataSet;
class TReport;
class TRpBand;
class TRpExprMemo;
class TRpLabel;
class TRpRichText;

// Holds the merged letter layout: one A4 page per row of the main query with
// the address block and the salutation at the top and, in the page footer,
// the letter body straight from the editor. Never shown.
class TfmMailRp : public QWidget
{
    Q_OBJECT
public:
    // The letters are the document merged with each record of the query.
    TfmMailRp(ReportDataSet *data, QTextDocument *letter, QWidget *parent = nullptr);

    // The merged letter report: its preview, its run, its address font.
    TReport *report() const { return Report1; }

    // Lays the merged letter out on report: rows from data, the letter body
    // from body (the editor's document in the program). The holder window
    // and the command-line printer share it.
    static void buildLayout(TReport *report, ReportDataSet *data, QTextDocument *body);

private:
    TReport *Report1;
    TRpBand *RpBand1; // detail: address block and salutation
    TRpBand *RpBand2; // page footer: the letter body
    TRpExprMemo *RpExprMemo1;
    TRpLabel *RpLabel1;
    TRpExprMemo *RpExprMemo2;
    TRpRichText *RpRichText1;
};

#pragma once

#include <QWidget>

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
    explicit TfmMailRp(QWidget *parent = nullptr);
    ~TfmMailRp() override;

    TReport *Report1;
    TRpBand *RpBand1; // detail: address block and salutation
    TRpBand *RpBand2; // page footer: the letter body
    TRpExprMemo *RpExprMemo1;
    TRpLabel *RpLabel1;
    TRpExprMemo *RpExprMemo2;
    TRpRichText *RpRichText1;
};

extern TfmMailRp *fmMailRp;

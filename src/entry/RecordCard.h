#pragma once

#include "dbaware/DBEdit.h"
#include "dbaware/DBMemo.h"
#include "dbaware/DataSource.h"

#include <QImage>
#include <QWidget>

class AdoQuery;
class ClickPanel;
class QLabel;

// The record card: the current record of the main query on a ruled index
// card, with blue labels in the margin, the notes in the top right corner and
// a bar of six panels that step through, add, delete and cancel records.
class TfmRecCard : public QWidget
{
    Q_OBJECT
public:
    explicit TfmRecCard(AdoQuery *query, QWidget *parent = nullptr);
    ~TfmRecCard() override;

    DataSource *dsRecCard;

    QWidget *Panel1;  // the card face
    QLabel *Image1;   // the ruled card, at the back
    QWidget *Panel2;  // red margin line
    QWidget *Panel10; // short red line between the lower right labels and fields
    QWidget *Panel3;  // the bottom bar
    ClickPanel *Panel5, *Panel7, *Panel8, *Panel9, *Panel4, *Panel6;

    DBEdit *DBEdit1, *DBEdit2, *DBEdit3, *DBEdit4, *DBEdit5, *DBEdit6, *DBEdit7, *DBEdit8, *DBEdit9,
        *DBEdit10, *DBEdit11, *DBEdit12, *DBEdit20, *DBEdit13, *DBEdit21, *DBEdit19, *DBEdit17;
    DBMemo *DBMemo2;

    // The ruled card picture: white, pale blue rules, 583 x 413 pixels.
    static QImage ruledCard();
    // Where the card face's rule for line n (1 to 14) lies, in card-face pixels.
    static double ruleY(int line);

    void FormShow();
    void FormClose();
    void Panel5Click();
    void Panel4Click();
    void Panel7Click();
    void Panel8Click();
    void Panel9Click();
    void Button1Click();
    void DBEdit12DblClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    DBEdit *addField(int field, int line, bool rightColumn, const QString &label, const char *name);
    bool m_shownBefore = false;
};

extern TfmRecCard *fmRecCard;

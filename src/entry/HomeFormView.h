#pragma once

#include "dbaware/DBEdit.h"
#include "dbaware/DBMemo.h"
#include "dbaware/DBNavigator.h"
#include "dbaware/DataSource.h"

#include <QWidget>

class AdoQuery;
class QLabel;
class QPushButton;
class QTabWidget;

// The record form view: every stored field of the current record on a
// compact form with two pages, and a navigator of its own.
class TfmHomeForm : public QWidget
{
    Q_OBJECT
public:
    explicit TfmHomeForm(AdoQuery *query, QWidget *parent = nullptr);
    ~TfmHomeForm() override;

    DataSource *dsFormView;

    QWidget *Panel3, *Panel2;
    QTabWidget *PageControl1;
    QWidget *TabSheet1, *TabSheet2;
    DBNavigator *DBNavigator1;
    QPushButton *BitBtn1;

    DBEdit *DBEdit2, *DBEdit3, *DBEdit1; // top band
    DBEdit *DBEdit4, *DBEdit5, *DBEdit6, *DBEdit7, *DBEdit8, *DBEdit9, *DBEdit10, *DBEdit11,
        *DBEdit12, *DBEdit13; // page 1
    DBMemo *DBMemo1;          // page 2
    DBEdit *DBEdit14, *DBEdit15, *DBEdit16, *DBEdit17, *DBEdit18;

    void FormShow();
    void FormActivate();
    void FormClose();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    QSize frameExtra() const;
};

extern TfmHomeForm *fmHomeForm;

#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;

// The search dialog's help: a coloured title band above a read-only text.
// One window for the whole run, hidden when closed.
class TfmSearchHelp : public QWidget
{
    Q_OBJECT
public:
    explicit TfmSearchHelp(QWidget *parent = nullptr);
    ~TfmSearchHelp() override;

    QFrame *Panel1;
    QLabel *Label1;
    QPlainTextEdit *Memo1;

    static QString helpText();
};

extern TfmSearchHelp *fmSearchHelp;

#pragma once

#include <QWidget>

class QLabel;
class QTextEdit;

// The short built-in help note. One instance for the whole run; closing it
// hides it.
class TfmHelpMemo : public QWidget
{
    Q_OBJECT
public:
    TfmHelpMemo();
    QWidget *Panel1;
    QLabel *Label1;
    QTextEdit *RichEdit1;
    // Shows it, or brings it forward when it is already open.
    void showAndRaise();
};

extern TfmHelpMemo *fmHelpMemo;

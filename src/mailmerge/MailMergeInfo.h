#pragma once

#include <QDialog>

class QLabel;
class QTextEdit;

// A short note on how a mail merge goes, opened from the mail merge window.
class TfmMailMergeHelp : public QDialog
{
    Q_OBJECT
public:
    explicit TfmMailMergeHelp(QWidget *parent = nullptr);
    ~TfmMailMergeHelp() override;

    QWidget *Panel1;
    QLabel *Label1;
    QTextEdit *RichEdit1;

    static QString helpText();
};

extern TfmMailMergeHelp *fmMailMergeHelp;

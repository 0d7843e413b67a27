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

    static QString helpText();

private:
    QWidget *m_titleBand;
    QLabel *m_title;
    QTextEdit *m_note;
};

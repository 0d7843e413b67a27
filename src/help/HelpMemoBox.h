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

private:
    QWidget *m_titleBand;
    QLabel *m_title;
    QTextEdit *m_note;
};

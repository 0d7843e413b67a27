#pragma once

#include <QWidget>

class QTextEdit;

// The thank-you list, opened from the splash's "Credits". One instance for the
// whole run; closing it hides it, and what was typed into it stays until the
// program ends.
class TfmCredits : public QWidget
{
    Q_OBJECT
public:
    TfmCredits();

private:
    QTextEdit *m_thanks;
};

#pragma once

#include "widgets/ClickPanel.h"

#include <QFrame>
#include <QWidget>

class QLabel;
class QTimer;

// The "about" box: the program's icon, name and authorship, and "Credits".
// Every "&About" makes a new one, which closes and disposes of itself 5
// seconds after it was made.
class TfmSplash : public QWidget
{
    Q_OBJECT
public:
    TfmSplash();

signals:
    // "Credits" was clicked.
    void creditsRequested();

private:
    QFrame *m_face;
    QLabel *m_icon;
    QFrame *m_namePanel;
    QLabel *m_programName, *m_tagLine, *m_developedBy, *m_author;
    ClickPanel *m_creditsPanel;
    QTimer *m_closeTimer;
};

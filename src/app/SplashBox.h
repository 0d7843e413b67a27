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
    ~TfmSplash() override;

    QFrame *Panel1;
    QLabel *Image1;
    QFrame *Panel2;
    QLabel *Label4, *Label1, *Label3, *Label2;
    ClickPanel *Panel3;
    QTimer *Timer1;

    void Timer1Timer();

signals:
    // "Credits" was clicked.
    void creditsRequested();
};

// The splash made last, while it is showing.
extern TfmSplash *fmSplash;

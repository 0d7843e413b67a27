#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QTextEdit;

// The start-up options window: an introduction to the program and the two
// start-up choices, which live only in the settings file. It is made afresh
// each time it is shown and destroyed when closed.
class TfmStartOptions : public QDialog
{
    Q_OBJECT
public:
    explicit TfmStartOptions(QWidget *owner = nullptr);

protected:
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    // The check boxes take the settings file's values, and give them back.
    void loadChoices();
    void saveChoices();

    QLabel *m_banner;
    QTextEdit *m_introduction;
    QCheckBox *m_showSampleBox, *m_showThisWindowBox;
    // Set once the check boxes hold the file's values, cleared when they are
    // written back: a window that never took them over writes nothing.
    bool m_loaded = false;
};

#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The small panel from which a mail merge is prepared and run. It keeps no
// state of its own: the letter lives in the editor, the recipients in the main
// query and the address font in the merged letter report.
class TfmMailMergeSetup : public QWidget
{
    Q_OBJECT
public:
    explicit TfmMailMergeSetup(QWidget *parent = nullptr);
    ~TfmMailMergeSetup() override;

    QWidget *Panel1;
    QLabel *Label1, *Label2, *Label3, *Label4;
    QPushButton *btnDocument, *btnMAilSearch, *btnMerge, *btnChangeFont, *btnHelp, *BitBtn1;

    void btnDocumentClick();
    void btnMAilSearchClick();
    void btnMergeClick();
    void btnChangeFontClick();
    void btnHelpClick();

signals:
    // "Search": the recipients are chosen in the search dialog.
    void searchRequested();
};

extern TfmMailMergeSetup *fmMailMergeSetup;

// Shows a window of the program that stands beside the others: brought
// forward if it is already open.
void showNonModal(QWidget *window);

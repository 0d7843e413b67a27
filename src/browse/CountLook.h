#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The county pick list editor: a working copy of the grid's County pick list,
// kept sorted without regard to letter case, where names are added and
// deleted. "OK" hands the list on (listAccepted) and writes "ListFile.txt";
// "&Close" forgets the changes.
class TfmCountyListEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TfmCountyListEdit(QWidget *parent = nullptr);
    ~TfmCountyListEdit() override;

    QListWidget *lbCountyList;
    QLabel *Label1, *Label2;
    QPushButton *btDeleteItem, *btOKEdit, *btAddEdit, *BitBtn1;
    QLineEdit *edCountyList;

    // Replaces the working copy; the list sorts the entries as they come in.
    void setEntries(const QStringList &entries);
    // The working copy, in the list's order.
    QStringList entries() const;
    // Adds one entry at its sorted place; equal names are kept side by side.
    void addSorted(const QString &entry);

    void btAddEditClick();
    void btDeleteItemClick();
    void btOKEditClick();

signals:
    // "OK": the list the grid's County column now offers.
    void listAccepted(const QStringList &counties);
};

extern TfmCountyListEdit *fmCountyListEdit;

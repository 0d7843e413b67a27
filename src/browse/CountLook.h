#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

// The county pick list editor: a working copy of the grid's County pick list,
// kept sorted without regard to letter case, where names are added and
// deleted. "OK" hands the list on (listAccepted) and writes "ListFile.txt";
// "&Close" forgets the changes.
class TfmCountyListEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TfmCountyListEdit(QWidget *parent = nullptr);

    // Replaces the working copy; the list sorts the entries as they come in.
    void setEntries(const QStringList &entries);
    // The working copy, in the list's order.
    QStringList entries() const;
    // Adds one entry at its sorted place; equal names are kept side by side.
    void addSorted(const QString &entry);

signals:
    // "OK": the list the grid's County column now offers.
    void listAccepted(const QStringList &counties);

private:
    void addTypedName();
    void deleteHighlighted();
    void acceptList();

    QListWidget *m_list;
    QLineEdit *m_newNameEdit;
};

#pragma once

#include <QDialog>
#include <QListWidget>
#include <QString>

class AddressBook;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TfmSearchHelp;

// The field list of the search dialog: a click toggles the clicked entry's
// highlight and leaves the others alone. Dragging over entries and Shift/Ctrl
// ranges select nothing more.
class ToggleListBox : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    void focusInEvent(QFocusEvent *e) override;
};

// The search dialog: narrows the main query to the records whose chosen field
// contains (or, with "NOT Search", does not contain) a word. It keeps no rows
// of its own; what it selects is what the grid, the record windows, the
// reports and the mail merge all see. Created once, hidden between uses, so
// the field choice, the word and the NOT box carry over from one opening to
// the next.
class TfmSQLSearchDialog : public QDialog
{
    Q_OBJECT
public:
    // How the dialog closed.
    enum ModalResult
    {
        mrCancel = QDialog::Rejected,
        mrOk = QDialog::Accepted,
        mrRetry = 4
    };

    // Searches select the book's records; creating the dialog opens them.
    // Should that first open fail, the error box stands over `startUpWindow`.
    TfmSQLSearchDialog(AddressBook *book, QWidget *startUpWindow, QWidget *parent = nullptr);

    // Empties the word box, as the main window's reset does.
    void clearSearchWord();
    // The field the next search looks in: empty until the user picks one (or
    // the first search without one falls back).
    QString fieldName() const { return m_fieldName; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    void fillFieldList();
    void pickField();
    void search();
    void showEveryone();
    void showHelp();

    AddressBook *m_book;
    QString m_fieldName;

    ToggleListBox *m_fieldList;
    QLineEdit *m_wordEdit;
    QCheckBox *m_excludeBox;
    QPushButton *m_resetButton, *m_okButton, *m_cancelButton, *m_helpButton;
    TfmSearchHelp *m_help;
};

#pragma once

#include <QDialog>
#include <QListWidget>
#include <QString>

class AddressBook;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

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
    explicit TfmSQLSearchDialog(AddressBook *book, QWidget *parent = nullptr);
    ~TfmSQLSearchDialog() override;

    QFrame *Bevel1;
    QLabel *Label2, *Label1;
    ToggleListBox *sqListBox;
    QLineEdit *sqEditBox;
    QCheckBox *cboxNot;
    QPushButton *sqRetryBtn, *sqOKBtn, *sqCancelBtn, *sqHelpBtn;

    // Handlers.
    void FormCreate();
    void sqListBoxClick();
    void sqOKBtnClick();
    void sqRetryBtnClick();
    void sqCancelBtnClick();
    void sqHelpBtnClick();

protected:
    void showEvent(QShowEvent *e) override;

private:
    AddressBook *m_book;
};

extern TfmSQLSearchDialog *fmSQLSearchDialog;
// The field the next search looks in; one for the whole program, empty until
// the user picks one (or the first search without one falls back).
extern QString sqFieldName;

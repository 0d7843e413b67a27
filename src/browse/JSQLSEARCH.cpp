#include "browse/JSQLSEARCH.h"
#include "store/AddressBook.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include "widgets/Hints.h"
#include "app/HomeGrid.h"
#include "browse/HelponSearch.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/WindowFont.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

TfmSQLSearchDialog *fmSQLSearchDialog = nullptr;
QString sqFieldName;

namespace {

// Flag2 is the one field the list leaves out.
constexpr int kLeftOutEntry = 18;
// The field searched when none was chosen: the second entry.
constexpr int kFallbackEntry = 1;

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint, QStyle::StandardPixmap icon, const QRect &geometry)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(b->style()->standardIcon(icon));
    if (!hint.isEmpty())
        setHint(b, hint);
    b->setGeometry(geometry);
    return b;
}

} // namespace

QItemSelectionModel::SelectionFlags ToggleListBox::selectionCommand(const QModelIndex &index,
                                                                    const QEvent *event) const
{
    // A click toggles; keys only move the current entry, except Space, which
    // toggles it as a click would. Moving with the button held toggles nothing.
    if (!index.isValid() || !event)
        return QItemSelectionModel::NoUpdate;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return static_cast<const QMouseEvent *>(event)->button() == Qt::LeftButton
                   ? QItemSelectionModel::Toggle
                   : QItemSelectionModel::NoUpdate;
    case QEvent::KeyPress:
        return static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Space
                   ? QItemSelectionModel::Toggle
                   : QItemSelectionModel::NoUpdate;
    default:
        return QItemSelectionModel::NoUpdate;
    }
}

void ToggleListBox::focusInEvent(QFocusEvent *e)
{
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(e);
    // Coming into the list marks its first entry as current, which looks
    // like a choice; no entry is marked until the user moves to one.
    if (!hadCurrent && selectedItems().isEmpty())
        selectionModel()->clearCurrentIndex();
}

TfmSQLSearchDialog::TfmSQLSearchDialog(AddressBook *book, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_book(book)
{
    fmSQLSearchDialog = this;
    setObjectName(QStringLiteral("fmSQLSearchDialog"));
    setWindowTitle(QStringLiteral("Varnel 3 SQL Search"));
    setFont(windowFont());
    setFixedSize(333, 315);

    // Left: the sunken frame with the field list and the word box.
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Panel);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 217, 299);

    Label2 = new QLabel(QStringLiteral("Select field to search in :"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(18, 14, 197, 16);
    sqListBox = new ToggleListBox(this);
    sqListBox->setObjectName(QStringLiteral("sqListBox"));
    sqListBox->setSelectionMode(QAbstractItemView::MultiSelection);
    sqListBox->setGeometry(18, 32, 197, 206);
    Label1 = new QLabel(QStringLiteral("Enter Word or part-word :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(18, 250, 197, 16);
    sqEditBox = new QLineEdit(this);
    sqEditBox->setObjectName(QStringLiteral("sqEditBox"));
    sqEditBox->setGeometry(18, 270, 197, 24);

    // Right: the check box and the buttons, top to bottom.
    cboxNot = new QCheckBox(QStringLiteral("NOT Search"), this);
    cboxNot->setObjectName(QStringLiteral("cboxNot"));
    setHint(cboxNot, QStringLiteral("Check to EXCLUDE a word from filtered table"));
    cboxNot->setGeometry(236, 16, 90, 20);
    sqRetryBtn =
        makeButton(this, "sqRetryBtn", QStringLiteral("&Reset"), QStringLiteral("Shows all names"),
                   QStyle::SP_BrowserReload, QRect(236, 64, 87, 27));
    sqOKBtn = makeButton(this, "sqOKBtn", QStringLiteral("O&K"), QStringLiteral("Starts search"),
                         QStyle::SP_DialogOkButton, QRect(236, 128, 87, 27));
    sqCancelBtn = makeButton(this, "sqCancelBtn", QStringLiteral("&Cancel"),
                             QStringLiteral("Cancels entry & closes this box"),
                             QStyle::SP_DialogCancelButton, QRect(236, 176, 87, 27));
    sqHelpBtn = makeButton(this, "sqHelpBtn", QStringLiteral("&Help"), QString(),
                           QStyle::SP_DialogHelpButton, QRect(236, 224, 87, 27));
    sqOKBtn->setDefault(true);

    setTabOrder(sqListBox, sqEditBox);
    setTabOrder(sqEditBox, sqOKBtn);
    setTabOrder(sqOKBtn, sqCancelBtn);
    setTabOrder(sqCancelBtn, sqRetryBtn);
    setTabOrder(sqRetryBtn, sqHelpBtn);
    setTabOrder(sqHelpBtn, cboxNot);
    // The first opening starts in the field list; later ones return to
    // wherever the focus was last.
    sqListBox->setFocus();

    connect(sqListBox, &QListWidget::itemSelectionChanged, this,
            &TfmSQLSearchDialog::sqListBoxClick);
    connect(sqOKBtn, &QPushButton::clicked, this, &TfmSQLSearchDialog::sqOKBtnClick);
    connect(sqRetryBtn, &QPushButton::clicked, this, &TfmSQLSearchDialog::sqRetryBtnClick);
    connect(sqCancelBtn, &QPushButton::clicked, this, &TfmSQLSearchDialog::sqCancelBtnClick);
    connect(sqHelpBtn, &QPushButton::clicked, this, &TfmSQLSearchDialog::sqHelpBtnClick);

    // Its own window so that it can be read and scrolled while the dialog
    // holds the rest of the program.
    new TfmSearchHelp(this);

    FormCreate();
}

TfmSQLSearchDialog::~TfmSQLSearchDialog()
{
    if (fmSQLSearchDialog == this)
        fmSQLSearchDialog = nullptr;
}

void TfmSQLSearchDialog::FormCreate()
{
    AdoQuery *query = m_book->query();
    for (const FieldDef &field : query->fields())
        sqListBox->addItem(field.name);
    delete sqListBox->takeItem(kLeftOutEntry);
    // The first open of the main query, and so the first connection to the
    // address book; a failure is shown and start-up goes on.
    guarded(fmHomeAddMain, [query] { query->open(); });
}

void TfmSQLSearchDialog::showEvent(QShowEvent *e)
{
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(e);
}

void TfmSQLSearchDialog::sqListBoxClick()
{
    // The lowest highlighted entry wins; with none, the choice stays.
    for (int i = 0; i < sqListBox->count(); ++i)
        if (sqListBox->item(i)->isSelected())
            sqFieldName = sqListBox->item(i)->text();
}

void TfmSQLSearchDialog::sqOKBtnClick()
{
    if (sqFieldName.isEmpty()) {
        Platform::dialogs().message(this, MsgKind::Information,
                                    QStringLiteral("Please select a field first"), false);
        sqFieldName = sqListBox->item(kFallbackEntry)->text();
    }
    guarded(this, [this] {
        m_book->select(
            SelectionStatements::search(sqFieldName, sqEditBox->text(), cboxNot->isChecked()));
    });
    // Closes whether the search ran or the engine refused it.
    done(mrOk);
}

void TfmSQLSearchDialog::sqRetryBtnClick()
{
    guarded(this, [this] {
        m_book->select(SelectionStatements::allOnRetry());
        sqEditBox->clear();
        done(mrRetry);
    });
}

void TfmSQLSearchDialog::sqCancelBtnClick()
{
    reject();
}

void TfmSQLSearchDialog::sqHelpBtnClick()
{
    fmSearchHelp->show();
    fmSearchHelp->raise();
    fmSearchHelp->activateWindow();
}

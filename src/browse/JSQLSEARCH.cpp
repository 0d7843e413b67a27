#include "browse/JSQLSEARCH.h"
#include "store/AddressBook.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include "browse/HelponSearch.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/Hints.h"
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

TfmSQLSearchDialog::TfmSQLSearchDialog(AddressBook *book, QWidget *startUpWindow, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_book(book)
{
    setObjectName(QStringLiteral("fmSQLSearchDialog"));
    setWindowTitle(tr("Varnel 3 SQL Search"));
    setFont(windowFont());
    setFixedSize(333, 315);

    // Left: the sunken frame with the field list and the word box.
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Bevel1"));
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(8, 8, 217, 299);

    auto *fieldLabel = new QLabel(tr("Select field to search in :"), this);
    fieldLabel->setObjectName(QStringLiteral("Label2"));
    fieldLabel->setGeometry(18, 14, 197, 16);
    m_fieldList = new ToggleListBox(this);
    m_fieldList->setObjectName(QStringLiteral("sqListBox"));
    m_fieldList->setSelectionMode(QAbstractItemView::MultiSelection);
    m_fieldList->setGeometry(18, 32, 197, 206);
    auto *wordLabel = new QLabel(tr("Enter Word or part-word :"), this);
    wordLabel->setObjectName(QStringLiteral("Label1"));
    wordLabel->setGeometry(18, 250, 197, 16);
    m_wordEdit = new QLineEdit(this);
    m_wordEdit->setObjectName(QStringLiteral("sqEditBox"));
    m_wordEdit->setGeometry(18, 270, 197, 24);

    // Right: the check box and the buttons, top to bottom.
    m_excludeBox = new QCheckBox(tr("NOT Search"), this);
    m_excludeBox->setObjectName(QStringLiteral("cboxNot"));
    setHint(m_excludeBox, tr("Check to EXCLUDE a word from filtered table"));
    m_excludeBox->setGeometry(236, 16, 90, 20);
    m_resetButton =
        makeButton(this, "sqRetryBtn", tr("&Reset"), tr("Shows all names"),
                   QStyle::SP_BrowserReload, QRect(236, 64, 87, 27));
    m_okButton = makeButton(this, "sqOKBtn", tr("O&K"), tr("Starts search"),
                            QStyle::SP_DialogOkButton, QRect(236, 128, 87, 27));
    m_cancelButton = makeButton(this, "sqCancelBtn", tr("&Cancel"),
                                tr("Cancels entry & closes this box"),
                                QStyle::SP_DialogCancelButton, QRect(236, 176, 87, 27));
    m_helpButton = makeButton(this, "sqHelpBtn", tr("&Help"), QString(),
                              QStyle::SP_DialogHelpButton, QRect(236, 224, 87, 27));
    m_okButton->setDefault(true);

    setTabOrder(m_fieldList, m_wordEdit);
    setTabOrder(m_wordEdit, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);
    setTabOrder(m_cancelButton, m_resetButton);
    setTabOrder(m_resetButton, m_helpButton);
    setTabOrder(m_helpButton, m_excludeBox);
    // The first opening starts in the field list; later ones return to
    // wherever the focus was last.
    m_fieldList->setFocus();

    connect(m_fieldList, &QListWidget::itemSelectionChanged, this, &TfmSQLSearchDialog::pickField);
    connect(m_okButton, &QPushButton::clicked, this, &TfmSQLSearchDialog::search);
    connect(m_resetButton, &QPushButton::clicked, this, &TfmSQLSearchDialog::showEveryone);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_helpButton, &QPushButton::clicked, this, &TfmSQLSearchDialog::showHelp);

    // Its own window so that it can be read and scrolled while the dialog
    // holds the rest of the program.
    m_help = new TfmSearchHelp(this);

    fillFieldList();
    // The first open of the main query, and so the first connection to the
    // address book; a failure is shown and start-up goes on.
    AdoQuery *query = m_book->query();
    guarded(startUpWindow, [query] { query->open(); });
}

void TfmSQLSearchDialog::clearSearchWord()
{
    m_wordEdit->clear();
}

void TfmSQLSearchDialog::fillFieldList()
{
    for (const FieldDef &field : m_book->query()->fields())
        m_fieldList->addItem(field.name);
    delete m_fieldList->takeItem(kLeftOutEntry);
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

void TfmSQLSearchDialog::pickField()
{
    // The lowest highlighted entry wins; with none, the choice stays.
    for (int i = 0; i < m_fieldList->count(); ++i)
        if (m_fieldList->item(i)->isSelected())
            m_fieldName = m_fieldList->item(i)->text();
}

void TfmSQLSearchDialog::search()
{
    if (m_fieldName.isEmpty()) {
        Platform::dialogs().message(this, MsgKind::Information,
                                    tr("Please select a field first"), false);
        m_fieldName = m_fieldList->item(kFallbackEntry)->text();
    }
    guarded(this, [this] {
        m_book->select(SelectionStatements::search(m_fieldName, m_wordEdit->text(),
                                                   m_excludeBox->isChecked()));
    });
    // Closes whether the search ran or the engine refused it.
    done(mrOk);
}

void TfmSQLSearchDialog::showEveryone()
{
    guarded(this, [this] {
        m_book->select(SelectionStatements::allOnRetry());
        m_wordEdit->clear();
        done(mrRetry);
    });
}

void TfmSQLSearchDialog::showHelp()
{
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

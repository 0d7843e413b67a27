#include "browse/CountLook.h"

#include "widgets/Hints.h"
#include "browse/CountyListFile.h"
#include "store/AddressFields.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/WindowFont.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

TfmCountyListEdit::TfmCountyListEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCountyListEdit"));
    setWindowTitle(tr("Edit County Pick List"));
    setModal(true);
    setFont(windowFont());
    resize(295, 328);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lbCountyList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Kept in order by addSorted: the list widget's own sort heeds letter case.
    m_list->setSortingEnabled(false);

    auto *listHint =
        new QLabel(tr("Select here if amending or deleting a county name."), this);
    listHint->setObjectName(QStringLiteral("Label1"));
    listHint->setWordWrap(true);
    listHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *deleteButton = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                         tr("Delete Item"), this);
    deleteButton->setObjectName(QStringLiteral("btDeleteItem"));
    auto *okButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                                     tr("OK"), this);
    okButton->setObjectName(QStringLiteral("btOKEdit"));
    okButton->setDefault(true);
    auto *newNameLabel = new QLabel(tr("Enter new County here"), this);
    newNameLabel->setObjectName(QStringLiteral("Label2"));
    m_newNameEdit = new QLineEdit(this);
    m_newNameEdit->setObjectName(QStringLiteral("edCountyList"));
    m_newNameEdit->setToolTip(tr("Enter new county name"));
    newNameLabel->setBuddy(m_newNameEdit);
    auto *addButton = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp),
                                      tr("Add to List"), this);
    addButton->setObjectName(QStringLiteral("btAddEdit"));
    // Shown in the status bar only, not as a tooltip.
    addButton->setStatusTip(tr("Adds new name to list above"));
    auto *closeButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                        tr("&Close"), this);
    closeButton->setObjectName(QStringLiteral("BitBtn1"));
    for (QPushButton *b : {deleteButton, okButton, addButton, closeButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(92);
    }
    okButton->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(m_list, 0, 0, 3, 1);
    grid->addWidget(listHint, 0, 1);
    grid->addWidget(deleteButton, 1, 1, Qt::AlignVCenter);
    grid->addWidget(okButton, 2, 1, Qt::AlignBottom);
    grid->addWidget(newNameLabel, 3, 0);
    grid->addWidget(m_newNameEdit, 4, 0);
    grid->addWidget(addButton, 4, 1);
    grid->addWidget(closeButton, 5, 1, Qt::AlignBottom);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    setTabOrder(m_list, closeButton);
    setTabOrder(closeButton, addButton);
    setTabOrder(addButton, okButton);
    setTabOrder(okButton, m_newNameEdit);
    setTabOrder(m_newNameEdit, deleteButton);

    connect(addButton, &QPushButton::clicked, this, &TfmCountyListEdit::addTypedName);
    connect(deleteButton, &QPushButton::clicked, this, &TfmCountyListEdit::deleteHighlighted);
    connect(okButton, &QPushButton::clicked, this, &TfmCountyListEdit::acceptList);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmCountyListEdit::setEntries(const QStringList &entries)
{
    m_list->clear();
    for (const QString &e : entries)
        addSorted(e);
}

QStringList TfmCountyListEdit::entries() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i)
        out << m_list->item(i)->text();
    return out;
}

void TfmCountyListEdit::addSorted(const QString &entry)
{
    // After every entry that does not sort after the new one.
    int lo = 0, hi = m_list->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (CountyListFile::lessThan(entry, m_list->item(mid)->text()))
            hi = mid;
        else
            lo = mid + 1;
    }
    m_list->insertItem(lo, entry);
}

void TfmCountyListEdit::addTypedName()
{
    addSorted(m_newNameEdit->text());
}

void TfmCountyListEdit::deleteHighlighted()
{
    for (int i = m_list->count() - 1; i >= 0; --i)
        if (m_list->item(i)->isSelected())
            delete m_list->takeItem(i);
}

void TfmCountyListEdit::acceptList()
{
    const QStringList list = entries();
    emit listAccepted(list);
    // A file that was not read whole is replaced only when the user says so:
    // it may hold names that never reached the list.
    const QString path = CountyListFile::path();
    if (!CountyListFile::readsWhole(path) &&
        !Platform::dialogs().message(
            this, MsgKind::Confirm,
            tr("%1 could not be read in full. Replace it with the list shown here?")
                .arg(QFileInfo(path).absoluteFilePath()),
            true)) {
        accept();
        return;
    }
    // A file that cannot be written is reported; the grid keeps the new list
    // for this run and the window closes all the same.
    guarded(this, [&] { CountyListFile::write(path, list); });
    accept();
}

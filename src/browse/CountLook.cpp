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

TfmCountyListEdit *fmCountyListEdit = nullptr;

TfmCountyListEdit::TfmCountyListEdit(QWidget *parent) : QDialog(parent)
{
    fmCountyListEdit = this;
    setObjectName(QStringLiteral("fmCountyListEdit"));
    setWindowTitle(QStringLiteral("Edit County Pick List"));
    setModal(true);
    setFont(windowFont());
    resize(295, 328);

    lbCountyList = new QListWidget(this);
    lbCountyList->setObjectName(QStringLiteral("lbCountyList"));
    lbCountyList->setSelectionMode(QAbstractItemView::SingleSelection);
    // Kept in order by addSorted: the list widget's own sort heeds letter case.
    lbCountyList->setSortingEnabled(false);

    Label1 = new QLabel(QStringLiteral("Select here if amending or deleting a county name."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    btDeleteItem = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                   QStringLiteral("Delete Item"), this);
    btDeleteItem->setObjectName(QStringLiteral("btDeleteItem"));
    btOKEdit = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                               QStringLiteral("OK"), this);
    btOKEdit->setObjectName(QStringLiteral("btOKEdit"));
    btOKEdit->setDefault(true);
    Label2 = new QLabel(QStringLiteral("Enter new County here"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    edCountyList = new QLineEdit(this);
    edCountyList->setObjectName(QStringLiteral("edCountyList"));
    edCountyList->setToolTip(QStringLiteral("Enter new county name"));
    Label2->setBuddy(edCountyList);
    btAddEdit = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp),
                                QStringLiteral("Add to List"), this);
    btAddEdit->setObjectName(QStringLiteral("btAddEdit"));
    // Shown in the status bar only, not as a tooltip.
    btAddEdit->setStatusTip(QStringLiteral("Adds new name to list above"));
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                              QStringLiteral("&Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    for (QPushButton *b : {btDeleteItem, btOKEdit, btAddEdit, BitBtn1}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(92);
    }
    btOKEdit->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(lbCountyList, 0, 0, 3, 1);
    grid->addWidget(Label1, 0, 1);
    grid->addWidget(btDeleteItem, 1, 1, Qt::AlignVCenter);
    grid->addWidget(btOKEdit, 2, 1, Qt::AlignBottom);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(edCountyList, 4, 0);
    grid->addWidget(btAddEdit, 4, 1);
    grid->addWidget(BitBtn1, 5, 1, Qt::AlignBottom);
    grid->setRowStretch(0, 1);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    setTabOrder(lbCountyList, BitBtn1);
    setTabOrder(BitBtn1, btAddEdit);
    setTabOrder(btAddEdit, btOKEdit);
    setTabOrder(btOKEdit, edCountyList);
    setTabOrder(edCountyList, btDeleteItem);

    connect(btAddEdit, &QPushButton::clicked, this, &TfmCountyListEdit::btAddEditClick);
    connect(btDeleteItem, &QPushButton::clicked, this, &TfmCountyListEdit::btDeleteItemClick);
    connect(btOKEdit, &QPushButton::clicked, this, &TfmCountyListEdit::btOKEditClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

TfmCountyListEdit::~TfmCountyListEdit()
{
    if (fmCountyListEdit == this)
        fmCountyListEdit = nullptr;
}

void TfmCountyListEdit::setEntries(const QStringList &entries)
{
    lbCountyList->clear();
    for (const QString &e : entries)
        addSorted(e);
}

QStringList TfmCountyListEdit::entries() const
{
    QStringList out;
    for (int i = 0; i < lbCountyList->count(); ++i)
        out << lbCountyList->item(i)->text();
    return out;
}

void TfmCountyListEdit::addSorted(const QString &entry)
{
    // After every entry that does not sort after the new one.
    int lo = 0, hi = lbCountyList->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (CountyListFile::lessThan(entry, lbCountyList->item(mid)->text()))
            hi = mid;
        else
            lo = mid + 1;
    }
    lbCountyList->insertItem(lo, entry);
}

void TfmCountyListEdit::btAddEditClick()
{
    addSorted(edCountyList->text());
}

void TfmCountyListEdit::btDeleteItemClick()
{
    for (int i = lbCountyList->count() - 1; i >= 0; --i)
        if (lbCountyList->item(i)->isSelected())
            delete lbCountyList->takeItem(i);
}

void TfmCountyListEdit::btOKEditClick()
{
    const QStringList list = entries();
    emit listAccepted(list);
    // A file that was not read whole is replaced only when the user says so:
    // it may hold names that never reached the list.
    const QString path = CountyListFile::path();
    if (!CountyListFile::readsWhole(path) &&
        !Platform::dialogs().message(
            this, MsgKind::Confirm,
            QStringLiteral("%1 could not be read in full. Replace it with the list shown here?")
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

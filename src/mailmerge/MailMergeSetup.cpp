#include "mailmerge/MailMergeSetup.h"

#include "widgets/Pictures.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "platform/Guard.h"
#include "reports/Report.h"
#include "widgets/WindowFont.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfmMailMergeSetup *fmMailMergeSetup = nullptr;

void showNonModal(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

TfmMailMergeSetup::TfmMailMergeSetup(QWidget *parent) : QWidget(parent, Qt::Window)
{
    fmMailMergeSetup = this;
    setObjectName(QStringLiteral("fmMailMergeSetup"));
    setWindowTitle(QStringLiteral("Varnel Mail Merge"));
    setWindowIcon(Pictures::programIcon());
    setFont(windowFont());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Midlight));
    setPalette(pal);
    resize(310, 231);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 8);
    outer->setSpacing(8);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(34);
    auto *title = new QHBoxLayout(Panel1);
    title->setContentsMargins(12, 0, 8, 0);
    Label1 = new QLabel(QStringLiteral("Setup Mail Merge"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(windowFont(14, true));
    title->addWidget(Label1);
    outer->addWidget(Panel1);

    auto makeLabel = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setFont(windowFont(10));
        return l;
    };
    auto makeButton = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setMinimumWidth(88);
        return b;
    };
    Label2 = makeLabel("Label2", QStringLiteral("Select, edit or create letter:"));
    // Stored as "Select names && addresses:"; a label shows one ampersand.
    Label3 = makeLabel("Label3", QStringLiteral("Select names & addresses:"));
    Label4 = makeLabel("Label4", QStringLiteral("Preview Merged Report:"));
    btnDocument = makeButton("btnDocument", QStringLiteral("&Document"));
    btnMAilSearch = makeButton("btnMAilSearch", QStringLiteral("&Select Names"));
    btnMerge = makeButton("btnMerge", QStringLiteral("&Merge"));

    auto *rows = new QGridLayout;
    rows->setContentsMargins(12, 0, 12, 0);
    rows->setVerticalSpacing(10);
    rows->addWidget(Label2, 0, 0);
    rows->addWidget(btnDocument, 0, 1);
    rows->addWidget(Label3, 1, 0);
    rows->addWidget(btnMAilSearch, 1, 1);
    rows->addWidget(Label4, 2, 0);
    rows->addWidget(btnMerge, 2, 1);
    rows->setColumnStretch(0, 1);
    outer->addLayout(rows);
    outer->addStretch(1);

    btnChangeFont = makeButton("btnChangeFont", QStringLiteral("Match Font"));
    btnHelp = makeButton("btnHelp", QStringLiteral("&Help"));
    btnHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BitBtn1 = makeButton("BitBtn1", QStringLiteral("&Close"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(12, 0, 12, 0);
    for (QPushButton *b : {btnChangeFont, btnHelp, BitBtn1})
        bottom->addWidget(b);
    outer->addLayout(bottom);

    // Tab order: Select Names, Merge, Document, Help, Close, Match Font.
    setTabOrder(btnMAilSearch, btnMerge);
    setTabOrder(btnMerge, btnDocument);
    setTabOrder(btnDocument, btnHelp);
    setTabOrder(btnHelp, BitBtn1);
    setTabOrder(BitBtn1, btnChangeFont);

    connect(btnDocument, &QPushButton::clicked, this, &TfmMailMergeSetup::btnDocumentClick);
    connect(btnMAilSearch, &QPushButton::clicked, this, &TfmMailMergeSetup::btnMAilSearchClick);
    connect(btnMerge, &QPushButton::clicked, this, &TfmMailMergeSetup::btnMergeClick);
    connect(btnChangeFont, &QPushButton::clicked, this, &TfmMailMergeSetup::btnChangeFontClick);
    connect(btnHelp, &QPushButton::clicked, this, &TfmMailMergeSetup::btnHelpClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
}

TfmMailMergeSetup::~TfmMailMergeSetup()
{
    if (fmMailMergeSetup == this)
        fmMailMergeSetup = nullptr;
}

void TfmMailMergeSetup::btnDocumentClick()
{
    showNonModal(fmMailMergeEdit);
}

void TfmMailMergeSetup::btnMAilSearchClick()
{
    // However the dialog closes, what it leaves in the main query is the list
    // of recipients; there is nothing to look at here.
    emit searchRequested();
}

void TfmMailMergeSetup::btnMergeClick()
{
    // Returns when the preview is closed. A click while the letters are still
    // being prepared finds the report running and does nothing.
    if (fmMailRp)
        guarded(this, [] { fmMailRp->Report1->Preview(); });
}

void TfmMailMergeSetup::btnChangeFontClick()
{
    // A font that cannot be taken over changes nothing and says nothing.
    try {
        fmMailRp->Report1->setFont(fmMailMergeEdit->FontDialog1.Font);
    } catch (...) {
    }
}

void TfmMailMergeSetup::btnHelpClick()
{
    showNonModal(fmMailMergeHelp);
}

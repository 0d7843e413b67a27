#include "mailmerge/MailMergeSetup.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TfmMailMergeSetup::TfmMailMergeSetup(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmMailMergeSetup"));
    setWindowTitle(tr("Varnel Mail Merge"));
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

    auto *titleBand = new QWidget(this);
    titleBand->setObjectName(QStringLiteral("Panel1"));
    titleBand->setFixedHeight(34);
    auto *titleRow = new QHBoxLayout(titleBand);
    titleRow->setContentsMargins(12, 0, 8, 0);
    auto *title = new QLabel(tr("Setup Mail Merge"), titleBand);
    title->setObjectName(QStringLiteral("Label1"));
    title->setFont(windowFont(14, true));
    titleRow->addWidget(title);
    outer->addWidget(titleBand);

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
    QLabel *letterLabel = makeLabel("Label2", tr("Select, edit or create letter:"));
    // Stored as "Select names && addresses:"; a label shows one ampersand.
    QLabel *namesLabel = makeLabel("Label3", tr("Select names & addresses:"));
    QLabel *mergeLabel = makeLabel("Label4", tr("Preview Merged Report:"));
    m_documentButton = makeButton("btnDocument", tr("&Document"));
    m_selectNamesButton = makeButton("btnMAilSearch", tr("&Select Names"));
    m_mergeButton = makeButton("btnMerge", tr("&Merge"));

    auto *rows = new QGridLayout;
    rows->setContentsMargins(12, 0, 12, 0);
    rows->setVerticalSpacing(10);
    rows->addWidget(letterLabel, 0, 0);
    rows->addWidget(m_documentButton, 0, 1);
    rows->addWidget(namesLabel, 1, 0);
    rows->addWidget(m_selectNamesButton, 1, 1);
    rows->addWidget(mergeLabel, 2, 0);
    rows->addWidget(m_mergeButton, 2, 1);
    rows->setColumnStretch(0, 1);
    outer->addLayout(rows);
    outer->addStretch(1);

    m_matchFontButton = makeButton("btnChangeFont", tr("Match Font"));
    m_helpButton = makeButton("btnHelp", tr("&Help"));
    m_helpButton->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    m_closeButton = makeButton("BitBtn1", tr("&Close"));
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(12, 0, 12, 0);
    for (QPushButton *b : {m_matchFontButton, m_helpButton, m_closeButton})
        bottom->addWidget(b);
    outer->addLayout(bottom);

    // Tab order: Select Names, Merge, Document, Help, Close, Match Font.
    setTabOrder(m_selectNamesButton, m_mergeButton);
    setTabOrder(m_mergeButton, m_documentButton);
    setTabOrder(m_documentButton, m_helpButton);
    setTabOrder(m_helpButton, m_closeButton);
    setTabOrder(m_closeButton, m_matchFontButton);

    connect(m_documentButton, &QPushButton::clicked, this, &TfmMailMergeSetup::documentRequested);
    connect(m_selectNamesButton, &QPushButton::clicked, this,
            &TfmMailMergeSetup::recipientsRequested);
    connect(m_mergeButton, &QPushButton::clicked, this, &TfmMailMergeSetup::mergeRequested);
    connect(m_matchFontButton, &QPushButton::clicked, this, &TfmMailMergeSetup::matchFontRequested);
    connect(m_helpButton, &QPushButton::clicked, this, &TfmMailMergeSetup::helpRequested);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
}

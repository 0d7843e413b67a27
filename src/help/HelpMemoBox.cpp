#include "help/HelpMemoBox.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextEdit>

namespace {
const char *const kNote = QT_TRANSLATE_NOOP(
    "TfmHelpMemo",
    "GETTING STARTED\n"
    "\n"
    "Varnel is designed to be simple to use. You can store, find and use your data without having to "
    "learn how first, and you should find your way about easily.\n"
    "\n"
    "Full indexed instructions, with illustrations, are in the manual. Choose Help from the Help menu, "
    "or press F1, to read it.\n"
    "\n"
    "Varnel 3 starts up with a sample table for you to practise on: add, delete and search for records "
    "and try out the reports, without any risk to your own data.\n"
    "\n"
    "Varnel data is stored in a file ending in .vdf, which is in Microsoft Access format.\n"
    "\n"
    "\n"
    "IMPROVEMENTS\n"
    "\n"
    "We welcome constructive comments and suggestions.\n"
    "\n"
    "E-mail us at comments@pennyford-software.example\n"
    "Leave a message on our web site, www.pennyford-software.example\n"
    "Or write to Pennyford Software, 7 Tanners Row, Ludlow SY8 4QX\n");
} // namespace

TfmHelpMemo::TfmHelpMemo()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                           | Qt::WindowMinMaxButtonsHint)
{
    setObjectName(QStringLiteral("fmHelpMemo"));
    setWindowTitle(tr("Varnel"));
    setWindowIcon(Pictures::programIcon());
    setFont(windowFont());
    setFixedSize(442, 339);

    // The band in the desktop's colour for an active window's caption.
    m_titleBand = new QWidget(this);
    m_titleBand->setObjectName(QStringLiteral("Panel1"));
    m_titleBand->setGeometry(0, 0, 442, 32);
    QPalette pal = m_titleBand->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Active, QPalette::Highlight));
    m_titleBand->setPalette(pal);
    m_titleBand->setAutoFillBackground(true);
    m_title = new QLabel(tr("Help Information"), m_titleBand);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setFont(windowFont(12, true));
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);
    m_title->setGeometry(8, 0, 300, 32);
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_note = new QTextEdit(this);
    m_note->setObjectName(QStringLiteral("RichEdit1"));
    m_note->setGeometry(0, 32, 442, 339 - 32);
    m_note->setReadOnly(true);
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_note->setPlainText(tr(kNote));

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

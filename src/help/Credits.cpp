#include "help/Credits.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

TfmCredits *fmCredits = nullptr;

TfmCredits::TfmCredits()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    fmCredits = this;
    setObjectName(QStringLiteral("fmCredits"));
    setWindowTitle(QStringLiteral("Credits"));
    setWindowIcon(Pictures::programIcon());
    resize(404, 184);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setFont(windowFont(10));
    QPalette pal = RichEdit1->palette();
    pal.setColor(QPalette::Base, QColor(255, 251, 240)); // cream
    pal.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(pal);
    RichEdit1->setPlainText(QStringLiteral(
        "Thanks to \n"
        "\n"
        "Alasdair Penrose, for his programming books\n"
        "Miriam Oakes and the Wirebridge Developer Pages,\n"
        "for their guides and help pages\n"
        "Beta-testers Colin Maybury, Sunita Rao, Gwen Tillotson\n"
        "Fenwick Setup Tools, for the installation program\n"
        "and Jo, for the patience and the tea."));
    QTextCursor all(RichEdit1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    RichEdit1->document()->setModified(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(RichEdit1);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmCredits::showAndRaise()
{
    show();
    raise();
    activateWindow();
}

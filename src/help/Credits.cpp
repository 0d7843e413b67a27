#include "help/Credits.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

TfmCredits::TfmCredits()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fmCredits"));
    setWindowTitle(tr("Credits"));
    setWindowIcon(Pictures::programIcon());
    resize(404, 184);

    m_thanks = new QTextEdit(this);
    m_thanks->setObjectName(QStringLiteral("RichEdit1"));
    m_thanks->setFont(windowFont(10));
    QPalette pal = m_thanks->palette();
    pal.setColor(QPalette::Base, QColor(255, 251, 240)); // cream
    pal.setColor(QPalette::Text, Qt::black);
    m_thanks->setPalette(pal);
    m_thanks->setPlainText(tr("Thanks to \n"
                                          "\n"
                                          "Alasdair Penrose, for his programming books\n"
                                          "Miriam Oakes and the Wirebridge Developer Pages,\n"
                                          "for their guides and help pages\n"
                                          "Beta-testers Colin Maybury, Sunita Rao, Gwen Tillotson\n"
                                          "Fenwick Setup Tools, for the installation program\n"
                                          "and Jo, for the patience and the tea."));
    QTextCursor all(m_thanks->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    m_thanks->document()->setModified(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_thanks);

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

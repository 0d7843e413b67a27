#include "mailmerge/MailMergeInfo.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QLabel>
#include <QPainter>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

// The title strip, shaded like the caption of an active window.
class GradientPanel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QColor caption = palette().color(QPalette::Active, QPalette::Highlight);
        QLinearGradient g(rect().topLeft(), rect().topRight());
        g.setColorAt(0, caption);
        g.setColorAt(1, caption.lighter(160));
        p.fillRect(rect(), g);
    }
};

} // namespace

QString TfmMailMergeHelp::helpText()
{
    return tr(
        "To perform a mail merge, you need a document, and a selected list of names (with "
        "addresses).\n"
        "\n"
        "If your letter was written in a word processor, save it as a Rich Text Format (.rtf) file "
        "in a folder where you can find it again, and open it with the Document button. You can "
        "also "
        "write the document here, but it is a simple editor and may not give you the features you "
        "need.\n"
        "\n"
        "Choose the people with the Select Names button, which opens the Search facility: it "
        "filters "
        "the list to the names or locations you need. For example, to write to all your customers "
        "in "
        "one city, enter the first letters of its post code and select the PostCode field in the "
        "list.\n"
        "\n"
        "If the names come from more than one area, print them in more than one batch, searching "
        "each "
        "time for the town name or post code required; this helps sorting for delivery too.\n"
        "\n"
        "When the list of names and the document are right, click the Merge button to see a "
        "preview of "
        "the merged report as it will print, and then print it from there.\n"
        "\n"
        "If you need to adjust margins etc, print out only one sheet.");
}

TfmMailMergeHelp::TfmMailMergeHelp(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fmMailMergeHelp"));
    setWindowTitle(tr("i"));
    setWindowIcon(Pictures::programIcon());
    setModal(false);
    setFont(windowFont());
    setFixedSize(466, 304);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_titleBand = new GradientPanel(this);
    m_titleBand->setObjectName(QStringLiteral("Panel1"));
    m_titleBand->setFixedHeight(41);
    auto *title = new QVBoxLayout(m_titleBand);
    m_title = new QLabel(tr("Helpful Information"), m_titleBand);
    m_title->setObjectName(QStringLiteral("Label1"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setFont(windowFont(14));
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);
    title->addWidget(m_title);
    layout->addWidget(m_titleBand);

    m_note = new QTextEdit(this);
    m_note->setObjectName(QStringLiteral("RichEdit1"));
    m_note->setReadOnly(true);
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_note->setPlainText(helpText());
    layout->addWidget(m_note, 1);
}

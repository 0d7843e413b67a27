#include "browse/HelponSearch.h"
#include "widgets/WindowFont.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TfmSearchHelp *fmSearchHelp = nullptr;

TfmSearchHelp::TfmSearchHelp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    fmSearchHelp = this;
    setObjectName(QStringLiteral("fmSearchHelp"));
    setWindowTitle(QStringLiteral("Varnel"));
    resize(600, 421);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The band takes the colour of an active window's title bar, shading off
    // to the right as such title bars do.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(33);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    const QColor caption = palette().color(QPalette::Active, QPalette::Highlight);
    QLinearGradient shade(0, 0, 1, 0);
    shade.setCoordinateMode(QGradient::ObjectMode);
    shade.setColorAt(0, caption);
    shade.setColorAt(1, caption.lighter(170));
    QPalette band = Panel1->palette();
    band.setBrush(QPalette::Window, shade);
    Panel1->setPalette(band);
    Panel1->setAutoFillBackground(true);
    auto *bandLayout = new QHBoxLayout(Panel1);
    bandLayout->setContentsMargins(10, 0, 10, 0);
    Label1 = new QLabel(QStringLiteral("Helpful Information"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(windowFont(12, true));
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);
    bandLayout->addWidget(Label1);
    layout->addWidget(Panel1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFont(windowFont(10));
    Memo1->setPlainText(helpText());
    layout->addWidget(Memo1, 1);
}

TfmSearchHelp::~TfmSearchHelp()
{
    if (fmSearchHelp == this)
        fmSearchHelp = nullptr;
}

QString TfmSearchHelp::helpText()
{
    return QStringLiteral(
        "HELP FOR SEARCH BOX\n"
        "\n"
        "1. First choose the field to search in from the list. To find people by where they live, "
        "pick the Town or the PostCode field, or whichever seems best for what you are after.\n"
        "\n"
        "2. \"Enter the word in the box below.\" Then press OK. For example, to find everybody in "
        "one area, choose PostCode and type the first letters of the area's post codes, such as "
        "SL7.\n"
        "\n"
        "3. Any part of the word will do; you do not need the whole word. Capital and small "
        "letters make no difference: typing \"Jo\" shows all names with \"Jo\" in them, such as "
        "John, Joan and Bijou. In the word, % stands for any run of characters and _ for any one "
        "character.\n"
        "\n"
        "4. To get a table or a report that leaves people out, for example everybody with a "
        "certain name or flag, tick the NOT Search box. Records whose field is empty are left out "
        "either way.\n"
        "\n"
        "5. The table then shows only the selected records, and all the reports use the same "
        "selection: search the County field, for example, and print address labels for just the "
        "people of that county. Reset shows everybody again.\n"
        "\n"
        "6. Flagging: put a short marker in the Flag field of the people who belong together, then "
        "search the Flag field for it. That makes it easy to print for just that group of people, "
        "such as labels for a mailshot or for your Christmas cards.\n");
}

#include "browse/HelponSearch.h"
#include "widgets/WindowFont.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TfmSearchHelp::TfmSearchHelp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmSearchHelp"));
    setWindowTitle(tr("Varnel"));
    resize(600, 421);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The band takes the colour of an active window's title bar, shading off
    // to the right as such title bars do.
    auto *band = new QFrame(this);
    band->setObjectName(QStringLiteral("Panel1"));
    band->setFixedHeight(33);
    band->setFrameShape(QFrame::Panel);
    band->setFrameShadow(QFrame::Sunken);
    const QColor caption = palette().color(QPalette::Active, QPalette::Highlight);
    QLinearGradient shade(0, 0, 1, 0);
    shade.setCoordinateMode(QGradient::ObjectMode);
    shade.setColorAt(0, caption);
    shade.setColorAt(1, caption.lighter(170));
    QPalette shaded = band->palette();
    shaded.setBrush(QPalette::Window, shade);
    band->setPalette(shaded);
    band->setAutoFillBackground(true);
    auto *bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(10, 0, 10, 0);
    auto *title = new QLabel(tr("Helpful Information"), band);
    title->setObjectName(QStringLiteral("Label1"));
    title->setFont(windowFont(12, true));
    QPalette white = title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(white);
    bandLayout->addWidget(title);
    layout->addWidget(band);

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setReadOnly(true);
    text->setFont(windowFont(10));
    text->setPlainText(helpText());
    layout->addWidget(text, 1);
}

QString TfmSearchHelp::helpText()
{
    return tr(
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

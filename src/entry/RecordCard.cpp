#include "entry/RecordCard.h"

#include "widgets/ClickPanel.h"
#include "app/HomeGrid.h"
#include "platform/IniFile.h"
#include "entry/MailtoLink.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/WindowPlacement.h"
#include "widgets/WindowFont.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>

TfmRecCard *fmRecCard = nullptr;

namespace {

// The card face's measures, in pixels.
constexpr int kClientWidth = 574;
constexpr int kClientHeight = 358;
constexpr int kBarHeight = 25;
constexpr int kFaceHeight = kClientHeight - kBarHeight;
constexpr int kImageTop = -4;       // the picture starts just above the face
constexpr double kFirstRule = 26.0; // from the picture's top edge
constexpr double kRuleSpacing = 23.6;
constexpr int kRules = 14;
constexpr int kMarginLine = 93;  // red line between the left labels and fields
constexpr int kLowerLineX = 368; // red line in the lower right column
constexpr int kLowerLineTop = 185;
constexpr int kFieldHeight = 17;
constexpr int kLeftFieldX = kMarginLine + 6;
constexpr int kLeftFieldWidth = 196;
constexpr int kRightLabelX = 300;
constexpr int kRightFieldX = kLowerLineX + 6;
constexpr int kRightFieldWidth = kClientWidth - kRightFieldX - 4;

const QColor kLabelBlue(0, 0, 255);
const QColor kRuleBlue(160, 200, 240);
const QColor kRed(255, 0, 0);
const QColor kCream(255, 251, 240);

QWidget *redLine(QWidget *parent, const char *name, const QRect &r)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(r);
    line->setAutoFillBackground(true);
    QPalette pal = line->palette();
    pal.setColor(QPalette::Window, kRed);
    line->setPalette(pal);
    return line;
}

} // namespace

QImage TfmRecCard::ruledCard()
{
    QImage img(583, 413, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(kRuleBlue, 1));
    for (int i = 0; i < kRules; ++i) {
        const int y = qRound(kFirstRule + i * kRuleSpacing);
        p.drawLine(0, y, img.width() - 1, y);
    }
    return img;
}

double TfmRecCard::ruleY(int line)
{
    return kImageTop + kFirstRule + (line - 1) * kRuleSpacing;
}

TfmRecCard::TfmRecCard(AdoQuery *query, QWidget *parent) : QWidget(parent)
{
    fmRecCard = this;
    setObjectName(QStringLiteral("fmRecCard"));
    setWindowTitle(QStringLiteral("Record Card"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    dsRecCard = new DataSource(query, this);
    dsRecCard->setObjectName(QStringLiteral("dsRecCard"));

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, kClientWidth, kFaceHeight);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QImage card = ruledCard();
    Image1->setPixmap(QPixmap::fromImage(card));
    Image1->setGeometry(0, kImageTop, card.width(), card.height());
    Panel2 = redLine(Panel1, "Panel2", QRect(kMarginLine, 0, 3, kFaceHeight));
    Panel10 = redLine(Panel1, "Panel10",
                      QRect(kLowerLineX, kLowerLineTop, 3, kFaceHeight - kLowerLineTop));

    using namespace AddressFields;
    DBEdit1 = addField(Firstname, 1, false, QStringLiteral("First name"), "DBEdit1");
    DBEdit2 = addField(Midname, 2, false, QStringLiteral("Middle name"), "DBEdit2");
    DBEdit3 = addField(Surname, 3, false, QStringLiteral("Surname"), "DBEdit3");
    DBEdit4 = addField(Address1, 4, false, QStringLiteral("Address"), "DBEdit4");
    DBEdit5 = addField(Address2, 5, false, QString(), "DBEdit5");
    DBEdit6 = addField(A3_Village, 6, false, QStringLiteral("Village"), "DBEdit6");
    DBEdit7 = addField(Town, 7, false, QStringLiteral("Town"), "DBEdit7");
    DBEdit8 = addField(County, 8, false, QStringLiteral("County / State"), "DBEdit8");
    DBEdit9 = addField(PostCode, 9, false, QStringLiteral("PostCode"), "DBEdit9");
    DBEdit10 = addField(Tel, 11, false, QStringLiteral("Phone"), "DBEdit10");
    DBEdit11 = addField(Cell, 12, false, QStringLiteral("Mobile"), "DBEdit11");
    DBEdit12 = addField(Email, 13, false, QStringLiteral("Email"), "DBEdit12");

    auto *notesLabel = new QLabel(QStringLiteral("Notes:"), Panel1);
    notesLabel->setObjectName(QStringLiteral("lbNotes"));
    notesLabel->setGeometry(kRightLabelX, qRound(ruleY(1)) - kFieldHeight, 42, kFieldHeight);
    QPalette blue = notesLabel->palette();
    blue.setColor(QPalette::WindowText, kLabelBlue);
    notesLabel->setPalette(blue);
    DBMemo2 = new DBMemo(dsRecCard, Notes, Panel1);
    DBMemo2->setObjectName(QStringLiteral("DBMemo2"));
    DBMemo2->setTabChangesFocus(true);
    // Over the first eight lines of the right column.
    DBMemo2->setGeometry(kRightLabelX + 44, 3, kClientWidth - kRightLabelX - 48,
                         qRound(ruleY(8)) - 6);
    notesLabel->setBuddy(DBMemo2);
    // Part of the white card: dark text on white under any desktop palette.
    QPalette paper = DBMemo2->palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    DBMemo2->setPalette(paper);

    DBEdit20 = addField(Flag, 9, true, QStringLiteral("Flag"), "DBEdit20");
    DBEdit13 = addField(Flag2, 10, true, QStringLiteral("Flag 2"), "DBEdit13");
    DBEdit21 = addField(Birthday, 11, true, QStringLiteral("Birthday"), "DBEdit21");
    DBEdit19 = addField(Workplace, 13, true, QStringLiteral("Work place"), "DBEdit19");
    DBEdit17 = addField(WorkTel, 14, true, QStringLiteral("Work Tel"), "DBEdit17");

    // The e-mail address behaves like a link.
    QFont link = DBEdit12->font();
    link.setUnderline(true);
    DBEdit12->setFont(link);
    QPalette linkPal = DBEdit12->palette();
    linkPal.setColor(QPalette::Text, kLabelBlue);
    DBEdit12->setPalette(linkPal);
    DBEdit12->setCursor(Qt::PointingHandCursor);
    connect(DBEdit12, &DBEdit::doubleClicked, this, &TfmRecCard::DBEdit12DblClick);

    const QList<QWidget *> order{DBEdit1, DBEdit2,  DBEdit3,  DBEdit4,  DBEdit5,  DBEdit6,
                                 DBEdit7, DBEdit8,  DBEdit9,  DBEdit10, DBEdit11, DBEdit12,
                                 DBMemo2, DBEdit20, DBEdit13, DBEdit21, DBEdit19, DBEdit17};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(0, kFaceHeight, kClientWidth, kBarHeight);
    Panel3->setAutoFillBackground(true);
    // The cream bar keeps dark captions under a dark desktop palette too.
    QPalette cream = Panel3->palette();
    cream.setColor(QPalette::Window, kCream);
    cream.setColor(QPalette::WindowText, Qt::black);
    cream.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    Panel3->setPalette(cream);
    struct Bar
    {
        ClickPanel **panel;
        const char *name;
        const char *caption;
        void (TfmRecCard::*handler)();
    };
    const Bar bar[] = {
        {&Panel5, "Panel5", "<< Back", &TfmRecCard::Panel5Click},
        {&Panel7, "Panel7", "+ New Record", &TfmRecCard::Panel7Click},
        {&Panel8, "Panel8", "- Delete Record", &TfmRecCard::Panel8Click},
        {&Panel9, "Panel9", "Cancel", &TfmRecCard::Panel9Click},
        {&Panel4, "Panel4", "Next >>", &TfmRecCard::Panel4Click},
        {&Panel6, "Panel6", "Close", &TfmRecCard::Button1Click},
    };
    const int width = 90, gap = 4, left = (kClientWidth - 6 * width - 5 * gap) / 2;
    for (int i = 0; i < 6; ++i) {
        auto *p = new ClickPanel(QLatin1String(bar[i].caption), Panel3);
        p->setObjectName(QLatin1String(bar[i].name));
        p->setGeometry(left + i * (width + gap), 2, width, kBarHeight - 4);
        connect(p, &ClickPanel::clicked, this, bar[i].handler);
        *bar[i].panel = p;
    }
}

TfmRecCard::~TfmRecCard()
{
    if (fmRecCard == this)
        fmRecCard = nullptr;
}

DBEdit *TfmRecCard::addField(int field, int line, bool rightColumn, const QString &label,
                             const char *name)
{
    const int bottom = qRound(ruleY(line)); // the rule lies just under the field
    const int top = bottom - kFieldHeight;
    auto *edit = new DBEdit(dsRecCard, field, Panel1);
    edit->setObjectName(QLatin1String(name));
    edit->setFrame(false);
    // The card shows through: the text stands on the rule.
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Text, Qt::black);
    edit->setPalette(pal);
    edit->setTextMargins(0, 0, 0, 0);
    if (rightColumn)
        edit->setGeometry(kRightFieldX, top, kRightFieldWidth, kFieldHeight);
    else
        edit->setGeometry(kLeftFieldX, top, kLeftFieldWidth, kFieldHeight);
    if (!label.isEmpty()) {
        auto *l = new QLabel(label, Panel1);
        l->setObjectName(QStringLiteral("lb") + QLatin1String(name));
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, kLabelBlue);
        l->setPalette(lp);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (rightColumn)
            l->setGeometry(kRightLabelX, top, kLowerLineX - kRightLabelX - 5, kFieldHeight);
        else
            l->setGeometry(2, top, kMarginLine - 7, kFieldHeight);
        l->setBuddy(edit);
    }
    return edit;
}

void TfmRecCard::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (e->spontaneous())
        return; // coming back from the task bar is no new showing
    guarded(this, [this] { FormShow(); });
    if (!m_shownBefore) {
        m_shownBefore = true;
        DBEdit1->setFocus(Qt::OtherFocusReason);
    }
}

void TfmRecCard::closeEvent(QCloseEvent *e)
{
    // A settings file that cannot be written is reported; the card closes all the same.
    guarded(this, [this] { FormClose(); });
    e->accept();
}

void TfmRecCard::FormShow()
{
    IniFile ini(IniFile::settingsPath());
    if (ini.readInteger(QStringLiteral("FormView"), QStringLiteral("Status"), 0) == 0)
        return;
    const QRect frame = WindowPlacement::outerGeometry(this);
    const int top = ini.readInteger(QStringLiteral("RecCard"), QStringLiteral("Top"), frame.top());
    const int left =
        ini.readInteger(QStringLiteral("RecCard"), QStringLiteral("Left"), frame.left());
    WindowPlacement::placeOuter(
        this, WindowPlacement::fitToScreens(left, top, frame.width(), frame.height()),
        WindowPlacement::SizeRule::Keep);
}

void TfmRecCard::FormClose()
{
    IniFile ini(IniFile::settingsPath());
    const bool active = isActiveWindow();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect frame = WindowPlacement::outerGeometry(this);
        ini.writeInteger(QStringLiteral("RecCard"), QStringLiteral("Top"), frame.top());
        ini.writeInteger(QStringLiteral("RecCard"), QStringLiteral("Left"), frame.left());
    }
    ini.writeInteger(QStringLiteral("FormView"), QStringLiteral("Status"), active ? 1 : 2);
}

void TfmRecCard::Panel5Click()
{
    guarded(this, [this] { dsRecCard->dataSet()->prior(); });
}

void TfmRecCard::Panel4Click()
{
    guarded(this, [this] { dsRecCard->dataSet()->next(); });
}

void TfmRecCard::Panel7Click()
{
    guarded(this, [this] {
        dsRecCard->dataSet()->insert();
        DBEdit1->setFocus(Qt::OtherFocusReason);
    });
}

void TfmRecCard::Panel8Click()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm,
                                     QStringLiteral("You are about to delete a record"), true))
        return;
    guarded(this, [this] { dsRecCard->dataSet()->deleteRecord(); });
}

void TfmRecCard::Panel9Click()
{
    // A closed query has nothing to cancel.
    guarded(this, [this] { dsRecCard->dataSet()->cancelUpdates(); });
}

void TfmRecCard::Button1Click()
{
    // The card never saves: it leaves the record in edit mode, to be saved
    // when the user moves on in the grid or saves there.
    guarded(this, [this] {
        dsRecCard->dataSet()->edit();
        Platform::sound().play(QStringLiteral("post.wav"));
        close();
    });
}

void TfmRecCard::DBEdit12DblClick()
{
    const QString text = DBEdit12->text();
    const QString link = MailtoLink::forAddress(text);
    if (link.isEmpty()) {
        const QString shown = text.size() > 80 ? text.left(77) + QStringLiteral("...") : text;
        Platform::dialogs().message(
            this, MsgKind::Error,
            QStringLiteral("\"%1\" is not an e-mail address, so no message is started").arg(shown),
            false);
        return;
    }
    Platform::shell().open(link);
}

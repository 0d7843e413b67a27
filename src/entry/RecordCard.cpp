#include "entry/RecordCard.h"

#include "dbaware/DBEdit.h"
#include "dbaware/DBMemo.h"
#include "dbaware/DataSource.h"

#include "entry/MailtoLink.h"
#include "platform/Guard.h"
#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "widgets/ClickPanel.h"
#include "widgets/WindowFont.h"
#include "widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>

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
    setObjectName(QStringLiteral("fmRecCard"));
    setWindowTitle(tr("Record Card"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_source = new DataSource(query, this);
    m_source->setObjectName(QStringLiteral("dsRecCard"));

    m_face = new QWidget(this);
    m_face->setObjectName(QStringLiteral("Panel1"));
    m_face->setGeometry(0, 0, kClientWidth, kFaceHeight);
    auto *picture = new QLabel(m_face);
    picture->setObjectName(QStringLiteral("Image1"));
    const QImage card = ruledCard();
    picture->setPixmap(QPixmap::fromImage(card));
    picture->setGeometry(0, kImageTop, card.width(), card.height());
    redLine(m_face, "Panel2", QRect(kMarginLine, 0, 3, kFaceHeight));
    redLine(m_face, "Panel10", QRect(kLowerLineX, kLowerLineTop, 3, kFaceHeight - kLowerLineTop));

    using namespace AddressFields;
    // The fields, in their tab order.
    QList<QWidget *> order;
    m_firstNameEdit = addField(Firstname, 1, false, tr("First name"), "DBEdit1");
    order << m_firstNameEdit;
    order << addField(Midname, 2, false, tr("Middle name"), "DBEdit2");
    order << addField(Surname, 3, false, tr("Surname"), "DBEdit3");
    order << addField(Address1, 4, false, tr("Address"), "DBEdit4");
    order << addField(Address2, 5, false, QString(), "DBEdit5");
    order << addField(A3_Village, 6, false, tr("Village"), "DBEdit6");
    order << addField(Town, 7, false, tr("Town"), "DBEdit7");
    order << addField(County, 8, false, tr("County / State"), "DBEdit8");
    order << addField(PostCode, 9, false, tr("PostCode"), "DBEdit9");
    order << addField(Tel, 11, false, tr("Phone"), "DBEdit10");
    order << addField(Cell, 12, false, tr("Mobile"), "DBEdit11");
    m_emailEdit = addField(Email, 13, false, tr("Email"), "DBEdit12");
    order << m_emailEdit;

    auto *notesLabel = new QLabel(tr("Notes:"), m_face);
    notesLabel->setObjectName(QStringLiteral("lbNotes"));
    notesLabel->setGeometry(kRightLabelX, qRound(ruleY(1)) - kFieldHeight, 42, kFieldHeight);
    QPalette blue = notesLabel->palette();
    blue.setColor(QPalette::WindowText, kLabelBlue);
    notesLabel->setPalette(blue);
    auto *notes = new DBMemo(m_source, Notes, m_face);
    notes->setObjectName(QStringLiteral("DBMemo2"));
    notes->setTabChangesFocus(true);
    // Over the first eight lines of the right column.
    notes->setGeometry(kRightLabelX + 44, 3, kClientWidth - kRightLabelX - 48,
                       qRound(ruleY(8)) - 6);
    notesLabel->setBuddy(notes);
    // Part of the white card: dark text on white under any desktop palette.
    QPalette paper = notes->palette();
    paper.setColor(QPalette::Base, Qt::white);
    paper.setColor(QPalette::Text, Qt::black);
    notes->setPalette(paper);
    order << notes;

    order << addField(Flag, 9, true, tr("Flag"), "DBEdit20");
    order << addField(Flag2, 10, true, tr("Flag 2"), "DBEdit13");
    order << addField(Birthday, 11, true, tr("Birthday"), "DBEdit21");
    order << addField(Workplace, 13, true, tr("Work place"), "DBEdit19");
    order << addField(WorkTel, 14, true, tr("Work Tel"), "DBEdit17");

    // The e-mail address behaves like a link.
    QFont link = m_emailEdit->font();
    link.setUnderline(true);
    m_emailEdit->setFont(link);
    QPalette linkPal = m_emailEdit->palette();
    linkPal.setColor(QPalette::Text, kLabelBlue);
    m_emailEdit->setPalette(linkPal);
    m_emailEdit->setCursor(Qt::PointingHandCursor);
    connect(m_emailEdit, &DBEdit::doubleClicked, this, &TfmRecCard::startMessage);

    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel3"));
    bar->setGeometry(0, kFaceHeight, kClientWidth, kBarHeight);
    bar->setAutoFillBackground(true);
    // The cream bar keeps dark captions under a dark desktop palette too.
    QPalette cream = bar->palette();
    cream.setColor(QPalette::Window, kCream);
    cream.setColor(QPalette::WindowText, Qt::black);
    cream.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    bar->setPalette(cream);
    struct Button
    {
        const char *name;
        const char *caption;
        void (TfmRecCard::*handler)();
    };
    const Button buttons[] = {
        {"Panel5", QT_TR_NOOP("<< Back"), &TfmRecCard::back},
        {"Panel7", QT_TR_NOOP("+ New Record"), &TfmRecCard::newRecord},
        {"Panel8", QT_TR_NOOP("- Delete Record"), &TfmRecCard::deleteRecord},
        {"Panel9", QT_TR_NOOP("Cancel"), &TfmRecCard::cancelChanges},
        {"Panel4", QT_TR_NOOP("Next >>"), &TfmRecCard::next},
        {"Panel6", QT_TR_NOOP("Close"), &TfmRecCard::closeCard},
    };
    const int width = 90, gap = 4, left = (kClientWidth - 6 * width - 5 * gap) / 2;
    for (int i = 0; i < 6; ++i) {
        auto *p = new ClickPanel(tr(buttons[i].caption), bar);
        p->setObjectName(QLatin1String(buttons[i].name));
        p->setGeometry(left + i * (width + gap), 2, width, kBarHeight - 4);
        connect(p, &ClickPanel::clicked, this, buttons[i].handler);
    }
}

DBEdit *TfmRecCard::addField(int field, int line, bool rightColumn, const QString &label,
                             const char *name)
{
    const int bottom = qRound(ruleY(line)); // the rule lies just under the field
    const int top = bottom - kFieldHeight;
    auto *edit = new DBEdit(m_source, field, m_face);
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
        auto *l = new QLabel(label, m_face);
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
    guarded(this, [this] { restorePlace(); });
    if (!m_shownBefore) {
        m_shownBefore = true;
        m_firstNameEdit->setFocus(Qt::OtherFocusReason);
    }
}

void TfmRecCard::closeEvent(QCloseEvent *e)
{
    // A settings file that cannot be written is reported; the card closes all the same.
    guarded(this, [this] { savePlace(); });
    e->accept();
}

void TfmRecCard::restorePlace()
{
    IniFile ini(IniFile::settingsPath());
    if (ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Status, 0) == 0)
        return;
    const QRect frame = WindowPlacement::outerGeometry(this);
    const int top = ini.readInteger(SettingsKeys::Window::RecordCard, SettingsKeys::Place::Top, frame.top());
    const int left =
        ini.readInteger(SettingsKeys::Window::RecordCard, SettingsKeys::Place::Left, frame.left());
    WindowPlacement::placeOuter(
        this, WindowPlacement::fitToScreens(left, top, frame.width(), frame.height()),
        WindowPlacement::SizeRule::Keep);
}

void TfmRecCard::savePlace()
{
    IniFile ini(IniFile::settingsPath());
    const bool active = isActiveWindow();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect frame = WindowPlacement::outerGeometry(this);
        ini.writeInteger(SettingsKeys::Window::RecordCard, SettingsKeys::Place::Top, frame.top());
        ini.writeInteger(SettingsKeys::Window::RecordCard, SettingsKeys::Place::Left, frame.left());
    }
    ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Status, active ? 1 : 2);
}

void TfmRecCard::back()
{
    guarded(this, [this] { m_source->dataSet()->prior(); });
}

void TfmRecCard::next()
{
    guarded(this, [this] { m_source->dataSet()->next(); });
}

void TfmRecCard::newRecord()
{
    guarded(this, [this] {
        m_source->dataSet()->insert();
        m_firstNameEdit->setFocus(Qt::OtherFocusReason);
    });
}

void TfmRecCard::deleteRecord()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm,
                                     tr("You are about to delete a record"), true))
        return;
    guarded(this, [this] { m_source->dataSet()->deleteRecord(); });
}

void TfmRecCard::cancelChanges()
{
    // A closed query has nothing to cancel.
    guarded(this, [this] { m_source->dataSet()->cancelUpdates(); });
}

void TfmRecCard::closeCard()
{
    // The card never saves: it leaves the record in edit mode, to be saved
    // when the user moves on in the grid or saves there.
    guarded(this, [this] {
        m_source->dataSet()->edit();
        Platform::sound().play(QStringLiteral("post.wav"));
        close();
    });
}

void TfmRecCard::startMessage()
{
    const QString text = m_emailEdit->text();
    const QString link = MailtoLink::forAddress(text);
    if (link.isEmpty()) {
        const QString shown = text.size() > 80 ? text.left(77) + QStringLiteral("...") : text;
        Platform::dialogs().message(
            this, MsgKind::Error,
            tr("\"%1\" is not an e-mail address, so no message is started").arg(shown),
            false);
        return;
    }
    Platform::shell().open(link);
}

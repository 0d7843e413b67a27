#include "entry/HomeFormView.h"

#include "dbaware/DBEdit.h"
#include "dbaware/DBMemo.h"
#include "dbaware/DBNavigator.h"
#include "dbaware/DataSource.h"

#include "platform/Guard.h"
#include "platform/IniFile.h"
#include "platform/Platform.h"
#include "widgets/Hints.h"
#include "widgets/WindowFont.h"
#include "widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidth = 329;
constexpr int kClientHeight = 435;

QLabel *label(QWidget *parent, const QString &text, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TfmHomeForm::TfmHomeForm(AdoQuery *query, const QWidget *frameStandIn, QWidget *parent)
    : QWidget(parent), m_frameStandIn(frameStandIn)
{
    setObjectName(QStringLiteral("fmHomeForm"));
    setWindowTitle(tr("Varnel 3 Form View"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont(8, false, QStringLiteral("Arial")));
    setFixedSize(kClientWidth, kClientHeight);

    m_source = new DataSource(query, this);
    m_source->setObjectName(QStringLiteral("dsFormView"));
    using namespace AddressFields;
    auto edit = [this](QWidget *parent, int field, const char *name) {
        auto *e = new DBEdit(m_source, field, parent);
        e->setObjectName(QLatin1String(name));
        return e;
    };

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Top band: the three name fields, each under its label.
    auto *nameBand = new QWidget(this);
    nameBand->setObjectName(QStringLiteral("Panel3"));
    nameBand->setFixedHeight(46);
    auto *names = new QGridLayout(nameBand);
    names->setContentsMargins(6, 3, 6, 3);
    names->setHorizontalSpacing(6);
    names->setVerticalSpacing(1);
    DBEdit *firstName = edit(nameBand, Firstname, "DBEdit2");
    DBEdit *middleName = edit(nameBand, Midname, "DBEdit3");
    DBEdit *surname = edit(nameBand, Surname, "DBEdit1");
    setHint(surname, tr("You must complete this field"));
    const std::pair<QString, DBEdit *> top[] = {{tr("Firstname"), firstName},
                                                {tr("Midname"), middleName},
                                                {tr("Surname"), surname}};
    for (int i = 0; i < 3; ++i) {
        QLabel *l = label(nameBand, top[i].first, ("Label" + std::to_string(i + 1)).c_str());
        l->setBuddy(top[i].second);
        names->addWidget(l, 0, i);
        names->addWidget(top[i].second, 1, i);
    }
    outer->addWidget(nameBand);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));

    auto *firstPage = new QWidget;
    firstPage->setObjectName(QStringLiteral("TabSheet1"));
    auto *p1 = new QGridLayout(firstPage);
    p1->setContentsMargins(8, 10, 8, 8);
    p1->setHorizontalSpacing(8);
    p1->setVerticalSpacing(5);
    struct Row
    {
        const char *text;
        int field;
        const char *name;
        int chars; // width of the field, in characters
    };
    const Row page1[] = {
        {QT_TR_NOOP("Address1"), Address1, "DBEdit4", 30},  {QT_TR_NOOP("Address2"), Address2, "DBEdit5", 30},
        {QT_TR_NOOP("Village"), A3_Village, "DBEdit6", 24}, {QT_TR_NOOP("Town"), Town, "DBEdit7", 24},
        {QT_TR_NOOP("County"), County, "DBEdit8", 24},      {QT_TR_NOOP("PostCode"), PostCode, "DBEdit9", 12},
        {QT_TR_NOOP("Country"), Country, "DBEdit10", 30},   {QT_TR_NOOP("Tel"), Tel, "DBEdit11", 18},
        {QT_TR_NOOP("Cell"), Cell, "DBEdit12", 18},         {QT_TR_NOOP("Email"), Email, "DBEdit13", 0},
    };
    QList<QWidget *> pageOneFields;
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('n'));
    int r = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 7) { // a small gap before the telephone numbers
            p1->setRowMinimumHeight(r, 8);
            ++r;
        }
        QLabel *l = label(firstPage, tr(page1[i].text),
                          (std::string("lb") + page1[i].name).c_str());
        DBEdit *e = edit(firstPage, page1[i].field, page1[i].name);
        pageOneFields << e;
        l->setBuddy(e);
        p1->addWidget(l, r, 0);
        if (page1[i].chars > 0) {
            e->setFixedWidth(page1[i].chars * charWidth + 8);
            p1->addWidget(e, r, 1, Qt::AlignLeft);
        } else {
            p1->addWidget(e, r, 1); // the widest field
        }
        ++r;
    }
    // A hint for the status bar only.
    firstPage->findChild<QLabel *>(QStringLiteral("lbDBEdit6"))
        ->setStatusTip(tr("Suburb, ward, extra address line"));
    p1->setColumnStretch(1, 1);
    p1->setRowStretch(r, 1);
    m_pages->addTab(firstPage, tr("Name Address Phones"));

    auto *secondPage = new QWidget;
    secondPage->setObjectName(QStringLiteral("TabSheet2"));
    auto *p2 = new QGridLayout(secondPage);
    p2->setContentsMargins(8, 10, 8, 8);
    p2->setHorizontalSpacing(8);
    p2->setVerticalSpacing(5);
    QLabel *notesLabel = label(secondPage, tr("Notes"), "lbDBMemo1");
    auto *notes = new DBMemo(m_source, Notes, secondPage);
    notes->setObjectName(QStringLiteral("DBMemo1"));
    notes->setTabChangesFocus(true);
    notes->setFixedHeight(150);
    notesLabel->setBuddy(notes);
    p2->addWidget(notesLabel, 0, 0, Qt::AlignTop);
    p2->addWidget(notes, 0, 1, 1, 3);
    DBEdit *birthday = edit(secondPage, Birthday, "DBEdit14");
    DBEdit *workplace = edit(secondPage, Workplace, "DBEdit15");
    DBEdit *workTel = edit(secondPage, WorkTel, "DBEdit16");
    DBEdit *flag = edit(secondPage, Flag, "DBEdit17");
    DBEdit *flag2 = edit(secondPage, Flag2, "DBEdit18");
    setHint(flag, tr("Use to select records for lists etc."));
    birthday->setFixedWidth(18 * charWidth);
    workTel->setFixedWidth(18 * charWidth);
    for (DBEdit *e : {flag, flag2})
        e->setFixedWidth(8 * charWidth);
    const std::pair<QString, DBEdit *> page2[] = {{tr("Birthday"), birthday},
                                                  {tr(" Workplace"), workplace},
                                                  {tr(" Work Tel"), workTel}};
    for (int i = 0; i < 3; ++i) {
        QLabel *l = label(secondPage, page2[i].first,
                          ("lb" + page2[i].second->objectName().toStdString()).c_str());
        l->setBuddy(page2[i].second);
        p2->addWidget(l, i + 1, 0);
        p2->addWidget(page2[i].second, i + 1, 1, 1, 3, i == 1 ? Qt::Alignment() : Qt::AlignLeft);
    }
    QLabel *flagLabel = label(secondPage, tr("Flags 1"), "lbDBEdit17");
    QLabel *flag2Label = label(secondPage, tr("Flag 2"), "lbDBEdit18");
    flagLabel->setBuddy(flag);
    flag2Label->setBuddy(flag2);
    auto *flags = new QHBoxLayout;
    flags->setSpacing(8);
    flags->addWidget(flag);
    flags->addSpacing(12);
    flags->addWidget(flag2Label);
    flags->addWidget(flag2);
    flags->addStretch(1);
    p2->addWidget(flagLabel, 4, 0);
    p2->addLayout(flags, 4, 1, 1, 3);
    p2->setColumnStretch(3, 1);
    p2->setRowStretch(5, 1);
    m_pages->addTab(secondPage, tr("More Info"));
    outer->addWidget(m_pages, 1);

    auto *buttonBand = new QWidget(this);
    buttonBand->setObjectName(QStringLiteral("Panel2"));
    buttonBand->setFixedHeight(39);
    auto *bottom = new QHBoxLayout(buttonBand);
    bottom->setContentsMargins(6, 6, 6, 6);
    auto *navigator = new DBNavigator(
        m_source,
        {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last,
         DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post,
         DBNavigator::Cancel},
        {tr("First record"), tr("Prior record"),
         tr("Next record"), tr("Last record"),
         tr("Insert record"), tr("Delete record"),
         tr("Edit record"), tr("Post edit"), tr("Cancel edit")},
        buttonBand);
    navigator->setObjectName(QStringLiteral("DBNavigator1"));
    navigator->setFixedWidth(9 * 24);
    navigator->confirmDelete = [this] {
        return Platform::dialogs().message(this, MsgKind::Confirm, tr("Delete record?"),
                                           true);
    };
    bottom->addWidget(navigator);
    bottom->addStretch(1);
    auto *closeButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                        tr("&Close"), buttonBand);
    closeButton->setObjectName(QStringLiteral("BitBtn1"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    bottom->addWidget(closeButton);
    outer->addWidget(buttonBand);

    // Tab order: the page tabs, the fields of the pages, the close button,
    // then the name fields at the top.
    const QList<QWidget *> order =
        QList<QWidget *>{m_pages} + pageOneFields +
        QList<QWidget *>{notes, birthday,    workplace, workTel,    flag,
                         flag2, closeButton, firstName, middleName, surname};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

QSize TfmHomeForm::frameExtra() const
{
    // The size the desktop's frame adds; before this window has had a frame,
    // the stand-in's (same desktop, same kind of frame) is taken.
    QSize extra = WindowPlacement::outerGeometry(this).size() - size();
    if (extra.isEmpty() && m_frameStandIn && m_frameStandIn->isVisible())
        extra = WindowPlacement::outerGeometry(m_frameStandIn).size() - m_frameStandIn->size();
    return extra.expandedTo(QSize(0, 0));
}

void TfmHomeForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        guarded(this, [this] { restorePlace(); });
}

void TfmHomeForm::closeEvent(QCloseEvent *e)
{
    // A settings file that cannot be written is reported; the window closes all the same.
    guarded(this, [this] { savePlace(); });
    e->accept();
}

void TfmHomeForm::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    // Every activation starts on the first page.
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        m_pages->setCurrentIndex(0);
}

void TfmHomeForm::restorePlace()
{
    IniFile ini(IniFile::settingsPath());
    const int status = ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Status, 0);
    if (status != 3 && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    if (status == 0)
        return;
    const QRect frame = WindowPlacement::outerGeometry(this);
    const QSize extra = frameExtra();
    const int top = ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Top, frame.top());
    const int left = ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Left, frame.left());
    const int width =
        ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Width, size().width() + extra.width());
    const int height =
        ini.readInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Height, size().height() + extra.height());
    // Outer size in the file; the frame's share is the desktop's.
    const QRect outer = WindowPlacement::fitToScreens(left, top, width, height);
    WindowPlacement::placeOuter(this, outer, WindowPlacement::SizeRule::Fixed, extra,
                                QSize(100, 100));
    if (status == 3) {
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfmHomeForm::savePlace()
{
    IniFile ini(IniFile::settingsPath());
    const bool active = isActiveWindow();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect frame = WindowPlacement::outerGeometry(this);
        const QSize outer = size() + frameExtra();
        ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Top, frame.top());
        ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Left, frame.left());
        ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Width, outer.width());
        ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Height, outer.height());
    }
    ini.writeInteger(SettingsKeys::Window::FormView, SettingsKeys::Place::Status, active ? 1 : 2);
}

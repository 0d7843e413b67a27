#include "entry/HomeFormView.h"

#include "widgets/Hints.h"
#include "app/HomeGrid.h"
#include "platform/IniFile.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/WindowPlacement.h"
#include "widgets/WindowFont.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

TfmHomeForm *fmHomeForm = nullptr;

namespace {

constexpr int kClientWidth = 329;
constexpr int kClientHeight = 435;

const QString kSection = QStringLiteral("FormView");

QLabel *label(QWidget *parent, const QString &text, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

TfmHomeForm::TfmHomeForm(AdoQuery *query, QWidget *parent) : QWidget(parent)
{
    fmHomeForm = this;
    setObjectName(QStringLiteral("fmHomeForm"));
    setWindowTitle(QStringLiteral("Varnel 3 Form View"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont(8, false, QStringLiteral("Arial")));
    setFixedSize(kClientWidth, kClientHeight);

    dsFormView = new DataSource(query, this);
    dsFormView->setObjectName(QStringLiteral("dsFormView"));
    using namespace AddressFields;
    auto edit = [this](QWidget *parent, int field, const char *name) {
        auto *e = new DBEdit(dsFormView, field, parent);
        e->setObjectName(QLatin1String(name));
        return e;
    };

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Top band: the three name fields, each under its label.
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(46);
    auto *names = new QGridLayout(Panel3);
    names->setContentsMargins(6, 3, 6, 3);
    names->setHorizontalSpacing(6);
    names->setVerticalSpacing(1);
    DBEdit2 = edit(Panel3, Firstname, "DBEdit2");
    DBEdit3 = edit(Panel3, Midname, "DBEdit3");
    DBEdit1 = edit(Panel3, Surname, "DBEdit1");
    setHint(DBEdit1, QStringLiteral("You must complete this field"));
    const std::pair<QString, DBEdit *> top[] = {{QStringLiteral("Firstname"), DBEdit2},
                                                {QStringLiteral("Midname"), DBEdit3},
                                                {QStringLiteral("Surname"), DBEdit1}};
    for (int i = 0; i < 3; ++i) {
        QLabel *l = label(Panel3, top[i].first, ("Label" + std::to_string(i + 1)).c_str());
        l->setBuddy(top[i].second);
        names->addWidget(l, 0, i);
        names->addWidget(top[i].second, 1, i);
    }
    outer->addWidget(Panel3);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *p1 = new QGridLayout(TabSheet1);
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
        {"Address1", Address1, "DBEdit4", 30},  {"Address2", Address2, "DBEdit5", 30},
        {"Village", A3_Village, "DBEdit6", 24}, {"Town", Town, "DBEdit7", 24},
        {"County", County, "DBEdit8", 24},      {"PostCode", PostCode, "DBEdit9", 12},
        {"Country", Country, "DBEdit10", 30},   {"Tel", Tel, "DBEdit11", 18},
        {"Cell", Cell, "DBEdit12", 18},         {"Email", Email, "DBEdit13", 0},
    };
    DBEdit **page1Edits[] = {&DBEdit4, &DBEdit5,  &DBEdit6,  &DBEdit7,  &DBEdit8,
                             &DBEdit9, &DBEdit10, &DBEdit11, &DBEdit12, &DBEdit13};
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('n'));
    int r = 0;
    for (int i = 0; i < 10; ++i) {
        if (i == 7) { // a small gap before the telephone numbers
            p1->setRowMinimumHeight(r, 8);
            ++r;
        }
        QLabel *l = label(TabSheet1, QLatin1String(page1[i].text),
                          (std::string("lb") + page1[i].name).c_str());
        DBEdit *e = edit(TabSheet1, page1[i].field, page1[i].name);
        *page1Edits[i] = e;
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
    TabSheet1->findChild<QLabel *>(QStringLiteral("lbDBEdit6"))
        ->setStatusTip(QStringLiteral("Suburb, ward, extra address line"));
    p1->setColumnStretch(1, 1);
    p1->setRowStretch(r, 1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Name Address Phones"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *p2 = new QGridLayout(TabSheet2);
    p2->setContentsMargins(8, 10, 8, 8);
    p2->setHorizontalSpacing(8);
    p2->setVerticalSpacing(5);
    QLabel *notes = label(TabSheet2, QStringLiteral("Notes"), "lbDBMemo1");
    DBMemo1 = new DBMemo(dsFormView, Notes, TabSheet2);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setTabChangesFocus(true);
    DBMemo1->setFixedHeight(150);
    notes->setBuddy(DBMemo1);
    p2->addWidget(notes, 0, 0, Qt::AlignTop);
    p2->addWidget(DBMemo1, 0, 1, 1, 3);
    DBEdit14 = edit(TabSheet2, Birthday, "DBEdit14");
    DBEdit15 = edit(TabSheet2, Workplace, "DBEdit15");
    DBEdit16 = edit(TabSheet2, WorkTel, "DBEdit16");
    DBEdit17 = edit(TabSheet2, Flag, "DBEdit17");
    DBEdit18 = edit(TabSheet2, Flag2, "DBEdit18");
    setHint(DBEdit17, QStringLiteral("Use to select records for lists etc."));
    DBEdit14->setFixedWidth(18 * charWidth);
    DBEdit16->setFixedWidth(18 * charWidth);
    for (DBEdit *e : {DBEdit17, DBEdit18})
        e->setFixedWidth(8 * charWidth);
    const std::pair<QString, DBEdit *> page2[] = {{QStringLiteral("Birthday"), DBEdit14},
                                                  {QStringLiteral(" Workplace"), DBEdit15},
                                                  {QStringLiteral(" Work Tel"), DBEdit16}};
    for (int i = 0; i < 3; ++i) {
        QLabel *l = label(TabSheet2, page2[i].first,
                          ("lb" + page2[i].second->objectName().toStdString()).c_str());
        l->setBuddy(page2[i].second);
        p2->addWidget(l, i + 1, 0);
        p2->addWidget(page2[i].second, i + 1, 1, 1, 3, i == 1 ? Qt::Alignment() : Qt::AlignLeft);
    }
    QLabel *flag1 = label(TabSheet2, QStringLiteral("Flags 1"), "lbDBEdit17");
    QLabel *flag2 = label(TabSheet2, QStringLiteral("Flag 2"), "lbDBEdit18");
    flag1->setBuddy(DBEdit17);
    flag2->setBuddy(DBEdit18);
    auto *flags = new QHBoxLayout;
    flags->setSpacing(8);
    flags->addWidget(DBEdit17);
    flags->addSpacing(12);
    flags->addWidget(flag2);
    flags->addWidget(DBEdit18);
    flags->addStretch(1);
    p2->addWidget(flag1, 4, 0);
    p2->addLayout(flags, 4, 1, 1, 3);
    p2->setColumnStretch(3, 1);
    p2->setRowStretch(5, 1);
    PageControl1->addTab(TabSheet2, QStringLiteral("More Info"));
    outer->addWidget(PageControl1, 1);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(39);
    auto *bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(6, 6, 6, 6);
    DBNavigator1 = new DBNavigator(dsFormView,
                                   {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next,
                                    DBNavigator::Last, DBNavigator::Insert, DBNavigator::Delete,
                                    DBNavigator::Edit, DBNavigator::Post, DBNavigator::Cancel},
                                   {QStringLiteral("First record"), QStringLiteral("Prior record"),
                                    QStringLiteral("Next record"), QStringLiteral("Last record"),
                                    QStringLiteral("Insert record"),
                                    QStringLiteral("Delete record"), QStringLiteral("Edit record"),
                                    QStringLiteral("Post edit"), QStringLiteral("Cancel edit")},
                                   Panel2);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setFixedWidth(9 * 24);
    DBNavigator1->confirmDelete = [this] {
        return Platform::dialogs().message(this, MsgKind::Confirm, QStringLiteral("Delete record?"),
                                           true);
    };
    bottom->addWidget(DBNavigator1);
    bottom->addStretch(1);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                              QStringLiteral("&Close"), Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
    bottom->addWidget(BitBtn1);
    outer->addWidget(Panel2);

    // Tab order: the page tabs, the fields of the pages, the close button,
    // then the name fields at the top.
    const QList<QWidget *> order{PageControl1, DBEdit4,  DBEdit5,  DBEdit6,  DBEdit7,  DBEdit8,
                                 DBEdit9,      DBEdit10, DBEdit11, DBEdit12, DBEdit13, DBMemo1,
                                 DBEdit14,     DBEdit15, DBEdit16, DBEdit17, DBEdit18, BitBtn1,
                                 DBEdit2,      DBEdit3,  DBEdit1};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

TfmHomeForm::~TfmHomeForm()
{
    if (fmHomeForm == this)
        fmHomeForm = nullptr;
}

QSize TfmHomeForm::frameExtra() const
{
    // The size the desktop's frame adds; before this window has had a frame,
    // the main window's (same desktop, same kind of frame) stands in for it.
    QSize extra = WindowPlacement::outerGeometry(this).size() - size();
    if (extra.isEmpty() && fmHomeAddMain && fmHomeAddMain->isVisible())
        extra = WindowPlacement::outerGeometry(fmHomeAddMain).size() - fmHomeAddMain->size();
    return extra.expandedTo(QSize(0, 0));
}

void TfmHomeForm::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        guarded(this, [this] { FormShow(); });
}

void TfmHomeForm::closeEvent(QCloseEvent *e)
{
    // A settings file that cannot be written is reported; the window closes all the same.
    guarded(this, [this] { FormClose(); });
    e->accept();
}

void TfmHomeForm::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfmHomeForm::FormShow()
{
    IniFile ini(IniFile::settingsPath());
    const int status = ini.readInteger(kSection, QStringLiteral("Status"), 0);
    if (status != 3 && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    if (status == 0)
        return;
    const QRect frame = WindowPlacement::outerGeometry(this);
    const QSize extra = frameExtra();
    const int top = ini.readInteger(kSection, QStringLiteral("Top"), frame.top());
    const int left = ini.readInteger(kSection, QStringLiteral("Left"), frame.left());
    const int width =
        ini.readInteger(kSection, QStringLiteral("Width"), size().width() + extra.width());
    const int height =
        ini.readInteger(kSection, QStringLiteral("Height"), size().height() + extra.height());
    // Outer size in the file; the frame's share is the desktop's.
    const QRect outer = WindowPlacement::fitToScreens(left, top, width, height);
    WindowPlacement::placeOuter(this, outer, WindowPlacement::SizeRule::Fixed, extra,
                                QSize(100, 100));
    if (status == 3) {
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfmHomeForm::FormActivate()
{
    PageControl1->setCurrentIndex(0);
}

void TfmHomeForm::FormClose()
{
    IniFile ini(IniFile::settingsPath());
    const bool active = isActiveWindow();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        const QRect frame = WindowPlacement::outerGeometry(this);
        const QSize outer = size() + frameExtra();
        ini.writeInteger(kSection, QStringLiteral("Top"), frame.top());
        ini.writeInteger(kSection, QStringLiteral("Left"), frame.left());
        ini.writeInteger(kSection, QStringLiteral("Width"), outer.width());
        ini.writeInteger(kSection, QStringLiteral("Height"), outer.height());
    }
    ini.writeInteger(kSection, QStringLiteral("Status"), active ? 1 : 2);
}

#include "app/SplashBox.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TfmSplash *fmSplash = nullptr;

namespace {
QLabel *centredLabel(QWidget *parent, const char *name, const QString &text, int points, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignCenter);
    l->setFont(windowFont(points, bold));
    return l;
}
} // namespace

TfmSplash::TfmSplash()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("fmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(Pictures::programIcon());
    // A dialog border round a client area of 359 x 204.
    setFixedSize(359 + 2, 204 + 2);
    setFont(windowFont());

    auto *border = new QFrame(this);
    border->setFrameStyle(QFrame::Box | QFrame::Plain);
    border->setGeometry(rect());

    // A raised panel in the light 3-D face colour fills the window.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(1, 1, 359, 204);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button).lighter(105));
    Panel1->setPalette(pal);
    Panel1->setAutoFillBackground(true);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 65, 65);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(Pictures::programIconPixmap());

    // Raised outer and lowered inner edge, 2 pixels each.
    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setGeometry(84, 8, 267, 188);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setLineWidth(2);
    auto *inner = new QFrame(Panel2);
    inner->setGeometry(2, 2, 263, 184);
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setLineWidth(2);
    auto *labels = new QVBoxLayout(inner);
    labels->setContentsMargins(10, 8, 10, 10);
    Label4 = centredLabel(inner, "Label4", QStringLiteral("Varnel"), 24, true);
    Label1 = centredLabel(inner, "Label1", QStringLiteral("Database for Home or Office"), 10);
    Label3 = centredLabel(inner, "Label3", QStringLiteral("developed by"), 9);
    Label2 = centredLabel(inner, "Label2",
                          QStringLiteral("Harriet Calloway of Pennyford Software, Ludlow, "
                                         "Shropshire. Version 3"),
                          10);
    Label2->setWordWrap(true);
    labels->addWidget(Label4);
    labels->addWidget(Label1);
    labels->addSpacing(6);
    labels->addWidget(Label3);
    labels->addWidget(Label2);
    labels->addStretch(1);

    Panel3 = new ClickPanel(QStringLiteral("Credits"), Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(8, 164, 68, 26);
    Panel3->setCursor(Qt::PointingHandCursor);
    connect(Panel3, &ClickPanel::clicked, this, &TfmSplash::creditsRequested);

    // The clock starts at creation, not at showing, and does not stop for the mouse.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TfmSplash::Timer1Timer);
    Timer1->start();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfmSplash::~TfmSplash()
{
    if (fmSplash == this)
        fmSplash = nullptr;
}

void TfmSplash::Timer1Timer() { close(); }

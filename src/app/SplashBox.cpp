#include "app/SplashBox.h"

#include "widgets/Pictures.h"
#include "widgets/WindowFont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

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
    m_face = new QFrame(this);
    m_face->setObjectName(QStringLiteral("Panel1"));
    m_face->setGeometry(1, 1, 359, 204);
    m_face->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_face->setLineWidth(1);
    QPalette pal = m_face->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button).lighter(105));
    m_face->setPalette(pal);
    m_face->setAutoFillBackground(true);

    m_icon = new QLabel(m_face);
    m_icon->setObjectName(QStringLiteral("Image1"));
    m_icon->setGeometry(8, 8, 65, 65);
    m_icon->setAlignment(Qt::AlignCenter);
    m_icon->setPixmap(Pictures::programIconPixmap());

    // Raised outer and lowered inner edge, 2 pixels each.
    m_namePanel = new QFrame(m_face);
    m_namePanel->setObjectName(QStringLiteral("Panel2"));
    m_namePanel->setGeometry(84, 8, 267, 188);
    m_namePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_namePanel->setLineWidth(2);
    auto *inner = new QFrame(m_namePanel);
    inner->setGeometry(2, 2, 263, 184);
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setLineWidth(2);
    auto *labels = new QVBoxLayout(inner);
    labels->setContentsMargins(10, 8, 10, 10);
    m_programName = centredLabel(inner, "Label4", tr("Varnel"), 24, true);
    m_tagLine = centredLabel(inner, "Label1", tr("Database for Home or Office"), 10);
    m_developedBy = centredLabel(inner, "Label3", tr("developed by"), 9);
    m_author = centredLabel(inner, "Label2",
                            tr("Harriet Calloway of Pennyford Software, Ludlow, "
                                           "Shropshire. Version 3"),
                            10);
    m_author->setWordWrap(true);
    labels->addWidget(m_programName);
    labels->addWidget(m_tagLine);
    labels->addSpacing(6);
    labels->addWidget(m_developedBy);
    labels->addWidget(m_author);
    labels->addStretch(1);

    m_creditsPanel = new ClickPanel(tr("Credits"), m_face);
    m_creditsPanel->setObjectName(QStringLiteral("Panel3"));
    m_creditsPanel->setGeometry(8, 164, 68, 26);
    m_creditsPanel->setCursor(Qt::PointingHandCursor);
    connect(m_creditsPanel, &ClickPanel::clicked, this, &TfmSplash::creditsRequested);

    // The clock starts at creation, not at showing, and does not stop for the mouse.
    m_closeTimer = new QTimer(this);
    m_closeTimer->setObjectName(QStringLiteral("Timer1"));
    m_closeTimer->setInterval(5000);
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, &QWidget::close);
    m_closeTimer->start();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

#include "widgets/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// How much of the title bar must lie on a screen for the window to be found
// and dragged: a strip this high along its top, this wide.
constexpr int kTitleHeight = 20;
constexpr int kTitleVisible = 100;

QMargins frameOf(const QWidget *window)
{
    if (const QWindow *w = window->windowHandle())
        return w->frameMargins();
    return QMargins();
}

void applySize(QWidget *window, QSize inner, WindowPlacement::SizeRule rule)
{
    if (rule == WindowPlacement::SizeRule::Fixed)
        window->setFixedSize(inner);
    else if (rule == WindowPlacement::SizeRule::Resize)
        window->resize(inner);
}

// Gives the window its outer size once the desktop has framed it: before
// the first showing the frame is unknown, and taking the stored outer size
// as the inner one would grow the window by a frame at every start.
class OuterSizeFix : public QObject
{
public:
    OuterSizeFix(QWidget *window, QRect outer, WindowPlacement::SizeRule rule, QSize minimum)
        : QObject(window), m_window(window), m_outer(outer), m_rule(rule), m_minimum(minimum)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() != QEvent::Move && e->type() != QEvent::Resize && e->type() != QEvent::Show &&
            e->type() != QEvent::Expose)
            return false;
        const QMargins frame = frameOf(m_window);
        if (frame.isNull())
            return false;
        m_window->removeEventFilter(this);
        if (m_window->windowState() == Qt::WindowNoState) {
            applySize(m_window, m_outer.size().shrunkBy(frame).expandedTo(m_minimum), m_rule);
            // Resizing may take the window's place from a position the
            // desktop has not yet reported back: put the frame where it belongs.
            if (QWindow *w = m_window->windowHandle())
                w->setFramePosition(m_outer.topLeft());
        }
        deleteLater();
        return false;
    }

private:
    QWidget *m_window;
    QRect m_outer;
    WindowPlacement::SizeRule m_rule;
    QSize m_minimum;
};

} // namespace

QRect WindowPlacement::fitToScreens(qint64 left, qint64 top, qint64 width, qint64 height)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return QRect(int(std::clamp<qint64>(left, INT_MIN / 4, INT_MAX / 4)),
                     int(std::clamp<qint64>(top, INT_MIN / 4, INT_MAX / 4)),
                     int(std::clamp<qint64>(width, kMinimumWidth, INT_MAX / 4)),
                     int(std::clamp<qint64>(height, kMinimumHeight, INT_MAX / 4)));
    // The screen the title bar is on, else the one nearest to it.
    const auto distance = [&](const QRect &r) {
        const qint64 cx = std::clamp<qint64>(left, r.left(), r.right());
        const qint64 cy = std::clamp<qint64>(top, r.top(), r.bottom());
        return (cx - left) * (cx - left) + (cy - top) * (cy - top);
    };
    QRect area = screens.first()->availableGeometry();
    qint64 best = -1;
    for (QScreen *s : screens) {
        const QRect r = s->availableGeometry();
        const qint64 d = distance(r);
        if (best < 0 || d < best) {
            best = d;
            area = r;
        }
    }
    const qint64 w = std::clamp<qint64>(width, std::min(kMinimumWidth, area.width()), area.width());
    const qint64 h =
        std::clamp<qint64>(height, std::min(kMinimumHeight, area.height()), area.height());
    // Enough of the title bar on some screen: the placement stands.
    for (QScreen *s : screens) {
        const QRect r = s->availableGeometry();
        const qint64 visibleLeft = std::max<qint64>(left, r.left());
        const qint64 visibleRight = std::min<qint64>(left + w - 1, r.right());
        const qint64 visibleTop = std::max<qint64>(top, r.top());
        const qint64 visibleBottom = std::min<qint64>(top + kTitleHeight - 1, r.bottom());
        if (visibleRight - visibleLeft + 1 >= std::min<qint64>(kTitleVisible, w) &&
            visibleBottom - visibleTop + 1 >= kTitleHeight / 2)
            return QRect(int(left), int(top), int(w), int(h));
    }
    // Otherwise onto the nearest screen, as close to the stored place as fits.
    const qint64 x = std::clamp<qint64>(left, area.left(), area.left() + area.width() - w);
    const qint64 y = std::clamp<qint64>(top, area.top(), area.top() + area.height() - h);
    return QRect(int(x), int(y), int(w), int(h));
}

QRect WindowPlacement::outerGeometry(const QWidget *window)
{
    // The platform window knows the frame as soon as the desktop has drawn
    // it; the widget's own frame geometry can lag behind.
    const QRect inner = window->geometry();
    const QMargins frame = frameOf(window);
    if (frame.isNull())
        return window->frameGeometry();
    return inner.marginsAdded(frame);
}

void WindowPlacement::placeOuter(QWidget *window, const QRect &outer, SizeRule rule,
                                 QSize frameGuess, QSize minimumInner)
{
    const QMargins frame = frameOf(window);
    // Size first: giving a window its geometry makes the position count as
    // the inner one again.
    if (rule != SizeRule::Keep) {
        const QSize extra = frame.isNull()
                                ? frameGuess.expandedTo(QSize(0, 0))
                                : QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
        applySize(window, (outer.size() - extra).expandedTo(minimumInner), rule);
        if (frame.isNull())
            new OuterSizeFix(window, outer, rule, minimumInner);
    }
    window->move(outer.topLeft());
    // A window that has not been framed yet does not know how thick its frame
    // will be, and would take the place as its inner corner: say it is the
    // frame's, and the desktop puts the frame there.
    if (frame.isNull())
        if (QWindow *w = window->windowHandle())
            w->setFramePosition(outer.topLeft());
}

#pragma once

#include <QRect>

class QWidget;

// Putting a window where the settings say, by its outer edges (frame
// included), as the desktop draws them.
namespace WindowPlacement {

// The smallest outer size a restored window is given.
constexpr int kMinimumWidth = 120;
constexpr int kMinimumHeight = 60;

// A stored placement made safe for the screens there are now: no larger than
// the screen it lands on, and with enough of its title bar on a screen to be
// grabbed. Values far outside any screen (or a size that would overflow) are
// taken as they would be on the nearest screen. Without screens, unchanged.
QRect fitToScreens(qint64 left, qint64 top, qint64 width, qint64 height);

// The window's outer edges. Before the desktop has framed the window they are
// its inner ones.
QRect outerGeometry(const QWidget *window);

// What placing a window does with its size.
enum class SizeRule
{
    Keep,   // only the place
    Resize, // the outer size of the placement
    Fixed,  // the outer size, fixed (the window cannot be resized)
};

// Places the window's frame at `outer.topLeft()` and sizes it by `rule`.
// Before the window has a frame its thickness is unknown: `frameGuess` (the
// size a frame adds, e.g. another window's) stands in for it, and the size
// is put right once the desktop has framed the window.
void placeOuter(QWidget *window, const QRect &outer, SizeRule rule = SizeRule::Resize,
                QSize frameGuess = QSize(), QSize minimumInner = QSize(1, 1));

} // namespace WindowPlacement

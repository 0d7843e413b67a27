#include "widgets/PageArrows.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// One arrow drawn on a square of `size` pixels: a pair of triangles pointing
// left or right, with a bar at the far side for first and last.
QPixmap arrowPixmap(PageArrow arrow, const QColor &colour, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    // Drawn pointing right on a 16-unit grid, mirrored for the left arrows.
    p.scale(size / 16.0, size / 16.0);
    if (arrow == PageArrow::First || arrow == PageArrow::Previous) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    const bool withBar = arrow == PageArrow::First || arrow == PageArrow::Last;
    const qreal left = withBar ? 1.5 : 2.5;
    const auto triangle = [&p](qreal x) {
        QPainterPath path;
        path.moveTo(x, 3.5);
        path.lineTo(x + 5.5, 8);
        path.lineTo(x, 12.5);
        path.closeSubpath();
        p.drawPath(path);
    };
    triangle(left);
    triangle(left + 5.5);
    if (withBar)
        p.drawRect(QRectF(12.8, 3.5, 1.8, 9));
    return pm;
}

} // namespace

QIcon pageArrowIcon(PageArrow arrow, const QPalette &palette)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        icon.addPixmap(arrowPixmap(arrow, palette.color(QPalette::Active, QPalette::ButtonText), size),
                       QIcon::Normal);
        icon.addPixmap(arrowPixmap(arrow, palette.color(QPalette::Disabled, QPalette::ButtonText), size),
                       QIcon::Disabled);
    }
    return icon;
}

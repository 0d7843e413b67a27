#include "mailmerge/EditorGlyphs.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor ink(40, 40, 40);
const QColor paper(255, 255, 255);
const QColor folder(230, 190, 70);
const QColor disk(40, 70, 150);
const QColor metal(190, 190, 200);

void page(QPainter &p, const QRectF &r)
{
    // A sheet with its top-right corner folded down.
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void floppy(QPainter &p)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(disk);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5)); // label
    p.setBrush(metal);
    p.drawRect(QRectF(4.5, 9.5, 7, 5)); // shutter
    p.fillRect(QRectF(9, 10.5, 1.5, 3), ink);
}

void letters(QPainter &p, const QString &text, bool bold, bool italic, int pixelSize)
{
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(0, 0, 16, 15), Qt::AlignCenter, text);
}

QPixmap draw(EditorGlyphs::Glyph g)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (g) {
    case EditorGlyphs::New:
        page(p, QRectF(3.5, 1.5, 9, 13));
        break;
    case EditorGlyphs::Open: {
        p.setPen(QPen(ink, 1));
        p.setBrush(folder.darker(115));
        p.drawRect(QRectF(1.5, 4.5, 11, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        QPolygonF front;
        front << QPointF(1.5, 13.5) << QPointF(4.5, 7.5) << QPointF(15.5, 7.5)
              << QPointF(12.5, 13.5);
        p.setBrush(folder);
        p.drawPolygon(front);
        break;
    }
    case EditorGlyphs::Save:
        floppy(p);
        break;
    case EditorGlyphs::SaveAs: {
        floppy(p);
        p.setPen(QPen(QColor(230, 160, 0), 1.5));
        const QPointF c(12.5, 3.5);
        for (int i = 0; i < 4; ++i) {
            const qreal dx = (i % 2 ? 3 : 0), dy = (i % 2 ? 0 : 3);
            p.drawLine(c - QPointF(dx, dy), c + QPointF(dx, dy));
        }
        break;
    }
    case EditorGlyphs::Cut:
        p.setPen(QPen(ink, 1.2));
        p.drawLine(QPointF(5, 1), QPointF(10, 10));
        p.drawLine(QPointF(11, 1), QPointF(6, 10));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(180, 30, 30), 1.5));
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        break;
    case EditorGlyphs::Copy:
        page(p, QRectF(1.5, 1.5, 8, 10));
        page(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case EditorGlyphs::Paste:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(170, 120, 60));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(metal);
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        page(p, QRectF(7.5, 6.5, 7, 8));
        break;
    case EditorGlyphs::Close:
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(150, 95, 50));
        p.drawRect(QRectF(3.5, 1.5, 8, 13)); // the door
        p.setBrush(ink);
        p.drawEllipse(QPointF(9.5, 8.5), 0.8, 0.8);
        p.setPen(QPen(QColor(0, 130, 0), 1.5));
        p.drawLine(QPointF(10, 12), QPointF(15, 12)); // the way out
        p.drawLine(QPointF(13, 10), QPointF(15, 12));
        p.drawLine(QPointF(13, 14), QPointF(15, 12));
        break;
    case EditorGlyphs::FontChange:
        letters(p, QStringLiteral("ABC"), false, false, 8);
        break;
    case EditorGlyphs::Bold:
        letters(p, QStringLiteral("B"), true, false, 13);
        break;
    case EditorGlyphs::Italic:
        letters(p, QStringLiteral("I"), false, true, 13);
        break;
    case EditorGlyphs::Underline:
        letters(p, QStringLiteral("U"), false, false, 12);
        p.fillRect(QRectF(4, 14, 8, 1), ink);
        break;
    case EditorGlyphs::Expand:
        p.setPen(QPen(ink, 1.2));
        for (qreal y : {4.0, 8.0}) {
            p.drawLine(QPointF(5, y), QPointF(8, y + 3));
            p.drawLine(QPointF(8, y + 3), QPointF(11, y));
        }
        break;
    case EditorGlyphs::GlyphCount:
        break;
    }
    return pm;
}

} // namespace

QVector<QIcon> EditorGlyphs::imageList()
{
    static const QVector<QIcon> list = [] {
        QVector<QIcon> icons;
        for (int g = 0; g < GlyphCount; ++g)
            icons << QIcon(draw(Glyph(g)));
        return icons;
    }();
    return list;
}

QIcon EditorGlyphs::icon(Glyph glyph)
{
    return imageList().value(glyph);
}

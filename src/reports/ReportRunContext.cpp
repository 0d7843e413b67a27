#include "reports/ReportRunContext.h"

#include "reports/ReportUnits.h"

void TRpRunContext::addBox(const QRectF &rect, const QColor &color)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    PreparedItem item;
    item.kind = PreparedItem::FilledBox;
    item.rect = rect;
    item.color = color;
    page->items.append(item);
}

void TRpRunContext::addText(const QPointF &topLeft, const QString &text, const ReportFont &font,
                            const QColor &color)
{
    if (text.isEmpty())
        return;
    const ReportFontMetrics &m = ReportFontMetrics::of(font);
    PreparedItem item;
    item.kind = PreparedItem::TextLine;
    item.rect = QRectF(topLeft, QSizeF(m.width(text), m.lineHeight()));
    item.text = text;
    item.font = font;
    item.color = color;
    item.baseline = m.ascent();
    page->items.append(item);
}

void TRpRunContext::addFrame(const QRectF &box, const TRpFrame &frame)
{
    const qreal w = ReportUnits::fromPoints(frame.Width);
    auto add = [&](const QRectF &ink, PreparedItem::Edge edge) {
        PreparedItem item;
        item.kind = PreparedItem::FrameLine;
        item.rect = ink;
        item.color = frame.Color;
        item.edge = edge;
        page->items.append(item);
    };
    if (frame.DrawTop)
        add(QRectF(box.left(), box.top(), box.width(), w), PreparedItem::EdgeTop);
    if (frame.DrawBottom)
        add(QRectF(box.left(), box.bottom() - w, box.width(), w), PreparedItem::EdgeBottom);
    if (frame.DrawLeft)
        add(QRectF(box.left(), box.top(), w, box.height()), PreparedItem::EdgeLeft);
    if (frame.DrawRight)
        add(QRectF(box.right() - w, box.top(), w, box.height()), PreparedItem::EdgeRight);
}

void TRpRunContext::addRichText(const QRectF &box, const QString &html, qreal clipHeight)
{
    PreparedItem item;
    item.kind = PreparedItem::RichText;
    item.rect = box;
    item.text = html;
    item.clipHeight = clipHeight;
    page->items.append(item);
}

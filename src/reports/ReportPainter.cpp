#include "reports/ReportPainter.h"

#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"
#include "reports/ReportRichText.h"
#include "reports/ReportText.h"
#include "reports/ReportUnits.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

namespace {

// The size in layout units of one device pixel under the painter's transform.
qreal unitsPerDevicePixel(const QPainter &painter)
{
    const QTransform t = painter.deviceTransform();
    const qreal scale = std::sqrt(t.m11() * t.m11() + t.m12() * t.m12());
    return scale > 0 ? 1.0 / scale : 1.0;
}

// A frame line is never thinner than one device pixel, and it grows away from
// its edge into its box.
QRectF frameInk(const PreparedItem &item, qreal minWidth)
{
    QRectF r = item.rect;
    switch (item.edge) {
    case PreparedItem::EdgeTop:
        r.setHeight(std::max(r.height(), minWidth));
        break;
    case PreparedItem::EdgeBottom:
        r.setTop(r.bottom() - std::max(r.height(), minWidth));
        break;
    case PreparedItem::EdgeLeft:
        r.setWidth(std::max(r.width(), minWidth));
        break;
    case PreparedItem::EdgeRight:
        r.setLeft(r.right() - std::max(r.width(), minWidth));
        break;
    }
    return r;
}

void drawText(QPainter &painter, const PreparedItem &item)
{
    // An empty line has nothing to draw, not even its underline, and a glyph
    // run without glyphs is not something the paint engines expect.
    if (item.text.isEmpty())
        return;
    // Glyphs go where they were measured, from the font's unrounded size:
    // no device's own text layout or size rounding moves them.
    const QGlyphRun run = ReportFontMetrics::of(item.font).glyphRun(item.text);
    if (painter.pen().color() != item.color)
        painter.setPen(item.color);
    painter.drawGlyphRun(QPointF(item.rect.x(), item.rect.y() + item.baseline), run);
}

} // namespace

void paintPage(const PreparedPage &page, QPainter &painter, qreal pixelsPerMm,
               const QPointF &deviceOffset)
{
    painter.save();
    painter.translate(-deviceOffset);
    painter.scale(pixelsPerMm / ReportUnits::kUnitsPerMm, pixelsPerMm / ReportUnits::kUnitsPerMm);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const qreal onePixel = unitsPerDevicePixel(painter);

    for (const PreparedItem &item : page.items) {
        switch (item.kind) {
        case PreparedItem::FilledBox:
            painter.fillRect(item.rect, item.color);
            break;
        case PreparedItem::FrameLine:
            painter.fillRect(frameInk(item, onePixel), item.color);
            break;
        case PreparedItem::TextLine:
            drawText(painter, item);
            break;
        case PreparedItem::RichText:
            painter.save();
            painter.translate(item.rect.topLeft());
            ReportRichTextLayout::shared(item.text, item.rect.width())->draw(painter, item.clipHeight);
            painter.restore();
            break;
        }
    }
    painter.restore();
}

void exportPdf(const PreparedReport &report, const QString &fileName)
{
    if (report.pages.isEmpty())
        throw VarnelError(QStringLiteral("The report has no page to export"));
    constexpr int kPdfDpi = 1200;
    QPdfWriter writer(fileName);
    writer.setResolution(kPdfDpi);
    writer.setCreator(QStringLiteral("Varnel 3"));
    writer.setTitle(report.title);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), report.orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer))
        throw VarnelError(QStringLiteral("Cannot create file \"%1\"").arg(fileName));
    const qreal pixelsPerMm = kPdfDpi / ReportUnits::kMmPerInch;
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paintPage(report.pages[i], painter, pixelsPerMm);
    }
    if (!painter.end())
        throw VarnelError(QStringLiteral("Cannot write file \"%1\"").arg(fileName));
}

#include "reports/ReportPainter.h"

#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"
#include "reports/ReportRichText.h"
#include "reports/ReportText.h"
#include "reports/ReportUnits.h"

#include <QCoreApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
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

namespace {

constexpr int kPdfDpi = 1200;

} // namespace

struct PdfPageWriter::Output
{
    explicit Output(const QString &fileName) : file(fileName), writer(&file) {}
    QSaveFile file;
    QPdfWriter writer;
    QPainter painter;
};

PdfPageWriter::PdfPageWriter(const QString &fileName, const QString &title,
                             QPageLayout::Orientation orientation)
    : m_out(std::make_unique<Output>(fileName)), m_fileName(fileName)
{
    if (!m_out->file.open(QIODevice::WriteOnly))
        throw VarnelError(QCoreApplication::translate("ReportPainter", "Cannot create file \"%1\"")
                              .arg(fileName));
    QPdfWriter &writer = m_out->writer;
    writer.setResolution(kPdfDpi);
    writer.setCreator(QStringLiteral("Varnel 3"));
    writer.setTitle(title);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
}

PdfPageWriter::~PdfPageWriter()
{
    if (m_out->painter.isActive())
        m_out->painter.end();
    m_out->file.cancelWriting();
}

void PdfPageWriter::addPage(const PreparedPage &page)
{
    // The PDF is begun with its first page, so that a run without pages
    // writes nothing at all.
    if (m_pages == 0) {
        if (!m_out->painter.begin(&m_out->writer))
            throw VarnelError(
                QCoreApplication::translate("ReportPainter", "Cannot create file \"%1\"")
                    .arg(m_fileName));
    } else {
        m_out->writer.newPage();
    }
    paintPage(page, m_out->painter, kPdfDpi / ReportUnits::kMmPerInch);
    ++m_pages;
}

void PdfPageWriter::finish()
{
    if (m_pages == 0)
        throw VarnelError(
            QCoreApplication::translate("ReportPainter", "The report has no page to export"));
    if (!m_out->painter.end() || !m_out->file.commit())
        throw VarnelError(QCoreApplication::translate("ReportPainter", "Cannot write file \"%1\"")
                              .arg(m_fileName));
}

void exportPdf(const PreparedReport &report, const QString &fileName)
{
    if (report.pages.isEmpty())
        throw VarnelError(
            QCoreApplication::translate("ReportPainter", "The report has no page to export"));
    PdfPageWriter writer(fileName, report.title, report.orientation);
    for (const PreparedPage &page : report.pages)
        writer.addPage(page);
    writer.finish();
}

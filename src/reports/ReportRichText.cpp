#include "reports/ReportRichText.h"

#include "platform/ContainedText.h"
#include "reports/ReportUnits.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Print resolution for laying out rich text. The screen's resolution would
// make the line breaks depend on the monitor.
constexpr int kLayoutDpi = 1200;
constexpr qreal kUnitsPerLayoutPixel =
    ReportUnits::kMmPerInch * ReportUnits::kUnitsPerMm / kLayoutDpi;

// A device that only answers questions about its metrics; nothing paints on it.
class LayoutDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return kLayoutDpi * 20;
        case PdmWidthMM:
        case PdmHeightMM:
            return 508;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kLayoutDpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }
};

LayoutDevice &layoutDevice()
{
    static LayoutDevice device;
    return device;
}

} // namespace

ReportRichTextLayout::ReportRichTextLayout(const QString &html, qreal width)
    : m_doc(std::make_unique<ContainedTextDocument>()), m_width(width)
{
    m_doc->documentLayout()->setPaintDevice(&layoutDevice());
    m_doc->setDocumentMargin(0);
    // Tables nested beyond any letter's need would make the layout recurse
    // off the stack; such text is shown as its plain words.
    if (ContainedText::tableDepth(html) > ContainedText::kMaxTableDepth)
        m_doc->setPlainText(QString(html).remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
    else
        m_doc->setHtml(html);
    m_doc->setTextWidth(width / kUnitsPerLayoutPixel);
}

ReportRichTextLayout::~ReportRichTextLayout() = default;

qreal ReportRichTextLayout::fittingHeight(qreal height) const
{
    const qreal limit = height / kUnitsPerLayoutPixel + 1e-6;
    QAbstractTextDocumentLayout *layout = m_doc->documentLayout();
    qreal bottom = 0;
    for (QTextBlock block = m_doc->begin(); block.isValid(); block = block.next()) {
        const QRectF blockRect = layout->blockBoundingRect(block);
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const qreal lineBottom = blockRect.top() + line.y() + line.height();
            if (lineBottom > limit)
                return bottom * kUnitsPerLayoutPixel;
            bottom = std::max(bottom, lineBottom);
        }
    }
    return bottom * kUnitsPerLayoutPixel;
}

void ReportRichTextLayout::draw(QPainter &painter, qreal clipHeight) const
{
    painter.save();
    painter.scale(kUnitsPerLayoutPixel, kUnitsPerLayoutPixel);
    m_doc->drawContents(
        &painter, QRectF(0, 0, m_width / kUnitsPerLayoutPixel, clipHeight / kUnitsPerLayoutPixel));
    painter.restore();
}

#include "reports/ReportRichText.h"

#include "platform/ContainedText.h"
#include "platform/FontValue.h"
#include "reports/ReportUnits.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QCoreApplication>

#include <algorithm>
#include <vector>

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

// The editor measures indents, spacing and pictures in pixels of 1/96 inch; on
// the layout device a pixel is far smaller, so every such length is scaled to it.
constexpr qreal kScreenDpi = 96;
constexpr qreal kToLayoutPixels = kLayoutDpi / kScreenDpi;

void scaleFrame(QTextFrame *frame)
{
    QTextFrameFormat f = frame->frameFormat();
    f.setTopMargin(f.topMargin() * kToLayoutPixels);
    f.setBottomMargin(f.bottomMargin() * kToLayoutPixels);
    f.setLeftMargin(f.leftMargin() * kToLayoutPixels);
    f.setRightMargin(f.rightMargin() * kToLayoutPixels);
    f.setPadding(f.padding() * kToLayoutPixels);
    f.setBorder(f.border() * kToLayoutPixels);
    if (f.width().type() == QTextLength::FixedLength)
        f.setWidth(f.width().rawValue() * kToLayoutPixels);
    if (f.isTableFormat()) {
        QTextTableFormat t = f.toTableFormat();
        t.setCellSpacing(t.cellSpacing() * kToLayoutPixels);
        t.setCellPadding(t.cellPadding() * kToLayoutPixels);
        QList<QTextLength> columns = t.columnWidthConstraints();
        for (QTextLength &c : columns)
            if (c.type() == QTextLength::FixedLength)
                c = QTextLength(QTextLength::FixedLength, c.rawValue() * kToLayoutPixels);
        t.setColumnWidthConstraints(columns);
        frame->setFrameFormat(t);
    } else {
        frame->setFrameFormat(f);
    }
    for (QTextFrame *child : frame->childFrames())
        scaleFrame(child);
}

void scaleToLayoutPixels(QTextDocument &doc)
{
    // The indent width of lists and indent levels is scaled by the layout itself.
    for (QTextFrame *child : doc.rootFrame()->childFrames())
        scaleFrame(child);
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat f = block.blockFormat();
        f.setLeftMargin(f.leftMargin() * kToLayoutPixels);
        f.setRightMargin(f.rightMargin() * kToLayoutPixels);
        f.setTopMargin(f.topMargin() * kToLayoutPixels);
        f.setBottomMargin(f.bottomMargin() * kToLayoutPixels);
        f.setTextIndent(f.textIndent() * kToLayoutPixels);
        if (f.lineHeightType() == QTextBlockFormat::FixedHeight ||
            f.lineHeightType() == QTextBlockFormat::MinimumHeight ||
            f.lineHeightType() == QTextBlockFormat::LineDistanceHeight)
            f.setLineHeight(f.lineHeight() * kToLayoutPixels, f.lineHeightType());
        QList<QTextOption::Tab> tabs = f.tabPositions();
        for (QTextOption::Tab &t : tabs)
            t.position *= kToLayoutPixels;
        f.setTabPositions(tabs);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(f);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            if (image.hasProperty(QTextFormat::ImageWidth))
                image.setWidth(image.width() * kToLayoutPixels);
            if (image.hasProperty(QTextFormat::ImageHeight))
                image.setHeight(image.height() * kToLayoutPixels);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

} // namespace

ReportRichTextLayout::ReportRichTextLayout(const QString &html, qreal width)
    : m_doc(std::make_unique<ContainedTextDocument>()), m_width(width)
{
    m_doc->documentLayout()->setPaintDevice(&layoutDevice());
    m_doc->setDocumentMargin(0);
    // Tables nested beyond any letter's need would make the layout recurse
    // off the stack; such text is shown as its plain words.
    if (ContainedText::tableDepth(html) > ContainedText::kMaxTableDepth) {
        m_doc->setPlainText(QString(html).remove(QRegularExpression(QStringLiteral("<[^>]*>"))));
    } else {
        m_doc->setHtml(html);
        scaleToLayoutPixels(*m_doc);
    }
    // The text is drawn many times (every page of a merge) but laid out once:
    // each block keeps its shaped glyphs instead of shaping them again at
    // every draw.
    for (QTextBlock block = m_doc->begin(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(true);
    m_doc->setTextWidth(width / kUnitsPerLayoutPixel);
}

ReportRichTextLayout::~ReportRichTextLayout() = default;

namespace {

struct SharedLayout
{
    QString html;
    qreal width;
    std::shared_ptr<const ReportRichTextLayout> layout;
};

std::vector<SharedLayout> &sharedLayouts()
{
    static std::vector<SharedLayout> cache;
    static const bool cleared = [] {
        // The documents go before the application does.
        qAddPostRoutine([] { std::vector<SharedLayout>().swap(sharedLayouts()); });
        return true;
    }();
    Q_UNUSED(cleared);
    return cache;
}

} // namespace

std::shared_ptr<const ReportRichTextLayout> ReportRichTextLayout::shared(const QString &html,
                                                                         qreal width)
{
    constexpr size_t kKept = 4;
    std::vector<SharedLayout> &cache = sharedLayouts();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->width == width && it->html == html) {
            std::rotate(cache.begin(), it, it + 1); // most recent first
            return cache.front().layout;
        }
    }
    auto layout = std::make_shared<const ReportRichTextLayout>(html, width);
    cache.insert(cache.begin(), SharedLayout{html, width, layout});
    if (cache.size() > kKept)
        cache.pop_back();
    return layout;
}

QString ReportRichTextLayout::htmlOf(const QTextDocument &doc)
{
    const QColor shown = defaultTextColor(&doc);
    const std::unique_ptr<QTextDocument> copy(doc.clone());
    QTextCharFormat colour;
    colour.setForeground(shown.isValid() ? shown : QColor(Qt::black));
    QList<std::pair<int, int>> uncoloured;
    for (QTextBlock block = copy->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (!it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush))
                uncoloured.append({it.fragment().position(), it.fragment().length()});
    QTextCursor cursor(copy.get());
    for (const auto &[position, length] : uncoloured) {
        cursor.setPosition(position);
        cursor.setPosition(position + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(colour);
    }
    return copy->toHtml();
}

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
    // Lines that start at or below the clip's foot are not drawn at all: a
    // clipped line would still be in a PDF, hidden but found by a text search.
    // The clip ends a hair above the last kept line's foot, so that the next
    // line, which starts exactly there, is left out.
    const qreal bottom = std::max<qreal>(0, clipHeight / kUnitsPerLayoutPixel - 0.5);
    m_doc->drawContents(&painter, QRectF(0, 0, m_width / kUnitsPerLayoutPixel, bottom));
    painter.restore();
}

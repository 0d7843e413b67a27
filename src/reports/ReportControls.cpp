#include "reports/ReportControls.h"

#include "platform/VarnelError.h"
#include "reports/ReportBands.h"
#include "reports/ReportDataSet.h"
#include "reports/ReportRichText.h"
#include "reports/ReportText.h"
#include "reports/ReportUnits.h"

#include <QCoreApplication>
#include <QTextDocument>

using ReportUnits::fromMm;

TRpPrintable::TRpPrintable(TRpCustomBand *band) : m_band(band) {}

TRpPrintable::~TRpPrintable() = default;

void TRpPrintable::setBounds(qreal left, qreal top, qreal width, qreal height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

void TRpPrintable::setFont(const FontValue &f)
{
    m_font = f;
    m_parentFont = false;
}

FontValue TRpPrintable::effectiveFont() const
{
    return m_parentFont && m_band ? m_band->effectiveFont() : m_font;
}

void TRpPrintable::prepare(TRpRunContext &)
{
    m_runFont = effectiveFont();
}

void TRpPrintable::unprepare() {}

QRectF TRpPrintable::boxOn(const QRectF &bandArea) const
{
    return QRectF(bandArea.left() + fromMm(m_left), bandArea.top() + fromMm(m_top), fromMm(m_width),
                  fromMm(m_height));
}

QRectF TRpPrintable::alignedToBand(QRectF box, const QRectF &bandArea) const
{
    if (!m_alignToBand)
        return box;
    switch (m_alignment) {
    case taLeftJustify:
        box.moveLeft(bandArea.left());
        break;
    case taRightJustify:
        box.moveRight(bandArea.right());
        break;
    case taCenter:
        box.moveLeft(bandArea.left() + (bandArea.width() - box.width()) / 2);
        break;
    }
    return box;
}

QRectF TRpCustomLabel::printableArea(const QRectF &, const TRpRunContext &ctx)
{
    return ctx.printableArea;
}

namespace {

// The widest a line may be to keep inside the fence where its alignment puts it.
qreal roomInside(const QRectF &fence, const QRectF &box, TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return box.right() - fence.left();
    case taCenter:
        return 2 * std::min(box.center().x() - fence.left(), fence.right() - box.center().x());
    case taLeftJustify:
        break;
    }
    return fence.right() - box.left();
}

} // namespace

void TRpCustomLabel::print(TRpRunContext &ctx, const QRectF &bandArea)
{
    const ReportFont font = ReportFont::fromQFont(m_runFont.font);
    const ReportFontMetrics &m = ReportFontMetrics::of(font);
    QRectF box = boxOn(bandArea);
    const QStringList text =
        breakTextIntoLines(printedText(ctx), wordWrap() && !autoSize(), box.width(), m);
    QVector<FittedLine> lines;
    lines.reserve(text.size());
    for (const QString &line : text)
        lines.append({line, font});
    const auto metricsOf = [&](const FittedLine &line) -> const ReportFontMetrics & {
        return line.font == font ? m : ReportFontMetrics::of(line.font);
    };

    const auto place = [&](const QRectF &from) {
        QRectF placed = from;
        if (autoSize()) {
            qreal widest = 0;
            for (const FittedLine &line : lines)
                widest = std::max(widest, metricsOf(line).width(line.text));
            placed.setWidth(widest);
            // An auto-size box is at least one line high, whatever the font: a
            // one-line label never loses its only line to a larger font.
            if (placed.height() < m.lineHeight())
                placed.setHeight(m.lineHeight());
            if (alignment() == taRightJustify)
                placed.moveRight(from.right());
            else if (alignment() == taCenter)
                placed.moveLeft(from.center().x() - widest / 2);
        }
        return alignedToBand(placed, bandArea);
    };
    QRectF placed = place(box);

    // Lines that end below the box are dropped from the bottom. Without a fence
    // nothing is cut at the sides, so a line wider than the box runs past it.
    int shown = fittingLineCount(m.lineHeight(), placed.height(), int(lines.size()));
    if (m_fence) {
        const QRectF fence = m_fence(box, ctx);
        const qreal room = roomInside(fence, placed, alignment());
        bool narrowed = false;
        for (FittedLine &line : lines) {
            FittedLine fitted = fitLineToWidth(line.text, line.font, room);
            narrowed = narrowed || fitted.text != line.text || fitted.font != line.font;
            line = std::move(fitted);
        }
        if (narrowed)
            placed = place(box);
        while (shown > 0 && placed.top() + shown * m.lineHeight() > fence.bottom() + 1e-6)
            --shown;
    }

    if (!transparent())
        ctx.addBox(placed, color());
    for (int i = 0; i < shown; ++i) {
        const FittedLine &line = lines.at(i);
        const ReportFontMetrics &lm = metricsOf(line);
        const qreal width = lm.width(line.text);
        qreal x = placed.left();
        if (alignment() == taRightJustify)
            x = placed.right() - width;
        else if (alignment() == taCenter)
            x = placed.center().x() - width / 2;
        // A line set smaller keeps the baseline it would have had.
        const qreal top = placed.top() + i * m.lineHeight() + m.ascent() - lm.ascent();
        ctx.addText(QPointF(x, top), line.text, line.font, m_runFont.color);
    }
    if (frame().any())
        ctx.addFrame(placed, frame());
}

QString TRpLabel::printedText(const TRpRunContext &) const
{
    return m_caption;
}

void TRpDBText::prepare(TRpRunContext &ctx)
{
    TRpCustomLabel::prepare(ctx);
    if (ctx.dataSet && !ctx.dataSet->hasField(m_dataField))
        throw VarnelError(QCoreApplication::translate("TRpDBText", "%1: Field '%2' not found")
                              .arg(ctx.dataSet->name(), m_dataField));
}

QString TRpDBText::printedText(const TRpRunContext &ctx) const
{
    return ctx.row ? ctx.row->displayText(m_dataField) : QString();
}

void TRpExpr::prepare(TRpRunContext &ctx)
{
    TRpCustomLabel::prepare(ctx);
    m_parsed = ReportExpression::parse(m_expression);
    if (ctx.dataSet)
        m_parsed.checkFields(*ctx.dataSet);
}

QString TRpExpr::printedText(const TRpRunContext &ctx) const
{
    return m_parsed.evaluate(ctx.row);
}

void TRpExprMemo::prepare(TRpRunContext &ctx)
{
    TRpCustomLabel::prepare(ctx);
    m_parsed.clear();
    for (const QString &line : m_lines) {
        m_parsed.append(ReportMemoLine::parse(line));
        if (ctx.dataSet)
            m_parsed.last().checkFields(*ctx.dataSet);
    }
}

void TRpExprMemo::unprepare()
{
    m_parsed.clear();
    TRpCustomLabel::unprepare();
}

QString TRpExprMemo::printedText(const TRpRunContext &ctx) const
{
    return mergeMemoLines(m_parsed, m_removeBlankLines, ctx.row).join(QLatin1Char('\n'));
}

QString TRpSysData::printedText(const TRpRunContext &ctx) const
{
    return m_text + QString::number(ctx.pageNumber);
}

void TRpCustomRichText::print(TRpRunContext &ctx, const QRectF &bandArea)
{
    const QRectF box = alignedToBand(boxOn(bandArea), bandArea);
    if (!transparent())
        ctx.addBox(box, color());
    if (const QTextDocument *doc = content()) {
        if (doc != m_htmlOf || doc->revision() != m_htmlRevision || m_html.isNull()) {
            m_html = ReportRichTextLayout::htmlOf(*doc);
            m_htmlOf = doc;
            m_htmlRevision = doc->revision();
        }
        const qreal clip =
            ReportRichTextLayout::shared(m_html, box.width())->fittingHeight(box.height());
        ctx.addRichText(box, m_html, clip);
    }
    if (frame().any())
        ctx.addFrame(box, frame());
}

void TRpCustomRichText::unprepare()
{
    m_htmlOf = nullptr;
    m_html = QString();
    TRpPrintable::unprepare();
}

void TRpRichText::setParentRichEdit(QTextDocument *document)
{
    m_document = document;
}

#include "reports/ReportBands.h"

#include "reports/Report.h"

TRpCustomBand::TRpCustomBand(TCustomReport *report, qreal height)
    : m_report(report), m_height(height)
{
}

TRpCustomBand::~TRpCustomBand() = default;

void TRpCustomBand::setFont(const FontValue &f)
{
    m_font = f;
    m_parentFont = false;
}

FontValue TRpCustomBand::effectiveFont() const
{
    return m_parentFont && m_report ? m_report->font() : m_font;
}

void TRpCustomBand::prepare(TRpRunContext &ctx)
{
    for (const auto &c : m_controls)
        c->prepare(ctx);
}

void TRpCustomBand::print(TRpRunContext &ctx, const QRectF &area)
{
    ctx.addBox(area, m_color);
    for (const auto &c : m_controls)
        c->print(ctx, area);
    if (m_frame.any())
        ctx.addFrame(area, m_frame);
}

void TRpCustomBand::unprepare()
{
    for (const auto &c : m_controls)
        c->unprepare();
}

TRpBand::TRpBand(TCustomReport *report, TRpBandType type, qreal height)
    : TRpCustomBand(report, height), m_type(type)
{
}

TRpGroup::TRpGroup(TCustomReport *report, qreal height) : TRpCustomBand(report, height) {}

void TRpGroup::prepare(TRpRunContext &ctx)
{
    TRpCustomBand::prepare(ctx);
    m_parsed = ReportExpression::parse(m_expression);
    if (ctx.dataSet)
        m_parsed.checkFields(*ctx.dataSet);
}

QString TRpGroup::groupValue(const TRpRunContext &ctx) const
{
    return m_parsed.evaluate(ctx.row);
}

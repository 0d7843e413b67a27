#pragma once

#include "platform/FontValue.h"
#include "reports/ReportControls.h"
#include "reports/ReportExpression.h"
#include "reports/ReportRunContext.h"

#include <memory>
#include <vector>

class TCustomReport;

enum TRpBandType
{
    rbTitle,
    rbColumnHeader,
    rbGroupHeader,
    rbDetail,
    rbPageFooter
};

// A horizontal strip of a page carrying controls. Its height is in mm and
// need not be on the 0.1 mm grid.
class TRpCustomBand
{
public:
    explicit TRpCustomBand(TCustomReport *report, qreal height);
    virtual ~TRpCustomBand();
    TRpCustomBand(const TRpCustomBand &) = delete;
    TRpCustomBand &operator=(const TRpCustomBand &) = delete;

    virtual TRpBandType bandType() const = 0;
    TCustomReport *report() const { return m_report; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    qreal height() const { return m_height; }
    void setHeight(qreal mm) { m_height = mm; }
    QColor color() const { return m_color; }
    void setColor(const QColor &c) { m_color = c; }
    FontValue font() const { return m_font; }
    void setFont(const FontValue &f);
    bool parentFont() const { return m_parentFont; }
    void setParentFont(bool on) { m_parentFont = on; }
    FontValue effectiveFont() const;
    TRpFrame &frame() { return m_frame; }
    const TRpFrame &frame() const { return m_frame; }

    // Adds a control at left, top (mm from the band's corner) of the given size;
    // the band owns it. Controls print in the order they were added.
    template <typename Control>
    Control *addControl(qreal left, qreal top, qreal width, qreal height)
    {
        auto control = std::make_unique<Control>(this);
        control->setBounds(left, top, width, height);
        Control *raw = control.get();
        m_controls.push_back(std::move(control));
        return raw;
    }
    const std::vector<std::unique_ptr<TRpPrintable>> &controls() const { return m_controls; }

    virtual void prepare(TRpRunContext &ctx);
    void print(TRpRunContext &ctx, const QRectF &area);
    virtual void unprepare();

private:
    TCustomReport *m_report;
    QString m_name;
    qreal m_height;
    QColor m_color = Qt::white;
    FontValue m_font;
    bool m_parentFont = true;
    TRpFrame m_frame;
    std::vector<std::unique_ptr<TRpPrintable>> m_controls;
};

class TRpBand : public TRpCustomBand
{
public:
    TRpBand(TCustomReport *report, TRpBandType type, qreal height);
    TRpBandType bandType() const override { return m_type; }

private:
    TRpBandType m_type;
};

// A group header: printed before the first row and before every row whose
// group value differs, character for character, from the row before's. It is
// not repeated at the top of a new page or column.
class TRpGroup : public TRpCustomBand
{
public:
    TRpGroup(TCustomReport *report, qreal height);
    TRpBandType bandType() const override { return rbGroupHeader; }

    QString expression() const { return m_expression; }
    void setExpression(const QString &e) { m_expression = e; }
    // The report whose rows the group goes through.
    TCustomReport *master() const { return report(); }

    void prepare(TRpRunContext &ctx) override;
    QString groupValue(const TRpRunContext &ctx) const;

private:
    QString m_expression;
    ReportExpression m_parsed;
};

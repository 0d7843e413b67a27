#pragma once

#include "platform/FontValue.h"
#include "reports/ReportExpression.h"
#include "reports/ReportRunContext.h"

#include <QPointer>
#include <QRectF>
#include <QStringList>
#include <QTextDocument>
#include <functional>

class TRpCustomBand;

enum TAlignment
{
    taLeftJustify,
    taRightJustify,
    taCenter
};

// A control of a band. Its box is given in millimetres from the band's top-left
// corner. The run calls prepare once before it, print each time the band
// prints (with the band's area on the page, in layout units) and unprepare
// after it; nothing else should.
class TRpPrintable
{
public:
    explicit TRpPrintable(TRpCustomBand *band);
    virtual ~TRpPrintable();
    TRpPrintable(const TRpPrintable &) = delete;
    TRpPrintable &operator=(const TRpPrintable &) = delete;

    TRpCustomBand *band() const { return m_band; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    void setBounds(qreal left, qreal top, qreal width, qreal height);
    qreal left() const { return m_left; }
    qreal top() const { return m_top; }
    qreal width() const { return m_width; }
    qreal height() const { return m_height; }

    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment a) { m_alignment = a; }
    bool alignToBand() const { return m_alignToBand; }
    void setAlignToBand(bool on) { m_alignToBand = on; }
    QColor color() const { return m_color; }
    void setColor(const QColor &c) { m_color = c; }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on) { m_transparent = on; }

    // Setting a font of its own turns ParentFont off. A change made while a run
    // is going on takes effect from the next run.
    FontValue font() const { return m_font; }
    void setFont(const FontValue &f);
    bool parentFont() const { return m_parentFont; }
    void setParentFont(bool on) { m_parentFont = on; }
    // The font the control prints with: its own, or its band's.
    FontValue effectiveFont() const;

    TRpFrame &frame() { return m_frame; }
    const TRpFrame &frame() const { return m_frame; }

    virtual void prepare(TRpRunContext &ctx);
    virtual void print(TRpRunContext &ctx, const QRectF &bandArea) = 0;
    virtual void unprepare();

protected:
    // The box on the page for a band printed at bandArea, in layout units.
    QRectF boxOn(const QRectF &bandArea) const;
    // Where a box of this width goes: moved to the band's edge or middle with
    // AlignToBand, otherwise left where it was put.
    QRectF alignedToBand(QRectF box, const QRectF &bandArea) const;

    FontValue m_runFont; // fixed by prepare for the length of a run

private:
    TRpCustomBand *m_band;
    QString m_name;
    qreal m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    TAlignment m_alignment = taLeftJustify;
    bool m_alignToBand = false;
    QColor m_color = Qt::white;
    bool m_transparent = false;
    FontValue m_font;
    bool m_parentFont = true;
    TRpFrame m_frame;
};

// Where the lines of a text control must stay on the sheet, worked out from
// the control's box on the page (layout units, before AutoSize): the page
// inside its margins, or the label of a sheet that the box lands on.
using TRpTextFence = std::function<QRectF(const QRectF &box, const TRpRunContext &ctx)>;

// The text controls: each finds its text, which is cut into lines and printed
// into its box.
class TRpCustomLabel : public TRpPrintable
{
public:
    using TRpPrintable::TRpPrintable;

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on) { m_wordWrap = on; }

    // Without a fence a line wider than the box runs on past it. With one, a
    // line that would cross the fence's side is set smaller or cut (see
    // fitLineToWidth), and lines that would end below its foot are not
    // printed; lines that keep inside are printed as they are.
    void setFence(TRpTextFence fence) { m_fence = std::move(fence); }
    // The fence of the page inside its margins.
    static QRectF printableArea(const QRectF &box, const TRpRunContext &ctx);

    void print(TRpRunContext &ctx, const QRectF &bandArea) override;

protected:
    virtual QString printedText(const TRpRunContext &ctx) const = 0;

private:
    bool m_autoSize = false;
    bool m_wordWrap = true;
    TRpTextFence m_fence;
};

class TRpLabel : public TRpCustomLabel
{
public:
    using TRpCustomLabel::TRpCustomLabel;
    QString caption() const { return m_caption; }
    void setCaption(const QString &c) { m_caption = c; }

protected:
    QString printedText(const TRpRunContext &ctx) const override;

private:
    QString m_caption;
};

// The display text of a field of the report's data set in the current row.
class TRpDBText : public TRpCustomLabel
{
public:
    using TRpCustomLabel::TRpCustomLabel;
    QString dataField() const { return m_dataField; }
    void setDataField(const QString &f) { m_dataField = f; }
    void prepare(TRpRunContext &ctx) override;

protected:
    QString printedText(const TRpRunContext &ctx) const override;

private:
    QString m_dataField;
};

class TRpExpr : public TRpCustomLabel
{
public:
    using TRpCustomLabel::TRpCustomLabel;
    QString expression() const { return m_expression; }
    void setExpression(const QString &e) { m_expression = e; }
    void prepare(TRpRunContext &ctx) override;

protected:
    QString printedText(const TRpRunContext &ctx) const override;

private:
    QString m_expression;
    ReportExpression m_parsed;
};

// Lines with expressions in braces, merged for each row.
class TRpExprMemo : public TRpCustomLabel
{
public:
    using TRpCustomLabel::TRpCustomLabel;
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList &l) { m_lines = l; }
    bool removeBlankLines() const { return m_removeBlankLines; }
    void setRemoveBlankLines(bool on) { m_removeBlankLines = on; }
    void prepare(TRpRunContext &ctx) override;
    void unprepare() override;

protected:
    QString printedText(const TRpRunContext &ctx) const override;

private:
    QStringList m_lines;
    bool m_removeBlankLines = false;
    QVector<ReportMemoLine> m_parsed;
};

enum TRpSysDataType
{
    rpsPageNumber
};

// Its text followed by a value of the run.
class TRpSysData : public TRpCustomLabel
{
public:
    using TRpCustomLabel::TRpCustomLabel;
    QString text() const { return m_text; }
    void setText(const QString &t) { m_text = t; }
    TRpSysDataType data() const { return m_data; }
    void setData(TRpSysDataType d) { m_data = d; }

protected:
    QString printedText(const TRpRunContext &ctx) const override;

private:
    QString m_text;
    TRpSysDataType m_data = rpsPageNumber;
};

class TRpCustomRichText : public TRpPrintable
{
public:
    using TRpPrintable::TRpPrintable;
    void print(TRpRunContext &ctx, const QRectF &bandArea) override;
    void unprepare() override;

protected:
    // The content to print, read when the band prints; nullptr prints nothing.
    virtual const QTextDocument *content() const = 0;

private:
    // The content's HTML as last printed in this run, kept while the document
    // is unchanged: every page of a merge then shares one string and one layout.
    const QTextDocument *m_htmlOf = nullptr;
    int m_htmlRevision = -1;
    QString m_html;
};

// Prints the content of a rich-text editor's document, as it stands when the
// band prints, with the content's own formatting, laid out at the control's
// width and cut at the foot of its box.
class TRpRichText : public TRpCustomRichText
{
public:
    using TRpCustomRichText::TRpCustomRichText;
    // The editor's document; the control never changes it and forgets it when
    // the document is destroyed.
    void setParentRichEdit(QTextDocument *document);
    const QTextDocument *parentRichEdit() const { return m_document.data(); }

protected:
    const QTextDocument *content() const override { return m_document.data(); }

private:
    QPointer<QTextDocument> m_document;
};

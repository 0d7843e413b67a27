#pragma once

#include <QString>
#include <memory>

class QPainter;
class QTextDocument;

// Rich text laid out for a report: always at one fixed resolution and with no
// document margin, so that the run that decides where the text is cut and the
// painter that draws it on any device get the same lines.
class ReportRichTextLayout
{
public:
    // html: the content; width: the box's width in layout units (0.1 mm).
    ReportRichTextLayout(const QString &html, qreal width);

    // The document as the HTML a report keeps of it. Text without a colour of
    // its own gets the colour the editor shows it in: left to the HTML, it
    // would take the colour of its list item or paragraph there instead.
    static QString htmlOf(const QTextDocument &doc);
    // A layout of html at width, shared with the last few asked for: the
    // pages of a merge all print the same letter body.
    static std::shared_ptr<const ReportRichTextLayout> shared(const QString &html, qreal width);
    ~ReportRichTextLayout();

    // The bottom of the last line that lies wholly within height, in layout
    // units: nothing below it is printed. The first line that does not fit ends
    // the text, even if a shorter one after it would.
    qreal fittingHeight(qreal height) const;

    // Draws onto a painter whose user space is in layout units, with the
    // text's top-left corner at the origin, down to clipHeight.
    void draw(QPainter &painter, qreal clipHeight) const;

private:
    std::unique_ptr<QTextDocument> m_doc;
    qreal m_width;
};

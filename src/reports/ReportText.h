#pragma once

#include <QHash>

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QStringList>

// A font as a prepared page records it: the layout's face name (such as
// "Arial"), the size in points and the style. The face is mapped to an
// installed font only when text is measured or drawn.
struct ReportFont
{
    QString family = QStringLiteral("Arial");
    qreal pointSize = 10.0;
    int weight = QFont::Normal;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    static ReportFont fromQFont(const QFont &font);
    // A font to draw with: the face mapped to an installed one, hinting off so
    // that every device gets the glyph advances that were measured.
    QFont toQFont() const;

    bool operator==(const ReportFont &o) const;
    bool operator!=(const ReportFont &o) const { return !(*this == o); }
};

// The installed face that stands in for a layout's face name: Arial and Times
// New Roman go to their metric-compatible Liberation fonts, MS Sans Serif to
// the default sans face.
QString installedFamily(const QString &layoutFamily);

// Text measured once, independently of any device, in layout units (0.1 mm).
// Widths are the font's unhinted advances; the line height is the font's full
// character cell as its Windows metrics give it (usWinAscent + usWinDescent),
// so that lines come out as they do with the fonts the layouts were made for.
class ReportFontMetrics
{
public:
    // Shared, cached per font; fonts on disk do not change while we run.
    static const ReportFontMetrics &of(const ReportFont &font);

    qreal lineHeight() const { return m_ascent + m_descent; }
    qreal ascent() const { return m_ascent; }
    qreal descent() const { return m_descent; }
    qreal width(const QString &text) const;
    // The text as glyphs at their measured places, in layout units from the
    // start of its baseline: drawn as it was measured, on any device.
    QGlyphRun glyphRun(const QString &text) const;
    // True when the cell came from the font's own OS/2 table, false when it had
    // to be taken from Qt's metrics.
    bool cellFromOs2Table() const { return m_fromOs2; }

    explicit ReportFontMetrics(const ReportFont &font);

private:
    qreal advance(QChar c) const;
    QFont m_measureFont;
    QFontMetricsF m_measure;
    qreal m_unitsPerPixel = 0; // of the measuring font
    qreal m_ascent = 0;
    qreal m_descent = 0;
    bool m_fromOs2 = false;
    // Advance of each character met so far, in layout units.
    mutable QHash<char16_t, qreal> m_advances;
    QRawFont m_drawFont; // at the em size in layout units
    bool m_underline = false, m_strikeOut = false;
};

// Cuts text into the lines a text control prints. The text is first split at
// its line breaks; with wordWrap each line is then broken to fit width: a word
// ends after a blank or a hyphen, a word that does not fit starts the next
// line, and a word wider than the box is broken between characters.
QStringList breakTextIntoLines(const QString &text, bool wordWrap, qreal width,
                               const ReportFontMetrics &metrics);

// How many lines, printed one line height apart from the top of a box, end
// within the box's height plus 0.1 mm.
int fittingLineCount(qreal lineHeight, qreal boxHeight, int lineCount);

// A line of text as it goes on the page, in the font it is printed in.
struct FittedLine
{
    QString text;
    ReportFont font;
};

// Makes a line no wider than width (layout units), so that it does not run off
// its label or its page. A line that fits is returned as it is. Otherwise it is
// set in a smaller size of the same font, down to 70% of its size but never
// below 6 pt (a font already smaller keeps its size), and only when that is not
// enough is it cut and ended with "..." at the smallest size.
FittedLine fitLineToWidth(const QString &line, const ReportFont &font, qreal width);

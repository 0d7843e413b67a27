#include "reports/ReportText.h"

#include "reports/ReportUnits.h"

#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QtEndian>
#include <memory>
#include <unordered_map>

namespace {

// Advances are taken at a large pixel size, where the whole-pixel rounding of
// a font engine is lost in the scaling, and then scaled to the font's size.
constexpr int kMeasurePixelSize = 1000;

quint16 bigEndian16(const QByteArray &table, int offset)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(table.constData()) + offset);
}

// The metrics cache is looked up for every line measured and drawn, so its key
// is the font itself: no key is built for a lookup. Faces match as the font
// system matches them, whatever their case.
struct SameMetrics
{
    bool operator()(const ReportFont &a, const ReportFont &b) const
    {
        return a.pointSize == b.pointSize && a.weight == b.weight && a.italic == b.italic &&
               a.underline == b.underline && a.strikeOut == b.strikeOut &&
               a.family.compare(b.family, Qt::CaseInsensitive) == 0;
    }
};

struct MetricsHash
{
    size_t operator()(const ReportFont &f) const
    {
        // The face's length stands in for the face: it does not depend on case,
        // and a report uses few faces but many sizes.
        const uint style = uint(f.italic) | uint(f.underline) << 1 | uint(f.strikeOut) << 2;
        return qHashMulti(0, f.family.size(), f.pointSize, f.weight, style);
    }
};

} // namespace

ReportFont ReportFont::fromQFont(const QFont &font)
{
    ReportFont f;
    f.family = font.family();
    f.pointSize = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    f.weight = int(font.weight());
    f.italic = font.italic();
    f.underline = font.underline();
    f.strikeOut = font.strikeOut();
    return f;
}

QFont ReportFont::toQFont() const
{
    QFont f(installedFamily(family));
    if (family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    // Text is laid out glyph by glyph, as the printer drivers the layouts were
    // made for do: no kerning and no ligatures. It also makes a line's width
    // the plain sum of its characters' advances, measured once per character.
    f.setKerning(false);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

bool ReportFont::operator==(const ReportFont &o) const
{
    return family == o.family && qFuzzyCompare(pointSize, o.pointSize) && weight == o.weight &&
           italic == o.italic && underline == o.underline && strikeOut == o.strikeOut;
}

QString installedFamily(const QString &layoutFamily)
{
    static const QHash<QString, QString> map{
        {QStringLiteral("arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("helvetica"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("courier new"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("ms sans serif"), QStringLiteral("Sans Serif")},
    };
    return map.value(layoutFamily.trimmed().toLower(), layoutFamily);
}

namespace {

QFont measuringFont(const ReportFont &font)
{
    QFont f = font.toQFont();
    f.setPixelSize(kMeasurePixelSize);
    return f;
}

} // namespace

ReportFontMetrics::ReportFontMetrics(const ReportFont &font)
    : m_measureFont(measuringFont(font)), m_measure(m_measureFont)
{
    const qreal em = ReportUnits::fromPoints(font.pointSize);
    m_unitsPerPixel = em / kMeasurePixelSize;

    const QRawFont raw = QRawFont::fromFont(m_measureFont);
    m_drawFont = raw;
    m_drawFont.setPixelSize(em);
    m_underline = font.underline;
    m_strikeOut = font.strikeOut;
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    // usWinAscent and usWinDescent sit at bytes 74 and 76 of every OS/2 table
    // version; unitsPerEm at byte 18 of head.
    if (os2.size() >= 78 && head.size() >= 20) {
        const quint16 unitsPerEm = bigEndian16(head, 18);
        const quint16 winAscent = bigEndian16(os2, 74);
        const quint16 winDescent = bigEndian16(os2, 76);
        if (unitsPerEm > 0 && winAscent + winDescent > 0) {
            m_ascent = em * winAscent / unitsPerEm;
            m_descent = em * winDescent / unitsPerEm;
            m_fromOs2 = true;
        }
    }
    if (!m_fromOs2) {
        m_ascent = m_measure.ascent() * m_unitsPerPixel;
        m_descent = m_measure.descent() * m_unitsPerPixel;
    }
}

const ReportFontMetrics &ReportFontMetrics::of(const ReportFont &font)
{
    static std::unordered_map<ReportFont, std::unique_ptr<ReportFontMetrics>, MetricsHash,
                              SameMetrics>
        cache;
    auto it = cache.find(font);
    if (it == cache.end())
        it = cache.emplace(font, std::make_unique<ReportFontMetrics>(font)).first;
    return *it->second;
}

qreal ReportFontMetrics::width(const QString &text) const
{
    if (text.isEmpty())
        return 0;
    qreal sum = 0;
    for (const QChar c : text) {
        if (c.isSurrogate())
            return m_measure.horizontalAdvance(text) * m_unitsPerPixel;
        sum += advance(c);
    }
    return sum;
}

qreal ReportFontMetrics::advance(QChar c) const
{
    auto it = m_advances.constFind(c.unicode());
    if (it == m_advances.constEnd())
        it = m_advances.insert(c.unicode(), m_measure.horizontalAdvance(c) * m_unitsPerPixel);
    return it.value();
}

QGlyphRun ReportFontMetrics::glyphRun(const QString &text) const
{
    QGlyphRun run;
    run.setRawFont(m_drawFont);
    QList<quint32> glyphs = m_drawFont.glyphIndexesForString(text);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    bool simple = glyphs.size() == text.size();
    if (simple) {
        qreal x = 0;
        for (const QChar c : text) {
            positions << QPointF(x, 0);
            x += advance(c);
        }
    } else {
        // Characters beyond the basic plane: the font's own advances.
        const QList<QPointF> advances = m_drawFont.advancesForGlyphIndexes(glyphs);
        QPointF at(0, 0);
        for (const QPointF &a : advances) {
            positions << at;
            at += a;
        }
    }
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(m_underline);
    run.setStrikeOut(m_strikeOut);
    return run;
}

namespace {

// Lines broken by wrapping lose the blanks they end with, so that a right-aligned
// or centred line sits by its visible text.
QString withoutTrailingBlanks(const QString &s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QStringList splitIntoWords(const QString &line)
{
    QStringList words;
    QString word;
    for (const QChar c : line) {
        word += c;
        if (c == QLatin1Char(' ') || c == QLatin1Char('-')) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

bool fits(const QString &s, qreal width, const ReportFontMetrics &m)
{
    return m.width(withoutTrailingBlanks(s)) <= width + 1e-6;
}

void wrapLine(const QString &line, qreal width, const ReportFontMetrics &m, QStringList &out)
{
    QString current;
    for (QString word : splitIntoWords(line)) {
        if (fits(current + word, width, m)) {
            current += word;
            continue;
        }
        if (!current.isEmpty()) {
            out << withoutTrailingBlanks(current);
            current.clear();
        }
        // A word wider than the box goes out in pieces, as many characters as
        // fit (at least one, so the loop ends), never splitting a surrogate pair.
        while (!fits(word, width, m)) {
            int take = 1;
            if (word.at(0).isHighSurrogate() && word.size() > 1)
                take = 2;
            for (int n = take + 1; n < word.size(); ++n) {
                if (word.at(n - 1).isHighSurrogate())
                    continue;
                if (!fits(word.left(n), width, m))
                    break;
                take = n;
            }
            out << word.left(take);
            word = word.mid(take);
        }
        current = word;
    }
    out << current;
}

} // namespace

QStringList breakTextIntoLines(const QString &text, bool wordWrap, qreal width,
                               const ReportFontMetrics &metrics)
{
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList paragraphs = normal.split(QLatin1Char('\n'));
    if (!wordWrap)
        return paragraphs;
    QStringList lines;
    for (const QString &p : paragraphs)
        wrapLine(p, width, metrics, lines);
    return lines;
}

int fittingLineCount(qreal lineHeight, qreal boxHeight, int lineCount)
{
    if (lineHeight <= 0)
        return lineCount;
    const qreal limit = boxHeight + ReportUnits::fromMm(0.1) + 1e-6;
    int n = 0;
    while (n < lineCount && (n + 1) * lineHeight <= limit)
        ++n;
    return n;
}

namespace {

constexpr qreal kSmallestShare = 0.7;
constexpr qreal kSmallestPoints = 6.0;
const QString kEllipsis = QStringLiteral("...");

// The size a too-wide line may be taken down to, in tenths of a point: sizes
// go in whole tenths, so that a page does not collect a different font size
// for every line.
int smallestTenths(qreal points)
{
    const int natural = int(std::floor(points * 10 + 1e-6));
    const int share = int(std::ceil(points * kSmallestShare * 10 - 1e-6));
    return std::min(natural, std::max(int(kSmallestPoints * 10), share));
}

} // namespace

FittedLine fitLineToWidth(const QString &line, const ReportFont &font, qreal width)
{
    const ReportFontMetrics &full = ReportFontMetrics::of(font);
    const qreal natural = full.width(line);
    if (natural <= width + 1e-6)
        return {line, font};

    // Advances scale with the size, so the size that just fits follows from
    // the width; it is put on the tenth of a point below and checked.
    ReportFont smaller = font;
    const int floorTenths = smallestTenths(font.pointSize);
    for (int tenths = int(std::floor(font.pointSize * width / natural * 10 + 1e-6));
         tenths >= floorTenths; --tenths) {
        smaller.pointSize = tenths / 10.0;
        if (ReportFontMetrics::of(smaller).width(line) <= width + 1e-6)
            return {line, smaller};
    }

    smaller.pointSize = std::min(font.pointSize, floorTenths / 10.0);
    const ReportFontMetrics &m = ReportFontMetrics::of(smaller);
    const auto fits = [&](const QString &s) { return m.width(s) <= width + 1e-6; };
    if (!fits(kEllipsis)) {
        // Not even the ellipsis fits: as much of it as does.
        QString dots;
        while (dots.size() < kEllipsis.size() && fits(dots + QLatin1Char('.')))
            dots += QLatin1Char('.');
        return {dots, smaller};
    }
    // The longest beginning that leaves room for the ellipsis, without the
    // blanks it would end with and never splitting a surrogate pair.
    const qreal room = width - m.width(kEllipsis);
    int take = 0;
    qreal used = 0;
    while (take < line.size()) {
        const int n = line.at(take).isHighSurrogate() && take + 1 < line.size() ? 2 : 1;
        const qreal next = used + m.width(line.mid(take, n));
        if (next > room + 1e-6)
            break;
        used = next;
        take += n;
    }
    QString cut = line.left(take);
    while (!cut.isEmpty() && (cut.back() == QLatin1Char(' ') || !fits(cut + kEllipsis)))
        cut.chop(cut.size() > 1 && cut.back().isLowSurrogate() ? 2 : 1);
    return {cut + kEllipsis, smaller};
}

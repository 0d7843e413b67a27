#include "mailmerge/rtf/RtfWriter.h"

#include "mailmerge/rtf/RtfCodePage.h"
#include "mailmerge/rtf/RtfReader.h"
#include "platform/FontValue.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace {

struct FontEntry
{
    QString family;
    int charset = 0;
    QFont::StyleHint hint = QFont::AnyStyle;
    bool fixedPitch = false;
};

// What a run is written with; compared field by field to write only the changes.
struct RunFormat
{
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    int color = 0;
    int highlight = 0;
    QTextCharFormat::VerticalAlignment valign = QTextCharFormat::AlignNormal;
};

struct KnownFont
{
    const char *name;
    const char *family;
    int pitch;
};

// The faces a letter is most likely set in, so that a reader that lacks one
// substitutes a face of the right kind.
constexpr KnownFont kKnownFonts[] = {
    {"Times New Roman", "froman", 2},  {"Liberation Serif", "froman", 2},
    {"Georgia", "froman", 2},          {"Cambria", "froman", 2},
    {"Garamond", "froman", 2},         {"Book Antiqua", "froman", 2},
    {"DejaVu Serif", "froman", 2},     {"Arial", "fswiss", 2},
    {"Liberation Sans", "fswiss", 2},  {"Helvetica", "fswiss", 2},
    {"Verdana", "fswiss", 2},          {"Tahoma", "fswiss", 2},
    {"Calibri", "fswiss", 2},          {"MS Sans Serif", "fswiss", 2},
    {"Segoe UI", "fswiss", 2},         {"DejaVu Sans", "fswiss", 2},
    {"Courier New", "fmodern", 1},     {"Courier", "fmodern", 1},
    {"Liberation Mono", "fmodern", 1}, {"Consolas", "fmodern", 1},
    {"Lucida Console", "fmodern", 1},  {"DejaVu Sans Mono", "fmodern", 1},
    {"Comic Sans MS", "fscript", 2},   {"Symbol", "ftech", 2},
    {"Wingdings", "ftech", 2}};

const char *familyWord(const FontEntry &f)
{
    switch (f.hint) {
    case QFont::Serif:
        return "froman";
    case QFont::SansSerif:
        return "fswiss";
    case QFont::TypeWriter:
    case QFont::Monospace:
        return "fmodern";
    case QFont::Cursive:
        return "fscript";
    case QFont::Decorative:
    case QFont::Fantasy:
        return "fdecor";
    default:
        break;
    }
    for (const auto &k : kKnownFonts)
        if (f.family.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.family;
    return "fnil";
}

int pitchOf(const FontEntry &f)
{
    if (f.fixedPitch)
        return 1;
    for (const auto &k : kKnownFonts)
        if (f.family.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.pitch;
    return f.hint == QFont::TypeWriter || f.hint == QFont::Monospace ? 1 : 2;
}

void appendWord(QByteArray &out, const char *word, int param)
{
    out += '\\';
    out += word;
    out += QByteArray::number(param);
}

// Text as RTF: ASCII as it stands, the rest as \uN plus one fallback character.
void appendText(QByteArray &out, QStringView text, bool inFontTable = false)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
        case u'\\':
        case u'{':
        case u'}':
            out += '\\';
            out += char(u);
            continue;
        case u'\t':
            out += "\\tab ";
            continue;
        case 0x2028:
        case 0x2029:
            out += "\\line ";
            continue;
        case 0x00A0:
            out += "\\~";
            continue;
        case 0x00AD:
            out += "\\-";
            continue;
        case 0x2011:
            out += "\\_";
            continue;
        case 0xFFFC: // an embedded object; this format keeps text only
            continue;
        case u';':
            if (inFontTable)
                continue;
            break;
        default:
            break;
        }
        if (u < 0x20)
            continue;
        if (u < 0x80) {
            out += char(u);
            continue;
        }
        appendWord(out, "u", int(int16_t(u)));
        const char ansi = c.isSurrogate() ? 0 : RtfCodePage::toAnsi(u);
        if (static_cast<unsigned char>(ansi) >= 0x80) {
            out += "\\'";
            out += QByteArray::number(static_cast<unsigned char>(ansi), 16).rightJustified(2, '0');
        } else {
            out += '?';
        }
    }
}

class Writer
{
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc) {}
    QByteArray write();

private:
    QFont fontOf(const QTextCharFormat &f) const { return f.font().resolve(m_doc.defaultFont()); }
    int fontIndex(const QTextCharFormat &f);
    int colorIndex(const QBrush &brush);
    int listIndex(const QTextList *list);
    void appendListTables(QByteArray &out) const;
    RunFormat runFormat(const QTextCharFormat &f);
    void collect(const QTextCharFormat &f) { runFormat(f); }
    void appendFormat(QByteArray &out, const RunFormat &to);
    void appendParagraph(QByteArray &out, const QTextBlock &block);

    const QTextDocument &m_doc;
    QList<FontEntry> m_fonts;
    QList<QRgb> m_colors;
    QList<const QTextList *> m_lists; // \ls i + 1
    RunFormat m_current;
};

int Writer::fontIndex(const QTextCharFormat &f)
{
    const QFont font = fontOf(f);
    const QString family = font.family();
    const int charset = f.property(RtfReader::CharsetProperty).toInt();
    for (qsizetype i = 0; i < m_fonts.size(); ++i)
        if (m_fonts.at(i).family == family && m_fonts.at(i).charset == charset)
            return int(i);
    m_fonts.append(FontEntry{family, charset, font.styleHint(), font.fixedPitch()});
    return int(m_fonts.size() - 1);
}

int Writer::colorIndex(const QBrush &brush)
{
    if (brush.style() == Qt::NoBrush)
        return 0; // "auto": the reader's own colour
    const QRgb rgb = brush.color().rgb() | 0xFF000000u;
    const qsizetype i = m_colors.indexOf(rgb);
    if (i >= 0)
        return int(i + 1);
    m_colors.append(rgb);
    return int(m_colors.size());
}

RunFormat Writer::runFormat(const QTextCharFormat &f)
{
    const QFont font = fontOf(f);
    RunFormat r;
    r.font = fontIndex(f);
    const double points =
        font.pointSizeF() > 0 ? font.pointSizeF() : std::max(font.pixelSize(), 1) * 0.75;
    r.halfPoints = std::clamp(int(std::lround(points * 2)), 2, 3276);
    r.bold = font.weight() >= QFont::DemiBold;
    r.italic = font.italic();
    r.strike = font.strikeOut();
    r.underline = f.underlineStyle();
    if (r.underline == QTextCharFormat::SpellCheckUnderline)
        r.underline = QTextCharFormat::NoUnderline;
    if (r.underline == QTextCharFormat::NoUnderline && font.underline())
        r.underline = QTextCharFormat::SingleUnderline;
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        r.color = colorIndex(f.foreground());
    else if (const QColor text = defaultTextColor(&m_doc); text.isValid())
        r.color = colorIndex(QBrush(text));
    r.highlight = f.hasProperty(QTextFormat::BackgroundBrush) ? colorIndex(f.background()) : 0;
    r.valign = f.verticalAlignment();
    if (r.valign != QTextCharFormat::AlignSuperScript &&
        r.valign != QTextCharFormat::AlignSubScript)
        r.valign = QTextCharFormat::AlignNormal;
    return r;
}

const char *underlineWord(QTextCharFormat::UnderlineStyle s)
{
    switch (s) {
    case QTextCharFormat::SingleUnderline:
        return "\\ul";
    case QTextCharFormat::DashUnderline:
        return "\\uldash";
    case QTextCharFormat::DotLine:
        return "\\uld";
    case QTextCharFormat::DashDotLine:
        return "\\uldashd";
    case QTextCharFormat::DashDotDotLine:
        return "\\uldashdd";
    case QTextCharFormat::WaveUnderline:
        return "\\ulwave";
    default:
        return "\\ulnone";
    }
}

void Writer::appendFormat(QByteArray &out, const RunFormat &to)
{
    RunFormat &from = m_current;
    const qsizetype before = out.size();
    if (to.font != from.font)
        appendWord(out, "f", to.font);
    if (to.halfPoints != from.halfPoints)
        appendWord(out, "fs", to.halfPoints);
    if (to.bold != from.bold)
        out += to.bold ? "\\b" : "\\b0";
    if (to.italic != from.italic)
        out += to.italic ? "\\i" : "\\i0";
    if (to.underline != from.underline)
        out += underlineWord(to.underline);
    if (to.strike != from.strike)
        out += to.strike ? "\\strike" : "\\strike0";
    if (to.color != from.color)
        appendWord(out, "cf", to.color);
    if (to.highlight != from.highlight)
        appendWord(out, "highlight", to.highlight);
    if (to.valign != from.valign)
        out += to.valign == QTextCharFormat::AlignSuperScript ? "\\super"
               : to.valign == QTextCharFormat::AlignSubScript ? "\\sub"
                                                              : "\\nosupersub";
    if (out.size() != before)
        out += ' ';
    from = to;
}

int twips(double pixels)
{
    // The document's pixels are 1/96 inch: 15 twips each.
    return std::clamp(int(std::lround(pixels * 15)), -31680, 31680);
}

int Writer::listIndex(const QTextList *list)
{
    qsizetype i = m_lists.indexOf(list);
    if (i < 0) {
        m_lists.append(list);
        i = m_lists.size() - 1;
    }
    return int(i + 1);
}

bool isBullet(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

int levelNumberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    case QTextListFormat::ListDecimal:
        return 0;
    default:
        return 23;
    }
}

QString bulletText(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListCircle:
        return QString(QChar(0x25E6));
    case QTextListFormat::ListSquare:
        return QString(QChar(0x25AA));
    default:
        return QString(QChar(0x2022));
    }
}

// The hanging first line a list item's number stands in: a quarter inch.
constexpr int kListHangTwips = 360;

void Writer::appendListTables(QByteArray &out) const
{
    if (m_lists.isEmpty())
        return;
    // One simple list per list of the document, so that word processors show
    // real lists; the \listtext of each paragraph serves readers without lists.
    out += "{\\*\\listtable";
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        const QTextListFormat f = m_lists.at(i)->format();
        out += "\r\n{\\list";
        appendWord(out, "listtemplateid", int(i + 1));
        out += "\\listsimple{\\listlevel";
        appendWord(out, "levelnfc", levelNumberFormat(f.style()));
        out += "\\leveljc0\\levelfollow0";
        out += "\\levelstartat1";
        if (isBullet(f.style())) {
            out += "{\\leveltext\\'01";
            appendText(out, bulletText(f.style()));
            out += ";}{\\levelnumbers;}";
        } else {
            // Unset, the suffix is the full stop the editor shows.
            const QString prefix = f.numberPrefix();
            const QString suffix = f.hasProperty(QTextFormat::ListNumberSuffix)
                                       ? f.numberSuffix()
                                       : QStringLiteral(".");
            out += "{\\leveltext\\'";
            out += QByteArray::number(
                       int(std::min<qsizetype>(prefix.size() + suffix.size() + 1, 255)), 16)
                       .rightJustified(2, '0');
            appendText(out, prefix);
            out += "\\'00";
            appendText(out, suffix);
            out += ";}{\\levelnumbers\\'";
            out += QByteArray::number(int(prefix.size() + 1), 16).rightJustified(2, '0');
            out += ";}";
        }
        appendWord(out, "fi", -kListHangTwips);
        out += '}';
        appendWord(out, "listid", int(i + 1));
        out += '}';
    }
    out += "}\r\n{\\*\\listoverridetable";
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        out += "{\\listoverride";
        appendWord(out, "listid", int(i + 1));
        out += "\\listoverridecount0";
        appendWord(out, "ls", int(i + 1));
        out += '}';
    }
    out += "}\r\n";
}

void Writer::appendParagraph(QByteArray &out, const QTextBlock &block)
{
    const QTextBlockFormat bf = block.blockFormat();
    const QTextList *list = block.textList();
    out += "\\pard";
    const Qt::Alignment align = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignJustify)
        out += "\\qj";
    else if (align & Qt::AlignHCenter)
        out += "\\qc";
    else if (align & Qt::AlignRight)
        out += "\\qr";
    else
        out += "\\ql";
    const int indents = bf.indent() + (list ? list->format().indent() : 0);
    const int left = twips(bf.leftMargin() + indents * m_doc.indentWidth());
    if (list) {
        appendWord(out, "ls", listIndex(list));
        out += "\\ilvl0";
    }
    if (left != 0)
        appendWord(out, "li", left);
    if (const int right = twips(bf.rightMargin()))
        appendWord(out, "ri", right);
    if (const int first = twips(bf.textIndent()) - (list ? kListHangTwips : 0))
        appendWord(out, "fi", first);
    if (const int before = twips(bf.topMargin()); before > 0)
        appendWord(out, "sb", before);
    if (const int after = twips(bf.bottomMargin()); after > 0)
        appendWord(out, "sa", after);
    out += ' ';
    if (list) {
        const QTextListFormat f = list->format();
        QString marker = isBullet(f.style()) ? bulletText(f.style()) : list->itemText(block);
        out += "{\\listtext\\pard\\plain ";
        appendText(out, marker);
        out += "\\tab}";
    }

    bool empty = true;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid() || frag.text().isEmpty())
            continue;
        const RunFormat run = runFormat(frag.charFormat());
        if (run.valign == QTextCharFormat::AlignNormal) {
            appendFormat(out, run);
            appendText(out, frag.text());
        } else {
            // In a group of its own, as Word writes it: LibreOffice drops the rest of
            // the paragraph after a \super that is not closed by a group's end.
            const RunFormat outside = m_current;
            out += '{';
            appendFormat(out, run);
            appendText(out, frag.text());
            out += '}';
            m_current = outside;
        }
        empty = false;
    }
    if (empty) {
        RunFormat mark = runFormat(block.charFormat()); // the height of an empty line
        mark.valign = QTextCharFormat::AlignNormal;
        appendFormat(out, mark);
    }
    out += "\\par\r\n";
}

QByteArray Writer::write()
{
    // The default font is \f0, the one \deff names; then every face and colour in use.
    fontIndex(QTextCharFormat());
    // In the order of writing, so that equal documents give equal tables.
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next()) {
        bool empty = true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().isValid() && !it.fragment().text().isEmpty()) {
                collect(it.fragment().charFormat());
                empty = false;
            }
        }
        if (empty)
            collect(b.charFormat());
    }

    QByteArray body;
    m_current = RunFormat{};
    for (QTextBlock b = m_doc.begin(); b.isValid(); b = b.next())
        appendParagraph(body, b);

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\r\n{\\fonttbl";
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        const FontEntry &f = m_fonts.at(i);
        out += "{";
        appendWord(out, "f", int(i));
        out += '\\';
        out += familyWord(f);
        appendWord(out, "fcharset", f.charset);
        appendWord(out, "fprq", pitchOf(f));
        out += ' ';
        appendText(out, f.family, true);
        out += ";}";
    }
    out += "}\r\n{\\colortbl ;";
    for (const QRgb rgb : m_colors) {
        appendWord(out, "red", qRed(rgb));
        appendWord(out, "green", qGreen(rgb));
        appendWord(out, "blue", qBlue(rgb));
        out += ';';
    }
    out += "}\r\n";
    appendListTables(out);
    out += "{\\*\\generator Varnel 3;}\\viewkind4\\uc1\r\n";
    out += body;
    out += "}\r\n";
    return out;
}

} // namespace

QByteArray RtfWriter::write(const QTextDocument &doc)
{
    return Writer(doc).write();
}

#include "mailmerge/rtf/RtfReader.h"

#include "mailmerge/rtf/RtfCodePage.h"
#include "mailmerge/rtf/RtfError.h"

#include <QColor>
#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QVarLengthArray>

#include <algorithm>
#include <climits>

namespace {

// Limits that keep a hostile or damaged file from costing more than a fair one.
constexpr int kMaxDepth = 4096;
constexpr int kMaxIndentTwips = 31680; // 22 inches, Word's own limit
constexpr int kMaxHalfPoints = 3276;   // 1638 pt, Word's own limit

enum class Dest
{
    Text,
    FontTable,
    ColorTable,
    ListTable,
    ListOverrides,
    Numbering, // an old-style \pn paragraph numbering
    Skip
};

struct CharState
{
    int font = -1; // -1: the document's \deff
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    QTextCharFormat::UnderlineStyle underline = QTextCharFormat::NoUnderline;
    int color = 0;
    int highlight = 0;     // a colour table index; 0: none
    bool listText = false; // the number or bullet a list paragraph spells out for old readers
    QTextCharFormat::VerticalAlignment valign = QTextCharFormat::AlignNormal;

    bool operator==(const CharState &o) const
    {
        return font == o.font && halfPoints == o.halfPoints && bold == o.bold &&
               italic == o.italic && strike == o.strike && hidden == o.hidden &&
               underline == o.underline && color == o.color && highlight == o.highlight &&
               listText == o.listText && valign == o.valign;
    }
    bool operator!=(const CharState &o) const { return !(*this == o); }
};

struct ParaState
{
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0; // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    int list = 0;  // \ls: an entry of the list override table; 0: not a list item
    int level = 0; // \ilvl
    QTextListFormat::Style numbering = QTextListFormat::ListStyleUndefined; // from \pn
};

struct ListLevel
{
    QTextListFormat::Style style = QTextListFormat::ListDecimal; // numbers start at 1
    bool none = false;                                           // \levelnfc255: no number at all
};

struct Group
{
    CharState ch;
    ParaState para;
    Dest dest = Dest::Text;
    int uc = 1;
};

struct Font
{
    QString name;
    int charset = 0;
    int codePage = 0; // 0: the document's
    int pitch = 0;
    QFont::StyleHint hint = QFont::AnyStyle;
};

struct Run
{
    QString text;
    CharState ch;
};

struct Paragraph
{
    QList<Run> runs;
    ParaState para;
    CharState mark;
};

const QHash<QByteArray, Dest> &destinations()
{
    static const QHash<QByteArray, Dest> table = [] {
        QHash<QByteArray, Dest> t;
        t.insert("fonttbl", Dest::FontTable);
        t.insert("colortbl", Dest::ColorTable);
        t.insert("listtable", Dest::ListTable);
        t.insert("listoverridetable", Dest::ListOverrides);
        t.insert("pn", Dest::Numbering);
        // Written without \* by many producers, so they must be known by name.
        for (const char *w : {"stylesheet",   "info",         "pict",
                              "object",       "objdata",      "header",
                              "headerl",      "headerr",      "headerf",
                              "footer",       "footerl",      "footerr",
                              "footerf",      "footnote",     "annotation",
                              "atnid",        "atnauthor",    "fldinst",
                              "xe",           "tc",           "tcn",
                              "txe",          "bkmkstart",    "bkmkend",
                              "listname",     "listpicture",  "rsidtbl",
                              "generator",    "themedata",    "colorschememapping",
                              "latentstyles", "datastore",    "xmlnstbl",
                              "pgdsctbl",     "revtbl",       "filetbl",
                              "nonshppict",   "shppict",      "shp",
                              "shpinst",      "shprslt",      "template",
                              "userprops",    "docvar",       "levelnumbers",
                              "pntxta",       "pntxtb",       "falt",
                              "panose",       "fontemb",      "fontfile",
                              "upr",          "nonesttables", "nesttableprops",
                              "comment",      "author",       "title",
                              "subject",      "operator",     "keywords",
                              "doccomm",      "company",      "creatim",
                              "revtim",       "printim",      "buptim",
                              "ftnsep",       "ftnsepc",      "ftncn",
                              "aftnsep",      "aftnsepc",     "aftncn",
                              "private",      "blipuid",      "mmathPr",
                              "wgrffmtfilter"})
            t.insert(w, Dest::Skip);
        return t;
    }();
    return table;
}

char16_t specialCharacter(const QByteArray &word)
{
    static const QHash<QByteArray, char16_t> table = {
        {"emdash", 0x2014},    {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005},   {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
        {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D},     {"zwnj", 0x200C},
        {"ltrmark", 0x200E},   {"rtlmark", 0x200F},   {"line", 0x2028},    {"tab", u'\t'},
        {"zwbo", 0x200B},      {"zwnbo", 0xFEFF}};
    return table.value(word, 0);
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    if (c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Text as a QTextDocument may hold it: control characters and the document's own
// structure marks (block and frame separators, object placeholders) would change
// its structure, and a lone surrogate (a \uN pair cut in two) is no character.
QString documentText(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out += c;
            out += s.at(++i);
        } else if (c.isSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (u == 0x2029) {
            out += QChar(QChar::LineSeparator);
        } else if ((u < 0x20 && u != u'\t') || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

class Parser
{
public:
    explicit Parser(const QByteArray &data) : m_data(data) {}

    void parse();
    void apply(QTextDocument *doc) const;
    bool droppedPictures() const { return m_droppedPictures; }

private:
    [[noreturn]] void fail(qsizetype offset, const QString &reason) const
    {
        throw RtfError(offset, reason);
    }

    Group &top() { return m_stack.last(); }

    void openGroup(qsizetype at);
    void closeGroup(qsizetype at);
    void controlWord(const QByteArray &word, bool hasParam, int param);
    void decodePendingBytes();
    void controlSymbol(char c);
    void textByte(char c);

    void fontTableWord(const QByteArray &word, bool hasParam, int param);
    void commitFontName();
    void colorTableByte(char c);
    void listTableWord(const QByteArray &word, bool hasParam, int param);
    void numberingWord(const QByteArray &word);
    const ListLevel *listLevel(const ParaState &p) const;

    void emitByte(char c);
    void emitText(const QString &s);
    void beforeEmit();
    void flush();
    void ensureParagraph();
    void endParagraph();
    void finishParagraph(Paragraph &p, const Group &g);

    int codePageOf(int font) const;
    QTextCharFormat charFormat(const CharState &ch) const;
    static QTextBlockFormat blockFormat(const ParaState &p);

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QList<Group> m_stack;
    bool m_ignorable = false; // the last token was \*
    int m_skip = 0;           // fallback characters still to skip after \uN

    int m_docCodePage = RtfCodePage::Ansi;
    int m_defaultFont = 0;
    QHash<int, Font> m_fonts;
    int m_fontNo = -1; // the font table entry being read
    QByteArray m_fontNameBytes;
    QString m_fontName;
    QList<QColor> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorGiven = false;
    QHash<int, QList<ListLevel>> m_lists; // by \listid
    QList<ListLevel> m_listLevels;        // of the \list being read
    QHash<int, int> m_overrides;          // \ls -> \listid
    int m_overrideListId = 0;
    bool m_droppedPictures = false;

    QList<Paragraph> m_paras{Paragraph{}};
    bool m_paraPending = false; // a \par ended the last paragraph; the next text opens one
    bool m_cellPending = false; // a \cell ended a cell; more text in the row needs a tab
    CharState m_pendingState;
    QString m_pendingText;
    QByteArray m_pendingBytes;
};

void Parser::parse()
{
    if (!RtfReader::looksLikeRtf(m_data))
        fail(0,
             QCoreApplication::translate("RtfReader", "the data does not begin with \"{\\rtf\""));

    const qsizetype size = m_data.size();
    bool first = true;
    while (m_pos < size) {
        const qsizetype at = m_pos;
        const char c = m_data.at(m_pos);
        if (c == '{') {
            ++m_pos;
            openGroup(at);
        } else if (c == '}') {
            ++m_pos;
            closeGroup(at);
            if (m_stack.isEmpty())
                break;
        } else if (c == '\\') {
            ++m_pos;
            if (m_pos >= size)
                fail(at,
                     QCoreApplication::translate("RtfReader", "the data ends after a backslash"));
            const char n = m_data.at(m_pos);
            if (isLetter(n)) {
                const qsizetype start = m_pos;
                while (m_pos < size && isLetter(m_data.at(m_pos)))
                    ++m_pos;
                const QByteArray word = m_data.mid(start, m_pos - start);
                bool hasParam = false;
                long long value = 0;
                bool negative = false;
                if (m_pos + 1 < size && m_data.at(m_pos) == '-' && isDigit(m_data.at(m_pos + 1))) {
                    negative = true;
                    ++m_pos;
                }
                while (m_pos < size && isDigit(m_data.at(m_pos))) {
                    hasParam = true;
                    value = std::min<long long>(value * 10 + (m_data.at(m_pos) - '0'), INT_MAX);
                    ++m_pos;
                }
                if (m_pos < size && m_data.at(m_pos) == ' ')
                    ++m_pos;
                const int param = int(negative ? -value : value);
                if (first && word != "rtf")
                    fail(at, QCoreApplication::translate("RtfReader",
                                                         "the first control word is not \\rtf"));
                first = false;
                if (word == "bin" && hasParam) {
                    // Raw bytes follow; they may hold braces and backslashes.
                    if (param < 0 || param > size - m_pos)
                        fail(at, QCoreApplication::translate(
                                     "RtfReader", "\\bin%1 runs past the end of the data")
                                     .arg(param));
                    m_pos += param;
                    if (m_skip > 0)
                        --m_skip;
                    continue;
                }
                if (m_skip > 0) {
                    --m_skip;
                    continue;
                }
                controlWord(word, hasParam, param);
            } else if (n == '\'') {
                if (m_pos + 2 >= size)
                    fail(at, QCoreApplication::translate("RtfReader",
                                                         "the data ends inside a \\' escape"));
                const char h = m_data.at(m_pos + 1);
                const char l = m_data.at(m_pos + 2);
                if (!isHex(h) || !isHex(l))
                    fail(at, QCoreApplication::translate(
                                 "RtfReader", "\\' is not followed by two hexadecimal digits"));
                m_pos += 3;
                if (m_skip > 0) {
                    --m_skip;
                    continue;
                }
                m_ignorable = false;
                textByte(char(hexValue(h) * 16 + hexValue(l)));
            } else {
                ++m_pos;
                if (m_skip > 0) {
                    --m_skip;
                    continue;
                }
                controlSymbol(n);
            }
        } else {
            ++m_pos;
            if (c == '\r' || c == '\n')
                continue;
            if (m_skip > 0) {
                --m_skip;
                continue;
            }
            m_ignorable = false;
            textByte(c);
        }
    }
    if (!m_stack.isEmpty())
        fail(size,
             m_stack.size() == 1
                 ? QCoreApplication::translate("RtfReader", "the data ends with 1 group still open")
                 : QCoreApplication::translate("RtfReader",
                                               "the data ends with %1 groups still open")
                       .arg(m_stack.size()));
    // Producers pad files with blanks or NULs; a further brace means the braces do not match.
    for (qsizetype i = m_pos; i < size; ++i) {
        const char c = m_data.at(i);
        if (c == '{' || c == '}')
            fail(i, QCoreApplication::translate("RtfReader", "'%1' after the end of the document")
                        .arg(QLatin1Char(c)));
    }
}

void Parser::openGroup(qsizetype at)
{
    if (m_stack.size() >= kMaxDepth)
        fail(at, QCoreApplication::translate("RtfReader", "groups are nested more than %1 deep")
                     .arg(kMaxDepth));
    m_skip = 0;
    m_ignorable = false;
    if (m_stack.isEmpty())
        m_stack.append(Group{});
    else
        m_stack.append(m_stack.last());
}

void Parser::closeGroup(qsizetype at)
{
    if (m_stack.isEmpty())
        fail(at, QCoreApplication::translate("RtfReader", "'}' without a matching '{'"));
    m_skip = 0;
    m_ignorable = false;
    const Group g = m_stack.takeLast();
    if (g.dest == Dest::FontTable)
        commitFontName(); // the last name of an old-style table may lack its ';'
    if (g.dest == Dest::Numbering && !m_stack.isEmpty() && top().dest == Dest::Text) {
        // {\*\pn ...} numbers the paragraph it stands in.
        top().para.numbering = g.para.numbering;
    }

    if (m_stack.isEmpty()) {
        // The document's last paragraph needs no \par.
        flush();
        if (!m_paraPending)
            finishParagraph(m_paras.last(), g);
    }
}

void Parser::textByte(char c)
{
    switch (top().dest) {
    case Dest::Text:
        if (c == '\t')
            emitText(QStringLiteral("\t"));
        else if (c != '\0')
            emitByte(c);
        break;
    case Dest::FontTable:
        if (c == ';')
            commitFontName();
        else
            m_fontNameBytes.append(c);
        break;
    case Dest::ColorTable:
        colorTableByte(c);
        break;
    case Dest::ListTable:
    case Dest::ListOverrides:
    case Dest::Numbering:
    case Dest::Skip:
        break;
    }
}

void Parser::controlSymbol(char c)
{
    if (c == '*') {
        m_ignorable = true;
        return;
    }
    m_ignorable = false;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textByte(c);
        return;
    case '\r':
    case '\n':
        controlWord("par", false, 0);
        return;
    default:
        break;
    }
    if (top().dest != Dest::Text)
        return;
    switch (c) {
    case '~':
        emitText(QString(QChar(0x00A0)));
        break;
    case '-':
        emitText(QString(QChar(0x00AD)));
        break;
    case '_':
        emitText(QString(QChar(0x2011)));
        break;
    case '\t':
        emitText(QStringLiteral("\t"));
        break;
    default: // \: \| and the rest carry nothing we show
        break;
    }
}

void Parser::controlWord(const QByteArray &word, bool hasParam, int param)
{
    const bool ignorable = m_ignorable;
    m_ignorable = false;
    Group &g = top();

    if (word == "pict" || word == "object")
        m_droppedPictures = true; // this format keeps text only
    const auto dest = destinations().constFind(word);
    if (dest != destinations().cend()) {
        if (g.dest != Dest::Skip)
            g.dest = *dest;
        if (g.dest == Dest::FontTable)
            m_fontNo = -1;
        if (g.dest == Dest::Numbering)
            g.para.numbering = QTextListFormat::ListDecimal;
        return;
    }
    if (word == "listtext" || word == "pntext") {
        // Kept apart: a paragraph that is a list item draws its own number.
        g.ch.listText = true;
        return;
    }
    if (word == "field" || word == "fldrslt" || word == "ud") {
        return; // containers whose text is the document's
    }
    if (ignorable) {
        g.dest = Dest::Skip; // an ignorable destination we do not know
        return;
    }

    switch (g.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        fontTableWord(word, hasParam, param);
        return;
    case Dest::ColorTable:
        if (word == "red" || word == "green" || word == "blue") {
            int &component = word == "red" ? m_red : word == "green" ? m_green : m_blue;
            component = std::clamp(param, 0, 255);
            m_colorGiven = true;
        }
        return;
    case Dest::ListTable:
    case Dest::ListOverrides:
        listTableWord(word, hasParam, param);
        return;
    case Dest::Numbering:
        numberingWord(word);
        return;
    case Dest::Text:
        break;
    }

    const bool on = !hasParam || param != 0;
    CharState &ch = g.ch;
    ParaState &pa = g.para;
    const auto twips = [&] { return std::clamp(param, -kMaxIndentTwips, kMaxIndentTwips); };

    if (word == "u") {
        const int unit = param < 0 ? param + 65536 : param;
        if (!ch.hidden) {
            if (unit > 0xFFFF && unit <= 0x10FFFF) {
                const char32_t ucs = char32_t(unit);
                emitText(QString::fromUcs4(&ucs, 1));
            } else if (unit > 0 && unit <= 0xFFFF)
                emitText(QString(QChar(char16_t(unit))));
        }
        m_skip = g.uc;
    } else if (word == "uc") {
        g.uc = std::clamp(param, 0, 255);
    } else if (word == "par" || word == "sect") {
        endParagraph();
    } else if (word == "row" || word == "nestrow") {
        m_cellPending = false;
        endParagraph();
    } else if (word == "cell" || word == "nestcell") {
        m_cellPending = true;
    } else if (const char16_t special = specialCharacter(word)) {
        if (!ch.hidden)
            emitText(QString(QChar(special)));
    } else if (word == "plain") {
        const bool listText = ch.listText;
        ch = CharState{};
        ch.listText = listText;
    } else if (word == "b") {
        ch.bold = on;
    } else if (word == "i") {
        ch.italic = on;
    } else if (word == "strike" || word == "striked") {
        ch.strike = on;
    } else if (word == "ul" || word == "ulw" || word == "uldb" || word == "ulth") {
        ch.underline = on ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline;
    } else if (word == "uld" || word == "ulthd") {
        ch.underline = on ? QTextCharFormat::DotLine : QTextCharFormat::NoUnderline;
    } else if (word == "uldash" || word == "ulthdash" || word == "ulldash") {
        ch.underline = on ? QTextCharFormat::DashUnderline : QTextCharFormat::NoUnderline;
    } else if (word == "uldashd" || word == "ulthdashd") {
        ch.underline = on ? QTextCharFormat::DashDotLine : QTextCharFormat::NoUnderline;
    } else if (word == "uldashdd" || word == "ulthdashdd") {
        ch.underline = on ? QTextCharFormat::DashDotDotLine : QTextCharFormat::NoUnderline;
    } else if (word == "ulwave" || word == "ulhwave" || word == "ululdbwave") {
        ch.underline = on ? QTextCharFormat::WaveUnderline : QTextCharFormat::NoUnderline;
    } else if (word == "ulnone") {
        ch.underline = QTextCharFormat::NoUnderline;
    } else if (word == "v") {
        ch.hidden = on;
    } else if (word == "fs") {
        ch.halfPoints = hasParam && param > 0 ? std::min(param, kMaxHalfPoints) : 24;
    } else if (word == "f") {
        ch.font = hasParam ? param : 0;
    } else if (word == "cf") {
        ch.color = hasParam ? param : 0;
    } else if (word == "highlight" || word == "chcbpat" || word == "cb") {
        ch.highlight = hasParam ? param : 0;
    } else if (word == "ls") {
        pa.list = hasParam ? param : 0;
    } else if (word == "ilvl") {
        pa.level = std::clamp(param, 0, 8);
    } else if (word == "super") {
        ch.valign = QTextCharFormat::AlignSuperScript;
    } else if (word == "sub") {
        ch.valign = QTextCharFormat::AlignSubScript;
    } else if (word == "nosupersub") {
        ch.valign = QTextCharFormat::AlignNormal;
    } else if (word == "pard") {
        pa = ParaState{};
    } else if (word == "ql") {
        pa.align = Qt::AlignLeft;
    } else if (word == "qr") {
        pa.align = Qt::AlignRight;
    } else if (word == "qc") {
        pa.align = Qt::AlignHCenter;
    } else if (word == "qj" || word == "qd") {
        pa.align = Qt::AlignJustify;
    } else if (word == "li") {
        pa.left = twips();
    } else if (word == "ri") {
        pa.right = twips();
    } else if (word == "fi") {
        pa.first = twips();
    } else if (word == "sb") {
        pa.before = std::max(0, twips());
    } else if (word == "sa") {
        pa.after = std::max(0, twips());
    } else if (word == "ansi") {
        m_docCodePage = RtfCodePage::Ansi;
    } else if (word == "mac") {
        m_docCodePage = 10000;
    } else if (word == "pc") {
        m_docCodePage = 437;
    } else if (word == "pca") {
        m_docCodePage = 850;
    } else if (word == "ansicpg") {
        if (param > 0)
            m_docCodePage = param;
    } else if (word == "deff") {
        m_defaultFont = param;
    }
    // Every other control word carries something this program does not keep.
}

void Parser::fontTableWord(const QByteArray &word, bool hasParam, int param)
{
    if (word == "f") {
        if (m_fontNo >= 0 && (!m_fontNameBytes.isEmpty() || !m_fontName.isEmpty()))
            commitFontName();
        m_fontNo = hasParam ? param : 0;
        m_fonts.insert(m_fontNo, Font{});
        return;
    }
    if (m_fontNo < 0)
        return;
    Font &font = m_fonts[m_fontNo];
    if (word == "fcharset") {
        font.charset = param;
        if (font.codePage == 0)
            font.codePage = RtfCodePage::fromCharset(param);
    } else if (word == "cpg") {
        font.codePage = param;
    } else if (word == "fprq") {
        font.pitch = param;
    } else if (word == "froman") {
        font.hint = QFont::Serif;
    } else if (word == "fswiss") {
        font.hint = QFont::SansSerif;
    } else if (word == "fmodern") {
        font.hint = QFont::TypeWriter;
    } else if (word == "fscript") {
        font.hint = QFont::Cursive;
    } else if (word == "fdecor") {
        font.hint = QFont::Decorative;
    } else if (word == "u") {
        m_fontName += RtfCodePage::decode(m_fontNameBytes, codePageOf(m_fontNo));
        m_fontNameBytes.clear();
        const int unit = param < 0 ? param + 65536 : param;
        if (unit > 0 && unit <= 0xFFFF)
            m_fontName += QChar(char16_t(unit));
        m_skip = top().uc;
    } else if (word == "uc") {
        top().uc = std::clamp(param, 0, 255);
    }
}

void Parser::commitFontName()
{
    if (m_fontNo >= 0) {
        Font &font = m_fonts[m_fontNo];
        const QString name =
            (m_fontName + RtfCodePage::decode(m_fontNameBytes, codePageOf(m_fontNo))).trimmed();
        if (!name.isEmpty() && font.name.isEmpty())
            font.name = name;
    }
    m_fontName.clear();
    m_fontNameBytes.clear();
}

void Parser::colorTableByte(char c)
{
    if (c != ';')
        return;
    // An entry with no components is "auto", the reader's default colour.
    m_colors.append(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

QTextListFormat::Style listStyle(int nfc)
{
    switch (nfc) {
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
        return QTextListFormat::ListDisc;
    default:
        return QTextListFormat::ListDecimal;
    }
}

void Parser::listTableWord(const QByteArray &word, bool hasParam, int param)
{
    if (top().dest == Dest::ListOverrides) {
        if (word == "listid")
            m_overrideListId = param;
        else if (word == "ls" && hasParam)
            m_overrides.insert(param, m_overrideListId);
        return;
    }
    if (word == "list") {
        m_listLevels.clear();
    } else if (word == "listlevel") {
        m_listLevels.append(ListLevel{});
    } else if (word == "listid") {
        // Word and LibreOffice name the list after its levels.
        if (!m_listLevels.isEmpty())
            m_lists.insert(param, m_listLevels);
        m_listLevels.clear();
    } else if (m_listLevels.isEmpty()) {
        return;
    } else if (word == "levelnfc" || word == "levelnfcn") {
        m_listLevels.last().none = param == 255;
        m_listLevels.last().style = listStyle(param);
    } else if (word == "u" && m_listLevels.last().style == QTextListFormat::ListDisc) {
        const int unit = param < 0 ? param + 65536 : param;
        if (unit == 0x25E6 || unit == 0x25CB || unit == 0x006F)
            m_listLevels.last().style = QTextListFormat::ListCircle;
        else if (unit == 0x25AA || unit == 0x25A0 || unit == 0xF0A7)
            m_listLevels.last().style = QTextListFormat::ListSquare;
        m_skip = top().uc;
    }
}

void Parser::numberingWord(const QByteArray &word)
{
    ParaState &pa = top().para;
    if (word == "pnlvlblt")
        pa.numbering = QTextListFormat::ListDisc;
    else if (word == "pnucrm")
        pa.numbering = QTextListFormat::ListUpperRoman;
    else if (word == "pnlcrm")
        pa.numbering = QTextListFormat::ListLowerRoman;
    else if (word == "pnucltr")
        pa.numbering = QTextListFormat::ListUpperAlpha;
    else if (word == "pnlcltr")
        pa.numbering = QTextListFormat::ListLowerAlpha;
}

const ListLevel *Parser::listLevel(const ParaState &p) const
{
    if (p.list <= 0)
        return nullptr;
    const auto list = m_lists.constFind(m_overrides.value(p.list, p.list));
    if (list == m_lists.cend() || list->isEmpty())
        return nullptr;
    const ListLevel &level = list->at(std::min<qsizetype>(p.level, list->size() - 1));
    return level.none ? nullptr : &level;
}

int Parser::codePageOf(int font) const
{
    const auto it = m_fonts.constFind(font < 0 ? m_defaultFont : font);
    if (it != m_fonts.cend() && it->codePage > 0)
        return it->codePage;
    return m_docCodePage;
}

void Parser::beforeEmit()
{
    const CharState &ch = top().ch;
    if ((!m_pendingText.isEmpty() || !m_pendingBytes.isEmpty()) && m_pendingState != ch)
        flush();
    m_pendingState = ch;
    if (m_cellPending) {
        m_cellPending = false;
        decodePendingBytes();
        m_pendingText += QLatin1Char('\t');
    }
}

void Parser::decodePendingBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    m_pendingText += RtfCodePage::decode(m_pendingBytes, codePageOf(m_pendingState.font));
    m_pendingBytes.clear();
}

void Parser::emitByte(char c)
{
    if (top().ch.hidden)
        return;
    beforeEmit();
    m_pendingBytes.append(c);
}

void Parser::emitText(const QString &s)
{
    if (top().ch.hidden)
        return;
    beforeEmit();
    decodePendingBytes();
    m_pendingText += s;
}

void Parser::flush()
{
    decodePendingBytes();
    const QString text = documentText(m_pendingText);
    m_pendingText.clear();
    if (text.isEmpty())
        return;
    ensureParagraph();
    QList<Run> &runs = m_paras.last().runs;
    if (!runs.isEmpty() && runs.last().ch == m_pendingState)
        runs.last().text += text;
    else
        runs.append(Run{text, m_pendingState});
}

void Parser::ensureParagraph()
{
    if (!m_paraPending)
        return;
    m_paras.append(Paragraph{});
    m_paraPending = false;
}

void Parser::endParagraph()
{
    flush();
    ensureParagraph();
    finishParagraph(m_paras.last(), top());
    m_paraPending = true;
}

void Parser::finishParagraph(Paragraph &p, const Group &g)
{
    // A paragraph takes the formatting in force at its end, as in Word.
    p.para = g.para;
    p.mark = g.ch;
}

QTextCharFormat Parser::charFormat(const CharState &ch) const
{
    QTextCharFormat f;
    const auto font = m_fonts.constFind(ch.font < 0 ? m_defaultFont : ch.font);
    if (font != m_fonts.cend()) {
        if (!font->name.isEmpty())
            f.setFontFamilies(QStringList{font->name});
        if (font->hint != QFont::AnyStyle)
            f.setFontStyleHint(font->hint);
        if (font->pitch == 1)
            f.setFontFixedPitch(true);
        if (font->charset != 0)
            f.setProperty(RtfReader::CharsetProperty, font->charset);
    }
    f.setFontPointSize(ch.halfPoints / 2.0);
    f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(ch.italic);
    f.setUnderlineStyle(ch.underline);
    f.setFontStrikeOut(ch.strike);
    if (ch.valign != QTextCharFormat::AlignNormal)
        f.setVerticalAlignment(ch.valign);
    if (ch.color > 0 && ch.color < m_colors.size() && m_colors.at(ch.color).isValid())
        f.setForeground(m_colors.at(ch.color));
    if (ch.highlight > 0 && ch.highlight < m_colors.size() && m_colors.at(ch.highlight).isValid())
        f.setBackground(m_colors.at(ch.highlight));
    return f;
}

QTextBlockFormat Parser::blockFormat(const ParaState &p)
{
    // Twips to the document's pixels at 96 dpi: 15 twips a pixel.
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.left / 15.0);
    f.setRightMargin(p.right / 15.0);
    f.setTextIndent(p.first / 15.0);
    f.setTopMargin(p.before / 15.0);
    f.setBottomMargin(p.after / 15.0);
    return f;
}

void Parser::apply(QTextDocument *doc) const
{
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    bool firstBlock = true;
    // An \ls list goes on across paragraphs between its items, as its numbers do;
    // \pn numbering belongs to a run of consecutive paragraphs.
    QHash<QPair<int, int>, QTextList *> lists;
    QTextList *numbered = nullptr;
    for (const Paragraph &p : m_paras) {
        const ListLevel *level = listLevel(p.para);
        QTextListFormat listFormat;
        if (level) {
            listFormat.setStyle(level->style);
        } else if (p.para.numbering != QTextListFormat::ListStyleUndefined) {
            listFormat.setStyle(p.para.numbering);
        }
        const bool item = listFormat.style() != QTextListFormat::ListStyleUndefined;
        QTextBlockFormat block = blockFormat(p.para);
        if (item) {
            // The list's own indent is none: the paragraph's indent places the text,
            // and the number stands in the hanging first line before it.
            listFormat.setIndent(0);
            if (block.textIndent() < 0)
                block.setTextIndent(0);
        }
        if (firstBlock) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(charFormat(p.mark));
            firstBlock = false;
        } else {
            cursor.insertBlock(block, charFormat(p.mark));
        }
        if (level) {
            QTextList *&list = lists[qMakePair(p.para.list, p.para.level)];
            if (list && list->format().style() == listFormat.style())
                list->add(cursor.block());
            else
                list = cursor.createList(listFormat);
            numbered = nullptr;
        } else if (item) {
            if (numbered && numbered->format().style() == listFormat.style())
                numbered->add(cursor.block());
            else
                numbered = cursor.createList(listFormat);
        } else {
            numbered = nullptr;
        }
        for (const Run &r : p.runs) {
            if (r.ch.listText && item)
                continue;
            cursor.insertText(r.text, charFormat(r.ch));
        }
    }
    cursor.endEditBlock();
}

} // namespace

bool RtfReader::looksLikeRtf(const QByteArray &data)
{
    return data.startsWith("{\\rtf");
}

void RtfReader::read(const QByteArray &rtf, QTextDocument *doc, bool *droppedPictures)
{
    Parser parser(rtf);
    parser.parse();
    parser.apply(doc);
    if (droppedPictures)
        *droppedPictures = parser.droppedPictures();
}

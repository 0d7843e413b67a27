#include "mailmerge/rtf/RtfCodePage.h"

#include <cerrno>
#include <iconv.h>

namespace {

// 0x80..0x9F of Windows-1252; the five holes map to the C1 controls, as Windows does.
constexpr char16_t kAnsiHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct CharsetCodePage
{
    int charset;
    int codePage;
};

constexpr CharsetCodePage kCharsets[] = {
    {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850}};

QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case 437:
    case 850:
    case 852:
    case 855:
    case 857:
    case 860:
    case 861:
    case 862:
    case 863:
    case 865:
    case 866:
    case 869:
        return "IBM" + QByteArray::number(codePage);
    case 10000:
        return "MACINTOSH";
    case 1361:
        return "JOHAB";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 65001:
        return "UTF-8";
    default:
        if (codePage >= 28591 && codePage <= 28606)
            return "ISO-8859-" + QByteArray::number(codePage - 28590);
        return "CP" + QByteArray::number(codePage);
    }
}

bool decodeWithIconv(const QByteArray &bytes, int codePage, QString *out)
{
    iconv_t cd = iconv_open("UTF-8", iconvName(codePage).constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    QByteArray utf8;
    char buffer[1024];
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char *o = buffer;
        size_t oLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        utf8.append(buffer, o - buffer);
        if (r != size_t(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // A byte that is no character here, or a lead byte cut off at the end.
        utf8.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    *out = QString::fromUtf8(utf8);
    return true;
}

} // namespace

int RtfCodePage::fromCharset(int charset)
{
    for (const auto &c : kCharsets)
        if (c.charset == charset)
            return c.codePage;
    return 0;
}

int RtfCodePage::toCharset(int codePage)
{
    for (const auto &c : kCharsets)
        if (c.codePage == codePage)
            return c.charset;
    return 0;
}

QString RtfCodePage::fromAnsi(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        s.append(QChar(b >= 0x80 && b < 0xA0 ? kAnsiHigh[b - 0x80] : char16_t(b)));
    }
    return s;
}

QString RtfCodePage::decode(const QByteArray &bytes, int codePage)
{
    if (codePage == Ansi || codePage <= 0)
        return fromAnsi(bytes);
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    QString s;
    if (decodeWithIconv(bytes, codePage, &s))
        return s;
    return fromAnsi(bytes);
}

char RtfCodePage::toAnsi(char32_t ucs)
{
    if (ucs < 0x80 || (ucs >= 0xA0 && ucs <= 0xFF))
        return char(ucs);
    for (int i = 0; i < 32; ++i)
        if (kAnsiHigh[i] == ucs && !(ucs >= 0x80 && ucs < 0xA0))
            return char(0x80 + i);
    return 0;
}

#include "store/TextMatch.h"

#include <QList>

namespace {

inline unsigned asciiFold(unsigned c)
{
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

// Iterative matching with one saved position for the last "%": a later "%"
// only ever needs the latest one, so no deeper backtracking is required.
template <typename Ch, typename Fold>
bool match(const Ch *p, int pn, const Ch *s, int sn, long escape, Fold fold)
{
    int pi = 0, si = 0;
    int starP = -1, starS = 0;
    while (si < sn) {
        if (pi < pn) {
            const long pc = long(p[pi]);
            if (pc == escape && pi + 1 < pn) {
                if (fold(p[pi + 1]) == fold(s[si])) {
                    pi += 2;
                    ++si;
                    continue;
                }
            } else if (pc == '%') {
                starP = ++pi;
                starS = si;
                continue;
            } else if (pc == '_' || fold(p[pi]) == fold(s[si])) {
                ++pi;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < pn && p[pi] == Ch('%'))
        ++pi;
    return pi == pn;
}

QList<uint> foldedCodePoints(const QString &s)
{
    return s.toCaseFolded().toUcs4();
}

bool likeCodePoints(const QString &pattern, const QString &text, long escape)
{
    const QList<uint> p = foldedCodePoints(pattern);
    const QList<uint> s = foldedCodePoints(text);
    if (escape >= 0) {
        const char32_t e = char32_t(escape);
        escape = long(foldedCodePoints(QString::fromUcs4(&e, 1)).value(0));
    }
    return match(p.constData(), int(p.size()), s.constData(), int(s.size()), escape,
                 [](uint c) { return c; });
}

} // namespace

bool TextMatch::like(const QString &pattern, const QString &text, QChar escape)
{
    return likeCodePoints(pattern, text, escape.isNull() ? -1 : long(escape.unicode()));
}

bool TextMatch::likeUtf8(const char *pattern, int plen, const char *text, int tlen, int escape)
{
    bool ascii = escape < 0x80;
    for (int i = 0; ascii && i < plen; ++i)
        ascii = static_cast<unsigned char>(pattern[i]) < 0x80;
    for (int i = 0; ascii && i < tlen; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii)
        return match(reinterpret_cast<const unsigned char *>(pattern), plen,
                     reinterpret_cast<const unsigned char *>(text), tlen, escape,
                     [](unsigned char c) { return asciiFold(c); });
    return likeCodePoints(QString::fromUtf8(pattern, plen), QString::fromUtf8(text, tlen), escape);
}

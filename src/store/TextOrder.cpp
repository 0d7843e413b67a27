#include "store/TextOrder.h"

#include <QVarLengthArray>

namespace {

inline unsigned char asciiFold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// One character reduced to what the order looks at: the base letter of a
// composed character, case-folded.
QString folded(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        if (c.unicode() < 0x80) {
            out += QChar(asciiFold(uchar(c.unicode())));
            continue;
        }
        const QString d = c.decomposition();
        if (!d.isEmpty() && c.decompositionTag() == QChar::Canonical)
            c = d.at(0);
        out += c.toCaseFolded();
    }
    // Letters that do not decompose but read as a plain letter with a stroke.
    for (QChar &c : out) {
        switch (c.unicode()) {
        case 0x00F8: c = QChar('o'); break; // ø
        case 0x0142: c = QChar('l'); break; // ł
        case 0x0111: c = QChar('d'); break; // đ
        case 0x00E6: c = QChar('a'); break; // æ
        case 0x0153: c = QChar('o'); break; // œ
        case 0x00DF: c = QChar('s'); break; // ß
        default: break;
        }
    }
    return out;
}

} // namespace

QString TextOrder::key(const QString &s) { return folded(s); }

int TextOrder::compare(const QString &a, const QString &b)
{
    const int c = QString::compare(folded(a), folded(b), Qt::CaseSensitive);
    if (c != 0)
        return c;
    return QString::compare(a, b, Qt::CaseSensitive);
}

int TextOrder::compareUtf8(const char *a, int alen, const char *b, int blen)
{
    // Plain ASCII names are the common case: compare them without building strings.
    const auto *ua = reinterpret_cast<const unsigned char *>(a);
    const auto *ub = reinterpret_cast<const unsigned char *>(b);
    const int n = alen < blen ? alen : blen;
    int i = 0;
    for (; i < n; ++i) {
        if (ua[i] >= 0x80 || ub[i] >= 0x80)
            break;
        const int d = int(asciiFold(ua[i])) - int(asciiFold(ub[i]));
        if (d != 0)
            return d;
    }
    if (i == n) {
        if (alen != blen)
            return alen - blen;
        // Same letters: fall back to the exact bytes for a total order.
        for (int j = 0; j < n; ++j)
            if (ua[j] != ub[j])
                return int(ua[j]) - int(ub[j]);
        return 0;
    }
    return compare(QString::fromUtf8(a, alen), QString::fromUtf8(b, blen));
}

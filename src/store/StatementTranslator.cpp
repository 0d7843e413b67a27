#include "store/StatementTranslator.h"

#include "store/AddressFields.h"

#include <QStringList>
#include <algorithm>

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == '_';
}

class Reader
{
public:
    explicit Reader(const QString &text) : s(text) {}

    void skipBlanks()
    {
        while (pos < s.size() && s.at(pos).isSpace())
            ++pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return pos >= s.size();
    }
    // A keyword or name, matched without regard to case, that ends at a word
    // boundary.
    bool word(const QString &w)
    {
        skipBlanks();
        if (s.mid(pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const int end = pos + w.size();
        if (end < s.size() && isWordChar(s.at(end)) && isWordChar(w.back()))
            return false;
        pos = end;
        return true;
    }
    bool symbol(QChar c)
    {
        skipBlanks();
        if (pos < s.size() && s.at(pos) == c) {
            ++pos;
            return true;
        }
        return false;
    }
    // One of the listed fields; a blank inside a name matches any run of
    // blanks. Returns the field's index or -1, consuming nothing on failure.
    int field()
    {
        skipBlanks();
        static const QVector<int> byLength = [] {
            QVector<int> order;
            for (int i = 0; i < AddressFields::Count; ++i)
                order << i;
            // Longest first, so that "Flag2" is not read as "Flag".
            std::stable_sort(order.begin(), order.end(), [](int a, int b) {
                return AddressFields::all().at(a).name.size() >
                       AddressFields::all().at(b).name.size();
            });
            return order;
        }();
        const int start = pos;
        for (int i : byLength) {
            pos = start;
            const QStringList parts = AddressFields::all().at(i).name.split(' ');
            bool ok = true;
            for (int p = 0; p < parts.size() && ok; ++p) {
                if (p > 0 && (pos >= s.size() || !s.at(pos).isSpace()))
                    ok = false;
                else
                    ok = word(parts.at(p));
            }
            if (ok && (pos >= s.size() || !isWordChar(s.at(pos))))
                return i;
        }
        pos = start;
        return -1;
    }
    // 'text' with '' standing for one quote.
    bool singleQuoted(QString &out)
    {
        skipBlanks();
        if (pos >= s.size() || s.at(pos) != '\'')
            return false;
        QString text;
        for (int i = pos + 1; i < s.size(); ++i) {
            if (s.at(i) != '\'') {
                text += s.at(i);
                continue;
            }
            if (i + 1 < s.size() && s.at(i + 1) == '\'') {
                text += '\'';
                ++i;
                continue;
            }
            pos = i + 1;
            out = text;
            return true;
        }
        return false;
    }
    // "text" that closes at the statement's last double quote, with nothing
    // but blanks after it: everything in between is the text, quotes included.
    bool doubleQuotedToEnd(QString &out)
    {
        skipBlanks();
        if (pos >= s.size() || s.at(pos) != '"')
            return false;
        const int close = s.lastIndexOf('"');
        if (close <= pos)
            return false;
        for (int i = close + 1; i < s.size(); ++i)
            if (!s.at(i).isSpace())
                return false;
        out = s.mid(pos + 1, close - pos - 1);
        pos = s.size();
        return true;
    }

private:
    const QString &s;
    int pos = 0;
};

QString columnExpression(int field)
{
    if (field == AddressFields::Cap)
        return QStringLiteral("substr(\"Surname\", 1, 1)");
    QString name = AddressFields::all().at(field).name;
    name.replace('"', QLatin1String("\"\""));
    return '"' + name + '"';
}

} // namespace

StatementTranslator::Selection StatementTranslator::parse(const QString &statement)
{
    Selection none;
    Reader r(statement);
    if (!r.word(QStringLiteral("SELECT")) || !r.symbol('*') || !r.word(QStringLiteral("FROM")) ||
        !r.word(QStringLiteral("HomeAd")))
        return none;

    Selection t;
    if (r.word(QStringLiteral("WHERE"))) {
        t.whereField = r.field();
        if (t.whereField < 0)
            return none;
        t.negated = r.word(QStringLiteral("NOT"));
        if (!r.word(QStringLiteral("LIKE")))
            return none;
        if (!r.singleQuoted(t.pattern) && !r.doubleQuotedToEnd(t.pattern))
            return none;
    }
    if (r.word(QStringLiteral("ORDER"))) {
        if (!r.word(QStringLiteral("BY")))
            return none;
        t.orderField = r.field();
        if (t.orderField < 0)
            return none;
    }
    if (!r.atEnd())
        return none;
    t.recognised = true;
    return t;
}

StatementTranslator::Translated StatementTranslator::translate(const QString &statement)
{
    const Selection s = parse(statement);
    Translated t;
    if (!s.recognised)
        return t;
    t.sql = QStringLiteral("SELECT * FROM HomeAd");
    if (s.whereField >= 0) {
        // The program's own LIKE and order, under their own names (see
        // AdoConnection): SQLite's built-in ones fold only A to Z.
        t.sql += QStringLiteral(" WHERE ") + (s.negated ? QStringLiteral("NOT ") : QString()) +
                 QStringLiteral("varnel_like(?, ") + columnExpression(s.whereField) + ')';
        t.values << s.pattern;
    }
    if (s.orderField >= 0)
        t.sql += QStringLiteral(" ORDER BY ") + columnExpression(s.orderField) +
                 QStringLiteral(" COLLATE VARNEL_NOCASE");
    t.recognised = true;
    return t;
}

#include "exchange/Csv.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>

using namespace AddressFields;

namespace {
QString squeezed(const QString &title)
{
    QString k;
    for (const QChar c : title)
        if (c.isLetterOrNumber())
            k += c.toLower();
    return k;
}
} // namespace

int ColumnMapping::guessField(const QString &title)
{
    static const QHash<QString, int> known = [] {
        QHash<QString, int> h;
        const std::pair<int, const char *> words[] = {
            {Surname, "lastname familyname last nachname"},
            {Firstname, "givenname forename first vorname"},
            {Midname, "middlename additionalname middle secondname"},
            {Address1, "homestreet street address homeaddress streetaddress address1street "
                       "addressline1 homeaddress1 address1formatted"},
            {Address2, "homestreet2 addressline2 street2 address1extendedaddress"},
            {A3_Village, "homestreet3 addressline3 address3 village"},
            {Town, "city homecity address1city locality"},
            {County, "region state homestate address1region province homeregion"},
            {PostCode, "postalcode zip zipcode homepostalcode address1postalcode postcode"},
            {Country, "homecountry homecountryregion address1country countryregion"},
            {Tel, "phone homephone telephone phone1value primaryphone homephone1"},
            {Cell, "mobile mobilephone cellphone mobilenumber"},
            {Email, "emailaddress email1value primaryemail e-mail mail email1emailaddress "
                    "emailaddress1"},
            {Birthday, "birthdate dateofbirth dob bday"},
            {Notes, "note comments comment"},
            {Workplace, "company organization organisation organization1name employer "
                        "companyname"},
            {WorkTel, "businessphone workphone officephone phonework"},
        };
        for (const auto &[field, list] : words)
            for (const QString &w : QString::fromLatin1(list).split(' '))
                h.insert(squeezed(w), field);
        for (int i = 0; i < StoredCount; ++i)
            h.insert(squeezed(stored().at(i).name), i);
        return h;
    }();
    return known.value(squeezed(title), NotesLine);
}

ColumnMapping::Group ColumnMapping::groupOf(const QString &title)
{
    static const QRegularExpression re(QStringLiteral("^(phone|e-?mail|address)\\s*(\\d+)\\s*-\\s*(\\S.*)$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(title.trimmed());
    Group g;
    if (!m.hasMatch())
        return g;
    const QString kind = m.captured(1).toLower();
    g.kind = kind == QLatin1String("phone") ? Group::Phone : kind == QLatin1String("address") ? Group::Address : Group::Email;
    g.number = m.captured(2).toInt();
    g.part = m.captured(3).trimmed().toLower();
    return g;
}

ColumnMapping ColumnMapping::guess(const QStringList &titles)
{
    ColumnMapping m;
    m.titles = titles;
    QVector<bool> taken(StoredCount, false);
    for (const QString &t : titles) {
        m.groups << groupOf(t);
        if (m.groups.last().kind != Group::None) {
            m.target << (m.groups.last().part == QLatin1String("type") ? int(TypeOfValue) : int(ByType));
            continue;
        }
        int f = guessField(t);
        if (f >= 0 && taken[f])
            f = NotesLine; // a second column for the same field
        if (f >= 0)
            taken[f] = true;
        m.target << f;
    }
    // A whole name beside its parts says nothing new.
    if (taken[Surname] || taken[Firstname])
        for (int i = 0; i < titles.size(); ++i) {
            const QString t = squeezed(titles.at(i));
            if (m.target.at(i) == NotesLine &&
                (t == QLatin1String("name") || t == QLatin1String("fullname") || t == QLatin1String("displayname")))
                m.target[i] = LeftOut;
        }
    return m;
}

void ColumnMapping::apply(const QString &overrides)
{
    for (const QString &pair : overrides.split(',', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf('=');
        const QString field = pair.left(eq).trimmed();
        const QString column = pair.mid(eq + 1).trimmed();
        const int f = AddressFields::indexOf(field);
        if (eq < 0 || f < 0 || f >= StoredCount)
            throw VarnelError(
                QCoreApplication::translate(
                    "ColumnMapping", "'%1' is not a field of the address book; the fields are %2")
                    .arg(field, storedNames().join(", ")));
        int c = -1;
        for (int i = 0; i < titles.size(); ++i)
            if (titles.at(i).compare(column, Qt::CaseInsensitive) == 0)
                c = i;
        if (c < 0)
            throw VarnelError(
                QCoreApplication::translate("ColumnMapping",
                                            "The input has no column '%1'; its columns are %2")
                    .arg(column, titles.join(", ")));
        for (int &t : target)
            if (t == f)
                t = NotesLine;
        target[c] = f;
    }
}

void ColumnMapping::toRecord(const QStringList &values, BookRecord &r) const
{
    for (int i = 0; i < values.size(); ++i) {
        const QString &v = values.at(i);
        if (v.isEmpty())
            continue;
        const int f = i < target.size() ? target.at(i) : NotesLine;
        const QString title = i < titles.size() ? titles.at(i) : QStringLiteral("Column %1").arg(i + 1);
        if (f == LeftOut || f == ByType || f == TypeOfValue)
            continue;
        if (f == NotesLine) {
            r.extra << title + QStringLiteral(": ") + v;
        } else if (f == Birthday) {
            bool noYear = false;
            r[f] = BookDates::toStored(v, &noYear);
            if (r[f].isEmpty())
                r.extra << title + QStringLiteral(": ") + v;
        } else if (f == Address1 && v.contains('\n')) {
            QStringList lines = QString(v).remove('\r').split('\n');
            r[Address1] = lines.takeFirst();
            for (int spill : {Address2, A3_Village})
                if (!lines.isEmpty() && r[spill].isEmpty() && !target.contains(spill))
                    r[spill] = lines.takeFirst();
            if (!lines.isEmpty())
                r.extra << title + QStringLiteral(": ") + lines.join(", ");
        } else {
            r[f] = v;
        }
    }
    if (target.contains(ByType))
        placeGroups(values, r);
}

namespace {
// Where a number of the given type goes; -1: a line in Notes.
int phoneField(const QString &type)
{
    const QString t = type.toLower();
    if (t.contains(QLatin1String("fax")) || t.contains(QLatin1String("pager")))
        return -1;
    if (t.contains(QLatin1String("mobile")) || t.contains(QLatin1String("cell")))
        return Cell;
    if (t.contains(QLatin1String("work")) || t.contains(QLatin1String("business")))
        return WorkTel;
    return Tel;
}

// Several values or types in one cell are joined by " ::: "; "* " marks the
// one the user prefers.
QStringList splitJoined(const QString &text)
{
    QStringList parts = text.split(QStringLiteral(":::"));
    for (QString &p : parts) {
        p = p.trimmed();
        if (p.startsWith('*'))
            p = p.mid(1).trimmed();
    }
    parts.removeAll(QString());
    return parts;
}
} // namespace

void ColumnMapping::placeGroups(const QStringList &values, BookRecord &r) const
{
    struct Part
    {
        QString name, value, title;
    };
    struct Found
    {
        Group::Kind kind;
        int number;
        QStringList types;
        QVector<Part> parts;
    };
    QVector<Found> found;
    const auto entry = [&found](const Group &g) -> Found & {
        for (Found &f : found)
            if (f.kind == g.kind && f.number == g.number)
                return f;
        found.push_back(Found{g.kind, g.number, {}, {}});
        return found.last();
    };
    for (int i = 0; i < groups.size() && i < values.size(); ++i) {
        const Group &g = groups.at(i);
        if (g.kind == Group::None)
            continue;
        if (g.part == QLatin1String("type"))
            entry(g).types = splitJoined(values.at(i));
        else if (target.at(i) == ByType && !values.at(i).trimmed().isEmpty())
            entry(g).parts << Part{g.part, values.at(i).trimmed(), titles.value(i)};
    }
    const auto label = [](const char *what, const QString &type) {
        return type.isEmpty() ? QString::fromLatin1(what) : QStringLiteral("%1 (%2)").arg(QLatin1String(what), type);
    };

    // The home address, else the first, fills the address fields unless
    // other columns have filled them already.
    const Found *address = nullptr;
    bool addressFree = true;
    for (int f : {Address1, Address2, A3_Village, Town, County, PostCode, Country})
        addressFree = addressFree && r[f].isEmpty();
    for (const Found &f : found)
        if (addressFree && f.kind == Group::Address && !f.parts.isEmpty() &&
            (!address || (f.types.join(' ').contains(QLatin1String("home"), Qt::CaseInsensitive) &&
                          !address->types.join(' ').contains(QLatin1String("home"), Qt::CaseInsensitive))))
            address = &f;

    for (const Found &f : found) {
        if (f.parts.isEmpty())
            continue;
        if (f.kind == Group::Phone || f.kind == Group::Email) {
            const char *what = f.kind == Group::Phone ? "Phone" : "E-mail";
            int n = 0;
            for (const Part &p : f.parts) {
                if (p.name != QLatin1String("value")) {
                    r.extra << p.title + QStringLiteral(": ") + p.value;
                    continue;
                }
                for (const QString &v : splitJoined(p.value)) {
                    const QString type = f.types.value(n, f.types.value(0));
                    ++n;
                    const int field = f.kind == Group::Phone ? phoneField(type) : int(Email);
                    if (field >= 0 && r[field].isEmpty())
                        r[field] = v;
                    else
                        r.extra << label(what, type) + QStringLiteral(": ") + v;
                }
            }
            continue;
        }
        const QString type = f.types.join(QStringLiteral(", "));
        if (&f != address) {
            QStringList text;
            for (const Part &p : f.parts)
                if (p.name == QLatin1String("formatted"))
                    text = QStringList{QString(p.value).remove('\r').split('\n', Qt::SkipEmptyParts).join(", ")};
            if (text.isEmpty())
                for (const Part &p : f.parts)
                    text << QString(p.value).remove('\r').split('\n', Qt::SkipEmptyParts).join(", ");
            r.extra << label("Address", type) + QStringLiteral(": ") + text.join(", ");
            continue;
        }
        QStringList lines;
        QString formatted;
        bool structured = false;
        for (const Part &p : f.parts) {
            const std::pair<const char *, int> fields[] = {
                {"city", Town}, {"region", County}, {"postal code", PostCode}, {"country", Country}};
            bool placed = false;
            for (const auto &[name, field] : fields)
                if (p.name == QLatin1String(name)) {
                    r[field] = p.value;
                    placed = structured = true;
                }
            if (placed)
                continue;
            if (p.name == QLatin1String("street") || p.name == QLatin1String("extended address") ||
                p.name == QLatin1String("po box")) {
                lines += QString(p.value).remove('\r').split('\n', Qt::SkipEmptyParts);
                structured = true;
            } else if (p.name == QLatin1String("formatted")) {
                formatted = p.value;
            } else {
                r.extra << p.title + QStringLiteral(": ") + p.value;
            }
        }
        if (!structured)
            lines = formatted.remove('\r').split('\n', Qt::SkipEmptyParts);
        for (QString &l : lines)
            l = l.trimmed();
        for (int field : {Address1, Address2, A3_Village})
            if (!lines.isEmpty())
                r[field] = lines.takeFirst();
        if (!lines.isEmpty())
            r.extra << label("Address", type) + QStringLiteral(": ") + lines.join(", ");
    }
}

CsvReader::CsvReader(const QString &path) : m_in(path) { rewind(); }

void CsvReader::rewind()
{
    m_in.rewind();
    m_titles.clear();
    QByteArray first;
    if (!m_in.readLine(first)) {
        problems << ImportNote{
            QCoreApplication::translate("CsvReader", "%1, line 1").arg(m_in.fileName()),
            QCoreApplication::translate(
                "CsvReader", "the file is empty; it needs a first row of column titles")};
        return;
    }
    // The separator is whichever of comma, semicolon and tab the title row
    // uses most outside quotes.
    int counts[3] = {};
    bool quoted = false;
    for (const char c : first) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            counts[0] += c == ',', counts[1] += c == ';', counts[2] += c == '\t';
    }
    m_sep = counts[1] > counts[0] && counts[1] >= counts[2] ? ';' : counts[2] > counts[0] ? '\t' : ',';
    m_in.rewind();
    QList<QByteArray> fields;
    if (row(fields))
        for (const QByteArray &f : fields)
            m_titles << TextInput::decode(f).trimmed();
    if (mapping.titles != m_titles)
        mapping = ColumnMapping::guess(m_titles);
}

QString CsvReader::where() const
{
    return QCoreApplication::translate("CsvReader", "%1, line %2")
        .arg(m_in.fileName())
        .arg(m_rowLine);
}

// One record, which may run over several lines inside quotes.
bool CsvReader::row(QList<QByteArray> &fields)
{
    fields.clear();
    QByteArray line, end;
    do {
        if (!m_in.readLine(line, &end))
            return false;
    } while (line.isEmpty());
    m_rowLine = m_in.lineNumber();
    QByteArray cur;
    enum { Start, Plain, Quoted, AfterQuote } state = Start;
    for (;;) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char c = line.at(i);
            switch (state) {
            case Start:
            case Plain:
                if (c == m_sep) {
                    fields << cur;
                    cur.clear();
                    state = Start;
                } else if (c == '"' && state == Start) {
                    state = Quoted;
                } else if (c == '"') {
                    problems << ImportNote{QCoreApplication::translate("CsvReader", "%1, line %2")
                                               .arg(m_in.fileName())
                                               .arg(m_in.lineNumber()),
                                           QCoreApplication::translate(
                                               "CsvReader",
                                               "a stray quote in column %1 (a value with quotes "
                                               "must be in quotes, its quotes doubled)")
                                               .arg(fields.size() + 1)};
                    cur += c;
                    state = Plain;
                } else {
                    cur += c;
                    state = Plain;
                }
                break;
            case Quoted:
                if (c == '"')
                    state = AfterQuote;
                else
                    cur += c;
                break;
            case AfterQuote:
                if (c == '"') {
                    cur += '"';
                    state = Quoted;
                } else if (c == m_sep) {
                    fields << cur;
                    cur.clear();
                    state = Start;
                } else {
                    problems << ImportNote{
                        QCoreApplication::translate("CsvReader", "%1, line %2")
                            .arg(m_in.fileName())
                            .arg(m_in.lineNumber()),
                        QCoreApplication::translate("CsvReader",
                                                    "a stray quote in column %1: text follows the "
                                                    "closing quote")
                            .arg(fields.size() + 1)};
                    cur += c;
                    state = Plain;
                }
                break;
            }
        }
        if (state != Quoted)
            break;
        cur += end;
        if (!m_in.readLine(line, &end)) {
            problems << ImportNote{
                QCoreApplication::translate("CsvReader", "%1, line %2")
                    .arg(m_in.fileName())
                    .arg(m_rowLine),
                QCoreApplication::translate("CsvReader",
                                            "a quoted value that begins on this line never ends "
                                            "(a stray quote, or the file is cut short)")};
            break;
        }
    }
    fields << cur;
    return true;
}

bool CsvReader::nextRow(QStringList &values)
{
    QList<QByteArray> fields;
    if (problems.size() >= 100 || !row(fields))
        return false;
    values.clear();
    for (const QByteArray &f : fields)
        values << TextInput::decode(f);
    return true;
}

bool CsvReader::next(BookRecord &record)
{
    QStringList values;
    if (!nextRow(values))
        return false;
    mapping.toRecord(values, record);
    return true;
}

QByteArray CsvWriter::line(const QStringList &values)
{
    QByteArray out;
    for (int i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        QByteArray v = values.at(i).toUtf8();
        if (v.contains(',') || v.contains('"') || v.contains('\n') || v.contains('\r') ||
            v.startsWith(' ') || v.endsWith(' ')) {
            v.replace('"', "\"\"");
            v = '"' + v + '"';
        }
        out += v;
    }
    return out + "\r\n";
}

QByteArray CsvWriter::header() { return line(storedNames()); }

QByteArray CsvWriter::record(const BookRecord &r)
{
    QStringList v;
    for (const QString &x : r.f)
        v << x;
    return line(v);
}

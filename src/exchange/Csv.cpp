#include "exchange/Csv.h"

#include "platform/VarnelError.h"

#include <QHash>

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

ColumnMapping ColumnMapping::guess(const QStringList &titles)
{
    ColumnMapping m;
    m.titles = titles;
    QVector<bool> taken(StoredCount, false);
    for (const QString &t : titles) {
        int f = guessField(t);
        if (f >= 0 && taken[f])
            f = NotesLine; // a second column for the same field
        if (f >= 0)
            taken[f] = true;
        m.target << f;
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
            throw VarnelError(QStringLiteral("'%1' is not a field of the address book; the fields are %2")
                                  .arg(field, storedNames().join(", ")));
        int c = -1;
        for (int i = 0; i < titles.size(); ++i)
            if (titles.at(i).compare(column, Qt::CaseInsensitive) == 0)
                c = i;
        if (c < 0)
            throw VarnelError(QStringLiteral("The input has no column '%1'; its columns are %2")
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
        if (f == LeftOut)
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
}

CsvReader::CsvReader(const QString &path) : m_in(path) { rewind(); }

void CsvReader::rewind()
{
    m_in.rewind();
    m_titles.clear();
    QByteArray first;
    if (!m_in.readLine(first)) {
        problems << ImportNote{QStringLiteral("%1, line 1").arg(m_in.fileName()),
                               QStringLiteral("the file is empty; it needs a first row of column titles")};
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

QString CsvReader::where() const { return QStringLiteral("%1, line %2").arg(m_in.fileName()).arg(m_rowLine); }

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
                    problems << ImportNote{QStringLiteral("%1, line %2").arg(m_in.fileName()).arg(m_in.lineNumber()),
                                           QStringLiteral("a stray quote in column %1 (a value with quotes "
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
                    problems << ImportNote{QStringLiteral("%1, line %2").arg(m_in.fileName()).arg(m_in.lineNumber()),
                                           QStringLiteral("a stray quote in column %1: text follows the "
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
            problems << ImportNote{QStringLiteral("%1, line %2").arg(m_in.fileName()).arg(m_rowLine),
                                   QStringLiteral("a quoted value that begins on this line never ends "
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

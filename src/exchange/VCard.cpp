#include "exchange/VCard.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QSet>

using namespace AddressFields;

namespace {

QByteArray quotedPrintable(const QByteArray &in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '=' && i + 2 < in.size() + 0 && isxdigit(uchar(in.at(i + 1))) &&
            isxdigit(uchar(in.at(i + 2)))) {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else if (c == '=' && i + 1 == in.size()) {
            // soft line break left at the very end
        } else {
            out += c;
        }
    }
    return out;
}

// Splits at unescaped `sep` and removes the escapes of 3.0/4.0 text.
QStringList components(const QString &value, QChar sep)
{
    QStringList parts;
    QString cur;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == '\\' && i + 1 < value.size()) {
            const QChar n = value.at(++i);
            cur += (n == 'n' || n == 'N') ? QChar('\n') : n;
        } else if (c == sep) {
            parts << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts << cur;
    return parts;
}

QString unescaped(const QString &value) { return components(value, QChar(0xFFFF)).first(); }

QString escaped(QString v)
{
    v.replace('\\', QLatin1String("\\\\"));
    v.replace(',', QLatin1String("\\,"));
    v.replace(';', QLatin1String("\\;"));
    v.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    v.replace('\n', QLatin1String("\\n"));
    v.replace('\r', QLatin1String("\\n"));
    return v;
}

QByteArray folded(const QByteArray &line)
{
    QByteArray out;
    qsizetype start = 0;
    int room = 75;
    while (line.size() - start > room) {
        qsizetype cut = start + room;
        while (cut > start && (uchar(line.at(cut)) & 0xC0) == 0x80)
            --cut; // never inside a UTF-8 sequence
        out += line.mid(start, cut - start) + "\r\n ";
        start = cut;
        room = 74;
    }
    return out + line.mid(start) + "\r\n";
}

} // namespace

QByteArray VCardReader::Property::param(const char *wanted) const
{
    for (const auto &p : params)
        if (p.first == wanted)
            return p.second;
    return QByteArray();
}

QList<QByteArray> VCardReader::Property::types() const
{
    QList<QByteArray> t;
    for (const auto &p : params) {
        if (p.first == "TYPE") {
            for (const QByteArray &v : p.second.split(','))
                t << v.trimmed().toLower();
        } else if (p.second.isNull()) {
            t << p.first.toLower(); // 2.1's bare HOME, CELL, PREF
        }
    }
    return t;
}

VCardReader::VCardReader(const QString &path) : m_in(path) {}

void VCardReader::rewind()
{
    m_in.rewind();
    m_hasPending = false;
    m_card = 0;
}

QString VCardReader::where() const
{
    return QCoreApplication::translate("VCardReader", "%1, card %2 (line %3)")
        .arg(m_in.fileName())
        .arg(m_card)
        .arg(m_cardLine);
}

void VCardReader::problem(int line, const QString &message)
{
    if (problems.size() < 100)
        problems << ImportNote{QCoreApplication::translate("VCardReader", "%1, line %2")
                                   .arg(m_in.fileName())
                                   .arg(line),
                               message};
}

// One property with its folded continuations, and the soft line breaks of
// 2.1's quoted-printable values, joined.
bool VCardReader::logicalLine(QByteArray &line, int *number)
{
    QByteArray raw;
    if (m_hasPending) {
        line = m_pending;
        *number = m_pendingLine;
        m_hasPending = false;
    } else {
        do {
            if (!m_in.readLine(line))
                return false;
        } while (line.trimmed().isEmpty());
        *number = m_in.lineNumber();
    }
    for (;;) {
        const bool qp = line.toUpper().contains("QUOTED-PRINTABLE") && line.endsWith('=') &&
                        line.indexOf(':') > 0;
        if (!m_in.readLine(raw))
            return true;
        if (qp) {
            line.chop(1);
            line += raw.trimmed();
        } else if (!raw.isEmpty() && (raw.at(0) == ' ' || raw.at(0) == '\t')) {
            line += raw.mid(1);
        } else if (raw.trimmed().isEmpty()) {
            continue;
        } else {
            m_pending = raw;
            m_pendingLine = m_in.lineNumber();
            m_hasPending = true;
            return true;
        }
    }
}

bool VCardReader::parse(const QByteArray &line, Property &p) const
{
    // The name and parameters run to the first colon outside double quotes.
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0)
        return false;
    const QList<QByteArray> head = line.left(colon).split(';');
    p.name = head.first().trimmed().toUpper();
    const qsizetype dot = p.name.lastIndexOf('.');
    if (dot >= 0)
        p.name = p.name.mid(dot + 1); // item1.ADR: the group only ties a label to it
    if (p.name.isEmpty())
        return false;
    for (int i = 1; i < head.size(); ++i) {
        const qsizetype eq = head.at(i).indexOf('=');
        if (eq < 0) {
            p.params << qMakePair(head.at(i).trimmed().toUpper(), QByteArray());
        } else {
            QByteArray v = head.at(i).mid(eq + 1).trimmed();
            v.replace('"', "");
            p.params << qMakePair(head.at(i).left(eq).trimmed().toUpper(), v);
        }
    }
    p.rawValue = line.mid(colon + 1);
    return true;
}

bool VCardReader::next(BookRecord &record)
{
    QByteArray line;
    int number = 0;
    while (logicalLine(line, &number)) {
        Property p;
        if (!parse(line, p) || p.name != "BEGIN" ||
            p.rawValue.trimmed().toUpper() != "VCARD") {
            problem(number, QCoreApplication::translate(
                                "VCardReader",
                                "this is not part of a card (a card begins with BEGIN:VCARD)"));
            if (number == 1)
                return false; // not a vCard file at all
            continue;
        }
        ++m_card;
        m_cardLine = number;
        QList<Property> props;
        bool ended = false;
        while (logicalLine(line, &number)) {
            Property q;
            if (!parse(line, q)) {
                problem(number, QCoreApplication::translate(
                                    "VCardReader", "this line cannot be read (it has no ':')"));
                continue;
            }
            if (q.name == "END") {
                ended = true;
                break;
            }
            if (q.name == "BEGIN") {
                // The card before never ended; this line starts the next one.
                m_pending = line;
                m_pendingLine = number;
                m_hasPending = true;
                break;
            }
            props << q;
        }
        if (!ended)
            problem(m_cardLine,
                    QCoreApplication::translate(
                        "VCardReader", "card %1 has no END:VCARD (the file may be cut short)")
                        .arg(m_card));
        fill(props, record);
        return true;
    }
    if (m_card == 0 && problems.isEmpty())
        problem(m_in.lineNumber(),
                QCoreApplication::translate("VCardReader", "the file holds no cards"));
    return false;
}

void VCardReader::fill(const QList<Property> &props, BookRecord &r) const
{
    auto text = [](const Property &p) {
        QByteArray v = p.rawValue;
        const QByteArray enc = p.param("ENCODING").toUpper();
        bool qp = enc == "QUOTED-PRINTABLE";
        for (const auto &x : p.params)
            qp = qp || (x.first == "QUOTED-PRINTABLE" && x.second.isNull());
        if (qp)
            v = quotedPrintable(v);
        return TextInput::decode(v, p.param("CHARSET"));
    };
    auto label = [](const Property &p, const char *what) {
        QStringList t;
        for (const QByteArray &x : p.types())
            if (x != "pref" && x != "internet" && x != "voice" && !x.isEmpty())
                t << QString::fromLatin1(x);
        return t.isEmpty() ? QString::fromLatin1(what)
                           : QStringLiteral("%1 (%2)").arg(QLatin1String(what), t.join(", "));
    };
    auto isBinary = [](const Property &p) {
        const QByteArray e = p.param("ENCODING").toUpper();
        return e == "B" || e == "BASE64" || p.types().contains("base64") ||
               p.rawValue.startsWith("data:");
    };

    QString fn;
    bool haveName = false, haveAddress = false, haveEmail = false, haveOrg = false,
         haveBirthday = false, haveNote = false;
    const Property *address = nullptr;
    for (const Property &p : props)
        if (p.name == "ADR" && p.types().contains("home")) {
            address = &p;
            break;
        }
    for (const Property &p : props) {
        const QString v = text(p);
        if (p.name == "VERSION" || p.name == "PRODID" || p.name == "UID" || p.name == "REV" ||
            p.name == "KIND" || p.name == "LABEL" || p.name.startsWith("X-ABLABEL"))
            continue;
        if (p.name == "FN") {
            fn = unescaped(v).trimmed();
        } else if (p.name == "N" && !haveName) {
            const QStringList c = components(v, ';');
            r[Surname] = c.value(0).trimmed();
            r[Firstname] = c.value(1).trimmed();
            r[Midname] = c.value(2).trimmed();
            haveName = true;
            if (!c.value(3).trimmed().isEmpty())
                r.extra << QStringLiteral("Title: ") + c.value(3).trimmed();
            if (!c.value(4).trimmed().isEmpty())
                r.extra << QStringLiteral("Suffix: ") + c.value(4).trimmed();
        } else if (p.name == "ADR") {
            const QStringList c = components(v, ';');
            if (!haveAddress && (address == nullptr || address == &p)) {
                QStringList lines;
                for (int i : {0, 1})
                    if (!c.value(i).trimmed().isEmpty())
                        lines << c.value(i).trimmed();
                lines += QString(c.value(2)).remove('\r').split('\n');
                while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
                    lines.removeLast();
                r[Address1] = lines.value(0);
                r[Address2] = lines.value(1);
                r[A3_Village] = lines.value(2);
                if (lines.size() > 3)
                    r.extra << QStringLiteral("Address: ") + lines.mid(3).join(", ");
                r[Town] = c.value(3).trimmed();
                r[County] = c.value(4).trimmed();
                r[PostCode] = c.value(5).trimmed();
                r[Country] = c.value(6).trimmed();
                haveAddress = true;
            } else {
                QStringList parts;
                for (const QString &x : c)
                    if (!x.trimmed().isEmpty())
                        parts << QString(x).replace('\n', QLatin1String(", ")).trimmed();
                r.extra << label(p, "Address") + QStringLiteral(": ") + parts.join(", ");
            }
        } else if (p.name == "TEL") {
            const QList<QByteArray> t = p.types();
            QString number = unescaped(v).trimmed();
            if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                number = number.mid(4);
            int slot = -1;
            if (t.contains("fax") || t.contains("pager") || t.contains("textphone"))
                slot = -1;
            else if (t.contains("cell") || t.contains("mobile"))
                slot = Cell;
            else if (t.contains("work"))
                slot = WorkTel;
            else
                slot = Tel;
            if (slot >= 0 && r[slot].isEmpty())
                r[slot] = number;
            else
                r.extra << label(p, "Tel") + QStringLiteral(": ") + number;
        } else if (p.name == "EMAIL") {
            const QString mail = unescaped(v).trimmed();
            if (!haveEmail)
                r[Email] = mail;
            else
                r.extra << label(p, "E-mail") + QStringLiteral(": ") + mail;
            haveEmail = true;
        } else if (p.name == "BDAY" && !haveBirthday) {
            bool noYear = false;
            const QString stored = BookDates::toStored(unescaped(v), &noYear);
            if (stored.isEmpty())
                r.extra << QStringLiteral("Birthday: ") + unescaped(v).trimmed();
            r[Birthday] = stored;
            haveBirthday = true;
        } else if (p.name == "ORG" && !haveOrg) {
            QStringList c = components(v, ';');
            r[Workplace] = c.takeFirst().trimmed();
            c.removeAll(QString());
            if (!c.isEmpty())
                r.extra << QStringLiteral("Department: ") + c.join(", ");
            haveOrg = true;
        } else if (p.name == "NOTE" && !haveNote) {
            r[Notes] = unescaped(v);
            haveNote = true;
        } else if (p.name == "X-VARNEL-FLAG") {
            r[Flag] = unescaped(v);
        } else if (p.name == "X-VARNEL-FLAG2") {
            r[Flag2] = unescaped(v);
        } else if (p.name == "X-VARNEL-VILLAGE") {
            r[A3_Village] = unescaped(v);
        } else if (isBinary(p)) {
            r.extra << QStringLiteral("%1: a picture or other data (%2 bytes) was left out")
                           .arg(QString::fromLatin1(p.name.left(1) + p.name.mid(1).toLower()))
                           .arg(p.rawValue.size());
        } else if (!v.trimmed().isEmpty()) {
            QString name = QString::fromLatin1(p.name);
            if (name.startsWith(QLatin1String("X-")))
                name = name.mid(2);
            name = name.left(1) + name.mid(1).toLower();
            r.extra << name + QStringLiteral(": ") + components(v, ';').join(' ').trimmed();
        }
    }
    if (!haveName && !fn.isEmpty()) {
        QStringList words = fn.split(' ', Qt::SkipEmptyParts);
        r[Surname] = words.takeLast();
        if (!words.isEmpty())
            r[Firstname] = words.takeFirst();
        r[Midname] = words.join(' ');
    }
}

QByteArray VCardWriter::card(const BookRecord &r, int version)
{
    const bool v4 = version == 4;
    QByteArray out = "BEGIN:VCARD\r\n";
    out += v4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
    auto put = [&](const char *head, const QString &value) {
        out += folded(QByteArray(head) + ':' + value.toUtf8());
    };
    put("N", escaped(r[Surname]) + ';' + escaped(r[Firstname]) + ';' + escaped(r[Midname]) + ";;");
    QStringList full;
    for (int i : {Firstname, Midname, Surname})
        if (!r[i].isEmpty())
            full << r[i];
    put("FN", escaped(full.join(' ')));
    if (!r[Workplace].isEmpty())
        put("ORG", escaped(r[Workplace]));
    QStringList street = {r[Address1], r[Address2], r[A3_Village]};
    while (!street.isEmpty() && street.last().isEmpty())
        street.removeLast();
    if (!street.isEmpty() || !r[Town].isEmpty() || !r[County].isEmpty() ||
        !r[PostCode].isEmpty() || !r[Country].isEmpty())
        put(v4 ? "ADR;TYPE=home" : "ADR;TYPE=HOME",
            QStringLiteral(";;") + escaped(street.join('\n')) + ';' + escaped(r[Town]) + ';' +
                escaped(r[County]) + ';' + escaped(r[PostCode]) + ';' + escaped(r[Country]));
    if (!r[Tel].isEmpty())
        put(v4 ? "TEL;TYPE=home,voice" : "TEL;TYPE=HOME,VOICE", escaped(r[Tel]));
    if (!r[Cell].isEmpty())
        put(v4 ? "TEL;TYPE=cell" : "TEL;TYPE=CELL", escaped(r[Cell]));
    if (!r[WorkTel].isEmpty())
        put(v4 ? "TEL;TYPE=work,voice" : "TEL;TYPE=WORK,VOICE", escaped(r[WorkTel]));
    if (!r[Email].isEmpty())
        put(v4 ? "EMAIL" : "EMAIL;TYPE=INTERNET", escaped(r[Email]));
    if (!r[Birthday].isEmpty()) {
        QString b = r[Birthday];
        b.replace(' ', 'T');
        if (v4)
            b.remove('-').remove(':');
        put("BDAY", b);
    }
    if (!r[Notes].isEmpty())
        put("NOTE", escaped(r[Notes]));
    if (!r[Flag].isEmpty())
        put("X-VARNEL-FLAG", escaped(r[Flag]));
    if (!r[Flag2].isEmpty())
        put("X-VARNEL-FLAG2", escaped(r[Flag2]));
    out += "END:VCARD\r\n";
    return out;
}

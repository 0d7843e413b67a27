#include "platform/IniFile.h"

#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QVector>

#include <limits>

namespace {

const QByteArray utf8Bom("\xEF\xBB\xBF");

// One line of the file as it stands on disk, so that lines we do not touch are
// written back exactly as found, ending included.
struct Line
{
    QByteArray text;
    QByteArray ending; // "\r\n", "\n", or empty for a last line without one
};

struct Content
{
    QByteArray bom;
    QVector<Line> lines;
    QByteArray ending = "\r\n"; // for lines we add: the file's own, else CR LF
};

Content parse(QByteArray bytes)
{
    Content c;
    if (bytes.startsWith(utf8Bom)) {
        c.bom = utf8Bom;
        bytes.remove(0, utf8Bom.size());
    }
    bool endingFound = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        Line line;
        if (lf < 0) {
            line.text = bytes.mid(start);
            start = bytes.size();
        } else {
            qsizetype end = lf;
            if (end > start && bytes.at(end - 1) == '\r')
                --end;
            line.text = bytes.mid(start, end - start);
            line.ending = bytes.mid(end, lf + 1 - end);
            start = lf + 1;
            if (!endingFound) {
                c.ending = line.ending;
                endingFound = true;
            }
        }
        c.lines.append(line);
    }
    return c;
}

bool sameName(const QByteArray &name, const QString &wanted)
{
    return QString::fromUtf8(name).compare(wanted, Qt::CaseInsensitive) == 0;
}

// The name of a section header line, or nothing when the line is none.
bool sectionName(const QByteArray &text, QByteArray *name)
{
    const QByteArray t = text.trimmed();
    if (!t.startsWith('['))
        return false;
    qsizetype close = t.indexOf(']');
    if (close < 0)
        close = t.size();
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Where "=" sits in a key line, or -1 when the line holds no key.
qsizetype equalsAt(const QByteArray &text)
{
    const QByteArray t = text.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('['))
        return -1;
    const qsizetype eq = text.indexOf('=');
    if (eq < 0 || text.left(eq).trimmed().isEmpty())
        return -1;
    return eq;
}

struct Place
{
    int header = -1;   // line index of the section header
    int key = -1;      // line index of the key
    int sectionEnd = -1; // one past the section's last line that is not blank
};

Place find(const Content &c, const QString &section, const QString &key)
{
    // The first section and the first key of a name win, as later duplicates
    // are never looked at by any reader of the file.
    Place p;
    for (int i = 0; i < c.lines.size(); ++i) {
        QByteArray name;
        const QByteArray &text = c.lines.at(i).text;
        if (sectionName(text, &name)) {
            if (p.header >= 0)
                break;
            if (sameName(name, section)) {
                p.header = i;
                p.sectionEnd = i + 1;
            }
            continue;
        }
        if (p.header < 0)
            continue;
        if (!text.trimmed().isEmpty())
            p.sectionEnd = i + 1;
        const qsizetype eq = equalsAt(text);
        if (p.key < 0 && eq >= 0 && sameName(text.left(eq).trimmed(), key))
            p.key = i;
    }
    return p;
}

bool parseInteger(const QByteArray &raw, int *value)
{
    QByteArray v = raw;
    bool negative = false;
    if (v.startsWith('-') || v.startsWith('+')) {
        negative = v.startsWith('-');
        v.remove(0, 1);
    }
    int base = 10;
    if (v.startsWith("0x") || v.startsWith("0X")) {
        base = 16;
        v.remove(0, 2);
    }
    // QByteArray::toLongLong would also let blanks and a second sign through.
    if (v.isEmpty() || v.size() > 16)
        return false;
    for (const char ch : v) {
        const bool digit = ch >= '0' && ch <= '9';
        const bool hex = (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (!digit && !(base == 16 && hex))
            return false;
    }
    bool ok = false;
    qlonglong n = v.toLongLong(&ok, base);
    if (!ok)
        return false;
    if (negative)
        n = -n;
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return false;
    *value = int(n);
    return true;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::settingsPath() { return ProgramFolder::file(QStringLiteral("VarnIni.ini")); }

void IniFile::removeStaleTemporaries(const QDateTime &runStarted) const
{
    // The names QSaveFile gives its temporary files: six letters or digits.
    const QFileInfo settings(m_path);
    const QRegularExpression own(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$")
                                     .arg(QRegularExpression::escape(settings.fileName())));
    const QDir folder = settings.absoluteDir();
    const QStringList candidates =
        folder.entryList({settings.fileName() + QStringLiteral(".??????")},
                         QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : candidates) {
        const QFileInfo temp(folder.filePath(name));
        if (own.match(name).hasMatch() && temp.isFile() && !temp.isSymLink() &&
            temp.lastModified() < runStarted)
            QFile::remove(temp.filePath());
    }
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return defaultValue;
    const Content c = parse(file.readAll());
    const Place p = find(c, section, key);
    if (p.key < 0)
        return defaultValue;
    const QByteArray &text = c.lines.at(p.key).text;
    const QByteArray value = text.mid(equalsAt(text) + 1).trimmed();
    int n = 0;
    return parseInteger(value, &n) ? n : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeValue(section, key, QByteArray::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeValue(section, key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
}

void IniFile::writeValue(const QString &section, const QString &key, const QByteArray &value)
{
    const VarnelError refused(
        QCoreApplication::translate("IniFile", "Unable to write to %1").arg(m_path));

    // Renaming a new file over a read-only one would succeed on this system, so
    // ask first: the user made it read-only to keep it as it is.
    const QFileInfo info(m_path);
    QByteArray old;
    if (info.exists()) {
        if (!info.isWritable())
            throw refused;
        QFile file(m_path);
        // Writing without the old text would lose every other setting.
        if (!file.open(QIODevice::ReadOnly))
            throw refused;
        old = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw refused;
    }

    Content c = parse(old);
    const Place p = find(c, section, key);
    const QByteArray keyLine = key.toUtf8() + '=' + value;
    if (p.key >= 0) {
        Line &line = c.lines[p.key];
        line.text = line.text.left(equalsAt(line.text) + 1) + value;
    } else {
        // A line that ended the file without a line ending gets one before
        // anything follows it.
        const int after = p.header >= 0 ? p.sectionEnd : int(c.lines.size());
        if (after > 0 && c.lines[after - 1].ending.isEmpty())
            c.lines[after - 1].ending = c.ending;
        if (p.header >= 0) {
            c.lines.insert(after, Line{keyLine, c.ending});
        } else {
            c.lines.append(Line{'[' + section.toUtf8() + ']', c.ending});
            c.lines.append(Line{keyLine, c.ending});
        }
    }

    QByteArray bytes = c.bom;
    for (const Line &line : std::as_const(c.lines))
        bytes += line.text + line.ending;

    // Unbuffered, because a buffered write that the disk cuts short is reported
    // as a success; the count returned here is what really reached the file.
    // Without commit() the temporary file is dropped and the old one stays.
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(bytes) != bytes.size()
        || !out.commit())
        throw refused;
}

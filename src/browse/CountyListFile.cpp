#include "browse/CountyListFile.h"

#include "platform/InputFile.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes it leaves
// unassigned map to the control characters of the same value, as Windows does.
const char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes.at(i));
        text[i] = (b >= 0x80 && b < 0xA0) ? QChar(cp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QString decode(QByteArray bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QString text;
        text.reserve(bytes.size() / 2);
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const uchar a = uchar(bytes.at(i)), b = uchar(bytes.at(i + 1));
            text.append(QChar(little ? char16_t(a | b << 8) : char16_t(a << 8 | b)));
        }
        // Half a character at the end: the line it ends is not whole.
        if (bytes.size() % 2)
            text.append(QChar(0xD800));
        return text;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

// A line holding a NUL or a broken UTF-16 character is no county name anyone
// typed; it is left out and named, never cut short.
bool readable(const QString &line)
{
    return !line.contains(QChar(0)) && line.isValidUtf16();
}

QString unreadableLines(const QList<int> &lines, const QString &path)
{
    QStringList numbers;
    for (int i = 0; i < lines.size() && i < 10; ++i)
        numbers << QString::number(lines.at(i));
    if (lines.size() > 10)
        numbers << QCoreApplication::translate("CountyListFile", "%1 more").arg(lines.size() - 10);
    QString list = numbers.takeLast();
    if (!numbers.isEmpty())
        list = numbers.join(QStringLiteral(", ")) + QCoreApplication::translate("CountyListFile", " and ") + list;
    return QCoreApplication::translate("CountyListFile", "%1 %2 of %3 could not be read (a NUL byte or a broken character) and "
                          "%4 left out of the pick list. The file stays as it is unless you "
                          "confirm replacing it in the county list editor")
        .arg(lines.size() == 1 ? QCoreApplication::translate("CountyListFile", "Line") : QCoreApplication::translate("CountyListFile", "Lines"), list, path,
             lines.size() == 1 ? QCoreApplication::translate("CountyListFile", "is") : QCoreApplication::translate("CountyListFile", "are"));
}

QString fullPath(const QString &path) { return QFileInfo(path).absoluteFilePath(); }

} // namespace

QString CountyListFile::path() { return ProgramFolder::file(QStringLiteral("ListFile.txt")); }

QStringList CountyListFile::read(const QString &path, QString *problem)
{
    const QString text = decode(InputFile::read(path, kSizeLimit, QCoreApplication::translate("CountyListFile", "a county list")));
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));

    QStringList items;
    QList<int> unreadable;
    for (int i = 0; i < lines.size(); ++i) {
        if (readable(lines.at(i)))
            items.append(lines.at(i));
        else
            unreadable.append(i + 1);
    }
    if (problem)
        *problem = unreadable.isEmpty() ? QString() : unreadableLines(unreadable, fullPath(path));
    return items;
}

bool CountyListFile::readsWhole(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    try {
        QString problem;
        read(path, &problem);
        return problem.isEmpty();
    } catch (const VarnelError &) {
        return false;
    }
}

void CountyListFile::write(const QString &path, const QStringList &items)
{
    const VarnelError cannotCreate(QCoreApplication::translate("CountyListFile", "Cannot create file %1").arg(fullPath(path)));

    // Renaming over a read-only list would succeed here; respect the setting.
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        throw cannotCreate;

    QByteArray bytes;
    for (const QString &item : sorted(items))
        bytes += item.toUtf8() + "\r\n";

    // Unbuffered, so that a write the disk cuts short is seen as such; without
    // commit() the old list stays as it was.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(bytes) != bytes.size()
        || !out.commit())
        throw cannotCreate;
}

bool CountyListFile::lessThan(const QString &a, const QString &b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

QStringList CountyListFile::sorted(QStringList items)
{
    std::sort(items.begin(), items.end(), lessThan);
    return items;
}

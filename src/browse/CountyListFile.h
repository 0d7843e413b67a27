#pragma once

#include <QString>
#include <QStringList>

// "ListFile.txt", the county pick list kept between runs: one entry per line,
// nothing trimmed or escaped, so a blank line is an empty entry.
namespace CountyListFile {

// "ListFile.txt" in the program folder.
QString path();

// The largest list file read; a county list is a few kilobytes.
constexpr qint64 kSizeLimit = 1024 * 1024;

// The entries in file order. Lines may end in CR LF, CR or LF. UTF-16 with a
// byte-order mark; else UTF-8 (a byte-order mark is skipped), or Windows-1252
// when the bytes are not UTF-8, as lists from older installs are. A line that
// cannot be read (it holds a NUL, or bytes that are no UTF-16) is left out,
// and `problem`, when given, gets a sentence saying which lines those are;
// otherwise it is made empty. Raises VarnelError "Cannot open file <path>"
// when the file is missing, cannot be read, is no regular file or is larger
// than kSizeLimit.
QStringList read(const QString &path, QString *problem = nullptr);

// False when a file exists at path that read() would not give back whole, so
// that writing the list over it would lose something the user never saw.
bool readsWhole(const QString &path);

// Writes the entries in sorted order, each ended by CR LF, as UTF-8 without a
// byte-order mark; the old file is replaced only once the new one is complete.
// Raises VarnelError "Cannot create file <path>" when that cannot be done.
void write(const QString &path, const QStringList &items);

// Alphabetical without regard to letter case; names equal but for case keep a
// fixed order (capitals first), so the file does not depend on input order.
bool lessThan(const QString &a, const QString &b);
QStringList sorted(QStringList items);

} // namespace CountyListFile

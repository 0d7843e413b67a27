#pragma once

#include <QByteArray>
#include <QString>

// Reading a file that someone else may have made. Only regular files are
// read, and none larger than the limit set for its kind, so that a FIFO, a
// device or a runaway file can neither hold the program up nor exhaust it.
namespace InputFile {

// The whole file. Raises VarnelError "Cannot open file <full path>" when it is
// missing or cannot be read, with ": it is not a regular file" or ": it is
// larger than <limit>, the limit for <kind>" added when that is the reason.
// `kind` names what the file holds, e.g. "a county list".
QByteArray read(const QString &path, qint64 limit, const QString &kind);

// "1 MB", "16 MB", "512 KB": how a limit is given in messages.
QString sizeText(qint64 bytes);

} // namespace InputFile

#include "store/EngineErrors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <sqlite3.h>

namespace {

bool folderWritable(const QString &path)
{
    return QFileInfo(QFileInfo(path).absolutePath()).isWritable();
}

} // namespace

QString EngineErrors::inUse(const QString &path)
{
    return QCoreApplication::translate("EngineErrors",
                                       "'%1' is in use by another program; try again")
        .arg(path);
}

QString EngineErrors::changedElsewhere()
{
    return QCoreApplication::translate(
        "EngineErrors", "Another program changed this record after it was read, so your "
                        "changes were not saved. Cancel them and reset the view to see the "
                        "record as it is now");
}

QString EngineErrors::deletedElsewhere()
{
    return QCoreApplication::translate(
        "EngineErrors",
        "Another program deleted this record after it was read, so your changes were not saved");
}

QString EngineErrors::changedBeforeDelete()
{
    return QCoreApplication::translate(
        "EngineErrors", "Another program changed this record after it was read, so it was not "
                        "deleted. Reset the view to see the record as it is now");
}

bool EngineErrors::isBusy(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString EngineErrors::explain(int code, const QString &engineText, const QString &path,
                              int systemError)
{
    if ((code & 0xFF) == SQLITE_IOERR &&
        (systemError == ENOSPC || systemError == EFBIG || systemError == EDQUOT))
        code = SQLITE_FULL;
    QString plain;
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        plain = inUse(path);
        break;
    case SQLITE_READONLY:
        if (code == SQLITE_READONLY_DIRECTORY ||
            (QFileInfo(path).isWritable() && !folderWritable(path)))
            plain = QCoreApplication::translate(
                        "EngineErrors",
                        "The folder that holds '%1' cannot be written, so the change was "
                        "not saved. Save the book in a folder of your own with File > "
                        "Save As")
                        .arg(path);
        else
            plain =
                QCoreApplication::translate(
                    "EngineErrors", "'%1' is a read-only file, so the change was not saved. Save "
                                    "a copy you can change with File > Save As")
                    .arg(path);
        break;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        plain =
            QCoreApplication::translate(
                "EngineErrors", "'%1' cannot be opened for this: you may not be allowed to read "
                                "or write it or its folder")
                .arg(path);
        break;
    case SQLITE_FULL:
        plain =
            QCoreApplication::translate(
                "EngineErrors", "The disk that holds '%1' is full, so the change was not saved. "
                                "Make room on the disk and try again")
                .arg(path);
        break;
    case SQLITE_IOERR:
        plain = QCoreApplication::translate(
                    "EngineErrors", "'%1' could not be read or written: the disk or the network it "
                                    "lies on failed. Try again, or copy the book to another disk")
                    .arg(path);
        break;
    case SQLITE_CORRUPT:
        plain =
            QCoreApplication::translate(
                "EngineErrors", "'%1' is damaged, so it is not changed. Open a backup copy of the "
                                "book")
                .arg(path);
        break;
    case SQLITE_NOTADB:
        plain = QCoreApplication::translate("EngineErrors", "'%1' is not an address book file")
                    .arg(path);
        break;
    default:
        return engineText;
    }
    return engineText.isEmpty() ? plain : plain + '\n' + engineText;
}

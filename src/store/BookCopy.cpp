#include "store/BookCopy.h"

#include "platform/VarnelError.h"
#include "store/EngineErrors.h"
#include "store/EngineWait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

using Handle = std::unique_ptr<sqlite3, int (*)(sqlite3 *)>;

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa
    {
    };
    struct stat sb
    {
    };
    return stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

Handle openBook(const QString &path, int flags)
{
    sqlite3 *h = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &h, flags, nullptr);
    Handle handle(h, sqlite3_close);
    if (rc != SQLITE_OK)
        return Handle(nullptr, sqlite3_close);
    sqlite3_extended_result_codes(h, 1);
    EngineWait::install(h);
    return handle;
}

// The copy must read back whole and hold the address book table.
bool copyIsSound(const QString &path)
{
    Handle h = openBook(path, SQLITE_OPEN_READONLY);
    if (!h)
        return false;
    bool ok = false;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(h.get(), "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        ok = qstrcmp(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok") == 0;
    sqlite3_finalize(st);
    if (!ok)
        return false;
    ok =
        sqlite3_prepare_v2(h.get(), "SELECT count(*) FROM HomeAd", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return ok;
}

} // namespace

void CopyBook(const QString &source, const QString &destination)
{
    const VarnelError cannotOpen(
        QCoreApplication::translate("BookCopy", "Cannot open file %1").arg(source));
    const VarnelError cannotCreate(
        QCoreApplication::translate("BookCopy", "Cannot create file %1").arg(destination));
    if (!QFileInfo(source).isFile())
        throw cannotOpen;
    // The file in use copied onto itself would be replaced by its own copy
    // while it is open: refused, and the file is left as it is.
    if (sameFile(source, destination) || QFileInfo(destination).isDir())
        throw cannotCreate;

    const EngineWait::Scope wait;
    Handle from = openBook(source, SQLITE_OPEN_READONLY);
    if (!from)
        throw cannotOpen;

    // A passing name in the destination's folder, so that the last step is a
    // rename on one disk.
    QTemporaryFile passing(QFileInfo(destination).absolutePath() +
                           QStringLiteral("/.varnel-copy-XXXXXX"));
    if (!passing.open())
        throw cannotCreate;
    passing.close();
    const QString passingName = passing.fileName();
    auto removePassing = [&] {
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            QFile::remove(passingName + QLatin1String(suffix));
    };

    {
        Handle to = openBook(passingName, SQLITE_OPEN_READWRITE);
        if (!to) {
            removePassing();
            throw cannotCreate;
        }
        sqlite3_backup *backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup) {
            const QString why = QString::fromUtf8(sqlite3_errmsg(to.get()));
            const int code = sqlite3_extended_errcode(to.get());
            to.reset();
            removePassing();
            throw VarnelError(EngineErrors::explain(code, why, destination));
        }
        // One step copies every page under one read lock: a consistent picture
        // of the book as its last finished change left it.
        int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        int code = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(to.get());
        const int systemError = sqlite3_system_errno(to.get());
        const QString why = QString::fromUtf8(sqlite3_errmsg(to.get()));
        if (rc != SQLITE_DONE) {
            to.reset();
            removePassing();
            if (EngineErrors::isBusy(rc) || EngineErrors::isBusy(code))
                throw VarnelError(EngineErrors::inUse(source));
            if ((rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB)
                throw VarnelError(EngineErrors::explain(rc, why, source));
            if ((code & 0xFF) == SQLITE_FULL || (code & 0xFF) == SQLITE_IOERR)
                throw VarnelError(EngineErrors::explain(code, why, destination, systemError));
            throw VarnelError(QCoreApplication::translate("BookCopy", "Cannot write file %1: %2")
                                  .arg(destination, why));
        }
        if (sqlite3_close(to.release()) != SQLITE_OK) {
            removePassing();
            throw VarnelError(
                QCoreApplication::translate("BookCopy", "Cannot write file %1").arg(destination));
        }
    }
    // The passing file was made private; the copy gets a new file's usual rights.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(QFile::encodeName(passingName).constData(), 0666 & ~mask);
    if (!copyIsSound(passingName)) {
        removePassing();
        throw VarnelError(QCoreApplication::translate(
                              "BookCopy", "The copy of %1 did not read back whole, so it was not "
                                          "kept. Try again")
                              .arg(source));
    }
    // An old book of that name may have left its journal beside it; it must
    // not be rolled back into the new copy.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(destination + QLatin1String(suffix));
    if (::rename(QFile::encodeName(passingName).constData(),
                 QFile::encodeName(destination).constData()) != 0) {
        removePassing();
        throw cannotCreate;
    }
    passing.setAutoRemove(false);
}

#include "store/FmxUtils.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

constexpr qint64 bufferSize = 8192;

bool sameFile(int openFd, const QString &path)
{
    struct stat a {};
    struct stat b {};
    return fstat(openFd, &a) == 0 && stat(QFile::encodeName(path).constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isRegularFile(int fd)
{
    struct stat s {};
    return fstat(fd, &s) == 0 && S_ISREG(s.st_mode);
}

} // namespace

void CopyWholeFile(const QString &source, const QString &destination)
{
    QString target = QDir::cleanPath(QDir::current().absoluteFilePath(destination));
    if (QFileInfo(target).isDir()) {
        if (!target.endsWith('/'))
            target += '/';
        target += QFileInfo(source).fileName();
    }

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw VarnelError(
            QCoreApplication::translate("FmxUtils", "Cannot open file %1").arg(source));

    const VarnelError cannotCreate(
        QCoreApplication::translate("FmxUtils", "Cannot create file %1").arg(target));
    // Creating the destination empties it first, so a destination that is the
    // source under another name (or a link to it) would lose the source.
    if (sameFile(in.handle(), target))
        throw cannotCreate;

    struct stat sourceInfo {};
    fstat(in.handle(), &sourceInfo);
    const bool sourceIsRegular = S_ISREG(sourceInfo.st_mode);

    // Unbuffered, so that each write reports what really reached the disk.
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw cannotCreate;
    // Only a plain file of our making is removed after a failure; a device such
    // as a printer port or /dev/full stays where it is.
    const bool removeOnFailure = isRegularFile(out.handle());

    auto fail = [&](const QString &message) {
        out.close();
        if (removeOnFailure)
            QFile::remove(target);
        throw VarnelError(message);
    };

    QByteArray buffer(bufferSize, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 got = in.read(buffer.data(), bufferSize);
        if (got < 0)
            fail(QCoreApplication::translate("FmxUtils", "Cannot read file %1: %2")
                     .arg(source, in.errorString()));
        for (qint64 done = 0; done < got;) {
            const qint64 put = out.write(buffer.constData() + done, got - done);
            if (put <= 0)
                fail(QCoreApplication::translate("FmxUtils", "Cannot write file %1: %2")
                         .arg(target, out.errorString()));
            done += put;
        }
        copied += got;
        if (got < bufferSize)
            break;
    }
    // A source that ends before its own size did was cut short while we read
    // it, and its copy would be silently incomplete.
    if (sourceIsRegular && copied < qint64(sourceInfo.st_size))
        fail(QCoreApplication::translate("FmxUtils", "Cannot read file %1: the file ended early")
                 .arg(source));

    out.close();
    if (out.error() != QFileDevice::NoError)
        fail(QCoreApplication::translate("FmxUtils", "Cannot write file %1: %2")
                 .arg(target, out.errorString()));
}

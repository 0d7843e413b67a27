#include "platform/InputFile.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

QString InputFile::sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QCoreApplication::translate("InputFile", "%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QCoreApplication::translate("InputFile", "%1 KB").arg(bytes / 1024);
    return QCoreApplication::translate("InputFile", "%1 bytes").arg(bytes);
}

QByteArray InputFile::read(const QString &path, qint64 limit, const QString &kind)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    const QString cannotOpen =
        QCoreApplication::translate("InputFile", "Cannot open file %1").arg(full);
    const VarnelError notRegular(
        cannotOpen + QCoreApplication::translate("InputFile", ": it is not a regular file"));
    const VarnelError tooLarge(
        cannotOpen +
        QCoreApplication::translate("InputFile", ": it is larger than %1, the limit for %2")
            .arg(sizeText(limit), kind));
    const QByteArray native = QFile::encodeName(full);

    // Looked at before it is opened: opening a FIFO waits for a writer, and
    // opening some devices does something by itself.
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        throw VarnelError(cannotOpen);
    if (!S_ISREG(st.st_mode))
        throw notRegular;
    if (st.st_size > limit)
        throw tooLarge;

    // Without blocking, and looked at again once open, in case the name was
    // given to something else in between.
    const Descriptor file(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd() < 0)
        throw VarnelError(cannotOpen);
    if (::fstat(file.fd(), &st) != 0 || S_ISDIR(st.st_mode))
        throw VarnelError(cannotOpen);
    if (!S_ISREG(st.st_mode))
        throw notRegular;
    if (st.st_size > limit)
        throw tooLarge;

    // A file that grows while it is read is still held to the limit.
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.fd(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw VarnelError(cannotOpen);
        }
        if (got == 0)
            break;
        if (bytes.size() + got > limit)
            throw tooLarge;
        bytes.append(chunk, qsizetype(got));
    }
    return bytes;
}

#include "BoundedFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace component {

namespace {

BoundedFile refused(BoundedFile::Status status, const QString& error)
{
    BoundedFile file;
    file.status = status;
    file.error = error;
    return file;
}

BoundedFile systemError(int error)
{
    return refused(BoundedFile::Status::CannotOpen, QString::fromLocal8Bit(std::strerror(error)));
}

BoundedFile tooLarge(qint64 maxBytes)
{
    return refused(
        BoundedFile::Status::TooLarge,
        QStringLiteral("it is larger than %1 bytes, more than such a file holds").arg(maxBytes));
}

// Why a file of this type and size is not read, or Read when it may be.
BoundedFile checkType(const struct stat& info, qint64 maxBytes)
{
    if (S_ISDIR(info.st_mode))
        return refused(BoundedFile::Status::Folder, QStringLiteral("it is a folder"));
    if (!S_ISREG(info.st_mode))
        return refused(BoundedFile::Status::NotRegular,
                       QStringLiteral("it is not a regular file (a device, FIFO or socket)"));
    if (info.st_size > maxBytes)
        return tooLarge(maxBytes);
    BoundedFile file;
    file.status = BoundedFile::Status::Read;
    return file;
}

// Reads fd to its end into file->content, refusing more than maxBytes: one
// byte more than the bound is asked for, to see an input that is larger.
void readToEnd(int fd, qint64 maxBytes, BoundedFile* file)
{
    qint64 size = 0;
    file->content.resize(maxBytes + 1);
    while (file->ok() && size <= maxBytes) {
        const ssize_t got = ::read(fd, file->content.data() + size, size_t(maxBytes + 1 - size));
        if (got == 0)
            break;
        if (got > 0)
            size += got;
        else if (errno != EINTR)
            *file = systemError(errno);
    }
    if (file->ok() && size > maxBytes)
        *file = tooLarge(maxBytes);
    file->content.truncate(file->ok() ? size : 0);
}

} // namespace

BoundedFile readBoundedFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // The type is checked before the file is opened: opening a device can
    // have effects of its own, and opening a FIFO can wait for a writer.
    if (name.isEmpty() || ::stat(name.constData(), &info) != 0)
        return systemError(name.isEmpty() ? ENOENT : errno);
    if (BoundedFile checked = checkType(info, maxBytes); !checked.ok())
        return checked;
    // Non-blocking, in case the path was replaced by a FIFO meanwhile; the
    // opened file is checked again.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    BoundedFile file = ::fstat(fd, &info) == 0 ? checkType(info, maxBytes) : systemError(errno);
    if (file.ok())
        readToEnd(fd, maxBytes, &file);
    ::close(fd);
    return file;
}

QByteArray withoutByteOrderMark(const QByteArray& content)
{
    static const QByteArray kMark = QByteArrayLiteral("\xEF\xBB\xBF");
    return content.startsWith(kMark) ? content.mid(kMark.size()) : content;
}

BoundedFile readBoundedStandardInput(qint64 maxBytes)
{
    BoundedFile file;
    file.status = BoundedFile::Status::Read;
    readToEnd(STDIN_FILENO, maxBytes, &file);
    return file;
}

} // namespace component

#include "DataFilePath.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace DataFilePath {
namespace {

const QString kStandardStream = QStringLiteral("-");

bool sameFile(const QString& path, int fd)
{
    struct stat named {};
    struct stat open {};
    return ::stat(QFile::encodeName(path).constData(), &named) == 0 && ::fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

// /dev/fd/N, /proc/self/fd/N and the like lead to whatever a descriptor is
// open on, which may be a regular file the shell opened for appending.
bool namesDescriptorOrDevice(const QFileInfo& info)
{
    const QString absolute = info.absoluteFilePath();
    return absolute.startsWith(QLatin1String("/dev/")) ||
           absolute.startsWith(QLatin1String("/proc/"));
}

bool openStream(QFile& stream, const QString& path)
{
    constexpr auto mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (path == kStandardStream)
        return stream.open(STDOUT_FILENO, mode);
    // Appending keeps what a shell's ">>" put before; a pipe or a device
    // ignores it.
    stream.setFileName(path);
    return stream.open(mode | QIODevice::Append);
}

} // namespace

QString describe(const QString& path, bool output)
{
    if (path != kStandardStream)
        return path;
    return output ? QStringLiteral("standard output") : QStringLiteral("standard input");
}

component::BoundedFile read(const QString& path, qint64 maxBytes)
{
    return path == kStandardStream ? component::readBoundedStandardInput(maxBytes)
                                   : component::readBoundedFile(path, maxBytes);
}

bool isStandardOutput(const QString& path)
{
    return path == kStandardStream || sameFile(path, STDOUT_FILENO);
}

bool isStream(const QString& path)
{
    if (path == kStandardStream)
        return true;
    const QFileInfo info(path);
    return info.exists() && (!info.isFile() || namesDescriptorOrDevice(info));
}

bool writeStream(const QString& path, const QByteArray& content, QString* error)
{
    QFile stream;
    if (!openStream(stream, path)) {
        *error = stream.errorString();
        return false;
    }
    const qint64 written = stream.write(content);
    if (written == content.size())
        return true;
    *error = written < 0 ? stream.errorString()
                         : QStringLiteral("only %1 of %2 bytes could be written")
                               .arg(written)
                               .arg(content.size());
    return false;
}

} // namespace DataFilePath

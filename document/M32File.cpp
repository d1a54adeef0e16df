#include "document/M32File.h"

#include "base/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

QString fileErrorMessage(int errorNumber, const QString& path)
{
    switch (errorNumber) {
    case ENOENT:
        // A missing directory on the way is a bad name, not a missing file.
        return QFileInfo(path).absoluteDir().exists() ? QStringLiteral("File not found")
                                                       : QStringLiteral("Invalid filename");
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return QStringLiteral("Invalid filename");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(errorNumber);
    }
}

void openForReading(QFile& file, const QString& path)
{
    if (path.isEmpty()) throw Error("File not found");
    // Opened by hand so that the system's reason for a failure is known.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Error(fileErrorMessage(errno, path));
    struct stat info;
    const int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (error != 0) {
        ::close(fd);
        throw Error(fileErrorMessage(error, path));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Error(fileErrorMessage(EIO, path));
    }
}

M32Header readM32Header(const QString& path)
{
    QFile file;
    openForReading(file, path);
    char bytes[kM32HeaderSize];
    if (file.read(bytes, kM32HeaderSize) != kM32HeaderSize) throw Error(kReadBeyondEndOfFile);
    return decodeM32Header(bytes);
}

} // namespace quorvel

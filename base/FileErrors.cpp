#include "base/FileErrors.h"

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
        return QString::fromLatin1(kDiskFull);
    default:
        return QStringLiteral("I/O error %1").arg(errorNumber);
    }
}

QString cannotCreateFileMessage(const QString& path)
{
    return QStringLiteral("Cannot create file %1").arg(path);
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

} // namespace quorvel

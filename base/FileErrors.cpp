#include "base/FileErrors.h"

#include "base/Error.h"
#include "base/RegularFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

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
    openRegularFile(file, path, OpenMessages::Runtime);
}

} // namespace quorvel

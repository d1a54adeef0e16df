#include "base/RegularFile.h"

#include "base/Error.h"
#include "base/FileErrors.h"
#include "base/FileNames.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

[[noreturn]] void throwSystemFailure(int errorNumber, const QString& path, OpenMessages messages)
{
    if (messages == OpenMessages::CannotOpen) throw Error(QStringLiteral("Cannot open file %1").arg(shownPath(path)));
    throw Error(fileErrorMessage(errorNumber, path));
}

// The descriptor of the regular file at `path`, or a raised refusal.
int openRegularDescriptor(const QString& path, OpenMessages messages, const SizeLimit& limit)
{
    if (path.isEmpty()) throwSystemFailure(ENOENT, path, messages);
    const QByteArray name = pathBytes(path);
    struct stat info;
    // Looked at before it is opened: opening a FIFO or some devices already blocks or acts.
    if (::stat(name.constData(), &info) != 0) throwSystemFailure(errno, path, messages);
    if (!S_ISREG(info.st_mode)) throw Error(notRegularFileMessage(path));
    // O_NONBLOCK in case the name is swapped for a FIFO in between; checked again below.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throwSystemFailure(errno, path, messages);
    const auto refuse = [fd](const QString& message) {
        ::close(fd);
        throw Error(message);
    };
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throwSystemFailure(error, path, messages);
    }
    if (!S_ISREG(info.st_mode)) refuse(notRegularFileMessage(path));
    if (info.st_size > limit.bytes) refuse(tooLargeMessage(path, info.st_size, limit));
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace

QString notRegularFileMessage(const QString& path)
{
    return QStringLiteral("%1 is not a regular file").arg(shownPath(path));
}

QString tooLargeMessage(const QString& path, std::int64_t size, const SizeLimit& limit)
{
    return QStringLiteral("%1 is %2 bytes, more than %3 can hold (%4)")
        .arg(shownPath(path))
        .arg(size)
        .arg(QLatin1String(limit.kind != nullptr ? limit.kind : "a file"))
        .arg(limit.bytes);
}

void openRegularFile(QFile& file, const QString& path, OpenMessages messages, const SizeLimit& limit)
{
    const int fd = openRegularDescriptor(path, messages, limit);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throwSystemFailure(EIO, path, messages);
    }
}

QByteArray readRegularFile(const QString& path, OpenMessages messages, const SizeLimit& limit)
{
    QFile file;
    openRegularFile(file, path, messages, limit);
    // Never more than the limit, even from a file that grows while it is read.
    const QByteArray bytes = limit.bytes < std::numeric_limits<std::int64_t>::max() ? file.read(limit.bytes + 1)
                                                                                       : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (messages == OpenMessages::CannotOpen) throwSystemFailure(EIO, path, messages);
        throw Error(kReadBeyondEndOfFile);
    }
    if (bytes.size() > limit.bytes) throw Error(tooLargeMessage(path, bytes.size(), limit));
    return bytes;
}

} // namespace quorvel

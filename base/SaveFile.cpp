#include "base/SaveFile.h"

#include "base/FileErrors.h"
#include "base/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace quorvel {

namespace {

// The runtime's message for a failed save; the save file's own state helps when errno says
// nothing.
[[noreturn]] void throwRuntimeError(int errorNumber, const QSaveFile& file, const QString& path)
{
    const QFileInfo target(path);
    if (errorNumber == 0 && (target.isDir() || (target.exists() && !target.isWritable())))
        errorNumber = EACCES;
    if (errorNumber == 0) errorNumber = file.error() == QFileDevice::PermissionsError ? EACCES : EIO;
    throw Error(fileErrorMessage(errorNumber, path));
}

void saveWithRuntimeMessages(const QString& path, const std::function<void(QIODevice&)>& write)
{
    QSaveFile file(path);
    errno = 0;
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throwRuntimeError(path.isEmpty() ? ENOENT : errno, file, path);
    try {
        write(file);
    } catch (const WriteFailure& failure) {
        throwRuntimeError(failure.errorNumber(), file, path);
    }
    errno = 0;
    if (!file.commit()) throwRuntimeError(errno, file, path);
}

void saveWithPictureLayerMessages(const QString& path, const std::function<void(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw Error(cannotCreateFileMessage(path));
    write(file);
    if (!file.commit()) throw Error(cannotCreateFileMessage(path));
}

} // namespace

WriteFailure::WriteFailure(int errorNumber) : Error(kDiskFull), errorNumber_(errorNumber) {}

void writeAll(QIODevice& device, const void* data, qint64 size)
{
    errno = 0;
    if (device.write(static_cast<const char*>(data), size) != size) throw WriteFailure(errno);
}

void saveWhole(const QString& path, SaveMessages messages, const std::function<void(QIODevice&)>& write)
{
    // A name the save file cannot spell (bytes that are not UTF-8) would be written under
    // another name; it is refused instead.
    if (QFile::encodeName(path) != pathBytes(path)) {
        if (messages == SaveMessages::PictureLayer) throw Error(cannotCreateFileMessage(shownPath(path)));
        throw Error(fileErrorMessage(EINVAL, path));
    }
    switch (messages) {
    case SaveMessages::Runtime: saveWithRuntimeMessages(path, write); return;
    case SaveMessages::PictureLayer: saveWithPictureLayerMessages(path, write); return;
    }
}

} // namespace quorvel

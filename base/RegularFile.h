// Opening a file to read it, for every reader of the program: textures, pictures, the settings
// stores, the help texts, whatever the command line, a drop or a recent entry names. Only a
// regular file is read (after links): a FIFO would wait for ever for a writer, a device such as
// /dev/zero never ends, a directory or a socket holds nothing to read; each is refused at once.
// A file larger than its kind can hold is refused by its size before a byte is read.
#pragma once

#include "base/Limits.h"

#include <QString>

#include <cstdint>
#include <limits>

class QFile;

namespace quorvel {

// The largest file a reader takes, and what it is called in the refusal ("a texture").
struct SizeLimit {
    std::int64_t bytes = std::numeric_limits<std::int64_t>::max();
    const char* kind = nullptr;
};

// The largest picture file a reader opens (base/Limits.h says why).
inline constexpr SizeLimit kPictureFileLimit{kMaxPictureFileBytes, "a picture"};

// How the failures of the system are told, as each reader has always told them.
enum class OpenMessages {
    Runtime,    // "File not found", "File access denied", ... (base/FileErrors.h)
    CannotOpen, // "Cannot open file PATH", the picture layer's and the help texts'
};

// "PATH is not a regular file".
QString notRegularFileMessage(const QString& path);
// "PATH is N bytes, more than KIND can hold (LIMIT)".
QString tooLargeMessage(const QString& path, std::int64_t size, const SizeLimit& limit);

// Opens `path` (by its bytes, base/FileNames.h) for reading into `file`, or raises Error: the
// messages above for what is not a regular file or is too large, otherwise the system's failure
// told in the words of `messages`. Never waits: a FIFO is refused without being opened.
void openRegularFile(QFile& file, const QString& path, OpenMessages messages, const SizeLimit& limit = {});

// The whole of a regular file of at most `limit` bytes, read as openRegularFile opens it; a
// failure while reading raises "Read beyond end of file" (Runtime) or "Cannot open file PATH".
QByteArray readRegularFile(const QString& path, OpenMessages messages, const SizeLimit& limit = {});

} // namespace quorvel

// The runtime's messages for files that cannot be read or written, shared by every reader and
// writer: "File not found", "Invalid filename", "Too many open files", "File access denied",
// "Read beyond end of file", "Disk full", "I/O error %d"; and the picture layer's own
// "Cannot create file %s".
#pragma once

#include <QString>

class QFile;

namespace quorvel {

inline constexpr const char* kReadBeyondEndOfFile = "Read beyond end of file";
inline constexpr const char* kDiskFull = "Disk full";

// The runtime's message for a failed system call on `path` (errno value).
QString fileErrorMessage(int errorNumber, const QString& path);

// The picture layer's message for a file it cannot make or put in place.
QString cannotCreateFileMessage(const QString& path);

// Opens a regular file for reading or raises the runtime's message (base/RegularFile.h).
void openForReading(QFile& file, const QString& path);

} // namespace quorvel

// Opening files for the m32 reader and writer, and the runtime's messages for what goes wrong:
// "File not found", "Invalid filename", "Too many open files", "File access denied",
// "Read beyond end of file", "Disk full", "I/O error %d".
#pragma once

#include "document/M32Format.h"

#include <QString>

class QFile;
class QFileDevice;

namespace quorvel {

inline constexpr const char* kReadBeyondEndOfFile = "Read beyond end of file";

// The runtime's message for a failed system call on `path` (errno value).
QString fileErrorMessage(int errorNumber, const QString& path);

// Opens a file for reading or raises the runtime's message.
void openForReading(QFile& file, const QString& path);

// The header of an m32 file alone, as the file holds it.
M32Header readM32Header(const QString& path);

} // namespace quorvel

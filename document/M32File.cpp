#include "document/M32File.h"

#include "base/Error.h"

#include <QFile>

namespace quorvel {

M32Header readM32Header(const QString& path)
{
    QFile file;
    openForReading(file, path);
    char bytes[kM32HeaderSize];
    if (file.read(bytes, kM32HeaderSize) != kM32HeaderSize) throw Error(kReadBeyondEndOfFile);
    return decodeM32Header(bytes);
}

} // namespace quorvel

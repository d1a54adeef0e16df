#include "document/M32File.h"

#include "base/Error.h"

#include <QFile>

namespace quorvel {

void openM32File(QFile& file, const QString& path)
{
    openRegularFile(file, path, OpenMessages::Runtime, kM32FileLimit);
}

M32Header readM32Header(const QString& path)
{
    QFile file;
    openM32File(file, path);
    char bytes[kM32HeaderSize];
    if (file.read(bytes, kM32HeaderSize) != kM32HeaderSize) throw Error(kReadBeyondEndOfFile);
    return decodeM32Header(bytes);
}

} // namespace quorvel

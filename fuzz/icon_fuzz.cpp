// The icon reader on arbitrary bytes: a picture or "Icon image is not valid", nothing else.
#include "graphics/Error.h"
#include "graphics/Icon.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    quorvel::Icon icon;
    try {
        icon.loadFromStream(buffer);
    } catch (const quorvel::Error&) {
    }
    return 0;
}

// The universal bitmap's loader on arbitrary bytes, in any of its forms: a picture or an error
// with the system's message, nothing else.
#include "codecs/UniBmp.h"
#include "graphics/Error.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    quorvel::TUniBitmap bitmap;
    try {
        bitmap.loadFromStream(buffer);
    } catch (const quorvel::Error&) {
    }
    return 0;
}

// The PCX reader on arbitrary bytes: a picture or one of its messages, nothing else.
#include "codecs/SPCXImg.h"
#include "graphics/Error.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    quorvel::TSPCXBitmap picture;
    try {
        picture.loadFromStream(buffer);
    } catch (const quorvel::Error&) {
    }
    return 0;
}

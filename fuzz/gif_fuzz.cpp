// The GIF reader on arbitrary bytes: a picture or one of its status messages, nothing else.
#include "codecs/SGIFImg.h"
#include "graphics/Error.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    quorvel::TSGIFBitmap picture;
    try {
        picture.loadFromStream(buffer);
    } catch (const quorvel::Error&) {
    }
    return 0;
}

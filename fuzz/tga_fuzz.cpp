// The TGA reader on arbitrary bytes: a picture or one of its own messages, nothing else. Each
// input is read twice, from an in-memory buffer (read in place) and from a plain device (read
// in blocks); both must agree. A picture that loads is written back and read again.
#include "codecs/TargaImage.h"
#include "base/Error.h"
#include "tests/support/Bytes.h"

#include <QBuffer>
#include <QIODevice>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// A seekable device over memory that is not a QBuffer, handing out at most 7 bytes per read.
using quorvel::test::TrickleStream;

struct Outcome {
    bool loaded = false;
    QString message;
    QImage colour, alpha;
    qint64 end = 0;
};

Outcome read(QIODevice& device)
{
    Outcome out;
    quorvel::TTarga tga;
    try {
        tga.loadFromStream(device);
        out.loaded = true;
        out.colour = tga.colorBitmap().image();
        out.alpha = tga.alphaPlane();
        out.end = device.pos();
    } catch (const quorvel::Error& e) {
        out.message = e.message();
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Large pictures only cost time here (most are undecoded kinds, 18 bytes claiming any size);
    // the size check itself is tested.
    if (size >= 16 && std::uint64_t(data[12] | data[13] << 8) * std::uint64_t(data[14] | data[15] << 8) > (1u << 18))
        return 0;

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const Outcome direct = read(buffer);
    TrickleStream device(bytes);
    const Outcome blocks = read(device);
    if (direct.loaded != blocks.loaded || direct.message != blocks.message || direct.colour != blocks.colour ||
        direct.alpha != blocks.alpha || direct.end != blocks.end)
        std::abort();

    if (direct.loaded) {
        quorvel::TTarga tga;
        buffer.seek(0);
        tga.loadFromStream(buffer);
        QBuffer saved;
        saved.open(QIODevice::ReadWrite);
        tga.saveToStream(saved);
        saved.seek(0);
        quorvel::TTarga again;
        again.loadFromStream(saved);
        if (again.colorBitmap().image().size() != tga.colorBitmap().image().size()) std::abort();
    }
    return 0;
}

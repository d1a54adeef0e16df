// The picture classes of the GIF and PCX readers: bitmaps whose stream loaders are those readers,
// which decode without the platform's image class and hand their pixels over whole.
#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"
#include "graphics/PictureMemory.h"

namespace quorvel {

std::optional<QSize> TSGIFBitmap::sizeFromHeader(const QByteArray& head) const
{
    return TSGIF::declaredSize(head);
}

void TSGIFBitmap::loadFromStream(QIODevice& stream)
{
    TSGIF decoder;
    decoder.ReadGif(stream);
    setImage(adoptPixels(decoder.takePixels()));
    loaded_ = true;
    transparentColour_ = decoder.hasTransparency() ? decoder.transparentColour()
                                                   : pixel(0, height() - 1);
}

std::optional<QSize> TSPCXBitmap::sizeFromHeader(const QByteArray& head) const
{
    return TSPCX256::declaredSize(head);
}

void TSPCXBitmap::loadFromStream(QIODevice& stream)
{
    TSPCX256 decoder;
    decoder.ReadPcx(stream);
    setImage(adoptPixels(decoder.takePixels()));
}

} // namespace quorvel

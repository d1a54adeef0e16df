#include "graphics/PictureMemory.h"

#include "base/Error.h"
#include "base/Limits.h"

#include <QImageReader>

namespace quorvel {

void notEnoughMemory(std::int64_t width, std::int64_t height)
{
    throw Error(QStringLiteral("Not enough memory for a %1 x %2 picture").arg(width).arg(height));
}

QImage allocatePicture(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (image.isNull() && width > 0 && height > 0) notEnoughMemory(width, height);
    return image;
}

void allowCapAllocations()
{
    constexpr int kCapMegabytes = int((kMaxPicturePixels * 4) >> 20) + 1;
    QImageReader::setAllocationLimit(kCapMegabytes);
}

} // namespace quorvel

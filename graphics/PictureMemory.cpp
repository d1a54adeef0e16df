#include "graphics/PictureMemory.h"

#include "base/Error.h"

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

void notEnoughMemoryForLevel(std::int64_t width, std::int64_t height)
{
    throw Error(QStringLiteral("Not enough memory for a %1 x %2 level").arg(width).arg(height));
}

QImage allocateLevel(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (image.isNull() && width > 0 && height > 0) notEnoughMemoryForLevel(width, height);
    return image;
}

} // namespace quorvel

#include "graphics/PictureMemory.h"

#include "base/Error.h"
#include "base/Limits.h"

#include <QImageReader>

namespace quorvel {

namespace {

// A new image, or the failure `fail` raises.
QImage allocate(int width, int height, QImage::Format format, void (*fail)(std::int64_t, std::int64_t))
{
    QImage image(width, height, format);
    if (image.isNull() && width > 0 && height > 0) fail(width, height);
    return image;
}

} // namespace

void notEnoughMemory(std::int64_t width, std::int64_t height)
{
    throw Error(QStringLiteral("Not enough memory for a %1 x %2 picture").arg(width).arg(height));
}

QImage allocatePicture(int width, int height, QImage::Format format)
{
    return allocate(width, height, format, notEnoughMemory);
}

void notEnoughMemoryForLevel(std::int64_t width, std::int64_t height)
{
    throw Error(QStringLiteral("Not enough memory for a %1 x %2 level").arg(width).arg(height));
}

QImage allocateLevel(int width, int height, QImage::Format format)
{
    return allocate(width, height, format, notEnoughMemoryForLevel);
}

void allowCapAllocations()
{
    constexpr int kCapMegabytes = int((kMaxPicturePixels * 4) >> 20) + 1;
    // The limit is one value of the whole process: set once, however many workers read at once.
    static const bool set = (QImageReader::setAllocationLimit(kCapMegabytes), true);
    (void)set;
}

} // namespace quorvel

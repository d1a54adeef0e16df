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

QImage adoptPixels(PixelImage&& pixels)
{
    if (pixels.isNull()) return {};
    static constexpr QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_ARGB32,
                                                 QImage::Format_Grayscale8};
    const QImage::Format format = formats[int(pixels.format())];
    const int width = pixels.width(), height = pixels.height();
    const qsizetype bytesPerLine = pixels.bytesPerLine();
    uchar* block = pixels.release();
    QImage image(block, width, height, bytesPerLine, format, [](void* p) { std::free(p); }, block);
    if (image.isNull()) {
        std::free(block);
        notEnoughMemory(width, height);
    }
    return image;
}

void allowCapAllocations()
{
    constexpr int kCapMegabytes = int((kMaxPicturePixels * 4) >> 20) + 1;
    // The limit is one value of the whole process: set once, however many workers read at once.
    static const bool set = (QImageReader::setAllocationLimit(kCapMegabytes), true);
    (void)set;
}

} // namespace quorvel

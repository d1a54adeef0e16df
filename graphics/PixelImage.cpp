#include "graphics/PixelImage.h"

#include "base/Error.h"
#include "graphics/PictureMemory.h"

#include <algorithm>

namespace quorvel {

void notEnoughMemory(std::int64_t width, std::int64_t height)
{
    throw Error(QStringLiteral("Not enough memory for a %1 x %2 picture").arg(width).arg(height));
}

PixelImage::PixelImage(int width, int height, Format format) : format_(format)
{
    if (width <= 0 || height <= 0) return;
    const qsizetype bytesPerPixel = format == Format::Grey8 ? 1 : 4;
    const qsizetype rowBytes = (bytesPerPixel * width + 3) & ~qsizetype(3);
    // From malloc, as the image class takes its own blocks: an aligned allocation of a picture's
    // size would, by glibc's rules, be mapped and unmapped afresh each time where malloc reuses
    // the freed block.
    data_.reset(static_cast<uchar*>(std::malloc(std::size_t(rowBytes) * std::size_t(height))));
    if (!data_) notEnoughMemory(width, height);
    width_ = width;
    height_ = height;
    bytesPerLine_ = rowBytes;
}

void PixelImage::fill(std::uint32_t pixel)
{
    if (isNull() || format_ == Format::Grey8) return;
    auto* p = reinterpret_cast<std::uint32_t*>(bits());
    std::fill_n(p, std::size_t(width_) * std::size_t(height_), pixel);
}

uchar* PixelImage::release()
{
    width_ = height_ = 0;
    bytesPerLine_ = 0;
    return data_.release();
}

} // namespace quorvel

// The pixels a reader decodes, held without the platform's image class, so that the readers of
// the formats that are our own code need nothing of Qt's GUI library: rows of 32-bit pixels
// (0xAARRGGBB, straight alpha) or of one grey byte a pixel, in one block, each row a multiple of
// four bytes, laid out as QImage lays out Format_RGB32, Format_ARGB32 and Format_Grayscale8.
// The image class takes the block over without a copy (adoptPixels in PictureMemory.h).
#pragma once

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace quorvel {

class PixelImage {
public:
    enum class Format : std::uint8_t { RGB32, ARGB32, Grey8 };

    PixelImage() = default;
    // Uninitialised pixels; raises "Not enough memory for a W x H picture" when the block cannot
    // be had. An empty size gives a null image.
    PixelImage(int width, int height, Format format);

    bool isNull() const { return !data_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Format format() const { return format_; }
    qsizetype bytesPerLine() const { return bytesPerLine_; }

    uchar* bits() { return data_.get(); }
    const uchar* constBits() const { return data_.get(); }
    uchar* scanLine(int y) { return data_.get() + bytesPerLine_ * y; }
    const uchar* constScanLine(int y) const { return data_.get() + bytesPerLine_ * y; }

    // Every pixel of a 32-bit image.
    void fill(std::uint32_t pixel);

    // Gives the block up to the caller, who frees it with std::free; the image is null after.
    uchar* release();

private:
    struct Free {
        void operator()(uchar* p) const { std::free(p); }
    };
    std::unique_ptr<uchar, Free> data_;
    int width_ = 0, height_ = 0;
    qsizetype bytesPerLine_ = 0;
    Format format_ = Format::RGB32;
};

} // namespace quorvel

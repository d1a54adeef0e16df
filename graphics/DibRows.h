// The pixel rows of device-independent bitmaps, as BMP files, icons and metafiles store them:
// 1, 4 and 8 bits per pixel through a colour table, 16 and 32 bits through bit masks, 24 bits as
// blue, green, red. Rows are padded to four bytes. The readers agree on all of it except how a
// bit-field channel of other than eight bits becomes 0..255: pictures already made with each
// reader depend on its way, so the way is a parameter here.
#pragma once

#include <QRgb>
#include <QRgb>

#include <array>
#include <cstdint>

namespace quorvel {

// How a bit-field channel is scaled to 0..255; channels of exactly eight bits are the same in all.
enum class DibChannelScale {
    Rounded,        // v * 255 / max over all the mask's bits, to the nearest (BMP files)
    TopBitsRounded, // the top eight of the mask's bits at most, then v * 255 / (2^bits - 1) to
                    // the nearest, in 32-bit arithmetic (metafile bitmaps)
    Truncated,      // v * 255 / max, rounded down (icons)
};

// The masks a 16-bit bitmap without its own means: five bits each of red, green and blue.
constexpr std::array<std::uint32_t, 4> kDibMasks555 = {0x7C00, 0x03E0, 0x001F, 0};
// The masks a 32-bit bitmap without its own means: a byte each of blue, green, red, then one
// unused.
constexpr std::array<std::uint32_t, 4> kDibMasks888 = {0xFF0000, 0xFF00, 0xFF, 0};
// The same with the fourth byte as alpha, as icons store 32-bit pixels.
constexpr std::array<std::uint32_t, 4> kDibMasks8888 = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};

struct DibRowFormat {
    int bitsPerPixel = 24; // 1, 4, 8, 16, 24 or 32
    // 1, 4 and 8 bits: the colours of the indices (see readDibPalette).
    std::array<QRgb, 256> palette{};
    // 16 and 32 bits: red, green, blue and alpha; an alpha mask of 0 makes every pixel opaque.
    std::array<std::uint32_t, 4> masks = kDibMasks888;
    DibChannelScale scale = DibChannelScale::Rounded;
};

// The bytes one stored row of `width` pixels takes, padding included.
constexpr std::int64_t dibStride(std::int64_t width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// `count` pixels of blue, green, red bytes as opaque 32-bit pixels; nothing past them is read.
void bgrToRgb32(const std::uint8_t* in, std::int64_t count, QRgb* out);
// The other way: `count` 32-bit pixels as blue, green, red bytes, exactly 3 × count of them.
void rgb32ToBgr(const QRgb* in, std::int64_t count, std::uint8_t* out);

// A colour table of `entries` entries of 4 bytes (blue, green, red, unused) or 3 (the OS/2 core
// form) at `table`, which the caller has checked is there in full. Indices past its end are
// opaque black; entries past 256 are not read.
std::array<QRgb, 256> readDibPalette(const std::uint8_t* table, std::int64_t entries, int entrySize);

// Decodes rows of one format into 32-bit pixels (0xAARRGGBB). The checks of sizes and lengths are
// the caller's: a row must hold dibStride(width, bitsPerPixel) bytes, less its padding.
class DibRowDecoder {
public:
    explicit DibRowDecoder(const DibRowFormat& format);

    // One stored row of `width` pixels into `out`.
    void decodeRow(const std::uint8_t* row, std::int64_t width, QRgb* out) const;
    // Every row of `image`, a 32-bit image of the bitmap's size (a QImage or a PixelImage), from
    // `rows` stored one stride apart: the last row of the image first when `bottomUp`.
    template <class Image>
    void decodeImage(const std::uint8_t* rows, bool bottomUp, Image& image) const
    {
        const std::int64_t width = image.width(), height = image.height();
        const std::int64_t stride = dibStride(width, bitsPerPixel_);
        for (std::int64_t row = 0; row < height; ++row) {
            const std::int64_t y = bottomUp ? height - 1 - row : row;
            decodeRow(rows + stride * row, width, reinterpret_cast<QRgb*>(image.scanLine(int(y))));
        }
    }

private:
    // A mask's field scaled as ((field >> drop) * 255 + add, kept to `wrap`) / divisor.
    struct Channel {
        std::uint32_t mask = 0;
        int shift = 0, drop = 0;
        std::uint64_t divisor = 1, add = 0, wrap = ~std::uint64_t(0);
    };
    static Channel channel(std::uint32_t mask, DibChannelScale scale);
    void decodeMasked(const std::uint8_t* row, std::int64_t width, QRgb* out) const;

    int bitsPerPixel_;
    std::array<QRgb, 256> palette_;
    Channel red_, green_, blue_, alpha_;
    bool hasAlpha_;
    bool bytes888_; // 32 bits whose masks are whole bytes in the usual places
};

} // namespace quorvel

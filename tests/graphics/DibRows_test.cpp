// The DIB row decoder the BMP, icon and metafile readers share: each reader's way of scaling
// bit-field channels, the byte orders of every depth, and the order of rows.
#include "graphics/DibRows.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

using namespace quorvel;

namespace {

QRgb decodeOne(const DibRowFormat& format, std::vector<std::uint8_t> bytes)
{
    QRgb out = 0;
    DibRowDecoder(format).decodeRow(bytes.data(), 1, &out);
    return out;
}

std::vector<std::uint8_t> le32(std::uint32_t v)
{
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

} // namespace

TEST(DibRows, EachReadersChannelScale)
{
    struct Row {
        const char* name;
        int bitsPerPixel;
        std::array<std::uint32_t, 4> masks;
        std::uint32_t pixel;
        QRgb rounded, topBits, truncated;
    };
    const Row rows[] = {
        // Five bits of 16: rounding and truncation part at 16 (131.6).
        {"555 at 16", 16, kDibMasks555, 16u << 10 | 16u << 5 | 16u, qRgb(132, 132, 132), qRgb(132, 132, 132), qRgb(131, 131, 131)},
        {"555 full", 16, kDibMasks555, 0x7FFF, qRgb(255, 255, 255), qRgb(255, 255, 255), qRgb(255, 255, 255)},
        // Ten bits: scaled over all ten, or over their top eight.
        {"10-bit red of 3", 32, {0x3FF00000, 0xFF00, 0xFF, 0}, 3u << 20, qRgb(1, 0, 0), qRgb(0, 0, 0), qRgb(0, 0, 0)},
        {"10-bit red of 1023", 32, {0x3FF00000, 0xFF00, 0xFF, 0}, 1023u << 20, qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(255, 0, 0)},
        // An alpha mask scales like the colours; none makes the pixel opaque.
        {"4-bit alpha", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x8F00, qRgba(255, 0, 0, 136), qRgba(255, 0, 0, 136), qRgba(255, 0, 0, 136)},
        {"no green mask", 32, {0xFF0000, 0, 0xFF, 0}, 0x00FFFFFF, qRgb(255, 0, 255), qRgb(255, 0, 255), qRgb(255, 0, 255)},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> bytes = le32(row.pixel);
        if (row.bitsPerPixel == 16) bytes.resize(2);
        DibRowFormat format;
        format.bitsPerPixel = row.bitsPerPixel;
        format.masks = row.masks;
        const QRgb expected[] = {row.rounded, row.topBits, row.truncated};
        const DibChannelScale scales[] = {DibChannelScale::Rounded, DibChannelScale::TopBitsRounded, DibChannelScale::Truncated};
        for (int i = 0; i < 3; ++i) {
            format.scale = scales[i];
            EXPECT_EQ(decodeOne(format, bytes), expected[i]) << row.name << ", scale " << i;
        }
    }
}

TEST(DibRows, DepthsAndRowOrder)
{
    DibRowFormat format;
    format.palette.fill(0xFF000000u);
    format.palette[1] = qRgb(255, 0, 0);
    format.palette[2] = qRgb(0, 255, 0);
    format.palette[0xA] = qRgb(0, 0, 255);

    // Two rows of three pixels each, stored bottom-up: the last image row first.
    struct Row {
        int bitsPerPixel;
        std::vector<std::uint8_t> rows; // padded to four bytes
        std::array<QRgb, 6> pixels;     // image rows, top first
    };
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0);
    const Row rows[] = {
        {1, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}, {black, red, black, red, black, red}},
        {4, {0x12, 0xA0, 0, 0, 0x21, 0x00, 0, 0}, {green, red, black, red, green, blue}},
        {8, {1, 2, 0xA, 0, 0xA, 0xA, 1, 0}, {blue, blue, red, red, green, blue}},
        {24, {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0},
         {blue, blue, red, red, green, blue}},
    };
    for (const Row& row : rows) {
        format.bitsPerPixel = row.bitsPerPixel;
        ASSERT_EQ(qsizetype(row.rows.size()), 2 * dibStride(3, row.bitsPerPixel)) << row.bitsPerPixel;
        QImage image(3, 2, QImage::Format_RGB32);
        DibRowDecoder(format).decodeImage(row.rows.data(), true, image);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(image.pixel(i % 3, i / 3), row.pixels[std::size_t(i)]) << row.bitsPerPixel << " bits, pixel " << i;
    }
}

TEST(DibRows, ThirtyTwoBitBytesWithAndWithoutAlpha)
{
    DibRowFormat format;
    format.bitsPerPixel = 32;
    format.masks = kDibMasks8888;
    EXPECT_EQ(decodeOne(format, {0x30, 0x20, 0x10, 0x80}), qRgba(0x10, 0x20, 0x30, 0x80));
    format.masks = kDibMasks888;
    EXPECT_EQ(decodeOne(format, {0x30, 0x20, 0x10, 0x80}), qRgb(0x10, 0x20, 0x30));
    // The same colours through masks in other places take the general path to the same pixel.
    format.masks = {0xFF000000u, 0xFF0000, 0xFF00, 0xFF};
    EXPECT_EQ(decodeOne(format, {0x80, 0x30, 0x20, 0x10}), qRgba(0x10, 0x20, 0x30, 0x80));
}

TEST(DibRows, PaletteOfThreeOrFourByteEntriesPaddedWithBlack)
{
    const std::uint8_t four[] = {1, 2, 3, 0, 4, 5, 6, 0};
    const std::uint8_t three[] = {1, 2, 3, 4, 5, 6};
    for (const auto& [table, size] : {std::pair{four, 4}, std::pair{three, 3}}) {
        const std::array<QRgb, 256> palette = readDibPalette(table, 2, size);
        EXPECT_EQ(palette[0], qRgb(3, 2, 1)) << size;
        EXPECT_EQ(palette[1], qRgb(6, 5, 4)) << size;
        EXPECT_EQ(palette[2], qRgb(0, 0, 0)) << size;
        EXPECT_EQ(palette[255], qRgb(0, 0, 0)) << size;
    }
}

TEST(DibRows, TwentyFourBitRowsOfEveryWidthTouchNothingPastTheirPixels)
{
    // Rows taken many pixels a step must give each pixel its own bytes, however few the last
    // step leaves; each row is held in exactly its bytes, so a read past them is caught.
    for (int width = 1; width <= 40; ++width) {
        std::vector<std::uint8_t> bytes(std::size_t(width) * 3);
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7 + width);
        std::vector<QRgb> out(std::size_t(width) + 1, 0x12345678u);
        bgrToRgb32(bytes.data(), width, out.data());
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = &bytes[std::size_t(x) * 3];
            ASSERT_EQ(out[std::size_t(x)], qRgb(p[2], p[1], p[0])) << width << " wide, pixel " << x;
        }
        EXPECT_EQ(out[std::size_t(width)], 0x12345678u) << width << " wide: written past the row";
        // And back, into exactly the row's bytes.
        std::vector<std::uint8_t> back(bytes.size() + 1, 0xEE);
        rgb32ToBgr(out.data(), width, back.data());
        EXPECT_EQ(back.back(), 0xEE) << width << " wide: written past the bytes";
        back.pop_back();
        EXPECT_EQ(back, bytes) << width << " wide";
    }
}

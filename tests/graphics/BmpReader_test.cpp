// Plain bitmap files: the layouts decoded here and by the platform reader, and the files refused
// before any pixel is read.
#include "graphics/Bitmap.h"
#include "base/Error.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace quorvel;
using test::Bytes;

namespace {

struct BmpParts {
    int headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2;
    int bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    QByteArray headerTail{}; // bytes 40.. of a longer header (masks at its start)
    QByteArray tables{};   // masks after a 40-byte header, then the palette
    QByteArray pixels{};
};

// A bitmap file whose pixel data follows the headers and tables directly.
QByteArray bmp(const BmpParts& p)
{
    Bytes header;
    if (p.headerSize == 12) {
        header.u32(12).u16(std::uint16_t(p.width)).u16(std::uint16_t(p.height)).u16(1).u16(std::uint16_t(p.bitsPerPixel));
    } else {
        header.u32(std::uint32_t(p.headerSize)).i32(p.width).i32(p.height).u16(1).u16(std::uint16_t(p.bitsPerPixel))
            .u32(p.compression).u32(std::uint32_t(p.pixels.size())).u32(2835).u32(2835).u32(p.coloursUsed).u32(0)
            .raw(p.headerTail);
        header.fill(p.headerSize - header.size());
    }
    const std::uint32_t offset = std::uint32_t(14 + header.size() + p.tables.size());
    return Bytes().text("BM").u32(std::uint32_t(offset + p.pixels.size())).u32(0).u32(offset)
        .raw(header).raw(p.tables).raw(p.pixels);
}

// The pixels of an image, row by row from the top, as 0xAARRGGBB.
std::vector<QRgb> pixelsOf(const QImage& image)
{
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
    return out;
}

QByteArray masks(std::initializer_list<std::uint32_t> values)
{
    Bytes out;
    for (std::uint32_t v : values) out.u32(v);
    return out;
}

// Four BGRX palette entries: black, red, green, blue.
const QByteArray kPalette4 = Bytes().u8s({0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});

} // namespace

TEST(BmpReader, DecodesEveryLayout)
{
    constexpr QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, black = 0xFF000000;
    const struct {
        const char* what;
        QByteArray file;
        std::vector<QRgb> pixels; // top row first
    } rows[] = {
        {"24-bit, bottom-up, padded rows",
         bmp({.pixels = Bytes().u8s({255, 0, 0, 0, 255, 0, 0, 0}).u8s({0, 0, 255, 0, 0, 0, 0, 0})}),
         {red, black, blue, green}},
        {"24-bit, top-down", bmp({.height = -2, .pixels = Bytes().u8s({255, 0, 0, 0, 255, 0, 0, 0}).u8s({0, 0, 255, 0, 0, 0, 0, 0})}),
         {blue, green, red, black}},
        {"24-bit without the last row's padding",
         bmp({.pixels = Bytes().u8s({255, 0, 0, 0, 255, 0, 0, 0}).u8s({0, 0, 255, 0, 0, 0})}),
         {red, black, blue, green}},
        {"32-bit bit fields 11-11-10",
         bmp({.width = 2, .height = 1, .bitsPerPixel = 32, .compression = 3,
              .tables = masks({0xFFE00000, 0x001FFC00, 0x000003FF}),
              .pixels = Bytes().u32(0xFFE00000).u32(0x00100200)}),
         {red, 0xFF000080 | 0x80 << 8 | 0}},
        {"32-bit bit fields 10-10-10-2 with alpha in a 56-byte header",
         bmp({.headerSize = 56, .width = 2, .height = 1, .bitsPerPixel = 32, .compression = 3,
              .headerTail = masks({0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}),
              .pixels = Bytes().u32(0xC00FFC00).u32(0x400003FF)}),
         {green, 0x550000FF}},
        {"OS/2 core header with a two-colour palette",
         bmp({.headerSize = 12, .width = 2, .height = 1, .bitsPerPixel = 8,
              .tables = Bytes().u8s({0, 0, 255, 255, 0, 0}), .pixels = Bytes().u8s({1, 0, 0, 0})}),
         {blue, red}},
        {"8-bit palette through the platform reader",
         bmp({.width = 2, .height = 1, .bitsPerPixel = 8, .coloursUsed = 4, .tables = kPalette4,
              .pixels = Bytes().u8s({2, 3, 0, 0})}),
         {green, blue}},
        {"RLE8: a run, an end of line, an odd absolute run and an early end",
         bmp({.width = 4, .height = 2, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 4, .tables = kPalette4,
              .pixels = Bytes().u8s({2, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 1})}),
         {green, blue, red, black, red, red, black, black}},
        {"RLE8: a delta skipping pixels, runs clipped at the row end",
         bmp({.width = 3, .height = 2, .bitsPerPixel = 8, .compression = 1, .coloursUsed = 4, .tables = kPalette4,
              .pixels = Bytes().u8s({0, 2, 1, 1, 5, 3, 0, 1})}),
         {black, blue, blue, black, black, black}},
        {"RLE4: an odd absolute run and a nibble run",
         bmp({.width = 4, .height = 1, .bitsPerPixel = 4, .compression = 2, .coloursUsed = 4, .tables = kPalette4,
              .pixels = Bytes().u8s({0, 3, 0x12, 0x30, 1, 0x22, 0, 1})}),
         {red, green, blue, green}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            EXPECT_EQ(pixelsOf(Bitmap::decodeBmp(row.file)), row.pixels);
            // Through a stream that gives a few bytes at a time, as a file may.
            test::TrickleStream stream(row.file);
            EXPECT_EQ(pixelsOf(Bitmap::decodeBmp(stream)), row.pixels);
        } catch (const Error& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

TEST(BmpReader, RefusesWhatCannotBeRead)
{
    const QByteArray pixels24 = Bytes().fill(16);
    const QByteArray good = bmp({.pixels = pixels24});
    const struct {
        const char* what;
        QByteArray file;
    } rows[] = {
        {"not a bitmap", QByteArray("GIF89a") + good.mid(6)},
        {"only the file header", good.left(14)},
        {"pixel data one byte short", good.left(good.size() - 3)},
        {"palette cut short", bmp({.width = 2, .height = 1, .bitsPerPixel = 8, .coloursUsed = 4, .tables = kPalette4}).left(60)},
        {"height INT_MIN", bmp({.height = INT_MIN, .pixels = pixels24})},
        {"width 0", bmp({.width = 0, .pixels = pixels24})},
        {"negative width", bmp({.width = -2, .pixels = pixels24})},
        {"height 0", bmp({.height = 0, .pixels = pixels24})},
        {"more pixels than can be held", bmp({.width = 65536, .height = 65536, .pixels = pixels24})},
        {"width times height above 32 bits", bmp({.width = INT_MAX, .height = INT_MAX, .pixels = pixels24})},
        {"3 bits per pixel", bmp({.bitsPerPixel = 3, .pixels = pixels24})},
        {"64 bits per pixel", bmp({.bitsPerPixel = 64, .pixels = pixels24})},
        {"RLE8 at 4 bits per pixel", bmp({.bitsPerPixel = 4, .compression = 1, .tables = kPalette4, .pixels = pixels24})},
        {"RLE8 without data", bmp({.bitsPerPixel = 8, .compression = 1, .coloursUsed = 4, .tables = kPalette4})},
        {"bit fields at 24 bits per pixel", bmp({.compression = 3, .tables = masks({0xFF0000, 0xFF00, 0xFF}), .pixels = pixels24})},
        {"bit fields whose masks are cut off", bmp({.bitsPerPixel = 32, .compression = 3}).left(60)},
        {"embedded JPEG", bmp({.compression = 4, .pixels = pixels24})},
        {"header size 13", bmp({.headerSize = 12, .pixels = pixels24}).replace(14, 1, "\x0D", 1)},
        {"header longer than the file", bmp({.headerSize = 124, .pixels = pixels24}).left(100)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            Bitmap::decodeBmp(row.file);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Bitmap image is not valid");
        }
        // The same read through a stream, as from a file.
        test::TrickleStream stream(row.file);
        EXPECT_THROW(Bitmap::decodeBmp(stream), Error);
    }
}

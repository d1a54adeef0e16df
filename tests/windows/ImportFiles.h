// Picture files for the tests of the import windows: bitmaps, GIFs and Targas as ordinary
// programs write them, each pixel telling where it came from.
#pragma once

#include "graphics/BmpWriter.h"
#include "tests/support/Bytes.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/ImageFiles.h"

#include <QImage>

namespace quorvel::test {

// Pixel (x, y) of the test pictures.
inline QRgb patternAt(int x, int y)
{
    return qRgb(x & 255, y & 255, (x * 3 + y) & 255);
}

inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] = patternAt(x, y);
    }
    return image;
}

inline QByteArray bmpOf(int width, int height)
{
    return encodeBmp24(patternImage(width, height));
}

// A two-colour GIF, the colours alternating.
inline QByteArray gifOf(int width, int height)
{
    return twoColourGif(width, height);
}

// An uncompressed 32-bit Targa, rows from the top, every alpha 7 (which the import drops).
inline QByteArray tgaOf(int width, int height)
{
    Bytes b;
    b.u8(0).u8(0).u8(2).u16(0).u16(0).u8(0).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(32).u8(0x28);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = patternAt(x, y);
            b.u8(std::uint8_t(qBlue(c))).u8(std::uint8_t(qGreen(c))).u8(std::uint8_t(qRed(c))).u8(7);
        }
    return b;
}

// Every alpha of level 1..levelCount() is `alpha`.
inline bool alphaEverywhere(const TextureDocument& document, int alpha)
{
    for (int k = 1; k <= document.levelCount(); ++k) {
        const QImage& plane = document.alphaPlane(k);
        for (int y = 0; y < plane.height(); ++y) {
            const uchar* row = plane.constScanLine(y);
            for (int x = 0; x < plane.width(); ++x)
                if (row[x] != alpha) return false;
        }
    }
    return true;
}

} // namespace quorvel::test

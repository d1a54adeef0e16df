// Reading of plain Windows bitmap (BMP) files, held in memory or read through a stream. The headers are checked here before
// any pixel is touched: the declared size must be holdable and the pixel data must be present in
// full, because the platform's reader quietly returns unfilled rows for a cut file. The common
// 24-bit and 32-bit bit-field layouts are decoded here; the rest goes to the platform's reader.
#pragma once

#include "graphics/PixelImage.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <optional>

namespace quorvel {

inline constexpr const char* kInvalidBitmap = "Bitmap image is not valid";

// What the reader makes of a file: its pixels (Format RGB32, or ARGB32 with straight alpha when
// the file carries alpha), or, for the layouts left to the platform's reader, the file's bytes
// as that reader is to see them (a short core palette padded), with the size the headers declare.
struct BmpPixels {
    PixelImage pixels;
    QByteArray forPlatform;
    std::int64_t width = 0, height = 0;
};
// The layouts decoded here need nothing of the platform; anything unreadable fails with "Bitmap
// image is not valid".
BmpPixels readBmpPixels(const QByteArray& bytes);
BmpPixels readBmpPixels(QIODevice& stream);

// Decodes a whole BMP file; anything unreadable fails with "Bitmap image is not valid". The result
// is Format_RGB32, or Format_ARGB32 (straight alpha) when the file carries alpha.
QImage readBmp(const QByteArray& bytes);
// The same from a stream at the file's first byte. The 24-bit and 32-bit bit-field layouts of a
// stream that can seek are decoded through a small window, row by row into the image returned;
// the rest is read whole.
QImage readBmp(QIODevice& stream);

// The width and height (rows, always positive) the headers at the start of `head` declare, read
// as readBmp reads them, or nothing when `head` does not start with readable headers.
std::optional<QSize> bmpDeclaredSize(const QByteArray& head);

} // namespace quorvel

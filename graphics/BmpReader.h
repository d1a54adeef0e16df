// Reading of plain Windows bitmap (BMP) files, held in memory or read through a stream. The headers are checked here before
// any pixel is touched: the declared size must be holdable and the pixel data must be present in
// full, because the platform's reader quietly returns unfilled rows for a cut file. The common
// 24-bit and 32-bit bit-field layouts are decoded here; the rest goes to the platform's reader.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <optional>

namespace quorvel {

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

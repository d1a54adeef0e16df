// Writes images as uncompressed 24-bit Windows bitmaps: a 14-byte file header, a 40-byte
// information header, then rows from the bottom up, each padded to a multiple of four bytes.
#pragma once

#include "graphics/PixelImage.h"

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QString>

#include <functional>

class QIODevice;

namespace quorvel {

// Row y (0 at the top) of the picture written: its 32-bit pixels, whose top byte is ignored.
using BmpSourceRow = std::function<const QRgb*(int y)>;

QByteArray encodeBmp24Rows(int width, int height, const BmpSourceRow& sourceRow);
// Raises WriteFailure ("Disk full") when the stream does not take every byte.
void writeBmp24Rows(int width, int height, const BmpSourceRow& sourceRow, QIODevice& stream);
// A 32-bit picture (RGB32 or ARGB32) as a file, whole or not at all.
void saveBmp24(const PixelImage& image, const QString& path);

// The same for the image class, in any format (other than 32 bits, converted to RGB32 first).
QByteArray encodeBmp24(const QImage& image);
// Raises WriteFailure ("Disk full") when the stream does not take every byte.
void writeBmp24(const QImage& image, QIODevice& stream);
// Writes the file whole or not at all, with the picture layer's messages ("Cannot create file %s").
void saveBmp24(const QImage& image, const QString& path);

} // namespace quorvel

// Writes images as uncompressed 24-bit Windows bitmaps: a 14-byte file header, a 40-byte
// information header, then rows from the bottom up, each padded to a multiple of four bytes.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

namespace quorvel {

QByteArray encodeBmp24(const QImage& image);
// Raises WriteFailure ("Disk full") when the stream does not take every byte.
void writeBmp24(const QImage& image, QIODevice& stream);
// Writes the file whole or not at all, with the picture layer's messages ("Cannot create file %s").
void saveBmp24(const QImage& image, const QString& path);

} // namespace quorvel

#include "graphics/BmpWriter.h"

#include "base/LittleEndian.h"
#include "base/SaveFile.h"

#include <QIODevice>

namespace quorvel {

QByteArray encodeBmp24(const QImage& source)
{
    const QImage image = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_RGB32);
    const int width = image.width(), height = image.height();
    const qsizetype rowBytes = (qsizetype(width) * 3 + 3) & ~qsizetype(3);
    const qsizetype pixelBytes = rowBytes * height;
    constexpr int headerBytes = 54;

    QByteArray out(headerBytes + pixelBytes, '\0');
    char* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, std::uint32_t(out.size()));
    put32(p + 10, headerBytes);
    put32(p + 14, 40);
    put32(p + 18, std::uint32_t(width));
    put32(p + 22, std::uint32_t(height));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, std::uint32_t(pixelBytes));

    for (int y = 0; y < height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* row = reinterpret_cast<unsigned char*>(p + headerBytes + rowBytes * (height - 1 - y));
        for (int x = 0; x < width; ++x) {
            row[0] = (unsigned char)(in[x] & 0xFF);
            row[1] = (unsigned char)(in[x] >> 8 & 0xFF);
            row[2] = (unsigned char)(in[x] >> 16 & 0xFF);
            row += 3;
        }
    }
    return out;
}

void writeBmp24(const QImage& image, QIODevice& stream)
{
    writeAll(stream, encodeBmp24(image));
}

void saveBmp24(const QImage& image, const QString& path)
{
    const QByteArray bytes = encodeBmp24(image);
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) { writeAll(file, bytes); });
}

} // namespace quorvel

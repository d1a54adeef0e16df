#include "graphics/BmpWriter.h"

#include "base/LittleEndian.h"
#include "base/SaveFile.h"
#include "graphics/DibRows.h"

#include <QIODevice>

#include <algorithm>

namespace quorvel {

namespace {

constexpr int kHeaderBytes = 54;

qsizetype rowBytesOf(int width)
{
    return (qsizetype(width) * 3 + 3) & ~qsizetype(3);
}

void putHeader(char* p, int width, int height)
{
    const qsizetype pixelBytes = rowBytesOf(width) * height;
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, std::uint32_t(kHeaderBytes + pixelBytes));
    put32(p + 10, kHeaderBytes);
    put32(p + 14, 40);
    put32(p + 18, std::uint32_t(width));
    put32(p + 22, std::uint32_t(height));
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 34, std::uint32_t(pixelBytes));
}

// Image row y as 24 bits (blue, green, red), padding left as it is.
void putRow(const QImage& image, int y, unsigned char* row)
{
    rgb32ToBgr(reinterpret_cast<const QRgb*>(image.constScanLine(y)), image.width(), row);
}

QImage in32Bits(const QImage& source)
{
    return source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
        ? source
        : source.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QByteArray encodeBmp24(const QImage& source)
{
    const QImage image = in32Bits(source);
    const int width = image.width(), height = image.height();
    const qsizetype rowBytes = rowBytesOf(width);
    QByteArray out(kHeaderBytes + rowBytes * height, '\0');
    char* p = out.data();
    putHeader(p, width, height);
    for (int y = 0; y < height; ++y)
        putRow(image, y, reinterpret_cast<unsigned char*>(p + kHeaderBytes + rowBytes * (height - 1 - y)));
    return out;
}

// A few rows at a time, so that a large picture is never held a second time as a whole file,
// and the file gets its bytes in writes of about 256 KB.
void writeBmp24(const QImage& source, QIODevice& stream)
{
    const QImage image = in32Bits(source);
    const int width = image.width(), height = image.height();
    char header[kHeaderBytes] = {};
    putHeader(header, width, height);
    writeAll(stream, header, kHeaderBytes);
    constexpr qsizetype kChunk = 256 * 1024;
    const qsizetype rowBytes = rowBytesOf(width);
    const int rowsAtOnce = int(std::clamp<qsizetype>(kChunk / rowBytes, 1, height));
    QByteArray rows(rowBytes * rowsAtOnce, '\0');
    for (int y = height - 1; y >= 0;) {
        const int count = std::min(rowsAtOnce, y + 1);
        for (int i = 0; i < count; ++i, --y) putRow(image, y, reinterpret_cast<unsigned char*>(rows.data() + rowBytes * i));
        writeAll(stream, rows.constData(), rowBytes * count);
    }
}

void saveBmp24(const QImage& image, const QString& path)
{
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) { writeBmp24(image, file); });
}

} // namespace quorvel

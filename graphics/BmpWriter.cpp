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

} // namespace

QByteArray encodeBmp24Rows(int width, int height, const BmpSourceRow& sourceRow)
{
    const qsizetype rowBytes = rowBytesOf(width);
    QByteArray out(kHeaderBytes + rowBytes * height, '\0');
    char* p = out.data();
    putHeader(p, width, height);
    for (int y = 0; y < height; ++y)
        rgb32ToBgr(sourceRow(y), width, reinterpret_cast<unsigned char*>(p + kHeaderBytes + rowBytes * (height - 1 - y)));
    return out;
}

// A few rows at a time, so that a large picture is never held a second time as a whole file,
// and the file gets its bytes in writes of about 256 KB.
void writeBmp24Rows(int width, int height, const BmpSourceRow& sourceRow, QIODevice& stream)
{
    char header[kHeaderBytes] = {};
    putHeader(header, width, height);
    writeAll(stream, header, kHeaderBytes);
    constexpr qsizetype kChunk = 256 * 1024;
    const qsizetype rowBytes = rowBytesOf(width);
    const int rowsAtOnce = int(std::clamp<qsizetype>(kChunk / rowBytes, 1, height));
    QByteArray rows(rowBytes * rowsAtOnce, '\0');
    for (int y = height - 1; y >= 0;) {
        const int count = std::min(rowsAtOnce, y + 1);
        for (int i = 0; i < count; ++i, --y)
            rgb32ToBgr(sourceRow(y), width, reinterpret_cast<unsigned char*>(rows.data() + rowBytes * i));
        writeAll(stream, rows.constData(), rowBytes * count);
    }
}

void saveBmp24(const PixelImage& image, const QString& path)
{
    const auto row = [&](int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); };
    saveWhole(path, SaveMessages::PictureLayer,
              [&](QIODevice& file) { writeBmp24Rows(image.width(), image.height(), row, file); });
}

} // namespace quorvel

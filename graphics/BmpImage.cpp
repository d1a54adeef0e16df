// The BMP reader and writer for the image class, which is part of Qt's GUI library and so kept
// out of their own files: readBmp gives what the reader decodes as an image, and takes the
// layouts the reader leaves to the platform's reader; the writer takes images of any format.
#include "graphics/BmpReader.h"
#include "graphics/BmpWriter.h"

#include "base/Error.h"
#include "base/SaveFile.h"
#include "graphics/PictureMemory.h"

#include <QBuffer>
#include <QImageReader>

namespace quorvel {

namespace {

// The platform's reader, allowed as much memory as the largest picture within the cap needs.
QImage platformRead(const QByteArray& bytes)
{
    allowCapAllocations();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    return reader.read();
}

QImage in32Bits(const QImage& source)
{
    return source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
        ? source
        : source.convertToFormat(QImage::Format_RGB32);
}

BmpSourceRow rowsOf(const QImage& image)
{
    return [&image](int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); };
}

QImage imageOf(BmpPixels&& read)
{
    if (read.forPlatform.isEmpty()) return adoptPixels(std::move(read.pixels));
    return withPictureMemory(read.width, read.height, [&] {
        QImage image = platformRead(read.forPlatform);
        if (image.isNull()) throw Error(kInvalidBitmap);
        if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32) return image;
        const QImage converted =
            image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (converted.isNull()) notEnoughMemory(read.width, read.height);
        return converted;
    });
}

} // namespace

QImage readBmp(const QByteArray& bytes)
{
    return imageOf(readBmpPixels(bytes));
}

QImage readBmp(QIODevice& stream)
{
    return imageOf(readBmpPixels(stream));
}

QByteArray encodeBmp24(const QImage& source)
{
    const QImage image = in32Bits(source);
    return encodeBmp24Rows(image.width(), image.height(), rowsOf(image));
}

void writeBmp24(const QImage& source, QIODevice& stream)
{
    const QImage image = in32Bits(source);
    writeBmp24Rows(image.width(), image.height(), rowsOf(image), stream);
}

void saveBmp24(const QImage& image, const QString& path)
{
    saveWhole(path, SaveMessages::PictureLayer, [&](QIODevice& file) { writeBmp24(image, file); });
}

} // namespace quorvel

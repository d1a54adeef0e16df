#include "graphics/Bitmap.h"

#include "graphics/BmpReader.h"
#include "graphics/BmpWriter.h"
#include "base/Error.h"

#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace quorvel {

QImage toBitmapFormat(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

Bitmap::Bitmap(int width, int height) : image_(width, height, QImage::Format_RGB32)
{
    clearToWhite();
}

Bitmap::Bitmap(const QImage& image) : image_(toBitmapFormat(image)) {}

void Bitmap::setImage(const QImage& image)
{
    image_ = toBitmapFormat(image);
}

void Bitmap::setSize(int width, int height)
{
    if (width == image_.width() && height == image_.height()) return;
    QImage resized(width, height, image_.isNull() ? QImage::Format_RGB32 : image_.format());
    resized.fill(Qt::white);
    const int w = std::min(width, image_.width());
    const int h = std::min(height, image_.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(resized.scanLine(y), image_.constScanLine(y), std::size_t(w) * 4);
    image_ = resized;
}

void Bitmap::clearToWhite()
{
    image_.fill(Qt::white);
}

QImage Bitmap::colourAndAlpha() const
{
    return image_.hasAlphaChannel() ? image_.convertToFormat(QImage::Format_ARGB32) : QImage();
}

void Bitmap::draw(QPainter& painter, const QRect& target) const
{
    if (image_.isNull()) return;
    painter.drawImage(target, image_);
}

void Bitmap::loadFromStream(QIODevice& stream)
{
    image_ = decodeBmp(stream);
}

std::optional<QSize> Bitmap::sizeFromHeader(const QByteArray& head) const
{
    return bmpDeclaredSize(head);
}

void Bitmap::saveToStream(QIODevice& stream) const
{
    writeBmp24(image_, stream);
}

QImage Bitmap::decodeBmp(const QByteArray& bytes)
{
    return toBitmapFormat(readBmp(bytes));
}

QImage Bitmap::decodeBmp(QIODevice& stream)
{
    return toBitmapFormat(readBmp(stream));
}

} // namespace quorvel

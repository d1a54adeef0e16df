#include "graphics/Icon.h"

#include "graphics/Error.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace quorvel {

void Icon::draw(QPainter& painter, const QRect& target) const
{
    if (!image_.isNull()) painter.drawImage(target, image_);
}

void Icon::loadFromStream(QIODevice& stream)
{
    QByteArray bytes = stream.readAll();
    // An icon file starts with reserved 0, type 1 (icon) or 2 (cursor) and at least one entry.
    if (bytes.size() < 6 || bytes[0] != 0 || bytes[1] != 0 || (bytes[2] != 1 && bytes[2] != 2) || bytes[3] != 0
        || (bytes[4] == 0 && bytes[5] == 0))
        throw Error("Icon image is not valid");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QImage image = reader.read();
    if (image.isNull()) throw Error("Icon image is not valid");
    image_ = image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace quorvel

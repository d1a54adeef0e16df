// An icon: the first image of a Windows icon file, with its transparency, read by the platform.
#pragma once

#include "graphics/Graphic.h"

#include <QImage>

namespace quorvel {

class Icon : public Graphic {
public:
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    const QImage& image() const { return image_; }

    // Draws the icon over what the painter's device holds; transparent pixels leave it as it is.
    void draw(QPainter& painter, const QRect& target) const override;
    // The icon with its transparency.
    QImage colourAndAlpha() const override { return image_.convertToFormat(QImage::Format_ARGB32); }
    // Reads the first image of an icon file ("Icon image is not valid").
    void loadFromStream(QIODevice& stream) override;
    // The first image's size from its DIB header or PNG header, when `head` reaches it.
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;

private:
    QImage image_;
};

} // namespace quorvel

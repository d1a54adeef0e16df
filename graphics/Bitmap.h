// A bitmap: a graphic with a 32-bit pixel grid on a QImage (Format_RGB32, or Format_ARGB32 when
// the picture carries alpha), pixel access by colour value, and Windows bitmap (BMP) streams.
#pragma once

#include "graphics/Colour.h"
#include "graphics/Graphic.h"

#include <QByteArray>
#include <QImage>

namespace quorvel {

class Bitmap : public Graphic {
public:
    Bitmap() = default;
    // A white bitmap of the given size.
    Bitmap(int width, int height);
    // Takes over an image; other formats are converted to a 32-bit one.
    explicit Bitmap(const QImage& image);

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }

    // Resizes, keeping the pixels both sizes share; new pixels are white.
    void setSize(int width, int height);

    const QImage& image() const { return image_; }
    QImage& image() { return image_; }
    void setImage(const QImage& image);

    TColor pixel(int x, int y) const { return fromQRgb(reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x]); }
    void setPixel(int x, int y, TColor colour) { reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = toQRgb(colour); }
    void clearToWhite();

    void draw(QPainter& painter, const QRect& target) const override;
    // The pixels, when they carry an alpha mask.
    QImage colourAndAlpha() const override;
    // Reads a plain Windows bitmap ("Bitmap image is not valid").
    void loadFromStream(QIODevice& stream) override;
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;
    // Writes an uncompressed 24-bit Windows bitmap.
    void saveToStream(QIODevice& stream) const override;

    // Decodes a whole plain Windows bitmap file held in memory.
    static QImage decodeBmp(const QByteArray& bytes);
    // The same from a stream at the file's first byte, read through a small window where it can be.
    static QImage decodeBmp(QIODevice& stream);

private:
    QImage image_;
};

// Converts any image to the 32-bit formats bitmaps hold.
QImage toBitmapFormat(const QImage& image);

} // namespace quorvel

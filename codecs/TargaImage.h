// TTarga: the picture class for Truevision TGA files. It reads uncompressed and run-length
// colour-mapped, true-colour and grey images, keeps the colour in one bitmap and the alpha (as a
// grey picture) in a second, and writes TGA files back, uncompressed at 16, 24 or 32 bits or
// run-length at 24 bits. Only the colour leaves through the graphic interface: `draw` shows the
// colour bitmap, the alpha is read by nothing but the writer.
#pragma once

#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"
#include "codecs/TargaPixels.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class QIODevice;

namespace quorvel {

// The private clipboard format number of TGA pictures.
constexpr std::uint16_t CF_TARGA = 20;

class TTarga : public Graphic {
public:
    TTarga();

    // The size of the last loaded header (0 x 0 before any load).
    int width() const override { return header_.width; }
    int height() const override { return header_.height; }
    // Whether the colour bitmap is empty; after Assign it may differ from the header's size.
    bool empty() const override { return colorBitmap_.empty(); }

    // Stretches the colour bitmap into the rectangle; alpha plays no part.
    void draw(QPainter& painter, const QRect& target) const override;
    // The colour bitmap with the alpha plane, when the image carries one; pixels the plane does
    // not cover are opaque.
    QImage colourAndAlpha() const override;
    // The colour bitmap, when it is opaque and of the header's size.
    QImage drawnAtOwnSize() const override;
    // Decodes one TGA from the stream's current position and leaves the stream just after the
    // pixel data. Fails with "TGA image is truncated", "TGA image is too large" or "TGA
    // run-length data runs past the end of the image"; a failed load leaves the picture as it was.
    void loadFromStream(QIODevice& stream) override;
    // The width and height of the 18-byte header.
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;
    // Writes a TGA: run-length 24-bit for an image loaded from a run-length true-colour file,
    // else uncompressed at the depth SaveDepth chooses.
    void saveToStream(QIODevice& stream) const override;
    // A name ending in ".bmp" (any case) gets the colour bitmap as a Windows bitmap, any other a TGA.
    void saveToFile(const QString& path) const override;

    // From another TTarga both bitmaps are copied; the header, colour map, ImageKind and
    // SaveDepth stay. Any other source fails.
    void Assign(const Graphic& source);

    // The stored-property form: one property "Data" of raw bytes.
    struct StoredProperty {
        QString name;
        bool stored = false; // whether the property is written
        std::function<void(QIODevice&)> read;
        std::function<void(QIODevice&)> write;
    };
    // `ancestor` is the graphic inherited from, or nullptr. The data is written when there is
    // no ancestor and the picture is not empty, or when the ancestor differs from this picture.
    StoredProperty DefineProperties(const Graphic* ancestor);
    // A short name (length byte, at most 63 characters), then an uncompressed 32-bit TGA.
    void WriteData(QIODevice& stream);
    // Skips the short name, then reads a Windows bitmap (starting "BM") into the colour bitmap
    // or a TGA.
    void ReadData(QIODevice& stream);

    // The clipboard form: format 20, and a block holding the TGA stream's length (4 bytes, low
    // byte first) followed by the stream.
    void SaveToClipboardFormat(std::uint16_t& format, QByteArray& data, std::uint32_t& palette) const;
    // Does nothing unless the format is 20 and there is data.
    void LoadFromClipboardFormat(std::uint16_t format, const QByteArray& data, std::uint32_t palette);

    // Whether two pictures of this kind would store the same TGA stream.
    bool equals(const Graphic& other) const;

    // Pixel size of the uncompressed writer: 1 = 16 bits, 2 = 24 bits, 3 = 32 bits, else 24.
    std::uint8_t SaveDepth = 0;
    // Called after every load.
    std::function<void()> OnImageChange;

    std::uint8_t ImageKind() const { return imageKind_; }
    void setImageKind(std::uint8_t kind) { imageKind_ = kind; }
    const TargaHeader& header() const { return header_; }
    const TargaColorMap& ColorMap() const { return colorMap_; }
    const Bitmap& colorBitmap() const { return colorBitmap_; }
    Bitmap& colorBitmap() { return colorBitmap_; }
    // The alpha bitmap: one grey byte per pixel (QImage::Format_Grayscale8). Empty when the
    // image carries no alpha; the writer then writes every alpha as 255.
    const QImage& alphaPlane() const { return alpha_; }
    void setAlphaPlane(const QImage& alpha) { alpha_ = alpha.convertToFormat(QImage::Format_Grayscale8); }

    static constexpr int colorMapCapacity = kTargaColorMapCapacity;

private:
    void saveRle(QIODevice& stream) const;
    void saveUncompressed(QIODevice& stream) const;

    TargaHeader header_;
    std::uint8_t imageKind_ = tgaNone;
    TargaColorMap colorMap_{};
    Bitmap colorBitmap_;
    QImage alpha_;
};

} // namespace quorvel

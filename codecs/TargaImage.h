// TTarga: the picture class for Truevision TGA files. It reads uncompressed and run-length
// colour-mapped, true-colour and grey images, keeps the colour in one bitmap and the alpha (as a
// grey picture) in a second, and writes TGA files back, uncompressed at 16, 24 or 32 bits or
// run-length at 24 bits. Only the colour leaves through the graphic interface: `draw` shows the
// colour bitmap, the alpha is read by nothing but the writer.
#pragma once

#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class QIODevice;

namespace quorvel {

// The 18-byte header of the last loaded file, field by field.
struct TargaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t colorMapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t colorMapFirst = 0;  // pixel value of the map's first stored entry
    std::uint16_t colorMapLength = 0; // entries stored in the file
    std::uint8_t colorMapEntrySize = 0;
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelDepth = 0;
    std::uint8_t attributeBits = 0; // descriptor bits 0-3
    bool topDown = false;           // descriptor bit 5: the first stored row is the top row
    bool rightToLeft = false;       // descriptor bit 4: each row is stored right to left
};

// One colour map entry, in palette-entry order; `extra` is the alpha of a 32-bit entry, else 0.
struct TargaColorMapEntry {
    std::uint8_t red = 0, green = 0, blue = 0, extra = 0;
};

// The kind of the last loaded image.
enum TargaImageKind : std::uint8_t {
    tgaNone = 0,
    tgaColorMapped = 1,
    tgaTrueColor = 2,
    tgaGray = 3,
    tgaRleColorMapped = 4,
    tgaRleTrueColor = 5,
    tgaRleGray = 6,
};

// A run-length packet that did not end with the row it started in: the pixels it still owes to
// the next row. For a run the pixel is kept here; a raw packet's pixels are still in the input.
struct RlePacket {
    int remaining = 0;
    bool run = false;
    std::array<std::uint8_t, 4> pixel{};
};

struct RleRowResult {
    std::size_t consumed = 0; // input bytes used
    std::size_t produced = 0; // output bytes written
};

// Decodes TGA run-length packets of `pixelSize` bytes (1 to 4; any other size does nothing) from
// `in[0, inSize)` into `out` until `outSize` bytes exist. A packet that runs past the row end
// leaves the rest in `pending`, and the next call finishes it first. Never reads past `inSize` or
// writes past `outSize`; when the input ends first, `produced` is less than `outSize` and the
// result holds exactly what was decoded (the input is truncated).
RleRowResult DecodeRleRow(const std::uint8_t* in, std::size_t inSize, int pixelSize, std::uint8_t* out,
                          std::size_t outSize, RlePacket& pending);

// The most bytes EncodeRleRow writes for a row of `width` 24-bit pixels.
constexpr std::size_t EncodeRleBound(std::size_t width) { return 3 * width + (width + 127) / 128; }

// Packs one row of `width` 24-bit pixels (blue, green, red) into TGA run-length packets of at
// most 128 pixels: two or more equal neighbours form a run packet, other pixels raw packets; no
// packet crosses the row. `out` must hold EncodeRleBound(width) bytes. Returns the packed length.
std::size_t EncodeRleRow(const std::uint8_t* row, std::size_t width, std::uint8_t* out);

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
    const std::array<TargaColorMapEntry, 1000>& ColorMap() const { return colorMap_; }
    const Bitmap& colorBitmap() const { return colorBitmap_; }
    Bitmap& colorBitmap() { return colorBitmap_; }
    // The alpha bitmap: one grey byte per pixel (QImage::Format_Grayscale8). Empty when the
    // image carries no alpha; the writer then writes every alpha as 255.
    const QImage& alphaPlane() const { return alpha_; }
    void setAlphaPlane(const QImage& alpha) { alpha_ = alpha.convertToFormat(QImage::Format_Grayscale8); }

    static constexpr int colorMapCapacity = 1000;

private:
    void saveRle(QIODevice& stream) const;
    void saveUncompressed(QIODevice& stream) const;

    TargaHeader header_;
    std::uint8_t imageKind_ = tgaNone;
    std::array<TargaColorMapEntry, colorMapCapacity> colorMap_{};
    Bitmap colorBitmap_;
    QImage alpha_;
};

} // namespace quorvel

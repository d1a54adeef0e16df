// SPCXImg: the PCX reader. TSPCX256 turns a run-length encoded PCX file (16 colours in four
// 1-bit planes, 256 colours in one 8-bit plane, or 24 bits in three 8-bit planes) into a 32-bit
// image; TSPCXBitmap is the picture class the registry creates for .pcx files.
#pragma once

#include "codecs/UniBmp.h"
#include "base/Error.h"
#include "base/Limits.h"

#include "graphics/PixelImage.h"

#include <QList>
#include <QRgb>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

class QIODevice;

namespace quorvel {
class StreamWindow;
}

namespace quorvel {

class EPCXException : public Error {
public:
    using Error::Error;
};

class TSPCX256 {
public:
    // Image kinds, named by the number the reader has always used for them.
    enum Kind { Colours16 = 18, Colours256 = 19, TrueColour = 21 };

    // Converts the whole PCX file; the stream must hold it from its first byte.
    void ReadPcx(QIODevice& source);
    // The width and height the 128-byte header of `head` (the file's first bytes) declares, or
    // nothing when the header is not one the reader takes.
    static std::optional<QSize> declaredSize(const QByteArray& head);

    // The decoded picture (Format_RGB32), and what it was stored as: 4, 8 or 24 bits per pixel
    // and, for the first two, its palette (16 or 256 colours).
    const PixelImage& pixels() const { return image_; }
    PixelImage takePixels() { return std::move(image_); }
    int bitsPerPixel() const;
    QList<QRgb> colourTable() const;

    // Raises EPCXException with message n (1 to 3) of the header checks.
    [[noreturn]] static void PcxError(int n);

private:
    // Takes the 128-byte header at `head` (`size` bytes are there).
    void ReadHeader(const std::uint8_t* head, qsizetype size);
    // The 256-colour palette at the end of a version-5 file of `fileSize` bytes.
    void ReadVgaPalette(QIODevice& source, qint64 fileSize);
    void checkDeclaredSize(qint64 fileSize) const;
    void decodePixels(StreamWindow& in);
    // Fills the line buffer with the next scan line (all planes); runs may cross line ends.
    void DecodeLine(StreamWindow& in);
    // Decodes from [in, end) into the line until it is full or, unless `last` (the stream ends at
    // `end`), fewer than eight bytes are left; `in` is left at the first byte not used.
    void decodeLinePart(const std::uint8_t*& in, const std::uint8_t* end, bool last, std::size_t& filled);
    void convertLine(int y);

    int carryOver_ = 0;          // bytes of the last run still owed to the next scan line
    std::uint8_t current_ = 0;   // the value of that run
    Kind kind_ = Colours256;
    int version_ = 0;
    int width_ = 0;
    int height_ = 0;
    int planes_ = 0;
    int bytesPerLine_ = 0;
    std::array<std::uint8_t, 48> headerPalette_{};
    std::array<std::uint8_t, 768> vgaPalette_{};
    std::array<QRgb, 256> colours_{};
    std::size_t lineLength_ = 0; // planes × bytes per line
    std::vector<std::uint8_t> line_;
    PixelImage image_;
};

// The PCX picture class: a bitmap whose stream loader is the PCX reader.
class TSPCXBitmap : public TUniBitmap {
public:
    using TUniBitmap::TUniBitmap;
    void loadFromStream(QIODevice& stream) override;
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;
};

} // namespace quorvel

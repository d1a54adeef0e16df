// SGIFImg: the GIF reader (GIF87a and GIF89a). TSGIF decodes the first image of a GIF file into
// a 32-bit image in the colours of its colour table; TSGIFBitmap is the picture class the
// registry creates for .gif files. Animation, later images and the logical screen are not drawn.
#pragma once

#include "codecs/UniBmp.h"
#include "graphics/Colour.h"
#include "base/Error.h"
#include "base/Limits.h"

#include "graphics/PixelImage.h"

#include <QRgb>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QIODevice;

namespace quorvel {
class StreamWindow;
}

namespace quorvel {

class EGIFException : public Error {
public:
    using Error::Error;
};

class TSGIF {
public:
    // Every failure of the decoder is one of these, numbered from 0 (Ok) in this order;
    // StatusText gives its message.
    enum Status {
        Ok,
        BadFile,
        BadRead,
        UnexpectedEnd,
        BadLzwCode,
        BadFirstCode,
        FileNotFound,
        BadSymbolSize,
        TooLarge,
    };
    static QString StatusText(int status);

    // Decodes the first image; the stream must hold the file from its first byte. A failure
    // raises EGIFException with the status's message.
    void ReadGif(QIODevice& source);
    // The first image's width and height, found in `head` (the file's first bytes) by passing
    // over the blocks before it, without decoding; nothing when `head` does not reach it.
    static std::optional<QSize> declaredSize(const QByteArray& head);

    // The first image (Format_RGB32); indexes past the colour table that was read are black.
    const PixelImage& pixels() const { return image_; }
    PixelImage takePixels() { return std::move(image_); }
    // The palette entry at a graphic control extension's transparent index, whether or not the
    // extension marks it as used.
    bool hasTransparency() const { return transparent_; }
    TColor transparentColour() const { return transparentColour_; }

private:
    int ReadImage(StreamWindow& in);
    // Passes over the blocks up to the first image descriptor and reads it: its size, its
    // colour table; `in` is left at the LZW minimum code size.
    int findImage(StreamWindow& in);
    int ReadExtension(StreamWindow& in);
    int DecodeLzw(StreamWindow& in, int minimumCodeSize);
    int decodePixels(StreamWindow& in, int minimumCodeSize, std::uint64_t total);
    // Reads a colour table of 2^(n+1) entries into a palette cleared to black.
    int readColourTable(StreamWindow& in, int sizeBits);
    // Passes over data sub-blocks up to their zero terminator.
    int skipSubBlocks(StreamWindow& in);
    // The colour of every palette index; indexes past the colour table are black.
    std::array<QRgb, 256> colours() const;
    // Moves the rows of an interlaced image, decoded in the order they arrive, to their places.
    void deinterlace(PixelImage& image) const;

    std::array<std::uint8_t, 768> palette_{};
    int tableSize_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool interlaced_ = false;
    bool transparent_ = false;
    TColor transparentColour_ = 0;
    PixelImage image_;
};

// The GIF picture class: a bitmap whose stream loader is the GIF reader.
class TSGIFBitmap : public TUniBitmap {
public:
    using TUniBitmap::TUniBitmap;
    void loadFromStream(QIODevice& stream) override;
    std::optional<QSize> sizeFromHeader(const QByteArray& head) const override;

    // After a load: the GIF's transparent colour, or, without a graphic control extension, the
    // colour of the bottom-left pixel (what bitmaps take as transparent).
    TColor transparentColour() const { return transparentColour_; }
    bool loaded() const { return loaded_; }

private:
    TColor transparentColour_ = 0;
    bool loaded_ = false;
};

} // namespace quorvel

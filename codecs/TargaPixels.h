// Decoding of Truevision TGA files into pixels, which needs nothing of the platform's image
// class; TTarga (TargaImage.h) is the picture class over it.
#pragma once

#include "graphics/PixelImage.h"

#include <QRgb>

#include <array>
#include <cstddef>
#include <cstdint>

class QIODevice;

namespace quorvel {

inline constexpr const char* kTgaTruncated = "TGA image is truncated";
inline constexpr const char* kTgaTooLarge = "TGA image is too large";

// The 18-byte header of a file, field by field.
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

// The colour map a picture keeps: the entries a file does not set stay from the one before.
constexpr int kTargaColorMapCapacity = 1000;
using TargaColorMap = std::array<TargaColorMapEntry, kTargaColorMapCapacity>;

// What one load gives: the header, the colour map (`colorMap` with the file's entries), the kind
// and writer depth it gives the picture, the colour (RGB32) and, for 32-bit true colour, the
// alpha (Grey8) pixels.
struct TargaPixels {
    TargaHeader header;
    TargaColorMap colorMap{};
    std::uint8_t imageKind = 0, saveDepth = 0;
    PixelImage colour, alpha;
};

// Decodes one TGA from the stream's current position and leaves the stream just after the
// pixel data; `imageKind` and `saveDepth` are the picture's, which a kind that sets neither
// keeps. Fails with "TGA image is truncated", "TGA image is too large" or "TGA run-length data
// runs past the end of the image".
TargaPixels readTarga(QIODevice& stream, const TargaColorMap& colorMap, std::uint8_t imageKind, std::uint8_t saveDepth);

} // namespace quorvel

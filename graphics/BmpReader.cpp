#include "graphics/BmpReader.h"

#include "base/Error.h"
#include "base/LittleEndian.h"
#include "graphics/DibRows.h"
#include "base/Limits.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"


#include <algorithm>
#include <array>
#include <climits>

namespace quorvel {

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kCoreHeaderSize = 12;
// Every header field and mask the layout reads lies within the first 70 bytes.
constexpr qint64 kHeadBytes = 1024;

[[noreturn]] void invalid()
{
    throw Error(kInvalidBitmap);
}

// What the headers say, as far as the checks and the decoders here need it.
struct BmpLayout {
    std::int64_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, always positive
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    std::int64_t paletteEntries = 0;
    std::int64_t paletteEntrySize = 4;
    std::int64_t dataOffset = 0; // the file header's offset field
    std::int64_t headersEnd = 0; // after headers, masks and palette
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha
    bool hasAlphaMask = false;

    std::int64_t pixelStart() const { return dataOffset > headersEnd ? dataOffset : headersEnd; }
    std::int64_t stride() const { return (width * bitsPerPixel + 31) / 32 * 4; }
    // The last row may lack its padding.
    std::int64_t lastRowBytes() const { return (width * bitsPerPixel + 7) / 8; }
    // The 24-bit and 32-bit bit-field layouts, decoded here rather than by the platform's reader.
    bool decodedHere() const
    {
        return (compression == kRgb && bitsPerPixel == 24) || (bitsPerPixel == 32 && compression != kRgb);
    }
};

// `bytes` holds the file's first bytes, all of it or at least the first kHeadBytes; `size` is the
// whole file's.
BmpLayout readLayout(const QByteArray& bytes, std::int64_t size)
{
    if (size < kFileHeaderSize + kCoreHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') invalid();
    BmpLayout l;
    l.dataOffset = u32At(bytes, 10);
    l.headerSize = u32At(bytes, 14);
    if (l.headerSize != kCoreHeaderSize && l.headerSize < 16) invalid();
    if (kFileHeaderSize + l.headerSize > size) invalid();

    std::int64_t clrUsed = 0;
    if (l.headerSize == kCoreHeaderSize) {
        l.width = u16At(bytes, 18);
        l.height = u16At(bytes, 20);
        l.bitsPerPixel = u16At(bytes, 24);
        l.paletteEntrySize = 3;
    } else {
        l.width = std::int32_t(u32At(bytes, 18));
        const std::int32_t height = std::int32_t(u32At(bytes, 22));
        if (height == INT_MIN) invalid();
        l.topDown = height < 0;
        l.height = height < 0 ? -std::int64_t(height) : height;
        l.bitsPerPixel = u16At(bytes, 28);
        if (l.headerSize >= 20) l.compression = u32At(bytes, 30);
        if (l.headerSize >= 36) clrUsed = u32At(bytes, 46);
    }
    if (l.width <= 0 || l.height <= 0 || !pictureSizeAllowed(l.width, l.height)) invalid();

    switch (l.bitsPerPixel) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: invalid();
    }
    const bool fields = l.compression == kBitFields || l.compression == kAlphaBitFields;
    if ((l.compression == kRle8 && l.bitsPerPixel != 8) || (l.compression == kRle4 && l.bitsPerPixel != 4)
        || (fields && l.bitsPerPixel != 16 && l.bitsPerPixel != 32)
        || (l.compression != kRgb && l.compression != kRle8 && l.compression != kRle4 && !fields))
        invalid();

    l.headersEnd = kFileHeaderSize + l.headerSize;
    if (fields) {
        // The masks follow a 40-byte header and sit at the same place inside longer ones.
        const int maskCount = l.compression == kAlphaBitFields || l.headerSize >= 56 ? 4 : 3;
        const std::int64_t masksEnd = kFileHeaderSize + 40 + 4 * maskCount;
        if (l.headerSize < 40 || masksEnd > size) invalid();
        l.headersEnd = std::max(l.headersEnd, masksEnd);
        for (int i = 0; i < maskCount; ++i) l.masks[std::size_t(i)] = u32At(bytes, kFileHeaderSize + 40 + 4 * i);
        l.hasAlphaMask = maskCount == 4 && l.masks[3] != 0;
    }
    if (l.bitsPerPixel <= 8) {
        const std::int64_t full = std::int64_t(1) << l.bitsPerPixel;
        l.paletteEntries = clrUsed > 0 && clrUsed < full ? clrUsed : full;
        l.headersEnd += l.paletteEntries * l.paletteEntrySize;
    }
    return l;
}

} // namespace

std::optional<QSize> bmpDeclaredSize(const QByteArray& head)
{
    if (head.size() < kFileHeaderSize + kCoreHeaderSize || head[0] != 'B' || head[1] != 'M') return std::nullopt;
    const std::int64_t headerSize = u32At(head, 14);
    if (headerSize == kCoreHeaderSize) return QSize(u16At(head, 18), u16At(head, 20));
    if (headerSize < 16 || head.size() < 26) return std::nullopt;
    const std::int32_t height = std::int32_t(u32At(head, 22));
    if (height == INT_MIN) return std::nullopt;
    return QSize(std::int32_t(u32At(head, 18)), height < 0 ? -height : height);
}

namespace {

// The pixel data must be there in full; only the padding of the last row may be missing.
void checkPixelData(std::int64_t size, const BmpLayout& l)
{
    const std::int64_t start = l.pixelStart();
    if (l.compression == kRle8 || l.compression == kRle4) {
        // Run-length data has no fixed size; at least one code must be there.
        if (start + 2 > size) invalid();
        return;
    }
    if (start + l.stride() * (l.height - 1) + l.lastRowBytes() > size) invalid();
}

// An OS/2 core bitmap whose pixel data starts before the end of a full-sized palette holds a short
// palette; the platform's reader would take pixel bytes for colours. Pads the palette with black.
QByteArray padShortCorePalette(const QByteArray& bytes, const BmpLayout& l)
{
    const std::int64_t paletteStart = kFileHeaderSize + kCoreHeaderSize;
    const std::int64_t shortBy = l.headersEnd - l.dataOffset;
    if (l.dataOffset < paletteStart || shortBy <= 0 || l.dataOffset > bytes.size()) return bytes;
    QByteArray padded = bytes.left(qsizetype(l.dataOffset));
    padded.append(qsizetype(shortBy), '\0');
    padded.append(bytes.constData() + l.dataOffset, qsizetype(bytes.size() - l.dataOffset));
    const std::uint32_t offset = std::uint32_t(l.headersEnd);
    for (int i = 0; i < 4; ++i) padded[10 + i] = char(offset >> (8 * i) & 0xFF);
    return padded;
}

PixelImage newImage(const BmpLayout& l, PixelImage::Format format)
{
    return PixelImage(int(l.width), int(l.height), format);
}

DibRowDecoder rowDecoder(const BmpLayout& l)
{
    DibRowFormat format;
    format.bitsPerPixel = l.bitsPerPixel;
    format.masks = l.masks; // 24 bits use none
    format.scale = DibChannelScale::Rounded;
    return DibRowDecoder(format);
}

PixelImage newRowsImage(const BmpLayout& l)
{
    return newImage(l, l.hasAlphaMask ? PixelImage::Format::ARGB32 : PixelImage::Format::RGB32);
}

PixelImage decodeRows(const QByteArray& bytes, const BmpLayout& l)
{
    PixelImage image = newRowsImage(l);
    const auto* rows = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + l.pixelStart();
    rowDecoder(l).decodeImage(rows, !l.topDown, image);
    return image;
}

// The same through a window over the stream, from `start`, the file's first byte; the caller has
// checked that the rows are there.
PixelImage decodeRows(QIODevice& stream, qint64 start, const BmpLayout& l)
{
    PixelImage image = newRowsImage(l);
    if (!stream.seek(start + l.pixelStart())) invalid();
    StreamWindow in(stream, kInvalidBitmap);
    const DibRowDecoder decoder = rowDecoder(l);
    const std::size_t stride = std::size_t(l.stride()), last = std::size_t(l.lastRowBytes());
    for (std::int64_t row = 0; row < l.height; ++row) {
        const std::int64_t y = l.topDown ? row : l.height - 1 - row;
        std::size_t available = 0;
        const std::uint8_t* bytes = in.peek(stride, available);
        if (available < last) invalid(); // the file was cut while it was read
        decoder.decodeRow(bytes, l.width, reinterpret_cast<QRgb*>(image.scanLine(int(y))));
        in.consume(std::min(stride, available));
    }
    return image;
}

// The colour table as pixels; indices past its end are black.
std::array<QRgb, 256> readPalette(const QByteArray& bytes, const BmpLayout& l)
{
    const auto* table = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + kFileHeaderSize + l.headerSize;
    return readDibPalette(table, l.paletteEntries, int(l.paletteEntrySize));
}

// Run-length data (8 or 4 bits per pixel). Pixels the data skips (delta codes, early ends of line
// or bitmap, data that stops short) keep colour 0; runs past the end of a row are clipped.
PixelImage decodeRle(const QByteArray& bytes, const BmpLayout& l)
{
    const std::array<QRgb, 256> palette = readPalette(bytes, l);
    PixelImage image = newImage(l, PixelImage::Format::RGB32);
    image.fill(palette[0]);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::int64_t end = bytes.size();
    const bool four = l.compression == kRle4;
    std::int64_t at = l.pixelStart();
    std::int64_t x = 0, row = 0; // row counts in storage order
    QRgb* out = nullptr;
    const auto selectRow = [&] {
        out = row < l.height ? reinterpret_cast<QRgb*>(image.scanLine(int(l.topDown ? row : l.height - 1 - row)))
                             : nullptr;
    };
    const auto put = [&](std::uint8_t index) {
        if (x < l.width) out[x] = palette[index];
        ++x;
    };
    selectRow();
    while (out && end - at >= 2) {
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i) put(four ? (i & 1 ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++row;
            selectRow();
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (end - at < 2) break;
            x += data[at];
            row += data[at + 1];
            at += 2;
            selectRow();
        } else {
            const std::int64_t stored = four ? (value + 1) / 2 : value;
            const std::int64_t available = std::min(stored, end - at);
            for (int i = 0; i < value && i / (four ? 2 : 1) < available; ++i) {
                const std::uint8_t byte = data[at + (four ? i / 2 : i)];
                put(four ? (i & 1 ? byte & 0x0F : byte >> 4) : byte);
            }
            at += stored + (stored & 1); // absolute runs are padded to a 16-bit boundary
        }
    }
    return image;
}

} // namespace

BmpPixels readBmpPixels(const QByteArray& source)
{
    QByteArray bytes = source;
    BmpLayout layout = readLayout(bytes, bytes.size());
    BmpPixels read;
    read.width = layout.width;
    read.height = layout.height;
    withPictureMemory(layout.width, layout.height, [&] {
        if (layout.headerSize == kCoreHeaderSize && layout.bitsPerPixel <= 8) {
            bytes = padShortCorePalette(bytes, layout);
            layout = readLayout(bytes, bytes.size());
        }
        checkPixelData(bytes.size(), layout);

        if (layout.compression == kRle8 || layout.compression == kRle4) read.pixels = decodeRle(bytes, layout);
        else if (layout.decodedHere()) read.pixels = decodeRows(bytes, layout);
        else read.forPlatform = bytes;
    });
    return read;
}

BmpPixels readBmpPixels(QIODevice& stream)
{
    if (stream.isSequential()) return readBmpPixels(readToEnd(stream));
    const qint64 start = stream.pos();
    const std::int64_t size = stream.size() - start;
    // A device that gives fewer bytes than its size says holds no whole header either.
    const QByteArray head = peekHead(stream, kHeadBytes);
    if (head.size() < std::min<std::int64_t>(size, kHeadBytes)) invalid();
    const BmpLayout layout = readLayout(head, size);
    if (!layout.decodedHere()) return readBmpPixels(readToEnd(stream));
    BmpPixels read;
    read.width = layout.width;
    read.height = layout.height;
    withPictureMemory(layout.width, layout.height, [&] {
        checkPixelData(size, layout);
        read.pixels = decodeRows(stream, start, layout);
    });
    return read;
}

} // namespace quorvel

#include "codecs/SGIFImg.h"

#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvel {

namespace {

constexpr int kMaxCodes = 4096;
// Pixels a string copy may write past its end, in whole 16-byte moves.
constexpr std::size_t kCopyPixels = 4;

// The string table of the LZW decoder: where each code's string was written, and its length.
// The one-pixel strings of the roots are not in the picture: their colours are.
struct LzwTable {
    std::array<std::uint32_t, kMaxCodes> offset{};
    std::array<std::uint16_t, kMaxCodes> length{};
    int minimumCodeSize = 0;
    int clear = 0;
    int next = 0;
    int codeWidth = 0;
    std::uint64_t mask = 0;

    explicit LzwTable(int minimum) : minimumCodeSize(minimum), clear(1 << minimum)
    {
        for (int c = 0; c < clear; ++c) length[std::size_t(c)] = 1;
        reset();
    }
    void reset()
    {
        next = clear + 2;
        codeWidth = minimumCodeSize + 1;
        mask = (std::uint64_t(1) << codeWidth) - 1;
    }
    // Adds the previous string and one more pixel, written at `at`; the codes widen as the
    // table fills, up to 12 bits.
    void add(int previous, std::size_t at)
    {
        if (next >= kMaxCodes) return;
        offset[std::size_t(next)] = std::uint32_t(at);
        length[std::size_t(next)] = std::uint16_t(length[std::size_t(previous)] + 1);
        ++next;
        if (next > int(mask) && codeWidth < 12) {
            ++codeWidth;
            mask = (std::uint64_t(1) << codeWidth) - 1;
        }
    }
};

// The image data's sub-blocks, read one at a time through the window. They end at a zero size
// byte, at the end of the file, or at a sub-block the file cannot hold.
struct SubBlocks {
    StreamWindow& in;
    const std::uint8_t* block = nullptr;
    std::size_t left = 0;
    bool ended = false;

    bool next()
    {
        if (ended) return false;
        std::size_t available = 0;
        const std::uint8_t* at = in.peek(1, available);
        const std::size_t size = available == 1 ? at[0] : 0;
        if (size > 0) at = in.peek(1 + size, available);
        if (size == 0 || available < 1 + size) {
            ended = true;
            return false;
        }
        in.consume(1 + size);
        block = at + 1;
        left = size;
        return true;
    }
};

// The codes of the data, least significant bit first.
struct CodeReader {
    SubBlocks blocks;
    std::uint64_t bits = 0;
    int bitCount = 0;

    // The next code of `width` bits, or -1 when the data ends first.
    int take(int width, std::uint64_t mask)
    {
        if (bitCount < width) {
            refill();
            if (bitCount < width) return -1;
        }
        const int code = int(bits & mask);
        bits >>= width;
        bitCount -= width;
        return code;
    }

private:
    void refill()
    {
        if (blocks.left >= 8) {
            // Eight bytes at once: the bytes past those counted stand where the next refill puts
            // them again, so OR-ing them in early changes nothing.
            std::uint64_t eight;
            std::memcpy(&eight, blocks.block, 8);
            bits |= eight << bitCount;
            const int taken = (63 - bitCount) / 8;
            blocks.block += taken;
            blocks.left -= std::size_t(taken);
            bitCount += 8 * taken;
            return;
        }
        while (bitCount <= 56 && (blocks.left > 0 || blocks.next())) {
            bits |= std::uint64_t(*blocks.block++) << bitCount;
            --blocks.left;
            bitCount += 8;
        }
    }
};

// Copies the string of a known code, `count` pixels from `from`, to `position`; pixels beyond
// `limit` are dropped.
void copyString(QRgb* pixels, std::size_t from, std::size_t position, std::size_t count, std::size_t limit)
{
    if (position >= limit) return;
    const QRgb* source = pixels + from;
    QRgb* to = pixels + position;
    if (position + (count + kCopyPixels - 1) / kCopyPixels * kCopyPixels <= limit) {
        // The piece ends before `to`, so whole moves never read what they write within the
        // piece; what they write past it is overwritten by the next code.
        for (std::size_t i = 0; i < count; i += kCopyPixels) {
            QRgb four[kCopyPixels];
            std::memcpy(four, source + i, sizeof four);
            std::memcpy(to + i, four, sizeof four);
        }
    } else {
        std::memcpy(to, source, (std::min(count, limit - position)) * sizeof(QRgb));
    }
}

// The code being defined: the previous string followed by its own first pixel, which is the
// pixel this copy writes first, so the copy goes pixel by pixel.
void copyNewString(QRgb* pixels, std::size_t from, std::size_t position, std::size_t count, std::size_t limit)
{
    if (position >= limit) return;
    const QRgb* source = pixels + from;
    QRgb* to = pixels + position;
    const std::size_t n = std::min(count, limit - position);
    for (std::size_t i = 0; i < n; ++i) to[i] = source[i];
}

// Reads exactly `count` bytes, or nothing when the stream ends first.
const std::uint8_t* takeBytes(StreamWindow& in, std::size_t count)
{
    std::size_t available = 0;
    const std::uint8_t* at = in.peek(count, available);
    if (available < count) return nullptr;
    in.consume(count);
    return at;
}

// The next byte, or -1 at the end of the stream.
int takeByte(StreamWindow& in)
{
    const std::uint8_t* at = takeBytes(in, 1);
    return at ? *at : -1;
}

const char* const kTruncated = "Unexpected End";

} // namespace

QString TSGIF::StatusText(int status)
{
    switch (status) {
    case Ok: return QStringLiteral("Ok");
    case BadFile: return QStringLiteral("Bad File");
    case BadRead: return QStringLiteral("Bad Read");
    case UnexpectedEnd: return QStringLiteral("Unexpected End");
    case BadLzwCode: return QStringLiteral("Bad LZW Code");
    case BadFirstCode: return QStringLiteral("Bad First Code");
    case FileNotFound: return QStringLiteral("File Not Found");
    case BadSymbolSize: return QStringLiteral("Bad Symbol Size");
    case TooLarge: return QStringLiteral("Image Too Large");
    default: return QStringLiteral("Unknown");
    }
}

void TSGIF::ReadGif(QIODevice& source)
{
    if (!source.isSequential()) source.seek(0);
    StreamWindow in(source, kTruncated);
    const int status = ReadImage(in);
    if (status != Ok) throw EGIFException(StatusText(status));
}

int TSGIF::readColourTable(StreamWindow& in, int sizeBits)
{
    const int entries = 2 << sizeBits;
    const std::uint8_t* table = takeBytes(in, std::size_t(3 * entries));
    if (!table) return BadRead;
    palette_.fill(0);
    std::memcpy(palette_.data(), table, std::size_t(3 * entries));
    tableSize_ = entries;
    return Ok;
}

std::optional<QSize> TSGIF::declaredSize(const QByteArray& head)
{
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    StreamWindow in(buffer, kTruncated);
    TSGIF decoder;
    if (decoder.findImage(in) != Ok) return std::nullopt;
    return QSize(decoder.width_, decoder.height_);
}

int TSGIF::ReadImage(StreamWindow& in)
{
    if (const int status = findImage(in)) return status;
    const int minimumCodeSize = takeByte(in);
    if (minimumCodeSize < 0) return BadFile;
    return DecodeLzw(in, minimumCodeSize);
}

int TSGIF::findImage(StreamWindow& in)
{
    const std::uint8_t* screen = takeBytes(in, 13);
    if (!screen || std::memcmp(screen, "GIF", 3) != 0) return BadFile;
    const int screenFlags = screen[10];
    if (screenFlags & 0x80)
        if (const int status = readColourTable(in, screenFlags & 0x07)) return status;

    for (;;) {
        // The file must reach an image; the trailer, or any byte that starts no block, before
        // it is a broken file.
        const int introducer = takeByte(in);
        if (introducer < 0) return BadFile;
        if (introducer == 0x00) continue; // stray padding between blocks is passed over
        if (introducer == 0x21) {
            if (const int status = ReadExtension(in)) return status;
            continue;
        }
        if (introducer != 0x2C) return BadFile;

        const std::uint8_t* descriptor = takeBytes(in, 9);
        if (!descriptor) return BadRead;
        width_ = descriptor[4] | descriptor[5] << 8;
        height_ = descriptor[6] | descriptor[7] << 8;
        const int imageFlags = descriptor[8];
        interlaced_ = imageFlags & 0x40;
        if (imageFlags & 0x80) return readColourTable(in, imageFlags & 0x07);
        return Ok;
    }
}

int TSGIF::skipSubBlocks(StreamWindow& in)
{
    for (;;) {
        const int size = takeByte(in);
        if (size < 0) return UnexpectedEnd;
        if (size == 0) return Ok;
        if (!takeBytes(in, std::size_t(size))) return UnexpectedEnd;
    }
}

int TSGIF::ReadExtension(StreamWindow& in)
{
    const int label = takeByte(in);
    if (label < 0) return BadRead;
    int fixed = 0; // block size byte and the fixed fields that follow the label
    switch (label) {
    case 0x01: fixed = 13; break;
    case 0xF9: fixed = 6; break;
    case 0xFF: fixed = 12; break;
    default: break;
    }
    const std::uint8_t* fields = takeBytes(in, std::size_t(fixed));
    if (!fields) return BadRead;
    if (label == 0xF9) {
        // Block size, flags, delay (2), transparent index, terminator. The colour is taken
        // whether or not the flags mark it as used.
        const int index = fields[4];
        transparent_ = true;
        transparentColour_ = index < tableSize_
            ? makeColour(palette_[3 * index], palette_[3 * index + 1], palette_[3 * index + 2])
            : clBlack;
        return Ok;
    }
    return skipSubBlocks(in);
}

int TSGIF::DecodeLzw(StreamWindow& in, int minimumCodeSize)
{
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return BadSymbolSize;
    const std::uint64_t total = std::uint64_t(width_) * std::uint64_t(height_);
    if (total == 0) return BadFile;
    // GIF pictures are decoded row by row and never painted, so strips as long as the 16-bit
    // fields allow are taken; the pixels stay within the cap.
    if (!pictureSizeAllowed(width_, height_, 65535)) return TooLarge;
    return withPictureMemory(width_, height_, [&] { return decodePixels(in, minimumCodeSize, total); });
}

std::array<QRgb, 256> TSGIF::colours() const
{
    std::array<QRgb, 256> colours;
    colours.fill(0xFF000000u);
    for (int i = 0; i < tableSize_; ++i)
        colours[std::size_t(i)] = qRgb(palette_[3 * i], palette_[3 * i + 1], palette_[3 * i + 2]);
    return colours;
}

int TSGIF::decodePixels(StreamWindow& in, int minimumCodeSize, std::uint64_t total)
{
    // The codes are decoded straight into the picture's colours, in the order the rows arrive.
    // Every string in the table is a piece of what was decoded before, so a code is decoded by
    // copying its piece; the roots are their colours.
    const std::array<QRgb, 256> palette = colours();
    PixelImage image(width_, height_, PixelImage::Format::RGB32);
    auto* const pixels = reinterpret_cast<QRgb*>(image.bits());
    const std::size_t limit = std::size_t(total);

    LzwTable table(minimumCodeSize);
    const int endCode = table.clear + 1;
    CodeReader codes{SubBlocks{in}};
    int previous = -1;
    std::size_t position = 0;         // where the next pixel goes
    std::size_t previousPosition = 0; // where the previous code's pixels went
    for (;;) {
        const int code = codes.take(table.codeWidth, table.mask);
        if (code < 0) {
            // Data that stops once the picture is complete lacks only its end code.
            if (position < limit) return UnexpectedEnd;
            break;
        }
        if (code == endCode) break;
        if (code > table.next) return BadLzwCode;
        if (code == table.clear) {
            table.reset();
            previous = -1;
            continue;
        }
        std::size_t count;
        if (code < table.clear) {
            count = 1;
            if (position < limit) pixels[position] = palette[std::size_t(code)];
        } else if (code < table.next) {
            count = table.length[std::size_t(code)];
            copyString(pixels, table.offset[std::size_t(code)], position, count, limit);
        } else {
            if (previous < 0) return BadFirstCode;
            count = std::size_t(table.length[std::size_t(previous)]) + 1;
            copyNewString(pixels, previousPosition, position, count, limit);
        }
        // The previous string and this code's first pixel, where they were just written.
        if (previous >= 0) table.add(previous, std::min(previousPosition, limit));
        previous = code;
        previousPosition = position;
        position += count;
    }

    // An end code before the last pixel leaves the rest at palette index 0.
    if (position < limit) std::fill(pixels + position, pixels + limit, palette[0]);
    if (interlaced_) deinterlace(image);
    image_ = std::move(image);
    return Ok;
}

void TSGIF::deinterlace(PixelImage& image) const
{
    // The image row each arriving row goes to: interlaced images send every eighth row from
    // row 0, then every eighth from row 4, every fourth from row 2, every second from row 1.
    std::vector<int> rows;
    rows.reserve(std::size_t(height_));
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < height_; row += kStep[pass]) rows.push_back(row);

    // The rows are moved in place, cycle by cycle: the arrived row k goes to rows[k], whose
    // arrived row is carried on to its own place, until the cycle closes.
    const std::size_t rowBytes = std::size_t(width_) * sizeof(QRgb);
    std::vector<std::uint8_t> carry(rowBytes), held(rowBytes);
    std::vector<bool> placed(std::size_t(height_), false);
    for (int start = 0; start < height_; ++start) {
        if (placed[std::size_t(start)]) continue;
        std::memcpy(carry.data(), image.constScanLine(start), rowBytes);
        int k = start;
        do {
            const int to = rows[std::size_t(k)];
            uchar* target = image.scanLine(to);
            std::memcpy(held.data(), target, rowBytes);
            std::memcpy(target, carry.data(), rowBytes);
            carry.swap(held);
            placed[std::size_t(k)] = true;
            k = to;
        } while (k != start);
    }
}

} // namespace quorvel

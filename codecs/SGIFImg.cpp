#include "codecs/SGIFImg.h"

#include "base/LittleEndian.h"
#include "graphics/PictureMemory.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvel {

namespace {

constexpr int kMaxCodes = 4096;
// Where the image's pixels start in the decode buffer, and the spare bytes after them.
constexpr std::size_t kIndexBase = 256;
constexpr std::size_t kSpare = 8;

// The string table of the LZW decoder: where each code's string was written, and its length.
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
        for (int c = 0; c < clear; ++c) {
            offset[std::size_t(c)] = std::uint32_t(c);
            length[std::size_t(c)] = 1;
        }
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

// The codes of the joined data, least significant bit first.
struct CodeReader {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t in = 0;
    std::uint64_t bits = 0;
    int bitCount = 0;

    // The next code of `width` bits, or -1 when the data ends first.
    int take(int width, std::uint64_t mask)
    {
        if (bitCount < width) {
            while (bitCount <= 56 && in < size) {
                bits |= std::uint64_t(bytes[in++]) << bitCount;
                bitCount += 8;
            }
            if (bitCount < width) return -1;
        }
        const int code = int(bits & mask);
        bits >>= width;
        bitCount -= width;
        return code;
    }
};

// Copies the string of a known code, `count` pixels from `from`, to `position`; pixels beyond
// `limit` are dropped.
void copyString(std::uint8_t* buffer, std::size_t from, std::size_t position, std::size_t count, std::size_t limit)
{
    if (position >= limit) return;
    const std::uint8_t* source = buffer + from;
    std::uint8_t* to = buffer + position;
    if (position + count <= limit) {
        // The piece ends before `to`, so eight-byte copies never read what they write within
        // the piece.
        for (std::size_t i = 0; i < count; i += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, source + i, 8);
            std::memcpy(to + i, &eight, 8);
        }
    } else {
        std::memcpy(to, source, limit - position);
    }
}

// The code being defined: the previous string followed by its own first pixel, which is the
// pixel this copy writes first, so the copy goes byte by byte.
void copyNewString(std::uint8_t* buffer, std::size_t from, std::size_t position, std::size_t count, std::size_t limit)
{
    if (position >= limit) return;
    const std::uint8_t* source = buffer + from;
    std::uint8_t* to = buffer + position;
    const std::size_t n = std::min(count, limit - position);
    for (std::size_t i = 0; i < n; ++i) to[i] = source[i];
}

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
    file_ = source.readAll();
    position_ = 0;
    const int status = ReadImage();
    file_.clear();
    if (status != Ok) throw EGIFException(StatusText(status));
}

int TSGIF::readColourTable(int sizeBits)
{
    const int entries = 2 << sizeBits;
    if (file_.size() - position_ < 3 * entries) return BadRead;
    palette_.fill(0);
    std::memcpy(palette_.data(), file_.constData() + position_, std::size_t(3 * entries));
    position_ += 3 * entries;
    tableSize_ = entries;
    return Ok;
}

std::optional<QSize> TSGIF::declaredSize(const QByteArray& head)
{
    TSGIF decoder;
    decoder.file_ = head;
    if (decoder.findImage() != Ok) return std::nullopt;
    return QSize(decoder.width_, decoder.height_);
}

int TSGIF::ReadImage()
{
    if (const int status = findImage()) return status;
    if (position_ >= file_.size()) return BadFile;
    return DecodeLzw(u8At(file_, position_++));
}

int TSGIF::findImage()
{
    if (file_.size() < 13 || !file_.startsWith("GIF")) return BadFile;
    const int screenFlags = u8At(file_, 10);
    position_ = 13;
    if (screenFlags & 0x80)
        if (const int status = readColourTable(screenFlags & 0x07)) return status;

    for (;;) {
        // The file must reach an image; the trailer, or any byte that starts no block, before
        // it is a broken file.
        if (position_ >= file_.size()) return BadFile;
        const int introducer = u8At(file_, position_++);
        if (introducer == 0x00) continue; // stray padding between blocks is passed over
        if (introducer == 0x21) {
            if (const int status = ReadExtension()) return status;
            continue;
        }
        if (introducer != 0x2C) return BadFile;

        if (file_.size() - position_ < 9) return BadRead;
        width_ = u16At(file_, position_ + 4);
        height_ = u16At(file_, position_ + 6);
        const int imageFlags = u8At(file_, position_ + 8);
        interlaced_ = imageFlags & 0x40;
        position_ += 9;
        if (imageFlags & 0x80) return readColourTable(imageFlags & 0x07);
        return Ok;
    }
}

int TSGIF::skipSubBlocks()
{
    for (;;) {
        if (position_ >= file_.size()) return UnexpectedEnd;
        const int size = u8At(file_, position_++);
        if (size == 0) return Ok;
        if (file_.size() - position_ < size) return UnexpectedEnd;
        position_ += size;
    }
}

int TSGIF::ReadExtension()
{
    if (position_ >= file_.size()) return BadRead;
    const int label = u8At(file_, position_++);
    int fixed = 0; // block size byte and the fixed fields that follow the label
    switch (label) {
    case 0x01: fixed = 13; break;
    case 0xF9: fixed = 6; break;
    case 0xFF: fixed = 12; break;
    default: break;
    }
    if (file_.size() - position_ < fixed) return BadRead;
    if (label == 0xF9) {
        // Block size, flags, delay (2), transparent index, terminator. The colour is taken
        // whether or not the flags mark it as used.
        const int index = u8At(file_, position_ + 4);
        transparent_ = true;
        transparentColour_ = index < tableSize_
            ? makeColour(palette_[3 * index], palette_[3 * index + 1], palette_[3 * index + 2])
            : clBlack;
        position_ += fixed;
        return Ok;
    }
    position_ += fixed;
    return skipSubBlocks();
}

int TSGIF::DecodeLzw(int minimumCodeSize)
{
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return BadSymbolSize;
    const std::uint64_t total = std::uint64_t(width_) * std::uint64_t(height_);
    if (total == 0) return BadFile;
    // GIF pictures are decoded row by row and never painted, so strips as long as the 16-bit
    // fields allow are taken; the pixels stay within the cap.
    if (!pictureSizeAllowed(width_, height_, 65535)) return TooLarge;
    return withPictureMemory(width_, height_, [&] { return decodePixels(minimumCodeSize, total); });
}

std::vector<std::uint8_t> TSGIF::joinDataBlocks()
{
    // The sub-blocks end at a zero size byte, at the end of the file, or at a sub-block the
    // file cannot hold.
    qsizetype at = position_;
    qsizetype bytes = 0;
    while (at < file_.size() && u8At(file_, at) != 0 && file_.size() - at - 1 >= u8At(file_, at)) {
        bytes += u8At(file_, at);
        at += 1 + u8At(file_, at);
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(bytes));
    std::uint8_t* to = data.data();
    while (position_ < at) {
        const int size = u8At(file_, position_);
        std::memcpy(to, file_.constData() + position_ + 1, std::size_t(size));
        to += size;
        position_ += 1 + size;
    }
    return data;
}

int TSGIF::decodePixels(int minimumCodeSize, std::uint64_t total)
{
    const std::vector<std::uint8_t> data = joinDataBlocks();

    // The buffer starts with the 256 one-pixel strings, then holds the image's pixels, then a
    // few spare bytes for copies done eight bytes at a time. Every string in the table is a
    // piece of what was decoded before, so a code is decoded by copying its piece.
    const std::size_t limit = kIndexBase + std::size_t(total);
    indexes_.reset(new std::uint8_t[limit + kSpare]());  // zeroed: copies may read ahead
    std::uint8_t* const buffer = indexes_.get();
    for (int c = 0; c < 256; ++c) buffer[c] = std::uint8_t(c);

    LzwTable table(minimumCodeSize);
    const int endCode = table.clear + 1;
    CodeReader codes{data.data(), data.size()};
    int previous = -1;
    std::size_t position = kIndexBase;      // where the next pixel goes
    std::size_t previousPosition = 0;       // where the previous code's pixels went
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
        if (code < table.next) {
            count = table.length[std::size_t(code)];
            copyString(buffer, table.offset[std::size_t(code)], position, count, limit);
        } else {
            if (previous < 0) return BadFirstCode;
            count = std::size_t(table.length[std::size_t(previous)]) + 1;
            copyNewString(buffer, previousPosition, position, count, limit);
        }
        // The previous string and this code's first pixel, where they were just written.
        if (previous >= 0) table.add(previous, std::min(previousPosition, limit));
        previous = code;
        previousPosition = position;
        position += count;
    }

    // An end code before the last pixel leaves the rest at palette index 0.
    if (position < limit) std::memset(buffer + position, 0, limit - position);
    buildImage();
    return Ok;
}

void TSGIF::buildImage()
{
    std::array<QRgb, 256> colours;
    colours.fill(0xFF000000u);
    for (int i = 0; i < tableSize_; ++i)
        colours[i] = qRgb(palette_[3 * i], palette_[3 * i + 1], palette_[3 * i + 2]);

    // The image row each arriving row goes to: interlaced images send every eighth row from
    // row 0, then every eighth from row 4, every fourth from row 2, every second from row 1.
    std::vector<int> rows;
    rows.reserve(std::size_t(height_));
    if (interlaced_) {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < height_; row += kStep[pass]) rows.push_back(row);
    } else {
        for (int row = 0; row < height_; ++row) rows.push_back(row);
    }

    image_ = allocatePicture(width_, height_, QImage::Format_RGB32);
    for (int k = 0; k < height_; ++k) {
        const std::uint8_t* from = indexes_.get() + kIndexBase + std::size_t(k) * std::size_t(width_);
        auto* to = reinterpret_cast<QRgb*>(image_.scanLine(rows[std::size_t(k)]));
        for (int x = 0; x < width_; ++x) to[x] = colours[from[x]];
    }
    indexes_.reset();
}

std::optional<QSize> TSGIFBitmap::sizeFromHeader(const QByteArray& head) const
{
    return TSGIF::declaredSize(head);
}

void TSGIFBitmap::loadFromStream(QIODevice& stream)
{
    TSGIF decoder;
    decoder.ReadGif(stream);
    setImage(decoder.image());
    loaded_ = true;
    transparentColour_ = decoder.hasTransparency() ? decoder.transparentColour()
                                                   : pixel(0, height() - 1);
}

} // namespace quorvel

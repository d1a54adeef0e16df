#include "codecs/SPCXImg.h"

#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvel {

namespace {

constexpr int kHeaderSize = 128;
// A version-5 256-colour file ends with the marker byte 0x0C and 256 × (red, green, blue).
constexpr int kVgaTrailerSize = 769;

// The bytes past a scan line that a decoding step may store into.
constexpr std::size_t kLineSlack = 16;

// Bits 0, 2, 4 ... of a 64-bit mask.
constexpr std::uint64_t kEvenBits = 0x5555555555555555u;

// Bit i set where byte i of the 64 at `at` is 0xC0 or more.
std::uint64_t highBytes(const std::uint8_t* at)
{
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i top = _mm_set1_epi8(char(0xC0));
    for (int k = 0; k < 4; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k));
        const int high = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, top), top));
        mask |= std::uint64_t(std::uint16_t(high)) << (16 * k);
    }
#else
    for (int i = 0; i < 64; ++i) mask |= std::uint64_t(at[i] >= 0xC0) << i;
#endif
    return mask;
}

// `count` bytes, sixteen at a time and at least sixteen, so that a short stretch takes no
// branch: up to 16 more are read and stored.
void copyInSixteens(std::uint8_t* to, const std::uint8_t* from, std::size_t count)
{
    std::size_t i = 0;
    do {
        std::memcpy(to + i, from + i, 16);
        i += 16;
    } while (i < count);
}

// A run of `count` bytes of `value`, stored sixteen at once: up to 16 more are stored.
void storeRun(std::uint8_t* to, std::uint8_t value, std::size_t count)
{
    const std::uint64_t word = value * 0x0101010101010101u;
    std::memcpy(to, &word, 8);
    std::memcpy(to + 8, &word, 8);
    if (count > 16) std::memset(to + 16, value, count - 16);
}

const char* const kTruncated = "Unexpected end of PCX image file.";
const char* const kTooLarge = "PCX image is too large.";

int get16(const std::uint8_t* at) { return at[0] | at[1] << 8; }
int get16s(const std::uint8_t* at) { return std::int16_t(at[0] | at[1] << 8); }


// For a byte of 16-colour plane p, its eight pixels' contributions (bit << p) as nibbles, the
// leftmost pixel (bit 0x80) in the lowest nibble: OR-ing the four planes' entries gives eight
// colour indexes at once.
struct PlaneTables {
    std::array<std::array<std::uint32_t, 256>, 4> nibbles{};
    PlaneTables()
    {
        for (int p = 0; p < 4; ++p)
            for (int byte = 0; byte < 256; ++byte) {
                std::uint32_t v = 0;
                for (int j = 0; j < 8; ++j)
                    if (byte & (0x80 >> j)) v |= std::uint32_t(1) << (4 * j + p);
                nibbles[p][byte] = v;
            }
    }
};

const PlaneTables& planeTables()
{
    static const PlaneTables tables;
    return tables;
}

} // namespace

void TSPCX256::PcxError(int n)
{
    switch (n) {
    case 1: throw EPCXException("This is not a valid PCX image file.");
    case 2: throw EPCXException("This is not a 16, 256 or 24bit color PCX image file.");
    default: throw EPCXException("PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.");
    }
}

int TSPCX256::bitsPerPixel() const
{
    switch (kind_) {
    case Colours16: return 4;
    case Colours256: return 8;
    case TrueColour: return 24;
    }
    return 0;
}

QList<QRgb> TSPCX256::colourTable() const
{
    const int count = kind_ == Colours16 ? 16 : kind_ == Colours256 ? 256 : 0;
    return QList<QRgb>(colours_.begin(), colours_.begin() + count);
}

std::optional<QSize> TSPCX256::declaredSize(const QByteArray& head)
{
    TSPCX256 decoder;
    try {
        decoder.ReadHeader(reinterpret_cast<const std::uint8_t*>(head.constData()), head.size());
    } catch (const Error&) {
        return std::nullopt;
    }
    return QSize(decoder.width_, decoder.height_);
}

void TSPCX256::ReadHeader(const std::uint8_t* head, qsizetype size)
{
    if (size < kHeaderSize || head[0] != 10 || head[2] != 1) PcxError(1);
    version_ = head[1];
    const int bits = head[3];
    planes_ = head[65];
    if (planes_ == 3 && bits == 8)
        kind_ = TrueColour;
    else if (planes_ == 4 && bits == 1)
        kind_ = Colours16;
    else if (planes_ != 1)
        PcxError(3);
    else if (bits == 1 || bits == 2)
        PcxError(2);
    else if (bits == 8)
        kind_ = Colours256;
    else
        PcxError(3);

    width_ = get16s(head + 8) - get16s(head + 4) + 1;
    height_ = get16s(head + 10) - get16s(head + 6) + 1;
    bytesPerLine_ = get16(head + 66);
    std::memcpy(headerPalette_.data(), head + 16, headerPalette_.size());
    carryOver_ = 0;
}

void TSPCX256::ReadVgaPalette(QIODevice& source, qint64 fileSize)
{
    // Without the marker the palette stays black.
    const qint64 at = fileSize - kVgaTrailerSize;
    if (at < kHeaderSize || !source.seek(at)) return;
    const QByteArray trailer = peekHead(source, kVgaTrailerSize);
    if (trailer.size() == kVgaTrailerSize && trailer[0] == 0x0C)
        std::memcpy(vgaPalette_.data(), trailer.constData() + 1, vgaPalette_.size());
}

void TSPCX256::DecodeLine(StreamWindow& in)
{
    const std::size_t length = lineLength_;
    std::size_t filled = std::min<std::size_t>(std::size_t(carryOver_), length);
    std::memset(line_.data(), current_, filled);
    carryOver_ -= int(filled);
    while (filled < length) {
        // A pair of bytes yields at least one byte of the line, except a run of none.
        const std::size_t wanted = std::max<std::size_t>(2 * (length - filled), 16);
        std::size_t available = 0;
        const std::uint8_t* const begin = in.peek(wanted, available);
        const std::uint8_t* at = begin;
        decodeLinePart(at, begin + available, available < wanted, filled);
        in.consume(std::size_t(at - begin));
    }
}

void TSPCX256::decodeLinePart(const std::uint8_t*& in, const std::uint8_t* end, bool last, std::size_t& filled)
{
    const std::size_t length = lineLength_;
    std::uint8_t* out = line_.data();
    // The position and the count are kept here, apart from the stores into the line.
    const std::uint8_t* at = in;
    std::size_t done = filled;
    // Far from the input's end, 64 bytes at a time: which of them are run heads is found for all
    // at once, so that the steps from head to head never wait on the bytes they read. A byte of
    // 0xC0 or more is a head unless it is the value of the head just before it: in a stretch of
    // such bytes, the first, third, fifth... are heads. A block starts where an element starts
    // and ends after its last whole one; a run or literals that would pass the line's end are
    // left to the steps below. Copies store up to 16 bytes past what they make (the line's
    // slack), and read up to 16 past the block.
    while (done < length && end - at >= 80) {
        const std::uint64_t high = highBytes(at);
        const std::uint64_t starts = high & ~(high << 1);
        const std::uint64_t evenStretches = high & ~(high + (starts & kEvenBits));
        std::uint64_t heads = (evenStretches & kEvenBits) | (high & ~evenStretches & ~kEvenBits);
        std::size_t next = 0; // where the block's next element starts
        for (; heads != 0; heads &= heads - 1) {
            const std::size_t head = std::size_t(std::countr_zero(heads));
            const std::size_t literals = head - next, count = at[head] & 0x3F;
            if (length - done < literals + count) break;
            copyInSixteens(out + done, at + next, literals);
            done += literals;
            storeRun(out + done, at[head + 1], count);
            done += count;
            next = head + 2;
        }
        // The literals after the last head (none when its value ends the block or lies past it).
        const std::size_t rest = 64 - std::min<std::size_t>(next, 64);
        const bool whole = heads == 0 && length - done >= rest;
        if (whole && rest > 0) {
            copyInSixteens(out + done, at + next, rest);
            done += rest;
            next = 64;
        }
        at += next;
        if (!whole) break;
    }
    while (done < length && end - at >= 8) {
        const std::size_t room = length - done;
        std::uint8_t* const to = out + done;
        if (at[0] < 0xC0) {
            // A stretch of literals (bytes below 0xC0), up to eight at a time; the copy may
            // store past the stretch, where the next steps or the line's slack take it.
            const auto eight = qFromLittleEndian<std::uint64_t>(at);
            const std::uint64_t runs = (eight & eight << 1 & 0x8080808080808080u) | std::uint64_t(1) << 63;
            const std::size_t literals = std::min(std::size_t(std::countr_zero(runs) / 8), room);
            std::memcpy(to, &eight, 8);
            at += literals;
            done += literals;
            continue;
        }
        const std::uint8_t value = at[1];
        const std::size_t count = at[0] & 0x3F;
        at += 2;
        if (count <= room) {
            storeRun(to, value, count);
            done += count;
            continue;
        }
        // What does not fit opens the next scan line.
        std::memset(to, value, room);
        carryOver_ = int(count - room);
        current_ = value;
        done = length;
    }
    in = at;
    filled = done;
    if (filled < length && !last) return;
    while (filled < length) {
        if (in == end) throw EPCXException(kTruncated);
        const std::uint8_t b = *in++;
        if (b < 0xC0) {
            out[filled++] = b;
            continue;
        }
        if (in == end) throw EPCXException(kTruncated);
        const std::uint8_t value = *in++;
        const std::size_t count = b & 0x3F;
        const std::size_t here = std::min(count, length - filled);
        std::memset(out + filled, value, here);
        filled += here;
        // What does not fit opens the next scan line.
        carryOver_ = int(count - here);
        current_ = value;
    }
}

void TSPCX256::convertLine(int y)
{
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const std::uint8_t* line = line_.data();
    const int width = width_;
    switch (kind_) {
    case Colours256:
        for (int x = 0; x < width; ++x) row[x] = colours_[line[x]];
        break;
    case TrueColour: {
        const std::uint8_t* red = line;
        const std::uint8_t* green = line + bytesPerLine_;
        const std::uint8_t* blue = line + 2 * std::size_t(bytesPerLine_);
        int x = 0;
#if defined(__SSE2__)
        // Sixteen pixels a step: the planes' bytes interleaved into blue, green, red, 0xFF.
        const __m128i opaque = _mm_set1_epi8(-1);
        for (; x + 16 <= width; x += 16) {
            const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(red + x));
            const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(green + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blue + x));
            const __m128i bgLow = _mm_unpacklo_epi8(b, g), bgHigh = _mm_unpackhi_epi8(b, g);
            const __m128i raLow = _mm_unpacklo_epi8(r, opaque), raHigh = _mm_unpackhi_epi8(r, opaque);
            auto* out = reinterpret_cast<__m128i*>(row + x);
            _mm_storeu_si128(out, _mm_unpacklo_epi16(bgLow, raLow));
            _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(bgLow, raLow));
            _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(bgHigh, raHigh));
            _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(bgHigh, raHigh));
        }
#endif
        for (; x < width; ++x) row[x] = 0xFF000000u | QRgb(red[x]) << 16 | QRgb(green[x]) << 8 | blue[x];
        break;
    }
    case Colours16: {
        const auto& tables = planeTables().nibbles;
        const std::size_t plane = std::size_t(bytesPerLine_);
        for (int i = 0; 8 * i < width; ++i) {
            const std::uint32_t indexes = tables[0][line[i]] | tables[1][line[plane + i]]
                | tables[2][line[2 * plane + i]] | tables[3][line[3 * plane + i]];
            const int count = std::min(8, width - 8 * i);
            QRgb* pixels = row + 8 * i;
            for (int j = 0; j < count; ++j) pixels[j] = colours_[indexes >> (4 * j) & 0x0F];
        }
        break;
    }
    }
}

void TSPCX256::ReadPcx(QIODevice& source)
{
    // A file is read through a small window; a stream that cannot seek is read whole first.
    QBuffer whole;
    QIODevice* stream = &source;
    if (source.isSequential()) {
        whole.setData(readToEnd(source));
        whole.open(QIODevice::ReadOnly);
        stream = &whole;
    }
    stream->seek(0);
    const qint64 fileSize = stream->size();
    const QByteArray head = peekHead(*stream, kHeaderSize);
    ReadHeader(reinterpret_cast<const std::uint8_t*>(head.constData()), head.size());
    checkDeclaredSize(fileSize);
    if (kind_ == Colours256 && version_ == 5) ReadVgaPalette(*stream, fileSize);
    stream->seek(kHeaderSize);

    colours_.fill(0xFF000000u);
    if (kind_ == Colours16)
        for (int i = 0; i < 16; ++i)
            colours_[i] = qRgb(headerPalette_[3 * i], headerPalette_[3 * i + 1], headerPalette_[3 * i + 2]);
    else if (kind_ == Colours256)
        for (int i = 0; i < 256; ++i)
            colours_[i] = qRgb(vgaPalette_[3 * i], vgaPalette_[3 * i + 1], vgaPalette_[3 * i + 2]);

    StreamWindow in(*stream, kTruncated);
    decodePixels(in);
}

void TSPCX256::checkDeclaredSize(qint64 fileSize) const
{
    // A scan line must hold a row of pixels.
    const int pixelsPerLineByte = kind_ == Colours16 ? 8 : 1;
    if (width_ <= 0 || height_ <= 0 || std::int64_t(bytesPerLine_) * pixelsPerLineByte < width_) PcxError(1);
    // PCX pictures are decoded row by row and never painted, so strips as long as the 16-bit
    // window allows are taken; the pixels stay within the cap.
    if (!pictureSizeAllowed(width_, height_, 65536)) throw EPCXException(kTooLarge);
    // A pair of bytes yields at most 63, so a file too short for every scan line fails before
    // the picture is allocated.
    const std::uint64_t lineLength = std::uint64_t(planes_) * std::uint64_t(bytesPerLine_);
    const std::uint64_t available = std::uint64_t(fileSize - kHeaderSize);
    if (lineLength * std::uint64_t(height_) > (available + 1) / 2 * 63) throw EPCXException(kTruncated);
}

void TSPCX256::decodePixels(StreamWindow& in)
{
    lineLength_ = std::size_t(planes_) * std::size_t(bytesPerLine_);
    withPictureMemory(width_, height_, [&] {
        line_.assign(lineLength_ + kLineSlack, 0);
        image_ = PixelImage(width_, height_, PixelImage::Format::RGB32);
    });
    for (int y = 0; y < height_; ++y) {
        DecodeLine(in);
        convertLine(y);
    }
}

} // namespace quorvel

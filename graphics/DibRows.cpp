#include "graphics/DibRows.h"

#include "base/ByteShuffle.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if QUORVEL_X86_SHUFFLE
#include <immintrin.h>
#endif

namespace quorvel {

namespace {

#if QUORVEL_X86_SHUFFLE
// Four pixels a step from one 16-byte load, placed by a byte shuffle; the load takes five and a
// third pixels, so the steps stop while six remain. Returns how many pixels were done.
[[gnu::target("ssse3")]] std::int64_t bgrToRgb32Shuffled(const std::uint8_t* in, std::int64_t count, QRgb* out)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    std::int64_t x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_shuffle_epi8(bytes, order), opaque));
    }
    return x;
}

// The other way: four pixels a step into twelve bytes, stored as sixteen (the next step's first
// four bytes overwrite the rest), so the steps stop while six pixels remain.
[[gnu::target("ssse3")]] std::int64_t rgb32ToBgrShuffled(const QRgb* in, std::int64_t count, std::uint8_t* out)
{
    const __m128i order = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    std::int64_t x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * x), _mm_shuffle_epi8(pixels, order));
    }
    return x;
}
#endif

} // namespace

void bgrToRgb32(const std::uint8_t* in, std::int64_t count, QRgb* out)
{
    std::int64_t x = 0;
#if QUORVEL_X86_SHUFFLE
    if (hasByteShuffle()) x = bgrToRgb32Shuffled(in, count, out);
#endif
    for (in += 3 * x; x < count; ++x, in += 3) out[x] = 0xFF000000u | QRgb(in[2]) << 16 | QRgb(in[1]) << 8 | in[0];
}

void rgb32ToBgr(const QRgb* in, std::int64_t count, std::uint8_t* out)
{
    std::int64_t x = 0;
#if QUORVEL_X86_SHUFFLE
    if (hasByteShuffle()) x = rgb32ToBgrShuffled(in, count, out);
#endif
    for (out += 3 * x; x < count; ++x, out += 3) {
        out[0] = std::uint8_t(in[x]);
        out[1] = std::uint8_t(in[x] >> 8);
        out[2] = std::uint8_t(in[x] >> 16);
    }
}

std::array<QRgb, 256> readDibPalette(const std::uint8_t* table, std::int64_t entries, int entrySize)
{
    std::array<QRgb, 256> palette;
    palette.fill(0xFF000000u);
    const std::int64_t count = std::min<std::int64_t>(entries, 256);
    for (std::int64_t i = 0; i < count; ++i, table += entrySize)
        palette[std::size_t(i)] = 0xFF000000u | QRgb(table[2]) << 16 | QRgb(table[1]) << 8 | table[0];
    return palette;
}

DibRowDecoder::Channel DibRowDecoder::channel(std::uint32_t mask, DibChannelScale scale)
{
    Channel c;
    if (mask == 0) return c; // always 0
    c.mask = mask;
    c.shift = std::countr_zero(mask);
    const std::uint32_t field = mask >> c.shift;
    switch (scale) {
    case DibChannelScale::Rounded:
        c.divisor = field;
        c.add = field / 2;
        break;
    case DibChannelScale::TopBitsRounded: {
        const int bits = std::min(8, std::popcount(field));
        c.drop = std::popcount(field) - bits;
        c.divisor = (std::uint64_t(1) << bits) - 1;
        c.add = c.divisor / 2;
        c.wrap = 0xFFFFFFFFu;
        break;
    }
    case DibChannelScale::Truncated: c.divisor = field; break;
    }
    return c;
}

DibRowDecoder::DibRowDecoder(const DibRowFormat& format)
    : bitsPerPixel_(format.bitsPerPixel), palette_(format.palette), red_(channel(format.masks[0], format.scale)),
      green_(channel(format.masks[1], format.scale)), blue_(channel(format.masks[2], format.scale)),
      alpha_(channel(format.masks[3], format.scale)), hasAlpha_(format.masks[3] != 0)
{
    const auto& m = format.masks;
    bytes888_ = bitsPerPixel_ == 32 && m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF
        && (m[3] == 0 || m[3] == 0xFF000000u);
}

void DibRowDecoder::decodeMasked(const std::uint8_t* row, std::int64_t width, QRgb* out) const
{
    const auto scaled = [](const Channel& c, std::uint32_t pixel) {
        const std::uint64_t field = std::uint64_t((pixel & c.mask) >> c.shift) >> c.drop;
        return QRgb(((field * 255 + c.add) & c.wrap) / c.divisor) & 0xFF;
    };
    const int bytes = bitsPerPixel_ / 8;
    for (std::int64_t x = 0; x < width; ++x, row += bytes) {
        std::uint32_t pixel = std::uint32_t(row[0]) | std::uint32_t(row[1]) << 8;
        if (bytes == 4) pixel |= std::uint32_t(row[2]) << 16 | std::uint32_t(row[3]) << 24;
        const QRgb a = hasAlpha_ ? scaled(alpha_, pixel) : 0xFF;
        out[x] = a << 24 | scaled(red_, pixel) << 16 | scaled(green_, pixel) << 8 | scaled(blue_, pixel);
    }
}

void DibRowDecoder::decodeRow(const std::uint8_t* row, std::int64_t width, QRgb* out) const
{
    switch (bitsPerPixel_) {
    case 1:
        for (std::int64_t x = 0; x < width; ++x) out[x] = palette_[row[x >> 3] >> (7 - (x & 7)) & 1];
        break;
    case 4:
        for (std::int64_t x = 0; x < width; ++x) out[x] = palette_[row[x >> 1] >> (x & 1 ? 0 : 4) & 0x0F];
        break;
    case 8:
        for (std::int64_t x = 0; x < width; ++x) out[x] = palette_[row[x]];
        break;
    case 24: bgrToRgb32(row, width, out); break;
    case 32:
        if (bytes888_) {
            for (std::int64_t x = 0; x < width; ++x, row += 4) {
                const QRgb a = hasAlpha_ ? row[3] : 0xFF;
                out[x] = a << 24 | QRgb(row[2]) << 16 | QRgb(row[1]) << 8 | row[0];
            }
            break;
        }
        decodeMasked(row, width, out);
        break;
    case 16: decodeMasked(row, width, out); break;
    default: break;
    }
}

} // namespace quorvel

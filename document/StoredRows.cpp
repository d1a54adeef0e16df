#include "document/StoredRows.h"

#include "document/M32Format.h"

#include <QtEndian>

#if QUORVEL_X86_SHUFFLE
#include <immintrin.h>
#endif

namespace quorvel {

namespace {

// One pixel at a time, by the tables.
void showPixels(const uchar* from, int count, QRgb* colour, uchar* alpha)
{
    const Composition& c = composition();
    for (int x = 0; x < count; ++x, from += 4) {
        const std::uint8_t* shown = c.shown[from[3]];
        alpha[x] = from[3];
        colour[x] = 0xFF000000u | QRgb(shown[from[0]]) << 16 | QRgb(shown[from[1]]) << 8 | shown[from[2]];
    }
}

void storePixels(const QRgb* colour, const uchar* alpha, int count, uchar* to)
{
    const Composition& c = composition();
    for (int x = 0; x < count; ++x, to += 4) {
        const std::uint8_t* stored = c.stored[alpha[x]];
        const QRgb p = colour[x];
        qToLittleEndian(std::uint32_t(stored[qRed(p)]) | std::uint32_t(stored[qGreen(p)]) << 8
                            | std::uint32_t(stored[qBlue(p)]) << 16 | std::uint32_t(alpha[x]) << 24,
                        to);
    }
}

#if QUORVEL_X86_SHUFFLE
// Sixteen pixels a step. The shown colour needs no table: for every alpha A and stored channel
// s, the table's round(s * A/255 + 192 * (255 - A)/255) is t / 255 rounded down, where
// t = A * (s - 192) + 255 * 192 + 127 (the exact quotient is never half-way, and the
// extended-precision error is far below the distance to half-way); t / 255 is t * 0x8081 / 2^23
// for every 16-bit t. The products are taken modulo 2^16, where the true sum lies. A test
// compares all 65,536 entries with the table. At alpha 255, t is 255 * s + 127, so s stays.
// The alphas come straight from the pixels' bytes as 16-bit numbers, one for each channel.
[[gnu::target("ssse3")]] __m128i shownChannels(__m128i channels, __m128i alphas)
{
    const __m128i grey = _mm_set1_epi16(kBackgroundGrey);
    const __m128i over = _mm_set1_epi16(short(255 * kBackgroundGrey + 127));
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(alphas, _mm_sub_epi16(channels, grey)), over);
    return _mm_srli_epi16(_mm_mulhi_epu16(t, _mm_set1_epi16(short(0x8081))), 7);
}

[[gnu::target("ssse3")]] __m128i shownOverGrey(__m128i pixels)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphasLow = _mm_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m128i alphasHigh = _mm_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    return _mm_packus_epi16(shownChannels(_mm_unpacklo_epi8(pixels, zero), _mm_shuffle_epi8(pixels, alphasLow)),
                            shownChannels(_mm_unpackhi_epi8(pixels, zero), _mm_shuffle_epi8(pixels, alphasHigh)));
}

[[gnu::target("ssse3")]] int showShuffled(const uchar* from, int width, QRgb* colour, uchar* alpha)
{
    const __m128i toBgra = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const __m128i ones = _mm_set1_epi8(-1);
    const __m128i alphaOf[4] = {
        _mm_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1),
        _mm_setr_epi8(-1, -1, -1, -1, 3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1),
        _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 3, 7, 11, 15, -1, -1, -1, -1),
        _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 3, 7, 11, 15),
    };
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i pixels[4];
        __m128i alphas = _mm_setzero_si128();
        for (int k = 0; k < 4; ++k) {
            pixels[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * (x + 4 * k)));
            alphas = _mm_or_si128(alphas, _mm_shuffle_epi8(pixels[k], alphaOf[k]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(alpha + x), alphas);
        const bool opaqueAll = _mm_movemask_epi8(_mm_cmpeq_epi8(alphas, ones)) == 0xFFFF;
        for (int k = 0; k < 4; ++k) {
            const __m128i shown = opaqueAll ? pixels[k] : shownOverGrey(pixels[k]);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(colour + x + 4 * k),
                             _mm_or_si128(_mm_shuffle_epi8(shown, toBgra), opaque));
        }
    }
    return x;
}

// Sixteen opaque pixels a step, where the table is the identity; others by the table.
[[gnu::target("ssse3")]] int storeShuffled(const QRgb* colour, const uchar* alpha, int width, uchar* to)
{
    const __m128i toRgb = _mm_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1);
    const __m128i ones = _mm_set1_epi8(-1);
    const __m128i spread[4] = {
        _mm_setr_epi8(-1, -1, -1, 0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, 3),
        _mm_setr_epi8(-1, -1, -1, 4, -1, -1, -1, 5, -1, -1, -1, 6, -1, -1, -1, 7),
        _mm_setr_epi8(-1, -1, -1, 8, -1, -1, -1, 9, -1, -1, -1, 10, -1, -1, -1, 11),
        _mm_setr_epi8(-1, -1, -1, 12, -1, -1, -1, 13, -1, -1, -1, 14, -1, -1, -1, 15),
    };
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i alphas = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(alphas, ones)) != 0xFFFF) {
            storePixels(colour + x, alpha + x, 16, to + 4 * x);
            continue;
        }
        for (int k = 0; k < 4; ++k) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colour + x + 4 * k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * (x + 4 * k)),
                             _mm_or_si128(_mm_shuffle_epi8(pixels, toRgb), _mm_shuffle_epi8(alphas, spread[k])));
        }
    }
    return x;
}

// The same sixteen pixels a step in two 32-byte halves, where the processor has them.
[[gnu::target("avx2")]] inline __m256i shownChannelsWide(__m256i channels, __m256i alphas)
{
    const __m256i grey = _mm256_set1_epi16(kBackgroundGrey);
    const __m256i over = _mm256_set1_epi16(short(255 * kBackgroundGrey + 127));
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(alphas, _mm256_sub_epi16(channels, grey)), over);
    return _mm256_srli_epi16(_mm256_mulhi_epu16(t, _mm256_set1_epi16(short(0x8081))), 7);
}

[[gnu::target("avx2")]] inline __m256i shownOverGreyWide(__m256i pixels)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphasLow = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1, 3, -1, 3, -1, 3,
                                               -1, 3, -1, 7, -1, 7, -1, 7, -1, 7, -1);
    const __m256i alphasHigh = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1, 11, -1,
                                                11, -1, 11, -1, 11, -1, 15, -1, 15, -1, 15, -1, 15, -1);
    return _mm256_packus_epi16(
        shownChannelsWide(_mm256_unpacklo_epi8(pixels, zero), _mm256_shuffle_epi8(pixels, alphasLow)),
        shownChannelsWide(_mm256_unpackhi_epi8(pixels, zero), _mm256_shuffle_epi8(pixels, alphasHigh)));
}

[[gnu::target("avx2")]] int showWide(const uchar* from, int width, QRgb* colour, uchar* alpha)
{
    const __m256i toBgra = _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15, 2, 1, 0, 3, 6, 5, 4,
                                            7, 10, 9, 8, 11, 14, 13, 12, 15);
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    // Each half's four alphas a 16-byte lane into dword 0 (first half) or 1 (second), then the
    // dwords in pixel order.
    const __m256i alphaOf[2] = {
        _mm256_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 3, 7, 11, 15, -1, -1, -1, -1, -1,
                         -1, -1, -1, -1, -1, -1, -1),
        _mm256_setr_epi8(-1, -1, -1, -1, 3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 3, 7, 11, 15, -1,
                         -1, -1, -1, -1, -1, -1, -1),
    };
    const __m256i inOrder = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m128i ones = _mm_set1_epi8(-1);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 4 * x));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 4 * (x + 8)));
        const __m256i both = _mm256_or_si256(_mm256_shuffle_epi8(first, alphaOf[0]), _mm256_shuffle_epi8(second, alphaOf[1]));
        const __m128i alphas = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(both, inOrder));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(alpha + x), alphas);
        const bool opaqueAll = _mm_movemask_epi8(_mm_cmpeq_epi8(alphas, ones)) == 0xFFFF;
        const __m256i shownFirst = opaqueAll ? first : shownOverGreyWide(first);
        const __m256i shownSecond = opaqueAll ? second : shownOverGreyWide(second);
        const __m256i outFirst = _mm256_or_si256(_mm256_shuffle_epi8(shownFirst, toBgra), opaque);
        const __m256i outSecond = _mm256_or_si256(_mm256_shuffle_epi8(shownSecond, toBgra), opaque);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colour + x), outFirst);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(colour + x + 8), outSecond);
    }
    return x;
}

// Sixteen pixels a step back to the file's: opaque ones by a shuffle, others by gathering each
// channel's byte from the stored table, eight pixels at a time. Each gather reads the four bytes
// that end at the wanted one, so that every read lies inside the tables.
[[gnu::target("avx2")]] inline __m256i storedChannelWide(const int* endingAt, __m256i row, __m256i channel)
{
    const __m256i index = _mm256_or_si256(row, _mm256_and_si256(channel, _mm256_set1_epi32(0xFF)));
    return _mm256_srli_epi32(_mm256_i32gather_epi32(endingAt, index, 1), 24);
}

[[gnu::target("avx2")]] inline __m256i storedWide(const int* endingAt, const QRgb* colour, const uchar* alpha)
{
    const __m256i alphas = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha)));
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colour));
    const __m256i row = _mm256_slli_epi32(alphas, 8);
    const __m256i red = storedChannelWide(endingAt, row, _mm256_srli_epi32(pixels, 16));
    const __m256i green = storedChannelWide(endingAt, row, _mm256_srli_epi32(pixels, 8));
    const __m256i blue = storedChannelWide(endingAt, row, pixels);
    return _mm256_or_si256(_mm256_or_si256(red, _mm256_slli_epi32(green, 8)),
                           _mm256_or_si256(_mm256_slli_epi32(blue, 16), _mm256_slli_epi32(alphas, 24)));
}

[[gnu::target("avx2")]] int storeWide(const QRgb* colour, const uchar* alpha, int width, uchar* to)
{
    const __m256i toRgb = _mm256_setr_epi8(2, 1, 0, -1, 6, 5, 4, -1, 10, 9, 8, -1, 14, 13, 12, -1, 2, 1, 0, -1, 6, 5, 4,
                                           -1, 10, 9, 8, -1, 14, 13, 12, -1);
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    const __m128i ones = _mm_set1_epi8(-1);
    // Once a row: a call from inside the loop would cost the registers their constants.
    const Composition& c = composition();
    const int* endingAt = reinterpret_cast<const int*>(reinterpret_cast<const char*>(&c) + sizeof c.shown - 3);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i alphas = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + x));
        auto* out = reinterpret_cast<__m256i*>(to + 4 * x);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(alphas, ones)) == 0xFFFF) {
            for (int k = 0; k < 2; ++k) {
                const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colour + x + 8 * k));
                _mm256_storeu_si256(out + k, _mm256_or_si256(_mm256_shuffle_epi8(pixels, toRgb), opaque));
            }
            continue;
        }
        _mm256_storeu_si256(out, storedWide(endingAt, colour + x, alpha + x));
        _mm256_storeu_si256(out + 1, storedWide(endingAt, colour + x + 8, alpha + x + 8));
    }
    return x;
}
#endif

} // namespace

void showStoredRow(const uchar* from, int width, QRgb* colour, uchar* alpha, PixelSteps steps)
{
    int x = 0;
#if QUORVEL_X86_SHUFFLE
    if (steps == PixelSteps::SixteenWide)
        x = showWide(from, width, colour, alpha);
    else if (steps == PixelSteps::Sixteen)
        x = showShuffled(from, width, colour, alpha);
#else
    (void)steps;
#endif
    showPixels(from + 4 * x, width - x, colour + x, alpha + x);
}

void storeShownRow(const QRgb* colour, const uchar* alpha, int width, uchar* to, PixelSteps steps)
{
    int x = 0;
#if QUORVEL_X86_SHUFFLE
    if (steps == PixelSteps::SixteenWide)
        x = storeWide(colour, alpha, width, to);
    else if (steps == PixelSteps::Sixteen)
        x = storeShuffled(colour, alpha, width, to);
#else
    (void)steps;
#endif
    storePixels(colour + x, alpha + x, width - x, to + 4 * x);
}

} // namespace quorvel

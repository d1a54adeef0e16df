#include "import/ChainFilters.h"

#include "base/Error.h"
#include "document/M32Format.h"
#include "graphics/PictureMemory.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace quorvel {

namespace {

const QRgb* colourRow(const QImage& image, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); }
QRgb* colourRow(QImage& image, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); }

// Blue and red (or green and alpha, shifted down 8) in two 16-bit lanes: four 8-bit values
// summed in a lane cannot carry into the next.
constexpr std::uint32_t kLanes = 0x00FF00FFu;

QRgb boxMean(QRgb a, QRgb b, QRgb c, QRgb d)
{
    const std::uint32_t low = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002u;
    const std::uint32_t high =
        (a >> 8 & kLanes) + (b >> 8 & kLanes) + (c >> 8 & kLanes) + (d >> 8 & kLanes) + 0x00020002u;
    return (low >> 2 & kLanes) | (high << 6 & ~kLanes);
}

int channel(QRgb p, int shift) { return int(p >> shift & 0xFF); }

QRgb linearMean(const LightTables& t, QRgb a, QRgb b, QRgb c, QRgb d)
{
    QRgb out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned sum = t.decode[channel(a, shift)] + t.decode[channel(b, shift)] + t.decode[channel(c, shift)]
                             + t.decode[channel(d, shift)] + 2u;
        out |= QRgb(t.encode[sum >> 2]) << shift;
    }
    return out;
}

// The four samples of one output pixel. Where the level before is 1 pixel wide or high the
// block repeats its one column or row, which leaves every mean below exactly the mean of the
// pixels that are there (the rounding included).
struct Block {
    QRgb c[4];
    unsigned a[4];
};

// Runs `make(block)` for each pixel of the halving, row by row, the block read from the
// level's rows 2y and 2y + 1 (or row 0 twice) and columns 2x and 2x + 1 (or column 0 twice).
template <bool PairX, class Make>
void eachBlock(const ChainLevel& in, ChainLevel& out, bool pairY, bool withAlpha, Make make)
{
    const int width = out.colour.width();
    for (int y = 0; y < out.colour.height(); ++y) {
        const int r0 = pairY ? 2 * y : y, r1 = pairY ? 2 * y + 1 : y;
        const QRgb* top = colourRow(in.colour, r0);
        const QRgb* bottom = colourRow(in.colour, r1);
        const uchar* alphaTop = withAlpha ? in.alpha.constScanLine(r0) : nullptr;
        const uchar* alphaBottom = withAlpha ? in.alpha.constScanLine(r1) : nullptr;
        QRgb* to = colourRow(out.colour, y);
        uchar* alphaTo = withAlpha ? out.alpha.scanLine(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const int c0 = PairX ? 2 * x : x, c1 = PairX ? 2 * x + 1 : x;
            Block b{{top[c0], top[c1], bottom[c0], bottom[c1]}, {0, 0, 0, 0}};
            if (withAlpha) {
                b.a[0] = alphaTop[c0];
                b.a[1] = alphaTop[c1];
                b.a[2] = alphaBottom[c0];
                b.a[3] = alphaBottom[c1];
            }
            make(b, to[x], alphaTo ? alphaTo + x : nullptr);
        }
    }
}

template <class Make>
void forEachBlock(const ChainLevel& in, ChainLevel& out, bool withAlpha, Make make)
{
    const bool pairY = in.colour.height() > 1;
    if (in.colour.width() > 1)
        eachBlock<true>(in, out, pairY, withAlpha, make);
    else
        eachBlock<false>(in, out, pairY, withAlpha, make);
}

// The colour of a block weighted by its alphas, rounded to nearest with halves up; `value`
// gives each sample's channel in the space the mean is taken in.
template <class Value>
unsigned weightedMean(const Block& b, unsigned alphaSum, int shift, Value value)
{
    unsigned sum = 0;
    for (int i = 0; i < 4; ++i) sum += value(channel(b.c[i], shift)) * b.a[i];
    return (2 * sum + alphaSum) / (2 * alphaSum);
}

constexpr int kFineTop = 255 * 256; // the fine alpha of an opaque pixel

QImage fineOf(const QImage& alpha)
{
    QImage fine = allocateLevel(alpha.width(), alpha.height(), QImage::Format_Grayscale16);
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar* in = alpha.constScanLine(y);
        auto* to = reinterpret_cast<std::uint16_t*>(fine.scanLine(y));
        for (int x = 0, end = alpha.width(); x < end; ++x) to[x] = std::uint16_t(in[x] << 8);
    }
    return fine;
}

// The fine alpha's halving: the block's top-left value, or its mean rounded to nearest.
QImage halvedFine(const QImage& fine, int width, int height, bool point)
{
    QImage out = allocateLevel(width, height, QImage::Format_Grayscale16);
    const bool pairX = fine.width() > 1, pairY = fine.height() > 1;
    for (int y = 0; y < height; ++y) {
        const auto* top = reinterpret_cast<const std::uint16_t*>(fine.constScanLine(pairY ? 2 * y : y));
        const auto* bottom = reinterpret_cast<const std::uint16_t*>(fine.constScanLine(pairY ? 2 * y + 1 : y));
        auto* to = reinterpret_cast<std::uint16_t*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int c0 = pairX ? 2 * x : x, c1 = pairX ? 2 * x + 1 : x;
            to[x] = point ? top[c0] : std::uint16_t((top[c0] + top[c1] + bottom[c0] + bottom[c1] + 2u) >> 2);
        }
    }
    return out;
}

} // namespace

const LightTables& lightTables()
{
    static const LightTables tables = [] {
        LightTables t{};
        const auto toLinear = [](double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); };
        for (int c = 0; c < 256; ++c) t.decode[c] = std::uint16_t(std::lround(toLinear(c / 255.0) * 65535.0));
        // A linear value encodes to k + 1 or more once it reaches the linear value of k + 1/2:
        // 255 thresholds instead of a power per entry.
        int k = 0;
        double threshold = toLinear(0.5 / 255.0) * 65535.0;
        for (int v = 0; v < 65536; ++v) {
            while (k < 255 && v >= threshold) threshold = ++k < 255 ? toLinear((k + 0.5) / 255.0) * 65535.0 : 1e9;
            t.encode[v] = std::uint8_t(k);
        }
        return t;
    }();
    return tables;
}

ChainLevel chainLevelOf(const QImage& picture, bool ownAlpha, bool fine)
{
    if (!ownAlpha || !picture.hasAlphaChannel())
        return {picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32), {}};
    // Straight alpha: a premultiplied picture is turned back first.
    const QImage straight = picture.convertToFormat(QImage::Format_ARGB32);
    ChainLevel level{allocateLevel(picture.width(), picture.height(), QImage::Format_RGB32),
                     allocateLevel(picture.width(), picture.height(), QImage::Format_Grayscale8)};
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb* in = colourRow(straight, y);
        QRgb* colour = colourRow(level.colour, y);
        uchar* alpha = level.alpha.scanLine(y);
        for (int x = 0, end = picture.width(); x < end; ++x) {
            colour[x] = in[x] | 0xFF000000u;
            alpha[x] = uchar(qAlpha(in[x]));
        }
    }
    if (fine) level.fineAlpha = fineOf(level.alpha);
    return level;
}

ChainLevel halvedLevel(const ChainLevel& level, int width, int height, Resampling resampling)
{
    const QImage& in = level.colour;
    const bool withAlpha = !level.alpha.isNull();
    if (width < 1 || height < 1 || (in.width() > 1 ? 2 * width > in.width() : width != 1)
        || (in.height() > 1 ? 2 * height > in.height() : height != 1) || (withAlpha && level.alpha.size() != in.size()))
        throw std::invalid_argument("halving of another size");

    ChainLevel out{allocateLevel(width, height, QImage::Format_RGB32),
                   withAlpha ? allocateLevel(width, height, QImage::Format_Grayscale8) : QImage()};
    const LightTables& t = lightTables();
    const auto linear = [&t](int c) { return unsigned(t.decode[c]); };
    const auto plain = [](int c) { return unsigned(c); };

    switch (resampling) {
    case Resampling::Point:
        forEachBlock(level, out, withAlpha, [](const Block& b, QRgb& colour, uchar* alpha) {
            colour = b.c[0];
            if (alpha) *alpha = uchar(b.a[0]);
        });
        break;
    case Resampling::Box:
        if (!withAlpha) {
            forEachBlock(level, out, false,
                         [](const Block& b, QRgb& colour, uchar*) { colour = boxMean(b.c[0], b.c[1], b.c[2], b.c[3]); });
            break;
        }
        forEachBlock(level, out, true, [&plain](const Block& b, QRgb& colour, uchar* alpha) {
            const unsigned sum = b.a[0] + b.a[1] + b.a[2] + b.a[3];
            *alpha = uchar((sum + 2) >> 2);
            if (sum == 0) {
                colour = boxMean(b.c[0], b.c[1], b.c[2], b.c[3]);
                return;
            }
            colour = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) colour |= QRgb(weightedMean(b, sum, shift, plain)) << shift;
        });
        break;
    case Resampling::Linear:
        if (!withAlpha) {
            forEachBlock(level, out, false, [&t](const Block& b, QRgb& colour, uchar*) {
                colour = linearMean(t, b.c[0], b.c[1], b.c[2], b.c[3]);
            });
            break;
        }
        forEachBlock(level, out, true, [&t, &linear](const Block& b, QRgb& colour, uchar* alpha) {
            const unsigned sum = b.a[0] + b.a[1] + b.a[2] + b.a[3];
            *alpha = uchar((sum + 2) >> 2);
            if (sum == 0) {
                colour = linearMean(t, b.c[0], b.c[1], b.c[2], b.c[3]);
                return;
            }
            colour = 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8)
                colour |= QRgb(t.encode[weightedMean(b, sum, shift, linear)]) << shift;
        });
        break;
    }
    if (!level.fineAlpha.isNull())
        out.fineAlpha = halvedFine(level.fineAlpha, width, height, resampling == Resampling::Point);
    return out;
}

Coverage coverageOf(const QImage& alpha, int reference)
{
    Coverage c;
    c.pixels = qint64(alpha.width()) * alpha.height();
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar* row = alpha.constScanLine(y);
        c.atOrAbove += std::count_if(row, row + alpha.width(), [reference](uchar a) { return a >= reference; });
    }
    return c;
}

QImage coverageScaled(const ChainLevel& level, int reference, Coverage wanted)
{
    if (reference < 1 || reference > 255) throw std::invalid_argument("coverage reference outside 1..255");
    if (wanted.pixels <= 0 || level.alpha.isNull()) return level.alpha;
    const QImage fine = level.fineAlpha.isNull() ? fineOf(level.alpha) : level.fineAlpha;

    std::vector<int> atLeast(kFineTop + 2, 0); // atLeast[t]: pixels whose fine alpha is t or more
    for (int y = 0; y < fine.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(fine.constScanLine(y));
        for (int x = 0, end = fine.width(); x < end; ++x) ++atLeast[std::min<int>(row[x], kFineTop)];
    }
    for (int t = kFineTop - 1; t >= 0; --t) atLeast[std::size_t(t)] += atLeast[std::size_t(t) + 1];

    // Shares compared crosswise, so no division rounds them: count / pixels against
    // wanted.atOrAbove / wanted.pixels.
    const long long pixels = atLeast[0];
    const auto miss = [&](long long count) { return std::llabs(count * wanted.pixels - wanted.atOrAbove * pixels); };
    const int identity = reference << 8;
    int best = identity;
    long long bestMiss = miss(atLeast[std::size_t(best)]);
    for (int t = 1; t <= kFineTop + 1; ++t) {
        const long long m = miss(atLeast[std::size_t(t)]);
        if (m < bestMiss || (m == bestMiss && std::abs(t - identity) < std::abs(best - identity))) best = t, bestMiss = m;
    }
    if (miss(coverageOf(level.alpha, reference).atOrAbove) <= bestMiss) return level.alpha;

    // Scaled by reference / best, rounded to nearest, each pixel kept on its side of the
    // reference.
    std::vector<uchar> scaled(kFineTop + 1);
    for (int f = 0; f <= kFineTop; ++f) {
        const long long rounded = (2LL * f * reference + best) / (2LL * best);
        const long long kept = f >= best ? std::max<long long>(rounded, reference) : std::min<long long>(rounded, reference - 1);
        scaled[std::size_t(f)] = uchar(std::min<long long>(kept, 255));
    }
    QImage out = allocateLevel(fine.width(), fine.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < fine.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint16_t*>(fine.constScanLine(y));
        uchar* to = out.scanLine(y);
        for (int x = 0, end = fine.width(); x < end; ++x) to[x] = scaled[std::min<int>(in[x], kFineTop)];
    }
    return out;
}

QImage blendedOverGrey(const QImage& colour, const QImage& alpha)
{
    if (alpha.size() != colour.size()) throw std::invalid_argument("alpha of another size");
    const Composition& over = composition();
    QImage out = allocateLevel(colour.width(), colour.height(), QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y) {
        const QRgb* in = colourRow(colour, y);
        const uchar* a = alpha.constScanLine(y);
        QRgb* to = colourRow(out, y);
        const int width = colour.width(), one = rowAlpha(a, width);
        if (one == 255) {
            for (int x = 0; x < width; ++x) to[x] = in[x] | 0xFF000000u;
        } else if (one >= 0) {
            const std::uint8_t* shown = over.shown[one];
            for (int x = 0; x < width; ++x) to[x] = qRgb(shown[qRed(in[x])], shown[qGreen(in[x])], shown[qBlue(in[x])]);
        } else {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* shown = over.shown[a[x]];
                to[x] = qRgb(shown[qRed(in[x])], shown[qGreen(in[x])], shown[qBlue(in[x])]);
            }
        }
    }
    return out;
}

} // namespace quorvel

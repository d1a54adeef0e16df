#include "import/MipmapChain.h"

#include "base/Error.h"
#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "graphics/PictureMemory.h"

#include <stdexcept>

namespace quorvel {

namespace {

// One step of the chain: the size that follows w x h, and the sampling steps and the clamp
// flag as they stand after it. The flag is shared by both directions: only the first side to
// reach 0 is held at 1, so the second one ends the run.
struct ChainState {
    int w, h;
    int sx = 2, sy = 2;
    bool clamped = false;

    void advance()
    {
        w /= sx;
        h /= sy;
        if (w < 1 && !clamped) {
            w = 1;
            sx = 1;
            clamped = true;
        }
        if (h < 1 && !clamped) {
            h = 1;
            sy = 1;
            clamped = true;
        }
    }
};

// Pixel (x, y) of the result is pixel (x * sx, y * sy) of `level`.
QImage halved(const QImage& level, int sx, int sy, int width, int height)
{
    QImage out = allocateLevel(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(level.constScanLine(y * sy));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (sx == 2)
            for (int x = 0; x < width; ++x) to[x] = in[2 * x];
        else
            for (int x = 0; x < width; ++x) to[x] = in[x];
    }
    return out;
}

} // namespace

QString levelsText(int count)
{
    return count == 1 ? QStringLiteral("1 level") : QStringLiteral("%1 levels").arg(count);
}

int progressEstimate(int width)
{
    long long s = width;
    const int tenth = width / 10;
    // The terms are 0 once 2^i passes a tenth of the width.
    for (int i = 1; i <= width / 20 && i < 31 && (tenth >> i) > 0; ++i) s += tenth >> i;
    return int(s / 10);
}

std::vector<QSize> chainSizes(QSize size, bool allSizes)
{
    std::vector<QSize> sizes;
    ChainState state{size.width(), size.height()};
    while (state.w > 0 && state.h > 0) {
        sizes.emplace_back(state.w, state.h);
        if (!allSizes) break;
        state.advance();
    }
    return sizes;
}

void checkChainLimits(int presentLevels, QSize size, bool allSizes)
{
    if (size.width() > kMaxLevelSide || size.height() > kMaxLevelSide)
        throw Error(QStringLiteral("The picture is %1 x %2 pixels; a level has at most %3 pixels on a side")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(kMaxLevelSide));
    const int made = int(chainSizes(size, allSizes).size());
    if (presentLevels + made > kMaxLevels)
        throw Error(QStringLiteral("The picture makes %1 and the texture has %2; a texture holds at most %3 levels")
                        .arg(levelsText(made), levelsText(presentLevels))
                        .arg(kMaxLevels));
}

namespace {

// Receives each level a chain run makes: its size, its level image and its alpha plane (null
// where the run gives every pixel its one constant alpha).
using LevelSink = std::function<void(int width, int height, const QImage& image, const QImage& alpha)>;

// The chain of `source`: `levels` levels at most (all of them for 0), each handed to `put` in
// order, the progress counted as makemipmaps counts it.
void runChain(const QImage& source, const ChainOptions& chain, bool allSizes, int levels, CountedPass counted,
              const ProgressReport& progress, const LevelSink& put)
{
    int counter = 0, shown = 0;
    const auto count = [&](int steps) {
        counter += steps;
        if (progress && counter / 10 != shown) progress(shown = counter / 10);
    };

    // `level` always holds exactly the next level's pixels: the source itself first (shared,
    // not copied), then each halving made at its final size.
    ChainLevel level = chainLevelOf(source, chain.keepPictureAlpha, chain.alphaCoverage > 0);
    const bool ownAlpha = !level.alpha.isNull();
    const bool holdCoverage = ownAlpha && chain.alphaCoverage > 0;
    Coverage firstCoverage;
    ChainState state{source.width(), source.height()};
    for (int made = 0; state.w > 0 && state.h > 0 && (levels == 0 || made < levels); ++made) {
        const int w = state.w, h = state.h, sx = state.sx, sy = state.sy;
        if (ownAlpha) {
            // The coverage scale changes what is stored, not what the next halving reads, so
            // the small levels do not inherit the rounding of every scale before them.
            QImage levelAlpha = level.alpha;
            if (holdCoverage && made == 0)
                firstCoverage = coverageOf(levelAlpha, chain.alphaCoverage);
            else if (holdCoverage)
                levelAlpha = coverageScaled(level, chain.alphaCoverage, firstCoverage);
            put(w, h, blendedOverGrey(level.colour, levelAlpha), levelAlpha);
        } else {
            put(w, h, level.colour, QImage());
        }

        const int halvingWidth = w / sx;
        count(counted == CountedPass::Copy ? w + 1 : halvingWidth + 1);
        state.advance();
        if (!allSizes) break;
        if (state.w <= 0 || state.h <= 0 || made + 1 == levels) continue;
        if (chain.resampling == Resampling::Point && !ownAlpha)
            level.colour = halved(level.colour, sx, sy, state.w, state.h);
        else
            level = halvedLevel(level, state.w, state.h, chain.resampling);
    }
}

} // namespace

int makemipmaps(TextureDocument& document, const QImage& source, int alpha, bool allSizes, CountedPass counted,
                const ProgressReport& progress, const ChainOptions& chain)
{
    if (alpha < 0 || alpha > 255) throw std::invalid_argument("alpha outside 0..255");
    if (chain.alphaCoverage < 0 || chain.alphaCoverage > 255) throw std::invalid_argument("coverage outside 0..255");
    checkChainLimits(document.levelCount(), source.size(), allSizes);

    int first = 0;
    runChain(source, chain, allSizes, 0, counted, progress,
             [&](int w, int h, const QImage& image, const QImage& levelAlpha) {
                 const int made = document.appendLevel(w, h, QStringLiteral("%1x%2").arg(w).arg(h), alpha);
                 document.setLevelPixels(made, image, levelAlpha);
                 if (first == 0) first = made;
             });
    return first;
}

void checkRebuild(const TextureDocument& document, int from)
{
    if (from < 1 || from > document.levelCount())
        throw Error(QStringLiteral("Level %1 does not exist; the texture has %2").arg(from).arg(levelsText(document.levelCount())));
    const std::vector<QSize> sizes = chainSizes(document.levelSize(from), true);
    for (int k = from + 1; k <= document.levelCount(); ++k) {
        const std::size_t at = std::size_t(k - from);
        if (at >= sizes.size() || document.levelSize(k) != sizes[at])
            throw Error(QStringLiteral("Level %1 is %2 x %3, not the halving of level %4 (%5 x %6); only halvings can be rebuilt")
                            .arg(k)
                            .arg(document.levelSize(k).width())
                            .arg(document.levelSize(k).height())
                            .arg(k - 1)
                            .arg(document.levelSize(k - 1).width())
                            .arg(document.levelSize(k - 1).height()));
    }
}

int rebuildSmallerLevels(TextureDocument& document, int from, const ChainOptions& chain)
{
    if (chain.alphaCoverage < 0 || chain.alphaCoverage > 255) throw std::invalid_argument("coverage outside 0..255");
    checkRebuild(document, from);
    const int count = document.levelCount() - from;
    if (count == 0) return 0;

    // The level's pixels as the chain takes a picture: with the picture's alpha, its stored colour
    // and alpha; without, its level image, each smaller level keeping its own alpha plane.
    const QImage source = chain.keepPictureAlpha ? storedPixels(document, from)
                                                 : document.levelImage(from).copy(QRect(QPoint(0, 0), document.levelSize(from)));
    // Every level is made before any is put in, so that a failure changes nothing.
    std::vector<std::pair<QImage, QImage>> made;
    runChain(source, chain, true, count + 1, CountedPass::Halving, {},
             [&](int, int, const QImage& image, const QImage& alpha) { made.emplace_back(image, alpha); });
    for (int i = 1; i <= count; ++i) document.setLevelPixels(from + i, made[std::size_t(i)].first, made[std::size_t(i)].second);
    return count;
}

QImage storedPixels(const TextureDocument& document, int level)
{
    const QSize size = document.levelSize(level);
    const QImage& image = document.levelImage(level);
    const QImage& plane = document.alphaPlane(level);
    QImage out = allocatePicture(size.width(), size.height(), QImage::Format_ARGB32);
    const Composition& c = composition();
    for (int y = 0; y < size.height(); ++y) {
        const auto* colour = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const uchar* alpha = plane.constScanLine(y);
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int width = size.width(), one = rowAlpha(alpha, width);
        if (one == 255) {
            for (int x = 0; x < width; ++x) to[x] = colour[x] | 0xFF000000u;
            continue;
        }
        const auto put = [&](int x, const std::uint8_t* stored) {
            to[x] = qRgba(stored[qRed(colour[x])], stored[qGreen(colour[x])], stored[qBlue(colour[x])], alpha[x]);
        };
        if (one >= 0)
            for (int x = 0; x < width; ++x) put(x, c.stored[one]);
        else
            for (int x = 0; x < width; ++x) put(x, c.stored[alpha[x]]);
    }
    return out;
}

} // namespace quorvel

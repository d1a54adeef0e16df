// The level chain builder against its rule: the sizes, the shared clamp flag, point sampling,
// the constant alpha, the table it writes and the progress it counts.
#include "import/MipmapChain.h"

#include "base/Error.h"
#include "document/TextureDocument.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

// Every pixel a different colour, so that a sample from the wrong place shows.
QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | QRgb(x) << 12 | QRgb(y));
    return image;
}

// The chain exactly as the rule states it, pixel by pixel: a working image at least as large as
// the source, cleared to white before every halving, sampled at (x * sx, y * sy), the steps and
// the one clamp flag updated after each level.
std::vector<QImage> referenceChain(const QImage& picture, bool allSizes)
{
    std::vector<QImage> levels;
    QImage source = picture;
    QImage working(picture.size(), QImage::Format_RGB32);
    bool clamped = false;
    int sx = 2, sy = 2, w = picture.width(), h = picture.height();
    while (w != 0 && h != 0) {
        QImage level(w, h, QImage::Format_RGB32);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) level.setPixel(x, y, source.pixel(x, y));
        levels.push_back(level);
        working.fill(0xFFFFFFFFu);
        const int nw = w / sx, nh = h / sy;
        for (int x = 0; x < std::max(nw, 1); ++x)
            for (int y = 0; y < std::max(nh, 1); ++y) working.setPixel(x, y, source.pixel(x * sx, y * sy));
        w /= sx;
        h /= sy;
        if (w < 1 && !clamped) w = 1, sx = 1, clamped = true;
        if (h < 1 && !clamped) h = 1, sy = 1, clamped = true;
        source = working.copy();
        if (!allSizes) w = 0;
    }
    return levels;
}

QStringList sizeTexts(const std::vector<QSize>& sizes)
{
    QStringList out;
    for (QSize s : sizes) out << QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
    return out;
}

TEST(MipmapChain, ProgressEstimate)
{
    const std::pair<int, int> rows[] = {{0, 0},   {9, 0},    {16, 1},   {64, 6},    {128, 13},
                                        {256, 27}, {300, 32}, {512, 55}, {1024, 112}};
    for (auto [width, estimate] : rows) EXPECT_EQ(progressEstimate(width), estimate) << width;
}

TEST(MipmapChain, SizesHalveUntilTheFirstOneByOne)
{
    struct Row {
        QSize source;
        bool allSizes;
        QStringList sizes;
    } rows[] = {
        {{256, 256}, true, {"256x256", "128x128", "64x64", "32x32", "16x16", "8x8", "4x4", "2x2", "1x1"}},
        {{64, 16}, true, {"64x16", "32x8", "16x4", "8x2", "4x1", "2x1", "1x1"}},
        {{2, 8}, true, {"2x8", "1x4", "1x2", "1x1"}},
        {{5, 2}, true, {"5x2", "2x1", "1x1"}},
        {{3, 3}, true, {"3x3", "1x1"}},
        {{1, 1}, true, {"1x1"}},
        {{1, 5}, true, {"1x5", "1x2", "1x1"}},
        {{1024, 1}, true, {"1024x1", "512x1", "256x1", "128x1", "64x1", "32x1", "16x1", "8x1", "4x1", "2x1", "1x1"}},
        {{300, 7}, false, {"300x7"}},
        {{0, 5}, true, {}},
        {{4, 0}, true, {}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(sizeTexts(chainSizes(r.source, r.allSizes)), r.sizes) << r.source.width() << "x" << r.source.height();
        TextureDocument document;
        makemipmaps(document, numbered(r.source.width(), r.source.height()), 255, r.allSizes, CountedPass::Halving);
        EXPECT_EQ(document.levelEntries(), r.sizes);
    }
}

TEST(MipmapChain, PixelsAndAlphaFollowTheRule)
{
    const QSize sizes[] = {{4, 4}, {2, 8}, {8, 2}, {5, 2}, {3, 3}, {64, 16}, {7, 13}, {1, 9}, {33, 1}, {100, 37}};
    for (const QSize size : sizes) {
        for (const int alpha : {0, 128, 255}) {
            const QImage picture = numbered(size.width(), size.height());
            const std::vector<QImage> expected = referenceChain(picture, true);
            TextureDocument document;
            ASSERT_EQ(makemipmaps(document, picture, alpha, true, CountedPass::Copy), 1);
            ASSERT_EQ(document.levelCount(), int(expected.size()));
            for (int k = 1; k <= document.levelCount(); ++k) {
                const QImage& level = document.levelImage(k);
                EXPECT_EQ(level.format(), QImage::Format_RGB32);
                EXPECT_EQ(level, expected[k - 1]) << size.width() << "x" << size.height() << " level " << k;
                QImage plane(level.size(), QImage::Format_Grayscale8);
                plane.fill(uint(alpha));
                EXPECT_EQ(document.alphaPlane(k), plane) << k;
            }
        }
    }
}

TEST(MipmapChain, WorkedFiguresOfA256Picture)
{
    TextureDocument document;
    std::vector<int> positions;
    makemipmaps(document, numbered(256, 256), 255, true, CountedPass::Halving,
                [&](int position) { positions.push_back(position); });
    const int offsets[] = {968, 263112, 328648, 345032, 349128, 350152, 350408, 350472, 350488};
    ASSERT_EQ(document.levelCount(), 9);
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(document.header().offsets[k - 1], offsets[k - 1]) << k;
    for (int k = 10; k <= 16; ++k) EXPECT_EQ(document.header().offsets[k - 1], 0) << k;
    EXPECT_EQ(progressEstimate(256), 27);
    // Each change of the bar reported once, rising, ending at 26 of 27.
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 26);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(std::adjacent_find(positions.begin(), positions.end()), positions.end());
}

TEST(MipmapChain, ProgressCountsThePassTheCallerChose)
{
    struct Row {
        QSize source;
        bool allSizes;
        CountedPass pass;
        int last; // steps div 10 at the end
    } rows[] = {
        {{256, 256}, true, CountedPass::Copy, 52},     // 511 columns + 9
        {{256, 256}, false, CountedPass::Halving, 12}, // 128 + 1: the one level is still halved
        {{256, 256}, false, CountedPass::Copy, 25},
        {{64, 16}, true, CountedPass::Halving, 7},     // 63 + 7
        {{5, 2}, true, CountedPass::Copy, 1},          // 6 + 3 + 2
    };
    for (const Row& r : rows) {
        TextureDocument document;
        int last = 0;
        makemipmaps(document, numbered(r.source.width(), r.source.height()), 255, r.allSizes, r.pass,
                    [&](int position) { last = position; });
        EXPECT_EQ(last, r.last) << r.source.width() << "x" << r.source.height();
    }
}

TEST(MipmapChain, AppendsAfterTheLevelsPresent)
{
    TextureDocument document;
    document.appendLevel(256, 256, "256x256");
    document.appendLevel(128, 128, "128x128");
    EXPECT_EQ(makemipmaps(document, numbered(128, 128), 255, true, CountedPass::Halving), 3);
    EXPECT_EQ(document.levelCount(), 10);
    EXPECT_EQ(document.header().offsets[2], 968 + 262144 + 65536);
    EXPECT_EQ(document.levelEntries()[2], "128x128");

    // A larger picture after a smaller one: its halvings are whole, not cut to the first size.
    TextureDocument grown;
    makemipmaps(grown, numbered(64, 64), 255, true, CountedPass::Halving);
    const QImage big = numbered(256, 256);
    EXPECT_EQ(makemipmaps(grown, big, 255, true, CountedPass::Halving), 8);
    EXPECT_EQ(grown.levelCount(), 16);
    EXPECT_EQ(grown.levelImage(9), referenceChain(big, true)[1]);
}

TEST(MipmapChain, LimitsRefusedBeforeAnythingChanges)
{
    struct Row {
        int present;
        QSize source;
        bool allSizes;
        const char* message; // empty: accepted
    } rows[] = {
        {0, {1025, 4}, true, "The picture is 1025 x 4 pixels; a level has at most 1024 pixels on a side"},
        {0, {16, 2048}, false, "The picture is 16 x 2048 pixels; a level has at most 1024 pixels on a side"},
        {8, {256, 256}, true, "The picture makes 9 levels and the texture has 8 levels; a texture holds at most 16 levels"},
        {16, {4, 4}, false, "The picture makes 1 level and the texture has 16 levels; a texture holds at most 16 levels"},
        {7, {256, 256}, true, ""},
        {15, {1024, 1024}, false, ""},
        {0, {1024, 1}, true, ""},
    };
    for (const Row& r : rows) {
        TextureDocument document;
        for (int k = 0; k < r.present; ++k) document.appendLevel(2, 2, "kept");
        const QStringList before = document.levelEntries();
        const QImage picture = numbered(r.source.width(), r.source.height());
        if (*r.message) {
            try {
                makemipmaps(document, picture, 255, r.allSizes, CountedPass::Halving);
                ADD_FAILURE() << "accepted " << r.message;
            } catch (const Error& e) {
                EXPECT_EQ(e.message(), r.message);
            }
            EXPECT_EQ(document.levelEntries(), before);
            if (r.present < 16) {
                EXPECT_EQ(document.header().offsets[r.present], 0);
            }
        } else {
            EXPECT_NO_THROW(makemipmaps(document, picture, 255, r.allSizes, CountedPass::Halving));
        }
    }
    TextureDocument document;
    EXPECT_THROW(makemipmaps(document, numbered(2, 2), 256, true, CountedPass::Copy), std::invalid_argument);
    EXPECT_EQ(document.levelCount(), 0);
}

} // namespace
} // namespace quorvel

// Level chains on request: box and linear-light halving against known pixels and a plain
// reference, premultiplied averaging, the picture's own alpha from the readers that have it, and
// the alpha-test coverage held through the chain.
#include "import/BatchConversion.h"
#include "import/ChainFilters.h"
#include "import/Import.h"
#include "import/ImportedPicture.h"
#include "import/MipmapChain.h"
#include "import/PictureKinds.h"

#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "tests/support/Bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace quorvel {
namespace {

using test::Bytes;

QImage argb(int width, int height, const std::vector<QRgb>& pixels)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int i = 0; i < width * height; ++i) image.setPixel(i % width, i / width, pixels[std::size_t(i)]);
    return image;
}

std::vector<QImage> chain(const QImage& picture, const ChainOptions& options, int alpha = 255)
{
    TextureDocument document;
    makemipmaps(document, picture, alpha, true, CountedPass::Copy, {}, options);
    std::vector<QImage> levels;
    for (int k = 1; k <= document.levelCount(); ++k) levels.push_back(document.levelImage(k));
    return levels;
}

TEST(ChainFilters, KnownBlocksHalveByTheirRule)
{
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255);
    struct Row {
        int width, height;
        std::vector<QRgb> pixels;
        Resampling resampling;
        QRgb next; // the level after the first, pixel (0, 0)
    } rows[] = {
        {2, 2, {black, white, white, black}, Resampling::Box, qRgb(128, 128, 128)},
        {2, 2, {black, white, white, black}, Resampling::Linear, qRgb(188, 188, 188)},
        {2, 2, {black, white, white, black}, Resampling::Point, black},
        // A side of 1 pixel: the mean of the other direction only.
        {2, 1, {black, white}, Resampling::Box, qRgb(128, 128, 128)},
        {1, 2, {black, white}, Resampling::Linear, qRgb(188, 188, 188)},
        // The last column and row of an odd side are never read.
        {3, 3, {qRgb(10, 0, 0), qRgb(20, 0, 0), white, qRgb(30, 0, 0), qRgb(41, 0, 0), white, white, white, white},
         Resampling::Box, qRgb(25, 0, 0)},
        {2, 2, {qRgb(1, 2, 3), qRgb(2, 3, 4), qRgb(1, 2, 3), qRgb(2, 3, 4)}, Resampling::Box, qRgb(2, 3, 4)},
    };
    for (const Row& r : rows) {
        const QImage picture = argb(r.width, r.height, r.pixels).convertToFormat(QImage::Format_RGB32);
        const std::vector<QImage> levels = chain(picture, {r.resampling, false, 0});
        ASSERT_GE(levels.size(), 2u);
        EXPECT_EQ(levels[0], picture);
        EXPECT_EQ(levels[1].pixel(0, 0), r.next) << r.width << "x" << r.height << " " << int(r.resampling);
    }
}

// The mean of the 2 x 2 block in doubles, halves up; linear light through pow.
QRgb referenceMean(const QImage& level, int x, int y, bool linear)
{
    const auto toLinear = [](double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); };
    const auto toSrgb = [](double l) { return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055; };
    const int x1 = level.width() > 1 ? 2 * x + 1 : x, y1 = level.height() > 1 ? 2 * y + 1 : y;
    const int x0 = level.width() > 1 ? 2 * x : x, y0 = level.height() > 1 ? 2 * y : y;
    int out[3];
    for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (QRgb p : {level.pixel(x0, y0), level.pixel(x1, y0), level.pixel(x0, y1), level.pixel(x1, y1)}) {
            const int v = c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
            sum += linear ? toLinear(v / 255.0) : v;
        }
        out[c] = linear ? int(std::floor(toSrgb(sum / 4) * 255 + 0.5)) : int(std::floor(sum / 4 + 0.5));
    }
    return qRgb(out[0], out[1], out[2]);
}

TEST(ChainFilters, WholeChainsMatchThePlainMean)
{
    std::mt19937 random(16);
    for (const QSize size : {QSize(64, 64), QSize(37, 12), QSize(1, 9), QSize(33, 1), QSize(5, 2)}) {
        QImage picture(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) picture.setPixel(x, y, random() | 0xFF000000u);
        for (const bool linear : {false, true}) {
            const std::vector<QImage> levels = chain(picture, {linear ? Resampling::Linear : Resampling::Box, false, 0});
            ASSERT_EQ(levels.size(), chainSizes(size, true).size());
            int off = 0, offByMore = 0;
            for (std::size_t k = 1; k < levels.size(); ++k)
                for (int y = 0; y < levels[k].height(); ++y)
                    for (int x = 0; x < levels[k].width(); ++x) {
                        const QRgb got = levels[k].pixel(x, y), want = referenceMean(levels[k - 1], x, y, linear);
                        const int d = std::max({std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                                                std::abs(qBlue(got) - qBlue(want))});
                        off += d != 0;
                        offByMore += d > 1;
                    }
            // The box is exact; linear light goes through 16-bit tables, which may only move a
            // value lying on a rounding edge.
            EXPECT_EQ(offByMore, 0) << size.width() << "x" << size.height();
            if (!linear) {
                EXPECT_EQ(off, 0) << size.width() << "x" << size.height();
            }
        }
    }
    const LightTables& t = lightTables();
    for (int c = 0; c < 256; ++c) EXPECT_EQ(t.encode[t.decode[c]], c) << c;
}

TEST(ChainFilters, TransparentColourDoesNotBleed)
{
    const QRgb clearRed = qRgba(255, 0, 0, 0), blue = qRgba(0, 0, 255, 255);
    const QImage picture = argb(2, 2, {clearRed, blue, blue, blue});
    for (const Resampling resampling : {Resampling::Box, Resampling::Linear}) {
        TextureDocument document;
        ASSERT_EQ(importIntoDocument(document, picture, {true, false, {resampling, true, 0}}), 1);
        ASSERT_EQ(document.levelCount(), 2);
        EXPECT_EQ(document.alphaPlane(1).constScanLine(0)[0], 0);
        EXPECT_EQ(document.alphaPlane(2).constScanLine(0)[0], 191); // (0 + 3 * 255 + 2) / 4
        // The level image holds the blue over the grey by its alpha; the saved file the blue.
        const std::uint8_t* shown = composition().shown[191];
        EXPECT_EQ(document.levelImage(2).pixel(0, 0), qRgb(shown[0], shown[0], shown[255]));
        const QByteArray file = document.saveToBytes();
        EXPECT_EQ(file.mid(968, 4), QByteArray("\0\0\0\0", 4));                 // level 1, the clear pixel
        EXPECT_EQ(file.mid(968 + 16, 4), QByteArray("\0\0\xff\xbf", 4)) << int(resampling); // level 2
    }
    // The picture's alpha not asked for: the colour alone, averaged plainly, at the run's alpha.
    const std::vector<QImage> plain = chain(picture, {Resampling::Box, false, 0}, 200);
    EXPECT_EQ(plain[1].pixel(0, 0), qRgb(64, 0, 191));
}

// A 32-bit Targa, stored top row first, blue-green-red-alpha.
QByteArray targa32(int width, int height, const std::vector<QRgb>& pixels)
{
    Bytes tga;
    tga.u8s({0, 0, 2}).fill(5).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(32).u8(0x28);
    for (QRgb p : pixels) tga.u8s({qBlue(p), qGreen(p), qRed(p), qAlpha(p)});
    return tga;
}

// A bitmap of 32 bits with an alpha mask in a 56-byte header, bottom row first.
QByteArray bitmap32(int width, int height, const std::vector<QRgb>& pixels)
{
    Bytes bmp;
    const int size = 14 + 56 + 4 * width * height;
    bmp.text("BM").u32(quint32(size)).u32(0).u32(70);
    bmp.u32(56).i32(width).i32(height).u16(1).u16(32).u32(3).u32(0).i32(0).i32(0).u32(0).u32(0);
    bmp.u32(0x00FF0000u).u32(0x0000FF00u).u32(0x000000FFu).u32(0xFF000000u);
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = pixels[std::size_t(y * width + x)];
            bmp.u8s({qBlue(p), qGreen(p), qRed(p), qAlpha(p)});
        }
    return bmp;
}

TEST(ChainFilters, PicturesKeepTheirOwnAlpha)
{
    registerAllPictureKinds();
    QTemporaryDir dir;
    // An alpha gradient over one colour, 4 x 2.
    std::vector<QRgb> gradient;
    for (int i = 0; i < 8; ++i) gradient.push_back(qRgba(200, 100, 50, i * 36));
    const QString tga = test::writeTempFile("gradient.tga", targa32(4, 2, gradient));
    const QString bmp = test::writeTempFile("gradient.bmp", bitmap32(4, 2, gradient));

    for (const QString& path : {tga, bmp}) {
        ConversionOptions options;
        options.outputDirectory = dir.path();
        options.chain = {Resampling::Box, true, 0};
        TextureDocument document;
        convertt(document, path, options);
        // Level 1 exactly the picture's alpha, each halving the mean of its block.
        const int level1[] = {0, 36, 72, 108, 144, 180, 216, 252}, level2[] = {90, 162}, level3[] = {126};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(document.alphaPlane(1).constScanLine(i / 4)[i % 4], level1[i]) << i;
        for (int i = 0; i < 2; ++i) EXPECT_EQ(document.alphaPlane(2).constScanLine(0)[i], level2[i]);
        EXPECT_EQ(document.alphaPlane(3).constScanLine(0)[0], level3[0]);
        // The file gives back the picture's colour within the format's rounding.
        QFile file(QDir(dir.path()).filePath("gradient.m32"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (int i = 1; i < 8; ++i) {
            const int a = level1[i];
            const auto stored = [&](int c) { return int(composition().stored[a][composition().shown[a][c]]); };
            const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + 968 + 4 * i;
            EXPECT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}), (std::vector<int>{stored(200), stored(100), stored(50), a})) << i;
        }
    }

    // The option off, the picture is read as before.
    EXPECT_EQ(loadImportedImage(tga), loadImportedImage(tga, false));
    EXPECT_EQ(loadImportedImage(tga).format(), QImage::Format_RGB32);
    // An opaque picture with alpha chains as the same picture without: point sampling of the
    // alpha takes the colour's pixels, and alpha 255 blends to the colour itself.
    std::mt19937 random(5);
    std::vector<QRgb> noise(7 * 13);
    for (QRgb& p : noise) p = random() | 0xFF000000u;
    const QImage opaque = argb(7, 13, noise);
    EXPECT_EQ(chain(opaque, {Resampling::Point, true, 0}), chain(opaque.convertToFormat(QImage::Format_RGB32), {}));
    EXPECT_EQ(chain(opaque, {Resampling::Box, true, 0}), chain(opaque, {Resampling::Box, false, 0}));
}

// Leaves: opaque ellipses with a soft rim of two pixels over a clear ground, as a cut-out
// texture has them.
QImage foliage(int side)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0, 1);
    struct Leaf {
        double x, y, rx, ry, c, s;
    };
    std::vector<Leaf> leaves(60);
    for (Leaf& l : leaves) {
        const double angle = 3.2 * unit(random);
        l = {unit(random) * side, unit(random) * side, 4 + 10 * unit(random), 2 + 5 * unit(random), std::cos(angle), std::sin(angle)};
    }
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            double a = 0;
            for (const Leaf& l : leaves) {
                const double dx = x - l.x, dy = y - l.y;
                const double u = (dx * l.c + dy * l.s) / l.rx, v = (dy * l.c - dx * l.s) / l.ry;
                // Roughly the distance to the rim in pixels, 2 pixels of softness.
                const double inside = (1 - std::sqrt(u * u + v * v)) * std::min(l.rx, l.ry) / 2.0 + 0.5;
                a = std::max(a, std::clamp(inside, 0.0, 1.0));
            }
            image.setPixel(x, y, qRgba(30, 140 + (x & 31), 40, int(std::lround(a * 255))));
        }
    return image;
}

TEST(ChainFilters, AlphaTestCoverageHeldThroughTheChain)
{
    const QImage leaves = foliage(256);
    const auto misses = [&](int coverage) {
        TextureDocument document;
        makemipmaps(document, leaves, 255, true, CountedPass::Copy, {}, {Resampling::Box, true, coverage});
        const Coverage first = coverageOf(document.alphaPlane(1), 128);
        std::vector<double> pixelsOff;
        for (int k = 2; k <= document.levelCount(); ++k) {
            const Coverage c = coverageOf(document.alphaPlane(k), 128);
            pixelsOff.push_back(std::abs(double(c.atOrAbove) - double(first.atOrAbove) * c.pixels / first.pixels));
        }
        return pixelsOff;
    };
    // Pixels of equal alpha cannot be parted by a scale, so "within one pixel" holds where the
    // alphas near the reference differ, as they do along soft rims.
    for (const double off : misses(128)) EXPECT_LE(off, 1.0);
    const std::vector<double> without = misses(0);
    EXPECT_GT(*std::max_element(without.begin(), without.end()), 1.0); // the test picture needs it

    // A plane whose share is already right comes back as it is; a wanted share of 0 puts every
    // alpha below the reference.
    QImage plane(4, 1, QImage::Format_Grayscale8);
    for (int x = 0; x < 4; ++x) plane.scanLine(0)[x] = uchar(x * 80);
    EXPECT_EQ(coverageScaled({{}, plane, {}}, 128, {2, 4}), plane);
    EXPECT_EQ(coverageOf(coverageScaled({{}, plane, {}}, 128, {0, 9}), 128).atOrAbove, 0);
    EXPECT_EQ(coverageOf(coverageScaled({{}, plane, {}}, 128, {3, 4}), 128).atOrAbove, 3);
}

} // namespace
} // namespace quorvel

// Metafiles built to stall the player: many edges crossing the same rows, wide pens, clip paths
// that cross themselves, long runs of clip records. Each is refused before anything is drawn or
// draws what it says; the same kinds at a harmless size still draw.
#include "base/Error.h"
#include "graphics/metafile/Metafile.h"
#include "graphics/metafile/MetafileRecords.h"
#include "tests/support/HostileFiles.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::metafile;
using namespace quorvel::test::hostile;
using quorvel::test::Bytes;
using quorvel::test::Emf;
using quorvel::test::Wmf;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// "drawn" and the picture, or the message of the refusal.
QString outcome(const QByteArray& bytes, QImage* drawn = nullptr)
{
    Metafile metafile;
    try {
        metafile.load(bytes);
    } catch (const Error& e) {
        return e.message();
    }
    QImage image(metafile.width(), metafile.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        metafile.draw(painter, QPoint(0, 0));
    }
    if (drawn) *drawn = image;
    return "drawn";
}

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

// `count` rectangles over the whole 1024 x 1024 picture in a brush of `style` (0 solid, 2 hatch).
QByteArray wholeRectangles(int count, std::uint32_t style)
{
    Emf emf;
    emf.rec(EMR_CREATEBRUSHINDIRECT, Bytes().u32(1).u32(style).raw(Emf::colour(kRed)).u32(3)).select(1).nullPen();
    for (int i = 0; i < count; ++i) emf.rec(EMR_RECTANGLE, Emf::ints({0, 0, 1024, 1024}));
    return emfOf(emf, 1024, 1024);
}

// `count` 2 x 2 bitmaps, each stretched over the whole 1024 x 1024 picture.
QByteArray wholeBitmaps(int count)
{
    Emf emf;
    for (int i = 0; i < count; ++i) {
        Bytes p;
        p.i32(0).i32(0).i32(1024).i32(1024).i32(0).i32(0).i32(0).i32(0).i32(2).i32(2);
        p.u32(80).u32(40).u32(120).u32(16).u32(0).u32(SRCCOPY).i32(1024).i32(1024).raw(test::dib24(kRed, kRed, kRed, kRed));
        emf.rec(EMR_STRETCHDIBITS, p);
    }
    return emfOf(emf, 1024, 1024);
}

} // namespace

TEST(HostileMetafile, WorkBeyondTheBudgetIsRefusedBeforeDrawing)
{
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        // Every one of a thousand edges crosses every row of the picture.
        {"zig-zag polygon (WMF)", zigzagPolygonWmf(1000, 1024)},
        {"zig-zag polygon (EMF)", zigzagPolygonEmf(1000, 1024)},
        {"zig-zag path, filled", zigzagPolygonEmf(1000, 1024, true)},
        {"zig-zag of 65535 points", zigzagPolygonWmf(65535, 1024)},
        // A pen as wide as the picture: each segment's outline covers every row.
        {"wide pen, square ends", widePenEmf(600, 1024, 1024, 0x2100)},
        {"wide pen, round joins", widePenEmf(600, 1024, 1024, 0x0000)},
        // Cutting a rectangle out of a self-crossing star resolves every crossing of the star.
        {"star clip of 999 points", starClipEmf(999, 1, 1024)},
        {"star clip of 401 points", starClipEmf(401, 1, 1024)},
        // Each cut makes the clip more complex for the next.
        {"2000 excluded rectangles", excludeClipsEmf(2000, 1024)},
        // A hatch costs several solid fills a pixel, a stretched bitmap two; the checking pass
        // decodes no bitmap but counts its drawing all the same.
        {"400 hatched fills", wholeRectangles(400, 2)},
        {"800 stretched bitmaps", wholeBitmaps(800)},
    };
    for (const Row& row : rows) EXPECT_EQ(outcome(row.bytes), "Metafile is not valid") << row.name;
}

TEST(HostileMetafile, TheSameKindsAtAHarmlessSizeDraw)
{
    QImage image;
    // A pentagram clip: its points are inside, the pentagon at its centre is not (alternate fill).
    ASSERT_EQ(outcome(starClipEmf(5, 1, 1024), &image), "drawn");
    EXPECT_EQ(at(image, 950, 512), kRed);
    EXPECT_EQ(at(image, 512, 512), kWhite);
    EXPECT_EQ(at(image, 20, 20), kWhite);

    // As many solid fills as hatched ones above.
    ASSERT_EQ(outcome(wholeRectangles(400, 0), &image), "drawn");
    EXPECT_EQ(at(image, 512, 512), kRed);
    ASSERT_EQ(outcome(wholeBitmaps(100), &image), "drawn");
    EXPECT_EQ(at(image, 512, 512), kRed);

    // A few teeth of the zig-zag: the first tooth's foot is red, the gap beside it white.
    ASSERT_EQ(outcome(zigzagPolygonWmf(5, 256), &image), "drawn");
    EXPECT_EQ(at(image, 63, 250), kRed);
    EXPECT_EQ(at(image, 5, 250), kWhite);

    // A 16-pixel pen down the first segment.
    ASSERT_EQ(outcome(widePenEmf(3, 256, 16, 0x2100), &image), "drawn");
    EXPECT_EQ(at(image, 64, 128), kBlue);
    EXPECT_EQ(at(image, 128, 30), kWhite);

    // Holes cut by a few hundred excluded squares stay unfilled.
    ASSERT_EQ(outcome(excludeClipsEmf(100, 1024), &image), "drawn");
    EXPECT_EQ(at(image, 1, 1), kWhite);
    EXPECT_EQ(at(image, 37 + 1, 91 + 1), kWhite);
    EXPECT_EQ(at(image, 1000, 5), qRgb(0, 255, 0));
}

// Each of the sixteen pen mixes, filling a rectangle of pen colour P over a picture of colour D:
// the result is the mix's boolean function of P and D, bit by bit.
TEST(HostileMetafile, PenMixesFollowTheirSixteenCodes)
{
    const std::uint32_t p = 0x0F33CC, d = 0x3355AA;
    const std::uint32_t expected[16] = {
        0x000000,            // 1 black
        ~(p | d),            // 2 not (P or D)
        ~p & d,              // 3
        ~p,                  // 4
        p & ~d,              // 5
        ~d,                  // 6 not D
        p ^ d,               // 7
        ~(p & d),            // 8
        p & d,               // 9 P and D
        ~(p ^ d),            // 10 not (P xor D)
        d,                   // 11 nothing drawn
        ~p | d,              // 12
        p,                   // 13 the pen
        p | ~d,              // 14
        p | d,               // 15
        0xFFFFFF,            // 16 white
    };
    const auto rgb = [](std::uint32_t v) { return qRgb(int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)); };
    for (int code = 1; code <= 16; ++code) {
        Wmf wmf;
        wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {10, 10}).nullPen().select(0);
        wmf.solidBrush(rgb(d)).select(1).rec(META_RECTANGLE, {10, 10, 0, 0});
        wmf.solidBrush(rgb(p)).select(2).rec(META_SETROP2, {code}).rec(META_RECTANGLE, {10, 10, 0, 0});
        QImage image;
        ASSERT_EQ(outcome(wmf.placeable(0, 0, 10, 10, 96), &image), "drawn") << code;
        EXPECT_EQ(at(image, 5, 5), rgb(expected[code - 1]) | 0xFF000000u) << "mix " << code;
    }
    // Leaving the picture as it is includes the background of an opaque hatch.
    Wmf hatch;
    hatch.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {10, 10}).nullPen().select(0);
    hatch.colour(META_CREATEBRUSHINDIRECT, kRed, {2}, {0}).select(1).rec(META_SETBKCOLOR, {0x00FF, 0});
    hatch.rec(META_SETROP2, {11}).rec(META_RECTANGLE, {10, 10, 0, 0});
    QImage image;
    ASSERT_EQ(outcome(hatch.placeable(0, 0, 10, 10, 96), &image), "drawn");
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) EXPECT_EQ(at(image, x, y), kWhite) << x << "," << y;
}

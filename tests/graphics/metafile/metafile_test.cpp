// The metafile reader: WMF and EMF files built byte by byte, drawn as the import sees them, and
// malformed ones refused with the reader's message.
#include "base/Error.h"
#include "graphics/metafile/Metafile.h"
#include "graphics/metafile/MetafileRecords.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"
#include "tests/support/Bytes.h"
#include "tests/support/MetafileFiles.h"

#include <QDir>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::metafile;
using test::Bytes;
using test::dib24;
using test::Emf;
using test::Wmf;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);

QRgb at(const QImage& image, int x, int y)
{
    return (image.pixel(x, y) & 0xFFFFFF) | 0xFF000000;
}

QImage imported(const QString& name, const QByteArray& bytes)
{
    return loadImportedImage(test::writeTempFile(name, bytes));
}

QString failure(const QString& name, const QByteArray& bytes)
{
    try {
        imported(name, bytes);
    } catch (const Error& e) {
        return e.message();
    }
    return "no error";
}

// A 24-bit DIB, bottom-up, of 2 x 2 pixels: the given colours, top row first.

} // namespace

TEST(Metafile, RegisteredBeforeIconsAndBitmaps)
{
    ASSERT_NE(findPictureKind("WMF"), nullptr);
    EXPECT_EQ(findPictureKind("wmf")->description, "Metafiles");
    EXPECT_EQ(findPictureKind("emf")->description, "Enhanced Metafiles");
    QStringList order;
    for (const PictureKind& kind : pictureKinds()) order << kind.extension;
    EXPECT_LT(order.indexOf("wmf"), order.indexOf("ico"));
    EXPECT_LT(order.indexOf("emf"), order.indexOf("ico"));
    EXPECT_LT(order.indexOf("ico"), order.indexOf("bmp"));
}

TEST(Metafile, PlaceableWmfAtItsFrameSize)
{
    // 1000 x 500 units at 1000 per inch: 96 x 48 pixels; the left half is red.
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {500, 1000}).solidBrush(kRed).select(0).nullPen().select(1);
    wmf.rec(META_RECTANGLE, {500, 500, 0, 0});
    const QImage image = imported("half.wmf", wmf.placeable(0, 0, 1000, 500, 1000));
    ASSERT_EQ(image.size(), QSize(96, 48));
    EXPECT_EQ(at(image, 10, 24), kRed);
    EXPECT_EQ(at(image, 45, 45), kRed);
    EXPECT_EQ(at(image, 50, 24), kWhite);
    EXPECT_EQ(at(image, 90, 5), kWhite);
}

TEST(Metafile, PlainWmfTakesItsFirstWindowExtentAsPixels)
{
    // The window is flipped (y up): the polygon near y = 0 lands at the bottom.
    Wmf wmf;
    wmf.rec(META_SETWINDOWEXT, {30, 40}).rec(META_SETWINDOWORG, {30, 0}).rec(META_SETWINDOWEXT, {-30, 40});
    wmf.solidBrush(kBlue).select(0).nullPen().select(1);
    wmf.rec(META_POLYGON, {4, 0, 0, 40, 0, 40, 10, 0, 10});
    const QImage image = imported("plain.wmf", wmf.plain());
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_EQ(at(image, 20, 25), kBlue);
    EXPECT_EQ(at(image, 20, 5), kWhite);
}

TEST(Metafile, WmfPensLinesAndHatches)
{
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {100, 100});
    wmf.colour(META_CREATEPENINDIRECT, kGreen, {0, 6, 0}).select(0);           // pen 6 units wide
    wmf.rec(META_MOVETO, {10, 0}).rec(META_LINETO, {10, 100});           // a band across at y = 10
    wmf.colour(META_CREATEBRUSHINDIRECT, kRed, {2}, {4}).select(1);              // cross hatch
    wmf.rec(META_SETBKMODE, {1});                                      // transparent background
    wmf.rec(META_RECTANGLE, {90, 90, 40, 40});
    const QImage image = imported("lines.wmf", wmf.placeable(0, 0, 100, 100, 96));
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(at(image, 50, 10), kGreen);
    EXPECT_EQ(at(image, 50, 20), kWhite);
    int red = 0, white = 0;
    for (int y = 45; y < 85; ++y)
        for (int x = 45; x < 85; ++x) {
            red += at(image, x, y) == kRed;
            white += at(image, x, y) == kWhite;
        }
    EXPECT_GT(red, 100);
    EXPECT_GT(white, 400);
}

TEST(Metafile, WmfClipsAndRestoresTheClip)
{
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {100, 100}).nullPen().select(0);
    wmf.solidBrush(kRed).select(1).solidBrush(kBlue);
    wmf.rec(META_SAVEDC, {});                                  // save
    wmf.rec(META_INTERSECTCLIPRECT, {50, 50, 0, 0});                      // clip to the top-left quarter
    wmf.rec(META_EXCLUDECLIPRECT, {30, 30, 10, 10});                    // less a hole
    wmf.rec(META_RECTANGLE, {100, 100, 0, 0});                    // fill everything red
    wmf.rec(META_RESTOREDC, {-1});                                // restore: no clip
    wmf.select(2).rec(META_RECTANGLE, {95, 95, 60, 60});          // blue in the bottom-right
    const QImage image = imported("clip.wmf", wmf.placeable(0, 0, 100, 100, 96));
    EXPECT_EQ(at(image, 40, 40), kRed);
    EXPECT_EQ(at(image, 20, 20), kWhite);
    EXPECT_EQ(at(image, 55, 55), kWhite);
    EXPECT_EQ(at(image, 80, 20), kWhite);
    EXPECT_EQ(at(image, 80, 80), kBlue);
}

TEST(Metafile, WmfStretchesDeviceIndependentBitmaps)
{
    // StretchDIB: raster operation, colour usage, source h, w, y, x, destination h, w, y, x.
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {40, 40});
    Bytes p;
    p.u32(0x00CC0020).u16(0).i16(2).i16(2).i16(0).i16(0).i16(40).i16(40).i16(0).i16(0);
    p.raw(dib24(kRed, kGreen, kBlue, kWhite));
    wmf.raw(META_STRETCHDIB, p);
    const QImage image = imported("dib.wmf", wmf.placeable(0, 0, 40, 40, 96));
    ASSERT_EQ(image.size(), QSize(40, 40));
    EXPECT_EQ(at(image, 5, 5), kRed);
    EXPECT_EQ(at(image, 35, 5), kGreen);
    EXPECT_EQ(at(image, 5, 35), kBlue);
    EXPECT_EQ(at(image, 35, 35), kWhite);
}

TEST(Metafile, EmfPolygonsInBothPointForms)
{
    // A 2540 x 2540 frame: 96 x 96 pixels, one reference-device pixel per pixel.
    Emf emf;
    emf.solidBrush(1, kGreen).select(1).nullPen();
    // POLYGON16: bounds, count, points.
    emf.rec(EMR_POLYGON16, Emf::ints({0, 0, 0, 0}).u32(4).i16(0).i16(0).i16(40).i16(0).i16(40).i16(40).i16(0).i16(40));
    // POLYPOLYGON (32-bit): bounds, polygons, points, counts, points.
    emf.solidBrush(2, kBlue).select(2);
    emf.rec(EMR_POLYPOLYGON, Emf::ints({0, 0, 0, 0, 2, 8, 4, 4}).raw(Emf::ints({50, 50, 90, 50, 90, 60, 50, 60, 50, 80, 90, 80, 90, 90, 50, 90})));
    const QImage image = imported("poly.emf", emf.build(0, 0, 2540, 2540));
    ASSERT_EQ(image.size(), QSize(96, 96));
    EXPECT_EQ(at(image, 20, 20), kGreen);
    EXPECT_EQ(at(image, 70, 55), kBlue);
    EXPECT_EQ(at(image, 70, 85), kBlue);
    EXPECT_EQ(at(image, 70, 70), kWhite);
    EXPECT_EQ(at(image, 45, 45), kWhite);
}

TEST(Metafile, EmfMappingModesAndSavedContexts)
{
    Emf emf;
    emf.solidBrush(1, kRed).select(1).nullPen();
    emf.rec(EMR_SETMAPMODE, Emf::ints({8}));                         // MM_ANISOTROPIC
    emf.rec(EMR_SETWINDOWEXTEX, Emf::ints({10, 10})).rec(EMR_SETVIEWPORTEXTEX, Emf::ints({96, 96}));
    emf.rec(EMR_SAVEDC);                                         // save
    emf.rec(EMR_SETVIEWPORTORGEX, Emf::ints({48, 48}));                    // viewport origin to the centre
    emf.rec(EMR_RECTANGLE, Emf::ints({0, 0, 5, 5}));                // bottom-right quarter
    emf.rec(EMR_RESTOREDC, Emf::ints({-1}));                        // restore
    emf.solidBrush(2, kBlue).select(2);
    emf.rec(EMR_RECTANGLE, Emf::ints({0, 0, 2, 2}));                // top-left fifth
    const QImage image = imported("mapping.emf", emf.build(0, 0, 2540, 2540));
    EXPECT_EQ(at(image, 80, 80), kRed);
    EXPECT_EQ(at(image, 10, 10), kBlue);
    EXPECT_EQ(at(image, 30, 30), kWhite);
}

TEST(Metafile, EmfStretchDibitsTopDownPalette)
{
    // An 8-bit top-down 2 x 2 DIB with a two-colour table: red, green / green, red.
    Bytes info;
    info.u32(40).i32(2).i32(-2).u16(1).u16(8).u32(0).u32(8).i32(0).i32(0).u32(2).u32(0);
    info.u8(0).u8(0).u8(255).u8(0).u8(0).u8(255).u8(0).u8(0);
    Bytes bits;
    bits.u8s({0, 1, 0, 0, 1, 0, 0, 0});
    // STRETCHDIBITS: bounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits,
    // cbBits, usage, rop, cxDest, cyDest.
    const std::uint32_t offBmi = 8 + 72, offBits = offBmi + std::uint32_t(info.size());
    Bytes p = Emf::ints({0, 0, 0, 0, 10, 10, 0, 0, 2, 2});
    p.u32(offBmi).u32(std::uint32_t(info.size())).u32(offBits).u32(std::uint32_t(bits.size())).u32(0).u32(0x00CC0020);
    p.i32(60).i32(60).raw(info).raw(bits);
    Emf emf;
    emf.rec(EMR_STRETCHDIBITS, p);
    const QImage image = imported("dib.emf", emf.build(0, 0, 2540, 2540));
    EXPECT_EQ(at(image, 20, 20), kRed);
    EXPECT_EQ(at(image, 60, 20), kGreen);
    EXPECT_EQ(at(image, 20, 60), kGreen);
    EXPECT_EQ(at(image, 60, 60), kRed);
    EXPECT_EQ(at(image, 5, 5), kWhite);
    EXPECT_EQ(at(image, 80, 80), kWhite);
}

TEST(Metafile, EmfTextInItsColourAtItsAlignment)
{
    // A font 40 pixels high; "HH" centred on x = 48 with its top at y = 10, in red.
    Bytes font = Emf::ints({-40, 0, 0, 0, 700}).u8s({0, 0, 0, 0, 0, 0, 0, 0});
    for (QChar c : QString("Sans")) font.u16(c.unicode());
    font.fill(64 - 8);
    Emf emf;
    emf.rec(EMR_EXTCREATEFONTINDIRECTW, Bytes().u32(1).raw(font)).select(1);
    emf.rec(EMR_SETTEXTCOLOR, Emf::colour(kRed));                                   // text colour
    emf.rec(EMR_SETBKMODE, Emf::ints({1}));                                      // transparent
    emf.rec(EMR_SETTEXTALIGN, Emf::ints({6}));                                      // TA_CENTER | TA_TOP
    // EXTTEXTOUTW: bounds, mode, scales, reference, count, string offset, options, rect, dx offset.
    Bytes p = Emf::ints({0, 0, 0, 0, 1});
    p.f32(1).f32(1).i32(48).i32(10).u32(2).u32(76).u32(0).raw(Emf::ints({0, 0, 0, 0})).u32(0);
    p.u16('H').u16('H');
    emf.rec(EMR_EXTTEXTOUTW, p);
    const QImage image = imported("text.emf", emf.build(0, 0, 2540, 2540));
    int left = 96, right = -1, top = 96, bottom = -1;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 96; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 200 && qGreen(c) < 100) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
            EXPECT_FALSE(qBlue(c) < 100 && qRed(c) < 100) << x << "," << y; // nothing black
        }
    ASSERT_GE(right, 0) << "no red text";
    EXPECT_NEAR((left + right) / 2.0, 48, 4);
    EXPECT_GE(top, 10);
    EXPECT_LE(top, 22);
    EXPECT_LE(bottom, 55);
}

TEST(Metafile, WmfTextOnAnOpaqueBackground)
{
    // ExtTextOut, right-aligned at x = 90 on its baseline y = 60, blue on a yellow background.
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {100, 100});
    Bytes font;
    font.i16(-30).i16(0).i16(0).i16(0).i16(700).u8s({0, 0, 0, 0, 0, 0, 0, 0}).text("Sans").fill(28);
    wmf.raw(META_CREATEFONTINDIRECT, font).select(0);
    wmf.colour(META_SETTEXTCOLOR, kBlue).colour(META_SETBKCOLOR, qRgb(255, 255, 0)).rec(META_SETBKMODE, {2});
    wmf.rec(META_SETTEXTALIGN, {2 | 24});
    wmf.rec(META_EXTTEXTOUT, {60, 90, 2, 0, 'M' | 'M' << 8});
    const QImage image = imported("text.wmf", wmf.placeable(0, 0, 100, 100, 96));
    int blueLeft = 100, blueRight = -1, yellow = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb c = at(image, x, y);
            if (qBlue(c) > 200 && qRed(c) < 60) {
                blueLeft = std::min(blueLeft, x);
                blueRight = std::max(blueRight, x);
                EXPECT_LE(y, 61);
                EXPECT_GE(y, 30);
            }
            yellow += c == qRgb(255, 255, 0);
        }
    ASSERT_GE(blueRight, 0) << "no blue text";
    EXPECT_LE(blueRight, 91);
    EXPECT_GE(blueRight, 84);
    EXPECT_LT(blueLeft, 70);
    EXPECT_GT(yellow, 50);
}

TEST(Metafile, EmfPlusCommentsAreSkippedAndTheirNeighboursDrawn)
{
    Emf emf;
    // A comment holding EMF+ records ("EMF+" then a record of garbage).
    emf.rec(EMR_GDICOMMENT, Bytes().u32(20).text("EMF+").u16(0x4008).u16(0).u32(12).u32(0).u32(0xDEADBEEF));
    emf.solidBrush(1, kRed).select(1).nullPen();
    emf.rec(EMR_RECTANGLE, Emf::ints({10, 10, 30, 30}));
    const QImage image = imported("dual.emf", emf.build(0, 0, 2540, 2540));
    EXPECT_EQ(at(image, 20, 20), kRed);
}

TEST(Metafile, DrawsScaledIntoARectangle)
{
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {500, 1000}).solidBrush(kRed).select(0).nullPen().select(1);
    wmf.rec(META_RECTANGLE, {500, 500, 0, 0});
    Metafile metafile;
    metafile.load(wmf.placeable(0, 0, 1000, 500, 1000));
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        metafile.draw(painter, QRect(0, 0, 200, 100));
    }
    EXPECT_EQ(at(image, 95, 50), kRed);
    EXPECT_EQ(at(image, 105, 50), kWhite);
}

TEST(Metafile, MalformedFilesAreNotValid)
{
    const Wmf empty;
    Wmf pastEnd;
    pastEnd.bytes(Bytes().u32(100).u16(META_LINETO).i16(1).i16(1));
    Wmf tooShort;
    tooShort.bytes(Bytes().u32(2).u16(META_LINETO));
    Wmf badIndex(2);
    badIndex.select(2);
    Wmf tableFull(1);
    tableFull.solidBrush(kRed).solidBrush(kRed);
    Bytes wrongHeader = Bytes().u16(1).u16(8).u16(0x300).u32(12).u16(0).u32(0).u16(0).u32(3).u16(0);
    Wmf noExtent;
    noExtent.rec(META_SETWINDOWORG, {0, 0});
    Emf emfPastEnd;
    emfPastEnd.rec(EMR_RECTANGLE, Emf::ints({0, 0, 1, 1}));
    QByteArray emfPastEndBytes = emfPastEnd.build(0, 0, 2540, 2540);
    emfPastEndBytes[88 + 4] = char(0x40); // the rectangle claims 64 bytes more than it has
    emfPastEndBytes[88 + 5] = char(0x01);
    Emf emfSmall;
    emfSmall.rec(EMR_RECTANGLE, Emf::ints({0, 0, 1, 1}));
    QByteArray emfSmallBytes = emfSmall.build(0, 0, 2540, 2540);
    emfSmallBytes[88 + 4] = char(4);
    Emf emfIndex(2);
    emfIndex.select(7);
    Emf emfSlotZero(4);
    emfSlotZero.solidBrush(0, kRed);
    Emf emfHuge;
    // A monochrome DIB of 8192 x 4097 pixels, its rows all present: past the bitmap cap.
    Wmf bigBitmap;
    bigBitmap.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {40, 40});
    Bytes big;
    big.u32(0x00CC0020).u16(0).i16(1).i16(1).i16(0).i16(0).i16(40).i16(40).i16(0).i16(0);
    big.u32(40).i32(8192).i32(4097).u16(1).u16(1).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0).u32(0).u32(0xFFFFFF);
    big.fill(1024 * 4097);
    bigBitmap.raw(META_STRETCHDIB, big);

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"neither.wmf", QByteArray("GIF89a and then some bytes that are no metafile")},
        {"neither.emf", QByteArray(100, '\0')},
        {"empty.wmf", QByteArray()},
        {"record-past-end.wmf", pastEnd.placeable(0, 0, 100, 100, 96)},
        {"record-shorter-than-header.wmf", tooShort.placeable(0, 0, 100, 100, 96)},
        {"object-out-of-range.wmf", badIndex.placeable(0, 0, 100, 100, 96)},
        {"object-table-full.wmf", tableFull.placeable(0, 0, 100, 100, 96)},
        {"header-size-not-9.wmf", wrongHeader},
        {"zero-units-per-inch.wmf", empty.placeable(0, 0, 100, 100, 0)},
        {"empty-frame.wmf", empty.placeable(10, 10, 10, 50, 96)},
        {"huge-frame.wmf", empty.placeable(-32000, -32000, 32000, 32000, 96)},
        {"no-window-extent.wmf", noExtent.plain()},
        {"bitmap-over-the-cap.wmf", bigBitmap.placeable(0, 0, 40, 40, 96)},
        {"record-past-end.emf", emfPastEndBytes},
        {"record-shorter-than-header.emf", emfSmallBytes},
        {"object-out-of-range.emf", emfIndex.build(0, 0, 2540, 2540)},
        {"object-slot-zero.emf", emfSlotZero.build(0, 0, 2540, 2540)},
        {"huge-frame.emf", emfHuge.build(0, 0, 2540 * 200, 2540 * 200)},
        {"truncated-header.emf", emfHuge.build(0, 0, 2540, 2540).left(60)},
    };
    for (const Row& row : rows) EXPECT_EQ(failure(row.name, row.bytes), "Metafile is not valid") << row.name;
}

TEST(Metafile, RecordsTooShortForTheirKindAreSkipped)
{
    Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {100, 100}).solidBrush(kRed).select(0).nullPen().select(1);
    wmf.rec(META_POLYGON, {50, 0, 0});      // a polygon of 50 points with one given
    wmf.rec(META_RECTANGLE, {50});            // a rectangle with one side
    wmf.rec(META_RECTANGLE, {90, 90, 10, 10});
    const QImage image = imported("short.wmf", wmf.placeable(0, 0, 100, 100, 96));
    EXPECT_EQ(at(image, 50, 50), kRed);
}

// A million records either draw or are refused by the count of drawing work before any pixel is
// touched: a million lines stay under that count, a million whole-picture fills go over it, and
// records that draw nothing cost nothing.
TEST(Metafile, AMillionRecordsDrawOrAreRefusedByTheWorkCount)
{
    struct Case {
        const char* name;
        std::uint16_t function;
        std::initializer_list<int> params;
        const char* outcome;
    };
    const Case cases[] = {
        {"lines.wmf", META_LINETO, {5, 900}, "no error"},                          // LineTo across
        {"rectangles.wmf", META_RECTANGLE, {1000, 1000, 0, 0}, "Metafile is not valid"}, // the whole picture, filled
        {"colours.wmf", META_SETBKCOLOR, {0x1234, 0}, "no error"},                     // SetBkColor: draws nothing
    };
    for (const Case& c : cases) {
        Bytes records;
        for (int i = 0; i < 1000000; ++i) {
            records.u32(std::uint32_t(3 + c.params.size())).u16(c.function);
            for (int p : c.params) records.i16(std::int16_t(p));
        }
        Wmf wmf;
        wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {1000, 1000});
        QByteArray bytes = wmf.placeable(0, 0, 1000, 1000, 96);
        bytes.insert(bytes.size() - 6, records.data());
        EXPECT_EQ(failure(c.name, bytes), c.outcome) << c.name;
    }
}

// Strokes on a document: what each mode lays down on the level image and the alpha plane, the
// pixels and rectangles a segment touches, picking, the reach of every zoom, undo of colour and
// alpha, and the bytes a painted texture is saved with.
#include "paint/Stroke.h"

#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "paint/ToolSettings.h"
#include "paint/UndoSnapshot.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

using F = ToolField;

QRgb shownAt(const TextureDocument& d, int level, int x, int y) { return d.levelImage(level).pixel(x, y) & 0xFFFFFF; }
int alphaAt(const TextureDocument& d, int level, int x, int y) { return d.alphaPlane(level).constScanLine(y)[x]; }
QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xFFFFFF; }

// A document, the toolbar's settings, the undo step and a stroke, as the windows hold them, and
// every rectangle the document announced.
struct Painter {
    TextureDocument document;
    ToolSettings tools;
    UndoSnapshot undo;
    Stroke stroke{document, tools, undo};
    std::vector<QRect> announced;

    explicit Painter(int width = 32, int height = 32, int alpha = 255)
    {
        document.appendLevel(width, height, "level", alpha);
        QObject::connect(&document, &TextureDocument::pixelsChanged,
                         [this](int, const QRect& r) { announced.push_back(r); });
    }
    void colour(int r, int g, int b, int a)
    {
        tools.setColour(r, g, b);
        tools.setFieldValue(F::Alpha, a);
    }
    // A stroke through picture pixels at zoom 1.
    void line(std::initializer_list<QPoint> points)
    {
        auto p = points.begin();
        stroke.press(*p, 1);
        for (++p; p != points.end(); ++p) stroke.move(*p, 1);
        stroke.release();
    }
    void fill(QRgb shown, int alpha)
    {
        QImage image = document.levelImage(1), plane = document.alphaPlane(1);
        image.fill(shown);
        plane.fill(uint(alpha));
        document.setLevelPixels(1, image, plane);
        announced.clear();
    }
};

TEST(Stroke, PressAndReleaseWithoutAMoveChangesNothingButEnablesUndo)
{
    for (auto mode : {&ToolSettings::selectPaint, &ToolSettings::selectDrawAlpha, &ToolSettings::selectPickColor}) {
        Painter p;
        (p.tools.*mode)();
        p.colour(255, 0, 0, 128);
        p.tools.setPenWidth(20);
        const QImage before = p.document.levelImage(1).copy(), plane = p.document.alphaPlane(1).copy();
        EXPECT_FALSE(p.undo.available());
        p.stroke.press(QPoint(5, 5), 1);
        EXPECT_TRUE(p.stroke.active());
        p.stroke.release();
        EXPECT_FALSE(p.stroke.active());
        EXPECT_EQ(p.document.levelImage(1), before);
        EXPECT_EQ(p.document.alphaPlane(1), plane);
        EXPECT_TRUE(p.announced.empty());
        EXPECT_TRUE(p.undo.available());
    }
}

TEST(Stroke, PaintBlendsTheToolbarColourOverTheGrey)
{
    struct Row {
        int r, g, b, a;
        QRgb shown;
    } rows[] = {
        {255, 0, 0, 255, rgb(255, 0, 0)},
        {255, 0, 0, 0, rgb(192, 192, 192)},
        {0, 0, 0, 128, rgb(96, 96, 96)}, // 192 x 127/255 = 95.62
        {200, 100, 50, 128, rgb(196, 146, 121)},
        {255, 255, 255, 128, rgb(224, 224, 224)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.r << "," << r.g << "," << r.b << " a" << r.a);
        Painter p;
        p.colour(r.r, r.g, r.b, r.a);
        p.line({{2, 5}, {8, 5}});
        for (int x = 2; x < 8; ++x) {
            EXPECT_EQ(shownAt(p.document, 1, x, 5), r.shown);
            EXPECT_EQ(alphaAt(p.document, 1, x, 5), r.a);
        }
        // A one-pixel pen leaves the end pixel, and nothing else is touched.
        EXPECT_EQ(shownAt(p.document, 1, 8, 5), rgb(255, 255, 255));
        EXPECT_EQ(shownAt(p.document, 1, 5, 6), rgb(255, 255, 255));
        EXPECT_EQ(alphaAt(p.document, 1, 8, 5), 255);
    }
}

// Every pixel a segment changes lies inside the rectangle it announced, and that rectangle
// lies inside the level.
TEST(Stroke, SegmentsAnnounceEveryPixelTheyChange)
{
    struct Row {
        QPoint from, to;
        int width;
    } rows[] = {
        {{10, 10}, {20, 10}, 1}, {{10, 10}, {20, 17}, 1}, {{20, 17}, {10, 10}, 2}, {{15, 15}, {15, 15}, 3},
        {{10, 10}, {20, 25}, 7}, {{3, 3}, {60, 40}, 20}, {{0, 0}, {0, 0}, 20},    {{63, 63}, {40, 63}, 20},
        {{5, 60}, {60, 5}, 19},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "width " << r.width << " to " << r.to.x() << "," << r.to.y());
        Painter p(64, 64);
        p.colour(0, 0, 0, 0); // changes colour and alpha alike
        p.tools.setPenWidth(r.width);
        const QImage before = p.document.levelImage(1).copy();
        p.line({r.from, r.to});
        QRect changed;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                if (p.document.levelImage(1).pixel(x, y) != before.pixel(x, y)) changed |= QRect(x, y, 1, 1);
        QRect announced;
        for (const QRect& a : p.announced) announced |= a;
        EXPECT_TRUE(announced.contains(changed)) << "changed " << changed.x() << "," << changed.y() << " "
                                                 << changed.width() << "x" << changed.height();
        EXPECT_TRUE(QRect(0, 0, 64, 64).contains(announced));
        EXPECT_EQ(changed.isEmpty(), r.width == 1 && r.from == r.to);
        // The band reaches half the pen width beyond the segment, no less.
        if (r.width > 1 && !changed.isEmpty()) {
            EXPECT_EQ(changed, segmentRect(r.from, r.to, r.width) & QRect(0, 0, 64, 64));
        }
    }
}

TEST(Stroke, DrawAlphaDrawsOnePixelLinesWhateverThePenThenPaintTakesTheFullWidth)
{
    Painter p(64, 64);
    p.tools.setPenWidth(20);
    p.tools.selectDrawAlpha();
    p.colour(0, 0, 0, 100);
    p.line({{10, 30}, {40, 30}});
    for (int x = 10; x < 40; ++x) EXPECT_EQ(alphaAt(p.document, 1, x, 30), 100) << x;
    for (int x = 0; x < 64; ++x) {
        EXPECT_EQ(alphaAt(p.document, 1, x, 29), 255) << x;
        EXPECT_EQ(alphaAt(p.document, 1, x, 31), 255) << x;
    }
    p.tools.selectPaint();
    p.line({{10, 30}, {40, 30}});
    // Twenty rows, the even width's extra half pixel above the line: 20..39.
    EXPECT_EQ(alphaAt(p.document, 1, 25, 39), 100);
    EXPECT_EQ(alphaAt(p.document, 1, 25, 20), 100);
    EXPECT_EQ(alphaAt(p.document, 1, 25, 40), 255);
    EXPECT_EQ(alphaAt(p.document, 1, 25, 19), 255);
    EXPECT_EQ(shownAt(p.document, 1, 25, 39), rgb(117, 117, 117)); // 192 x 155/255 = 116.7
}

TEST(Stroke, DrawAlphaKeepsTheEndPixelsOwnColourOrTakesTheToolbarsOverAlphaZero)
{
    struct Row {
        const char* name;
        QRgb shown;
        int alpha;   // of every pixel before the stroke
        int toolbarAlpha;
        QRgb laid;   // what the segment lays down
    } rows[] = {
        // Alpha 0: the toolbar colour (200, 100, 50) blended by the toolbar alpha.
        {"over alpha 0", rgb(192, 192, 192), 0, 128, rgb(196, 146, 121)},
        // Red at alpha 255 keeps its red: 255 x 128/255 + 192 x 127/255 = 223.6, and 95.6.
        {"over opaque red", rgb(255, 0, 0), 255, 128, rgb(224, 96, 96)},
        // (196, 146, 121) at 128 is (200, 100, 51) unblended; opaque it is shown as that.
        {"over half alpha", rgb(196, 146, 121), 128, 255, rgb(200, 100, 51)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Painter p;
        p.fill(r.shown | 0xFF000000u, r.alpha);
        p.tools.selectDrawAlpha();
        p.colour(200, 100, 50, r.toolbarAlpha);
        p.line({{2, 5}, {8, 5}});
        for (int x = 2; x < 8; ++x) {
            EXPECT_EQ(shownAt(p.document, 1, x, 5), r.laid) << x;
            EXPECT_EQ(alphaAt(p.document, 1, x, 5), r.toolbarAlpha) << x;
        }
    }
    // Every pixel crossed keeps its own colour, however the colours along the line differ: at
    // alpha 255 nothing changes, at 128 each is its own colour reblended.
    const QRgb colours[] = {qRgb(157, 64, 40), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                            qRgb(30, 59, 220), qRgb(1, 2, 3),   qRgb(250, 250, 5), qRgb(128, 0, 128)};
    for (const int toolbarAlpha : {255, 128}) {
        SCOPED_TRACE(toolbarAlpha);
        Painter p;
        p.document.editPixels(1, QRect(0, 5, 10, 1), [&](QImage& image, QImage&) {
            for (int i = 0; i < 8; ++i) image.setPixel(2 + i, 5, colours[i]);
        });
        p.tools.selectDrawAlpha();
        p.colour(0, 0, 0, toolbarAlpha);
        p.line({{2, 5}, {6, 5}, {10, 5}}); // a drag of two segments over pixels 2..9
        const auto& blend = composition().shown[toolbarAlpha];
        for (int i = 0; i < 8; ++i) {
            const QRgb c = colours[i];
            EXPECT_EQ(shownAt(p.document, 1, 2 + i, 5), rgb(blend[qRed(c)], blend[qGreen(c)], blend[qBlue(c)])) << i;
            EXPECT_EQ(alphaAt(p.document, 1, 2 + i, 5), toolbarAlpha) << i;
        }
    }
}

TEST(Stroke, PickReadsTheColourBackWhileTracking)
{
    struct Row {
        QRgb shown;
        int alpha;
        std::array<QString, 4> fields;
    } rows[] = {
        {rgb(0, 0, 0), 255, {"0", "0", "0", "255"}},
        {rgb(1, 1, 1), 255, {"1", "1", "1", "255"}},
        {rgb(127, 127, 127), 255, {"127", "127", "127", "255"}},
        {rgb(255, 255, 255), 255, {"255", "255", "255", "255"}},
        {rgb(77, 88, 99), 0, {"0", "0", "0", "0"}},
        {rgb(196, 146, 121), 128, {"200", "100", "51", "128"}},
        // A small alpha overshoots: held at 255 above and at 0 below.
        {rgb(255, 0, 192), 1, {"255", "0", "192", "1"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.shown << " a" << std::dec << r.alpha);
        Painter p;
        p.fill(r.shown | 0xFF000000u, r.alpha);
        p.tools.selectPickColor();
        p.stroke.move(QPoint(10, 10), 1); // hovering picks at once
        EXPECT_EQ(p.tools.fieldText(F::Red), r.fields[0]);
        EXPECT_EQ(p.tools.fieldText(F::Green), r.fields[1]);
        EXPECT_EQ(p.tools.fieldText(F::Blue), r.fields[2]);
        EXPECT_EQ(p.tools.fieldText(F::Alpha), r.fields[3]);
    }
}

TEST(Stroke, PickColorNeverPaintsAndStopsPickingAtTheRelease)
{
    Painter p;
    p.document.editPixels(1, QRect(3, 3, 1, 1), [](QImage& image, QImage&) { image.setPixel(3, 3, qRgb(9, 8, 7)); });
    p.tools.selectPickColor();
    const QImage before = p.document.levelImage(1).copy();
    p.stroke.press(QPoint(0, 0), 1);
    p.stroke.move(QPoint(3, 3), 1);
    EXPECT_EQ(p.tools.fieldText(F::Red), "9");
    p.stroke.release();
    EXPECT_TRUE(p.tools.picked());
    p.stroke.move(QPoint(5, 5), 1); // no longer tracking
    EXPECT_EQ(p.tools.fieldText(F::Red), "9");
    EXPECT_EQ(p.document.levelImage(1), before);
    // A press picks at once, so a click on another pixel picks it without a move.
    for (const auto& [at, red] : {std::pair{QPoint(0, 0), "255"}, std::pair{QPoint(3, 3), "9"}}) {
        p.stroke.press(at, 1);
        p.stroke.release();
        EXPECT_EQ(p.tools.fieldText(F::Red), red);
    }
    // Beyond the level there is nothing to read; the fields stay.
    p.stroke.press(QPoint(0, 0), 8);
    p.stroke.move(QPoint(-100, 3000), 8);
    p.stroke.move(QPoint(3 * 8 + 7, 3 * 8), 8);
    EXPECT_EQ(p.tools.fieldText(F::Green), "8");
    p.stroke.move(QPoint(1000, 3), 1);
    EXPECT_EQ(p.tools.fieldText(F::Green), "8");
    EXPECT_TRUE(p.undo.available());
}

TEST(Stroke, EveryZoomReachesTheWholePicture)
{
    struct Row {
        int zoom;
        int width;
        QPoint press, to;
        QPoint painted; // a picture pixel the stroke must set
    } rows[] = {
        {8, 3, {8000, 8000}, {8191, 8191}, {1023, 1023}},
        {8, 1, {8191, 8191}, {8000, 8184}, {1023, 1023}},
        {2, 1, {1500, 1500}, {2047, 1500}, {1022, 750}},
        {4, 1, {4095, 0}, {0, 0}, {1023, 0}},
        {1, 1, {1023, 1023}, {0, 1023}, {1023, 1023}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "zoom " << r.zoom);
        Painter p(1024, 1024);
        p.colour(0, 0, 0, 0);
        p.tools.setPenWidth(r.width);
        p.stroke.press(r.press, r.zoom);
        p.stroke.move(r.to, r.zoom);
        p.stroke.release();
        EXPECT_EQ(alphaAt(p.document, 1, r.painted.x(), r.painted.y()), 0);
        EXPECT_EQ(shownAt(p.document, 1, r.painted.x(), r.painted.y()), rgb(192, 192, 192));
    }
}

TEST(Stroke, MovesOutsideThePictureLeaveThePensWhereTheyWere)
{
    Painter p(1024, 1024);
    p.colour(0, 0, 0, 0);
    p.stroke.press(QPoint(20, 20), 2); // pixel (10, 10)
    for (QPoint outside : {QPoint(2048, 20), QPoint(20, 2048), QPoint(-1, 20), QPoint(20, -1), QPoint(-5000, -5000)})
        p.stroke.move(outside, 2);
    EXPECT_TRUE(p.announced.empty());
    EXPECT_EQ(p.stroke.penPosition(), QPoint(10, 10));
    // Back inside, the line joins the last painted point.
    p.stroke.move(QPoint(60, 20), 2);
    p.stroke.release();
    for (int x = 10; x < 30; ++x) EXPECT_EQ(alphaAt(p.document, 1, x, 10), 0) << x;
    EXPECT_EQ(alphaAt(p.document, 1, 9, 10), 255);
    ASSERT_EQ(p.announced.size(), 1u);
    EXPECT_EQ(p.announced[0], QRect(10, 10, 21, 1));
}

TEST(Stroke, PixelsBeyondTheLevelAreClipped)
{
    Painter p(40, 30);
    p.colour(0, 0, 0, 0);
    p.tools.setPenWidth(9);
    p.line({{20, 15}, {900, 700}, {1023, 0}});
    for (const QRect& r : p.announced) EXPECT_TRUE(QRect(0, 0, 40, 30).contains(r));
    EXPECT_EQ(p.document.levelImage(1).size(), QSize(40, 30));
    EXPECT_EQ(alphaAt(p.document, 1, 39, 29), 0);
    EXPECT_EQ(alphaAt(p.document, 1, 0, 0), 255);
    // Draw Alpha with the end pixel beyond the level: the pixels inside keep their own colour,
    // those of alpha 0 take the toolbar's.
    p.tools.selectDrawAlpha();
    p.colour(255, 0, 0, 255);
    p.line({{0, 5}, {100, 5}, {100, 29}, {0, 29}});
    EXPECT_EQ(shownAt(p.document, 1, 30, 5), rgb(255, 255, 255));
    EXPECT_EQ(alphaAt(p.document, 1, 30, 5), 255);
    EXPECT_EQ(shownAt(p.document, 1, 39, 29), rgb(255, 0, 0));
    EXPECT_EQ(alphaAt(p.document, 1, 39, 29), 255);
}

TEST(Stroke, WithoutALevelNothingHappens)
{
    TextureDocument document;
    ToolSettings tools;
    UndoSnapshot undo;
    Stroke stroke(document, tools, undo);
    stroke.press(QPoint(3, 3), 1);
    stroke.move(QPoint(9, 9), 1);
    stroke.release();
    tools.selectPickColor();
    stroke.move(QPoint(4, 4), 1);
    EXPECT_FALSE(undo.available());
    EXPECT_EQ(tools.fieldText(F::Red), "0");
}

TEST(Undo, TakesBackTheLastStrokesColourAndAlpha)
{
    Painter p;
    std::vector<bool> availability;
    QObject::connect(&p.undo, &UndoSnapshot::availableChanged, [&](bool on) { availability.push_back(on); });

    p.colour(255, 0, 0, 128);
    p.tools.setPenWidth(5);
    p.line({{5, 5}, {20, 5}});
    const QImage first = p.document.levelImage(1).copy(), firstAlpha = p.document.alphaPlane(1).copy();
    p.colour(0, 255, 0, 10);
    p.line({{5, 3}, {5, 25}});
    ASSERT_NE(p.document.levelImage(1), first);

    p.announced.clear();
    EXPECT_TRUE(p.undo.undo(p.document));
    EXPECT_EQ(p.document.levelImage(1), first);
    EXPECT_EQ(p.document.alphaPlane(1), firstAlpha);
    EXPECT_EQ(p.announced, (std::vector<QRect>{QRect(0, 0, 32, 32)}));
    EXPECT_FALSE(p.undo.available());
    // One step only: a second Undo has nothing to take back.
    EXPECT_FALSE(p.undo.undo(p.document));
    EXPECT_EQ(p.document.levelImage(1), first);
    EXPECT_EQ(availability, (std::vector<bool>{true, false}));
}

TEST(Undo, RestoresThePressedLevelAndShowsIt)
{
    Painter p;
    p.document.appendLevel(16, 16, "second", 255);
    p.document.setCurrentLevel(2);
    p.colour(0, 0, 0, 0);
    p.line({{0, 0}, {15, 15}});
    const QImage painted = p.document.levelImage(2).copy();
    p.document.setCurrentLevel(1);
    p.line({{0, 0}, {1, 1}}); // Pick-free press on level 1 replaces the snapshot
    p.document.setCurrentLevel(2);
    p.line({{3, 0}, {3, 15}});
    p.document.setCurrentLevel(1);
    std::vector<int> shown;
    QObject::connect(&p.document, &TextureDocument::currentLevelChanged, [&](int level) { shown.push_back(level); });
    EXPECT_TRUE(p.undo.undo(p.document));
    EXPECT_EQ(p.document.currentLevel(), 2);
    EXPECT_EQ(shown, std::vector<int>{2});
    EXPECT_EQ(p.document.levelImage(2), painted);
}

TEST(Undo, ALevelThatIsGoneIsNotOverwritten)
{
    Painter p(32, 32);
    p.document.appendLevel(16, 16, "second", 255);
    p.document.setCurrentLevel(2);
    p.line({{0, 0}, {15, 15}});
    p.document.removeLevel(1); // the 16 x 16 level is level 1 now, and level 2 is gone
    const QImage level1 = p.document.levelImage(1).copy();
    EXPECT_FALSE(p.undo.undo(p.document));
    EXPECT_FALSE(p.undo.available());
    EXPECT_EQ(p.document.levelImage(1), level1);
}

// The saved pixel of a painted texture is the composition's inverse of what the stroke laid
// down, and Undo gives back the file as it was.
TEST(Stroke, SavedBytesFollowTheBlendRuleAndUndoRestoresThem)
{
    Painter p(8, 8);
    // Start from a file whose pixels vary, so an Undo that missed a pixel would show.
    {
        QImage image(8, 8, QImage::Format_RGB32), plane(8, 8, QImage::Format_Grayscale8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                image.setPixel(x, y, qRgb(10 * x, 20 * y, 77));
                plane.scanLine(y)[x] = uchar(255 - 9 * (x + y));
            }
        p.document.setLevelPixels(1, image, plane);
    }
    const QByteArray original = p.document.saveToBytes();

    p.colour(200, 100, 50, 128);
    p.line({{1, 1}, {6, 1}, {6, 6}});
    const QByteArray painted = p.document.saveToBytes();

    TextureDocument reopened;
    QBuffer buffer;
    buffer.setData(painted);
    buffer.open(QIODevice::ReadOnly);
    reopened.open(buffer, "painted.m32");
    ASSERT_EQ(reopened.levelCount(), 1);
    ASSERT_EQ(painted.size(), 968 + 8 * 8 * 4);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool crossed = (y == 1 && x >= 1 && x <= 5) || (x == 6 && y >= 1 && y <= 5);
            const qsizetype at = 968 + (y * 8 + x) * 4;
            // (200, 100, 50) at 128 is shown as (196, 146, 121), which is saved as (200, 100, 51).
            const QByteArray expected = crossed ? QByteArray("\xC8\x64\x33\x80", 4) : original.mid(at, 4);
            EXPECT_EQ(painted.mid(at, 4), expected) << x << "," << y;
            if (crossed) {
                EXPECT_EQ(shownAt(reopened, 1, x, y), rgb(196, 146, 121)) << x << "," << y;
            }
        }

    ASSERT_TRUE(p.undo.undo(p.document));
    EXPECT_EQ(p.document.saveToBytes(), original);
}

} // namespace
} // namespace quorvel

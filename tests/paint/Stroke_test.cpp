// Strokes on a document: what each mode lays down on the level image and the alpha plane, the
// pixels and rectangles a segment touches, picking, the reach of every zoom, the history's steps
// (strokes, structural changes, typing, the memory bound, the saved state), and the bytes a
// painted texture is saved with.
#include "paint/Stroke.h"

#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "paint/ToolSettings.h"
#include "document/History.h"
#include "import/MipmapChain.h"
#include "import/ReplaceLevel.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

using F = ToolField;

QRgb shownAt(const TextureDocument& d, int level, int x, int y) { return d.levelImage(level).pixel(x, y) & 0xFFFFFF; }
int alphaAt(const TextureDocument& d, int level, int x, int y) { return d.alphaPlane(level).constScanLine(y)[x]; }
QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xFFFFFF; }

// A document with its history, the toolbar's settings and a stroke, as the windows hold them,
// and every rectangle the document announced.
struct Painter {
    TextureDocument document;
    ToolSettings tools;
    Stroke stroke{document, tools};
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
    QUndoStack& stack() { return document.history().stack(); }
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Stroke, PressAndReleaseWithoutAMoveChangesNothingAndAddsNoStep)
{
    for (auto mode : {&ToolSettings::selectPaint, &ToolSettings::selectDrawAlpha, &ToolSettings::selectPickColor}) {
        Painter p;
        (p.tools.*mode)();
        p.colour(255, 0, 0, 128);
        p.tools.setPenWidth(20);
        const QImage before = p.document.levelImage(1).copy(), plane = p.document.alphaPlane(1).copy();
        ASSERT_EQ(p.stack().count(), 0);
        p.stroke.press(QPoint(5, 5), 1);
        EXPECT_TRUE(p.stroke.active());
        p.stroke.release();
        EXPECT_FALSE(p.stroke.active());
        EXPECT_EQ(p.document.levelImage(1), before);
        EXPECT_EQ(p.document.alphaPlane(1), plane);
        EXPECT_TRUE(p.announced.empty());
        EXPECT_EQ(p.stack().count(), 0);
        EXPECT_FALSE(p.stack().canUndo());
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
    // Picking changes no pixel: no step.
    EXPECT_EQ(p.stack().count(), 0);
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
    Stroke stroke(document, tools);
    stroke.press(QPoint(3, 3), 1);
    stroke.move(QPoint(9, 9), 1);
    stroke.release();
    tools.selectPickColor();
    stroke.move(QPoint(4, 4), 1);
    EXPECT_EQ(document.history().stack().count(), 0);
    EXPECT_EQ(tools.fieldText(F::Red), "0");
}

// Two strokes and one Undo take back only the second, colour and alpha, repainting only its
// rectangle; Undo again the first; Redo puts each back; the steps say what they were.
TEST(History, EachStrokeIsOneStepUndoneAndRedoneExactly)
{
    Painter p;
    const QImage start = p.document.levelImage(1).copy(), startAlpha = p.document.alphaPlane(1).copy();
    p.colour(255, 0, 0, 128);
    p.tools.setPenWidth(5);
    p.line({{5, 5}, {20, 5}});
    const QImage first = p.document.levelImage(1).copy(), firstAlpha = p.document.alphaPlane(1).copy();
    p.tools.selectDrawAlpha();
    p.colour(0, 255, 0, 10);
    p.line({{5, 3}, {5, 25}});
    const QImage second = p.document.levelImage(1).copy(), secondAlpha = p.document.alphaPlane(1).copy();
    ASSERT_NE(second, first);
    ASSERT_EQ(p.stack().count(), 2);
    EXPECT_EQ(p.stack().text(0), "Paint");
    EXPECT_EQ(p.stack().text(1), "Draw alpha");

    p.announced.clear();
    p.stack().undo();
    EXPECT_EQ(p.document.levelImage(1), first);
    EXPECT_EQ(p.document.alphaPlane(1), firstAlpha);
    // Only the second stroke's rectangle: the one-pixel line from (5, 3) to (5, 25).
    EXPECT_EQ(p.announced, (std::vector<QRect>{QRect(5, 3, 1, 23)}));
    EXPECT_TRUE(p.stack().canUndo());
    p.stack().undo();
    EXPECT_EQ(p.document.levelImage(1), start);
    EXPECT_EQ(p.document.alphaPlane(1), startAlpha);
    EXPECT_FALSE(p.stack().canUndo());
    p.stack().redo();
    EXPECT_EQ(p.document.levelImage(1), first);
    EXPECT_EQ(p.document.alphaPlane(1), firstAlpha);
    p.stack().redo();
    EXPECT_EQ(p.document.levelImage(1), second);
    EXPECT_EQ(p.document.alphaPlane(1), secondAlpha);
    // What a stroke keeps is its rectangle, not the level.
    EXPECT_LT(p.document.history().bytes(), 2 * (History::kStepOverhead + 32 * 32 * 5));
}

// A stroke, then a press that changes nothing (a click, a pick): Undo takes back the stroke.
TEST(History, APressThatChangesNoPixelLeavesTheStrokeBeforeItToUndo)
{
    for (const bool pick : {false, true}) {
        Painter p;
        const QImage start = p.document.levelImage(1).copy();
        p.colour(10, 20, 30, 255);
        p.line({{1, 1}, {9, 9}});
        if (pick) p.tools.selectPickColor();
        p.line({{4, 4}});
        // Painting the colour a pixel already has changes no pixel either.
        if (!pick) p.line({{1, 1}, {9, 9}});
        ASSERT_EQ(p.stack().count(), 1) << pick;
        p.stack().undo();
        EXPECT_EQ(p.document.levelImage(1), start) << pick;
    }
}

// The step of a stroke on another level than the one shown shows that level again; a removed
// level comes back with its pixels, and the stroke on it can be undone after it.
TEST(History, StructuralStepsKeepWhatTheyRemovedAndShowTheLevelOfAStroke)
{
    Painter p;
    History& history = p.document.history();
    history.change("Add a mipmap", [&] { p.document.appendLevel(16, 16, "second", 255); });
    p.document.setCurrentLevel(2);
    const QImage blank = p.document.levelImage(2).copy();
    p.colour(0, 0, 0, 0);
    p.line({{0, 0}, {15, 15}});
    const QImage painted = p.document.levelImage(2).copy(), paintedAlpha = p.document.alphaPlane(2).copy();
    const QByteArray withStroke = p.document.saveToBytes();
    history.change("Remove level", [&] { p.document.removeLevel(2); });
    ASSERT_EQ(p.document.levelCount(), 1);
    EXPECT_EQ(p.stack().undoText(), "Remove level");

    p.stack().undo();
    ASSERT_EQ(p.document.levelCount(), 2);
    EXPECT_EQ(p.document.levelEntries(), (QStringList{"level", "second"}));
    EXPECT_EQ(p.document.levelImage(2), painted);
    EXPECT_EQ(p.document.alphaPlane(2), paintedAlpha);
    EXPECT_EQ(p.document.saveToBytes(), withStroke);
    p.document.setCurrentLevel(1);
    std::vector<int> shown;
    QObject::connect(&p.document, &TextureDocument::currentLevelChanged, [&](int level) { shown.push_back(level); });
    p.stack().undo();
    EXPECT_EQ(p.document.currentLevel(), 2);
    EXPECT_EQ(shown, std::vector<int>{2});
    EXPECT_EQ(p.document.levelImage(2), blank);
    p.stack().undo();
    EXPECT_EQ(p.document.levelCount(), 1);
    EXPECT_FALSE(p.stack().canUndo());
    for (int i = 0; i < 3; ++i) p.stack().redo();
    EXPECT_EQ(p.document.levelCount(), 1);
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), withStroke);

    // A change that changes nothing is no step; one that fails after changing is one, and the
    // error passes on.
    const int count = p.stack().count(), at = p.stack().index();
    history.change("nothing", [] {});
    EXPECT_EQ(p.stack().count(), count);
    EXPECT_THROW(history.change("half", [&] {
        p.document.appendLevel(2, 2, "2x2");
        throw std::runtime_error("failed");
    }), std::runtime_error);
    EXPECT_EQ(p.stack().index(), at + 1);
    EXPECT_EQ(p.stack().undoText(), "half");
    p.stack().undo();
    EXPECT_EQ(p.document.levelCount(), 2);
}

// Rebuild and replace are one step each, and Undo gives the texture's bytes as they were.
TEST(History, RebuildAndReplaceUndoToTheBytesBefore)
{
    Painter p(8, 8);
    History& history = p.document.history();
    history.change("Import", [&] {
        QImage picture(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) picture.setPixel(x, y, qRgb(30 * x, 25 * y, 9));
        p.document.newDocument();
        makemipmaps(p.document, picture, 200, true, CountedPass::Halving);
    });
    ASSERT_EQ(p.document.levelCount(), 4);
    const QByteArray imported = p.document.saveToBytes();
    p.colour(255, 255, 255, 255);
    p.line({{0, 0}, {7, 7}});
    const QByteArray stroked = p.document.saveToBytes();
    history.change("Rebuild smaller levels", [&] { rebuildSmallerLevels(p.document, 1); });
    const QByteArray rebuilt = p.document.saveToBytes();
    ASSERT_NE(rebuilt, stroked);
    QImage picture(8, 8, QImage::Format_ARGB32);
    picture.fill(qRgba(1, 2, 3, 4));
    history.change("Replace level", [&] { replaceLevel(p.document, 1, picture, true); });
    const QByteArray replaced = p.document.saveToBytes();
    const std::vector<QByteArray> steps{imported, stroked, rebuilt, replaced};
    for (int i = int(steps.size()) - 1; i > 0; --i) {
        EXPECT_EQ(p.document.saveToBytes(), steps[std::size_t(i)]) << i;
        p.stack().undo();
    }
    EXPECT_EQ(p.document.saveToBytes(), imported);
    for (std::size_t i = 1; i < steps.size(); ++i) {
        p.stack().redo();
        EXPECT_EQ(p.document.saveToBytes(), steps[i]) << i;
    }
}

// A change made while a stroke is still drawn (its release lost to a dialog) follows the part
// drawn so far, and the rest of the stroke starts from what the change left.
TEST(History, AChangeDuringAStrokeComesAfterWhatTheStrokeDrewSoFar)
{
    Painter p(8, 8);
    const QByteArray start = p.document.saveToBytes();
    p.colour(0, 0, 0, 255);
    p.stroke.press({0, 2}, 1);
    p.stroke.move({7, 2}, 1);
    const QByteArray drawn = p.document.saveToBytes();
    QImage picture(8, 8, QImage::Format_ARGB32);
    picture.fill(qRgba(9, 8, 7, 255));
    p.document.history().change("Replace level", [&] { replaceLevel(p.document, 1, picture, true); });
    const QByteArray replaced = p.document.saveToBytes();
    p.stroke.release();
    ASSERT_EQ(p.stack().count(), 2);
    EXPECT_EQ(p.stack().text(0), "Paint");
    EXPECT_EQ(p.document.saveToBytes(), replaced);
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), drawn);
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), start);
}

// Typing into one field is one step named by its label until the field loses the focus; typing
// it back to what it had leaves no step.
TEST(History, TypingIntoAFieldIsOneStepUntilItLosesTheFocus)
{
    TextureDocument d;
    History& history = d.history();
    HeaderTexts texts = d.texts();
    for (const char* typed : {"2", "20", "204"}) {
        texts.flags = typed;
        history.editTexts(texts, 4, "Flags");
    }
    ASSERT_EQ(history.stack().count(), 1);
    EXPECT_EQ(history.stack().undoText(), "Flags");
    texts.value = "7";
    history.editTexts(texts, 6, "Value");
    EXPECT_EQ(history.stack().count(), 2);
    history.endTyping();
    texts.value = "70";
    history.editTexts(texts, 6, "Value");
    EXPECT_EQ(history.stack().count(), 3);
    history.stack().undo();
    EXPECT_EQ(d.texts().value, "7");
    history.stack().undo();
    history.stack().undo();
    EXPECT_EQ(d.texts().flags, "2048");
    history.stack().redo();
    EXPECT_EQ(d.texts().flags, "204");

    // Typed and typed back: the step goes.
    TextureDocument e;
    HeaderTexts typed = e.texts();
    typed.name = "a";
    e.history().editTexts(typed, 0, "Name");
    typed.name = "";
    e.history().editTexts(typed, 0, "Name");
    EXPECT_EQ(e.history().stack().count(), 0);
    EXPECT_FALSE(e.isModified());
}

// The modified state is the history's clean state: undoing back to the saved state clears it,
// and open and New clear the history.
TEST(History, ModifiedFollowsTheSavedStepAndOpenAndNewClearTheHistory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.m32");
    Painter p;
    p.document.save(path);
    std::vector<bool> announced;
    QObject::connect(&p.document, &TextureDocument::modifiedChanged, [&](bool m) { announced.push_back(m); });
    p.colour(1, 2, 3, 255);
    p.line({{0, 0}, {9, 0}});
    EXPECT_TRUE(p.document.isModified());
    p.stack().undo();
    EXPECT_FALSE(p.document.isModified());
    p.stack().redo();
    p.document.save(path);
    EXPECT_FALSE(p.document.isModified());
    p.stack().undo();
    EXPECT_TRUE(p.document.isModified());
    EXPECT_EQ(announced, (std::vector<bool>{true, false, true, false, true}));
    // A step after undoing past the saved state: that state can no longer be reached.
    p.line({{0, 3}, {9, 3}});
    p.stack().undo();
    EXPECT_TRUE(p.document.isModified());

    p.document.open(path);
    EXPECT_EQ(p.stack().count(), 0);
    EXPECT_FALSE(p.document.isModified());
    p.line({{0, 5}, {9, 5}});
    EXPECT_THROW(p.document.open(dir.filePath("missing.m32")), std::exception);
    EXPECT_EQ(p.stack().count(), 1); // a failed open changes nothing
    p.document.newDocument();
    EXPECT_EQ(p.stack().count(), 0);
    EXPECT_FALSE(p.document.isModified());
}

// An import into a fresh texture is a step: Undo gives back the texture before it, its file name
// and its saved state.
TEST(History, UndoingAnImportIntoAFreshTextureGivesBackTheTextureAndItsName)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.m32");
    Painter p(4, 4);
    p.document.save(path);
    const QByteArray saved = p.document.saveToBytes();
    p.document.history().change("Import rock.tga", [&] {
        p.document.newDocument();
        p.document.appendLevel(2, 2, "2x2");
    });
    EXPECT_EQ(p.document.currentFile(), "");
    p.stack().undo();
    EXPECT_EQ(p.document.currentFile(), path);
    EXPECT_EQ(p.document.saveToBytes(), saved);
    EXPECT_FALSE(p.document.isModified());
    p.stack().redo();
    EXPECT_EQ(p.document.currentFile(), "");
    EXPECT_EQ(p.document.levelEntries(), QStringList{"2x2"});
}

// The history keeps at most its limit: the oldest steps go first, the newest always stays, and
// what is kept still undoes exactly; a saved state that was dropped cannot be reached.
TEST(History, KeepsAtMostItsLimitDroppingTheOldestSteps)
{
    Painter p(64, 64);
    History& history = p.document.history();
    const qint64 stroke = 64 * 64 * 5 + History::kStepOverhead;
    history.setByteLimit(3 * stroke);
    p.tools.setPenWidth(20);
    std::vector<QByteArray> states{p.document.saveToBytes()};
    std::vector<qint64> held;
    QObject::connect(&history, &History::bytesChanged, [&](qint64 bytes) { held.push_back(bytes); });
    for (int i = 0; i < 6; ++i) {
        p.colour(40 * i, 0, 0, 255);
        // Across the whole level, so that each step keeps all of it.
        p.line({{0, 0}, {63, 63}, {0, 63}, {63, 0}, {0, 32}, {63, 32}, {32, 0}, {32, 63}});
        states.push_back(p.document.saveToBytes());
        EXPECT_LE(history.bytes(), 3 * stroke) << i;
    }
    EXPECT_EQ(p.stack().count(), 3);
    EXPECT_EQ(held.back(), history.bytes());
    for (int i = 5; i >= 3; --i) {
        EXPECT_EQ(p.document.saveToBytes(), states[std::size_t(i) + 1]);
        p.stack().undo();
    }
    EXPECT_EQ(p.document.saveToBytes(), states[3]);
    EXPECT_FALSE(p.stack().canUndo());
    EXPECT_TRUE(p.document.isModified());
    for (int i = 0; i < 3; ++i) p.stack().redo();
    EXPECT_EQ(p.document.saveToBytes(), states.back());
    // A lower limit while a step is undone drops only steps below the present one; the steps
    // go on undoing and redoing from where the document is.
    p.stack().undo();
    history.setByteLimit(2 * stroke);
    EXPECT_EQ(p.stack().count(), 2);
    EXPECT_EQ(p.document.saveToBytes(), states[5]);
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), states[4]);
    EXPECT_FALSE(p.stack().canUndo());
    p.stack().redo();
    p.stack().redo();
    EXPECT_EQ(p.document.saveToBytes(), states.back());
    // One step above the limit alone stays.
    history.setByteLimit(1);
    EXPECT_EQ(p.stack().count(), 1);
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), states[5]);
}

// A saved state among the kept steps moves with them.
TEST(History, TheSavedStateMovesWithTheKeptSteps)
{
    QTemporaryDir dir;
    Painter p(32, 32);
    History& history = p.document.history();
    history.setByteLimit(3 * (32 * 32 * 5 + History::kStepOverhead));
    p.tools.setPenWidth(20);
    for (int i = 0; i < 5; ++i) {
        p.colour(0, 40 * i, 0, 255);
        p.line({{0, 0}, {31, 31}, {0, 31}, {31, 0}, {16, 0}, {16, 31}, {0, 16}, {31, 16}});
        if (i == 3) p.document.save(dir.filePath("t.m32"));
    }
    ASSERT_EQ(p.stack().count(), 3);
    EXPECT_TRUE(p.document.isModified());
    p.stack().undo();
    EXPECT_FALSE(p.document.isModified());
    EXPECT_EQ(p.document.saveToBytes(), readAll(dir.filePath("t.m32")));
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

    ASSERT_TRUE(p.stack().canUndo());
    p.stack().undo();
    EXPECT_EQ(p.document.saveToBytes(), original);
    p.stack().redo();
    EXPECT_EQ(p.document.saveToBytes(), painted);
}

} // namespace
} // namespace quorvel

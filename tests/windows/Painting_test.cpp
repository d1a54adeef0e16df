// Painting with the mouse on the real level view with the real toolbar: what Paint and Draw
// Alpha lay down, picking colours back, the reach of zoom 8, the repaint of only what changed,
// Edit > Undo, and the bytes a painted texture is saved with.
#include "tests/support/PaintFixture.h"

#include "document/M32Format.h"
#include "paint/UndoSnapshot.h"

#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace quorvel::test {
namespace {

using Painting = PaintTest;
using F = ToolField;

// Records the rectangles a widget is asked to paint.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRect> rects;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

TEST_F(Painting, APressAndReleaseWithoutAMoveChangesNothingButEnablesUndo)
{
    openLevel({32, 32}, rgb(10, 20, 30), 200);
    EXPECT_FALSE(undoEnabled());
    setColour(255, 0, 0, 255);
    setPenWidth(20);
    const QImage image = document.levelImage(1), plane = document.alphaPlane(1);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_EQ(document.levelImage(1), image);
    EXPECT_EQ(document.alphaPlane(1), plane);
    EXPECT_TRUE(undoEnabled());
}

TEST_F(Painting, PaintStoresTheToolbarColourBlendedOverTheGreyAndItsAlpha)
{
    struct Row {
        int r, g, b, a;
        QRgb stored;
    } rows[] = {
        {255, 0, 0, 255, rgb(255, 0, 0)},
        {255, 0, 0, 0, rgb(192, 192, 192)},
        {0, 0, 0, 128, rgb(96, 96, 96)}, // 192 x 127/255 = 95.62
    };
    openLevel({32, 32}, rgb(255, 255, 255), 255);
    int y = 2;
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.r << "," << r.g << "," << r.b << " alpha " << r.a);
        setColour(r.r, r.g, r.b, r.a);
        stroke({{3, y}, {9, y}});
        for (int x = 3; x < 9; ++x) {
            EXPECT_EQ(shown(x, y), r.stored) << x;
            EXPECT_EQ(alpha(x, y), r.a) << x;
        }
        // The one-pixel pen leaves the end pixel for the next segment.
        EXPECT_EQ(shown(9, y), rgb(255, 255, 255));
        y += 4;
    }
}

TEST_F(Painting, AnEmptiedFieldPaintsAsZeroAndLeavesTheSwatch)
{
    openLevel({16, 16}, rgb(255, 255, 255), 255);
    setColour(40, 50, 60, 255);
    type(F::Green, QString());
    EXPECT_EQ(edit(F::Green)->text(), "");
    EXPECT_EQ(tools().swatchColour(), makeColour(40, 50, 60));
    stroke({{2, 2}, {6, 2}});
    EXPECT_EQ(shown(3, 2), rgb(40, 0, 60));
}

TEST_F(Painting, PickingGivesBackTheColourAndAlphaUnderThePointer)
{
    // Left half stored (77, 88, 99) at alpha 0, so shown as the grey; right half (v, v, v) at 255.
    const int v = 173;
    openLevel({32, 32}, [&](QImage& image, QImage& plane) {
        image.fill(rgb(192, 192, 192));
        plane.fill(0u);
        for (int y = 0; y < 32; ++y)
            for (int x = 16; x < 32; ++x) {
                image.setPixel(x, y, rgb(v, v, v));
                plane.scanLine(y)[x] = 255;
            }
    });
    zoomTo(2);
    setColour(1, 2, 3, 4);
    clickMode(DrawingMode::PickColor);
    EXPECT_EQ(w.toolbar->windowTitle(), "Toolbar (Pick color mode)");
    // Hovering picks at once, before any press: level pixel (20, 5) at zoom 2.
    hover(QPoint(41, 11));
    EXPECT_EQ(fieldTexts(), (QStringList{"173", "173", "173", "255"}));
    EXPECT_EQ(tools().swatchColour(), makeColour(v, v, v));
    hover(QPoint(9, 9));
    EXPECT_EQ(fieldTexts(), (QStringList{"0", "0", "0", "0"}));

    // A click ends the tracking and enables Undo; Undo then changes nothing.
    EXPECT_FALSE(undoEnabled());
    const QImage image = document.levelImage(1), plane = document.alphaPlane(1);
    hover(QPoint(50, 50));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(fieldTexts(), (QStringList{"173", "173", "173", "255"}));
    EXPECT_TRUE(undoEnabled());
    hover(QPoint(9, 9));
    EXPECT_EQ(fieldTexts(), (QStringList{"173", "173", "173", "255"})) << "picking stops at the release";
    chooseUndo();
    EXPECT_FALSE(undoEnabled());
    EXPECT_EQ(document.levelImage(1), image);
    EXPECT_EQ(document.alphaPlane(1), plane);
    EXPECT_EQ(document.currentLevel(), 1);
    EXPECT_EQ(w.view->zoom(), 2) << "Undo on the level shown keeps the view as it is";
}

TEST_F(Painting, PaintedGreysPickBackExactly)
{
    openLevel({16, 16}, rgb(255, 255, 255), 255);
    for (int v : {0, 1, 96, 127, 128, 254, 255}) {
        SCOPED_TRACE(v);
        clickMode(DrawingMode::Paint);
        setColour(v, v, v, 255);
        stroke({{2, 4}, {8, 4}});
        clickMode(DrawingMode::PickColor);
        hover(QPoint(5, 4));
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(5, 4));
        EXPECT_EQ(fieldTexts(), (QStringList{QString::number(v), QString::number(v), QString::number(v), "255"}));
    }
}

TEST_F(Painting, DrawAlphaDrawsOnePixelLinesWhateverThePenAndPaintTheFullWidth)
{
    openLevel({64, 64}, rgb(200, 100, 50), 255);
    setPenWidth(20);
    setColour(0, 0, 0, 128);
    clickMode(DrawingMode::DrawAlpha);
    stroke({{10, 20}, {40, 20}});
    // The pixel's own colour reblended by the new alpha: (200, 100, 50) at 128.
    EXPECT_EQ(shown(20, 20), rgb(196, 146, 121));
    EXPECT_EQ(alpha(20, 20), 128);
    EXPECT_EQ(shown(20, 21), rgb(200, 100, 50));
    EXPECT_EQ(alpha(20, 19), 255);

    clickMode(DrawingMode::Paint);
    stroke({{10, 40}, {40, 40}});
    for (int y : {31, 40, 49}) {
        EXPECT_EQ(shown(25, y), rgb(96, 96, 96)) << y;
        EXPECT_EQ(alpha(25, y), 128) << y;
    }
    EXPECT_EQ(shown(25, 52), rgb(200, 100, 50));
}

TEST_F(Painting, ZoomEightReachesTheLastPixelOfAFullSizeLevel)
{
    openLevel({1024, 1024}, rgb(255, 255, 255), 255);
    zoomTo(8);
    ASSERT_EQ(canvas()->size(), QSize(8192, 8192));
    QScrollArea* scroll = w.view->scrollArea();
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    QApplication::processEvents();
    setColour(0, 0, 255, 255);
    setPenWidth(3);
    // From level pixel (1020, 1020) to (1023, 1023), the bottom right control pixel.
    stroke({{8163, 8163}, {8191, 8191}});
    EXPECT_EQ(shown(1023, 1023), rgb(0, 0, 255));
    EXPECT_EQ(shown(1021, 1021), rgb(0, 0, 255));
    // Beyond the picture nothing is painted and the pen stays; back inside, the line joins on.
    const QImage before = document.levelImage(1);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(8000, 8100)); // (1000, 1012)
    QTest::mouseMove(canvas(), QPoint(8192, 8100));
    QTest::mouseMove(canvas(), QPoint(8100, 8300));
    EXPECT_EQ(document.levelImage(1), before);
    QTest::mouseMove(canvas(), QPoint(8160, 8100)); // (1020, 1012)
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(8160, 8100));
    EXPECT_EQ(shown(1010, 1012), rgb(0, 0, 255));
    EXPECT_EQ(shown(1010, 1020), rgb(255, 255, 255));
    // And the repainted corner shows it.
    const QWidget* viewport = scroll->viewport();
    const QImage corner = const_cast<QWidget*>(viewport)->grab().toImage();
    EXPECT_EQ(corner.pixel(viewport->width() - 1, viewport->height() - 1) & 0xFFFFFF, rgb(0, 0, 255));
}

TEST_F(Painting, EachSegmentRepaintsOnlyWhatItChanged)
{
    openLevel({128, 128}, rgb(255, 255, 255), 255);
    zoomTo(2);
    setPenWidth(5);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(40, 40)); // (20, 20)
    PaintSpy spy(canvas());
    QTest::qWait(20);
    spy.rects.clear();
    QTest::mouseMove(canvas(), QPoint(60, 50)); // (30, 25)
    QApplication::processEvents();
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(60, 50));
    // The segment's box grown by half the pen width, in level pixels (18..32, 18..27), at zoom 2.
    ASSERT_FALSE(spy.rects.empty());
    QRect repainted;
    for (const QRect& r : spy.rects) repainted |= r;
    EXPECT_EQ(repainted, QRect(36, 36, 30, 20));
    EXPECT_EQ(canvas()->grab(QRect(50, 44, 1, 1)).toImage().pixel(0, 0) & 0xFFFFFF, rgb(0, 0, 0));
}

TEST_F(Painting, UndoTakesBackTheLastStrokeOnly)
{
    openLevel({32, 32}, rgb(50, 60, 70), 90);
    const QImage image0 = document.levelImage(1), plane0 = document.alphaPlane(1);
    setColour(255, 0, 0, 255);
    stroke({{2, 2}, {20, 2}});
    const QImage image1 = document.levelImage(1), plane1 = document.alphaPlane(1);
    setColour(0, 255, 0, 10);
    setPenWidth(4);
    stroke({{2, 10}, {20, 2}, {25, 25}});
    ASSERT_NE(document.levelImage(1), image1);
    chooseUndo();
    EXPECT_EQ(document.levelImage(1), image1);
    EXPECT_EQ(document.alphaPlane(1), plane1) << "the stroke's alpha goes back with its colour";
    // One step only.
    EXPECT_FALSE(undoEnabled());

    stroke({{4, 4}, {8, 8}});
    chooseUndo();
    EXPECT_EQ(document.levelImage(1), image1);
    EXPECT_NE(document.levelImage(1), image0);
}

TEST_F(Painting, UndoRestoresThePressedLevelAndShowsIt)
{
    const QString file = path("two.m32");
    writeTexture(file, {{32, 32}, {16, 16}});
    startEditor();
    openThroughMenu(file);
    const QImage image1 = document.levelImage(1), plane1 = document.alphaPlane(1);
    const QImage image2 = document.levelImage(2);
    setColour(9, 9, 9, 255);
    stroke({{3, 3}, {30, 30}});
    w.levels->ShowwM32(1);
    w.view->zoomIn();
    chooseUndo();
    EXPECT_EQ(document.currentLevel(), 1);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(document.levelImage(1), image1);
    EXPECT_EQ(document.alphaPlane(1), plane1);
    EXPECT_EQ(document.levelImage(2), image2);
}

TEST_F(Painting, OpeningAnotherTextureDropsTheUndoStep)
{
    const QString other = path("other.m32");
    writeTexture(other, {{32, 32}});
    openLevel({32, 32}, rgb(1, 2, 3), 255);
    stroke({{3, 3}, {9, 9}});
    ASSERT_TRUE(undoEnabled());
    openThroughMenu(other);
    EXPECT_FALSE(undoEnabled());
    // Nor does the item's action, triggered however, put the old texture's pixels back.
    const QImage opened = document.levelImage(1);
    frame->menuAction(QStringLiteral("Undo1"))->trigger();
    EXPECT_EQ(document.levelImage(1), opened);
}

// The saved pixel is the composition's inverse of what the stroke laid down on the view and the
// alpha plane; Undo and a save give the bytes of the texture before the stroke.
TEST_F(Painting, SavedBytesFollowTheBlendRuleAndUndoSavesTheOriginal)
{
    const QString file = path("varied.m32");
    writeTexture(file, {{48, 40}});
    startEditor();
    openThroughMenu(file);
    chooseMenu('f', 's');
    const QByteArray original = readFile(file);
    ASSERT_EQ(original.size(), 968 + 48 * 40 * 4);

    struct Row {
        int r, g, b, a;
    } rows[] = {{200, 100, 50, 128}, {255, 255, 255, 1}, {30, 220, 7, 0}};
    int y = 5;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.a);
        setColour(row.r, row.g, row.b, row.a);
        // One-pixel pen: pixels x = 4..33 of the row, the end pixel left out.
        stroke({{4, y}, {20, y}, {34, y}});
        chooseMenu('f', 's');
        const QByteArray painted = readFile(file);
        ASSERT_EQ(painted.size(), original.size());
        const auto& shownOf = composition().shown[row.a];
        const auto& storedOf = composition().stored[row.a];
        int wrong = 0;
        for (int py = 0; py < 40; ++py)
            for (int px = 0; px < 48; ++px) {
                const qsizetype at = 968 + (py * 48 + px) * 4;
                QByteArray expected = original.mid(at, 4);
                if (py == y && px >= 4 && px < 34) {
                    const auto stored = [&](int c) { return row.a == 0 ? 0 : storedOf[shownOf[c]]; };
                    const char bytes[] = {char(stored(row.r)), char(stored(row.g)), char(stored(row.b)), char(row.a)};
                    expected = QByteArray(bytes, 4);
                }
                wrong += painted.mid(at, 4) != expected;
            }
        EXPECT_EQ(wrong, 0);

        chooseUndo();
        chooseMenu('f', 's');
        EXPECT_EQ(readFile(file), original);
        y += 10;
    }
}

} // namespace
} // namespace quorvel::test

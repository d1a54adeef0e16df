// Painting with the mouse under the view modes: the tiled preview follows a stroke live, and
// every mode paints, undoes and picks exactly the bytes the Colour view does.
#include "tests/support/PaintFixture.h"
#include "tests/support/PaintSpy.h"

#include <QPaintEvent>

#include <optional>

namespace quorvel::test {
namespace {

using ViewPainting = PaintTest;

TEST_F(ViewPainting, TheTiledPreviewRepaintsAStrokePaintedWithTheMouse)
{
    openWhite({20, 10});
    chooseMenu('v', 't');
    auto* preview = frame->findChild<TiledPreview*>();
    ASSERT_NE(preview, nullptr);
    QWidget* tiles = preview->canvas();
    clickMode(DrawingMode::Paint);
    setPenWidth(1);
    setColour(10, 20, 30, 255);
    // Whatever repaint the choices above left pending is done first.
    PaintSpy spy(tiles);
    QTest::qWait(20);
    spy.clear();
    stroke({{2, 4}, {12, 4}});
    QApplication::processEvents();
    const QRegion painted = spy.painted; // before the grab, which paints the whole
    const QImage shown = tiles->grab().toImage();
    for (int ty = 0; ty < 3; ++ty)
        for (int tx = 0; tx < 3; ++tx) {
            SCOPED_TRACE(testing::Message() << "tile " << tx << "," << ty);
            EXPECT_TRUE(painted.contains(QPoint(tx * 20 + 5, ty * 10 + 4)));
            EXPECT_FALSE(painted.contains(QPoint(tx * 20 + 5, ty * 10 + 8))) << "only what the stroke changed";
            EXPECT_EQ(shown.pixel(tx * 20 + 5, ty * 10 + 4) & 0xFFFFFF, rgb(10, 20, 30));
            EXPECT_EQ(shown.pixel(tx * 20 + 5, ty * 10 + 8) & 0xFFFFFF, rgb(255, 255, 255));
        }
}

TEST_F(ViewPainting, EveryViewModePaintsUndoesAndPicksTheBytesTheColourViewDoes)
{
    const auto pattern = [](QImage& image, QImage& plane) {
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                row[x] = qRgb(x * 15, y * 15, 100);
                plane.scanLine(y)[x] = uchar(x * 17);
            }
        }
    };
    struct Outcome {
        QByteArray bothStrokes, afterUndo;
        QStringList picked;
    };
    std::optional<Outcome> inColour;
    for (ViewMode mode : kViewModes) {
        SCOPED_TRACE(int(mode));
        openLevel({16, 16}, pattern);
        const QByteArray original = document.saveToBytes();
        w.view->viewModeActions()[std::size_t(mode)]->trigger();
        ASSERT_EQ(w.view->viewSettings().mode(), mode);

        Outcome now;
        clickMode(DrawingMode::Paint);
        setPenWidth(3);
        setColour(200, 100, 50, 128);
        stroke({{2, 3}, {12, 9}});
        const QByteArray painted = document.saveToBytes();
        clickMode(DrawingMode::DrawAlpha);
        setColour(0, 0, 0, 40);
        stroke({{3, 12}, {13, 12}});
        now.bothStrokes = document.saveToBytes();
        chooseMenu('e', 'u');
        now.afterUndo = document.saveToBytes();
        clickMode(DrawingMode::PickColor);
        hover(QPoint(6, 5));
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(6, 5));
        now.picked = fieldTexts();

        EXPECT_NE(painted, original);
        EXPECT_NE(now.bothStrokes, painted);
        EXPECT_EQ(now.afterUndo, painted);
        if (!inColour) {
            inColour = now;
            continue;
        }
        EXPECT_EQ(now.bothStrokes, inColour->bothStrokes);
        EXPECT_EQ(now.afterUndo, inColour->afterUndo);
        EXPECT_EQ(now.picked, inColour->picked);
    }
}

} // namespace
} // namespace quorvel::test

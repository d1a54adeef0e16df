// The View menu inside the real frame: each channel view draws the colours a known level should
// show, the checkerboard shows through where alpha is 0, the modes change nothing but the
// drawing, the tiled preview shows the current level 3 x 3 and follows edits live, and drawLevel
// draws every mode at every zoom exactly as a scaled drawing of the same level pixels would.
#include "tests/document/M32Bytes.h"
#include "tests/support/EditorFixture.h"
#include "tests/support/PaintSpy.h"
#include "document/TextureDocument.h"
#include "windows/LevelDrawing.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>

namespace quorvel::test {
namespace {

using Views = EditorTest;

// A 4 x 1 level of stored pixels whose colour over the grey and stored channels are known.
QByteArray fourPixels()
{
    M32Fields s;
    s.level(1, 4, 1, 968);
    Bytes b = m32Header(s);
    b.u8s({200, 100, 50, 128, 77, 88, 99, 0, 10, 20, 30, 255, 255, 255, 255, 128});
    return b.data();
}

QRgb rgb(int r, int g, int b)
{
    return qRgb(r, g, b) & 0xFFFFFF;
}
QRgb grey(int v)
{
    return rgb(v, v, v);
}

// The canvas as drawn, one colour per level pixel: every screen pixel of a level pixel's zoom x
// zoom block must be the same, else the block is reported as 0xFF000000.
std::vector<QRgb> drawnLevelPixels(QWidget* canvas, int zoom)
{
    const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<QRgb> pixels;
    for (int ly = 0; ly < shown.height() / zoom; ++ly)
        for (int lx = 0; lx < shown.width() / zoom; ++lx) {
            const QRgb first = shown.pixel(lx * zoom, ly * zoom) & 0xFFFFFF;
            bool same = true;
            for (int y = 0; y < zoom; ++y)
                for (int x = 0; x < zoom; ++x) same &= (shown.pixel(lx * zoom + x, ly * zoom + y) & 0xFFFFFF) == first;
            pixels.push_back(same ? first : 0xFF000000u);
        }
    return pixels;
}

TEST_F(Views, EachChannelViewDrawsTheStoredChannelsOfAKnownLevel)
{
    const QString file = path("four.m32");
    writeFile(file, fourPixels());
    startEditor();
    openThroughMenu(file);
    w.view->zoomIn(); // 2x: every level pixel a 2 x 2 block
    struct Row {
        const char* action;
        Qt::Key shortcut; // Qt::Key_unknown: none
        std::vector<QRgb> expected;
    } rows[] = {
        // The colour over the background grey: (200, 100, 50, 128) shows as (196, 146, 121).
        {"ViewColour", Qt::Key_2, {rgb(196, 146, 121), grey(192), rgb(10, 20, 30), grey(224)}},
        // The stored channels: what a save writes (50 comes back as 51 at alpha 128; alpha 0
        // stores 0).
        {"ViewRed", Qt::Key_3, {grey(200), grey(0), grey(10), grey(255)}},
        {"ViewGreen", Qt::Key_4, {grey(100), grey(0), grey(20), grey(255)}},
        {"ViewBlue", Qt::Key_5, {grey(51), grey(0), grey(30), grey(255)}},
        {"ViewAlpha", Qt::Key_6, {grey(128), grey(0), grey(255), grey(128)}},
    };
    const QByteArray savedBefore = document.saveToBytes();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.action);
        // Through the shortcut, with the focus anywhere in the frame.
        w.properties->field("Edit2")->setFocus();
        QTest::keyClick(frame.get(), r.shortcut, Qt::ControlModifier);
        QApplication::processEvents();
        EXPECT_TRUE(frame->menuAction(r.action)->isChecked());
        EXPECT_EQ(drawnLevelPixels(w.view->levelCanvas(), 2), r.expected);
    }
    // Exclusive: one mode checked at a time.
    int checked = 0;
    for (QAction* a : w.view->viewModeActions()) checked += a->isChecked();
    EXPECT_EQ(checked, 1);
    // Drawing alone changed: the document saves the same bytes.
    EXPECT_EQ(document.saveToBytes(), savedBefore);
}

TEST_F(Views, OverCheckerboardShowsTheSquaresWhereAlphaIsZeroAndTheColourWhereOpaque)
{
    startEditor();
    document.appendLevel(16, 16, "16 x 16", 0);
    document.setCurrentLevel(1);
    document.editPixels(1, QRect(5, 5, 2, 1), [](QImage& colour, QImage& alpha) {
        colour.setPixel(5, 5, qRgb(10, 20, 30));
        alpha.scanLine(5)[5] = 255;
        colour.setPixel(6, 5, qRgb(10, 20, 30));
        alpha.scanLine(5)[6] = 255;
    });
    chooseMenu('v', 'o');
    ASSERT_TRUE(frame->menuAction("ViewOverCheckerboard")->isChecked());
    // Zoom 1: squares of 8 level pixels, light at the top left.
    std::vector<QRgb> shown = drawnLevelPixels(w.view->levelCanvas(), 1);
    ASSERT_EQ(shown.size(), 256u);
    const auto at = [&](int x, int y) { return shown[std::size_t(y * 16 + x)]; };
    EXPECT_EQ(at(0, 0), grey(kCheckerLight));
    EXPECT_EQ(at(7, 7), grey(kCheckerLight));
    EXPECT_EQ(at(8, 0), grey(kCheckerDark));
    EXPECT_EQ(at(0, 15), grey(kCheckerDark));
    EXPECT_EQ(at(15, 15), grey(kCheckerLight));
    EXPECT_EQ(at(5, 5), rgb(10, 20, 30));
    EXPECT_EQ(at(6, 5), rgb(10, 20, 30));
    // Zoom 8: the squares keep their size on the screen, one level pixel each.
    for (int i = 0; i < 3; ++i) w.view->zoomIn();
    QApplication::processEvents();
    shown = drawnLevelPixels(w.view->levelCanvas(), 8);
    EXPECT_EQ(at(0, 0), grey(kCheckerLight));
    EXPECT_EQ(at(1, 0), grey(kCheckerDark));
    EXPECT_EQ(at(1, 1), grey(kCheckerLight));
    EXPECT_EQ(at(5, 5), rgb(10, 20, 30));
    EXPECT_EQ(at(6, 5), rgb(10, 20, 30));
    // The Colour view shows the level image as it is again (a new level is white).
    chooseMenu('v', 'c');
    shown = drawnLevelPixels(w.view->levelCanvas(), 8);
    EXPECT_EQ(at(0, 0), grey(255));
    EXPECT_EQ(at(5, 5), rgb(10, 20, 30));
}

// The level view's drawing, band by band, against Qt's nearest-neighbour scaling of the same
// converted level pixels, over rectangles that start and end inside a level pixel, reach past
// the level, or sit where the level is drawn away from the painter's origin.
TEST(LevelDrawing, EveryModeAndZoomDrawsWhatAScaledDrawingDraws)
{
    TextureDocument document;
    const int level = document.appendLevel(37, 29, QStringLiteral("37x29"));
    document.editPixels(level, QRect(0, 0, 37, 29), [](QImage& colour, QImage& alpha) {
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 37; ++x) {
                colour.setPixel(x, y, qRgb(x * 7, y * 9, (x * y) & 255));
                alpha.scanLine(y)[x] = uchar(x * 13 + y * 5);
            }
    });
    const QRect exposures[] = {{0, 0, 400, 300}, {3, 5, 17, 11}, {9, 1, 150, 2}, {250, 200, 90, 90}, {1, 1, 1, 1}};
    const QPoint origins[] = {{0, 0}, {5, 3}};
    for (const ViewMode mode : kViewModes)
        for (const int zoom : {1, 2, 4, 8})
            for (const QPoint origin : origins)
                for (const QRect& exposed : exposures) {
                    QImage drawn(400, 300, QImage::Format_RGB32), wanted(400, 300, QImage::Format_RGB32);
                    drawn.fill(Qt::black);
                    wanted.fill(Qt::black);
                    {
                        QPainter painter(&drawn);
                        drawLevel(painter, document, level, mode, zoom, exposed, origin);
                    }
                    QImage converted(37, 29, QImage::Format_RGB32);
                    for (int y = 0; y < 29; ++y)
                        viewRow(mode, reinterpret_cast<const QRgb*>(document.levelImage(level).constScanLine(y)),
                                document.alphaPlane(level).constScanLine(y), 0, y, zoom, 37,
                                reinterpret_cast<QRgb*>(converted.scanLine(y)));
                    {
                        QPainter painter(&wanted);
                        painter.setClipRect(exposed);
                        painter.drawImage(QRect(origin, converted.size() * zoom), converted);
                    }
                    // What lies outside the exposed rectangle may be drawn or not; inside, it must agree.
                    const QRect inside = exposed & QRect(origin, QSize(37, 29) * zoom);
                    for (int y = inside.top(); y <= inside.bottom(); ++y)
                        for (int x = inside.left(); x <= inside.right(); ++x)
                            ASSERT_EQ(drawn.pixel(x, y), wanted.pixel(x, y))
                                << "mode " << int(mode) << " zoom " << zoom << " at " << x << "," << y;
                }
}

TEST_F(Views, TiledPreviewShowsTheLevelThreeByThreeAndFollowsEdits)
{
    const QString file = path("t.m32");
    writeTexture(file, {{10, 6}, {5, 3}});
    startEditor();
    frame->resize(1200, 900);
    openThroughMenu(file);
    // The preview is a child window from the start, hidden until asked for.
    EXPECT_TRUE(w.tiledPreview->parentWidget()->isHidden());
    chooseMenu('v', 't');
    auto* preview = frame->findChild<TiledPreview*>();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), "Tiled preview");
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(frame->workspace()->subWindowList().size(), 5);
    QWidget* tiles = preview->canvas();
    EXPECT_EQ(tiles->size(), QSize(30, 18));

    // At the view's zoom, in the view's mode, each tile what the view shows.
    w.view->zoomIn();
    QApplication::processEvents();
    EXPECT_EQ(tiles->size(), QSize(60, 36));
    const auto checkTiles = [&] {
        const QImage one = w.view->levelCanvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage all = tiles->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < all.height(); ++y)
            for (int x = 0; x < all.width(); ++x)
                wrong += (all.pixel(x, y) & 0xFFFFFF) != (one.pixel(x % one.width(), y % one.height()) & 0xFFFFFF);
        EXPECT_EQ(wrong, 0);
    };
    checkTiles();
    QTest::keyClick(frame.get(), Qt::Key_6, Qt::ControlModifier);
    QApplication::processEvents();
    checkTiles();

    // An edit repaints its rectangle in each of the nine tiles, and only those.
    PaintSpy spy(tiles);
    QTest::qWait(20);
    spy.clear();
    document.editPixels(1, QRect(2, 1, 1, 1), [](QImage& colour, QImage& alpha) {
        colour.setPixel(2, 1, qRgb(1, 2, 3));
        alpha.scanLine(1)[2] = 77;
    });
    QApplication::processEvents();
    QRegion expected;
    for (int ty = 0; ty < 3; ++ty)
        for (int tx = 0; tx < 3; ++tx) expected += QRect(4 + tx * 20, 2 + ty * 12, 2, 2);
    EXPECT_EQ(spy.painted, expected);
    const QImage after = tiles->grab().toImage();
    EXPECT_EQ(after.pixel(4, 2) & 0xFFFFFF, grey(77));
    EXPECT_EQ(after.pixel(2 * 20 + 5, 2 * 12 + 3) & 0xFFFFFF, grey(77));

    // Another level shown: the preview follows it, at zoom 1 as the view.
    w.levels->ShowwM32(1);
    QApplication::processEvents();
    EXPECT_EQ(tiles->size(), QSize(15, 9));
    checkTiles();

    // Closed and asked for again: the same window, shown again.
    qobject_cast<QMdiSubWindow*>(preview->parentWidget())->close();
    EXPECT_FALSE(preview->isVisible());
    chooseMenu('v', 't');
    EXPECT_EQ(frame->findChild<TiledPreview*>(), preview);
    EXPECT_TRUE(preview->isVisible());
}

} // namespace
} // namespace quorvel::test

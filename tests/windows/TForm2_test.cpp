// The level view inside the real frame: zoom by its shortcuts, the client area, what it draws
// and repaints, scrolling over big levels, and the beep of a click beside the level.
#include "tests/support/EditorFixture.h"
#include "tests/support/PaintSpy.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace quorvel::test {
namespace {

using View = EditorTest;

TEST_F(View, ZoomShortcutsDoubleAndHalveCaptionAndClientArea)
{
    const QString file = path("t.m32");
    writeTexture(file, {{64, 64}, {32, 16}});
    startEditor();
    frame->resize(1400, 1100); // room for 512 x 512
    openThroughMenu(file);
    // The window cannot be smaller than its title bar needs.
    const auto* sub = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    const QSize smallest = sub->minimumSizeHint() - (sub->size() - w.view->size());
    struct Step {
        Qt::Key key;
        const char* caption;
        int side;
    } steps[] = {
        {Qt::Key_Plus, "[zoom 2x]", 128},  {Qt::Key_Plus, "[zoom 4x]", 256}, {Qt::Key_Plus, "[zoom 8x]", 512},
        {Qt::Key_Plus, "[zoom 8x]", 512},  {Qt::Key_Minus, "[zoom 4x]", 256}, {Qt::Key_Minus, "[zoom 2x]", 128},
        {Qt::Key_Minus, "[zoom 1x]", 64},  {Qt::Key_Minus, "[zoom 1x]", 64},
    };
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->size(), QSize(64, 64).expandedTo(smallest));
    for (const Step& s : steps) {
        // The shortcut works wherever the focus is in the frame: here in a properties field.
        w.properties->field("Edit2")->setFocus();
        QTest::keyClick(frame.get(), s.key, Qt::ControlModifier);
        SCOPED_TRACE(s.caption);
        EXPECT_EQ(w.view->windowTitle(), QString::fromLatin1(s.caption));
        EXPECT_EQ(w.view->levelCanvas()->size(), QSize(s.side, s.side));
        EXPECT_EQ(w.view->size(), QSize(s.side, s.side).expandedTo(smallest));
    }
    EXPECT_EQ(w.view->zoom(), 1);

    // The toolbar's two buttons work the same zoom: caption, canvas and window follow them.
    auto* zoomIn = w.toolbar->findChild<QPushButton*>("BitBtn1");
    auto* zoomOut = w.toolbar->findChild<QPushButton*>("BitBtn2");
    ASSERT_TRUE(zoomIn && zoomOut);
    QTest::mouseClick(zoomIn, Qt::LeftButton);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 2x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(128, 128));
    EXPECT_EQ(w.view->size(), QSize(128, 128).expandedTo(smallest));
    QTest::mouseClick(zoomOut, Qt::LeftButton);
    QTest::mouseClick(zoomOut, Qt::LeftButton);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(64, 64));

    // Showing another level while zoomed returns to zoom 1 at that level's size.
    w.view->zoomIn();
    w.view->zoomIn();
    w.levels->ShowwM32(1);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(32, 16));
}

TEST_F(View, DrawsTheLevelNearestNeighbourAndRepaintsOnlyWhatChanged)
{
    const QString file = path("t.m32");
    writeTexture(file, {{40, 30}});
    startEditor();
    openThroughMenu(file);
    w.view->zoomIn();
    w.view->zoomIn(); // 4x
    const QImage& level = document.levelImage(1);
    const QImage shown = w.view->levelCanvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(160, 120));
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            wrong += (shown.pixel(x, y) & 0xFFFFFF) != (level.pixel(x / 4, y / 4) & 0xFFFFFF);
    EXPECT_EQ(wrong, 0);

    // Whatever repaint the zoom left pending is done first.
    PaintSpy spy(w.view->levelCanvas());
    QTest::qWait(20);
    spy.rects.clear();
    document.editPixels(1, QRect(3, 4, 2, 2), [](QImage& image, QImage&) { image.setPixel(3, 4, qRgb(1, 2, 3)); });
    QApplication::processEvents();
    EXPECT_EQ(spy.rects, std::vector<QRect>{QRect(12, 16, 8, 8)});
    const QImage after = w.view->levelCanvas()->grab(QRect(12, 16, 4, 4)).toImage();
    EXPECT_EQ(after.pixel(0, 0) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);
    EXPECT_EQ(after.pixel(3, 3) & 0xFFFFFF, qRgb(1, 2, 3) & 0xFFFFFF);

    // Another level's pixels are not this view's business.
    spy.rects.clear();
    document.appendLevel(4, 4, "4x4");
    QApplication::processEvents();
    spy.rects.clear();
    document.editPixels(2, QRect(0, 0, 1, 1), [](QImage& image, QImage&) { image.setPixel(0, 0, 0); });
    QApplication::processEvents();
    EXPECT_TRUE(spy.rects.empty());
}

TEST_F(View, ScrollsToEveryPixelOfABigLevelAtZoomEight)
{
    const QString file = path("big.m32");
    writeTexture(file, {{1024, 1024}});
    startEditor();
    openThroughMenu(file);
    for (int i = 0; i < 3; ++i) QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(8192, 8192));
    // The window stays within the workspace; the rest is scrolled to.
    const auto* sub = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_LE(sub->width(), frame->workspace()->viewport()->width());
    EXPECT_LE(sub->height(), frame->workspace()->viewport()->height());
    QScrollArea* scroll = w.view->scrollArea();
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const QWidget* viewport = scroll->viewport();
    const QImage shown = const_cast<QWidget*>(viewport)->grab().toImage();
    const QPoint corner = w.view->levelCanvas()->mapFrom(viewport, QPoint(viewport->width() - 1, viewport->height() - 1));
    EXPECT_EQ(w.view->levelCanvas()->levelPixelAt(corner), QPoint(1023, 1023));
    EXPECT_EQ(shown.pixel(viewport->width() - 1, viewport->height() - 1) & 0xFFFFFF,
              document.levelImage(1).pixel(1023, 1023) & 0xFFFFFF);

    // A frame made larger gives the view the room.
    const int before = sub->width();
    frame->resize(frame->width() + 300, frame->height() + 200);
    QApplication::processEvents();
    EXPECT_GT(sub->width(), before);
    EXPECT_LE(sub->x() + sub->width(), frame->workspace()->viewport()->width());
}

TEST_F(View, AClickBesideTheLevelBeepsAndOnTheLevelNever)
{
    const QString file = path("tiny.m32");
    writeTexture(file, {{4, 4}});
    startEditor();
    openThroughMenu(file);
    ASSERT_EQ(w.view->levelCanvas()->size(), QSize(4, 4));
    // The window cannot be as narrow as four pixels: its surface shows beside the level.
    ASSERT_GT(w.view->width(), 8);
    QWidget* viewport = w.view->scrollArea()->viewport();
    QTest::mouseClick(w.view->levelCanvas(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(fake.beeps, 0);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, 2));
    EXPECT_EQ(fake.beeps, 1);
}

} // namespace
} // namespace quorvel::test

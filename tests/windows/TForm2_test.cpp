// The level view inside the real frame: zoom by its shortcuts, the client area, what it draws
// and repaints, scrolling over big levels, and the beep of a click beside the level.
#include "tests/support/EditorFixture.h"

#include "windows/WindowHelpers.h"
#include "tests/support/PaintSpy.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cstdlib>

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
    // The window cannot be smaller than its title bar needs, and shows its caption whole.
    const auto* sub = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    const QSize smallest = sub->minimumSizeHint().expandedTo(QSize(captionWidth(sub), 0)) - (sub->size() - w.view->size());
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

// The view's child window and the three tool windows it must never cover.
struct Placement {
    QMdiSubWindow* view;
    std::vector<QMdiSubWindow*> tools;
};

Placement placementOf(const EditorWindows& w)
{
    const auto sub = [](QWidget* window) { return qobject_cast<QMdiSubWindow*>(window->parentWidget()); };
    return {sub(w.view), {sub(w.properties), sub(w.toolbar), sub(w.levels)}};
}

TEST_F(View, StaysWhereItIsNeverCoversTheToolWindowsAndFitsTheFreeArea)
{
    const QString file = path("big.m32");
    writeTexture(file, {{1024, 1024}, {512, 512}});
    startEditor();
    frame->resize(1400, 1000);
    QApplication::processEvents();
    const Placement p = placementOf(w);
    const QPoint corner = p.view->pos();
    const QRect free = freeArea(frame->workspace());
    // At start at the top left of the free area, right of the properties and the level list and
    // below the toolbar.
    EXPECT_EQ(corner, free.topLeft());
    for (const QMdiSubWindow* tool : p.tools) EXPECT_FALSE(tool->geometry().intersects(free)) << tool->objectName().toStdString();

    const auto check = [&](const char* step) {
        SCOPED_TRACE(step);
        QApplication::processEvents();
        EXPECT_EQ(p.view->pos(), corner);
        for (const QMdiSubWindow* tool : p.tools)
            EXPECT_FALSE(p.view->geometry().intersects(tool->geometry())) << tool->objectName().toStdString();
        EXPECT_LE(w.view->width(), free.width());
        EXPECT_LE(w.view->height(), free.height());
        EXPECT_TRUE(frame->workspace()->viewport()->rect().contains(p.view->geometry()));
    };
    openThroughMenu(file);
    check("open");
    // A level taller than the free area: the window fills its height and the scroll bar reaches
    // the rest.
    EXPECT_EQ(p.view->height(), free.height());
    EXPECT_GT(w.view->scrollArea()->verticalScrollBar()->maximum(), 0);

    // Zoom keeps the level pixel at the centre of the view at the centre.
    QScrollArea* scroll = w.view->scrollArea();
    const auto centrePixel = [&] {
        const QWidget* viewport = scroll->viewport();
        return w.view->levelCanvas()->levelPixelAt(
            w.view->levelCanvas()->mapFrom(viewport, QPoint(viewport->width() / 2, viewport->height() / 2)));
    };
    scroll->horizontalScrollBar()->setValue(300);
    scroll->verticalScrollBar()->setValue(500);
    const QPoint centre = centrePixel();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
        check("zoom in");
        const QPoint now = centrePixel();
        EXPECT_LE(std::abs(now.x() - centre.x()), 1) << i;
        EXPECT_LE(std::abs(now.y() - centre.y()), 1) << i;
    }
    EXPECT_EQ(w.view->zoom(), 8);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(frame.get(), Qt::Key_Minus, Qt::ControlModifier);
        check("zoom out");
    }
    EXPECT_LE(std::abs(centrePixel().x() - centre.x()), 2);

    w.levels->ShowwM32(1);
    check("level 2");
    EXPECT_EQ(w.view->size(), QSize(512, 512));
    document.appendLevel(256, 256, QStringLiteral("256x256"));
    document.setCurrentLevel(3);
    check("added level");
    EXPECT_EQ(w.view->size(), QSize(256, 256));

    // Moved by the user, it stays there through zoom and level changes.
    p.view->move(corner + QPoint(40, 30));
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    w.levels->ShowwM32(0);
    QApplication::processEvents();
    EXPECT_EQ(p.view->pos(), corner + QPoint(40, 30));
    EXPECT_TRUE(frame->workspace()->viewport()->rect().contains(p.view->geometry()));

    // The tiled preview opens as an ordinary child window beside the view, within the free area.
    w.levels->ShowwM32(2);
    chooseMenu('v', 't');
    auto* preview = qobject_cast<QMdiSubWindow*>(w.tiledPreview->parentWidget());
    ASSERT_TRUE(preview->isVisible());
    EXPECT_FALSE(preview->isMaximized());
    EXPECT_FALSE(preview->geometry().intersects(p.view->geometry()));
    for (const QMdiSubWindow* tool : p.tools) EXPECT_FALSE(preview->geometry().intersects(tool->geometry()));
    EXPECT_TRUE(free.contains(preview->geometry()));
}

TEST_F(View, AMinimisedViewStaysMinimisedAndRestoresAtTheLevelTimesTheZoom)
{
    const QString file = path("t.m32");
    writeTexture(file, {{64, 64}, {32, 16}});
    startEditor();
    frame->resize(1400, 1000);
    openThroughMenu(file);
    auto* sub = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    sub->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(sub->isMinimized());
    const QSize minimised = sub->size();

    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    w.levels->ShowwM32(1);
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    frame->resize(1300, 900);
    QApplication::processEvents();
    EXPECT_TRUE(sub->isMinimized());
    EXPECT_EQ(sub->size(), minimised);

    sub->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(w.view->zoom(), 4);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(128, 64));
    const QSize smallest = sub->minimumSizeHint().expandedTo(QSize(captionWidth(sub), 0)) - (sub->size() - w.view->size());
    EXPECT_EQ(w.view->size(), QSize(128, 64).expandedTo(smallest));
}

TEST_F(View, CtrlWheelZoomsAndAClickOnAnEmptyViewBeeps)
{
    startEditor();
    frame->resize(1400, 1000);
    // At start level 1 is 128 x 128 in the table: zoom in shows 256 x 256.
    EXPECT_EQ(document.levelSize(1), QSize(128, 128));
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(256, 256));
    QTest::keyClick(frame.get(), Qt::Key_Minus, Qt::ControlModifier);
    // No level to paint on: a click on the view is a click on its surface.
    QTest::mouseClick(w.view->levelCanvas(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_FALSE(document.isModified());

    const QString file = path("t.m32");
    writeTexture(file, {{64, 64}});
    openThroughMenu(file);
    const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWidget* canvas = w.view->levelCanvas();
        const QPointF at(10, 10);
        QWheelEvent event(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &event);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(w.view->zoom(), 2);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 2x]");
    wheel(120, Qt::ControlModifier);
    wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(w.view->zoom(), 2);
    // Without Ctrl the wheel scrolls, as ever.
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(w.view->zoom(), 2);
    EXPECT_EQ(fake.beeps, 1);
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

// Painting with the mouse on the real level view and toolbar: what the modes lay down and pick
// back, the reach of zoom 8, the repaint of only what changed, Edit > Undo and Redo, the saved
// bytes.
#include "tests/support/PaintFixture.h"
#include "tests/support/PaintSpy.h"

#include "document/History.h"
#include "document/M32Format.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/HistoryWindow.h"
#include "windows/TForm3.h"
#include "windows/TForm4.h"
#include "windows/TForm6.h"
#include "windows/TForm7.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QUndoView>

#include <QPaintEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace quorvel::test {
namespace {

// A picture with alpha of its own, written as a PNG.
QString pngPicture(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgba(x * 30, y * 40, 9, 100 + x + y));
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

using Painting = PaintTest;

TEST_F(Painting, PaintStoresTheBlendAndPressesAloneChangeNothingAndAddNoStep)
{
    openWhite({32, 32});
    EXPECT_FALSE(undoEnabled());
    setPenWidth(20);
    const QImage before = document.levelImage(1);
    for (DrawingMode mode : {DrawingMode::Paint, DrawingMode::PickColor}) {
        clickMode(mode);
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(9, 9));
        EXPECT_EQ(document.levelImage(1), before);
        EXPECT_FALSE(undoEnabled());
    }
    clickMode(DrawingMode::Paint);
    setPenWidth(1);
    struct Row {
        int r, g, b, a;
        QRgb shown;
    } rows[] = {{255, 0, 0, 255, rgb(255, 0, 0)}, {255, 0, 0, 0, rgb(192, 192, 192)}, {0, 0, 0, 128, rgb(96, 96, 96)}};
    for (int i = 0; i < 3; ++i) {
        const Row& r = rows[i];
        setColour(r.r, r.g, r.b, r.a);
        stroke({{3, 2 + 4 * i}, {9, 2 + 4 * i}});
        EXPECT_EQ(shown(5, 2 + 4 * i), r.shown) << i;
        EXPECT_EQ(alpha(5, 2 + 4 * i), r.a) << i;
        EXPECT_EQ(shown(9, 2 + 4 * i), rgb(255, 255, 255)) << "a one-pixel pen leaves the end pixel";
    }
}

TEST_F(Painting, PickingReadsBackWhatWasPaintedAndZeroWhereAlphaIsZero)
{
    openLevel({32, 32}, [](QImage& image, QImage& plane) {
        image.fill(rgb(192, 192, 192));
        plane.fill(0u);
    });
    w.view->zoomIn();
    for (int v : {0, 127, 128, 255}) {
        clickMode(DrawingMode::Paint);
        setColour(v, v, v, 255);
        stroke({{40, 8}, {60, 8}}); // level pixels (20..29, 4) at zoom 2
        clickMode(DrawingMode::PickColor);
        hover(QPoint(9, 9));
        EXPECT_EQ(fieldTexts(), (QStringList{"0", "0", "0", "0"}));
        hover(QPoint(50, 9));
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(50, 9));
        const QString n = QString::number(v);
        EXPECT_EQ(fieldTexts(), (QStringList{n, n, n, "255"}));
        hover(QPoint(9, 9));
        EXPECT_EQ(fieldTexts(), (QStringList{n, n, n, "255"})) << "picking stops at the release";
    }
}

TEST_F(Painting, DrawAlphaDrawsOnePixelLinesWhateverThePenAndPaintTheFullWidth)
{
    openLevel({64, 64}, [](QImage& image, QImage& plane) {
        image.fill(rgb(200, 100, 50));
        plane.fill(255u);
    });
    setPenWidth(20);
    setColour(0, 0, 0, 128);
    clickMode(DrawingMode::DrawAlpha);
    stroke({{10, 20}, {40, 20}});
    EXPECT_EQ(shown(20, 20), rgb(196, 146, 121)); // its own colour at the new alpha
    EXPECT_EQ(alpha(20, 20), 128);
    EXPECT_EQ(alpha(20, 19), 255);
    EXPECT_EQ(shown(20, 21), rgb(200, 100, 50));
    clickMode(DrawingMode::Paint);
    stroke({{10, 40}, {40, 40}});
    for (int y : {31, 49}) EXPECT_EQ(shown(25, y), rgb(96, 96, 96)) << y;
    EXPECT_EQ(shown(25, 52), rgb(200, 100, 50));
}

// Draw Alpha over a row of eight opaque colours, in one fast drag and in short moves: at alpha
// 255 the saved file keeps every byte, at 128 every pixel is saved as its own colour (within the
// rounding of one unblend and blend).
TEST_F(Painting, DrawAlphaKeepsEachPixelsOwnColour)
{
    const QRgb colours[] = {qRgb(157, 64, 40), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                            qRgb(30, 59, 220), qRgb(1, 2, 3),   qRgb(250, 250, 5), qRgb(128, 0, 128)};
    openLevel({40, 8}, [&](QImage& image, QImage& plane) {
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 8; ++y) image.setPixel(x, y, colours[(x / 4) % 8]);
        plane.fill(255u);
    });
    const QString file = document.currentFile();
    const QByteArray original = readFile(file);
    const std::vector<std::vector<QPoint>> drags = {{{0, 3}, {33, 3}}, {{0, 3}, {5, 3}, {11, 3}, {22, 3}, {33, 3}}};
    for (const auto& drag : drags) {
        for (const int a : {255, 128}) {
            SCOPED_TRACE(testing::Message() << drag.size() << " points, alpha " << a);
            clickMode(DrawingMode::Paint);
            setColour(9, 9, 9, a);
            clickMode(DrawingMode::DrawAlpha);
            stroke(drag);
            chooseMenu('f', 's');
            const QByteArray saved = readFile(file);
            ASSERT_EQ(saved.size(), original.size());
            if (a == 255) {
                EXPECT_EQ(saved, original);
            } else {
                for (int x = 0; x < 40; ++x) {
                    const char* pixel = saved.constData() + 968 + (3 * 40 + x) * 4;
                    const QRgb own = colours[(x / 4) % 8];
                    if (x >= 33) {
                        EXPECT_EQ(QByteArray(pixel, 4), original.mid(968 + (3 * 40 + x) * 4, 4)) << x;
                        continue;
                    }
                    EXPECT_NEAR(uchar(pixel[0]), qRed(own), 1) << x;
                    EXPECT_NEAR(uchar(pixel[1]), qGreen(own), 1) << x;
                    EXPECT_NEAR(uchar(pixel[2]), qBlue(own), 1) << x;
                    EXPECT_EQ(uchar(pixel[3]), 128) << x;
                }
            }
            // At alpha 255 over opaque pixels no pixel changed, so there is no step to undo.
            ASSERT_EQ(undoEnabled(), a != 255);
            if (a != 255) chooseMenu('e', 'u');
        }
    }
}

// A click in Pick color mode picks the pixel clicked, without a move.
TEST_F(Painting, PickClickWithoutAMoveFillsTheFields)
{
    openLevel({32, 32}, [](QImage& image, QImage& plane) {
        image.fill(rgb(255, 255, 255));
        plane.fill(255u);
        image.setPixel(5, 5, qRgb(10, 20, 30));
        image.setPixel(20, 5, qRgb(40, 50, 60));
        plane.scanLine(5)[20] = 255;
    });
    setColour(1, 2, 3, 4);
    clickMode(DrawingMode::PickColor);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(fieldTexts(), (QStringList{"10", "20", "30", "255"}));
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(20, 5));
    EXPECT_EQ(fieldTexts(), (QStringList{"40", "50", "60", "255"}));
    hover(QPoint(5, 5));
    EXPECT_EQ(fieldTexts(), (QStringList{"40", "50", "60", "255"})) << "the release ends the picking";
}

// Paint, a click in Pick color mode, then Ctrl+Z: the stroke is taken back; Ctrl+Shift+Z and
// Ctrl+Y bring it back.
TEST_F(Painting, PaintThenAPickClickThenUndoTakesBackTheStroke)
{
    openWhite({32, 32});
    const QImage before = document.levelImage(1), beforeAlpha = document.alphaPlane(1);
    setColour(200, 10, 10, 100);
    stroke({{2, 2}, {20, 12}});
    const QImage painted = document.levelImage(1), paintedAlpha = document.alphaPlane(1);
    clickMode(DrawingMode::PickColor);
    QTest::mouseClick(canvas(), Qt::LeftButton, {}, QPoint(9, 9));
    EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo Paint");
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.levelImage(1), before);
    EXPECT_EQ(document.alphaPlane(1), beforeAlpha);
    EXPECT_FALSE(undoEnabled());
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(document.levelImage(1), painted);
    EXPECT_EQ(document.alphaPlane(1), paintedAlpha);
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(frame.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(document.levelImage(1), painted);
}

// Ctrl+Z with the button still held takes back what the stroke drew so far; what it draws after
// is a step of its own.
TEST_F(Painting, UndoDuringAStrokeTakesBackWhatItDrewSoFar)
{
    openWhite({32, 32});
    setColour(0, 0, 0, 255);
    stroke({{2, 28}, {20, 28}});
    const QImage before = document.levelImage(1);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(canvas(), QPoint(20, 2));
    ASSERT_EQ(shown(10, 2), rgb(0, 0, 0));
    QTest::keyClick(frame.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document.levelImage(1), before);
    // On across the rectangle the undone part covered: its pixels stay undone.
    QTest::mouseMove(canvas(), QPoint(10, 20));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(10, 20));
    EXPECT_EQ(shown(10, 2), rgb(255, 255, 255));
    EXPECT_EQ(shown(15, 11), rgb(0, 0, 0));
    EXPECT_EQ(document.history().stack().count(), 2);
    chooseMenu('e', 'u');
    EXPECT_EQ(document.levelImage(1), before);
}

// Every kind of step through the windows, then undo all and redo all: at every step the saved
// file is the one saved at that point going forward.
TEST_F(Painting, EveryStepUndoesAndRedoesToTheFileSavedThere)
{
    const QString file = path("history.m32");
    writeTexture(file, {{32, 32}, {16, 16}});
    startEditor();
    openThroughMenu(file);
    const auto saved = [&] {
        chooseMenu('f', 's');
        return readFile(file);
    };
    std::vector<QByteArray> states{saved()};
    std::vector<QString> texts;
    const auto step = [&](const QString& text) {
        ASSERT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
        texts.push_back(text);
        EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo " + text);
        states.push_back(saved());
        ASSERT_NE(states.back(), states[states.size() - 2]) << text.toStdString();
    };
    setPenWidth(3);
    for (int i = 0; i < 10; ++i) {
        const bool drawAlpha = (i / 2) % 2 == 1;
        clickMode(drawAlpha ? DrawingMode::DrawAlpha : DrawingMode::Paint);
        w.levels->ShowwM32(i % 2);
        setColour(20 * i, 255 - 20 * i, 7 * i, 40 + 20 * i);
        stroke({{1 + i, 1}, {14 - i, 13}, {2, 14 - i}});
        step(drawAlpha ? "Draw alpha" : "Paint");
    }
    clickMode(DrawingMode::Paint);
    QTest::keyClicks(w.properties->field("Edit6"), "12");
    QTest::keyClicks(w.properties->field("Edit6"), "3");
    step("Flags");
    QTest::keyClicks(w.properties->field("Edit2"), "moss");
    step("Name");

    QTest::mouseClick(w.levels->addButton(), Qt::LeftButton);
    w.addMipmap->widthBox()->setText("8");
    w.addMipmap->heightBox()->setText("8");
    QTest::mouseClick(w.addMipmap->okButton(), Qt::LeftButton);
    step("Add a mipmap");
    w.levels->ShowwM32(2);
    w.importDialog->chainChoices()->ownAlphaBox()->setChecked(true);
    fake.fileAnswers.push_back(pngPicture(path("tuned.png"), 8, 8));
    chooseMenu('f', 'r');
    step("Replace level");
    w.levels->ShowwM32(1);
    chooseMenu('e', 'r');
    step("Rebuild smaller levels");
    w.levels->ShowwM32(0);
    QTest::mouseClick(w.levels->removeButton(), Qt::LeftButton);
    step("Remove level");
    ASSERT_EQ(document.levelCount(), 2);

    for (std::size_t k = states.size() - 1; k > 0; --k) {
        EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo " + texts[k - 1]);
        chooseMenu('e', 'u');
        EXPECT_EQ(saved(), states[k - 1]) << "undo to " << k - 1;
    }
    EXPECT_FALSE(undoEnabled());
    for (std::size_t k = 1; k < states.size(); ++k) {
        chooseMenu('e', 'd');
        EXPECT_EQ(saved(), states[k]) << "redo to " << k;
    }
    EXPECT_FALSE(frame->menuAction("Redo1")->isEnabled());
}

// Edit > History lists the steps under "Start", goes to any one by a click, and says how much
// memory it holds.
TEST_F(Painting, TheHistoryWindowListsTheStepsAndGoesToTheOneClicked)
{
    openWhite({32, 32});
    const QByteArray start = document.saveToBytes();
    setColour(1, 2, 3, 255);
    stroke({{2, 2}, {20, 2}});
    const QByteArray first = document.saveToBytes();
    stroke({{2, 9}, {20, 9}});
    chooseMenu('e', 'h');
    auto* history = frame->findChild<HistoryWindow*>();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    QAbstractItemModel* model = history->view()->model();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->index(0, 0).data().toString(), "Start");
    EXPECT_EQ(model->index(1, 0).data().toString(), "Paint");
    EXPECT_EQ(history->memoryLabel()->text(), historyMemoryText(document.history().bytes(), History::kDefaultByteLimit));
    EXPECT_EQ(history->memoryLabel()->text(), "0.0 MB of 256 MB held");
    EXPECT_EQ(historyMemoryText(qint64(11) * 512 * 1024, History::kDefaultByteLimit), "5.5 MB of 256 MB held");

    const auto click = [&](int row) {
        const QRect at = history->view()->visualRect(model->index(row, 0));
        QTest::mouseClick(history->view()->viewport(), Qt::LeftButton, {}, at.center());
    };
    click(1);
    EXPECT_EQ(document.saveToBytes(), first);
    click(0);
    EXPECT_EQ(document.saveToBytes(), start);
    EXPECT_FALSE(undoEnabled());
    click(2);
    EXPECT_TRUE(undoEnabled());
    EXPECT_FALSE(frame->menuAction("Redo1")->isEnabled());
}

// A pen of width w lays a band exactly w pixels across a horizontal stroke.
TEST_F(Painting, PenWidthsAreExactlyThatManyPixelsAcross)
{
    openWhite({64, 64});
    setColour(0, 0, 0, 255);
    for (int width = 1; width <= 20; ++width) {
        setPenWidth(width);
        stroke({{10, 30}, {50, 30}});
        int across = 0;
        for (int y = 0; y < 64; ++y) across += shown(30, y) == rgb(0, 0, 0);
        EXPECT_EQ(across, width);
        chooseMenu('e', 'u');
    }
}

TEST_F(Painting, ZoomEightReachesTheLastPixelAndRepaintsOnlyWhatChanged)
{
    openWhite({1024, 1024});
    for (int i = 0; i < 3; ++i) QTest::mouseClick(w.toolbar->zoomInButton(), Qt::LeftButton);
    ASSERT_EQ(w.view->windowTitle(), "[zoom 8x]");
    QScrollArea* scroll = w.view->scrollArea();
    scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    setPenWidth(5);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(8160, 8160)); // level (1020, 1020)
    QTest::qWait(20);
    PaintSpy spy(canvas());
    QTest::mouseMove(canvas(), QPoint(8191, 8191)); // level (1023, 1023)
    QApplication::processEvents();
    // Beyond the picture nothing is painted.
    QTest::mouseMove(canvas(), QPoint(8192, 8000));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(8192, 8000));
    canvas()->removeEventFilter(&spy);
    EXPECT_EQ(shown(1023, 1023), rgb(0, 0, 0));
    EXPECT_EQ(shown(1023, 1000), rgb(255, 255, 255));
    // The segment's box grown by half the pen (1018..1023 once clipped), at zoom 8.
    EXPECT_EQ(spy.painted.boundingRect(), QRect(1018 * 8, 1018 * 8, 6 * 8, 6 * 8));
}

TEST_F(Painting, UndoTakesBackTheLastStrokeOnTheLevelPressedAndShowsIt)
{
    const QString file = path("two.m32");
    writeTexture(file, {{32, 32}, {16, 16}});
    startEditor();
    openThroughMenu(file);
    setColour(255, 0, 0, 255);
    stroke({{2, 2}, {20, 2}});
    const QImage image1 = document.levelImage(1), plane1 = document.alphaPlane(1);
    setColour(0, 255, 0, 10);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(2, 10));
    QTest::mouseMove(canvas(), QPoint(20, 2));
    // A second button pressed during the stroke is part of it.
    QTest::mousePress(canvas(), Qt::RightButton, {}, QPoint(20, 2));
    QTest::mouseMove(canvas(), QPoint(25, 25));
    QTest::mouseRelease(canvas(), Qt::RightButton, {}, QPoint(25, 25));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(25, 25));
    w.levels->ShowwM32(1);
    chooseMenu('e', 'u');
    EXPECT_EQ(document.currentLevel(), 1);
    EXPECT_EQ(document.levelImage(1), image1);
    EXPECT_EQ(document.alphaPlane(1), plane1) << "the stroke's alpha goes back with its colour";
    // The first stroke is the next to undo.
    EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo Paint");
    EXPECT_EQ(frame->menuAction("Redo1")->text(), "Re&do Paint");

    // Opening a texture drops the step, which belonged to pixels now gone.
    stroke({{4, 4}, {8, 8}});
    fake.questionAnswers.push_back(QMessageBox::No); // the stroke is not saved
    openThroughMenu(file);
    EXPECT_FALSE(undoEnabled());
}

// Each crossed pixel is saved as the blend rule's inverse of what the stroke laid down; Undo and
// a save give the file's bytes from before the stroke.
TEST_F(Painting, SavedBytesFollowTheBlendRuleAndUndoSavesTheOriginal)
{
    const QString file = path("varied.m32");
    writeTexture(file, {{48, 40}});
    startEditor();
    openThroughMenu(file);
    chooseMenu('f', 's');
    const QByteArray original = readFile(file);
    const int rows[][4] = {{200, 100, 50, 128}, {255, 255, 255, 1}, {30, 220, 7, 0}};
    for (int i = 0; i < 3; ++i) {
        const int* c = rows[i];
        const int y = 5 + 10 * i;
        setColour(c[0], c[1], c[2], c[3]);
        stroke({{4, y}, {20, y}, {34, y}}); // pixels 4..33 of row y
        chooseMenu('f', 's');
        const QByteArray painted = readFile(file);
        ASSERT_EQ(painted.size(), original.size());
        QByteArray expected = original;
        const auto stored = [&](int v) { return char(c[3] == 0 ? 0 : composition().stored[c[3]][composition().shown[c[3]][v]]); };
        const char pixel[] = {stored(c[0]), stored(c[1]), stored(c[2]), char(c[3])};
        for (int x = 4; x < 34; ++x) expected.replace(968 + (y * 48 + x) * 4, 4, QByteArray(pixel, 4));
        EXPECT_EQ(painted, expected) << c[3];
        chooseMenu('e', 'u');
        chooseMenu('f', 's');
        EXPECT_EQ(readFile(file), original);
    }
}

} // namespace
} // namespace quorvel::test

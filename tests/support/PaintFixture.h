// The editor with a level to paint on, for GUI tests of the paint toolbar and of painting: the
// toolbar's fields typed into with the keyboard, its buttons clicked, and strokes made with
// the mouse on the level view's canvas, all through the real windows.
#pragma once

#include "tests/support/EditorFixture.h"

#include "windows/TForm5.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <functional>
#include <vector>

namespace quorvel::test {

inline QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xFFFFFF; }

class PaintTest : public EditorTest {
protected:
    // A texture of one level of `size` whose every pixel is shown as `shown` with `alpha`, or
    // whose pixels `paint` sets, opened through File > Open.
    void openLevel(QSize size, QRgb shown, int alpha)
    {
        openLevel(size, [&](QImage& image, QImage& plane) {
            image.fill(shown);
            plane.fill(uint(alpha));
        });
    }
    void openLevel(QSize size, const std::function<void(QImage&, QImage&)>& paint)
    {
        const QString file = path(QStringLiteral("level.m32"));
        {
            TextureDocument d;
            d.appendLevel(size.width(), size.height(), QString());
            d.editPixels(1, QRect(QPoint(0, 0), size), paint);
            d.save(file);
        }
        if (!frame) startEditor();
        openThroughMenu(file);
        ASSERT_EQ(document.levelCount(), 1);
    }

    QLineEdit* edit(ToolField field) const { return w.toolbar->field(field); }
    LevelCanvas* canvas() const { return w.view->levelCanvas(); }
    ToolSettings& tools() const { return w.toolbar->tools(); }

    // Replaces a field's text by typing `text` into it, as a user does: all selected, then the
    // keys one by one (an empty `text` clears it).
    void type(ToolField field, const QString& text)
    {
        QLineEdit* e = edit(field);
        e->setFocus();
        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(e, Qt::Key_Backspace);
        else
            QTest::keyClicks(e, text);
    }
    void setColour(int r, int g, int b, int a)
    {
        type(ToolField::Red, QString::number(r));
        type(ToolField::Green, QString::number(g));
        type(ToolField::Blue, QString::number(b));
        type(ToolField::Alpha, QString::number(a));
    }
    // The track bar moved with the keyboard.
    void setPenWidth(int width)
    {
        QSlider* bar = w.toolbar->penWidthBar();
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_Home);
        for (int i = 1; i < width; ++i) QTest::keyClick(bar, Qt::Key_Right);
        ASSERT_EQ(tools().penWidth(), width);
    }
    void clickMode(DrawingMode mode) { QTest::mouseClick(w.toolbar->modeButton(mode), Qt::LeftButton); }
    void zoomTo(int zoom)
    {
        while (w.view->zoom() < zoom) QTest::mouseClick(w.toolbar->zoomInButton(), Qt::LeftButton);
        while (w.view->zoom() > zoom) QTest::mouseClick(w.toolbar->zoomOutButton(), Qt::LeftButton);
    }

    // A stroke with the left button through points of the canvas (control coordinates): the
    // press at the first, a move to each further one, the release at the last. (Qt Test takes
    // the point (0, 0) for "the centre", so no stroke starts there.)
    void stroke(const std::vector<QPoint>& points)
    {
        QTest::mousePress(canvas(), Qt::LeftButton, {}, points.front());
        for (size_t i = 1; i < points.size(); ++i) QTest::mouseMove(canvas(), points[i]);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, points.back());
    }
    // The pointer over the canvas without a button. (Qt Test moves the platform's cursor for
    // that, which sends nothing when the cursor already stands there from an earlier test.)
    void hover(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, canvas()->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(canvas(), &move);
    }

    QRgb shown(int x, int y, int level = 1) const { return document.levelImage(level).pixel(x, y) & 0xFFFFFF; }
    int alpha(int x, int y, int level = 1) const { return document.alphaPlane(level).constScanLine(y)[x]; }
    QStringList fieldTexts() const
    {
        QStringList texts;
        for (ToolField f : {ToolField::Red, ToolField::Green, ToolField::Blue, ToolField::Alpha})
            texts.append(edit(f)->text());
        return texts;
    }
    bool undoEnabled() const { return frame->menuAction(QStringLiteral("Undo1"))->isEnabled(); }
    void chooseUndo() { chooseMenu('e', 'u'); }
};

} // namespace quorvel::test

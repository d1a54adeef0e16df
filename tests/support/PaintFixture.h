// The editor with a level to paint on, for GUI tests of the paint toolbar and of painting: the
// toolbar's fields typed into, its buttons clicked, strokes made with the mouse on the canvas.
#pragma once

#include "tests/support/EditorFixture.h"

#include "windows/TForm5.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <vector>

namespace quorvel::test {

inline QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xFFFFFF; }

class PaintTest : public EditorTest {
protected:
    // Opens a texture of one level whose pixels `paint` sets (shown colour, alpha plane).
    template <typename Paint>
    void openLevel(QSize size, Paint paint)
    {
        const QString file = path(QStringLiteral("level.m32"));
        TextureDocument d;
        d.appendLevel(size.width(), size.height(), QString());
        d.editPixels(1, QRect(QPoint(0, 0), size), paint);
        d.save(file);
        if (!frame) startEditor();
        // The changes to a level opened before are given up.
        if (document.isModified()) fake.questionAnswers.push_front(QMessageBox::No);
        openThroughMenu(file);
    }
    void openWhite(QSize size)
    {
        openLevel(size, [](QImage& image, QImage& plane) {
            image.fill(rgb(255, 255, 255));
            plane.fill(255u);
        });
    }

    QLineEdit* edit(ToolField field) const { return w.toolbar->field(field); }
    LevelCanvas* canvas() const { return w.view->levelCanvas(); }

    // Selects all of a field and types `text` (nothing: clears it).
    void type(ToolField field, const QString& text)
    {
        QTest::keyClick(edit(field), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit(field), Qt::Key_Backspace);
        QTest::keyClicks(edit(field), text);
    }
    void setColour(int r, int g, int b, int a)
    {
        const int values[] = {r, g, b, a};
        for (int i = 0; i < 4; ++i) type(ToolField(i), QString::number(values[i]));
    }
    void setPenWidth(int width)
    {
        QSlider* bar = w.toolbar->penWidthBar();
        QTest::keyClick(bar, Qt::Key_Home);
        for (int i = 1; i < width; ++i) QTest::keyClick(bar, Qt::Key_Right);
        ASSERT_EQ(w.toolbar->tools().penWidth(), width);
    }
    void clickMode(DrawingMode mode) { QTest::mouseClick(w.toolbar->modeButton(mode), Qt::LeftButton); }

    // A left-button stroke through canvas points (Qt Test takes (0, 0) for the centre).
    void stroke(const std::vector<QPoint>& points)
    {
        QTest::mousePress(canvas(), Qt::LeftButton, {}, points.front());
        for (size_t i = 1; i < points.size(); ++i) QTest::mouseMove(canvas(), points[i]);
        QTest::mouseRelease(canvas(), Qt::LeftButton, {}, points.back());
    }
    // The pointer over the canvas without a button. (Qt Test moves the platform cursor for that,
    // which sends nothing when the cursor already stands there from an earlier test.)
    void hover(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, canvas()->mapToGlobal(point), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(canvas(), &move);
    }

    QRgb shown(int x, int y) const { return document.levelImage(1).pixel(x, y) & 0xFFFFFF; }
    int alpha(int x, int y) const { return document.alphaPlane(1).constScanLine(y)[x]; }
    QStringList fieldTexts() const
    {
        QStringList texts;
        for (int i = 0; i < 4; ++i) texts.append(edit(ToolField(i))->text());
        return texts;
    }
    bool undoEnabled() const { return frame->menuAction(QStringLiteral("Undo1"))->isEnabled(); }
};

} // namespace quorvel::test

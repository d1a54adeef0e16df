// TForm2: the level view. It shows the document's current level at zoom 1, 2, 4 or 8, straight
// from the level image, inside a scroll area so that every pixel of a big level can be reached.
// Its caption says the zoom ("[zoom 2x]"); its client area is the level's width and height
// times the zoom, as far as the frame's free area allows; the window stays where it was put, and
// a minimised one stays minimised. Mouse input on the level goes to a stroke (painting, picking)
// over the frame's tool settings; every stroke is a step of the document's history.
#pragma once

#include "document/ViewSettings.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QActionGroup;
class QScrollArea;

namespace quorvel {

class Stroke;
class TextureDocument;
class ToolSettings;

// mipmap1: the surface the current level is drawn on, exactly the level's size times the zoom.
// It draws only the part of the level a paint event exposes, nearest-neighbour, from the level
// image itself. Mouse input on it is the level's (painting), never the window's: presses,
// moves (hovering too, which Pick color needs) and releases go to the stroke, in the canvas's
// own coordinates, which are the control coordinates the stroke maps by the zoom. The zoom and
// the mode are the view settings'; the canvas keeps no copy of them.
class LevelCanvas : public QWidget {
public:
    LevelCanvas(const TextureDocument& document, const ViewSettings& view, QWidget* parent);

    // The stroke mouse input goes to; none: input is taken and ignored.
    void setStroke(Stroke* stroke) { stroke_ = stroke; }

    int zoom() const { return view_.zoom(); }
    // Resizes to the current level's size times the zoom.
    void fitToLevel();
    // The level pixel under a point of this widget: (x div z, y div z).
    QPoint levelPixelAt(QPoint point) const { return QPoint(point.x() / zoom(), point.y() / zoom()); }
    // Repaints the part of the surface that shows `levelRect`.
    void updateLevelRect(const QRect& levelRect);
    // Told the level pixel under the pointer at every move, and nothing when it leaves.
    void setPointerHandler(std::function<void(std::optional<QPoint>)> handler) { pointerHandler_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // No level to show (at start, after New, a file without levels): the surface is the window's
    // own, and a click on it beeps as one beside the level does.
    bool empty() const;
    void reportPointer(QPoint control);

    const TextureDocument& document_;
    const ViewSettings& view_;
    Stroke* stroke_ = nullptr;
    std::function<void(std::optional<QPoint>)> pointerHandler_;
    bool pressedEmpty_ = false;
};

class TForm2 : public QWidget {
public:
    // The view of `document` in the mode and at the zoom of `view`, which outlives it.
    TForm2(TextureDocument& document, ViewSettings& view, QWidget* parent = nullptr);
    ~TForm2() override;

    // Painting reads `tools` (the paint toolbar's); until they are given, the level takes no
    // mouse input.
    void setTools(ToolSettings& tools);

    int zoom() const;
    // Zoom in and zoom out, also reachable through the two actions (Ctrl++ and Ctrl+-), which the
    // frame carries so that their shortcuts work wherever the focus is in it.
    void zoomIn();
    void zoomOut();
    QAction* zoomInAction() const { return zoomInAction_; }
    QAction* zoomOutAction() const { return zoomOutAction_; }

    LevelCanvas* levelCanvas() const { return canvas_; }
    // The view's mode and zoom, which the tiled preview follows.
    ViewSettings& viewSettings() const { return viewSettings_; }
    // The View menu's exclusive mode items, in menu order: "Colour", "Red", "Green", "Blue",
    // "Alpha", "Over checkerboard".
    const std::vector<QAction*>& viewModeActions() const { return viewModeActions_; }
    QScrollArea* scrollArea() const { return scrollArea_; }

    // The level pixel under the pointer as it moves over the level, or nothing once it leaves
    // the level (the frame's status bar shows it).
    void setPointerHandler(std::function<void(std::optional<QPoint>)> handler);
    // Sizes the window around the canvas, within the free area; it stays where it is.
    void fitWindow();

    // The client area wanted: the canvas's size, at least 1 x 1.
    QSize sizeHint() const override;

protected:
    // FormClick: a click on the window's own surface beeps; clicks on the level never reach here.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Showing a level: zoom 1, caption and client area follow the level.
    void showCurrentLevel();
    // The canvas, the caption and the window follow the zoom; the level pixel at the centre of
    // what is in view stays at the centre.
    void showZoom();
    // Ctrl + wheel: zoom in (away from the user) or out.
    bool wheelZoom(QEvent* event);

    TextureDocument& document_;
    ViewSettings& viewSettings_;
    QScrollArea* scrollArea_;
    LevelCanvas* canvas_;
    QAction* zoomInAction_;
    QAction* zoomOutAction_;
    std::unique_ptr<Stroke> stroke_;
    std::vector<QAction*> viewModeActions_;
    bool pressedOnSurface_ = false;
    bool placed_ = false;
};

} // namespace quorvel

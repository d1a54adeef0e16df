// The tiled preview: the current level repeated 3 x 3 at the level view's zoom and in its view
// mode, so that the seams a texture shows when a game repeats it can be seen. It follows the
// document live (pixels, current level, levels) and the view's mode and zoom; like the level
// view it draws only what a paint event exposes, inside a scroll area.
#pragma once

#include <QWidget>

class QScrollArea;

namespace quorvel {

class TextureDocument;
class ViewSettings;

// The 3 x 3 tiles, each the level's size times the zoom.
class TiledCanvas : public QWidget {
public:
    TiledCanvas(const TextureDocument& document, const ViewSettings& view, QWidget* parent);

    static constexpr int kTiles = 3;
    // Resizes to three times the current level's size times the zoom.
    void fitToLevel();
    // Repaints `levelRect` of the current level in every tile.
    void updateLevelRect(const QRect& levelRect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TextureDocument& document_;
    const ViewSettings& view_;
};

// A QObject of its own, so that the frame finds it among its children.
class TiledPreview : public QWidget {
    Q_OBJECT

public:
    TiledPreview(const TextureDocument& document, const ViewSettings& view, QWidget* parent = nullptr);

    TiledCanvas* canvas() const { return canvas_; }
    QSize sizeHint() const override;
    // Sizes the child window around the tiles, within the workspace.
    void fitWindow();

private:
    const TextureDocument& document_;
    QScrollArea* scrollArea_;
    TiledCanvas* canvas_;
};

} // namespace quorvel

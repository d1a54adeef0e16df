// How the level views show a level: the channel view mode and the zoom. The modes change only
// what is drawn; the level image and the alpha plane stay the document's, and painting, undo,
// export and save see the same pixels in every mode.
//
// Each mode turns one row of the level (the colour over the background grey and the alpha) into
// the colours drawn, through lookup tables:
//   Colour            the level image as it is (the colour over the background grey)
//   Red, Green, Blue  the stored channel (the file's value, unblended) as grey
//   Alpha             the alpha as grey
//   OverCheckerboard  the stored colour over a light and dark checkerboard by its alpha
#pragma once

#include <QObject>
#include <QRgb>
#include <QString>

#include <cstdint>

namespace quorvel {

enum class ViewMode { Colour, Red, Green, Blue, Alpha, OverCheckerboard };
inline constexpr ViewMode kViewModes[] = {ViewMode::Colour, ViewMode::Red,   ViewMode::Green,
                                          ViewMode::Blue,   ViewMode::Alpha, ViewMode::OverCheckerboard};

// The two greys of the checkerboard, and the side of one of its squares on the screen: eight
// pixels, so one level pixel at zoom 8 and eight at zoom 1, the same size whatever the zoom.
inline constexpr int kCheckerLight = 255;
inline constexpr int kCheckerDark = 204;
inline constexpr int kCheckerSquare = 8;

// Converts `count` pixels of one level row for display. `colour` and `alpha` are the row's
// level image pixels and alpha plane bytes from level column `x`; `y` is the row. `zoom` (1, 2,
// 4 or 8) places the checkerboard's squares. `out` receives count opaque colours.
void viewRow(ViewMode mode, const QRgb* colour, const std::uint8_t* alpha, int x, int y, int zoom, int count,
             QRgb* out);

// The zoom factors: 1, 2, 4 and 8.
inline constexpr int kMaxZoom = 8;

// The level view's caption at `zoom`: "[zoom 1x]" .. "[zoom 8x]".
QString zoomCaption(int zoom);

// The mode and zoom the level view shows and the tiled preview follows: the one place they are
// kept; the views draw and size themselves from it and follow its announcements.
class ViewSettings : public QObject {
    Q_OBJECT

public:
    explicit ViewSettings(QObject* parent = nullptr) : QObject(parent) {}

    ViewMode mode() const { return mode_; }
    void setMode(ViewMode mode);
    int zoom() const { return zoom_; }
    void setZoom(int zoom);
    // Doubles the zoom up to 8, halves it down to 1; beyond those nothing changes.
    void zoomIn();
    void zoomOut();

signals:
    void modeChanged(quorvel::ViewMode mode);
    void zoomChanged(int zoom);

private:
    ViewMode mode_ = ViewMode::Colour;
    int zoom_ = 1;
};

} // namespace quorvel

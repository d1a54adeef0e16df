#include "paint/Stroke.h"

#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "graphics/LineDrawing.h"
#include "paint/ToolSettings.h"
#include "paint/UndoSnapshot.h"

#include <algorithm>

namespace quorvel {

namespace {

bool inside(const QImage& image, QPoint p)
{
    return p.x() >= 0 && p.y() >= 0 && p.x() < image.width() && p.y() < image.height();
}

int alphaAt(const QImage& plane, QPoint p) { return plane.constScanLine(p.y())[p.x()]; }
QRgb colourAt(const QImage& image, QPoint p) { return reinterpret_cast<const QRgb*>(image.constScanLine(p.y()))[p.x()]; }

} // namespace

QPoint picturePixel(QPoint control, int zoom)
{
    zoom = std::max(zoom, 1);
    return QPoint(control.x() / zoom, control.y() / zoom);
}

bool paintable(QPoint control, int zoom)
{
    // Tested on the control point scaled, so points just left of or above the picture (whose
    // truncated quotient is 0) stay outside.
    const long long side = (long long)kMaxLevelSide * std::max(zoom, 1);
    return control.x() >= 0 && control.y() >= 0 && control.x() < side && control.y() < side;
}

QRect segmentRect(QPoint from, QPoint to, int penWidth)
{
    // A wide pen sets the pixels whose centres lie within width/2 of the segment, so no pixel
    // lies more than width div 2 beyond the segment's box on any axis.
    const int grow = std::clamp(penWidth, kMinPenWidth, kMaxPenWidth) / 2;
    const QPoint low(std::min(from.x(), to.x()) - grow, std::min(from.y(), to.y()) - grow);
    const QPoint high(std::max(from.x(), to.x()) + grow, std::max(from.y(), to.y()) + grow);
    return QRect(low, high);
}

Stroke::Stroke(TextureDocument& document, ToolSettings& tools, UndoSnapshot& undo)
    : document_(document), tools_(tools), undo_(undo)
{
}

void Stroke::press(QPoint control, int zoom)
{
    level_ = document_.currentLevel();
    undo_.take(document_, level_);
    active_ = true;
    tools_.pointerPressed();
    pen_ = picturePixel(control, zoom);
}

void Stroke::move(QPoint control, int zoom)
{
    if (tools_.mode() == DrawingMode::PickColor && tools_.pickTracking())
        pick(picturePixel(control, zoom));
    else if (active_ && paintable(control, zoom))
        paintSegment(picturePixel(control, zoom));
}

void Stroke::release()
{
    active_ = false;
    tools_.pointerReleased();
}

void Stroke::pick(QPoint p)
{
    const int level = document_.currentLevel();
    if (level > document_.levelCount()) return;
    const QImage& image = document_.levelImage(level);
    const QImage& plane = document_.alphaPlane(level);
    // Outside the level there is nothing to read back; the fields stay as they are.
    if (!inside(image, p) || !inside(plane, p)) return;
    const int a = alphaAt(plane, p);
    if (a == 0) {
        tools_.setPickedValues(0, 0, 0, 0);
        return;
    }
    const auto& unblend = composition().stored[a];
    const QRgb d = colourAt(image, p);
    tools_.setPickedValues(unblend[qRed(d)], unblend[qGreen(d)], unblend[qBlue(d)], a);
}

void Stroke::paintSegment(QPoint p)
{
    if (level_ > document_.levelCount()) return;
    const Composition& table = composition();
    const int red = tools_.fieldValue(ToolField::Red), green = tools_.fieldValue(ToolField::Green);
    const int blue = tools_.fieldValue(ToolField::Blue), alpha = tools_.fieldValue(ToolField::Alpha);
    const auto& blend = table.shown[alpha];

    TColor colour;
    int width;
    if (tools_.colourFieldsEnabled()) {
        colour = makeColour(blend[red], blend[green], blend[blue]);
        width = tools_.penWidth();
    } else {
        // Draw Alpha: the whole segment takes the end pixel's own colour, reblended by the new
        // alpha; a pixel of alpha 0 (or beyond the level) has none and takes the toolbar's.
        width = 1;
        const QImage& image = document_.levelImage(level_);
        const QImage& plane = document_.alphaPlane(level_);
        const int a0 = inside(image, p) && inside(plane, p) ? alphaAt(plane, p) : 0;
        int r = red, g = green, b = blue;
        if (a0 > 0) {
            const auto& unblend = table.stored[a0];
            const QRgb d = colourAt(image, p);
            r = unblend[qRed(d)];
            g = unblend[qGreen(d)];
            b = unblend[qBlue(d)];
        }
        colour = makeColour(blend[r], blend[g], blend[b]);
    }

    const QPoint from = pen_;
    // A one-pixel pen leaves out the end pixel, so a segment to the pen's own place sets none.
    if (width > 1 || from != p) {
        document_.editPixels(level_, segmentRect(from, p, width), [&](QImage& image, QImage& plane) {
            drawLine(plane, from, p, makeColour(alpha, 0, 0), width);
            drawLine(image, from, p, colour, width);
        });
    }
    pen_ = p;
}

} // namespace quorvel

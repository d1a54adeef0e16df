#include "paint/Stroke.h"

#include "document/History.h"
#include "document/M32Format.h"
#include "document/TextureDocument.h"
#include "graphics/LineDrawing.h"
#include "paint/ToolSettings.h"

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
    // A pen w pixels wide reaches w div 2 pixels before the segment's box on each axis and
    // (w - 1) div 2 beyond it: an even width's extra half pixel lies up and left.
    const int width = std::clamp(penWidth, kMinPenWidth, kMaxPenWidth);
    const int before = width / 2, beyond = (width - 1) / 2;
    const QPoint low(std::min(from.x(), to.x()) - before, std::min(from.y(), to.y()) - before);
    const QPoint high(std::max(from.x(), to.x()) + beyond, std::max(from.y(), to.y()) + beyond);
    return QRect(low, high);
}

Stroke::Stroke(TextureDocument& document, ToolSettings& tools) : document_(document), tools_(tools) {}

Stroke::~Stroke()
{
    if (active_) document_.history().setOpenStroke({});
}

void Stroke::press(QPoint control, int zoom)
{
    level_ = document_.currentLevel();
    text_ = tools_.colourFieldsEnabled() ? QStringLiteral("Paint") : QStringLiteral("Draw alpha");
    // The level as it is, shared with the document's images until the first segment.
    changed_ = QRect();
    keepSoFar();
    active_ = true;
    document_.history().setOpenStroke([this] { keepSoFar(); });
    tools_.pointerPressed();
    pen_ = picturePixel(control, zoom);
    if (tools_.mode() == DrawingMode::PickColor) pick(pen_);
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
    if (active_) {
        keepSoFar();
        document_.history().setOpenStroke({});
    }
    beforeColour_ = beforeAlpha_ = QImage();
    active_ = false;
    tools_.pointerReleased();
}

void Stroke::keepSoFar()
{
    if (!changed_.isEmpty()) document_.history().addStroke(text_, level_, changed_, beforeColour_, beforeAlpha_);
    changed_ = QRect();
    const bool present = level_ <= document_.levelCount();
    beforeColour_ = present ? document_.levelImage(level_) : QImage();
    beforeAlpha_ = present ? document_.alphaPlane(level_) : QImage();
}

void Stroke::edit(const QRect& rect, const std::function<void(QImage&, QImage&)>& draw)
{
    const History::Recording recording(document_);
    document_.editPixels(level_, rect, draw);
    changed_ |= rect;
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
    const int red = tools_.fieldValue(ToolField::Red), green = tools_.fieldValue(ToolField::Green);
    const int blue = tools_.fieldValue(ToolField::Blue), alpha = tools_.fieldValue(ToolField::Alpha);
    const QPoint from = pen_;
    pen_ = p;
    if (!tools_.colourFieldsEnabled()) {
        drawAlphaSegment(from, p, alpha, red, green, blue);
        return;
    }
    const auto& blend = composition().shown[alpha];
    const TColor colour = makeColour(blend[red], blend[green], blend[blue]);
    const int width = tools_.penWidth();
    // A one-pixel pen leaves out the end pixel, so a segment to the pen's own place sets none.
    if (width > 1 || from != p) {
        edit(segmentRect(from, p, width), [&](QImage& image, QImage& plane) {
            drawLine(plane, from, p, makeColour(alpha, 0, 0), width);
            drawLine(image, from, p, colour, width);
        });
    }
}

void Stroke::drawAlphaSegment(QPoint from, QPoint to, int alpha, int red, int green, int blue)
{
    if (from == to) return;
    const Composition& table = composition();
    const auto& blend = table.shown[alpha];
    // Each pixel's own colour is the unblend of what it shows by its own alpha; a pixel of alpha
    // 0 has none and takes the toolbar's. Reblended by the new alpha, it keeps its colour.
    const QRgb toolbar = qRgb(blend[red], blend[green], blend[blue]);
    edit(segmentRect(from, to, 1), [&](QImage& image, QImage& plane) {
        forEachThinLinePixel(nearImages(from), nearImages(to), [&](int x, int y) {
            const QPoint p(x, y);
            if (!inside(image, p) || !inside(plane, p)) return;
            uchar& a = plane.scanLine(y)[x];
            QRgb& shown = reinterpret_cast<QRgb*>(image.scanLine(y))[x];
            if (a == 0) {
                shown = toolbar;
            } else {
                const auto& unblend = table.stored[a];
                shown = qRgb(blend[unblend[qRed(shown)]], blend[unblend[qGreen(shown)]], blend[unblend[qBlue(shown)]]);
            }
            a = uchar(alpha);
        });
    });
}

} // namespace quorvel

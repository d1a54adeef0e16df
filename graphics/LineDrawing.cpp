#include "graphics/LineDrawing.h"

#include <algorithm>
#include <cstdlib>

namespace quorvel {

namespace {

// Writes one pixel in the image's own format; the caller has checked the bounds.
class PixelWriter {
public:
    PixelWriter(QImage& image, TColor colour)
        : image_(image), grey_(image.format() == QImage::Format_Grayscale8),
          rgb_(toQRgb(colour)), red_(uchar(redOf(colour)))
    {
    }

    void set(int x, int y)
    {
        uchar* line = image_.scanLine(y);
        if (grey_)
            line[x] = red_;
        else
            reinterpret_cast<QRgb*>(line)[x] = rgb_;
    }

    // Sets pixels x0..x1 of row y, clipped to the image.
    void span(int y, int x0, int x1)
    {
        if (y < 0 || y >= image_.height()) return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, image_.width() - 1);
        if (x0 > x1) return;
        uchar* line = image_.scanLine(y);
        if (grey_)
            std::fill(line + x0, line + x1 + 1, red_);
        else
            std::fill(reinterpret_cast<QRgb*>(line) + x0, reinterpret_cast<QRgb*>(line) + x1 + 1, rgb_);
    }

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width() && y < height(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

private:
    QImage& image_;
    bool grey_;
    QRgb rgb_;
    uchar red_;
};

void thinLine(PixelWriter& out, QPoint from, QPoint to)
{
    forEachThinLinePixel(from, to, [&](int x, int y) {
        if (out.inside(x, y)) out.set(x, y);
    });
}

// The band of a wide pen: the pixels whose centres lie within width/2 of the segment (for an
// even width, of the segment moved half a pixel up and left). Each row of the band is one run,
// found by testing its pixels in exact integer arithmetic.
void wideLine(PixelWriter& out, QPoint a, QPoint b, int width)
{
    // Everything is measured in half pixels, so the half-pixel shift and the radius width/2 stay
    // whole; 128-bit products keep any int coordinates exact.
    using Wide = __int128;
    const Wide shift = width % 2 == 0 ? 1 : 0;
    const Wide ax = 2 * Wide(a.x()) - shift, ay = 2 * Wide(a.y()) - shift;
    const Wide bx = 2 * Wide(b.x()) - shift, by = 2 * Wide(b.y()) - shift;
    const Wide vx = bx - ax, vy = by - ay, length2 = vx * vx + vy * vy;
    const Wide limit = Wide(width) * width; // (width/2 in half pixels)²
    auto within = [&](int x, int y) {
        const Wide px = 2 * Wide(x), py = 2 * Wide(y), wx = px - ax, wy = py - ay;
        const Wide t = wx * vx + wy * vy;
        if (length2 == 0 || t <= 0) return wx * wx + wy * wy <= limit;
        if (t >= length2) return (px - bx) * (px - bx) + (py - by) * (py - by) <= limit;
        const Wide cross = wx * vy - wy * vx; // distance² = cross² / length2
        return cross * cross <= limit * length2;
    };
    const int r = width / 2 + 1;
    const int y0 = std::max(std::min(a.y(), b.y()) - r, 0);
    const int y1 = std::min(std::max(a.y(), b.y()) + r, out.height() - 1);
    const int x0 = std::max(std::min(a.x(), b.x()) - r, 0);
    const int x1 = std::min(std::max(a.x(), b.x()) + r, out.width() - 1);
    for (int y = y0; y <= y1; ++y) {
        // The band is convex, so a row holds at most one run.
        int x = x0;
        while (x <= x1 && !within(x, y)) ++x;
        const int first = x;
        while (x <= x1 && within(x, y)) ++x;
        if (first < x) out.span(y, first, x - 1);
    }
}

} // namespace

void drawLine(QImage& image, QPoint from, QPoint to, TColor colour, int penWidth)
{
    if (image.isNull()) return;
    from = nearImages(from);
    to = nearImages(to);
    PixelWriter out(image, colour);
    penWidth = std::clamp(penWidth, kMinPenWidth, kMaxPenWidth);
    if (penWidth == 1)
        thinLine(out, from, to);
    else
        wideLine(out, from, to, penWidth);
}

} // namespace quorvel

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

// Bresenham's line from `from` towards `to`, leaving out `to` itself.
void thinLine(PixelWriter& out, QPoint from, QPoint to)
{
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int x = from.x(), y = from.y(), error = dx + dy;
    while (x != to.x() || y != to.y()) {
        if (out.inside(x, y)) out.set(x, y);
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

// The band of a wide pen: the pixels whose centres lie within width/2 of the segment. Each row
// of the band is one run, found by testing its pixels in exact integer arithmetic.
void wideLine(PixelWriter& out, QPoint a, QPoint b, int width)
{
    // Distances are compared squared and doubled (4·d² ≤ width²) so the radius width/2 stays
    // whole; 128-bit products keep any int coordinates exact.
    using Wide = __int128;
    const Wide ax = a.x(), ay = a.y(), bx = b.x(), by = b.y();
    const Wide vx = bx - ax, vy = by - ay, length2 = vx * vx + vy * vy;
    const Wide limit = Wide(width) * width;
    auto within = [&](int x, int y) {
        const Wide px = x, py = y, wx = px - ax, wy = py - ay;
        const Wide t = wx * vx + wy * vy;
        if (length2 == 0 || t <= 0) return 4 * (wx * wx + wy * wy) <= limit;
        if (t >= length2) return 4 * ((px - bx) * (px - bx) + (py - by) * (py - by)) <= limit;
        const Wide cross = wx * vy - wy * vx; // distance² = cross² / length2
        return 4 * cross * cross <= limit * length2;
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
    // Points this far out are nowhere near any image; keeping them within ±2^16 keeps the
    // arithmetic small and the walk along a thin line short.
    constexpr int far = 1 << 16;
    from = QPoint(std::clamp(from.x(), -far, far), std::clamp(from.y(), -far, far));
    to = QPoint(std::clamp(to.x(), -far, far), std::clamp(to.y(), -far, far));
    PixelWriter out(image, colour);
    penWidth = std::clamp(penWidth, kMinPenWidth, kMaxPenWidth);
    if (penWidth == 1)
        thinLine(out, from, to);
    else
        wideLine(out, from, to, penWidth);
}

} // namespace quorvel

// Line drawing on a drawing surface, done the same way on every image it is given, so a stroke
// lands on the same pixels of a level image and of its alpha plane.
//
// A 1-pixel pen sets every pixel of the line except its end pixel, so consecutive segments of a
// stroke never set their shared point twice. A wider pen (up to 20) draws a band of that width
// with round ends: every pixel whose centre lies within width/2 of the segment. For an even
// width the segment runs through the pixels' top-left corners rather than their centres (half a
// pixel up and left), so a band w pixels wide covers exactly w rows or columns, never w + 1.
#pragma once

#include "graphics/Colour.h"

#include <QImage>
#include <QPoint>

#include <algorithm>
#include <cstdlib>

namespace quorvel {

constexpr int kMinPenWidth = 1;
constexpr int kMaxPenWidth = 20;

// Draws on 32-bit images (the colour as an opaque pixel) and on 8-bit greyscale images (the red
// component, which is all an alpha plane holds). Pixels outside the image are left out. Widths
// are kept to 1..20.
void drawLine(QImage& image, QPoint from, QPoint to, TColor colour, int penWidth);

// Points this far out are nowhere near any image; keeping them within ±2^16 keeps the
// arithmetic small and the walk along a thin line short.
inline QPoint nearImages(QPoint p)
{
    constexpr int far = 1 << 16;
    return QPoint(std::clamp(p.x(), -far, far), std::clamp(p.y(), -far, far));
}

// Visits, in order, every pixel a 1-pixel pen sets from `from` towards `to` (Bresenham's line,
// leaving out `to` itself), inside the image or not; `from` and `to` as nearImages keeps them.
template <typename Visit>
void forEachThinLinePixel(QPoint from, QPoint to, Visit visit)
{
    const int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int x = from.x(), y = from.y(), error = dx + dy;
    while (x != to.x() || y != to.y()) {
        visit(x, y);
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

} // namespace quorvel

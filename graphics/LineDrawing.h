// Line drawing on a drawing surface, done the same way on every image it is given, so a stroke
// lands on the same pixels of a level image and of its alpha plane.
//
// A 1-pixel pen sets every pixel of the line except its end pixel, so consecutive segments of a
// stroke never set their shared point twice. A wider pen (up to 20) draws a band of that width
// with round ends: every pixel whose centre lies within width/2 of the segment.
#pragma once

#include "graphics/Colour.h"

#include <QImage>
#include <QPoint>

namespace quorvel {

constexpr int kMinPenWidth = 1;
constexpr int kMaxPenWidth = 20;

// Draws on 32-bit images (the colour as an opaque pixel) and on 8-bit greyscale images (the red
// component, which is all an alpha plane holds). Pixels outside the image are left out. Widths
// are kept to 1..20.
void drawLine(QImage& image, QPoint from, QPoint to, TColor colour, int penWidth);

} // namespace quorvel

// Rows of the file's pixels and of the document's. A stored pixel is four bytes, red, green,
// blue, alpha; a level row holds each pixel shown over the background grey (an opaque 32-bit
// pixel) and its alpha row the alpha. Both ways give exactly what the composition tables give.
#pragma once

#include "base/ByteShuffle.h"

#include <QRgb>
#include <QtGlobal>

namespace quorvel {

// `width` stored pixels at `from` into a level row and its alpha row.
void showStoredRow(const uchar* from, int width, QRgb* colour, uchar* alpha, PixelSteps steps = widestPixelSteps());
// A level row and its alpha row back into `width` stored pixels at `to`.
void storeShownRow(const QRgb* colour, const uchar* alpha, int width, uchar* to,
                   PixelSteps steps = widestPixelSteps());

} // namespace quorvel

// Device-independent bitmaps as metafiles carry them: a header and colour table, then rows of
// 1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up unless the height is negative.
#pragma once

#include "graphics/metafile/MetafileSurface.h"

#include <QImage>
#include <QRectF>

namespace quorvel::metafile {

struct Dib {
    QImage image;        // top row first, Format_RGB32; null when the form is not decoded
    bool bottomUp = true;
};

// The width and height a DIB header declares, or nothing when the header is not one.
struct DibSize {
    qint64 width = 0, height = 0;
};
DibSize dibSize(const Record& info);

// Decodes a bitmap whose header and colour table are `info` and whose rows are `bits`.
// `paletteIndices` is set when the colour table holds 16-bit palette indices (DIB_PAL_COLORS).
// Rows the data does not reach, compressed forms and unknown depths give a null image;
// a bitmap over the size cap throws "Metafile is not valid". With `decode` false only the
// checks run.
Dib decodeDib(const Record& info, const Record& bits, bool paletteIndices, bool decode = true);

// A bitmap a record draws: checked, its pixels counted against the surface's work budget, and
// decoded only when the surface paints (the checking pass needs no pixels).
Dib decodeOnSurface(const Record& info, const Record& bits, bool paletteIndices, MetafileSurface& surface);

// The part of a bitmap a record names, with y counted from the bottom row of a bottom-up DIB.
QRectF sourceRect(const Dib& dib, double x, double y, double w, double h);

// A small monochrome device-dependent bitmap (pattern brushes of WMF), or a null image.
QImage decodeBitmap16(const Record& bitmap);

// The length of the header and colour table at the start of a packed DIB (WMF records keep
// header, table and rows in one block).
qint64 packedDibInfoSize(const Record& packed, bool paletteIndices);

} // namespace quorvel::metafile

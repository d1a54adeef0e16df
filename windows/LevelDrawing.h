// Drawing a level the way the level view shows it: nearest-neighbour at a zoom of 1, 2, 4 or 8,
// in one of the view modes, and only the part a paint event exposes. The level view and the
// tiled preview both draw through here.
#pragma once

#include "document/ViewSettings.h"

#include <QPoint>
#include <QRect>

class QPainter;

namespace quorvel {

class TextureDocument;

// Draws the part of level `level` that falls inside `exposed`, the level being drawn at `zoom`
// with its top-left corner at `origin` (both in the painter's coordinates). Draws nothing where
// the level does not reach, or when the level is not present.
void drawLevel(QPainter& painter, const TextureDocument& document, int level, ViewMode mode, int zoom,
               const QRect& exposed, QPoint origin = QPoint(0, 0));

} // namespace quorvel

#include "windows/LevelDrawing.h"

#include "document/TextureDocument.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvel {

namespace {

// Draws the level pixels `source` as zoom x zoom blocks from `topLeft`, a band of level rows at a
// time: each row's pixels (`rowOf` gives them) are repeated into one zoomed line, the line copied
// to the zoom - 1 lines under it, and the band drawn unscaled. Qt's scaled drawing works out the
// source of every target pixel; this writes each once, from a band small enough to stay in the
// cache.
template <class RowOf>
void drawZoomedRows(QPainter& painter, const QRect& source, int zoom, QPoint topLeft, RowOf rowOf)
{
    constexpr int kBandLines = 16;
    const int width = source.width() * zoom;
    const int rowsPerBand = std::max(1, kBandLines / zoom);
    QImage band(width, rowsPerBand * zoom, QImage::Format_RGB32);
    if (band.isNull()) return;
    const std::size_t lineBytes = std::size_t(width) * 4;
    for (int first = 0; first < source.height(); first += rowsPerBand) {
        const int rows = std::min(rowsPerBand, source.height() - first);
        for (int r = 0; r < rows; ++r) {
            const QRgb* pixels = rowOf(source.top() + first + r);
            auto* line = reinterpret_cast<QRgb*>(band.scanLine(r * zoom));
            for (int x = 0; x < source.width(); ++x) std::fill_n(line + x * zoom, zoom, pixels[x]);
            for (int y = 1; y < zoom; ++y) std::memcpy(band.scanLine(r * zoom + y), line, lineBytes);
        }
        painter.drawImage(topLeft + QPoint(0, first * zoom), band, QRect(0, 0, width, rows * zoom));
    }
}

} // namespace

void drawLevel(QPainter& painter, const TextureDocument& document, int level, ViewMode mode, int zoom,
               const QRect& exposed, QPoint origin)
{
    if (level < 1 || level > document.levelCount()) return;
    const QImage& image = document.levelImage(level);
    if (image.isNull()) return;
    const QRect shown = exposed & QRect(origin, image.size() * zoom);
    if (shown.isEmpty()) return;
    // The level pixels under the exposed rectangle, each drawn as a zoom x zoom block.
    const QPoint from = shown.topLeft() - origin;
    const QPoint to = shown.bottomRight() - origin;
    const QRect source(QPoint(from.x() / zoom, from.y() / zoom), QPoint(to.x() / zoom, to.y() / zoom));
    const QPoint topLeft = origin + source.topLeft() * zoom;
    const QImage& alpha = document.alphaPlane(level);
    const bool asStored = mode == ViewMode::Colour || alpha.isNull();
    if (asStored && zoom == 1) {
        painter.drawImage(topLeft, image, source);
        return;
    }
    if (asStored) {
        drawZoomedRows(painter, source, zoom, topLeft, [&](int y) {
            return reinterpret_cast<const QRgb*>(image.constScanLine(y)) + source.left();
        });
        return;
    }
    // Only the exposed level pixels are converted, a row at a time.
    std::vector<QRgb> converted(std::size_t(source.width()));
    const auto convertedRow = [&](int y) {
        const auto* colour = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + source.left();
        viewRow(mode, colour, alpha.constScanLine(y) + source.left(), source.left(), y, zoom, source.width(),
                converted.data());
        return static_cast<const QRgb*>(converted.data());
    };
    drawZoomedRows(painter, source, zoom, topLeft, convertedRow);
}

} // namespace quorvel

#include "windows/LevelDrawing.h"

#include "document/TextureDocument.h"

#include <QImage>
#include <QPainter>

namespace quorvel {

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
    const QRect target(origin + source.topLeft() * zoom, source.size() * zoom);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage& alpha = document.alphaPlane(level);
    if (mode == ViewMode::Colour || alpha.isNull()) {
        painter.drawImage(target, image, source);
        return;
    }
    // Only the exposed level pixels are converted, a row at a time.
    QImage converted(source.size(), QImage::Format_RGB32);
    for (int row = 0; row < source.height(); ++row) {
        const int y = source.top() + row;
        const auto* colour = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + source.left();
        const uchar* a = alpha.constScanLine(y) + source.left();
        viewRow(mode, colour, a, source.left(), y, zoom, source.width(), reinterpret_cast<QRgb*>(converted.scanLine(row)));
    }
    painter.drawImage(target, converted);
}

} // namespace quorvel

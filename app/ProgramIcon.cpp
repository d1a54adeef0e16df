#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace quorvel {

QIcon programIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        // Level 1 as a checker of two stone colours, then each halving beside it.
        const int cell = std::max(1, side / 8);
        int levelSide = side * 5 / 8;
        for (int y = 0; y < levelSide; y += cell)
            for (int x = 0; x < levelSide; x += cell)
                painter.fillRect(x, y, cell, cell, ((x + y) / cell) % 2 ? QColor(150, 110, 70) : QColor(200, 160, 100));
        int at = levelSide;
        for (levelSide /= 2; levelSide >= 1 && at + levelSide <= side; levelSide /= 2) {
            painter.fillRect(at, side - levelSide, levelSide, levelSide, QColor(175, 135, 85));
            at += levelSide;
        }
        painter.setPen(QColor(60, 40, 20));
        painter.drawRect(0, 0, side * 5 / 8 - 1, side * 5 / 8 - 1);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace quorvel

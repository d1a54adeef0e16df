// Records what a widget is asked to paint: each paint event's rectangle, and their union.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

#include <vector>

namespace quorvel::test {

class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRect> rects;
    QRegion painted;

    void clear()
    {
        rects.clear();
        painted = QRegion();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto* paint = static_cast<QPaintEvent*>(event);
            rects.push_back(paint->rect());
            painted += paint->region();
        }
        return false;
    }
};

} // namespace quorvel::test

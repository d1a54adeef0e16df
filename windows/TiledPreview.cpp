#include "windows/TiledPreview.h"

#include "document/TextureDocument.h"
#include "document/ViewSettings.h"
#include "windows/LevelDrawing.h"
#include "windows/WindowHelpers.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>

namespace quorvel {

TiledCanvas::TiledCanvas(const TextureDocument& document, const ViewSettings& view, QWidget* parent)
    : QWidget(parent), document_(document), view_(view)
{
    setObjectName(QStringLiteral("TiledCanvas"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    fitToLevel();
}

void TiledCanvas::fitToLevel()
{
    const int level = document_.currentLevel();
    const QSize size = level <= document_.levelCount() ? document_.levelSize(level) : QSize();
    resize((size * view_.zoom() * kTiles).expandedTo(QSize(1, 1)));
}

void TiledCanvas::updateLevelRect(const QRect& levelRect)
{
    const int level = document_.currentLevel();
    if (level > document_.levelCount()) return;
    const QSize tile = document_.levelSize(level) * view_.zoom();
    const QRect shown(levelRect.topLeft() * view_.zoom(), levelRect.size() * view_.zoom());
    for (int ty = 0; ty < kTiles; ++ty)
        for (int tx = 0; tx < kTiles; ++tx) update(shown.translated(tx * tile.width(), ty * tile.height()));
}

void TiledCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int level = document_.currentLevel();
    if (level > document_.levelCount() || document_.levelImage(level).isNull() || document_.levelSize(level).isEmpty()) {
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    // An edit exposes the same small rectangle in nine places: each is drawn alone, not the
    // rectangle around them all.
    const QSize tile = document_.levelSize(level) * view_.zoom();
    for (const QRect& exposed : event->region())
        for (int ty = 0; ty < kTiles; ++ty)
            for (int tx = 0; tx < kTiles; ++tx) {
                const QPoint origin(tx * tile.width(), ty * tile.height());
                if (exposed.intersects(QRect(origin, tile)))
                    drawLevel(painter, document_, level, view_.mode(), view_.zoom(), exposed, origin);
            }
}

TiledPreview::TiledPreview(const TextureDocument& document, const ViewSettings& view, QWidget* parent)
    : QWidget(parent), document_(document), scrollArea_(new QScrollArea(this)), canvas_(new TiledCanvas(document, view, nullptr))
{
    setObjectName(QStringLiteral("TiledPreview"));
    setWindowTitle(QStringLiteral("Tiled preview"));
    fillWithScrollArea(this, scrollArea_, canvas_);

    const auto refit = [this] {
        canvas_->fitToLevel();
        canvas_->update();
        fitWindow();
    };
    connect(&document, &TextureDocument::levelsChanged, this, refit);
    connect(&document, &TextureDocument::currentLevelChanged, this, refit);
    connect(&view, &ViewSettings::zoomChanged, this, refit);
    connect(&view, &ViewSettings::modeChanged, canvas_, qOverload<>(&QWidget::update));
    connect(&document, &TextureDocument::pixelsChanged, this, [this](int level, const QRect& rect) {
        if (level == document_.currentLevel()) canvas_->updateLevelRect(rect);
    });
}

QSize TiledPreview::sizeHint() const
{
    return canvas_->size().expandedTo(QSize(1, 1));
}

void TiledPreview::fitWindow()
{
    fitViewWindow(this, ViewWindowSize::Resizable);
}

} // namespace quorvel

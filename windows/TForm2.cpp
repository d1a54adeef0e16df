#include "windows/TForm2.h"

#include "document/TextureDocument.h"
#include "paint/Stroke.h"
#include "windows/Dialogs.h"
#include "windows/LevelDrawing.h"
#include "windows/WindowHelpers.h"

#include <QAction>
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>
#include <utility>

namespace quorvel {

namespace {
constexpr QSize kStartClient(128, 128);

// The control pixel a pointer position lies in (positions left of or above the canvas, which a
// held button reports, are negative).
QPoint controlPoint(const QMouseEvent* event)
{
    const QPointF at = event->position();
    return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
}
} // namespace

LevelCanvas::LevelCanvas(const TextureDocument& document, const ViewSettings& view, QWidget* parent)
    : QWidget(parent), document_(document), view_(view)
{
    setObjectName(QStringLiteral("mipmap1"));
    // Every pixel is painted by paintEvent, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Pick color copies the colour under the pointer while it merely hovers.
    setMouseTracking(true);
    resize(kStartClient);
    connect(&view, &ViewSettings::modeChanged, this, qOverload<>(&QWidget::update));
}

void LevelCanvas::fitToLevel()
{
    const QSize level = document_.levelSize(document_.currentLevel());
    resize(level * zoom());
}

void LevelCanvas::updateLevelRect(const QRect& levelRect)
{
    update(QRect(levelRect.topLeft() * zoom(), levelRect.size() * zoom()));
}

void LevelCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int level = document_.currentLevel();
    const QImage* image = level <= document_.levelCount() ? &document_.levelImage(level) : nullptr;
    if (image == nullptr || image->isNull()) {
        // No level to show (a new document): the window's own surface.
        painter.fillRect(event->rect(), palette().window());
        return;
    }
    drawLevel(painter, document_, level, view_.mode(), zoom(), event->rect());
}

bool LevelCanvas::empty() const
{
    const int level = document_.currentLevel();
    return level > document_.levelCount() || document_.levelImage(level).isNull();
}

void LevelCanvas::reportPointer(QPoint control)
{
    if (!pointerHandler_) return;
    const QPoint pixel = levelPixelAt(control);
    const bool onLevel = control.x() >= 0 && control.y() >= 0 && !empty() &&
                         QRect(QPoint(0, 0), document_.levelSize(document_.currentLevel())).contains(pixel);
    pointerHandler_(onLevel ? std::optional<QPoint>(pixel) : std::nullopt);
}

void LevelCanvas::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (empty()) {
        pressedEmpty_ = true;
        return;
    }
    if (stroke_ == nullptr) return;
    if (stroke_->active()) {
        // A second button pressed during a stroke belongs to that stroke: a fresh stroke here
        // would make its first part a step of its own.
        if (event->buttons() != event->button()) return;
        // No other button is held, so the stroke's release was lost with the pointer grab.
        stroke_->release();
    }
    stroke_->press(controlPoint(event), zoom());
}

void LevelCanvas::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    reportPointer(controlPoint(event));
    if (stroke_ != nullptr && !empty()) stroke_->move(controlPoint(event), zoom());
}

void LevelCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (std::exchange(pressedEmpty_, false)) {
        if (rect().contains(controlPoint(event))) dialogs().beep();
        return;
    }
    if (stroke_ != nullptr) stroke_->release();
}

void LevelCanvas::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (pointerHandler_) pointerHandler_(std::nullopt);
}

TForm2::TForm2(TextureDocument& document, ViewSettings& view, QWidget* parent)
    : QWidget(parent),
      document_(document),
      viewSettings_(view),
      scrollArea_(new QScrollArea(this)),
      canvas_(new LevelCanvas(document, viewSettings_, nullptr)),
      zoomInAction_(new QAction(QStringLiteral("Zoom in"), this)),
      zoomOutAction_(new QAction(QStringLiteral("Zoom out"), this))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(zoomCaption(viewSettings_.zoom()));
    // FormCreate: level 1 is 128 x 128 in the table while the document has no level, so the
    // empty view has that size at every zoom and a save writes it.
    document_.setStartLevelSize(kStartClient);

    fillWithScrollArea(this, scrollArea_, canvas_);
    resize(kStartClient);

    zoomInAction_->setObjectName(QStringLiteral("ZoomIn"));
    zoomInAction_->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOutAction_->setObjectName(QStringLiteral("ZoomOut"));
    zoomOutAction_->setShortcuts(QKeySequence::ZoomOut);
    for (QAction* action : {zoomInAction_, zoomOutAction_}) action->setShortcutContext(Qt::WindowShortcut);
    connect(zoomInAction_, &QAction::triggered, this, &TForm2::zoomIn);
    connect(zoomOutAction_, &QAction::triggered, this, &TForm2::zoomOut);

    // The View menu's modes, one checked at a time; the captions and the channel shortcuts of the
    // common image editors (Ctrl+2 the colour, Ctrl+3 to Ctrl+5 the channels, Ctrl+6 the alpha).
    struct ModeItem {
        ViewMode mode;
        const char* name;
        const char* caption;
        int key; // 0: none
    };
    const ModeItem modeItems[] = {
        {ViewMode::Colour, "ViewColour", "&Colour", Qt::Key_2},
        {ViewMode::Red, "ViewRed", "&Red", Qt::Key_3},
        {ViewMode::Green, "ViewGreen", "&Green", Qt::Key_4},
        {ViewMode::Blue, "ViewBlue", "&Blue", Qt::Key_5},
        {ViewMode::Alpha, "ViewAlpha", "&Alpha", Qt::Key_6},
        {ViewMode::OverCheckerboard, "ViewOverCheckerboard", "&Over checkerboard", 0},
    };
    auto* modeGroup = new QActionGroup(this);
    modeGroup->setExclusive(true);
    for (const ModeItem& item : modeItems) {
        auto* action = new QAction(QString::fromLatin1(item.caption), modeGroup);
        action->setObjectName(QString::fromLatin1(item.name));
        action->setCheckable(true);
        action->setChecked(item.mode == ViewMode::Colour);
        if (item.key != 0) action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(item.key)));
        action->setShortcutContext(Qt::WindowShortcut);
        const ViewMode mode = item.mode;
        connect(action, &QAction::triggered, this, [this, mode] { viewSettings_.setMode(mode); });
        viewModeActions_.push_back(action);
    }
    connect(&viewSettings_, &ViewSettings::zoomChanged, this, &TForm2::showZoom);
    connect(&viewSettings_, &ViewSettings::modeChanged, this, [this](ViewMode mode) {
        for (std::size_t i = 0; i < viewModeActions_.size(); ++i)
            if (kViewModes[i] == mode) viewModeActions_[i]->setChecked(true);
    });

    connect(&document_, &TextureDocument::currentLevelChanged, this, &TForm2::showCurrentLevel);
    connect(&document_, &TextureDocument::levelsChanged, canvas_, qOverload<>(&QWidget::update));
    connect(&document_, &TextureDocument::pixelsChanged, this, [this](int level, const QRect& rect) {
        if (level == document_.currentLevel()) canvas_->updateLevelRect(rect);
    });
    // Ctrl + wheel zooms, over the level and beside it.
    canvas_->installEventFilter(this);
    scrollArea_->viewport()->installEventFilter(this);

}

TForm2::~TForm2()
{
    // The canvas goes first, with its scroll area: it reads the stroke and the view settings,
    // which the members' destruction would otherwise take away before it.
    delete scrollArea_;
}

void TForm2::setTools(ToolSettings& tools)
{
    canvas_->setStroke(nullptr);
    stroke_ = std::make_unique<Stroke>(document_, tools);
    canvas_->setStroke(stroke_.get());
}

int TForm2::zoom() const
{
    return viewSettings_.zoom();
}

QSize TForm2::sizeHint() const
{
    return canvas_->size().expandedTo(QSize(1, 1));
}

void TForm2::zoomIn()
{
    viewSettings_.zoomIn();
}

void TForm2::zoomOut()
{
    viewSettings_.zoomOut();
}

void TForm2::showCurrentLevel()
{
    // Zoom 1 at the new level's size, also when the zoom already is 1.
    if (zoom() != 1)
        viewSettings_.setZoom(1);
    else
        showZoom();
    scrollArea_->horizontalScrollBar()->setValue(0);
    scrollArea_->verticalScrollBar()->setValue(0);
}

void TForm2::setPointerHandler(std::function<void(std::optional<QPoint>)> handler)
{
    canvas_->setPointerHandler(std::move(handler));
}

void TForm2::showZoom()
{
    // The point at the centre of what is in view, as a fraction of the canvas, before and after.
    const QSize before = canvas_->size();
    const QSize viewport = scrollArea_->viewport()->size();
    QScrollBar* bars[] = {scrollArea_->horizontalScrollBar(), scrollArea_->verticalScrollBar()};
    const double centre[] = {before.width() > 0 ? (bars[0]->value() + viewport.width() / 2.0) / before.width() : 0.0,
                             before.height() > 0 ? (bars[1]->value() + viewport.height() / 2.0) / before.height() : 0.0};
    canvas_->fitToLevel();
    canvas_->update();
    setWindowTitle(zoomCaption(zoom()));
    fitWindow();
    const QSize after = canvas_->size();
    const QSize shown = scrollArea_->viewport()->size();
    bars[0]->setValue(int(std::lround(centre[0] * after.width() - shown.width() / 2.0)));
    bars[1]->setValue(int(std::lround(centre[1] * after.height() - shown.height() / 2.0)));
}

void TForm2::fitWindow()
{
    fitViewWindow(this, ViewWindowSize::Fixed);
}

void TForm2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (placed_) return;
    placed_ = true;
    QMdiSubWindow* sub = workspaceWindow(this);
    if (sub == nullptr) return;
    // A workspace that grows or shrinks (the frame maximised late, resized) refits the window;
    // the workspace has its size now.
    sub->mdiArea()->viewport()->installEventFilter(this);
    fitWindow();
    // Zoom and level changes leave a minimised window as it is; restored, it takes the size of
    // the level at the zoom as they are then.
    connect(sub, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if ((old & Qt::WindowMinimized) && !(now & Qt::WindowMinimized)) fitWindow();
    });
}

bool TForm2::wheelZoom(QEvent* event)
{
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
    const int delta = wheel->angleDelta().y();
    if (delta > 0) zoomIn();
    if (delta < 0) zoomOut();
    wheel->accept();
    return true;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && (watched == canvas_ || watched == scrollArea_->viewport()))
        return wheelZoom(event);
    if (event->type() == QEvent::Resize && watched != canvas_ && watched != scrollArea_->viewport()) fitWindow();
    return QWidget::eventFilter(watched, event);
}

void TForm2::mousePressEvent(QMouseEvent* event)
{
    pressedOnSurface_ = true;
    event->accept();
}

void TForm2::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressedOnSurface_ && rect().contains(event->position().toPoint())) dialogs().beep();
    pressedOnSurface_ = false;
    event->accept();
}

} // namespace quorvel

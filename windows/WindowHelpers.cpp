#include "windows/WindowHelpers.h"

#include "base/FileNames.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScrollArea>
#include <QScreen>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

namespace {
// A few repaints a second show the work without costing it.
constexpr int kRepaintIntervalMs = 40;
// Where the workspace keeps its free area's corner.
constexpr const char* kFreeAreaCorner = "quorvelFreeAreaCorner";
} // namespace

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

namespace {
// Esc that no control of the window took, as a dialog takes it.
class EscapeCloses : public QObject {
public:
    explicit EscapeCloses(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            window_->close();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
};
} // namespace

void closeOnEscape(QWidget* window)
{
    new EscapeCloses(window);
}

void showInFront(QWidget* window)
{
    if (window == nullptr) return;
    window->show();
    window->raise();
    window->activateWindow();
}

QMdiSubWindow* workspaceWindow(const QWidget* window)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    return sub != nullptr && sub->mdiArea() != nullptr ? sub : nullptr;
}

void placeInWorkspace(QMdiSubWindow* sub, QPoint at)
{
    const QSize workspace = sub->mdiArea()->viewport()->size();
    sub->move(std::max(0, std::min(at.x(), workspace.width() - sub->width())),
              std::max(0, std::min(at.y(), workspace.height() - sub->height())));
}

void setFreeAreaCorner(QMdiArea* workspace, QPoint corner)
{
    workspace->setProperty(kFreeAreaCorner, corner);
}

QRect freeArea(const QMdiArea* workspace)
{
    const QPoint corner = workspace->property(kFreeAreaCorner).toPoint();
    const QSize size = workspace->viewport()->size();
    return QRect(corner, QPoint(size.width() - 1, size.height() - 1));
}

int captionWidth(const QMdiSubWindow* sub)
{
    // The title bar's label takes what its buttons leave; the style tells how much that is at
    // some wide width, and the caption is drawn bold.
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.text = sub->windowTitle();
    option.titleBarFlags = sub->windowFlags();
    option.subControls = QStyle::SC_All;
    constexpr int kWide = 2000;
    option.rect = QRect(0, 0, kWide, sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    const QRect label = sub->style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel, sub);
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    constexpr int kTextMargin = 8;
    return kWide - label.width() + QFontMetrics(font).horizontalAdvance(option.text) + kTextMargin;
}

bool fitViewWindow(QWidget* view, ViewWindowSize size)
{
    view->updateGeometry();
    QMdiSubWindow* sub = workspaceWindow(view);
    if (sub == nullptr) {
        view->resize(view->sizeHint());
        return true;
    }
    // Its size comes back when it is restored.
    if (sub->isMinimized()) return false;
    // The child window's own size hint is the view's with the frame around it, and never below
    // what its title bar needs.
    const QSize smallest = sub->minimumSizeHint().expandedTo(QSize(captionWidth(sub), 0));
    const QSize workspace = sub->mdiArea()->viewport()->size();
    const QSize room = QSize(workspace.width() - sub->x(), workspace.height() - sub->y())
                           .boundedTo(freeArea(sub->mdiArea()).size());
    const QSize wanted = sub->sizeHint().boundedTo(room).expandedTo(smallest);
    if (size == ViewWindowSize::Fixed) {
        sub->setFixedSize(wanted);
    } else {
        sub->resize(wanted);
    }
    // The view's scroll bars follow at once, so a caller may scroll within the new size.
    for (QWidget* w : {static_cast<QWidget*>(sub), view})
        if (w->layout() != nullptr) w->layout()->activate();
    return true;
}

void repaintDuringWork()
{
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ThrottledRepaint::now()
{
    repaintDuringWork();
    sincePaint_.restart();
}

void ThrottledRepaint::soon()
{
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= kRepaintIntervalMs) now();
}

QStringList droppedTextures(const QMimeData* data)
{
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && pathFromLocalUrl(url).endsWith(QStringLiteral(".m32"), Qt::CaseInsensitive))
            paths.append(pathFromLocalUrl(url));
    return paths;
}

QLabel* boldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    makeBold(label);
    return label;
}

void makeBold(QWidget* widget)
{
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

void fillWithScrollArea(QWidget* window, QScrollArea* area, QWidget* canvas)
{
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(false);
    area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setWidget(canvas);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
}

} // namespace quorvel

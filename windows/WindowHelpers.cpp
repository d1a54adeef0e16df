#include "windows/WindowHelpers.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

#include <algorithm>

namespace quorvel {

namespace {
// A few repaints a second show the work without costing it.
constexpr int kRepaintIntervalMs = 40;
} // namespace

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
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

void fitViewWindow(QWidget* view, ViewWindowSize size)
{
    view->updateGeometry();
    QMdiSubWindow* sub = workspaceWindow(view);
    if (sub == nullptr) {
        view->resize(view->sizeHint());
        return;
    }
    // The child window's own size hint is the view's with the frame around it, and never below
    // what its title bar needs.
    const QSize smallest = sub->minimumSizeHint();
    const QSize workspace = sub->mdiArea()->viewport()->size();
    const QSize wanted = sub->sizeHint().boundedTo(workspace.expandedTo(smallest)).expandedTo(smallest);
    if (size == ViewWindowSize::Fixed)
        sub->setFixedSize(wanted);
    else
        sub->resize(wanted);
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

} // namespace quorvel

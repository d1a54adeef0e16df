// The small things every window of the editor does the same way: where a window is placed and
// how it is brought forward, how a view's child window fits its picture, how a window repaints
// in the middle of a long command, and the bold text of its labels.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QString>

class QLabel;
class QMdiSubWindow;
class QWidget;

namespace quorvel {

// Places a window of a fixed size in the middle of the screen it is on.
void centreOnScreen(QWidget* window);

// Shows a window that is not modal; one already open comes to the front and takes the focus.
void showInFront(QWidget* window);

// The child window of the frame's workspace that holds `window`, or nullptr where it has none.
QMdiSubWindow* workspaceWindow(const QWidget* window);

// Moves a child window to `at`, or as near to it as keeps the window inside its workspace.
void placeInWorkspace(QMdiSubWindow* sub, QPoint at);

// How a view's child window takes the size fitViewWindow gives it: fixed (the level view, whose
// size only the zoom changes) or as a start the user may resize (the tiled preview).
enum class ViewWindowSize { Fixed, Resizable };

// Sizes the child window around `view` so that its client area is the view's size hint (its
// picture at the zoom), no larger than the workspace (scroll bars reach the rest) and no smaller
// than its title bar needs. Outside a workspace `view` itself takes its size hint.
void fitViewWindow(QWidget* view, ViewWindowSize size);

// Lets the windows of the program paint what changed (a progress bar, a label) without taking
// the user's input in the middle of a command: a second click cannot start a second import.
void repaintDuringWork();

// repaintDuringWork for a command that reports its progress often: a repaint for every step
// would cost more than the steps, so it repaints at most every 40 ms; `now` repaints at once
// (before the work starts, or at a new file).
class ThrottledRepaint {
public:
    void now();
    void soon();

private:
    QElapsedTimer sincePaint_;
};

// A label in the bold text the windows use for their group and field labels.
QLabel* boldLabel(const QString& text, QWidget* parent);
// Makes the text of a widget bold, keeping the rest of its font.
void makeBold(QWidget* widget);

} // namespace quorvel

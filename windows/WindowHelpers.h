// The small things every window of the editor does the same way: where a window is placed and
// how it is brought forward, how a view's child window fits its picture, how a window repaints
// in the middle of a long command, and the bold text of its labels.
#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMimeData;
class QScrollArea;
class QWidget;

namespace quorvel {

// Places a window of a fixed size in the middle of the screen it is on.
void centreOnScreen(QWidget* window);

// Esc closes `window` (a window of its own that is no dialog: About, How to, the notice).
void closeOnEscape(QWidget* window);

// Shows a window that is not modal; one already open comes to the front and takes the focus.
void showInFront(QWidget* window);

// The child window of the frame's workspace that holds `window`, or nullptr where it has none.
QMdiSubWindow* workspaceWindow(const QWidget* window);

// Moves a child window to `at`, or as near to it as keeps the window inside its workspace.
void placeInWorkspace(QMdiSubWindow* sub, QPoint at);

// The frame's free area: the part of the workspace right of and below the tool windows, from
// `corner` to the workspace's bottom right. The frame sets the corner once it has placed its
// tool windows; until then the free area is the whole workspace.
void setFreeAreaCorner(QMdiArea* workspace, QPoint corner);
QRect freeArea(const QMdiArea* workspace);

// How a view's child window takes the size fitViewWindow gives it: fixed (the level view, whose
// size only the zoom changes) or as a start the user may resize (the tiled preview).
enum class ViewWindowSize { Fixed, Resizable };

// Sizes the child window around `view` so that its client area is the view's size hint (its
// picture at the zoom), no larger than the free area and than the room between the window's
// top left and the workspace's bottom right (scroll bars reach the rest), and wide enough for
// its whole caption. The window does not move. A minimised window is left as it is, and the
// call returns false. Outside a workspace `view` itself takes its size hint.
bool fitViewWindow(QWidget* view, ViewWindowSize size);

// Fills `window` with `area` showing `canvas` at its own size from the top left, without a frame
// or margins: the level view and the tiled preview, whose scroll bars reach what does not fit.
void fillWithScrollArea(QWidget* window, QScrollArea* area, QWidget* canvas);

// The smallest outer width at which `sub`'s title bar shows its whole caption beside its buttons.
int captionWidth(const QMdiSubWindow* sub);

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

// The .m32 files among dropped URLs: a drop of them anywhere on the frame opens the first.
QStringList droppedTextures(const QMimeData* data);

// A label in the bold text the windows use for their group and field labels.
QLabel* boldLabel(const QString& text, QWidget* parent);
// Makes the text of a widget bold, keeping the rest of its font.
void makeBold(QWidget* widget);

} // namespace quorvel

#include "app/EditorWindows.h"

#include "app/ProgramIcon.h"
#include "app/TForm1.h"
#include "import/ChainChoices.h"
#include "windows/TForm2.h"
#include "windows/TForm3.h"
#include "windows/TForm4.h"
#include "windows/TForm5.h"
#include "windows/TForm6.h"
#include "windows/TForm7.h"
#include "windows/TForm11.h"
#include "windows/TForm12.h"
#include "windows/TForm8.h"
#include "windows/TForm9.h"
#include "windows/TForm10.h"
#include "base/HelpFiles.h"
#include "windows/TiledPreview.h"
#include "windows/WindowHelpers.h"


#include <QAction>
#include <QEvent>
#include <QMenu>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace quorvel {

namespace {

// The room left between the tool windows and the level view.
constexpr int kToolWindowGap = 16;
// Less room than this right of the view, and the tiled preview opens below it instead.
constexpr int kPreviewLeastWidth = 160;

// A tool window: a fixed border, its caption, the minimise button and, where asked, the system
// menu. Closing it hides it: it lives as long as the frame.
QMdiSubWindow* addToolWindow(QMdiArea* workspace, QWidget* window, bool systemMenu, bool fixedSize = true)
{
    Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
    if (systemMenu) flags |= Qt::WindowSystemMenuHint;
    QMdiSubWindow* sub = workspace->addSubWindow(window, flags);
    sub->setObjectName(window->objectName() + QStringLiteral("Window"));
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    if (fixedSize) sub->setFixedSize(sub->sizeHint());
    return sub;
}

QMdiSubWindow* subWindowOf(const QWidget* window)
{
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

// Keeps a Window menu entry checked while its window is shown (not hidden or closed).
class ShownFollower : public QObject {
public:
    ShownFollower(QMdiSubWindow* sub, QAction* entry) : QObject(entry), sub_(sub), entry_(entry)
    {
        sub->installEventFilter(this);
        entry->setChecked(!sub->isHidden());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == sub_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
            entry_->setChecked(!sub_->isHidden());
        return QObject::eventFilter(watched, event);
    }

private:
    QMdiSubWindow* sub_;
    QAction* entry_;
};

// Brings a child window back: shown, in front, active.
void showChildWindow(QMdiSubWindow* sub)
{
    sub->show();
    sub->raise();
    sub->mdiArea()->setActiveSubWindow(sub);
}

// The tiled preview's place when it opens: beside the view where the free area has room, else
// below it, at the size of its tiles within the free area.
void placeTiledPreview(const EditorWindows& w)
{
    QMdiSubWindow* sub = subWindowOf(w.tiledPreview);
    const QMdiSubWindow* view = subWindowOf(w.view);
    const QRect free = freeArea(w.frame->workspace());
    QPoint at(view->geometry().right() + 1 + kToolWindowGap, view->y());
    if (free.right() - at.x() < kPreviewLeastWidth) at = QPoint(view->x(), view->geometry().bottom() + 1 + kToolWindowGap);
    if (free.bottom() - at.y() < kPreviewLeastWidth) at = free.topLeft() + QPoint(kToolWindowGap, kToolWindowGap);
    sub->move(at);
    w.tiledPreview->fitWindow();
}

// View > Tiled preview and a checked Window > Tiled preview: the preview opens, placed the first
// time (and after a reset of the layout), afterwards where the user left it.
void showTiledPreview(const EditorWindows& w)
{
    QMdiSubWindow* sub = subWindowOf(w.tiledPreview);
    const bool place = !sub->property("placed").toBool();
    sub->setProperty("placed", true);
    sub->showNormal();
    w.tiledPreview->show();
    if (place) placeTiledPreview(w);
    w.tiledPreview->fitWindow();
    showChildWindow(sub);
}

// The View menu: the view's modes, then the tiled preview.
void addViewMenu(const EditorWindows& w)
{
    QMenu* viewMenu = w.frame->viewMenu();
    for (QAction* mode : w.view->viewModeActions()) viewMenu->addAction(mode);
    viewMenu->addSeparator()->setObjectName(QStringLiteral("N7"));
    QAction* tiled = viewMenu->addAction(QStringLiteral("&Tiled preview"));
    tiled->setObjectName(QStringLiteral("TiledPreview1"));
    QObject::connect(tiled, &QAction::triggered, w.frame, [w] { showTiledPreview(w); });
}

// The Window menu: a checked entry for each window that is shown, which hides it when unchecked
// and shows and raises it when checked; then "Reset window layout".
void addWindowMenu(const EditorWindows& w)
{
    QMenu* menu = w.frame->windowMenu();
    struct Entry {
        QWidget* window;
        const char* name;
        const char* caption;
    };
    const Entry entries[] = {
        {w.view, "WindowLevelView1", "&Level view"},     {w.properties, "WindowProperties1", "&Properties"},
        {w.levels, "WindowMipmaps1", "&Mipmaps"},        {w.toolbar, "WindowToolbar1", "&Toolbar"},
        {w.tiledPreview, "WindowTiledPreview1", "Tiled pre&view"},
    };
    for (const Entry& entry : entries) {
        QAction* action = menu->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setCheckable(true);
        QMdiSubWindow* sub = subWindowOf(entry.window);
        new ShownFollower(sub, action);
        const bool preview = entry.window == w.tiledPreview;
        QObject::connect(action, &QAction::triggered, w.frame, [w, sub, preview](bool checked) {
            if (!checked)
                sub->close();
            else if (preview)
                showTiledPreview(w);
            else
                showChildWindow(sub);
        });
    }
    menu->addSeparator()->setObjectName(QStringLiteral("N8"));
    QAction* reset = menu->addAction(QStringLiteral("&Reset window layout"));
    reset->setObjectName(QStringLiteral("ResetWindowLayout1"));
    QObject::connect(reset, &QAction::triggered, w.frame, [w] { resetWindowLayout(w); });
}

// The start places: properties at the top left, the level list below it, the toolbar right of
// the properties at the top; the free area right of both and below the toolbar.
void placeToolWindows(const EditorWindows& w)
{
    QMdiSubWindow* properties = subWindowOf(w.properties);
    QMdiSubWindow* levels = subWindowOf(w.levels);
    QMdiSubWindow* toolbar = subWindowOf(w.toolbar);
    properties->move(0, 0);
    levels->move(0, properties->height());
    toolbar->move(properties->width(), 0);
    const int left = std::max(properties->geometry().right(), levels->geometry().right()) + 1;
    setFreeAreaCorner(w.frame->workspace(),
                      QPoint(left + kToolWindowGap, toolbar->geometry().bottom() + 1 + kToolWindowGap));
}

} // namespace

EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath)
{
    EditorWindows w{};
    w.frame = new TForm1(document, settingsPath);
    w.frame->setWindowIcon(programIcon());
    QMdiArea* workspace = w.frame->workspace();

    w.view = new TForm2(document, w.frame->viewSettings());
    addToolWindow(workspace, w.view, false);
    // Its zoom shortcuts work wherever the focus is in the frame.
    w.frame->addAction(w.view->zoomInAction());
    w.frame->addAction(w.view->zoomOutAction());

    w.properties = new TForm3(document);
    addToolWindow(workspace, w.properties, true);
    w.levels = new TForm4(document);
    addToolWindow(workspace, w.levels, true);
    // The view paints with the toolbar's settings, which are the frame's.
    w.toolbar = new TForm5(w.frame->toolSettings(), w.frame->viewSettings());
    addToolWindow(workspace, w.toolbar, true);
    w.view->setTools(w.frame->toolSettings());
    // The tiled preview: an ordinary child window the user may resize, hidden until asked for.
    w.tiledPreview = new TiledPreview(document, w.frame->viewSettings());
    Qt::WindowFlags previewFlags = Qt::SubWindow;
    QMdiSubWindow* preview = workspace->addSubWindow(w.tiledPreview, previewFlags);
    preview->setObjectName(QStringLiteral("TiledPreviewWindow"));
    preview->setAttribute(Qt::WA_DeleteOnClose, false);
    preview->hide();

    // The view at the top left of the free area; afterwards it stays where the user puts it.
    placeToolWindows(w);
    subWindowOf(w.view)->move(freeArea(workspace).topLeft());
    w.view->fitWindow();
    TForm1* frame = w.frame;
    w.view->setPointerHandler([frame](std::optional<QPoint> pixel) { frame->showPointerPixel(pixel); });

    addViewMenu(w);
    addWindowMenu(w);

    // The dialogs: windows of their own, hidden until called, owned by the frame.
    w.addMipmap = new TForm6(document, w.frame);
    TForm6* addMipmap = w.addMipmap;
    w.levels->setAddHandler([addMipmap] { addMipmap->showDialog(); });
    // "replace…" is File > Replace level… for the level the list shows.
    TForm1* replacing = w.frame;
    w.levels->setReplaceHandler([replacing] { replacing->menuAction(QStringLiteral("ReplaceLevel1"))->trigger(); });
    w.importProgress = new TForm12(w.frame);
    w.importDialog = new TForm7(document, *w.importProgress, w.frame);
    // About, how-to and the notice come between the import dialog and the wizard.
    w.about = new TForm8(w.frame);
    w.howTo = new TForm9(helpDirectories(), w.frame);
    w.frame->setHelpWindows(w.howTo, w.about);
    w.notice = new TForm10(w.frame);
    w.wizard = new TForm11(document, w.frame);
    // The chain choices are kept beside the settings file, whose lines they leave as they are.
    w.importDialog->setChainChoicesFile(chainChoicesPath(settingsPath));
    w.wizard->setChainChoicesFile(chainChoicesPath(settingsPath));
    w.wizard->setImportDirectory([frame] { return frame->settings().importDirectory; },
                                 [frame](const QString& directory) { frame->setImportDirectory(directory); });
    w.frame->setImportWindows(w.addMipmap, w.importDialog, w.wizard);
    // Both replace the open texture, so its changes are saved or given up first.
    w.importDialog->setSaveChangesFirst([frame] { return frame->saveChangesFirst(); });
    w.wizard->setSaveChangesFirst([frame] { return frame->saveChangesFirst(); });
    return w;
}

void resetWindowLayout(const EditorWindows& w)
{
    for (QWidget* window : {static_cast<QWidget*>(w.properties), static_cast<QWidget*>(w.levels),
                            static_cast<QWidget*>(w.toolbar), static_cast<QWidget*>(w.view)}) {
        QMdiSubWindow* sub = subWindowOf(window);
        sub->showNormal();
        sub->show();
    }
    placeToolWindows(w);
    QMdiSubWindow* view = subWindowOf(w.view);
    view->move(freeArea(w.frame->workspace()).topLeft());
    w.view->fitWindow();
    QMdiSubWindow* preview = subWindowOf(w.tiledPreview);
    preview->setProperty("placed", !preview->isHidden());
    if (!preview->isHidden()) {
        preview->showNormal();
        placeTiledPreview(w);
    }
    showChildWindow(view);
}

void showAtStart(const EditorWindows& windows)
{
    windows.frame->showMaximized();
    // Where no window manager gives a new window the focus, the frame asks for it itself; then the
    // notice takes it, so that Space closes it at once.
    windows.frame->activateWindow();
    windows.frame->setStartNotice(windows.notice);
    windows.notice->show();
    windows.notice->raise();
    // After the frame's own request, so that the notice ends up active.
    QTimer::singleShot(0, windows.notice, [notice = windows.notice] { notice->activateWindow(); });
}

} // namespace quorvel

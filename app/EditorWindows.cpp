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


#include <QAction>
#include <QMenu>

#include <QMdiArea>
#include <QMdiSubWindow>

namespace quorvel {

namespace {

// The room left between the tool windows and the level view.
constexpr int kToolWindowGap = 16;

// A tool window: a fixed border, its caption, the minimise button and, where asked, the system menu.
QMdiSubWindow* addToolWindow(QMdiArea* workspace, QWidget* window, bool systemMenu)
{
    Qt::WindowFlags flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
    if (systemMenu) flags |= Qt::WindowSystemMenuHint;
    QMdiSubWindow* sub = workspace->addSubWindow(window, flags);
    sub->setObjectName(window->objectName() + QStringLiteral("Window"));
    sub->setFixedSize(sub->sizeHint());
    return sub;
}

// The View menu: the view's modes, then the tiled preview, a further child window made the
// first time it is asked for and shown again after it is closed.
void addViewMenu(const EditorWindows& w, TextureDocument& document)
{
    QMdiArea* workspace = w.frame->workspace();
    QMenu* viewMenu = w.frame->viewMenu();
    for (QAction* mode : w.view->viewModeActions()) viewMenu->addAction(mode);
    viewMenu->addSeparator()->setObjectName(QStringLiteral("N7"));
    QAction* tiled = viewMenu->addAction(QStringLiteral("&Tiled preview"));
    tiled->setObjectName(QStringLiteral("TiledPreview1"));
    TForm2* view = w.view;
    TextureDocument* shown = &document;
    QObject::connect(tiled, &QAction::triggered, workspace, [workspace, shown, view] {
        auto* preview = workspace->findChild<TiledPreview*>();
        if (preview == nullptr) {
            preview = new TiledPreview(*shown, view->viewSettings());
            QMdiSubWindow* sub = workspace->addSubWindow(preview);
            sub->setObjectName(QStringLiteral("TiledPreviewWindow"));
            // Closing hides it; it keeps following the document for the next time.
            sub->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        auto* sub = qobject_cast<QMdiSubWindow*>(preview->parentWidget());
        sub->show();
        preview->show();
        preview->fitWindow();
        workspace->setActiveSubWindow(sub);
    });
}

} // namespace

EditorWindows createEditorWindows(TextureDocument& document, const QString& settingsPath)
{
    EditorWindows w{};
    w.frame = new TForm1(document, settingsPath);
    w.frame->setWindowIcon(programIcon());
    QMdiArea* workspace = w.frame->workspace();

    w.view = new TForm2(document);
    QMdiSubWindow* viewWindow = addToolWindow(workspace, w.view, false);
    // Its zoom shortcuts work wherever the focus is in the frame.
    w.frame->addAction(w.view->zoomInAction());
    w.frame->addAction(w.view->zoomOutAction());

    addViewMenu(w, document);

    w.properties = new TForm3(document);
    QMdiSubWindow* propertiesWindow = addToolWindow(workspace, w.properties, true);
    propertiesWindow->move(0, 0);

    w.levels = new TForm4(document);
    QMdiSubWindow* levelsWindow = addToolWindow(workspace, w.levels, true);
    levelsWindow->move(0, propertiesWindow->height());

    // The toolbar at the top, right of the properties window; the view paints with its settings.
    w.toolbar = new TForm5(w.view->viewSettings());
    QMdiSubWindow* toolbarWindow = addToolWindow(workspace, w.toolbar, true);
    toolbarWindow->move(propertiesWindow->width(), 0);
    w.view->setTools(w.toolbar->tools());

    // The view's place: right of the properties window and below the toolbar, until it centres
    // itself in the shown workspace, and then the corner it keeps clear of where there is room.
    const QPoint besideToolWindows(propertiesWindow->x() + propertiesWindow->width() + kToolWindowGap,
                                   toolbarWindow->y() + toolbarWindow->height() + kToolWindowGap);
    viewWindow->move(besideToolWindows);
    w.view->keepClearOf(besideToolWindows);

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
    TForm1* frame = w.frame;
    w.wizard->setImportDirectory([frame] { return frame->settings().importDirectory; },
                                 [frame](const QString& directory) { frame->setImportDirectory(directory); });
    w.frame->setImportWindows(w.addMipmap, w.importDialog, w.wizard);
    // Both replace the open texture, so its changes are saved or given up first.
    w.importDialog->setSaveChangesFirst([frame] { return frame->saveChangesFirst(); });
    w.wizard->setSaveChangesFirst([frame] { return frame->saveChangesFirst(); });
    return w;
}

void showAtStart(const EditorWindows& windows)
{
    windows.frame->showMaximized();
    windows.notice->show();
    windows.notice->raise();
    // Where no window manager gives a new window the focus, the frame asks for it itself.
    windows.frame->activateWindow();
}

} // namespace quorvel

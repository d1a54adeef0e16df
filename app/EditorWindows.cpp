#include "app/EditorWindows.h"

#include "app/ProgramIcon.h"
#include "app/TForm1.h"
#include "import/ChainChoices.h"
#include "windows/TForm2.h"
#include "windows/TForm3.h"
#include "windows/TForm4.h"
#include "windows/TForm6.h"
#include "windows/TForm7.h"
#include "windows/TForm11.h"
#include "windows/TForm12.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace quorvel {

namespace {

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

    w.properties = new TForm3(document);
    QMdiSubWindow* propertiesWindow = addToolWindow(workspace, w.properties, true);
    propertiesWindow->move(0, 0);

    w.levels = new TForm4(document);
    QMdiSubWindow* levelsWindow = addToolWindow(workspace, w.levels, true);
    levelsWindow->move(0, propertiesWindow->height());

    // Right of the properties window and below the toolbar's place until the view centres
    // itself in the shown workspace.
    viewWindow->move(propertiesWindow->width() + 16, 160);

    // The dialogs: windows of their own, hidden until called, owned by the frame.
    w.addMipmap = new TForm6(document, w.frame);
    TForm6* addMipmap = w.addMipmap;
    w.levels->setAddHandler([addMipmap] { addMipmap->showDialog(); });
    w.importProgress = new TForm12(w.frame);
    w.importDialog = new TForm7(document, *w.importProgress, w.frame);
    w.wizard = new TForm11(document, w.frame);
    // The chain choices are kept beside the settings file, whose lines they leave as they are.
    w.importDialog->setChainChoicesFile(chainChoicesPath(settingsPath));
    w.wizard->setChainChoicesFile(chainChoicesPath(settingsPath));
    TForm1* frame = w.frame;
    w.wizard->setImportDirectory([frame] { return frame->settings().importDirectory; },
                                 [frame](const QString& directory) { frame->setImportDirectory(directory); });
    w.frame->setImportWindows(w.addMipmap, w.importDialog, w.wizard);
    return w;
}

} // namespace quorvel

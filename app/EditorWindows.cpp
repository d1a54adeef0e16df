#include "app/EditorWindows.h"

#include "app/ProgramIcon.h"
#include "app/TForm1.h"
#include "windows/TForm2.h"
#include "windows/TForm3.h"
#include "windows/TForm4.h"
#include "windows/TForm8.h"
#include "windows/TForm9.h"
#include "windows/TForm10.h"
#include "base/HelpFiles.h"

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

    // Windows of their own over the frame, owned by it.
    w.about = new TForm8(w.frame);
    w.howTo = new TForm9(helpDirectories(), w.frame);
    w.frame->setHelpWindows(w.howTo, w.about);
    w.notice = new TForm10(w.frame);
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

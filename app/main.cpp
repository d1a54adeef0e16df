// Program start: the application, every picture kind, the one texture document, then the
// windows in their order until the main window closes. `quorvel FILE.m32` opens the file once
// the frame is shown, as File > Open does.
#include "app/EditorWindows.h"
#include "app/ProgramIcon.h"
#include "app/SelfCheck.h"
#include "app/TForm1.h"
#include "base/Paths.h"
#include "document/TextureDocument.h"
#include "import/PictureKinds.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setWindowIcon(quorvel::programIcon());
    quorvel::registerAllPictureKinds();

    // Its level images and alpha planes are made only when a level first uses them.
    quorvel::TextureDocument document;
    const quorvel::EditorWindows windows = quorvel::createEditorWindows(document, quorvel::settingsFilePath());
    const std::unique_ptr<quorvel::TForm1> frame(windows.frame);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) frame->openAtStart(arguments.at(1));
    quorvel::startSelfCheckIfAsked(windows);
    frame->showMaximized();
    // Where no window manager gives a new window the focus, the frame asks for it itself.
    frame->activateWindow();
    return QApplication::exec();
}

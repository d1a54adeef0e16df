// Program start: the application, every picture kind, then the main window until it closes.
#include "app/TForm1.h"
#include "import/PictureKinds.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvel");
    quorvel::registerAllPictureKinds();

    quorvel::TForm1 mainWindow;
    mainWindow.showMaximized();
    return QApplication::exec();
}

// Program start: the application, every picture kind, the one texture document, then the main
// window until it closes.
#include "app/TForm1.h"
#include "document/TextureDocument.h"
#include "import/PictureKinds.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Quorvel");
    quorvel::registerAllPictureKinds();

    // Its level images and alpha planes are made only when a level first uses them.
    quorvel::TextureDocument document;
    quorvel::TForm1 mainWindow(document);
    mainWindow.showMaximized();
    return QApplication::exec();
}

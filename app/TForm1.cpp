#include "app/TForm1.h"

#include <QMdiArea>

namespace quorvel {

TForm1::TForm1(TextureDocument& document, QWidget* parent)
    : QMainWindow(parent), document_(document), workspace_(new QMdiArea(this))
{
    setWindowTitle("Quorvel");
    setCentralWidget(workspace_);
}

} // namespace quorvel

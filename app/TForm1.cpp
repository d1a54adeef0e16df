#include "app/TForm1.h"

#include <QMdiArea>

namespace quorvel {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), workspace_(new QMdiArea(this))
{
    setWindowTitle("Quorvel");
    setCentralWidget(workspace_);
}

} // namespace quorvel

// TForm1: the main window, the frame around the tool windows, with the file commands.
#pragma once

#include <QMainWindow>

class QMdiArea;

namespace quorvel {

class TForm1 : public QMainWindow {
public:
    explicit TForm1(QWidget* parent = nullptr);

    QMdiArea* workspace() const { return workspace_; }

private:
    QMdiArea* workspace_;
};

} // namespace quorvel

// TForm1: the main window, the frame around the tool windows, with the file commands.
#pragma once

#include <QMainWindow>

class QMdiArea;

namespace quorvel {

class TextureDocument;

class TForm1 : public QMainWindow {
public:
    // The window shows and changes the program's one document; it keeps none of its own.
    explicit TForm1(TextureDocument& document, QWidget* parent = nullptr);

    QMdiArea* workspace() const { return workspace_; }
    TextureDocument& document() const { return document_; }

private:
    TextureDocument& document_;
    QMdiArea* workspace_;
};

} // namespace quorvel

// TForm6: the "Add a mipmap" dialog, opened by the level list's "add". OK appends one blank
// level (white, opaque) of the size typed into the two boxes and shows it; a size that is not a
// whole number from 1 to 1024, or a texture with its 16 levels, is refused with a message and
// the dialog stays open. The boxes keep what was typed until the program ends.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quorvel {

class TextureDocument;

class TForm6 : public QDialog {
public:
    explicit TForm6(TextureDocument& document, QWidget* parent = nullptr);

    // What "add" does: the dialog is shown, in front and active.
    void showDialog();

    QLineEdit* widthBox() const { return widthBox_; }   // Edit1
    QLineEdit* heightBox() const { return heightBox_; } // Edit2
    QPushButton* okButton() const { return okButton_; } // BitBtn1
    QPushButton* cancelButton() const { return cancelButton_; } // BitBtn2

private:
    // Button1Click (OK): appends the blank level of the typed size, or refuses with a message.
    void Button1Click();

    TextureDocument& document_;
    QLineEdit* widthBox_;
    QLineEdit* heightBox_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

} // namespace quorvel

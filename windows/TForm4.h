// TForm4: the level list "Mipmaps". Its drop-down shows the document's list entries, one per
// level ("256 * 256"); choosing one shows that level, "remove" removes the chosen level and
// "add" opens the add-a-mipmap dialog once the program has one; "replace…" puts a picture in
// place of the level shown (File > Replace level…) once it is given that command.
#pragma once

#include <QWidget>

#include <functional>

class QComboBox;
class QPushButton;

namespace quorvel {

class TextureDocument;

class TForm4 : public QWidget {
public:
    explicit TForm4(TextureDocument& document, QWidget* parent = nullptr);

    // ShowwM32: shows the level of list entry e (0..15), level e + 1, at zoom 1 in the view.
    void ShowwM32(int entry);

    // "add" stays disabled until the add-a-mipmap dialog gives it something to do.
    void setAddHandler(std::function<void()> handler);
    // "replace…" stays disabled until it is given the command to run.
    void setReplaceHandler(std::function<void()> handler);

    QComboBox* comboBox() const { return comboBox_; }
    QPushButton* removeButton() const { return removeButton_; }
    QPushButton* addButton() const { return addButton_; }
    QPushButton* replaceButton() const { return replaceButton_; }

private:
    void showEntries();
    void selectCurrentLevel();
    // Button2Click ("remove"): removes the level of the chosen entry; with none, the beep.
    void Button2Click();

    TextureDocument& document_;
    QComboBox* comboBox_;
    QPushButton* removeButton_;
    QPushButton* addButton_;
    QPushButton* replaceButton_;
    std::function<void()> addHandler_;
    std::function<void()> replaceHandler_;
};

} // namespace quorvel

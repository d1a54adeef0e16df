// TForm7: the import dialog "Import". It shows the picture chosen by File > Import stretched into
// a 128 x 128 preview, and on OK makes it a level of the texture, with all its halvings when
// "Automatically create all sizes" is on, in a fresh texture or after the open one's last level
// ("Insert image into current file"). The two options keep what the user set until the program
// ends. The progress window TForm12 is shown while the levels are made.
#pragma once

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;
class QPushButton;

namespace quorvel {

class ChainChoicesPanel;
class TextureDocument;
class TForm12;

class TForm7 : public QDialog {
public:
    // FormCreate: every picture kind the import reads is registered.
    TForm7(TextureDocument& document, TForm12& progress, QWidget* parent = nullptr);

    // loadpicture: reads the file into the dialog's picture (readers' errors pass through and
    // leave the picture as it was). Targa, icon and metafile pictures are drawn onto a white
    // bitmap, with the beep.
    void loadpicture(const QString& path);
    // The picture as the import takes it.
    const QImage& picture() const { return picture_; }

    QWidget* preview() const { return preview_; }           // Image1
    QCheckBox* allSizesBox() const { return allSizesBox_; } // CheckBox2
    QCheckBox* insertBox() const { return insertBox_; }     // CheckBox1
    QPushButton* okButton() const { return okButton_; }     // button1
    QPushButton* cancelButton() const { return cancelButton_; } // BitBtn1
    // "Resampling", "Use the picture's alpha", "Keep alpha-test coverage at".
    ChainChoicesPanel* chainChoices() const { return chainChoices_; }
    // Where the chain choices are kept between runs: read now, written at each OK.
    void setChainChoicesFile(const QString& path);
    // Asked at OK before a fresh texture replaces the open one ("Insert image into current
    // file" off): whether the open texture's changes are saved or given up, so the import may
    // go on (the frame's saveChangesFirst).
    void setSaveChangesFirst(std::function<bool()> saveChangesFirst);

private:
    // Button1Click (OK): makes the picture the texture's level or levels, as the options say.
    void Button1Click();
    // Button2Click (Cancel): closes the dialog; nothing changes.
    void Button2Click();

    TextureDocument& document_;
    TForm12& progress_;
    QImage picture_;
    // The picture's file name, which names the import's step ("Import rock.tga").
    QString pictureName_;
    QWidget* preview_;
    QCheckBox* allSizesBox_;
    QCheckBox* insertBox_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    ChainChoicesPanel* chainChoices_;
    QImage alphaPicture_; // the picture with its own alpha, when its reader has alpha
    QString chainChoicesFile_;
    std::function<bool()> saveChangesFirst_;
};

} // namespace quorvel

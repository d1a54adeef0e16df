// TForm11: the "Batch conversion Wizard". Four pages: the options (mipmaps or one level, the
// Flag and Alpha of every output), the list of image files, the output directory, and the
// progress of the run. Finish converts every listed file, in order, into an m32 texture of the
// same base name in the output directory, through the program's one document, and closes the
// wizard; the first file that fails ends the run with its message and leaves page 4 open.
#pragma once

#include <QDialog>

#include <functional>

class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace quorvel {

class ChainChoicesPanel;
class TextureDocument;
struct ConversionOptions;

class TForm11 : public QDialog {
public:
    explicit TForm11(TextureDocument& document, QWidget* parent = nullptr);

    // The import directory (OpenDialog2's), where Add's file dialog starts; Add moves it to the
    // directory of the first file chosen.
    void setImportDirectory(std::function<QString()> get, std::function<void(const QString&)> set);

    // Asked at Finish before the run replaces the open document: whether its changes are saved
    // or given up, so the run may go on (the frame's saveChangesFirst).
    void setSaveChangesFirst(std::function<bool()> saveChangesFirst);

    // The step number: 1 on page 1 up to 4 on page 4.
    int step() const { return step_; }
    // The directory the outputs are written to: the tree's current directory.
    QString outputDirectory() const { return outputDirectory_; }
    // Chooses a directory in the tree, as a click on it does.
    void chooseOutputDirectory(const QString& directory);

    QPushButton* nextButton() const { return nextButton_; }     // Button1 "&Next" / "&Finish"
    QPushButton* backButton() const { return backButton_; }     // Button2
    QPushButton* cancelButton() const { return cancelButton_; } // Button3
    QGroupBox* page(int number) const;                          // step1 .. step4
    QRadioButton* mipmapsOption() const { return mipmapsOption_; }     // RadioButton1
    QRadioButton* oneLevelOption() const { return oneLevelOption_; }   // RadioButton2
    QLineEdit* flagBox() const { return flagBox_; }             // Edit1
    QLineEdit* alphaBox() const { return alphaBox_; }           // Edit2
    // Page 1's "Resampling", "Use the picture's alpha", "Keep alpha-test coverage at".
    ChainChoicesPanel* chainChoices() const { return chainChoices_; }
    // Where the chain choices are kept between runs: read now, written at each Finish.
    void setChainChoicesFile(const QString& path);
    QListWidget* fileList() const { return fileList_; }         // ListBox1
    QPushButton* addButton() const { return addButton_; }       // BitBtn1
    QPushButton* removeButton() const { return removeButton_; } // BitBtn2
    QTreeView* directoryTree() const { return directoryTree_; } // Directoryoutline1
    QLabel* processfile() const { return processfile_; }
    QProgressBar* m32bar() const { return m32bar_; }
    QProgressBar* totalbar() const { return totalbar_; }

protected:
    // FormShow: every showing starts again at page 1 with an empty list.
    void showEvent(QShowEvent* event) override;

private:
    // The window's parts: the band on the left, the four pages, the three buttons below them.
    void createBand();
    void createOptionsPage(QGroupBox* step1);
    void createFilesPage(QGroupBox* step2);
    void createOutputPage(QGroupBox* step3);
    void createProgressPage(QGroupBox* step4);
    void createButtons();
    void showPage(int number);
    // Button1Click ("&Next", "&Finish" on page 3): the next page; Finish converts every file.
    void Button1Click();
    // Button2Click ("&Back"): the page before.
    void Button2Click();
    // BitBtn1Click (Add): picture files chosen in the file dialog join the list.
    void BitBtn1Click();
    // BitBtn2Click (Remove): the chosen entry leaves the list.
    void BitBtn2Click();
    // Converts every listed file; the first failure raises and ends the run.
    void convertt(const ConversionOptions& options);
    // At Finish, before page 4: listed files that would write one output are shown, and the run
    // goes on only when the user says so; then the open document's changes are saved or given
    // up. False: the wizard stays on page 3.
    bool mayStartRun();

    TextureDocument& document_;
    std::function<QString()> importDirectory_;
    std::function<void(const QString&)> setImportDirectory_;
    std::function<bool()> saveChangesFirst_;
    int step_ = 1;
    QString outputDirectory_;
    QGroupBox* pages_[4]{};
    QPushButton* nextButton_;
    QPushButton* backButton_;
    QPushButton* cancelButton_;
    QRadioButton* mipmapsOption_;
    QRadioButton* oneLevelOption_;
    QLineEdit* flagBox_;
    QLineEdit* alphaBox_;
    ChainChoicesPanel* chainChoices_;
    QString chainChoicesFile_;
    QListWidget* fileList_;
    QPushButton* addButton_;
    QPushButton* removeButton_;
    QFileSystemModel* directories_;
    QTreeView* directoryTree_;
    QLabel* processfile_;
    QProgressBar* m32bar_;
    QProgressBar* totalbar_;
};

} // namespace quorvel

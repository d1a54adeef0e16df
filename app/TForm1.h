// TForm1: the main window, the multiple-document frame around the tool windows. It owns the
// main menu, the file commands (New, Open, Save, Save as, the recent files, Exit), the title,
// and the settings the program keeps between runs (QUORVEL.INI: the dialog directories and the
// recent files), read when it is created and written when it closes.
#pragma once

#include "document/SettingsFile.h"

#include <QMainWindow>
#include <QPoint>

#include <array>
#include <optional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;

namespace quorvel {

class TextureDocument;
class ToolSettings;
class ViewSettings;
class TForm6;
class TForm7;
class TForm11;

class TForm1 : public QMainWindow {
public:
    // FormCreate: the window shows and changes the program's one document, keeps none of its
    // own, and reads the settings file at `settingsPath` (QUORVEL.INI).
    TForm1(TextureDocument& document, const QString& settingsPath, QWidget* parent = nullptr);
    // The settings stores report on stderr again once the frame is gone.
    ~TForm1() override;

    QMdiArea* workspace() const { return workspace_; }
    TextureDocument& document() const { return document_; }
    // The painting tool's settings and the level views' mode and zoom: they live as long as the
    // frame, so no window holds what another window reads; the tool windows only show them.
    ToolSettings& toolSettings() const { return *toolSettings_; }
    ViewSettings& viewSettings() const { return *viewSettings_; }

    // openm32: the path goes to the head of the recent files, then the file is opened; one that
    // fails leaves the document and the title as they were (Error).
    void openm32(const QString& path);
    // savem32: checks the number fields, writes the document to `path` and shows level 1.
    void savem32(const QString& path);
    // Save's and Save as's dialog (with its title), then the save.
    void saveUnderChosenName(const QString& title);
    // Asked before a command replaces or closes a document with unsaved changes: Save changes
    // to "NAME"? with Yes (the document is saved, a name asked for when untitled), No and Cancel.
    // Returns whether the command may go on: without changes, on No, and on Yes once the save
    // has written the file. A cancelled save stops the command; a failed one raises its Error.
    bool saveChangesFirst();
    // lastfiles: `path` becomes recent file 1.
    void lastfiles(const QString& path);

    // Opens a file as File > Open does, once the frame has been shown and is active (the
    // program's command line).
    void openAtStart(const QString& path);
    // Opens a file as File > Open does, showing what fails: the command line and a drop.
    void openAsFileOpen(const QString& path);

    // The directories and recent files as they stand (written at close).
    const Settings& settings() const { return settings_; }
    // The import directory: OpenDialog2's initial directory.
    void setImportDirectory(const QString& directory);

    // The windows Help > How to and Help > About Quorvel show (not owned).
    void setHelpWindows(QWidget* howTo, QWidget* about);

    // The menu item by its form name ("Open1", "N11", "exit1", ...).
    QAction* menuAction(const QString& name) const;
    // The View menu, between Edit and Help; the level view's modes and the tiled preview are
    // put in it when the windows are made.
    QMenu* viewMenu() const { return viewMenu_; }
    // The Window menu, after View: an entry per tool window and "Reset window layout", put in it
    // when the windows are made.
    QMenu* windowMenu() const { return windowMenu_; }

    // The status bar's pixel: the level pixel under the pointer with its stored bytes, or none
    // while the pointer is off the level.
    void showPointerPixel(std::optional<QPoint> pixel);
    // The notice shown at start: going to it and back is no return of the user to the frame.
    void setStartNotice(QWidget* notice) { startNotice_ = notice; }

    // The dialogs File > Import and File > Batch convert show, and the add-a-mipmap dialog the
    // frame sends the user back to while it is open.
    void setImportWindows(TForm6* addMipmap, TForm7* importDialog, TForm11* wizard);

protected:
    // FormClose: writes the settings file; a failure is shown and the program still closes.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    // The status bar: zoom, level, pixel under the pointer, "Modified".
    void createStatusBar();
    void showLevelStatus();
    // The directory a save dialog starts in: the current file's, else the open directory.
    QString saveDirectory() const;
    // The caption, set here alone: the program's name and version, and with `WithFile` the
    // document's file and the version its header holds once it has one.
    enum TitleKind { ProgramOnly, WithFile };
    void showTitle(TitleKind kind);
    // FormShow: the frame itself became the active window again.
    void FormShow();
    // File > New: a fresh texture with the default header, no file name.
    void New1Click();
    // File > Open: the open dialog for an m32 file, then openm32.
    void Open1Click();
    // File > Save: savem32 to the current file, or Save as's dialog when there is none.
    void Save1Click();
    // File > Save as: the save dialog, then savem32 to the chosen name.
    void Saveas1Click();
    // File > Exit: with unsaved changes asks only whether to save them (Cancel stays); otherwise
    // asks "Are you sure you want to exit?"; only Yes closes the frame.
    void exit1Click();
    // Edit > Undo and Edit > Redo are the document history's own actions ("&Undo Paint"), with
    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y; greyed while there is nothing to undo or redo.
    void addHistoryActions(QMenu* edit);
    // Edit > History: the history window, a child window made the first time it is asked for.
    void History1Click();
    // File > Import: the picture dialog, then the import dialog (TForm7) with that picture.
    void Import1Click();
    // File > Export: the shown level written to a chosen file, in the kind its name asks for
    // (.png or .tga the stored colour and alpha, any other name the colour as a 24-bit BMP).
    void Export1Click();
    // File > Replace level…: a picture chosen as for Import put in place of the level shown,
    // with the import dialog's "Use the picture's alpha"; one step of the history.
    void ReplaceLevel1Click();
    // Edit > Rebuild smaller levels: every level below the one shown made again from it with the
    // import dialog's chain choices; one step of the history.
    void Rebuild1Click();
    // File > Batch convert: shows the wizard (TForm11).
    void Batchconvert1Click();
    // Help > How to: shows the how-to window (TForm9), not modal.
    void Howto1Click();
    // Help > About Quorvel: shows the About window (TForm8), not modal.
    void AboutQuorvel1Click();
    // File > recent file `entry` (0..): opens it with openm32.
    void recentFileClick(int entry);
    void showRecentFiles();
    void openPending();
    // saveChangesFirst where no command shows its failure (the close, a drop, the start file):
    // a failed save is shown here and stops what would follow.
    bool saveChangesOutsideCommands();

    TextureDocument& document_;
    QMdiArea* workspace_;
    QString settingsPath_;
    Settings settings_;
    std::array<QAction*, kRecentFileCount> recentActions_{};
    QString pendingOpen_;
    QWidget* howTo_ = nullptr;
    QWidget* about_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QWidget* startNotice_ = nullptr;
    QLabel* zoomStatus_ = nullptr;
    QLabel* levelStatus_ = nullptr;
    QLabel* pixelStatus_ = nullptr;
    QLabel* modifiedStatus_ = nullptr;
    // Made after the workspace, so they outlast every window in it.
    ToolSettings* toolSettings_;
    ViewSettings* viewSettings_;
    bool shown_ = false;
    // The frame lost the focus to one of its own menus or its commands' dialogs, so getting it
    // back is no return of the user.
    bool deactivatedByDialog_ = false;
    TForm6* addMipmap_ = nullptr;
    TForm7* importDialog_ = nullptr;
    TForm11* wizard_ = nullptr;
};

} // namespace quorvel

// TForm1: the main window, the multiple-document frame around the tool windows. It owns the
// main menu, the file commands (New, Open, Save, Save as, the recent files, Exit), the title,
// and the settings the program keeps between runs (QUORVEL.INI: the dialog directories and the
// recent files), read when it is created and written when it closes.
#pragma once

#include "document/SettingsFile.h"

#include <QMainWindow>

#include <array>

class QAction;
class QMdiArea;
class QMenu;

namespace quorvel {

class TextureDocument;
class UndoSnapshot;
class TForm6;
class TForm7;
class TForm11;

class TForm1 : public QMainWindow {
public:
    // FormCreate: the window shows and changes the program's one document, keeps none of its
    // own, and reads the settings file at `settingsPath` (QUORVEL.INI).
    TForm1(TextureDocument& document, const QString& settingsPath, QWidget* parent = nullptr);

    QMdiArea* workspace() const { return workspace_; }
    TextureDocument& document() const { return document_; }

    // openm32: the path goes to the head of the recent files, then the file is opened; one that
    // fails leaves the document and the title as they were (Error).
    void openm32(const QString& path);
    // savem32: checks the number fields, writes the document to `path` and shows level 1.
    void savem32(const QString& path);
    // Save's and Save as's dialog (with its title), then the save.
    void saveUnderChosenName(const QString& title);
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

    // Edit > Undo takes back the last stroke of `undo` (the level view's), and is enabled while
    // there is one to take back.
    void attachUndo(UndoSnapshot& undo);
    // The windows Help > How to and Help > About Quorvel show (not owned).
    void setHelpWindows(QWidget* howTo, QWidget* about);

    // The menu item by its form name ("Open1", "N11", "exit1", ...).
    QAction* menuAction(const QString& name) const;
    // The View menu, between Edit and Help; the level view's modes and the tiled preview are
    // put in it when the windows are made.
    QMenu* viewMenu() const { return viewMenu_; }

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
    // FormShow: the frame itself became the active window again.
    void FormShow();
    void New1Click();
    void Open1Click();
    void Save1Click();
    void Saveas1Click();
    void exit1Click();
    void Undo1Click();
    void Import1Click();
    void Export1Click();
    // File > Replace level…: a picture chosen as for Import put in place of the level shown,
    // with the import dialog's "Use the picture's alpha"; Edit > Undo puts the level back.
    void ReplaceLevel1Click();
    // Edit > Rebuild smaller levels: every level below the one shown made again from it with the
    // import dialog's chain choices; Edit > Undo puts them all back.
    void Rebuild1Click();
    void Batchconvert1Click();
    void Howto1Click();
    void AboutQuorvel1Click();
    void recentFileClick(int entry);
    void showRecentFiles();
    void openPending();

    TextureDocument& document_;
    QMdiArea* workspace_;
    QString settingsPath_;
    Settings settings_;
    std::array<QAction*, kRecentFileCount> recentActions_{};
    QString pendingOpen_;
    UndoSnapshot* undo_ = nullptr;
    QWidget* howTo_ = nullptr;
    QWidget* about_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    bool shown_ = false;
    // The frame lost the focus to one of its own menus or its commands' dialogs, so getting it
    // back is no return of the user.
    bool deactivatedByDialog_ = false;
    TForm6* addMipmap_ = nullptr;
    TForm7* importDialog_ = nullptr;
    TForm11* wizard_ = nullptr;
};

} // namespace quorvel

#include "app/TForm1.h"

#include "base/Error.h"
#include "base/FileNames.h"
#include "base/Paths.h"
#include "base/SettingsStore.h"
#include "document/EditorTitle.h"
#include "document/History.h"
#include "document/HeaderTexts.h"
#include "document/TextureDocument.h"
#include "document/ViewSettings.h"
#include "graphics/PictureRegistry.h"
#include "paint/ToolSettings.h"
#include "import/Export.h"
#include "import/ImportedPicture.h"
#include "import/MipmapChain.h"
#include "import/ReplaceLevel.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/Dialogs.h"
#include "windows/HistoryWindow.h"
#include "windows/TForm11.h"
#include "windows/TForm6.h"
#include "windows/TForm7.h"
#include "windows/WindowHelpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

namespace quorvel {

namespace {

// OpenDialog1 and SaveDialog1.
const QString kM32OpenFilter = QStringLiteral("m32 files (*.m32);;All files (*.*)");
const QString kM32SaveFilter = QStringLiteral("*.m32 (*.m32)");
const QString kM32Pattern = QStringLiteral("*.m32");
const QString kM32Suffix = QStringLiteral("m32");

// OpenDialog2: a filter for each picture kind the import reads, then "All Types" of them all,
// which is chosen at start.
QStringList importFilters()
{
    QStringList filters;
    for (const PictureFilter& filter : pictureFilters())
        filters.append(filterWithHiddenPatterns(filter.description, filter.patterns));
    const QStringList all = picturePatterns();
    filters.append(filterWithHiddenPatterns(QStringLiteral("All Types (%1)").arg(all.join(u';')), all));
    return filters;
}
// OpenDialog2: every picture kind the import reads, starting in `directory`.
FileDialogOptions pictureDialogOptions(const QString& directory)
{
    FileDialogOptions options;
    options.directory = directory;
    const QStringList filters = importFilters();
    options.fileName = picturePatterns().join(u';');
    options.filter = filters.join(QStringLiteral(";;"));
    options.selectedFilter = filters.last();
    options.hideFilterPatterns = true;
    return options;
}

// SaveDialog2: the kinds File > Export writes, by the name's extension.
const QString kExportFilter =
    QStringLiteral("Windows Bitmap (*.bmp) (*.bmp);;PNG Image (*.png) (*.png);;Targa (*.tga) (*.tga)");

// A menu caption shows "&" as the accelerator mark, so a path's own "&" is doubled.
QString menuText(const QString& text)
{
    return QString(text).replace(u'&', QStringLiteral("&&"));
}

} // namespace

TForm1::TForm1(TextureDocument& document, const QString& settingsPath, QWidget* parent)
    : QMainWindow(parent),
      document_(document),
      workspace_(new QMdiArea(this)),
      settingsPath_(settingsPath),
      toolSettings_(new ToolSettings(this)),
      viewSettings_(new ViewSettings(this))
{
    setObjectName(QStringLiteral("TForm1"));
    setCentralWidget(workspace_);
    workspace_->setBackground(QApplication::palette().brush(QPalette::Dark)); // the workspace colour
    setAcceptDrops(true);
    createMenus();

    // Both dialogs start in the program's directory (the home for an installed copy) unless the
    // settings say otherwise.
    settings_.openDirectory = settings_.importDirectory = dialogDirectory(startDirectory(programDirectory(), QDir::homePath()));
    // The settings stores report what they cannot read or write here, each once.
    setStoreProblemSink([this](const QString& message) { dialogs().error(this, message); });
    if (const auto read = readSettingsFile(settingsPath_)) {
        settings_ = *read;
        settings_.openDirectory = dialogDirectory(settings_.openDirectory);
        settings_.importDirectory = dialogDirectory(settings_.importDirectory);
    }
    showRecentFiles();
    createStatusBar();
    // Open, save, New and the batch conversion announce the document's file; the title follows.
    showTitle(WithFile);
    connect(&document_, &TextureDocument::fileChanged, this, [this] { showTitle(WithFile); });
}

void TForm1::showTitle(TitleKind kind)
{
    const QString file = kind == WithFile ? document_.currentFile() : QString();
    setWindowTitle(editorTitle(file, document_.header().version));
}

TForm1::~TForm1()
{
    setStoreProblemSink({});
}

void TForm1::createMenus()
{
    const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TForm1::*click)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (click != nullptr)
            connect(action, &QAction::triggered, this, [this, click] { runCommand(this, [this, click] { (this->*click)(); }); });
        else
            action->setEnabled(false); // its window is not part of the program yet
        return action;
    };
    const auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    item(file, "New1", QStringLiteral("&New"), &TForm1::New1Click);
    item(file, "Open1", QStringLiteral("&Open"), &TForm1::Open1Click);
    item(file, "Save1", QStringLiteral("&Save"), &TForm1::Save1Click);
    item(file, "Saveas1", QStringLiteral("Save &as"), &TForm1::Saveas1Click);
    separator(file, "N1");
    item(file, "Import1", QStringLiteral("&Import"), &TForm1::Import1Click);
    item(file, "Export1", QStringLiteral("&Export"), &TForm1::Export1Click);
    item(file, "ReplaceLevel1", QStringLiteral("&Replace level…"), &TForm1::ReplaceLevel1Click);
    separator(file, "N2");
    item(file, "Batchconvert1", QStringLiteral("&Batch convert"), &TForm1::Batchconvert1Click);
    separator(file, "N5");
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = file->addAction(QString());
        action->setObjectName(QStringLiteral("N") + QString::number(i + 1) + QStringLiteral("1"));
        connect(action, &QAction::triggered, this, [this, i] { runCommand(this, [this, i] { recentFileClick(i); }); });
        recentActions_[i] = action;
    }
    separator(file, "N4");
    item(file, "exit1", QStringLiteral("E&xit"), &TForm1::exit1Click);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    addHistoryActions(edit);
    item(edit, "History1", QStringLiteral("&History"), &TForm1::History1Click);
    item(edit, "Rebuild1", QStringLiteral("&Rebuild smaller levels"), &TForm1::Rebuild1Click);
    separator(edit, "N6");

    viewMenu_ = menuBar()->addMenu(QStringLiteral("&View"));
    viewMenu_->setObjectName(QStringLiteral("View1"));
    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    windowMenu_->setObjectName(QStringLiteral("Window1"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("About1"));
    item(help, "Howto1", QStringLiteral("H&ow to"), &TForm1::Howto1Click);
    separator(help, "N3");
    item(help, "AboutQuorvel1", QStringLiteral("A&bout Quorvel"), &TForm1::AboutQuorvel1Click);

    // The keys beside the accelerators, as desktop programs have them.
    const struct {
        const char* name;
        QKeySequence keys;
    } shortcuts[] = {
        {"New1", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Open1", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"Save1", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Saveas1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"Import1", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"Export1", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"Batchconvert1", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"exit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"Howto1", QKeySequence(Qt::Key_F1)},
    };
    for (const auto& shortcut : shortcuts) menuAction(QString::fromLatin1(shortcut.name))->setShortcut(shortcut.keys);
}

void TForm1::createStatusBar()
{
    const auto field = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        statusBar()->addWidget(label);
        return label;
    };
    zoomStatus_ = field("StatusZoom");
    levelStatus_ = field("StatusLevel");
    pixelStatus_ = field("StatusPixel");
    modifiedStatus_ = new QLabel(this);
    modifiedStatus_->setObjectName(QStringLiteral("StatusModified"));
    statusBar()->addPermanentWidget(modifiedStatus_);
    statusBar()->setSizeGripEnabled(true);

    const auto showZoom = [this](int zoom) { zoomStatus_->setText(zoomStatus(zoom)); };
    showZoom(viewSettings_->zoom());
    connect(viewSettings_, &ViewSettings::zoomChanged, this, showZoom);
    const auto showModified = [this](bool modified) {
        modifiedStatus_->setText(modified ? QString::fromLatin1(kModifiedStatus) : QString());
    };
    showModified(document_.isModified());
    connect(&document_, &TextureDocument::modifiedChanged, this, showModified);
    showLevelStatus();
    connect(&document_, &TextureDocument::currentLevelChanged, this, &TForm1::showLevelStatus);
    connect(&document_, &TextureDocument::levelsChanged, this, &TForm1::showLevelStatus);
}

void TForm1::showLevelStatus()
{
    const int level = document_.currentLevel();
    levelStatus_->setText(level <= document_.levelCount() ? levelStatus(level, document_.levelSize(level)) : QString());
    pixelStatus_->clear();
}

void TForm1::showPointerPixel(std::optional<QPoint> pixel)
{
    const std::optional<QRgb> stored = pixel ? document_.storedPixel(document_.currentLevel(), *pixel) : std::nullopt;
    pixelStatus_->setText(stored ? pixelStatus(*pixel, *stored) : QString());
}

void TForm1::setHelpWindows(QWidget* howTo, QWidget* about)
{
    howTo_ = howTo;
    about_ = about;
}

void TForm1::Howto1Click()
{
    showInFront(howTo_);
}

void TForm1::AboutQuorvel1Click()
{
    showInFront(about_);
}

QAction* TForm1::menuAction(const QString& name) const
{
    return findChild<QAction*>(name);
}

void TForm1::showRecentFiles()
{
    for (int i = 0; i < kRecentFileCount; ++i)
        recentActions_[i]->setText(QStringLiteral("&%1 ").arg(i + 1) + menuText(shownPath(settings_.recentFiles[i])));
}

void TForm1::lastfiles(const QString& path)
{
    putAtHead(settings_.recentFiles, path);
    showRecentFiles();
}

void TForm1::setImportDirectory(const QString& directory)
{
    settings_.importDirectory = dialogDirectory(directory);
}

void TForm1::openm32(const QString& path)
{
    // The path heads the list even when the file then fails to open.
    lastfiles(path);
    namingFile(shownPath(path), [&] { document_.open(path); });
    // LoadM32: the level list and the view follow the document; without a level there is
    // nothing to show.
    if (document_.levelCount() == 0) dialogs().beep();
}

void TForm1::savem32(const QString& path)
{
    checkHeaderNumbers(document_.texts());
    namingFile(shownPath(path), [&] { document_.save(path); });
    // ShowwM32(0): the first entry, level 1 at zoom 1.
    document_.setCurrentLevel(1);
}

bool TForm1::saveChangesFirst()
{
    if (!document_.isModified()) return true;
    const auto answer = dialogs().question(this, QStringLiteral("Confirm"), saveChangesQuestion(document_.currentFile()),
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                           QMessageBox::Warning);
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
    Save1Click();
    // A save dialog that was cancelled leaves the changes unsaved.
    return !document_.isModified();
}

bool TForm1::saveChangesOutsideCommands()
{
    bool goOn = false;
    runCommand(this, [&] { goOn = saveChangesFirst(); });
    return goOn;
}

void TForm1::New1Click()
{
    if (!saveChangesFirst()) return;
    document_.newDocument();
}

void TForm1::Open1Click()
{
    if (!saveChangesFirst()) return;
    FileDialogOptions options;
    options.directory = settings_.openDirectory;
    options.fileName = kM32Pattern;
    options.filter = kM32OpenFilter;
    options.defaultSuffix = kM32Suffix;
    const QString path = dialogs().openFileName(this, options);
    if (path.isEmpty()) return;
    openAsFileOpen(path);
}

void TForm1::openAsFileOpen(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    runCommand(this, [&] {
        openm32(absolute);
        // Only an open that worked moves the dialog's directory.
        settings_.openDirectory = dialogDirectory(dirstr(absolute));
    });
}

void TForm1::Save1Click()
{
    if (!document_.currentFile().isEmpty()) {
        savem32(document_.currentFile());
        return;
    }
    saveUnderChosenName(QStringLiteral("Save..."));
}

void TForm1::Saveas1Click()
{
    saveUnderChosenName(QStringLiteral("Save as..."));
}

void TForm1::saveUnderChosenName(const QString& title)
{
    // Refused before a name is asked for.
    checkHeaderNumbers(document_.texts());
    FileDialogOptions options;
    options.title = title;
    options.directory = saveDirectory();
    // Save as offers the file's own name.
    options.fileName = document_.currentFile().isEmpty() ? kM32Pattern : namestr(document_.currentFile());
    options.filter = kM32SaveFilter;
    options.defaultSuffix = kM32Suffix;
    options.confirmOverwrite = true;
    const QString path = dialogs().saveFileName(this, options);
    if (!path.isEmpty()) savem32(path);
}

QString TForm1::saveDirectory() const
{
    return document_.currentFile().isEmpty() ? settings_.openDirectory : dialogDirectory(dirstr(document_.currentFile()));
}

void TForm1::exit1Click()
{
    // With unsaved changes the close asks about them, and that is the only question.
    if (document_.isModified()) {
        close();
        return;
    }
    const auto answer = dialogs().question(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure you want to exit?"),
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) close();
}

void TForm1::addHistoryActions(QMenu* edit)
{
    QUndoStack& stack = document_.history().stack();
    QAction* undo = stack.createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = stack.createRedoAction(this, QStringLiteral("Re&do"));
    redo->setObjectName(QStringLiteral("Redo1"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Through the history, which first makes a stroke still being drawn a step.
    History* history = &document_.history();
    disconnect(undo, &QAction::triggered, &stack, &QUndoStack::undo);
    disconnect(redo, &QAction::triggered, &stack, &QUndoStack::redo);
    connect(undo, &QAction::triggered, history, &History::undo);
    connect(redo, &QAction::triggered, history, &History::redo);
    edit->addAction(undo);
    edit->addAction(redo);
}

void TForm1::History1Click()
{
    auto* history = workspace_->findChild<HistoryWindow*>();
    if (history == nullptr) {
        history = new HistoryWindow(document_);
        QMdiSubWindow* sub = workspace_->addSubWindow(history);
        sub->setObjectName(QStringLiteral("HistoryWindowWindow"));
        // Closing hides it; it keeps following the history for the next time.
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    auto* sub = qobject_cast<QMdiSubWindow*>(history->parentWidget());
    sub->show();
    history->show();
    workspace_->setActiveSubWindow(sub);
}

void TForm1::setImportWindows(TForm6* addMipmap, TForm7* importDialog, TForm11* wizard)
{
    addMipmap_ = addMipmap;
    importDialog_ = importDialog;
    wizard_ = wizard;
}

void TForm1::Import1Click()
{
    const QString path = dialogs().openFileName(this, pictureDialogOptions(settings_.importDirectory));
    if (path.isEmpty()) return;
    // Remembered before the file is read, so also when reading fails.
    setImportDirectory(dirstr(path));
    namingFile(shownPath(path), [&] { importDialog_->loadpicture(path); });
    showInFront(importDialog_);
}

void TForm1::Export1Click()
{
    // Without a level there is nothing to name a file for.
    checkExportable(document_);
    FileDialogOptions options;
    options.directory = saveDirectory();
    options.fileName = QStringLiteral("*.bmp");
    options.filter = kExportFilter;
    options.hideFilterPatterns = true;
    options.defaultSuffix = QStringLiteral("bmp");
    options.confirmOverwrite = true;
    const QString path = dialogs().saveFileName(this, options);
    if (path.isEmpty()) return;
    const QString file = exportFileName(path);
    namingFile(shownPath(file), [&] { exportCurrentLevel(document_, file); });
}

void TForm1::ReplaceLevel1Click()
{
    if (document_.levelCount() == 0) throw Error("There is no level to replace: the texture has no levels");
    const QString path = dialogs().openFileName(this, pictureDialogOptions(settings_.importDirectory));
    if (path.isEmpty()) return;
    setImportDirectory(dirstr(path));
    const bool ownAlpha = importDialog_ != nullptr && importDialog_->chainChoices()->choices().keepPictureAlpha;
    const int level = document_.currentLevel();
    QImage picture;
    namingFile(shownPath(path), [&] { picture = loadImportedImage(path, ownAlpha); });
    document_.history().change(QStringLiteral("Replace level"),
                               [&] { replaceLevel(document_, level, picture, ownAlpha); });
}

void TForm1::Rebuild1Click()
{
    if (document_.levelCount() == 0) throw Error("There is no level to rebuild from: the texture has no levels");
    const ChainOptions chain = importDialog_ != nullptr ? importDialog_->chainChoices()->choices().options() : ChainOptions{};
    const int from = document_.currentLevel();
    document_.history().change(QStringLiteral("Rebuild smaller levels"),
                               [&] { rebuildSmallerLevels(document_, from, chain); });
}

void TForm1::Batchconvert1Click()
{
    showInFront(wizard_);
}

void TForm1::recentFileClick(int entry)
{
    const QString path = settings_.recentFiles[entry];
    if (!path.isEmpty() && saveChangesFirst()) openm32(path);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Unsaved changes are saved or given up first; Cancel, or a save that fails, keeps the
    // program running.
    if (!saveChangesOutsideCommands()) {
        event->ignore();
        return;
    }
    // No user is kept in a program that cannot write its settings.
    writeSettingsFile(settingsPath_, settings_);
    event->accept();
}

void TForm1::FormShow()
{
    // The add-a-mipmap dialog is answered before the user goes on.
    if (addMipmap_ != nullptr && addMipmap_->isVisible()) {
        dialogs().beep();
        showInFront(addMipmap_);
    }
    showTitle(ProgramOnly);
    if (!pendingOpen_.isEmpty()) QTimer::singleShot(0, this, &TForm1::openPending);
}

void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            if (deactivatedByDialog_)
                deactivatedByDialog_ = false;
            else
                FormShow();
        } else {
            // The frame's own menus and dialogs are not other windows the user went to.
            const QWidget* now = QApplication::activeWindow();
            deactivatedByDialog_ = Dialogs::dialogOpen() || QApplication::activePopupWidget() != nullptr ||
                                   (now != nullptr && (now->windowType() == Qt::Popup || now == startNotice_));
        }
    }
    QMainWindow::changeEvent(event);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Where the window system never activates the frame, the start file still opens.
    if (!pendingOpen_.isEmpty()) QTimer::singleShot(1000, this, &TForm1::openPending);
}

void TForm1::openAtStart(const QString& path)
{
    pendingOpen_ = path;
    if (shown_ && isActiveWindow()) QTimer::singleShot(0, this, &TForm1::openPending);
}

void TForm1::openPending()
{
    if (pendingOpen_.isEmpty()) return;
    const QString path = std::exchange(pendingOpen_, QString());
    if (saveChangesOutsideCommands()) openAsFileOpen(path);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedTextures(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedTextures(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    if (saveChangesOutsideCommands()) openAsFileOpen(paths.constFirst());
}

} // namespace quorvel

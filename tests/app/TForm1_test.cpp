// The frame as a user meets it: its menus, the file commands with their dialogs, the title, the
// settings file and the recent files, Exit, dropping a file and the file named at start.
#include "tests/support/EditorFixture.h"
#include "tests/support/PaintFixture.h"
#include "tests/windows/ImportFiles.h"

#include "base/Paths.h"
#include "document/M32Format.h"
#include "windows/TForm11.h"
#include "windows/TForm6.h"
#include "windows/TForm8.h"
#include "windows/TForm9.h"
#include "windows/TForm10.h"
#include "windows/WindowHelpers.h"
#include "windows/TForm7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <sys/stat.h>

namespace quorvel::test {
namespace {

using Frame = EditorTest;

const QString kUntitled = QStringLiteral("Quorvel v1.2BETA");

// N11 .. N51: the recent entries' form names.
QString recentName(int entry)
{
    return QStringLiteral("N") + QString::number(entry) + QStringLiteral("1");
}

TEST_F(Frame, StartsWithEveryMenuItemAndTheToolWindowsInPlace)
{
    startEditor();
    EXPECT_EQ(frame->windowTitle(), kUntitled);
    EXPECT_FALSE(frame->windowIcon().isNull());

    struct Row {
        const char* menu;
        const char* caption; // as the menu shows it; "-" a separator
        bool enabled;
    } rows[] = {
        {"File1", "&New", true},       {"File1", "&Open", true},      {"File1", "&Save", true},
        {"File1", "Save &as", true},   {"File1", "-", true},          {"File1", "&Import", true},
        {"File1", "&Export", true},    {"File1", "&Replace level…", true},
        {"File1", "-", true},          {"File1", "&Batch convert", true},
        {"File1", "-", true},          {"File1", "&1 ", true},        {"File1", "&2 ", true},
        {"File1", "&3 ", true},        {"File1", "&4 ", true},        {"File1", "&5 ", true},
        {"File1", "-", true},          {"File1", "E&xit", true},      {"Edit1", "&Undo", false},
        {"Edit1", "Re&do", false},     {"Edit1", "&History", true},
        {"Edit1", "&Rebuild smaller levels", true},                   {"Edit1", "-", true},          {"View1", "&Colour", true},    {"View1", "&Red", true},
        {"View1", "&Green", true},     {"View1", "&Blue", true},      {"View1", "&Alpha", true},
        {"View1", "&Over checkerboard", true},                       {"View1", "-", true},
        {"View1", "&Tiled preview", true},
        {"Window1", "&Level view", true},  {"Window1", "&Properties", true}, {"Window1", "&Mipmaps", true},
        {"Window1", "&Toolbar", true},     {"Window1", "Tiled pre&view", true}, {"Window1", "-", true},
        {"Window1", "&Reset window layout", true},
        {"About1", "H&ow to", true},
        {"About1", "-", true},
        {"About1", "A&bout Quorvel", true},
    };
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions()) menus.append(a->text());
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Window", "&Help"}));
    std::map<std::string, int> at;
    for (const Row& r : rows) {
        const auto* menu = frame->findChild<QMenu*>(r.menu);
        ASSERT_NE(menu, nullptr) << r.menu;
        const int i = at[r.menu]++;
        ASSERT_LT(i, menu->actions().size()) << r.menu;
        const QAction* a = menu->actions().at(i);
        SCOPED_TRACE(std::string(r.menu) + " " + r.caption);
        if (std::string(r.caption) == "-") {
            EXPECT_TRUE(a->isSeparator());
        } else {
            EXPECT_EQ(a->text(), QString::fromUtf8(r.caption));
            EXPECT_EQ(a->isEnabled(), r.enabled);
        }
    }
    for (const auto& [menu, count] : at) EXPECT_EQ(frame->findChild<QMenu*>(menu.c_str())->actions().size(), count);

    // The tool windows: properties at the top left, the level list below it, the view free of
    // the toolbar's place to the right of the properties.
    const auto* properties = qobject_cast<QMdiSubWindow*>(w.properties->parentWidget());
    const auto* levels = qobject_cast<QMdiSubWindow*>(w.levels->parentWidget());
    const auto* view = qobject_cast<QMdiSubWindow*>(w.view->parentWidget());
    ASSERT_TRUE(properties && levels && view);
    EXPECT_EQ(properties->pos(), QPoint(0, 0));
    EXPECT_EQ(levels->pos(), QPoint(0, properties->height()));
    // The three groups' 273 x 425, then the preset box below them.
    EXPECT_EQ(w.properties->size(), QSize(273, 425 + 7 + 49));
    // 271 x 30 and the replace… button right of add.
    EXPECT_EQ(w.levels->size(), QSize(271 + 64, 30));
    EXPECT_EQ(w.properties->windowTitle(), "Properties");
    EXPECT_EQ(w.levels->windowTitle(), "Mipmaps");
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->size(), QSize(128, 128));
    EXPECT_TRUE(properties->isVisible() && levels->isVisible() && view->isVisible());
    EXPECT_GE(view->x(), properties->width());
    // The tiled preview is a fifth child window from the start, hidden until asked for.
    EXPECT_EQ(frame->workspace()->subWindowList().size(), 5);
    EXPECT_TRUE(w.tiledPreview->parentWidget()->isHidden());
    // The Window menu's entries say which windows are shown.
    for (const char* shown : {"WindowLevelView1", "WindowProperties1", "WindowMipmaps1", "WindowToolbar1"})
        EXPECT_TRUE(frame->menuAction(QString::fromLatin1(shown))->isChecked()) << shown;
    EXPECT_FALSE(frame->menuAction(QStringLiteral("WindowTiledPreview1"))->isChecked());

    // The status bar at the foot: the zoom, no level yet, nothing modified.
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_EQ(frame->findChild<QLabel*>("StatusZoom")->text(), "Zoom 1x");
    EXPECT_EQ(frame->findChild<QLabel*>("StatusLevel")->text(), "");
    EXPECT_EQ(frame->findChild<QLabel*>("StatusModified")->text(), "");
}

TEST_F(Frame, FirstStartWritesEmptySettingsAndOpensInTheProgramsDirectory)
{
    startEditor();
    EXPECT_EQ(settingsLines(), (QStringList{"OPENDIR", "", "IMPORTDIR", "", "FILE1", "", "FILE2", "", "FILE3", "",
                                            "FILE4", "", "FILE5", "", ""}));
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(frame->menuAction(recentName(i))->text(), QStringLiteral("&%1 ").arg(i));

    chooseMenu('f', 'o'); // cancelled
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    const FileDialogOptions& o = fake.fileCalls[0].options;
    EXPECT_FALSE(fake.fileCalls[0].save);
    EXPECT_EQ(o.directory, dialogDirectory(programDirectory()));
    EXPECT_EQ(o.fileName, "*.m32");
    EXPECT_EQ(o.filter, "m32 files (*.m32);;All files (*.*)");
    EXPECT_EQ(o.defaultSuffix, "m32");

    // Closing after an open: the directory without its slash, the file as recent file 1.
    const QString wall = path("wall.m32");
    writeTexture(wall, {{64, 64}});
    openThroughMenu(wall);
    closeEditor();
    const QStringList lines = settingsLines();
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[1], dir.path());
    EXPECT_EQ(lines[3], dialogDirectory(programDirectory()));
    EXPECT_EQ(lines[5], wall);
}

TEST_F(Frame, ReadsSettingsByPositionAndKeepsEmptyValues)
{
    struct Row {
        QByteArray file;
        const char* openDirectory;
        const char* recent2;
    } rows[] = {
        {"OPENDIR\r\n/tex/\r\nIMPORTDIR\r\n/img\r\nFILE1\r\n", "/tex", ""},
        {"OPENDIR\r\n\r\nIMPORTDIR\r\n\r\nFILE1\r\n/a&b.m32\r\nFILE2\r\n/b.m32\r\n", "", "/b.m32"},
    };
    for (const Row& r : rows) {
        writeFile(settingsPath(), r.file);
        startEditor();
        chooseMenu('f', 'o');
        ASSERT_FALSE(fake.fileCalls.empty());
        EXPECT_EQ(fake.fileCalls.back().options.directory, QString::fromLatin1(r.openDirectory));
        EXPECT_EQ(frame->settings().recentFiles[1], QString::fromLatin1(r.recent2));
        EXPECT_EQ(frame->menuAction("N21")->text(), QStringLiteral("&2 ") + r.recent2);
        closeEditor();
        EXPECT_EQ(settingsLines().size(), 15);
    }
    // A path's own "&" is no accelerator.
    EXPECT_EQ(settingsLines()[5], "/a&b.m32");
}

TEST_F(Frame, OpenShowsTheFileInTitlePropertiesListAndView)
{
    HeaderTexts texts;
    texts.name = "wall";
    texts.dt_u = "0.5";
    texts.flags = "$801";
    const QString wall = path("wall.m32");
    writeTexture(wall, {{256, 256}, {128, 128}}, texts);
    startEditor();
    openThroughMenu(wall);

    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    EXPECT_EQ(document.currentFile(), wall);
    EXPECT_EQ(w.properties->field("Edit2")->text(), "wall");
    EXPECT_EQ(w.properties->field("Edit6")->text(), "2049");
    EXPECT_EQ(w.properties->field("Edit17")->text(), " 5.00000000000000E-0001");
    EXPECT_EQ(w.properties->field("Edit18")->text(), " 0.00000000000000E+0000");
    EXPECT_EQ(w.properties->field("Edit9")->text(), "1.00");
    QStringList entries;
    for (int i = 0; i < w.levels->comboBox()->count(); ++i) entries.append(w.levels->comboBox()->itemText(i));
    EXPECT_EQ(entries, (QStringList{"256 * 256", "128 * 128"}));
    EXPECT_EQ(w.levels->comboBox()->currentIndex(), 0);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(256, 256));
    EXPECT_EQ(w.view->size(), QSize(256, 256));
    EXPECT_EQ(frame->settings().openDirectory, dir.path());
    EXPECT_EQ(frame->settings().recentFiles[0], wall);
    EXPECT_EQ(fake.beeps, 0);

    // A file without levels: shown, with the beep for nothing to show.
    const QString empty = path("empty.m32");
    writeTexture(empty, {});
    openThroughMenu(empty);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(w.levels->comboBox()->count(), 0);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"empty.m32\" (M32 v4)");
}

TEST_F(Frame, TitleReturnsToThePlainTextWhenTheFrameIsActivatedAgain)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{8, 8}});
    startEditor();

    // The frame's own dialogs do not count: a dialog that takes the focus and gives it back.
    fake.whileOpen = [this] {
        QDialog dialog(frame.get());
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        dialog.hide();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    };
    openThroughMenu(wall);
    fake.whileOpen = nullptr;
    QApplication::processEvents();
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");

    // Another window of the program, then the frame again.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    EXPECT_EQ(frame->windowTitle(), kUntitled);
    other.hide();
}

TEST_F(Frame, FailedOpenLeavesTheDocumentAndALaterSaveWritesTheOldFile)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{16, 16}});
    startEditor();
    openThroughMenu(wall);

    const QString missing = path("missing.m32");
    openThroughMenu(missing);
    // The message names the file on its second line.
    EXPECT_EQ(fake.errors, QStringList{"File not found\n" + missing});
    EXPECT_EQ(document.currentFile(), wall);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    EXPECT_EQ(w.levels->comboBox()->count(), 1);
    EXPECT_EQ(frame->settings().recentFiles[0], missing);
    EXPECT_EQ(frame->settings().recentFiles[1], wall);

    // Text is plainly no texture, and is named so; a texture cut short keeps its message.
    const QString shortFile = path("short.m32");
    writeFile(shortFile, QByteArray(100, 'x'));
    openThroughMenu(shortFile);
    EXPECT_EQ(fake.errors.last(), shortFile + " is not an m32 texture");
    EXPECT_EQ(document.currentFile(), wall);
    const QString cut = path("cut.m32");
    writeFile(cut, readFile(wall).left(968 + 100));
    openThroughMenu(cut);
    EXPECT_EQ(fake.errors.last(), "Read beyond end of file\n" + cut);
    // A recent entry's failure names its file too.
    fake.questionAnswers.push_back(QMessageBox::No);
    chooseRecent(1);
    EXPECT_EQ(fake.errors.last(), "Read beyond end of file\n" + cut);
    EXPECT_EQ(document.currentFile(), wall);
    fake.fileCalls.clear();

    // A save and an export that cannot write say which file.
    const QString nowhere = path("no-such-directory/wall.m32");
    fake.fileAnswers = {nowhere, path("no-such-directory/wall.bmp")};
    chooseMenu('f', 'a');
    ASSERT_FALSE(fake.errors.isEmpty());
    EXPECT_TRUE(fake.errors.last().endsWith("\n" + nowhere)) << fake.errors.last().toStdString();
    const int errors = fake.errors.size();
    chooseMenu('f', 'e');
    ASSERT_EQ(fake.errors.size(), errors + 1);
    // Its message names the file already, once.
    EXPECT_EQ(fake.errors.last().count(path("no-such-directory/wall.bmp")), 1) << fake.errors.last().toStdString();
    document.setModified(false);
    fake.fileCalls.clear();
    // The named document as it was before the failed save.
    document.open(wall);

    chooseMenu('f', 's');
    EXPECT_TRUE(fake.fileCalls.empty()); // no save dialog: the document is named
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(readFile(shortFile), QByteArray(100, 'x'));
    EXPECT_EQ(readFile(wall), document.saveToBytes());
}

TEST_F(Frame, SaveAsksForANameOnlyWhenUntitledAndSaveAsAlways)
{
    startEditor();
    const QString first = path("first.m32");
    // Cancelled: nothing written, still untitled.
    chooseMenu('f', 's');
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    EXPECT_TRUE(fake.fileCalls[0].save);
    EXPECT_EQ(fake.fileCalls[0].options.title, "Save...");
    EXPECT_EQ(fake.fileCalls[0].options.fileName, "*.m32");
    EXPECT_EQ(fake.fileCalls[0].options.filter, "*.m32 (*.m32)");
    EXPECT_TRUE(fake.fileCalls[0].options.confirmOverwrite);
    EXPECT_TRUE(document.currentFile().isEmpty());

    fake.fileAnswers.push_back(first);
    chooseMenu('f', 's');
    EXPECT_EQ(readFile(first).size(), 968); // the header alone: no levels
    EXPECT_EQ(document.currentFile(), first);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"first.m32\" (M32 v4)");

    // Named: written at once.
    QTest::keyClicks(w.properties->field("Edit2"), "stone");
    chooseMenu('f', 's');
    EXPECT_EQ(fake.fileCalls.size(), 2u);
    EXPECT_EQ(readFile(first).mid(4, 6), QByteArray("stone\0", 6));

    const QString second = path("second.m32");
    fake.fileAnswers.push_back(second);
    chooseMenu('f', 'a');
    ASSERT_EQ(fake.fileCalls.size(), 3u);
    EXPECT_EQ(fake.fileCalls[2].options.title, "Save as...");
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(document.currentFile(), second);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"second.m32\" (M32 v4)");
    // Writing never enters the recent files.
    EXPECT_EQ(frame->settings().recentFiles, (std::array<QString, 5>{}));
}

TEST_F(Frame, SaveShowsLevelOneAtZoomOne)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{64, 64}, {32, 32}});
    startEditor();
    openThroughMenu(wall);
    w.levels->ShowwM32(1);
    w.view->zoomIn();
    EXPECT_EQ(w.view->windowTitle(), "[zoom 2x]");
    chooseMenu('f', 's');
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(document.currentLevel(), 1);
    EXPECT_EQ(w.levels->comboBox()->currentIndex(), 0);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(64, 64));
}

TEST_F(Frame, SaveRefusesANumberFieldThatIsNoNumberAndWritesNothing)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{16, 16}});
    startEditor();
    openThroughMenu(wall);
    const QByteArray before = readFile(wall);

    QLineEdit* flags = w.properties->field("Edit6");
    flags->selectAll();
    QTest::keyClicks(flags, "12abc");
    EXPECT_EQ(document.texts().flags, "12abc");
    chooseMenu('f', 's');
    ASSERT_EQ(fake.errors.size(), 1);
    EXPECT_EQ(fake.errors[0], "Flags: \"12abc\" is not a whole number from -2147483648 to 2147483647. Nothing was saved.");
    EXPECT_EQ(readFile(wall), before);

    // Save as refuses before a name is asked for.
    chooseMenu('f', 'a');
    EXPECT_EQ(fake.errors.size(), 2);
    EXPECT_EQ(fake.fileCalls.size(), 1u); // the open's only

    // An empty field is 0 again.
    flags->selectAll();
    QTest::keyClick(flags, Qt::Key_Backspace);
    EXPECT_EQ(document.texts().flags, "");
    chooseMenu('f', 's');
    EXPECT_EQ(fake.errors.size(), 2);
    EXPECT_EQ(document.header().flags, 0);
}

TEST_F(Frame, NewResetsTitleFieldsListAndView)
{
    const QString wall = path("wall.m32");
    HeaderTexts texts;
    texts.name = "wall";
    texts.scale_x = "2";
    writeTexture(wall, {{32, 32}}, texts);
    startEditor();
    openThroughMenu(wall);
    chooseMenu('f', 'n');
    EXPECT_EQ(frame->windowTitle(), kUntitled);
    EXPECT_TRUE(document.currentFile().isEmpty());
    EXPECT_EQ(w.levels->comboBox()->count(), 0);
    EXPECT_EQ(w.properties->field("Edit2")->text(), "");
    EXPECT_EQ(w.properties->field("Edit6")->text(), "2048");
    EXPECT_EQ(w.properties->field("Edit9")->text(), "1.00");
    EXPECT_EQ(w.properties->field("Edit17")->text(), "0.00");
    EXPECT_EQ(document.levelCount(), 0);
}

TEST_F(Frame, RecentFilesNewestFirstAndTheirEntriesOpen)
{
    startEditor();
    std::vector<QString> files;
    for (int i = 1; i <= 6; ++i) {
        files.push_back(path(QStringLiteral("t%1.m32").arg(i)));
        writeTexture(files.back(), {{i, i}});
    }
    // The same file twice fills entries 1 and 2.
    openThroughMenu(files[0]);
    openThroughMenu(files[0]);
    EXPECT_EQ(frame->menuAction("N11")->text(), "&1 " + files[0]);
    EXPECT_EQ(frame->menuAction("N21")->text(), "&2 " + files[0]);
    EXPECT_EQ(frame->menuAction("N31")->text(), "&3 ");

    // "&3 " alone does nothing.
    chooseRecent(3);
    EXPECT_TRUE(fake.errors.isEmpty());
    EXPECT_EQ(document.currentFile(), files[0]);

    for (const QString& f : files) openThroughMenu(f);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(frame->menuAction(recentName(i + 1))->text(), QStringLiteral("&%1 ").arg(i + 1) + files[5 - i]);

    // Entry 2 opens t5 and moves it to the head.
    chooseRecent(2);
    EXPECT_EQ(document.currentFile(), files[4]);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"t5.m32\" (M32 v4)");
    EXPECT_EQ(frame->settings().recentFiles[0], files[4]);
    EXPECT_EQ(frame->settings().recentFiles[1], files[5]);

    closeEditor();
    const QStringList lines = settingsLines();
    EXPECT_EQ(lines.mid(4, 10), (QStringList{"FILE1", files[4], "FILE2", files[5], "FILE3", files[4], "FILE4",
                                             files[3], "FILE5", files[2]}));
}

TEST_F(Frame, ExitAsksAndOnlyYesCloses)
{
    startEditor();
    fake.questionAnswers = {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Yes};
    chooseMenu('f', 'x');
    ASSERT_EQ(fake.questionCalls.size(), 1u);
    EXPECT_EQ(fake.questionCalls[0].title, "Confirm");
    EXPECT_EQ(fake.questionCalls[0].text, "Are you sure you want to exit?");
    EXPECT_EQ(fake.questionCalls[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(frame->isVisible());
    chooseMenu('f', 'x');
    EXPECT_TRUE(frame->isVisible());
    QFile::remove(settingsPath());
    chooseMenu('f', 'x');
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(settingsLines().size(), 15);
}

TEST_F(Frame, ClosesEvenWhenTheSettingsCannotBeWritten)
{
    startEditor();
    // The settings file's place becomes a directory: it cannot be replaced.
    QFile::remove(settingsPath());
    ASSERT_TRUE(QDir().mkdir(settingsPath()));
    fake.questionAnswers = {QMessageBox::Yes};
    chooseMenu('f', 'x');
    EXPECT_EQ(fake.errors.size(), 1);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(Frame, SettingsThatCannotBeCreatedAreReportedAndTheEditorStarts)
{
    ASSERT_TRUE(QDir().mkdir(settingsPath()));
    startEditor();
    EXPECT_EQ(fake.errors.size(), 1);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->settings().openDirectory, dialogDirectory(programDirectory()));
}

// A settings file that is a FIFO would block the start for ever: it is reported once, the
// editor starts with the defaults and leaves the FIFO as it is at exit.
TEST_F(Frame, SettingsThatAreNotARegularFileAreReportedOnceAndKept)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(settingsPath()).constData(), 0600), 0);
    startEditor();
    EXPECT_EQ(fake.errors, QStringList{settingsPath() + " is not a regular file"});
    EXPECT_EQ(frame->settings().openDirectory, dialogDirectory(programDirectory()));
    closeEditor();
    EXPECT_EQ(fake.errors.size(), 1);
    EXPECT_FALSE(QFileInfo(settingsPath()).isFile());
}

// A recent file whose name is not UTF-8 (written by another program, or kept from an older
// run) is shown with its bytes escaped and written back as it was.
TEST_F(Frame, ARecentFileNamedInBytesThatAreNotUtf8SurvivesTheRewrite)
{
    const QByteArray unix = "OPENDIR\n/tex\nIMPORTDIR\n/img\nFILE1\n/t/caf\xe9.m32\nFILE2\n/t/b.m32\n";
    writeFile(settingsPath(), unix);
    startEditor();
    const auto* file = frame->findChild<QMenu*>("File1");
    ASSERT_NE(file, nullptr);
    QStringList captions;
    for (const QAction* a : file->actions()) captions.append(a->text());
    EXPECT_TRUE(captions.contains("&1 /t/caf\\xe9.m32")) << captions.join('|').toStdString();
    EXPECT_TRUE(captions.contains("&2 /t/b.m32"));
    closeEditor();
    EXPECT_EQ(readFile(settingsPath()), QByteArray("OPENDIR\r\n/tex\r\nIMPORTDIR\r\n/img\r\nFILE1\r\n/t/caf\xe9.m32\r\n"
                                                  "FILE2\r\n/t/b.m32\r\nFILE3\r\n\r\nFILE4\r\n\r\nFILE5\r\n\r\n"));
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join('\n').toStdString();
}

TEST_F(Frame, DroppedTextureOpensAsFileOpenDoes)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{16, 8}});
    startEditor();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("notes.txt")), QUrl::fromLocalFile(wall)});
    const QPoint at = frame->workspace()->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    EXPECT_EQ(document.currentFile(), wall);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    EXPECT_EQ(frame->settings().openDirectory, dir.path());

    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(path("notes.txt"))});
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(frame.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(Frame, FileNamedAtStartOpensOnceTheFrameIsActive)
{
    const QString wall = path("wall.m32");
    writeTexture(wall, {{16, 16}});
    w = createEditorWindows(document, settingsPath());
    frame.reset(w.frame);
    frame->openAtStart(wall);
    EXPECT_TRUE(document.currentFile().isEmpty());
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTRY_COMPARE(document.currentFile(), wall);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    closeEditor();

    // A file that fails: its message, and the editor starts empty.
    TextureDocument other;
    w = createEditorWindows(other, settingsPath());
    frame.reset(w.frame);
    frame->openAtStart(path("missing.m32"));
    frame->show();
    QTRY_COMPARE(fake.errors.size(), 1);
    // The command line's file is named in its message.
    EXPECT_EQ(fake.errors[0], "File not found\n" + path("missing.m32"));
    EXPECT_EQ(frame->windowTitle(), kUntitled);
    EXPECT_EQ(other.levelCount(), 0);
    closeEditor(); // before `other` goes
}

// Every command that replaces or closes the document asks first while it has unsaved changes:
// No goes on, Cancel leaves the document and its file as they were, Yes writes the file first.
// Without changes the commands ask nothing beyond what they always ask.
class UnsavedChanges : public EditorTest {
protected:
    void drop(const QString& file)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = frame->workspace()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame.get(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame.get(), &dropped);
    }
    void importWithoutInsert(const QString& picture)
    {
        fake.fileAnswers.push_back(picture);
        chooseMenu('f', 'i');
        ASSERT_TRUE(w.importDialog->isVisible()) << fake.errors.join("; ").toStdString();
        ASSERT_FALSE(w.importDialog->insertBox()->isChecked());
        QTest::mouseClick(w.importDialog->okButton(), Qt::LeftButton);
        if (!w.importDialog->isVisible()) backFromMenu();
    }
    void batchRun(const QString& picture)
    {
        chooseMenu('f', 'b');
        TForm11* wizard = w.wizard;
        wizard->chooseOutputDirectory(path("out"));
        QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
        fake.fileListAnswers.push_back({picture});
        QTest::mouseClick(wizard->addButton(), Qt::LeftButton);
        QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
        QTest::mouseClick(wizard->nextButton(), Qt::LeftButton); // Finish
    }
    // What a path left open, closed as a user would.
    void closeDialogs()
    {
        if (w.importDialog->isVisible()) QTest::mouseClick(w.importDialog->cancelButton(), Qt::LeftButton);
        if (w.wizard->isVisible()) QTest::mouseClick(w.wizard->cancelButton(), Qt::LeftButton);
    }

    struct Path {
        const char* name;
        std::function<void()> run;
        std::function<bool()> wentOn;
    };
    std::vector<Path> paths()
    {
        const QString other = path("other.m32"), picture = path("pic.bmp");
        return {
            {"New", [this] { chooseMenu('f', 'n'); }, [this] { return document.currentFile().isEmpty(); }},
            {"Open", [this, other] { openThroughMenu(other); }, [this, other] { return document.currentFile() == other; }},
            {"a recent entry", [this] { chooseRecent(2); }, [this, other] { return document.currentFile() == other; }},
            {"a drop", [this, other] { drop(other); }, [this, other] { return document.currentFile() == other; }},
            {"Import", [this, picture] { importWithoutInsert(picture); },
             [this] { return document.currentFile().isEmpty() && document.levelCount() == 3; }},
            {"a batch run", [this, picture] { batchRun(picture); },
             [this] { return document.currentFile() == path("out/pic.m32"); }},
            {"Exit", [this] { chooseMenu('f', 'x'); }, [this] { return !frame->isVisible(); }},
            {"the frame's close", [this] { frame->close(); }, [this] { return !frame->isVisible(); }},
        };
    }
    // The editor with t.m32 open, other.m32 recent entry 2.
    void startWithTexture()
    {
        writeTexture(path("t.m32"), {{8, 8}});
        writeTexture(path("other.m32"), {{4, 4}, {2, 2}});
        writeFile(path("pic.bmp"), bmpOf(4, 4));
        ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
        startEditor();
        // What an earlier path left in the document is given up.
        if (document.isModified()) fake.questionAnswers.push_back(QMessageBox::No);
        openThroughMenu(path("other.m32"));
        openThroughMenu(path("t.m32"));
        fake.questionCalls.clear();
        fake.fileCalls.clear();
    }
};

TEST_F(UnsavedChanges, EveryPathAsksAndNoGoesOnCancelStopsYesSavesFirst)
{
    for (std::size_t i = 0; i < paths().size(); ++i) {
        for (const auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Yes}) {
            const Path p = paths()[i];
            SCOPED_TRACE(testing::Message() << p.name << " answered " << int(answer));
            startWithTexture();
            const QByteArray original = readFile(path("t.m32"));
            QTest::keyClicks(w.properties->field("Edit2"), "moss");
            ASSERT_TRUE(document.isModified());
            fake.questionAnswers = {answer};
            p.run();
            ASSERT_EQ(fake.questionCalls.size(), 1u);
            EXPECT_EQ(fake.questionCalls[0].title, "Confirm");
            EXPECT_EQ(fake.questionCalls[0].text, "Save changes to \"t.m32\"?");
            EXPECT_EQ(fake.questionCalls[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            EXPECT_EQ(fake.questionCalls[0].icon, QMessageBox::Warning);
            EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
            if (answer == QMessageBox::Cancel) {
                EXPECT_FALSE(p.wentOn());
                EXPECT_EQ(document.currentFile(), path("t.m32"));
                EXPECT_EQ(document.texts().name, "moss");
                EXPECT_TRUE(document.isModified());
                EXPECT_TRUE(frame->isVisible());
                EXPECT_EQ(readFile(path("t.m32")), original);
            } else {
                EXPECT_TRUE(p.wentOn());
                EXPECT_EQ(readFile(path("t.m32")).contains("moss"), answer == QMessageBox::Yes);
            }
            EXPECT_TRUE(fake.questionAnswers.empty());
            if (frame->isVisible()) closeDialogs();
            closeEditor();
            fake = {};
            setDialogs(&fake);
        }
    }
}

TEST_F(UnsavedChanges, WithoutChangesNothingMoreIsAsked)
{
    for (const Path& p : paths()) {
        SCOPED_TRACE(p.name);
        startWithTexture();
        ASSERT_FALSE(document.isModified());
        const bool exit = QString::fromLatin1(p.name) == "Exit";
        if (exit) fake.questionAnswers = {QMessageBox::Yes};
        p.run();
        EXPECT_TRUE(p.wentOn());
        ASSERT_EQ(fake.questionCalls.size(), exit ? 1u : 0u);
        if (exit) {
            EXPECT_EQ(fake.questionCalls[0].text, "Are you sure you want to exit?");
        }
        EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
        if (frame->isVisible()) closeDialogs();
        closeEditor();
        fake = {};
        setDialogs(&fake);
    }
}

// Yes on an untitled document asks for a name; a cancelled save dialog stops the command, and a
// save that fails is shown and stops it too.
TEST_F(UnsavedChanges, YesOnAnUntitledDocumentAsksForANameAndACancelledOrFailedSaveStops)
{
    startEditor();
    QTest::keyClicks(w.properties->field("Edit2"), "moss");
    EXPECT_EQ(document.currentFile(), "");

    fake.questionAnswers = {QMessageBox::Yes};
    chooseMenu('f', 'n'); // the save dialog is cancelled
    ASSERT_EQ(fake.questionCalls.size(), 1u);
    EXPECT_EQ(fake.questionCalls[0].text, "Save changes to \"untitled\"?");
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    EXPECT_TRUE(fake.fileCalls[0].save);
    EXPECT_EQ(document.texts().name, "moss");

    fake.questionAnswers = {QMessageBox::Yes};
    fake.fileAnswers = {path("missing/x.m32")};
    frame->close(); // the save fails
    EXPECT_EQ(fake.errors.size(), 1);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(document.texts().name, "moss");

    fake.questionAnswers = {QMessageBox::Yes};
    fake.fileAnswers = {path("named.m32")};
    chooseMenu('f', 'n');
    EXPECT_TRUE(readFile(path("named.m32")).contains("moss"));
    EXPECT_EQ(document.texts().name, "");
    EXPECT_FALSE(document.isModified());
}

// A failed open changes nothing about the changes: they are still there to be asked about.
TEST_F(UnsavedChanges, AFailedOpenKeepsTheChanges)
{
    startEditor();
    QTest::keyClicks(w.properties->field("Edit2"), "moss");
    fake.questionAnswers = {QMessageBox::No};
    openThroughMenu(path("missing.m32"));
    EXPECT_EQ(fake.errors, QStringList{"File not found\n" + path("missing.m32")});
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.texts().name, "moss");
}


// The frame's child windows as a user handles them: closed every way, brought back from the
// Window menu, the layout reset; the editor keeps working all the while.
using ToolWindows = PaintTest;

QMdiSubWindow* subOf(QWidget* window)
{
    return qobject_cast<QMdiSubWindow*>(window->parentWidget());
}

// Where a user clicks a button of a child window's title bar: the style's place for it within
// the bar the child window draws inside its border.
QPoint titleBarButton(QMdiSubWindow* sub, QStyle::SubControl control)
{
    QStyleOptionTitleBar option;
    option.initFrom(sub);
    option.text = sub->windowTitle();
    option.titleBarFlags = sub->windowFlags();
    option.titleBarState = int(sub->windowState());
    option.subControls = QStyle::SC_All;
    const int border = sub->style()->styleHint(QStyle::SH_TitleBar_NoBorder, &option, sub) ? 0 : 4;
    option.rect = QRect(border, border, sub->width() - 2 * border,
                        sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, sub));
    return sub->style()->subControlRect(QStyle::CC_TitleBar, &option, control, sub).center();
}

TEST_F(ToolWindows, ClosedByTheirCloseButtonSystemMenuOrCtrlF4TheyHideAndComeBackFromTheWindowMenu)
{
    openWhite(QSize(64, 64));
    frame->resize(1400, 1000);
    QApplication::processEvents();
    struct Tool {
        QWidget* window;
        const char* entry;
        char key; // its Window menu accelerator
    };
    const Tool tools[] = {{w.properties, "WindowProperties1", 'p'}, {w.levels, "WindowMipmaps1", 'm'},
                          {w.toolbar, "WindowToolbar1", 't'}, {w.tiledPreview, "WindowTiledPreview1", 'v'}};
    enum Way { CloseButton, SystemMenu, CtrlF4 };
    int levels = document.levelCount();
    for (const Tool& tool : tools) {
        for (Way way : {CloseButton, SystemMenu, CtrlF4}) {
            SCOPED_TRACE(tool.window->objectName().toStdString() + " way " + std::to_string(int(way)));
            QPointer<QWidget> window = tool.window;
            QPointer<QMdiSubWindow> sub = subOf(tool.window);
            if (sub->isHidden()) chooseMenu('w', tool.key);
            ASSERT_TRUE(sub->isVisible());
            frame->workspace()->setActiveSubWindow(sub);
            if (way == CloseButton) {
                // The pointer comes over the button first: the title bar presses what it hovers.
                const QPoint button = titleBarButton(sub, QStyle::SC_TitleBarCloseButton);
                QMouseEvent over(QEvent::MouseMove, button, sub->mapToGlobal(button), Qt::NoButton, Qt::NoButton, {});
                QApplication::sendEvent(sub, &over);
                QTest::mouseClick(sub, Qt::LeftButton, {}, button);
            } else if (way == SystemMenu) {
                sub->showSystemMenu();
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                ASSERT_NE(menu, nullptr);
                QTest::keyClick(menu, Qt::Key_C);
            } else {
                // With the focus in the window, as after a click on it.
                sub->setFocus(Qt::MouseFocusReason);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
            }
            QApplication::processEvents();
            backFromMenu();
            // Hidden, never destroyed.
            ASSERT_FALSE(window.isNull());
            ASSERT_FALSE(sub.isNull());
            EXPECT_TRUE(sub->isHidden());
            EXPECT_FALSE(frame->menuAction(QString::fromLatin1(tool.entry))->isChecked());

            // Paint, pick, remove and add go on with the window closed.
            frame->toolSettings().selectPaint();
            stroke({QPoint(2, 2), QPoint(6, 2)});
            EXPECT_EQ(shown(4, 2), rgb(0, 0, 0));
            frame->toolSettings().selectPickColor();
            stroke({QPoint(20, 20)});
            EXPECT_EQ(frame->toolSettings().fieldText(ToolField::Red), "255");
            frame->toolSettings().selectPaint();
            frame->toolSettings().setColour(0, 0, 0);
            w.addMipmap->showDialog();
            w.addMipmap->widthBox()->setText(QStringLiteral("32"));
            w.addMipmap->heightBox()->setText(QStringLiteral("32"));
            QTest::mouseClick(w.addMipmap->okButton(), Qt::LeftButton);
            EXPECT_EQ(document.levelCount(), ++levels);
            w.levels->ShowwM32(document.levelCount() - 1);
            w.levels->removeButton()->click(); // "remove" works with its window hidden too
            EXPECT_EQ(document.levelCount(), --levels);
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == frame.get(); }));

            // Back from the Window menu, checked again.
            chooseMenu('w', tool.key);
            EXPECT_TRUE(sub->isVisible());
            EXPECT_TRUE(frame->menuAction(QString::fromLatin1(tool.entry))->isChecked());
        }
    }
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("\n").toStdString();

    // Unchecking an entry closes its window; Reset window layout puts them all back in place.
    chooseMenu('w', 't');
    EXPECT_TRUE(subOf(w.toolbar)->isHidden());
    subOf(w.properties)->move(500, 300);
    subOf(w.levels)->showMinimized();
    subOf(w.view)->move(700, 400);
    chooseMenu('w', 'r');
    EXPECT_EQ(subOf(w.properties)->pos(), QPoint(0, 0));
    EXPECT_FALSE(subOf(w.levels)->isMinimized());
    EXPECT_EQ(subOf(w.levels)->pos(), QPoint(0, subOf(w.properties)->height()));
    EXPECT_TRUE(subOf(w.toolbar)->isVisible());
    EXPECT_EQ(subOf(w.toolbar)->pos(), QPoint(subOf(w.properties)->width(), 0));
    EXPECT_EQ(subOf(w.view)->pos(), freeArea(frame->workspace()).topLeft());
    EXPECT_TRUE(frame->menuAction(QStringLiteral("WindowToolbar1"))->isChecked());
}

TEST_F(ToolWindows, TheStatusBarShowsZoomLevelThePixelsStoredBytesAndModified)
{
    const QString file = path("wall.m32");
    writeTexture(file, {{256, 256}, {128, 64}});
    startEditor();
    frame->resize(1400, 1000);
    openThroughMenu(file);
    const auto label = [this](const char* name) { return frame->findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(label("StatusLevel"), "Level 1: 256 x 256");
    EXPECT_EQ(label("StatusModified"), "");
    QTest::keyClick(frame.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(label("StatusZoom"), "Zoom 2x");

    // The pixel under the pointer and the four bytes the level holds for it (what a save writes).
    const QByteArray bytes = document.saveToBytes();
    for (const QPoint pixel : {QPoint(17, 203), QPoint(0, 0), QPoint(255, 255), QPoint(100, 7)}) {
        hover(pixel * 2 + QPoint(1, 1));
        const auto* stored = reinterpret_cast<const uchar*>(bytes.constData()) + 968 + (pixel.y() * 256 + pixel.x()) * 4;
        EXPECT_EQ(label("StatusPixel"), QStringLiteral("x %1, y %2 \u2014 R %3 G %4 B %5 A %6")
                                            .arg(pixel.x())
                                            .arg(pixel.y())
                                            .arg(stored[0])
                                            .arg(stored[1])
                                            .arg(stored[2])
                                            .arg(stored[3]));
    }
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(canvas(), &leave);
    EXPECT_EQ(label("StatusPixel"), "");

    // A stroke changes the document: "Modified" until it is saved.
    stroke({QPoint(4, 4), QPoint(20, 4)});
    EXPECT_EQ(label("StatusModified"), "Modified");
    chooseMenu('f', 's');
    EXPECT_EQ(label("StatusModified"), "");
    w.levels->ShowwM32(1);
    EXPECT_EQ(label("StatusLevel"), "Level 2: 128 x 64");
    EXPECT_EQ(label("StatusZoom"), "Zoom 1x");
}

TEST_F(ToolWindows, EveryShortcutRunsItsCommand)
{
    const QString file = path("wall.m32");
    writeTexture(file, {{64, 64}});
    startEditor();
    frame->resize(1400, 1000);
    openThroughMenu(file);
    fake.fileCalls.clear();
    const auto press = [this](int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        w.properties->field("Edit2")->setFocus();
        QTest::keyClick(frame.get(), Qt::Key(key), modifiers);
        QApplication::processEvents();
        backFromMenu();
    };

    // Ctrl+Z takes the stroke back.
    const QRgb before = shown(10, 10);
    frame->toolSettings().setColour(255, 0, 0);
    stroke({QPoint(10, 10), QPoint(11, 10)}); // a press alone paints nothing
    ASSERT_NE(shown(10, 10), before);
    press(Qt::Key_Z);
    EXPECT_EQ(shown(10, 10), before);

    // Ctrl+S writes the named file at once; Ctrl+Shift+S asks, in the file's directory with its
    // name; Ctrl+E asks for the export there too.
    stroke({QPoint(3, 3), QPoint(4, 3)});
    ASSERT_TRUE(document.isModified());
    press(Qt::Key_S);
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(fake.fileCalls.empty());
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    EXPECT_TRUE(fake.fileCalls[0].save);
    EXPECT_EQ(fake.fileCalls[0].options.title, "Save as...");
    EXPECT_EQ(fake.fileCalls[0].options.directory, dir.path());
    EXPECT_EQ(fake.fileCalls[0].options.fileName, "wall.m32");
    press(Qt::Key_E);
    ASSERT_EQ(fake.fileCalls.size(), 2u);
    EXPECT_EQ(fake.fileCalls[1].options.fileName, "*.bmp");
    EXPECT_EQ(fake.fileCalls[1].options.directory, dir.path());
    // Ctrl+O and Ctrl+I: the open and the picture dialogs.
    press(Qt::Key_O);
    ASSERT_EQ(fake.fileCalls.size(), 3u);
    EXPECT_EQ(fake.fileCalls[2].options.fileName, "*.m32");
    press(Qt::Key_I);
    ASSERT_EQ(fake.fileCalls.size(), 4u);
    EXPECT_TRUE(fake.fileCalls[3].options.filter.contains("All Types"));

    // Ctrl+B the wizard, F1 the how-to window.
    press(Qt::Key_B);
    EXPECT_TRUE(w.wizard->isVisible());
    QTest::keyClick(w.wizard, Qt::Key_Escape);
    EXPECT_FALSE(w.wizard->isVisible());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == frame.get(); }));
    press(Qt::Key_F1, Qt::NoModifier);
    EXPECT_TRUE(w.howTo->isVisible());
    // Esc closes How to and About.
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.howTo));
    QTest::keyClick(w.howTo, Qt::Key_Escape);
    EXPECT_FALSE(w.howTo->isVisible());
    chooseMenu('h', 'b');
    ASSERT_TRUE(w.about->isVisible());
    EXPECT_EQ(w.about->findChild<QLabel*>("LabelVersion")->text(), "Version 1.2BETA");
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.about));
    QTest::keyClick(w.about, Qt::Key_Escape);
    EXPECT_FALSE(w.about->isVisible());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == frame.get(); }));

    // Ctrl+N renews the texture; Ctrl+Q asks as Exit does, and only Yes ends.
    press(Qt::Key_N);
    EXPECT_TRUE(document.currentFile().isEmpty());
    fake.questionAnswers = {QMessageBox::No, QMessageBox::Yes};
    press(Qt::Key_Q);
    ASSERT_EQ(fake.questionCalls.size(), 1u);
    EXPECT_EQ(fake.questionCalls[0].text, "Are you sure you want to exit?");
    EXPECT_TRUE(frame->isVisible());
    press(Qt::Key_Q);
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(ToolWindows, TheNoticeHasTheFocusAtStartSoSpaceOrEscCloseIt)
{
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Escape}) {
        startEditor();
        showAtStart(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.notice));
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::focusWidget() == w.notice->button1(); }))
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() + " in " +
                                                  QApplication::focusWidget()->window()->objectName().toStdString()
                                            : "none");
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_FALSE(w.notice->isVisible());
        // The frame is active again, its title as it was.
        EXPECT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == frame.get(); }));
        closeEditor();
    }
}

TEST_F(ToolWindows, StartSizeNameFieldBeepsScientificTooltipsAndDropsOnFields)
{
    startEditor();
    // Save right after start writes level 1 as 128 x 128, with no level present.
    const QString first = path("first.m32");
    fake.fileAnswers.push_back(first);
    chooseMenu('f', 's');
    const M32Header written = decodeM32Header(readFile(first).constData());
    EXPECT_EQ(written.widths[0], 128);
    EXPECT_EQ(written.heights[0], 128);
    EXPECT_EQ(written.offsets[0], 0);

    // A name field refuses the 129th character and one outside Windows-1252 with the beep.
    QLineEdit* name = w.properties->field("Edit2");
    name->setFocus();
    QTest::keyClicks(name, QString(128, u'a'));
    EXPECT_EQ(fake.beeps, 0);
    QTest::keyClicks(name, QStringLiteral("b"));
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_EQ(name->text(), QString(128, u'a'));
    name->clear();
    // Typed as a keyboard layout gives it (Qt Test types Latin-1 only).
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x0100)));
    QApplication::sendEvent(name, &typed);
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_TRUE(name->text().isEmpty());

    // The scientific fields show their whole text as a tooltip.
    HeaderTexts texts;
    texts.dt_u = "0.5";
    const QString wall = path("wall.m32");
    writeTexture(wall, {{16, 16}}, texts);
    // A texture dropped onto a field opens; it types no path into the field.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(wall)});
    QLineEdit* field = w.properties->field("Edit12");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    fake.questionAnswers.push_back(QMessageBox::No);
    QApplication::sendEvent(field, &drop);
    EXPECT_EQ(document.currentFile(), wall);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(w.properties->field("Edit17")->toolTip(), " 5.00000000000000E-0001");
    EXPECT_EQ(w.properties->field("Edit19")->toolTip(), " 0.00000000000000E+0000");
}

} // namespace
} // namespace quorvel::test

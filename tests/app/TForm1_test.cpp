// The frame as a user meets it: its menus, the file commands with their dialogs, the title, the
// settings file and the recent files, Exit, dropping a file and the file named at start.
#include "tests/support/EditorFixture.h"
#include "tests/windows/ImportFiles.h"

#include "base/Paths.h"
#include "windows/TForm11.h"
#include "windows/TForm7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
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
        {"View1", "&Tiled preview", true},                           {"About1", "H&ow to", true},
        {"About1", "-", true},
        {"About1", "A&bout Quorvel", true},
    };
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions()) menus.append(a->text());
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Help"}));
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
    EXPECT_EQ(frame->workspace()->subWindowList().size(), 4);
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
    EXPECT_EQ(fake.errors, QStringList{"File not found"});
    EXPECT_EQ(document.currentFile(), wall);
    EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"wall.m32\" (M32 v4)");
    EXPECT_EQ(w.levels->comboBox()->count(), 1);
    EXPECT_EQ(frame->settings().recentFiles[0], missing);
    EXPECT_EQ(frame->settings().recentFiles[1], wall);

    const QString shortFile = path("short.m32");
    writeFile(shortFile, QByteArray(100, 'x'));
    openThroughMenu(shortFile);
    EXPECT_EQ(fake.errors.last(), "Read beyond end of file");
    EXPECT_EQ(document.currentFile(), wall);

    chooseMenu('f', 's');
    EXPECT_TRUE(fake.fileCalls.size() == 3u); // no save dialog: the document is named
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
    EXPECT_EQ(fake.errors[0], "File not found");
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
    EXPECT_EQ(fake.errors, QStringList{"File not found"});
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.texts().name, "moss");
}

} // namespace
} // namespace quorvel::test

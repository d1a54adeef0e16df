// The batch conversion wizard through the real windows: its pages and the Back/Next/Finish
// enabling of every step, Add and Remove with the file dialog, the output directory tree, a run
// over several files (byte for byte what quorvel-cli convert writes), a run that stops at a
// file that is gone, and the Flag and Alpha boxes refused at Finish.
#include "tests/cli/CliRun.h"
#include "tests/windows/ImportFiles.h"

#include "graphics/PictureRegistry.h"
#include "windows/TForm11.h"

#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtEndian>

namespace quorvel::test {
namespace {

class Wizard : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath("in"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
    }

    QString picture(const QString& name, const QByteArray& bytes)
    {
        const QString file = path("in/" + name);
        writeFile(file, bytes);
        return file;
    }
    TForm11* openWizard()
    {
        chooseMenu('f', 'b');
        EXPECT_TRUE(w.wizard->isVisible());
        return w.wizard;
    }
    void next() { QTest::mouseClick(w.wizard->nextButton(), Qt::LeftButton); }
    void back() { QTest::mouseClick(w.wizard->backButton(), Qt::LeftButton); }
    void add(const QStringList& files)
    {
        fake.fileListAnswers.push_back(files);
        QTest::mouseClick(w.wizard->addButton(), Qt::LeftButton);
    }
    void removeEntry(int row)
    {
        QListWidget* list = w.wizard->fileList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        QTest::mouseClick(w.wizard->removeButton(), Qt::LeftButton);
    }
    static void type(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    int visiblePage() const
    {
        int shown = 0;
        for (int p = 1; p <= 4; ++p)
            if (w.wizard->page(p)->isVisible()) shown = shown == 0 ? p : -1;
        return shown;
    }
    // The page shown, Next's caption and whether Next and Back are enabled.
    void expectButtons(int page, const char* nextCaption, bool nextEnabled, bool backEnabled)
    {
        EXPECT_EQ(visiblePage(), page);
        EXPECT_EQ(w.wizard->step(), page);
        EXPECT_EQ(w.wizard->nextButton()->text(), QString::fromLatin1(nextCaption));
        EXPECT_EQ(w.wizard->nextButton()->isEnabled(), nextEnabled);
        EXPECT_EQ(w.wizard->backButton()->isEnabled(), backEnabled);
    }
    QStringList listed() const
    {
        QStringList texts;
        for (int i = 0; i < w.wizard->fileList()->count(); ++i) texts.append(w.wizard->fileList()->item(i)->text());
        return texts;
    }
    static int levelsIn(const QByteArray& m32)
    {
        int count = 0;
        while (count < 16 && m32.size() >= 968 && qFromLittleEndian<qint32>(m32.constData() + 580 + 4 * count) != 0) ++count;
        return count;
    }
};

TEST_F(Wizard, PagesAndButtonsFollowTheSteps)
{
    startEditor();
    frame->setImportDirectory(path("in"));
    TForm11* wizard = openWizard();
    EXPECT_EQ(wizard->windowTitle(), "Batch conversion Wizard");
    EXPECT_EQ(wizard->backButton()->text(), "<= &Back");
    EXPECT_EQ(wizard->cancelButton()->text(), "&Cancel");
    EXPECT_EQ(wizard->mipmapsOption()->text(), "Create m32 and mipmaps for every image");
    EXPECT_EQ(wizard->oneLevelOption()->text(), "Create m32 with no mipmaps for every image");
    EXPECT_TRUE(wizard->mipmapsOption()->isChecked());
    EXPECT_EQ(wizard->flagBox()->text(), "2048");
    EXPECT_EQ(wizard->alphaBox()->text(), "255");
    EXPECT_EQ(wizard->page(2)->findChild<QLabel*>("Label1")->text(), "Add  the files you wish to convert to m32.");
    EXPECT_EQ(wizard->page(3)->findChild<QLabel*>("Label11")->text(), "Click the FINISH button to start processing.");
    EXPECT_EQ(wizard->processfile()->text(), "-");
    expectButtons(1, "&Next", true, false);

    // Page 2 with an empty list: Next disabled until Add; removing the last entry disables it.
    next();
    expectButtons(2, "&Next", false, true);
    const QString a = path("in/a.bmp"), b = path("other/b.gif");
    add({a, b});
    ASSERT_EQ(fake.fileCalls.size(), 1u);
    const FileDialogOptions& o = fake.fileCalls[0].options;
    EXPECT_EQ(o.directory, path("in"));
    // Our own kinds first, then those of the platform's plugins that are installed.
    EXPECT_EQ(o.fileName, picturePatterns().join(u';'));
    EXPECT_TRUE(o.fileName.startsWith("*.bmp;*.blz;*.dib;*.ico;*.emf;*.wmf;*.gif;*.pcx;*.tga;*.png;*.jpg;*.jpeg"));
    EXPECT_EQ(o.filter, ".bmp;.ico;.emf;.wmf;.tga (" + picturePatterns().join(u' ') + ")");
    EXPECT_TRUE(o.hideFilterPatterns);
    EXPECT_EQ(listed(), (QStringList{a, b}));
    expectButtons(2, "&Next", true, true);
    // The import directory is now the first file's; duplicates are kept.
    EXPECT_EQ(frame->settings().importDirectory, path("in"));
    add({b, a});
    EXPECT_EQ(frame->settings().importDirectory, path("other"));
    EXPECT_EQ(listed(), (QStringList{a, b, b, a}));
    add({}); // cancelled: nothing changes
    EXPECT_EQ(fake.fileCalls[2].options.directory, path("other"));
    EXPECT_EQ(listed().size(), 4);

    // Remove takes the selected entry only.
    wizard->fileList()->clearSelection();
    QTest::mouseClick(wizard->removeButton(), Qt::LeftButton);
    EXPECT_EQ(listed().size(), 4);
    removeEntry(1);
    EXPECT_EQ(listed(), (QStringList{a, b, a}));
    removeEntry(2);
    removeEntry(0);
    expectButtons(2, "&Next", true, true);
    removeEntry(0);
    EXPECT_TRUE(listed().isEmpty());
    expectButtons(2, "&Next", false, true);

    // Back to page 1 enables Next again; Next on page 1 disables it again.
    back();
    expectButtons(1, "&Next", true, false);
    next();
    expectButtons(2, "&Next", false, true);
    add({a});
    next();
    expectButtons(3, "&Finish", true, true);
    back();
    expectButtons(2, "&Next", true, true);
    next();
    expectButtons(3, "&Finish", true, true);

    // Cancel closes; showing again starts at page 1 with an empty list, the boxes as they were.
    wizard->mipmapsOption()->setChecked(false);
    wizard->oneLevelOption()->setChecked(true);
    back();
    back();
    type(wizard->flagBox(), "7");
    QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(wizard->isVisible());
    openWizard();
    expectButtons(1, "&Next", true, false);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_TRUE(wizard->mipmapsOption()->isChecked());
    EXPECT_EQ(wizard->flagBox()->text(), "7");
    QTest::keyClick(wizard, Qt::Key_Escape);
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(document.levelCount(), 0);
}

TEST_F(Wizard, OutputDirectoryTreeShowsDirectoriesAndKeepsTheChoice)
{
    startEditor();
    TForm11* wizard = openWizard();
    const auto* model = qobject_cast<const QFileSystemModel*>(wizard->directoryTree()->model());
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(model->filter() & QDir::Files);
    EXPECT_TRUE(model->filter() & QDir::AllDirs);
    EXPECT_EQ(wizard->outputDirectory(), QDir::currentPath());
    EXPECT_EQ(model->filePath(wizard->directoryTree()->currentIndex()), QDir::currentPath());

    wizard->chooseOutputDirectory(path("out"));
    EXPECT_EQ(model->filePath(wizard->directoryTree()->currentIndex()), path("out"));
    QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
    openWizard();
    EXPECT_EQ(wizard->outputDirectory(), path("out"));
    QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
}

TEST_F(Wizard, FinishConvertsEveryFileAsTheCommandLineDoes)
{
    const QString a = picture("a.bmp", bmpOf(256, 256));
    const QString b = picture("b.gif", gifOf(64, 64));
    const QString rock = picture("ROCK.TGA", tgaOf(16, 8));
    writeFile(path("out/b.m32"), "an older file");
    startEditor();

    struct Row {
        bool mipmaps;
        std::vector<int> levels; // of a.m32, b.m32, ROCK.m32
    } rows[] = {{true, {9, 7, 5}}, {false, {1, 1, 1}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.mipmaps ? "mipmaps" : "no mipmaps");
        fake.beeps = 0;
        TForm11* wizard = openWizard();
        (r.mipmaps ? wizard->mipmapsOption() : wizard->oneLevelOption())->setChecked(true);
        type(wizard->flagBox(), "1");
        type(wizard->alphaBox(), "128");
        wizard->chooseOutputDirectory(path("out"));
        next();
        add({a, b, rock});
        next();
        std::vector<int> totals;
        const QMetaObject::Connection recording =
            QObject::connect(wizard->totalbar(), &QProgressBar::valueChanged, [&](int v) { totals.push_back(v); });
        next(); // Finish
        EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
        EXPECT_FALSE(wizard->isVisible());
        EXPECT_EQ(wizard->totalbar()->maximum(), 3);
        QObject::disconnect(recording);
        // One step per file converted before the last, from 0.
        ASSERT_GE(totals.size(), 2u);
        EXPECT_EQ(std::vector<int>(totals.end() - 2, totals.end()), (std::vector<int>{1, 2}));
        EXPECT_EQ(wizard->m32bar()->maximum(), 13);
        EXPECT_EQ(wizard->processfile()->text(), rock);
        EXPECT_EQ(fake.beeps, 1); // the Targa, drawn onto a bitmap

        const QString outputs[] = {path("out/a.m32"), path("out/b.m32"), path("out/ROCK.m32")};
        for (int i = 0; i < 3; ++i) {
            const QByteArray bytes = readFile(outputs[i]);
            EXPECT_EQ(levelsIn(bytes), r.levels[i]) << i;
            EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 708), 1);
            bool half = bytes.size() > 968;
            for (qsizetype at = 968 + 3; at < bytes.size(); at += 4) half = half && quint8(bytes[at]) == 128;
            EXPECT_TRUE(half) << i;
        }
        // The document is the last texture, named after its output.
        EXPECT_EQ(document.currentFile(), outputs[2]);
        EXPECT_EQ(document.levelCount(), r.levels[2]);
        EXPECT_EQ(frame->windowTitle(), "Quorvel v1.2BETA \"ROCK.m32\" (M32 v4)");
        EXPECT_EQ(w.properties->field("Edit6")->text(), "1");

        // quorvel-cli convert with the same options writes the same bytes.
        QTemporaryDir cliOut;
        QStringList args{"convert", "--flags", "1", "--alpha", "128", "--output", cliOut.path()};
        if (!r.mipmaps) args << "--no-mipmaps";
        const CliRun run = runCli(args << a << b << rock);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        for (const QString& output : outputs)
            EXPECT_EQ(readAll(QDir(cliOut.path()).filePath(QFileInfo(output).fileName())), readFile(output)) << output.toStdString();
    }
}

TEST_F(Wizard, AFileGoneSinceItWasAddedStopsTheRunOnPageFour)
{
    const QString first = picture("first.bmp", bmpOf(8, 8));
    const QString gone = picture("gone.bmp", bmpOf(8, 8));
    const QString third = picture("third.bmp", bmpOf(8, 8));
    // A picture without pixels stops the run the same way: no texture without levels is written.
    const QString empty = picture("empty.tga", tgaOf(0, 10));
    startEditor();
    const std::pair<QString, QString> rows[] = {{gone, "Cannot open file " + gone},
                                                {empty, "The picture is empty (0 x 10)"}};
    for (const auto& [failing, message] : rows) {
        SCOPED_TRACE(failing.toStdString());
        fake.errors.clear();
        TForm11* wizard = openWizard();
        wizard->chooseOutputDirectory(path("out"));
        next();
        add({first, failing, third});
        next();
        if (failing == gone) {
            ASSERT_TRUE(QFile::remove(gone));
        }
        next(); // Finish
        EXPECT_EQ(fake.errors, QStringList{message});
        EXPECT_TRUE(wizard->isVisible());
        EXPECT_EQ(visiblePage(), 4);
        EXPECT_FALSE(wizard->nextButton()->isEnabled());
        EXPECT_FALSE(wizard->backButton()->isEnabled());
        EXPECT_EQ(wizard->processfile()->text(), failing);
        EXPECT_EQ(wizard->totalbar()->value(), 1);
        EXPECT_EQ(QDir(path("out")).entryList(QDir::Files), QStringList{"first.m32"});
        EXPECT_EQ(document.currentFile(), path("out/first.m32"));
        EXPECT_EQ(document.levelCount(), 4);
        QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
        EXPECT_FALSE(wizard->isVisible());
    }
}

TEST_F(Wizard, FlagAndAlphaThatAreNoFitNumbersAreRefusedAtFinish)
{
    const QString a = picture("a.bmp", bmpOf(8, 8));
    startEditor();
    writeTexture(path("t.m32"), {{4, 4}});
    openThroughMenu(path("t.m32"));
    const QByteArray before = document.saveToBytes();
    struct Row {
        const char* flag;
        const char* alpha;
        const char* message;
    } rows[] = {
        {"2048", "256", "The Alpha value must be a whole number from 0 to 255, not \"256\""},
        {"2048", "-1", "The Alpha value must be a whole number from 0 to 255, not \"-1\""},
        {"2048", "half", "The Alpha value must be a whole number from 0 to 255, not \"half\""},
        {"2147483648", "255", "The Flag value must be a whole number from -2147483648 to 2147483647, not \"2147483648\""},
        {"1x", "255", "The Flag value must be a whole number from -2147483648 to 2147483647, not \"1x\""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        fake.errors.clear();
        TForm11* wizard = openWizard();
        type(wizard->flagBox(), QString::fromLatin1(r.flag));
        type(wizard->alphaBox(), QString::fromLatin1(r.alpha));
        wizard->chooseOutputDirectory(path("out"));
        next();
        add({a});
        next();
        next(); // Finish
        EXPECT_EQ(fake.errors, QStringList{QString::fromLatin1(r.message)});
        // Still on page 3, so the user can go back and put the box right.
        expectButtons(3, "&Finish", true, true);
        EXPECT_TRUE(QDir(path("out")).entryList(QDir::Files).isEmpty());
        EXPECT_EQ(document.currentFile(), path("t.m32"));
        EXPECT_EQ(document.saveToBytes(), before);
        QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
    }
}

// Empty Flag and Alpha boxes read as 0, as every number box does.
TEST_F(Wizard, EmptyFlagAndAlphaBoxesAreZero)
{
    const QString a = picture("a.bmp", bmpOf(4, 4));
    startEditor();
    TForm11* wizard = openWizard();
    type(wizard->flagBox(), "");
    type(wizard->alphaBox(), "");
    wizard->chooseOutputDirectory(path("out"));
    next();
    add({a});
    next();
    next(); // Finish
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    const QByteArray bytes = readFile(path("out/a.m32"));
    ASSERT_EQ(bytes.size(), 968 + 4 * (16 + 4 + 1));
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 708), 0);
    for (qsizetype at = 968 + 3; at < bytes.size(); at += 4) EXPECT_EQ(bytes[at], '\0') << at;
    type(wizard->flagBox(), "2048");
    type(wizard->alphaBox(), "255");
}

// Files that would write one m32 file are shown at Finish: No goes back to page 3 with nothing
// written, Yes converts them all, the later replacing the earlier.
TEST_F(Wizard, FilesWritingOneOutputAreShownAndConvertedOnlyWhenAsked)
{
    const QString bmp = picture("rock.bmp", bmpOf(8, 8)), tga = picture("rock.tga", tgaOf(4, 4));
    const QString wall = picture("wall.bmp", bmpOf(2, 2));
    startEditor();
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        fake.questionCalls.clear();
        TForm11* wizard = openWizard();
        wizard->chooseOutputDirectory(path("out"));
        next();
        add({bmp, wall, tga, wall});
        next();
        fake.questionAnswers = {answer};
        next(); // Finish
        ASSERT_EQ(fake.questionCalls.size(), 1u);
        EXPECT_EQ(fake.questionCalls[0].title, "Confirm");
        EXPECT_EQ(fake.questionCalls[0].buttons, QMessageBox::Yes | QMessageBox::No);
        const QString& text = fake.questionCalls[0].text;
        EXPECT_TRUE(text.contains(bmp + ": also written by " + tga + "\n" + tga + ": also written by " + bmp))
            << text.toStdString();
        EXPECT_FALSE(text.contains(wall + ":")) << "a file listed twice writes its own output";
        if (answer == QMessageBox::No) {
            expectButtons(3, "&Finish", true, true);
            EXPECT_TRUE(QDir(path("out")).entryList(QDir::Files).isEmpty());
            QTest::mouseClick(wizard->cancelButton(), Qt::LeftButton);
        } else {
            EXPECT_FALSE(wizard->isVisible());
            EXPECT_EQ(QDir(path("out")).entryList(QDir::Files), (QStringList{"rock.m32", "wall.m32"}));
            EXPECT_EQ(readFile(path("out/rock.m32")).mid(580, 4), QByteArray("\4\0\0\0", 4)) << "rock.tga's";
        }
    }
}

} // namespace
} // namespace quorvel::test

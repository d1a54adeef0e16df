// The how-to window in the real frame: Help > How to shows it beside the editing windows with
// both help texts, every showing reads them again, a file that cannot be read is reported once
// and leaves what was not reached as it was, and closing it only hides it.
#include "tests/support/EditorFixture.h"

#include "windows/TForm9.h"

#include <QPlainTextEdit>
#include <QTabWidget>

namespace quorvel::test {
namespace {

class HowTo : public EditorTest {
protected:
    // The editor, its how-to window reading from the test's directory.
    void startWithHelp(const QByteArray& textures, const QByteArray& icons)
    {
        writeFile(path("textures.txt"), textures);
        writeFile(path("icons.txt"), icons);
        startEditor();
        w.howTo->setHelpDirectories({dir.path()});
    }
    void showThroughMenu() { chooseMenu('h', 'o'); }
    QString texts() const { return w.howTo->memo1()->toPlainText() + u'|' + w.howTo->memo2()->toPlainText(); }
};

TEST_F(HowTo, MenuShowsBothTextsOnTheirTabsWithoutBlockingTheEditor)
{
    startWithHelp("Import a picture.\nThen save.\n", "Paint alpha.\n");
    EXPECT_FALSE(w.howTo->isVisible());
    showThroughMenu();
    ASSERT_TRUE(w.howTo->isVisible());
    EXPECT_FALSE(w.howTo->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(w.howTo->windowTitle(), "How to...");
    EXPECT_EQ(w.howTo->size(), QSize(640, 480));
    EXPECT_TRUE(w.howTo->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTabWidget* pages = w.howTo->pageControl();
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Make textures");
    EXPECT_EQ(pages->tabText(1), "Make icons/portraits");
    EXPECT_EQ(pages->currentIndex(), 0);
    for (QPlainTextEdit* memo : {w.howTo->memo1(), w.howTo->memo2()}) {
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }
    EXPECT_EQ(texts(), "Import a picture.\nThen save.|Paint alpha.");
    EXPECT_TRUE(fake.errors.isEmpty());
    // The editor goes on working beside it.
    chooseMenu('f', 'n');
    EXPECT_TRUE(w.howTo->isVisible());
}

TEST_F(HowTo, EveryShowingReadsTheFilesAgainAndClosingOnlyHides)
{
    startWithHelp("first", "one");
    showThroughMenu();
    EXPECT_EQ(texts(), "first|one");
    TForm9* window = w.howTo;
    window->close();
    EXPECT_FALSE(window->isVisible());
    // Line ends of any kind come out as lines.
    writeFile(path("textures.txt"), "second\r\nline\r\n");
    writeFile(path("icons.txt"), "two\rthree");
    showThroughMenu();
    EXPECT_EQ(w.howTo, window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(texts(), "second\nline|two\nthree");
    EXPECT_TRUE(fake.errors.isEmpty());
}

TEST_F(HowTo, AFileThatCannotBeReadIsReportedOnceAndWhatFollowsIsNotRead)
{
    struct Row {
        const char* missing;
        const char* shown; // Memo1|Memo2 after the second showing
    } rows[] = {
        {"textures.txt", "old textures|old icons"}, // icons.txt is not read either
        {"icons.txt", "new textures|old icons"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.missing);
        startWithHelp("old textures", "old icons");
        showThroughMenu();
        EXPECT_EQ(texts(), "old textures|old icons");
        w.howTo->close();
        writeFile(path("textures.txt"), "new textures");
        writeFile(path("icons.txt"), "new icons");
        ASSERT_TRUE(QFile::remove(path(r.missing)));
        showThroughMenu();
        EXPECT_EQ(fake.errors, QStringList{"Cannot open file " + path(r.missing)});
        EXPECT_EQ(texts(), r.shown);
        EXPECT_TRUE(w.howTo->isVisible());
        fake.errors.clear();
        closeEditor();
    }
}

TEST_F(HowTo, TheProgramLooksBesideItselfFirst)
{
    startEditor();
    w.howTo->setHelpDirectories({path("nowhere"), dir.path()});
    writeFile(path("textures.txt"), "found second");
    writeFile(path("icons.txt"), "icons");
    showThroughMenu();
    EXPECT_EQ(texts(), "found second|icons");
    EXPECT_TRUE(fake.errors.isEmpty());
}

} // namespace
} // namespace quorvel::test

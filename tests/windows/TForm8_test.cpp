// The About window in the real frame: Help > About Quorvel shows it beside the editing windows,
// centred, with its thirteen lines, and closing it only hides it.
#include "tests/support/EditorFixture.h"

#include "windows/TForm8.h"

#include <QLabel>
#include <QScreen>

namespace quorvel::test {
namespace {

using About = EditorTest;

TEST_F(About, MenuShowsTheCreditsCentredAndClosingOnlyHides)
{
    startEditor();
    ASSERT_FALSE(w.about->isVisible());
    chooseMenu('h', 'b');
    TForm8* about = w.about;
    ASSERT_TRUE(about->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(about->windowTitle(), "About Quorvel");
    EXPECT_EQ(about->size(), QSize(506, 330));
    EXPECT_TRUE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_LE((about->frameGeometry().center() - about->screen()->availableGeometry().center()).manhattanLength(), 2);

    QStringList lines;
    for (int i = 1; i <= 13; ++i) {
        const auto* label = about->findChild<QLabel*>(QStringLiteral("Label%1").arg(i));
        ASSERT_NE(label, nullptr) << i;
        // Every line is inside the window and none overlaps the one above it.
        EXPECT_TRUE(about->rect().contains(label->geometry())) << i;
        if (i > 1) {
            EXPECT_GE(label->y(), about->findChild<QLabel*>(QStringLiteral("Label%1").arg(i - 1))->geometry().bottom()) << i;
        }
        lines.append(label->text());
    }
    EXPECT_EQ(lines[0], "Quorvel was created and programmed by");
    EXPECT_EQ(lines[1], "the Quorvel developers");
    EXPECT_EQ(lines[2], "Special thanx go to:");
    // Each project thanked: its name and role, then two lines of thanks.
    EXPECT_TRUE(lines[3].startsWith("Qt - "));
    EXPECT_TRUE(lines[6].startsWith("GoogleTest - "));
    EXPECT_TRUE(lines[9].startsWith("LLVM's libFuzzer - "));
    EXPECT_TRUE(lines[12].contains("\"Reporting problems\" in the README"));

    about->close();
    EXPECT_FALSE(about->isVisible());
    chooseMenu('h', 'b');
    EXPECT_EQ(w.about, about);
    EXPECT_TRUE(about->isVisible());
}

} // namespace
} // namespace quorvel::test

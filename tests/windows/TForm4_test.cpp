// The level list inside the real frame: its entries, choosing a level, and removing levels
// with the table recomputed and the pixels moved with their levels.
#include "tests/support/EditorFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace quorvel::test {
namespace {

using LevelList = EditorTest;

QStringList entries(const QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts.append(combo->itemText(i));
    return texts;
}

TEST_F(LevelList, ChoosingAnEntryShowsItsLevelAtZoomOne)
{
    const QString file = path("t.m32");
    writeTexture(file, {{256, 256}, {128, 128}, {64, 64}});
    startEditor();
    EXPECT_EQ(w.levels->findChild<QLabel*>("Label22")->text(), "Mipmaps:");
    // "add" does nothing until it is given the add-a-mipmap dialog, which the editor does.
    EXPECT_FALSE(TForm4(document).addButton()->isEnabled());
    EXPECT_TRUE(w.levels->addButton()->isEnabled());
    EXPECT_EQ(w.levels->addButton()->text(), "add");
    openThroughMenu(file);
    QComboBox* combo = w.levels->comboBox();
    EXPECT_EQ(entries(combo), (QStringList{"256 * 256", "128 * 128", "64 * 64"}));

    w.view->zoomIn();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(document.currentLevel(), 2);
    EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(128, 128));
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(document.currentLevel(), 3);
    EXPECT_EQ(w.view->levelCanvas()->size(), QSize(64, 64));
}

TEST_F(LevelList, RemovingMovesTheLaterLevelsDownAndRecomputesTheOffsets)
{
    const QString file = path("t.m32");
    writeTexture(file, {{256, 256}, {128, 128}, {64, 64}});
    startEditor();
    openThroughMenu(file);
    const QImage third = document.levelImage(3);
    const QImage thirdAlpha = document.alphaPlane(3);

    struct Row {
        int entry; // chosen before "remove"
        QStringList entries;
        std::vector<QSize> sizes;
        std::vector<int> offsets;
    } rows[] = {
        {1, {"256 * 256", "64 * 64"}, {{256, 256}, {64, 64}}, {968, 968 + 262144, 0}},
        {1, {"256 * 256"}, {{256, 256}}, {968, 0, 0}},
        {0, {}, {}, {0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.entries.join(", ").toStdString());
        w.levels->ShowwM32(r.entry);
        w.view->zoomIn();
        QTest::mouseClick(w.levels->removeButton(), Qt::LeftButton);
        EXPECT_EQ(entries(w.levels->comboBox()), r.entries);
        EXPECT_EQ(document.levelCount(), int(r.sizes.size()));
        for (std::size_t k = 0; k < r.sizes.size(); ++k) EXPECT_EQ(document.levelSize(int(k) + 1), r.sizes[k]);
        for (std::size_t k = 0; k < r.offsets.size(); ++k) EXPECT_EQ(document.header().offsets[k], r.offsets[k]) << k;
        for (int k = 3; k < 16; ++k) EXPECT_EQ(document.header().offsets[k], 0);
        // The first level is shown at zoom 1.
        EXPECT_EQ(document.currentLevel(), 1);
        EXPECT_EQ(w.view->windowTitle(), "[zoom 1x]");
        EXPECT_EQ(w.levels->comboBox()->currentIndex(), r.entries.isEmpty() ? -1 : 0);
        EXPECT_EQ(w.view->levelCanvas()->size(), document.levelSize(1));
        if (&r == &rows[0]) {
            // Level 3's pixels and alpha went down with it.
            EXPECT_EQ(document.levelImage(2), third);
            EXPECT_EQ(document.alphaPlane(2), thirdAlpha);
        }
    }
    EXPECT_EQ(fake.beeps, 0);
    // Nothing left to remove: the beep, and nothing changes.
    QTest::mouseClick(w.levels->removeButton(), Qt::LeftButton);
    EXPECT_EQ(fake.beeps, 1);
    EXPECT_TRUE(fake.errors.isEmpty());

    // The removal reaches the file at the next save: the header alone.
    chooseMenu('f', 's');
    EXPECT_EQ(readFile(file).size(), 968);
}

} // namespace
} // namespace quorvel::test

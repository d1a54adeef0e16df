// The level list inside the real frame: its entries, choosing a level, and removing levels
// with the table recomputed and the pixels moved with their levels.
#include "tests/support/EditorFixture.h"
#include "import/ChainFilters.h"
#include "import/Export.h"
#include "import/MipmapChain.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/TForm7.h"

#include <QCheckBox>
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

// A picture with alpha of its own, written as a PNG.
QString pngPicture(const QString& path, int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgba(x * 30 + seed, y * 40, seed, 100 + x + y));
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

TEST_F(LevelList, ReplaceAndRebuildThroughTheWindowsAndUndo)
{
    writeTexture(path("t.m32"), {{16, 8}, {8, 4}, {4, 2}, {2, 1}});
    startEditor();
    EXPECT_TRUE(w.levels->replaceButton()->isEnabled());
    EXPECT_EQ(w.levels->replaceButton()->text(), "replace…");
    openThroughMenu(path("t.m32"));
    QComboBox* combo = w.levels->comboBox();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(document.currentLevel(), 2);
    const QImage colourBefore = document.levelImage(2), alphaBefore = document.alphaPlane(2);

    // Without "Use the picture's alpha" the level keeps its alpha; the colour is taken as stored.
    const QString picture = pngPicture(path("tuned.png"), 8, 4, 9);
    fake.fileAnswers.push_back(picture);
    QTest::mouseClick(w.levels->replaceButton(), Qt::LeftButton);
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    const QImage colour = QImage(picture).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(document.alphaPlane(2), alphaBefore);
    EXPECT_EQ(document.levelImage(2), blendedOverGrey(colour, alphaBefore));
    EXPECT_TRUE(frame->menuAction("Undo1")->isEnabled());
    chooseMenu('e', 'u');
    EXPECT_EQ(document.levelImage(2), colourBefore);
    EXPECT_EQ(document.alphaPlane(2), alphaBefore);

    // With it, through File > Replace level…, the alpha comes too.
    w.importDialog->chainChoices()->ownAlphaBox()->setChecked(true);
    fake.fileAnswers.push_back(picture);
    chooseMenu('f', 'r');
    QImage alpha = QImage(picture).convertToFormat(QImage::Format_Alpha8);
    alpha.reinterpretAsFormat(QImage::Format_Grayscale8);
    EXPECT_EQ(document.alphaPlane(2), alpha);
    EXPECT_EQ(document.levelImage(2), blendedOverGrey(colour, alpha));
    const QImage replaced = document.levelImage(2);

    // A picture of another size is refused, nothing changed, and Undo still takes back the replace.
    fake.fileAnswers.push_back(pngPicture(path("wrong.png"), 16, 8, 1));
    QTest::mouseClick(w.levels->replaceButton(), Qt::LeftButton);
    EXPECT_EQ(fake.errors, QStringList{"The picture is 16 x 8; level 2 is 8 x 4"});
    EXPECT_EQ(document.levelImage(2), replaced);

    // Rebuild from level 2: levels 3 and 4 are its halvings, level 1 is left; Undo puts both back.
    fake.errors.clear();
    const QImage level3 = document.levelImage(3), level4 = document.levelImage(4), level1 = document.levelImage(1);
    chooseMenu('e', 'r');
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    EXPECT_EQ(document.levelImage(1), level1);
    TextureDocument expected;
    expected.appendLevel(8, 4, QString());
    expected.appendLevel(4, 2, QString());
    expected.appendLevel(2, 1, QString());
    expected.setLevelPixels(1, replaced, alpha);
    rebuildSmallerLevels(expected, 1, w.importDialog->chainChoices()->choices().options());
    EXPECT_EQ(document.levelImage(3), expected.levelImage(2));
    EXPECT_EQ(document.levelImage(4), expected.levelImage(3));
    EXPECT_EQ(document.alphaPlane(3), expected.alphaPlane(2));
    EXPECT_NE(document.levelImage(3), level3);
    document.setCurrentLevel(4);
    chooseMenu('e', 'u');
    EXPECT_EQ(document.currentLevel(), 2);
    EXPECT_EQ(document.levelImage(3), level3);
    EXPECT_EQ(document.levelImage(4), level4);
    EXPECT_EQ(document.levelImage(2), replaced);
    // The replace before the rebuild is the next step to undo.
    EXPECT_EQ(frame->menuAction("Undo1")->text(), "&Undo Replace level");
    chooseMenu('e', 'u');
    EXPECT_EQ(document.levelImage(2), colourBefore);
    EXPECT_EQ(document.alphaPlane(2), alphaBefore);
    EXPECT_FALSE(frame->menuAction("Undo1")->isEnabled());
}

TEST_F(LevelList, RebuildIsRefusedWhereTheSmallerLevelsAreNotHalvings)
{
    writeTexture(path("odd.m32"), {{16, 8}, {8, 8}});
    startEditor();
    openThroughMenu(path("odd.m32"));
    const QImage second = document.levelImage(2);
    chooseMenu('e', 'r');
    EXPECT_EQ(fake.errors, QStringList{"Level 2 is 8 x 8, not the halving of level 1 (16 x 8); only halvings can be rebuilt"});
    EXPECT_EQ(document.levelImage(2), second);
    EXPECT_FALSE(frame->menuAction("Undo1")->isEnabled());
}

} // namespace
} // namespace quorvel::test

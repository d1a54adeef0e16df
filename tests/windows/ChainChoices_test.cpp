// The chain choices in the import dialog and the wizard's first page, through the real windows:
// what is chosen reaches the chain (the levels are what the core makes with the same choices),
// the coverage is offered only with the picture's alpha, and the choices are kept beside the
// settings file, whose lines stay as they were.
#include "tests/windows/ImportFiles.h"

#include "import/BatchConversion.h"
#include "import/ChainChoices.h"
#include "import/ImportedPicture.h"
#include "windows/ChainChoicesPanel.h"
#include "windows/TForm11.h"
#include "windows/TForm7.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

namespace quorvel::test {
namespace {

// A 32-bit Targa, rows from the top, its alpha running over the picture.
QByteArray tgaWithAlpha(int width, int height)
{
    Bytes b;
    b.u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(32).u8(0x28);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb c = patternAt(x, y);
            b.u8s({qBlue(c), qGreen(c), qRed(c), (x * 37 + y * 11) & 255});
        }
    return b;
}

class ChainChoicesWindows : public EditorTest {
protected:
    // Chooses as a user does: the combo by keys, the boxes by clicks, the value typed.
    static void choose(ChainChoicesPanel* panel, int resampling, bool ownAlpha, bool coverage, const QString& value)
    {
        QComboBox* combo = panel->resamplingBox();
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < resampling; ++i) QTest::keyClick(combo, Qt::Key_Down);
        if (panel->ownAlphaBox()->isChecked() != ownAlpha) QTest::mouseClick(panel->ownAlphaBox(), Qt::LeftButton);
        if (panel->coverageBox()->isChecked() != coverage) QTest::mouseClick(panel->coverageBox(), Qt::LeftButton);
        QSpinBox* spin = panel->coverageValue();
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(spin, value);
    }
    static bool sameLevels(const TextureDocument& a, const TextureDocument& b)
    {
        if (a.levelCount() != b.levelCount()) return false;
        for (int k = 1; k <= a.levelCount(); ++k)
            if (a.levelImage(k) != b.levelImage(k) || a.alphaPlane(k) != b.alphaPlane(k)) return false;
        return true;
    }
};

TEST_F(ChainChoicesWindows, ImportDialogChoicesReachTheChainAndAreKept)
{
    const QString file = path("leaf.tga");
    writeFile(file, tgaWithAlpha(32, 16));
    startEditor();
    TForm7* dialog = w.importDialog;
    ChainChoicesPanel* panel = dialog->chainChoices();
    // The plain chain at first (point sampling, one alpha for every pixel); the coverage only with the
    // picture's alpha.
    EXPECT_EQ(panel->resamplingBox()->currentText(), "Point (exact)");
    EXPECT_EQ(panel->resamplingBox()->count(), 3);
    EXPECT_EQ(panel->resamplingBox()->itemText(2), "Box in linear light");
    EXPECT_EQ(panel->ownAlphaBox()->text(), "Use the picture's alpha");
    EXPECT_EQ(panel->coverageBox()->text(), "Keep alpha-test coverage at");
    EXPECT_FALSE(panel->ownAlphaBox()->isChecked());
    EXPECT_FALSE(panel->coverageBox()->isEnabled());

    fake.fileAnswers.push_back(file);
    chooseMenu('f', 'i');
    ASSERT_TRUE(dialog->isVisible());
    choose(panel, 2, true, true, "200");
    EXPECT_TRUE(panel->coverageBox()->isEnabled());
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    backFromMenu();
    ASSERT_TRUE(fake.errors.isEmpty()) << fake.errors.join('\n').toStdString();

    TextureDocument expected;
    makemipmaps(expected, loadImportedImage(file, true), 255, true, CountedPass::Halving, {},
                {Resampling::Linear, true, 200});
    EXPECT_TRUE(sameLevels(document, expected));
    EXPECT_NE(document.alphaPlane(1).constScanLine(0)[1], 255); // the picture's own alpha

    // Kept in a file of their own; a new start shows them again.
    const ChainChoices kept = readChainChoices(chainChoicesPath(settingsPath()), "Import");
    EXPECT_EQ(kept.resampling, Resampling::Linear);
    EXPECT_TRUE(kept.keepPictureAlpha && kept.holdCoverage);
    EXPECT_EQ(kept.coverageReference, 200);
    closeEditor();
    EXPECT_FALSE(readFile(settingsPath()).contains("Resampling"));
    startEditor();
    EXPECT_EQ(w.importDialog->chainChoices()->resamplingBox()->currentIndex(), 2);
    EXPECT_EQ(w.importDialog->chainChoices()->coverageValue()->value(), 200);
    EXPECT_FALSE(w.wizard->chainChoices()->ownAlphaBox()->isChecked()); // the wizard keeps its own
}

TEST_F(ChainChoicesWindows, WizardChoicesReachEveryFile)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath("out"));
    const QString file = path("leaf.tga");
    writeFile(file, tgaWithAlpha(24, 24));
    startEditor();
    chooseMenu('f', 'b');
    TForm11* wizard = w.wizard;
    ASSERT_TRUE(wizard->isVisible());
    choose(wizard->chainChoices(), 1, true, false, "128");
    QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
    fake.fileListAnswers.push_back({file});
    QTest::mouseClick(wizard->addButton(), Qt::LeftButton);
    QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
    wizard->chooseOutputDirectory(path("out"));
    QTest::mouseClick(wizard->nextButton(), Qt::LeftButton);
    backFromMenu();
    ASSERT_TRUE(fake.errors.isEmpty()) << fake.errors.join('\n').toStdString();

    QTemporaryDir expected;
    ConversionOptions options;
    options.outputDirectory = expected.path();
    options.chain = {Resampling::Box, true, 0};
    TextureDocument core;
    convertt(core, file, options);
    EXPECT_EQ(readFile(path("out/leaf.m32")), readFile(QDir(expected.path()).filePath("leaf.m32")));
    EXPECT_EQ(readChainChoices(chainChoicesPath(settingsPath()), "Wizard").resampling, Resampling::Box);
}

} // namespace
} // namespace quorvel::test

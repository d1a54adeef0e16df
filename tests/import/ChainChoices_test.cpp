// The chain choices kept between runs: what goes in comes back per window, anything else in the
// file gives the defaults, and the coverage asks for the picture's alpha.
#include "import/ChainChoices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

bool same(const ChainChoices& a, const ChainChoices& b)
{
    return a.resampling == b.resampling && a.keepPictureAlpha == b.keepPictureAlpha && a.holdCoverage == b.holdCoverage
           && a.coverageReference == b.coverageReference;
}

TEST(ChainChoices, KeptPerWindowAndDefaultsForAnythingElse)
{
    QTemporaryDir dir;
    const QString path = chainChoicesPath(QDir(dir.path()).filePath("QUORVEL.INI"));
    EXPECT_EQ(path, QDir(dir.path()).filePath("QUORVEL-CHAINS.INI"));
    EXPECT_TRUE(same(readChainChoices(path, "Import"), ChainChoices{}));

    const ChainChoices import{Resampling::Linear, true, true, 200}, wizard{Resampling::Box, false, true, 7};
    writeChainChoices(path, "Import", import);
    writeChainChoices(path, "Wizard", wizard);
    EXPECT_TRUE(same(readChainChoices(path, "Import"), import));
    EXPECT_TRUE(same(readChainChoices(path, "Wizard"), wizard));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Import]\nResampling=cubic\nKeepPictureAlpha=yes\nHoldCoverage=true\nCoverageReference=256\n");
    file.close();
    EXPECT_TRUE(same(readChainChoices(path, "Import"), ChainChoices{Resampling::Point, false, true, 128}));

    // The coverage reaches the chain only with the picture's alpha.
    EXPECT_EQ(import.options().alphaCoverage, 200);
    EXPECT_EQ(wizard.options().alphaCoverage, 0);
    EXPECT_EQ(ChainChoices{}.options().resampling, Resampling::Point);
}

} // namespace
} // namespace quorvel

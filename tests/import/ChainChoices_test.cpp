// The chain choices kept between runs: what goes in comes back per window, anything else in the
// file gives the defaults, and the coverage asks for the picture's alpha.
#include "import/ChainChoices.h"
#include "base/SettingsStore.h"
#include "tests/support/HostileFiles.h"

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

TEST(ChainChoices, AFileThatCannotBeReadGivesTheDefaultsAndOneThatCannotBeWrittenIsReportedOnce)
{
    QTemporaryDir dir;
    QStringList reports;
    setStoreProblemSink([&reports](const QString& m) { reports.append(m); });
    const ChainChoices chosen{Resampling::Box, true, false, 9};
    for (const test::hostile::SpecialFile& f : test::hostile::specialFiles(dir.path(), "QUORVEL-CHAINS.INI")) {
        SCOPED_TRACE(f.what);
        reports.clear();
        setStoreProblemSink([&reports](const QString& m) { reports.append(m); }); // each file anew
        EXPECT_TRUE(same(readChainChoices(f.path, "Import"), ChainChoices{}));
        writeChainChoices(f.path, "Import", chosen);
        writeChainChoices(f.path, "Wizard", chosen);
        EXPECT_EQ(reports, QStringList{f.path + " is not a regular file"});
    }
    // A file that cannot be replaced (its directory is read-only) is reported, naming it.
    const QString locked = QDir(dir.path()).filePath("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString path = QDir(locked).filePath("QUORVEL-CHAINS.INI");
    writeChainChoices(path, "Import", chosen);
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    reports.clear();
    if (::geteuid() != 0) { // root writes anyway
        writeChainChoices(path, "Import", ChainChoices{});
        EXPECT_EQ(reports, QStringList{path + ": File access denied"});
        EXPECT_TRUE(same(readChainChoices(path, "Import"), chosen));
    }
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString big = test::hostile::sparseFile(QDir(dir.path()).filePath("big.INI"), 1024 * 1024 + 1);
    reports.clear();
    EXPECT_TRUE(same(readChainChoices(big, "Import"), ChainChoices{}));
    EXPECT_EQ(reports, QStringList{big + " is 1048577 bytes, more than a settings file can hold (1048576)"});
    setStoreProblemSink({});
}

} // namespace
} // namespace quorvel

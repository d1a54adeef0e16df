// quorvel-cli sheet: the levels of each texture in a row, enlarged by whole pixels to level 1's
// size, and what it refuses.
#include "document/TextureDocument.h"
#include "import/MipmapChain.h"
#include "tests/cli/CliRun.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using test::CliRun;
using test::runCli;

TEST(SheetCommand, LevelsSideBySideAtTheFirstLevelsSize)
{
    QTemporaryDir dir;
    QImage picture(4, 2, QImage::Format_RGB32);
    for (int i = 0; i < 8; ++i) picture.setPixel(i % 4, i / 4, qRgb(i * 30, 255 - i * 30, 7));
    TextureDocument document;
    makemipmaps(document, picture, 255, true, CountedPass::Copy);
    const QString texture = QDir(dir.path()).filePath("t.m32");
    document.save(texture);

    const QString png = QDir(dir.path()).filePath("sheet.png");
    const CliRun run = runCli({"sheet", "--zoom", "2", png, texture, texture});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage sheet(png);
    // Three levels (4x2, 2x1, 1x1) of 8 x 4 tiles, 4 pixels apart, in two rows.
    ASSERT_EQ(sheet.size(), QSize(4 + 3 * (8 + 4), 4 + 2 * (4 + 4)));
    for (int row = 0; row < 2; ++row) {
        const int top = 4 + row * 8;
        EXPECT_EQ(sheet.pixel(4 + 2 * 3 + 1, top + 2 + 1), picture.pixel(3, 1)); // level 1, pixel (3, 1)
        EXPECT_EQ(sheet.pixel(16 + 4 + 3, top + 3), document.levelImage(2).pixel(1, 0));
        EXPECT_EQ(sheet.pixel(28 + 7, top), document.levelImage(3).pixel(0, 0));
        EXPECT_EQ(sheet.pixel(14, top), qRgb(64, 64, 64)); // the frame between levels
    }

    struct Bad {
        QStringList args;
        int status;
    } rows[] = {
        {{"sheet", "--zoom", "0", png, texture}, 2},
        {{"sheet", "--zoom", "17", png, texture}, 2},
        {{"sheet", png}, 2},
        {{"sheet", QDir(dir.path()).filePath("none.png"), QDir(dir.path()).filePath("missing.m32")}, 1},
    };
    for (const Bad& r : rows) EXPECT_EQ(runCli(r.args).status, r.status) << r.args.join(' ').toStdString();
    EXPECT_FALSE(QDir(dir.path()).exists("none.png"));
}

// The sheet's size comes from the level tables: one past the picture cap is refused before any
// texture's pixels are read, in a fraction of the time and memory reading them would take.
TEST(SheetCommand, ASheetOverThePictureCapIsRefusedAtOnce)
{
    if (test::kSanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    QTemporaryDir dir;
    TextureDocument document;
    makemipmaps(document, QImage(1024, 1024, QImage::Format_RGB32), 255, true, CountedPass::Copy);
    const QString chain = dir.filePath("chain.m32");
    document.save(chain);
    TextureDocument single;
    makemipmaps(single, QImage(1024, 1024, QImage::Format_RGB32), 255, false, CountedPass::Copy);
    const QString one = dir.filePath("one.m32");
    single.save(one);
    const QString png = dir.filePath("sheet.png");
    struct Row {
        QStringList args;
        QString size;
    };
    std::vector<Row> rows = {
        {{"--zoom", "16", png, chain}, "180272 x 16392"},
        // Within 16384 on a side, but past 2^26 pixels.
        {{"--zoom", "8", png, one}, "8200 x 8200"},
        {{png}, "11312 x 411204"},
    };
    for (int i = 0; i < 400; ++i) rows.back().args << chain;
    for (const Row& r : rows) {
        const CliRun run = runCli(QStringList{"sheet"} + r.args, test::limitedTo(200, 1));
        EXPECT_EQ(run.status, 1) << r.size.toStdString();
        EXPECT_TRUE(run.err.endsWith(("The sheet would be " + r.size +
                                      " pixels; a picture has at most 16384 on a side and 67108864 in all\n")
                                         .toUtf8()))
            << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(png));
    }
}

} // namespace
} // namespace quorvel

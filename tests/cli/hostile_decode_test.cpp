// quorvel-cli decode of pictures within the cap whose pixels do not fit in the memory the tool
// may use, of pictures without pixels, and of the largest bitmap the cap allows: a failure names
// the picture's size, exits 1 and writes nothing; what the cap allows is decoded.
#include "tests/cli/CliRun.h"
#include "tests/support/HostileFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace quorvel {
namespace {

using namespace test::hostile;
using test::CliRun;
using test::readAll;
using test::runCli;
using test::writeFile;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(HostileDecode, APictureThatDoesNotFitInMemoryFailsNamingItsSize)
{
    // The sanitizers reserve far more address space than any limit here would allow.
    if (kSanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const Row rows[] = {
        {"frame.emf", emfOf(test::Emf(), 16384, 4096), "Not enough memory for a 16384 x 4096 picture\n"},
        {"frame.wmf", test::Wmf().placeable(0, 0, 16384, 4096, 96), "Not enough memory for a 16384 x 4096 picture\n"},
        {"runs.tga", runsTga(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"dot.gif", dotGif(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"runs.pcx", runsPcx(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"end.bmp", endOnlyRle8(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"zero.blz", zeroBlz(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
    };
    // Enough for the tool and a small picture, not for 256 MB of pixels.
    const auto limited = [] {
        const rlimit limit{200u << 20, 200u << 20};
        setrlimit(RLIMIT_AS, &limit);
    };
    QTemporaryDir dir;
    for (const Row& row : rows) {
        const QString out = dir.filePath(QStringLiteral("%1.bmp").arg(row.name));
        const CliRun run = runCli({"decode", writeFile(dir, row.name, row.bytes), out}, limited);
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_TRUE(run.err.endsWith(row.message)) << row.name << ": " << run.err.toStdString();
        EXPECT_EQ(readAll(out), "(missing)") << row.name;
    }
    // The same limit leaves room for a small picture.
    const QString out = dir.filePath("small.bmp");
    EXPECT_EQ(runCli({"decode", writeFile(dir, "small.emf", emfOf(test::Emf(), 64, 64)), out}, limited).status, 0);
    EXPECT_EQ(readAll(out).size(), 54 + 64 * 64 * 3);
}

TEST(HostileDecode, APictureWithoutPixelsIsNotWritten)
{
    QTemporaryDir dir;
    for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, 0}}) {
        const QString out = dir.filePath("out.bmp");
        const CliRun run = runCli({"decode", writeFile(dir, "empty.tga", tgaHeaderOnly(2, width, height, 24)), out});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.endsWith(QStringLiteral("The picture is empty (%1 x %2)\n").arg(width).arg(height).toUtf8()))
            << run.err.toStdString();
        EXPECT_EQ(readAll(out), "(missing)");
        // convert refuses it too: no level-less texture, and it counts as failed.
        const QString m32 = dir.filePath("empty.m32");
        const CliRun converted = runCli({"convert", "--output", dir.path(), dir.filePath("empty.tga")});
        EXPECT_EQ(converted.status, 1);
        EXPECT_EQ(converted.out, "0 converted, 1 failed\n");
        EXPECT_TRUE(converted.err.contains(QStringLiteral("The picture is empty (%1 x %2)\n").arg(width).arg(height).toUtf8()))
            << converted.err.toStdString();
        EXPECT_FALSE(QFile::exists(m32));
    }
}

// 8192 x 8192 at 32 bits is inside the cap, and the platform's reader, which decodes this form,
// must be allowed to allocate it.
TEST(HostileDecode, TheLargestBitmapTheCapAllowsIsDecoded)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.bmp");
    const CliRun run = runCli({"decode", writeFile(dir, "black.bmp", blackBmp32(8192, 8192)), out});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray written = readAll(out);
    ASSERT_EQ(written.size(), 54 + 8192 * 8192 * 3);
    EXPECT_EQ(written.mid(18, 8), QByteArray("\x00\x20\x00\x00\x00\x20\x00\x00", 8));
    EXPECT_EQ(written.mid(54).count('\0'), 8192 * 8192 * 3);
}

} // namespace
} // namespace quorvel

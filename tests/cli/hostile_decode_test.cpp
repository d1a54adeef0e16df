// quorvel-cli decode of pictures within the cap whose pixels do not fit in the memory the tool
// may use, of pictures without pixels, and of the largest bitmap the cap allows: a failure names
// the picture's size, exits 1 and writes nothing; what the cap allows is decoded.
#include "tests/cli/CliRun.h"
#include "tests/support/HostileFiles.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
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
        {"zero.png", zeroPng(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
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

// Pictures of the platform's readers that are too large, cut short or expand to more than the
// memory allowed: convert says why within a second, inside 200 MB, and writes nothing.
TEST(HostileDecode, PlatformPicturesFailQuicklyAndWriteNothing)
{
    if (kSanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    QImage photo(64, 64, QImage::Format_RGB32);
    photo.fill(qRgb(10, 200, 30));
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&jpeg, "JPEG"));
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const Row rows[] = {
        {"huge.png", zeroPng(100000, 100000, true), "PNG image is too large"},
        {"cut.png", cutPng(64, 64), "PNG image is not valid: Unable to read image data"},
        {"bomb.png", zeroPng(8192, 8192), "Not enough memory for a 8192 x 8192 picture"},
        {"cut.jpg", jpeg.data().left(jpeg.data().size() - 40), "JPEG image is not valid: the image data ends early"},
    };
    const auto limited = [] {
        const rlimit limit{200u << 20, 200u << 20};
        setrlimit(RLIMIT_AS, &limit);
    };
    QTemporaryDir in, out;
    for (const Row& row : rows) {
        const QString path = writeFile(in, row.name, row.bytes);
        QElapsedTimer timer;
        timer.start();
        const CliRun run = runCli({"convert", "--output", out.path(), path}, limited);
        EXPECT_LT(timer.elapsed(), 1000) << row.name;
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_TRUE(run.err.contains((path + ": " + row.message + "\n").toLocal8Bit())) << run.err.toStdString();
        EXPECT_EQ(run.out, "0 converted, 1 failed\n");
    }
    EXPECT_TRUE(QDir(out.path()).isEmpty());
    // The whole JPEG converts.
    const QString whole = writeFile(in, "whole.jpg", jpeg.data());
    EXPECT_EQ(runCli({"convert", "--output", out.path(), whole}, limited).status, 0);
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

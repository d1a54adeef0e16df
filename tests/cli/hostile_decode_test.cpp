// quorvel-cli decode of pictures within the cap whose pixels do not fit in the memory the tool
// may use, of pictures without pixels, and of the largest bitmap the cap allows: a failure names
// the picture's size, exits 1 and writes nothing; what the cap allows is decoded. convert refuses
// the same small files by the size their headers declare, before decoding any of them.
#include "tests/cli/CliRun.h"
#include "codecs/UniBmp.h"
#include "tests/document/M32Bytes.h"
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
using test::Bytes;

using test::kSanitized;

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
        {"eframe.emf", emfOf(test::Emf(), 16384, 4096), "Not enough memory for a 16384 x 4096 picture\n"},
        {"wframe.wmf", test::Wmf().placeable(0, 0, 16384, 4096, 96), "Not enough memory for a 16384 x 4096 picture\n"},
        {"runs.tga", runsTga(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"dot.gif", dotGif(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
        {"pruns.pcx", runsPcx(8192, 8192), "Not enough memory for a 8192 x 8192 picture\n"},
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

// Every command that reads refuses at once what is no regular file (a FIFO would block it for
// ever, /dev/zero would fill its memory) and a texture larger than one can be, writing nothing.
TEST(HostileDecode, WhatIsNotARegularFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.bmp"), png = dir.filePath("out.png");
    const auto limited = [] {
        const rlimit memory{200u << 20, 200u << 20}, cpu{1, 1};
        if (!kSanitized) setrlimit(RLIMIT_AS, &memory);
        setrlimit(RLIMIT_CPU, &cpu);
    };
    std::vector<std::pair<QStringList, QString>> rows; // arguments, the file refused
    for (const SpecialFile& f : specialFiles(dir.path(), "t.m32")) {
        rows.push_back({{"info", f.path}, f.path});
        rows.push_back({{"export", f.path, out}, f.path});
        rows.push_back({{"resave", f.path, dir.filePath("out.m32")}, f.path});
        rows.push_back({{"set-header", "--flags", "1", f.path}, f.path});
        rows.push_back({{"sheet", png, f.path}, f.path});
    }
    for (const SpecialFile& f : specialFiles(dir.path(), "p.bmp")) {
        rows.push_back({{"decode", f.path, out}, f.path});
        rows.push_back({{"tga-resave", f.path, out}, f.path});
        rows.push_back({{"convert", "--output", dir.path(), f.path}, f.path});
    }
    for (const auto& [args, refused] : rows) {
        SCOPED_TRACE(args.join(' ').toStdString());
        QElapsedTimer clock;
        clock.start();
        const CliRun run = runCli(args, limited);
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains((refused + " is not a regular file\n").toUtf8())) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains((refused + ": " + refused).toUtf8())) << run.err.toStdString(); // named once
        EXPECT_EQ(readAll(out), "(missing)");
        EXPECT_EQ(readAll(png), "(missing)");
    }
    const QString big = sparseFile(dir.filePath("big.m32"), 968 + 16 * 4194304LL + 1);
    const CliRun run = runCli({"info", big}, limited);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.endsWith((big + " is 67109833 bytes, more than a texture can hold (67109832)\n").toUtf8()))
        << run.err.toStdString();
}

// A name that is not UTF-8 is opened by its bytes and shown with those bytes escaped.
TEST(HostileDecode, ANameThatIsNotUtf8IsOpenedByItsBytes)
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.m32";
    {
        Bytes texture = test::m32Header(test::M32Fields().level(1, 1, 1, 968));
        texture.u8s({1, 2, 3, 255});
        std::FILE* file = std::fopen(name.constData(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(QByteArray(texture).constData(), 1, std::size_t(QByteArray(texture).size()), file);
        std::fclose(file);
    }
    // The bytes reach the tool through the shell's printf, as QProcess would re-encode them.
    const auto run = [&](const QString& command, const QByteArray& path, const QString& out) {
        QByteArray octal;
        for (const char c : path) octal += "\\" + QByteArray::number(uchar(c), 8).rightJustified(3, '0');
        return test::runShell(QStringLiteral("exec \"$0\" %1 \"$(printf '%2')\" %3")
                                  .arg(command, QString::fromLatin1(octal), out));
    };
    const CliRun exported = run("export", name, dir.filePath("out.bmp"));
    EXPECT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(readAll(dir.filePath("out.bmp")).size(), 54 + 4);
    const CliRun missing = run("info", QFile::encodeName(dir.path()) + "/gon\xe9.m32", QString());
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.endsWith("\nFile not found\n") || missing.err == "File not found\n") << missing.err.toStdString();
    const CliRun special = run("info", QFile::encodeName(dir.path()), QString());
    EXPECT_TRUE(special.err.endsWith((dir.path() + " is not a regular file\n").toUtf8())) << special.err.toStdString();
    const QByteArray fifo = QFile::encodeName(dir.path()) + "/f\xff.m32";
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const CliRun blocked = run("info", fifo, QString());
    EXPECT_TRUE(blocked.err.endsWith((dir.path() + "/f\\xff.m32 is not a regular file\n").toUtf8())) << blocked.err.toStdString();
    // Names Qt cannot spell are removed by their bytes.
    ::unlink(name.constData());
    ::unlink(fifo.constData());
}

// Small files declaring pictures wider or higher than a level: eight workers at once, each file
// refused by its header, in a fraction of a second and of the memory one decode would take.
TEST(HostileDecode, ConvertRefusesAPictureTooLargeForALevelByItsHeader)
{
    if (kSanitized) GTEST_SKIP() << "address space limits do not apply under the sanitizers";
    const QByteArray icon = test::Bytes().u16(0).u16(1).u16(1).fill(12).u32(22)        // directory, one entry
                                .u32(40).i32(2048).i32(2 * 2048).u16(1).u16(32).fill(24); // its DIB header
    const QByteArray pngIcon = test::Bytes().u16(0).u16(1).u16(1).fill(12).u32(22)
                                   .raw(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x04\x01\0\0\0\x10", 24));
    struct Row {
        const char* name;
        QByteArray bytes;
        int width, height;
    };
    const Row rows[] = {
        {"eframe.emf", emfOf(test::Emf(), 16384, 4096), 16384, 4096},
        {"wframe.wmf", test::Wmf().placeable(0, 0, 16384, 4096, 96), 16384, 4096},
        {"window.wmf", test::Wmf().rec(0x020C, {4096, 2048}).plain(), 2048, 4096},
        {"runs.tga", runsTga(8192, 8192), 8192, 8192},
        {"dot.gif", dotGif(8192, 8192), 8192, 8192},
        {"pruns.pcx", runsPcx(8192, 8192), 8192, 8192},
        {"end.bmp", endOnlyRle8(8192, 8192), 8192, 8192},
        {"tall.bmp", endOnlyRle8(4, 1025), 4, 1025},
        {"zero.blz", zeroBlz(8192, 8192), 8192, 8192},
        {"dend.dib", TUniBitmap::compressDib(endOnlyRle8(8192, 8192)), 8192, 8192},
        {"big.ico", icon, 2048, 2048},
        {"png.ico", pngIcon, 1025, 16},
    };
    QTemporaryDir dir;
    QStringList args{"convert", "--jobs", "8", "--output", dir.filePath("out")};
    QDir().mkpath(dir.filePath("out"));
    for (const Row& row : rows) args << writeFile(dir, row.name, row.bytes);
    const CliRun run = runCli(args, test::limitedTo(200, 1));
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, QByteArray("0 converted, 12 failed\n"));
    for (const Row& row : rows) {
        const QString line = QStringLiteral("%1: The picture is %2 x %3 pixels; a level has at most 1024 pixels on a side\n")
                                 .arg(dir.filePath(row.name))
                                 .arg(row.width)
                                 .arg(row.height);
        EXPECT_TRUE(run.err.contains(line.toUtf8())) << row.name << ": " << run.err.toStdString();
    }
    EXPECT_TRUE(QDir(dir.filePath("out")).isEmpty());
}

} // namespace
} // namespace quorvel

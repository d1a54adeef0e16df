// quorvel-cli decode and tga-resave, run as a user runs them: the bytes they write, and that a
// failure says why, exits 1 and writes nothing.
#include "graphics/Bitmap.h"
#include "tests/cli/CliRun.h"
#include "tests/support/Bytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace quorvel {
namespace {

using test::Bytes;
using test::CliRun;
using test::readAll;
using test::runCli;
using test::writeFile;

// An uncompressed true-colour TGA as the writer writes it: descriptor 0, rows from the bottom.
Bytes tgaHeader(int width, int height, int depth)
{
    return Bytes().u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height))
        .u8(std::uint8_t(depth)).u8(0);
}

// 2 x 2 at 32 bits; top row (10, 20, 30, alpha 0), (40, 50, 60, 128); bottom row
// (70, 80, 90, 255), (1, 2, 3, 64).
QByteArray tga32()
{
    return tgaHeader(2, 2, 32).u8s({90, 80, 70, 255, 3, 2, 1, 64, 30, 20, 10, 0, 60, 50, 40, 128});
}

// The 24-bit bitmap file of those colours (alpha is not part of it): rows from the bottom, each
// padded to four bytes.
QByteArray bmpOfTga32()
{
    return Bytes()
        .text("BM").u32(54 + 16).u32(0).u32(54)
        .u32(40).u32(2).u32(2).u16(1).u16(24).u32(0).u32(16).u32(0).u32(0).u32(0).u32(0)
        .u8s({90, 80, 70, 3, 2, 1, 0, 0, 30, 20, 10, 60, 50, 40, 0, 0});
}

TEST(PictureCommands, DecodeWritesTheColourAsA24BitBitmap)
{
    QTemporaryDir dir;
    // A 24-bit bitmap in, the same picture out; a TGA in, its colour without the alpha.
    const QImage picture = Bitmap::decodeBmp(bmpOfTga32());
    for (const QString& name : {QStringLiteral("in.tga"), QStringLiteral("in.bmp")}) {
        const QString in = writeFile(dir, name, name.endsWith("tga") ? tga32() : bmpOfTga32());
        const QString out = dir.filePath(name + ".out.bmp");
        const CliRun run = runCli({"decode", in, out});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(out), bmpOfTga32()) << name.toStdString();
        EXPECT_EQ(Bitmap::decodeBmp(readAll(out)), picture);
    }
}

TEST(PictureCommands, TgaResaveKeepsTheKindAndTheAlpha)
{
    QTemporaryDir dir;
    const QByteArray tga24 = tgaHeader(3, 1, 24).u8s({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const QString in32 = writeFile(dir, "in32.tga", tga32()), in24 = writeFile(dir, "in24.tga", tga24);
    struct Row {
        QString in, outName;
        QByteArray bytes;
    } rows[] = {
        {in32, "out32.tga", tga32()},
        {in24, "out24.tga", tga24},
        {in32, "out.tex", tga32()}, // any name not ending in .bmp gets a TGA
        {in32, "out.bmp", bmpOfTga32()},
        {in32, "OUT.Bmp", bmpOfTga32()},
    };
    for (const Row& r : rows) {
        const QString out = dir.filePath(r.outName);
        const CliRun run = runCli({"tga-resave", r.in, out});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(out), r.bytes) << r.outName.toStdString();
    }
}

TEST(PictureCommands, FailuresSayWhyAndWriteNothing)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, "good.tga", tga32());
    const QString shortTga = writeFile(dir, "short.tga", tga32().left(20));
    const QString notBmp = writeFile(dir, "bad.bmp", "BM but nothing more");
    const QString unknown = writeFile(dir, "picture.xyz", "whatever");
    const QString missing = dir.filePath("missing.tga");
    const QString noDir = dir.filePath("no-such-dir/out.bmp");
    const QString out = dir.filePath("out.bmp");
    struct Row {
        QStringList args;
        int status;
        QByteArray err;
        QString target; // what must not be written
    } rows[] = {
        {{"decode", missing, out}, 1, "Cannot open file " + missing.toUtf8() + "\n", out},
        {{"decode", unknown, out}, 1, "Unknown picture file extension (.xyz)\n", out},
        {{"decode", notBmp, out}, 1, "Bitmap image is not valid\n", out},
        {{"decode", shortTga, out}, 1, "TGA image is truncated\n", out},
        {{"decode", good, noDir}, 1, "Cannot create file " + noDir.toUtf8() + "\n", noDir},
        {{"decode", good, dir.path()}, 1, "Cannot create file " + dir.path().toUtf8() + "\n", out},
        {{"tga-resave", missing, out}, 1, "Cannot open file " + missing.toUtf8() + "\n", out},
        {{"tga-resave", shortTga, out}, 1, "TGA image is truncated\n", out},
        {{"tga-resave", good, noDir}, 1, "Cannot create file " + noDir.toUtf8() + "\n", noDir},
        {{"tga-resave", good, dir.filePath("no-such-dir/out.tga")}, 1,
         "Cannot create file " + dir.filePath("no-such-dir/out.tga").toUtf8() + "\n", noDir},
        {{"decode", good}, 2, "usage: quorvel-cli decode IMAGE OUT.bmp\n", out},
        {{"tga-resave", good, out, out}, 2, "usage: quorvel-cli tga-resave IN.tga OUT\n", out},
    };
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const Row& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.status, r.status) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith(r.err)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(r.target)) << r.args.join(' ').toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    // A failed command leaves a file that was there as it was.
    const QString existing = writeFile(dir, "existing.bmp", "old bytes");
    EXPECT_EQ(runCli({"decode", shortTga, existing}).status, 1);
    EXPECT_EQ(runCli({"tga-resave", shortTga, existing}).status, 1);
    EXPECT_EQ(readAll(existing), "old bytes");
}

// A disk that fills up part way: what was there stays, and no temporary file is left behind.
TEST(PictureCommands, AWriteThatRunsOutOfRoomLeavesTheOldFile)
{
    QTemporaryDir dir;
    Bytes big = tgaHeader(200, 200, 32);
    for (int i = 0; i < 200 * 200 * 4; ++i) big.u8(std::uint8_t(i * 7));
    const QString in = writeFile(dir, "big.tga", big);
    const auto tenKilobytes = [] {
        const rlimit limit{10000, 10000};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
    };
    for (const QStringList& args : {QStringList{"decode", in, dir.filePath("out.bmp")},
                                    QStringList{"tga-resave", in, dir.filePath("out.bmp")},
                                    QStringList{"tga-resave", in, dir.filePath("out.tga")}}) {
        const QString out = writeFile(dir, QFileInfo(args[2]).fileName(), "old bytes");
        const CliRun run = runCli(args, tenKilobytes);
        EXPECT_EQ(run.status, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith("Disk full\n")) << run.err.toStdString();
        EXPECT_EQ(readAll(out), "old bytes");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << args.join(' ').toStdString();
        QFile::remove(out);
    }
}

// --help names every command and the picture extensions this installation reads: our own, then
// those of the platform's plugins that are installed, and only those.
TEST(Help, ListsTheCommandsAndThePicturesThisInstallationReads)
{
    const CliRun run = runCli({"--help"});
    ASSERT_EQ(run.status, 0);
    for (const char* name : {"convert", "decode", "export", "replace-level", "rebuild", "info", "resave", "sheet",
                             "set-header", "tga-resave"})
        EXPECT_TRUE(run.out.contains(QByteArray("\n  ") + name + ' ')) << name;
    QByteArray wanted = "bmp, blz, dib, ico, emf, wmf, gif, pcx, tga, png, jpg, jpeg";
    if (QImageReader::supportedImageFormats().contains("webp")) wanted += ", webp";
    if (QImageReader::supportedImageFormats().contains("tiff")) wanted += ", tif, tiff";
    EXPECT_TRUE(run.out.contains("\nPictures this installation reads (IMAGE, PICTURE): " + wanted + "\n"))
        << run.out.toStdString();
}

} // namespace
} // namespace quorvel

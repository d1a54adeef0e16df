// quorvel-cli decode and tga-resave, run as a user runs them: the bytes they write, and that a
// failure says why, exits 1 and writes nothing.
#include "codecs/UniBmp.h"
#include "graphics/Bitmap.h"
#include "graphics/BmpWriter.h"
#include "import/ImportedPicture.h"
#include "tests/cli/CliRun.h"
#include "tests/support/Bytes.h"
#include "tests/support/HostileFiles.h"
#include "tests/support/ImageFiles.h"

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

// 3 x 2 bitmaps at 32 bits with an alpha mask, and at 16 bits (which the platform's reader
// decodes): the picture classes make more of these than the decoded colour.
QByteArray bmpWithAlphaMask()
{
    Bytes b;
    b.text("BM").u32(14 + 56 + 24).u32(0).u32(14 + 56);
    b.u32(56).i32(3).i32(2).u16(1).u16(32).u32(3).u32(24).i32(0).i32(0).u32(0).u32(0);
    b.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF).u32(0xFF000000);
    return b.u8s({1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 1, 13, 14, 15, 254, 16, 17, 18, 77});
}

QByteArray bmp16()
{
    Bytes b;
    b.text("BM").u32(14 + 40 + 16).u32(0).u32(14 + 40);
    b.u32(40).i32(3).i32(2).u16(1).u16(16).u32(0).u32(16).i32(0).i32(0).u32(0).u32(0);
    return b.u16(0x7C00).u16(0x03E0).u16(0x001F).u16(0).u16(0x1234).u16(0x7FFF).u16(0x4210).u16(0);
}

// Every kind decode reads, in the forms the tool reads without Qt's GUI library and in those it
// leaves to the picture classes, writes what the import takes of the picture.
TEST(PictureCommands, DecodeOfEveryFormWritesWhatTheImportTakes)
{
    QTemporaryDir dir;
    test::GifForm gif;
    gif.width = 5;
    gif.height = 9;
    gif.globalColours = {qRgb(1, 2, 3), qRgb(200, 100, 50), qRgb(9, 8, 7), qRgb(250, 0, 250)};
    gif.globalSizeBits = 1;
    gif.minimumCodeSize = 2;
    for (int i = 0; i < gif.width * gif.height; ++i) gif.pixels.push_back(std::uint8_t(i * 7 % 4));
    test::GifForm interlaced = gif;
    interlaced.interlaced = true;
    test::PcxForm pcx8;
    pcx8.width = 5;
    pcx8.height = 3;
    for (int i = 0; i < 256; ++i) pcx8.vgaColours.push_back(qRgb(i, 255 - i, i / 2));
    test::PcxForm pcx24 = pcx8;
    pcx24.planes = 3;
    pcx24.vgaColours.clear();
    std::vector<std::uint32_t> indexes, colours;
    for (std::uint32_t i = 0; i < 15; ++i) {
        indexes.push_back(i * 37 % 256);
        colours.push_back(i * 0x10305u + 0xC0C0C0u);
    }
    const QByteArray grey = Bytes().u8s({0, 0, 3, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(3).u16(1).u8(8).u8(0x20)
        .u8s({0, 128, 255});
    const struct {
        const char* name;
        QByteArray bytes;
        bool withoutGui; // answered without loading Qt's GUI library
    } rows[] = {
        {"plain.bmp", bmpOfTga32(), true},
        {"alpha.bmp", bmpWithAlphaMask(), false},
        {"sixteen.BMP", bmp16(), false},
        {"runs.bmp", test::hostile::endOnlyRle8(4, 3), true},
        {"compressed-dib.bmp", TUniBitmap::compressDib(bmpOfTga32()), false},
        {"blz.bmp", TUniBitmap::compressBlz(bmpOfTga32()), false},
        {"plain.gif", test::gifFile(gif), true},
        {"interlaced.gif", test::gifFile(interlaced), true},
        {"eight.pcx", test::pcxFile(pcx8, indexes), true},
        {"true.pcx", test::pcxFile(pcx24, colours), true},
        {"alpha.tga", tga32(), true},
        {"runs.tga", test::hostile::runsTga(130, 2), true},
        {"grey.tga", grey, true},
    };
    for (const auto& row : rows) {
        const QString in = writeFile(dir, row.name, row.bytes), out = dir.filePath(QString(row.name) + ".out.bmp");
        // The loader names every library it loads.
        const CliRun run = runCli({}, {}, QStringLiteral("/usr/bin/env"),
                                  {QStringLiteral("LD_DEBUG=files"), QStringLiteral(QUORVEL_CLI_PATH), "decode", in, out});
        ASSERT_EQ(run.status, 0) << row.name << ": " << run.err.toStdString();
        EXPECT_EQ(readAll(out), encodeBmp24(loadImportedImage(in))) << row.name;
        EXPECT_EQ(!run.err.contains("libQt6Gui"), row.withoutGui) << row.name;
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

// quorvel-cli convert and export, run as a user runs them: the files they write against what
// the core writes for the wizard and for File > Export, failures, usage errors and the progress
// line.
#include "codecs/UniBmp.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "import/BatchConversion.h"
#include "import/Export.h"
#include "tests/cli/CliRun.h"
#include "tests/document/M32Bytes.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/MetafileFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quorvel {
namespace {

using test::CliRun;
using test::readAll;
using test::runCli;
using test::writeFile;

QByteArray bmpOf(int width, int height, int seed = 0)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x + seed, y, (x ^ y) + seed));
    return encodeBmp24(image);
}

QByteArray gifOf(int width, int height)
{
    test::GifForm form;
    form.width = width;
    form.height = height;
    form.globalColours = {qRgb(1, 2, 3), qRgb(200, 100, 50), qRgb(9, 9, 9), qRgb(255, 0, 255)};
    form.globalSizeBits = 1;
    form.minimumCodeSize = 2;
    for (int i = 0; i < width * height; ++i) form.pixels.push_back(std::uint8_t(i * 7 % 4));
    return test::gifFile(form);
}

// A 32-bit Targa, top row first, with an alpha channel the conversion does not keep.
QByteArray tgaOf(int width, int height)
{
    test::Bytes b;
    b.u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(32).u8(0x28);
    for (int i = 0; i < width * height; ++i) b.u8s({i & 255, 40, 80, (i * 13) & 255});
    return b;
}

// A 32-bit Targa of an image's straight colour and alpha, top row first: the picture a reader of
// our own takes as the platform's reader decodes it.
QByteArray tgaOfImage(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    test::Bytes b;
    b.u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(std::uint16_t(image.width())).u16(std::uint16_t(image.height()));
    b.u8(32).u8(0x28);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            b.u8s({qBlue(p), qGreen(p), qRed(p), qAlpha(p)});
        }
    return b;
}

// Samples that change from pixel to pixel, 0..255.
int sample(int x, int y, int channel) { return (x * 37 + y * 11 + channel * 71) & 255; }

// PNGs of every colour type with alpha, written chunk by chunk: an 8-bit palette with
// transparency, grey + alpha, RGBA, and 16-bit RGBA.
QByteArray pngOf(int colourType, int depth, int width, int height)
{
    test::PngForm form{width, height, depth, colourType};
    const int channels = colourType == 3 ? 1 : colourType == 4 ? 2 : 4;
    for (int y = 0; y < height; ++y) {
        form.rows.append(char(0));
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = colourType == 3 ? (x + y) % 5 : sample(x, y, c);
                form.rows.append(char(v));
                if (depth == 16) form.rows.append(char(v ^ 0x5A));
            }
    }
    if (colourType == 3) {
        test::Bytes palette;
        for (int i = 0; i < 5; ++i) palette.u8s({i * 50, 255 - i * 40, i * 13});
        form.palette = palette;
        form.transparency = test::Bytes().u8s({0, 128, 255, 7});
    }
    return test::pngFile(form);
}

// A picture written by the platform's writer in `format`.
QByteArray writtenAs(const char* format, int quality)
{
    QImage image(20, 12, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(sample(x, y, 0), sample(x, y, 1), 90));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << format;
    return buffer.data();
}

QStringList inputs(const QTemporaryDir& dir)
{
    return {writeFile(dir, "a.bmp", bmpOf(256, 256)), writeFile(dir, "b.gif", gifOf(64, 64)),
            writeFile(dir, "ROCK.TGA", tgaOf(12, 5)), writeFile(dir, "wall.bmp", bmpOf(100, 30, 9)),
            writeFile(dir, "packed.blz", TUniBitmap::compressBlz(bmpOf(300, 200, 3))),
            writeFile(dir, "packed2.blz", TUniBitmap::compressBlz(bmpOf(128, 512, 5)))};
}

TEST(ConvertCommand, WritesWhatTheWizardWritesWhateverTheJobs)
{
    QTemporaryDir in;
    const QStringList images = inputs(in);
    struct Row {
        QStringList options;
        ConversionOptions wizard;
    } rows[] = {
        {{}, {}},
        {{"--no-mipmaps", "--flags", "1", "--alpha", "128"}, {false, "1", 128, {}}},
        {{"--flags", " $10", "--alpha", "0"}, {true, " $10", 0, {}}},
    };
    for (const Row& r : rows) {
        QTemporaryDir expected;
        TextureDocument document;
        ConversionOptions wizard = r.wizard;
        wizard.outputDirectory = expected.path();
        for (const QString& image : images) convertt(document, image, wizard);

        for (const char* jobs : {"1", "3"}) {
            QTemporaryDir out;
            const CliRun run = runCli(QStringList{"convert", "--output", out.path(), "--jobs", jobs} + r.options + images);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            EXPECT_EQ(run.out, "6 converted, 0 failed\n");
            EXPECT_FALSE(run.err.contains("of 6")) << "a progress line without a terminal";
            for (const char* name : {"a.m32", "b.m32", "ROCK.m32", "wall.m32", "packed.m32", "packed2.m32"}) {
                const QByteArray bytes = readAll(QDir(out.path()).filePath(name));
                EXPECT_EQ(bytes, readAll(QDir(expected.path()).filePath(name)))
                    << name << " " << r.options.join(' ').toStdString() << " jobs " << jobs;
                EXPECT_EQ(test::i32At(bytes, 708), r.wizard.flags == "1" ? 1 : r.wizard.flags == "2048" ? 2048 : 16);
            }
        }
    }
}

// The platform's pictures convert to what their decoded pixels give: the same texture as a Targa
// of those pixels converts to, with and without their alpha.
TEST(ConvertCommand, PlatformPicturesConvertToTheirDecodedPixels)
{
    QTemporaryDir in, viaTga;
    struct Row {
        const char* name;
        QByteArray bytes;
    };
    std::vector<Row> rows = {
        {"palette.png", pngOf(3, 8, 9, 7)}, {"greyalpha.png", pngOf(4, 8, 16, 8)},
        {"rgba.png", pngOf(6, 8, 33, 17)},  {"deep.png", pngOf(6, 16, 12, 12)},
        {"photo.jpg", writtenAs("jpeg", 90)}, {"photo2.jpeg", writtenAs("jpeg", 50)},
    };
    if (QImageReader::supportedImageFormats().contains("webp")) rows.push_back({"lossless.webp", writtenAs("webp", 100)});
    if (QImageReader::supportedImageFormats().contains("tiff")) rows.push_back({"scan.tif", writtenAs("tiff", 0)});
    for (const Row& row : rows) {
        const QString path = writeFile(in, row.name, row.bytes);
        QImageReader reader(path);
        const QImage decoded = reader.read();
        ASSERT_FALSE(decoded.isNull()) << row.name;
        const QString base = QFileInfo(path).completeBaseName();
        const QString tga = writeFile(viaTga, base + ".tga", tgaOfImage(decoded));
        for (const QStringList& options : {QStringList{}, QStringList{"--keep-alpha"}, QStringList{"--keep-alpha", "--filter", "box"}}) {
            QTemporaryDir out, expected;
            const CliRun run = runCli(QStringList{"convert", "--output", out.path()} + options + QStringList{path});
            ASSERT_EQ(run.status, 0) << row.name << " " << run.err.toStdString();
            ASSERT_EQ(runCli(QStringList{"convert", "--output", expected.path()} + options + QStringList{tga}).status, 0);
            const QByteArray m32 = readAll(QDir(out.path()).filePath(base + ".m32"));
            ASSERT_GT(m32.size(), 968) << row.name;
            EXPECT_EQ(m32, readAll(QDir(expected.path()).filePath(base + ".m32")))
                << row.name << " " << options.join(' ').toStdString();
            if (options.isEmpty() && QByteArray(row.name) == "rgba.png") {
                EXPECT_EQ(m32.mid(968 + 4 * 34, 4),
                          test::Bytes().u8s({sample(1, 1, 0), sample(1, 1, 1), sample(1, 1, 2), 255}).data());
            }
        }
    }
}

TEST(ConvertCommand, InputsOfOneOutputNameKeepTheirOrder)
{
    QTemporaryDir in, out;
    QStringList images;
    for (int i = 0; i < 6; ++i) images << writeFile(in, QStringLiteral("s%1.bmp").arg(i), bmpOf(32, 32, i));
    // One file listed twice writes the same output twice: converted both times.
    images.insert(3, images[2]);
    // wall.bmp and wall.gif both write wall.m32: both fail, naming each other, before anything is
    // converted, and no wall.m32 is written; the rest of the run goes on.
    const QString bmp = writeFile(in, "wall.bmp", bmpOf(8, 8)), gif = writeFile(in, "wall.gif", gifOf(4, 4));
    images.insert(1, bmp);
    images << gif;
    const CliRun run = runCli(QStringList{"convert", "--output", out.path(), "--jobs", "4"} + images);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "7 converted, 2 failed\n");
    EXPECT_TRUE(run.err.contains((bmp + ": also written by " + gif + "\n").toUtf8())) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains((gif + ": also written by " + bmp + "\n").toUtf8())) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(out.path()).filePath("wall.m32")));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 6);
}

TEST(ConvertCommand, GoesOnPastFailuresAndSaysWhy)
{
    QTemporaryDir in, out;
    const QString good = writeFile(in, "good.bmp", bmpOf(16, 16));
    const QString missing = in.filePath("gone.bmp");
    const QString photo = writeFile(in, "photo.psd", bmpOf(2, 2));
    const QString notPng = writeFile(in, "not.png", bmpOf(2, 2));
    const QString wide = writeFile(in, "wide.bmp", bmpOf(1030, 2));
    const QString broken = writeFile(in, "broken.gif", "GIF89a");
    const QString other = writeFile(in, "other.gif", gifOf(8, 2));
    const CliRun run =
        runCli({"convert", "--output", out.path(), "--jobs", "2", good, missing, photo, wide, broken, other, notPng});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "2 converted, 5 failed\n");
    const QString err = QString::fromLocal8Bit(run.err);
    for (const QString& line : {missing + ": Cannot open file " + missing, photo + ": Unknown picture file extension (.psd)",
                                notPng + ": PNG image is not valid: not a PNG file",
                                wide + ": The picture is 1030 x 2 pixels; a level has at most 1024 pixels on a side"})
        EXPECT_TRUE(err.contains(line + "\n")) << line.toStdString() << "\n" << run.err.toStdString();
    EXPECT_TRUE(err.contains(broken + ": ")) << run.err.toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"good.m32", "other.m32"}));
}

TEST(ConvertCommand, UsageErrorsBeforeAnythingIsWritten)
{
    QTemporaryDir in, out;
    const QString image = writeFile(in, "a.bmp", bmpOf(4, 4));
    const QString usage =
        "usage: quorvel-cli convert [--no-mipmaps] [--flags TEXT] [--alpha N] [--filter point|box|linear] [--keep-alpha] "
        "[--alpha-coverage N]\n        [--output DIR] [--jobs N] IMAGE...\n";
    struct Row {
        QStringList args;
        QString problem;
    } rows[] = {
        {{"--alpha", "256", image}, "--alpha must be a whole number from 0 to 255, not \"256\""},
        {{"--alpha", "-1", image}, "--alpha must be a whole number from 0 to 255, not \"-1\""},
        {{"--alpha", "12x", image}, "--alpha must be a whole number from 0 to 255, not \"12x\""},
        {{"--jobs", "0", image}, "--jobs must be a whole number of at least 1, not \"0\""},
        {{"--jobs", "two", image}, "--jobs must be a whole number of at least 1, not \"two\""},
        {{"--flags", "3000000000", image}, "--flags must be a whole number from -2147483648 to 2147483647, not \"3000000000\""},
        {{"--no-mipmaps"}, "no IMAGE given"},
        {{}, "no IMAGE given"},
        {{"--colour", image}, "unknown option --colour"},
        {{image, "--jobs"}, "--jobs needs a value"},
        // One error naming the directory, not one failure for each file.
        {{"--output", in.filePath("none"), image, image}, "--output " + in.filePath("none") + " is not a directory"},
        {{"--output", image, image, image}, "--output " + image + " is not a directory"},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(QStringList{"convert", "--output", out.path()} + r.args);
        EXPECT_EQ(run.status, 2) << r.problem.toStdString();
        EXPECT_TRUE(run.err.endsWith(("quorvel-cli convert: " + r.problem + "\n" + usage).toLocal8Bit()))
            << run.err.toStdString();
        EXPECT_EQ(run.err.count("quorvel-cli convert: "), 1) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST(ConvertCommand, WritesIntoTheCurrentDirectoryByDefault)
{
    QTemporaryDir in, out;
    const QString image = writeFile(in, "x.bmp", bmpOf(4, 2));
    const QByteArray where = out.path().toLocal8Bit();
    const CliRun run = runCli({"convert", "--", image}, [&] {
        if (chdir(where.constData()) != 0) _exit(99);
    });
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(test::i32At(readAll(QDir(out.path()).filePath("x.m32")), test::kOffsetsAt + 8), 968 + 32 + 8);
}

// Runs the tool with stderr on a terminal and returns what the terminal received.
QByteArray stderrOnATerminal(const QStringList& args, int& status)
{
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "(no pty)";
    std::vector<QByteArray> storage{QByteArray(QUORVEL_CLI_PATH)};
    for (const QString& a : args) storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(slave);
    QByteArray received;
    if (spawned == 0) {
        char buffer[4096];
        for (ssize_t got; (got = read(master, buffer, sizeof buffer)) > 0;) received.append(buffer, got);
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    close(master);
    return received;
}

TEST(ConvertCommand, ProgressLineOnlyOnATerminalAndOnlyForLongWork)
{
    QTemporaryDir in, out;
    const QString big = writeFile(in, "big.bmp", bmpOf(1024, 1024));
    // Every entry writes big.m32, so the run takes the room of one output. However fast the
    // machine, the line is shown here from the start; the short run below keeps the default.
    QStringList args{"convert", "--jobs", "2", "--output", out.path()};
    for (int i = 0; i < 80; ++i) args << big;
    int status = -1;
    qputenv("QUORVEL_PROGRESS_AFTER_MS", "0");
    const QByteArray shown = stderrOnATerminal(args, status);
    qunsetenv("QUORVEL_PROGRESS_AFTER_MS");
    EXPECT_EQ(status, 0) << shown.toStdString();
    EXPECT_TRUE(shown.contains("\rconverting: ")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(" of 80 files")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("\r\x1b[K")) << "the line is wiped at the end";

    const QByteArray quick = stderrOnATerminal({"convert", "--output", out.path(), writeFile(in, "s.bmp", bmpOf(2, 2))}, status);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(quick.contains("converting")) << quick.toStdString();
}

TEST(ExportCommand, WritesTheLevelAsFileExportDoes)
{
    QTemporaryDir dir;
    QTemporaryDir in;
    TextureDocument document;
    ConversionOptions options;
    options.alpha = 128;
    options.outputDirectory = dir.path();
    const QString texture = convertt(document, writeFile(in, "t.bmp", bmpOf(64, 32)), options);
    // As the editor has it after opening the file: colour recovered from the stored pixels.
    document.open(texture);
    for (int level : {1, 3}) {
        const QString expected = dir.filePath(QStringLiteral("expected%1.bmp").arg(level));
        exportLevel(document, level, expected);
        const QString out = dir.filePath(QStringLiteral("out%1.bmp").arg(level));
        QStringList args{"export", texture, out};
        if (level != 1) args = QStringList{"export", "--level", QString::number(level), texture, out};
        const CliRun run = runCli(args);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(readAll(out), readAll(expected)) << level;
    }
    EXPECT_EQ(test::i32At(readAll(dir.filePath("out3.bmp")), 18), 16);
}

// The stored bytes of level k of an m32 file, as straight colour and alpha.
QImage levelOfFile(const QByteArray& m32, int k)
{
    const int w = test::i32At(m32, test::kWidthsAt + 4 * (k - 1)), h = test::i32At(m32, test::kHeightsAt + 4 * (k - 1));
    const qsizetype at = test::i32At(m32, test::kOffsetsAt + 4 * (k - 1));
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto* p = reinterpret_cast<const uchar*>(m32.constData() + at + 4 * (qsizetype(y) * w + x));
            image.setPixel(x, y, qRgba(p[0], p[1], p[2], p[3]));
        }
    return image;
}

// A 32-bit Targa as the writer lays it out: an 18-byte header, rows from the bottom, BGRA.
QImage imageOfTga32(const QByteArray& tga)
{
    const int w = std::uint8_t(tga[12]) | std::uint8_t(tga[13]) << 8, h = std::uint8_t(tga[14]) | std::uint8_t(tga[15]) << 8;
    QImage image(w, h, QImage::Format_ARGB32);
    if (tga[2] != 2 || tga[16] != 32 || tga.size() != 18 + qsizetype(w) * h * 4) return {};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto* p = reinterpret_cast<const uchar*>(tga.constData() + 18 + 4 * (qsizetype(h - 1 - y) * w + x));
            image.setPixel(x, y, qRgba(p[2], p[1], p[0], p[3]));
        }
    return image;
}

TEST(ExportCommand, PngAndTgaHoldTheStoredColourAndAlpha)
{
    QTemporaryDir in, dir;
    const QString rgba = writeFile(in, "leaf.png", pngOf(6, 8, 33, 17));
    for (const QStringList& options : {QStringList{"--keep-alpha", "--filter", "box"}, QStringList{"--alpha", "77"}}) {
        ASSERT_EQ(runCli(QStringList{"convert", "--output", dir.path()} + options + QStringList{rgba}).status, 0);
        const QString texture = dir.filePath("leaf.m32");
        const QByteArray m32 = readAll(texture);
        for (int level : {1, 2, 6}) {
            const QString png = dir.filePath("out.png"), tga = dir.filePath("out.TGA");
            const QString k = QString::number(level);
            ASSERT_EQ(runCli({"export", "--level", k, texture, png}).status, 0);
            ASSERT_EQ(runCli({"export", texture, "--level", k, tga}).status, 0);
            const QImage stored = levelOfFile(m32, level);
            QImageReader reader(png);
            EXPECT_EQ(reader.read().convertToFormat(QImage::Format_ARGB32), stored) << level;
            EXPECT_EQ(imageOfTga32(readAll(tga)), stored) << level;
        }
        // Every level, named by the texture, its number and its size, each what export of it writes.
        const QString all = dir.filePath("all");
        QDir().mkpath(all);
        const CliRun run = runCli({"export", "--all", texture, all});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        QStringList names = QDir(all).entryList(QDir::Files, QDir::Name);
        EXPECT_EQ(names, (QStringList{"leaf-1-33x17.png", "leaf-2-16x8.png", "leaf-3-8x4.png", "leaf-4-4x2.png",
                                      "leaf-5-2x1.png", "leaf-6-1x1.png"}));
        for (int level = 1; level <= 6; ++level) {
            const QString one = dir.filePath("one.png");
            ASSERT_EQ(runCli({"export", "--level", QString::number(level), texture, one}).status, 0);
            const QString name = names.value(level - 1);
            EXPECT_EQ(readAll(QDir(all).filePath(name)), readAll(one)) << name.toStdString();
        }
        QDir(all).removeRecursively();
    }
}

// The artist's round trip: every level out as a PNG and back in gives the very same file for an
// opaque texture, and the smaller levels rebuilt from level 1 are what convert makes of it.
TEST(RoundTrip, ExportReplaceAndRebuildGiveTheFileBack)
{
    QTemporaryDir in, dir;
    const QString picture = writeFile(in, "rock.png", pngOf(6, 8, 37, 21));
    ASSERT_EQ(runCli({"convert", "--output", dir.path(), picture}).status, 0);
    const QString texture = dir.filePath("rock.m32");
    const QByteArray converted = readAll(texture);
    const QString levels = dir.filePath("levels");
    QDir().mkpath(levels);
    ASSERT_EQ(runCli({"export", "--all", texture, levels}).status, 0);
    const QStringList names = QDir(levels).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 6);
    for (int k = 1; k <= 6; ++k) {
        const CliRun run = runCli({"replace-level", texture, "--level", QString::number(k), QDir(levels).filePath(names[k - 1])});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }
    EXPECT_EQ(readAll(texture), converted);
    ASSERT_EQ(runCli({"rebuild", texture}).status, 0);
    EXPECT_EQ(readAll(texture), converted);

    // Level 1 painted: the rebuilt texture is what convert makes of level 1's export.
    TextureDocument document;
    document.open(texture);
    document.editPixels(1, QRect(3, 2, 9, 5), [](QImage& colour, QImage&) {
        for (int y = 2; y < 7; ++y)
            for (int x = 3; x < 12; ++x) colour.setPixel(x, y, qRgb(x * 20, 255 - y * 30, 7));
    });
    document.save(texture);
    ASSERT_EQ(runCli({"rebuild", texture, "--from", "1"}).status, 0);
    const QString painted = dir.filePath("painted/rock.png");
    QDir().mkpath(dir.filePath("painted"));
    ASSERT_EQ(runCli({"export", texture, painted}).status, 0);
    ASSERT_EQ(runCli({"convert", "--output", dir.filePath("painted"), painted}).status, 0);
    EXPECT_EQ(readAll(texture), readAll(dir.filePath("painted/rock.m32")));

    // With the picture's alpha, putting the exports back gives what resave writes.
    ASSERT_EQ(runCli({"convert", "--keep-alpha", "--filter", "box", "--output", dir.path(), picture}).status, 0);
    const QString resaved = dir.filePath("resaved.m32");
    ASSERT_EQ(runCli({"resave", texture, resaved}).status, 0);
    QDir(levels).removeRecursively();
    QDir().mkpath(levels);
    ASSERT_EQ(runCli({"export", "--all", texture, levels}).status, 0);
    for (int k = 1; k <= 6; ++k)
        ASSERT_EQ(runCli({"replace-level", "--keep-alpha", texture, "--level", QString::number(k),
                          QDir(levels).filePath(QDir(levels).entryList(QDir::Files, QDir::Name)[k - 1])})
                      .status,
                  0);
    EXPECT_EQ(readAll(texture), readAll(resaved));
}

TEST(RoundTrip, RefusalsChangeNothing)
{
    QTemporaryDir dir;
    ASSERT_EQ(runCli({"convert", "--output", dir.path(), writeFile(dir, "t.bmp", bmpOf(16, 8))}).status, 0);
    const QString texture = dir.filePath("t.m32");
    const QByteArray before = readAll(texture);
    const QString picture = writeFile(dir, "p.bmp", bmpOf(8, 8));
    // A texture whose second level is not the halving of its first.
    test::M32Fields fields;
    fields.level(1, 4, 4, 968).level(2, 3, 2, 968 + 64);
    const QString odd = writeFile(dir, "odd.m32", test::m32Header(fields).fill(64 + 24, 9));
    const QString replaceUsage = "usage: quorvel-cli replace-level TEXTURE.m32 --level K PICTURE [--keep-alpha]\n";
    const QString rebuildUsage =
        "usage: quorvel-cli rebuild TEXTURE.m32 [--from K] [--filter point|box|linear] [--keep-alpha] [--alpha-coverage N]\n";
    struct Row {
        QStringList args;
        int status;
        QString err;
    } rows[] = {
        {{"replace-level", texture, "--level", "1", picture}, 1, "The picture is 8 x 8; level 1 is 16 x 8\n"},
        {{"replace-level", texture, "--level", "6", picture}, 1, "Level 6 does not exist; the texture has 5 levels\n"},
        {{"replace-level", texture, picture}, 2, "quorvel-cli replace-level: --level K is needed\n" + replaceUsage},
        {{"replace-level", texture, "--level", "x", picture}, 2, "quorvel-cli replace-level: --level needs a whole number\n" + replaceUsage},
        {{"rebuild", texture, "--from", "6"}, 1, "Level 6 does not exist; the texture has 5 levels\n"},
        {{"rebuild", texture, "--alpha-coverage", "9"}, 2, "quorvel-cli rebuild: --alpha-coverage needs --keep-alpha\n" + rebuildUsage},
        {{"rebuild", texture, "--filter", "cubic"}, 2,
         "quorvel-cli rebuild: --filter must be point, box or linear, not \"cubic\"\n" + rebuildUsage},
        {{"rebuild", texture, "--sharpen"}, 2, "quorvel-cli rebuild: unknown option --sharpen\n" + rebuildUsage},
        {{"rebuild"}, 2, "quorvel-cli rebuild: one TEXTURE.m32 is needed\n" + rebuildUsage},
        {{"rebuild", odd}, 1, "Level 2 is 3 x 2, not the halving of level 1 (4 x 4); only halvings can be rebuilt\n"},
    };
    const QByteArray oddBefore = readAll(odd);
    for (const Row& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.status, r.status) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith(r.err.toLocal8Bit())) << run.err.toStdString();
        EXPECT_EQ(readAll(texture), before);
        EXPECT_EQ(readAll(odd), oddBefore);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);

    // A metafile that draws text needs the fonts of a GUI application: the command sets one up.
    using namespace quorvel::metafile;
    test::Wmf wmf;
    wmf.rec(META_SETWINDOWORG, {0, 0}).rec(META_SETWINDOWEXT, {16, 8});
    test::Bytes font;
    font.i16(-6).i16(0).i16(0).i16(0).i16(400).u8s({0, 0, 0, 0, 0, 0, 0, 0}).text("Sans").fill(28);
    wmf.raw(META_CREATEFONTINDIRECT, font).select(0).rec(META_EXTTEXTOUT, {6, 1, 1, 0, 'M'});
    const QString text = writeFile(dir, "text.wmf", wmf.placeable(0, 0, 16, 8, 96));
    const CliRun run = runCli({"replace-level", texture, "--level", "1", text});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_NE(readAll(texture), before);
}

TEST(ExportCommand, MissingLevelsAndBadArguments)
{
    QTemporaryDir dir;
    test::M32Fields fields;
    fields.level(1, 1, 1, 968);
    const QString texture = writeFile(dir, "one.m32", test::m32Header(fields).u8s({1, 2, 3, 255}));
    test::M32Fields emptyFields;
    emptyFields.level(1, 2, 2, 968).level(2, 0, 4, 968 + 16);
    const QString empty = writeFile(dir, "empty.m32", test::m32Header(emptyFields).fill(16));
    const QString out = dir.filePath("out.bmp");
    const QString usage = "usage: quorvel-cli export TEXTURE.m32 [--level K] OUT.bmp|OUT.png|OUT.tga, or --all TEXTURE.m32 DIR\n";
    struct Row {
        QStringList args;
        int status;
        QString err;
    } rows[] = {
        {{texture, "--level", "2", out}, 1, "Level 2 does not exist; the texture has 1 level\n"},
        {{"--level", "0", texture, out}, 1, "Level 0 does not exist; the texture has 1 level\n"},
        {{dir.filePath("none.m32"), out}, 1, "File not found\n"},
        // A level without pixels makes no bitmap any program reads.
        {{"--level", "2", empty, out}, 1, "Level 2 is empty (0 x 4)\n"},
        {{texture, "--level", "two", out}, 2, "quorvel-cli export: --level needs a whole number\n" + usage},
        {{texture, out, "--level"}, 2, "quorvel-cli export: --level needs a whole number\n" + usage},
        {{texture}, 2, usage},
        {{"--all", texture, "--level", "1", dir.path()}, 2,
         "quorvel-cli export: --all writes every level; --level goes without it\n" + usage},
        {{"--all", texture, dir.filePath("none/deeper")}, 1,
         "Cannot create file " + dir.filePath("none/deeper/one-1-1x1.png") + "\n"},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(QStringList{"export"} + r.args);
        EXPECT_EQ(run.status, r.status) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.endsWith(r.err.toLocal8Bit())) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

// When the system gives fewer threads than asked, the run goes on with those it gave; a file-size
// limit is a failure of the file ("Disk full"), never the end of the process, and leaves nothing.
TEST(ConvertCommand, NoAbortWhenThreadsOrFileSizeRunOut)
{
    QTemporaryDir in, out;
    QStringList images;
    for (int i = 0; i < 80; ++i) images << writeFile(in, QStringLiteral("p%1.bmp").arg(i), bmpOf(4, 4, i));
    if (!test::kSanitized) {
        // Each thread's stack takes address space: 200 MB holds far fewer than 64 of them.
        const CliRun run = runCli(QStringList{"convert", "--jobs", "64", "--output", out.path()} + images,
                                  test::limitedTo(200, 30));
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, "80 converted, 0 failed\n");
        const qsizetype said = run.err.indexOf("quorvel-cli convert: could start only ");
        EXPECT_GE(said, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.mid(said).endsWith(" of 64 workers\n")) << run.err.toStdString();
        EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 80);
    }
    QTemporaryDir full;
    const QString image = writeFile(in, "big.bmp", bmpOf(64, 64));
    const CliRun run = runCli({"convert", "--output", full.path(), image}, test::fileSizeLimitedTo(4096));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.endsWith((image + ": Disk full\n").toUtf8())) << run.err.toStdString();
    EXPECT_EQ(run.out, "0 converted, 1 failed\n");
    EXPECT_TRUE(QDir(full.path()).isEmpty());
}

// Every command that writes refuses, before writing, an output that is one of its inputs: by
// the same name, another name, or a link; the input stays as it was.
TEST(WritingCommands, NoOutputLandsOnAnInput)
{
    QTemporaryDir dir;
    const auto at = [&](const char* name) { return dir.filePath(name); };
    TextureDocument document;
    ConversionOptions options;
    options.outputDirectory = dir.path();
    const QString texture = convertt(document, writeFile(dir, "t.bmp", bmpOf(8, 4)), options);
    const QString picture = writeFile(dir, "pic.bmp", bmpOf(6, 6));
    const QString targa = writeFile(dir, "r.tga", tgaOf(3, 2));
    ASSERT_TRUE(QFile::link(picture, at("pic.m32")));  // what convert of pic.bmp would write
    ASSERT_TRUE(QFile::link(texture, at("sheet.png")));
    ASSERT_TRUE(QFile::link(texture, at("t-1-8x4.png"))); // what export --all would write first
    ASSERT_EQ(::link(QFile::encodeName(texture).constData(), QFile::encodeName(at("hard.m32")).constData()), 0);
    const QByteArray textureBytes = readAll(texture), pictureBytes = readAll(picture), targaBytes = readAll(targa);
    const auto same = [](const QString& out, const QString& in) { return QStringLiteral("%1 and %2 are the same file\n").arg(out, in); };
    struct Row {
        QStringList args;
        int status;
        QString err;
    } rows[] = {
        {{"convert", "--output", dir.path(), picture}, 1, picture + ": " + same(at("pic.m32"), picture)},
        {{"export", texture, texture}, 1, same(texture, texture)},
        {{"export", texture, at("hard.m32")}, 1, same(at("hard.m32"), texture)},
        {{"resave", texture, at("hard.m32")}, 1, same(at("hard.m32"), texture)},
        {{"resave", at("hard.m32"), texture}, 1, same(texture, at("hard.m32"))},
        {{"tga-resave", targa, targa}, 1, same(targa, targa)},
        {{"decode", picture, at("pic.m32")}, 1, same(at("pic.m32"), picture)},
        {{"sheet", at("sheet.png"), texture}, 1, same(at("sheet.png"), texture)},
        {{"export", "--all", texture, dir.path()}, 1, same(at("t-1-8x4.png"), texture)},
        // A forgotten OUT: the first texture would become the sheet.
        {{"sheet", texture, at("hard.m32")}, 2, "quorvel-cli sheet: OUT must end in .png, not \"" + texture + "\"\n"},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(r.args);
        EXPECT_EQ(run.status, r.status) << r.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(r.err.toUtf8())) << run.err.toStdString();
        EXPECT_EQ(readAll(texture), textureBytes);
        EXPECT_EQ(readAll(picture), pictureBytes);
        EXPECT_EQ(readAll(targa), targaBytes);
    }
    EXPECT_TRUE(QFileInfo(at("sheet.png")).isSymLink());
    EXPECT_TRUE(QFileInfo(at("pic.m32")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(at("t-2-4x2.png"))); // export --all wrote no level
}

} // namespace
} // namespace quorvel

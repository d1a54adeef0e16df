// Batch conversion of one file at a time, as the wizard runs it, and the checks of its boxes.
#include "import/BatchConversion.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "tests/document/M32Bytes.h"
#include "tests/support/ImageFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

QByteArray bmpOf(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x, y, 7));
    return encodeBmp24(image);
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) ADD_FAILURE() << "cannot write " << name.toStdString();
    return path;
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int levelsIn(const QByteArray& m32)
{
    int count = 0;
    while (count < 16 && test::i32At(m32, test::kOffsetsAt + 4 * count) != 0) ++count;
    return count;
}

TEST(BatchConversion, OutputNames)
{
    const std::pair<const char*, const char*> rows[] = {
        {"ROCK.TGA", "ROCK.m32"}, {"/in/wall.bmp", "wall.m32"}, {"/a.b/c.gif", "c.m32"},
        {"x.jpeg", "x.m32"},      {"ab", "m32"},                {"/in/.pcx", ".m32"},
        {"x.JPEG", "x.m32"},      {"x.abcd", "x.am32"},         {"x.png", "x.m32"},
    };
    for (auto [source, name] : rows) EXPECT_EQ(convertedFileName(source), name) << source;
    EXPECT_EQ(convertedPath("/in/ROCK.TGA", "/out"), "/out/ROCK.m32");
    EXPECT_EQ(convertedPath("/in/ROCK.TGA", ""), "ROCK.m32");
    EXPECT_EQ(conversionProgressMaximum(), 13);
}

TEST(BatchConversion, AlphaAndFlagBoxesAreChecked)
{
    // An empty box is 0, as everywhere else.
    const std::pair<const char*, int> alphas[] = {{"0", 0}, {"255", 255}, {" 128 ", 128}, {"$80", 128}, {"", 0}, {"  ", 0}};
    for (auto [text, value] : alphas) EXPECT_EQ(conversionAlpha(text), value) << text;
    for (const char* bad : {"256", "-1", "12a", "1.0", "abc", "$", "-"}) {
        try {
            conversionAlpha(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("The Alpha value must be a whole number from 0 to 255, not \"%1\"").arg(bad));
        }
    }
    for (const char* good : {"2048", "-1", "2147483647", "-2147483648", "$FFFFFFFF", " 1 ", "", " "})
        EXPECT_NO_THROW(checkConversionFlags(good)) << good;
    for (const char* bad : {"2147483648", "1x", "0x10", "$"}) EXPECT_THROW(checkConversionFlags(bad), Error) << bad;

    const ConversionOptions options = conversionOptions(false, "1", "128", "/out");
    EXPECT_FALSE(options.allSizes);
    EXPECT_EQ(options.flags, "1");
    EXPECT_EQ(options.alpha, 128);
    EXPECT_EQ(options.outputDirectory, "/out");
    EXPECT_THROW(conversionOptions(true, "x", "128", "/out"), Error);
    EXPECT_THROW(conversionOptions(true, "1", "300", "/out"), Error);
}

TEST(BatchConversion, EachFileItsOwnTexture)
{
    QTemporaryDir in, out;
    const QString a = write(in, "a.bmp", bmpOf(256, 256));
    const QString b = write(in, "b.gif", test::twoColourGif(64, 64));
    TextureDocument document;
    ConversionOptions options;
    options.outputDirectory = out.path();
    int last = 0;
    EXPECT_EQ(convertt(document, a, options, [&](int p) { last = p; }), out.filePath("a.m32"));
    EXPECT_EQ(last, 52); // past the bar's 13: a full bar
    EXPECT_EQ(convertt(document, b, options), out.filePath("b.m32"));
    EXPECT_EQ(document.currentFile(), out.filePath("b.m32"));
    EXPECT_EQ(document.currentLevel(), 1);

    const QByteArray first = read(out.filePath("a.m32")), second = read(out.filePath("b.m32"));
    EXPECT_EQ(levelsIn(first), 9);
    EXPECT_EQ(levelsIn(second), 7);
    qsizetype expected = 968;
    for (int side = 64; side >= 1; side /= 2) expected += side * side * 4;
    EXPECT_EQ(second.size(), expected);
    EXPECT_EQ(test::i32At(second, 708), 2048);
    // The GIF's colours, stored as they are with alpha 255.
    EXPECT_EQ(second.mid(968, 8), QByteArray("\x01\x02\x03\xff\xc8\x64\x32\xff", 8));
}

TEST(BatchConversion, AnOutputDependsOnlyOnItsInput)
{
    QTemporaryDir in, out;
    // A texture opened before the run, with reserved bytes and sixteen level sizes.
    test::M32Fields fields;
    fields.reserved = QByteArray(72, '\x5a');
    for (int k = 1; k <= 16; ++k) fields.widths[k - 1] = fields.heights[k - 1] = 3;
    fields.level(1, 1, 1, 968);
    TextureDocument document;
    document.open(write(in, "old.m32", test::m32Header(fields).u8s({1, 2, 3, 4})));
    ConversionOptions options;
    options.outputDirectory = out.path();
    convertt(document, write(in, "big.bmp", bmpOf(256, 256)), options);
    convertt(document, write(in, "small.bmp", bmpOf(4, 4)), options);

    TextureDocument fresh;
    QTemporaryDir alone;
    options.outputDirectory = alone.path();
    convertt(fresh, in.filePath("small.bmp"), options);
    const QByteArray bytes = read(out.filePath("small.m32"));
    EXPECT_EQ(bytes, read(alone.filePath("small.m32")));
    EXPECT_EQ(test::i32At(bytes, test::kWidthsAt + 4 * 3), 0); // not big.bmp's fourth level
    EXPECT_EQ(bytes.mid(896, 72), QByteArray(72, '\0'));
}

TEST(BatchConversion, FlagsAndAlphaOfTheBoxesEverywhere)
{
    QTemporaryDir in, out;
    const QString rock = write(in, "ROCK.BMP", bmpOf(16, 8));
    write(out, "ROCK.m32", "an older file");
    TextureDocument document;
    for (const bool allSizes : {true, false}) {
        convertt(document, rock, conversionOptions(allSizes, "1", "128", out.path()));
        const QByteArray bytes = read(out.filePath("ROCK.m32"));
        ASSERT_EQ(levelsIn(bytes), allSizes ? 5 : 1);
        EXPECT_EQ(test::i32At(bytes, 708), 1);
        EXPECT_EQ(test::i32At(bytes, test::kWidthsAt), 16);
        EXPECT_EQ(test::i32At(bytes, test::kHeightsAt), 8);
        bool allHalf = true;
        for (qsizetype at = 968 + 3; at < bytes.size(); at += 4) allHalf = allHalf && quint8(bytes[at]) == 128;
        EXPECT_TRUE(allHalf);
    }
}

// Different files of one run that would write the same output name each other; one file listed
// twice is no clash.
TEST(BatchConversion, InputsThatWriteOneOutputAreFound)
{
    QTemporaryDir in;
    const QString bmp = write(in, "rock.bmp", bmpOf(2, 2)), tga = write(in, "rock.tga", bmpOf(2, 2));
    const QString gif = write(in, "rock.gif", test::twoColourGif(2, 2)), other = write(in, "wall.bmp", bmpOf(2, 2));
    struct Row {
        QStringList inputs;
        QStringList lines;
    } rows[] = {
        {{bmp, other}, {}},
        {{bmp, bmp}, {}},
        {{bmp, QDir(in.path()).filePath("./rock.bmp")}, {}},
        {{bmp, other, tga}, {bmp + ": also written by " + tga, tga + ": also written by " + bmp}},
        {{tga, bmp, gif, bmp},
         {tga + ": also written by " + bmp + ", " + gif, bmp + ": also written by " + tga + ", " + gif,
          gif + ": also written by " + tga + ", " + bmp, bmp + ": also written by " + tga + ", " + gif}},
        // Not yet there, or gone: told apart by their names.
        {{in.filePath("gone.bmp"), in.filePath("gone.pcx")},
         {in.filePath("gone.bmp") + ": also written by " + in.filePath("gone.pcx"),
          in.filePath("gone.pcx") + ": also written by " + in.filePath("gone.bmp")}},
    };
    for (const Row& r : rows) EXPECT_EQ(outputClashLines(r.inputs), r.lines) << r.inputs.join(' ').toStdString();
    const std::vector<OutputClash> clashes = outputClashes({other, tga, bmp});
    ASSERT_EQ(clashes.size(), 2u);
    EXPECT_EQ(clashes[0].index, 1);
    EXPECT_EQ(clashes[1].index, 2);
}

TEST(BatchConversion, AFailedFileLeavesTheDocumentAsItWas)
{
    QTemporaryDir in, out;
    TextureDocument document;
    ConversionOptions options;
    options.outputDirectory = out.path();
    convertt(document, write(in, "first.bmp", bmpOf(8, 8)), options);

    struct Row {
        QString path;
        QString message;
    } rows[] = {
        {in.filePath("deleted.bmp"), "Cannot open file " + in.filePath("deleted.bmp")},
        {write(in, "photo.psd", bmpOf(2, 2)), "Unknown picture file extension (.psd)"},
        {write(in, "photo.jpg", bmpOf(2, 2)), "JPEG image is not valid: not a JPEG file"},
        {write(in, "wide.bmp", bmpOf(1100, 1)), "The picture is 1100 x 1 pixels; a level has at most 1024 pixels on a side"},
        // A Targa of no columns: a level-less texture would be written and count as converted.
        {write(in, "empty.tga", QByteArray("\0\0\2\0\0\0\0\0\0\0\0\0\0\0\x0a\0\x18\0", 18)),
         "The picture is empty (0 x 10)"},
    };
    for (const Row& r : rows) {
        try {
            convertt(document, r.path, options);
            ADD_FAILURE() << r.path.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), r.message);
        }
        EXPECT_EQ(document.currentFile(), out.filePath("first.m32"));
        EXPECT_EQ(document.levelCount(), 4);
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"first.m32"}));
}

} // namespace
} // namespace quorvel

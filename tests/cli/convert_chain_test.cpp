// quorvel-cli convert with the chain options: the files it writes against what the core writes
// with the same choices, a known halving end to end, and the usage errors of the options.
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "import/BatchConversion.h"
#include "tests/cli/CliRun.h"
#include "tests/support/Bytes.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using test::CliRun;
using test::runCli;
using test::writeFile;

// A 32-bit Targa, top row first, its alpha a ramp.
QByteArray tgaWithAlpha(int width, int height)
{
    test::Bytes b;
    b.u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height)).u8(32).u8(0x28);
    for (int i = 0; i < width * height; ++i) b.u8s({i & 255, 40, (i * 5) & 255, (i * 13) & 255});
    return b;
}

QByteArray checkerBmp()
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    image.setPixel(0, 1, qRgb(255, 255, 255));
    image.setPixel(1, 1, qRgb(0, 0, 0));
    return encodeBmp24(image);
}

TEST(ConvertChain, WritesWhatTheCoreWritesWithTheSameChoices)
{
    QTemporaryDir in;
    const QStringList images{writeFile(in, "leaf.tga", tgaWithAlpha(40, 24)), writeFile(in, "check.bmp", checkerBmp())};
    struct Row {
        QStringList args;
        ChainOptions chain;
    } rows[] = {
        {{"--filter", "point"}, {}},
        {{"--filter", "box"}, {Resampling::Box, false, 0}},
        {{"--filter", "linear", "--keep-alpha"}, {Resampling::Linear, true, 0}},
        {{"--keep-alpha", "--alpha-coverage", "128", "--filter", "box"}, {Resampling::Box, true, 128}},
    };
    for (const Row& r : rows) {
        QTemporaryDir expected, out;
        ConversionOptions options;
        options.outputDirectory = expected.path();
        options.chain = r.chain;
        TextureDocument document;
        for (const QString& image : images) convertt(document, image, options);
        const CliRun run = runCli(QStringList{"convert", "--output", out.path(), "--jobs", "2"} + r.args + images);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        for (const char* name : {"leaf.m32", "check.m32"})
            EXPECT_EQ(test::readAll(QDir(out.path()).filePath(name)), test::readAll(QDir(expected.path()).filePath(name)))
                << name << " " << r.args.join(' ').toStdString();
    }
    // A known halving end to end: the 2 x 2 checkerboard's level 2.
    const std::pair<const char*, int> known[] = {{"point", 0}, {"box", 128}, {"linear", 188}};
    for (auto [filter, grey] : known) {
        QTemporaryDir out;
        ASSERT_EQ(runCli({"convert", "--output", out.path(), "--filter", filter, images[1]}).status, 0);
        const QByteArray bytes = test::readAll(QDir(out.path()).filePath("check.m32"));
        EXPECT_EQ(bytes.mid(968 + 16), QByteArray(3, char(grey)) + char(255)) << filter;
    }
}

TEST(ConvertChain, UsageErrorsOfTheOptions)
{
    QTemporaryDir in, out;
    const QString image = writeFile(in, "a.bmp", checkerBmp());
    struct Row {
        QStringList args;
        QString problem;
    } rows[] = {
        {{"--filter", "cubic", image}, "--filter must be point, box or linear, not \"cubic\""},
        {{image, "--filter"}, "--filter needs a value"},
        {{"--keep-alpha", "--alpha-coverage", "0", image}, "--alpha-coverage must be a whole number from 1 to 255, not \"0\""},
        {{"--keep-alpha", "--alpha-coverage", "256", image}, "--alpha-coverage must be a whole number from 1 to 255, not \"256\""},
        {{"--alpha-coverage", "128", image}, "--alpha-coverage needs --keep-alpha"},
    };
    for (const Row& r : rows) {
        const CliRun run = runCli(QStringList{"convert", "--output", out.path()} + r.args);
        EXPECT_EQ(run.status, 2) << r.problem.toStdString();
        EXPECT_TRUE(run.err.contains(("quorvel-cli convert: " + r.problem + "\nusage: quorvel-cli convert ").toLocal8Bit()))
            << run.err.toStdString();
    }
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

} // namespace
} // namespace quorvel

// Export of a level as a 24-bit Windows bitmap.
#include "import/Export.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/Bitmap.h"
#include "import/MipmapChain.h"
#include "tests/document/M32Bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quorvel {
namespace {

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Export, FileNames)
{
    const std::pair<const char*, const char*> rows[] = {
        {"texture", "texture.bmp"}, {"/a.b/texture", "/a.b/texture.bmp"}, {"/x/t.png", "/x/t.png"},
        {"t.BMP", "t.BMP"},         {"t.", "t."},
    };
    for (auto [typed, written] : rows) EXPECT_EQ(exportFileName(typed), written) << typed;
}

TEST(Export, TheChosenLevelAtItsOwnSize)
{
    QImage picture(64, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) picture.setPixel(x, y, qRgb(x * 4, y * 8, 99));
    TextureDocument document;
    makemipmaps(document, picture, 255, true, CountedPass::Halving);
    QTemporaryDir dir;
    for (const int level : {1, 3}) {
        document.setCurrentLevel(level);
        // Any name but .png and .tga gets a bitmap.
        const QString path = dir.filePath(QStringLiteral("level%1.%2").arg(level).arg(level == 1 ? "bmp" : "xyz"));
        exportCurrentLevel(document, path);
        const QImage written = Bitmap::decodeBmp(read(path));
        EXPECT_EQ(written.size(), document.levelSize(level));
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), document.levelImage(level)) << level;
        EXPECT_EQ(read(path).mid(28, 2), QByteArray("\x18\x00", 2)); // 24 bits per pixel
    }
}

TEST(Export, PartlyTransparentColourAsTheViewShowsIt)
{
    test::M32Fields fields;
    fields.level(1, 1, 1, 968);
    const QString texture = test::writeTempFile("half.m32", test::m32Header(fields).u8s({200, 100, 50, 128}));
    TextureDocument document;
    document.open(texture);
    QTemporaryDir dir;
    exportLevel(document, 1, dir.filePath("half.bmp"));
    EXPECT_EQ(Bitmap::decodeBmp(read(dir.filePath("half.bmp"))).pixel(0, 0), qRgb(196, 146, 121));
    // A PNG and a Targa hold what a save stores, not blended: the colour recovered from the view's
    // blend, 50 coming back as 51 at this alpha, as it does in the saved file.
    const QByteArray saved = document.saveToBytes().mid(968, 4);
    ASSERT_EQ(saved, QByteArray("\xC8\x64\x33\x80", 4));
    exportLevel(document, 1, dir.filePath("half.png"));
    EXPECT_EQ(QImage(dir.filePath("half.png")).pixel(0, 0), qRgba(200, 100, 51, 128));
    exportLevel(document, 1, dir.filePath("half.tga"));
    EXPECT_EQ(read(dir.filePath("half.tga")),
              QByteArray("\0\0\x02\0\0\0\0\0\0\0\0\0\x01\0\x01\0\x20\0\x33\x64\xC8\x80", 22));
}

TEST(Export, EveryLevelAsAPngNamedByItsNumberAndSize)
{
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(qRgb(1, 2, 3));
    TextureDocument document;
    makemipmaps(document, picture, 90, true, CountedPass::Halving);
    QTemporaryDir dir;
    const QStringList written = exportAllLevels(document, dir.path(), "wall");
    EXPECT_EQ(written, (QStringList{dir.filePath("wall-1-6x4.png"), dir.filePath("wall-2-3x2.png"), dir.filePath("wall-3-1x1.png")}));
    for (int k = 1; k <= 3; ++k) {
        const QImage read(written.value(k - 1));
        EXPECT_EQ(read.convertToFormat(QImage::Format_ARGB32), storedLevel(document, k));
        // The same resolution as the command line writes, whatever the screen.
        EXPECT_EQ(read.dotsPerMeterX(), 3937);
        EXPECT_EQ(read.dotsPerMeterY(), 3937);
    }
    // A level without pixels cannot be a PNG, and no name may be an input: either is refused
    // before any level is written, the good levels before it included.
    TextureDocument empty;
    empty.appendLevel(4, 4, "4x4");
    empty.appendLevel(0, 4, "0x4");
    const QString input = dir.filePath("in-1-4x4.png");
    empty.save(input);
    const QByteArray inputBytes = empty.saveToBytes();
    const std::pair<QString, QString> refusals[] = {
        {"none", "Level 2 is 0 x 4 pixels: there is nothing to write"},
        {"in", dir.filePath("in-1-4x4.png") + " and " + input + " are the same file"},
    };
    for (const auto& [name, message] : refusals) {
        try {
            exportAllLevels(empty, dir.path(), name, {input});
            ADD_FAILURE() << name.toStdString();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), message);
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
    QFile kept(input);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), inputBytes);
}

TEST(Export, RefusedWithoutTheLevelAndNothingWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.bmp");
    TextureDocument document;
    try {
        exportCurrentLevel(document, path);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "There is no level to export: the texture has no levels");
    }
    document.appendLevel(4, 4, "4x4");
    try {
        exportLevel(document, 2, path);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Level 2 does not exist; the texture has 1 level");
    }
    EXPECT_FALSE(QFile::exists(path));

    const QString nowhere = dir.filePath("missing/out.bmp");
    try {
        exportLevel(document, 1, nowhere);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Cannot create file " + nowhere);
    }
}

} // namespace
} // namespace quorvel

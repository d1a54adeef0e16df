// Export of a level as a 24-bit Windows bitmap.
#include "import/Export.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/Bitmap.h"
#include "import/MipmapChain.h"
#include "tests/document/M32Bytes.h"

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
        const QString path = dir.filePath(QStringLiteral("level%1.png").arg(level));
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

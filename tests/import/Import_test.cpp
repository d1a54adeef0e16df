// Import into the document and "Add a mipmap": what OK does to the texture, and what is
// refused before anything changes.
#include "import/AddMipmap.h"
#include "import/Import.h"
#include "import/ImportedPicture.h"

#include "base/Error.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "tests/support/Bytes.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool everywhere(const QImage& plane, int value)
{
    for (int y = 0; y < plane.height(); ++y)
        for (int x = 0; x < plane.width(); ++x)
            if (plane.constScanLine(y)[x] != value) return false;
    return true;
}

// A texture with an open file's name, a typed text and three levels.
void prepare(TextureDocument& document)
{
    document.newDocument();
    for (int side : {64, 32, 16}) document.appendLevel(side, side, QStringLiteral("%1 * %1").arg(side));
    HeaderTexts texts;
    texts.name = "typed";
    document.setTexts(texts);
    document.save(test::writeTempFile("prepared.m32", {}));
}

TEST(Import, NewTextureUnlessInserting)
{
    TextureDocument document;
    prepare(document);
    int current = 0;
    QObject::connect(&document, &TextureDocument::currentLevelChanged, [&](int level) { current = level; });

    int last = -1;
    EXPECT_EQ(importIntoDocument(document, filled(256, 256, 0xFF336699u), {}, [&](int p) { last = p; }), 1);
    EXPECT_EQ(document.levelCount(), 9);
    EXPECT_EQ(document.currentFile(), "");
    EXPECT_EQ(document.texts().name, "");
    EXPECT_EQ(current, 1);
    EXPECT_EQ(last, 26);
    EXPECT_EQ(importProgressMaximum(filled(256, 4, 0)), 27);
    EXPECT_EQ(importProgressMaximum(filled(512, 4, 0)), 55);
    for (int k = 1; k <= 9; ++k) EXPECT_TRUE(everywhere(document.alphaPlane(k), 255)) << k;

    prepare(document);
    const QString file = document.currentFile();
    EXPECT_EQ(importIntoDocument(document, filled(64, 16, 0xFF000000u), {true, true}), 4);
    EXPECT_EQ(document.levelEntries(),
              QStringList({"64 * 64", "32 * 32", "16 * 16", "64x16", "32x8", "16x4", "8x2", "4x1", "2x1", "1x1"}));
    EXPECT_EQ(document.header().offsets[3], 968 + (64 * 64 + 32 * 32 + 16 * 16) * 4);
    EXPECT_EQ(document.currentLevel(), 4);
    EXPECT_EQ(document.currentFile(), file);
    EXPECT_EQ(document.texts().name, "typed");

    EXPECT_EQ(importIntoDocument(document, filled(300, 200, 0xFF000000u), {false, false}), 1);
    EXPECT_EQ(document.levelEntries(), QStringList({"300x200"}));
}

TEST(Import, RefusedPictureLeavesTheTextureAsItWas)
{
    struct Row {
        QSize picture;
        ImportOptions options;
        int extraLevels;
        const char* message;
    } rows[] = {
        {{2048, 16}, {true, false}, 0, "The picture is 2048 x 16 pixels; a level has at most 1024 pixels on a side"},
        {{16, 1025}, {false, true}, 0, "The picture is 16 x 1025 pixels; a level has at most 1024 pixels on a side"},
        {{1024, 1024}, {true, true}, 3,
         "The picture makes 11 levels and the texture has 6 levels; a texture holds at most 16 levels"},
    };
    for (const Row& r : rows) {
        TextureDocument document;
        prepare(document);
        for (int k = 0; k < r.extraLevels; ++k) document.appendLevel(1, 1, "1 * 1");
        const QString file = document.currentFile();
        int changes = 0;
        QObject::connect(&document, &TextureDocument::levelsChanged, [&] { ++changes; });
        try {
            importIntoDocument(document, filled(r.picture.width(), r.picture.height(), 0), r.options);
            ADD_FAILURE() << r.message;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), r.message);
        }
        EXPECT_EQ(changes, 0);
        EXPECT_EQ(document.levelCount(), 3 + r.extraLevels);
        EXPECT_EQ(document.currentFile(), file);
        EXPECT_EQ(document.texts().name, "typed");
    }
    // Without inserting, the levels already there do not count.
    TextureDocument document;
    prepare(document);
    EXPECT_EQ(importIntoDocument(document, filled(1024, 1024, 0), {}), 1);
    EXPECT_EQ(document.levelCount(), 11);
}

TEST(Import, OnlyColourSurvivesAndDrawnKindsAreKnownByTheirEnding)
{
    // A 32-bit Targa with a transparent pixel, top row first.
    test::Bytes tga;
    tga.u8s({0, 0, 2, 0, 0, 0, 0, 0}).u16(0).u16(0).u16(2).u16(1).u8(32).u8(0x28);
    tga.u8s({10, 20, 30, 0, 40, 50, 60, 255});
    const QString path = test::writeTempFile("alpha.Tga", tga);
    EXPECT_TRUE(drawnOnImport(path));
    const QImage picture = loadImportedImage(path);
    ASSERT_EQ(picture.size(), QSize(2, 1));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(60, 50, 40));
    TextureDocument document;
    importIntoDocument(document, picture, {});
    EXPECT_TRUE(everywhere(document.alphaPlane(1), 255));
    EXPECT_TRUE(everywhere(document.alphaPlane(2), 255));

    for (const char* name : {"a.ICO", "a.emf", "b.WmF", "c.tga"}) EXPECT_TRUE(drawnOnImport(name)) << name;
    for (const char* name : {"a.bmp", "a.GIF", "a.pcx", "a.blz", "a.dib", "a.tgax", "a.png", "a.JPG"}) EXPECT_FALSE(drawnOnImport(name)) << name;

    try {
        loadImportedImage(test::writeTempFile("photo.psd", encodeBmp24(filled(2, 2, 0))));
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Unknown picture file extension (.psd)");
    }
}

TEST(AddMipmap, AppendsAWhiteOpaqueLevelUnderTheTypedEntry)
{
    TextureDocument document;
    document.appendLevel(8, 8, "8 * 8");
    EXPECT_EQ(addBlankLevel(document, "512", "256"), 2);
    EXPECT_EQ(document.levelEntries().last(), "512x256");
    EXPECT_EQ(document.levelSize(2), QSize(512, 256));
    EXPECT_EQ(document.levelImage(2), filled(512, 256, 0xFFFFFFFFu));
    EXPECT_TRUE(everywhere(document.alphaPlane(2), 255));
    EXPECT_EQ(document.currentLevel(), 2);
    EXPECT_EQ(document.header().offsets[1], 968 + 8 * 8 * 4);

    EXPECT_EQ(addBlankLevel(document, " 64", "$20 "), 3);
    EXPECT_EQ(document.levelSize(3), QSize(64, 32));
    EXPECT_EQ(document.levelEntries().last(), " 64x$20 ");
}

TEST(AddMipmap, RefusesSizesOutsideOneTo1024AndTextThatIsNoNumber)
{
    const char* limit = "A mipmap has 1 to 1024 pixels on a side; ";
    struct Row {
        const char* width;
        const char* height;
        const char* message;
    } rows[] = {
        {"0", "4", "the width is 0"},
        {"4", "1025", "the height is 1025"},
        {"66048", "256", "the width is 66048"}, // not 512 by its low 16 bits
        {"-1", "4", "the width is -1"},
        {"abc", "4", "the width \"abc\" is not a whole number"},
        {"12abc", "4", "the width \"12abc\" is not a whole number"},
        {"", "4", "the width \"\" is not a whole number"},
        {"16", "1.5", "the height \"1.5\" is not a whole number"},
    };
    for (const Row& r : rows) {
        TextureDocument document;
        document.appendLevel(8, 8, "8 * 8");
        try {
            addBlankLevel(document, r.width, r.height);
            ADD_FAILURE() << r.message;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QString(limit) + r.message);
        }
        EXPECT_EQ(document.levelCount(), 1);
    }

    TextureDocument full;
    for (int k = 0; k < 16; ++k) full.appendLevel(1, 1, "1x1");
    try {
        addBlankLevel(full, "1", "1");
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "A texture holds at most 16 levels, and this one has 16 levels");
    }
}

} // namespace
} // namespace quorvel

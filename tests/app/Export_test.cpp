// File > Export through the real frame: the level shown, cropped to its size, written as a
// 24-bit bitmap under the name typed (".bmp" added to a name without an extension); no level or
// a file that cannot be made is refused with a message and nothing is written.
#include "tests/support/EditorFixture.h"
#include "import/Export.h"

#include <QComboBox>

namespace quorvel::test {
namespace {

using Export = EditorTest;

// The bitmap file's width, height and bits per pixel.
struct BmpShape {
    int width, height, bits;
    bool operator==(const BmpShape&) const = default;
};

BmpShape shapeOf(const QByteArray& bmp)
{
    if (bmp.size() < 54 || !bmp.startsWith("BM")) return {0, 0, 0};
    const auto at = [&bmp](int offset, int size) {
        int value = 0;
        for (int i = size - 1; i >= 0; --i) value = (value << 8) | quint8(bmp[offset + i]);
        return value;
    };
    return {at(18, 4), at(22, 4), at(28, 2)};
}

TEST_F(Export, WritesTheShownLevelCroppedToItsSize)
{
    writeTexture(path("t.m32"), {{64, 32}, {32, 16}, {16, 8}});
    startEditor();
    openThroughMenu(path("t.m32"));
    QComboBox* combo = w.levels->comboBox();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(document.currentLevel(), 3);

    struct Row {
        QString typed, written;
    } rows[] = {
        {path("texture"), path("texture.bmp")},
        {path("level.xyz"), path("level.xyz")}, // bitmap data for any name but .png and .tga
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        fake.fileAnswers.push_back(r.typed);
        chooseMenu('f', 'e');
        EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
        const QByteArray bytes = readFile(r.written);
        EXPECT_EQ(shapeOf(bytes), (BmpShape{16, 8, 24}));
        // The colours the view shows, the alpha not written.
        const QImage written = QImage::fromData(bytes, "BMP").convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(written, document.levelImage(3).copy(0, 0, 16, 8));
    }
    const FileDialogOptions& o = fake.fileCalls.back().options;
    EXPECT_TRUE(fake.fileCalls.back().save);
    EXPECT_EQ(o.fileName, "*.bmp");
    EXPECT_EQ(o.filter, "Windows Bitmap (*.bmp) (*.bmp);;PNG Image (*.png) (*.png);;Targa (*.tga) (*.tga)");
    EXPECT_TRUE(o.hideFilterPatterns);
    EXPECT_TRUE(o.confirmOverwrite);

    // A .png name: the stored colour and alpha of the level shown, at its size.
    fake.fileAnswers.push_back(path("level.png"));
    chooseMenu('f', 'e');
    EXPECT_TRUE(fake.errors.isEmpty()) << fake.errors.join("; ").toStdString();
    EXPECT_EQ(QImage(path("level.png")).convertToFormat(QImage::Format_ARGB32), storedLevel(document, 3));
    EXPECT_EQ(QImage(path("level.png")).size(), QSize(16, 8));

    // Cancelled: nothing is written.
    chooseMenu('f', 'e');
    EXPECT_EQ(QDir(dir.path()).entryList({"*.bmp", "*.png", "*.xyz"}, QDir::Files).size(), 3);
}

TEST_F(Export, RefusedWithoutALevelOrWhereNoFileCanBeMade)
{
    startEditor();
    chooseMenu('f', 'e');
    EXPECT_EQ(fake.errors, QStringList{"There is no level to export: the texture has no levels"});
    EXPECT_TRUE(fake.fileCalls.empty()) << "refused before a name is asked for";
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.bmp"}, QDir::Files).isEmpty());

    writeTexture(path("t.m32"), {{8, 8}});
    openThroughMenu(path("t.m32"));
    fake.errors.clear();
    const QString nowhere = path("missing/level.bmp");
    fake.fileAnswers.push_back(nowhere);
    chooseMenu('f', 'e');
    EXPECT_EQ(fake.errors, QStringList{"Cannot create file " + nowhere});
    EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
} // namespace quorvel::test

// The image services: registry lookups, pixels, line drawing, BMP writing and reading.
#include "graphics/Bitmap.h"
#include "graphics/BmpWriter.h"
#include "base/Error.h"
#include "graphics/LineDrawing.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"
#include "tests/support/Bytes.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

using namespace quorvel;

namespace {

class NamedGraphic : public Bitmap {
public:
    explicit NamedGraphic(int tag) : Bitmap(tag, 1) {}
};

// The set of pixels of `image` that are not white, as (x, y) pairs.
std::set<std::pair<int, int>> marked(const QImage& image)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.format() == QImage::Format_Grayscale8 ? image.constScanLine(y)[x] != 0
                                                              : image.pixel(x, y) != qRgb(255, 255, 255))
                out.insert({x, y});
    return out;
}

} // namespace

TEST(PictureRegistry, LooksUpCaseInsensitivelyAndLatestWins)
{
    registerPictureKind({.extension = "QvT", .description = "first", .create = [] { return std::make_unique<NamedGraphic>(1); }});
    registerPictureKind({.extension = "qvt", .description = "second", .create = [] { return std::make_unique<NamedGraphic>(2); }});
    const PictureKind* kind = findPictureKind("QVT");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->description, "second");
    EXPECT_EQ(kind->extension, "qvt");
    EXPECT_EQ(kind->create()->width(), 2);
    EXPECT_EQ(findPictureKind("nope"), nullptr);
}

TEST(PictureRegistry, AKindNotReadableHereIsAskedOnceWhenFirstNeeded)
{
    std::atomic<int> asked = 0;
    registerPictureKind({.extension = "qvm", .description = "always", .create = [] { return std::make_unique<NamedGraphic>(1); }});
    registerPictureKind({.extension = "qvm", .description = "missing plugin", .create = [] { return std::make_unique<NamedGraphic>(2); },
                         .filter = "Test Plugin", .available = [&] { return ++asked, false; }});
    EXPECT_EQ(asked, 0); // registering costs nothing
    // Lookups from several threads at once, as convert's workers make them: one question, and
    // the kind it makes unreadable stands aside for the older registration.
    std::vector<std::thread> lookups;
    for (int i = 0; i < 4; ++i)
        lookups.emplace_back([] {
            for (int j = 0; j < 100; ++j) EXPECT_EQ(findPictureKind("qvm")->description, "always");
        });
    for (std::thread& t : lookups) t.join();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(picturePatterns().contains("*.qvm"));
}

TEST(PictureRegistry, FiltersListTheKindsInForceInTheirOrder)
{
    const auto named = [] { return std::make_unique<NamedGraphic>(1); };
    const qsizetype before = pictureFilters().size();
    // Listed after every kind of the program; a kind without a filter name is in none.
    registerPictureKind({.extension = "QVB", .create = named, .filter = "Test Kinds", .listOrder = 1001});
    registerPictureKind({.extension = "qva", .create = named, .filter = "Test Kinds", .listOrder = 1000});
    registerPictureKind({.extension = "qvc", .create = named, .filter = "Other Test Kind", .listOrder = 1002});
    registerPictureKind({.extension = "qvn", .create = named});
    QList<PictureFilter> filters = pictureFilters();
    ASSERT_EQ(filters.size(), before + 2);
    EXPECT_EQ(filters[before].description, "Test Kinds (*.qva;*.qvb)");
    EXPECT_EQ(filters[before].patterns, (QStringList{"*.qva", "*.qvb"}));
    EXPECT_EQ(filters[before + 1].description, "Other Test Kind (*.qvc)");
    EXPECT_TRUE(picturePatterns().endsWith("*.qvc"));
    EXPECT_FALSE(picturePatterns().contains("*.qvn"));

    // An extension registered again is listed once, as its newest registration says.
    registerPictureKind({.extension = "qva", .create = named, .filter = "Other Test Kind", .listOrder = 1003});
    filters = pictureFilters();
    ASSERT_EQ(filters.size(), before + 2);
    EXPECT_EQ(filters[before].description, "Test Kinds (*.qvb)");
    EXPECT_EQ(filters[before + 1].description, "Other Test Kind (*.qvc;*.qva)");
    EXPECT_EQ(picturePatterns().count("*.qva"), 1);
}

TEST(PictureRegistry, UnknownExtensionNamesIt)
{
    const QString path = test::writeTempFile("picture.xyz", "whatever");
    try {
        loadPicture(path);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(pictureExtension("/a.b/c"), "");
    EXPECT_EQ(pictureExtension("/a/c.tar.GZ"), "GZ");
}

TEST(PictureRegistry, MissingFileCannotBeOpened)
{
    try {
        loadPicture("/nonexistent/x.bmp");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), "Cannot open file /nonexistent/x.bmp");
    }
}

TEST(Bitmap, PixelsAreColourValuesWithRedLow)
{
    Bitmap bitmap(3, 2);
    EXPECT_EQ(bitmap.pixel(2, 1), clWhite);
    bitmap.setPixel(1, 1, makeColour(10, 20, 30));
    EXPECT_EQ(bitmap.pixel(1, 1), 0x1E140Au);
    EXPECT_EQ(redOf(bitmap.pixel(1, 1)), 10);
    bitmap.setSize(4, 4);
    EXPECT_EQ(bitmap.pixel(1, 1), makeColour(10, 20, 30));
    EXPECT_EQ(bitmap.pixel(3, 3), clWhite);
    bitmap.clearToWhite();
    EXPECT_EQ(bitmap.pixel(1, 1), clWhite);
}

TEST(Bitmap, StretchDrawRepeatsWholePixels)
{
    Bitmap source(2, 1);
    source.setPixel(0, 0, makeColour(255, 0, 0));
    source.setPixel(1, 0, makeColour(0, 0, 255));
    QImage target(4, 2, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    source.draw(painter, QRect(0, 0, 4, 2));
    painter.end();
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(target.pixel(0, y), qRgb(255, 0, 0));
        EXPECT_EQ(target.pixel(1, y), qRgb(255, 0, 0));
        EXPECT_EQ(target.pixel(2, y), qRgb(0, 0, 255));
        EXPECT_EQ(target.pixel(3, y), qRgb(0, 0, 255));
    }
}

TEST(BmpWriter, WritesBottomUpPaddedRowsThatReadBack)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    image.setPixel(2, 0, qRgb(7, 8, 9));
    image.setPixel(0, 1, qRgb(10, 11, 12));
    image.setPixel(1, 1, qRgb(13, 14, 15));
    image.setPixel(2, 1, qRgb(16, 17, 18));
    const QByteArray bmp = encodeBmp24(image);
    ASSERT_EQ(bmp.size(), 54 + 2 * 12);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(uchar(bmp[28]), 24);
    // The first stored row is the bottom one, blue first, padded from 9 to 12 bytes.
    EXPECT_EQ(uchar(bmp[54]), 12);
    EXPECT_EQ(uchar(bmp[55]), 11);
    EXPECT_EQ(uchar(bmp[56]), 10);
    EXPECT_EQ(uchar(bmp[54 + 9]), 0);
    EXPECT_EQ(uchar(bmp[54 + 12]), 3);

    const QImage back = Bitmap::decodeBmp(bmp);
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(back.pixel(x, y), image.pixel(x, y));
}

TEST(Bitmap, RejectsWhatIsNotABitmap)
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("BM"), QByteArray("GIF89a....")}) {
        try {
            Bitmap::decodeBmp(bytes);
            FAIL() << "accepted " << bytes.toHex().constData();
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), "Bitmap image is not valid");
        }
    }
}

TEST(LineDrawing, ThinPenLeavesOutTheEndPixel)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    drawLine(image, {1, 1}, {5, 1}, clBlack, 1);
    EXPECT_EQ(marked(image), (std::set<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}, {4, 1}}));

    image.fill(Qt::white);
    drawLine(image, {0, 0}, {3, 3}, clBlack, 1);
    EXPECT_EQ(marked(image), (std::set<std::pair<int, int>>{{0, 0}, {1, 1}, {2, 2}}));

    image.fill(Qt::white);
    drawLine(image, {2, 2}, {2, 2}, clBlack, 1);
    EXPECT_TRUE(marked(image).empty());
}

TEST(LineDrawing, ConsecutiveSegmentsCoverTheStroke)
{
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    // A stroke's segments, each from where the last one ended.
    drawLine(image, {1, 1}, {4, 1}, makeColour(255, 0, 0), 1);
    drawLine(image, {4, 1}, {4, 4}, makeColour(255, 0, 0), 1);
    EXPECT_EQ(marked(image), (std::set<std::pair<int, int>>{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}}));
    EXPECT_EQ(image.pixel(2, 1), qRgb(255, 0, 0));
}

TEST(LineDrawing, WidePenDrawsARoundEndedBand)
{
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    drawLine(image, {10, 15}, {20, 15}, clBlack, 5);
    const auto band = marked(image);
    // Width 5: two pixels either side of the axis, round past the ends.
    EXPECT_TRUE(band.count({15, 13}) && band.count({15, 17}));
    EXPECT_FALSE(band.count({15, 12}) || band.count({15, 18}));
    EXPECT_TRUE(band.count({8, 15}) && band.count({22, 15}));
    EXPECT_FALSE(band.count({7, 15}) || band.count({23, 15}));
    // Round ends: the corners of the bounding box stay clear.
    EXPECT_FALSE(band.count({8, 13}) || band.count({22, 17}));
    // A zero-length segment is a disc.
    image.fill(Qt::white);
    drawLine(image, {5, 5}, {5, 5}, clBlack, 3);
    EXPECT_EQ(marked(image).size(), 9u);
}

TEST(LineDrawing, SamePixelsOnColourImagesAndAlphaPlanes)
{
    QImage colour(40, 40, QImage::Format_RGB32);
    colour.fill(Qt::white);
    QImage alpha(40, 40, QImage::Format_Grayscale8);
    alpha.fill(0);
    for (int width : {1, 2, 7, 20}) {
        drawLine(colour, {-5, 3}, {33, 29}, makeColour(0, 0, 0), width);
        drawLine(alpha, {-5, 3}, {33, 29}, makeColour(200, 0, 0), width);
        EXPECT_EQ(marked(colour), marked(alpha)) << width;
    }
    EXPECT_EQ(alpha.constScanLine(3)[0], 200);
}

TEST(LineDrawing, FarAwayPointsAreSafe)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    drawLine(image, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, clBlack, 20);
    drawLine(image, {INT_MAX, 0}, {INT_MIN, 0}, clBlack, 1);
    EXPECT_FALSE(marked(image).empty());
}

TEST(ImportedPicture, BitmapsKeepColourAndDropAlpha)
{
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(10, 20, 30, 0));
    argb.setPixel(1, 0, qRgba(40, 50, 60, 128));
    const Bitmap bitmap(argb);
    const QImage seen = importedImage("a.bmp", bitmap);
    EXPECT_EQ(seen.format(), QImage::Format_RGB32);
    EXPECT_EQ(seen.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(seen.pixel(1, 0), qRgb(40, 50, 60));
    // Drawn kinds are composited onto white.
    const QImage drawn = importedImage("a.ico", bitmap);
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(255, 255, 255));
}

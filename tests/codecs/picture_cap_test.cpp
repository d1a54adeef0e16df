// The one picture cap (2^26 pixels, 16384 on a side; GIF and PCX strips as long as their fields
// allow) of every reader, checked from the header
// before anything is allocated: files of a few bytes that declare huge pictures are refused with
// their reader's message, and the same constructions at a small size decode.
#include "base/Error.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"
#include "tests/support/HostileFiles.h"

#include <gtest/gtest.h>

using namespace quorvel;
using namespace quorvel::test::hostile;
using quorvel::test::Emf;
using quorvel::test::Wmf;

namespace {

QString outcome(const QString& name, const QByteArray& bytes, QImage* image = nullptr)
{
    try {
        const QImage decoded = loadImportedImage(test::writeTempFile(name, bytes));
        if (image) *image = decoded;
        return QStringLiteral("%1 x %2").arg(decoded.width()).arg(decoded.height());
    } catch (const Error& e) {
        return e.message();
    }
}

} // namespace

TEST(PictureCap, HugePicturesAreRefusedFromTheirHeaders)
{
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* message;
    };
    const Row rows[] = {
        {"square.gif", dotGif(16384, 16384), "Image Too Large"},
        {"just-over.gif", dotGif(8192, 8193), "Image Too Large"},
        {"square.tga", tgaHeaderOnly(2, 16384, 16384, 24), "TGA image is too large"},
        {"wide.tga", tgaHeaderOnly(10, 16385, 1, 24), "TGA image is too large"},
        {"just-over.tga", tgaHeaderOnly(10, 8192, 8193, 24), "TGA image is too large"},
        {"just-over.pcx", runsPcx(8192, 8193), "PCX image is too large."},
        {"wide.bmp", endOnlyRle8(16385, 1), "Bitmap image is not valid"},
        {"just-over.bmp", endOnlyRle8(8192, 8193), "Bitmap image is not valid"},
        // The compressed form is refused from the header in its first block, before the rest
        // is expanded.
        {"just-over.blz", zeroBlz(8192, 8193), "Bitmap image is not valid"},
        {"wide.emf", emfOf(Emf(), 16385, 1), "Metafile is not valid"},
        {"just-over.emf", emfOf(Emf(), 8192, 8193), "Metafile is not valid"},
        {"wide.wmf", Wmf().placeable(0, 0, 16385, 1, 96), "Metafile is not valid"},
        {"just-over.wmf", Wmf().placeable(0, 0, 8192, 8193, 96), "Metafile is not valid"},
        {"huge.png", zeroPng(100000, 100000, true), "PNG image is too large"},
        {"wide.png", zeroPng(16385, 1, true), "PNG image is too large"},
        {"just-over.png", zeroPng(8192, 8193, true), "PNG image is too large"},
    };
    for (const Row& row : rows) EXPECT_EQ(outcome(row.name, row.bytes), row.message) << row.name;
}

TEST(PictureCap, TheSameConstructionsDecodeAtASmallSize)
{
    struct Row {
        const char* name;
        QByteArray bytes;
        const char* size;
        QRgb colour; // of every pixel
    };
    const Row rows[] = {
        {"dot.gif", dotGif(300, 20), "300 x 20", qRgb(0, 0, 0)},
        // GIF and PCX pictures are never painted: strips longer than 16384 are taken.
        {"strip.gif", dotGif(1, 65535), "1 x 65535", qRgb(0, 0, 0)},
        {"strip.pcx", runsPcx(1, 40000), "1 x 40000", qRgb(0, 0, 0)},
        {"runs.tga", runsTga(300, 20), "300 x 20", qRgb(0, 0, 0)},
        {"runs.pcx", runsPcx(300, 20), "300 x 20", qRgb(0, 0, 0)},
        {"end.bmp", endOnlyRle8(300, 20), "300 x 20", qRgb(0, 0, 0)},
        {"zero.blz", zeroBlz(300, 200), "300 x 200", qRgb(0, 0, 0)},
        {"frame.emf", emfOf(Emf(), 300, 20), "300 x 20", qRgb(255, 255, 255)},
        {"frame.wmf", Wmf().placeable(0, 0, 300, 20, 96), "300 x 20", qRgb(255, 255, 255)},
        {"zero.png", zeroPng(300, 20), "300 x 20", qRgb(0, 0, 0)},
    };
    for (const Row& row : rows) {
        QImage image;
        ASSERT_EQ(outcome(row.name, row.bytes, &image), row.size) << row.name;
        bool same = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) same = same && (image.pixel(x, y) | 0xFF000000u) == row.colour;
        EXPECT_TRUE(same) << row.name;
    }
}

// The icon reader: the first entry's colour, its mask or alpha, and what it refuses.
#include "base/Error.h"
#include "graphics/Icon.h"
#include "import/ImportedPicture.h"
#include "tests/support/Bytes.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace quorvel;
using test::Bytes;

namespace {

// An icon file with one DIB entry of the given bit depth; `pixels` are the colour rows as stored
// (bottom-up, padded), `mask` the AND rows.
QByteArray iconFile(int width, int height, int bpp, const QByteArray& palette, const QByteArray& pixels,
                    const QByteArray& mask, int headerSize = 40, quint32 profileOffset = 0)
{
    Bytes dib;
    dib.u32(headerSize).i32(width).i32(height * 2).u16(1).u16(bpp).u32(0).u32(0).i32(0).i32(0).u32(0).u32(0);
    if (headerSize >= 124) {
        dib.fill(108 - 40);                      // masks, colour space, endpoints, gamma
        dib.u32(0).u32(profileOffset).u32(64).u32(0); // intent, profile offset and size, reserved
    }
    dib.raw(palette).raw(pixels).raw(mask);
    Bytes file;
    file.u16(0).u16(1).u16(1);
    file.u8(width).u8(height).u8(0).u8(0).u16(1).u16(bpp).u32(quint32(dib.size())).u32(22);
    file.raw(dib);
    return file;
}

QImage load(const QByteArray& bytes)
{
    return test::loadedFrom<Icon>(bytes).image();
}

} // namespace

TEST(Icon, FourBitEntryWithMaskDrawsOntoWhite)
{
    Bytes palette;
    palette.u8s({0, 0, 0, 0}).u8s({0, 0, 255, 0}); // black, red
    // 2x2: bottom row red, black; top row black, red. Rows are padded to four bytes.
    Bytes pixels;
    pixels.u8s({0x10, 0, 0, 0}).u8s({0x01, 0, 0, 0});
    Bytes mask;
    mask.u8s({0x00, 0, 0, 0}).u8s({0x80, 0, 0, 0}); // top-left transparent
    const QImage image = load(iconFile(2, 2, 4, palette.data() + QByteArray(14 * 4, 0), pixels, mask));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));

    const QString path = test::writeTempFile("four.ico", iconFile(2, 2, 4, palette.data() + QByteArray(14 * 4, 0), pixels, mask));
    const QImage seen = loadImportedImage(path);
    EXPECT_EQ(seen.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(seen.pixel(1, 0), qRgb(255, 0, 0));
}

TEST(Icon, ThirtyTwoBitAlphaWinsOverMaskUnlessAllZero)
{
    Bytes pixels;
    pixels.u8s({10, 20, 30, 128}); // 1x1, blue-green-red-alpha
    Bytes mask;
    mask.u8s({0x80, 0, 0, 0});
    EXPECT_EQ(load(iconFile(1, 1, 32, {}, pixels, mask)).pixel(0, 0), qRgba(30, 20, 10, 128));

    Bytes opaque;
    opaque.u8s({10, 20, 30, 0});
    EXPECT_EQ(qAlpha(load(iconFile(1, 1, 32, {}, opaque, mask)).pixel(0, 0)), 0);
    Bytes clearMask;
    clearMask.u8s({0x00, 0, 0, 0});
    EXPECT_EQ(load(iconFile(1, 1, 32, {}, opaque, clearMask)).pixel(0, 0), qRgb(30, 20, 10));
}

TEST(Icon, ProfileWhereTheMaskWouldBeMakesItOpaque)
{
    Bytes pixels;
    pixels.u8s({1, 2, 3, 0}); // 1x1 24-bit, padded
    Bytes maskOrProfile;
    maskOrProfile.u8s({0xFF, 0xFF, 0xFF, 0xFF});
    // Profile offset (from the header's start) right after the pixels: inside the mask's bytes.
    const QImage image = load(iconFile(1, 1, 24, {}, pixels, maskOrProfile, 124, 124 + 4));
    EXPECT_EQ(image.pixel(0, 0), qRgb(3, 2, 1));
    // A profile placed beyond the mask leaves the mask in force.
    EXPECT_EQ(qAlpha(load(iconFile(1, 1, 24, {}, pixels, maskOrProfile, 124, 124 + 8)).pixel(0, 0)), 0);
}

TEST(Icon, RefusesWhatIsNotAnIcon)
{
    Bytes pixels;
    pixels.u8s({1, 2, 3, 0});
    const QByteArray good = iconFile(1, 1, 24, {}, pixels, QByteArray(4, 0));
    struct Row {
        const char* what;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"empty", {}},
        {"wrong type", QByteArray(good).replace(2, 1, "\x03")},
        {"no entries", QByteArray(good).replace(4, 2, QByteArray(2, 0))},
        {"entry offset past the end", QByteArray(good).replace(18, 4, QByteArray("\xFF\xFF\x00\x00", 4))},
        {"pixels cut short", good.left(good.size() - 6)},
        {"huge size", QByteArray(good).replace(22 + 4, 8, Bytes().i32(65535).i32(131070).data())},
        {"bit depth 7", QByteArray(good).replace(22 + 14, 2, Bytes().u16(7).data())},
        {"compressed", QByteArray(good).replace(22 + 16, 4, Bytes().u32(1).data())},
    };
    for (const Row& row : rows) {
        try {
            load(row.bytes);
            ADD_FAILURE() << row.what << " was accepted";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), "Icon image is not valid") << row.what;
        }
    }
}

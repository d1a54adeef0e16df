// The GIF reader: files written by a real LZW encoder decode to their pixels; broken files fail
// with the reader's status messages.
#include "codecs/SGIFImg.h"
#include "graphics/PictureRegistry.h"
#include "tests/support/Bytes.h"
#include "tests/support/ImageFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QImage decodeGif(const QByteArray& bytes)
{
    return loadedFrom<TSGIFBitmap>(bytes).image();
}

// The message a file fails with, or "decoded".
std::string gifOutcome(const QByteArray& bytes)
{
    try {
        decodeGif(bytes);
        return "decoded";
    } catch (const EGIFException& e) {
        return e.what();
    }
}

std::vector<QRgb> distinctColours(int count)
{
    std::vector<QRgb> colours;
    for (int i = 0; i < count; ++i) colours.push_back(qRgb(i, (i * 7 + 3) & 0xFF, 255 - i));
    return colours;
}

std::vector<std::uint8_t> noise(int count, int colours, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> pixels(std::size_t(count), 0);
    for (auto& p : pixels) p = std::uint8_t(random() % unsigned(colours));
    return pixels;
}

// Every pixel of `image` against the colour its index selects (black past the table).
void expectPixels(const QImage& image, const GifForm& form, const std::vector<QRgb>& colours)
{
    ASSERT_EQ(image.width(), form.width);
    ASSERT_EQ(image.height(), form.height);
    for (int y = 0; y < form.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < form.width; ++x) {
            const std::size_t index = form.pixels[std::size_t(y) * std::size_t(form.width) + std::size_t(x)];
            const QRgb expected = index < colours.size() ? colours[index] | 0xFF000000u : 0xFF000000u;
            ASSERT_EQ(row[x], expected) << "pixel " << x << "," << y;
        }
    }
}

GifForm noiseForm(int width, int height, int colours, int minimumCodeSize, unsigned seed)
{
    GifForm form;
    form.width = width;
    form.height = height;
    form.pixels = noise(width * height, colours, seed);
    form.minimumCodeSize = minimumCodeSize;
    int sizeBits = 0;
    while ((2 << sizeBits) < colours) ++sizeBits;
    form.globalSizeBits = sizeBits;
    form.globalColours = distinctColours(2 << sizeBits);
    return form;
}

} // namespace

struct RoundTrip {
    const char* name;
    int width, height, colours, minimumCodeSize;
    bool interlaced;
    LzwOptions lzw;
    int blockSize;
};

TEST(SGIF, FilesOfAnEncoderDecodeToTheirPixels)
{
    // Noise of 256 colours over 40000 pixels needs far more than 4096 codes: the data crosses
    // the widths at 512, 1024 and 2048 and runs on with a full table when no clear comes.
    const RoundTrip cases[] = {
        {"two colours, minimum code size 2", 3, 2, 2, 2, false, {}, 255},
        {"16 colours, 13 pixels wide", 13, 7, 16, 4, false, {}, 255},
        {"256 colours, full table without clear", 200, 200, 256, 8, false, {}, 255},
        {"256 colours, clear when full", 200, 200, 256, 8, false, {true, true, true}, 255},
        {"no opening clear", 31, 9, 8, 3, false, {false, false, true}, 255},
        {"one-byte sub-blocks", 17, 5, 4, 2, false, {}, 1},
        {"interlaced, 10 rows", 7, 10, 16, 4, true, {}, 255},
        {"interlaced, 1 row", 5, 1, 4, 2, true, {}, 255},
        {"interlaced, 17 rows", 9, 17, 64, 6, true, {}, 100},
        {"interlaced, 2 rows", 3, 2, 4, 2, true, {}, 255},
        {"interlaced, 5 rows", 4, 5, 4, 2, true, {}, 255},
        {"interlaced, 8 rows", 6, 8, 8, 3, true, {}, 255},
        {"interlaced, 33 rows", 11, 33, 16, 4, true, {}, 7},
        {"one pixel", 1, 1, 2, 2, false, {}, 255},
        {"long runs of one colour", 300, 50, 2, 2, false, {}, 255},
    };
    unsigned seed = 1;
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.name);
        GifForm form = noiseForm(c.width, c.height, c.colours, c.minimumCodeSize, seed++);
        if (std::string(c.name) == "long runs of one colour")
            for (std::size_t i = 0; i < form.pixels.size(); ++i) form.pixels[i] = (i / 997) & 1;
        form.interlaced = c.interlaced;
        form.lzw = c.lzw;
        const auto stored = c.interlaced ? interlacedOrder(form.pixels, c.width, c.height) : form.pixels;
        const QByteArray file = gifHeader(form)
                                    .raw(Bytes()
                                             .u8(0x2C).u16(0).u16(0).u16(std::uint16_t(c.width)).u16(std::uint16_t(c.height))
                                             .u8(c.interlaced ? 0x40 : 0)
                                             .u8(std::uint8_t(c.minimumCodeSize))
                                             .raw(subBlocks(encodeLzw(stored, c.minimumCodeSize, c.lzw), true, c.blockSize)))
                                    .u8(0x3B);
        expectPixels(decodeGif(file), form, form.globalColours);
        // Read a few bytes at a time, as from a file, the sub-blocks and codes cross every
        // refill of the reader's window.
        EXPECT_EQ((loadedFrom<TSGIFBitmap, TrickleStream>(file).image()), decodeGif(file));
    }
}

TEST(SGIF, Gif87aAndGif89aLoadAlike)
{
    const GifForm form = noiseForm(6, 4, 4, 2, 7);
    EXPECT_EQ(decodeGif(gifFile(form, "GIF87a")), decodeGif(gifFile(form, "GIF89a")));
}

TEST(SGIF, InterlacedRowsArriveInPassOrderAndComeOutInNaturalOrder)
{
    // Ten rows of two pixels, each row in the colour of its own number, stored in the order
    // of the four passes.
    const int arrival[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    std::vector<std::uint8_t> stored;
    for (int row : arrival) stored.insert(stored.end(), 2, std::uint8_t(row));
    GifForm form;
    form.width = 2;
    form.height = 10;
    form.globalColours = distinctColours(16);
    form.globalSizeBits = 3;
    const QByteArray file = gifHeader(form)
                                .u8(0x2C).u16(0).u16(0).u16(2).u16(10).u8(0x40)
                                .u8(4).raw(subBlocks(encodeLzw(stored, 4)))
                                .u8(0x3B);
    const QImage image = decodeGif(file);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(image.pixel(1, y), form.globalColours[std::size_t(y)]) << "row " << y;
}

TEST(SGIF, BrokenFilesFailWithTheirStatus)
{
    GifForm form;
    form.width = 2;
    form.height = 2;
    form.globalColours = distinctColours(4);
    form.globalSizeBits = 1;
    const QByteArray header = gifHeader(form);
    // Image descriptor of a 2 × 2 image and minimum code size 2: clear 4, end 5, first free 6;
    // the codes grow to 4 bits once entry 7 is made.
    const QByteArray descriptor = Bytes().u8(0x2C).u16(0).u16(0).u16(2).u16(2).u8(0);
    auto image = [&](std::initializer_list<std::pair<int, int>> codes, bool terminator = true) {
        return Bytes().raw(header).raw(descriptor).u8(2).raw(subBlocks(packCodes(codes), terminator)).data();
    };
    const QByteArray good = image({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}});
    ASSERT_EQ(gifOutcome(good), "decoded");

    const struct {
        const char* name;
        QByteArray bytes;
        const char* outcome;
    } rows[] = {
        {"not GIF", Bytes().text("GIT89a").raw(good.mid(6)), "Bad File"},
        {"shorter than the header", good.left(12), "Bad File"},
        {"global table short", good.left(13 + 11), "Bad Read"},
        {"descriptor short", Bytes().raw(header).u8(0x2C).u16(0).u16(0).u16(2), "Bad Read"},
        {"local table short", Bytes().raw(header).u8(0x2C).u16(0).u16(0).u16(2).u16(2).u8(0x81).fill(5), "Bad Read"},
        {"ends after the descriptor", Bytes().raw(header).raw(descriptor), "Bad File"},
        {"no image at all", header, "Bad File"},
        {"trailer before an image", Bytes().raw(header).u8(0x3B), "Bad File"},
        {"stray byte where a block starts", Bytes().raw(header).u8(0x42).raw(good.mid(header.size())), "Bad File"},
        {"zero bytes between blocks", Bytes().raw(header).fill(5).raw(good.mid(header.size())), "decoded"},
        {"minimum code size 1", Bytes().raw(header).raw(descriptor).u8(1).raw(good.mid(header.size() + 11)), "Bad Symbol Size"},
        {"minimum code size 9", Bytes().raw(header).raw(descriptor).u8(9).raw(good.mid(header.size() + 11)), "Bad Symbol Size"},
        {"clear, then the next free code", image({{4, 3}, {6, 3}, {5, 3}}), "Bad First Code"},
        {"next free code with no clear", image({{6, 3}, {5, 3}}), "Bad First Code"},
        {"code past the next free one", image({{4, 3}, {1, 3}, {7, 3}, {5, 3}}), "Bad LZW Code"},
        {"zero sub-block before the picture is complete", image({{4, 3}, {1, 3}}, true), "Unexpected End"},
        {"file ends before the picture is complete", image({{4, 3}, {1, 3}}, false), "Unexpected End"},
        {"sub-block shorter than its size",
         Bytes().raw(header).raw(descriptor).u8(2).u8(9).raw(packCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}, {5, 4}})),
         "Unexpected End"},
        {"complete picture, zero sub-block instead of the end code", image({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}}, true), "decoded"},
        {"complete picture, file ends instead of the end code", image({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}}, false), "decoded"},
        {"extension cut short", Bytes().raw(header).u8(0x21).u8(0xF9).u8(4).u8(1), "Bad Read"},
        {"extension sub-blocks run past the end", Bytes().raw(header).u8(0x21).u8(0xFE).u8(10).text("abc"), "Unexpected End"},
        {"empty image", Bytes().raw(header).u8(0x2C).u16(0).u16(0).u16(0).u16(5).u8(0).u8(2).raw(subBlocks(packCodes({{4, 3}, {5, 3}}))), "Bad File"},
        {"65535 × 65535 pixels", Bytes().raw(header).u8(0x2C).u16(0).u16(0).u16(65535).u16(65535).u8(0).u8(2).raw(subBlocks(packCodes({{4, 3}, {5, 3}}))), "Image Too Large"},
    };
    for (const auto& row : rows) EXPECT_EQ(gifOutcome(row.bytes), row.outcome) << row.name;
}

TEST(SGIF, ColourTables)
{
    GifForm form = noiseForm(8, 3, 16, 4, 11);
    // A local table of 4 entries wins over the global one of 16; indexes 4 and up are black,
    // not the global table's colours.
    form.localColours = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9), qRgb(10, 11, 12)};
    form.localSizeBits = 1;
    expectPixels(decodeGif(gifFile(form)), form, form.localColours);

    // Without any table every pixel is black.
    form.localColours.clear();
    form.globalColours.clear();
    expectPixels(decodeGif(gifFile(form)), form, {});
}

TEST(SGIF, TheFirstOfTwoImagesAtItsOwnSize)
{
    GifForm first = noiseForm(5, 3, 4, 2, 21);
    GifForm second = noiseForm(9, 9, 4, 2, 22);
    GifForm screen = first;
    screen.width = 20;
    screen.height = 30;
    // Later images and whatever follows the first image's data are never read.
    const QByteArray file = gifHeader(screen)
                                .u8(0x21).u8(0xF9).u8(4).u8(0).u16(10).u8(0).u8(0)
                                .raw(gifImage(first))
                                .u8(0x21).u8(0xF9).u8(4).u8(0).u16(10).u8(0).u8(0)
                                .raw(gifImage(second))
                                .text("garbage");
    expectPixels(decodeGif(file), first, first.globalColours);
}

TEST(SGIF, ExtensionsArePassedOver)
{
    const GifForm form = noiseForm(4, 4, 4, 2, 31);
    const QByteArray file = gifHeader(form)
                                .u8(0x21).u8(0xFF).u8(11).text("NETSCAPE2.0").u8(3).u8(1).u16(0).u8(0)
                                .u8(0x21).u8(0xFE).u8(5).text("hello").u8(0)
                                .u8(0x21).u8(0x01).u8(12).fill(12).u8(2).text("hi").u8(0)
                                .u8(0x21).u8(0x77).u8(1).u8(0).u8(0)
                                .raw(gifImage(form))
                                .u8(0x3B);
    expectPixels(decodeGif(file), form, form.globalColours);
}

TEST(SGIF, PixelsBeyondTheImageAreDroppedAndMissingOnesTakeIndexZero)
{
    GifForm form = noiseForm(6, 5, 16, 4, 41);
    // Data for 6 × 9 pixels under a 6 × 5 descriptor.
    GifForm taller = form;
    taller.height = 9;
    taller.pixels = noise(6 * 9, 16, 42);
    std::copy(form.pixels.begin(), form.pixels.end(), taller.pixels.begin());
    const QByteArray longer = gifHeader(form)
                                  .u8(0x2C).u16(0).u16(0).u16(6).u16(5).u8(0)
                                  .u8(4).raw(subBlocks(encodeLzw(taller.pixels, 4)))
                                  .u8(0x3B);
    expectPixels(decodeGif(longer), form, form.globalColours);

    // Data for the first 2 rows, then the end code: the rest is colour 0.
    const std::vector<std::uint8_t> part(form.pixels.begin(), form.pixels.begin() + 12);
    const QByteArray shorter = gifHeader(form)
                                   .u8(0x2C).u16(0).u16(0).u16(6).u16(5).u8(0)
                                   .u8(4).raw(subBlocks(encodeLzw(part, 4)))
                                   .u8(0x3B);
    std::fill(form.pixels.begin() + 12, form.pixels.end(), 0);
    expectPixels(decodeGif(shorter), form, form.globalColours);
}

TEST(SGIF, TransparentColourAndLoadedFlag)
{
    const GifForm form = noiseForm(3, 3, 4, 2, 51);
    // A graphic control extension whose transparency bit is clear still names the colour.
    const QByteArray withControl = gifHeader(form).u8(0x21).u8(0xF9).u8(4).u8(0x00).u16(0).u8(2).u8(0)
                                       .raw(gifImage(form)).u8(0x3B);
    QByteArray bytes = withControl;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TSGIFBitmap bitmap;
    EXPECT_FALSE(bitmap.loaded());
    bitmap.loadFromStream(buffer);
    EXPECT_TRUE(bitmap.loaded());
    EXPECT_EQ(toQRgb(bitmap.transparentColour()), form.globalColours[2] | 0xFF000000u);

    QByteArray plain = gifFile(form);
    QBuffer plainBuffer(&plain);
    plainBuffer.open(QIODevice::ReadOnly);
    TSGIFBitmap other;
    other.loadFromStream(plainBuffer);
    EXPECT_EQ(other.transparentColour(), other.pixel(0, 2));
}

TEST(SGIF, AFailedLoadKeepsThePreviousPicture)
{
    const GifForm form = noiseForm(3, 2, 4, 2, 61);
    QByteArray good = gifFile(form);
    QByteArray bad = good.left(good.size() - 6);
    QBuffer goodBuffer(&good), badBuffer(&bad);
    goodBuffer.open(QIODevice::ReadOnly);
    badBuffer.open(QIODevice::ReadOnly);
    TSGIFBitmap bitmap;
    bitmap.loadFromStream(goodBuffer);
    const QImage before = bitmap.image();
    EXPECT_THROW(bitmap.loadFromStream(badBuffer), EGIFException);
    EXPECT_EQ(bitmap.image(), before);
}

TEST(SGIF, RegisteredForGifFiles)
{
    const PictureKind* kind = findPictureKind("gif");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->description, "GIF Image");
    EXPECT_NE(dynamic_cast<TSGIFBitmap*>(kind->create().get()), nullptr);

    const GifForm form = noiseForm(4, 3, 4, 2, 71);
    const auto picture = loadPicture(writeTempFile("picture.GIF", gifFile(form)));
    const auto* bitmap = dynamic_cast<const TSGIFBitmap*>(picture.get());
    ASSERT_NE(bitmap, nullptr);
    expectPixels(bitmap->image(), form, form.globalColours);
}

TEST(SGIF, DecodesWithoutProcessingWindowEvents)
{
    // An event waiting in the queue stays there for the whole decode: nothing re-enters the
    // user interface in the middle of a load.
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection);
    const GifForm form = noiseForm(64, 64, 16, 4, 91);
    decodeGif(gifFile(form));
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

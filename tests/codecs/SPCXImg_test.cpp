// The PCX reader: files of every accepted kind, written as ordinary programs write them, decode
// to their pixels; the header checks and broken data fail with the reader's messages.
#include "codecs/SPCXImg.h"
#include "graphics/PictureRegistry.h"
#include "tests/support/Bytes.h"
#include "tests/support/ImageFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

TSPCX256 decodePcx(const QByteArray& bytes)
{
    ByteStream stream(bytes);
    TSPCX256 decoder;
    decoder.ReadPcx(stream);
    return decoder;
}

// The decoder's pixels as an image, for comparing.
QImage imageOf(const TSPCX256& decoder)
{
    const PixelImage& pixels = decoder.pixels();
    QImage image(pixels.width(), pixels.height(), QImage::Format_RGB32);
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(image.scanLine(y), pixels.constScanLine(y), std::size_t(pixels.width()) * 4);
    return image;
}

std::string pcxOutcome(const QByteArray& bytes)
{
    try {
        decodePcx(bytes);
        return "decoded";
    } catch (const EPCXException& e) {
        return e.what();
    }
}

std::vector<QRgb> distinctColours(int count)
{
    std::vector<QRgb> colours;
    for (int i = 0; i < count; ++i) colours.push_back(qRgb((i * 37) & 0xFF, (i * 11 + 5) & 0xFF, 255 - i));
    return colours;
}

// Random pixels: palette indexes below `colours`, or 0xRRGGBB values when colours is 0. Each
// repeats the one before with the chance `repeatChance`: a third gives runs of a few bytes, 0.95
// runs of dozens.
std::vector<std::uint32_t> randomPixels(int count, int colours, unsigned seed, double repeatChance = 1.0 / 3)
{
    std::mt19937 random(seed);
    std::bernoulli_distribution repeat(repeatChance);
    std::vector<std::uint32_t> pixels(std::size_t(count), 0);
    for (auto& p : pixels) {
        p = colours ? random() % unsigned(colours) : random() & 0xFFFFFF;
        // Runs as well as single bytes.
        if (&p != pixels.data() && repeat(random)) p = *(&p - 1);
    }
    return pixels;
}

// Every pixel against its palette colour or its own 24-bit value.
void expectPixels(const QImage& image, const PcxForm& form, const std::vector<std::uint32_t>& pixels,
                  const std::vector<QRgb>& colours)
{
    ASSERT_EQ(image.width(), form.width);
    ASSERT_EQ(image.height(), form.height);
    for (int y = 0; y < form.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < form.width; ++x) {
            const std::uint32_t v = pixels[std::size_t(y) * std::size_t(form.width) + std::size_t(x)];
            const QRgb expected = form.planes == 3 ? 0xFF000000u | v : colours[v] | 0xFF000000u;
            ASSERT_EQ(row[x], expected) << "pixel " << x << "," << y;
        }
    }
}

} // namespace

TEST(SPCX, FilesOfEveryKindDecodeToTheirPixels)
{
    struct Kind {
        const char* name;
        int planes, bits, bitsPerPixel, colours;
    };
    const Kind kinds[] = {{"16 colours", 4, 1, 4, 16}, {"256 colours", 1, 8, 8, 256}, {"24 bits", 3, 8, 24, 0}};
    const int widths[] = {1, 7, 9, 13, 33, 64};
    unsigned seed = 1;
    for (const Kind& kind : kinds)
        for (int width : widths)
            for (int extraPadding : {0, 2})
                for (bool crossing : {false, true})
                    for (double repeatChance : {1.0 / 3, 0.95})
                    for (bool emptyRuns : {false, true}) {
                        SCOPED_TRACE(testing::Message() << kind.name << ", " << width << " wide, padding "
                                                        << extraPadding << (crossing ? ", runs cross lines" : "")
                                                        << ", repeat chance " << repeatChance
                                                        << (emptyRuns ? ", runs of none" : ""));
                        PcxForm form;
                        form.planes = kind.planes;
                        form.bits = kind.bits;
                        form.width = width;
                        form.height = 5;
                        form.bytesPerLine = pcxBytesPerLine(form) + extraPadding;
                        form.runsCrossLines = crossing;
                        form.emptyRuns = emptyRuns;
                        const std::vector<QRgb> colours = distinctColours(kind.colours);
                        if (kind.colours == 16) form.headerColours = colours;
                        if (kind.colours == 256) form.vgaColours = colours;
                        const auto pixels = randomPixels(width * form.height, kind.colours, seed++, repeatChance);
                        const QByteArray file = pcxFile(form, pixels);
                        const TSPCX256 decoder = decodePcx(file);
                        EXPECT_EQ(decoder.bitsPerPixel(), kind.bitsPerPixel);
                        EXPECT_EQ(decoder.colourTable().size(), kind.colours);
                        expectPixels(imageOf(decoder), form, pixels, colours);
                        // Read a few bytes at a time, as from a file: runs and literal stretches
                        // cross every refill of the reader's window.
                        EXPECT_EQ((loadedFrom<TSPCXBitmap, TrickleStream>(file).image()), imageOf(decoder));
                    }
}

TEST(SPCX, VgaPaletteComesFromTheVersion5Trailer)
{
    PcxForm form;
    form.width = 320;
    form.height = 200;
    form.vgaColours = distinctColours(256);
    const auto pixels = randomPixels(320 * 200, 256, 5);
    const TSPCX256 decoder = decodePcx(pcxFile(form, pixels));
    EXPECT_EQ(decoder.colourTable(), QList<QRgb>(form.vgaColours.begin(), form.vgaColours.end()));
    expectPixels(imageOf(decoder), form, pixels, form.vgaColours);

    // Without the 0x0C marker, or in an older version, the palette is black.
    const std::vector<QRgb> black(256, 0);
    PcxForm noTrailer = form;
    noTrailer.vgaColours.clear();
    expectPixels(imageOf(decodePcx(pcxFile(noTrailer, pixels))), noTrailer, pixels, black);
    PcxForm version3 = form;
    version3.version = 3;
    expectPixels(imageOf(decodePcx(pcxFile(version3, pixels))), version3, pixels, black);
}

TEST(SPCX, SixteenColoursUseTheHeaderPaletteWhateverTheVersion)
{
    for (int version : {0, 2, 3, 5}) {
        PcxForm form;
        form.planes = 4;
        form.bits = 1;
        form.version = version;
        form.width = 640;
        form.height = 480;
        form.headerColours = distinctColours(16);
        const auto pixels = randomPixels(640 * 480, 16, unsigned(version) + 100);
        const TSPCX256 decoder = decodePcx(pcxFile(form, pixels));
        EXPECT_EQ(decoder.bitsPerPixel(), 4);
        expectPixels(imageOf(decoder), form, pixels, form.headerColours);
    }
}

TEST(SPCX, RunsCrossScanLineEnds)
{
    PcxForm form;
    form.width = 4;
    form.height = 2;
    form.bytesPerLine = 4;
    form.vgaColours = distinctColours(256);
    // Line 1 is 1, 2 and the first two of five 7s; line 2 takes the other three, then 9.
    const QByteArray file =
        pcxHeader(form).u8s({0x01, 0x02, 0xC5, 0x07, 0x09}).u8(0x0C).raw(colourTable(form.vgaColours, 7));
    expectPixels(imageOf(decodePcx(file)), form, {1, 2, 7, 7, 7, 7, 7, 9}, form.vgaColours);

    // A run of 63 over lines of one byte feeds 63 lines.
    PcxForm narrow = form;
    narrow.width = 1;
    narrow.bytesPerLine = 1;
    narrow.height = 64;
    const QByteArray runs = pcxHeader(narrow).u8s({0xFF, 0x05, 0x06}).u8(0x0C).raw(colourTable(form.vgaColours, 7));
    std::vector<std::uint32_t> expected(63, 5);
    expected.push_back(6);
    expectPixels(imageOf(decodePcx(runs)), narrow, expected, form.vgaColours);
}

TEST(SPCX, BrokenFilesFailWithTheirMessages)
{
    const char* const notPcx = "This is not a valid PCX image file.";
    const char* const notColour = "This is not a 16, 256 or 24bit color PCX image file.";
    const char* const wrongFormat = "PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.";
    const char* const truncated = "Unexpected end of PCX image file.";

    PcxForm form;
    form.width = 9;
    form.height = 6;
    const auto pixels = randomPixels(9 * 6, 256, 9);
    const QByteArray good = pcxFile(form, pixels);
    auto patched = [&](int at, int value) {
        QByteArray bytes = good;
        bytes[at] = char(value);
        return bytes;
    };
    auto kind = [&](int planes, int bits) { return patched(65, planes).replace(3, 1, QByteArray(1, char(bits))); };
    auto withSize = [&](int xMin, int yMin, int xMax, int yMax) {
        QByteArray bytes = good;
        const QByteArray fields = Bytes().i16(std::int16_t(xMin)).i16(std::int16_t(yMin)).i16(std::int16_t(xMax)).i16(std::int16_t(yMax));
        return bytes.replace(4, 8, fields);
    };

    const struct {
        const char* name;
        QByteArray bytes;
        const char* outcome;
    } rows[] = {
        {"good", good, "decoded"},
        {"first byte not 10", patched(0, 11), notPcx},
        {"encoding not 1", patched(2, 0), notPcx},
        {"shorter than the header", good.left(100), notPcx},
        {"1 plane of 1 bit", kind(1, 1), notColour},
        {"1 plane of 2 bits", kind(1, 2), notColour},
        {"1 plane of 4 bits", kind(1, 4), wrongFormat},
        {"4 planes of 8 bits", kind(4, 8), wrongFormat},
        {"3 planes of 1 bit", kind(3, 1), wrongFormat},
        {"2 planes of 8 bits", kind(2, 8), wrongFormat},
        {"Xmax before Xmin", withSize(5, 0, 4, 5), notPcx},
        {"Ymax before Ymin", withSize(0, 5, 8, 3), notPcx},
        {"lines shorter than a row", withSize(0, 0, 10, 5), notPcx},
        {"16-colour lines shorter than a row", patched(65, 4).replace(3, 1, QByteArray(1, 1)).replace(4, 8, Bytes().i16(0).i16(0).i16(80).i16(5).data()), notPcx},
        {"data ends before the last row", good.left(good.size() - 3), truncated},
        {"data ends inside a run", pcxHeader(form).u8s({0x01, 0xC5}), truncated},
        {"no data at all", pcxHeader(form), truncated},
        {"65535 × 65536 pixels", withSize(-32768, -32768, 32766, 32767).replace(66, 2, "\xFF\xFF"), "PCX image is too large."},
    };
    for (const auto& row : rows) EXPECT_EQ(pcxOutcome(row.bytes), row.outcome) << row.name;
}

TEST(SPCX, SizeComesFromTheWindow)
{
    PcxForm form;
    form.xMin = -20;
    form.yMin = 10;
    form.width = 7;
    form.height = 100; // Ymin 10, Ymax 109
    form.planes = 3;
    const auto pixels = randomPixels(7 * 100, 0, 13);
    expectPixels(imageOf(decodePcx(pcxFile(form, pixels))), form, pixels, {});
}

TEST(SPCX, LongLinesAndManyRows)
{
    // A 24-bit line of 3 × 9002 bytes and 40000 rows of one pixel.
    PcxForm wide;
    wide.planes = 3;
    wide.width = 9001;
    wide.height = 2;
    const auto widePixels = randomPixels(9001 * 2, 0, 17);
    expectPixels(imageOf(decodePcx(pcxFile(wide, widePixels))), wide, widePixels, {});

    PcxForm tall;
    tall.width = 1;
    tall.height = 40000;
    tall.yMin = -20000; // the window's fields are signed 16-bit
    tall.vgaColours = distinctColours(256);
    const auto tallPixels = randomPixels(40000, 256, 19);
    expectPixels(imageOf(decodePcx(pcxFile(tall, tallPixels))), tall, tallPixels, tall.vgaColours);
}

TEST(SPCX, RegisteredForPcxFilesAndKeepsThePictureOnFailure)
{
    const PictureKind* kind = findPictureKind("PCX");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->description, "PCX Image");

    PcxForm form;
    form.planes = 3;
    form.width = 5;
    form.height = 3;
    const auto pixels = randomPixels(15, 0, 23);
    const QString path = writeTempFile("picture.pcx", pcxFile(form, pixels));
    const auto picture = loadPicture(path);
    auto* bitmap = dynamic_cast<TSPCXBitmap*>(picture.get());
    ASSERT_NE(bitmap, nullptr);
    expectPixels(bitmap->image(), form, pixels, {});

    QByteArray broken = pcxFile(form, pixels).left(130);
    QBuffer buffer(&broken);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(bitmap->loadFromStream(buffer), EPCXException);
    expectPixels(bitmap->image(), form, pixels, {});
}

TEST(SPCX, EveryKindRegisteredOnceTheImportsOwn)
{
    // No registration stands behind a newer one of its extension where nothing reads it.
    QStringList order, extensions;
    for (const PictureKind& kind : pictureKinds()) {
        EXPECT_FALSE(extensions.contains(kind.extension)) << kind.extension.toStdString();
        extensions << kind.extension;
        if (QStringList{"pcx", "gif"}.contains(kind.extension)) order << kind.description;
    }
    EXPECT_EQ(order, (QStringList{"GIF Image", "PCX Image"}));
}

TEST(SPCX, DecodesWithoutProcessingWindowEvents)
{
    // An event waiting in the queue stays there for the whole decode: nothing re-enters the
    // user interface in the middle of a load.
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection);
    PcxForm form;
    form.width = 64;
    form.height = 64;
    decodePcx(pcxFile(form, randomPixels(64 * 64, 256, 95)));
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

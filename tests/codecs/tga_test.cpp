// The TGA picture class: files of every type and depth written the way other programs write
// them, bad files, and the writer's TGA, bitmap, stored and clipboard forms.
#include "codecs/TargaImage.h"
#include "base/Error.h"
#include "graphics/PictureRegistry.h"
#include "import/ImportedPicture.h"
#include "tests/support/Bytes.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

using namespace quorvel;
using test::Bytes;

namespace {

// How a test file is laid out: image type, pixel depth, descriptor byte, image ID length, and
// the colour map's entry size (0: no map) and first-entry index.
struct Layout {
    int type, depth, descriptor, idLength = 0, mapEntrySize = 0, mapFirst = 0;
};

// Stored pixel bytes of one value: a colour 0xAARRGGBB for true colour, an index or grey level
// otherwise (16-bit grey carries an alpha byte after the grey level).
void putPixel(Bytes& out, int depth, bool trueColour, QRgb v)
{
    if (!trueColour) {
        out.u8(std::uint8_t(v));
        if (depth == 16) out.u8(0xFF);
    } else if (depth == 16) {
        // Bit 15 set, as writers that use it as the attribute bit store it.
        out.u16(std::uint16_t(0x8000 | (qRed(v) >> 3) << 10 | (qGreen(v) >> 3) << 5 | qBlue(v) >> 3));
    } else {
        out.u8(std::uint8_t(qBlue(v))).u8(std::uint8_t(qGreen(v))).u8(std::uint8_t(qRed(v)));
        if (depth == 32) out.u8(std::uint8_t(qAlpha(v)));
    }
}

// A whole file for a picture given top row first, written in the layout's row order and
// direction; run-length rows use runs for equal neighbours and raw packets otherwise.
QByteArray buildTga(const Layout& l, int width, int height, const std::vector<QRgb>& picture,
                    const std::vector<QRgb>& map = {})
{
    const bool trueColour = l.type == 2 || l.type == 10;
    const int mapBytes = (l.mapEntrySize + 7) / 8;
    Bytes out;
    out.u8(std::uint8_t(l.idLength)).u8(l.mapEntrySize ? 1 : 0).u8(std::uint8_t(l.type));
    out.u16(std::uint16_t(l.mapFirst)).u16(std::uint16_t(map.size())).u8(std::uint8_t(l.mapEntrySize));
    out.u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height));
    out.u8(std::uint8_t(l.depth)).u8(std::uint8_t(l.descriptor));
    for (int i = 0; i < l.idLength; ++i) out.u8(std::uint8_t('A' + i % 26));
    for (QRgb c : map) {
        if (mapBytes == 2) out.u16(std::uint16_t((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3));
        else putPixel(out, mapBytes * 8, true, c);
    }
    for (int r = 0; r < height; ++r) {
        const int y = (l.descriptor & 0x20) ? r : height - 1 - r;
        std::vector<QRgb> row(picture.begin() + y * width, picture.begin() + (y + 1) * width);
        if (l.descriptor & 0x10) std::reverse(row.begin(), row.end());
        if (l.type < 9) {
            for (QRgb v : row) putPixel(out, l.depth, trueColour, v);
            continue;
        }
        for (std::size_t x = 0; x < row.size();) {
            std::size_t n = 1;
            while (x + n < row.size() && n < 128 && row[x + n] == row[x]) ++n;
            if (n >= 2) {
                out.u8(std::uint8_t(0x80 + n - 1));
                putPixel(out, l.depth, trueColour, row[x]);
            } else {
                while (x + n < row.size() && n < 128 && row[x + n] != row[x + n - 1]) ++n;
                if (x + n < row.size() && row[x + n] == row[x + n - 1]) --n; // the last one starts the next run
                n = std::max<std::size_t>(n, 1);
                out.u8(std::uint8_t(n - 1));
                for (std::size_t i = 0; i < n; ++i) putPixel(out, l.depth, trueColour, row[x + i]);
            }
            x += n;
        }
    }
    return out;
}

TTarga load(const QByteArray& bytes)
{
    return test::loadedFrom<TTarga>(bytes);
}

std::vector<QRgb> pixels(const QImage& image)
{
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        out.insert(out.end(), line, line + image.width());
    }
    return out;
}

QString loadError(const QByteArray& bytes)
{
    try {
        load(bytes);
    } catch (const Error& e) {
        return e.message();
    }
    return "no error";
}

Bytes header(int type, int depth, int width, int height, int descriptor = 0)
{
    return std::move(Bytes().u8s({0, 0, type}).fill(9).u16(std::uint16_t(width)).u16(std::uint16_t(height))
                         .u8(std::uint8_t(depth)).u8(std::uint8_t(descriptor)));
}

// A 4 x 3 picture with runs, single pixels and a run across the whole last row. Channels are
// multiples of 8 so that 16-bit files hold them exactly.
constexpr int W = 4, H = 3;
const QRgb A = qRgba(248, 0, 8, 0x40), B = qRgba(0, 248, 16, 0x80), C = qRgba(24, 32, 248, 0xFF),
           D = qRgba(128, 64, 200, 0x00);
const std::vector<QRgb> colours = {A, A, A, B, C, D, C, C, D, D, D, D};
const std::vector<QRgb> indices = {3, 3, 3, 0, 1, 2, 1, 1, 2, 2, 2, 2};
const std::vector<QRgb> palette = {B, C, D, A};

} // namespace

TEST(TgaReader, EveryTypeDepthAndRowOrder)
{
    struct Kind {
        int type, depth, mapEntrySize, imageKind, saveDepth;
    };
    const Kind kinds[] = {
        {1, 8, 24, 1, 0}, {1, 8, 16, 1, 0}, {1, 8, 15, 1, 0}, {1, 8, 32, 1, 0}, {2, 16, 0, 2, 1},
        {2, 24, 0, 2, 2}, {2, 24, 24, 2, 2}, {2, 32, 0, 2, 3}, {3, 8, 0, 3, 0},  {3, 16, 0, 3, 0},
        {9, 8, 24, 4, 0}, {9, 8, 16, 4, 0},  {10, 16, 0, 5, 1}, {10, 24, 0, 5, 2}, {10, 32, 24, 5, 3},
        {11, 8, 0, 6, 0}, {11, 16, 0, 6, 0},
    };
    for (const Kind& k : kinds)
        for (int descriptor : {0x00, 0x20, 0x10, 0x30, 0x08})
            for (int idLength : {0, 7}) {
                const Layout l{k.type, k.depth, descriptor, idLength, k.mapEntrySize};
                const bool mapped = k.type == 1 || k.type == 9, grey = k.type == 3 || k.type == 11;
                std::vector<QRgb> stored = mapped ? indices : colours, expected;
                for (QRgb& v : stored) if (grey) v = qRed(v);
                for (QRgb v : stored) expected.push_back(grey ? qRgb(int(v), int(v), int(v)) : mapped ? palette[v] | 0xFF000000 : v | 0xFF000000);
                const TTarga tga = load(buildTga(l, W, H, stored, mapped || k.mapEntrySize ? palette : std::vector<QRgb>{}));
                SCOPED_TRACE(testing::Message() << "type " << k.type << " depth " << k.depth << " map "
                                                << k.mapEntrySize << " descriptor " << descriptor << " id " << idLength);
                EXPECT_EQ(tga.width(), W);
                EXPECT_EQ(tga.height(), H);
                EXPECT_EQ(tga.ImageKind(), k.imageKind);
                EXPECT_EQ(tga.SaveDepth, k.saveDepth);
                EXPECT_EQ(pixels(tga.colorBitmap().image()), expected);
                if (k.depth == 32 && !mapped) {
                    std::vector<QRgb> alpha;
                    for (QRgb v : colours) alpha.push_back(qRgb(qAlpha(v), qAlpha(v), qAlpha(v)));
                    EXPECT_EQ(pixels(tga.alphaPlane().convertToFormat(QImage::Format_RGB32)), alpha);
                } else {
                    EXPECT_TRUE(tga.alphaPlane().isNull());
                }
            }
}

TEST(TgaReader, PixelRules)
{
    // 16-bit: bit 15 is ignored and 5-bit channels widen as k * 8.
    TTarga tga = load(header(2, 16, 2, 1).u16(0x7FFF).u16(0xFFFF));
    EXPECT_EQ(pixels(tga.colorBitmap().image()), (std::vector<QRgb>{qRgb(248, 248, 248), qRgb(248, 248, 248)}));

    // First-entry index 16: value 16 is the first entry read, 0 and values past the map are black.
    tga = load(Bytes().u8s({0, 1, 1}).u16(16).u16(2).u8(24).fill(4).u16(4).u16(1).u8s({8, 0x20})
                   .u8s({10, 20, 30, 40, 50, 60}).u8s({16, 0, 17, 18}));
    EXPECT_EQ(pixels(tga.colorBitmap().image()),
              (std::vector<QRgb>{qRgb(30, 20, 10), qRgb(0, 0, 0), qRgb(60, 50, 40), qRgb(0, 0, 0)}));
    EXPECT_EQ(tga.ColorMap()[0].red, 30);

    // A map of 1002 entries: all are consumed, the first 1000 kept.
    Bytes big = Bytes().u8s({0, 1, 1}).u16(0).u16(1002).u8(24).fill(4).u16(2).u16(1).u8s({8, 0x20});
    for (int i = 0; i < 1002; ++i) big.u8s({i & 0xFF, 1, 2});
    tga = load(big.u8s({5, 255}));
    EXPECT_EQ(pixels(tga.colorBitmap().image()), (std::vector<QRgb>{qRgb(2, 1, 5), qRgb(2, 1, 255)}));

    // A run-length packet that runs past its row carries on into the next.
    tga = load(header(11, 8, 2, 2, 0x20).u8s({0x82, 7, 0x00, 9}));
    EXPECT_EQ(pixels(tga.colorBitmap().image()),
              (std::vector<QRgb>{qRgb(7, 7, 7), qRgb(7, 7, 7), qRgb(7, 7, 7), qRgb(9, 9, 9)}));

    // 15-bit true colour is read as 16-bit: 5-5-5, the top bit ignored, and saved as 16-bit.
    tga = load(header(2, 15, 2, 1).u16(0x7C1F).u16(0x83E0));
    EXPECT_EQ(pixels(tga.colorBitmap().image()), (std::vector<QRgb>{qRgb(248, 0, 248), qRgb(0, 248, 0)}));
    EXPECT_EQ(tga.ImageKind(), 2);
    EXPECT_EQ(tga.SaveDepth, 1);
    tga = load(header(10, 15, 3, 1).u8(0x82).u16(0x001F));
    EXPECT_EQ(pixels(tga.colorBitmap().image()), std::vector<QRgb>(3, qRgb(0, 0, 248)));

    // A colour map the true-colour image does not use is passed over by its length and whole
    // bytes per entry, whatever the entry size.
    for (int entrySize : {0, 1, 8, 20, 33}) {
        Bytes b = Bytes().u8s({0, 1, 2}).u16(0).u16(3).u8(std::uint8_t(entrySize)).fill(4).u16(1).u16(1).u8s({24, 0});
        b.fill(3 * ((entrySize + 7) / 8), 0xEE).u8s({1, 2, 3});
        EXPECT_EQ(pixels(load(b).colorBitmap().image()), std::vector<QRgb>{qRgb(3, 2, 1)}) << entrySize;
    }

    // Zero width: an empty picture, whatever the type.
    tga = load(header(10, 24, 0, 5));
    EXPECT_TRUE(tga.empty());
    EXPECT_EQ(tga.height(), 5);
}

TEST(TgaReader, BadFiles)
{
    const struct {
        const char* what;
        QByteArray bytes;
        const char* message;
    } rows[] = {
        {"short header", header(2, 24, 1, 1).data().left(17), "TGA image is truncated"},
        {"short image ID", Bytes().u8s({9, 0, 2}).fill(9).u16(1).u16(1).u8s({24, 0}).fill(4), "TGA image is truncated"},
        {"short colour map", Bytes().u8s({0, 1, 1}).u16(0).u16(4).u8(24).fill(4).u16(1).u16(1).u8s({8, 0}).fill(11),
         "TGA image is truncated"},
        {"short rows", header(2, 24, 2, 2).fill(11), "TGA image is truncated"},
        {"run without its pixel", header(10, 24, 2, 1).u8s({0x81, 1, 2}), "TGA image is truncated"},
        {"raw packet cut short", header(10, 32, 2, 1).u8s({0x01}).fill(7), "TGA image is truncated"},
        {"too few packets", header(9, 8, 2, 2).u8s({0x81, 0}), "TGA image is truncated"},
        {"run past the image", header(11, 8, 2, 2).u8s({0xFF, 1}), "TGA run-length data runs past the end of the image"},
        {"raw past the image", header(11, 8, 1, 1).u8s({0x01, 1, 2}), "TGA run-length data runs past the end of the image"},
        {"too large", header(2, 24, 65535, 65535).fill(64), "TGA image is too large"},
        // Kinds the reader cannot decode are refused instead of giving a made-up picture.
        {"no image data", header(0, 8, 4, 4), "Unsupported TGA image (type 0, depth 8)"},
        {"type 7", header(7, 8, 1, 1).fill(1), "Unsupported TGA image (type 7, depth 8)"},
        {"type 32", header(32, 8, 1, 1).fill(1), "Unsupported TGA image (type 32, depth 8)"},
        {"type 200", header(200, 24, 16384, 16384), "Unsupported TGA image (type 200, depth 24)"},
        {"true colour depth 0", header(2, 0, 1, 1), "Unsupported TGA image (type 2, depth 0)"},
        {"true colour depth 8", header(10, 8, 1, 1).fill(2), "Unsupported TGA image (type 10, depth 8)"},
        {"mapped depth 16", header(1, 16, 1, 1).fill(2), "Unsupported TGA image (type 1, depth 16)"},
        {"grey depth 12", header(3, 12, 1, 1).fill(2), "Unsupported TGA image (type 3, depth 12)"},
        {"map entry size the image needs",
         Bytes().u8s({0, 1, 1}).u16(0).u16(2).u8(8).fill(4).u16(1).u16(1).u8s({8, 0}).fill(3),
         "Unsupported TGA colour map (entry size 8)"},
    };
    for (const auto& row : rows) EXPECT_EQ(loadError(row.bytes), row.message) << row.what;

    // A failed load leaves the picture as it was.
    TTarga tga = load(header(3, 8, 1, 1).u8(77));
    QByteArray bad = header(2, 24, 3, 3).fill(5);
    QBuffer buffer(&bad);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(tga.loadFromStream(buffer), Error);
    EXPECT_EQ(tga.width(), 1);
    EXPECT_EQ(tga.colorBitmap().pixel(0, 0), makeColour(77, 77, 77));
}

TEST(TgaReader, FileStreamsAndTheRegistry)
{
    // Big enough to need several reads of the file; both readers of the input give the same.
    const int w = 300, h = 300;
    std::vector<QRgb> picture(w * h);
    std::mt19937 random(7);
    for (QRgb& p : picture) p = random() % 3 ? qRgb(1, 2, 3) : (random() | 0xFF000000);
    const QByteArray bytes = buildTga({10, 24, 0}, w, h, picture) + "trailer";
    const QString path = test::writeTempFile("big.tga", bytes);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TTarga fromFile;
    fromFile.loadFromStream(file);
    EXPECT_EQ(file.pos(), bytes.size() - 7);
    EXPECT_EQ(pixels(fromFile.colorBitmap().image()), picture);

    // The import sees colour only, drawn onto white: a transparent 32-bit file keeps its colour.
    const QString transparent = test::writeTempFile("clear.TGA", buildTga({2, 32, 0}, 1, 1, {qRgba(10, 20, 30, 0)}));
    const QImage imported = loadImportedImage(transparent);
    EXPECT_EQ(imported.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(findPictureKind("tga")->description, "TGA Image");
}

TEST(TgaReader, AssignAndDraw)
{
    TTarga small = load(buildTga({2, 24, 0x20}, 1, 1, {qRgb(1, 2, 3)}));
    TTarga large = load(buildTga({2, 32, 0x20}, 2, 1, {qRgba(9, 9, 9, 5), qRgba(200, 100, 50, 6)}));
    small.Assign(large);
    EXPECT_EQ(small.width(), 1);
    EXPECT_EQ(small.colorBitmap().width(), 2);
    EXPECT_EQ(small.alphaPlane().constScanLine(0)[1], 6);
    EXPECT_THROW(small.Assign(Bitmap(1, 1)), Error);

    // Stretching repeats whole columns; alpha plays no part.
    QImage target(4, 1, QImage::Format_RGB32);
    target.fill(Qt::white);
    QPainter painter(&target);
    large.draw(painter, QRect(0, 0, 4, 1));
    painter.end();
    EXPECT_EQ(pixels(target), (std::vector<QRgb>{qRgb(9, 9, 9), qRgb(9, 9, 9), qRgb(200, 100, 50), qRgb(200, 100, 50)}));

    // The import takes the colour bitmap as it stands when it has the picture's size, and still
    // draws it into the picture's size when an Assign gave it another.
    EXPECT_EQ(pixels(importedImage("a.tga", large)), (std::vector<QRgb>{qRgb(9, 9, 9), qRgb(200, 100, 50)}));
    EXPECT_EQ(importedImage("a.tga", small).size(), QSize(1, 1));
}

TEST(TgaWriter, EncodeRleRow)
{
    const std::uint8_t a[3] = {1, 2, 3}, b[3] = {4, 5, 6};
    auto row = [&](std::initializer_list<const std::uint8_t*> px) {
        QByteArray r;
        for (const std::uint8_t* p : px) r.append(reinterpret_cast<const char*>(p), 3);
        return r;
    };
    auto repeat = [&](const std::uint8_t* p, int n) { QByteArray r; for (int i = 0; i < n; ++i) r.append(reinterpret_cast<const char*>(p), 3); return r; };
    QByteArray distinct;
    for (int i = 0; i < 130; ++i) distinct.append(char(i)).append(char(0)).append(char(0));
    const struct {
        QByteArray row;
        QByteArray packed;
    } rows[] = {
        {repeat(a, 200), Bytes().u8(0xFF).u8s({1, 2, 3}).u8(0xC7).u8s({1, 2, 3})},
        {row({a, b, b}), Bytes().u8(0x00).u8s({1, 2, 3}).u8(0x81).u8s({4, 5, 6})},
        {row({a, b}), Bytes().u8(0x01).u8s({1, 2, 3, 4, 5, 6})},
        {row({a, a, b}), Bytes().u8(0x81).u8s({1, 2, 3}).u8(0x00).u8s({4, 5, 6})},
        {repeat(a, 129), Bytes().u8(0xFF).u8s({1, 2, 3}).u8(0x00).u8s({1, 2, 3})},
        {distinct, Bytes().u8(0x7F).raw(distinct.left(384)).u8(0x01).raw(distinct.mid(384))},
    };
    for (const auto& r : rows) {
        const std::size_t width = std::size_t(r.row.size() / 3);
        std::vector<std::uint8_t> out(EncodeRleBound(width));
        const std::size_t n = EncodeRleRow(reinterpret_cast<const std::uint8_t*>(r.row.constData()), width, out.data());
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out.data()), qsizetype(n)), r.packed);
    }

    // Random rows survive packing and unpacking, within the bound.
    std::mt19937 random(1);
    for (int t = 0; t < 200; ++t) {
        const std::size_t width = 1 + random() % 400;
        std::vector<std::uint8_t> in(width * 3), out(EncodeRleBound(width)), back(width * 3);
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t v = std::uint8_t(random() % 3);
            in[3 * x] = in[3 * x + 1] = in[3 * x + 2] = v;
        }
        const std::size_t n = EncodeRleRow(in.data(), width, out.data());
        RlePacket pending;
        const RleRowResult r = DecodeRleRow(out.data(), n, 3, back.data(), back.size(), pending);
        EXPECT_EQ(r.consumed, n);
        EXPECT_EQ(back, in);
    }
}

TEST(TgaWriter, SavesByKindAndDepth)
{
    auto save = [](const TTarga& tga) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        tga.saveToStream(out);
        return out.data();
    };
    const std::vector<QRgb> picture = {qRgba(1, 2, 3, 4), qRgba(5, 6, 7, 8), qRgba(5, 6, 7, 9), qRgba(9, 9, 9, 255)};

    // 32-bit uncompressed keeps its alpha; written bottom row first.
    TTarga tga = load(buildTga({2, 32, 0x20}, 2, 2, picture));
    EXPECT_EQ(save(tga), buildTga({2, 32, 0}, 2, 2, picture));

    // Run-length true colour of any depth is written as run-length 24-bit without alpha.
    tga = load(buildTga({10, 32, 0}, 2, 2, picture));
    std::vector<QRgb> opaque;
    for (QRgb v : picture) opaque.push_back(v | 0xFF000000);
    EXPECT_EQ(save(tga), buildTga({10, 24, 0}, 2, 2, opaque));

    // Colour-mapped and grey pictures are written as 24-bit uncompressed.
    tga = load(buildTga({1, 8, 0, 0, 24}, 4, 3, indices, palette));
    std::vector<QRgb> mapped;
    for (QRgb i : indices) mapped.push_back(palette[i] | 0xFF000000);
    EXPECT_EQ(save(tga), buildTga({2, 24, 0}, 4, 3, mapped));

    // 16 bits: 248 grey is 0x7FFF; pictures without alpha save opaque at 32 bits.
    tga = load(header(2, 24, 1, 1).u8s({248, 248, 248}));
    tga.SaveDepth = 1;
    EXPECT_EQ(save(tga), header(2, 16, 1, 1).u16(0x7FFF).data());
    tga.SaveDepth = 3;
    EXPECT_EQ(save(tga), header(2, 32, 1, 1).u8s({248, 248, 248, 255}).data());

    // SaveToFile: a bitmap for .bmp in any case, else a TGA; tga-resave relies on this.
    for (const char* name : {"out.bmp", "out.BmP"}) {
        const QString path = test::writeTempFile(name, "");
        tga.saveToFile(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(Bitmap::decodeBmp(file.readAll()).pixel(0, 0), qRgb(248, 248, 248)) << name;
    }
    const QString path = test::writeTempFile("out.tga", "");
    tga.saveToFile(path);
    TTarga again;
    again.loadFromFile(path);
    EXPECT_EQ(again.header().pixelDepth, 32);
}

TEST(TgaWriter, StoredAndClipboardForms)
{
    TTarga tga = load(buildTga({10, 24, 0}, 2, 1, {qRgb(1, 2, 3), qRgb(4, 5, 6)}));

    QBuffer stored;
    stored.open(QIODevice::ReadWrite);
    TTarga::StoredProperty property = tga.DefineProperties(nullptr);
    EXPECT_EQ(property.name, "Data");
    EXPECT_TRUE(property.stored);
    property.write(stored);
    // The receiving stream's class name, then an uncompressed 32-bit TGA.
    EXPECT_EQ(stored.data().left(8), QByteArray("\x07QBuffer"));
    EXPECT_EQ(stored.data().at(8 + 2), 2);
    EXPECT_EQ(stored.data().at(8 + 16), 32);
    TTarga copy;
    stored.seek(0);
    copy.ReadData(stored);
    EXPECT_EQ(pixels(copy.colorBitmap().image()), pixels(tga.colorBitmap().image()));
    EXPECT_FALSE(copy.DefineProperties(&tga).stored);
    EXPECT_FALSE(TTarga().DefineProperties(nullptr).stored);

    // A Windows bitmap in the stored form goes to the colour bitmap.
    QBuffer withBmp;
    withBmp.open(QIODevice::ReadWrite);
    withBmp.write("\x03" "abc");
    Bitmap(3, 2).saveToStream(withBmp);
    withBmp.seek(0);
    copy.ReadData(withBmp);
    EXPECT_EQ(copy.width(), 3);
    EXPECT_EQ(copy.colorBitmap().pixel(2, 1), clWhite);

    std::uint16_t format = 0;
    QByteArray block;
    std::uint32_t palette = 7;
    tga.SaveToClipboardFormat(format, block, palette);
    EXPECT_EQ(format, 20);
    EXPECT_EQ(palette, 0u);
    const std::uint32_t length = std::uint8_t(block[0]) | std::uint8_t(block[1]) << 8;
    EXPECT_EQ(length + 4, std::uint32_t(block.size()));
    TTarga pasted;
    pasted.LoadFromClipboardFormat(21, block, 0);
    EXPECT_TRUE(pasted.empty());
    pasted.LoadFromClipboardFormat(20, block, 0);
    EXPECT_EQ(pixels(pasted.colorBitmap().image()), pixels(tga.colorBitmap().image()));
    EXPECT_THROW(pasted.LoadFromClipboardFormat(20, block.left(block.size() - 1), 0), Error);
}

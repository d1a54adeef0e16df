// Writes the seeds of every fuzz target, built with the tests' file builders, and checks that
// the committed seeds are exactly what it writes.
//
//   generate_seeds DIR          writes DIR/TARGET/ for every target and removes the files there
//                               that it no longer makes (make seeds)
//   generate_seeds --check DIR [TARGET...]
//                               changes nothing; fails when a seed is missing, differs or is not
//                               made here, a folder of DIR belongs to no seed set, or a TARGET
//                               named has none (a ctest test)
//
// Inputs found by fuzzing are not built: they live in fuzz/crashes/TARGET/.
#include "codecs/LZRW1KH.h"
#include "codecs/UniBmp.h"
#include "tests/document/M32Bytes.h"
#include "tests/support/Bytes.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/HostileFiles.h"
#include "tests/support/MetafileFiles.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRgb>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Seed {
    QString name;
    QByteArray bytes;
};

struct SeedSet {
    QString target; // the fuzz target's name without _fuzz, and the folder of its seeds
    std::function<std::vector<Seed>()> build;
};

// ---------------------------------------------------------------------------------------- GIF

std::vector<Seed> gifSeeds()
{
    // 256 distinct colours (black past `count`) and noise over `colours` indexes.
    auto colours = [](int count) {
        std::vector<QRgb> out;
        for (int i = 0; i < count; ++i) out.push_back(qRgb(i, (i * 7 + 3) & 0xFF, 255 - i));
        return out;
    };
    auto noise = [&](int width, int height, int count, int minimumCodeSize, unsigned seed) {
        GifForm form;
        form.width = width;
        form.height = height;
        std::mt19937 random(seed);
        form.pixels.resize(std::size_t(width * height));
        for (auto& p : form.pixels) p = std::uint8_t(random() % unsigned(count));
        form.minimumCodeSize = minimumCodeSize;
        int sizeBits = 0;
        while ((2 << sizeBits) < count) ++sizeBits;
        form.globalSizeBits = sizeBits;
        form.globalColours = colours(2 << sizeBits);
        return form;
    };

    std::vector<Seed> seeds;
    const GifForm small = noise(8, 6, 16, 4, 81);
    seeds.push_back({"extensions.gif", gifHeader(small)
                                           .u8(0x21).u8(0xFF).u8(11).text("NETSCAPE2.0").u8(3).u8(1).u16(0).u8(0)
                                           .u8(0x21).u8(0xF9).u8(4).u8(1).u16(0).u8(3).u8(0)
                                           .u8(0x21).u8(0xFE).u8(2).text("hi").u8(0)
                                           .raw(gifImage(small)).u8(0x3B)});
    GifForm interlaced = noise(5, 11, 4, 2, 82);
    interlaced.interlaced = true;
    interlaced.localColours = colours(8);
    interlaced.localSizeBits = 2;
    seeds.push_back({"interlaced-local.gif", gifFile(interlaced, "GIF87a")});
    seeds.push_back({"dot.gif", gifFile(noise(1, 1, 2, 2, 83))});
    seeds.push_back({"noise256.gif", gifFile(noise(48, 48, 256, 8, 84))});
    GifForm noEnd = noise(6, 4, 8, 3, 85);
    noEnd.lzw.endCode = false;
    noEnd.lzw.clearWhenFull = true;
    seeds.push_back({"no-end-code.gif", gifFile(noEnd)});
    return seeds;
}

// ---------------------------------------------------------------------------------------- PCX

std::vector<Seed> pcxSeeds()
{
    auto colours = [](int count) {
        std::vector<QRgb> out;
        for (int i = 0; i < count; ++i) out.push_back(qRgb((i * 37) & 0xFF, (i * 11 + 5) & 0xFF, 255 - i));
        return out;
    };
    // Palette indexes below `count`, or 0xRRGGBB values when count is 0, with runs.
    auto file = [](const PcxForm& form, int count) {
        std::mt19937 random(91);
        std::vector<std::uint32_t> pixels(std::size_t(form.width * form.height), 0);
        for (auto& p : pixels) {
            p = count ? random() % unsigned(count) : random() & 0xFFFFFF;
            if (&p != pixels.data() && random() % 3 == 0) p = *(&p - 1);
        }
        return pcxFile(form, pixels);
    };

    PcxForm colours16;
    colours16.planes = 4;
    colours16.bits = 1;
    colours16.width = 9;
    colours16.height = 5;
    colours16.headerColours = colours(16);
    PcxForm colours256;
    colours256.width = 13;
    colours256.height = 4;
    colours256.vgaColours = colours(256);
    PcxForm trueColour;
    trueColour.planes = 3;
    trueColour.width = 7;
    trueColour.height = 3;
    trueColour.yMin = 10;
    PcxForm crossing;
    crossing.width = 5;
    crossing.height = 6;
    crossing.bytesPerLine = 5;
    crossing.version = 3;
    crossing.runsCrossLines = true;
    return {
        {"colours16.pcx", file(colours16, 16)},
        {"colours256.pcx", file(colours256, 256)},
        {"truecolour.pcx", file(trueColour, 0)},
        {"runs-cross-lines.pcx", file(crossing, 2)},
    };
}

// ---------------------------------------------------------------------------------------- m32

std::vector<Seed> m32Seeds()
{
    // A chain of three levels as the editor saves it: the first pixel of each painted, the alpha
    // planes at 64 * side - 1.
    M32Fields chain;
    chain.name = "seed";
    chain.dt_u = 0.5f;
    chain.level(1, 4, 4, 968).level(2, 2, 2, 968 + 64).level(3, 1, 1, 968 + 80);
    Bytes chainFile = m32Header(chain);
    chainFile.u8s({10, 200, 30, 255}).fill(15 * 4, 0xFF);
    chainFile.u8s({0, 208, 0, 127});
    for (int i = 0; i < 3; ++i) chainFile.u8s({255, 255, 255, 127});
    chainFile.u8s({0, 224, 0, 63});

    // Levels out of order in the file, one of them a row of two.
    Bytes scattered = m32Header(M32Fields().level(2, 2, 1, 968 + 4).level(4, 1, 1, 968));
    scattered.u8s({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    return {
        {"empty.m32", m32Header(M32Fields())},
        {"chain.m32", chainFile},
        {"scattered.m32", scattered},
    };
}

// ----------------------------------------------------------------------------------- metafile

std::vector<Seed> metafileSeeds()
{
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0), green = qRgb(0, 255, 0),
               blue = qRgb(0, 0, 255);
    // Window, brush and pen, rectangle, polygon, line, ellipse, arc and a stretched bitmap.
    Wmf wmf;
    wmf.rec(0x020B, {0, 0}).rec(0x020C, {40, 40}).solidBrush(red).select(0).rec(0x02FA, {0, 2, 0, 0, 0}).select(1);
    wmf.rec(0x041B, {30, 30, 5, 5}).rec(0x0324, {3, 0, 0, 20, 0, 10, 20}).rec(0x0214, {0, 0}).rec(0x0213, {40, 40});
    wmf.rec(0x0418, {20, 20, 0, 0}).rec(0x0817, {0, 40, 40, 0, 40, 40, 0, 0});
    Bytes stretch;
    stretch.u32(0x00CC0020).u16(0).i16(2).i16(2).i16(0).i16(0).i16(10).i16(10).i16(0).i16(0)
        .raw(dib24(red, green, blue, white));
    wmf.raw(0x0F43, stretch);

    // Brush and null pen, a polygon, a polyline, a path stroked and filled, a font and text.
    Emf emf;
    emf.solidBrush(1, green).select(1).nullPen();
    emf.rec(86, Emf::ints({0, 0, 0, 0}).u32(3).i16(0).i16(0).i16(20).i16(0).i16(20).i16(20));
    emf.rec(8, Emf::ints({0, 0, 0, 0, 1, 3, 3}).raw(Emf::ints({1, 1, 9, 1, 9, 9})));
    emf.rec(59).rec(27, Emf::ints({2, 2})).rec(54, Emf::ints({10, 2})).rec(61).rec(60).rec(62, Emf::ints({0, 0, 0, 0}));
    Bytes font = Emf::ints({-12, 0, 0, 0, 400}).u8s({0, 0, 0, 0, 0, 0, 0, 0}).fill(64);
    emf.rec(82, Bytes().u32(2).raw(font)).select(2);
    Bytes text = Emf::ints({0, 0, 0, 0, 1});
    text.f32(1).f32(1).i32(2).i32(2).u32(2).u32(76).u32(0).raw(Emf::ints({0, 0, 0, 0})).u32(0).u16('A').u16('b');
    emf.rec(84, text);
    return {
        {"shapes-placeable.wmf", wmf.placeable(0, 0, 40, 40, 96)},
        {"shapes-plain.wmf", wmf.plain()},
        {"shapes.emf", emf.build(0, 0, 1000, 1000)},
        // Small cousins of the stalling kinds: a self-crossing clip path cut by rectangles, a
        // zig-zag fill and a wide pen.
        {"star-clip.emf", test::hostile::starClipEmf(21, 3, 256)},
        {"zigzag.emf", test::hostile::zigzagPolygonEmf(40, 256, true)},
        {"wide-pen.emf", test::hostile::widePenEmf(20, 256, 24, 0x2100)},
    };
}

// ---------------------------------------------------------------------------------------- TGA

// A 5 x 3 Targa file: the 18-byte header, the image ID, the colour map entries as stored, then
// the pixel data as stored.
struct TgaFile {
    int type = 2, depth = 24, descriptor = 0;
    QByteArray id;
    int mapFirst = 0, mapLength = 0, mapEntrySize = 0; // mapLength 0: no colour map
    QByteArray map, data;

    QByteArray bytes() const
    {
        Bytes b;
        b.u8(std::uint8_t(id.size())).u8(mapLength ? 1 : 0).u8(std::uint8_t(type));
        b.u16(std::uint16_t(mapFirst)).u16(std::uint16_t(mapLength)).u8(std::uint8_t(mapEntrySize));
        b.u16(0).u16(0).u16(5).u16(3).u8(std::uint8_t(depth)).u8(std::uint8_t(descriptor));
        return b.raw(id).raw(map).raw(data);
    }
};

// Run-length packets for rows of `width` pixels of `size` bytes: equal neighbours as runs, the
// rest as raw packets, no packet crossing a row.
QByteArray tgaRle(const QByteArray& pixels, int size, int width)
{
    QByteArray out;
    const int count = int(pixels.size()) / size;
    auto pixel = [&](int i) { return pixels.mid(qsizetype(i) * size, size); };
    for (int rowStart = 0; rowStart < count; rowStart += width) {
        const int end = rowStart + width;
        for (int x = rowStart; x < end;) {
            int n = 1;
            while (x + n < end && pixel(x + n) == pixel(x)) ++n;
            if (n >= 2) {
                out.append(char(0x80 + n - 1)).append(pixel(x));
            } else {
                while (x + n < end && pixel(x + n) != pixel(x + n - 1)) ++n;
                if (x + n < end && pixel(x + n) == pixel(x + n - 1)) --n; // the last one starts a run
                out.append(char(n - 1)).append(pixels.mid(qsizetype(x) * size, qsizetype(n) * size));
            }
            x += n;
        }
    }
    return out;
}

std::vector<Seed> tgaSeeds()
{
    // Grey levels 0, 16, ..., 224; with 16 bits each carries an opaque alpha byte.
    Bytes grey8, grey16;
    for (int i = 0; i < 15; ++i) {
        grey8.u8(std::uint8_t(i * 16));
        grey16.u8(std::uint8_t(i * 16)).u8(0xFF);
    }
    // Colour map indexes with a run of four; the maps of six entries.
    const int indexes[15] = {0, 0, 1, 2, 3, 4, 4, 4, 4, 5, 1, 2, 2, 3, 0};
    Bytes mapped, mappedFrom3, map24, map16;
    for (int v : indexes) {
        mapped.u8(std::uint8_t(v));
        mappedFrom3.u8(std::uint8_t(v + 3));
    }
    for (int j = 0; j < 6; ++j) {
        map24.u8(std::uint8_t(40 * j)).u8(std::uint8_t(70 * j)).u8(std::uint8_t(90 * j));
        map16.u16(std::uint16_t(5 * j << 10 | 3 * j << 5 | j));
    }
    // Blue with the attribute bit, then two whites, as 16-bit pixels.
    Bytes true16;
    for (int i = 0; i < 5; ++i) true16.u16(0x801F).u16(0x7FFF).u16(0x7FFF);
    // Every fourth pixel the same colour, the others all different; 32 bits add alpha.
    Bytes true24, true32;
    for (int i = 0; i < 15; ++i) {
        if (i % 4 == 0) {
            true24.u8s({1, 2, 3});
            true32.u8s({1, 2, 3, 4});
            continue;
        }
        const auto b = std::uint8_t(10 * i), g = std::uint8_t(255 - 10 * i), r = std::uint8_t(3 * i);
        true24.u8(b).u8(g).u8(r);
        true32.u8(b).u8(g).u8(r).u8(std::uint8_t(17 * i));
    }

    auto tga = [](int type, int depth, int descriptor, const QByteArray& data) {
        TgaFile f;
        f.type = type;
        f.depth = depth;
        f.descriptor = descriptor;
        f.data = data;
        return f;
    };
    TgaFile mappedBl = tga(1, 8, 0x00, mapped);
    mappedBl.mapLength = 6;
    mappedBl.mapEntrySize = 24;
    mappedBl.map = map24;
    TgaFile mappedId = mappedBl;
    mappedId.descriptor = 0x20;
    mappedId.id = "test";
    mappedId.mapFirst = 3;
    mappedId.data = mappedFrom3;
    TgaFile mappedRle = tga(9, 8, 0x20, tgaRle(mapped, 1, 5));
    mappedRle.mapLength = 6;
    mappedRle.mapEntrySize = 16;
    mappedRle.map = map16;
    // True colour with a colour map the reader skips.
    TgaFile trueMap = tga(10, 24, 0x00, tgaRle(true24, 3, 5));
    trueMap.mapLength = 2;
    trueMap.mapEntrySize = 24;
    trueMap.map = Bytes().u8s({1, 2, 3, 4, 5, 6});
    return {
        {"grey16_rle.tga", tga(11, 16, 0x28, tgaRle(grey16, 2, 5)).bytes()},
        {"grey8.tga", tga(3, 8, 0x00, grey8).bytes()},
        // Runs of seven and eight pixels, across the rows.
        {"grey8_rle_cross.tga", tga(11, 8, 0x20, Bytes().u8s({0x86, 0x09, 0x87, 0xC8})).bytes()},
        {"mapped8_bl.tga", mappedBl.bytes()},
        {"mapped8_first3_id.tga", mappedId.bytes()},
        {"mapped8_map16_rle.tga", mappedRle.bytes()},
        {"true15_undecoded.tga", tga(2, 15, 0x00, true16).bytes()},
        {"true16.tga", tga(2, 16, 0x00, true16).bytes()},
        {"true24_rle_cmap.tga", trueMap.bytes()},
        {"true24_tl_mirror.tga", tga(2, 24, 0x30, true24).bytes()},
        {"true32.tga", tga(2, 32, 0x28, true32).bytes()},
        {"true32_rle_mirror.tga", tga(10, 32, 0x18, tgaRle(true32, 4, 5)).bytes()},
    };
}

// ------------------------------------------------------------------ universal bitmap and LZRW1-KH

// A bitmap file: the file header before the information header (with its masks), the palette
// and the pixel data as stored.
QByteArray bitmapFile(const QByteArray& info, const QByteArray& palette, const QByteArray& pixels)
{
    Bytes b;
    const auto offset = std::uint32_t(14 + info.size() + palette.size());
    b.text("BM").u32(offset + std::uint32_t(pixels.size())).u16(0).u16(0).u32(offset);
    return b.raw(info).raw(palette).raw(pixels);
}

// A 40-byte information header (headerSize more for the masks that follow it in a larger one).
Bytes infoHeader(int width, int height, int bpp, int compression, qsizetype imageSize, int colours,
                 int pixelsPerMetre = 2835, int headerSize = 40)
{
    Bytes b;
    b.u32(std::uint32_t(headerSize)).i32(width).i32(height).u16(1).u16(std::uint16_t(bpp));
    b.u32(std::uint32_t(compression)).u32(std::uint32_t(imageSize)).i32(pixelsPerMetre).i32(pixelsPerMetre);
    return std::move(b.u32(std::uint32_t(colours)).u32(0));
}

// Black, red, green, blue.
QByteArray fourColours()
{
    return Bytes().u8s({0, 0, 0, 0}).u8s({0, 0, 255, 0}).u8s({0, 255, 0, 0}).u8s({255, 0, 0, 0});
}

// The pixel rows of a 13 x 7 24-bit bitmap, bottom row first: a run of one colour, then values
// that change along both axes.
QByteArray rgb24Rows()
{
    Bytes b;
    for (int y = 6; y >= 0; --y) {
        for (int x = 0; x < 13; ++x) {
            if (x < 5) b.u8s({199, 99, 9});
            else b.u8(std::uint8_t(10 * (x ^ y))).u8(std::uint8_t(30 * y)).u8(std::uint8_t(20 * x));
        }
        b.u8(0);
    }
    return b;
}

QByteArray rgb24File()
{
    const QByteArray rows = rgb24Rows();
    return bitmapFile(infoHeader(13, 7, 24, 0, rows.size(), 0, 0), {}, rows);
}

std::vector<Seed> uniBitmapSeeds()
{
    auto file = [](Bytes info, const QByteArray& palette, const QByteArray& pixels) {
        return bitmapFile(info, palette, pixels);
    };
    // 32-bit fields of 10 bits; the 56-byte header carries an alpha mask of two bits.
    const QByteArray bf32 = Bytes().u32(0xFFE00000).u32(0x00100200).u32(0xFFFFFFFF).u32(0);
    const QByteArray bf32a = Bytes().u32(0xC00FFC00).u32(0x400003FF);
    // A core header: two palette entries of three bytes.
    const QByteArray core = Bytes().u32(12).u16(2).u16(2).u16(1).u16(8);
    // Eight bits, rows padded to four bytes and one byte more.
    const QByteArray pal8 = Bytes().u8s({1, 2, 3, 0, 3, 2, 1, 0, 0});
    // 5-5-5 colours, the top bit set in one.
    const QByteArray rgb16 = Bytes().u16(0x001F).u16(0x03E0).u16(0x7C00).u16(0).u16(0x7C1F).u16(0x8000).u16(0x001F).u16(0);
    // An absolute run, end of line, runs, a run past the last row, end of bitmap.
    const QByteArray rle4 = Bytes().u8s({0, 3, 0x12, 0x30, 0, 0, 5, 0x22, 0, 0, 2, 0x01, 0, 1});
    // A run, end of line, an absolute run, end of line, runs (the last past the row), end.
    const QByteArray rle8 = Bytes().u8s({2, 1, 0, 0, 0, 3, 2, 3, 1, 0, 0, 0, 2, 2, 1, 1, 5, 3, 0, 1});
    const QByteArray rgb24 = rgb24File();
    return {
        {"bf32.bmp", file(infoHeader(2, 2, 32, 3, bf32.size(), 0).u32(0xFFE00000).u32(0x001FFC00).u32(0x3FF), {}, bf32)},
        {"bf32a.bmp", file(infoHeader(2, 1, 32, 3, bf32a.size(), 0, 2835, 56).u32(0x3FF00000).u32(0x000FFC00)
                               .u32(0x3FF).u32(0xC0000000), {}, bf32a)},
        {"core8.bmp", bitmapFile(core, Bytes().u8s({0, 0, 255, 255, 0, 0}), Bytes().u8s({1, 0, 0, 0, 0, 1, 0, 0}))},
        {"pal8.bmp", file(infoHeader(3, 2, 8, 0, pal8.size(), 4), fourColours(), pal8)},
        {"rgb16.bmp", file(infoHeader(3, 2, 16, 0, rgb16.size(), 0), {}, rgb16)},
        {"rgb24.blz", TUniBitmap::compressBlz(rgb24)},
        {"rgb24.bmp", rgb24},
        {"rgb24.dib", TUniBitmap::compressDib(rgb24)},
        {"rle4.bmp", file(infoHeader(5, 2, 4, 2, rle4.size(), 4), fourColours(), rle4)},
        {"rle8.bmp", file(infoHeader(4, 3, 8, 1, rle8.size(), 4), fourColours(), rle8)},
    };
}

std::vector<Seed> lzrwSeeds()
{
    const QByteArray text = "the quick brown fox jumps over the lazy dog; the quick brown fox jumps again and again";
    QByteArray block(qsizetype(lzrwCompressBound(std::size_t(text.size()))), '\0');
    LzrwHashTable table;
    block.resize(qsizetype(lzrwCompress(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                        std::size_t(text.size()), reinterpret_cast<std::uint8_t*>(block.data()), table)));
    return {
        {"compressed", block},
        {"pixels", rgb24Rows()},
        {"runs", Bytes().fill(40, 'a').text("bbb").fill(300).text("xyz")},
        {"text", text},
    };
}

// --------------------------------------------------------------------------------------- icon

// An icon file of one entry: the directory entry says `colours`, the information header
// `usedColours`; the mask rows follow the colour rows.
QByteArray iconFile(int side, int bpp, int colours, const QByteArray& palette, const QByteArray& rows,
                    const QByteArray& mask)
{
    Bytes dib = infoHeader(side, side * 2, bpp, 0, 0, colours, 0);
    dib.raw(palette).raw(rows).raw(mask);
    Bytes b;
    b.u16(0).u16(1).u16(1);
    b.u8(std::uint8_t(side)).u8(std::uint8_t(side)).u8(std::uint8_t(colours)).u8(0).u16(1).u16(std::uint16_t(bpp));
    return b.u32(std::uint32_t(dib.size())).u32(22).raw(dib);
}

std::vector<Seed> iconSeeds()
{
    // 8 x 8, sixteen colours, each row the indexes 0 1 1 2 2 3 3 4; the right half masked out.
    Bytes palette, rows, mask;
    for (int j = 0; j < 16; ++j) palette.u8(std::uint8_t(16 * j)).u8(std::uint8_t(255 - 16 * j)).u8(std::uint8_t(8 * j)).u8(0);
    for (int y = 0; y < 8; ++y) {
        rows.u8s({0x01, 0x12, 0x23, 0x34});
        mask.u8s({0x0F, 0, 0, 0});
    }
    // 2 x 2 with alpha: red, green, half-transparent blue, transparent; an empty mask.
    const QByteArray colour = Bytes().u8s({0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 0x80, 0, 0, 0, 0});
    return {
        {"small4.ico", iconFile(8, 4, 16, palette, rows, mask)},
        {"tiny32.ico", iconFile(2, 32, 0, {}, colour, QByteArray(8, '\0'))},
    };
}

const std::vector<SeedSet>& seedSets()
{
    static const std::vector<SeedSet> sets = {
        {"gif", gifSeeds},
        {"icon", iconSeeds},
        {"lzrw1kh", lzrwSeeds},
        {"m32", m32Seeds},
        {"metafile", metafileSeeds},
        {"pcx", pcxSeeds},
        {"tga", tgaSeeds},
        {"unibitmap", uniBitmapSeeds},
    };
    return sets;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes every set, returning the number of failures.
int write(const QDir& root)
{
    int failures = 0;
    for (const SeedSet& set : seedSets()) {
        if (!root.mkpath(set.target)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(root.filePath(set.target)));
            ++failures;
            continue;
        }
        const QDir dir(root.filePath(set.target));
        const std::vector<Seed> seeds = set.build();
        QStringList made;
        for (const Seed& seed : seeds) {
            made << seed.name;
            const QString path = dir.filePath(seed.name);
            if (readFile(path) == seed.bytes && QFile::exists(path)) continue;
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) != seed.bytes.size() || !file.commit()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                ++failures;
            } else {
                std::printf("wrote %s\n", qPrintable(path));
            }
        }
        for (const QString& name : dir.entryList(QDir::Files)) {
            if (made.contains(name)) continue;
            if (QFile::remove(dir.filePath(name))) {
                std::printf("removed %s\n", qPrintable(dir.filePath(name)));
            } else {
                std::fprintf(stderr, "cannot remove %s\n", qPrintable(dir.filePath(name)));
                ++failures;
            }
        }
    }
    return failures;
}

// Compares every set with the files under root, returning the number of differences.
int check(const QDir& root, const QStringList& fuzzTargets)
{
    int differences = 0;
    auto differ = [&](const QString& what, const QString& path) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(what));
        ++differences;
    };
    QStringList targets;
    for (const SeedSet& set : seedSets()) {
        targets << set.target;
        const QDir dir(root.filePath(set.target));
        QStringList made;
        for (const Seed& seed : set.build()) {
            made << seed.name;
            const QString path = dir.filePath(seed.name);
            if (!QFile::exists(path)) differ("missing", path);
            else if (readFile(path) != seed.bytes) differ("differs from what the generator writes", path);
        }
        for (const QString& name : dir.entryList(QDir::Files))
            if (!made.contains(name)) differ("not written by the generator", dir.filePath(name));
    }
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (!targets.contains(name)) differ("no seed set of that name", root.filePath(name));
    for (const QString& name : fuzzTargets)
        if (!targets.contains(name)) differ("a fuzz target without a seed set in fuzz/generate_seeds.cpp", name);
    if (differences > 0)
        std::fprintf(stderr, "%d difference(s) from the generator; run make seeds\n", differences);
    else
        std::printf("seeds of %lld targets match\n", static_cast<long long>(targets.size()));
    return differences;
}

} // namespace

int main(int argc, char** argv)
{
    const bool checking = argc >= 3 && QByteArrayView(argv[1]) == "--check";
    if (argc != 2 && !checking) {
        std::fprintf(stderr, "usage: %s SEED_DIR\n       %s --check SEED_DIR [FUZZ_TARGET...]\n", argv[0], argv[0]);
        return 2;
    }
    const char* folder = checking ? argv[2] : argv[1];
    const QDir root(QString::fromLocal8Bit(folder));
    if (!root.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", folder);
        return 1;
    }
    if (!checking) return write(root) == 0 ? 0 : 1;
    QStringList fuzzTargets;
    for (int i = 3; i < argc; ++i) fuzzTargets << QString::fromLocal8Bit(argv[i]);
    return check(root, fuzzTargets) == 0 ? 0 : 1;
}

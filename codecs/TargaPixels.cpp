#include "codecs/TargaPixels.h"

#include "base/Error.h"
#include "base/Limits.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace quorvel {

namespace {

constexpr const char* truncatedMessage = kTgaTruncated;
constexpr const char* tooLargeMessage = kTgaTooLarge;
constexpr const char* overrunMessage = "TGA run-length data runs past the end of the image";

constexpr QRgb opaque = 0xFF000000u;

struct Tables {
    // A 16-bit pixel v (low byte first) is low[v & 0xFF] | high[v >> 8]: each byte carries
    // disjoint bits of the three 5-bit channels, widened as k * 8; bit 15 is ignored.
    std::array<QRgb, 256> low{}, high{};
    std::array<QRgb, 256> grey{};
    Tables()
    {
        for (unsigned b = 0; b < 256; ++b) {
            low[b] = (b & 0x1F) * 8 | ((b >> 5) & 7) * 8 << 8;
            high[b] = ((b & 3) << 3) * 8 << 8 | ((b >> 2) & 0x1F) * 8 << 16;
            grey[b] = opaque | b * 0x010101u;
        }
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

QRgb decode16(std::uint8_t lo, std::uint8_t hi)
{
    return opaque | tables().low[lo] | tables().high[hi];
}

// How the bytes of one stored row become pixels.
enum class Source { none, mapped, trueColor, grey };

struct RowDecoder {
    Source source = Source::none;
    int pixelSize = 0;       // bytes per stored pixel
    const QRgb* lut = nullptr; // 256 entries: the colour map or the grey levels

    void decode(const std::uint8_t* in, int width, QRgb* colour, std::uint8_t* alpha) const
    {
        switch (source) {
        case Source::none:
            return;
        case Source::mapped:
        case Source::grey:
            // Grey deeper than 8 bits: the first byte of each pixel is the grey level.
            if (pixelSize == 1) {
                for (int x = 0; x < width; ++x) colour[x] = lut[in[x]];
            } else {
                for (int x = 0; x < width; ++x) colour[x] = lut[in[std::size_t(x) * pixelSize]];
            }
            return;
        case Source::trueColor:
            break;
        }
        const Tables& t = tables();
        switch (pixelSize) {
        case 2:
            for (int x = 0; x < width; ++x) colour[x] = opaque | t.low[in[2 * x]] | t.high[in[2 * x + 1]];
            return;
        case 3: {
            // Four-byte loads, the last pixel by bytes so nothing past the row is read.
            int x = 0;
            for (; x + 1 < width; ++x) {
                std::uint32_t v;
                std::memcpy(&v, in + 3 * std::size_t(x), 4);
                colour[x] = opaque | v;
            }
            if (x < width) {
                const std::uint8_t* p = in + 3 * std::size_t(x);
                colour[x] = opaque | QRgb(p[0]) | QRgb(p[1]) << 8 | QRgb(p[2]) << 16;
            }
            return;
        }
        case 4:
            for (int x = 0; x < width; ++x) {
                std::uint32_t v;
                std::memcpy(&v, in + 4 * std::size_t(x), 4);
                colour[x] = opaque | v;
                alpha[x] = std::uint8_t(v >> 24);
            }
            return;
        default:
            return;
        }
    }
};

// Parses run-length packets of `p` bytes per pixel until `pixels` pixels exist, handing each
// piece to the sink: sink.run(pixel, at, n) repeats one stored pixel n times from output pixel
// `at`, sink.raw(stored, at, n) takes n stored pixels. Never reads past `inSize`.
template <typename Sink>
RleRowResult parseRle(const std::uint8_t* in, std::size_t inSize, std::size_t p, std::size_t pixels,
                      RlePacket& pending, Sink& sink)
{
    std::size_t ip = 0, done = 0;
    while (done < pixels) {
        if (pending.remaining == 0) {
            if (ip >= inSize) break;
            const std::uint8_t head = in[ip];
            if (head & 0x80) {
                if (inSize - ip < 1 + p) break;
                std::memcpy(pending.pixel.data(), in + ip + 1, p);
                ip += 1 + p;
                pending.run = true;
            } else {
                ip += 1;
                pending.run = false;
            }
            pending.remaining = (head & 0x7F) + 1;
        }
        std::size_t n = std::min(std::size_t(pending.remaining), pixels - done);
        if (pending.run) {
            sink.run(pending.pixel.data(), done, n);
        } else {
            n = std::min(n, (inSize - ip) / p);
            sink.raw(in + ip, done, n);
            ip += n * p;
        }
        pending.remaining -= int(n);
        done += n;
        if (pending.remaining > 0 && done < pixels) break; // the input ended inside a raw packet
    }
    return {ip, done * p};
}

// Stored pixels copied as they are.
struct ByteSink {
    std::uint8_t* out;
    std::size_t p;
    void run(const std::uint8_t* pixel, std::size_t at, std::size_t n)
    {
        std::uint8_t* to = out + at * p;
        if (p == 1) {
            std::memset(to, pixel[0], n);
        } else {
            for (std::size_t i = 0; i < n; ++i) std::memcpy(to + p * i, pixel, p);
        }
    }
    void raw(const std::uint8_t* stored, std::size_t at, std::size_t n) { std::memcpy(out + at * p, stored, n * p); }
};

} // namespace

RleRowResult DecodeRleRow(const std::uint8_t* in, std::size_t inSize, int pixelSize, std::uint8_t* out,
                          std::size_t outSize, RlePacket& pending)
{
    if (pixelSize < 1 || pixelSize > 4) return {};
    const std::size_t p = std::size_t(pixelSize);
    ByteSink sink{out, p};
    return parseRle(in, inSize, p, outSize / p, pending, sink);
}

std::size_t EncodeRleRow(const std::uint8_t* row, std::size_t width, std::uint8_t* out)
{
    auto same = [row](std::size_t a, std::size_t b) { return std::memcmp(row + 3 * a, row + 3 * b, 3) == 0; };
    std::size_t o = 0, x = 0;
    while (x < width) {
        std::size_t n = 1;
        while (x + n < width && n < 128 && same(x + n, x)) ++n;
        if (n >= 2) {
            out[o++] = std::uint8_t(0x80 + (n - 1));
            std::memcpy(out + o, row + 3 * x, 3);
            o += 3;
        } else {
            // A raw packet ends before two equal neighbours, which start a run instead.
            n = 1;
            while (x + n < width && n < 128 && !(x + n + 1 < width && same(x + n, x + n + 1))) ++n;
            out[o++] = std::uint8_t(n - 1);
            std::memcpy(out + o, row + 3 * x, 3 * n);
            o += 3 * n;
        }
        x += n;
    }
    return o;
}

namespace {

// Grey images, uncompressed (type 3) or run-length (type 11): each pixel's first byte is its
// grey level. Depths that are not whole bytes are not decoded.
RowDecoder ReadGrayImage(int depth, std::uint8_t& saveDepth, std::uint8_t& imageKind, bool rle)
{
    saveDepth = 0;
    imageKind = rle ? tgaRleGray : tgaGray;
    if (depth % 8 != 0 || depth < 8 || depth > 32) return {};
    return {Source::grey, depth / 8, tables().grey.data()};
}

} // namespace

namespace {

TargaHeader parseHeader(const std::uint8_t* h)
{
    TargaHeader hd;
    hd.idLength = h[0];
    hd.colorMapType = h[1];
    hd.imageType = h[2];
    hd.colorMapFirst = std::uint16_t(h[3] | h[4] << 8);
    hd.colorMapLength = std::uint16_t(h[5] | h[6] << 8);
    hd.colorMapEntrySize = h[7];
    hd.xOrigin = std::uint16_t(h[8] | h[9] << 8);
    hd.yOrigin = std::uint16_t(h[10] | h[11] << 8);
    hd.width = std::uint16_t(h[12] | h[13] << 8);
    hd.height = std::uint16_t(h[14] | h[15] << 8);
    hd.pixelDepth = h[16];
    hd.attributeBits = h[17] & 0x0F;
    hd.rightToLeft = (h[17] & 0x10) != 0;
    hd.topDown = (h[17] & 0x20) != 0;
    return hd;
}

bool mappedImage(const TargaHeader& hd) { return hd.imageType == 1 || hd.imageType == 9; }

// Only kinds the reader can decode are taken; anything else would give a picture made up from
// its header alone.
void checkSupported(const TargaHeader& hd)
{
    const int depth = hd.pixelDepth;
    bool supported = false;
    switch (hd.imageType) {
    case 1:
    case 9:
        supported = depth == 8;
        break;
    case 2:
    case 10:
        supported = depth == 15 || depth == 16 || depth == 24 || depth == 32;
        break;
    case 3:
    case 11:
        supported = depth % 8 == 0 && depth >= 8 && depth <= 32;
        break;
    default:
        break;
    }
    if (!supported) throw Error(QStringLiteral("Unsupported TGA image (type %1, depth %2)").arg(hd.imageType).arg(depth));
}

// Reads the colour map into `colorMap`: entry i of the stored map stands for pixel value
// first + i; only the first `colorMap.size()` are kept. Returns how many entries were kept.
template <std::size_t N>
int readColourMap(StreamWindow& in, const TargaHeader& hd, std::array<TargaColorMapEntry, N>& colorMap)
{
    if (hd.colorMapType != 1) return 0;
    const int es = hd.colorMapEntrySize;
    const bool knownEntrySize = es == 15 || es == 16 || es == 24 || es == 32;
    if (mappedImage(hd) && !knownEntrySize)
        throw Error(QStringLiteral("Unsupported TGA colour map (entry size %1)").arg(es));
    const std::size_t entryBytes = std::size_t(es + 7) / 8;
    const std::uint8_t* m = in.take(entryBytes * hd.colorMapLength);
    // A map the image does not use is passed over whatever its entries hold.
    if (!knownEntrySize) return 0;
    const int mapEntries = std::min<int>(hd.colorMapLength, int(N));
    for (int i = 0; i < mapEntries; ++i, m += entryBytes) {
        TargaColorMapEntry& e = colorMap[std::size_t(i)];
        if (entryBytes == 2) {
            const QRgb c = decode16(m[0], m[1]);
            e = {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c)), 0};
        } else {
            e = {m[2], m[1], m[0], std::uint8_t(entryBytes == 4 ? m[3] : 0)};
        }
    }
    return mapEntries;
}

// The colour of every pixel value of a colour-mapped image; values the map does not cover are black.
template <std::size_t N>
std::array<QRgb, 256> mapColours(const TargaHeader& hd, const std::array<TargaColorMapEntry, N>& colorMap,
                                 int mapEntries)
{
    std::array<QRgb, 256> lut;
    for (int v = 0; v < 256; ++v) {
        const int i = v - hd.colorMapFirst;
        const TargaColorMapEntry& e = colorMap[std::size_t(std::max(i, 0))];
        lut[std::size_t(v)] = i >= 0 && i < mapEntries ? qRgb(e.red, e.green, e.blue) : opaque;
    }
    return lut;
}

// How the image's pixels are decoded, and the kind and writer depth it gives the picture.
RowDecoder chooseDecoder(const TargaHeader& hd, const QRgb* mapLut, std::uint8_t& imageKind, std::uint8_t& saveDepth)
{
    const int depth = hd.pixelDepth;
    const bool rle = hd.imageType >= 9;
    switch (hd.imageType) {
    case 1:
    case 9:
        imageKind = rle ? tgaRleColorMapped : tgaColorMapped;
        saveDepth = 0;
        return {Source::mapped, 1, mapLut};
    case 2:
    case 10:
        // 15-bit pixels are stored in two bytes like 16-bit ones, the top bit unused.
        imageKind = rle ? tgaRleTrueColor : tgaTrueColor;
        saveDepth = std::uint8_t((depth + 7) / 8 - 1);
        return {Source::trueColor, (depth + 7) / 8, nullptr};
    default:
        return ReadGrayImage(depth, saveDepth, imageKind, rle);
    }
}

// The colour and alpha bitmaps being filled, and where each stored row goes in them.
struct TargaRows {
    const TargaHeader& hd;
    PixelImage colour, alpha;

    // The bitmap row that the r-th stored row fills.
    void rowAt(int r, QRgb*& c, std::uint8_t*& a)
    {
        const int y = hd.topDown ? r : hd.height - 1 - r;
        c = reinterpret_cast<QRgb*>(colour.scanLine(y));
        a = alpha.isNull() ? nullptr : alpha.scanLine(y);
    }
    void mirror(QRgb* c, std::uint8_t* a) const
    {
        if (!hd.rightToLeft) return;
        std::reverse(c, c + hd.width);
        if (a) std::reverse(a, a + hd.width);
    }
};

void decodeUncompressed(StreamWindow& in, const RowDecoder& decoder, TargaRows& rows)
{
    const std::size_t rowBytes = std::size_t(rows.hd.width) * std::size_t(decoder.pixelSize);
    for (int r = 0; r < rows.hd.height; ++r) {
        QRgb* c;
        std::uint8_t* a;
        rows.rowAt(r, c, a);
        decoder.decode(in.take(rowBytes), rows.hd.width, c, a);
        rows.mirror(c, a);
    }
}

// Packets are decoded straight into the bitmap rows: a run is one pixel converted and repeated,
// a raw packet converted as it stands.
struct RowSink {
    const RowDecoder& decoder;
    QRgb* c;
    std::uint8_t* a;
    void run(const std::uint8_t* pixel, std::size_t at, std::size_t n)
    {
        QRgb value = opaque;
        std::uint8_t alphaValue = 0;
        decoder.decode(pixel, 1, &value, &alphaValue);
        std::fill_n(c + at, n, value);
        if (a) std::memset(a + at, alphaValue, n);
    }
    void raw(const std::uint8_t* stored, std::size_t at, std::size_t n)
    {
        decoder.decode(stored, int(n), c + at, a ? a + at : nullptr);
    }
};

void decodeRunLength(StreamWindow& in, const RowDecoder& decoder, TargaRows& rows)
{
    const std::size_t p = std::size_t(decoder.pixelSize);
    const std::size_t width = rows.hd.width;
    // A row of one-pixel raw packets is the most input a row can take.
    const std::size_t window = width * (1 + p);
    RlePacket pending;
    for (int r = 0; r < rows.hd.height; ++r) {
        RowSink sink{decoder, nullptr, nullptr};
        rows.rowAt(r, sink.c, sink.a);
        std::size_t available = 0;
        const std::uint8_t* src = in.peek(window, available);
        const RleRowResult step = parseRle(src, available, p, width, pending, sink);
        if (step.produced < width * p) throw Error(truncatedMessage);
        in.consume(step.consumed);
        rows.mirror(sink.c, sink.a);
    }
    if (pending.remaining > 0) throw Error(overrunMessage);
}

// Allocates the bitmaps and decodes the pixels into them. A picture whose data cannot be there
// is refused before allocating it: uncompressed rows have a known size, and a run-length packet
// covers at most 128 pixels.
TargaRows decodePixels(StreamWindow& in, const TargaHeader& hd, const RowDecoder& decoder)
{
    const int width = hd.width, height = hd.height;
    const bool rle = hd.imageType >= 9;
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
    if (!pictureSizeAllowed(width, height)) throw Error(tooLargeMessage);
    TargaRows rows{hd, {}, {}};
    if (pixels == 0) return rows;
    withPictureMemory(width, height, [&] {
        const std::size_t p = std::size_t(decoder.pixelSize);
        if (decoder.source != Source::none) {
            const std::uint64_t least = rle ? (pixels + 127) / 128 * (1 + p) : pixels * p;
            const qint64 remaining = in.remaining();
            if (remaining >= 0 && std::uint64_t(remaining) < least) throw Error(truncatedMessage);
        }
        rows.colour = PixelImage(width, height, PixelImage::Format::RGB32);
        if (decoder.source == Source::trueColor && p == 4)
            rows.alpha = PixelImage(width, height, PixelImage::Format::Grey8);
        if (decoder.source == Source::none) {
            rows.colour.fill(opaque);
        } else if (rle) {
            decodeRunLength(in, decoder, rows);
        } else {
            decodeUncompressed(in, decoder, rows);
        }
    });
    return rows;
}

} // namespace

TargaPixels readTarga(QIODevice& stream, const TargaColorMap& colorMap, std::uint8_t imageKind, std::uint8_t saveDepth)
{
    StreamWindow in(stream, truncatedMessage);
    TargaPixels read;
    read.header = parseHeader(in.take(18));
    const TargaHeader& hd = read.header;
    checkSupported(hd);
    in.take(hd.idLength);

    read.colorMap = colorMap;
    const int mapEntries = readColourMap(in, hd, read.colorMap);
    const std::array<QRgb, 256> mapLut = mapColours(hd, read.colorMap, mapEntries);

    read.imageKind = imageKind;
    read.saveDepth = saveDepth;
    const RowDecoder decoder = chooseDecoder(hd, mapLut.data(), read.imageKind, read.saveDepth);
    TargaRows rows = decodePixels(in, hd, decoder);
    in.finish();
    read.colour = std::move(rows.colour);
    read.alpha = std::move(rows.alpha);
    return read;
}

} // namespace quorvel

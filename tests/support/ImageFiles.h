// Writes GIF and PCX files the way ordinary programs write them, for tests, benchmarks and fuzz
// seeds: a real GIF LZW encoder (variable code width, table filled to 4096 codes, optional
// clears) and a PCX run-length encoder with planar scan lines. PNG files are put together from
// their chunks, so that a test can write any colour type and depth, and any damage.
#pragma once

#include "tests/support/Bytes.h"

#include <QByteArray>
#include <QRgb>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <unordered_map>
#include <vector>

namespace quorvel::test {

struct LzwOptions {
    bool clearFirst = true;      // a clear code opens the data, as most encoders write it
    bool clearWhenFull = false;  // a clear code (and a fresh table) once 4096 codes are in use
    bool endCode = true;         // the end code closes the data
};

// Packs codes of any width into bytes, least significant bit first, as GIF stores them.
class CodePacker {
public:
    void put(int code, int width)
    {
        bits_ |= std::uint32_t(code) << bitCount_;
        bitCount_ += width;
        while (bitCount_ >= 8) {
            out_.append(char(bits_ & 0xFF));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }
    // The packed bytes, the last one padded with zero bits.
    QByteArray finish()
    {
        if (bitCount_ > 0) out_.append(char(bits_ & 0xFF));
        bits_ = 0;
        bitCount_ = 0;
        return out_;
    }

private:
    QByteArray out_;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
};

// GIF LZW: the codes for `pixels`, packed least significant bit first.
inline QByteArray encodeLzw(const std::vector<std::uint8_t>& pixels, int minimumCodeSize,
                            LzwOptions options = {})
{
    const int clear = 1 << minimumCodeSize;
    CodePacker packer;
    int next = clear + 2;
    int sinceClear = 0; // codes written since the last clear
    std::unordered_map<std::uint32_t, int> table;

    // The decoder reads each code at the width that holds the codes it knows at that moment,
    // which is one fewer than the encoder's.
    auto put = [&](int code) {
        int width = minimumCodeSize + 1;
        while (width < 12 && next - 1 >= (1 << width)) ++width;
        packer.put(code, width);
        sinceClear = code == clear ? 0 : sinceClear + 1;
    };
    auto reset = [&] {
        table.clear();
        next = clear + 2;
    };

    if (options.clearFirst) put(clear);
    int prefix = -1;
    for (std::uint8_t pixel : pixels) {
        if (prefix < 0) {
            prefix = pixel;
            continue;
        }
        const std::uint32_t key = std::uint32_t(prefix) << 8 | pixel;
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        put(prefix);
        if (next < 4096) {
            table.emplace(key, next++);
        } else if (options.clearWhenFull) {
            put(clear);
            reset();
        }
        prefix = pixel;
    }
    if (prefix >= 0) put(prefix);
    if (options.endCode) {
        // Reading the last code, the decoder has added its entry unless that code was the
        // first after a clear.
        if (sinceClear >= 2 && next < 4096) ++next;
        put(clear + 1);
    }
    return packer.finish();
}

// Packs hand-chosen codes, each {code, width in bits}, least significant bit first.
inline QByteArray packCodes(std::initializer_list<std::pair<int, int>> codes)
{
    CodePacker packer;
    for (auto [code, width] : codes) packer.put(code, width);
    return packer.finish();
}

// Cuts data into sub-blocks of at most 255 bytes, with the zero terminator when asked.
inline QByteArray subBlocks(const QByteArray& data, bool terminator = true, int blockSize = 255)
{
    QByteArray out;
    for (qsizetype at = 0; at < data.size(); at += blockSize) {
        const QByteArray piece = data.mid(at, blockSize);
        out.append(char(piece.size()));
        out.append(piece);
    }
    if (terminator) out.append('\0');
    return out;
}

// A colour table of 2^(sizeBits+1) entries; entries past `colours` are black.
inline QByteArray colourTable(const std::vector<QRgb>& colours, int sizeBits)
{
    QByteArray out;
    for (int i = 0; i < (2 << sizeBits); ++i) {
        const QRgb c = i < int(colours.size()) ? colours[std::size_t(i)] : 0;
        out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
    }
    return out;
}

// The rows of an image in the order an interlaced GIF stores them.
inline std::vector<std::uint8_t> interlacedOrder(const std::vector<std::uint8_t>& pixels, int width, int height)
{
    std::vector<std::uint8_t> out;
    const int start[4] = {0, 4, 2, 1};
    const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = start[pass]; row < height; row += step[pass])
            out.insert(out.end(), pixels.begin() + std::ptrdiff_t(row) * width,
                       pixels.begin() + std::ptrdiff_t(row + 1) * width);
    return out;
}

struct GifForm {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // palette indexes, top row first
    std::vector<QRgb> globalColours;  // empty: no global table
    int globalSizeBits = 7;
    std::vector<QRgb> localColours;   // empty: no local table
    int localSizeBits = 7;
    int minimumCodeSize = 8;
    bool interlaced = false;
    LzwOptions lzw;
};

inline Bytes gifHeader(const GifForm& form, const char* version = "GIF89a")
{
    Bytes b;
    b.text(version).u16(std::uint16_t(form.width)).u16(std::uint16_t(form.height));
    if (!form.globalColours.empty())
        b.u8(std::uint8_t(0x80 | 0x70 | form.globalSizeBits)).u8(0).u8(0).raw(colourTable(form.globalColours, form.globalSizeBits));
    else
        b.u8(0).u8(0).u8(0);
    return b;
}

// An image descriptor, its local table and its data, at (0, 0).
inline Bytes gifImage(const GifForm& form)
{
    Bytes b;
    int flags = form.interlaced ? 0x40 : 0;
    if (!form.localColours.empty()) flags |= 0x80 | form.localSizeBits;
    b.u8(0x2C).u16(0).u16(0).u16(std::uint16_t(form.width)).u16(std::uint16_t(form.height)).u8(std::uint8_t(flags));
    if (!form.localColours.empty()) b.raw(colourTable(form.localColours, form.localSizeBits));
    const auto stored = form.interlaced ? interlacedOrder(form.pixels, form.width, form.height) : form.pixels;
    b.u8(std::uint8_t(form.minimumCodeSize)).raw(subBlocks(encodeLzw(stored, form.minimumCodeSize, form.lzw)));
    return b;
}

inline QByteArray gifFile(const GifForm& form, const char* version = "GIF89a")
{
    return gifHeader(form, version).raw(gifImage(form)).u8(0x3B);
}

// A two-colour GIF of `width` x `height`, the colours alternating.
inline QByteArray twoColourGif(int width, int height)
{
    GifForm form;
    form.width = width;
    form.height = height;
    form.globalColours = {qRgb(1, 2, 3), qRgb(200, 100, 50)};
    form.globalSizeBits = 0;
    form.minimumCodeSize = 2;
    for (int i = 0; i < width * height; ++i) form.pixels.push_back(std::uint8_t(i % 2));
    return gifFile(form);
}

// ---------------------------------------------------------------------------------------- PCX

struct PcxForm {
    int planes = 1;
    int bits = 8;
    int version = 5;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;     // per plane; 0: the smallest even count that holds a row
    int xMin = 0;
    int yMin = 0;
    std::vector<QRgb> headerColours; // the 16-colour palette at offset 16
    std::vector<QRgb> vgaColours;    // empty: no 0x0C trailer
    bool runsCrossLines = false;     // encode the scan lines as one stream
    bool emptyRuns = false;          // a run of none before every third run or byte
};

inline int pcxBytesPerLine(const PcxForm& form)
{
    if (form.bytesPerLine > 0) return form.bytesPerLine;
    const int bytes = (form.width * form.bits + 7) / 8;
    return bytes + (bytes & 1);
}

// The scan lines (all planes, padded with zeros) of an image given as palette indexes
// (16 and 256 colours) or as 0xRRGGBB values (24 bits).
inline QByteArray pcxScanLines(const PcxForm& form, const std::vector<std::uint32_t>& pixels)
{
    const int bpl = pcxBytesPerLine(form);
    QByteArray out;
    for (int y = 0; y < form.height; ++y) {
        QByteArray line(qsizetype(bpl) * form.planes, '\0');
        for (int x = 0; x < form.width; ++x) {
            const std::uint32_t v = pixels[std::size_t(y) * std::size_t(form.width) + std::size_t(x)];
            if (form.planes == 4) {
                for (int p = 0; p < 4; ++p)
                    if (v >> p & 1) line[p * bpl + x / 8] = char(line[p * bpl + x / 8] | (0x80 >> (x % 8)));
            } else if (form.planes == 3) {
                line[x] = char(v >> 16);
                line[bpl + x] = char(v >> 8);
                line[2 * bpl + x] = char(v);
            } else {
                line[x] = char(v);
            }
        }
        out.append(line);
    }
    return out;
}

// Run-length encodes bytes: runs of up to 63, single bytes of 0xC0 and above as a run of one;
// with `emptyRuns`, a run of none (its value 0xC7, itself like a run's first byte) before every
// third of those.
inline QByteArray pcxRle(const QByteArray& data, bool emptyRuns = false)
{
    QByteArray out;
    for (qsizetype i = 0, element = 0; i < data.size(); ++element) {
        if (emptyRuns && element % 3 == 0) out.append("\xC0\xC7", 2);
        qsizetype run = 1;
        while (i + run < data.size() && run < 63 && data[i + run] == data[i]) ++run;
        if (run > 1 || std::uint8_t(data[i]) >= 0xC0) out.append(char(0xC0 | run));
        out.append(data[i]);
        i += run;
    }
    return out;
}

inline Bytes pcxHeader(const PcxForm& form)
{
    Bytes b;
    b.u8(10).u8(std::uint8_t(form.version)).u8(1).u8(std::uint8_t(form.bits));
    b.i16(std::int16_t(form.xMin)).i16(std::int16_t(form.yMin));
    b.i16(std::int16_t(form.xMin + form.width - 1)).i16(std::int16_t(form.yMin + form.height - 1));
    b.u16(72).u16(72);
    for (int i = 0; i < 16; ++i) {
        const QRgb c = i < int(form.headerColours.size()) ? form.headerColours[std::size_t(i)] : 0;
        b.u8(std::uint8_t(qRed(c))).u8(std::uint8_t(qGreen(c))).u8(std::uint8_t(qBlue(c)));
    }
    b.u8(0).u8(std::uint8_t(form.planes)).u16(std::uint16_t(pcxBytesPerLine(form))).u16(1).fill(58);
    return b;
}

inline QByteArray pcxFile(const PcxForm& form, const std::vector<std::uint32_t>& pixels)
{
    Bytes b = pcxHeader(form);
    const QByteArray lines = pcxScanLines(form, pixels);
    if (form.runsCrossLines) {
        b.raw(pcxRle(lines, form.emptyRuns));
    } else {
        const qsizetype lineLength = qsizetype(pcxBytesPerLine(form)) * form.planes;
        for (qsizetype at = 0; at < lines.size(); at += lineLength)
            b.raw(pcxRle(lines.mid(at, lineLength), form.emptyRuns));
    }
    if (!form.vgaColours.empty()) {
        b.u8(0x0C);
        for (int i = 0; i < 256; ++i) {
            const QRgb c = i < int(form.vgaColours.size()) ? form.vgaColours[std::size_t(i)] : 0;
            b.u8(std::uint8_t(qRed(c))).u8(std::uint8_t(qGreen(c))).u8(std::uint8_t(qBlue(c)));
        }
    }
    return b;
}

inline QByteArray bigEndian32(std::uint32_t v)
{
    const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// A PNG chunk: length, type, data, CRC-32 of type and data.
inline QByteArray pngChunk(const char type[4], const QByteArray& data)
{
    const QByteArray typed = QByteArray(type, 4) + data;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : typed) {
        crc ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return bigEndian32(std::uint32_t(data.size())) + typed + bigEndian32(crc ^ 0xFFFFFFFFu);
}

struct PngForm {
    int width = 0, height = 0;
    int depth = 8;     // bits per sample
    int colourType = 6; // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    QByteArray rows{};  // the filtered rows (each a filter byte, then its samples), uncompressed
    QByteArray palette{}; // PLTE's data, for colour type 3
    QByteArray transparency{}; // tRNS's data, when not empty
};

// The zlib stream of `data` (qCompress's output without its 4-byte length).
inline QByteArray zlibStream(const QByteArray& data) { return qCompress(data, 9).mid(4); }

inline QByteArray pngHeader(const PngForm& form)
{
    const char rest[5] = {char(form.depth), char(form.colourType), 0, 0, 0};
    const QByteArray ihdr =
        bigEndian32(std::uint32_t(form.width)) + bigEndian32(std::uint32_t(form.height)) + QByteArray(rest, 5);
    QByteArray out = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr);
    if (!form.palette.isEmpty()) out += pngChunk("PLTE", form.palette);
    if (!form.transparency.isEmpty()) out += pngChunk("tRNS", form.transparency);
    return out;
}

// The whole file; `idat` replaces the compressed rows when given.
inline QByteArray pngFile(const PngForm& form, const QByteArray& idat = {})
{
    return pngHeader(form) + pngChunk("IDAT", idat.isNull() ? zlibStream(form.rows) : idat) + pngChunk("IEND", {});
}

} // namespace quorvel::test

#include "graphics/metafile/MetafileDib.h"

#include "base/Limits.h"

#include <QList>

#include <array>
#include <bit>

namespace quorvel::metafile {

namespace {

struct Header {
    qint64 headerSize = 0, width = 0, height = 0;
    int bpp = 0;
    std::uint32_t compression = 0;
    qint64 coloursUsed = 0;
    bool core = false;
};

bool readHeader(const Record& info, Header& h)
{
    if (!info.has(0, 4)) return false;
    h.headerSize = info.u32(0);
    if (h.headerSize == 12) {
        if (!info.has(0, 12)) return false;
        h.core = true;
        h.width = info.u16(4);
        h.height = info.u16(6);
        h.bpp = info.u16(10);
        return true;
    }
    if (h.headerSize < 40 || !info.has(0, 40)) return false;
    h.width = info.i32(4);
    h.height = info.i32(8);
    h.bpp = info.u16(14);
    h.compression = info.u32(16);
    h.coloursUsed = info.u32(32);
    return true;
}

// The shift and width of a bit mask, to widen its field to eight bits.
struct Channel {
    int shift = 0, bits = 0;
    std::uint32_t mask = 0;
    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (!m) return;
        shift = std::countr_zero(m);
        bits = std::min(8, std::popcount(m >> shift));
    }
    int value(std::uint32_t px) const
    {
        if (!bits) return 0;
        const std::uint32_t v = (px & mask) >> shift;
        const std::uint32_t top = v >> std::max(0, std::popcount(mask >> shift) - bits);
        return int((top * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
    }
};

qint64 tableEntries(const Header& h)
{
    if (h.bpp > 8) return 0;
    const qint64 full = qint64(1) << h.bpp;
    return h.coloursUsed > 0 && h.coloursUsed < full ? h.coloursUsed : full;
}

} // namespace

DibSize dibSize(const Record& info)
{
    Header h;
    if (!readHeader(info, h)) return {};
    return {h.width, h.height < 0 ? -h.height : h.height};
}

QImage decodeBitmap16(const Record& bitmap)
{
    // Type, width, height, bytes per row, planes, bits per pixel, a pointer, then the rows.
    if (!bitmap.has(0, 14)) return {};
    const qint64 width = bitmap.i16(2), height = bitmap.i16(4), stride = bitmap.i16(6);
    if (bitmap.u8(8) != 1 || bitmap.u8(9) != 1 || width <= 0 || height <= 0 || stride * 8 < width) return {};
    if (!bitmap.has(14, stride * height)) return {};
    QImage image(int(width), int(height), QImage::Format_RGB32);
    for (qint64 y = 0; y < height; ++y) {
        const std::uint8_t* src = bitmap.data() + 14 + stride * y;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (qint64 x = 0; x < width; ++x) out[x] = (src[x >> 3] >> (7 - (x & 7))) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return image;
}

qint64 packedDibInfoSize(const Record& packed, bool paletteIndices)
{
    Header h;
    if (!readHeader(packed, h)) return packed.size();
    qint64 size = h.headerSize;
    if (!h.core && h.headerSize == 40 && (h.compression == 3 || h.compression == 6))
        size += h.compression == 3 ? 12 : 16;
    const qint64 entry = paletteIndices ? 2 : (h.core ? 3 : 4);
    size += tableEntries(h) * entry;
    return std::min<qint64>(size, packed.size());
}

Dib decodeDib(const Record& info, const Record& bits, bool paletteIndices, bool decode)
{
    Dib dib;
    Header h;
    if (!readHeader(info, h)) return dib;
    const qint64 width = h.width, height = h.height < 0 ? -h.height : h.height;
    // Sides beyond this cannot have their rows in any file we take; such a header is not one.
    if (width <= 0 || height <= 0 || width > (1 << 24) || height > (1 << 24)) return dib;
    dib.bottomUp = h.height > 0;
    const int bpp = h.bpp;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return dib;
    const bool bitfields = h.compression == 3 || h.compression == 6;
    if (h.compression != 0 && !(bitfields && (bpp == 16 || bpp == 32))) return dib;
    const qint64 stride = ((width * bpp + 31) / 32) * 4;
    if (!bits.has(0, stride * height)) return dib;
    if (width * height > kMaxMetafileBitmapPixels) invalid();
    if (!decode) return dib;

    // Colour table: missing entries are black.
    std::array<QRgb, 256> palette;
    palette.fill(qRgb(0, 0, 0));
    const qint64 entry = paletteIndices ? 2 : (h.core ? 3 : 4);
    const qint64 entries = tableEntries(h);
    qint64 tableAt = h.headerSize + (!h.core && h.headerSize == 40 && bitfields ? (h.compression == 3 ? 12 : 16) : 0);
    for (qint64 i = 0; i < entries && i < 256; ++i) {
        const qint64 at = tableAt + i * entry;
        if (!info.has(at, entry)) break;
        if (paletteIndices) {
            // Indices into a logical palette we do not keep: shown as grey levels.
            const int v = info.u16(at) & 0xFF;
            palette[size_t(i)] = qRgb(v, v, v);
        } else {
            palette[size_t(i)] = qRgb(info.u8(at + 2), info.u8(at + 1), info.u8(at));
        }
    }
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bpp == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    }
    if (bitfields) {
        // The masks follow the first 40 bytes, inside the larger headers or after the small one.
        if (!info.has(40, 12)) return dib;
        for (int i = 0; i < 3; ++i) masks[i] = info.u32(40 + 4 * i);
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) return dib;
    const std::uint8_t* data = bits.data();
    for (qint64 row = 0; row < height; ++row) {
        const std::uint8_t* src = data + stride * row;
        const qint64 y = dib.bottomUp ? height - 1 - row : row;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        switch (bpp) {
        case 1:
            for (qint64 x = 0; x < width; ++x) out[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (qint64 x = 0; x < width; ++x) out[x] = palette[(src[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF];
            break;
        case 8:
            for (qint64 x = 0; x < width; ++x) out[x] = palette[src[x]];
            break;
        case 16:
            for (qint64 x = 0; x < width; ++x) {
                const std::uint32_t px = std::uint32_t(src[2 * x] | src[2 * x + 1] << 8);
                out[x] = qRgb(red.value(px), green.value(px), blue.value(px));
            }
            break;
        case 24:
            for (qint64 x = 0; x < width; ++x) out[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        case 32:
            if (!bitfields) {
                for (qint64 x = 0; x < width; ++x) out[x] = qRgb(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
            } else {
                for (qint64 x = 0; x < width; ++x) {
                    const std::uint32_t px = std::uint32_t(src[4 * x]) | std::uint32_t(src[4 * x + 1]) << 8
                        | std::uint32_t(src[4 * x + 2]) << 16 | std::uint32_t(src[4 * x + 3]) << 24;
                    out[x] = qRgb(red.value(px), green.value(px), blue.value(px));
                }
            }
            break;
        default: break;
        }
    }
    dib.image = image;
    return dib;
}

Dib decodeOnSurface(const Record& info, const Record& bits, bool paletteIndices, MetafileSurface& surface)
{
    const DibSize size = dibSize(info);
    const Dib checked = decodeDib(info, bits, paletteIndices, false);
    surface.countDecode(size.width * size.height);
    if (!surface.painting()) return checked;
    return decodeDib(info, bits, paletteIndices, true);
}

QRectF sourceRect(const Dib& dib, double x, double y, double w, double h)
{
    if (dib.bottomUp && !dib.image.isNull()) y = dib.image.height() - y - h;
    return QRectF(x, y, w, h);
}

} // namespace quorvel::metafile

#include "graphics/metafile/MetafileDib.h"

#include "base/Limits.h"
#include "graphics/DibRows.h"

#include <QList>

#include <algorithm>

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

qint64 tableEntries(const Header& h)
{
    if (h.bpp > 8) return 0;
    const qint64 full = qint64(1) << h.bpp;
    return h.coloursUsed > 0 && h.coloursUsed < full ? h.coloursUsed : full;
}

// The bit masks of a 40-byte header's bit-field forms follow it, before the colour table.
qint64 maskBytes(const Header& h)
{
    if (h.core || h.headerSize != 40) return 0;
    return h.compression == 3 ? 12 : h.compression == 6 ? 16 : 0;
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
    qint64 size = h.headerSize + maskBytes(h);
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
    const qint64 stride = dibStride(width, bpp);
    if (!bits.has(0, stride * height)) return dib;
    if (width * height > kMaxMetafileBitmapPixels) invalid();
    if (!decode) return dib;

    // Colour table: missing entries are black.
    DibRowFormat format;
    format.bitsPerPixel = bpp;
    format.scale = DibChannelScale::TopBitsRounded;
    const qint64 entry = paletteIndices ? 2 : (h.core ? 3 : 4);
    const qint64 tableAt = std::min<qint64>(h.headerSize + maskBytes(h), info.size());
    const qint64 entries = std::min(tableEntries(h), (info.size() - tableAt) / entry);
    if (paletteIndices) {
        // Indices into a logical palette we do not keep: shown as grey levels.
        format.palette.fill(qRgb(0, 0, 0));
        for (qint64 i = 0; i < entries && i < 256; ++i) {
            const int v = info.u16(tableAt + i * entry) & 0xFF;
            format.palette[size_t(i)] = qRgb(v, v, v);
        }
    } else {
        format.palette = readDibPalette(info.data() + tableAt, entries, int(entry));
    }
    format.masks = bpp == 32 ? kDibMasks888 : kDibMasks555;
    if (bitfields) {
        // The masks follow the first 40 bytes, inside the larger headers or after the small one.
        if (!info.has(40, 12)) return dib;
        for (int i = 0; i < 3; ++i) format.masks[size_t(i)] = info.u32(40 + 4 * i);
    }

    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) return dib;
    DibRowDecoder(format).decodeImage(bits.data(), dib.bottomUp, image);
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

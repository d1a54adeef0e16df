#include "graphics/Icon.h"

#include "base/Error.h"
#include "base/LittleEndian.h"
#include "graphics/DibRows.h"
#include "graphics/StreamWindow.h"

#include <QIODevice>
#include <QPainter>

#include <climits>
#include <cstdlib>

namespace quorvel {

namespace {

[[noreturn]] void invalid()
{
    throw Error("Icon image is not valid");
}

// Icons are small; anything larger than this is not an icon the program can use.
constexpr qint64 kMaxSide = 4096;

// The first entry's DIB: a BMP information header (height counting the colour rows and the
// AND-mask rows), a palette, the colour rows bottom-up, then a 1-bit mask, bottom-up too, where a
// set bit is transparent. 32-bit entries carry alpha; when every alpha byte is 0 the mask decides.
QImage decodeDib(const QByteArray& d, qint64 at)
{
    if (at + 40 > d.size()) invalid();
    const qint64 headerSize = u32At(d, at);
    const qint64 width = qint32(u32At(d, at + 4));
    const qint64 height = std::abs(qint64(qint32(u32At(d, at + 8)))) / 2;
    const int bpp = u16At(d, at + 14);
    const quint32 compression = u32At(d, at + 16);
    if (headerSize < 40 || headerSize > 1024 || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide
        || compression != 0)
        invalid();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) invalid();

    qint64 colours = u32At(d, at + 32);
    if (bpp > 8)
        colours = 0;
    else if (colours == 0 || colours > 256)
        colours = qint64(1) << bpp;
    const qint64 paletteAt = at + headerSize;
    const qint64 pixelsAt = paletteAt + 4 * colours;
    const qint64 maskStride = dibStride(width, 1);
    const qint64 maskAt = pixelsAt + dibStride(width, bpp) * height;
    if (maskAt > d.size()) invalid();

    // A version-5 header may place a colour profile where the mask would be: then there is no
    // mask, and the icon is opaque. A mask cut off by the end of the file counts as none too.
    bool hasMask = maskAt + maskStride * height <= d.size();
    if (headerSize >= 124) {
        const qint64 profile = u32At(d, at + 112);
        if (profile > 0 && profile < maskAt + maskStride * height - at) hasMask = false;
    }

    DibRowFormat format;
    format.bitsPerPixel = bpp;
    format.palette = readDibPalette(reinterpret_cast<const std::uint8_t*>(d.constData() + paletteAt), colours, 4);
    format.masks = bpp == 16 ? kDibMasks555 : kDibMasks8888;
    format.scale = DibChannelScale::Truncated;

    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull()) invalid();
    DibRowDecoder(format).decodeImage(reinterpret_cast<const std::uint8_t*>(d.constData() + pixelsAt), true, image);
    bool anyAlpha = false;
    for (qint64 row = 0; bpp == 32 && row < height && !anyAlpha; ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(int(row)));
        for (qint64 x = 0; x < width; ++x) anyAlpha = anyAlpha || qAlpha(line[x]) != 0;
    }
    if (bpp == 32 && anyAlpha) return image;
    for (qint64 row = 0; row < height; ++row) {
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(int(height - 1 - row)));
        const auto* mask = reinterpret_cast<const uchar*>(d.constData() + maskAt + maskStride * row);
        for (qint64 x = 0; x < width; ++x) {
            const bool transparent = hasMask && (mask[x >> 3] >> (7 - (x & 7)) & 1);
            out[x] = transparent ? out[x] & 0x00FFFFFFu : out[x] | 0xFF000000u;
        }
    }
    return image;
}

} // namespace

void Icon::draw(QPainter& painter, const QRect& target) const
{
    if (!image_.isNull()) painter.drawImage(target, image_);
}

std::optional<QSize> Icon::sizeFromHeader(const QByteArray& d) const
{
    if (d.size() < 22 || u16At(d, 0) != 0 || (u16At(d, 2) != 1 && u16At(d, 2) != 2) || u16At(d, 4) == 0)
        return std::nullopt;
    const qint64 at = u32At(d, 18);
    if (at < 22 || at + 24 > d.size()) return std::nullopt;
    if (d.mid(at, 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        // The PNG's IHDR: width and height, high byte first.
        const auto big = [&](qint64 p) {
            return qint64(u8At(d, p)) << 24 | qint64(u8At(d, p + 1)) << 16 | u8At(d, p + 2) << 8 | u8At(d, p + 3);
        };
        const qint64 width = big(at + 16), height = big(at + 20);
        if (width > INT_MAX || height > INT_MAX) return std::nullopt;
        return QSize(int(width), int(height));
    }
    const qint64 height = std::abs(qint64(qint32(u32At(d, at + 8)))) / 2;
    return QSize(qint32(u32At(d, at + 4)), int(height));
}

void Icon::loadFromStream(QIODevice& stream)
{
    const QByteArray d = readToEnd(stream);
    // Directory: reserved 0, type 1 (icon) or 2 (cursor), a count, then 16-byte entries whose
    // last field is the offset of the entry's image. Only the first image is read.
    if (d.size() < 22 || u16At(d, 0) != 0 || (u16At(d, 2) != 1 && u16At(d, 2) != 2) || u16At(d, 4) == 0) invalid();
    const qint64 at = u32At(d, 18);
    if (at < 22 || at >= d.size()) invalid();
    QImage image;
    if (d.mid(at, 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        image = QImage::fromData(d.mid(at), "PNG");
        if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide) invalid();
        image = image.convertToFormat(QImage::Format_ARGB32);
    } else {
        image = decodeDib(d, at);
    }
    image_ = image;
}

} // namespace quorvel

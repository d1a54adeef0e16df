#include "codecs/TargaImage.h"

#include "graphics/BmpWriter.h"
#include "base/Error.h"
#include "base/LittleEndian.h"
#include "base/PathText.h"
#include "base/SaveFile.h"
#include "graphics/PictureMemory.h"
#include "graphics/StreamWindow.h"

#include <QBuffer>
#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quorvel {

namespace {

constexpr const char* truncatedMessage = kTgaTruncated;
constexpr const char* tooLargeMessage = kTgaTooLarge;

void writeHeader(QIODevice& stream, std::uint8_t type, int width, int height, int depth)
{
    if (width > 0xFFFF || height > 0xFFFF) throw Error(tooLargeMessage);
    std::uint8_t header[18] = {};
    header[2] = type;
    put16(header + 12, std::uint16_t(width));
    put16(header + 14, std::uint16_t(height));
    header[16] = std::uint8_t(depth);
    writeAll(stream, header, sizeof header);
}

} // namespace

TTarga::TTarga() = default;

void TTarga::draw(QPainter& painter, const QRect& target) const
{
    const QImage& image = colorBitmap_.image();
    if (image.isNull()) return;
    painter.drawImage(target, image, image.rect());
}

std::optional<QSize> TTarga::sizeFromHeader(const QByteArray& head) const
{
    if (head.size() < 18) return std::nullopt;
    return QSize(u16At(head, 12), u16At(head, 14));
}

void TTarga::loadFromStream(QIODevice& stream)
{
    TargaPixels read = readTarga(stream, colorMap_, imageKind_, SaveDepth);
    const QImage colour = adoptPixels(std::move(read.colour));
    const QImage alpha = adoptPixels(std::move(read.alpha));
    header_ = read.header;
    colorMap_ = read.colorMap;
    imageKind_ = read.imageKind;
    SaveDepth = read.saveDepth;
    colorBitmap_.setImage(colour);
    alpha_ = alpha;
    if (OnImageChange) OnImageChange();
}

void TTarga::saveToStream(QIODevice& stream) const
{
    if (imageKind_ == tgaRleTrueColor) {
        saveRle(stream);
    } else {
        saveUncompressed(stream);
    }
}

void TTarga::saveRle(QIODevice& stream) const
{
    const QImage& image = colorBitmap_.image();
    const int width = image.width(), height = image.height();
    writeHeader(stream, 10, width, height, 24);
    std::vector<std::uint8_t> row(std::size_t(width) * 3);
    std::vector<std::uint8_t> packed(EncodeRleBound(std::size_t(width)));
    for (int y = height - 1; y >= 0; --y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            row[3 * std::size_t(x)] = std::uint8_t(qBlue(in[x]));
            row[3 * std::size_t(x) + 1] = std::uint8_t(qGreen(in[x]));
            row[3 * std::size_t(x) + 2] = std::uint8_t(qRed(in[x]));
        }
        writeAll(stream, packed.data(), qint64(EncodeRleRow(row.data(), std::size_t(width), packed.data())));
    }
}

void TTarga::saveUncompressed(QIODevice& stream) const
{
    const QImage& image = colorBitmap_.image();
    const int width = image.width(), height = image.height();
    const int b = SaveDepth == 1 ? 2 : SaveDepth == 3 ? 4 : 3;
    // Pixels the alpha plane does not cover are opaque.
    QImage alpha;
    if (b == 4) {
        alpha = QImage(width, height, QImage::Format_Grayscale8);
        alpha.fill(0xFF);
        const int w = std::min(width, alpha_.width()), h = std::min(height, alpha_.height());
        for (int y = 0; y < h; ++y) std::memcpy(alpha.scanLine(y), alpha_.constScanLine(y), std::size_t(w));
    }
    writeHeader(stream, 2, width, height, 8 * b);
    std::vector<std::uint8_t> row(std::size_t(width) * std::size_t(b));
    for (int y = height - 1; y >= 0; --y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = row.data();
        switch (b) {
        case 2:
            for (int x = 0; x < width; ++x, out += 2)
                put16(out, std::uint16_t(qBlue(in[x]) >> 3 | (qGreen(in[x]) >> 3) << 5 | (qRed(in[x]) >> 3) << 10));
            break;
        case 3:
            for (int x = 0; x < width; ++x, out += 3) {
                out[0] = std::uint8_t(qBlue(in[x]));
                out[1] = std::uint8_t(qGreen(in[x]));
                out[2] = std::uint8_t(qRed(in[x]));
            }
            break;
        default: {
            const std::uint8_t* a = alpha.constScanLine(y);
            for (int x = 0; x < width; ++x, out += 4) {
                out[0] = std::uint8_t(qBlue(in[x]));
                out[1] = std::uint8_t(qGreen(in[x]));
                out[2] = std::uint8_t(qRed(in[x]));
                out[3] = a[x];
            }
            break;
        }
        }
        writeAll(stream, row.data(), qint64(row.size()));
    }
}

void TTarga::saveToFile(const QString& path) const
{
    if (!upperCasedLastCharacters(path, 4).endsWith(".BMP")) {
        Graphic::saveToFile(path);
        return;
    }
    saveBmp24(colorBitmap_.image(), path);
}

void TTarga::Assign(const Graphic& source)
{
    const auto* other = dynamic_cast<const TTarga*>(&source);
    if (!other) throw Error("Cannot assign this picture to a TGA image");
    colorBitmap_ = other->colorBitmap_;
    alpha_ = other->alpha_;
}

bool TTarga::equals(const Graphic& other) const
{
    const auto* that = dynamic_cast<const TTarga*>(&other);
    if (!that) return false;
    if (empty() || that->empty()) return empty() && that->empty();
    QBuffer mine, theirs;
    mine.open(QIODevice::WriteOnly);
    theirs.open(QIODevice::WriteOnly);
    saveToStream(mine);
    that->saveToStream(theirs);
    return mine.data() == theirs.data();
}

TTarga::StoredProperty TTarga::DefineProperties(const Graphic* ancestor)
{
    StoredProperty property;
    property.name = QStringLiteral("Data");
    property.stored = ancestor ? !equals(*ancestor) : !empty();
    property.read = [this](QIODevice& stream) { ReadData(stream); };
    property.write = [this](QIODevice& stream) { WriteData(stream); };
    return property;
}

void TTarga::WriteData(QIODevice& stream)
{
    const QByteArray name = QByteArray(stream.metaObject()->className()).left(63);
    const char length = char(name.size());
    writeAll(stream, &length, 1);
    writeAll(stream, name);
    imageKind_ = tgaTrueColor;
    SaveDepth = 3;
    saveToStream(stream);
}

void TTarga::ReadData(QIODevice& stream)
{
    char length = 0;
    if (stream.read(&length, 1) != 1) throw Error(truncatedMessage);
    const qint64 skip = std::min<qint64>(std::uint8_t(length), 63);
    if (stream.skip(skip) != skip) throw Error(truncatedMessage);
    if (stream.peek(2) == "BM") {
        colorBitmap_.setImage(Bitmap::decodeBmp(readToEnd(stream)));
        // The picture now reports the size of what it holds; a Windows bitmap carries no alpha.
        header_.width = std::uint16_t(std::min(colorBitmap_.width(), 0xFFFF));
        header_.height = std::uint16_t(std::min(colorBitmap_.height(), 0xFFFF));
        alpha_ = QImage();
        if (OnImageChange) OnImageChange();
    } else {
        loadFromStream(stream);
    }
}

void TTarga::SaveToClipboardFormat(std::uint16_t& format, QByteArray& data, std::uint32_t& palette) const
{
    QBuffer tga;
    tga.open(QIODevice::WriteOnly);
    saveToStream(tga);
    const std::uint32_t size = std::uint32_t(tga.data().size());
    data.clear();
    for (int i = 0; i < 4; ++i) data.append(char(size >> (8 * i) & 0xFF));
    data.append(tga.data());
    format = CF_TARGA;
    palette = 0;
}

void TTarga::LoadFromClipboardFormat(std::uint16_t format, const QByteArray& data, std::uint32_t)
{
    if (format != CF_TARGA || data.isEmpty()) return;
    if (data.size() < 4) throw Error(truncatedMessage);
    const auto* d = reinterpret_cast<const std::uint8_t*>(data.constData());
    const std::uint64_t size = std::uint64_t(d[0]) | std::uint64_t(d[1]) << 8 | std::uint64_t(d[2]) << 16 |
                               std::uint64_t(d[3]) << 24;
    if (size > std::uint64_t(data.size() - 4)) throw Error(truncatedMessage);
    QByteArray bytes = data.mid(4, qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    loadFromStream(buffer);
}

QImage TTarga::drawnAtOwnSize() const
{
    const QImage& image = colorBitmap_.image();
    if (image.format() != QImage::Format_RGB32 || image.size() != QSize(width(), height())) return {};
    return image;
}

QImage TTarga::colourAndAlpha() const
{
    if (alpha_.isNull()) return {};
    QImage image = colorBitmap_.image().convertToFormat(QImage::Format_ARGB32);
    const int w = std::min(image.width(), alpha_.width()), h = std::min(image.height(), alpha_.height());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* alpha = alpha_.constScanLine(y);
        for (int x = 0; x < w; ++x) row[x] = (row[x] & 0x00FFFFFFu) | QRgb(alpha[x]) << 24;
    }
    return image;
}

} // namespace quorvel

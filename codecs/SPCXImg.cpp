#include "codecs/SPCXImg.h"

#include "base/LittleEndian.h"
#include "graphics/PictureMemory.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

namespace quorvel {

namespace {

constexpr int kHeaderSize = 128;
// A version-5 256-colour file ends with the marker byte 0x0C and 256 × (red, green, blue).
constexpr int kVgaTrailerSize = 769;

const char* const kTruncated = "Unexpected end of PCX image file.";
const char* const kTooLarge = "PCX image is too large.";


// For a byte of 16-colour plane p, its eight pixels' contributions (bit << p) as nibbles, the
// leftmost pixel (bit 0x80) in the lowest nibble: OR-ing the four planes' entries gives eight
// colour indexes at once.
struct PlaneTables {
    std::array<std::array<std::uint32_t, 256>, 4> nibbles{};
    PlaneTables()
    {
        for (int p = 0; p < 4; ++p)
            for (int byte = 0; byte < 256; ++byte) {
                std::uint32_t v = 0;
                for (int j = 0; j < 8; ++j)
                    if (byte & (0x80 >> j)) v |= std::uint32_t(1) << (4 * j + p);
                nibbles[p][byte] = v;
            }
    }
};

const PlaneTables& planeTables()
{
    static const PlaneTables tables;
    return tables;
}

} // namespace

void TSPCX256::PcxError(int n)
{
    switch (n) {
    case 1: throw EPCXException("This is not a valid PCX image file.");
    case 2: throw EPCXException("This is not a 16, 256 or 24bit color PCX image file.");
    default: throw EPCXException("PCX file is in wrong format - It must be an EGA, VGA, MCGA or 24bit image.");
    }
}

int TSPCX256::bitsPerPixel() const
{
    switch (kind_) {
    case Colours16: return 4;
    case Colours256: return 8;
    case TrueColour: return 24;
    }
    return 0;
}

QList<QRgb> TSPCX256::colourTable() const
{
    const int count = kind_ == Colours16 ? 16 : kind_ == Colours256 ? 256 : 0;
    return QList<QRgb>(colours_.begin(), colours_.begin() + count);
}

std::optional<QSize> TSPCX256::declaredSize(const QByteArray& head)
{
    TSPCX256 decoder;
    decoder.file_ = head;
    try {
        decoder.ReadHeader();
    } catch (const Error&) {
        return std::nullopt;
    }
    return QSize(decoder.width_, decoder.height_);
}

void TSPCX256::ReadHeader()
{
    if (file_.size() < kHeaderSize || u8At(file_, 0) != 10 || u8At(file_, 2) != 1) PcxError(1);
    version_ = u8At(file_, 1);
    const int bits = u8At(file_, 3);
    planes_ = u8At(file_, 65);
    if (planes_ == 3 && bits == 8)
        kind_ = TrueColour;
    else if (planes_ == 4 && bits == 1)
        kind_ = Colours16;
    else if (planes_ != 1)
        PcxError(3);
    else if (bits == 1 || bits == 2)
        PcxError(2);
    else if (bits == 8)
        kind_ = Colours256;
    else
        PcxError(3);

    width_ = i16At(file_, 8) - i16At(file_, 4) + 1;
    height_ = i16At(file_, 10) - i16At(file_, 6) + 1;
    bytesPerLine_ = u16At(file_, 66);
    std::memcpy(headerPalette_.data(), file_.constData() + 16, headerPalette_.size());
    if (kind_ == Colours256 && version_ == 5) ReadVgaPalette();
    carryOver_ = 0;
    position_ = kHeaderSize;
}

void TSPCX256::ReadVgaPalette()
{
    // Without the marker the palette stays black.
    const qsizetype at = file_.size() - kVgaTrailerSize;
    if (at < kHeaderSize || u8At(file_, at) != 0x0C) return;
    std::memcpy(vgaPalette_.data(), file_.constData() + at + 1, vgaPalette_.size());
}

void TSPCX256::DecodeLine()
{
    const std::size_t length = lineLength_;
    std::uint8_t* out = line_.data();
    std::size_t filled = std::min<std::size_t>(std::size_t(carryOver_), length);
    std::memset(out, current_, filled);
    carryOver_ -= int(filled);

    const auto* in = reinterpret_cast<const std::uint8_t*>(file_.constData()) + position_;
    const auto* end = reinterpret_cast<const std::uint8_t*>(file_.constData()) + file_.size();
    while (filled < length) {
        std::size_t count;
        std::uint8_t value;
        if (end - in >= 2) {
            // Single bytes and runs of one are most of a photograph's data: take both without
            // a branch on the kind of byte.
            const std::uint8_t b = in[0];
            const bool run = b >= 0xC0;
            value = run ? in[1] : b;
            count = run ? b & 0x3F : 1;
            in += 1 + int(run);
            if (count == 1) {
                out[filled++] = value;
                continue;
            }
        } else {
            if (in == end) throw EPCXException(kTruncated);
            const std::uint8_t b = *in++;
            if (b < 0xC0) {
                out[filled++] = b;
                continue;
            }
            if (in == end) throw EPCXException(kTruncated);
            value = *in++;
            count = b & 0x3F;
        }
        const std::size_t here = std::min(count, length - filled);
        std::memset(out + filled, value, here);
        filled += here;
        // What does not fit opens the next scan line.
        carryOver_ = int(count - here);
        current_ = value;
    }
    position_ = in - reinterpret_cast<const std::uint8_t*>(file_.constData());
}

void TSPCX256::convertLine(int y)
{
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const std::uint8_t* line = line_.data();
    const int width = width_;
    switch (kind_) {
    case Colours256:
        for (int x = 0; x < width; ++x) row[x] = colours_[line[x]];
        break;
    case TrueColour: {
        const std::uint8_t* red = line;
        const std::uint8_t* green = line + bytesPerLine_;
        const std::uint8_t* blue = line + 2 * std::size_t(bytesPerLine_);
        for (int x = 0; x < width; ++x)
            row[x] = 0xFF000000u | QRgb(red[x]) << 16 | QRgb(green[x]) << 8 | blue[x];
        break;
    }
    case Colours16: {
        const auto& tables = planeTables().nibbles;
        const std::size_t plane = std::size_t(bytesPerLine_);
        for (int i = 0; 8 * i < width; ++i) {
            const std::uint32_t indexes = tables[0][line[i]] | tables[1][line[plane + i]]
                | tables[2][line[2 * plane + i]] | tables[3][line[3 * plane + i]];
            const int count = std::min(8, width - 8 * i);
            QRgb* pixels = row + 8 * i;
            for (int j = 0; j < count; ++j) pixels[j] = colours_[indexes >> (4 * j) & 0x0F];
        }
        break;
    }
    }
}

void TSPCX256::ReadPcx(QIODevice& source)
{
    if (!source.isSequential()) source.seek(0);
    file_ = source.readAll();
    ReadHeader();

    // A scan line must hold a row of pixels.
    const int pixelsPerLineByte = kind_ == Colours16 ? 8 : 1;
    if (width_ <= 0 || height_ <= 0 || std::int64_t(bytesPerLine_) * pixelsPerLineByte < width_) PcxError(1);
    // PCX pictures are decoded row by row and never painted, so strips as long as the 16-bit
    // window allows are taken; the pixels stay within the cap.
    if (!pictureSizeAllowed(width_, height_, 65536)) throw EPCXException(kTooLarge);
    // A pair of bytes yields at most 63, so a file too short for every scan line fails before
    // the picture is allocated.
    const std::uint64_t lineLength = std::uint64_t(planes_) * std::uint64_t(bytesPerLine_);
    const std::uint64_t available = std::uint64_t(file_.size() - kHeaderSize);
    if (lineLength * std::uint64_t(height_) > (available + 1) / 2 * 63) throw EPCXException(kTruncated);

    colours_.fill(0xFF000000u);
    if (kind_ == Colours16)
        for (int i = 0; i < 16; ++i)
            colours_[i] = qRgb(headerPalette_[3 * i], headerPalette_[3 * i + 1], headerPalette_[3 * i + 2]);
    else if (kind_ == Colours256)
        for (int i = 0; i < 256; ++i)
            colours_[i] = qRgb(vgaPalette_[3 * i], vgaPalette_[3 * i + 1], vgaPalette_[3 * i + 2]);

    lineLength_ = std::size_t(lineLength);
    withPictureMemory(width_, height_, [&] {
        line_.assign(std::max<std::size_t>(lineLength_, 1), 0);
        image_ = allocatePicture(width_, height_, QImage::Format_RGB32);
    });
    for (int y = 0; y < height_; ++y) {
        DecodeLine();
        convertLine(y);
    }
}

std::optional<QSize> TSPCXBitmap::sizeFromHeader(const QByteArray& head) const
{
    return TSPCX256::declaredSize(head);
}

void TSPCXBitmap::loadFromStream(QIODevice& stream)
{
    TSPCX256 decoder;
    decoder.ReadPcx(stream);
    setImage(decoder.image());
}

} // namespace quorvel

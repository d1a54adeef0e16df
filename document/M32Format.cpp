#include "document/M32Format.h"

#include "document/HeaderFields.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvel {

namespace {

template <typename T>
void swapBytes(T& field)
{
    static_assert(sizeof(T) == 4);
    std::uint32_t bits;
    std::memcpy(&bits, &field, 4);
    bits = (bits >> 24) | (bits >> 8 & 0xFF00u) | (bits << 8 & 0xFF0000u) | (bits << 24);
    std::memcpy(&field, &bits, 4);
}

// The file is little-endian; on a big-endian host every 4-byte field turns round: the version,
// the level table and the header fields' numbers.
void toOrFromLittleEndian(M32Header& h)
{
    if constexpr (std::endian::native == std::endian::big) {
        swapBytes(h.version);
        for (int k = 0; k < kMaxLevels; ++k) {
            swapBytes(h.widths[k]);
            swapBytes(h.heights[k]);
            swapBytes(h.offsets[k]);
        }
        for (const HeaderField& f : kHeaderFields) {
            if (f.kind == HeaderFieldKind::Name) continue;
            char* at = reinterpret_cast<char*>(&h) + f.offset;
            std::reverse(at, at + f.size);
        }
    } else {
        (void)h;
    }
}

// Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Computed when the program is built (tools/composition_table.cpp).
constexpr Composition kComposition = {
#include "CompositionTable.inc"
};

} // namespace

M32Header newM32Header()
{
    M32Header h;
    std::memset(&h, 0, sizeof h);
    h.version = kNewVersion;
    h.flags = 2048;
    h.scale_x = 1.0f;
    h.scale_y = 1.0f;
    h.mip_scale = 1;
    return h;
}

M32Header decodeM32Header(const char* bytes)
{
    M32Header h;
    std::memcpy(&h, bytes, sizeof h);
    toOrFromLittleEndian(h);
    return h;
}

void encodeM32Header(const M32Header& header, char* bytes)
{
    M32Header h = header;
    toOrFromLittleEndian(h);
    std::memcpy(bytes, &h, sizeof h);
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = char(c);
        } else {
            const auto* found = std::find(std::begin(kCp1252High), std::end(kCp1252High), c);
            if (found != std::end(kCp1252High)) b = char(0x80 + (found - std::begin(kCp1252High)));
        }
        bytes[i] = b;
    }
    return bytes;
}

QString nameText(const char (&field)[kM32NameSize])
{
    const char* end = std::find(field, field + kM32NameSize, '\0');
    return fromWindows1252(QByteArray(field, end - field));
}

void setNameText(char (&field)[kM32NameSize], const QString& text)
{
    // A longer text is cut at the field's 128 bytes.
    const QByteArray bytes = toWindows1252(text.left(kM32NameSize));
    std::memset(field, 0, kM32NameSize);
    std::memcpy(field, bytes.constData(), std::size_t(bytes.size()));
}

const Composition& composition()
{
    return kComposition;
}

} // namespace quorvel

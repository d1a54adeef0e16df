// The m32 texture file: a 968-byte header, then the pixel data of up to sixteen mip levels,
// 4 bytes a pixel (red, green, blue, alpha), rows from the top. The header is one block whose
// bytes are exactly the record below, every number little-endian.
//
// The level images hold each pixel composited over the background grey; the alpha sits in an
// alpha plane. `composition()` converts between the colour stored in the file and the colour
// shown, both ways.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace quorvel {

constexpr int kM32HeaderSize = 968;
constexpr int kMaxLevels = 16;
constexpr int kM32NameSize = 128;
constexpr int kMaxLevelSide = 1024;
constexpr int kNewVersion = 4; // the version every write stores

struct M32Header {
    std::int32_t version;
    char name[kM32NameSize];
    char substitution_name[kM32NameSize];
    char next_frame_name[kM32NameSize];
    char damaged_name[kM32NameSize];
    // Level k (1..16) is entry k - 1 of these; offset 0 means the level is absent.
    std::int32_t widths[kMaxLevels];
    std::int32_t heights[kMaxLevels];
    std::int32_t offsets[kMaxLevels];
    std::int32_t flags;
    std::int32_t contents;
    std::int32_t value;
    float scale_x;
    float scale_y;
    std::int32_t mip_scale;
    char detail_name[kM32NameSize];
    float detail_scale_x;
    float detail_scale_y;
    float dt_u;
    float dt_v;
    float dt_alpha;
    std::int32_t detail_src;
    std::int32_t detail_dst;
    std::int32_t detail_flags;
    float damage_health;
    std::uint8_t reserved[72]; // never interpreted; written back as read
};

static_assert(std::is_standard_layout_v<M32Header> && std::is_trivially_copyable_v<M32Header>);
static_assert(sizeof(M32Header) == kM32HeaderSize);
static_assert(offsetof(M32Header, version) == 0);
static_assert(offsetof(M32Header, name) == 4);
static_assert(offsetof(M32Header, substitution_name) == 132);
static_assert(offsetof(M32Header, next_frame_name) == 260);
static_assert(offsetof(M32Header, damaged_name) == 388);
static_assert(offsetof(M32Header, widths) == 516);
static_assert(offsetof(M32Header, heights) == 580);
static_assert(offsetof(M32Header, offsets) == 644);
static_assert(offsetof(M32Header, flags) == 708);
static_assert(offsetof(M32Header, contents) == 712);
static_assert(offsetof(M32Header, value) == 716);
static_assert(offsetof(M32Header, scale_x) == 720);
static_assert(offsetof(M32Header, scale_y) == 724);
static_assert(offsetof(M32Header, mip_scale) == 728);
static_assert(offsetof(M32Header, detail_name) == 732);
static_assert(offsetof(M32Header, detail_scale_x) == 860);
static_assert(offsetof(M32Header, detail_scale_y) == 864);
static_assert(offsetof(M32Header, dt_u) == 868);
static_assert(offsetof(M32Header, dt_v) == 872);
static_assert(offsetof(M32Header, dt_alpha) == 876);
static_assert(offsetof(M32Header, detail_src) == 880);
static_assert(offsetof(M32Header, detail_dst) == 884);
static_assert(offsetof(M32Header, detail_flags) == 888);
static_assert(offsetof(M32Header, damage_health) == 892);
static_assert(offsetof(M32Header, reserved) == 896);

// The header of a new document: version 4, flags 2048, scales and mip scale 1, the rest 0.
M32Header newM32Header();

// The header from its 968 bytes, and back.
M32Header decodeM32Header(const char* bytes);
void encodeM32Header(const M32Header& header, char* bytes);

// A name field's text: its bytes up to the first NUL (all 128 without one), Windows-1252.
QString nameText(const char (&field)[kM32NameSize]);
// Stores a text in a name field: its first 128 characters as Windows-1252 bytes ('?' for
// characters the code page lacks), the rest of the field NUL.
void setNameText(char (&field)[kM32NameSize], const QString& text);

// The characters of Windows-1252 bytes 0x80..0x9F; the rest of the code page is Latin-1.
inline constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Windows-1252 both ways. The five bytes the code page leaves undefined map to the C1
// controls of the same number, so every byte survives a round trip.
QString fromWindows1252(const QByteArray& bytes);
QByteArray toWindows1252(const QString& text);

// Stored colour <-> shown colour over the background grey (192, 192, 192), for every alpha.
//   shown  = round(s * A/255 + 192 * (255 - A)/255)
//   stored = round((d - 192 * (255 - A)/255) / (A/255)), kept to 0..255; 0 when A is 0
// both in 80-bit extended precision, the weights being A and 255 - A times the nearest
// extended value of 1/255, rounded to nearest with ties to even.
struct Composition {
    std::uint8_t shown[256][256];  // [alpha][stored channel]
    std::uint8_t stored[256][256]; // [alpha][shown channel]
};
const Composition& composition();

// The one alpha all `width` alphas of a row have, or -1 when they differ. A row of one alpha
// takes one row of each table above, and at alpha 255 both tables are the identity.
inline int rowAlpha(const unsigned char* alpha, int width)
{
    unsigned all = 0xFF, any = 0;
    for (int x = 0; x < width; ++x) {
        all &= alpha[x];
        any |= alpha[x];
    }
    return all == any ? int(all) : -1;
}

constexpr int kBackgroundGrey = 192;

} // namespace quorvel

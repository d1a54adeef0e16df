// The m32 header's bytes to the record and back. It needs nothing of Qt at run time, so the
// front of quorvel-cli, which loads no Qt library, reads headers with it too.
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

} // namespace quorvel

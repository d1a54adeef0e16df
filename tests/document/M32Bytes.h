// Builds m32 files byte by byte for the tests: a header with every field spelled out, then
// whatever pixel bytes the test appends.
#pragma once

#include "tests/support/Bytes.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <cstring>

namespace quorvel::test {

struct M32Fields {
    std::int32_t version = 4;
    QByteArray name, substitution_name, next_frame_name, damaged_name, detail_name; // up to 128 bytes
    std::array<std::int32_t, 16> widths{}, heights{}, offsets{};
    std::int32_t flags = 2048, contents = 0, value = 0;
    float scale_x = 1.0f, scale_y = 1.0f;
    std::int32_t mip_scale = 1;
    float detail_scale_x = 0, detail_scale_y = 0, dt_u = 0, dt_v = 0, dt_alpha = 0;
    std::int32_t detail_src = 0, detail_dst = 0, detail_flags = 0;
    float damage_health = 0;
    QByteArray reserved = QByteArray(72, '\0');

    // Level k (1..16) as present with the given size and offset.
    M32Fields& level(int k, int width, int height, int offset)
    {
        widths[k - 1] = width;
        heights[k - 1] = height;
        offsets[k - 1] = offset;
        return *this;
    }
};

inline Bytes m32Header(const M32Fields& s)
{
    auto name = [](Bytes& b, const QByteArray& text) { b.raw(text.left(128)).fill(128 - qMin<qsizetype>(128, text.size())); };
    Bytes b;
    b.i32(s.version);
    name(b, s.name);
    name(b, s.substitution_name);
    name(b, s.next_frame_name);
    name(b, s.damaged_name);
    for (auto w : s.widths) b.i32(w);
    for (auto h : s.heights) b.i32(h);
    for (auto o : s.offsets) b.i32(o);
    b.i32(s.flags).i32(s.contents).i32(s.value).f32(s.scale_x).f32(s.scale_y).i32(s.mip_scale);
    name(b, s.detail_name);
    b.f32(s.detail_scale_x).f32(s.detail_scale_y).f32(s.dt_u).f32(s.dt_v).f32(s.dt_alpha);
    b.i32(s.detail_src).i32(s.detail_dst).i32(s.detail_flags).f32(s.damage_health);
    b.raw(s.reserved.left(72)).fill(72 - qMin<qsizetype>(72, s.reserved.size()));
    return b;
}

// Little-endian reads from file bytes.
inline std::int32_t i32At(const QByteArray& bytes, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | std::uint8_t(bytes[at + i]);
    return std::int32_t(v);
}
inline float f32At(const QByteArray& bytes, qsizetype at)
{
    const std::uint32_t bits = std::uint32_t(i32At(bytes, at));
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
constexpr int kWidthsAt = 516, kHeightsAt = 580, kOffsetsAt = 644;

} // namespace quorvel::test

// Little-endian fields of files held in memory, read and written. The caller has checked that the
// bytes are there.
#pragma once

#include <QByteArray>

#include <cstdint>

namespace quorvel {

inline std::uint8_t u8At(const QByteArray& bytes, qint64 at)
{
    return std::uint8_t(bytes.constData()[at]);
}

inline std::uint16_t u16At(const QByteArray& bytes, qint64 at)
{
    return std::uint16_t(u8At(bytes, at) | u8At(bytes, at + 1) << 8);
}

inline std::uint32_t u32At(const QByteArray& bytes, qint64 at)
{
    return std::uint32_t(u16At(bytes, at)) | std::uint32_t(u16At(bytes, at + 2)) << 16;
}

inline std::int16_t i16At(const QByteArray& bytes, qint64 at)
{
    return std::int16_t(u16At(bytes, at));
}

inline std::int32_t i32At(const QByteArray& bytes, qint64 at)
{
    return std::int32_t(u32At(bytes, at));
}

// Writers into a buffer of bytes (char or std::uint8_t), low byte first.
template <typename Byte>
    requires(sizeof(Byte) == 1)
inline void put16(Byte* at, std::uint16_t v)
{
    at[0] = Byte(v & 0xFF);
    at[1] = Byte(v >> 8);
}

template <typename Byte>
    requires(sizeof(Byte) == 1)
inline void put32(Byte* at, std::uint32_t v)
{
    put16(at, std::uint16_t(v & 0xFFFF));
    put16(at + 2, std::uint16_t(v >> 16));
}

} // namespace quorvel

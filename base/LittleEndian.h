// Little-endian fields of files held in memory. The caller has checked that the bytes are there.
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

} // namespace quorvel

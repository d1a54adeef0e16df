// Builds files byte by byte in tests: little-endian integers, text, fills.
#pragma once

#include "base/LittleEndian.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace quorvel::test {

class Bytes {
public:
    Bytes& u8(std::uint8_t v) { data_.append(char(v)); return *this; }
    Bytes& u8s(std::initializer_list<int> values)
    {
        for (int v : values) u8(std::uint8_t(v));
        return *this;
    }
    Bytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& i16(std::int16_t v) { return u16(std::uint16_t(v)); }
    Bytes& i32(std::int32_t v) { return u32(std::uint32_t(v)); }
    Bytes& f32(float v)
    {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof bits);
        return u32(bits);
    }
    Bytes& text(std::string_view s) { data_.append(s.data(), qsizetype(s.size())); return *this; }
    Bytes& fill(qsizetype count, std::uint8_t v = 0) { data_.append(count, char(v)); return *this; }
    Bytes& raw(const QByteArray& bytes) { data_.append(bytes); return *this; }

    qsizetype size() const { return data_.size(); }
    const QByteArray& data() const { return data_; }
    operator const QByteArray&() const { return data_; }

    // Overwrites a little-endian 32-bit value at an offset already written.
    Bytes& put32(qsizetype at, std::uint32_t v)
    {
        quorvel::put32(data_.data() + at, v);
        return *this;
    }

private:
    QByteArray data_;
};

// A read-only stream over its own copy of some bytes, for loading pictures in tests.
class ByteStream : public QBuffer {
public:
    explicit ByteStream(const QByteArray& bytes) : bytes_(bytes)
    {
        setBuffer(&bytes_);
        open(QIODevice::ReadOnly);
    }

private:
    QByteArray bytes_;
};

// A seekable read-only device over its own copy of some bytes that is not a buffer and gives at
// most 7 bytes a read, as a file may: the readers' windows are refilled at every odd place.
class TrickleStream : public QIODevice {
public:
    explicit TrickleStream(const QByteArray& bytes) : bytes_(bytes) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    qint64 size() const override { return bytes_.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, qint64(7), bytes_.size() - pos()});
        if (n <= 0) return 0;
        std::memcpy(data, bytes_.constData() + pos(), std::size_t(n));
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
};

// The same bytes as a pipe gives them: a sequential device, at most 7 bytes a read, with no size.
class PipeStream : public QIODevice {
public:
    explicit PipeStream(const QByteArray& bytes) : bytes_(bytes) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, qint64(7), bytes_.size() - given_});
        if (n <= 0) return -1;
        std::memcpy(data, bytes_.constData() + given_, std::size_t(n));
        given_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 given_ = 0;
};

// A picture of kind `Picture` loaded from `bytes` through its stream loader, from a buffer or
// from another stream over the bytes.
template <class Picture, class Stream = ByteStream>
Picture loadedFrom(const QByteArray& bytes)
{
    Stream stream(bytes);
    Picture picture;
    picture.loadFromStream(stream);
    return picture;
}

// Writes bytes to a fresh file in the test's temporary directory and returns its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

} // namespace quorvel::test

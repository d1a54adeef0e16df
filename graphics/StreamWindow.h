// How the readers read their streams. StreamWindow: a stream seen through one small window that
// is refilled and reused as they go, so a picture is decoded without its whole file in memory;
// an in-memory buffer is read straight from its bytes. Nothing read is trusted: every read says
// how many bytes there are, and `take` fails on a short stream. peekHead and readToEnd: a file's
// first bytes and its rest, from any device, however few bytes each of its reads gives.
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

class QIODevice;
class QByteArray;

namespace quorvel {

// Up to `count` bytes from the stream's position, which a seekable stream is left at (however
// few bytes each of its reads gives); a sequential stream gives what it can peek.
QByteArray peekHead(QIODevice& stream, qint64 count);
// Everything from the stream's position to its end, however few bytes each read gives.
QByteArray readToEnd(QIODevice& stream);

class StreamWindow {
public:
    // The window is at least `minimumWindow` bytes; `truncatedMessage` is what `take` fails with.
    StreamWindow(QIODevice& stream, const char* truncatedMessage, std::size_t minimumWindow = kDefaultWindow);

    // Up to `count` bytes without consuming them; `available` says how many there are (fewer
    // only at the end of the stream). The bytes stay valid until the next peek or take.
    const std::uint8_t* peek(std::size_t count, std::size_t& available)
    {
        if (!direct_ && end_ - pos_ < count) refill(count);
        available = std::min(count, end_ - pos_);
        return data_ + pos_;
    }

    // Exactly `count` bytes, consumed; a short stream fails.
    const std::uint8_t* take(std::size_t count);

    // Consumes `count` bytes of those the last peek gave.
    void consume(std::size_t count) { pos_ += count; }

    // How many bytes are left, or -1 when the stream cannot tell.
    qint64 remaining() const;

    // Leaves the stream just after the bytes consumed.
    void finish();

    static constexpr std::size_t kDefaultWindow = std::size_t(1) << 16;

private:
    void refill(std::size_t count);

    QIODevice& stream_;
    const char* truncatedMessage_;
    std::size_t minimumWindow_;
    bool direct_ = false;
    qint64 start_ = 0;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t pos_ = 0, end_ = 0;
};

} // namespace quorvel

#include "graphics/StreamWindow.h"

#include "base/Error.h"

#include <QBuffer>

#include <algorithm>
#include <cstring>

namespace quorvel {

QByteArray peekHead(QIODevice& stream, qint64 count)
{
    if (stream.isSequential()) return stream.peek(count);
    const qint64 start = stream.pos();
    QByteArray head(count, Qt::Uninitialized);
    qint64 got = 0;
    while (got < count) {
        const qint64 n = stream.read(head.data() + got, count - got);
        if (n <= 0) break;
        got += n;
    }
    stream.seek(start);
    head.truncate(got);
    return head;
}

QByteArray readToEnd(QIODevice& stream)
{
    QByteArray bytes = stream.readAll();
    for (;;) {
        const QByteArray more = stream.readAll();
        if (more.isEmpty()) return bytes;
        bytes += more;
    }
}

StreamWindow::StreamWindow(QIODevice& stream, const char* truncatedMessage, std::size_t minimumWindow)
    : stream_(stream), truncatedMessage_(truncatedMessage), minimumWindow_(minimumWindow)
{
    auto* buffer = qobject_cast<QBuffer*>(&stream);
    if (buffer && buffer->isReadable()) {
        start_ = buffer->pos();
        const QByteArray& bytes = buffer->data();
        if (start_ >= 0 && start_ <= bytes.size()) {
            direct_ = true;
            data_ = reinterpret_cast<const std::uint8_t*>(bytes.constData()) + start_;
            end_ = std::size_t(bytes.size() - start_);
        }
    }
}

const std::uint8_t* StreamWindow::take(std::size_t count)
{
    std::size_t available = 0;
    const std::uint8_t* at = peek(count, available);
    if (available < count) throw Error(truncatedMessage_);
    pos_ += count;
    return at;
}

qint64 StreamWindow::remaining() const
{
    const qint64 buffered = qint64(end_ - pos_);
    if (direct_) return buffered;
    if (stream_.isSequential()) return -1;
    return std::max<qint64>(stream_.size() - stream_.pos(), 0) + buffered;
}

void StreamWindow::finish()
{
    if (direct_) {
        stream_.seek(start_ + qint64(pos_));
    } else if (end_ > pos_ && !stream_.isSequential()) {
        stream_.seek(stream_.pos() - qint64(end_ - pos_));
    }
}

void StreamWindow::refill(std::size_t count)
{
    const std::size_t kept = end_ - pos_;
    const std::size_t capacity = std::max({count, minimumWindow_, capacity_});
    if (capacity > capacity_) {
        auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        if (kept > 0) std::memcpy(larger.get(), buffer_.get() + pos_, kept);
        buffer_ = std::move(larger);
        capacity_ = capacity;
    } else if (pos_ > 0 && kept > 0) {
        std::memmove(buffer_.get(), buffer_.get() + pos_, kept);
    }
    pos_ = 0;
    end_ = kept;
    while (end_ < count) {
        const qint64 got = stream_.read(reinterpret_cast<char*>(buffer_.get() + end_), qint64(capacity_ - end_));
        if (got <= 0) break;
        end_ += std::size_t(got);
    }
    data_ = buffer_.get();
}

} // namespace quorvel

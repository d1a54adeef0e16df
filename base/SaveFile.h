// Writing a file whole or not at all. The bytes go to a temporary file beside the target, which
// takes the target's place only once every byte is written; a failure leaves the target as it
// was and no temporary file behind. Every save of the program goes through saveWhole, so the
// messages of a failed save are decided here.
#pragma once

#include "base/Error.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

namespace quorvel {

// A write the device did not take whole. Carries the errno of the failure (0 when the system gave
// none); its message is "Disk full", which is what a writer says when a caller's stream refuses
// bytes.
class WriteFailure : public Error {
public:
    explicit WriteFailure(int errorNumber);
    int errorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

// Writes all `size` bytes of `data` to `device` or raises WriteFailure.
void writeAll(QIODevice& device, const void* data, qint64 size);
inline void writeAll(QIODevice& device, const QByteArray& bytes) { writeAll(device, bytes.constData(), bytes.size()); }

// What a failed save says.
enum class SaveMessages {
    // The runtime's messages from the system's reason ("File not found", "Invalid filename",
    // "File access denied", "Disk full", "I/O error %d", ...), as the m32 writer reports. The file
    // is written unbuffered, so that the reason of the very write that failed is known.
    Runtime,
    // The picture layer's: "Cannot create file %s" when the file cannot be made or put in place,
    // "Disk full" when a write comes short.
    PictureLayer,
};

// Runs `write` on a temporary file beside `path` and puts that in place of `path` when `write`
// returns. A WriteFailure from `write` is told in the words of `messages`; any other error of
// `write` passes through as it is. Either way nothing at `path` changes.
void saveWhole(const QString& path, SaveMessages messages, const std::function<void(QIODevice& file)>& write);

} // namespace quorvel

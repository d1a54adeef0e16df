#include "cli/ProgressLine.h"
#include "cli/Commands.h"
#include "base/FileNames.h"

#include <cstdio>
#include <system_error>
#include <unistd.h>

namespace quorvel::cli {

namespace {

// Work shorter than this shows no progress at all.
constexpr std::chrono::milliseconds kMoment(500);
constexpr std::chrono::milliseconds kRedraw(100);

// The moment, which the tests set through QUORVEL_PROGRESS_AFTER_MS (0: at once) so that what
// they check does not hang on how fast the machine converts.
std::chrono::milliseconds progressMoment()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QUORVEL_PROGRESS_AFTER_MS", &ok);
    return ok && ms >= 0 ? std::chrono::milliseconds(ms) : kMoment;
}

} // namespace

QString fileFailure(const QString& path, const QString& message)
{
    const QString shown = shownPath(path);
    return message.startsWith(shown + u' ') ? message : shown + QStringLiteral(": ") + message;
}

ProgressLine::ProgressLine(const char* label, int total) : label_(label), total_(total)
{
    try {
        if (isatty(fileno(stderr))) drawer_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // Without a thread to draw it there is no progress line; the work goes on.
    }
}

ProgressLine::~ProgressLine()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (drawer_.joinable()) drawer_.join();
    std::lock_guard lock(mutex_);
    wipe();
}

void ProgressLine::run()
{
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, progressMoment(), [this] { return stopping_; })) return;
    do draw();
    while (!wake_.wait_for(lock, kRedraw, [this] { return stopping_; }));
}

void ProgressLine::draw()
{
    std::fprintf(stderr, "\r%s: %d of %d files", label_, done_.load(std::memory_order_relaxed), total_);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::wipe()
{
    if (!shown_) return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

void ProgressLine::printLine(const QString& line)
{
    std::lock_guard lock(mutex_);
    const bool wasShown = shown_;
    wipe();
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    if (wasShown) draw();
    std::fflush(stderr);
}

} // namespace quorvel::cli

// The progress line of the long commands: "converting: 12 of 100 files" on stderr, redrawn in
// place, shown only when stderr is a terminal and the work has taken longer than a moment, and
// wiped when the work ends. Lines printed through it go above the progress line.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorvel::cli {

class ProgressLine {
public:
    // `label` starts the line ("converting"); `total` is the number of files.
    ProgressLine(const char* label, int total);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // One more file done; safe from any thread.
    void advance() { done_.fetch_add(1, std::memory_order_relaxed); }
    // Prints `line` and a newline on stderr, from any thread, above the progress line.
    void printLine(const QString& line);

private:
    void run();
    void draw();  // with mutex_ held
    void wipe();  // with mutex_ held

    const char* label_;
    const int total_;
    std::atomic<int> done_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool shown_ = false;
    std::thread drawer_;
};

} // namespace quorvel::cli

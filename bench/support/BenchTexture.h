// What the benchmarks share without windows: the full texture they open and save, and the run of
// quorvel-cli (or any program) in a child process with its output thrown away.
#pragma once

#include "document/TextureDocument.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace quorvel::bench {

// Writes, once per program, a texture of level 1 at 1024 x 1024 and every halving down to 1 x 1
// (eleven levels, 5.6 MB), each with a colour and alpha pattern that varies per pixel.
inline void saveChainTexture(const QString& path)
{
    static bool made = false;
    if (made) return;
    TextureDocument d;
    for (int side = 1024; side >= 1; side /= 2) {
        const int k = d.appendLevel(side, side, QStringLiteral("%1x%1").arg(side));
        d.editPixels(k, QRect(0, 0, side, side), [side](QImage& image, QImage& alpha) {
            for (int y = 0; y < side; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                uchar* a = alpha.scanLine(y);
                for (int x = 0; x < side; ++x) {
                    row[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
                    a[x] = uchar(x + 3 * y);
                }
            }
        });
    }
    d.save(path);
    made = true;
}

// A program run to its end with stdout and stderr sent to /dev/null: its exit status (128 + the
// signal when one ended it), or -1 when it could not be run. `usage`, when given, receives what
// the child used (its peak memory in ru_maxrss).
class ChildRun {
public:
    explicit ChildRun(std::vector<std::string> args) : args_(std::move(args))
    {
        for (std::string& a : args_) argv_.push_back(a.data());
        argv_.push_back(nullptr);
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    }
    ~ChildRun() { posix_spawn_file_actions_destroy(&actions_); }
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    int run(rusage* usage = nullptr)
    {
        pid_t pid = 0;
        int status = 0;
        rusage ignored{};
        if (posix_spawn(&pid, argv_[0], &actions_, nullptr, argv_.data(), environ) != 0
            || wait4(pid, &status, 0, usage ? usage : &ignored) < 0)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    std::vector<std::string> args_;
    std::vector<char*> argv_;
    posix_spawn_file_actions_t actions_;
};

} // namespace quorvel::bench

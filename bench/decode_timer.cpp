// decode-timer: our side of the same-file comparison (same_file_compare.py).
//   decode-timer write DIR             writes the benchmarks' pictures (BenchPictures.h) into DIR
//   decode-timer time REPS FILE...     decodes each FILE REPS times as import and quorvel-cli
//                                      decode do (through the registry, from its file, into a
//                                      fresh picture) and prints "FILE MEDIAN_MS" a line
// The time is the process's processor time (user and system, page faults and file reads
// included), so that a machine shared with other work does not count the time it gives them.
#include "bench/support/BenchPictures.h"
#include "base/Error.h"
#include "graphics/PictureRegistry.h"
#include "import/PictureKinds.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

using namespace quorvel;

namespace {

int writePictures(const QString& directory)
{
    for (const QString& name : bench::benchPictureNames()) {
        QFile file(QDir(directory).filePath(name));
        const QByteArray bytes = bench::benchPictureFile(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}

double processMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double medianDecodeMs(const QString& path, int reps)
{
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const double start = processMs();
        const std::unique_ptr<Graphic> picture = loadPicture(path);
        const double end = processMs();
        if (picture->width() <= 0) throw Error("nothing decoded");
        times.push_back(end - start);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "write") == 0) return writePictures(QString::fromLocal8Bit(argv[2]));
    if (argc < 4 || std::strcmp(argv[1], "time") != 0 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: decode-timer write DIR | decode-timer time REPS FILE...\n");
        return 2;
    }
    registerAllPictureKinds();
    try {
        for (int i = 3; i < argc; ++i)
            std::printf("%s %.4f\n", argv[i], medianDecodeMs(QString::fromLocal8Bit(argv[i]), std::atoi(argv[2])));
    } catch (const Error& e) {
        std::fprintf(stderr, "decode-timer: %s\n", e.what());
        return 1;
    }
    return 0;
}

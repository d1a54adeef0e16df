// Hostile pictures at full size, each decoded by `quorvel-cli decode` in a child process: the
// time it takes and the child's peak memory (maxrss), and its exit status (0 decoded, 1 refused).
// Files live in /dev/shm when it exists, so the disk does not time itself.
#include "bench/support/BenchTexture.h"
#include "bench/support/DecodeBench.h"
#include "tests/support/HostileFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>


namespace {

using namespace quorvel::test::hostile;

void decodeInChild(benchmark::State& state, const QString& name, const std::function<QByteArray()>& build)
{
    QTemporaryDir dir(quorvel::bench::scratchRoot() + "/quorvel-hostile-XXXXXX");
    const QString input = dir.filePath(name);
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(build()) < 0) {
            state.SkipWithError("cannot write the input");
            return;
        }
        state.counters["file_KB"] = double(file.size()) / 1024;
    }
    quorvel::bench::ChildRun child({QUORVEL_CLI_PATH, "decode", input.toStdString(), dir.filePath("out.bmp").toStdString()});
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        rusage usage{};
        const int status = child.run(&usage);
        if (status < 0) {
            state.SkipWithError("cannot run quorvel-cli");
            break;
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024;
        state.counters["exit"] = status;
    }
}

#define HOSTILE(NAME, FILE, EXPRESSION)                                                                           \
    void NAME(benchmark::State& state) { decodeInChild(state, FILE, [] { return QByteArray(EXPRESSION); }); } \
    BENCHMARK(NAME)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)

// Stalls of the metafile player.
HOSTILE(StarClip401, "star.emf", starClipEmf(401, 100, 4096));
HOSTILE(StarClip999, "star.emf", starClipEmf(999, 100, 4096));
HOSTILE(ZigzagPolygonWmf2000, "zigzag.wmf", zigzagPolygonWmf(2000, 4096));
HOSTILE(ZigzagPolygonWmf65535, "zigzag.wmf", zigzagPolygonWmf(65535, 4096));
HOSTILE(ZigzagPolygonEmf5000, "zigzag.emf", zigzagPolygonEmf(5000, 4096));
HOSTILE(ZigzagPolygonEmf65535, "zigzag.emf", zigzagPolygonEmf(65535, 4096));
HOSTILE(ZigzagPathEmf5000, "zigzag-path.emf", zigzagPolygonEmf(5000, 4096, true));
HOSTILE(WidePenSquare2000, "pen.emf", widePenEmf(2000, 4096, 4096, 0x2100));
HOSTILE(WidePenRound5000, "pen.emf", widePenEmf(5000, 4096, 4096, 0x0000));
HOSTILE(ExcludeClipRects100000, "excludes.emf", excludeClipsEmf(100000, 4096));
// Balloons: tiny files declaring huge pictures.
HOSTILE(DotGif16384, "dot.gif", dotGif(16384, 16384));
HOSTILE(DotGif8192, "dot.gif", dotGif(8192, 8192));
HOSTILE(TgaType0Header16384, "header.tga", tgaHeaderOnly(0, 16384, 16384, 24));
HOSTILE(TgaType2Header16384, "header.tga", tgaHeaderOnly(2, 16384, 16384, 24));
HOSTILE(RunsTga8192, "runs.tga", runsTga(8192, 8192));
HOSTILE(RunsPcx16384, "runs.pcx", runsPcx(16384, 16384));
HOSTILE(RunsPcx8192, "runs.pcx", runsPcx(8192, 8192));
HOSTILE(EmptyEmf16384x4096, "frame.emf", emfOf(quorvel::test::Emf(), 16384, 4096));
HOSTILE(EmptyWmf16384x4096, "frame.wmf", quorvel::test::Wmf().placeable(0, 0, 16384, 4096, 96));
HOSTILE(EndOnlyRle8_8192, "end.bmp", endOnlyRle8(8192, 8192));
HOSTILE(ZeroBlz8192, "zero.blz", zeroBlz(8192, 8192));
// At the cap: a plain 32-bit bitmap the platform's reader decodes.
HOSTILE(Bmp32_8192, "black.bmp", blackBmp32(8192, 8192));

} // namespace

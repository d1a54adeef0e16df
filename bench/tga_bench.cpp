// Load time of a 1024 x 1024 picture as an uncompressed 32-bit TGA and as a run-length 24-bit
// TGA, read from its file into a fresh picture each time, as the import and quorvel-cli
// tga-resave load one, or again into the same picture, as a batch does.
#include "bench/support/BenchPictures.h"
#include "bench/support/DecodeBench.h"
#include "codecs/TargaImage.h"

#include <benchmark/benchmark.h>

using namespace quorvel;
using bench::Into;

namespace {

void load(benchmark::State& state, const char* name, Into into)
{
    const QString path = bench::benchFile(name, [name] { return bench::benchPictureFile(name); });
    bench::decodeFile<TTarga>(state, path, into, [](const TTarga& tga) { return tga.colorBitmap().image().constBits(); });
}

} // namespace

BENCHMARK_CAPTURE(load, Uncompressed32_fresh, "uncompressed32.tga", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load, Uncompressed32_reused, "uncompressed32.tga", Into::Reused)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load, RunLength24_fresh, "runlength24.tga", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(load, RunLength24_reused, "runlength24.tga", Into::Reused)->Unit(benchmark::kMillisecond);

// Decode time of the PCX and GIF readers on a 1024 × 1024 photographic picture (smooth
// gradients with noise): as a 256-colour GIF, an 8-bit PCX and a 24-bit PCX. The GIF is written
// twice: as common encoders write it, with a clear code and a fresh table each time the table
// fills, and with no clear once it is full (the decoder's worst case: every code after that is
// looked up in the full table). Each file is read through its file, as import and quorvel-cli
// decode read it, into a fresh picture or again into the same one.
#include "bench/support/BenchPictures.h"
#include "bench/support/DecodeBench.h"
#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"

#include <benchmark/benchmark.h>

using namespace quorvel;
using bench::Into;

namespace {

template <class Picture>
void decode(benchmark::State& state, const char* name, Into into)
{
    const QString path = bench::benchFile(name, [name] { return bench::benchPictureFile(name); });
    bench::decodeFile<Picture>(state, path, into);
}

void Gif(benchmark::State& state, const char* name, Into into) { decode<TSGIFBitmap>(state, name, into); }
void Pcx(benchmark::State& state, const char* name, Into into) { decode<TSPCXBitmap>(state, name, into); }

} // namespace

BENCHMARK_CAPTURE(Gif, no_clear_fresh, "noclear.gif", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Gif, no_clear_reused, "noclear.gif", Into::Reused)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Gif, clearing_fresh, "clearing.gif", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Gif, clearing_reused, "clearing.gif", Into::Reused)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcx, 8bit_fresh, "8bit.pcx", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcx, 8bit_reused, "8bit.pcx", Into::Reused)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcx, 24bit_fresh, "24bit.pcx", Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pcx, 24bit_reused, "24bit.pcx", Into::Reused)->Unit(benchmark::kMillisecond);

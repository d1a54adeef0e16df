// Throughput of the block compressor on 32 KB blocks of photographic and of flat-colour pixels,
// and the time to read a 1024 x 1024 24-bit bitmap file through the universal bitmap.
#include "bench/support/BenchPictures.h"
#include "bench/support/DecodeBench.h"
#include "codecs/LZRW1KH.h"
#include "codecs/UniBmp.h"
#include "graphics/BmpWriter.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <vector>

using namespace quorvel;

namespace {

using bench::photoLike;

QImage flat(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(30, 120, 200));
    return image;
}

// The pixel bytes of a 24-bit bitmap file of the picture, as 32 KB blocks.
std::vector<std::vector<std::uint8_t>> blocksOf(const QImage& image)
{
    const QByteArray pixels = encodeBmp24(image).mid(54);
    std::vector<std::vector<std::uint8_t>> blocks;
    for (qsizetype at = 0; at + qsizetype(kLzrwMaxBlock) <= pixels.size(); at += qsizetype(kLzrwMaxBlock))
        blocks.emplace_back(pixels.constData() + at, pixels.constData() + at + kLzrwMaxBlock);
    return blocks;
}

void compressBlocks(benchmark::State& state, const QImage& image)
{
    const auto blocks = blocksOf(image);
    std::vector<std::uint8_t> out(lzrwCompressBound(kLzrwMaxBlock));
    LzrwHashTable table;
    std::size_t compressed = 0;
    for (auto _ : state) {
        compressed = 0;
        for (const auto& block : blocks) compressed += lzrwCompress(block.data(), block.size(), out.data(), table);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(blocks.size() * kLzrwMaxBlock));
    state.counters["ratio"] = double(compressed) / double(blocks.size() * kLzrwMaxBlock);
}

void decompressBlocks(benchmark::State& state, const QImage& image)
{
    std::vector<std::vector<std::uint8_t>> compressed;
    LzrwHashTable table;
    for (const auto& block : blocksOf(image)) {
        std::vector<std::uint8_t> out(lzrwCompressBound(block.size()));
        out.resize(lzrwCompress(block.data(), block.size(), out.data(), table));
        compressed.push_back(std::move(out));
    }
    std::vector<std::uint8_t> out(kLzrwMaxBlock);
    for (auto _ : state) {
        for (const auto& block : compressed) lzrwDecompress(block.data(), block.size(), out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(compressed.size() * kLzrwMaxBlock));
}

void BM_CompressPhoto(benchmark::State& state) { compressBlocks(state, photoLike(512, 512)); }
void BM_DecompressPhoto(benchmark::State& state) { decompressBlocks(state, photoLike(512, 512)); }
void BM_CompressFlat(benchmark::State& state) { compressBlocks(state, flat(512, 512)); }
void BM_DecompressFlat(benchmark::State& state) { decompressBlocks(state, flat(512, 512)); }

// Read through its file, as import and quorvel-cli decode read it.
void BM_ReadBmp24Of1024Squared(benchmark::State& state, bench::Into into)
{
    const QString path = bench::benchFile("photo24.bmp", [] { return bench::benchPictureFile("photo24.bmp"); });
    bench::decodeFile<TUniBitmap>(state, path, into);
}

} // namespace

BENCHMARK(BM_CompressPhoto);
BENCHMARK(BM_DecompressPhoto);
BENCHMARK(BM_CompressFlat);
BENCHMARK(BM_DecompressFlat);
BENCHMARK_CAPTURE(BM_ReadBmp24Of1024Squared, fresh, bench::Into::Fresh)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadBmp24Of1024Squared, reused, bench::Into::Reused)->Unit(benchmark::kMillisecond);

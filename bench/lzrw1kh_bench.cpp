// Throughput of the block compressor on 32 KB blocks of photographic and of flat-colour pixels,
// and the time to read a 1024 x 1024 24-bit bitmap through the universal bitmap.
#include "codecs/LZRW1KH.h"
#include "codecs/UniBmp.h"
#include "graphics/BmpWriter.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

using namespace quorvel;

namespace {

// Smooth shading with a little sensor noise, as in a photograph.
QImage photoLike(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    const auto clamp = [](double v) { return int(std::lround(std::min(255.0, std::max(0.0, v)))); };
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = x / double(width), v = y / double(height);
            const double light = 120 + 80 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v - u);
            row[x] = qRgb(clamp(light + 40 * u + noise(random)), clamp(light * 0.8 + 30 * v + noise(random)),
                          clamp(light * 0.6 + 50 * (1 - u) + noise(random)));
        }
    }
    return image;
}

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

void BM_ReadBmp24Of1024Squared(benchmark::State& state)
{
    const QByteArray file = encodeBmp24(photoLike(1024, 1024));
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TUniBitmap bitmap;
        bitmap.loadFromStream(buffer);
        benchmark::DoNotOptimize(bitmap.image().constBits());
    }
}

} // namespace

BENCHMARK(BM_CompressPhoto);
BENCHMARK(BM_DecompressPhoto);
BENCHMARK(BM_CompressFlat);
BENCHMARK(BM_DecompressFlat);
BENCHMARK(BM_ReadBmp24Of1024Squared)->Unit(benchmark::kMillisecond);

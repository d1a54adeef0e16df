// Open and save of a full texture: level 1 of 1024 x 1024 and every halving down to 1 x 1
// (eleven levels, 5.6 MB), against their floors: a copy of the same bytes into memory already
// used (for an open into a reused document), into memory freshly allocated (for an open into a
// fresh one), and the same bytes written with QSaveFile (for a save). Files live in /dev/shm so
// the disk does not time itself.
#include "bench/support/BenchTexture.h"
#include "document/TextureDocument.h"

#include <QFile>
#include <QSaveFile>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

const QString kSource = QStringLiteral("/dev/shm/quorvel-bench-in.m32");
const QString kTarget = QStringLiteral("/dev/shm/quorvel-bench-out.m32");
// The same texture with every alpha 255, as convert writes by default.
const QString kOpaque = QStringLiteral("/dev/shm/quorvel-bench-opaque.m32");

void makeTexture()
{
    quorvel::bench::saveChainTexture(kSource);
}

void makeOpaqueTexture()
{
    makeTexture();
    quorvel::TextureDocument d;
    d.open(kSource);
    for (int k = 1; k <= d.levelCount(); ++k)
        d.editPixels(k, QRect(QPoint(0, 0), d.levelSize(k)), [](QImage&, QImage& alpha) { alpha.fill(255); });
    d.save(kOpaque);
}

void BM_OpenFreshOpaque(benchmark::State& state)
{
    makeOpaqueTexture();
    for (auto _ : state) {
        quorvel::TextureDocument d;
        d.open(kOpaque);
    }
    state.SetBytesProcessed(state.iterations() * QFile(kOpaque).size());
}
BENCHMARK(BM_OpenFreshOpaque)->Unit(benchmark::kMillisecond);

void BM_OpenWarmOpaque(benchmark::State& state)
{
    makeOpaqueTexture();
    quorvel::TextureDocument d;
    d.open(kOpaque);
    for (auto _ : state) d.open(kOpaque);
    state.SetBytesProcessed(state.iterations() * QFile(kOpaque).size());
}
BENCHMARK(BM_OpenWarmOpaque)->Unit(benchmark::kMillisecond);

void BM_SaveOpaque(benchmark::State& state)
{
    makeOpaqueTexture();
    quorvel::TextureDocument d;
    d.open(kOpaque);
    for (auto _ : state) d.save(kTarget);
    state.SetBytesProcessed(state.iterations() * QFile(kOpaque).size());
}
BENCHMARK(BM_SaveOpaque)->Unit(benchmark::kMillisecond);

// Reopening into a document that holds the same texture: its images are reused.
void BM_OpenWarm(benchmark::State& state)
{
    makeTexture();
    quorvel::TextureDocument d;
    d.open(kSource);
    for (auto _ : state) d.open(kSource);
    state.SetBytesProcessed(state.iterations() * QFile(kSource).size());
}
BENCHMARK(BM_OpenWarm)->Unit(benchmark::kMillisecond);

// Opening into a fresh document, as the first open of a run and every file of a batch do. The
// counter is the memory the level images and alpha planes take.
void BM_OpenFresh(benchmark::State& state)
{
    makeTexture();
    qint64 imageBytes = 0;
    for (auto _ : state) {
        quorvel::TextureDocument d;
        d.open(kSource);
        state.PauseTiming();
        imageBytes = 0;
        for (int k = 1; k <= d.levelCount(); ++k) imageBytes += d.levelImage(k).sizeInBytes() + d.alphaPlane(k).sizeInBytes();
        state.ResumeTiming();
    }
    state.counters["level_image_MB"] = double(imageBytes) / (1024 * 1024);
    state.SetBytesProcessed(state.iterations() * QFile(kSource).size());
}
BENCHMARK(BM_OpenFresh)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state)
{
    makeTexture();
    quorvel::TextureDocument d;
    d.open(kSource);
    for (auto _ : state) d.save(kTarget);
    state.SetBytesProcessed(state.iterations() * QFile(kSource).size());
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

// The conversion alone, without the file.
void BM_SaveToMemory(benchmark::State& state)
{
    makeTexture();
    quorvel::TextureDocument d;
    d.open(kSource);
    for (auto _ : state) benchmark::DoNotOptimize(d.saveToBytes());
    state.SetBytesProcessed(state.iterations() * QFile(kSource).size());
}
BENCHMARK(BM_SaveToMemory)->Unit(benchmark::kMillisecond);

// The floors open and save are measured against: copying the file's bytes in memory, and
// reading the file.
void BM_Memcpy(benchmark::State& state)
{
    makeTexture();
    QFile in(kSource);
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    QByteArray copy(bytes.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.constData(), std::size_t(bytes.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The floor of an open into a fresh document: the bytes copied into memory allocated for them,
// its pages met for the first time, and given back.
void BM_MemcpyFresh(benchmark::State& state)
{
    makeTexture();
    QFile in(kSource);
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    for (auto _ : state) {
        const auto copy = std::make_unique_for_overwrite<char[]>(std::size_t(bytes.size()));
        std::memcpy(copy.get(), bytes.constData(), std::size_t(bytes.size()));
        benchmark::DoNotOptimize(copy.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_MemcpyFresh)->Unit(benchmark::kMillisecond);

// The floor of a save: the file's bytes, already made, written whole with QSaveFile.
void BM_QSaveFileOfTheBytes(benchmark::State& state)
{
    makeTexture();
    QFile in(kSource);
    in.open(QIODevice::ReadOnly);
    const QByteArray bytes = in.readAll();
    for (auto _ : state) {
        QSaveFile out(kTarget);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
            state.SkipWithError("QSaveFile failed");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_QSaveFileOfTheBytes)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state)
{
    makeTexture();
    for (auto _ : state) {
        QFile in(kSource);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * QFile(kSource).size());
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

} // namespace

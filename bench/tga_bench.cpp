// Decode time of a 1024 x 1024 picture as an uncompressed 32-bit TGA and as a run-length
// 24-bit TGA, loaded from memory into a fresh picture each time, as the import loads one.
#include "codecs/TargaImage.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <random>

using namespace quorvel;

namespace {

// Half flat shapes (long runs), half a noisy gradient (mostly raw packets), like a texture with
// painted areas and photographic detail.
QImage picture()
{
    QImage image(1024, 1024, QImage::Format_RGB32);
    std::mt19937 random(42);
    for (int y = 0; y < 1024; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < 1024; ++x) {
            if (y < 512) {
                line[x] = qRgb((x / 64) * 16, (y / 32) * 8, ((x + y) / 128) * 32);
            } else {
                const int noise = int(random() % 8);
                line[x] = qRgb((x / 4 + noise) & 0xFF, (y / 4) & 0xFF, (x + y + noise) & 0xFF);
            }
        }
    }
    return image;
}

QByteArray encode(std::uint8_t kind, std::uint8_t saveDepth)
{
    TTarga tga;
    const QImage image = picture();
    tga.colorBitmap().setImage(image);
    QImage alpha(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < alpha.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(alpha.scanLine(y));
        for (int x = 0; x < alpha.width(); ++x) line[x] = qRgb(x & 0xFF, x & 0xFF, x & 0xFF);
    }
    tga.setAlphaPlane(alpha);
    tga.setImageKind(kind);
    tga.SaveDepth = saveDepth;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    tga.saveToStream(out);
    return out.data();
}

void decode(benchmark::State& state, const QByteArray& file)
{
    for (auto _ : state) {
        QBuffer in;
        in.setData(file);
        in.open(QIODevice::ReadOnly);
        TTarga tga;
        tga.loadFromStream(in);
        benchmark::DoNotOptimize(tga.colorBitmap().image().constBits());
    }
    state.counters["file_bytes"] = double(file.size());
}

void Uncompressed32(benchmark::State& state)
{
    static const QByteArray file = encode(tgaTrueColor, 3);
    decode(state, file);
}

void RunLength24(benchmark::State& state)
{
    static const QByteArray file = encode(tgaRleTrueColor, 0);
    decode(state, file);
}

} // namespace

BENCHMARK(Uncompressed32)->Unit(benchmark::kMillisecond);
BENCHMARK(RunLength24)->Unit(benchmark::kMillisecond);

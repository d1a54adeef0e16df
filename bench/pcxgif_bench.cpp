// Decode time of the PCX and GIF readers on a 1024 × 1024 photographic picture (smooth
// gradients with noise): as a 256-colour GIF, an 8-bit PCX and a 24-bit PCX. The GIF is written
// twice: as common encoders write it, with a clear code and a fresh table each time the table
// fills, and with no clear once it is full (the decoder's worst case: every code after that is
// looked up in the full table).
#include "codecs/SGIFImg.h"
#include "codecs/SPCXImg.h"
#include "tests/support/ImageFiles.h"

#include <QBuffer>

#include <benchmark/benchmark.h>

#include <random>

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr int kSize = 1024;

// 0xRRGGBB pixels, top row first.
const std::vector<std::uint32_t>& photo()
{
    static const std::vector<std::uint32_t> pixels = [] {
        std::mt19937 random(1);
        std::vector<std::uint32_t> out;
        out.reserve(std::size_t(kSize) * kSize);
        auto channel = [&](int v) { return std::uint32_t(std::clamp(v + int(random() % 17) - 8, 0, 255)); };
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                out.push_back(channel(x / 4) << 16 | channel(y / 4) << 8 | channel((x + y) / 8));
        return out;
    }();
    return pixels;
}

// The 3-3-2 palette and the picture's indexes in it.
std::vector<QRgb> palette332()
{
    std::vector<QRgb> colours;
    for (int i = 0; i < 256; ++i) colours.push_back(qRgb((i >> 5) * 255 / 7, (i >> 2 & 7) * 255 / 7, (i & 3) * 255 / 3));
    return colours;
}

std::vector<std::uint32_t> indexes332()
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t p : photo()) out.push_back((p >> 21 & 7) << 5 | (p >> 13 & 7) << 2 | (p >> 6 & 3));
    return out;
}

template <class Picture>
void decode(benchmark::State& state, QByteArray file)
{
    for (auto _ : state) {
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        Picture picture;
        picture.loadFromStream(buffer);
        benchmark::DoNotOptimize(picture.image().constBits());
    }
    state.counters["file bytes"] = double(file.size());
}

QByteArray gif(bool clearWhenFull)
{
    GifForm form;
    form.width = form.height = kSize;
    for (std::uint32_t i : indexes332()) form.pixels.push_back(std::uint8_t(i));
    form.globalColours = palette332();
    form.lzw.clearWhenFull = clearWhenFull;
    return gifFile(form);
}

// No clear once the table is full.
void GifDecode256Colours(benchmark::State& state)
{
    static const QByteArray file = gif(false);
    decode<TSGIFBitmap>(state, file);
}

// A clear each time the table fills.
void GifDecode256ColoursClearing(benchmark::State& state)
{
    static const QByteArray file = gif(true);
    decode<TSGIFBitmap>(state, file);
}

void PcxDecode8Bit(benchmark::State& state)
{
    static const QByteArray file = [] {
        PcxForm form;
        form.width = form.height = kSize;
        form.vgaColours = palette332();
        return pcxFile(form, indexes332());
    }();
    decode<TSPCXBitmap>(state, file);
}

void PcxDecode24Bit(benchmark::State& state)
{
    static const QByteArray file = [] {
        PcxForm form;
        form.planes = 3;
        form.width = form.height = kSize;
        return pcxFile(form, photo());
    }();
    decode<TSPCXBitmap>(state, file);
}

} // namespace

BENCHMARK(GifDecode256Colours)->Unit(benchmark::kMillisecond);
BENCHMARK(GifDecode256ColoursClearing)->Unit(benchmark::kMillisecond);
BENCHMARK(PcxDecode8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(PcxDecode24Bit)->Unit(benchmark::kMillisecond);

// Load time of a 1024 x 1024 picture as an uncompressed 32-bit TGA and as a run-length 24-bit
// TGA, read from its file into a fresh picture each time, as the import and quorvel-cli
// tga-resave load one.
#include "codecs/TargaImage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

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

// Writes the file once into a folder that lasts as long as the program.
QString writeFile(const QString& name, const QByteArray& bytes)
{
    static QTemporaryDir directory;
    const QString path = QDir(directory.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
    return path;
}

void load(benchmark::State& state, const QString& path)
{
    for (auto _ : state) {
        TTarga tga;
        tga.loadFromFile(path);
        benchmark::DoNotOptimize(tga.colorBitmap().image().constBits());
    }
    state.counters["file_bytes"] = double(QFile(path).size());
}

void Uncompressed32(benchmark::State& state)
{
    static const QString path = writeFile("uncompressed32.tga", encode(tgaTrueColor, 3));
    load(state, path);
}

void RunLength24(benchmark::State& state)
{
    static const QString path = writeFile("runlength24.tga", encode(tgaRleTrueColor, 0));
    load(state, path);
}

} // namespace

BENCHMARK(Uncompressed32)->Unit(benchmark::kMillisecond);
BENCHMARK(RunLength24)->Unit(benchmark::kMillisecond);

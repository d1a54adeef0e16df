// The level chain of a 1024 x 1024 picture (eleven levels) against a plain copy of its pixels,
// and the same chain with box or linear-light halving, with the picture's own alpha and with the
// alpha-test coverage held;
// the whole import of such a picture from a file (read, chain, first level current); quorvel-cli
// decode of one such picture as a whole process; and quorvel-cli convert --jobs 2 of 100 pictures
// of 512 x 512 with all sizes. Files live in /dev/shm when it exists, so the disk does not time
// itself.
#include "bench/support/BenchTexture.h"
#include "bench/support/DecodeBench.h"
#include "document/TextureDocument.h"
#include "codecs/TargaImage.h"
#include "graphics/BmpWriter.h"
#include "import/Import.h"
#include "import/ImportedPicture.h"
#include "import/MipmapChain.h"
#include "import/PictureKinds.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>


namespace {

QImage picture(int side, int seed = 0)
{
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) row[x] = qRgb((x + seed) & 255, y & 255, (x ^ y) & 255);
    }
    return image;
}

void ChainOf1024(benchmark::State& state)
{
    const QImage source = picture(1024);
    quorvel::TextureDocument document;
    for (auto _ : state) {
        document.newDocument();
        quorvel::makemipmaps(document, source, 255, true, quorvel::CountedPass::Halving, [](int) {});
        benchmark::DoNotOptimize(document.levelImage(11).constBits());
    }
}
BENCHMARK(ChainOf1024)->Unit(benchmark::kMillisecond);

// The picture with an alpha ramp and its soft edges, for the chains that keep it.
QImage pictureWithAlpha(int side)
{
    QImage image = picture(side).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x) row[x] = (row[x] & 0x00FFFFFFu) | QRgb((x * 7 + y * 3) & 255) << 24;
    }
    return image;
}

void FilteredChainOf1024(benchmark::State& state, quorvel::ChainOptions options)
{
    const QImage source = options.keepPictureAlpha ? pictureWithAlpha(1024) : picture(1024);
    quorvel::TextureDocument document;
    for (auto _ : state) {
        document.newDocument();
        quorvel::makemipmaps(document, source, 255, true, quorvel::CountedPass::Halving, [](int) {}, options);
        benchmark::DoNotOptimize(document.levelImage(11).constBits());
    }
}
using quorvel::Resampling;
BENCHMARK_CAPTURE(FilteredChainOf1024, box, {Resampling::Box, false, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilteredChainOf1024, linear, {Resampling::Linear, false, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilteredChainOf1024, point_own_alpha, {Resampling::Point, true, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilteredChainOf1024, box_own_alpha, {Resampling::Box, true, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilteredChainOf1024, linear_own_alpha, {Resampling::Linear, true, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilteredChainOf1024, box_coverage_128, {Resampling::Box, true, 128})->Unit(benchmark::kMillisecond);

void PlainCopyOf1024(benchmark::State& state)
{
    const QImage source = picture(1024);
    std::vector<uchar> target(std::size_t(source.sizeInBytes()));
    for (auto _ : state) {
        std::memcpy(target.data(), source.constBits(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(PlainCopyOf1024)->Unit(benchmark::kMillisecond);

void ImportOf1024FromFile(benchmark::State& state)
{
    quorvel::registerAllPictureKinds();
    QTemporaryDir dir(quorvel::bench::scratchRoot() + "/quorvel-bench-XXXXXX");
    const QString path = dir.filePath("picture.bmp");
    quorvel::saveBmp24(picture(1024), path);
    quorvel::TextureDocument document;
    for (auto _ : state) {
        const QImage loaded = quorvel::loadImportedImage(path);
        quorvel::importIntoDocument(document, loaded, {}, [](int) {});
        benchmark::DoNotOptimize(document.levelImage(document.currentLevel()).constBits());
    }
}
BENCHMARK(ImportOf1024FromFile)->Unit(benchmark::kMillisecond);

// quorvel-cli decode of one 1024 x 1024 picture as a whole process, start-up included: a 24-bit
// bitmap and a run-length TGA, as a user's first decode meets them.
void DecodeProcessOf1024(benchmark::State& state, bool targa)
{
    QTemporaryDir dir(quorvel::bench::scratchRoot() + "/quorvel-bench-XXXXXX");
    const QString input = dir.filePath(targa ? "picture.tga" : "picture.bmp");
    if (targa) {
        quorvel::TTarga tga;
        tga.colorBitmap().setImage(picture(1024));
        tga.setImageKind(quorvel::tgaRleTrueColor);
        tga.saveToFile(input);
    } else {
        quorvel::saveBmp24(picture(1024), input);
    }
    quorvel::bench::ChildRun child({QUORVEL_CLI_PATH, "decode", input.toStdString(), dir.filePath("out.bmp").toStdString()});
    for (auto _ : state) {
        if (child.run() != 0) {
            state.SkipWithError("quorvel-cli decode failed");
            break;
        }
    }
}
BENCHMARK_CAPTURE(DecodeProcessOf1024, bmp24, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(DecodeProcessOf1024, tga_rle, true)->Unit(benchmark::kMillisecond)->UseRealTime();

void ConvertJobs2Of100(benchmark::State& state)
{
    QTemporaryDir dir(quorvel::bench::scratchRoot() + "/quorvel-bench-XXXXXX");
    QDir(dir.path()).mkdir("out");
    std::vector<std::string> args{QUORVEL_CLI_PATH, "convert", "--jobs", "2", "--output",
                                  QDir(dir.path()).filePath("out").toStdString()};
    for (int i = 0; i < 100; ++i) {
        const QString path = dir.filePath(QStringLiteral("picture%1.bmp").arg(i));
        quorvel::saveBmp24(picture(512, i), path);
        args.push_back(path.toStdString());
    }
    quorvel::bench::ChildRun child(std::move(args));
    for (auto _ : state) {
        if (child.run() != 0) {
            state.SkipWithError("quorvel-cli convert failed");
            break;
        }
    }
}
BENCHMARK(ConvertJobs2Of100)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

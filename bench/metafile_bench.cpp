// Playing metafiles: a WMF of many small filled polygons and lines, checked on load and drawn
// at its natural size, the way the import draws it.
#include "graphics/metafile/Metafile.h"

#include <QByteArray>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, int(v & 0xFFFF));
    put16(out, int(v >> 16));
}

void record(QByteArray& out, int function, std::initializer_list<int> params)
{
    put32(out, std::uint32_t(3 + params.size()));
    put16(out, function);
    for (int p : params) put16(out, p);
}

// A 1000 x 1000 picture of `shapes` triangles and as many lines, in a few colours.
QByteArray shapesWmf(int shapes)
{
    QByteArray records;
    record(records, 0x020B, {0, 0});
    record(records, 0x020C, {1000, 1000});
    record(records, 0x02FC, {0, 0x00FF, 0x0000, 0});
    record(records, 0x02FC, {0, 0xFF00, 0x0000, 0});
    record(records, 0x02FA, {0, 2, 0, 0x0000, 0});
    record(records, 0x012D, {2});
    for (int i = 0; i < shapes; ++i) {
        const int x = (i * 37) % 950, y = (i * 91) % 950;
        record(records, 0x012D, {i & 1});
        record(records, 0x0324, {3, x, y, x + 40, y, x + 20, y + 40});
        record(records, 0x0214, {y, x});
        record(records, 0x0213, {y + 50, x + 30});
    }
    QByteArray file;
    put32(file, 0x9AC6CDD7);
    put16(file, 0);
    for (int v : {0, 0, 1000, 1000, 96}) put16(file, v);
    put32(file, 0);
    put16(file, 0);
    for (int v : {1, 9, 0x300}) put16(file, v);
    put32(file, std::uint32_t(9 + records.size() / 2 + 3));
    put16(file, 3);
    put32(file, 0);
    put16(file, 0);
    file.append(records);
    put32(file, 3);
    put16(file, 0);
    return file;
}

void BM_LoadMetafile(benchmark::State& state)
{
    const QByteArray bytes = shapesWmf(int(state.range(0)));
    for (auto _ : state) {
        quorvel::Metafile metafile;
        metafile.load(bytes);
        benchmark::DoNotOptimize(metafile.width());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadMetafile)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_DrawMetafile(benchmark::State& state)
{
    quorvel::Metafile metafile;
    metafile.load(shapesWmf(int(state.range(0))));
    QImage image(metafile.width(), metafile.height(), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        metafile.draw(painter, QPoint(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DrawMetafile)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

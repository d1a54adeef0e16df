// Painting on a 1024 x 1024 level: one pointer move of a stroke with a 20-pixel pen at zoom 8
// (the stroke's share of a move; the view's repaint of the announced rectangle comes on top),
// the first move after a press (which also copies the level away from the undo snapshot), and
// whole strokes of 1000 segments.
#include "document/TextureDocument.h"
#include "paint/Stroke.h"
#include "paint/ToolSettings.h"
#include "paint/UndoSnapshot.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvel;

struct Painter {
    TextureDocument document;
    ToolSettings tools;
    UndoSnapshot undo;
    Stroke stroke{document, tools, undo};
    QRect announced;

    explicit Painter(int penWidth)
    {
        document.appendLevel(1024, 1024, QStringLiteral("1024x1024"));
        tools.setColour(200, 100, 50);
        tools.setFieldValue(ToolField::Alpha, 128);
        tools.setPenWidth(penWidth);
        QObject::connect(&document, &TextureDocument::pixelsChanged,
                         [this](int, const QRect& r) { announced = r; });
    }
};

// The i-th point of a zigzag across the picture, `step` control pixels apart at zoom 8.
QPoint zigzag(long i, int step)
{
    const long span = 8000 / step;
    const long leg = i / span, along = i % span;
    const int x = int(leg % 2 == 0 ? along * step : (span - along) * step);
    return QPoint(x + 40, int((leg * 37) % 7900) + 40);
}

void BM_MoveWidth20Zoom8(benchmark::State& state)
{
    Painter p(20);
    const int step = int(state.range(0)); // control pixels per move
    p.stroke.press(zigzag(0, step), 8);
    long i = 1;
    for (auto _ : state) {
        p.stroke.move(zigzag(i++, step), 8);
        benchmark::DoNotOptimize(p.announced);
    }
    p.stroke.release();
}
BENCHMARK(BM_MoveWidth20Zoom8)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);

// Press and the first move: the first change detaches the level image and alpha plane from
// the undo snapshot (5 MB copied once per stroke).
void BM_PressAndFirstMoveWidth20Zoom8(benchmark::State& state)
{
    Painter p(20);
    long i = 0;
    for (auto _ : state) {
        p.stroke.press(zigzag(i, 8), 8);
        p.stroke.move(zigzag(i + 1, 8), 8);
        p.stroke.release();
        i += 2;
        benchmark::DoNotOptimize(p.announced);
    }
}
BENCHMARK(BM_PressAndFirstMoveWidth20Zoom8)->Unit(benchmark::kMicrosecond);

void BM_Stroke1000Segments(benchmark::State& state)
{
    Painter p(int(state.range(0)));
    for (auto _ : state) {
        p.stroke.press(zigzag(0, 8), 8);
        for (long i = 1; i <= 1000; ++i) p.stroke.move(zigzag(i, 8), 8);
        p.stroke.release();
        benchmark::DoNotOptimize(p.announced);
    }
}
BENCHMARK(BM_Stroke1000Segments)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

} // namespace

// Painting on a 1024 x 1024 level: one pointer move of a stroke with a 20-pixel pen at zoom 8
// (the stroke's share of a move), the first move after a press (which also copies the level
// away from the press's copy), and whole strokes of 1000 segments; then the same through the
// editor's real windows under the offscreen platform: a mouse move sent to the level view with
// the repaint of what it changed, and a 1000-segment stroke repainted segment by segment. The
// history: what 200 strokes across a whole 1024 x 1024 level keep (bytes held, the process's
// memory), and the undo and redo of a 64 x 64 stroke.
#include "app/EditorWindows.h"
#include "app/TForm1.h"
#include "document/History.h"
#include "document/TextureDocument.h"
#include "paint/Stroke.h"
#include "paint/ToolSettings.h"
#include "bench/support/SilentDialogs.h"
#include "windows/Dialogs.h"
#include "windows/TForm2.h"
#include "windows/TForm5.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScrollArea>
#include <QTest>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace quorvel;

struct Painter {
    TextureDocument document;
    ToolSettings tools;
    Stroke stroke{document, tools};
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
// the level as the press found it, which the stroke's step is cut from (5 MB copied once per
// stroke).
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

// The process's resident memory and its peak, in MB, from /proc/self/status.
double statusMegabytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key) {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024;
        }
    return 0;
}

// 200 strokes each across the whole level (its rectangle is all of it): the history keeps at
// most its 256 MB, the oldest strokes dropped, and the process stays near the level plus that.
void BM_History200FullLevelStrokes(benchmark::State& state)
{
    for (auto _ : state) {
        Painter p(20);
        for (int i = 0; i < 200; ++i) {
            p.tools.setColour(i, 255 - i, 7);
            p.stroke.press(QPoint(0, 0), 1);
            p.stroke.move(QPoint(1023, 1023), 1);
            p.stroke.move(QPoint(0, 1023), 1);
            p.stroke.move(QPoint(1023, 0), 1);
            p.stroke.release();
        }
        const History& history = p.document.history();
        state.counters["steps_kept"] = history.stack().count();
        state.counters["history_MB"] = double(history.bytes()) / (1024 * 1024);
        state.counters["rss_MB"] = statusMegabytes("VmRSS:");
        state.counters["peak_rss_MB"] = statusMegabytes("VmHWM:");
    }
}
BENCHMARK(BM_History200FullLevelStrokes)->Iterations(1)->Unit(benchmark::kMillisecond);

// The undo, and the redo, of one stroke whose rectangle is 64 x 64, with the other timed out.
void BM_HistoryStroke64x64(benchmark::State& state)
{
    Painter p(20);
    p.stroke.press(QPoint(10 + 22, 10 + 22), 1);
    p.stroke.move(QPoint(10 + 22 + 44, 10 + 22 + 44), 1);
    p.stroke.release();
    QUndoStack& stack = p.document.history().stack();
    const bool undo = state.range(0) == 0;
    for (auto _ : state) {
        if (!undo) {
            state.PauseTiming();
            stack.undo();
            state.ResumeTiming();
            stack.redo();
        } else {
            stack.undo();
            state.PauseTiming();
            stack.redo();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(p.announced);
    }
    state.counters["rect_px"] = double(p.announced.width()) * p.announced.height();
    state.SetLabel(undo ? "undo" : "redo");
}
BENCHMARK(BM_HistoryStroke64x64)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

const QString kSettings = QStringLiteral("/dev/shm/quorvel-paint-bench.ini");

// Counts the paint events of the canvas and the pixels they covered, to show what each move
// repainted.
class PaintCounter : public QObject {
public:
    long paints = 0;
    double area = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            const QRect r = static_cast<QPaintEvent*>(event)->rect();
            area += double(r.width()) * r.height();
        }
        return false;
    }
};

// The editor over a 1024 x 1024 level at zoom 8, its view filling a 1600 x 1000 workspace, the
// toolbar set to a 20-pixel pen.
struct Editor {
    TextureDocument document;
    EditorWindows windows{};
    std::unique_ptr<TForm1> frame;
    QWidget* canvas = nullptr;
    QSize shown;

    explicit Editor(int penWidth)
    {
        windows = createEditorWindows(document, kSettings);
        frame.reset(windows.frame);
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get())) std::fprintf(stderr, "frame not exposed\n");
        const QSize margin = frame->size() - frame->workspace()->viewport()->size();
        frame->resize(QSize(1600, 1000) + margin);
        document.appendLevel(1024, 1024, QStringLiteral("1024x1024"));
        document.setCurrentLevel(1);
        ToolSettings& tools = windows.toolbar->tools();
        tools.setColour(200, 100, 50);
        tools.setFieldValue(ToolField::Alpha, 128);
        tools.setPenWidth(penWidth);
        TForm2* view = windows.view;
        for (int i = 0; i < 3; ++i) view->zoomIn();
        qobject_cast<QMdiSubWindow*>(view->parentWidget())->move(0, 0);
        QApplication::processEvents();
        canvas = view->levelCanvas();
        shown = view->scrollArea()->viewport()->size();
    }

    // The i-th point of a zigzag over the part of the canvas in view, `step` control pixels apart.
    QPoint zigzag(long i, int step) const
    {
        const long span = (shown.width() - 80) / step;
        const long leg = i / span, along = i % span;
        const int x = int(leg % 2 == 0 ? along * step : (span - along) * step);
        return QPoint(x + 40, int((leg * 37) % (shown.height() - 80)) + 40);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, canvas->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    // The move with the button held, and the repaint of what it changed.
    void moveAndRepaint(QPoint at)
    {
        send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    }
};

void BM_ViewMoveWidth20Zoom8(benchmark::State& state)
{
    Editor editor(20);
    const int step = int(state.range(0));
    editor.send(QEvent::MouseButtonPress, editor.zigzag(0, step), Qt::LeftButton, Qt::LeftButton);
    editor.moveAndRepaint(editor.zigzag(1, step)); // the level's one copy away from the snapshot
    PaintCounter counter;
    editor.canvas->installEventFilter(&counter);
    long i = 2;
    for (auto _ : state) editor.moveAndRepaint(editor.zigzag(i++, step));
    editor.send(QEvent::MouseButtonRelease, editor.zigzag(i, step), Qt::LeftButton, Qt::NoButton);
    editor.canvas->removeEventFilter(&counter);
    state.counters["paints_per_move"] = double(counter.paints) / double(i - 2);
    state.counters["repainted_px_per_move"] = counter.area / double(i - 2);
    state.counters["shown_width"] = editor.shown.width();
    state.counters["shown_height"] = editor.shown.height();
}
BENCHMARK(BM_ViewMoveWidth20Zoom8)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);

// A whole stroke through the view: the press, 1000 moves each repainted, the release.
void BM_ViewStroke1000Segments(benchmark::State& state)
{
    Editor editor(int(state.range(0)));
    for (auto _ : state) {
        editor.send(QEvent::MouseButtonPress, editor.zigzag(0, 8), Qt::LeftButton, Qt::LeftButton);
        for (long i = 1; i <= 1000; ++i) editor.moveAndRepaint(editor.zigzag(i, 8));
        editor.send(QEvent::MouseButtonRelease, editor.zigzag(1000, 8), Qt::LeftButton, Qt::NoButton);
    }
}
BENCHMARK(BM_ViewStroke1000Segments)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    quorvel::bench::SilentDialogs silent;
    setDialogs(&silent);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    setDialogs(nullptr);
    QFile::remove(kSettings);
    return 0;
}

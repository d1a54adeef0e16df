// The editor's windows under the offscreen platform: start until the frame is shown (the first
// start of the process, with its resident memory then, and later starts), opening a 1024 x 1024
// texture with eleven levels until level 1 is drawn, File > Import of a 1024 x 1024 bitmap with
// all sizes until its first level is drawn, and one full repaint of the level view at zoom 8
// over a 1600 x 1000 workspace in each view mode (colour, the three channels, alpha, over the
// checkerboard), and of the tiled preview filling it; beside them the yardstick of a repaint, a
// widget of the view's shown size that only fills itself. Files live in /dev/shm so the disk does
// not time itself.
#include "app/EditorWindows.h"
#include "app/TForm1.h"
#include "document/TextureDocument.h"
#include "graphics/BmpWriter.h"
#include "import/PictureKinds.h"
#include "bench/support/BenchTexture.h"
#include "bench/support/SilentDialogs.h"
#include "windows/Dialogs.h"
#include "windows/TForm2.h"
#include "windows/TForm7.h"
#include "windows/TiledPreview.h"

#include <QAction>
#include <QPaintEvent>
#include <QPainter>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Named by the process, so that two runs at once do not remove each other's files.
const QString kTexture = QStringLiteral("/dev/shm/quorvel-editor-bench-%1.m32").arg(getpid());
const QString kSettings = QStringLiteral("/dev/shm/quorvel-editor-bench-%1.ini").arg(getpid());
const QString kPicture = QStringLiteral("/dev/shm/quorvel-editor-bench-%1.bmp").arg(getpid());
// What the open dialog answers; empty: cancelled.
// The dialogs the benchmarks run with: they answer nothing but the picture to import.
quorvel::bench::SilentDialogs* silentDialogs = nullptr;

double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The editor over its own document, shown maximised and exposed.
struct Editor {
    quorvel::TextureDocument document;
    quorvel::EditorWindows windows{};
    std::unique_ptr<quorvel::TForm1> frame;

    Editor()
    {
        windows = quorvel::createEditorWindows(document, kSettings);
        frame.reset(windows.frame);
        frame->showMaximized();
        if (!QTest::qWaitForWindowExposed(frame.get())) std::fprintf(stderr, "frame not exposed\n");
    }
};

void makeTexture()
{
    quorvel::bench::saveChainTexture(kTexture);
}

void BM_EditorStart(benchmark::State& state)
{
    for (auto _ : state) {
        Editor editor;
        state.PauseTiming();
        editor.frame.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorStart)->Unit(benchmark::kMillisecond);

// Opening into an editor that shows another texture of the same shape (its images are reused),
// and into one that was just made New (every image made afresh), until level 1 is drawn.
void openUntilShown(benchmark::State& state, bool afterNew)
{
    makeTexture();
    Editor editor;
    editor.frame->openm32(kTexture);
    for (auto _ : state) {
        if (afterNew) {
            state.PauseTiming();
            editor.document.newDocument();
            state.ResumeTiming();
        }
        editor.frame->openm32(kTexture);
        editor.windows.view->levelCanvas()->repaint();
    }
}
void BM_OpenUntilLevel1Shown(benchmark::State& state) { openUntilShown(state, false); }
void BM_OpenAfterNewUntilLevel1Shown(benchmark::State& state) { openUntilShown(state, true); }
BENCHMARK(BM_OpenUntilLevel1Shown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAfterNewUntilLevel1Shown)->Unit(benchmark::kMillisecond);

// File > Import: the menu item, the file read, OK, the chain of eleven levels made, level 1 drawn.
void BM_ImportUntilLevel1Shown(benchmark::State& state)
{
    QImage picture(1024, 1024, QImage::Format_RGB32);
    for (int y = 0; y < 1024; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < 1024; ++x) row[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
    }
    quorvel::saveBmp24(picture, kPicture);
    Editor editor;
    silentDialogs->openAnswer = kPicture;
    for (auto _ : state) {
        editor.frame->menuAction(QStringLiteral("Import1"))->trigger();
        editor.windows.importDialog->okButton()->click();
        editor.windows.view->levelCanvas()->repaint();
    }
    silentDialogs->openAnswer.clear();
    if (editor.document.levelCount() != 11) state.SkipWithError("the import made no chain of eleven levels");
    QFile::remove(kPicture);
}
BENCHMARK(BM_ImportUntilLevel1Shown)->Unit(benchmark::kMillisecond);

// The frame shown with a workspace of 1600 x 1000 pixels, the texture open in it.
void openInWorkspace(Editor& editor)
{
    makeTexture();
    editor.frame->showNormal();
    const QSize margin = editor.frame->size() - editor.frame->workspace()->viewport()->size();
    editor.frame->resize(QSize(1600, 1000) + margin);
    QApplication::processEvents();
    editor.frame->openm32(kTexture);
}

void BM_RepaintAtZoom8(benchmark::State& state)
{
    Editor editor;
    // The view filling the workspace.
    openInWorkspace(editor);
    quorvel::TForm2* view = editor.windows.view;
    qobject_cast<QMdiSubWindow*>(view->parentWidget())->move(0, 0);
    for (int i = 0; i < 3; ++i) view->zoomIn();
    static const char* const modeNames[] = {"colour", "red", "green", "blue", "alpha", "over checkerboard"};
    view->viewSettings().setMode(quorvel::kViewModes[state.range(0)]);
    state.SetLabel(modeNames[state.range(0)]);
    QApplication::processEvents();
    const QSize shown = view->scrollArea()->viewport()->size();
    for (auto _ : state) view->levelCanvas()->repaint();
    state.counters["shown_width"] = shown.width();
    state.counters["shown_height"] = shown.height();
    state.counters["workspace_width"] = editor.frame->workspace()->viewport()->width();
    state.counters["workspace_height"] = editor.frame->workspace()->viewport()->height();
}
BENCHMARK(BM_RepaintAtZoom8)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// A widget that only fills what it is asked to paint.
class FillCanvas : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override { QPainter(this).fillRect(event->rect(), QColor(192, 192, 192)); }
};

// The plain fill the zoom-8 repaint is measured against: the same size as the level view shows
// over the 1600 x 1000 workspace, repainted the same way.
void BM_PlainFillOfTheShownView(benchmark::State& state)
{
    QSize shown;
    {
        Editor editor;
        openInWorkspace(editor);
        quorvel::TForm2* view = editor.windows.view;
        qobject_cast<QMdiSubWindow*>(view->parentWidget())->move(0, 0);
        for (int i = 0; i < 3; ++i) view->zoomIn();
        QApplication::processEvents();
        shown = view->scrollArea()->viewport()->size();
    }
    QWidget window;
    window.resize(shown);
    FillCanvas canvas(&window);
    canvas.resize(shown);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::fprintf(stderr, "fill window not exposed\n");
    for (auto _ : state) canvas.repaint();
    state.counters["shown_width"] = shown.width();
    state.counters["shown_height"] = shown.height();
}
BENCHMARK(BM_PlainFillOfTheShownView)->Unit(benchmark::kMillisecond);

// The tiled preview filling the same workspace at zoom 8, over the checkerboard: what it shows
// of the nine tiles drawn again.
void BM_TiledPreviewRepaintAtZoom8(benchmark::State& state)
{
    Editor editor;
    openInWorkspace(editor);
    quorvel::TForm2* view = editor.windows.view;
    for (int i = 0; i < 3; ++i) view->zoomIn();
    view->viewSettings().setMode(quorvel::ViewMode::OverCheckerboard);
    editor.frame->menuAction(QStringLiteral("TiledPreview1"))->trigger();
    auto* preview = editor.frame->findChild<quorvel::TiledPreview*>();
    auto* sub = qobject_cast<QMdiSubWindow*>(preview->parentWidget());
    sub->move(0, 0);
    sub->resize(editor.frame->workspace()->viewport()->size());
    QApplication::processEvents();
    for (auto _ : state) preview->canvas()->repaint();
    state.counters["shown_width"] = preview->canvas()->visibleRegion().boundingRect().width();
    state.counters["shown_height"] = preview->canvas()->visibleRegion().boundingRect().height();
}
BENCHMARK(BM_TiledPreviewRepaintAtZoom8)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    quorvel::registerAllPictureKinds();
    quorvel::bench::SilentDialogs silent;
    silentDialogs = &silent;
    quorvel::setDialogs(&silent);
    {
        // The first start of the process, as the program's own start does it.
        Editor editor;
        std::printf("first start until the frame is shown: %.1f ms, resident memory then: %.1f MB\n",
                    double(clock.nsecsElapsed()) / 1e6, residentMegabytes());
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quorvel::setDialogs(nullptr);
    QFile::remove(kTexture);
    QFile::remove(kSettings);
    return 0;
}

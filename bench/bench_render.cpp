// Drawing a board of 20,000 elements into a 1920 x 1080 picture: a full repaint at "Zoom
// Platine" and at zoom 1.0, and a pan by 50 pixels at zooms 0.3 and 1.0 (the cached picture
// moved, the uncovered strip repainted; the whole board fits the view at "Zoom Platine", so
// there is nothing to pan there), on the screen canvas and, for comparison, through QPainter;
// and far out, where most elements are below a pixel, with and without their one-pixel picture.
// A whole-board frame is timed also with the shapes' stamps made anew, as the first frame
// after a zoom step has them.
#include "document/parallel.h"
#include "generator/boardgen.h"
#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{

using namespace trevok;

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;

TBoard& board()
{
    static std::unique_ptr<TBoard> b = [] {
        auto nb = std::make_unique<TBoard>();
        nb->Elements = bench::generateBoard(20000, 1, nb->BoardWidth, nb->BoardHeight);
        return nb;
    }();
    return *b;
}

/// The zoom of "Zoom Platine" for the view: the board fits with 10 pixels to spare.
double wholeBoardZoom()
{
    const TBoard& b = board();
    return std::min((ViewWidth - 10.0) / b.BoardWidth, (ViewHeight - 10.0) / b.BoardHeight);
}

RenderOptions options(double zoom)
{
    RenderOptions o = RenderOptions::fromBoard(board());
    o.zoom = zoom;
    // At zoom 1.0 the view looks at the middle of the board, where it is busiest.
    if (zoom >= 1.0) {
        o.scrollX = (board().BoardWidth * zoom - ViewWidth) / 2;
        o.scrollY = (board().BoardHeight * zoom - ViewHeight) / 2;
    }
    return o;
}

template <class MakeCanvas>
void paint(QImage& image, const RenderOptions& o, const QRect& area, MakeCanvas make)
{
    make(image, area, [&](Canvas& c) { PaintBoard(c, board(), o, area); });
}

void onScreenCanvas(QImage& image, const QRect& area, const std::function<void(Canvas&)>& draw)
{
    ImageCanvas c(image, area);
    draw(c);
}

void onQPainter(QImage& image, const QRect& area, const std::function<void(Canvas&)>& draw)
{
    QPainter p(&image);
    p.setClipRect(area);
    QPainterCanvas c(p);
    draw(c);
}

/// Moves the picture's content by dx pixels (positive: to the left, as when scrolling right).
void shiftLeft(QImage& image, int dx)
{
    const int keep = image.width() - dx;
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        std::memmove(row, row + dx * 4, static_cast<std::size_t>(keep) * 4);
    }
}

template <auto Make>
void BM_RenderFull(benchmark::State& state, double zoom, bool levelOfDetail = true, bool freshStamps = false)
{
    QImage image(ViewWidth, ViewHeight, QImage::Format_RGB32);
    RenderOptions o = options(zoom);
    o.levelOfDetail = levelOfDetail;
    for (auto _ : state) {
        if (freshStamps)
            ImageCanvas::clearStamps();
        paint(image, o, image.rect(), Make);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["elements"] = static_cast<double>(board().Elements.size());
}

template <auto Make> void BM_RenderPan50(benchmark::State& state, double zoom)
{
    QImage image(ViewWidth, ViewHeight, QImage::Format_RGB32);
    RenderOptions o = options(zoom);
    o.scrollX = 0;
    paint(image, o, image.rect(), Make);
    constexpr int step = 50;
    for (auto _ : state) {
        // Scroll right by 50 pixels, back to the start when the board's right edge comes near.
        if (o.scrollX + step + ViewWidth > board().BoardWidth * zoom + 200) {
            state.PauseTiming();
            o.scrollX = 0;
            paint(image, o, image.rect(), Make);
            state.ResumeTiming();
        }
        o.scrollX += step;
        shiftLeft(image, step);
        paint(image, o, QRect(ViewWidth - step, 0, step, ViewHeight), Make);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The same full repaints with the rows cut into bands drawn on the worker threads at once, as
// the view draws (TREVOK_THREADS chooses how many); timed by the clock, the CPU column being
// the work of all threads.
void BM_RenderBands(benchmark::State& state, double zoom)
{
    QImage image(ViewWidth, ViewHeight, QImage::Format_RGB32);
    const RenderOptions o = options(zoom);
    for (auto _ : state) {
        PaintBoardInBands(image, board(), o);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["threads"] = WorkerThreads();
}
void BM_RenderBands_WholeBoard(benchmark::State& s)
{
    BM_RenderBands(s, wholeBoardZoom());
}
void BM_RenderBands_Zoom1(benchmark::State& s)
{
    BM_RenderBands(s, 1.0);
}

void BM_RenderFull_WholeBoard(benchmark::State& s)
{
    BM_RenderFull<onScreenCanvas>(s, wholeBoardZoom());
}
// The first frame at a zoom: no pad or hole shape has its stamp yet (as after a zoom step).
void BM_RenderFull_WholeBoardFreshStamps(benchmark::State& s)
{
    BM_RenderFull<onScreenCanvas>(s, wholeBoardZoom(), true, true);
}
// Zoomed out eight times further than "Zoom Platine": most elements are smaller than a pixel
// and drawn as one; the Exact variant draws each of them in full.
void BM_RenderFull_FarOut(benchmark::State& s)
{
    BM_RenderFull<onScreenCanvas>(s, wholeBoardZoom() / 8);
}
void BM_RenderFull_FarOutExact(benchmark::State& s)
{
    BM_RenderFull<onScreenCanvas>(s, wholeBoardZoom() / 8, false);
}
void BM_RenderFull_Zoom1(benchmark::State& s)
{
    BM_RenderFull<onScreenCanvas>(s, 1.0);
}
void BM_RenderPan50_Zoom03(benchmark::State& s)
{
    BM_RenderPan50<onScreenCanvas>(s, 0.3);
}
void BM_RenderPan50_Zoom1(benchmark::State& s)
{
    BM_RenderPan50<onScreenCanvas>(s, 1.0);
}
void BM_RenderFullQPainter_WholeBoard(benchmark::State& s)
{
    BM_RenderFull<onQPainter>(s, wholeBoardZoom());
}
void BM_RenderFullQPainter_Zoom1(benchmark::State& s)
{
    BM_RenderFull<onQPainter>(s, 1.0);
}
void BM_RenderPan50QPainter_Zoom1(benchmark::State& s)
{
    BM_RenderPan50<onQPainter>(s, 1.0);
}

BENCHMARK(BM_RenderFull_WholeBoard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFull_WholeBoardFreshStamps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderBands_WholeBoard)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_RenderBands_Zoom1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_RenderFull_FarOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFull_FarOutExact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFull_Zoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPan50_Zoom03)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPan50_Zoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFullQPainter_WholeBoard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderFullQPainter_Zoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPan50QPainter_Zoom1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Text needs a QGuiApplication; no window is shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Further isolation passes: passes 1, 3 and 0 (until no free copper is left) on a small
// 60 x 40 mm board and on a 400 x 250 mm board. Besides the time, the counters give what the
// mill does: the length cut (first pass and further passes) and the job time the G-code
// estimates at its default feeds.
#include "generator/boardgen.h"
#include "output/gcode.h"
#include "output/millpasses.h"

#include "document/project.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace trevok;

namespace
{

const TBoard& boardFor(int which)
{
    static const TBoard small = [] {
        TBoard b;
        b.BoardWidth = 6000;
        b.BoardHeight = 4000;
        b.Elements = bench::generateBoard(300, 11, 6000, 4000);
        return b;
    }();
    static const TBoard large = [] {
        TBoard b;
        b.BoardWidth = 40000;
        b.BoardHeight = 25000;
        b.Elements = bench::generateBoard(2000, 20240601, 40000, 25000);
        return b;
    }();
    return which == 0 ? small : large;
}

double lengthMm(const std::vector<std::vector<TPoint>>& paths, bool closed)
{
    double units = 0;
    for (const auto& p : paths)
        for (std::size_t i = 1; i < p.size() + (closed ? 1 : 0); ++i) {
            const TPoint a = p[i - 1], b = p[i % p.size()];
            units += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
        }
    return units / 100.0;
}

/// range(0): the board (0 small, 1 large); range(1): the passes.
void BM_Passes(benchmark::State& state)
{
    const TBoard& board = boardFor(static_cast<int>(state.range(0)));
    MillingOptions m;
    m.layer = LayerK1;
    m.width = 20;
    const auto first = ComputeIsolation(board.Elements, m);
    const PassOptions passes{static_cast<int>(state.range(1)), 20};
    const TRect rect = BoardRectangle(board.BoardWidth, board.BoardHeight);
    IsolationResult all;
    for (auto _ : state) {
        all = *first;
        const auto further = IsolationPasses(first->contours, m.width, passes, rect);
        all.passes = further->all();
        benchmark::DoNotOptimize(all.passes.data());
    }
    GcodeOptions o;
    o.outline = OutlineSource::None;
    GcodeStats stats;
    IsolationGcode(board, all.contours, all.passes, m, o, &stats);
    state.counters["cut_m"] = (lengthMm(all.contours, true) + lengthMm(all.passes, false)) / 1000.0;
    state.counters["job_min"] = stats.minutes;
}
BENCHMARK(BM_Passes)->Name("millpasses/60x40mm_passes_1")->Args({0, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Passes)->Name("millpasses/60x40mm_passes_3")->Args({0, 3})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Passes)
    ->Name("millpasses/60x40mm_passes_0")
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Passes)->Name("millpasses/400x250mm_passes_1")->Args({1, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Passes)
    ->Name("millpasses/400x250mm_passes_3")
    ->Args({1, 3})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_Passes)
    ->Name("millpasses/400x250mm_passes_0")
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

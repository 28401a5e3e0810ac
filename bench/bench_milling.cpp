// Isolation milling contours of one copper side: the 20,000-element board and a dense
// 100 x 80 mm board. The floor is the same union computed by Clipper in one call on the same
// shape polygons at the same resolution; the contours should stay within 3x of it.
#include "document/project.h"
#include "document/undo.h"
#include "generator/boardgen.h"
#include "output/isolation.h"

#include <benchmark/benchmark.h>

#include <clipper.hpp>

#include <cmath>

using namespace trevok;

namespace
{

const ElementList& board20k()
{
    static const ElementList list = bench::generateBoard(20000, 20240601, 40000, 25000);
    return list;
}

const ElementList& denseBoard()
{
    // 6,000 elements on 100 x 80 mm: footprints, tracks and areas close together.
    static const ElementList list = bench::generateBoard(6000, 7, 10000, 8000);
    return list;
}

const ElementList& boardFor(const benchmark::State& state)
{
    return state.range(0) == 0 ? board20k() : denseBoard();
}

MillingOptions options()
{
    MillingOptions o;
    o.layer = LayerK1;
    o.width = 20; // a 0.2 mm cutter
    return o;
}

void BM_Contours(benchmark::State& state)
{
    const ElementList& list = boardFor(state);
    std::size_t n = 0;
    for (auto _ : state) {
        const std::vector<ShapeGroup> shapes = MillingShapes(list, options());
        const auto contours = ComputeContours(shapes);
        n = contours ? contours->size() : 0;
        benchmark::DoNotOptimize(n);
    }
    state.counters["contours"] = static_cast<double>(n);
}
BENCHMARK(BM_Contours)->Name("milling/contours_20k")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Contours)->Name("milling/contours_dense_100x80")->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ContoursAndCheck(benchmark::State& state)
{
    // The check tells pieces apart by the board's nets, traced once before the timing.
    TBoard board;
    CopyElementList(board.Elements, boardFor(state));
    const MillingNets nets = MillingNetsOf(board);
    std::size_t problems = 0;
    for (auto _ : state) {
        const auto r = ComputeIsolation(board.Elements, options(), nullptr, &nets);
        problems = r ? r->problems.size() : 0;
        benchmark::DoNotOptimize(problems);
    }
    state.counters["problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_ContoursAndCheck)->Name("milling/contours_and_check_20k")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContoursAndCheck)
    ->Name("milling/contours_and_check_dense_100x80")
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

/// The floor: one Clipper union of the shape polygons (made outside the timing) at 1/100 unit.
void BM_ClipperFloor(benchmark::State& state)
{
    const std::vector<ShapeGroup> shapes = MillingShapes(boardFor(state), options());
    ClipperLib::Paths input;
    for (const ShapeGroup& g : shapes) {
        for (const RPath& p : g.polygons) {
            ClipperLib::Path q; // clockwise shape polygons, turned like the filled interiors
            for (auto v = p.rbegin(); v != p.rend(); ++v)
                q.emplace_back(v->x * kMillScale, v->y * kMillScale);
            input.push_back(std::move(q));
        }
        for (const RPath& p : g.interior) {
            ClipperLib::Path q;
            for (const RPoint& v : p)
                q.emplace_back(v.x * kMillScale, v.y * kMillScale);
            if (!ClipperLib::Orientation(q))
                ClipperLib::ReversePath(q);
            input.push_back(std::move(q));
        }
    }
    std::size_t n = 0;
    for (auto _ : state) {
        ClipperLib::Clipper c;
        c.AddPaths(input, ClipperLib::ptSubject, true);
        ClipperLib::Paths out;
        c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        n = out.size();
        benchmark::DoNotOptimize(n);
    }
    state.counters["paths"] = static_cast<double>(n);
    // Paths smaller than a square unit vanish when the contours are rounded back to units.
    ClipperLib::Clipper c;
    c.AddPaths(input, ClipperLib::ptSubject, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    double large = 0;
    for (const ClipperLib::Path& p : out)
        large += std::abs(ClipperLib::Area(p)) >= double(kMillScale * kMillScale);
    state.counters["paths_of_1unit2"] = large;
}
BENCHMARK(BM_ClipperFloor)->Name("milling/clipper_floor_20k")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClipperFloor)->Name("milling/clipper_floor_dense_100x80")->Arg(1)->Unit(benchmark::kMillisecond);

/// The shape polygons alone (covered elements excluded), the part of the contours before Clipper.
void BM_ShapePolygons(benchmark::State& state)
{
    const ElementList& list = boardFor(state);
    for (auto _ : state) {
        const std::vector<ShapeGroup> shapes = MillingShapes(list, options());
        benchmark::DoNotOptimize(shapes.data());
    }
}
BENCHMARK(BM_ShapePolygons)->Name("milling/shape_polygons_20k")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShapePolygons)
    ->Name("milling/shape_polygons_dense_100x80")
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

/// One track of 20,000 segments zigzagging along a band 1.5 mm high: every scan line of the union
/// crosses the whole track, the worst case for a sweep along y.
void BM_LongTrack(benchmark::State& state)
{
    static const ElementList list = [] {
        ElementList l;
        auto t = NewTrack(25, LayerK1);
        for (int i = 0; i <= 20000; ++i)
            AddPoint(*t, {i * 25, (i % 2) ? 150 : 0});
        l.push_back(std::move(t));
        return l;
    }();
    std::size_t n = 0;
    for (auto _ : state) {
        const auto r = ComputeIsolation(list, options());
        n = r ? r->contours.size() : 0;
        benchmark::DoNotOptimize(n);
    }
    state.counters["contours"] = static_cast<double>(n);
}
BENCHMARK(BM_LongTrack)->Name("milling/long_track_20k_segments")->Unit(benchmark::kMillisecond);

} // namespace

// Connections and routing on generated boards: the trace of a net that spans a 20,000-element
// board (through the ground plane), the removal of realised connections with 2,000
// connections, and one route across a 300 x 300 mm board, with the fast wave and with the ring
// literal ring procedure.

#include "document/project.h"
#include "document/undo.h"
#include "generator/boardgen.h"
#include "routing/autorouter.h"
#include "routing/connections.h"
#include "routing/literalsearch.h"
#include "routing/nettrace.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace trevok;

namespace
{

constexpr std::uint32_t kSeed = 20240601;

/// The 20,000-element board with side 1's ground plane on and every element of K1 at clearance
/// 0, so that the plane joins them into one net across the board.
TBoard planeBoard()
{
    TBoard b;
    b.BoardWidth = 40000;
    b.BoardHeight = 25000;
    b.Elements = bench::generateBoard(20000, kSeed, b.BoardWidth, b.BoardHeight);
    b.GroundPlane1 = 1;
    for (auto& e : b.Elements)
        if (e->Layer == LayerK1)
            e->Clearance = 0;
    return b;
}

std::size_t firstOnK1(const TBoard& b)
{
    for (std::size_t i = 0; i < b.Elements.size(); ++i)
        if (b.Elements[i]->Layer == LayerK1 && b.Elements[i]->isPadLike())
            return i;
    return 0;
}

void TraceNetAcrossBoardCold(benchmark::State& state)
{
    const TBoard b = planeBoard();
    const std::size_t start = firstOnK1(b);
    std::size_t size = 0;
    for (auto _ : state) {
        NetTracer t(b); // index and outlines built from nothing
        size = t.net(start).size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["net"] = static_cast<double>(size);
}
BENCHMARK(TraceNetAcrossBoardCold)->Unit(benchmark::kMillisecond);

void TraceNetAcrossBoardCached(benchmark::State& state)
{
    const TBoard b = planeBoard();
    const std::size_t start = firstOnK1(b);
    NetTracer t(b);
    t.net(start); // outlines cached, as within one command
    std::size_t size = 0;
    for (auto _ : state) {
        size = t.net(start).size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["net"] = static_cast<double>(size);
}
BENCHMARK(TraceNetAcrossBoardCached)->Unit(benchmark::kMillisecond);

/// The 20,000-element board with connections added between random pads up to 2,000.
TBoard connectedBoard()
{
    TBoard b;
    b.BoardWidth = 40000;
    b.BoardHeight = 25000;
    b.Elements = bench::generateBoard(20000, kSeed, b.BoardWidth, b.BoardHeight);
    std::vector<TObjekt*> pads;
    for (auto& e : b.Elements)
        if (e->isPadLike())
            pads.push_back(e.get());
    std::mt19937 rng(kSeed);
    std::uniform_int_distribution<std::size_t> pick(0, pads.size() - 1);
    while (CountConnections(b) < 2000)
        AddConnection(*pads[pick(rng)], *pads[pick(rng)]);
    return b;
}

void RemoveRealised2000(benchmark::State& state)
{
    const TBoard source = connectedBoard();
    RemoveRealisedResult r;
    for (auto _ : state) {
        state.PauseTiming();
        TBoard b;
        CopyElementList(b.Elements, source.Elements, 0, [](const TObjekt&) { return true; });
        state.ResumeTiming();
        r = RemoveRealisedConnections(b);
        benchmark::DoNotOptimize(r);
    }
    state.counters["removed"] = static_cast<double>(r.removed);
    state.counters["remaining"] = static_cast<double>(r.remaining);
}
BENCHMARK(RemoveRealised2000)->Unit(benchmark::kMillisecond);

/// A 300 x 300 mm board of generated elements (none: an empty board) and two pads on K1 in
/// opposite corners with a connection between them.
TProject routeProject(std::size_t elements)
{
    TProject p;
    NewBoard(p, "Platine 1");
    TBoard& b = *p.currentBoard();
    b.BoardWidth = 30000;
    b.BoardHeight = 30000;
    b.ActiveLayer = LayerK1;
    if (elements > 0)
        b.Elements = bench::generateBoard(elements, kSeed, b.BoardWidth, b.BoardHeight);
    for (auto& e : b.Elements)
        e->Selected = 0;
    auto a = NewPad({1500, -1500}, 90, ShapeRound, LayerK1, 30);
    auto c = NewPad({28500, -28500}, 90, ShapeRound, LayerK1, 30);
    a->Selected = c->Selected = 1;
    AddConnection(*a, *c);
    b.Elements.push_back(std::move(a));
    b.Elements.push_back(std::move(c));
    return p;
}

void RouteAcross300mm(benchmark::State& state, std::size_t elements, bool literal, double widthMm,
                      double clearanceMm)
{
    int routed = 0;
    std::size_t windows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TProject p = routeProject(elements);
        RouteOptions o;
        o.settings = {widthMm, clearanceMm};
        if (literal)
            o.search = testing::literalSearch;
        state.ResumeTiming();
        const RouteOutcome r = RouteConnection(p, o);
        routed = r.result == RouteOutcome::Routed;
        windows = r.windows.size();
    }
    state.counters["routed"] = routed;
    state.counters["windows"] = static_cast<double>(windows);
}
// A dense board (8,000 elements) and an empty one, where the plain procedure's rings are
// longest.
BENCHMARK_CAPTURE(RouteAcross300mm, dense_fast_cell80, 8000, false, 0.4, 0.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RouteAcross300mm, dense_fast_cell40, 8000, false, 0.1, 0.1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RouteAcross300mm, empty_fast_cell40, 0, false, 0.1, 0.1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RouteAcross300mm, dense_literal_cell80, 8000, true, 0.4, 0.2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RouteAcross300mm, dense_literal_cell40, 8000, true, 0.1, 0.1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(RouteAcross300mm, empty_literal_cell40, 0, true, 0.1, 0.1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

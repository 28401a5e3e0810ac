// The design check on the 20,000-element board: with the default rules, with side 1's ground plane
// joining every element of K1 into one board-wide net, and with the mill rule as well.

#include "generator/boardgen.h"
#include "output/designcheck.h"

#include <benchmark/benchmark.h>

using namespace trevok;

namespace
{

TBoard benchBoard(bool plane)
{
    TBoard b;
    b.BoardWidth = 40000;
    b.BoardHeight = 25000;
    b.Elements = bench::generateBoard(20000, 20240601, b.BoardWidth, b.BoardHeight);
    if (plane) {
        b.GroundPlane1 = 1;
        for (auto& e : b.Elements)
            if (e->Layer == LayerK1)
                e->Clearance = 0;
    }
    return b;
}

void DesignCheck20k(benchmark::State& state)
{
    const TBoard b = benchBoard(state.range(0) != 0);
    DesignRules rules;
    rules.mill = static_cast<std::int32_t>(state.range(1));
    DesignCheckResult r;
    for (auto _ : state) {
        r = CheckDesign(b, rules);
        benchmark::DoNotOptimize(r.problems.data());
    }
    state.counters["errors"] = static_cast<double>(r.errors);
    state.counters["warnings"] = static_cast<double>(r.warnings);
    state.counters["gaps"] = static_cast<double>(r.count(ProblemKind::Gap));
}
BENCHMARK(DesignCheck20k)->Name("designcheck/20k")->Args({0, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(DesignCheck20k)->Name("designcheck/20k_plane_net")->Args({1, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(DesignCheck20k)
    ->Name("designcheck/20k_with_mill_0.2")
    ->Args({0, 20})
    ->Unit(benchmark::kMillisecond);

} // namespace

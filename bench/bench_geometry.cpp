// Region engine on a synthetic board: building every outline, testing every pair of elements
// whose bounding rectangles meet, and a board-level hit test at one point.

#include "document/objekt.h"
#include "document/region.h"
#include "generator/boardgen.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace trevok;

namespace
{

constexpr std::size_t kElements = 20000;
constexpr std::uint32_t kSeed = 20240601;

const ElementList& board()
{
    // 400 x 250 mm: 20,000 elements on the default 160 x 100 mm board would be a solid carpet.
    static const ElementList list = bench::generateBoard(kElements, kSeed, 40000, 25000);
    return list;
}

// Pairs of element indices whose Bounds meet, found by sorting on the left edge and sweeping.
std::vector<std::pair<std::size_t, std::size_t>> candidatePairs(const std::vector<TRect>& bounds)
{
    std::vector<std::size_t> order(bounds.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return bounds[a].left < bounds[b].left; });
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    std::vector<std::size_t> active;
    for (std::size_t i : order) {
        const TRect& r = bounds[i];
        std::erase_if(active, [&](std::size_t a) { return bounds[a].right < r.left; });
        for (std::size_t a : active)
            if (bounds[a].intersects(r))
                pairs.emplace_back(std::min(a, i), std::max(a, i));
        active.push_back(i);
    }
    return pairs;
}

void BM_BuildRegions(benchmark::State& state)
{
    const ElementList& list = board();
    std::size_t vertices = 0;
    for (auto _ : state) {
        vertices = 0;
        for (const auto& e : list) {
            Region r = ElementRegion(*e);
            for (const auto& c : r.components())
                for (const auto& p : c)
                    vertices += p.size();
            benchmark::DoNotOptimize(r);
        }
    }
    state.counters["elements"] = static_cast<double>(list.size());
    state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(BM_BuildRegions)->Unit(benchmark::kMillisecond);

void BM_CandidatePairs(benchmark::State& state)
{
    const ElementList& list = board();
    std::vector<TRect> bounds;
    for (const auto& e : list)
        bounds.push_back(Bounds(*e));
    std::size_t count = 0;
    for (auto _ : state) {
        auto pairs = candidatePairs(bounds);
        count = pairs.size();
        benchmark::DoNotOptimize(pairs);
    }
    state.counters["pairs"] = static_cast<double>(count);
}
BENCHMARK(BM_CandidatePairs)->Unit(benchmark::kMillisecond);

void BM_PairOverlaps(benchmark::State& state)
{
    const ElementList& list = board();
    std::vector<TRect> bounds;
    std::vector<Region> regions;
    for (const auto& e : list) {
        bounds.push_back(Bounds(*e));
        regions.push_back(ElementRegion(*e));
    }
    const auto pairs = candidatePairs(bounds);
    std::size_t overlapping = 0;
    for (auto _ : state) {
        overlapping = 0;
        for (const auto& [a, b] : pairs)
            overlapping += regions[a].overlaps(regions[b]);
    }
    state.counters["pairs"] = static_cast<double>(pairs.size());
    state.counters["overlapping"] = static_cast<double>(overlapping);
}
BENCHMARK(BM_PairOverlaps)->Unit(benchmark::kMillisecond);

// What the editor does under the mouse: every element whose Bounds meet the pick square gets
// the exact test.
void BM_HitTestAtPoint(benchmark::State& state)
{
    const ElementList& list = board();
    std::vector<TRect> bounds;
    for (const auto& e : list)
        bounds.push_back(Bounds(*e));
    // A pad centre in the middle of the list, so that something is hit.
    TPoint at{};
    for (std::size_t i = list.size() / 2; i < list.size(); ++i)
        if (list[i]->Kind == KindPad) {
            at = {list[i]->X + 20, list[i]->Y - 10};
            break;
        }
    const double zoom = 0.1;
    const std::int64_t h = RoundHalfEven64(2.0 / zoom);
    std::size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (bounds[i].intersects({at.x - h, at.y - h, at.x + h, at.y + h}) &&
                ElementHit(*list[i], at, zoom))
                ++hits;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_HitTestAtPoint)->Unit(benchmark::kMicrosecond);

} // namespace

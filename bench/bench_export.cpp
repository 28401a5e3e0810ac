// Manufacturing exports of a 20,000-element board: one copper layer with ground plane (Gerber)
// and the drill file. gerbv's own time to read and render the same Gerber file is measured by
// ./bench.sh export-peer (see bench/peer_gerbv.sh) for the ratio.
#include "generator/boardgen.h"
#include "output/excellon.h"
#include "output/gerber.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

using namespace trevok;

namespace
{

TBoard& board20k()
{
    static TBoard b = [] {
        TBoard board;
        board.BoardWidth = 40000;
        board.BoardHeight = 25000;
        board.GroundPlane1 = 1;
        board.Elements = bench::generateBoard(20000, 20240601, board.BoardWidth, board.BoardHeight);
        return board;
    }();
    return b;
}

void BM_GerberCopperWithGroundPlane(benchmark::State& state)
{
    const TBoard& b = board20k();
    const GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = PlotteGerberfile(b, o);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    // Keep the file for the peer measurement with gerbv.
    if (const char* path = std::getenv("TREVOK_BENCH_GERBER_OUT"))
        std::ofstream(path, std::ios::binary) << PlotteGerberfile(b, o);
}
BENCHMARK(BM_GerberCopperWithGroundPlane)->Name("export/gerber_K1_plane_20k")->Unit(benchmark::kMillisecond);

void BM_Excellon(benchmark::State& state)
{
    const TBoard& b = board20k();
    const DrillOptions o = DrillOptions::forUnit(false);
    for (auto _ : state) {
        const std::string out = WriteExcellon(b, o);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Excellon)->Name("export/drill_20k")->Unit(benchmark::kMillisecond);

} // namespace

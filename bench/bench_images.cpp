// Images and the fabrication set of a 400 x 250 mm board of 20,000 elements: a bitmap and a
// GIF at 300 dpi (4724 x 2953 pixels), the metafile at 300 dpi, and the whole fabrication set
// (seven Gerber layers, the drill file and the list), loose and as a zip archive.
#include "generator/boardgen.h"
#include "output/fabset.h"
#include "print/boardimage.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace
{

using namespace trevok;

TBoard& board()
{
    static std::unique_ptr<TBoard> b = [] {
        auto nb = std::make_unique<TBoard>();
        nb->BoardWidth = 40000;
        nb->BoardHeight = 25000;
        nb->GroundPlane1 = 1;
        nb->Elements = bench::generateBoard(20000, 20240601, nb->BoardWidth, nb->BoardHeight);
        return nb;
    }();
    return *b;
}

void image(benchmark::State& state, ImageFormat format)
{
    ImageOptions o;
    o.format = format;
    o.dpi = 300;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto out = MakeBoardImage(board(), o);
        bytes = out ? out->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_Bmp(benchmark::State& state)
{
    image(state, ImageFormat::Bmp);
}
BENCHMARK(BM_Bmp)->Name("image/bmp_300dpi_400x250mm_20k")->Unit(benchmark::kMillisecond);

void BM_BmpMono(benchmark::State& state)
{
    ImageOptions o;
    o.mono = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeBoardImage(board(), o));
}
BENCHMARK(BM_BmpMono)->Name("image/bmp_mono_300dpi_400x250mm_20k")->Unit(benchmark::kMillisecond);

void BM_Gif(benchmark::State& state)
{
    image(state, ImageFormat::Gif);
}
BENCHMARK(BM_Gif)->Name("image/gif_300dpi_400x250mm_20k")->Unit(benchmark::kMillisecond);

void BM_Emf(benchmark::State& state)
{
    image(state, ImageFormat::Emf);
}
BENCHMARK(BM_Emf)->Name("image/emf_400x250mm_20k")->Unit(benchmark::kMillisecond);

void BM_FabSet(benchmark::State& state)
{
    FabOptions o;
    for (auto _ : state) {
        const auto files = MakeFabricationSet(board(), o);
        benchmark::DoNotOptimize(files.data());
    }
}
BENCHMARK(BM_FabSet)->Name("fab/set_20k")->Unit(benchmark::kMillisecond);

void BM_FabSetZip(benchmark::State& state)
{
    FabOptions o;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string zip = ZipFabricationSet(MakeFabricationSet(board(), o));
        bytes = zip.size();
        benchmark::DoNotOptimize(zip.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FabSetZip)->Name("fab/set_zip_20k")->Unit(benchmark::kMillisecond);

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

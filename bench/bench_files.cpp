// Layout files on synthetic boards: opening (read, decode, clean up) and saving (encode, write,
// flush, rename), whole and in their parts, with the throughput in MB/s of file content.

#include "document/atomicfile.h"
#include "document/layoutfile.h"
#include "document/project.h"
#include "generator/boardgen.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace trevok;

namespace
{

constexpr std::uint32_t kSeed = 20240601;

TProject projectOf(std::size_t count)
{
    TProject p;
    auto board = std::make_unique<TBoard>();
    board->Name = "Bench";
    board->BoardWidth = 40000;
    board->BoardHeight = 25000;
    board->Elements = bench::generateBoard(count, kSeed, 40000, 25000);
    p.Boards.push_back(std::move(board));
    p.Current = 0;
    return p;
}

std::string benchFile(const char* name)
{
    const auto dir =
        std::filesystem::temp_directory_path() / ("trevok-bench-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void finish(benchmark::State& state, std::size_t bytes, std::size_t elements)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["elements"] = static_cast<double>(elements);
}

void BM_Save(benchmark::State& state)
{
    TProject p = projectOf(static_cast<std::size_t>(state.range(0)));
    const std::string path = benchFile("save.lay");
    for (auto _ : state)
        WriteLayoutFile(p, path);
    finish(state, std::filesystem::file_size(path), p.Boards[0]->Elements.size());
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void BM_Encode(benchmark::State& state)
{
    const TProject p = projectOf(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto b = EncodeLayoutFile(p);
        bytes = b.size();
        benchmark::DoNotOptimize(b.data());
    }
    finish(state, bytes, p.Boards[0]->Elements.size());
}

void BM_Open(benchmark::State& state)
{
    const std::size_t count = static_cast<std::size_t>(state.range(0));
    const std::string path = benchFile("open.lay");
    {
        TProject p = projectOf(count);
        WriteLayoutFile(p, path);
    }
    std::size_t elements = 0;
    for (auto _ : state) {
        TProject q;
        const LayoutReadResult r = ReadLayoutFile(q, path, false, 1);
        if (r.error)
            state.SkipWithError("file did not read back");
        elements = q.Boards[0]->Elements.size();
        state.PauseTiming(); // freeing the project is not part of opening
        q = TProject();
        state.ResumeTiming();
    }
    finish(state, std::filesystem::file_size(path), elements);
    std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

void BM_Parse(benchmark::State& state)
{
    const std::vector<std::uint8_t> bytes =
        EncodeLayoutFile(projectOf(static_cast<std::size_t>(state.range(0))));
    std::size_t elements = 0;
    for (auto _ : state) {
        state.PauseTiming();
        LayoutFileContent c;
        state.ResumeTiming();
        c = ParseLayoutFile(bytes, "bench.lay", 1);
        elements = c.boards.at(0)->Elements.size();
        state.PauseTiming();
        c = LayoutFileContent();
        state.ResumeTiming();
    }
    finish(state, bytes.size(), elements);
}

} // namespace

BENCHMARK(BM_Open)->Name("files/open")->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Name("files/parse")->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Name("files/save")->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode)->Name("files/encode")->Arg(50000)->Unit(benchmark::kMillisecond);

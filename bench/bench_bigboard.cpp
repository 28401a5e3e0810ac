// A board of 200,000 elements, as crowded as the 20,000-element benchmark board (1265 x 791 mm):
// the whole trevok-cli process for `info`, `nets` and `contours --layer K1`, wall time per run
// and the processes' CPU time (all threads) as counters, with each command's ratio to `info`
// (the goals: nets within 2 x info, contours within 6 x). Beside them the connectivity trace
// and the contours in this process, on one thread and on two.

#include "document/layoutfile.h"
#include "document/parallel.h"
#include "generator/boardgen.h"
#include "output/isolation.h"
#include "routing/nettrace.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace trevok;

namespace
{

constexpr std::size_t kElements = 200000;

TProject& bigProject()
{
    static TProject p = [] {
        TProject q;
        auto board = std::make_unique<TBoard>();
        const double scale = std::sqrt(static_cast<double>(kElements) / 20000.0);
        board->Name = "Bench";
        board->BoardWidth = static_cast<std::int32_t>(std::lround(40000 * scale));
        board->BoardHeight = static_cast<std::int32_t>(std::lround(25000 * scale));
        board->Elements = bench::generateBoard(kElements, 20240601, board->BoardWidth, board->BoardHeight);
        q.Boards.push_back(std::move(board));
        q.Current = 0;
        return q;
    }();
    return p;
}

const std::string& bigFile()
{
    static const std::string path = [] {
        const auto dir =
            std::filesystem::temp_directory_path() / ("trevok-bench-bigboard-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        const std::string file = (dir / "big.lay").string();
        WriteLayoutFile(bigProject(), file);
        std::atexit([] { std::filesystem::remove_all(std::filesystem::path(bigFile()).parent_path()); });
        return file;
    }();
    return path;
}

struct Timed {
    double wall = 0;
    double cpu = 0;
};

double childCpu()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

/// Runs trevok-cli with the arguments, output to /dev/null.
Timed runCli(const std::vector<std::string>& args)
{
    std::vector<std::string> all{TREVOK_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const double cpu0 = childCpu();
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Timed t;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    t.cpu = childCpu() - cpu0;
    posix_spawn_file_actions_destroy(&files);
    return t;
}

/// Runs of the command, each just after a run of `info` on the same file, the yardstick: the
/// machine's load changes from one second to the next, so each run is held against the info
/// run beside it, and the ratios' median is reported.
void cliBenchmark(benchmark::State& state, const std::vector<std::string>& args)
{
    const std::string& file = bigFile();
    std::vector<std::string> withFile = args;
    withFile.insert(withFile.begin() + 1, file);
    double cpu = 0;
    std::vector<double> wallRatio, cpuRatio;
    for (auto _ : state) {
        state.PauseTiming();
        const Timed info = runCli({"info", file});
        state.ResumeTiming();
        const Timed t = runCli(withFile);
        state.SetIterationTime(t.wall);
        cpu += t.cpu;
        wallRatio.push_back(t.wall / info.wall);
        cpuRatio.push_back(t.cpu / info.cpu);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["cpu_s"] = cpu / static_cast<double>(state.iterations());
    state.counters["x_info_wall"] = median(wallRatio);
    state.counters["x_info_cpu"] = median(cpuRatio);
}

void BM_CliInfo(benchmark::State& state)
{
    cliBenchmark(state, {"info"});
}
void BM_CliNets(benchmark::State& state)
{
    cliBenchmark(state, {"nets"});
}
void BM_CliContours(benchmark::State& state)
{
    cliBenchmark(state, {"contours", "--layer", "K1"});
}

BENCHMARK(BM_CliInfo)
    ->Name("bigboard/cli_info_200k")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliNets)
    ->Name("bigboard/cli_nets_200k")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CliContours)
    ->Name("bigboard/cli_contours_K1_200k")
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

/// The nets of every element, in this process, on range(0) threads.
void BM_Nets(benchmark::State& state)
{
    const TBoard& board = *bigProject().Boards[0];
    SetWorkerThreads(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(NetOfEachElement(board));
    SetWorkerThreads(0);
}
BENCHMARK(BM_Nets)->Name("bigboard/nets_200k")->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

/// What `contours --layer K1` computes after reading the file, on range(0) threads.
void BM_Contours(benchmark::State& state)
{
    const TBoard& board = *bigProject().Boards[0];
    MillingOptions o;
    o.layer = LayerK1;
    SetWorkerThreads(static_cast<int>(state.range(0)));
    std::size_t contours = 0;
    for (auto _ : state) {
        const MillingNets nets = MillingNetsOf(board);
        const auto r = ComputeIsolation(board.Elements, o, nullptr, &nets);
        contours = r ? r->contours.size() : 0;
    }
    SetWorkerThreads(0);
    state.counters["contours"] = static_cast<double>(contours);
}
BENCHMARK(BM_Contours)
    ->Name("bigboard/contours_K1_200k")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

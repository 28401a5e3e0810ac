// Undo history on synthetic boards: the cost of one snapshot (PushUndo), of an undo/redo pair and
// of the list copy alone, and the memory one snapshot holds.

#include "document/project.h"
#include "document/undo.h"
#include "generator/boardgen.h"

#include <benchmark/benchmark.h>

#include <cstddef>

using namespace trevok;

namespace
{

constexpr std::uint32_t kSeed = 20240601;

/// One heap block as glibc's malloc hands it out: the request plus an 8-byte header, in steps
/// of 16 bytes, at least 32.
std::size_t heapBlock(std::size_t bytes)
{
    if (bytes == 0)
        return 0;
    const std::size_t b = (bytes + 8 + 15) / 16 * 16;
    return b < 32 ? 32 : b;
}

std::size_t elementBytes(const TObjekt& e, bool ownBlock)
{
    std::size_t n = ownBlock ? heapBlock(sizeof(TObjekt)) : 0;
    n += heapBlock(e.Points.capacity() * sizeof(TPoint));
    n += heapBlock(e.Groups.capacity() * sizeof(std::int32_t));
    n += heapBlock(e.Connections.capacity() * sizeof(TObjekt*));
    n += heapBlock(e.Strokes.capacity() * sizeof(TObjekt));
    if (e.Text.capacity() > 15) // beyond the string's inline buffer
        n += heapBlock(e.Text.capacity() + 1);
    for (const TObjekt& s : e.Strokes)
        n += elementBytes(s, false);
    return n;
}

/// Estimated heap bytes held by one snapshot of the list.
std::size_t snapshotBytes(const ElementList& list)
{
    std::size_t n = heapBlock(list.capacity() * sizeof(void*));
    for (const auto& e : list)
        n += elementBytes(*e, true);
    return n;
}

TProject projectOf(std::size_t count, int depthSteps)
{
    TProject p;
    startNewProject(p, 1);
    // 400 x 250 mm: tens of thousands of elements on a 160 x 100 mm board would be a solid carpet.
    p.currentBoard()->Elements = bench::generateBoard(count, kSeed, 40000, 25000);
    setUndoDialogValue(p, depthSteps);
    return p;
}

// A push in the steady state of a full history: one snapshot freed, one taken. The depth is kept
// small only to bound the benchmark's memory; the work per push does not depend on it.
void BM_PushUndo(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    TProject p = projectOf(count, 4);
    for (int i = 0; i < 5; ++i)
        PushUndo(p);
    for (auto _ : state) {
        PushUndo(p);
        benchmark::DoNotOptimize(p.currentBoard()->UndoStack.back().data());
    }
    const ElementList& list = p.currentBoard()->Elements;
    const std::size_t bytes = snapshotBytes(p.currentBoard()->UndoStack.back());
    state.counters["elements"] = static_cast<double>(list.size());
    state.counters["MB_per_snapshot"] = static_cast<double>(bytes) / 1e6;
    state.counters["bytes_per_element"] = static_cast<double>(bytes) / static_cast<double>(list.size());
    state.counters["sizeof_TObjekt"] = static_cast<double>(sizeof(TObjekt));
}
BENCHMARK(BM_PushUndo)->Name("undo/PushUndo")->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);

// The first push of a fresh history: the copy alone, nothing freed.
void BM_PushUndoIntoEmptyHistory(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    TProject p = projectOf(count, 50);
    for (auto _ : state) {
        PushUndo(p);
        state.PauseTiming();
        p.currentBoard()->UndoStack.clear();
        state.ResumeTiming();
    }
    state.counters["elements"] = static_cast<double>(p.currentBoard()->Elements.size());
}
BENCHMARK(BM_PushUndoIntoEmptyHistory)
    ->Name("undo/PushUndoIntoEmptyHistory")
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);

void BM_UndoRedo(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    TProject p = projectOf(count, 50);
    PushUndo(p);
    for (auto _ : state) {
        Undo(p);
        Redo(p);
    }
    state.counters["elements"] = static_cast<double>(p.currentBoard()->Elements.size());
}
BENCHMARK(BM_UndoRedo)->Name("undo/UndoRedo")->Arg(20000)->Unit(benchmark::kMillisecond);

// The clipboard case: every fourth element of the board copied into the clipboard list.
void BM_CopySelection(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    ElementList board = bench::generateBoard(count, kSeed, 40000, 25000);
    for (std::size_t i = 0; i < board.size(); i += 4)
        board[i]->Selected = 1;
    ElementList clip;
    for (auto _ : state) {
        CopyElementList(clip, board, 0, [](const TObjekt& e) { return e.Selected != 0; });
        benchmark::DoNotOptimize(clip.data());
    }
    state.counters["copied"] = static_cast<double>(clip.size());
}
BENCHMARK(BM_CopySelection)->Name("undo/CopySelection")->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

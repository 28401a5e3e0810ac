// Texts and macros on a 20,000-element board: one click of the Text tool with automatic
// numbering (the text placed and the next preview built, undo snapshot included), dropping a
// 40-pin footprint (snapshot, copies, group ids, grouping), and choosing a macro in the panel's
// list (reading the file and the automatic side match).

#include "document/layoutfile.h"
#include "document/project.h"
#include "document/undo.h"
#include "edit/layouttext.h"
#include "edit/macrolibrary.h"
#include "edit/session.h"
#include "generator/boardgen.h"
#include "generator/nullview.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace trevok;
using trevok::bench::NullView;

namespace
{

constexpr std::uint32_t kSeed = 20240601;
constexpr int kWidth = 40000;
constexpr int kHeight = 25000;
constexpr std::size_t kElements = 20000;

void fillProject(TProject& project)
{
    startNewProject(project, 1);
    TBoard& board = *project.currentBoard();
    board.BoardWidth = kWidth;
    board.BoardHeight = kHeight;
    board.Elements = bench::generateBoard(kElements, kSeed, kWidth, kHeight);
}

/// A DIP-40 drawn for side 2: 40 pads in two rows, the outline on the component print.
ElementList dip40()
{
    ElementList list;
    for (int i = 0; i < 40; ++i) {
        const int row = i < 20 ? 0 : 1;
        const int k = row == 0 ? i : 39 - i;
        list.push_back(NewPad({row * 1524, -k * 254}, 80, i == 0 ? 2 : 1, LayerK2, 40));
    }
    auto outline = NewTrack(20, LayerB1);
    outline->Points = {{200, 150}, {1324, 150}, {1324, -4976}, {200, -4976}, {200, 150}};
    list.push_back(std::move(outline));
    return list;
}

void BM_TextToolClick(benchmark::State& state)
{
    TProject project;
    fillProject(project);
    NullView view(kWidth, kHeight);
    EditSession session(project, view, 1);
    session.SetTool(ToolText);
    int n = 0;
    for (auto _ : state) {
        const TPoint at{2540 + (n % 100) * 254, -2540 - (n / 100 % 50) * 254};
        session.mousePress(at, MouseButton::Left, 0);
        session.mouseRelease(at, MouseButton::Left, 0);
        ++n;
    }
    state.counters["elements"] = static_cast<double>(project.currentBoard()->Elements.size());
}
BENCHMARK(BM_TextToolClick)->Unit(benchmark::kMillisecond);

void BM_DropMacro(benchmark::State& state)
{
    TProject project;
    fillProject(project);
    const ElementList macro = dip40();
    ElementList original;
    CopyElementList(original, project.currentBoard()->Elements);
    for (auto _ : state) {
        const EditResult r = DropMacro(project, macro, {10160, -10160});
        benchmark::DoNotOptimize(r);
        state.PauseTiming();
        project.currentBoard()->Elements.clear();
        CopyElementList(project.currentBoard()->Elements, original);
        project.currentBoard()->UndoStack.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DropMacro)->Unit(benchmark::kMillisecond);

void BM_LoadMacroPreview(benchmark::State& state)
{
    const std::string path = (std::filesystem::temp_directory_path() / "trevok_bench_dip40.lmk").string();
    WriteMacroFile(path, dip40(), "DIP-40, 2.54 mm pitch, rows 15.24 mm", "pads 1.6 mm, drill 0.8 mm");
    MacroPreview preview;
    for (auto _ : state) {
        // Side 1 is active, so every load also mirrors and moves the macro to the other side.
        const MacroLoadResult r = preview.LoadMacroPreview(path, LayerK1);
        benchmark::DoNotOptimize(r);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadMacroPreview)->Unit(benchmark::kMicrosecond);

} // namespace

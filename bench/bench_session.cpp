// The editing session on a 20,000-element board: one mouse move while dragging a selection of
// 500 elements (event in, move preview ready for the view), a frame selection of the whole board,
// and the hit test at a point. Drawing is the view's part and is not included.

#include "document/project.h"
#include "edit/session.h"
#include "generator/boardgen.h"
#include "generator/nullview.h"

#include <benchmark/benchmark.h>

#include <cstddef>

using namespace trevok;
using trevok::bench::NullView;

namespace
{

constexpr std::uint32_t kSeed = 20240601;
constexpr int kWidth = 40000;
constexpr int kHeight = 25000;

struct Bench {
    TProject project;
    NullView view{kWidth, kHeight};
    EditSession session{project, view, 1};

    Bench()
    {
        startNewProject(project, 1);
        TBoard& b = *project.currentBoard();
        b.BoardWidth = kWidth;
        b.BoardHeight = kHeight;
        b.Elements = bench::generateBoard(20000, kSeed, kWidth, kHeight);
    }
    ElementList& elements() { return project.currentBoard()->Elements; }
};

/// Selects about 500 elements (whole footprints, so that a click keeps them) and returns a point
/// on a selected pad that the hit test finds.
std::optional<TPoint> selectAbout500(Bench& b)
{
    ElementList& list = b.elements();
    std::size_t n = 0;
    for (std::size_t i = 0; i < list.size() && n < 500; ++i) {
        if (list[i]->Selected)
            continue;
        SelectWithGroup(list, i, true, [&](TObjekt&) { ++n; });
    }
    for (const auto& e : list) {
        if (!e->Selected || e->Kind != KindPad)
            continue;
        const TPoint p{e->X, e->Y};
        const int hit = b.session.HitTest(p, false);
        if (hit >= 0 && list[static_cast<std::size_t>(hit)]->Selected)
            return p;
    }
    return std::nullopt;
}

/// One mouse move of a drag of about 500 elements; with dragTracks the ends of the tracks that
/// lie on their pads follow (the segments stretched by the move are part of the preview).
void dragMove500(benchmark::State& state, bool dragTracks)
{
    Bench b;
    b.session.setDragConnectedTracks(dragTracks);
    const auto at = selectAbout500(b);
    if (!at) {
        state.SkipWithError("no selected pad to grab");
        return;
    }
    b.session.mousePress(*at, MouseButton::Left, 0);
    if (!b.session.state().moving) {
        state.SkipWithError("the press did not start a move");
        return;
    }
    int step = 0;
    for (auto _ : state) {
        // A different grid offset every time, so that every move makes a new preview.
        ++step;
        b.session.mouseMove({at->x + 254 * (step % 20) + 3, at->y - 254 * (step % 7) - 3}, 0);
    }
    state.counters["moved"] = static_cast<double>(b.view.previewElements);
    state.counters["stretched"] = static_cast<double>(b.view.previewShapes);
    b.session.mouseRelease(*at, MouseButton::Left, 0);
}

void BM_DragMove500(benchmark::State& state)
{
    dragMove500(state, false);
}
BENCHMARK(BM_DragMove500)->Name("session/drag_move_500_of_20k")->Unit(benchmark::kMicrosecond);

void BM_DragMove500WithTracks(benchmark::State& state)
{
    dragMove500(state, true);
}
BENCHMARK(BM_DragMove500WithTracks)
    ->Name("session/drag_move_500_of_20k_with_tracks")
    ->Unit(benchmark::kMicrosecond);

void BM_DragPressAndRelease500WithTracks(benchmark::State& state)
{
    // What a drag costs besides its moves: finding the attached ends on the press, and on the
    // release the undo snapshot, the move and the ends.
    Bench b;
    const auto at = selectAbout500(b);
    if (!at) {
        state.SkipWithError("no selected pad to grab");
        return;
    }
    // Back and forth by one grid step, pressing where the pad is now.
    const TObjekt* grabbed = nullptr;
    for (const auto& e : b.elements())
        if (e->Selected && e->X == at->x && e->Y == at->y)
            grabbed = e.get();
    int step = 0;
    for (auto _ : state) {
        const int dx = (++step % 2) ? 254 : -254;
        const TPoint from{grabbed->X, grabbed->Y};
        b.session.mousePress(from, MouseButton::Left, 0);
        b.session.mouseMove({from.x + dx, from.y}, 0);
        b.session.mouseRelease({from.x + dx, from.y}, MouseButton::Left, 0);
        state.PauseTiming();
        b.project.currentBoard()->UndoStack.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DragPressAndRelease500WithTracks)
    ->Name("session/drag_press_release_500_of_20k_with_tracks")
    ->Unit(benchmark::kMillisecond);

void BM_FrameWholeBoard(benchmark::State& state)
{
    Bench b;
    std::size_t selected = 0;
    for (auto _ : state) {
        b.session.mousePress({-50, 50}, MouseButton::Left, 0);
        b.session.mouseMove({kWidth / 2, -kHeight / 2}, 0);
        b.session.mouseRelease({kWidth + 50, -kHeight - 50}, MouseButton::Left, 0);
        state.PauseTiming();
        selected = 0;
        for (auto& e : b.elements()) {
            selected += e->Selected;
            e->Selected = 0;
        }
        state.ResumeTiming();
    }
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(BM_FrameWholeBoard)->Name("session/frame_select_whole_20k")->Unit(benchmark::kMillisecond);

void BM_FrameQuarter(benchmark::State& state)
{
    // A frame whose edges cross many elements: those need their exact outline.
    Bench b;
    std::size_t selected = 0;
    for (auto _ : state) {
        b.session.mousePress({kWidth / 4 + 7, -kHeight / 4 - 7}, MouseButton::Left, ModCtrl);
        b.session.mouseRelease({3 * kWidth / 4 + 7, -3 * kHeight / 4 - 7}, MouseButton::Left, ModCtrl);
        state.PauseTiming();
        selected = 0;
        for (auto& e : b.elements()) {
            selected += e->Selected;
            e->Selected = 0;
        }
        state.ResumeTiming();
    }
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(BM_FrameQuarter)->Name("session/frame_select_middle_quarter_20k")->Unit(benchmark::kMillisecond);

void BM_HitTest(benchmark::State& state)
{
    Bench b;
    const ElementList& list = b.elements();
    // Points on elements (pad centres spread over the list) and on empty board.
    std::vector<TPoint> points;
    for (std::size_t i = 0; i < list.size() && points.size() < 64; i += 311)
        points.push_back({list[i]->X, list[i]->Y});
    points.push_back({kWidth / 2 + 1, -kHeight / 2 - 1});
    std::size_t k = 0;
    int found = 0;
    for (auto _ : state) {
        found += b.session.HitTest(points[k++ % points.size()], false) >= 0;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_HitTest)->Name("session/hit_test_20k")->Unit(benchmark::kMicrosecond);

} // namespace

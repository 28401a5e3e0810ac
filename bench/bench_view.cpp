// The drawing area with a board of 20,000 elements in a 1920 x 1080 view (offscreen): a full
// repaint at "Zoom Platine" and at zoom 1.0, a pan by 50 pixels through the scroll bar, and one
// mouse move while dragging 500 selected elements. Each is timed from the event (or the request)
// to the finished paint of the viewport.
#include "generator/boardgen.h"

#include "document/project.h"
#include "edit/session.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace
{

using namespace trevok;

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;
constexpr std::size_t Dragged = 500;

struct Scene {
    TProject project;
    ViewModel view;
    std::unique_ptr<BoardWidget> widget;
    std::unique_ptr<EditSession> session;

    Scene()
    {
        TBoard& b = NewBoard(project, "Bench");
        b.Elements = bench::generateBoard(20000, 1, b.BoardWidth, b.BoardHeight);
        widget = std::make_unique<BoardWidget>(project, view);
        session = std::make_unique<EditSession>(project, *widget, 1);
        widget->setSession(session.get());
        widget->resize(ViewWidth, ViewHeight);
        widget->show();
        // Make the viewport itself 1920 x 1080 (the scroll bars take their share of the widget).
        const QSize missing = QSize(ViewWidth, ViewHeight) - widget->viewport()->size();
        widget->resize(widget->size() + missing);
        QApplication::processEvents();
        widget->boardSwitched();
    }

    TBoard& board() { return *project.currentBoard(); }
    void paintNow() { widget->viewport()->repaint(); }
    void zoomBoard() { view.zoomBoard(); }
    void zoomOne()
    {
        view.SetZoom(1.0);
        view.CentreOn(board().BoardWidth / 2, board().BoardHeight / 2);
    }
};

// Made on first use and freed by main while the application object still exists: a widget
// destroyed after QApplication takes the program down at exit.
std::unique_ptr<Scene> gScene;

Scene& scene()
{
    if (!gScene)
        gScene = std::make_unique<Scene>();
    return *gScene;
}

void BM_ViewFullRepaint(benchmark::State& state, bool wholeBoard)
{
    Scene& s = scene();
    wholeBoard ? s.zoomBoard() : s.zoomOne();
    s.paintNow();
    for (auto _ : state) {
        s.widget->repaintAll();
        s.paintNow();
    }
    state.counters["zoom"] = s.view.zoom();
    state.counters["viewport_w"] = s.widget->viewport()->width();
}

void BM_ViewPan50(benchmark::State& state)
{
    Scene& s = scene();
    s.zoomOne();
    QScrollBar* bar = s.widget->horizontalScrollBar();
    bar->setValue(0);
    s.paintNow();
    int direction = 50;
    for (auto _ : state) {
        if (bar->value() + direction > bar->maximum() || bar->value() + direction < 0)
            direction = -direction;
        bar->setValue(bar->value() + direction);
        s.paintNow();
    }
}

void BM_ViewDragMove(benchmark::State& state)
{
    Scene& s = scene();
    s.zoomBoard();
    TBoard& b = s.board();
    // The 500 elements nearest the middle of the board are selected, as a block would be.
    const double cx = b.BoardWidth / 2.0;
    const double cy = -b.BoardHeight / 2.0;
    std::vector<std::size_t> order(b.Elements.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto distance = [&](std::size_t i) {
        const TRect r = Bounds(*b.Elements[i]);
        return std::hypot((r.left + r.right) / 2.0 - cx, (r.top + r.bottom) / 2.0 - cy);
    };
    std::partial_sort(order.begin(), order.begin() + Dragged, order.end(),
                      [&](std::size_t x, std::size_t y) { return distance(x) < distance(y); });
    for (auto& e : b.Elements)
        e->Selected = 0;
    for (std::size_t k = 0; k < Dragged; ++k)
        b.Elements[order[k]]->Selected = 1;
    s.widget->invalidateAll();
    s.paintNow();

    // Press on the pad nearest the middle, which is selected.
    const TObjekt* grip = nullptr;
    for (std::size_t k = 0; k < Dragged && !grip; ++k)
        if (b.Elements[order[k]]->Kind == KindPad)
            grip = b.Elements[order[k]].get();
    const QPointF at = s.view.viewportPixelOf(grip ? grip->X : cx, grip ? grip->Y : cy);
    const QPoint press(RoundHalfEven(at.x()), RoundHalfEven(at.y()));
    // What the press hits there (the topmost element) must be part of the selection, or the
    // press would select that element's footprint instead.
    const QPointF pressed = s.view.boardPointAt(press);
    const int hit = s.session->HitTest({RoundHalfEven(pressed.x()), RoundHalfEven(pressed.y())}, false);
    if (hit >= 0)
        b.Elements[static_cast<std::size_t>(hit)]->Selected = 1;
    QWidget* vp = s.widget->viewport();
    auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(pos), vp->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    };
    send(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        // Back and forth over 40 pixels, so that every move changes the offset.
        step = (step + 1) % 40;
        const int dx = step < 20 ? step : 40 - step;
        send(QEvent::MouseMove, press + QPoint(dx * 3, dx), Qt::NoButton, Qt::LeftButton);
        s.paintNow();
    }
    const Preview* move = s.widget->preview(PreviewKind::Move);
    state.counters["dragged"] = move ? static_cast<double>(move->elements.size()) : 0.0;
    send(QEvent::MouseButtonRelease, press, Qt::LeftButton, Qt::NoButton);
}

void BM_ViewFull_WholeBoard(benchmark::State& s)
{
    BM_ViewFullRepaint(s, true);
}
void BM_ViewFull_Zoom1(benchmark::State& s)
{
    BM_ViewFullRepaint(s, false);
}

BENCHMARK(BM_ViewFull_WholeBoard)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ViewFull_Zoom1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ViewPan50)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_ViewDragMove)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gScene.reset();
    return 0;
}

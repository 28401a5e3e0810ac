#include "routing/autorouter.h"

#include "document/undo.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <algorithm>
#include <array>

namespace trevok
{

namespace
{

/// Cell sizes are whole multiples of this many board units (0.1 mm), so that a cell is a whole
/// number of router units.
constexpr std::int32_t CellSizeStep = 10;
static_assert(CellSizeStep % BoardUnitsPerRouterUnit == 0);
/// The smallest cell, in board units.
constexpr std::int32_t MinCellSize = 40;
/// How far a colliding segment of a new track is moved sideways at most: this many steps of half
/// the clearance, to either side.
constexpr int MaxRepairSteps = 10;

/// The outline the router uses: round pad shapes count as the octagon of the same size.
Region RouterRegion(const TObjekt& e)
{
    if (e.Kind == KindPad &&
        (e.Shape == ShapeRound || e.Shape == ShapeRoundedWide || e.Shape == ShapeRoundedTall)) {
        TObjekt octagon = e;
        octagon.Connections.clear();
        octagon.Shape = static_cast<std::uint8_t>(e.Shape + 1);
        return ToRouterSpace(ElementRegion(octagon));
    }
    return ToRouterSpace(ElementRegion(e));
}

std::int32_t roundDiv(std::int64_t a, std::int64_t b) noexcept
{
    return RoundHalfEven(static_cast<double>(a) / static_cast<double>(b));
}

TPoint cellCentre(int i, int j, std::int32_t s) noexcept
{
    return {i * s + s / 2, -(j * s) - s / 2};
}

CellPos cellOf(TPoint p, std::int32_t s) noexcept
{
    return {roundDiv(std::int64_t{p.x} - s / 2, s), -roundDiv(std::int64_t{p.y} + s / 2, s)};
}

struct Direction {
    int di;
    int dj;
    int code;
};
// The walk's order of preference; "up" is row - 1, towards larger y.
constexpr std::array<Direction, 8> WalkOrder = {
    {{-1, 0, 6}, {-1, -1, 7}, {0, -1, 0}, {1, -1, 1}, {1, 0, 2}, {1, 1, 3}, {0, 1, 4}, {-1, 1, 5}}};

/// The first node leaving B must not lie behind B in the direction of travel.
void pullFromB(TPoint& p, TPoint b, int dir) noexcept
{
    const bool up = dir == 0 || dir == 1 || dir == 7;
    const bool down = dir == 3 || dir == 4 || dir == 5;
    const bool right = dir == 1 || dir == 2 || dir == 3;
    const bool left = dir == 5 || dir == 6 || dir == 7;
    if (up)
        p.y = std::max(p.y, b.y);
    if (down)
        p.y = std::min(p.y, b.y);
    if (right)
        p.x = std::max(p.x, b.x);
    if (left)
        p.x = std::min(p.x, b.x);
}

/// The last node arriving at A must not lie beyond A in the direction of travel.
void pullToA(TPoint& p, TPoint a, int dir) noexcept
{
    const bool up = dir == 0 || dir == 1 || dir == 7;
    const bool down = dir == 3 || dir == 4 || dir == 5;
    const bool right = dir == 1 || dir == 2 || dir == 3;
    const bool left = dir == 5 || dir == 6 || dir == 7;
    if (up)
        p.y = std::min(p.y, a.y);
    if (down)
        p.y = std::max(p.y, a.y);
    if (right)
        p.x = std::min(p.x, a.x);
    if (left)
        p.x = std::max(p.x, a.x);
}

enum class SegmentClass { Horizontal, Vertical, Rising, Falling };

SegmentClass classOf(TPoint p, TPoint q) noexcept
{
    if (p.y == q.y)
        return SegmentClass::Horizontal;
    if (p.x == q.x)
        return SegmentClass::Vertical;
    return ((q.x > p.x) == (q.y > p.y)) ? SegmentClass::Rising : SegmentClass::Falling;
}

/// The segment nodes[k]-nodes[k+1] moved sideways by a, its neighbours keeping their directions.
std::pair<TPoint, TPoint> movedSegment(const std::vector<TPoint>& n, std::size_t k, std::int32_t a) noexcept
{
    TPoint p = n[k];
    TPoint q = n[k + 1];
    const SegmentClass before = classOf(n[k - 1], n[k]);
    const SegmentClass after = classOf(n[k + 1], n[k + 2]);
    // How a node follows when its other segment is rising or falling (for a straight segment)
    // or horizontal or vertical (for a diagonal one).
    auto follow = [&](TPoint& t, SegmentClass neighbour, SegmentClass self) {
        switch (self) {
        case SegmentClass::Horizontal:
            if (neighbour == SegmentClass::Rising)
                t.x += a;
            else if (neighbour == SegmentClass::Falling)
                t.x -= a;
            break;
        case SegmentClass::Vertical:
            if (neighbour == SegmentClass::Rising)
                t.y += a;
            else if (neighbour == SegmentClass::Falling)
                t.y -= a;
            break;
        case SegmentClass::Rising:
            if (neighbour == SegmentClass::Horizontal)
                t.x -= a;
            else if (neighbour == SegmentClass::Vertical)
                t.y += a;
            break;
        case SegmentClass::Falling:
            if (neighbour == SegmentClass::Horizontal)
                t.x += a;
            else if (neighbour == SegmentClass::Vertical)
                t.y += a;
            break;
        }
    };
    const SegmentClass self = classOf(p, q);
    if (self == SegmentClass::Horizontal) {
        p.y += a;
        q.y += a;
    } else if (self == SegmentClass::Vertical) {
        p.x += a;
        q.x += a;
    }
    follow(p, before, self);
    follow(q, after, self);
    return {p, q};
}

} // namespace

RouterValues RouterValues::from(const RouterSettings& settings) noexcept
{
    RouterValues v;
    v.clearance = RoundHalfEven(settings.clearanceMm * 100.0);
    v.width = RoundHalfEven(settings.widthMm * 100.0);
    v.cell =
        std::max(MinCellSize, RoundHalfEven((v.width + 2.0 * v.clearance) / CellSizeStep) * CellSizeStep);
    return v;
}

std::string RouterText(RouterMessage message, int language)
{
    static const char* const texts[][3] = {
        {"Bereit", "Ready", "Prêt"},
        {"Analysiere...", "Analyzing...", "Analyse..."},
        {"Kein Weg gefunden", "Not found", "Non trouvé"},
        {"Erfolgreich", "Successful", "Routage OK"},
        {"Autoroute aufgelöst", "Autoroute resolved", "Routage annulé"},
    };
    const int l = language >= 0 && language <= 2 ? language : 1;
    return texts[static_cast<int>(message)][l];
}

std::string RouterWindowText(const CellRect& w, std::int32_t s)
{
    auto mm = [&](int cell) { return std::to_string(roundDiv(std::int64_t{cell} * s, 100)); };
    return mm(w.left) + "/" + mm(w.top) + " " + mm(w.right) + "/" + mm(w.bottom);
}

std::uint8_t RouteLayer(const TBoard& board) noexcept
{
    // A copper connection belongs on copper: the print layers route on their side's copper.
    if (board.ActiveLayer == LayerB1)
        return LayerK1;
    if (board.ActiveLayer == LayerB2)
        return LayerK2;
    return board.ActiveLayer;
}

std::vector<TPoint> BuildTrackNodes(const RouterGrid& grid, CellPos start, CellPos end, TPoint a, TPoint b,
                                    std::int32_t s)
{
    std::vector<TPoint> nodes{b};
    int i = end.i;
    int j = end.j;
    int previous = -1;
    // Every reached cell has a reached neighbour of lower cost, so the walk ends; the bound only
    // guards against a grid that was not made by the search.
    for (std::size_t guard = grid.cells().size(); guard > 0; --guard) {
        if ((i == start.i && j == start.j) || grid.at(i, j) == 0)
            break;
        const Direction* best = nullptr;
        std::int32_t bestValue = 0;
        for (const Direction& d : WalkOrder) {
            const int x = i + d.di;
            const int y = j + d.dj;
            if (!grid.inside(x, y))
                continue;
            const std::int32_t v = grid.at(x, y);
            if (v >= 0 && (!best || v < bestValue)) {
                best = &d;
                bestValue = v;
            }
        }
        if (!best)
            break;
        if (best->code != previous) {
            TPoint p = cellCentre(i, j, s);
            if (previous < 0)
                pullFromB(p, b, best->code);
            nodes.push_back(p);
            previous = best->code;
        }
        i += best->di;
        j += best->dj;
    }
    // With both pads in one cell there is no step to pull along: the track joins them directly.
    if (previous >= 0) {
        TPoint p = cellCentre(i, j, s);
        pullToA(p, a, previous);
        nodes.push_back(p);
    }
    nodes.push_back(a);
    return nodes;
}

bool RepairTrack(std::vector<TPoint>& nodes, std::int32_t clearance,
                 const std::function<bool(TPoint, TPoint)>& free)
{
    if (nodes.size() < 3)
        return true;                           // only the first segment, which is not tested
    const std::size_t last = nodes.size() - 2; // the segment into A starts here
    const std::int32_t h = clearance / 2;
    for (std::size_t k = 1; k <= last; ++k) {
        if (free(nodes[k], nodes[k + 1]))
            continue;
        if (k == last)
            return false;
        int found = 0;
        for (int step = 1; step <= MaxRepairSteps && found == 0; ++step) {
            const auto [p, q] = movedSegment(nodes, k, step * h);
            if (free(p, q))
                found = step;
        }
        for (int step = 1; step <= MaxRepairSteps; ++step) {
            const auto [p, q] = movedSegment(nodes, k, -step * h);
            if (free(p, q)) {
                found = -step;
                break;
            }
        }
        if (found == 0)
            return false;
        const auto [p, q] = movedSegment(nodes, k, found * h);
        nodes[k] = p;
        nodes[k + 1] = q;
    }
    return true;
}

RouteOutcome RouteConnection(TProject& project, const RouteOptions& o)
{
    RouteOutcome out;
    TBoard* board = project.currentBoard();
    if (!board)
        return out;
    ElementList& list = board->Elements;
    TObjekt* a = nullptr;
    TObjekt* b = nullptr;
    for (const auto& e : list) {
        if (!e->isPadLike() || !e->Selected)
            continue;
        for (TObjekt* q : e->Connections)
            if (q && q->Selected) {
                b = q;
                break;
            }
        if (b) {
            a = e.get();
            break;
        }
    }
    if (!a)
        return out;
    out.start = a;
    out.end = b;
    out.result = RouteOutcome::NotFound;
    RouteProgress none;
    RouteProgress& progress = o.progress ? *o.progress : none;
    progress.status(RouterText(RouterMessage::Analyzing, o.language));

    const RouterValues v = RouterValues::from(o.settings);
    const std::int32_t s = v.cell;
    const std::int64_t g = s / BoardUnitsPerRouterUnit;
    const std::uint8_t layer = RouteLayer(*board);

    // The nets of both pads on the route's layer are what the track may touch.
    // A track ends at the pads' centres; where no copper of a pad's net lies under its centre
    // on this layer (an SMD pad of the other side, a pad without twin), it would join nothing.
    NetTracer tracer(*board);
    std::vector<Region> cut;
    bool bothReached = true;
    for (const TObjekt* pad : {a, b}) {
        bool reached = false;
        for (std::size_t i : tracer.net(static_cast<std::size_t>(tracer.indexOf(pad)))) {
            if (list[i]->Layer != layer)
                continue;
            cut.push_back(RouterRegion(*list[i]));
            reached = reached || ElementRegion(*list[i]).contains(pad->X, pad->Y);
        }
        bothReached = bothReached && reached;
    }
    RouterObstacles obstacles;
    for (const auto& e : list) {
        if (e->Layer == layer) {
            if (!(e->Kind == KindArea && e->Restricted))
                obstacles.add(RouterRegion(*e));
        } else if (e->Kind == KindPad && e.get() != a && e.get() != b) {
            // The hole of a pad on the other side passes through the board.
            const std::int64_t r = e->Size2;
            obstacles.add(ToRouterSpace(Region::rectangle(e->X - r, e->Y - r, e->X + r, e->Y + r)));
        }
    }
    obstacles.subtract(cut);
    obstacles.finish();
    for (auto& e : list)
        e->Selected = 0;

    const int imax = roundDiv(board->BoardWidth, s) - 1;
    const int jmax = roundDiv(board->BoardHeight, s) - 1;
    auto grid = std::make_unique<RouterGrid>(std::max(imax, 0), std::max(jmax, 0));
    const CellPos sa = cellOf({a->X, a->Y}, s);
    const CellPos sb = cellOf({b->X, b->Y}, s);
    auto onBoard = [&](CellPos c) { return c.i >= 0 && c.j >= 0 && c.i <= imax && c.j <= jmax; };
    bool found = false;
    std::vector<TPoint> nodes;
    if (bothReached && imax >= 2 && jmax >= 2 && onBoard(sa) && onBoard(sb)) {
        TRect all = Bounds(*list.front());
        for (const auto& e : list)
            all = all.united(Bounds(*e));
        auto cellX = [&](std::int64_t x) { return roundDiv(x, s); };
        CellRect maxWindow{
            std::min(cellX(all.left), cellX(all.right)), std::min(cellX(-all.top), cellX(-all.bottom)),
            std::max(cellX(all.left), cellX(all.right)), std::max(cellX(-all.top), cellX(-all.bottom))};
        // Windows reach one block past the elements at most (and never past the board).
        constexpr int step = CoarseBlockCells;
        maxWindow = {std::max(maxWindow.left - step, 0), std::max(maxWindow.top - step, 0),
                     std::min(maxWindow.right + step, imax), std::min(maxWindow.bottom + step, jmax)};
        CellRect w{std::min(sa.i, sb.i), std::min(sa.j, sb.j), std::max(sa.i, sb.i), std::max(sa.j, sb.j)};
        // The first window: the blocks holding both pads and one block more on every side.
        w = {w.left / step * step - step, w.top / step * step - step, w.right / step * step + step,
             w.bottom / step * step + step};
        const RingSearch search = o.search ? o.search : RingSearch(SearchRings);
        for (;;) {
            w = {std::max(w.left, maxWindow.left), std::max(w.top, maxWindow.top),
                 std::min(w.right, maxWindow.right), std::min(w.bottom, maxWindow.bottom)};
            const bool last = w == maxWindow;
            const TRect shown{std::int64_t{w.left} * s, -std::int64_t{w.bottom} * s,
                              std::int64_t{w.right} * s, -std::int64_t{w.top} * s};
            progress.window(shown, true);
            progress.status(RouterWindowText(w, s));
            out.windows.push_back(w);
            ClassifyWindow(*grid, obstacles, w, g);
            found = search(*grid, sa, sb);
            progress.window(shown, false);
            if (found || last)
                break;
            w = {w.left - step, w.top - step, w.right + step, w.bottom + step};
        }
        if (found) {
            nodes = BuildTrackNodes(*grid, sa, sb, {a->X, a->Y}, {b->X, b->Y}, s);
            const std::int32_t testWidth = v.width + 2 * v.clearance;
            found = RepairTrack(nodes, v.clearance, [&](TPoint p, TPoint q) {
                auto probe = NewTrack(testWidth, layer);
                AddPoint(*probe, p);
                AddPoint(*probe, q);
                return !obstacles.touches(ToRouterSpace(ElementRegion(*probe)));
            });
        }
    }

    if (found) {
        PushUndo(project);
        auto track = NewTrack(o.currentWidth, layer);
        track->Width = v.width;
        track->Clearance = o.trackClearance;
        for (TPoint p : nodes)
            AddPoint(*track, p);
        track->Autorouted = 1;
        track->RouteStart = a;
        track->RouteEnd = b;
        track->Selected = 1;
        RemoveConnection(*a, *b);
        out.track = track.get();
        list.push_back(std::move(track));
        out.result = RouteOutcome::Routed;
        progress.status(RouterText(RouterMessage::Successful, o.language));
    } else {
        progress.status(RouterText(RouterMessage::NotFound, o.language));
    }
    a->Selected = 1;
    b->Selected = 1;
    if (o.keepGrid)
        out.grid = std::move(grid);
    return out;
}

void ResolveRouteTrack(ElementList& list, std::size_t index)
{
    if (index >= list.size())
        return;
    TObjekt& track = *list[index];
    if (track.Kind != KindTrack || !track.Autorouted)
        return;
    auto onBoard = [&](const TObjekt* p) {
        return p && std::any_of(list.begin(), list.end(), [p](const auto& e) { return e.get() == p; });
    };
    if (!onBoard(track.RouteStart) || !onBoard(track.RouteEnd)) {
        track.Autorouted = 0;
        track.RouteStart = nullptr;
        track.RouteEnd = nullptr;
        return;
    }
    AddConnection(*track.RouteStart, *track.RouteEnd);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

bool ResolveRoute(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return false;
    ElementList& list = board->Elements;
    const auto it = std::find_if(list.begin(), list.end(), [](const auto& e) {
        return e->Kind == KindTrack && e->Autorouted && e->Selected;
    });
    if (it == list.end())
        return false;
    PushUndo(project);
    ResolveRouteTrack(list, static_cast<std::size_t>(it - list.begin()));
    return true;
}

} // namespace trevok

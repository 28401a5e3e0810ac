// The autorouter: the fast wave against the plain ring procedure, the track builder, the
// repair pass, routing and resolving on boards.
#include "edit/edittestboard.h"
#include "routing/autorouter.h"
#include "routing/connections.h"
#include "routing/literalsearch.h"
#include "routing/nettrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

using namespace trevok;
using namespace trevok::testing;

namespace
{

/// A random board: pads and tracks on K1, a few pads with holes on K2, and one connection
/// between two pads on K1 (the first two elements).
TProject randomBoard(unsigned seed)
{
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TProject p = oneBoardProject();
    TBoard& b = *p.currentBoard();
    b.BoardWidth = uni(15, 40) * 100;
    b.BoardHeight = uni(15, 40) * 100;
    b.ActiveLayer = LayerK1;
    auto randomPoint = [&]() { return TPoint{uni(100, b.BoardWidth - 100), -uni(100, b.BoardHeight - 100)}; };
    TObjekt& a = add(p, NewPad(randomPoint(), 80, static_cast<std::uint8_t>(uni(1, 3)), LayerK1, 40));
    TObjekt& c = add(p, NewSmdPad(randomPoint(), uni(60, 200), LayerK1, uni(60, 200)));
    connect(a, c);
    a.Selected = c.Selected = 1;
    const int obstacles = uni(0, 12);
    for (int k = 0; k < obstacles; ++k) {
        if (uni(0, 2) == 0) {
            add(p, NewPad(randomPoint(), uni(50, 150), ShapeRound,
                          static_cast<std::uint8_t>(uni(0, 3) ? 1 : 3), 40));
        } else {
            auto t = NewTrack(uni(20, 80), LayerK1);
            const TPoint s = randomPoint();
            AddPoint(*t, s);
            AddPoint(*t, uni(0, 1) ? TPoint{randomPoint().x, s.y} : TPoint{s.x, randomPoint().y});
            add(p, std::move(t));
        }
        boardOf(p).Elements.back()->Clearance = 40;
    }
    return p;
}

std::vector<TPoint> trackNodes(const RouteOutcome& r)
{
    return r.track ? r.track->Points : std::vector<TPoint>{};
}

} // namespace

TEST(RouterSearch, FastWaveGivesTheValuesOfTheRingProcedure)
{
    std::mt19937 rng(7);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 120; ++round) {
        const int imax = uni(3, 40);
        const int jmax = uni(3, 40);
        RouterGrid grid(imax, jmax);
        const int blocked = uni(0, 45);
        for (int i = 0; i <= imax; ++i)
            for (int j = 0; j <= jmax; ++j)
                grid.at(i, j) =
                    uni(0, 99) < blocked ? CellBlocked : (uni(0, 9) == 0 ? CellUnclassified : CellFree);
        const CellPos s{uni(0, imax), uni(0, jmax)};
        const CellPos e = round % 10 == 0 ? s : CellPos{uni(0, imax), uni(0, jmax)}; // also one cell
        RouterGrid literal = grid;
        const bool fast = SearchRings(grid, s, e);
        ASSERT_EQ(fast, literalSearch(literal, s, e)) << "round " << round;
        ASSERT_EQ(grid.cells(), literal.cells()) << "round " << round;
        // A grown window frees more cells; what was reached stays and the wave goes on from it.
        for (int i = 0; i <= imax; ++i)
            for (int j = 0; j <= jmax; ++j)
                if (grid.at(i, j) == CellUnclassified)
                    grid.at(i, j) = literal.at(i, j) = CellFree;
        ASSERT_EQ(SearchRings(grid, s, e), literalSearch(literal, s, e)) << "round " << round;
        ASSERT_EQ(grid.cells(), literal.cells()) << "round " << round;
    }
}

TEST(Autorouter, RoutesOnRandomBoardsAsTheRingProcedureDoes)
{
    int routed = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        TProject fastProject = randomBoard(seed);
        TProject literalProject = randomBoard(seed);
        RouteOptions o;
        o.keepGrid = true;
        const RouteOutcome fast = RouteConnection(fastProject, o);
        o.search = literalSearch;
        const RouteOutcome literal = RouteConnection(literalProject, o);
        ASSERT_EQ(fast.result, literal.result) << "seed " << seed;
        ASSERT_EQ(fast.windows, literal.windows) << "seed " << seed;
        ASSERT_TRUE(fast.grid && literal.grid);
        ASSERT_EQ(fast.grid->cells(), literal.grid->cells()) << "seed " << seed;
        ASSERT_EQ(trackNodes(fast), trackNodes(literal)) << "seed " << seed;

        // No route ever enters the outermost cells (the start cell aside).
        const RouterGrid& g = *fast.grid;
        const std::int32_t s = RouterValues::from(o.settings).cell;
        const CellPos start{RoundHalfEven((fast.start->X - s / 2) / double(s)),
                            -RoundHalfEven((fast.start->Y + s / 2) / double(s))};
        for (int i = 0; i <= g.imax(); ++i)
            for (int j = 0; j <= g.jmax(); ++j)
                if ((i == 0 || j == 0 || i == g.imax() || j == g.jmax()) && !(CellPos{i, j} == start))
                    ASSERT_LT(g.at(i, j), 0) << "seed " << seed;

        TBoard& b = *fastProject.currentBoard();
        if (fast.result != RouteOutcome::Routed) {
            EXPECT_TRUE(b.UndoStack.empty());
            EXPECT_TRUE(AreConnected(*fast.start, *fast.end));
            continue;
        }
        ++routed;
        const std::vector<TPoint>& n = fast.track->Points;
        EXPECT_EQ(n.front(), (TPoint{fast.end->X, fast.end->Y}));
        EXPECT_EQ(n.back(), (TPoint{fast.start->X, fast.start->Y}));
        for (std::size_t k = 2; k + 3 < n.size(); ++k) { // between the pulled end nodes
            const auto dx = std::abs(n[k + 1].x - n[k].x);
            const auto dy = std::abs(n[k + 1].y - n[k].y);
            EXPECT_TRUE(dx == 0 || dy == 0 || dx == dy) << "seed " << seed;
        }
        EXPECT_FALSE(AreConnected(*fast.start, *fast.end));
        EXPECT_EQ(b.UndoStack.size(), 1u);
        // The track joins the nets of the two pads and nothing else.
        TProject pristine = randomBoard(seed);
        NetTracer old(*pristine.currentBoard());
        std::set<std::size_t> expected;
        for (std::size_t k : {std::size_t{0}, std::size_t{1}})
            for (std::size_t m : old.net(k))
                expected.insert(m);
        expected.insert(b.Elements.size() - 1);
        NetTracer now(b);
        const auto net = now.net(b.Elements.size() - 1);
        EXPECT_EQ(std::set<std::size_t>(net.begin(), net.end()), expected) << "seed " << seed;
    }
    EXPECT_GT(routed, 20);
}

TEST(Autorouter, ATrackLaidEarlierForTheSamePadBlocksNoCellAlongIt)
{
    // Cutting the pads' nets out of the obstacles left slivers along the diagonal of the track
    // routed first from pad A; they blocked the cells along the pad's own copper.
    for (const unsigned seed : {55u, 145u}) {
        TProject p = randomBoard(seed);
        TBoard& b = *p.currentBoard();
        std::mt19937 rng(seed * 7);
        auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        TObjekt& a = *b.Elements[0];
        TObjekt& c = *b.Elements[1];
        TObjekt& d = add(p, NewPad({uni(100, b.BoardWidth - 100), -uni(100, b.BoardHeight - 100)}, 80,
                                   static_cast<std::uint8_t>(uni(1, 3)), LayerK1, 40));
        connect(a, d);
        c.Selected = 0;
        d.Selected = 1;
        RouteOptions o;
        const RouteOutcome first = RouteConnection(p, o);
        ASSERT_EQ(first.result, RouteOutcome::Routed) << "seed " << seed;
        const std::vector<TPoint> earlier = first.track->Points;
        for (auto& e : b.Elements)
            e->Selected = 0;
        a.Selected = c.Selected = 1;
        o.keepGrid = true;
        const RouteOutcome second = RouteConnection(p, o);
        ASSERT_TRUE(second.grid);
        const std::int64_t g = RoundHalfEven(RouterValues::from(o.settings).cell * 0.2);
        // Every cell over the middle of the earlier track's segments that nothing foreign touches.
        for (std::size_t k = 1; k + 2 < earlier.size(); ++k)
            for (int t = 2; t <= 8; ++t) {
                const TPoint q{earlier[k].x + (earlier[k + 1].x - earlier[k].x) * t / 10,
                               earlier[k].y + (earlier[k + 1].y - earlier[k].y) * t / 10};
                const int i = static_cast<int>(ToRouterX(q.x) / g);
                const int j = static_cast<int>(ToRouterY(q.y) / g);
                // The cell in board units, and 1 mm around it.
                const TRect near{i * g * 5 - 100, -(j + 1) * g * 5 - 100, (i + 1) * g * 5 + 100,
                                 -j * g * 5 + 100};
                bool foreign = false;
                for (const auto& e : b.Elements)
                    if (e->Layer == LayerK1 && e.get() != first.track && e.get() != &a && e.get() != &d &&
                        e.get() != second.track && Bounds(*e).intersects(near))
                        foreign = true;
                if (!foreign && second.grid->inside(i, j))
                    EXPECT_NE(second.grid->at(i, j), CellBlocked)
                        << "seed " << seed << " cell " << i << "," << j;
            }
    }
}

TEST(Autorouter, CellSizeAndSidewaysStep)
{
    EXPECT_EQ(RouterValues::from({0.1, 0.1}).cell, 40); // 30 raised
    EXPECT_EQ(RouterValues::from({0.4, 0.2}).cell, 80);
    EXPECT_EQ(RouterValues::from({0.5, 0.3}).cell, 110);
    EXPECT_EQ(RouterWindowText({0, 10, 30, 40}, 80), "0/8 24/32");

    // A vertical middle segment that collides is tried at +h, +2h, ..., then -h, ...
    for (const auto& [clearance, step] : {std::pair{10, 5}, std::pair{20, 10}}) {
        std::vector<TPoint> nodes{{0, 0}, {100, 0}, {100, -500}, {300, -500}};
        std::vector<int> tried;
        const bool ok = RepairTrack(nodes, clearance, [&](TPoint p, TPoint q) {
            if (p.x == q.x && p.y != q.y) {
                tried.push_back(p.x - 100);
                return p.x == 100 - 3 * step || p.x == 100 + 2 * step;
            }
            return true;
        });
        EXPECT_TRUE(ok);
        ASSERT_GE(tried.size(), 2u);
        EXPECT_EQ(tried[1], step);
        // The negative side wins when both sides have room.
        EXPECT_EQ(nodes[1], (TPoint{100 - 3 * step, 0}));
        EXPECT_EQ(nodes[2], (TPoint{100 - 3 * step, -500}));
    }

    // A collision on the last segment fails even where a move would free it.
    std::vector<TPoint> nodes{{0, 0}, {100, 0}, {100, -500}};
    EXPECT_FALSE(RepairTrack(nodes, 20, [](TPoint p, TPoint) { return p.x != 100; }));
    // The first segment is never tested.
    nodes = {{0, 0}, {100, 0}, {100, -500}};
    EXPECT_TRUE(RepairTrack(nodes, 20, [](TPoint p, TPoint) { return p.x != 0; }));
}

TEST(Autorouter, RouteAroundAWallAndResolve)
{
    TProject p = oneBoardProject();
    TBoard& b = boardOf(p);
    b.BoardWidth = 4000;
    b.BoardHeight = 3000;
    b.ActiveLayer = LayerK1;
    TObjekt& a = addPad(p, {800, -1500}, LayerK1, true);
    TObjekt& c = addPad(p, {3200, -1500}, LayerK1, true);
    addTrack(p, {{2000, -400}, {2000, -2600}}, LayerK1); // a wall between them
    connect(a, c);
    RouteOptions o;
    const RouteOutcome r = RouteConnection(p, o);
    ASSERT_EQ(r.result, RouteOutcome::Routed);
    EXPECT_EQ(r.start, &a);
    EXPECT_TRUE(r.track->Autorouted && r.track->RouteStart == &a && r.track->RouteEnd == &c);
    EXPECT_EQ(r.track->Width, 40);
    EXPECT_GT(r.track->Points.size(), 3u); // around the wall, not through it
    EXPECT_TRUE(a.Selected && c.Selected && r.track->Selected);

    // Resolving takes the track back into the connection, as one undo step.
    for (auto& e : b.Elements)
        e->Selected = 0;
    b.Elements.back()->Selected = 1;
    ASSERT_TRUE(ResolveRoute(p));
    EXPECT_EQ(b.Elements.size(), 3u);
    EXPECT_TRUE(AreConnected(a, c) && AreConnected(c, a));
    EXPECT_EQ(b.UndoStack.size(), 2u);
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(boardOf(p).Elements.size(), 4u);
    EXPECT_FALSE(ResolveRoute(p)); // undo deselects: nothing to resolve

    // A track whose pad was deleted stays as an ordinary track.
    TBoard& u = boardOf(p);
    TObjekt& track = *u.Elements.back();
    track.Selected = 1;
    u.Elements.erase(u.Elements.begin()); // pad a
    track.RouteStart = nullptr;           // as Delete leaves it
    ASSERT_TRUE(ResolveRoute(p));
    EXPECT_EQ(u.Elements.size(), 3u);
    EXPECT_FALSE(track.Autorouted);

    // A wall from edge to edge leaves no way: nothing changes and no step is left.
    TProject q = oneBoardProject();
    boardOf(q).BoardWidth = 4000;
    boardOf(q).BoardHeight = 3000;
    boardOf(q).ActiveLayer = LayerK2; // routes on K2
    TObjekt& x = addPad(q, {800, -1500}, LayerK2, true);
    TObjekt& y = addPad(q, {3200, -1500}, LayerK2, true);
    addTrack(q, {{2000, 0}, {2000, -3000}}, LayerK2);
    connect(x, y);
    const RouteOutcome none = RouteConnection(q, o);
    EXPECT_EQ(none.result, RouteOutcome::NotFound);
    EXPECT_EQ(boardOf(q).Elements.size(), 3u);
    EXPECT_TRUE(boardOf(q).UndoStack.empty());
    EXPECT_TRUE(AreConnected(x, y));
    EXPECT_EQ(none.windows.back(), (CellRect{0, 0, 49, 37})); // the last try was the whole board
}

TEST(Autorouter, BothPadsInOneCellAreJoinedDirectly)
{
    TProject p = oneBoardProject();
    boardOf(p).ActiveLayer = LayerK1;
    TObjekt& a = add(p, NewSmdPad({2010, -2010}, 20, LayerK1, 20), true);
    TObjekt& b = add(p, NewSmdPad({2030, -2030}, 20, LayerK1, 20), true);
    connect(a, b);
    const RouteOutcome r = RouteConnection(p, RouteOptions{});
    ASSERT_EQ(r.result, RouteOutcome::Routed);
    EXPECT_EQ(r.track->Points, (std::vector<TPoint>{{2030, -2030}, {2010, -2010}}));
}

TEST(Autorouter, PadWithoutCopperOnTheRouteLayerIsNotFound)
{
    // Which pads are made (layer, SMD or through-hole with a twin on the other side) and where the
    // route runs; a pad with no copper of its own net under its centre on that layer cannot be
    // joined, and the route must not claim it was.
    struct Case {
        const char* name;
        std::uint8_t padLayer;
        bool smd;
        bool twinned;
        std::uint8_t activeLayer;
        bool routed;
    };
    const Case cases[] = {
        {"K2 SMD pads routed on K1", LayerK2, true, false, LayerK1, false},
        {"K1 SMD pads routed on K2", LayerK1, true, false, LayerK2, false},
        {"K1 SMD pads routed on B1 (K1)", LayerK1, true, false, LayerB1, true},
        {"K1 pads without twin routed on K2", LayerK1, false, false, LayerK2, false},
        {"through-plated pads routed on K2", LayerK1, false, true, LayerK2, true},
        {"K2 SMD pads routed on K2", LayerK2, true, false, LayerK2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TProject p = oneBoardProject();
        TBoard& b = boardOf(p);
        b.BoardWidth = 4000;
        b.BoardHeight = 3000;
        b.ActiveLayer = c.activeLayer;
        auto pad = [&](TPoint at) -> TObjekt& {
            if (c.smd)
                return add(p, NewSmdPad(at, 100, c.padLayer, 100), true);
            TObjekt& top = addPad(p, at, c.padLayer, true);
            if (c.twinned)
                twin(top, addPad(p, at, OppositeLayer(c.padLayer), true));
            return top;
        };
        TObjekt& x = pad({800, -1500});
        TObjekt& y = pad({3200, -1500});
        connect(x, y);
        const std::size_t before = b.Elements.size();
        const RouteOutcome r = RouteConnection(p, RouteOptions{});
        EXPECT_EQ(r.result == RouteOutcome::Routed, c.routed);
        EXPECT_EQ(AreConnected(x, y), !c.routed);
        EXPECT_EQ(boardOf(p).Elements.size(), before + (c.routed ? 1 : 0));
        EXPECT_EQ(boardOf(p).UndoStack.empty(), !c.routed);
    }
}

// The design check: boards that break one rule each, near misses at the gap rule, the gap rule
// against Clipper, and broken routes after a part moved.
#include "output/designcheck.h"

#include "document/layoutfile.h"
#include "document/undo.h"
#include "edit/edittestboard.h"
#include "output/checkboards.h"
#include "routing/autorouter.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <clipper.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <set>

using namespace trevok;
using namespace trevok::testing;
using namespace checkboards;

namespace
{

std::unique_ptr<TBoard> load(const Board& b)
{
    const Bytes bytes = layoutFile(b);
    LayoutFileContent c = ParseLayoutFile(bytes, "check.lay", 1);
    EXPECT_FALSE(c.error.has_value());
    EXPECT_EQ(c.boards.size(), 1u);
    return std::move(c.boards.front());
}

struct Case {
    const char* name;
    std::function<void(Board&, DesignRules&)> change;
    ProblemKind kind;
    std::vector<std::size_t> elements;
    std::uint8_t layer;
    TRect place;       // where the problem must be shown (closed)
    double value = -1; // units; -1: not measured
};

} // namespace

TEST(DesignCheck, PurposeMadeBoardsBreakOneRuleEach)
{
    const DesignRules defaults;
    {
        const auto board = load(cleanBoard());
        const DesignCheckResult r = CheckDesign(*board, defaults);
        EXPECT_TRUE(r.problems.empty()) << ProblemText(r.problems.front(), {}, 1);
    }
    const std::vector<Case> cases{
        {"gap",
         [](Board& b, DesignRules&) {
             b.elements.push_back(
                 El{.rec = {.kind = 8, .x = 2000, .y = -1555, .size1 = 100, .size2 = 40, .layer = 1}});
         },
         ProblemKind::Gap,
         {kTrack, 5},
         LayerK1,
         {1950, -1535, 2050, -1520},
         15},
        {"gap in the ground plane",
         [](Board& b, DesignRules&) {
             b.block.gp1 = 1;
             b.elements[kSmd].rec.clearance = 10;
         },
         ProblemKind::Gap,
         {kSmd},
         LayerK1,
         {2000, -2200, 2000, -2200},
         10},
        {"width",
         [](Board& b, DesignRules&) { b.elements[kTrack].rec.width = 10; },
         ProblemKind::Width,
         {kTrack},
         LayerK1,
         {1000, -1500, 1000, -1500},
         10},
        {"smd-size",
         [](Board& b, DesignRules&) { b.elements[kSmd].rec.size2 = 15; },
         ProblemKind::SmdSize,
         {kSmd},
         LayerK1,
         {2000, -2200, 2000, -2200},
         15},
        {"ring",
         [](Board& b, DesignRules&) { b.elements[kPadA].rec.size1 = 50; },
         ProblemKind::Ring,
         {kPadA},
         LayerK1,
         {1000, -1500, 1000, -1500},
         10},
        {"drill",
         [](Board& b, DesignRules&) { b.elements[kPadA].rec.size2 = 10; },
         ProblemKind::Drill,
         {kPadA},
         0,
         {1000, -1500, 1000, -1500},
         20},
        {"edge",
         [](Board& b, DesignRules&) { b.elements[kSmd].rec.x = 100; },
         ProblemKind::Edge,
         {kSmd},
         LayerK1,
         {25, -2240, 25, -2160},
         25},
        {"outside",
         [](Board& b, DesignRules&) { b.elements[kPrint].rec.x = -100; },
         ProblemKind::Outside,
         {kPrint},
         LayerB1,
         {-100, -500, -100, -500},
         110},
        {"unrouted",
         [](Board& b, DesignRules&) { b.connect(kPadA, kSmd); },
         ProblemKind::Unrouted,
         {kPadA, kSmd},
         LayerK1,
         {1000, -1500, 1000, -1500}},
        {"broken-route",
         [](Board& b, DesignRules&) {
             b.elements[kPadA].connections.clear();
             b.elements[kPadB].connections.clear();
             El& t = b.elements[kTrack];
             t.rec.autorouted = 1;
             t.nodes = {{3000, -1500}, {1000, -1500}}; // from the end pad to the start pad
             t.routeStart = kPadA;
             t.routeEnd = kPadB;
             b.elements[kPadB].rec.y = -2600; // the part moved away
         },
         ProblemKind::BrokenRoute,
         {kTrack, kPadA, kPadB},
         LayerK1,
         {3000, -1500, 3000, -1500}},
        {"dangling",
         [](Board& b, DesignRules&) {
             b.elements.push_back(
                 El{.rec = {.kind = 6, .width = 40, .layer = 1}, .nodes = {{1000, -1500}, {1000, -1000}}});
         },
         ProblemKind::Dangling,
         {5},
         LayerK1,
         {1000, -1000, 1000, -1000}},
        {"print-on-pad",
         [](Board& b, DesignRules&) {
             b.elements.push_back(El{.rec = {.kind = 1,
                                             .x = 900,
                                             .y = -1500,
                                             .size1 = 1100,
                                             .size2 = -1500,
                                             .width = 20,
                                             .layer = 2}});
         },
         ProblemKind::PrintOnPad,
         {5, kPadA},
         LayerB1,
         {1000, -1500, 1000, -1500}},
        {"mill",
         [](Board& b, DesignRules& r) {
             r.mill = 100; // grown by 0.5 mm on each side, 0.5 mm apart: the cutter cannot pass
             b.elements[kSmd].rec.y = -1610;
         },
         ProblemKind::Mill,
         {},
         LayerK1,
         {1925, -1570, 2075, -1520}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Board b = cleanBoard();
        DesignRules rules;
        c.change(b, rules);
        const auto board = load(b);
        const DesignCheckResult r = CheckDesign(*board, rules);
        ASSERT_EQ(r.problems.size(), 1u)
            << (r.problems.empty() ? "none" : ProblemText(r.problems.front(), {}, 1));
        const DesignProblem& p = r.problems.front();
        EXPECT_EQ(p.kind, c.kind);
        if (c.kind == ProblemKind::Mill) { // one element of each piece: the SMD pad and the pads' net
            EXPECT_EQ(p.elements.back(), std::size_t(kSmd));
        } else {
            EXPECT_EQ(p.elements, c.elements);
        }
        EXPECT_EQ(p.layer, c.layer);
        EXPECT_TRUE(c.place.contains(p.at.x, p.at.y)) << p.at.x << ", " << p.at.y;
        const bool warning = c.kind == ProblemKind::Dangling || c.kind == ProblemKind::PrintOnPad;
        EXPECT_EQ(p.warning, warning);
        EXPECT_EQ(r.errors, warning ? 0u : 1u);
        EXPECT_EQ(r.count(c.kind), 1u);
        EXPECT_EQ(p.measured, c.value >= 0);
        if (c.value >= 0) {
            EXPECT_NEAR(p.value, c.value, 0.5);
        }
    }
}

TEST(DesignCheck, GapRuleNearMisses)
{
    struct Row {
        bool vertical;
        std::int32_t gapRule;
        std::int32_t gap; // between the outlines
        bool reported;
    };
    const std::vector<Row> rows{
        {false, 20, 20, false}, {false, 20, 19, true},  {true, 20, 20, false},
        {true, 20, 19, true},   {false, 30, 30, false}, {false, 30, 29, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.vertical << " " << row.gapRule << " " << row.gap);
        TBoard b;
        auto add = [&](std::int32_t offset) {
            auto t = NewTrack(40, LayerK1);
            AddPoint(*t, row.vertical ? TPoint{2000 + offset, -500} : TPoint{500, -2000 - offset});
            AddPoint(*t, row.vertical ? TPoint{2000 + offset, -1500} : TPoint{1500, -2000 - offset});
            b.Elements.push_back(std::move(t));
        };
        add(0);
        add(40 + row.gap); // centre lines one width plus the gap apart
        DesignRules rules;
        rules.gap = row.gapRule;
        const DesignCheckResult r = CheckDesign(b, rules);
        ASSERT_EQ(r.count(ProblemKind::Gap), row.reported ? 1u : 0u);
        if (row.reported) {
            EXPECT_DOUBLE_EQ(r.problems.front().value, row.gap);
        }
    }
}

namespace
{

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

constexpr cInt kScale = 16;

Paths grownOutline(const Region& r, double by)
{
    Paths in;
    for (const auto& comp : r.components())
        for (const RPath& path : comp) {
            Path p;
            for (const RPoint& q : path)
                p.push_back({static_cast<cInt>(q.x * kScale), static_cast<cInt>(q.y * kScale)});
            if (!ClipperLib::Orientation(p))
                ClipperLib::ReversePath(p);
            in.push_back(std::move(p));
        }
    ClipperLib::ClipperOffset o;
    o.ArcTolerance = 0.05 * kScale;
    o.AddPaths(in, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    Paths out;
    o.Execute(out, by * kScale);
    return out;
}

bool meet(const Paths& a, const Paths& b)
{
    ClipperLib::Clipper c;
    c.AddPaths(a, ClipperLib::ptSubject, true);
    c.AddPaths(b, ClipperLib::ptClip, true);
    Paths out;
    c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return !out.empty();
}

} // namespace

TEST(DesignCheck, GapRuleAgreesWithGrowingBothOutlinesByHalfTheRule)
{
    std::size_t reportedTotal = 0;
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        TBoard b;
        b.BoardWidth = 3000;
        b.BoardHeight = 3000;
        for (int k = 0; k < 40; ++k) {
            const TPoint p{uni(200, 2800), -uni(200, 2800)};
            switch (uni(0, 3)) {
            case 0: {
                auto t = NewTrack(uni(10, 60), LayerK1);
                AddPoint(*t, p);
                AddPoint(*t, {p.x + uni(-400, 400), p.y + uni(-400, 400)});
                if (uni(0, 1))
                    AddPoint(*t, {p.x + uni(-400, 400), p.y + uni(-400, 400)});
                b.Elements.push_back(std::move(t));
                break;
            }
            case 1:
                b.Elements.push_back(
                    NewPad(p, uni(40, 120), static_cast<std::uint8_t>(uni(1, 9)), LayerK1, 20));
                break;
            case 2:
                b.Elements.push_back(NewSmdPad(p, uni(30, 200), LayerK1, uni(30, 200)));
                break;
            default:
                b.Elements.push_back(NewCircle(p, uni(60, 200), 0, LayerK1, uni(0, 50)));
                break;
            }
        }
        DesignRules rules;
        rules.gap = uni(15, 60);
        const DesignCheckResult r = CheckDesign(b, rules);
        std::set<std::pair<std::size_t, std::size_t>> reported;
        for (const DesignProblem& p : r.problems)
            if (p.kind == ProblemKind::Gap && p.elements.size() == 2)
                reported.insert({p.elements[0], p.elements[1]});
        reportedTotal += reported.size();
        const std::vector<int> nets = NetOfEachElement(b);
        const double half = rules.gap / 2.0;
        std::vector<Paths> inner, outer;
        for (const auto& e : b.Elements) {
            const Region r = ElementRegion(*e);
            inner.push_back(grownOutline(r, half - 0.5));
            outer.push_back(grownOutline(r, half + 0.5));
        }
        for (std::size_t i = 0; i < b.Elements.size(); ++i) {
            for (std::size_t j = i + 1; j < b.Elements.size(); ++j) {
                if (nets[i] == nets[j])
                    continue;
                const bool isReported = reported.count({i, j}) > 0;
                // Within a unit of the rule the two measures may round either way.
                if (meet(inner[i], inner[j])) {
                    EXPECT_TRUE(isReported) << i << " " << j;
                } else if (!meet(outer[i], outer[j])) {
                    EXPECT_FALSE(isReported) << i << " " << j;
                }
            }
        }
    }
    EXPECT_GT(reportedTotal, 10u); // the boards are dense enough to test something
}

TEST(DesignCheck, MovedPartLeavesBrokenRoutesThatTurnBackIntoRubberBands)
{
    TProject p = oneBoardProject();
    TBoard& b = boardOf(p);
    b.BoardWidth = 5000;
    b.BoardHeight = 4000;
    b.ActiveLayer = LayerK1;
    // A DIP-8 and four single pads below it, one connection from each lower-row pin.
    std::vector<TObjekt*> dip, other;
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < 4; ++k)
            dip.push_back(&addPad(p, {1500 + 254 * k, -1000 - 762 * row}));
    for (int k = 0; k < 4; ++k) {
        other.push_back(&addPad(p, {1000 + 800 * k, -3200}));
        connect(*dip[4 + k], *other[k]);
    }
    for (int k = 0; k < 4; ++k) {
        for (auto& e : b.Elements)
            e->Selected = 0;
        dip[4 + k]->Selected = other[k]->Selected = 1;
        ASSERT_EQ(RouteConnection(p, RouteOptions{}).result, RouteOutcome::Routed);
    }
    for (auto& e : b.Elements)
        e->Selected = 0;
    ASSERT_EQ(b.Elements.size(), 16u);
    ASSERT_EQ(CountConnections(b), 0u);
    EXPECT_EQ(CheckDesign(b, {}).count(ProblemKind::BrokenRoute), 0u);

    // The part moves 5 mm to the right: every track to it now ends in the air.
    PushUndo(p);
    for (TObjekt* pin : dip)
        Translate(*pin, 500, 0);
    const DesignCheckResult r = CheckDesign(b, {});
    std::vector<std::size_t> tracks;
    for (const DesignProblem& q : r.problems)
        if (q.kind == ProblemKind::BrokenRoute)
            tracks.push_back(q.elements.front());
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_EQ(r.count(ProblemKind::Dangling), 0u); // a broken route is said once
    for (std::size_t t : tracks)
        EXPECT_TRUE(b.Elements[t]->Autorouted);

    const std::size_t undoBefore = b.UndoStack.size();
    EXPECT_EQ(ResolveBrokenRoutes(p, tracks), 4u);
    EXPECT_EQ(b.UndoStack.size(), undoBefore + 1); // one undo step for all
    EXPECT_EQ(b.Elements.size(), 12u);
    EXPECT_EQ(CountConnections(b), 4u);
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(AreConnected(*dip[4 + k], *other[k]));
    const DesignCheckResult after = CheckDesign(b, {});
    EXPECT_EQ(after.count(ProblemKind::BrokenRoute), 0u);
    EXPECT_EQ(after.count(ProblemKind::Unrouted), 4u);

    ASSERT_TRUE(Undo(p));
    TBoard& u = boardOf(p);
    EXPECT_EQ(u.Elements.size(), 16u);
    EXPECT_EQ(CountConnections(u), 0u);
    EXPECT_EQ(CheckDesign(u, {}).count(ProblemKind::BrokenRoute), 4u);
}

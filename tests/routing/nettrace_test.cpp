// The connectivity trace and the removal of realised connections.
#include "edit/edittestboard.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace trevok;
using namespace trevok::testing;

namespace
{

std::set<std::size_t> netOf(const TBoard& b, std::size_t i)
{
    NetTracer t(b);
    const auto n = t.net(i);
    return {n.begin(), n.end()};
}

TObjekt& addArea(TProject& p, TPoint a, TPoint c, std::uint8_t layer, bool restricted, std::int32_t clearance)
{
    auto e = NewArea(10, layer);
    AddPoint(*e, a);
    AddPoint(*e, {c.x, a.y});
    AddPoint(*e, c);
    AddPoint(*e, {a.x, c.y});
    e->Restricted = restricted ? 1 : 0;
    e->Clearance = clearance;
    return add(p, std::move(e));
}

} // namespace

TEST(NetTrace, OverlapTwinAndLayers)
{
    TProject p = oneBoardProject();
    TObjekt& a = addPad(p, {1000, -1000}, LayerK1);       // 0
    addTrack(p, {{1000, -1000}, {3000, -1000}}, LayerK1); // 1 touches a
    addTrack(p, {{3000, -1000}, {3000, -3000}}, LayerK1); // 2 continues 1
    addTrack(p, {{2000, -1000}, {2000, -3000}}, LayerK2); // 3 crosses 1 on the other side
    TObjekt& at = addPad(p, {1000, -1000}, LayerK2);      // 4 twin of a
    addTrack(p, {{1000, -1000}, {1000, -3000}}, LayerK2); // 5 leaves the twin
    addTrack(p, {{5000, -1000}, {6000, -1000}}, LayerK1); // 6 apart
    addTrack(p, {{3000, -3000}, {3000, -4000}}, LayerB1); // 7 print over 2's end
    EXPECT_EQ(netOf(*p.Boards[0], 0), (std::set<std::size_t>{0, 1, 2}));
    twin(a, at);
    EXPECT_EQ(netOf(*p.Boards[0], 2), (std::set<std::size_t>{0, 1, 2, 4, 5}));
    EXPECT_EQ(netOf(*p.Boards[0], 6), (std::set<std::size_t>{6}));

    TraceNet(*p.Boards[0], *p.Boards[0]->Elements[5]);
    std::vector<int> selected;
    for (const auto& e : p.Boards[0]->Elements)
        selected.push_back(e->Selected);
    EXPECT_EQ(selected, (std::vector<int>{1, 1, 1, 0, 1, 1, 0, 0}));
}

TEST(NetTrace, LongChainNeedsNoDeepStack)
{
    // 30,000 touching segments: a recursive trace of this would overrun the stack.
    TProject p = oneBoardProject();
    constexpr int n = 30000;
    for (int i = 0; i < n; ++i) {
        const int x = (i % 300) * 100;
        const int row = i / 300;
        addTrack(p, {{x, -row * 100}, {x + 100, -row * 100}}, LayerK1);
        if (i % 300 == 299 && i + 1 < n)
            addTrack(p, {{x + 100, -row * 100}, {x + 100, -(row + 1) * 100}}, LayerK1);
    }
    addTrack(p, {{0, 5000}, {100, 5000}}, LayerK1); // apart
    NetTracer t(*p.Boards[0]);
    EXPECT_EQ(t.net(0).size(), p.Boards[0]->Elements.size() - 1);
}

TEST(NetTrace, GroundPlaneJoinsClearanceZeroUnlessCovered)
{
    TProject p = oneBoardProject();
    TBoard& b = *p.Boards[0];
    TObjekt& a = addPad(p, {1000, -1000}, LayerK1);               // 0
    TObjekt& c = addPad(p, {8000, -5000}, LayerK1);               // 1
    TObjekt& d = addPad(p, {12000, -5000}, LayerK1);              // 2: inside the restricted area below
    TObjekt& e = addPad(p, {14000, -8000}, LayerK1);              // 3: clearance 40
    TObjekt& f = addPad(p, {4000, -4000}, LayerK2);               // 4: other side
    addArea(p, {11000, -4000}, {13000, -6000}, LayerK1, true, 0); // 5: restricted, clearance 0
    addArea(p, {13500, -7500}, {14000, -8200}, LayerK1, true, 0); // 6: covers e only partly
    for (TObjekt* x : {&a, &c, &d, &f})
        x->Clearance = 0;
    e.Clearance = 40;

    EXPECT_EQ(netOf(b, 0), (std::set<std::size_t>{0})); // plane off
    b.GroundPlane2 = 1;
    EXPECT_EQ(netOf(b, 0), (std::set<std::size_t>{0})); // only side 2's plane on
    b.GroundPlane1 = 1;
    EXPECT_EQ(netOf(b, 0), (std::set<std::size_t>{0, 1}));
    EXPECT_EQ(netOf(b, 2), (std::set<std::size_t>{2})); // covered: no plane contact
    EXPECT_EQ(netOf(b, 3), (std::set<std::size_t>{3})); // has a clearance
    // Partly covered is not covered.
    e.Clearance = 0;
    EXPECT_EQ(netOf(b, 0), (std::set<std::size_t>{0, 1, 3}));
    // A restricted area is in no net: a trace from it does not spread into the copper it overlaps.
    EXPECT_EQ(netOf(b, 6), (std::set<std::size_t>{6}));
    const std::vector<int> ids = NetOfEachElement(b);
    EXPECT_TRUE(ids[0] == ids[1] && ids[1] == ids[3] && ids[6] != ids[3]);

    // Through the plane, the connection counts as realised; the covered pad's does not.
    connect(a, c);
    connect(a, d);
    connect(a, f);
    const RemoveRealisedResult r = RemoveRealisedConnections(b);
    EXPECT_EQ(r.removed, 1u);
    EXPECT_EQ(r.remaining, 2u);
    EXPECT_TRUE(c.Connections.empty());
    EXPECT_TRUE(AreConnected(a, d) && AreConnected(d, a));
}

TEST(Connections, ToggleAndRemoveReport)
{
    TProject p = oneBoardProject();
    TObjekt& a = addPad(p, {1000, -1000});
    TObjekt& b = addPad(p, {3000, -1000});
    TObjekt& c = addPad(p, {5000, -1000});
    addTrack(p, {{1000, -1000}, {3000, -1000}});
    EXPECT_EQ(RemoveRealisedReport(RemoveRealisedConnections(*p.Boards[0]), 1),
              "0 connections (rubberbands) removed.\r0 connections (rubberbands) remaining.");

    EXPECT_TRUE(ToggleConnection(a, b));
    EXPECT_TRUE(ToggleConnection(c, b));
    EXPECT_TRUE(ToggleConnection(a, c));
    EXPECT_EQ(CountConnections(*p.Boards[0]), 3u);
    EXPECT_FALSE(ToggleConnection(b, a));
    EXPECT_FALSE(AreConnected(a, b) || AreConnected(b, a));
    EXPECT_TRUE(ToggleConnection(b, a));
    a.Selected = 1;

    const RemoveRealisedResult r = RemoveRealisedConnections(*p.Boards[0]);
    EXPECT_EQ(r.removed, 1u);
    EXPECT_EQ(r.remaining, 2u);
    EXPECT_FALSE(a.Selected);
    EXPECT_EQ(RemoveRealisedReport(r, 0),
              "Es konnten 1 Luftlinien entfernt werden.\rEs verbleiben noch 2 Luftlinien");
    EXPECT_EQ(RemoveRealisedReport(r, 2),
              "1 connexions (élastiques) supprimées.\r2 connexions (élastiques) restantes.");
}

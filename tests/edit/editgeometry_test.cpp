#include "edit/editcommands.h"

#include "edittestboard.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace trevok;
using namespace trevok::testing;

namespace
{

TObjekt& addSmd(TProject& p, TPoint c, bool selected = true)
{
    return add(p, NewSmdPad(c, 100, LayerK1, 100), selected);
}

TObjekt& addLine(TProject& p, TPoint a, TPoint b, bool selected = true)
{
    auto line = std::make_unique<TObjekt>();
    line->Kind = KindLine;
    line->Layer = LayerB1;
    line->Width = 20;
    line->X = a.x;
    line->Y = a.y;
    line->Size1 = b.x;
    line->Size2 = b.y;
    return add(p, std::move(line), selected);
}

} // namespace

TEST(Transform, RotationTurnsAboutTheGridPointNearestTheCentre)
{
    // An off-grid pad is turned about the grid point nearest to it, so it moves.
    TProject p = oneBoardProject();
    TObjekt& pad = addPad(p, {130, -130}, LayerK1, true);
    pad.Shape = ShapeRoundedWide;
    EXPECT_EQ(selectionCentre(boardOf(p)), (TPoint{254, -254}));
    const EditResult r = rotateSelection(p);
    ASSERT_TRUE(r.changed);
    EXPECT_EQ(pad.X, 378);
    EXPECT_EQ(pad.Y, -130);
    EXPECT_EQ(pad.Shape, ShapeRoundedTall);
    EXPECT_TRUE(r.area.contains(130, -130) && r.area.contains(378, -130));

    // An element without an outline (a track of one corner) does not pull the centre toward
    // the origin, where its empty outline would lie.
    TProject q = oneBoardProject();
    addPad(q, {5080, -5080}, LayerK1, true);
    addTrack(q, {{9000, -9000}}, LayerK1, true);
    EXPECT_EQ(selectionCentre(boardOf(q)), (TPoint{5080, -5080}));
}

TEST(Transform, MirrorsReflectAboutTheSnappedCentreAndTurnArcs)
{
    TProject p = oneBoardProject();
    TObjekt& left = addSmd(p, {0, 0});
    TObjekt& right = addSmd(p, {1000, 0});
    // Outline centre x = 500, snapped to 508 on the 2.54 mm grid.
    ASSERT_TRUE(mirrorSelectionHorizontally(p).changed);
    EXPECT_EQ(left.X, 1016);
    EXPECT_EQ(right.X, 16);

    TProject q = oneBoardProject();
    TObjekt& arc = add(q, NewCircle({0, 0}, 100, 0, LayerK1, 60), true);
    arc.Angle = 30;
    arc.Width = 90;
    ASSERT_TRUE(mirrorSelectionHorizontally(q).changed);
    EXPECT_EQ(arc.Angle, 90);
    EXPECT_EQ(arc.Width, 150);
    arc.Angle = 30;
    arc.Width = 90;
    ASSERT_TRUE(mirrorSelectionVertically(q).changed);
    EXPECT_EQ(arc.Angle, 270);
    EXPECT_EQ(arc.Width, 330);
    EXPECT_EQ(undoSteps(q), 2u);
}

TEST(Align, GroupsMoveAsOneAndSinglesOnTheirOwn)
{
    auto board = [](TProject& p) {
        addSmd(p, {0, 0}); // outline -50..50 both ways
        addSmd(p, {1000, -300});
        TObjekt& c = addSmd(p, {2000, 500});
        TObjekt& d = addSmd(p, {2200, 600});
        AddGroup(c, 7);
        AddGroup(d, 7);
    };
    auto xs = [](TProject& p) {
        std::vector<std::int32_t> v;
        for (auto& e : boardOf(p).Elements)
            v.push_back(e->X);
        return v;
    };
    auto ys = [](TProject& p) {
        std::vector<std::int32_t> v;
        for (auto& e : boardOf(p).Elements)
            v.push_back(e->Y);
        return v;
    };

    TProject p = oneBoardProject();
    board(p);
    ASSERT_TRUE(alignSelection(p, AlignLeft).changed);
    EXPECT_EQ(xs(p), (std::vector<std::int32_t>{0, 0, 0, 200})); // the group keeps its shape

    TProject t = oneBoardProject();
    board(t);
    ASSERT_TRUE(alignSelection(t, AlignTop).changed); // the upper edges at the largest y
    EXPECT_EQ(ys(t), (std::vector<std::int32_t>{600, 600, 500, 600}));
    EXPECT_EQ(undoSteps(t), 1u);

    // Centres: offsets of half a unit round to even.
    TProject c = oneBoardProject();
    addSmd(c, {0, 0});
    addSmd(c, {1001, 0});
    ASSERT_TRUE(alignSelection(c, AlignCentreHorizontal).changed);
    EXPECT_EQ(xs(c), (std::vector<std::int32_t>{500, 501}));
    EXPECT_FALSE(alignSelection(c, 0).changed);
}

TEST(Align, CoordinatesAtTheEndsOfTheRangeDoNotOverflow)
{
    TProject p = oneBoardProject();
    TObjekt& a = addSmd(p, {-2147483000, 2147483000});
    TObjekt& b = addSmd(p, {2147483000, -2147483000});
    ASSERT_TRUE(alignSelection(p, AlignCentreHorizontal).changed);
    EXPECT_EQ(a.X, 0);
    EXPECT_EQ(b.X, 0);
    ASSERT_TRUE(alignSelection(p, AlignCentreVertical).changed);
    EXPECT_EQ(a.Y, 0);
    EXPECT_EQ(b.Y, 0);
    TObjekt& t = addTrack(p, {{-2147483600, 2147483600}, {2147483600, -2147483600}});
    ASSERT_TRUE(insertNode(p, 2, 1).changed);
    EXPECT_EQ(t.Points[1], (TPoint{0, 0}));
}

TEST(SnapToGrid, UnitsSnapByTheirReferencePoints)
{
    TProject p = oneBoardProject();
    // A group is placed by its first pad even when a track comes first.
    TObjekt& gTrack = addTrack(p, {{10, 10}, {500, 10}}, LayerK1, true);
    TObjekt& gPad = addPad(p, {260, -250}, LayerK1, true);
    AddGroup(gTrack, 3);
    AddGroup(gPad, 3);
    // Without a pad the first member decides: here the first corner of a track.
    TObjekt& hTrack = addTrack(p, {{130, -130}, {400, -130}}, LayerK1, true);
    TObjekt& hCircle = add(p, NewCircle({0, 0}, 100, 0, LayerK1, 50), true);
    AddGroup(hTrack, 4);
    AddGroup(hCircle, 4);
    TObjekt& track = addTrack(p, {{100, 0}, {300, 0}}, LayerK1, true);
    TObjekt& line = addLine(p, {100, 100}, {400, -130});
    TObjekt& circle = add(p, NewCircle({300, 300}, 100, 0, LayerK1, 50), true);

    ASSERT_TRUE(snapSelectionToGrid(p).changed);
    EXPECT_EQ(undoSteps(p), 1u);
    EXPECT_EQ(gPad.X, 254);
    EXPECT_EQ(gPad.Y, -254);
    EXPECT_EQ(gTrack.Points[0], (TPoint{4, 6}));
    EXPECT_EQ(hTrack.Points[0], (TPoint{254, -254}));
    EXPECT_EQ(hCircle.X, 124);
    EXPECT_EQ(hCircle.Y, -124);
    EXPECT_EQ(track.Points[0], (TPoint{0, 0}));
    EXPECT_EQ(track.Points[1], (TPoint{200, 0}));
    // A line snaps each end on its own.
    EXPECT_EQ((TPoint{line.X, line.Y}), (TPoint{0, 0}));
    EXPECT_EQ((TPoint{line.Size1, line.Size2}), (TPoint{508, -254}));
    EXPECT_EQ((TPoint{circle.X, circle.Y}), (TPoint{254, 254}));
    EXPECT_FALSE(snapSelectionToGrid(p).changed);
}

TEST(Nodes, InsertRemoveSnapAndSplit)
{
    TProject p = oneBoardProject();
    TObjekt& t = addTrack(p, {{0, 0}, {1000, 0}});
    ASSERT_TRUE(insertNode(p, 0, 0).changed); // before the first corner: 2.54 mm up and left
    EXPECT_EQ(t.Points, (std::vector<TPoint>{{-254, 254}, {0, 0}, {1000, 0}}));
    ASSERT_TRUE(insertNode(p, 0, 2).changed); // halfway (500, 0), snapped
    EXPECT_EQ(t.Points[2], (TPoint{508, 0}));
    ASSERT_TRUE(removeNode(p, 0, 0).changed);
    EXPECT_EQ(t.Points.front(), (TPoint{0, 0}));
    EXPECT_EQ(undoSteps(p), 3u);

    // The midpoint is halved toward zero before it is snapped.
    boardOf(p).Grid = 1.0;
    TObjekt& n = addTrack(p, {{-1, -1}, {-2, -2}});
    ASSERT_TRUE(insertNode(p, 1, 1).changed);
    EXPECT_EQ(n.Points[1], (TPoint{-1, -1}));
    boardOf(p).Grid = 254.0;
    n.Points[0] = {100, -400};
    ASSERT_TRUE(snapNode(p, 1, 0).changed);
    EXPECT_EQ(n.Points[0], (TPoint{0, -508}));
    EXPECT_FALSE(insertNode(p, 1, 7).changed); // no such corner

    EXPECT_TRUE(nodeMenuState(t, 0).removeNode); // three corners
    const NodeMenuState menu = nodeMenuState(*NewTrack(10, LayerK1), 0);
    EXPECT_FALSE(menu.removeNode || menu.newNode || menu.snapNode || menu.splitTrack);
    TObjekt two = *NewTrack(10, LayerK1);
    AddPoint(two, {0, 0});
    AddPoint(two, {10, 0});
    const NodeMenuState end = nodeMenuState(two, 1);
    EXPECT_FALSE(end.removeNode || end.splitTrack);
    EXPECT_TRUE(end.newNode && end.snapNode);
}

TEST(Nodes, SplittingAFourCornerTrack)
{
    TProject p = oneBoardProject();
    TObjekt& t = addTrack(p, {{0, 0}, {100, 0}, {100, 100}, {200, 100}}, LayerB2, true);
    t.Clearance = 40;
    EXPECT_TRUE(nodeMenuState(t, 2).splitTrack);
    EXPECT_FALSE(nodeMenuState(t, 0).splitTrack);
    const EditResult r = splitTrack(p, 0, 2, 17);
    ASSERT_TRUE(r.changed);
    ASSERT_EQ(boardOf(p).Elements.size(), 2u);
    const TObjekt& piece = *boardOf(p).Elements[1];
    EXPECT_EQ(t.Points, (std::vector<TPoint>{{0, 0}, {100, 0}, {100, 100}}));
    EXPECT_EQ(piece.Points, (std::vector<TPoint>{{200, 100}, {100, 100}}));
    EXPECT_EQ(piece.Kind, KindTrack);
    EXPECT_EQ(piece.Width, t.Width);
    EXPECT_EQ(piece.Layer, LayerB2);
    EXPECT_EQ(piece.Clearance, 17);
    EXPECT_EQ(undoSteps(p), 1u);

    // Areas have no split.
    TObjekt& area = add(p, NewArea(10, LayerK1));
    for (TPoint q : {TPoint{0, 0}, TPoint{100, 0}, TPoint{100, 100}, TPoint{0, 0}})
        AddPoint(area, q);
    EXPECT_FALSE(splitTrack(p, 2, 1, 40).changed);
}

TEST(Arc, DialogShowsTheLastCircleAndOkShiftsEveryRing)
{
    TProject p = oneBoardProject();
    EXPECT_FALSE(arcDialogValues(boardOf(p)).has_value());
    TObjekt& small = add(p, NewCircle({0, 0}, 150, 0, LayerK1, 50), true); // mean radius 100
    TObjekt& large = add(p, NewCircle({0, 0}, 1000, 0, LayerK1, 900), true);
    large.Angle = 360; // a top-bottom mirror leaves 360, the direction 0
    large.Width = 360;
    large.Filled = 1;
    auto v = arcDialogValues(boardOf(p));
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->shownMeanRadius, 950);
    EXPECT_DOUBLE_EQ(v->diameterMm, 19.0);
    EXPECT_EQ(v->startAngle, 0);
    EXPECT_EQ(v->stopAngle, 0);
    EXPECT_TRUE(v->filled);

    v->diameterMm = 20.0;
    v->startAngle = 45;
    v->stopAngle = 135;
    v->filled = false;
    const EditResult r = applyArcSettings(p, *v);
    ASSERT_TRUE(r.changed);
    EXPECT_EQ(undoSteps(p), 0u); // no undo step, but the change is to be saved
    EXPECT_TRUE(p.Modified);
    EXPECT_EQ(small.Size1, 200);
    EXPECT_EQ(small.Size2, 100);
    EXPECT_EQ(large.Size1, 1050);
    EXPECT_EQ(large.Size2, 950);
    EXPECT_EQ(small.Angle, 45);
    EXPECT_EQ(large.Width, 135);
    EXPECT_EQ(large.Filled, 0);
    EXPECT_FALSE(applyArcSettings(p, *arcDialogValues(boardOf(p))).changed);

    // The smallest diameter: the shown ring goes down to it, the other ring is not shifted below
    // it either, and no radius turns negative.
    v = arcDialogValues(boardOf(p));
    v->diameterMm = 0.0; // below the range: the dialog's minimum
    ASSERT_TRUE(applyArcSettings(p, *v).changed);
    EXPECT_EQ(large.Size1, 55);
    EXPECT_EQ(large.Size2, 0);
    EXPECT_EQ(small.Size1, 55);
    EXPECT_EQ(small.Size2, 0);
}

TEST(Polygon, CornersAndElement)
{
    PolygonSettings s; // six corners, 10 mm
    const auto corners = regularPolygonCorners({1000, -1000}, s);
    ASSERT_EQ(corners.size(), 7u);
    EXPECT_EQ(corners[0], (TPoint{2000, -1000}));
    EXPECT_EQ(corners[1], (TPoint{1500, -134})); // 60 degrees: (500, 866)
    EXPECT_EQ(corners.back(), corners.front());

    s.corners = 7;
    s.angleOffset = 90.0;
    const auto seven = regularPolygonCorners({0, 0}, s);
    ASSERT_EQ(seven.size(), 8u);
    EXPECT_EQ(seven[0], (TPoint{0, 1000}));
    EXPECT_EQ(seven.back(), seven.front());
    for (std::size_t i = 0; i + 1 < seven.size(); ++i)
        EXPECT_NEAR(std::hypot(seven[i].x, seven[i].y), 1000.0, 0.71);

    s.filled = true;
    s.lineWidthMm = 0.125; // 12.5 units round to even
    auto area = makeRegularPolygon({0, 0}, s, LayerB1, 33, true);
    EXPECT_EQ(area->Kind, KindArea);
    EXPECT_EQ(area->Restricted, 1);
    EXPECT_EQ(area->Layer, LayerK1); // a restricted area lives on the copper of its side
    EXPECT_EQ(area->Width, 12);
    EXPECT_EQ(area->Clearance, 33);
    EXPECT_EQ(area->Points.size(), 8u);
    s.filled = false;
    auto track = makeRegularPolygon({0, 0}, s, LayerB1, 33, true);
    EXPECT_EQ(track->Kind, KindTrack);
    EXPECT_EQ(track->Restricted, 0);
    EXPECT_EQ(track->Layer, LayerB1);

    PolygonSettings wild;
    wild.corners = 1;
    wild.radiusMm = std::nan("");
    wild.angleOffset = 500.0;
    const PolygonSettings tame = limitPolygonSettings(wild);
    EXPECT_EQ(tame.corners, 3);
    EXPECT_EQ(tame.radiusMm, 10.0);
    EXPECT_EQ(tame.angleOffset, 180.0);
}

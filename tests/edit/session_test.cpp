// The editing session driven by synthetic mouse and key events through a recording view.

#include "edit/session.h"

#include "edittestboard.h"
#include "fakesessionview.h"

#include <gtest/gtest.h>

using namespace trevok;
using namespace trevok::testing;

namespace
{

struct SessionFixture : ::testing::Test {
    TProject project = oneBoardProject();
    FakeSessionView view;
    EditSession session{project, view, 1};

    TBoard& board() { return boardOf(project); }
    ElementList& elements() { return board().Elements; }
    TObjekt& last() { return *elements().back(); }
};

// ---------------------------------------------------------------------------------------------
// Moving the selection

TEST_F(SessionFixture, MoveStopsAtTheBoardEdgeAndIsOneUndoStep)
{
    view.gridValue = 10.0;
    TObjekt& pad = addPad(project, {1000, -1000});
    pad.Clearance = 20; // bounds: x 900..1100
    const std::string before = dump(project);

    // Far past the left and the top edge: the selection stops with its edges on the board.
    drag(session, {1000, -1000}, {{500, -800}, {-3000, 4000}});
    EXPECT_EQ(pad.X, 100);
    EXPECT_EQ(pad.Y, -100);
    EXPECT_EQ(Bounds(pad).left, 0);
    EXPECT_EQ(Bounds(pad).bottom, 0);
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_FALSE(view.shown(PreviewKind::Move));
    EXPECT_FALSE(view.confined);

    ASSERT_TRUE(Undo(project));
    EXPECT_EQ(dump(project), before);
}

TEST_F(SessionFixture, MoveIsSnappedUnlessCtrlAndAClickMovesNothing)
{
    TObjekt& pad = addPad(project, {2540, -2540});
    click(session, {2540, -2540});
    EXPECT_TRUE(pad.Selected);
    EXPECT_EQ(undoSteps(project), 0u); // selecting is no step

    drag(session, {2540, -2540}, {{2700, -2640}}); // +160, -100: one grid step right, none down
    EXPECT_EQ(pad.X, 2540 + 254);
    EXPECT_EQ(pad.Y, -2540);

    drag(session, {2794, -2540}, {{2801, -2543}}, ModCtrl);
    EXPECT_EQ(pad.X, 2801);
    EXPECT_EQ(pad.Y, -2543);
    EXPECT_EQ(undoSteps(project), 2u);
}

TEST_F(SessionFixture, MovePreviewCarriesTheSelectionAndItsOffset)
{
    addPad(project, {2540, -2540});
    addPad(project, {5080, -2540});
    addPad(project, {7620, -2540});
    click(session, {2540, -2540});
    click(session, {5080, -2540}, ModShift);
    session.mousePress({5080, -2540}, MouseButton::Left, 0);
    session.mouseMove({5080 + 508, -2540}, 0);
    ASSERT_TRUE(view.shown(PreviewKind::Move));
    EXPECT_EQ(view.previews[PreviewKind::Move].elements.size(), 2u);
    EXPECT_EQ(view.previews[PreviewKind::Move].offset, (TPoint{508, 0}));
    EXPECT_TRUE(view.confined);
    session.mouseRelease({5080 + 508, -2540}, MouseButton::Left, 0);
    EXPECT_EQ(elements()[0]->X, 2540 + 508);
    EXPECT_EQ(elements()[2]->X, 7620);
}

TEST_F(SessionFixture, FineGridSnapsToWholeUnitsInStepsOfSevenAndEight)
{
    view.gridValue = 7.9375; // 0.079375 mm
    session.SetTool(ToolTrack);
    session.keyPress(Key::Space, 0); // not drawing yet: temporary zoom
    session.keyRelease(Key::Space, 0);
    ASSERT_EQ(session.tool(), ToolTrack);
    for (int i = 0; i < 4; ++i)
        click(session, {i * 8, 0});
    session.mousePress({0, 0}, MouseButton::Right, 0);
    const std::vector<TPoint> expected{{0, 0}, {8, 0}, {16, 0}, {24, 0}};
    EXPECT_EQ(last().Points, expected);
    // Further along the grid the steps alternate: 7.9375 * 5 = 39.6875 -> 40, * 6 = 47.625 -> 48,
    // * 7 = 55.5625 -> 56, * 9 = 71.4375 -> 71, * 10 = 79.375 -> 79.
    EXPECT_EQ(session.snapped({71, -79}, 0), (TPoint{71, -79}));
    EXPECT_EQ(session.snapped({73, -81}, 0), (TPoint{71, -79}));

    // The arrow keys move by the grid rounded to whole units.
    TObjekt& pad = addPad(project, {100, -100}, LayerK1, true);
    session.keyPress(Key::Right, 0);
    EXPECT_EQ(pad.X, 108);
    session.keyPress(Key::Up, ModCtrl);
    EXPECT_EQ(pad.Y, -99);
}

TEST_F(SessionFixture, ArrowKeysMoveTheSelectionOneStepEach)
{
    TObjekt& pad = addPad(project, {2540, -2540}, LayerK1, true);
    TObjekt& other = addPad(project, {5080, -2540});
    session.keyPress(Key::Left, 0);
    session.keyPress(Key::Down, 0);
    EXPECT_EQ(pad.X, 2540 - 254);
    EXPECT_EQ(pad.Y, -2540 - 254);
    EXPECT_EQ(other.X, 5080);
    EXPECT_EQ(undoSteps(project), 2u);

    pad.Selected = 0;
    session.keyPress(Key::Right, 0); // nothing selected: nothing moves, no step
    EXPECT_EQ(undoSteps(project), 2u);
    EXPECT_FALSE(session.keyPress(Key::Right, ModAlt)); // ALT keys belong to the menus
}

// ---------------------------------------------------------------------------------------------
// Selecting

TEST_F(SessionFixture, FrameSelectsWhatItTouchesAndShiftAdds)
{
    TObjekt& a = addPad(project, {1000, -1000});
    TObjekt& b = addPad(project, {5000, -1000});
    TObjekt& t = addTrack(project, {{3000, -3000}, {3000, -6000}});

    drag(session, {900, -500}, {{950, -800}, {1100, -950}}); // over the edge of a's copper only
    EXPECT_TRUE(a.Selected);
    EXPECT_FALSE(b.Selected);
    EXPECT_EQ(view.hint, "|Edit: Select, move, delete, copy or paste objects.\n<SPACE>=Zoom");

    session.mousePress({4000, -500}, MouseButton::Left, ModShift);
    session.mouseMove({4500, -600}, ModShift);
    EXPECT_EQ(view.hint, "|Select: Draw a frame to select objects.");
    EXPECT_TRUE(view.shown(PreviewKind::SelectionRect));
    session.mouseRelease({5010, -1500}, MouseButton::Left, ModShift);
    EXPECT_TRUE(a.Selected);
    EXPECT_TRUE(b.Selected);
    EXPECT_FALSE(t.Selected);
    EXPECT_FALSE(view.shown(PreviewKind::SelectionRect));

    // Without SHIFT a press on empty board clears the selection; a zero-size frame adds nothing.
    click(session, {8000, -8000});
    EXPECT_EQ(countSelected(elements()), 0u);
    EXPECT_EQ(undoSteps(project), 0u);
}

TEST_F(SessionFixture, ClickSelectsGroupMatesAndShiftToggles)
{
    TObjekt& a = addPad(project, {1000, -1000});
    TObjekt& b = addPad(project, {2000, -1000});
    TObjekt& c = addPad(project, {3000, -1000});
    AddGroup(a, 7);
    AddGroup(b, 7);
    click(session, {1000, -1000});
    EXPECT_TRUE(a.Selected && b.Selected);
    EXPECT_FALSE(c.Selected);
    click(session, {3000, -1000}, ModShift);
    EXPECT_TRUE(c.Selected);
    click(session, {2000, -1000}, ModShift);
    EXPECT_FALSE(a.Selected || b.Selected);
    EXPECT_TRUE(c.Selected);
    click(session, {1000, -1000});
    EXPECT_FALSE(c.Selected);
}

TEST_F(SessionFixture, HitTestPrefersPadsAndLooksThroughRestrictedAreas)
{
    addPad(project, {1000, -1000}, LayerK1);                 // 0
    addTrack(project, {{0, -1000}, {2000, -1000}}, LayerK1); // 1, above the pad
    EXPECT_EQ(session.HitTest({1000, -1000}, false), 0);
    EXPECT_EQ(session.HitTest({1500, -1000}, false), 1);

    auto area = NewArea(10, LayerK2);
    for (TPoint q : {TPoint{3000, -3000}, TPoint{5000, -3000}, TPoint{5000, -5000}, TPoint{3000, -5000}})
        AddPoint(*area, q);
    area->Restricted = 1;
    auto track = NewTrack(40, LayerK2);
    AddPoint(*track, {3500, -4000});
    AddPoint(*track, {4500, -4000});
    add(project, std::move(track)); // 2, below the area
    add(project, std::move(area));  // 3
    EXPECT_EQ(session.HitTest({4000, -4000}, false), 2);
    EXPECT_EQ(session.HitTest({3200, -3200}, false), 3);

    // The print layer of the active side is searched first; copper-only skips print layers.
    addPad(project, {1000, -1000}, LayerB2); // 4
    EXPECT_EQ(session.HitTest({1000, -1000}, false), 4);
    EXPECT_EQ(session.HitTest({1000, -1000}, true), 0);
    board().LayerVisible[3] = 0;
    EXPECT_EQ(session.HitTest({1000, -1000}, false), 0);
    EXPECT_EQ(session.HitTest({9000, -9000}, false), -1);
}

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(SessionFixture, TrackWithThreeCornersAndRightClick)
{
    session.SetTool(ToolTrack);
    EXPECT_EQ(view.hint, "|Track: Click to start point");
    session.mouseMove({100, -100}, 0);
    EXPECT_TRUE(view.shown(PreviewKind::PenDot));
    click(session, {0, 0});
    session.mouseMove({508, -254}, 0);
    ASSERT_TRUE(view.shown(PreviewKind::RubberBand));
    // Bend mode 0: straight first, the 45 degree run into the end.
    EXPECT_EQ(view.previews[PreviewKind::RubberBand].points,
              (std::vector<TPoint>{{0, 0}, {254, 0}, {508, -254}}));
    click(session, {508, -254});
    click(session, {508, -1016});
    session.mouseMove({2000, -2000}, 0);
    session.mousePress({2000, -2000}, MouseButton::Right, 0);

    const TObjekt& t = last();
    EXPECT_EQ(t.Kind, KindTrack);
    EXPECT_EQ(t.Points, (std::vector<TPoint>{{0, 0}, {254, 0}, {508, -254}, {508, -1016}}));
    EXPECT_EQ(t.Width, 80);
    EXPECT_EQ(t.Layer, LayerK2);
    EXPECT_EQ(t.Clearance, 40);
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_FALSE(view.shown(PreviewKind::RubberBand));
    EXPECT_FALSE(view.confined);
    EXPECT_EQ(session.tool(), ToolTrack);

    session.mousePress({0, 0}, MouseButton::Right, 0); // idle: back to Standard
    EXPECT_EQ(session.tool(), ToolStandard);
    ASSERT_TRUE(Undo(project));
    EXPECT_TRUE(elements().empty());
}

TEST_F(SessionFixture, SpaceCyclesTheBendModeWhileDrawing)
{
    session.SetTool(ToolArea);
    click(session, {0, 0});
    session.mouseMove({508, -254}, 0);
    const std::vector<std::vector<TPoint>> bands{
        {{0, 0}, {254, 0}, {508, -254}},    // 0: straight, then 45 degrees
        {{0, 0}, {254, -254}, {508, -254}}, // 1: 45 degrees, then straight
        {{0, 0}, {0, -254}, {508, -254}},   // 2: vertical first
        {{0, 0}, {508, 0}, {508, -254}},    // 3: horizontal first
        {{0, 0}, {508, -254}, {508, -254}}, // 4: one line
        {{0, 0}, {254, 0}, {508, -254}},
    };
    for (std::size_t i = 0; i < bands.size(); ++i) {
        EXPECT_EQ(view.previews[PreviewKind::RubberBand].points, bands[i]) << "mode " << i;
        EXPECT_TRUE(session.keyPress(Key::Space, 0));
    }
    EXPECT_EQ(session.tool(), ToolArea); // SPACE while drawing does not zoom
}

TEST_F(SessionFixture, DeleteWhileDrawingTakesBackCornersButNotTheFirst)
{
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    session.keyPress(Key::Delete, 0); // a single corner stays
    EXPECT_EQ(last().Points.size(), 1u);
    click(session, {0, -254});
    click(session, {0, -508});
    session.keyPress(Key::Delete, 0);
    EXPECT_EQ(last().Points, (std::vector<TPoint>{{0, 0}, {0, -254}}));
    EXPECT_EQ(session.state().anchor, (TPoint{0, -254}));
    click(session, {254, -254});
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_EQ(last().Points, (std::vector<TPoint>{{0, 0}, {0, -254}, {254, -254}}));
    EXPECT_EQ(undoSteps(project), 1u);
}

TEST_F(SessionFixture, DeleteWhileDrawingAlsoDeletesTheSelectionAndKeepsTheTrack)
{
    addPad(project, {5080, -5080}, LayerK1);
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    click(session, {254, 0});
    elements()[0]->Selected = 1; // selected by a menu command meanwhile
    session.keyPress(Key::Delete, 0);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(last().Kind, KindTrack);
    EXPECT_EQ(last().Points.size(), 1u);
    click(session, {0, -254}); // drawing goes on
    EXPECT_EQ(last().Points.size(), 2u);
}

TEST_F(SessionFixture, SingleCornerTrackLeavesNoElementAndNoStep)
{
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_TRUE(elements().empty());
    EXPECT_EQ(undoSteps(project), 0u);
}

TEST_F(SessionFixture, AreasWithoutAnOutlineAreRemovedWithTheirUndoStep)
{
    session.SetTool(ToolArea);
    // Three corners on one diagonal line, closed by a right click.
    click(session, {0, 0});
    click(session, {254, -254});
    click(session, {508, -508});
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_TRUE(elements().empty());
    EXPECT_EQ(undoSteps(project), 0u);
    EXPECT_GE(view.fullRepaints, 1);

    // Closed after two corners by clicking the first one again.
    click(session, {0, 0});
    click(session, {0, 0});
    EXPECT_TRUE(elements().empty());
    EXPECT_EQ(undoSteps(project), 0u);

    // A real triangle, closed by clicking its first corner.
    session.state().bendMode = 4;
    click(session, {0, 0});
    click(session, {508, 0});
    click(session, {508, -508});
    click(session, {0, 0});
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(last().Kind, KindArea);
    EXPECT_EQ(last().Points.size(), 4u);
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_FALSE(session.state().busy);
}

TEST_F(SessionFixture, RestrictedAreasGoToTheCopperOfTheSide)
{
    board().ActiveLayer = LayerB1;
    session.setRestrictedAreas(true);
    EXPECT_EQ(session.tool(), ToolArea);
    session.state().bendMode = 4;
    for (TPoint q : {TPoint{0, 0}, TPoint{508, 0}, TPoint{508, -508}})
        click(session, q);
    session.mousePress({0, 0}, MouseButton::Right, 0);
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(last().Restricted, 1);
    EXPECT_EQ(last().Layer, LayerK1);
    EXPECT_EQ(last().Points.back(), (TPoint{0, 0})); // closed by the right click
    EXPECT_TRUE(session.restrictedAreas());
    session.SetTool(ToolTrack); // every other tool releases the button
    EXPECT_FALSE(session.restrictedAreas());
}

TEST_F(SessionFixture, ChangingToolWhileDrawingFinishesTheTrack)
{
    session.SetTool(ToolTrack);
    click(session, {0, 0});
    click(session, {254, 0});
    session.SetTool(ToolPad);
    EXPECT_FALSE(session.state().busy);
    EXPECT_EQ(last().Points.size(), 2u);
    EXPECT_FALSE(view.confined);
}

TEST_F(SessionFixture, PadWithThroughPlatingTwinThenUndo)
{
    EXPECT_TRUE(session.keyPress(Key::F12, 0)); // no pad selected: no step
    EXPECT_TRUE(session.params().throughPlating);
    EXPECT_EQ(undoSteps(project), 0u);
    session.SetTool(ToolPad);
    session.mouseMove({1000, -1000}, 0);
    ASSERT_TRUE(view.shown(PreviewKind::PadOutline));
    EXPECT_EQ(view.previews[PreviewKind::PadOutline].shapes.at(0).X, 1016); // snapped
    click(session, {1000, -1000});
    ASSERT_EQ(elements().size(), 2u);
    TObjekt& a = *elements()[0];
    TObjekt& b = *elements()[1];
    EXPECT_EQ(a.Layer, LayerK2);
    EXPECT_EQ(b.Layer, LayerK1);
    EXPECT_EQ(a.Twin, &b);
    EXPECT_EQ(b.Twin, &a);
    EXPECT_EQ(a.Size1, 90);
    EXPECT_EQ(a.Size2, 30);
    EXPECT_EQ((TPoint{b.X, b.Y}), (TPoint{1016, -1016}));
    EXPECT_EQ(undoSteps(project), 1u);
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_EQ(session.tool(), ToolStandard);
    ASSERT_TRUE(Undo(project));
    EXPECT_TRUE(elements().empty());
    EXPECT_FALSE(canUndo(project));
}

TEST_F(SessionFixture, SmdPadTakesItsSizeFromTheFields)
{
    session.SetTool(ToolSmdPad);
    click(session, {2540, -2540});
    EXPECT_EQ(last().Kind, KindSmdPad);
    EXPECT_EQ(last().Size1, 90);
    EXPECT_EQ(last().Size2, 180);
    EXPECT_EQ(view.hint, "|SMD-Pad: Click to add a SMD-pad, abort with right mouse button");
}

TEST_F(SessionFixture, RingNeedsMoreThanFiveUnits)
{
    session.SetTool(ToolRing);
    EXPECT_EQ(view.cursor, "RING");
    drag(session, {1000, -1000}, {{1005, -1003}}, ModCtrl);
    EXPECT_TRUE(elements().empty());
    EXPECT_EQ(undoSteps(project), 0u);
    drag(session, {1000, -1000}, {{1004, -1006}}, ModCtrl); // r = max(4, 6)
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(last().Kind, KindCircle);
    EXPECT_EQ(last().Size1, 6 + 40);
    EXPECT_EQ(last().Size2, 6 + 40 - 80);
    EXPECT_EQ(last().Angle, last().Width); // a full circle
    EXPECT_EQ(undoSteps(project), 1u);
}

// ---------------------------------------------------------------------------------------------
// Node editing

TEST_F(SessionFixture, NodeDragIsOneUndoStepAndMovesInGridSteps)
{
    TObjekt& t = addTrack(project, {{1000, -1000}, {3000, -1000}, {3000, -3000}});
    click(session, {2000, -1000}); // select
    session.mouseMove({3001, -1001}, 0);
    EXPECT_EQ(view.cursor, "CHANGER");
    EXPECT_EQ(view.hint.substr(0, 13), "|Move corners");

    session.mousePress({3001, -1001}, MouseButton::Left, 0);
    EXPECT_TRUE(session.state().nodeDrag.active);
    session.mouseMove({3100, -1000}, 0); // less than half a grid step: nothing yet
    EXPECT_EQ(undoSteps(project), 0u);
    session.mouseMove({3200, -1000}, 0);
    session.mouseMove({3300, -900}, 0);
    EXPECT_TRUE(view.shown(PreviewKind::Node));
    EXPECT_EQ(t.Points[1], (TPoint{3000, -1000})); // written on release only
    session.mouseRelease({3300, -900}, MouseButton::Left, 0);
    // Relative to where the corner was, not onto absolute grid points.
    EXPECT_EQ(t.Points[1], (TPoint{3254, -1000}));
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_FALSE(view.shown(PreviewKind::Node));

    // Dragged away and back: nothing changed, no step left behind.
    drag(session, {3254, -1000}, {{3600, -1000}, {3254, -1000}});
    EXPECT_EQ(t.Points[1], (TPoint{3254, -1000}));
    EXPECT_EQ(undoSteps(project), 1u);
}

TEST_F(SessionFixture, ArcEndDragSetsTheAngle)
{
    TObjekt& c = add(project, NewCircle({5000, -5000}, 1050, 0, LayerK2, 950), true);
    const TPoint end = PointOnMidCircle(c, 0);
    ASSERT_EQ(end, (TPoint{6000, -5000}));
    drag(session, end, {{5000, -4000}});
    // Where both ends meet (a full circle) the stop end is the one caught.
    EXPECT_EQ(c.Width, 90);
    EXPECT_EQ(c.Angle, 0);
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_EQ(arcEndAngle({0, 0}, {-100, 0}), 180);
    EXPECT_EQ(arcEndAngle({0, 0}, {0, -100}), 270);
    EXPECT_EQ(arcEndAngle({0, 0}, {100, -1}), 359);
    EXPECT_EQ(arcEndAngle({0, 0}, {-100, -1}), 181);
    EXPECT_EQ(arcEndAngle({0, 0}, {-100, 100}), 135);
    EXPECT_FALSE(arcEndAngle({0, 0}, {0, 0}).has_value());
}

TEST_F(SessionFixture, RightClickOnACornerOpensTheNodeMenu)
{
    addTrack(project, {{1000, -1000}, {3000, -1000}}, LayerK2);
    addTrack(project, {{1000, -4000}, {3000, -4000}, {3000, -6000}, {5000, -6000}}, LayerK2);
    session.mousePress({3000, -1000}, MouseButton::Right, 0); // selects, then finds the corner
    ASSERT_EQ(view.menus.size(), 1u);
    EXPECT_EQ(view.menus[0].first, "KnotenPopup");
    NodeMenuState m = session.nodeMenu();
    EXPECT_FALSE(m.removeNode); // only two corners
    EXPECT_FALSE(m.splitTrack); // the last corner

    session.mousePress({3000, -6000}, MouseButton::Right, 0);
    EXPECT_EQ(view.menus.back().first, "KnotenPopup");
    EXPECT_EQ(session.nodeMenuElement(), 1u);
    EXPECT_EQ(session.nodeMenuNode(), 2);
    m = session.nodeMenu();
    EXPECT_TRUE(m.removeNode);
    EXPECT_TRUE(m.splitTrack);

    session.mousePress({2000, -4000}, MouseButton::Right, 0); // on the track, not a corner
    EXPECT_EQ(view.menus.back().first, "PopupMenu");
    session.mousePress({8000, -8123}, MouseButton::Right, 0);
    session.setOriginAtMenuPoint();
    EXPECT_EQ(board().Origin, (TPoint{7874, -8128})); // the snapped position of the click
    EXPECT_EQ(view.origins.back(), board().Origin);
}

// ---------------------------------------------------------------------------------------------
// Other tools, keys and displays

TEST_F(SessionFixture, ZoomToolAsksTheViewAndSpaceZoomsTemporarily)
{
    session.SetTool(ToolZoom);
    EXPECT_EQ(view.cursor, "LUPE");
    drag(session, {1000, -1000}, {{20000, 500}});
    ASSERT_EQ(view.zoomReleases.size(), 1u);
    EXPECT_EQ(view.zoomReleases[0].second, (TPoint{16000, 0})); // limited to the board
    session.mousePress({0, 0}, MouseButton::Right, 0);
    EXPECT_EQ(view.zoomOuts, 1);
    EXPECT_EQ(session.tool(), ToolZoom);

    session.SetTool(ToolPad);
    session.keyPress(Key::Space, 0);
    EXPECT_EQ(session.tool(), ToolZoom);
    session.keyPress(Key::Space, 0); // auto-repeat
    session.keyRelease(Key::Space, 0);
    EXPECT_EQ(session.tool(), ToolPad);
    EXPECT_EQ(view.tools.back(), ToolPad);
}

TEST_F(SessionFixture, MeasurePanelShowsMillimetresAndInches)
{
    session.SetTool(ToolMeasure);
    session.mousePress({1000, -1000}, MouseButton::Left, 0);
    EXPECT_TRUE(view.measureShown);
    EXPECT_FALSE(view.originMarkerVisible);
    session.mouseMove({1300, -1400}, 0);
    EXPECT_EQ(view.measure.dx, "3 mm");
    EXPECT_EQ(view.measure.dy, "4 mm");
    EXPECT_EQ(view.measure.distance, "5 mm");
    EXPECT_EQ(view.measure.angle, "53.1°");
    session.mouseRelease({1300, -1400}, MouseButton::Left, 0);
    EXPECT_FALSE(view.measureShown);
    EXPECT_TRUE(view.originMarkerVisible);

    const MeasurePanel inch = measureTexts(2540, 0, true);
    EXPECT_EQ(inch.dx, "1 \"");
    EXPECT_EQ(inch.dy, "0 \"");
    EXPECT_EQ(inch.angle, "0°");
    EXPECT_EQ(measureTexts(12345, -1, false).dx, "123.5 mm");
    EXPECT_EQ(measureTexts(0, 0, false).angle, "0°");
}

TEST_F(SessionFixture, CoordinatesAreShownFromTheOriginWithYDownward)
{
    board().Origin = {1000, -1000};
    session.SetTool(ToolTrack);
    session.mouseMove({2300, -3600}, 0); // snapped to (2286, -3556)
    EXPECT_EQ(view.xText, "X: 12.86 mm");
    EXPECT_EQ(view.yText, "Y: 25.56 mm");
    session.SetTool(ToolStandard);
    session.mouseMove({2300, -3600}, 0); // the Standard tool shows the raw position
    EXPECT_EQ(view.xText, "X: 13 mm");
    view.inch = true;
    session.mouseMove({1000 + 2540, -1000}, 0);
    EXPECT_EQ(view.xText, "X: 1 \"");
    EXPECT_EQ(view.yText, "Y: 0 \"");
}

TEST_F(SessionFixture, OriginMarkerDragsWithTheStandardToolOnly)
{
    session.originMarkerPress();
    EXPECT_TRUE(view.confined);
    session.originMarkerMove({500, -500}, 0);
    session.originMarkerRelease();
    EXPECT_FALSE(view.confined);
    EXPECT_EQ(board().Origin, (TPoint{508, -508}));
    session.SetTool(ToolTrack);
    session.originMarkerPress();
    session.originMarkerMove({1000, -1000}, 0);
    EXPECT_EQ(board().Origin, (TPoint{508, -508}));
}

TEST_F(SessionFixture, AutomaticScrollingNearTheEdges)
{
    view.visible = {0, -5000, 8000, 0}; // zoom 0.1: 8 pixels are 80 units
    session.SetTool(ToolTrack);
    click(session, {1000, -1000});
    session.mouseMove({7950, -2000}, 0);
    ASSERT_EQ(view.scrolls.size(), 1u);
    EXPECT_EQ(view.scrolls[0], (std::pair<int, int>{1, 0}));
    session.mouseMove({4000, -4950}, 0);
    EXPECT_EQ(view.scrolls.back(), (std::pair<int, int>{0, 1}));
    session.mouseMove({10, -2000}, 0); // already at the left edge of the board
    EXPECT_EQ(view.scrolls.size(), 2u);
}

TEST_F(SessionFixture, FunctionKeysChooseAndHideLayers)
{
    session.keyPress(Key::F1, 0);
    EXPECT_EQ(board().ActiveLayer, LayerK1);
    TObjekt& pad = addPad(project, {1000, -1000}, LayerK2, true);
    session.keyPress(Key::F7, 0);
    EXPECT_EQ(board().LayerVisible[2], 0);
    EXPECT_FALSE(pad.Selected);
    session.keyPress(Key::F5, 0); // the active layer cannot be hidden
    EXPECT_EQ(board().LayerVisible[0], 1);
    EXPECT_GE(view.layerChanges, 2);
}

TEST_F(SessionFixture, DoubleClickOnATextAsksForItsDialogAndTheNextPressCounts)
{
    auto text = std::make_unique<TObjekt>();
    text->Kind = KindFontText;
    text->X = 1000;
    text->Y = -1000;
    text->Size1 = 2000;
    text->Size2 = -1500;
    text->Layer = LayerK2;
    TObjekt& t = add(project, std::move(text));
    session.mousePress({1500, -1200}, MouseButton::Left, 0);
    session.mouseRelease({1500, -1200}, MouseButton::Left, 0);
    session.mouseDoubleClick({1500, -1200}, 0);
    ASSERT_EQ(view.editedTexts.size(), 1u);
    EXPECT_EQ(view.editedTexts[0], &t);
    // The modal dialog keeps its own clicks: the next press on the board is a real one.
    click(session, {8000, -8000});
    EXPECT_FALSE(t.Selected);
}

TEST_F(SessionFixture, DoubleClickOnAnyOtherElementOpensThePropertiesOfTheSelection)
{
    TObjekt& pad = addPad(project, {2540, -2540});
    click(session, {2540, -2540});
    session.mouseDoubleClick({2540, -2540}, 0);
    EXPECT_TRUE(pad.Selected);
    EXPECT_EQ(view.propertyDialogs, 1);
    EXPECT_TRUE(view.editedTexts.empty());
    session.mouseDoubleClick({9000, -9000}, 0); // empty board: nothing
    session.SetTool(ToolTrack);
    session.mouseDoubleClick({2540, -2540}, 0); // other tools: nothing
    EXPECT_EQ(view.propertyDialogs, 1);
}

TEST_F(SessionFixture, DuplicatePlacesACopyAtTheCursorAsOneStep)
{
    addPad(project, {2540, -2540}, LayerK2, true);
    session.startDuplicate();
    EXPECT_EQ(session.tool(), ToolPlacement);
    session.mouseMove({5080, -2540}, 0);
    ASSERT_TRUE(view.shown(PreviewKind::Move));
    EXPECT_EQ(view.previews[PreviewKind::Move].offset, (TPoint{2540, 0}));
    click(session, {5080, -2540});
    ASSERT_EQ(elements().size(), 2u);
    EXPECT_EQ(last().X, 5080);
    EXPECT_TRUE(last().Selected); // the placed copy stays selected
    EXPECT_FALSE(elements()[0]->Selected);
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_EQ(undoSteps(project), 1u);

    session.startPaste();
    session.mousePress({0, 0}, MouseButton::Right, 0); // right click: nothing placed
    EXPECT_EQ(session.tool(), ToolStandard);
    EXPECT_EQ(elements().size(), 2u);
}

TEST_F(SessionFixture, PolygonToolFallsBackToStandardOnCancel)
{
    view.acceptPolygon = false;
    session.SetTool(ToolVieleck);
    EXPECT_EQ(session.tool(), ToolStandard);
    view.acceptPolygon = true;
    session.SetTool(ToolVieleck);
    ASSERT_EQ(session.tool(), ToolVieleck);
    session.polygonSettings().corners = 4;
    session.mouseMove({5080, -5080}, 0);
    EXPECT_TRUE(view.shown(PreviewKind::PolygonOutline));
    click(session, {5080, -5080});
    ASSERT_EQ(elements().size(), 1u);
    EXPECT_EQ(last().Points.size(), 5u);
    EXPECT_EQ(undoSteps(project), 1u);
    EXPECT_EQ(session.tool(), ToolVieleck);
}

TEST_F(SessionFixture, CtrlClickMakesAnSmdPadsSizeTheSizeOfNewOnes)
{
    add(project, NewSmdPad({2540, -2540}, 150, LayerK2, 250));
    click(session, {2540, -2540}, ModCtrl);
    click(session, {8000, -8000}); // deselect: the fields return to their defaults
    session.SetTool(ToolSmdPad);
    click(session, {5080, -5080});
    EXPECT_EQ(last().Size1, 150);
    EXPECT_EQ(last().Size2, 250);

    // Without CTRL the selected size is shown but new pads go back to the default afterwards.
    session.SetTool(ToolStandard);
    add(project, NewSmdPad({7620, -2540}, 60, LayerK2, 70));
    click(session, {7620, -2540});
    EXPECT_EQ(session.params().smdWidth, 60);
    click(session, {8000, -8000});
    EXPECT_EQ(session.params().smdWidth, 150);
}

TEST_F(SessionFixture, ToolsFromOtherModulesPlugInUnderTheirCodes)
{
    session.SetTool(ToolText); // nothing installed yet: the Standard tool stays in charge
    EXPECT_EQ(session.tool(), ToolStandard);

    struct Recorder : ToolState {
        std::vector<TPoint>* presses;
        explicit Recorder(std::vector<TPoint>* p) : presses(p) {}
        void press(EditSession&, TPoint p, unsigned) override { presses->push_back(p); }
        ToolHint hint(const EditSession&) const override { return ToolHint::Text; }
    };
    std::vector<TPoint> presses;
    session.installTool(ToolText, std::make_unique<Recorder>(&presses));
    session.SetTool(ToolText);
    ASSERT_EQ(session.tool(), ToolText);
    EXPECT_EQ(view.hint, "|Text: Click to text position, abort with right mouse button");
    click(session, {100, -200});
    EXPECT_EQ(presses, (std::vector<TPoint>{TPoint{100, -200}}));
    session.mousePress({0, 0}, MouseButton::Right, 0); // the default right click ends the tool
    EXPECT_EQ(session.tool(), ToolStandard);
}

TEST_F(SessionFixture, StatusHintsFollowTheLanguage)
{
    EXPECT_EQ(toolHintText(ToolHint::ConnectionFirst, 1), "|Connection: Select first pad");
    EXPECT_EQ(toolHintText(ToolHint::AreaStart, 0), "|Fläche: Startpunkt wählen");
    EXPECT_EQ(toolHintText(ToolHint::AreaStart, 2), "|surface: Cliquez à l´endroit de départ");
    EXPECT_EQ(toolHintText(ToolHint::Circle, 7), "|Kreisring: Mittelpunkt anklicken und Grösse aufziehen");
}

} // namespace

#include "edit/editcommands.h"

#include "edit/layouttext.h"
#include "edittestboard.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace trevok;
using namespace trevok::testing;

namespace
{

/// Every kind of link and most kinds of element, most of them selected: a through-plated pair
/// with connections and an autorouted track, an SMD pad, a grouped text and arc, an area, a
/// track far outside the board and a track of four corners.
void richBoard(TProject& p)
{
    TObjekt& a = addPad(p, {1000, -1000}, LayerK1, true); // 0
    TObjekt& b = addPad(p, {1000, -1000}, LayerK2, true); // 1
    twin(a, b);
    TObjekt& c = addPad(p, {3000, -1000}, LayerK1);                        // 2
    TObjekt& d = add(p, NewSmdPad({2000, -2000}, 120, LayerK1, 60), true); // 3
    connect(a, c);
    connect(c, d);
    TObjekt& route = addTrack(p, {{3000, -1000}, {1000, -1000}}, LayerK1, true); // 4
    route.Autorouted = 1;
    route.RouteStart = &a;
    route.RouteEnd = &c;
    LayoutTextSettings ts;
    ts.text = "AB";
    int counter = 0;
    TObjekt& text = add(p, makeLayoutText({500, -4000}, ts, LayerB1, 40, 254.0, counter), true); // 5
    AddGroup(text, 1);
    TObjekt& arc = add(p, NewCircle({4000, -3000}, 100, 0, LayerK1, 60), true); // 6
    arc.Angle = 30;
    arc.Width = 90;
    AddGroup(arc, 1);
    TObjekt& area = add(p, NewArea(20, LayerK2)); // 7
    for (TPoint q : {TPoint{0, 0}, TPoint{500, 0}, TPoint{500, -500}, TPoint{0, 0}})
        AddPoint(area, q);
    addTrack(p, {{-5000, 5000}, {-4000, 5000}});                                           // 8
    addTrack(p, {{130, -130}, {1130, -130}, {1130, -1130}, {2130, -1130}}, LayerK1, true); // 9
}

using Command = std::function<EditResult(TProject&)>;

struct NamedCommand {
    const char* name;
    Command run;
};

std::vector<NamedCommand> undoableCommands()
{
    static Clipboard clip;
    return {
        {"cut", [](TProject& p) { return cutSelection(p, clip); }},
        {"delete", deleteSelection},
        {"rotate", rotateSelection},
        {"mirror horizontally", mirrorSelectionHorizontally},
        {"mirror vertically", mirrorSelectionVertically},
        {"group", groupSelectedElements},
        {"ungroup", ungroupSelectedElements},
        {"align top", [](TProject& p) { return alignSelection(p, AlignTop); }},
        {"align right", [](TProject& p) { return alignSelection(p, AlignRight); }},
        {"align centre", [](TProject& p) { return alignSelection(p, AlignCentreVertical); }},
        {"snap to grid", snapSelectionToGrid},
        {"other side", selectionToOtherSide},
        {"set to layer", [](TProject& p) { return selectionToLayer(p, LayerB2); }},
        {"remove node", [](TProject& p) { return removeNode(p, 9, 1); }},
        {"new node", [](TProject& p) { return insertNode(p, 9, 0); }},
        {"snap node", [](TProject& p) { return snapNode(p, 9, 0); }},
        {"split track", [](TProject& p) { return splitTrack(p, 9, 2, 40); }},
        {"delete outside", deleteOutsideBoard},
        {"paste",
         [](TProject& p) {
             Clipboard c;
             copySelection(p, c);
             return placeClipboard(p, c, {254, 0}, LayerK2);
         }},
        {"polygon",
         [](TProject& p) {
             return placeRegularPolygon(p, {0, 0}, PolygonSettings{}, LayerK1, 40, false);
         }},
    };
}

} // namespace

TEST(EditCommands, EachCommandIsOneUndoStepAndUndoRestoresTheBoard)
{
    for (const auto& command : undoableCommands()) {
        SCOPED_TRACE(command.name);
        TProject p = oneBoardProject();
        richBoard(p);
        const std::string before = dump(p);
        const EditResult r = command.run(p);
        EXPECT_TRUE(r.changed);
        EXPECT_TRUE(p.Modified);
        ASSERT_EQ(undoSteps(p), 1u);
        EXPECT_NE(dump(p), before);
        ASSERT_TRUE(Undo(p));
        EXPECT_EQ(dump(p), before);
    }
}

TEST(EditCommands, NothingToChangeTakesNoUndoStep)
{
    // Without a selection every selection command leaves the board, its history and its
    // modified mark alone.
    std::vector<NamedCommand> commands = undoableCommands();
    for (const auto& command : commands) {
        const std::string name = command.name;
        if (name.find("node") != std::string::npos || name == "split track" || name == "polygon" ||
            name == "delete outside")
            continue;
        SCOPED_TRACE(name);
        TProject p = oneBoardProject();
        richBoard(p);
        for (auto& e : boardOf(p).Elements)
            e->Selected = 0;
        const std::string before = dump(p);
        const EditResult r = command.run(p);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(undoSteps(p), 0u);
        EXPECT_FALSE(p.Modified);
        EXPECT_EQ(dump(p), before);
    }

    // Selections on which the command has nothing to do.
    TProject p = oneBoardProject();
    TObjekt& pad = addPad(p, {254, -254}, LayerK1, true); // round, on the grid: rotation keeps it
    EXPECT_FALSE(rotateSelection(p).changed);
    EXPECT_FALSE(alignSelection(p, AlignLeft).changed); // a single element is its own edge
    EXPECT_FALSE(snapSelectionToGrid(p).changed);
    EXPECT_FALSE(selectionToLayer(p, LayerK1).changed);
    EXPECT_FALSE(groupSelectedElements(p).changed); // one element makes no group
    EXPECT_FALSE(ungroupSelectedElements(p).changed);
    TObjekt& other = addPad(p, {508, -254}, LayerK1, true);
    AddGroup(pad, 3);
    AddGroup(other, 3);
    EXPECT_FALSE(groupSelectedElements(p).changed); // already exactly one group
    TObjekt& track = addTrack(p, {{0, 0}, {254, 0}});
    EXPECT_FALSE(snapNode(p, 2, 1).changed);
    EXPECT_FALSE(removeNode(p, 2, 0).changed);     // two corners are the minimum
    EXPECT_FALSE(splitTrack(p, 2, 1, 40).changed); // the last corner is no split point
    EXPECT_FALSE(deleteOutsideBoard(p).changed);
    EXPECT_FALSE(placeClipboard(p, Clipboard{}, {0, 0}, LayerK1).changed);
    EXPECT_EQ(track.Points.size(), 2u);
    EXPECT_EQ(undoSteps(p), 0u);
}

TEST(Clipboard, CopyKeepsOnlyLinksInsideTheClipboard)
{
    TProject p = oneBoardProject();
    richBoard(p);
    ASSERT_TRUE(SetActiveLayer(boardOf(p), LayerB1));
    Clipboard clip;
    copySelection(p, clip);
    EXPECT_EQ(clip.clipboardSide, LayerB1);
    const ElementList& c = clip.ClipboardList;
    // Selected in board order: pads 0 and 1, SMD 3, route 4, text 5, arc 6, track 9.
    ASSERT_EQ(c.size(), 7u);
    EXPECT_EQ(c[0]->Twin, c[1].get());
    EXPECT_EQ(c[1]->Twin, c[0].get());
    EXPECT_TRUE(c[0]->Connections.empty()); // its partner, pad 2, was not copied
    EXPECT_TRUE(c[2]->Connections.empty());
    EXPECT_EQ(c[3]->RouteStart, c[0].get());
    EXPECT_EQ(c[3]->RouteEnd, nullptr);
    EXPECT_EQ(c[4]->Strokes.size(), boardOf(p).Elements[5]->Strokes.size());
    for (const auto& e : c)
        EXPECT_EQ(e->Selected, 0);
    EXPECT_EQ(undoSteps(p), 0u);
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(selectedElements(boardOf(p)).size(), 7u);
}

TEST(Clipboard, PasteOnTheOtherSideSwapsLayersButKeepsThroughPlatedPairs)
{
    TProject p = oneBoardProject();
    TBoard& board = boardOf(p);
    SetActiveLayer(board, LayerK1);
    TObjekt& copper = addTrack(p, {{0, 0}, {1000, 0}}, LayerK1, true);
    TObjekt& silk = addTrack(p, {{0, -500}, {1000, -500}}, LayerB1, true);
    TObjekt& top = addPad(p, {2000, -2000}, LayerK1, true);
    TObjekt& bottom = addPad(p, {2000, -2000}, LayerK2, true);
    twin(top, bottom);
    TObjekt& smd = add(p, NewSmdPad({3000, -2000}, 100, LayerK1, 50), true);
    connect(top, smd);
    TObjekt& route = addTrack(p, {{2000, -2000}, {3000, -2000}}, LayerK1, true);
    route.Autorouted = 1;
    route.RouteStart = &top;
    route.RouteEnd = &smd;
    TObjekt& old = addPad(p, {5000, -5000});
    AddGroup(old, 9);
    (void)copper;
    (void)silk;

    Clipboard clip;
    copySelection(p, clip);
    const std::string clipBefore = dump(clip.ClipboardList);
    const EditResult r = placeClipboard(p, clip, {254, -508}, LayerK2);
    ASSERT_TRUE(r.changed);
    EXPECT_EQ(undoSteps(p), 1u);
    EXPECT_EQ(dump(clip.ClipboardList), clipBefore);

    const ElementList& list = board.Elements;
    ASSERT_EQ(list.size(), 13u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(list[i]->Selected, 0) << i;
    const TObjekt& nc = *list[7];
    const TObjekt& ns = *list[8];
    const TObjekt& nt = *list[9];
    const TObjekt& nb = *list[10];
    const TObjekt& nsmd = *list[11];
    const TObjekt& nroute = *list[12];
    EXPECT_EQ(nc.Layer, LayerK2);
    EXPECT_EQ(ns.Layer, LayerB2);
    EXPECT_EQ(nt.Layer, LayerK1);
    EXPECT_EQ(nb.Layer, LayerK2);
    EXPECT_EQ(nsmd.Layer, LayerK2);
    EXPECT_EQ(nc.Points[0], (TPoint{254, -508}));
    EXPECT_EQ(nt.X, 2254);
    EXPECT_EQ(nt.Twin, &nb);
    EXPECT_EQ(nb.Twin, &nt);
    ASSERT_EQ(nt.Connections.size(), 1u);
    EXPECT_EQ(nt.Connections[0], &nsmd);
    EXPECT_EQ(nroute.RouteStart, &nt);
    EXPECT_EQ(nroute.RouteEnd, &nsmd);
    EXPECT_EQ(top.Twin, &bottom); // the originals keep their own links
    ASSERT_EQ(top.Connections.size(), 1u);
    EXPECT_EQ(top.Connections[0], &smd);

    // The pasted elements are selected and form one group of their own.
    const std::int32_t g = nc.lastGroup();
    EXPECT_NE(g, 0);
    EXPECT_NE(g, old.lastGroup());
    for (std::size_t i = 7; i < 13; ++i) {
        EXPECT_EQ(list[i]->Selected, 1);
        EXPECT_EQ(list[i]->lastGroup(), g);
    }
    EXPECT_TRUE(r.hasArea);
    EXPECT_TRUE(r.area.contains(254, -508));
    EXPECT_TRUE(r.area.contains(1000, -500)); // the deselected originals are redrawn too
}

TEST(Clipboard, PastedGroupsStayApartFromTheBoardsAndFromEachOther)
{
    TProject p = oneBoardProject();
    TObjekt& a = addPad(p, {0, -1000}, LayerK1, true);
    TObjekt& b = addPad(p, {500, -1000}, LayerK1, true);
    TObjekt& inner = addPad(p, {1000, -1000}, LayerK1, true);
    a.Groups = {4, 6};
    b.Groups = {6};
    inner.Groups = {4, 6};
    Clipboard clip;
    copySelection(p, clip);
    placeClipboard(p, clip, {0, -2540}, LayerK2);
    placeClipboard(p, clip, {0, -5080}, LayerK2);
    const ElementList& list = boardOf(p).Elements;
    ASSERT_EQ(list.size(), 9u);
    std::set<std::int32_t> outer;
    for (std::size_t set = 0; set < 3; ++set) {
        const TObjekt& first = *list[3 * set];
        outer.insert(first.lastGroup());
        EXPECT_EQ(list[3 * set + 1]->lastGroup(), first.lastGroup());
        // The nested group inside the pasted one is kept, and is not the inner group of another set.
        ASSERT_EQ(first.Groups.size(), 2u);
        EXPECT_EQ(list[3 * set + 2]->Groups, first.Groups);
        for (std::size_t other = 0; other < set; ++other)
            EXPECT_NE(list[3 * other]->Groups.front(), first.Groups.front());
    }
    EXPECT_EQ(outer.size(), 3u);
    // Dissolving one pasted group leaves the others whole.
    for (auto& e : boardOf(p).Elements)
        e->Selected = 0;
    SelectWithGroup(boardOf(p).Elements, 3, true);
    EXPECT_EQ(selectedCount(boardOf(p)), 3u);
}

TEST(Clipboard, PlacementOffsetIsLimitedAtTheBoardEdgeAndThenSnapped)
{
    TProject p = oneBoardProject();
    TBoard& board = boardOf(p);
    Clipboard clip;
    clip.ClipboardList.push_back(NewPad({100, -100}, 80, ShapeRound, LayerK1, 40));
    ASSERT_EQ(clipboardBounds(clip), (TRect{20, -180, 180, -20}));
    EXPECT_EQ(clipboardAnchor(clip, board.Grid), (TPoint{0, 0}));
    // Past the left edge the offset stops with the left edge at 0; snapping then applies.
    EXPECT_EQ(placementOffset(clip, {-1000, -1000}, board, false), (TPoint{-20, -1000}));
    EXPECT_EQ(placementOffset(clip, {-1000, -1000}, board, true), (TPoint{0, -1016}));
    EXPECT_EQ(placementOffset(clip, {0, 5000}, board, false), (TPoint{0, 20}));
    EXPECT_EQ(placementOffset(clip, {99999, -99999}, board, false), (TPoint{15820, -9820}));
    EXPECT_EQ(placementOffset(Clipboard{}, {500, 500}, board, true), (TPoint{0, 0}));
    // A selection wider than the board keeps its left edge on the board.
    EXPECT_EQ(boardEdgeLimitedOffset({-100, -50, 20000, -10}, -500, 0, board), (TPoint{100, 0}));
}

TEST(Delete, RemovedPadsLeaveNoLinksBehind)
{
    TProject p = oneBoardProject();
    richBoard(p);
    ElementList& list = boardOf(p).Elements;
    for (auto& e : list)
        e->Selected = 0;
    list[0]->Selected = 1; // pad a without its twin, connected to c, start of the route
    TObjekt* b = list[1].get();
    TObjekt* c = list[2].get();
    TObjekt* route = list[4].get();
    const EditResult r = deleteSelection(p);
    ASSERT_TRUE(r.changed);
    ASSERT_EQ(list.size(), 9u);
    EXPECT_EQ(b->Twin, nullptr);
    ASSERT_EQ(c->Connections.size(), 1u); // only the SMD pad is left
    EXPECT_EQ(c->Connections[0]->Kind, KindSmdPad);
    EXPECT_EQ(route->RouteStart, nullptr);
    EXPECT_EQ(route->RouteEnd, c);
    EXPECT_EQ(route->Autorouted, 1);           // resolving it later finds the missing end
    EXPECT_TRUE(r.area.contains(3000, -1000)); // the partner's rubber band is redrawn
}

TEST(Delete, ElementsOutsideTheBoard)
{
    TProject p = oneBoardProject();
    addPad(p, {1000, -1000});                    // inside
    addPad(p, {0, -1000});                       // half outside: stays
    TObjekt& touching = addPad(p, {-80, -1000}); // touches the left edge from outside
    touching.Clearance = 0;
    TObjekt& above = addPad(p, {8000, 500});       // above the board
    TObjekt& partner = addPad(p, {16000, -10000}); // on the far corner: stays
    connect(above, partner);
    addTrack(p, {{-5000, 5000}, {-4000, 5000}});
    const EditResult r = deleteOutsideBoard(p);
    ASSERT_TRUE(r.changed);
    ASSERT_EQ(boardOf(p).Elements.size(), 3u);
    EXPECT_EQ(boardOf(p).Elements[1]->X, 0);
    EXPECT_TRUE(partner.Connections.empty());
    EXPECT_EQ(undoSteps(p), 1u);
}

TEST(Select, SelectAllFollowsVisibilityGroupsAndTwins)
{
    TProject p = oneBoardProject();
    TBoard& board = boardOf(p);
    TObjekt& visible = addPad(p, {0, 0}, LayerK1);
    TObjekt& hiddenAlone = addPad(p, {100, 0}, LayerB2);
    TObjekt& hiddenMate = addPad(p, {200, 0}, LayerB2);
    TObjekt& mate = addPad(p, {300, 0}, LayerK1);
    AddGroup(hiddenMate, 2);
    AddGroup(mate, 2);
    ASSERT_TRUE(ToggleLayerVisible(board, LayerB2));
    EditResult r = selectAll(p);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(visible.Selected, 1);
    EXPECT_EQ(hiddenAlone.Selected, 0);
    EXPECT_EQ(hiddenMate.Selected, 1);
    EXPECT_EQ(mate.Selected, 1);
    EXPECT_EQ(undoSteps(p), 0u);
    EXPECT_FALSE(selectAll(p).changed);
}

TEST(EnabledState, FollowsSelectionClipboardAndHistory)
{
    TProject p = oneBoardProject();
    Clipboard clip;
    EditCommandState s = editCommandState(p, clip);
    EXPECT_FALSE(s.copy || s.paste || s.selectAll || s.group || s.ungroup || s.arc || s.undo || s.redo ||
                 s.zoomPrevious || s.boardCommands);

    TObjekt& circle = add(p, NewCircle({0, 0}, 100, 0, LayerK1, 50), true);
    s = editCommandState(p, clip);
    EXPECT_TRUE(s.copy && s.cut && s.erase && s.duplicate && s.rotate && s.mirrorHorizontally &&
                s.mirrorVertically && s.snapToGrid && s.otherSide && s.setLayer && s.zoomSelection);
    EXPECT_TRUE(s.arc && s.selectAll && s.zoomAllObjects);
    EXPECT_FALSE(s.group || s.align || s.ungroup || s.paste);

    TObjekt& pad = addPad(p, {500, 0}, LayerK1, true);
    EXPECT_TRUE(editCommandState(p, clip).group);
    AddGroup(circle, 1);
    EXPECT_TRUE(editCommandState(p, clip).group); // one grouped, one not
    AddGroup(pad, 1);
    s = editCommandState(p, clip);
    EXPECT_FALSE(s.group || s.align); // exactly one group
    EXPECT_TRUE(s.ungroup);

    copySelection(p, clip);
    rotateSelection(p);
    AddBoard(p, 1);
    ShowBoard(p, 0);
    s = editCommandState(p, clip);
    EXPECT_TRUE(s.paste && s.undo && s.boardCommands);
    EXPECT_FALSE(s.redo);
}

TEST(SetToLayer, RestrictedAreasStayOnTheCopperOfTheChosenSide)
{
    struct Case {
        std::uint8_t from, chosen, expected;
        bool restricted;
    };
    const Case cases[] = {
        {LayerK1, LayerB1, LayerK1, true}, // the same side: nothing changes
        {LayerK1, LayerB2, LayerK2, true}, // the other side's copper
        {LayerK2, LayerB1, LayerK1, true},  {LayerK1, LayerK2, LayerK2, true}, // copper to copper as chosen
        {LayerK1, LayerB2, LayerB2, false}, // an ordinary area goes where it is put
    };
    for (const Case& c : cases) {
        TProject p = oneBoardProject();
        TObjekt& area = add(p, NewArea(20, c.from), true);
        area.Restricted = c.restricted ? 1 : 0;
        for (TPoint q : {TPoint{0, 0}, TPoint{500, 0}, TPoint{500, -500}, TPoint{0, 0}})
            AddPoint(area, q);
        const EditResult r = selectionToLayer(p, c.chosen);
        EXPECT_EQ(area.Layer, c.expected) << int(c.from) << "->" << int(c.chosen);
        EXPECT_EQ(r.changed, c.from != c.expected);
        EXPECT_EQ(undoSteps(p), c.from != c.expected ? 1u : 0u);
    }
}

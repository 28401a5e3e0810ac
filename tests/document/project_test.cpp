#include "document/messages.h"
#include "document/project.h"
#include "document/undo.h"

#include <gtest/gtest.h>

using namespace trevok;

namespace {

/// What the window holds for the current board while it is shown.
struct FakeView {
    double zoom = 0;
    std::int32_t scrollX = 0, scrollY = 0;
    int activeLayer = 0;
    std::array<std::uint8_t, 4> visible{};
    int stores = 0;
    int loads = 0;
};

void connectView(TProject& project, FakeView& view)
{
    project.StoreLiveState = [&view](TBoard& b) {
        ++view.stores;
        b.Zoom = view.zoom;
        b.ScrollX = view.scrollX;
        b.ScrollY = view.scrollY;
        b.ActiveLayer = static_cast<std::uint8_t>(view.activeLayer);
        b.LayerVisible = view.visible;
    };
    project.LoadLiveState = [&view](TBoard& b) {
        ++view.loads;
        view.zoom = b.Zoom;
        view.scrollX = b.ScrollX;
        view.scrollY = b.ScrollY;
        view.activeLayer = b.ActiveLayer;
        view.visible = b.LayerVisible;
    };
}

TObjekt& addPad(TBoard& board, std::uint8_t layer, std::int32_t x = 0)
{
    board.Elements.push_back(NewPad({x, -100}, 80, ShapeRound, layer, 40));
    return *board.Elements.back();
}

void twin(TObjekt& a, TObjekt& b)
{
    a.Twin = &b;
    b.Twin = &a;
}

std::vector<std::string> names(const TProject& p)
{
    std::vector<std::string> out;
    for (const auto& b : p.Boards)
        out.push_back(b->Name);
    return out;
}

} // namespace

TEST(Boards, NewBoardsAreNamedByCountEvenWhenTheNameExists)
{
    EXPECT_EQ(DefaultBoardName(0, 2), "Platine 2");
    EXPECT_EQ(DefaultBoardName(1, 2), "Board 2");
    EXPECT_EQ(DefaultBoardName(2, 2), "Carte 2");

    TProject p;
    startNewProject(p, 0);
    EXPECT_EQ(names(p), std::vector<std::string>{"Platine 1"});
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(p.currentBoard()->ActiveLayer, 3);
    AddBoard(p, 0);
    AddBoard(p, 0);
    AddBoard(p, 0);
    RemoveBoard(p, 0);              // "Platine 2", "Platine 3", "Platine 4"
    AddBoard(p, 0);                 // four boards → "Platine 4" again
    EXPECT_EQ(names(p), (std::vector<std::string>{"Platine 2", "Platine 3", "Platine 4", "Platine 4"}));
    EXPECT_EQ(p.Current, 3);
    EXPECT_TRUE(p.Modified);
    EXPECT_TRUE(p.currentBoard()->UndoStack.empty());

    NewBoard(p, std::string(40, 'x'));
    EXPECT_EQ(p.currentBoard()->Name.size(), MaxBoardNameBytes);
}

TEST(Boards, SwitchingStoresAndRestoresEachBoardsViewWithoutSnapshots)
{
    TProject p;
    FakeView view;
    connectView(p, view);
    startNewProject(p, 1);
    EXPECT_EQ(view.zoom, 0.1);
    view.zoom = 0.5;
    view.scrollX = 120;
    view.scrollY = -40;
    view.activeLayer = 1;
    view.visible = {1, 0, 1, 1};

    AddBoard(p, 1);
    EXPECT_EQ(view.zoom, 0.1);      // a new board comes with its defaults
    EXPECT_EQ(view.activeLayer, 3);
    view.zoom = 0.02;
    view.scrollY = 999;
    view.activeLayer = 4;
    view.visible = {0, 1, 1, 1};

    // A snapshot requested while the view is being stored or loaded must not be taken.
    p.StoreLiveState = [inner = p.StoreLiveState, &p](TBoard& b) {
        inner(b);
        PushUndo(p);
    };
    ShowBoard(p, 0);
    EXPECT_EQ(view.zoom, 0.5);
    EXPECT_EQ(view.scrollX, 120);
    EXPECT_EQ(view.scrollY, -40);
    EXPECT_EQ(view.activeLayer, 1);
    EXPECT_EQ(view.visible, (std::array<std::uint8_t, 4>{1, 0, 1, 1}));
    ShowBoard(p, 1);
    EXPECT_EQ(view.zoom, 0.02);
    EXPECT_EQ(view.scrollY, 999);
    EXPECT_EQ(view.activeLayer, 4);
    EXPECT_EQ(view.visible, (std::array<std::uint8_t, 4>{0, 1, 1, 1}));
    EXPECT_TRUE(p.Boards[0]->UndoStack.empty());
    EXPECT_TRUE(p.Boards[1]->UndoStack.empty());
    EXPECT_FALSE(p.SnapshotsSuspended);

    ShowBoard(p, 7);                // no such tab
    EXPECT_EQ(p.Current, 1);
}

TEST(Boards, ShownBoardNeverHasItsActiveLayerHidden)
{
    TProject p;
    startNewProject(p, 0);
    AddBoard(p, 0);
    p.Boards[0]->ActiveLayer = 2;
    p.Boards[0]->LayerVisible = {1, 0, 1, 1};   // as a damaged file could say
    ShowBoard(p, 0);
    EXPECT_TRUE(IsLayerVisible(*p.currentBoard(), 2));
}

TEST(Boards, RemovingTheCurrentBoardShowsItsNeighbourAndNeverStoresIntoTheRemovedOne)
{
    TProject p;
    FakeView view;
    connectView(p, view);
    startNewProject(p, 0);
    AddBoard(p, 0);
    AddBoard(p, 0);
    TBoard* last = p.Boards[2].get();
    view.zoom = 0.3;
    ShowBoard(p, 1);
    view.zoom = 0.7;
    p.Modified = false;
    const int storesBefore = view.stores;

    EXPECT_TRUE(RemoveBoard(p, 1));
    EXPECT_EQ(view.stores, storesBefore);   // the removed board is not written to
    EXPECT_EQ(p.currentBoard(), last);
    EXPECT_EQ(view.zoom, 0.3);
    EXPECT_TRUE(p.Modified);

    EXPECT_TRUE(RemoveBoard(p, 0));         // an earlier board: the current one stays
    EXPECT_EQ(p.currentBoard(), last);
    EXPECT_EQ(p.Current, 0);

    EXPECT_FALSE(RemoveBoard(p, 3));
    EXPECT_THROW(checkBoardDeletable(p), TrevokError);
    try {
        checkBoardDeletable(p);
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::LastBoardNotDeleted);
    }
}

TEST(Boards, MovingAtTheEndsChangesNothing)
{
    TProject p;
    startNewProject(p, 1);
    AddBoard(p, 1);
    AddBoard(p, 1);
    p.Modified = false;
    ShowBoard(p, 0);
    EXPECT_FALSE(moveBoardLeft(p));
    EXPECT_FALSE(moveBoardToStart(p));
    ShowBoard(p, 2);
    EXPECT_FALSE(moveBoardRight(p));
    EXPECT_FALSE(moveBoardToEnd(p));
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(names(p), (std::vector<std::string>{"Board 1", "Board 2", "Board 3"}));

    // The moved board keeps its history and stays current.
    addPad(*p.currentBoard(), LayerK1);
    PushUndo(p);
    TBoard* moved = p.currentBoard();
    p.Modified = false;
    EXPECT_TRUE(moveBoardToStart(p));
    EXPECT_EQ(names(p), (std::vector<std::string>{"Board 3", "Board 1", "Board 2"}));
    EXPECT_EQ(p.currentBoard(), moved);
    EXPECT_EQ(moved->UndoStack.size(), 1u);
    EXPECT_TRUE(p.Modified);
    EXPECT_TRUE(moveBoardRight(p));
    EXPECT_TRUE(moveBoardToEnd(p));
    EXPECT_TRUE(moveBoardLeft(p));
    EXPECT_EQ(names(p), (std::vector<std::string>{"Board 1", "Board 3", "Board 2"}));
    EXPECT_EQ(p.Current, 1);
}

TEST(Boards, CloseAsksOnlyForModifiedProjectsWithContent)
{
    TProject p;
    startNewProject(p, 0);
    EXPECT_FALSE(NeedsSaveQuestion(p));
    p.Modified = true;
    EXPECT_FALSE(NeedsSaveQuestion(p));         // a single empty board
    addPad(*p.currentBoard(), LayerK1);
    EXPECT_TRUE(NeedsSaveQuestion(p));
    p.Modified = false;
    EXPECT_FALSE(NeedsSaveQuestion(p));
    p.currentBoard()->Elements.clear();
    AddBoard(p, 0);
    EXPECT_TRUE(NeedsSaveQuestion(p));          // two empty boards, modified

    p.Info.Title = "T";
    ClearProject(p);
    EXPECT_TRUE(p.Boards.empty());
    EXPECT_EQ(p.currentBoard(), nullptr);
    EXPECT_EQ(p.Info.Title, "");
    EXPECT_FALSE(p.Modified);
    EXPECT_FALSE(NeedsSaveQuestion(p));
}

TEST(BoardProperties, SizeEntryIsCheckedAsDecimalMillimetres)
{
    EXPECT_EQ(parseBoardSize("160", "100").Width, 16000);
    EXPECT_EQ(parseBoardSize(" 1 ", "300").Height, 30000);
    const BoardSize frac = parseBoardSize("12.5", "99,6");
    EXPECT_EQ(frac.Width, 1200);                // halves to even
    EXPECT_EQ(frac.Height, 10000);
    EXPECT_EQ(parseBoardSize("299.5", "1.0").Width, 30000);

    for (const char* bad : {"0", "0.99", "300.01", "-5", "", "abc", "12abc", "1e2", "nan", "inf", "+"}) {
        try {
            parseBoardSize("100", bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const TrevokError& e) {
            EXPECT_EQ(e.id, MsgId::BoardSizeRange) << bad;
        }
    }
    EXPECT_THROW(parseBoardSize("x", "100"), TrevokError);
    EXPECT_EQ(boardSizeMm(16099), 160);

    TProject p;
    startNewProject(p, 0);
    applyBoardProperties(p, parseBoardSize("50", "60"), "Front panel");
    EXPECT_EQ(p.currentBoard()->BoardWidth, 5000);
    EXPECT_EQ(p.currentBoard()->BoardHeight, 6000);
    EXPECT_EQ(p.currentBoard()->Name, "Front panel");
    EXPECT_TRUE(p.Modified);
}

TEST(ProjectInfo, FieldsAreCutToTheirLimits)
{
    TProject p;
    TProjectInfo info;
    info.Title = std::string(150, 't');
    info.Author = "A";
    info.Company = std::string(101, 'c');
    info.Comment = std::string(2000, 'x');
    EXPECT_TRUE(setProjectInfo(p, info));
    EXPECT_EQ(p.Info.Title.size(), 100u);
    EXPECT_EQ(p.Info.Author, "A");
    EXPECT_EQ(p.Info.Company.size(), 100u);
    EXPECT_EQ(p.Info.Comment.size(), 1900u);
    EXPECT_TRUE(p.Modified);
    p.Modified = false;
    EXPECT_FALSE(setProjectInfo(p, info));      // the same after cutting
    EXPECT_FALSE(p.Modified);
}

TEST(Layers, ActiveLayerIsAlwaysVisible)
{
    TBoard b;
    EXPECT_FALSE(ToggleLayerVisible(b, 3));     // 3 is active at start
    EXPECT_TRUE(IsLayerVisible(b, 3));
    EXPECT_TRUE(ToggleLayerVisible(b, 1));
    EXPECT_FALSE(IsLayerVisible(b, 1));
    EXPECT_TRUE(SetActiveLayer(b, 1));
    EXPECT_TRUE(IsLayerVisible(b, 1));
    EXPECT_EQ(b.ActiveLayer, 1);
    EXPECT_FALSE(SetActiveLayer(b, 1));
    EXPECT_FALSE(SetActiveLayer(b, 0));
    EXPECT_FALSE(SetActiveLayer(b, 5));
    EXPECT_TRUE(IsLayerVisible(b, 5));
    EXPECT_TRUE(IsLayerVisible(b, 6));
    EXPECT_FALSE(IsLayerVisible(b, 7));

    b.GroundPlane1 = 1;
    EXPECT_TRUE(GroundPlaneOn(b, 1));
    EXPECT_TRUE(GroundPlaneOn(b, 2));
    EXPECT_FALSE(GroundPlaneOn(b, 3));
    EXPECT_FALSE(GroundPlaneOn(b, 4));
}

TEST(Layers, HidingALayerDeselectsItsElementsWithGroupAndTwin)
{
    TBoard b;
    TObjekt& top = addPad(b, LayerK1, 0);
    TObjekt& bottom = addPad(b, LayerK2, 0);
    twin(top, bottom);
    TObjekt& print = addPad(b, LayerB1, 10);   // same group as top, on a visible layer
    TObjekt& other = addPad(b, LayerB2, 20);   // not related
    TObjekt& mate = addPad(b, LayerB2, 30);    // grouped with a pad of layer 1 that is not selected
    TObjekt& quiet = addPad(b, LayerK1, 40);
    AddGroup(top, 1);
    AddGroup(print, 1);
    AddGroup(quiet, 2);
    AddGroup(mate, 2);
    for (auto* e : {&top, &bottom, &print, &other, &mate})
        e->Selected = 1;

    EXPECT_TRUE(ToggleLayerVisible(b, 1));
    EXPECT_FALSE(IsLayerVisible(b, 1));
    EXPECT_EQ(top.Selected, 0);
    EXPECT_EQ(bottom.Selected, 0);
    EXPECT_EQ(print.Selected, 0);
    EXPECT_EQ(mate.Selected, 0);
    EXPECT_EQ(other.Selected, 1);
}

TEST(Layers, SelectionCommandsKeepThroughPlatedPairsOnBothSides)
{
    TProject p;
    startNewProject(p, 0);
    TBoard& b = *p.currentBoard();
    TObjekt& earlier = addPad(b, LayerK2, 0);
    TObjekt& later = addPad(b, LayerK1, 0);
    twin(earlier, later);
    TObjekt& text = *b.Elements.emplace_back(NewLayoutText({0, 0}, "A", false, false, LayerB2, 0, 1, 1, 200));
    text.Strokes.push_back(*NewTrack(20, LayerB2));
    TObjekt& idle = addPad(b, LayerB1, 50);
    earlier.Selected = later.Selected = text.Selected = 1;
    p.Modified = false;

    EXPECT_TRUE(setSelectionLayer(p, LayerK1));
    EXPECT_EQ(earlier.Layer, LayerK1);
    EXPECT_EQ(later.Layer, LayerK2);
    EXPECT_EQ(text.Layer, LayerK1);
    EXPECT_EQ(text.Strokes[0].Layer, LayerK1);
    EXPECT_EQ(idle.Layer, LayerB1);
    EXPECT_EQ(b.UndoStack.size(), 1u);
    EXPECT_TRUE(p.Modified);

    EXPECT_FALSE(setSelectionLayer(p, LayerK1));   // already there: one more step, no change
    EXPECT_EQ(b.UndoStack.size(), 2u);

    EXPECT_TRUE(moveSelectionToOtherSide(p));
    EXPECT_EQ(b.Elements[0]->Layer, LayerK2);
    EXPECT_EQ(b.Elements[1]->Layer, LayerK1);
    EXPECT_EQ(b.Elements[2]->Layer, LayerK2);
    EXPECT_EQ(b.Elements[2]->Strokes[0].Layer, LayerK2);
    EXPECT_EQ(b.UndoStack.size(), 3u);

    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(b.Elements[0]->Layer, LayerK1);
    EXPECT_EQ(b.Elements[1]->Layer, LayerK2);

    // Without a selection nothing happens, not even a snapshot.
    EXPECT_FALSE(setSelectionLayer(p, LayerB2));
    EXPECT_FALSE(moveSelectionToOtherSide(p));
    EXPECT_EQ(b.UndoStack.size(), 2u);
    EXPECT_EQ(b.RedoStack.size(), 1u);
}

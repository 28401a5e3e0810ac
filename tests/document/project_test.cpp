#include "document/messages.h"
#include "document/project.h"
#include "document/undo.h"

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

/// What the window holds for the current board while it is shown.
struct FakeView {
    double zoom = 0;
    std::int32_t scrollY = 0;
    int activeLayer = 0;
    std::array<std::uint8_t, 4> visible{};
    int stores = 0;
};

void connectView(TProject& project, FakeView& view)
{
    project.StoreLiveState = [&view](TBoard& b) {
        ++view.stores;
        b.Zoom = view.zoom;
        b.ScrollY = view.scrollY;
        b.ActiveLayer = static_cast<std::uint8_t>(view.activeLayer);
        b.LayerVisible = view.visible;
    };
    project.LoadLiveState = [&view](TBoard& b) {
        view.zoom = b.Zoom;
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

std::vector<std::string> names(const TProject& p)
{
    std::vector<std::string> out;
    for (const auto& b : p.Boards)
        out.push_back(b->Name);
    return out;
}

using Names = std::vector<std::string>;

} // namespace

TEST(Boards, NewBoardsAreNamedByCountEvenWhenTheNameExists)
{
    TProject p;
    startNewProject(p, 0);
    EXPECT_EQ(names(p), Names{"Platine 1"});
    EXPECT_FALSE(p.Modified);
    AddBoard(p, 0);
    AddBoard(p, 0);
    AddBoard(p, 0);
    RemoveBoard(p, 0);
    AddBoard(p, 0); // four boards again → "Platine 4" a second time
    EXPECT_EQ(names(p), (Names{"Platine 2", "Platine 3", "Platine 4", "Platine 4"}));
    EXPECT_EQ(p.Current, 3);
    EXPECT_TRUE(p.Modified);
    EXPECT_EQ(DefaultBoardName(2, 5), "Carte 5");
    NewBoard(p, std::string(40, 'x'));
    EXPECT_EQ(p.currentBoard()->Name.size(), MaxBoardNameBytes);
}

TEST(Boards, SwitchingStoresAndRestoresEachBoardsViewWithoutSnapshots)
{
    TProject p;
    FakeView view;
    connectView(p, view);
    startNewProject(p, 1);
    view = {0.5, -40, 1, {1, 0, 1, 1}};
    AddBoard(p, 1);
    EXPECT_EQ(view.zoom, 0.1); // a new board comes with its defaults
    EXPECT_EQ(view.activeLayer, 3);
    view = {0.02, 999, 4, {0, 1, 1, 1}};

    // A snapshot requested while the view is stored must not be taken.
    p.StoreLiveState = [inner = p.StoreLiveState, &p](TBoard& b) {
        inner(b);
        PushUndo(p);
    };
    ShowBoard(p, 0);
    EXPECT_EQ(view.zoom, 0.5);
    EXPECT_EQ(view.scrollY, -40);
    EXPECT_EQ(view.activeLayer, 1);
    EXPECT_EQ(view.visible, (std::array<std::uint8_t, 4>{1, 0, 1, 1}));
    ShowBoard(p, 1);
    EXPECT_EQ(view.zoom, 0.02);
    EXPECT_EQ(view.activeLayer, 4);
    EXPECT_EQ(view.visible, (std::array<std::uint8_t, 4>{0, 1, 1, 1}));
    EXPECT_TRUE(p.Boards[0]->UndoStack.empty() && p.Boards[1]->UndoStack.empty());
    EXPECT_FALSE(p.SnapshotsSuspended);

    // A record whose active layer is hidden (a damaged file) is shown with that layer visible.
    p.Boards[0]->LayerVisible = {0, 1, 1, 1};
    p.Boards[0]->ActiveLayer = 1;
    p.StoreLiveState = nullptr;
    ShowBoard(p, 0);
    EXPECT_TRUE(IsLayerVisible(*p.currentBoard(), 1));
}

TEST(Boards, RemovingTheCurrentBoardShowsItsNeighbourAndNeverStoresIntoIt)
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
    EXPECT_EQ(view.stores, storesBefore);
    EXPECT_EQ(p.currentBoard(), last);
    EXPECT_EQ(view.zoom, 0.3);
    EXPECT_TRUE(p.Modified);
    EXPECT_TRUE(RemoveBoard(p, 0)); // an earlier board: the current one stays
    EXPECT_EQ(p.currentBoard(), last);
    EXPECT_FALSE(RemoveBoard(p, 3));
    EXPECT_THROW(checkBoardDeletable(p), TrevokError);
}

TEST(Boards, MovingAtTheEndsChangesNothing)
{
    TProject p;
    startNewProject(p, 1);
    AddBoard(p, 1);
    AddBoard(p, 1);
    p.Modified = false;
    ShowBoard(p, 0);
    EXPECT_FALSE(moveBoardLeft(p) || moveBoardToStart(p));
    ShowBoard(p, 2);
    EXPECT_FALSE(moveBoardRight(p) || moveBoardToEnd(p));
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(names(p), (Names{"Board 1", "Board 2", "Board 3"}));

    // The moved board stays current and keeps its history.
    PushUndo(p);
    TBoard* moved = p.currentBoard();
    EXPECT_TRUE(moveBoardToStart(p));
    EXPECT_EQ(names(p), (Names{"Board 3", "Board 1", "Board 2"}));
    EXPECT_EQ(p.currentBoard(), moved);
    EXPECT_EQ(moved->UndoStack.size(), 1u);
    EXPECT_TRUE(moveBoardRight(p) && moveBoardToEnd(p) && moveBoardLeft(p));
    EXPECT_EQ(names(p), (Names{"Board 1", "Board 3", "Board 2"}));
    EXPECT_EQ(p.Current, 1);
}

TEST(Boards, CloseAsksOnlyForModifiedProjectsWithContent)
{
    TProject p;
    startNewProject(p, 0);
    p.Modified = true;
    EXPECT_FALSE(NeedsSaveQuestion(p)); // a single empty board
    addPad(*p.currentBoard(), LayerK1);
    EXPECT_TRUE(NeedsSaveQuestion(p));
    p.Modified = false;
    EXPECT_FALSE(NeedsSaveQuestion(p));
    p.currentBoard()->Elements.clear();
    AddBoard(p, 0);
    EXPECT_TRUE(NeedsSaveQuestion(p)); // two empty boards, modified

    p.Info.Title = "T";
    ClearProject(p);
    EXPECT_TRUE(p.Boards.empty());
    EXPECT_EQ(p.currentBoard(), nullptr);
    EXPECT_EQ(p.Info.Title, "");
    EXPECT_FALSE(NeedsSaveQuestion(p));
}

TEST(BoardProperties, SizeEntryIsCheckedAsDecimalMillimetres)
{
    EXPECT_EQ(parseBoardSize(" 1 ", "300").Height, 30000);
    const BoardSize frac = parseBoardSize("12.5", "99,6");
    EXPECT_EQ(frac.Width, 1200); // halves to even
    EXPECT_EQ(frac.Height, 10000);
    for (const char* bad : {"0.99", "300.01", "-5", "", "12abc", "1e2", "nan", "+"}) {
        try {
            parseBoardSize("100", bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const TrevokError& e) {
            EXPECT_EQ(e.id, MsgId::BoardSizeRange) << bad;
        }
    }

    TProject p;
    startNewProject(p, 0);
    applyBoardProperties(p, parseBoardSize("50", "60"), std::string(35, 'n'));
    EXPECT_EQ(p.currentBoard()->BoardWidth, 5000);
    EXPECT_EQ(p.currentBoard()->Name.size(), MaxBoardNameBytes);
    EXPECT_TRUE(p.Modified);
}

TEST(ProjectInfo, FieldsAreCutAndAnUnchangedEntryIsNoModification)
{
    TProject p;
    TProjectInfo info{std::string(150, 't'), "A", "", std::string(2000, 'x')};
    EXPECT_TRUE(setProjectInfo(p, info));
    EXPECT_EQ(p.Info.Title.size(), 100u);
    EXPECT_EQ(p.Info.Comment.size(), 1900u);
    p.Modified = false;
    EXPECT_FALSE(setProjectInfo(p, info));
    EXPECT_FALSE(p.Modified);
}

TEST(Layers, ActiveLayerIsAlwaysVisible)
{
    TBoard b;
    EXPECT_FALSE(ToggleLayerVisible(b, 3)); // 3 is active at start
    EXPECT_TRUE(IsLayerVisible(b, 3));
    EXPECT_TRUE(ToggleLayerVisible(b, 1));
    EXPECT_FALSE(IsLayerVisible(b, 1));
    EXPECT_TRUE(SetActiveLayer(b, 1));
    EXPECT_TRUE(IsLayerVisible(b, 1));
    EXPECT_FALSE(SetActiveLayer(b, 1));
    EXPECT_FALSE(SetActiveLayer(b, 5));
    EXPECT_TRUE(IsLayerVisible(b, 5) && IsLayerVisible(b, 6));
}

TEST(Layers, HidingALayerDeselectsItsElementsWithGroupAndTwin)
{
    TBoard b;
    TObjekt& top = addPad(b, LayerK1, 0);
    TObjekt& bottom = addPad(b, LayerK2, 0);
    top.Twin = &bottom;
    bottom.Twin = &top;
    TObjekt& print = addPad(b, LayerB1, 10); // grouped with top
    TObjekt& other = addPad(b, LayerB2, 20); // not related
    TObjekt& mate = addPad(b, LayerB2, 30);  // grouped with an unselected pad of layer 1
    TObjekt& quiet = addPad(b, LayerK1, 40);
    AddGroup(top, 1);
    AddGroup(print, 1);
    AddGroup(quiet, 2);
    AddGroup(mate, 2);
    for (auto* e : {&top, &bottom, &print, &other, &mate})
        e->Selected = 1;

    EXPECT_TRUE(ToggleLayerVisible(b, 1));
    for (auto* e : {&top, &bottom, &print, &mate})
        EXPECT_EQ(e->Selected, 0) << e->X << " layer " << int(e->Layer);
    EXPECT_EQ(other.Selected, 1);
}

TEST(Layers, SelectionCommandsKeepThroughPlatedPairsOnBothSides)
{
    TProject p;
    startNewProject(p, 0);
    TBoard& b = *p.currentBoard();
    TObjekt& earlier = addPad(b, LayerK2, 0);
    TObjekt& later = addPad(b, LayerK1, 0);
    earlier.Twin = &later;
    later.Twin = &earlier;
    TObjekt& text = *b.Elements.emplace_back(NewLayoutText({0, 0}, "A", false, false, LayerB2, 0, 1, 1, 200));
    text.Strokes.push_back(*NewTrack(20, LayerB2));
    TObjekt& idle = addPad(b, LayerB1, 50);
    earlier.Selected = later.Selected = text.Selected = 1;
    p.Modified = false;

    EXPECT_TRUE(setSelectionLayer(p, LayerK1));
    EXPECT_EQ(earlier.Layer, LayerK1);
    EXPECT_EQ(later.Layer, LayerK2);
    EXPECT_EQ(text.Strokes[0].Layer, LayerK1);
    EXPECT_EQ(idle.Layer, LayerB1);
    EXPECT_EQ(b.UndoStack.size(), 1u);
    EXPECT_TRUE(p.Modified);

    EXPECT_TRUE(moveSelectionToOtherSide(p));
    EXPECT_EQ(b.Elements[0]->Layer, LayerK2);
    EXPECT_EQ(b.Elements[1]->Layer, LayerK1);
    EXPECT_EQ(b.Elements[2]->Strokes[0].Layer, LayerK2);
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(b.Elements[0]->Layer, LayerK1);

    // Nothing is selected after undo: no change and not even a snapshot.
    EXPECT_FALSE(setSelectionLayer(p, LayerB2) || moveSelectionToOtherSide(p));
    EXPECT_EQ(b.UndoStack.size(), 1u);
    EXPECT_EQ(b.RedoStack.size(), 1u);
}

#include "document/project.h"
#include "document/undo.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <stdexcept>

using namespace trevok;

namespace
{

TObjekt& push(ElementList& list, std::unique_ptr<TObjekt> e)
{
    list.push_back(std::move(e));
    return *list.back();
}

TObjekt& pad(ElementList& list, std::int32_t x, std::uint8_t layer = LayerK1)
{
    return push(list, NewPad({x, -500}, 80, ShapeRound, layer, 40));
}

void connect(TObjekt& a, TObjekt& b)
{
    a.Connections.push_back(&b);
    b.Connections.push_back(&a);
}

TObjekt& route(ElementList& list, TObjekt& from, TObjekt& to)
{
    TObjekt& t = push(list, NewTrack(30, from.Layer));
    AddPoint(t, {from.X, from.Y});
    AddPoint(t, {to.X, to.Y});
    t.Autorouted = 1;
    t.RouteStart = &from;
    t.RouteEnd = &to;
    return t;
}

/// A board of every kind of link: a through-plated pair, connections, an autorouted track, a
/// grouped layout text with a stroke, and an area.
void sampleBoard(ElementList& list)
{
    TObjekt& a = pad(list, 0);
    TObjekt& b = pad(list, 0, LayerK2);
    a.Twin = &b;
    b.Twin = &a;
    TObjekt& c = pad(list, 1000);
    TObjekt& smd = push(list, NewSmdPad({2000, -500}, 120, LayerK1, 60));
    connect(a, c);
    connect(c, smd);
    route(list, a, c);
    TObjekt& text = push(list, NewLayoutText({0, 0}, "X", false, false, LayerB1, 0, 1, 1, 200));
    TObjekt stroke = *NewTrack(20, LayerB1);
    AddPoint(stroke, {1, 2});
    AddPoint(stroke, {3, 4});
    text.Strokes.push_back(stroke);
    AddGroup(text, 7);
    TObjekt& area = push(list, NewArea(10, LayerK2));
    for (TPoint q : {TPoint{0, 0}, TPoint{100, 0}, TPoint{100, -100}, TPoint{0, 0}})
        AddPoint(area, q);
}

/// A readable description of a list in which every reference is given as a list position, so
/// that two lists compare equal exactly when they hold the same elements linked the same way.
std::string describe(const ElementList& list)
{
    auto at = [&](const TObjekt* p) -> std::string {
        if (!p)
            return "-";
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].get() == p)
                return std::to_string(i);
        return "outside";
    };
    std::ostringstream out;
    for (const auto& e : list) {
        out << int(e->Kind) << '@' << e->X << ',' << e->Y << " L" << int(e->Layer) << " S" << int(e->Selected)
            << " pts" << e->Points.size() << " g" << e->lastGroup() << " twin " << at(e->Twin) << " conn";
        for (const TObjekt* c : e->Connections)
            out << ' ' << at(c);
        out << " route " << at(e->RouteStart) << '/' << at(e->RouteEnd) << " strokes " << e->Strokes.size()
            << '\n';
    }
    return out.str();
}

std::string unselected(std::string description)
{
    for (std::size_t pos = description.find(" S1"); pos != std::string::npos; pos = description.find(" S1"))
        description.replace(pos, 3, " S0");
    return description;
}

TProject projectWithSample()
{
    TProject p;
    startNewProject(p, 1);
    sampleBoard(p.currentBoard()->Elements);
    return p;
}

void movePad(TProject& p, std::size_t i, std::int32_t dx)
{
    PushUndo(p);
    Translate(*p.currentBoard()->Elements[i], dx, 0);
}

} // namespace

TEST(CopyElementList, FullCopyLinksEveryReferenceToTheSamePosition)
{
    ElementList source;
    sampleBoard(source);
    for (auto& e : source) {
        e->Selected = 1;
        e->Highlight = 1;
        e->Closed = 0;
    }
    ElementList copy;
    push(copy, NewTrack(1, 1)); // whatever was there before is freed
    CopyElementList(copy, source);

    ASSERT_EQ(copy.size(), source.size());
    EXPECT_EQ(describe(copy), unselected(describe(source)));
    for (std::size_t i = 0; i < copy.size(); ++i) {
        EXPECT_NE(copy[i].get(), source[i].get());
        EXPECT_EQ(copy[i]->Highlight, 0);
        EXPECT_EQ(copy[i]->Closed, 1);
        EXPECT_EQ(source[i]->CopyMark, 1);
        EXPECT_EQ(copy[i]->Points, source[i]->Points);
    }
    const TObjekt& text = *copy[5];
    ASSERT_EQ(text.Strokes.size(), 1u);
    EXPECT_NE(&text.Strokes[0], &source[5]->Strokes[0]);
    EXPECT_EQ(text.Strokes[0].Points, source[5]->Strokes[0].Points);
}

TEST(CopyElementList, PartialCopyAfterExistingElementsDropsLinksToWhatWasNotCopied)
{
    ElementList board;
    sampleBoard(board);                    // 0 a, 1 b (twin of a), 2 c, 3 smd, 4 route a→c, ...
    for (std::size_t i : {0u, 3u, 4u, 6u}) // a without its twin and without c, smd, the track, area
        board[i]->Selected = 1;

    ElementList clip;
    TObjekt& kept0 = pad(clip, -1);
    TObjekt& kept1 = pad(clip, -2);
    pad(clip, -3); // beyond startIndex: replaced
    CopyElementList(clip, board, 2, [](const TObjekt& e) { return e.Selected != 0; });

    ASSERT_EQ(clip.size(), 6u);
    EXPECT_EQ(clip[0].get(), &kept0);
    EXPECT_EQ(clip[1].get(), &kept1);
    const TObjekt& a = *clip[2];
    const TObjekt& smd = *clip[3];
    const TObjekt& track = *clip[4];
    EXPECT_EQ(a.X, 0);
    EXPECT_EQ(smd.Kind, KindSmdPad);
    EXPECT_EQ(a.Twin, nullptr);         // the twin stayed behind
    EXPECT_TRUE(a.Connections.empty()); // c was not copied
    EXPECT_TRUE(smd.Connections.empty());
    EXPECT_EQ(track.RouteStart, &a);
    EXPECT_EQ(track.RouteEnd, nullptr);
    EXPECT_EQ(clip[5]->Kind, KindArea);
    std::vector<int> marks;
    for (const auto& e : board)
        marks.push_back(e->CopyMark);
    EXPECT_EQ(marks, (std::vector<int>{1, 0, 0, 1, 1, 0, 1}));

    // With c copied as well, the connections survive, packed, pointing at the copies.
    board[2]->Selected = 1;
    CopyElementList(clip, board, 2, [](const TObjekt& e) { return e.Selected != 0; });
    ASSERT_EQ(clip.size(), 7u);
    EXPECT_EQ(clip[2]->Connections, std::vector<TObjekt*>{clip[3].get()});
    EXPECT_EQ(clip[3]->Connections, (std::vector<TObjekt*>{clip[2].get(), clip[4].get()}));
    EXPECT_EQ(clip[5]->RouteEnd, clip[3].get());
}

TEST(CopyElementList, AppendingToItselfDuplicatesWithLinksAmongTheCopies)
{
    ElementList board;
    sampleBoard(board);
    board[0]->Selected = board[1]->Selected = 1; // the through-plated pair
    const std::size_t n = board.size();
    CopyElementList(board, board, n, [](const TObjekt& e) { return e.Selected != 0; });
    ASSERT_EQ(board.size(), n + 2);
    EXPECT_EQ(board[n]->Twin, board[n + 1].get());
    EXPECT_EQ(board[n + 1]->Twin, board[n].get());
    EXPECT_EQ(board[0]->Twin, board[1].get()); // the originals are untouched
    EXPECT_TRUE(board[n]->Connections.empty());
}

TEST(CopyElementList, ReferencesOutsideTheSourceAreDropped)
{
    ElementList other;
    TObjekt& stranger = pad(other, 9);
    ElementList source;
    TObjekt& a = pad(source, 0);
    a.Twin = &stranger;
    a.Connections = {&stranger, &stranger};
    TObjekt& line = push(source, NewTrack(10, 1)); // not autorouted: its ends mean nothing
    line.RouteStart = &a;
    ElementList copy;
    CopyElementList(copy, source);
    EXPECT_EQ(copy[0]->Twin, nullptr);
    EXPECT_TRUE(copy[0]->Connections.empty());
    EXPECT_EQ(copy[1]->RouteStart, nullptr);
}

TEST(Undo, RestoresLinksIntoTheRestoredListAndLeavesNothingSelected)
{
    TProject p = projectWithSample();
    TBoard& b = *p.currentBoard();
    for (auto& e : b.Elements)
        e->Selected = 1;
    const std::string before = describe(b.Elements);
    movePad(p, 0, 100);
    b.Elements.erase(b.Elements.begin() + 2); // dangling links are fine: undo replaces all
    ASSERT_TRUE(Undo(p));

    // "outside" in the description would show a link into another list.
    EXPECT_EQ(describe(b.Elements), unselected(before));
}

TEST(Undo, UndoUndoRedoRedoReturnsAndAnEditEmptiesRedo)
{
    TProject p = projectWithSample();
    TBoard& b = *p.currentBoard();
    const std::string s0 = describe(b.Elements);
    movePad(p, 0, 100);
    const std::string s1 = describe(b.Elements);
    movePad(p, 2, 50);
    const std::string s2 = describe(b.Elements);

    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(describe(b.Elements), s1);
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(describe(b.Elements), s0);
    EXPECT_FALSE(Undo(p));
    EXPECT_TRUE(canRedo(p));
    ASSERT_TRUE(Redo(p));
    ASSERT_TRUE(Redo(p));
    EXPECT_EQ(describe(b.Elements), s2);
    EXPECT_FALSE(Redo(p));
    EXPECT_EQ(b.UndoStack.size(), 2u);

    ASSERT_TRUE(Undo(p));
    movePad(p, 3, 7);
    EXPECT_FALSE(canRedo(p));
    EXPECT_TRUE(b.RedoStack.empty());
}

TEST(Undo, DepthLimitsGrowthOneSnapshotPerPush)
{
    TProject p = projectWithSample();
    TBoard& b = *p.currentBoard();
    setUndoDialogValue(p, 1);
    EXPECT_EQ(p.UndoDepth, 0);
    EXPECT_EQ(undoDialogValue(p), 1);
    movePad(p, 0, 1);
    movePad(p, 0, 1);
    const std::string beforeLast = describe(b.Elements);
    movePad(p, 0, 1);
    EXPECT_EQ(b.UndoStack.size(), 1u);
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(describe(b.Elements), beforeLast);
    EXPECT_FALSE(Undo(p));

    setUndoDialogValue(p, 50);
    for (int i = 0; i < 5; ++i)
        movePad(p, 0, 1);
    setUndoDialogValue(p, 3); // d = 2
    movePad(p, 0, 1);
    EXPECT_EQ(b.UndoStack.size(), 5u); // lowered depth: the length is kept
}

TEST(Undo, SnapshotsReusingOldRecordsCarryNothingOver)
{
    TProject p = projectWithSample();
    TBoard& b = *p.currentBoard();
    setUndoDialogValue(p, 1);
    PushUndo(p);                                                  // a snapshot of the full sample
    b.Elements.erase(b.Elements.begin(), b.Elements.begin() + 2); // the pair goes
    b.Elements[0]->Connections.clear();
    b.Elements[2]->RouteStart = nullptr; // it started at the removed pad
    b.Elements.push_back(NewCircle({5, 5}, 100, 0, LayerB2, 50));
    const std::string shorter = describe(b.Elements);
    PushUndo(p); // takes over the records of the first one
    b.Elements.clear();
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(describe(b.Elements), shorter);
}

TEST(Undo, EachBoardHasItsOwnHistory)
{
    TProject p = projectWithSample();
    movePad(p, 0, 100);
    const std::string edited = describe(p.Boards[0]->Elements);
    AddBoard(p, 1);
    EXPECT_FALSE(canUndo(p));
    EXPECT_FALSE(Undo(p));
    EXPECT_EQ(describe(p.Boards[0]->Elements), edited);
    ShowBoard(p, 0);
    EXPECT_TRUE(canUndo(p));
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(p.Boards[0]->Elements[0]->X, 0);
    EXPECT_TRUE(p.Boards[1]->RedoStack.empty());
}

TEST(Undo, SuspendedHistoryTakesNothingAndDropRemovesOnlyTheNewest)
{
    TProject p = projectWithSample();
    TBoard& b = *p.currentBoard();
    int notified = 0;
    p.HistoryChanged = [&] { ++notified; };
    p.Modified = false;
    p.SnapshotsSuspended = true;
    PushUndo(p);
    EXPECT_TRUE(b.UndoStack.empty());
    EXPECT_FALSE(p.Modified);
    p.SnapshotsSuspended = false;

    PushUndo(p);
    EXPECT_TRUE(p.Modified);
    EXPECT_EQ(notified, 1);
    ASSERT_TRUE(Undo(p));
    PushUndo(p);
    PushUndo(p);
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(b.UndoStack.size(), 1u);
    EXPECT_EQ(b.RedoStack.size(), 1u);

    // Undo must not run half-way while copies are suspended: it would lose the current list.
    const std::string now = describe(b.Elements);
    p.SnapshotsSuspended = true;
    EXPECT_FALSE(Undo(p));
    EXPECT_FALSE(Redo(p));
    EXPECT_EQ(describe(b.Elements), now);
    p.SnapshotsSuspended = false;

    DropLastUndo(p);
    EXPECT_TRUE(b.UndoStack.empty());
    EXPECT_EQ(b.RedoStack.size(), 1u);
    DropLastUndo(p); // nothing left: harmless
    EXPECT_TRUE(b.UndoStack.empty());
}

// A command bracketed by a transaction: what is left after it committed or rolled back, alone
// or inside another one. Each step of a command pushes a snapshot and adds one pad, as edits do.
TEST(UndoTransaction, CommitKeepsAndRollbackTakesBackWhatTheCommandDid)
{
    enum class End { Commit, Throw, Scope };
    const struct {
        const char* name;
        End outer;
        bool inner; // a second transaction inside, after the outer's own step
        End innerEnd;
        bool addsBoard; // the command appends a board (and edits that one)
        std::size_t pads, undo, boards;
        bool modified;
    } cases[] = {
        {"commit", End::Commit, false, End::Commit, false, 2, 1, 1, true},
        {"throw", End::Throw, false, End::Commit, false, 1, 0, 1, false},
        {"left open", End::Scope, false, End::Commit, false, 1, 0, 1, false},
        {"a board appended, then throw", End::Throw, false, End::Commit, true, 1, 0, 1, false},
        {"a board appended, committed", End::Commit, false, End::Commit, true, 1, 0, 2, true},
        {"inner rolled back, outer committed", End::Commit, true, End::Throw, false, 2, 1, 1, true},
        {"inner committed, outer rolled back", End::Throw, true, End::Commit, false, 1, 0, 1, false},
        {"both rolled back", End::Throw, true, End::Throw, false, 1, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TProject p;
        NewBoard(p, "Eins");
        TBoard& first = *p.Boards[0];
        pad(first.Elements, 100);
        p.Modified = false;
        const auto step = [&p](std::int32_t x) {
            PushUndo(p);
            pad(p.currentBoard()->Elements, x);
        };
        const auto end = [](UndoTransaction& t, End how) {
            if (how == End::Commit)
                t.commit();
            else if (how == End::Throw) {
                try {
                    throw std::runtime_error("failed half way");
                } catch (const std::runtime_error&) {
                    t.rollback();
                }
            }
        };
        {
            UndoTransaction outer(p);
            if (c.addsBoard)
                AddBoard(p, 1);
            step(200);
            if (c.inner) {
                UndoTransaction inner(p);
                step(300);
                end(inner, c.innerEnd);
            }
            end(outer, c.outer);
            EXPECT_FALSE(outer.isOpen() && c.outer != End::Scope);
        }
        EXPECT_EQ(p.Boards.size(), c.boards);
        ASSERT_EQ(p.Current, static_cast<int>(c.boards) - 1);
        // The first board is what the project shows after a rollback; a kept new board is current.
        const TBoard& shown = *p.currentBoard();
        EXPECT_EQ(shown.Elements.size(), c.addsBoard && c.boards == 2 ? 1u : c.pads);
        EXPECT_EQ(first.Elements.size(), c.pads);
        EXPECT_EQ(first.UndoStack.size(), c.undo);
        EXPECT_EQ(p.Modified, c.modified);
        EXPECT_EQ(first.Elements.front()->X, 100) << "the original pad stays first";
    }
}

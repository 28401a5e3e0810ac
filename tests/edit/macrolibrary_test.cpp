// The macro library: loading with the options and the side match, comment write-back, dropping
// on the board, saving from the board, and the folder functions.

#include "document/atomicfile.h"
#include "document/filebuilder.h"
#include "document/layoutfile.h"
#include "document/undo.h"
#include "edit/edittestboard.h"
#include "edit/layouttext.h"
#include "edit/macrolibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

using namespace trevok;
using namespace trevok::testing;
using namespace filebuilder;
namespace fs = std::filesystem;

namespace
{

/// A fresh folder for one test, removed with the fixture.
class TempFolder
{
  public:
    TempFolder()
    {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("trevok-macro-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    std::string file(const std::string& name, const Bytes& bytes) const
    {
        const fs::path p = path_ / name;
        fs::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }

  private:
    fs::path path_;
};

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A footprint drawn for side 1: two pads on K1 (a single one and nothing else), an outline on
/// B1, as a version-4 file with comments.
Bytes side1Footprint(const std::string& line1 = "DIP", const std::string& line2 = "test")
{
    File f;
    f.header(4).i32(3);
    f.raw(recV4({.kind = 2, .x = 100, .y = -50, .size1 = 80, .size2 = 40, .layer = 1, .shape = 1}))
        .text("")
        .ids32({1})
        .i32(-1);
    f.raw(recV4({.kind = 2, .x = 354, .y = -50, .size1 = 80, .size2 = 40, .layer = 1, .shape = 3}))
        .text("")
        .ids32({1})
        .i32(-1);
    f.raw(recV4({.kind = 6, .width = 20, .layer = 2}))
        .text("")
        .ids32({1})
        .nodes32({{-100, 0}, {500, 0}, {500, -120}});
    f.ids32({}).ids32({});
    f.str(line1, 50).str(line2, 50);
    return f.b;
}

/// Component print only, on B1.
Bytes printOnly()
{
    File f;
    f.header(4).i32(1);
    f.raw(recV4({.kind = 6, .width = 20, .layer = 2})).text("").ids32({}).nodes32({{10, 0}, {300, 40}});
    f.str("", 50).str("", 50);
    return f.b;
}

/// A single pad, a through-plated pair (K1 at index 1, its twin on K2 at index 2) and a track.
Bytes padsWithPair()
{
    File f;
    f.header(4).i32(4);
    f.raw(recV4({.kind = 2, .x = 0, .size1 = 80, .size2 = 40, .layer = 1, .shape = 1}))
        .text("")
        .ids32({})
        .i32(-1);
    f.raw(recV4({.kind = 2, .x = 254, .size1 = 80, .size2 = 40, .layer = 1, .shape = 1}))
        .text("")
        .ids32({})
        .i32(2);
    f.raw(recV4({.kind = 2, .x = 254, .size1 = 80, .size2 = 40, .layer = 3, .shape = 1}))
        .text("")
        .ids32({})
        .i32(1);
    f.raw(recV4({.kind = 6, .width = 20, .layer = 1})).text("").ids32({}).nodes32({{0, 0}, {254, 0}});
    f.ids32({}).ids32({}).ids32({});
    f.str("", 50).str("", 50);
    return f.b;
}

/// A version-3 macro: a pad and a track, no comment records.
Bytes version3Macro()
{
    File f;
    f.header(3).i32(2);
    f.raw(recV3({.kind = 2, .x = 150, .y = -20, .size1 = 70, .size2 = 35, .layer = 1, .shape = 2}))
        .ids32({})
        .i32(-1);
    f.raw(recV3({.kind = 6, .width = 25, .layer = 2})).ids32({}).nodes32({{-40, 10}, {220, 10}, {220, -90}});
    f.ids32({});
    return f.b;
}

int indexIn(const ElementList& list, const TObjekt* e)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == e)
            return static_cast<int>(i);
    return -1;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Loading and the side match

TEST(MacroPreview, Side1MacroOnK2IsMirroredAndMovedWithBothOptionsToggled)
{
    TempFolder dir;
    const std::string path = dir.file("dip.lmk", side1Footprint());
    const MacroFileContent plain = ReadMacroFile(path);

    MacroPreview preview;
    const MacroLoadResult r = preview.LoadMacroPreview(path, LayerK2);
    ASSERT_TRUE(r.loaded);
    EXPECT_FALSE(r.error);
    EXPECT_TRUE(r.sideMatched);
    EXPECT_TRUE(preview.options().mirror);
    EXPECT_TRUE(preview.options().changeSide);
    EXPECT_EQ(preview.comment1(), "DIP");
    EXPECT_EQ(preview.path(), path);

    const ElementList& l = preview.elements();
    ASSERT_EQ(l.size(), plain.elements.size());
    EXPECT_EQ(l[0]->X, -plain.elements[0]->X);
    EXPECT_EQ(l[0]->Y, plain.elements[0]->Y);
    EXPECT_EQ(l[0]->Layer, LayerK2);
    EXPECT_EQ(l[1]->X, -354);
    EXPECT_EQ(l[2]->Layer, LayerB2);
    for (std::size_t k = 0; k < l[2]->Points.size(); ++k)
        EXPECT_EQ(l[2]->Points[k].x, -plain.elements[2]->Points[k].x);

    // Chosen again while K1 is active: the options kept for the run are applied first, which
    // puts it on side 2, so the match flips it back and both buttons go up again.
    const MacroLoadResult back = preview.LoadMacroPreview(path, LayerK1);
    EXPECT_TRUE(back.sideMatched);
    EXPECT_FALSE(preview.options().mirror);
    EXPECT_FALSE(preview.options().changeSide);
    EXPECT_EQ(dump(preview.elements()), dump(plain.elements));

    // On its own side nothing is flipped.
    EXPECT_FALSE(preview.LoadMacroPreview(path, LayerB1).sideMatched);
    EXPECT_EQ(preview.elements()[0]->Layer, LayerK1);
}

TEST(MacroPreview, PrintOnlyMacroIsFlippedForK1)
{
    TempFolder dir;
    const std::string path = dir.file("logo.lmk", printOnly());
    MacroPreview preview;
    const MacroLoadResult r = preview.LoadMacroPreview(path, LayerK1);
    EXPECT_TRUE(r.sideMatched) << "no copper on K1";
    EXPECT_EQ(preview.elements()[0]->Layer, LayerB2);
    EXPECT_EQ(preview.elements()[0]->Points[1].x, -300);
    EXPECT_TRUE(preview.options().mirror && preview.options().changeSide);
}

TEST(MacroPreview, SideMatchLooksAtTheLastCopperAndPrintElement)
{
    ElementList l;
    l.push_back(NewPad({0, 0}, 80, ShapeRound, LayerK2, 40));
    l.push_back(NewPad({0, 0}, 80, ShapeRound, LayerK1, 40));
    l.push_back(NewTrack(20, LayerB2));
    EXPECT_FALSE(macroNeedsSideChange(l, LayerK1));
    EXPECT_TRUE(macroNeedsSideChange(l, LayerK2)) << "the last copper element decides";
    EXPECT_FALSE(macroNeedsSideChange(l, LayerB2));
    EXPECT_TRUE(macroNeedsSideChange(l, LayerB1));
    // Layer codes 5 and 6 stand for K2 and B1.
    ElementList old;
    old.push_back(NewPad({0, 0}, 80, ShapeRound, 5, 40));
    old.push_back(NewTrack(20, 6));
    EXPECT_FALSE(macroNeedsSideChange(old, LayerK2));
    EXPECT_FALSE(macroNeedsSideChange(old, LayerB1));
    EXPECT_TRUE(macroNeedsSideChange(old, LayerK1));
}

TEST(MacroPreview, OptionButtonsTransformAndTakeBack)
{
    TempFolder dir;
    const std::string path = dir.file("dip.lmk", side1Footprint());
    MacroPreview preview;
    preview.LoadMacroPreview(path, LayerK1);
    const std::string original = dump(preview.elements());

    preview.setMirror(true);
    EXPECT_EQ(preview.elements()[1]->X, -354);
    preview.setMirror(true); // already down: nothing more
    EXPECT_EQ(preview.elements()[1]->X, -354);
    preview.setChangeSide(true);
    EXPECT_EQ(preview.elements()[0]->Layer, LayerK2);
    preview.setThroughPlate(true);
    EXPECT_EQ(preview.elements()[0]->Twin, preview.elements()[0].get());
    EXPECT_EQ(preview.elements()[0]->TwinIndex, TwinToCreate);
    EXPECT_EQ(preview.elements()[2]->Twin, nullptr) << "only pads are marked";

    preview.setMirror(false);
    preview.setChangeSide(false);
    preview.setThroughPlate(false);
    EXPECT_EQ(dump(preview.elements()), original);
    EXPECT_EQ(preview.elements()[0]->TwinIndex, -1);
}

// ---------------------------------------------------------------------------------------------
// Comments

TEST(MacroPreview, Version3MacroGetsItsChangedCommentAsVersion4WithOriginalGeometry)
{
    TempFolder dir;
    const Bytes v3 = version3Macro();
    const std::string oldPath = dir.file("old.lmk", v3);
    const std::string otherPath = dir.file("other.lmk", printOnly());
    const MacroFileContent plain = ParseMacroFile(v3, "old.lmk", 254.0, ConvertMacroFontTexts);

    MacroPreview preview;
    preview.setThroughPlate(true);
    // B2 active: the match mirrors the macro and moves it to side 2 in the preview.
    ASSERT_TRUE(preview.LoadMacroPreview(oldPath, LayerB2).loaded);
    EXPECT_TRUE(preview.comment1().empty() && preview.comment2().empty());
    EXPECT_FALSE(preview.commentChanged());

    preview.setComment(1, "SO-8 package");
    preview.setComment(2, std::string(60, 'z'));
    EXPECT_TRUE(preview.commentChanged());
    EXPECT_EQ(preview.comment2().size(), MaxMacroLine);

    const MacroLoadResult r = preview.LoadMacroPreview(otherPath, LayerB2);
    EXPECT_FALSE(r.writeBackError);
    const Bytes written = readBytes(oldPath);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written[0], 4);
    const MacroFileContent back = ParseMacroFile(written, "old.lmk", 254.0, ConvertMacroFontTexts);
    EXPECT_EQ(back.line1, "SO-8 package");
    EXPECT_EQ(back.line2, std::string(50, 'z'));
    EXPECT_EQ(dump(back.elements), dump(plain.elements)) << "not mirrored, not moved, no twin marks";
    EXPECT_FALSE(preview.commentChanged());
}

TEST(MacroPreview, CommentWriteBackOnlyWhenChangedAndTheFileStillExists)
{
    TempFolder dir;
    const std::string a = dir.file("a.lmk", side1Footprint("one", "two"));
    const std::string b = dir.file("b.lmk", printOnly());
    const Bytes before = readBytes(a);

    MacroPreview preview;
    preview.LoadMacroPreview(a, LayerK1);
    preview.setComment(1, "one"); // the same text is no edit
    EXPECT_FALSE(preview.commentChanged());
    preview.LoadMacroPreview(b, LayerK1);
    EXPECT_EQ(readBytes(a), before);

    preview.LoadMacroPreview(a, LayerK1);
    preview.setComment(2, "changed");
    fs::remove(a);
    const MacroLoadResult r = preview.LoadMacroPreview(b, LayerK1);
    EXPECT_TRUE(r.loaded);
    EXPECT_FALSE(r.writeBackError);
    EXPECT_FALSE(fs::exists(a)) << "a deleted macro is not written again";

    // A failing write-back is reported, the file keeps its old content, and the next macro is loaded
    // all the same.
    preview.LoadMacroPreview(b, LayerK1);
    const std::string c = dir.file("c.lmk", side1Footprint());
    const Bytes cBefore = readBytes(c);
    preview.LoadMacroPreview(c, LayerK1);
    preview.setComment(1, "new");
    CurrentAtomicFileCalls().rename = [](const char*, const char*) {
        errno = EIO;
        return -1;
    };
    const MacroLoadResult failed = preview.LoadMacroPreview(b, LayerK1);
    RestoreAtomicFileCalls();
    EXPECT_TRUE(failed.loaded);
    ASSERT_TRUE(failed.writeBackError);
    EXPECT_EQ(failed.writeBackError->id, MsgId::WriteError);
    EXPECT_EQ(readBytes(c), cBefore);
    EXPECT_EQ(preview.path(), b);
}

// ---------------------------------------------------------------------------------------------
// Bad files

TEST(MacroPreview, ForeignOrDamagedFileGivesErrorAndEmptyPreview)
{
    TempFolder dir;
    const std::string good = dir.file("good.lmk", side1Footprint());
    const std::string foreign =
        dir.file("foreign.lmk", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    Bytes cut = side1Footprint();
    cut.resize(cut.size() - 120);
    const std::string damaged = dir.file("damaged.lmk", cut);

    MacroPreview preview;
    preview.LoadMacroPreview(good, LayerK1);
    // A missing file changes nothing.
    const MacroLoadResult missing = preview.LoadMacroPreview((dir.path() / "none.lmk").string(), LayerK1);
    EXPECT_FALSE(missing.loaded);
    EXPECT_FALSE(missing.error);
    EXPECT_EQ(preview.path(), good);
    EXPECT_FALSE(preview.empty());

    const MacroLoadResult f = preview.LoadMacroPreview(foreign, LayerK1);
    EXPECT_FALSE(f.loaded);
    ASSERT_TRUE(f.error);
    EXPECT_EQ(f.error->id, MsgId::NotATrevokFile);
    EXPECT_TRUE(preview.empty());
    EXPECT_FALSE(preview.bounds());

    const MacroLoadResult d = preview.LoadMacroPreview(damaged, LayerK1);
    ASSERT_TRUE(d.error);
    EXPECT_EQ(d.error->id, MsgId::ReadError);
    EXPECT_TRUE(preview.empty());
    EXPECT_TRUE(preview.comment1().empty());

    // An edit of the comment lines now must not put an empty macro over the damaged file.
    preview.setComment(1, "oops");
    EXPECT_TRUE(preview.LoadMacroPreview(good, LayerK1).loaded);
    EXPECT_EQ(readBytes(damaged), cut);
    EXPECT_FALSE(preview.empty());
}

// ---------------------------------------------------------------------------------------------
// Dropping

TEST(DropMacro, TwoDropsGiveTwoSeparateSelectedGroups)
{
    TempFolder dir;
    MacroPreview preview;
    preview.LoadMacroPreview(dir.file("dip.lmk", side1Footprint()), LayerK1);
    const std::size_t n = preview.elements().size();

    TProject p = oneBoardProject();
    TObjekt& old = addPad(p, {5000, -5000}, LayerK1, true);
    AddGroup(old, 4);
    AddGroup(old, 2); // an inner id above the outer one, as foreign files have them

    const EditResult first = DropMacro(p, preview.elements(), {1000, -2000});
    EXPECT_TRUE(first.changed);
    ASSERT_TRUE(first.hasArea);
    EXPECT_TRUE(first.area.contains(5000, -5000)) << "the deselected pad is repainted";
    EXPECT_TRUE(first.area.contains(1100, -2050));
    EXPECT_EQ(undoSteps(p), 1u);
    ElementList& list = boardOf(p).Elements;
    ASSERT_EQ(list.size(), 1 + n);
    EXPECT_FALSE(old.Selected);
    const std::int32_t g1 = list[1]->lastGroup();
    for (std::size_t i = 1; i < list.size(); ++i) {
        EXPECT_TRUE(list[i]->Selected);
        EXPECT_EQ(list[i]->lastGroup(), g1);
        EXPECT_EQ(list[i]->Layer, preview.elements()[i - 1]->Layer);
        for (std::int32_t id : list[i]->Groups)
            EXPECT_TRUE(id != 4 && id != 2) << "no id of the board is reused";
    }
    EXPECT_EQ(list[1]->X, 1100);
    EXPECT_EQ(list[1]->Y, -2050);
    EXPECT_EQ(list[3]->Points[0].x, 900);

    DropMacro(p, preview.elements(), {3000, -2000});
    ASSERT_EQ(list.size(), 1 + 2 * n);
    EXPECT_EQ(undoSteps(p), 2u);
    const std::int32_t g2 = list[1 + n]->lastGroup();
    EXPECT_NE(g1, g2);
    for (std::size_t i = 1; i <= n; ++i) {
        EXPECT_FALSE(list[i]->Selected) << "the first drop is deselected";
        EXPECT_TRUE(list[i + n]->Selected);
        EXPECT_EQ(list[i + n]->lastGroup(), g2);
    }
    // Selecting one drop does not take the other with it.
    for (auto& e : list)
        e->Selected = 0;
    SelectWithGroup(list, 1, true);
    EXPECT_EQ(selectedCount(boardOf(p)), n);

    // One undo takes the whole second drop back.
    ASSERT_TRUE(Undo(p));
    EXPECT_EQ(list.size(), 1 + n);
}

TEST(DropMacro, LayerCodesFiveAndSixAndEmptyMacro)
{
    TProject p = oneBoardProject();
    ElementList macro;
    macro.push_back(NewPad({0, 0}, 80, ShapeRound, 5, 40));
    macro.push_back(NewLayoutText({0, 0}, "A", false, false, 6, 0, 0, 20, 200));
    ElementList none;
    EXPECT_FALSE(DropMacro(p, none, {0, 0}).changed);
    EXPECT_EQ(undoSteps(p), 0u);

    DropMacro(p, macro, {254, -254});
    const ElementList& list = boardOf(p).Elements;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0]->Layer, LayerK2);
    EXPECT_EQ(list[1]->Layer, LayerB1);
    for (const TObjekt& stroke : list[1]->Strokes)
        EXPECT_EQ(stroke.Layer, LayerB1);
    EXPECT_EQ(list[0]->Groups, list[1]->Groups) << "grouped on the board";
    EXPECT_FALSE(list[0]->Groups.empty());
}

TEST(DropMacro, ThroughPlatingMarksCreateTwinsAndInnerPairsKeepTheirLink)
{
    TempFolder dir;
    MacroPreview preview;
    preview.setThroughPlate(true);
    preview.LoadMacroPreview(dir.file("pads.lmk", padsWithPair()), LayerK1);
    const ElementList& m = preview.elements();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0]->TwinIndex, TwinToCreate);
    EXPECT_EQ(m[1]->Twin, m[2].get()) << "a pair is no pad without twin";

    TProject p = oneBoardProject();
    addTrack(p, {{0, 0}, {100, 0}});
    const EditResult r = DropMacro(p, m, {1000, -1000});
    const ElementList& list = boardOf(p).Elements;
    ASSERT_EQ(list.size(), 1 + 4 + 1u) << "one twin created";
    for (const auto& e : list)
        EXPECT_NE(e->Twin, e.get()) << "no pad linked to itself";

    const TObjekt& single = *list[1];
    ASSERT_NE(single.Twin, nullptr);
    const TObjekt& made = *single.Twin;
    EXPECT_EQ(made.Twin, &single);
    EXPECT_EQ(made.Layer, LayerK2);
    EXPECT_EQ(made.X, single.X);
    EXPECT_EQ(made.Y, single.Y);
    EXPECT_TRUE(made.Selected);
    EXPECT_EQ(made.Groups, single.Groups);
    EXPECT_TRUE(r.area.contains(made.X, made.Y));

    EXPECT_EQ(indexIn(list, list[2]->Twin), 3);
    EXPECT_EQ(indexIn(list, list[3]->Twin), 2);

    // A copy of the preview (the drag preview's) links its marked pad to itself with the index
    // lost; it still gets a real twin.
    ElementList copy;
    CopyElementList(copy, m);
    ASSERT_EQ(copy[0]->Twin, copy[0].get());
    DropMacro(p, copy, {2000, -1000});
    ASSERT_EQ(list.size(), 6 + 5u);
    EXPECT_NE(list[6]->Twin, nullptr);
    EXPECT_NE(list[6]->Twin, list[6].get());
    EXPECT_EQ(list[6]->Twin->Twin, list[6].get());
    EXPECT_EQ(indexIn(list, list[7]->Twin), 8);
    EXPECT_EQ(list[9]->Twin, nullptr) << "tracks get no twin";

    // The marks never reach the file either.
    const std::string out = (dir.path() / "copy.lmk").string();
    const MacroSelection whole = macroFromBoard(boardOf(p), 254.0);
    WriteMacroFile(out, whole.elements, "", "");
    for (const auto& e : ReadMacroFile(out).elements)
        if (e->Kind == KindPad)
            EXPECT_NE(e->Twin, nullptr);
}

TEST(DropMacro, OffsetStaysOnTheBoardAndSnapsUnlessCtrl)
{
    TBoard board;
    board.BoardWidth = 10000;
    board.BoardHeight = 8000;
    EXPECT_EQ(macroDropOffset(board, {-500, 300}, 254.0, false), (TPoint{0, 0}));
    EXPECT_EQ(macroDropOffset(board, {130, -130}, 254.0, true), (TPoint{130, -130}));
    EXPECT_EQ(macroDropOffset(board, {130, -130}, 254.0, false), (TPoint{254, -254}));
    EXPECT_EQ(macroDropOffset(board, {20000, -9000}, 100.0, false), (TPoint{10000, -8000}));
    EXPECT_EQ(macroDropOffset(board, {INT32_MAX, INT32_MIN}, 1.0, true), (TPoint{10000, -8000}));
}

// ---------------------------------------------------------------------------------------------
// Saving from the board

TEST(MacroFromBoard, SelectionOrWholeBoardAroundAGridOrigin)
{
    TProject p = oneBoardProject();
    EXPECT_TRUE(macroFromBoard(boardOf(p), 254.0).elements.empty());

    TObjekt& a = addPad(p, {1016, -1016}, LayerK1, true);
    TObjekt& b = addPad(p, {1524, -1524}, LayerK1, true);
    TObjekt& bTwin = addPad(p, {1524, -1524}, LayerK2, true);
    TObjekt& lone = addPad(p, {3048, -1016}, LayerK1, false);
    TObjekt& loneTwin = addPad(p, {3048, -1016}, LayerK2, true);
    twin(b, bTwin);
    twin(lone, loneTwin);
    connect(a, lone);

    const MacroSelection sel = macroFromBoard(boardOf(p), 254.0);
    EXPECT_FALSE(sel.wholeBoard);
    ASSERT_EQ(sel.elements.size(), 4u);
    std::int64_t sumX = 0, sumY = 0;
    for (const auto& e : sel.elements) {
        EXPECT_FALSE(e->Selected);
        EXPECT_EQ(e->X % 254, 0) << "elements on the grid stay on it";
        EXPECT_EQ(e->Y % 254, 0);
        sumX += e->X;
        sumY += e->Y;
    }
    // The origin lies in the middle: the offsets to the board are all the same.
    const std::int32_t dx = a.X - sel.elements[0]->X;
    EXPECT_EQ(b.X - sel.elements[1]->X, dx);
    EXPECT_EQ(loneTwin.X - sel.elements[3]->X, dx);
    const TRect r = *[&] {
        std::optional<TRect> u;
        for (const auto& e : sel.elements)
            u = u ? u->united(Bounds(*e)) : Bounds(*e);
        return u;
    }();
    EXPECT_LE(std::abs(r.left + r.right), 254) << "centred within a grid step";
    EXPECT_LE(std::abs(r.top + r.bottom), 254);
    EXPECT_EQ(sel.elements[1]->Twin, sel.elements[2].get()) << "a pair saved whole keeps its link";
    EXPECT_EQ(sel.elements[3]->Twin, nullptr) << "its twin was left behind";
    EXPECT_TRUE(sel.elements[0]->Connections.empty());
    EXPECT_EQ(b.Twin, &bTwin) << "the board is untouched";
    EXPECT_TRUE(a.Selected);

    for (auto& e : boardOf(p).Elements)
        e->Selected = 0;
    const MacroSelection whole = macroFromBoard(boardOf(p), 254.0);
    EXPECT_TRUE(whole.wholeBoard);
    ASSERT_EQ(whole.elements.size(), 5u);
    EXPECT_EQ(whole.elements[0]->Connections.size(), 1u);
    EXPECT_EQ(whole.elements[0]->Connections[0], whole.elements[3].get());

    // Saved and dropped back at the origin's place, the elements land where they were.
    TProject q = oneBoardProject();
    const std::int32_t ox = a.X - whole.elements[0]->X;
    const std::int32_t oy = a.Y - whole.elements[0]->Y;
    DropMacro(q, whole.elements, {ox, oy});
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(boardOf(q).Elements[i]->X, boardOf(p).Elements[i]->X);
        EXPECT_EQ(boardOf(q).Elements[i]->Y, boardOf(p).Elements[i]->Y);
    }
}

// ---------------------------------------------------------------------------------------------
// Folders and files

TEST(MacroFolders, TreeListingAndPaths)
{
    TempFolder dir;
    const fs::path& root = dir.path();
    for (const char* f : {"b", "a/x/deep", "a/.y", ".hidden/inner", "Z", "d.lmk"})
        fs::create_directories(root / f);
    for (const char* f : {"z.lmk", "A.LMK", "m.Lmk", "note.txt", ".h.lmk", "a/x/in.lmk"})
        dir.file(f, printOnly());

    EXPECT_EQ(listMacroFiles(root.string()), (std::vector<std::string>{"A.LMK", "m.Lmk", "z.lmk"}));
    EXPECT_EQ(listMacroFiles((root / "a" / "x").string()), std::vector<std::string>{"in.lmk"});
    EXPECT_TRUE(listMacroFiles((root / "missing").string()).empty());
    for (const char* name : {"DIP-8 7.62.lmk", "DIP-14 7.62.lmk", "DIP-40 15.24.lmk", "DIP-40 7.62.lmk"})
        std::ofstream(root / "a" / "x" / name) << "x";
    EXPECT_EQ(listMacroFiles((root / "a" / "x").string()),
              (std::vector<std::string>{"DIP-8 7.62.lmk", "DIP-14 7.62.lmk", "DIP-40 7.62.lmk",
                                        "DIP-40 15.24.lmk", "in.lmk"}))
        << "numbers compare by value";
    EXPECT_TRUE(listMacroFiles((root / "z.lmk").string()).empty()) << "a file is no folder";

    const MacroFolder tree = macroFolderTree(root.string());
    EXPECT_TRUE(tree.name.empty());
    std::vector<std::string> top;
    for (const MacroFolder& c : tree.children)
        top.push_back(c.name);
    EXPECT_EQ(top, (std::vector<std::string>{"Z", "a", "b", "d.lmk"})) << "ordinal order, hidden skipped";
    const MacroFolder& a = tree.children[1];
    ASSERT_EQ(a.children.size(), 1u);
    EXPECT_EQ(a.children[0].name, "x");
    EXPECT_EQ(a.children[0].children.at(0).name, "deep");
    EXPECT_TRUE(macroFolderTree(root.string(), 1).children[1].children.empty()) << "depth limit";
    EXPECT_TRUE(macroFolderTree((root / "missing").string()).children.empty());

    EXPECT_EQ(macroFolderFromMenuPath({".."}), "..");
    EXPECT_EQ(macroFolderFromMenuPath({"a", ".."}), "a");
    EXPECT_EQ(macroFolderFromMenuPath({"a", "x"}), "a\\x");
    EXPECT_EQ(macroFolderFromMenuPath({"a", "x", ".."}), "a\\x");

    const std::string r = root.string();
    EXPECT_EQ(fs::path(macroFolderPath(r, "a\\x")), root / "a" / "x");
    EXPECT_EQ(macroFolderPath(r, macroFolderFromMenuPath({".."})), r);
    EXPECT_EQ(macroFolderPath(r, "..."), r);
    EXPECT_EQ(macroFolderPath(r, ""), r);
    EXPECT_EQ(macroFolderPath(r, "a\\..\\..\\etc"), r) << "never above the root";
    EXPECT_EQ(macroFolderPath(r, "a/../b"), r);
    EXPECT_EQ(macroFolderPath(r, "/etc"), r);
    EXPECT_EQ(macroFolderPath(r, "\\etc"), r);
}

TEST(MacroFolders, DeleteMacroFile)
{
    TempFolder dir;
    const std::string path = dir.file("gone.lmk", printOnly());
    deleteMacroFile(path);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_NO_THROW(deleteMacroFile(path)) << "already gone";
    fs::create_directories(dir.path() / "full" / "inside");
    try {
        deleteMacroFile((dir.path() / "full").string());
        ADD_FAILURE() << "a folder with content is not removed";
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::WriteError);
        EXPECT_EQ(e.args.at(0), "full");
    }
}

TEST(MacroMessages, TextsInThreeLanguages)
{
    for (MsgId id : {MsgId::MacroBoardEmpty, MsgId::MacroSaveWholeBoard, MsgId::MacroDeleteQuestion})
        for (int language = 0; language < 3; ++language) {
            EXPECT_FALSE(MessageText(id, language, {"x.lmk"}).empty());
            EXPECT_NE(MessageCaption(id, language), "");
        }
    EXPECT_EQ(MessageText(MsgId::MacroDeleteQuestion, 1, {"dip8.lmk"}), "Delete file \"dip8.lmk\" ?");
    EXPECT_NE(MessageText(MsgId::MacroSaveWholeBoard, 2).find('\r'), std::string::npos);
    EXPECT_EQ(MessageCaption(MsgId::MacroBoardEmpty, 1), "Savce macro");
}

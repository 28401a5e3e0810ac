// Readers of layout files of every version, from fixtures built byte by byte.

#include "document/filebuilder.h"
#include "document/layoutfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <unistd.h>

using namespace trevok;
using namespace filebuilder;

namespace
{

class TempDir
{
  public:
    TempDir()
    {
        path = std::filesystem::temp_directory_path() /
               ("trevok-layout-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const Bytes& bytes) const
    {
        const std::string p = (path / name).string();
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    std::filesystem::path path;
    static inline int counter = 0;
};

LayoutFileContent parse(const Bytes& b, LanguageCode language = 0, bool appending = false)
{
    return ParseLayoutFile(b, "test.lay", language, appending);
}

// A version-4 file with two boards: the first with one element of each kind and every kind of
// reference, the second empty with non-default view settings; board 1 shown.
struct RichV4 {
    Bytes bytes;
    std::size_t endOfBoard0 = 0, endOfBoard1 = 0;
};

RichV4 richV4()
{
    File f;
    f.header(4).i32(2);
    f.str("Main", 30).raw(boardBlock(Block{}));
    f.i32(9);
    // 0, 1: a through-plated pair; both grouped
    f.raw(recV4({.kind = 2,
                 .x = 1000,
                 .y = -1000,
                 .size1 = 80,
                 .size2 = 40,
                 .layer = 1,
                 .shape = 2,
                 .clearance = 40}))
        .text("")
        .ids32({7})
        .i32(1);
    f.raw(recV4({.kind = 2,
                 .x = 1000,
                 .y = -1000,
                 .size1 = 80,
                 .size2 = 40,
                 .layer = 3,
                 .shape = 2,
                 .clearance = 40}))
        .text("")
        .ids32({7})
        .i32(0);
    // 2: SMD pad
    f.raw(recV4({.kind = 8, .x = 2000, .y = -1000, .size1 = 150, .size2 = 80, .layer = 1}))
        .text("")
        .ids32({});
    // 3: autorouted track, in the inner and an outer group
    f.raw(recV4({.kind = 6, .width = 30, .layer = 1, .autorouted = 1}))
        .text("")
        .ids32({7, 9})
        .nodes32({{1000, -1000}, {2000, -1000}});
    // 4: layout text with two strokes
    f.raw(recV4({.kind = 7,
                 .x = 10,
                 .y = 20,
                 .size1 = 500,
                 .size2 = 1,
                 .width = 1,
                 .layer = 2,
                 .angle = 1,
                 .mirrorH = 1}))
        .text("R1")
        .ids32({})
        .i32(2);
    f.raw(recV4({.kind = 6, .width = 56, .layer = 2})).nodes32({{0, 0}, {0, 500}});
    f.raw(recV4({.kind = 9, .width = 56, .layer = 2})).nodes32({{100, 0}, {100, 500}});
    // 5: restricted area
    f.raw(recV4({.kind = 4, .width = 10, .layer = 3, .restricted = 1}))
        .text("")
        .ids32({})
        .nodes32({{0, 0}, {100, 0}, {100, -100}, {0, 0}});
    // 6: filled arc
    f.raw(recV4({.kind = 5,
                 .x = 3000,
                 .y = -3000,
                 .size1 = 200,
                 .size2 = 100,
                 .width = 120,
                 .layer = 1,
                 .angle = 30,
                 .filled = 1,
                 .clearance = 25}))
        .text("")
        .ids32({});
    // 7: old font text, stored selected and marked (both meaningless on disk)
    f.raw(recV4({.kind = 3,
                 .x = 10,
                 .y = -10,
                 .size1 = 400,
                 .size2 = -90,
                 .width = -20,
                 .selected = 1,
                 .layer = 2,
                 .mark = 5,
                 .angle = 90}))
        .text("Hello")
        .ids32({});
    // 8: a pad without twin, reference bytes not zero (the record builder fills them with junk)
    f.raw(recV4({.kind = 2, .x = 5, .y = -5, .size1 = 50, .size2 = 20, .layer = 1, .shape = 1}))
        .text("")
        .ids32({})
        .i32(-1);
    // connections of pads and SMD pads in list order: 0, 1, 2, 8
    f.ids32({2}).ids32({}).ids32({0}).ids32({});
    // autorouted ends of track 3
    f.i32(0).i32(2);
    RichV4 r;
    r.endOfBoard0 = f.b.size();
    Block second;
    second.gp1 = 1;
    second.grid = 127.0;
    second.zoom = 0.25;
    second.scrollX = 10;
    second.scrollY = 20;
    second.activeLayer = 2;
    second.visible = {1, 1, 0, 1};
    second.templShown = {1, 0};
    second.templFile = {"a.bmp", "b.bmp"};
    second.dpi = {300, 1200};
    second.offX = {1, 2};
    second.offY = {3, 4};
    second.colour = {0x0000FF, 0x00FFFF};
    second.originX = 500;
    second.originY = -300;
    f.str("Second", 30).raw(boardBlock(second)).i32(0); // no elements, so no connection lists
    r.endOfBoard1 = f.b.size();
    trailerV4(f, 1, "Title", "Author", "Company", "line 1\r\nline 2");
    r.bytes = f.b;
    return r;
}

} // namespace

TEST(LayoutFileV4, ReadsEveryKindFieldAndReference)
{
    const LayoutFileContent c = parse(richV4().bytes);
    ASSERT_FALSE(c.error) << c.error->what();
    EXPECT_EQ(c.version, 4);
    ASSERT_EQ(c.boards.size(), 2u);
    const ElementList& l = c.boards[0]->Elements;
    ASSERT_EQ(l.size(), 9u);
    EXPECT_EQ(c.boards[0]->Name, "Main");

    EXPECT_EQ(l[0]->Twin, l[1].get());
    EXPECT_EQ(l[1]->Twin, l[0].get());
    EXPECT_EQ(l[8]->Twin, nullptr) << "index -1 wins over non-zero reference bytes";
    EXPECT_EQ(l[0]->Layer, 1) << "version 4 keeps its copper layers";
    EXPECT_EQ(l[0]->Shape, 2);
    EXPECT_EQ(l[0]->Clearance, 40);
    ASSERT_EQ(l[0]->Connections.size(), 1u);
    EXPECT_EQ(l[0]->Connections[0], l[2].get());
    ASSERT_EQ(l[2]->Connections.size(), 1u);
    EXPECT_EQ(l[2]->Connections[0], l[0].get());
    EXPECT_EQ(l[3]->RouteStart, l[0].get());
    EXPECT_EQ(l[3]->RouteEnd, l[2].get());
    EXPECT_EQ(l[3]->Points, (std::vector<TPoint>{{1000, -1000}, {2000, -1000}}));

    // ids 7 and 9 are compacted to 1 and 2, keeping which elements share a group
    EXPECT_EQ(l[0]->Groups, std::vector<std::int32_t>{1});
    EXPECT_EQ(l[3]->Groups, (std::vector<std::int32_t>{1, 2}));

    EXPECT_EQ(l[4]->Text, "R1");
    EXPECT_EQ(l[4]->MirrorH, 1);
    EXPECT_EQ(l[4]->Angle, 1);
    ASSERT_EQ(l[4]->Strokes.size(), 2u);
    EXPECT_EQ(l[4]->Strokes[1].Kind, KindTrack) << "a stroke is a track whatever its kind byte says";
    EXPECT_EQ(l[4]->Strokes[1].Points[1], (TPoint{100, 500}));
    EXPECT_EQ(l[5]->Restricted, 1);
    EXPECT_EQ(l[5]->Points.size(), 4u);
    EXPECT_EQ(l[6]->Angle, 30);
    EXPECT_EQ(l[6]->Width, 120);
    EXPECT_EQ(l[6]->Filled, 1);
    EXPECT_EQ(l[7]->Text, "Hello");
    EXPECT_EQ(l[7]->Selected, 0);
    EXPECT_EQ(l[7]->Mark, 0);
    EXPECT_EQ(l[7]->Width, -20);

    const TBoard& b = *c.boards[1];
    EXPECT_EQ(b.Name, "Second");
    EXPECT_TRUE(b.Elements.empty());
    EXPECT_EQ(b.GroundPlane1, 1);
    EXPECT_EQ(b.GroundPlane2, 0);
    EXPECT_EQ(b.Grid, 127.0);
    EXPECT_EQ(b.Zoom, 0.25);
    EXPECT_EQ(b.ScrollX, 10);
    EXPECT_EQ(b.ScrollY, 20);
    EXPECT_EQ(b.ActiveLayer, 2);
    EXPECT_EQ(b.LayerVisible, (std::array<std::uint8_t, 4>{1, 1, 0, 1}));
    EXPECT_EQ(b.TemplateShown[0], 1);
    EXPECT_EQ(b.TemplateFile[1], "b.bmp");
    EXPECT_EQ(b.TemplateDpi[1], 1200);
    EXPECT_EQ(b.TemplateOffsetX[1], 2);
    EXPECT_EQ(b.TemplateOffsetY[0], 3);
    EXPECT_EQ(b.TemplateColour[1], 0x00FFFF);
    EXPECT_EQ(b.Origin, (TPoint{500, -300}));

    ASSERT_TRUE(c.shownIndex);
    EXPECT_EQ(*c.shownIndex, 1);
    ASSERT_TRUE(c.info);
    EXPECT_EQ(c.info->Title, "Title");
    EXPECT_EQ(c.info->Company, "Company");
    EXPECT_EQ(c.info->Comment, "line 1\r\nline 2");
}

TEST(LayoutFileV4, OpenReplacesTheProjectAndIsNotModified)
{
    TempDir dir;
    const std::string path = dir.write("rich.lay", richV4().bytes);
    TProject p;
    p.Boards.push_back(std::make_unique<TBoard>());
    p.Current = 0;
    p.Modified = true;
    const LayoutReadResult r = ReadLayoutFile(p, path, false, 1);
    EXPECT_FALSE(r.error);
    ASSERT_EQ(p.Boards.size(), 2u);
    EXPECT_EQ(p.Current, 1);
    EXPECT_EQ(p.Info.Author, "Author");
    EXPECT_EQ(p.FileName, path);
    EXPECT_FALSE(p.Modified);
    EXPECT_FALSE(r.modified);
    EXPECT_EQ(p.Boards[1]->GroundPlane1, 1) << "a version-4 shown board keeps its ground-plane switches";
    EXPECT_EQ(r.fontTextCount, 1);
    const auto notices = r.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].id, MsgId::FontTextQuestion);
    EXPECT_EQ(notices[0].args, std::vector<std::string>{"1"});
}

TEST(LayoutFileV4, OneEmptyBoard)
{
    File f;
    f.header(4).i32(1).str("Board 1", 30).raw(boardBlock(Block{})).i32(0);
    trailerV4(f, 0);
    TempDir dir;
    TProject p;
    const LayoutReadResult r = ReadLayoutFile(p, dir.write("empty.lay", f.b), false, 1);
    EXPECT_FALSE(r.error);
    ASSERT_EQ(p.Boards.size(), 1u);
    EXPECT_TRUE(p.Boards[0]->Elements.empty());
    EXPECT_EQ(p.Current, 0);
    EXPECT_TRUE(p.Info.Title.empty() && p.Info.Comment.empty());
    EXPECT_TRUE(r.notices().empty());
    EXPECT_EQ(r.version, 4);
}

TEST(LayoutFileV3, BoardsLayersTextsAndTrailer)
{
    Block shown;
    shown.gp1 = 1;
    shown.activeLayer = 1;
    File f;
    f.header(3).i32(2).str("Eins", 30).raw(boardBlock(shown, 3)).i32(6);
    f.raw(recV3({.kind = 3,
                 .x = 1,
                 .y = -1,
                 .size1 = 300,
                 .size2 = -80,
                 .width = -20,
                 .layer = 1,
                 .text = "ABC"}))
        .ids32({});
    f.raw(recV3({.kind = 2, .x = 5, .size1 = 60, .size2 = 30, .layer = 1, .shape = 1})).ids32({}).i32(2);
    f.raw(recV3({.kind = 2, .x = 5, .size1 = 60, .size2 = 30, .layer = 3, .shape = 1})).ids32({}).i32(1);
    f.raw(recV3({.kind = 8, .size1 = 100, .size2 = 50, .layer = 3}));
    f.ids32({});
    f.raw(recV3({.kind = 6, .width = 25, .layer = 1, .angle = 7, .text = "XYZ"}))
        .ids32({3})
        .nodes32({{0, 0}, {9, 9}});
    f.raw(
         recV3({.kind = 5, .size1 = 100, .size2 = 80, .width = 90, .layer = 4, .filled = 1, .clearance = 33}))
        .ids32({});
    f.ids32({2}).ids32({1}); // connections of the two pads only, not of the SMD pad
    Block other;
    other.gp1 = 1;
    f.str("Zwei", 30).raw(boardBlock(other, 3)).i32(0);
    const std::size_t beforeTrailer = f.b.size();
    f.i32(0).i32(123).i32(456);

    const LayoutFileContent c = parse(f.b);
    ASSERT_FALSE(c.error) << c.error->what();
    ASSERT_EQ(c.boards.size(), 2u);
    const ElementList& l = c.boards[0]->Elements;
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0]->Text, "ABC");
    EXPECT_EQ(l[4]->Text, "") << "the text field counts for font texts only";
    EXPECT_EQ(l[0]->Layer, 3);
    EXPECT_EQ(l[1]->Layer, 3);
    EXPECT_EQ(l[2]->Layer, 1);
    EXPECT_EQ(l[3]->Layer, 1);
    EXPECT_EQ(l[5]->Layer, 4);
    EXPECT_EQ(l[1]->Twin, l[2].get());
    EXPECT_EQ(l[1]->Connections, std::vector<TObjekt*>{l[2].get()});
    EXPECT_TRUE(l[3]->Connections.empty());
    EXPECT_EQ(l[4]->Groups, std::vector<std::int32_t>{1});
    EXPECT_EQ(l[5]->Filled, 1);
    EXPECT_EQ(l[5]->Clearance, 33);
    EXPECT_EQ(l[5]->Width, 90);
    EXPECT_EQ(c.boards[0]->LayerVisible, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
    EXPECT_EQ(c.boards[0]->Origin, (TPoint{0, 0}));
    EXPECT_EQ(c.shownIndex.value_or(-1), 0);

    TempDir dir;
    TProject p;
    const LayoutReadResult r = ReadLayoutFile(p, dir.write("v3.lay", f.b), false, 0);
    EXPECT_FALSE(r.error);
    // The switches of every board follow its exchanged copper, not only those of the board shown.
    EXPECT_EQ(p.Boards[0]->GroundPlane1, 0);
    EXPECT_EQ(p.Boards[0]->GroundPlane2, 1);
    EXPECT_EQ(p.Boards[1]->GroundPlane1, 0);
    EXPECT_EQ(p.Boards[1]->GroundPlane2, 1);
    const auto n = r.notices();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].id, MsgId::FontTextQuestion);
    EXPECT_EQ(n[1].id, MsgId::OlderVersion);

    // Reload boards does not need the trailer of this version.
    Bytes noTrailer(f.b.begin(), f.b.begin() + static_cast<std::ptrdiff_t>(beforeTrailer));
    EXPECT_FALSE(parse(noTrailer, 0, true).error);
    EXPECT_TRUE(parse(noTrailer, 0, false).error);
}

TEST(LayoutFileV2, SixteenBitFieldsGroupsAndOldConversions)
{
    File f;
    f.header(2).i32(9000).i32(7000).i16(4);
    f.raw(recV0({.kind = 5,
                 .x = -300,
                 .y = -32768,
                 .size1 = 100,
                 .size2 = 60,
                 .width = 90,
                 .layer = 3,
                 .angle = 45}))
        .i16(0);
    f.raw(recV0({.kind = 6, .width = 20, .layer = 1}))
        .i16(2)
        .i16(-2)
        .i16(5)
        .i16(2)
        .i16(-1)
        .i16(-2)
        .i16(32767)
        .i16(0);
    f.raw(recV0({.kind = 2, .x = 100, .size1 = 60, .size2 = 30, .layer = 2, .shape = 3})).i16(1).i16(5);
    f.raw(recV0({.kind = 3, .x = 7, .layer = 4, .text = "Old"})).i16(0);
    TempDir dir;
    TProject p;
    const LayoutReadResult r = ReadLayoutFile(p, dir.write("v2.lay", f.b), false, 0);
    ASSERT_FALSE(r.error) << r.error->what();
    ASSERT_EQ(p.Boards.size(), 1u);
    const TBoard& b = *p.Boards[0];
    EXPECT_EQ(b.Name, "Platine 1");
    EXPECT_EQ(b.BoardWidth, 9000);
    EXPECT_EQ(b.BoardHeight, 7000);
    const ElementList& l = b.Elements;
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[0]->X, -300);
    EXPECT_EQ(l[0]->Y, -32768);
    EXPECT_EQ(l[0]->Layer, 1) << "copper layers exchanged";
    EXPECT_EQ(l[0]->Angle, 0) << "old circles are full rings";
    EXPECT_EQ(l[0]->Width, 0);
    EXPECT_EQ(l[0]->Clearance, 40);
    EXPECT_EQ(l[1]->Layer, 3);
    EXPECT_EQ(l[1]->Points, (std::vector<TPoint>{{-1, -2}, {32767, 0}}));
    EXPECT_EQ(l[1]->Groups, (std::vector<std::int32_t>{1, 2})) << "ids -2 and 5 compacted in order";
    EXPECT_EQ(l[2]->Groups, std::vector<std::int32_t>{2});
    EXPECT_EQ(l[2]->Layer, 2);
    EXPECT_EQ(l[3]->Text, "Old");
    EXPECT_FALSE(p.Modified);
    const auto n = r.notices();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].id, MsgId::FontTextQuestion)
        << "the conversion question comes before the older-version notice";
    EXPECT_EQ(n[1].id, MsgId::OlderVersion);
}

TEST(LayoutFileV1, OldGroupNumbersBecomeGroups)
{
    File f;
    f.header(1).i32(16000).i32(10000).i16(3);
    for (std::int16_t g : {5, 5, 7})
        f.raw(recV0({.kind = 2, .size1 = 50, .size2 = 20, .layer = 1, .shape = 1, .oldGroup = g}));
    const LayoutFileContent c = parse(f.b);
    ASSERT_FALSE(c.error);
    const ElementList& l = c.boards[0]->Elements;
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0]->Groups.size(), 1u);
    EXPECT_EQ(l[0]->Groups, l[1]->Groups);
    EXPECT_TRUE(l[2]->Groups.empty()) << "a group of one element is not made";
    for (const auto& e : l)
        EXPECT_EQ(e->OldGroup, 0);
}

TEST(LayoutFileV0, ReloadAppendsABoardNamedAsTheFirst)
{
    File f;
    f.header(0).i32(5000).i32(4000).i16(1).raw(recV0({.kind = 8, .size1 = 40, .size2 = 40, .layer = 1}));
    TempDir dir;
    const std::string path = dir.write("v0.lay", f.b);

    TProject p;
    auto first = std::make_unique<TBoard>();
    first->Name = "Board 1";
    first->GroundPlane1 = 1;
    p.Boards.push_back(std::move(first));
    p.Current = 0;
    p.Info.Title = "kept";
    p.FileName = "/somewhere/else.lay";
    int stored = 0;
    p.StoreLiveState = [&](TBoard& b) {
        ++stored;
        b.GroundPlane2 = 1;
    }; // the view's live switch
    TBoard* loaded = nullptr;
    p.LoadLiveState = [&](TBoard& b) { loaded = &b; };

    const LayoutReadResult r = ReadLayoutFile(p, path, true, 1);
    EXPECT_FALSE(r.error);
    ASSERT_EQ(p.Boards.size(), 2u);
    EXPECT_EQ(p.Boards[1]->Name, "Board 1") << "named like the first board even though that name exists";
    EXPECT_EQ(p.Boards[1]->BoardWidth, 5000);
    EXPECT_EQ(p.Boards[1]->Elements[0]->Layer, 3);
    EXPECT_EQ(r.firstNewBoard, 1);
    EXPECT_EQ(r.boardsAdded, 1);
    EXPECT_EQ(p.Current, 1);
    EXPECT_EQ(loaded, p.Boards[1].get());
    EXPECT_EQ(stored, 1);
    // The board shown before reading keeps its switches, with the live state stored into it.
    EXPECT_EQ(p.Boards[0]->GroundPlane1, 1);
    EXPECT_EQ(p.Boards[0]->GroundPlane2, 1);
    EXPECT_TRUE(p.Modified);
    EXPECT_TRUE(r.modified);
    EXPECT_EQ(p.Info.Title, "kept");
    EXPECT_EQ(p.FileName, "/somewhere/else.lay");
}

TEST(LayoutFileV4, ReloadDoesNotApplyShownIndexOrInformation)
{
    TempDir dir;
    const std::string path = dir.write("rich.lay", richV4().bytes);
    TProject p;
    for (int i = 0; i < 3; ++i)
        p.Boards.push_back(std::make_unique<TBoard>());
    p.Current = 0;
    p.Info.Comment = "mine";
    const LayoutReadResult r = ReadLayoutFile(p, path, true, 0);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(p.Boards.size(), 5u);
    EXPECT_EQ(p.Current, 4) << "the last appended board, not the file's shown board";
    EXPECT_EQ(p.Info.Comment, "mine");
    EXPECT_EQ(p.Boards[4]->GroundPlane1, 1) << "version 4: no exchange";
}

TEST(LayoutFileDamage, TruncatedAnywhereKeepsTheBoardsBefore)
{
    const RichV4 rich = richV4();
    const LayoutFileContent full = parse(rich.bytes);
    for (std::size_t cut = 0; cut < rich.bytes.size(); ++cut) {
        const Bytes part(rich.bytes.begin(), rich.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        if (cut < 4) {
            EXPECT_THROW(parse(part), TrevokError);
            continue;
        }
        const LayoutFileContent c = parse(part);
        ASSERT_TRUE(c.error) << "cut at " << cut;
        EXPECT_EQ(c.error->id, MsgId::ReadError);
        const std::size_t expected = cut >= rich.endOfBoard1 ? 2 : cut >= rich.endOfBoard0 ? 1 : 0;
        ASSERT_EQ(c.boards.size(), expected) << "cut at " << cut;
        if (expected > 0) {
            EXPECT_EQ(c.boards[0]->Elements.size(), full.boards[0]->Elements.size());
        }
    }

    // The same through the project: the complete board stays, the file name does not.
    TempDir dir;
    const Bytes part(rich.bytes.begin(),
                     rich.bytes.begin() + static_cast<std::ptrdiff_t>(rich.endOfBoard0 + 40));
    TProject p;
    const LayoutReadResult r = ReadLayoutFile(p, dir.write("cut.lay", part), false, 0);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->args.at(0), "cut.lay");
    ASSERT_EQ(p.Boards.size(), 1u);
    EXPECT_EQ(p.Boards[0]->Elements.size(), 9u);
    EXPECT_EQ(p.Current, 0);
    EXPECT_TRUE(p.FileName.empty());
    EXPECT_TRUE(p.Modified);

    // Not even one board: the project still has a board to show.
    TProject q;
    const Bytes stub(rich.bytes.begin(), rich.bytes.begin() + 60);
    ASSERT_TRUE(ReadLayoutFile(q, dir.write("stub.lay", stub), false, 2).error);
    ASSERT_EQ(q.Boards.size(), 1u);
    EXPECT_EQ(q.Boards[0]->Name, "Carte 1");
    EXPECT_EQ(q.Current, 0);
}

TEST(LayoutFileDamage, OlderVersionsTruncatedAnywhere)
{
    File v2;
    v2.header(2).i32(100).i32(100).i16(2);
    v2.raw(recV0({.kind = 6, .layer = 1})).i16(1).i16(3).i16(2).i16(0).i16(0).i16(5).i16(5);
    v2.raw(recV0({.kind = 4, .layer = 3})).i16(0).i16(3).i16(0).i16(0).i16(5).i16(0).i16(5).i16(5);
    File v3;
    v3.header(3).i32(1).str("x", 30).raw(boardBlock(Block{}, 3)).i32(2);
    v3.raw(recV3({.kind = 2, .layer = 1})).ids32({1}).i32(1);
    v3.raw(recV3({.kind = 2, .layer = 3})).ids32({1}).i32(0);
    v3.ids32({1}).ids32({0}).i32(0).i32(0).i32(0);
    for (const Bytes& whole : {v2.b, v3.b}) {
        ASSERT_FALSE(parse(whole).error);
        for (std::size_t cut = 4; cut < whole.size(); ++cut) {
            const LayoutFileContent c =
                parse(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            EXPECT_TRUE(c.error) << "cut at " << cut;
            EXPECT_LE(c.boards.size(), 1u);
        }
    }
}

TEST(LayoutFileDamage, ImpossibleCountsAreRefusedBeforeAllocating)
{
    const std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    // One v4 board holding a single element of the kind, followed by the given tail.
    const auto one = [](std::uint8_t kind, const std::function<void(File&)>& tail) {
        File f;
        f.header(4).i32(1).str("b", 30).raw(boardBlock(Block{})).i32(1).raw(recV4({.kind = kind}));
        tail(f);
        return f;
    };
    File boards, negative, elements, comment, old, oldNegative;
    boards.header(4).i32(huge);
    negative.header(4).i32(-1);
    elements.header(4).i32(1).str("b", 30).raw(boardBlock(Block{})).i32(huge);
    comment.header(4).i32(1).str("b", 30).raw(boardBlock(Block{})).i32(0);
    trailerV4(comment, 0).b.resize(comment.b.size() - 4);
    comment.i32(huge);
    old.header(2).i32(1).i32(1).i16(32767);
    oldNegative.header(2).i32(1).i32(1).i16(-1);
    const std::vector<std::pair<const char*, File>> cases = {
        {"board count", boards},
        {"negative board count", negative},
        {"element count", elements},
        {"text length", one(6, [&](File& f) { f.i32(huge); })},
        {"group count", one(6, [&](File& f) { f.text("").i32(huge); })},
        {"node count", one(6, [&](File& f) { f.text("").ids32({}).i32(huge); })},
        {"stroke count", one(7, [&](File& f) { f.text("").ids32({}).i32(huge); })},
        {"connection count", one(8, [&](File& f) { f.text("").ids32({}).i32(huge); })},
        {"comment length", comment},
        {"old element count", old},
        {"negative old count", oldNegative},
    };
    for (const auto& [what, f] : cases) {
        const LayoutFileContent c = parse(f.b);
        ASSERT_TRUE(c.error) << what;
        EXPECT_EQ(c.error->id, MsgId::ReadError) << what;
    }
}

TEST(LayoutFileDamage, IndexBeyondTheBlockStopsReading)
{
    const auto withTail = [](const std::function<void(File&)>& tail) {
        File f;
        f.header(4).i32(2).str("good", 30).raw(boardBlock(Block{})).i32(0);
        f.str("bad", 30).raw(boardBlock(Block{})).i32(2);
        f.raw(recV4({.kind = 2, .layer = 1})).text("").ids32({});
        tail(f);
        return f.b;
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"twin", withTail([](File& f) { f.i32(2); })},
        {"connection", withTail([](File& f) {
             f.i32(-1)
                 .raw(recV4({.kind = 6, .layer = 1, .autorouted = 1}))
                 .text("")
                 .ids32({})
                 .nodes32({{0, 0}, {1, 1}});
             f.ids32({2});
         })},
        {"negative connection", withTail([](File& f) {
             f.i32(-1).raw(recV4({.kind = 6, .layer = 1})).text("").ids32({}).nodes32({{0, 0}, {1, 1}});
             f.ids32({-1});
         })},
        {"route end", withTail([](File& f) {
             f.i32(-1)
                 .raw(recV4({.kind = 6, .layer = 1, .autorouted = 1}))
                 .text("")
                 .ids32({})
                 .nodes32({{0, 0}, {1, 1}});
             f.ids32({}).i32(0).i32(7);
         })},
    };
    for (const auto& [what, bytes] : cases) {
        const LayoutFileContent c = parse(bytes);
        ASSERT_TRUE(c.error) << what;
        ASSERT_EQ(c.boards.size(), 1u) << what;
        EXPECT_EQ(c.boards[0]->Name, "good");
    }
}

TEST(LayoutFileRepair, TwinsShortTracksAndDanglingReferencesOnEveryBoard)
{
    File f;
    f.header(4).i32(2);
    f.str("shown", 30).raw(boardBlock(Block{})).i32(1);
    f.raw(recV4({.kind = 6, .layer = 1})).text("").ids32({}).nodes32({{1, 1}});
    f.str("other", 30).raw(boardBlock(Block{})).i32(9);
    const auto pad = [&](std::int32_t twin) {
        f.raw(recV4({.kind = 2, .layer = 1})).text("").ids32({}).i32(twin);
    };
    pad(1); // 0 -> 1, but 1 is paired with 2
    pad(2); // 1 <-> 2
    pad(1);
    pad(3); // 3: itself
    pad(5); // 4 -> an SMD pad
    f.raw(recV4({.kind = 8, .layer = 1})).text("").ids32({});
    f.raw(recV4({.kind = 4, .layer = 1})).text("").ids32({}).nodes32({}); // 6: removed
    f.raw(recV4({.kind = 3, .layer = 2})).text("T").ids32({});            // 7: font text
    f.raw(recV4({.kind = 6, .layer = 1, .autorouted = 1})).text("").ids32({}).nodes32({{0, 0}, {5, 5}}); // 8
    // connections of 0..5: pad 0 to the removed area, the font text and pad 1; the rest none
    f.ids32({6, 7, 1}).ids32({0}).ids32({}).ids32({3}).ids32({}).ids32({});
    f.i32(6).i32(5); // route of 8: from the removed area to the SMD pad
    trailerV4(f, 0);

    const LayoutFileContent c = parse(f.b);
    ASSERT_FALSE(c.error) << c.error->what();
    EXPECT_TRUE(c.boards[0]->Elements.empty()) << "one-node track removed on the shown board";
    const ElementList& l = c.boards[1]->Elements;
    ASSERT_EQ(l.size(), 8u) << "the node-less area is removed on a board not shown too";
    EXPECT_EQ(l[0]->Twin, nullptr);
    EXPECT_EQ(l[1]->Twin, l[2].get());
    EXPECT_EQ(l[2]->Twin, l[1].get());
    EXPECT_EQ(l[3]->Twin, nullptr);
    EXPECT_EQ(l[4]->Twin, nullptr);
    EXPECT_EQ(l[1]->TwinIndex, 2);
    EXPECT_EQ(l[0]->TwinIndex, -1);
    EXPECT_EQ(l[0]->Connections, std::vector<TObjekt*>{l[1].get()});
    EXPECT_TRUE(l[3]->Connections.empty()) << "a pad is not connected to itself";
    const TObjekt& track = *l[7];
    EXPECT_EQ(track.Kind, KindTrack);
    EXPECT_EQ(track.RouteStart, nullptr);
    EXPECT_EQ(track.RouteEnd, l[5].get());
}

TEST(LayoutFileOpen, WrongHeaderAndMissingFileChangeNothing)
{
    TempDir dir;
    File bad;
    bad.u8(5).u8(0x33).u8(0xAA).u8(0xFF).i32(1);
    const std::string path = dir.write("bad.lay", bad.b);
    TProject p;
    p.Boards.push_back(std::make_unique<TBoard>());
    p.Current = 0;
    try {
        ReadLayoutFile(p, path, false, 1);
        FAIL() << "no error";
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::NotATrevokFile);
        EXPECT_EQ(MessageText(e.id, 1, e.args), "\"bad.lay\" is not a Trevok file.");
    }
    EXPECT_EQ(p.Boards.size(), 1u);
    EXPECT_FALSE(IsLayoutFile(path));
    EXPECT_FALSE(IsLayoutFile(dir.write("short.lay", {0x04, 0x33})));
    EXPECT_TRUE(IsLayoutFile(dir.write("ok.lay", {0x04, 0x33, 0xAA, 0xFF})));
    EXPECT_EQ(CheckLayoutFile(dir.write("v0.lay", {0x00, 0x33, 0xAA, 0xFF})), 0);
    try {
        ReadLayoutFile(p, (dir.path / "missing.lay").string(), false, 1);
        FAIL() << "no error";
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::FileNotFound);
    }
    EXPECT_THROW(CheckLayoutFile((dir.path / "missing.lay").string()), TrevokError);
    EXPECT_EQ(p.Boards.size(), 1u);
}

TEST(LayoutFileValues, ViewValuesAreMadeSafe)
{
    struct Case {
        double zoom, grid;
        std::uint8_t active;
        double zoomAfter, gridAfter;
        std::uint8_t activeAfter;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {nan, nan, 0, 0.1, 254.0, 3}, {inf, inf, 9, 1.0, 254.0, 3},         {-inf, -1.0, 5, 0.01, 254.0, 3},
        {5.0, 0.0, 1, 1.0, 254.0, 1}, {0.0001, 7.9375, 4, 0.01, 7.9375, 4}, {0.5, 1e-3, 2, 0.5, 1e-3, 2},
    };
    for (const Case& k : cases) {
        Block b;
        b.zoom = k.zoom;
        b.grid = k.grid;
        b.activeLayer = k.active;
        b.visible = {0, 0, 0, 0};
        File f;
        f.header(4).i32(1).str("b", 30).raw(boardBlock(b)).i32(0);
        trailerV4(f, 0);
        const LayoutFileContent c = parse(f.b);
        ASSERT_FALSE(c.error);
        const TBoard& r = *c.boards[0];
        EXPECT_EQ(r.Zoom, k.zoomAfter) << k.zoom;
        EXPECT_EQ(r.Grid, k.gridAfter) << k.grid;
        EXPECT_EQ(r.ActiveLayer, k.activeAfter);
        EXPECT_EQ(r.LayerVisible[r.ActiveLayer - 1], 1) << "the active layer is always visible";
    }
}

TEST(LayoutFileValues, OverlongStringsAreCutAndReadingGoesOn)
{
    File f;
    f.header(4).i32(1).str(std::string(30, 'n'), 30, 200).raw(boardBlock(Block{})).i32(2);
    f.raw(recV4({.kind = 7, .layer = 1})).text(std::string(300, 't')).ids32({}).i32(0);
    f.raw(recV4({.kind = 8, .x = 77, .layer = 1})).text("").ids32({});
    f.ids32({});
    f.i32(0).str("", 100, 250).str("", 100).str("", 100).text(std::string(2500, 'c'));
    const LayoutFileContent c = parse(f.b);
    ASSERT_FALSE(c.error) << c.error->what();
    EXPECT_EQ(c.boards[0]->Name, std::string(30, 'n'));
    const ElementList& l = c.boards[0]->Elements;
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0]->Text, std::string(255, 't'));
    EXPECT_EQ(l[1]->X, 77);
    EXPECT_EQ(c.info->Title.size(), 100u);
    EXPECT_EQ(c.info->Comment, std::string(1900, 'c'));
}

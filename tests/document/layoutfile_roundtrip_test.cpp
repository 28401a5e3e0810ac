// The version-4 writers read back by the readers, and macro files.

#include "document/filebuilder.h"
#include "document/layoutfile.h"
#include "edit/layouttext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace trevok;
using namespace filebuilder;

namespace
{

int indexIn(const ElementList& list, const TObjekt* e)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == e)
            return static_cast<int>(i);
    return -1;
}

void expectSameRecord(const TObjekt& a, const TObjekt& b, const std::string& where)
{
    SCOPED_TRACE(where);
    EXPECT_EQ(a.Kind, b.Kind);
    EXPECT_EQ(a.X, b.X);
    EXPECT_EQ(a.Y, b.Y);
    EXPECT_EQ(a.Size1, b.Size1);
    EXPECT_EQ(a.Size2, b.Size2);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Layer, b.Layer);
    EXPECT_EQ(a.Shape, b.Shape);
    EXPECT_EQ(a.Angle, b.Angle);
    EXPECT_EQ(a.Filled, b.Filled);
    EXPECT_EQ(a.Clearance, b.Clearance);
    EXPECT_EQ(a.Autorouted, b.Autorouted);
    EXPECT_EQ(a.MirrorH, b.MirrorH);
    EXPECT_EQ(a.MirrorV, b.MirrorV);
    EXPECT_EQ(a.Restricted, b.Restricted);
    EXPECT_EQ(a.Points, b.Points);
    EXPECT_EQ(a.Groups, b.Groups);
    EXPECT_EQ(a.Text, b.Text);
    ASSERT_EQ(a.Strokes.size(), b.Strokes.size());
    for (std::size_t i = 0; i < a.Strokes.size(); ++i)
        expectSameRecord(a.Strokes[i], b.Strokes[i], where + " stroke " + std::to_string(i));
}

/// Same elements, and references to the same positions.
void expectSameList(const ElementList& a, const ElementList& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string where = "element " + std::to_string(i);
        expectSameRecord(*a[i], *b[i], where);
        EXPECT_EQ(indexIn(a, a[i]->Twin), indexIn(b, b[i]->Twin)) << where;
        EXPECT_EQ(indexIn(a, a[i]->RouteStart), indexIn(b, b[i]->RouteStart)) << where;
        EXPECT_EQ(indexIn(a, a[i]->RouteEnd), indexIn(b, b[i]->RouteEnd)) << where;
        ASSERT_EQ(a[i]->Connections.size(), b[i]->Connections.size()) << where;
        for (std::size_t k = 0; k < a[i]->Connections.size(); ++k)
            EXPECT_EQ(indexIn(a, a[i]->Connections[k]), indexIn(b, b[i]->Connections[k])) << where;
    }
}

void expectSameBoard(const TBoard& a, const TBoard& b)
{
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.BoardWidth, b.BoardWidth);
    EXPECT_EQ(a.BoardHeight, b.BoardHeight);
    EXPECT_EQ(a.GroundPlane1, b.GroundPlane1);
    EXPECT_EQ(a.GroundPlane2, b.GroundPlane2);
    EXPECT_EQ(a.Grid, b.Grid);
    EXPECT_EQ(a.Zoom, b.Zoom);
    EXPECT_EQ(a.ScrollX, b.ScrollX);
    EXPECT_EQ(a.ScrollY, b.ScrollY);
    EXPECT_EQ(a.ActiveLayer, b.ActiveLayer);
    EXPECT_EQ(a.LayerVisible, b.LayerVisible);
    EXPECT_EQ(a.TemplateShown, b.TemplateShown);
    EXPECT_EQ(a.TemplateFile, b.TemplateFile);
    EXPECT_EQ(a.TemplateDpi, b.TemplateDpi);
    EXPECT_EQ(a.TemplateOffsetX, b.TemplateOffsetX);
    EXPECT_EQ(a.TemplateOffsetY, b.TemplateOffsetY);
    EXPECT_EQ(a.TemplateColour, b.TemplateColour);
    EXPECT_EQ(a.Origin, b.Origin);
    expectSameList(a.Elements, b.Elements);
}

TObjekt& add(ElementList& l, std::unique_ptr<TObjekt> e)
{
    e->Clearance = 40;
    l.push_back(std::move(e));
    return *l.back();
}

TObjekt stroke(TPoint a, TPoint b)
{
    TObjekt s = *NewTrack(56, LayerB1);
    AddPoint(s, a);
    AddPoint(s, b);
    return s;
}

/// A project with every element kind and every kind of reference, on two boards.
void fill(TProject& p)
{
    auto a = std::make_unique<TBoard>();
    a->Name = "Erste";
    ElementList& l = a->Elements;
    TObjekt& pad1 = add(l, NewPad({1000, -1000}, 80, ShapeRoundedWide, LayerK1, 40));
    TObjekt& pad2 = add(l, NewPad({1000, -1000}, 80, ShapeRoundedWide, LayerK2, 40));
    pad1.Twin = &pad2;
    pad2.Twin = &pad1;
    AddGroup(pad1, 1);
    AddGroup(pad2, 1);
    TObjekt& track = add(l, NewTrack(30, LayerK1));
    AddPoint(track, {1000, -1000});
    AddPoint(track, {1500, -1200});
    AddPoint(track, {-999000, 990000}); // far off the board, yet within what a file may hold
    AddGroup(track, 1);
    AddGroup(track, 2);
    TObjekt& smd = add(l, NewSmdPad({2000, -1000}, 150, LayerK1, 80));
    track.Autorouted = 1;
    track.RouteStart = &pad1;
    track.RouteEnd = &smd;
    pad1.Connections.push_back(&smd);
    smd.Connections.push_back(&pad1);
    TObjekt& text = add(l, NewLayoutText({10, 20}, "R12", true, false, LayerB1, 3, 2, 0, 500));
    text.Strokes.push_back(stroke({0, 0}, {0, 500}));
    text.Strokes.push_back(stroke({100, 0}, {150, 500}));
    TObjekt& area = add(l, NewArea(10, LayerK2));
    area.Restricted = 1;
    for (TPoint q : {TPoint{0, 0}, TPoint{100, 0}, TPoint{100, -100}, TPoint{0, 0}})
        AddPoint(area, q);
    TObjekt& arc = add(l, NewCircle({3000, -3000}, 200, 0, LayerK1, 100));
    arc.Angle = 30;
    arc.Width = 300;
    arc.Filled = 1;
    TObjekt& font = add(l, std::make_unique<TObjekt>());
    font.Kind = KindFontText;
    font.Text = "Fx\xe4";
    font.Width = -20;
    font.Angle = 270;
    font.Layer = LayerB2;
    TObjekt& line = add(l, std::make_unique<TObjekt>());
    line.Kind = KindLine;
    line.Size1 = 700;
    line.Size2 = -5;
    line.Width = 12;
    line.Layer = LayerB2;
    p.Boards.push_back(std::move(a));

    auto b = std::make_unique<TBoard>();
    b->Name = "Zweite";
    b->BoardWidth = 30000;
    b->GroundPlane2 = 1;
    b->Grid = 7.9375;
    b->Zoom = 0.037;
    b->ScrollX = -4;
    b->ScrollY = 99;
    b->ActiveLayer = 4;
    b->LayerVisible = {0, 1, 1, 1};
    b->TemplateShown = {0, 1};
    b->TemplateFile = {"/a/b.bmp", "c.bmp"};
    b->TemplateDpi = {150, 2400};
    b->TemplateOffsetX = {-7, 8};
    b->TemplateOffsetY = {9, -10};
    b->TemplateColour = {0x123456, 0x654321};
    b->Origin = {1234, -4321};
    add(b->Elements, NewPad({0, 0}, 50, ShapeRound, LayerK2, 50));
    p.Boards.push_back(std::move(b));
    p.Current = 1;
    p.Info = {"Titel", "Autor", "Firma", "Zeile 1\r\nZeile 2"};
}

} // namespace

TEST(LayoutFileRoundTrip, WrittenProjectReadsBackTheSame)
{
    TProject p;
    fill(p);
    const std::vector<std::uint8_t> bytes = EncodeLayoutFile(p);
    const LayoutFileContent c = ParseLayoutFile(bytes, "rt.lay", 0);
    ASSERT_FALSE(c.error) << c.error->what();
    ASSERT_EQ(c.boards.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
        expectSameBoard(*p.Boards[i], *c.boards[i]);
    EXPECT_EQ(c.shownIndex.value_or(-1), 1);
    ASSERT_TRUE(c.info);
    EXPECT_EQ(c.info->Title, "Titel");
    EXPECT_EQ(c.info->Author, "Autor");
    EXPECT_EQ(c.info->Company, "Firma");
    EXPECT_EQ(c.info->Comment, "Zeile 1\r\nZeile 2");

    // A second round gives the same bytes.
    TProject q;
    for (auto& b : const_cast<LayoutFileContent&>(c).boards)
        q.Boards.push_back(std::move(b));
    q.Current = *c.shownIndex;
    q.Info = *c.info;
    EXPECT_EQ(EncodeLayoutFile(q), bytes);
}

TEST(LayoutFileRoundTrip, WriterCutsStringsAndZeroesWhatTheReaderIgnores)
{
    TProject p;
    auto b = std::make_unique<TBoard>();
    b->Name = std::string(45, 'N');
    b->TemplateFile[0] = std::string(250, 'f');
    TObjekt& pad = add(b->Elements, NewPad({1, 2}, 50, ShapeRound, LayerK1, 20));
    pad.Selected = 1;
    pad.Twin = &pad; // pointers must not reach the file
    pad.Reserved39 = 0xAB;
    pad.Reserved57.fill(0xCD);
    pad.Reserved72 = -1;
    pad.Reserved74 = 0xEF;
    pad.Text = std::string(300, 't');
    pad.Groups = {3};
    pad.Points = {{1, 1}}; // not written for pads
    p.Boards.push_back(std::move(b));
    p.Current = 0;
    p.Info.Title = std::string(150, 'T');
    p.Info.Comment = std::string(2000, 'c');
    const std::vector<std::uint8_t> bytes = EncodeLayoutFile(p);

    const std::size_t rec = 4 + 4 + 31 + 490 + 4; // first element record
    EXPECT_EQ(bytes[4 + 4], 30) << "board name cut to its field";
    EXPECT_EQ(bytes[rec + 0], KindPad);
    EXPECT_EQ(bytes[rec + 21], 1) << "Selected is written as it is";
    for (std::size_t i :
         {24, 25, 26, 27, 35, 36, 37, 38, 39, 45, 46, 47, 48, 49, 50, 51, 52, 57, 64, 71, 72, 73, 74})
        EXPECT_EQ(bytes[rec + i], 0) << "record byte " << i;
    EXPECT_EQ(bytes[rec + 75], 255) << "text length cut to 255";

    const LayoutFileContent c = ParseLayoutFile(bytes, "cut.lay", 0);
    ASSERT_FALSE(c.error) << c.error->what();
    EXPECT_EQ(c.boards[0]->Name, std::string(30, 'N'));
    EXPECT_EQ(c.boards[0]->TemplateFile[0], std::string(200, 'f'));
    EXPECT_EQ(c.boards[0]->Elements[0]->Text.size(), 255u);
    EXPECT_EQ(c.boards[0]->Elements[0]->Twin, nullptr);
    EXPECT_EQ(c.info->Title, std::string(100, 'T'));
    EXPECT_EQ(c.info->Comment.size(), 1900u);
}

TEST(LayoutFileRoundTrip, SaveStoresTheLiveStateAndWritesAtomically)
{
    const auto dir = std::filesystem::temp_directory_path() / ("trevok-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "saved.lay").string();
    TProject p;
    fill(p);
    p.Modified = true;
    int stored = 0;
    p.StoreLiveState = [&](TBoard& b) {
        ++stored;
        b.Zoom = 0.5; // the view's zoom of the current board
    };
    SaveProject(p, path);
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(p.FileName, path);
    EXPECT_FALSE(p.Modified);

    TProject q;
    const LayoutReadResult r = ReadLayoutFile(q, path, false, 0);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(q.Current, 1);
    EXPECT_EQ(q.Boards[1]->Zoom, 0.5);
    expectSameBoard(*p.Boards[0], *q.Boards[0]);

    // A failed save changes neither the file name nor the modified mark.
    p.Modified = true;
    EXPECT_THROW(SaveProject(p, (dir / "no-such-folder" / "x.lay").string()), TrevokError);
    EXPECT_EQ(p.FileName, path);
    EXPECT_TRUE(p.Modified);
    std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------------------------------------
// Macro files

TEST(MacroFile, Version3HasNoCommentsAndConvertsFontTexts)
{
    File f;
    f.header(3).i32(2);
    f.raw(recV3({.kind = 2, .x = 100, .size1 = 60, .size2 = 30, .layer = 1, .shape = 1})).ids32({4}).i32(-1);
    f.raw(recV3({.kind = 3,
                 .x = 0,
                 .y = 0,
                 .size1 = 300,
                 .size2 = -100,
                 .width = -200,
                 .layer = 2,
                 .text = "AB"}))
        .ids32({4});
    f.ids32({}); // connections of the pad
    const MacroFileContent m = ParseMacroFile(f.b, "old.lmk", 254.0, ConvertMacroFontTexts);
    EXPECT_EQ(m.version, 3);
    EXPECT_TRUE(m.line1.empty() && m.line2.empty());
    ASSERT_EQ(m.elements.size(), 2u);
    EXPECT_EQ(m.elements[0]->Layer, 3);
    EXPECT_EQ(m.elements[1]->Kind, KindLayoutText) << "converted without asking";
    EXPECT_EQ(m.elements[1]->Text, "AB");
    EXPECT_FALSE(m.elements[1]->Strokes.empty());
    EXPECT_EQ(m.elements[1]->Layer, 2);
    EXPECT_EQ(m.elements[1]->Groups, std::vector<std::int32_t>{1});
}

TEST(MacroFile, Version4LayersFiveAndSixTwinsAndComments)
{
    File f;
    f.header(4).i32(4);
    f.raw(recV4({.kind = 2, .size1 = 60, .size2 = 30, .layer = 5, .shape = 1})).text("").ids32({}).i32(3);
    f.raw(recV4({.kind = 6, .width = 20, .layer = 6})).text("").ids32({}).nodes32({{0, 0}});
    f.raw(recV4({.kind = 7, .size1 = 100, .layer = 5})).text("X").ids32({}).i32(1);
    f.raw(recV4({.kind = 6, .width = 20, .layer = 5})).nodes32({{0, 0}, {0, 100}});
    f.raw(recV4({.kind = 2, .size1 = 60, .size2 = 30, .layer = 6, .shape = 1})).text("").ids32({}).i32(0);
    f.ids32({3}).ids32({0});
    f.str("Line one", 50).str(std::string(50, 'x'), 50, 60);
    const MacroFileContent m = ParseMacroFile(f.b, "new.lmk");
    ASSERT_EQ(m.elements.size(), 3u) << "the one-node track is dropped";
    const ElementList& l = m.elements;
    EXPECT_EQ(l[0]->Layer, 3);
    EXPECT_EQ(l[1]->Layer, 3);
    EXPECT_EQ(l[1]->Strokes.at(0).Layer, 3);
    EXPECT_EQ(l[2]->Layer, 2);
    EXPECT_EQ(l[0]->Twin, l[2].get());
    EXPECT_EQ(l[0]->TwinIndex, 2) << "twin index follows the removal";
    EXPECT_EQ(l[2]->TwinIndex, 0);
    EXPECT_EQ(l[0]->Connections, std::vector<TObjekt*>{l[2].get()});
    EXPECT_EQ(m.line1, "Line one");
    EXPECT_EQ(m.line2, std::string(50, 'x'));

    // Written back and read again: the same macro.
    const MacroFileContent again = ParseMacroFile(EncodeMacroFile(l, m.line1, m.line2 + "cut"), "again.lmk");
    expectSameList(l, again.elements);
    EXPECT_EQ(again.line2, std::string(50, 'x'));
    EXPECT_EQ(again.version, 4);
}

TEST(MacroFile, DamagedMacrosThrow)
{
    File f;
    f.header(4).i32(1).raw(recV4({.kind = 2, .layer = 1})).text("").ids32({}).i32(-1).ids32({});
    f.str("a", 50).str("b", 50);
    EXPECT_NO_THROW(ParseMacroFile(f.b, "m.lmk"));
    for (std::size_t cut = 0; cut < f.b.size(); ++cut) {
        const Bytes part(f.b.begin(), f.b.begin() + static_cast<std::ptrdiff_t>(cut));
        try {
            ParseMacroFile(part, "m.lmk");
            ADD_FAILURE() << "cut at " << cut;
        } catch (const TrevokError& e) {
            EXPECT_EQ(e.id, cut < 4 ? MsgId::NotATrevokFile : MsgId::ReadError);
        }
    }
    EXPECT_THROW(ReadMacroFile("/nonexistent/folder/x.lmk"), TrevokError);
}

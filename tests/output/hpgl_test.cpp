// HPGL milling files: commands, plotter units, mirroring, registration holes and drill files.
#include "output/hpgl.h"

#include "document/project.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace trevok;

namespace
{

std::vector<std::string> lines(const std::string& s)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    while (from < s.size()) {
        const std::size_t end = s.find("\r\n", from);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos)
            break;
        out.push_back(s.substr(from, end - from));
        from = end + 2;
    }
    return out;
}

TBoard board()
{
    TBoard b;
    b.BoardHeight = 3000;
    // Box x 0..5080, y -2540..0 from two SMD pads of zero size at the corners.
    b.Elements.push_back(NewSmdPad({0, -2540}, 2, LayerB1, 2));
    b.Elements.push_back(NewSmdPad({5080, 0}, 2, LayerB1, 2));
    return b;
}

} // namespace

TEST(Hpgl, IsolationFileCommandsUnitsAndMirroring)
{
    TBoard b = board();
    HpglOptions o;
    MillingOptions m;
    const std::vector<Contour> single{{{1270, -3000}}};
    const std::vector<std::string> plain = lines(IsolationHpgl(b, single, {}, m, o));
    // A one-point contour is a dot, not a segment of no length; 12.7 mm from the left edge is
    // 500, the board's lower edge (y = -H) is 0; the lower left registration hole sits at the box
    // corner (-1, -2541).
    const std::vector<std::string> expected{"PT0;", "PU;",      "PA0,181;", "PD;",
                                            "PU;",  "PA500,0;", "PD;",      "PU;"};
    EXPECT_EQ(plain, expected);

    // Points that round to the same plotter point are written once, the closing one too.
    const std::vector<Contour> close{
        {{0, -3000}, {1, -3000}, {1000, -3000}, {1001, -3000}, {1000, -2000}, {1, -3000}}};
    const std::vector<std::string> dense = lines(IsolationHpgl(b, close, {}, m, o));
    for (std::size_t i = 1; i < dense.size(); ++i)
        EXPECT_TRUE(dense[i] != dense[i - 1] || dense[i] == "PU;") << "line " << i << ": " << dense[i];
    EXPECT_EQ(std::count(dense.begin(), dense.end(), "PA0,0;"), 2); // start, and the close

    o.mirror = MillMirror::X;
    o.corners = {true, false, false, true};
    const std::vector<std::string> mirrored = lines(IsolationHpgl(b, single, {}, m, o));
    // The registration holes stay at the corners; the copper moves to -1 + 5081 - 1270 = 3810.
    EXPECT_EQ(mirrored[2], "PA0,181;");
    EXPECT_EQ(mirrored[5], "PA2000,1181;");
    EXPECT_EQ(mirrored[8], "PA1500,0;");

    o.mirror = MillMirror::Y; // y -> -2541 + 1 + 3000 = 460
    EXPECT_EQ(lines(IsolationHpgl(b, single, {}, m, o))[8], "PA500,1362;");
}

TEST(Hpgl, DrillFilesOneHolePerPlatedPairAndNamedByLanguage)
{
    TBoard b = board();
    b.Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({1000, -1000}, 80, ShapeRound, LayerK2, 40));
    b.Elements[2]->Twin = b.Elements[3].get();
    b.Elements[3]->Twin = b.Elements[2].get();
    b.Elements.push_back(NewPad({2000, -1000}, 80, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({3000, -1000}, 80, ShapeRound, LayerK1, 30));
    b.Elements.push_back(NewPad({4000, -1000}, 80, ShapeRound, LayerK2, 30)); // other side, no twin

    for (std::uint8_t layer : {LayerK1, LayerK2}) {
        EXPECT_EQ(DrillHoles(b.Elements, layer).size(), layer == LayerK1 ? 3u : 2u);
        EXPECT_EQ(DrillHoles(b.Elements, layer)[0], b.Elements[2].get()); // the pair's first pad
    }

    HpglOptions o;
    o.drills = DrillFiles::PerDiameter;
    o.language = 0;
    std::vector<SideFile> files = DrillHpgl(b, LayerK1, o);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "BOHR_80.PLT");
    EXPECT_EQ(files[1].name, "BOHR_60.PLT");
    const std::vector<std::string> first = lines(files[0].bytes);
    EXPECT_EQ(first.size(), 2u + 3u + 2u * 3u); // header, registration hole, two holes
    o.language = 1;
    EXPECT_EQ(DrillHpgl(b, LayerK1, o)[0].name, "DRIL_80.PLT");
    o.drills = DrillFiles::One;
    EXPECT_EQ(DrillHpgl(b, LayerK1, o)[0].name, "DRILLING.PLT");
    o.language = 2;
    files = DrillHpgl(b, LayerK1, o);
    EXPECT_EQ(files[0].name, "BOHRUNG.PLT");
    EXPECT_EQ(lines(files[0].bytes).size(), 2u + 3u + 3u * 3u);
    o.drills = DrillFiles::None;
    EXPECT_TRUE(DrillHpgl(b, LayerK1, o).empty());

    // Centring marks in the isolation file: a hole per drill hole, mirrored with the copper.
    o.centreMarks = true;
    o.corners = {false, false, false, false};
    o.mirror = MillMirror::X;
    const std::vector<std::string> iso = lines(IsolationHpgl(b, {}, {}, MillingOptions{}, o));
    ASSERT_EQ(iso.size(), 2u + 3u * 3u);
    EXPECT_EQ(iso[2], "PA1606,787;"); // x -1 + 5081 - 1000 = 4080, y -1000 + 3000 = 2000
}

TEST(Hpgl, OutlineFollowsTracksAndCircles)
{
    TBoard b = board();
    auto t = NewTrack(20, LayerB1);
    AddPoint(*t, {0, 0});
    AddPoint(*t, {2540, 0});
    t->Selected = 1;
    b.Elements.push_back(std::move(t));
    auto c = NewCircle({2540, -1270}, 1010, 0, LayerB2, 990); // full circle, mid radius 1000
    c->Selected = 1;
    b.Elements.push_back(std::move(c));
    b.Elements.push_back(NewTrack(20, LayerB1)); // unselected, one point: nothing

    EXPECT_EQ(OutlineCirclePoints(*b.Elements[3]).size(), 10u + 30u + 1u);
    EXPECT_EQ(OutlineCirclePoints(*b.Elements[3]).front(), OutlineCirclePoints(*b.Elements[3]).back());
    HpglOptions o;
    o.corners = {false, false, false, false};
    const std::vector<std::string> all = lines(OutlineHpgl(b, 0, true, o));
    // track: PA, PD, PA, PU; circle: PA, PD, 40 PA, PU.
    ASSERT_EQ(all.size(), 2u + 4u + 43u);
    EXPECT_EQ(all[2], "PA0,1181;");
    EXPECT_EQ(all[4], "PA1000,1181;");
    EXPECT_EQ(all[6], "PA1394,681;"); // (3540, -1270)
    EXPECT_EQ(lines(OutlineHpgl(b, LayerB1, true, o)).size(), 2u + 4u);
}

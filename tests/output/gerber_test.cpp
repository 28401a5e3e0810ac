#include "output/gerber.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

using namespace trevok;

namespace
{

std::unique_ptr<TObjekt> pad(int x, int y, int r, int drill, int shape = ShapeRound, int layer = 1)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = KindPad;
    e->X = x;
    e->Y = y;
    e->Size1 = r;
    e->Size2 = drill;
    e->Shape = static_cast<std::uint8_t>(shape);
    e->Layer = static_cast<std::uint8_t>(layer);
    e->Clearance = 40;
    return e;
}

std::unique_ptr<TObjekt> track(std::vector<TPoint> pts, int width, int layer = 1)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = KindTrack;
    e->Width = width;
    e->Layer = static_cast<std::uint8_t>(layer);
    e->Points = std::move(pts);
    e->Clearance = 40;
    return e;
}

TBoard exampleBoard()
{
    TBoard b;
    b.BoardWidth = 5000;
    b.BoardHeight = 3000;
    b.Elements.push_back(pad(1000, -1000, 90, 40));
    b.Elements.push_back(track({{1000, -1000}, {2000, -1000}}, 40));
    return b;
}

std::string crlf(const std::string& lf)
{
    std::string out;
    for (char c : lf) {
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> lines(const std::string& s)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < s.size()) {
        const std::size_t end = s.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(s.substr(start));
            break;
        }
        out.push_back(s.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

int count(const std::vector<std::string>& ls, const std::string& l)
{
    return static_cast<int>(std::count(ls.begin(), ls.end(), l));
}

} // namespace

TEST(Gerber, WorkedExampleByteForByte)
{
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.language = 1;
    EXPECT_EQ(PlotteGerberfile(exampleBoard(), o), crlf("%FSLAX32Y32*%\n"
                                                        "%MOMM*%\n"
                                                        "%LNCOPPER1*%\n"
                                                        "G71*\n"
                                                        "G01*\n"
                                                        "%ADD10C,0.20*%\n"
                                                        "%ADD11C,1.80*%\n"
                                                        "%ADD12C,0.40*%\n"
                                                        "%LPD*%\n"
                                                        "G54D10*\n"
                                                        "X0Y0D02*\n"
                                                        "X5000Y0D01*\n"
                                                        "X5000Y3000D01*\n"
                                                        "X0Y3000D01*\n"
                                                        "X0Y0D01*\n"
                                                        "X1000Y2000D02*\n"
                                                        "G54D11*\n"
                                                        "D03*\n"
                                                        "G54D12*\n"
                                                        "X1000Y2000D02*\n"
                                                        "X2000Y2000D01*\n"
                                                        "M02*\n"));
}

TEST(Gerber, MirroredExampleMovesXOnly)
{
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.mirror = true;
    const auto ls = lines(PlotteGerberfile(exampleBoard(), o));
    EXPECT_EQ(count(ls, "X4000Y2000D02*"), 2); // pad move and track start
    EXPECT_EQ(count(ls, "X3000Y2000D01*"), 1);
    // The outline is the same rectangle, walked from the mirrored corner.
    EXPECT_EQ(count(ls, "X5000Y0D02*"), 1);
    EXPECT_EQ(count(ls, "X0Y3000D01*"), 1);
}

TEST(Gerber, LayerNamesFollowTheLanguage)
{
    EXPECT_EQ(GerberLayerName(GerberLayer::K2, 0), "KUPFERSEITE2");
    EXPECT_EQ(GerberLayerName(GerberLayer::LStop1, 2), "MASQUESOUDURE1");
    EXPECT_EQ(GerberLayerName(GerberLayer::B1, 1), "SILKSCREEN1");
}

TEST(Gerber, ApertureKeysAndPenRestore)
{
    TBoard b;
    b.Elements.push_back(pad(100, -100, 90, 40));
    b.Elements.push_back(pad(300, -100, 90, 30)); // same size, other drill: new D-code
    b.Elements.push_back(pad(500, -100, 90, 40, ShapeOctagon));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    const auto ls = lines(PlotteGerberfile(b, o));
    EXPECT_EQ(ls[5], "%ADD10C,1.80*%");
    EXPECT_EQ(ls[6], "%ADD11C,1.80*%");
    // The octagon reselects the pen in use before it: none was set, so a 0.00 mm pen appears.
    EXPECT_EQ(ls[7], "%ADD12C,0.00*%");
    EXPECT_EQ(count(ls, "G36*"), 1);
    // Octagon of half-size 90, cut round(90 * 0.585) = 53, centre (500, 9900).
    EXPECT_EQ(count(ls, "X410Y9937D02*"), 1);
    EXPECT_EQ(count(ls, "X410Y9863D01*"), 1);
    EXPECT_EQ(ls.back(), "M02*");
}

TEST(Gerber, BareHoleSkippedButClearedAndPunched)
{
    TBoard b;
    b.BoardWidth = 1000;
    b.BoardHeight = 1000;
    b.GroundPlane1 = 1;
    b.Elements.push_back(pad(500, -500, 60, 60));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    o.punchHoles = true;
    const auto ls = lines(PlotteGerberfile(b, o));
    // Clearance pass: radius 60 + 40 gives a 2.00 mm aperture; punch: 2 * 60 = 1.20 mm pen.
    EXPECT_EQ(ls[5], "%ADD10C,2.00*%");
    EXPECT_EQ(ls[6], "%ADD11C,1.20*%");
    EXPECT_EQ(count(ls, "D03*"), 2); // cleared once and punched once, never drawn as copper
    // Punched copper ends in clear polarity.
    auto lastPolarity =
        std::find_if(ls.rbegin(), ls.rend(), [](const std::string& l) { return l.rfind("%LP", 0) == 0; });
    ASSERT_NE(lastPolarity, ls.rend());
    EXPECT_EQ(*lastPolarity, "%LPC*%");
}

TEST(Gerber, GroundPlaneAndRestrictedArea)
{
    TBoard b;
    b.BoardWidth = 2000;
    b.BoardHeight = 1000;
    b.GroundPlane1 = 1;
    auto area = std::make_unique<TObjekt>();
    area->Kind = KindArea;
    area->Layer = 1;
    area->Width = 20;
    area->Restricted = 1;
    area->Clearance = 40;
    area->Points = {{100, -100}, {500, -100}, {500, -500}, {100, -100}};
    b.Elements.push_back(std::move(area));
    b.Elements.push_back(track({{0, -800}, {1000, -800}}, 30));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    const auto ls = lines(PlotteGerberfile(b, o));
    // Board region, clear pass (area with its own width 20, track 30 + 80), dark pass (track only).
    EXPECT_EQ(count(ls, "G36*"), 2);
    EXPECT_EQ(ls[5], "%ADD10C,0.20*%");
    EXPECT_EQ(ls[6], "%ADD11C,1.10*%");
    EXPECT_EQ(ls[7], "%ADD12C,0.30*%");
    EXPECT_EQ(count(ls, "%LPC*%"), 1);
    EXPECT_EQ(count(ls, "X100Y900D02*"), 2); // region and outline of the restricted area, both clear

    // Without the plane the restricted area is not copper at all.
    b.GroundPlane1 = 0;
    const auto plain = lines(PlotteGerberfile(b, o));
    EXPECT_EQ(count(plain, "G36*"), 0);
    EXPECT_EQ(count(plain, "X100Y900D02*"), 0);
}

TEST(Gerber, FullCircleUnderMirrorIsOneArcToItself)
{
    TBoard b;
    b.BoardWidth = 1000;
    b.BoardHeight = 1000;
    auto c = std::make_unique<TObjekt>();
    c->Kind = KindCircle;
    c->Layer = 1;
    c->X = 300;
    c->Y = -500;
    c->Size1 = 120;
    c->Size2 = 80; // pen 40, middle radius 100
    b.Elements.push_back(std::move(c));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    o.mirror = true;
    const auto ls = lines(PlotteGerberfile(b, o));
    // Point at 0 degrees: (400, 500); mirrored x 600, centre mirrored to 700.
    EXPECT_EQ(count(ls, "G01X600Y500D02*"), 1);
    EXPECT_EQ(count(ls, "G03X600Y500I100J0D01*"), 1);
}

TEST(Gerber, ArcKeepsAnticlockwiseUnderMirror)
{
    TBoard b;
    b.BoardWidth = 1000;
    b.BoardHeight = 1000;
    auto c = std::make_unique<TObjekt>();
    c->Kind = KindCircle;
    c->Layer = 1;
    c->X = 300;
    c->Y = -500;
    c->Size1 = 120;
    c->Size2 = 80;
    c->Angle = 0;  // start
    c->Width = 90; // stop
    b.Elements.push_back(std::move(c));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    auto ls = lines(PlotteGerberfile(b, o));
    EXPECT_EQ(count(ls, "G01X400Y500D02*"), 1);
    EXPECT_EQ(count(ls, "G03X300Y600I-100J0D01*"), 1);
    o.mirror = true;
    ls = lines(PlotteGerberfile(b, o));
    // Start becomes the mirrored stop point (700, 600), end the mirrored start (600, 500).
    EXPECT_EQ(count(ls, "G01X700Y600D02*"), 1);
    EXPECT_EQ(count(ls, "G03X600Y500I0J-100D01*"), 1);
}

TEST(Gerber, FilledArcIsItsChordWithTheStraightEdgeStroked)
{
    TBoard b;
    b.BoardWidth = 1000;
    b.BoardHeight = 1000;
    auto c = std::make_unique<TObjekt>();
    c->Kind = KindCircle;
    c->Layer = 1;
    c->X = 300;
    c->Y = -500;
    c->Size1 = 120;
    c->Size2 = 80; // pen 40 on the middle radius 100
    c->Angle = 0;
    c->Width = 90;
    c->Filled = 1;
    c->Clearance = 40;
    b.Elements.push_back(std::move(c));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    struct Case {
        bool mirror;
        std::vector<std::string> body;
    };
    const Case cases[] = {
        {false,
         {"G75*", "G36*", "G01X420Y500D02*", "G03X300Y620I-120J0D01*", "G01*", "X420Y500D01*", "G37*",
          "G54D10*", "X400Y500D02*", "X300Y600D01*", "M02*"}},
        // Mirrored, the arc starts at the mirrored stop point and still turns anticlockwise.
        {true,
         {"G75*", "G36*", "G01X700Y620D02*", "G03X580Y500I0J-120D01*", "G01*", "X700Y620D01*", "G37*",
          "G54D10*", "X600Y500D02*", "X700Y600D01*", "M02*"}},
    };
    for (const Case& k : cases) {
        o.mirror = k.mirror;
        const auto ls = lines(PlotteGerberfile(b, o));
        ASSERT_GE(ls.size(), 7u + k.body.size());
        EXPECT_EQ(ls[5], "%ADD10C,0.40*%");
        EXPECT_EQ(std::vector<std::string>(ls.begin() + 7, ls.end()), k.body) << (k.mirror ? "mirrored" : "");
    }

    // A whole filled circle is the disc of the outer radius, grown by the clearance when cut out
    // of a ground plane.
    b.Elements[0]->Width = 360;
    b.GroundPlane1 = 1;
    const auto ls = lines(PlotteGerberfile(b, o));
    EXPECT_EQ(count(ls, "%ADD10C,3.20*%"), 1); // 2 x (120 + 40)
    EXPECT_EQ(count(ls, "%ADD11C,2.40*%"), 1);
    EXPECT_EQ(count(ls, "D03*"), 2);
    EXPECT_EQ(count(ls, "G36*"), 1) << "only the ground plane is a region";
}

TEST(Gerber, SolderMaskOffsetsAndInversion)
{
    TBoard b;
    b.BoardWidth = 1000;
    b.BoardHeight = 1000;
    b.Elements.push_back(pad(200, -200, 80, 40));
    auto smd = std::make_unique<TObjekt>();
    smd->Kind = KindSmdPad;
    smd->Layer = 1;
    smd->X = 500;
    smd->Y = -500;
    smd->Size1 = 150;
    smd->Size2 = 61;
    b.Elements.push_back(std::move(smd));
    b.Elements.push_back(pad(800, -800, 80, 40, ShapeRound, 3)); // other side: not in this mask
    GerberOptions o = GerberOptions::forLayer(GerberLayer::LStop1);
    o.invert = true;
    const auto ls = lines(PlotteGerberfile(b, o));
    EXPECT_EQ(ls[2], "%LNSOLDERMASK1*%");
    // Round pad: radius 80 + 30, hole not part of the mask aperture.
    EXPECT_EQ(ls[5], "%ADD10C,2.20*%");
    // SMD: round(10 + 75) = 85 and round(10 + 30.5) = 40 (half to even).
    EXPECT_EQ(ls[6], "%ADD11R,1.70X0.80*%");
    EXPECT_EQ(count(ls, "D03*"), 2);
    EXPECT_EQ(ls[ls.size() - 2], "D03*");
    auto lastPolarity =
        std::find_if(ls.rbegin(), ls.rend(), [](const std::string& l) { return l.rfind("%LP", 0) == 0; });
    EXPECT_EQ(*lastPolarity, "%LPC*%");
}

namespace
{
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};
} // namespace

TEST(Gerber, DecimalPointWhateverTheLocale)
{
    // A German or French desktop: the C++ global locale writes a decimal comma, and the C locale
    // too where such a locale is installed.
    const std::locale savedGlobal =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    TBoard b;
    b.Elements.push_back(track({{0, 0}, {10, 0}}, 30));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K1);
    o.outline = false;
    const std::string out = PlotteGerberfile(b, o);
    std::setlocale(LC_NUMERIC, savedC.c_str());
    std::locale::global(savedGlobal);
    EXPECT_NE(out.find("%ADD10C,0.30*%"), std::string::npos);
    EXPECT_EQ(out.find(',' + std::string("30")), std::string::npos);
}

TEST(Gerber, ElongatedPadsAndClearancePassSizes)
{
    TBoard b;
    b.BoardWidth = 2000;
    b.BoardHeight = 2000;
    b.GroundPlane2 = 1;
    b.Elements.push_back(pad(1000, -1000, 60, 30, ShapeRectTall, 3));
    GerberOptions o = GerberOptions::forLayer(GerberLayer::K2);
    o.outline = false;
    const auto ls = lines(PlotteGerberfile(b, o));
    // Clearance pass: q = 100, L = 2 * 60 + 40 = 160; normal pass: q = 60, L = 120.
    EXPECT_EQ(ls[5], "%ADD10R,2.00X3.20*%");
    EXPECT_EQ(ls[6], "%ADD11R,1.20X2.40*%");
    // K2 is mirrored by default: centre x becomes 2000 - 1000.
    EXPECT_EQ(count(ls, "X1000Y1000D02*"), 2);
}

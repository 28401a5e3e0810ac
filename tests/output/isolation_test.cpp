// Isolation contours: the polygons of the grown copper, the contours around them, and the check
// that finds places where the mill cannot pass.
#include "output/isolation.h"

#include "routing/nettrace.h"

#include <clipper.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <set>

using namespace trevok;

namespace
{

std::unique_ptr<TObjekt> track(std::vector<TPoint> pts, int width, std::uint8_t layer = LayerK1)
{
    auto t = NewTrack(width, layer);
    for (TPoint p : pts)
        AddPoint(*t, p);
    return t;
}

std::unique_ptr<TObjekt> pad(int x, int y, int r, std::uint8_t shape = ShapeRound,
                             std::uint8_t layer = LayerK1)
{
    return NewPad({x, y}, r, shape, layer, 40);
}

std::unique_ptr<TObjekt> area(std::vector<TPoint> pts, int width)
{
    auto a = NewArea(width, LayerK1);
    for (TPoint p : pts)
        AddPoint(*a, p);
    return a;
}

double perimeter(const std::vector<Contour>& cs)
{
    double s = 0;
    for (const Contour& c : cs)
        for (std::size_t i = 0; i < c.size(); ++i) {
            const TPoint a = c[i], b = c[(i + 1) % c.size()];
            s += std::hypot(double(b.x - a.x), double(b.y - a.y));
        }
    return s;
}

/// The area where the contours (even-odd) and the grown copper disagree: one plain union of all
/// shape polygons at board resolution, apart from the milling code's clusters and rounding.
double mismatchArea(const ElementList& list, const MillingOptions& o, const std::vector<Contour>& contours)
{
    using namespace ClipperLib;
    Clipper c;
    for (const ShapeGroup& g : MillingShapes(list, o)) {
        for (const RPath& p : g.polygons) {
            Path q;
            for (const RPoint& v : p)
                q.emplace_back(v.x, v.y);
            if (!Orientation(q))
                ReversePath(q);
            c.AddPath(q, ptClip, true);
        }
        for (const RPath& p : g.interior) {
            Path q;
            for (const RPoint& v : p)
                q.emplace_back(v.x, v.y);
            Paths resolved;
            SimplifyPolygon(q, resolved, pftEvenOdd);
            c.AddPaths(resolved, ptClip, true);
        }
    }
    for (const Contour& k : contours) {
        Path q;
        for (const TPoint& v : k)
            q.emplace_back(v.x, v.y);
        c.AddPath(q, ptSubject, true);
    }
    Paths diff;
    c.Execute(ctXor, diff, pftEvenOdd, pftNonZero);
    double a = 0;
    for (const Path& p : diff)
        a += Area(p);
    return a;
}

std::vector<Contour> contoursOf(const ElementList& list, const MillingOptions& o = {})
{
    const auto r = ComputeIsolation(list, o);
    EXPECT_TRUE(r.has_value());
    return r ? r->contours : std::vector<Contour>{};
}

void expectComplete(const ElementList& list, const MillingOptions& o, const char* what)
{
    const std::vector<Contour> cs = contoursOf(list, o);
    // Rounding the vertices back to units moves each by at most half a unit in x and y.
    EXPECT_LE(mismatchArea(list, o, cs), 0.75 * perimeter(cs) + 1) << what;
}

} // namespace

TEST(MillShapes, PolygonsOfEachKindFollowTheirRecipe)
{
    // Round pad: 24 points at 15 degree steps, ending at 360 degrees.
    auto p = pad(1000, -1000, 100);
    std::vector<RPath> polys = ElementShapePolygons(*p);
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0].size(), 24u);
    const RPath& round = polys[0];
    EXPECT_NE(std::find(round.begin(), round.end(), RPoint{1100, -1000}), round.end());
    EXPECT_NE(std::find(round.begin(), round.end(), RPoint{1000, -900}), round.end());

    // Wide octagon: cut e = round(0.585 r) from half sizes (2r, r).
    p = pad(0, 0, 100, ShapeOctagonWide);
    polys = ElementShapePolygons(*p);
    ASSERT_EQ(polys[0].size(), 8u);
    for (RPoint v : {RPoint{-200 + 58, 100}, RPoint{200, 100 - 58}, RPoint{-200, -100 + 58}})
        EXPECT_NE(std::find(polys[0].begin(), polys[0].end(), v), polys[0].end()) << v.x << "," << v.y;

    // Tall oval: 4 corners of a point and 4 arc steps each; corners k = round(0.75 r) from the box.
    p = pad(0, 0, 100, ShapeRoundedTall);
    polys = ElementShapePolygons(*p);
    ASSERT_EQ(polys[0].size(), 20u);
    EXPECT_NE(std::find(polys[0].begin(), polys[0].end(), RPoint{100, 200 - 75}), polys[0].end());

    // A stroke of width d has two caps of d div 20 + 3 steps plus the two side starts.
    RPath stroke = StrokePolygon({0, 0}, {1000, 0}, 100);
    EXPECT_EQ(stroke.size(), 2u * 8u + 2u);
    EXPECT_EQ(stroke.front(), (RPoint{1000, -50}));
    for (const RPoint& v : stroke)
        EXPECT_LE(std::abs(std::hypot(double(v.x - (v.x > 500 ? 1000 : 0)), double(v.y)) - 50.0), 0.71);

    // Ring: the ring itself and two round caps; filled circle: a disc and one stroke.
    auto ring = NewCircle({0, 0}, 500, 0, LayerK1, 300);
    EXPECT_EQ(ElementShapePolygons(*ring).size(), 3u);
    ring->Filled = 1;
    EXPECT_EQ(ElementShapePolygons(*ring).size(), 2u);

    // Every polygon runs clockwise (y up).
    for (const RPath& poly : ElementShapePolygons(*pad(0, 0, 80, ShapeRoundedWide))) {
        double a = 0;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const RPoint u = poly[i], v = poly[(i + 1) % poly.size()];
            a += double(u.x) * v.y - double(v.x) * u.y;
        }
        EXPECT_LT(a, 0);
    }
}

TEST(MillShapes, OnlyWhatLiesWhollyInsideGoes)
{
    // An L-shaped track 400 wide and a thin track: inside one of the L's segments it goes, but
    // across the L's inner corner it stays, although every vertex of its outline lies inside.
    struct Case {
        const char* name;
        std::vector<TPoint> thin;
        bool kept;
    };
    const Case cases[] = {
        {"inside one segment", {{10200, 0}, {10600, 0}}, false},
        {"inside the corner's two segments", {{10900, 0}, {11000, 100}}, false},
        {"across the inner corner", {{10300, 0}, {11000, 700}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ElementList list;
        list.push_back(track({{10000, 0}, {11000, 0}, {11000, 1000}}, 400));
        list.push_back(track(c.thin, 20));
        const std::vector<ShapeGroup> shapes = MillingShapes(list, MillingOptions{});
        EXPECT_EQ(shapes.size(), c.kept ? 2u : 1u);
    }
}

TEST(MillShapes, InsideIsJudgedOnTheUnionsOwnPolygons)
{
    // A round pad of radius 1000 is milled as a 24-gon: its edges lie up to 8.6 units inside the
    // circle. A small SMD pad in that gap lies within the pad's round outline but outside its
    // polygon, so it must stay, or the union loses it; moved inwards past the edge, it goes.
    struct Case {
        const char* name;
        double distance; // of the small pad's centre from the big one's, towards an edge's middle
        std::size_t shapes, contours;
    };
    const Case cases[] = {
        {"in the gap between polygon and circle", 995.5, 2, 2},
        {"inside the polygon", 985.0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ElementList list;
        list.push_back(pad(0, 0, 1000));
        const double a = 7.5 * std::numbers::pi / 180; // between the vertices at 0 and 15 degrees
        list.push_back(NewSmdPad({static_cast<std::int32_t>(std::lround(c.distance * std::cos(a))),
                                  static_cast<std::int32_t>(std::lround(c.distance * std::sin(a)))},
                                 4, LayerK1, 4));
        EXPECT_EQ(MillingShapes(list, MillingOptions{}).size(), c.shapes);
        EXPECT_EQ(contoursOf(list).size(), c.contours);
    }
}

TEST(MillShapes, GrowingWidthAndExclusions)
{
    ElementList list;
    list.push_back(pad(0, 0, 200));
    list.push_back(pad(0, 0, 60));                              // a via inside the larger pad
    list.push_back(pad(0, 0, 200));                             // a copy: the later one goes
    list.push_back(track({{1000, 0}, {2000, 0}}, 40, LayerK2)); // other side
    auto text = NewLayoutText({0, 0}, "A", false, false, LayerK1, 0, 0, 20, 200);
    text->Strokes.push_back(*track({{3000, 0}, {3000, 200}}, 20));
    list.push_back(std::move(text));
    auto restricted = area({{5000, 0}, {6000, 0}, {6000, 1000}}, 20);
    restricted->Restricted = 1;
    list.push_back(std::move(restricted));

    MillingOptions o;
    std::vector<ShapeGroup> shapes = MillingShapes(list, o);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0].element, 0u);
    EXPECT_EQ(shapes[1].element, 4u);

    o.singleLineTexts = true; // the text is not selected
    shapes = MillingShapes(list, o);
    ASSERT_EQ(shapes.size(), 1u);
    o.singleLineTexts = false;
    o.singleLineMarkedTexts = true;
    EXPECT_EQ(MillingShapes(list, o).size(), 2u);

    // With w = 40 an SMD pad's contour lies exactly 20 outside its edges.
    ElementList smd;
    smd.push_back(NewSmdPad({0, 0}, 200, LayerK1, 100));
    for (int w : {0, 40}) {
        MillingOptions m;
        m.width = w;
        const std::vector<Contour> cs = contoursOf(smd, m);
        ASSERT_EQ(cs.size(), 1u);
        for (const TPoint& v : cs[0]) {
            EXPECT_EQ(std::abs(v.x), 100 + w / 2);
            EXPECT_EQ(std::abs(v.y), 50 + w / 2);
        }
    }
}

TEST(IsolationContours, CountsOfTheTypicalCases)
{
    struct Case {
        const char* what;
        std::function<void(ElementList&)> build;
        std::size_t contours;
    };
    const std::vector<Case> cases = {
        {"crossing tracks",
         [](ElementList& l) {
             l.push_back(track({{0, 0}, {2000, 0}}, 60));
             l.push_back(track({{1000, -1000}, {1000, 1000}}, 60));
         },
         1},
        {"track ending inside a pad",
         [](ElementList& l) {
             l.push_back(pad(0, 0, 120, ShapeOctagon));
             l.push_back(track({{50, 30}, {2000, 30}}, 40));
         },
         1},
        {"filled area",
         [](ElementList& l) {
             l.push_back(area({{0, 0}, {3000, 0}, {3000, 2000}, {0, 2000}}, 40));
         },
         1},
        {"track inside a filled area",
         [](ElementList& l) {
             l.push_back(area({{0, 0}, {3000, 0}, {3000, 2000}, {0, 2000}}, 40));
             l.push_back(track({{500, 500}, {2500, 1500}}, 30));
         },
         1},
        {"ring with a pad in its hole",
         [](ElementList& l) {
             l.push_back(NewCircle({0, 0}, 1000, 0, LayerK1, 800));
             l.push_back(pad(0, 0, 150));
         },
         3},
        {"arc of a ring",
         [](ElementList& l) {
             auto arc = NewCircle({0, 0}, 1000, 0, LayerK1, 800);
             arc->Angle = 30;
             arc->Width = 200;
             l.push_back(std::move(arc));
         },
         1},
        {"via inside a pad",
         [](ElementList& l) {
             l.push_back(pad(0, 0, 200));
             l.push_back(pad(0, 0, 60));
         },
         1},
        {"closed loop of track",
         [](ElementList& l) {
             l.push_back(track({{0, 0}, {2000, 0}, {2000, 2000}, {0, 2000}, {0, 0}}, 50));
         },
         2},
        {"two pads apart",
         [](ElementList& l) {
             l.push_back(pad(0, 0, 100));
             l.push_back(pad(1000, 0, 100, ShapeRectTall));
         },
         2},
    };
    for (const Case& c : cases) {
        ElementList list;
        c.build(list);
        for (int w : {0, 30}) {
            MillingOptions o;
            o.width = w;
            EXPECT_EQ(contoursOf(list, o).size(), c.contours) << c.what << " w=" << w;
            expectComplete(list, o, c.what);
        }
    }
}

TEST(IsolationContours, OnlySingleLineTextsGiveNoContours)
{
    ElementList list;
    auto text = NewLayoutText({0, 0}, "A", false, false, LayerK1, 0, 0, 20, 200);
    text->Strokes.push_back(*track({{0, 0}, {0, 200}, {100, 200}}, 20));
    list.push_back(std::move(text));
    MillingOptions o;
    o.singleLineTexts = true;
    EXPECT_TRUE(LayerHasElements(list, LayerK1));
    EXPECT_FALSE(LayerHasContourElements(list, o));
    EXPECT_TRUE(contoursOf(list, o).empty());
    o.singleLineTexts = false;
    EXPECT_EQ(contoursOf(list, o).size(), 1u);
}

TEST(IsolationContours, LongContourComesOutClosedAndWhole)
{
    // A meander whose outline has far more than 5001 vertices: no cut-off channel.
    std::vector<TPoint> pts;
    for (int i = 0; i < 2600; ++i)
        pts.push_back({i * 60, (i % 2) ? 300 : 0});
    ElementList list;
    list.push_back(track(pts, 200));
    MillingOptions o;
    o.width = 20;
    const std::vector<Contour> cs = contoursOf(list, o);
    std::size_t most = 0;
    for (const Contour& c : cs)
        most = std::max(most, c.size());
    EXPECT_GT(most, 50000u);
    EXPECT_LE(mismatchArea(list, o, cs), 0.75 * perimeter(cs) + 1);
}

TEST(IsolationContours, RandomBoardsAreBoundedCompletely)
{
    std::mt19937 rng(15);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int board = 0; board < 12; ++board) {
        ElementList list;
        const int n = uni(5, 40);
        for (int i = 0; i < n; ++i) {
            const TPoint at{uni(0, 4000), uni(-3000, 0)};
            switch (uni(0, 5)) {
            case 0:
                list.push_back(pad(at.x, at.y, uni(40, 200), static_cast<std::uint8_t>(uni(1, 9))));
                break;
            case 1:
                list.push_back(NewSmdPad(at, uni(30, 300), LayerK1, uni(30, 300)));
                break;
            case 2: {
                std::vector<TPoint> pts{at};
                for (int k = uni(1, 5); k > 0; --k)
                    pts.push_back({pts.back().x + uni(-800, 800), pts.back().y + uni(-800, 800)});
                list.push_back(track(pts, uni(10, 120)));
                break;
            }
            case 3: {
                auto c = NewCircle(at, uni(200, 600), 0, LayerK1, uni(50, 190));
                c->Angle = uni(0, 359);
                c->Width = uni(0, 1) ? c->Angle : uni(0, 359);
                c->Filled = static_cast<std::uint8_t>(uni(0, 3) == 0);
                list.push_back(std::move(c));
                break;
            }
            case 4: {
                std::vector<TPoint> pts;
                for (int k = uni(3, 6); k > 0; --k)
                    pts.push_back({at.x + uni(-700, 700), at.y + uni(-700, 700)});
                list.push_back(area(pts, uni(10, 60)));
                break;
            }
            default:
                list.push_back(track({at, at}, 50));
                break; // a degenerate track
            }
        }
        for (int w : {0, 25, 40}) {
            MillingOptions o;
            o.width = w;
            expectComplete(list, o, ("random board " + std::to_string(board)).c_str());
        }
    }
}

TEST(IsolationContours, CancelledRunYieldsNothing)
{
    ElementList list;
    list.push_back(pad(0, 0, 100));
    MillingProgress progress;
    progress.cancel = true;
    EXPECT_FALSE(ComputeIsolation(list, {}, &progress).has_value());
}

TEST(IsolationCheck, FindsWhereTheMillCannotPass)
{
    // Two parallel tracks 30 units apart between edges (centres 80 apart, width 50); the pads at
    // their far ends may join them through side 2.
    auto build = [](bool joined, bool joinedThroughSide2) {
        TBoard b;
        ElementList& l = b.Elements;
        l.push_back(track({{0, 0}, {2200, 0}}, 50));
        l.push_back(track({{-300, 80}, {2000, 80}}, 50));
        if (joined)
            l.push_back(track({{1900, 0}, {1900, 80}}, 50));
        if (joinedThroughSide2) {
            l.push_back(pad(2200, 0, 60));
            l.push_back(pad(-300, 80, 60));
            l.push_back(pad(2200, 0, 60, ShapeRound, LayerK2));
            l.push_back(pad(-300, 80, 60, ShapeRound, LayerK2));
            l.push_back(track({{2200, 0}, {2200, -500}, {-300, -500}, {-300, 80}}, 50, LayerK2));
            l[2]->Twin = l[4].get();
            l[4]->Twin = l[2].get();
            l[3]->Twin = l[5].get();
            l[5]->Twin = l[3].get();
        }
        return b;
    };
    // The pieces are told apart by the board's net trace.
    auto isolate = [](const TBoard& b, const MillingOptions& o) {
        const MillingNets nets = MillingNetsOf(b);
        return ComputeIsolation(b.Elements, o, nullptr, &nets);
    };
    MillingOptions o;
    o.width = 20; // 10 each side: 10 units of gap stay open
    TBoard apart = build(false, false);
    auto r = isolate(apart, o);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->problems.empty());
    EXPECT_EQ(r->contours.size(), 2u);

    o.width = 80; // 40 each side: the channels merge along the whole common length
    r = isolate(apart, o);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->problems.size(), 1u);
    EXPECT_NEAR(r->problems[0].at.x, 1000, 60);
    EXPECT_NEAR(r->problems[0].at.y, 40, 2);
    EXPECT_EQ(r->contours.size(), 1u); // the merged copper has a single outline
    EXPECT_NE(IsolationProblemsText(r->problems, {0, 0}, 1).find("1 place where the mill cannot pass"),
              std::string::npos);

    TBoard joined = build(true, false);
    r = isolate(joined, o);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->problems.empty());

    TBoard viaSide2 = build(false, true);
    r = isolate(viaSide2, o);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->problems.empty());
    viaSide2.Elements[2]->Twin = nullptr; // without the plated hole the sides are apart
    viaSide2.Elements[4]->Twin = nullptr;
    r = isolate(viaSide2, o);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->problems.size(), 1u);

    // Three separate pads in a row, too close: two places, listed left to right.
    TBoard row;
    for (int x : {0, 250, 500})
        row.Elements.push_back(pad(x, 0, 100));
    r = isolate(row, o);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->problems.size(), 2u);
    EXPECT_LT(r->problems[0].at.x, r->problems[1].at.x);
    EXPECT_NE(IsolationProblemsText(r->problems, {0, 0}, 0).find("2 Stellen"), std::string::npos);
}

TEST(IsolationCheck, CopperJoinedThroughTheGroundPlaneIsOnePiece)
{
    // The two close tracks touch nothing else; only the ground plane of side 1 can join them,
    // and only elements of clearance 0 join the plane.
    struct Case {
        bool plane;
        std::int32_t clearance;
        std::size_t problems;
    };
    for (const Case c : {Case{true, 0, 0}, Case{false, 0, 1}, Case{true, 30, 1}}) {
        TBoard board;
        board.GroundPlane1 = c.plane ? 1 : 0;
        board.Elements.push_back(track({{0, 0}, {2000, 0}}, 50));
        board.Elements.push_back(track({{0, 80}, {2000, 80}}, 50));
        board.Elements[1]->Clearance = c.clearance;
        MillingOptions o;
        o.width = 80;
        const MillingNets nets = MillingNetsOf(board);
        const auto r = ComputeIsolation(board.Elements, o, nullptr, &nets);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->problems.size(), c.problems) << "plane " << c.plane << ", clearance " << c.clearance;
    }
}

namespace
{

/// The copper of an element as the shape polygons of its ungrown shapes.
std::vector<RPath> copperOf(const TObjekt& e)
{
    return ElementShapePolygons(GrownForMilling(e, 0), 0);
}

double segmentDistance(double px, double py, RPoint a, RPoint b)
{
    const double dx = double(b.x - a.x), dy = double(b.y - a.y);
    const double l2 = dx * dx + dy * dy;
    const double t = l2 > 0 ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / l2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

/// Distance from the point to the polygons' area (0 inside).
double distanceTo(TPoint p, const std::vector<RPath>& polys)
{
    double d = INFINITY;
    for (const RPath& poly : polys) {
        ClipperLib::Path q;
        for (const RPoint& v : poly)
            q.emplace_back(v.x, v.y);
        if (ClipperLib::PointInPolygon({p.x, p.y}, q) != 0)
            return 0;
        for (std::size_t i = 0; i < poly.size(); ++i)
            d = std::min(d, segmentDistance(p.x, p.y, poly[i], poly[(i + 1) % poly.size()]));
    }
    return d;
}

std::unique_ptr<TObjekt> line(TPoint a, TPoint b, int width)
{
    auto l = std::make_unique<TObjekt>();
    l->Kind = KindLine;
    l->Layer = LayerK1;
    l->X = a.x;
    l->Y = a.y;
    l->Size1 = b.x;
    l->Size2 = b.y;
    l->Width = width;
    return l;
}

std::unique_ptr<TObjekt> singleLineText(std::vector<TPoint> stroke)
{
    auto text = NewLayoutText(stroke.front(), "I", false, false, LayerK1, 0, 0, 20, 200);
    text->Strokes.push_back(*track(std::move(stroke), 20));
    return text;
}

} // namespace

TEST(IsolationCheck, KnownBoardsGiveTheirContoursAndProblems)
{
    constexpr std::size_t any = SIZE_MAX;
    struct Case {
        std::string what;
        std::function<void(TBoard&)> build;
        int width;
        std::size_t contours, noPassage, textCrossings, planeJoins;
    };
    std::vector<Case> cases;
    // 0.4 mm tracks at 0.6 mm pitch, SMD pads 0.2 mm apart: rounding the grown half-widths half
    // to even makes the grown copper touch for a band of cutter widths around 0.2 mm.
    for (int w : {18, 19, 20, 21, 22}) {
        const std::size_t meet = w >= 19 ? 1 : 0;
        cases.push_back({"tracks at 0.6 mm pitch, w=" + std::to_string(w),
                         [](TBoard& b) {
                             b.Elements.push_back(track({{0, 0}, {2000, 0}}, 40));
                             b.Elements.push_back(track({{0, 60}, {2000, 60}}, 40));
                         },
                         w, meet ? 1u : 2u, meet, 0, 0});
        cases.push_back({"SMD pads 0.2 mm apart, w=" + std::to_string(w),
                         [](TBoard& b) {
                             b.Elements.push_back(NewSmdPad({0, 0}, 100, LayerK1, 100));
                             b.Elements.push_back(NewSmdPad({120, 0}, 100, LayerK1, 100));
                         },
                         w, any, meet, 0, 0});
    }
    // A restricted area that overlaps copper of two nets must not join them, nor split one.
    cases.push_back({"restricted area over two nets",
                     [](TBoard& b) {
                         auto a = area({{-500, -200}, {-100, -200}, {-100, 300}, {-500, 300}}, 20);
                         a->Restricted = 1;
                         b.Elements.push_back(std::move(a));
                         b.Elements.push_back(track({{-300, 0}, {2000, 0}}, 40));
                         b.Elements.push_back(track({{-300, 60}, {2000, 60}}, 40));
                     },
                     40, 1, 1, 0, 0});
    cases.push_back({"restricted area over one net",
                     [](TBoard& b) {
                         b.Elements.push_back(track({{0, 0}, {1000, 0}}, 40));
                         auto a = area({{900, -300}, {1500, -300}, {1500, 300}, {900, 300}}, 20);
                         a->Restricted = 1;
                         b.Elements.push_back(std::move(a));
                         b.Elements.push_back(pad(1000, 0, 80));
                     },
                     40, 1, 0, 0, 0});
    // Elongated pads, end to end 0.5 mm apart, with a 0.4 mm cutter: 0.1 mm stays between.
    for (std::uint8_t shape = ShapeRoundedWide; shape <= ShapeRectTall; ++shape)
        cases.push_back({"elongated pads, shape " + std::to_string(shape),
                         [shape](TBoard& b) {
                             const bool wide = shape <= ShapeRectWide;
                             b.Elements.push_back(pad(0, 0, 50, shape));
                             b.Elements.push_back(pad(wide ? 250 : 0, wide ? 0 : 250, 50, shape));
                         },
                         40, 2, 0, 0, 0});
    cases.push_back({"arc with inner radius 0",
                     [](TBoard& b) {
                         auto arc = NewCircle({0, 0}, 300, 0, LayerK1, 0);
                         arc->Angle = 0;
                         arc->Width = 90;
                         b.Elements.push_back(std::move(arc));
                     },
                     100, 1, 0, 0, 0});
    cases.push_back({"ring with a small hole",
                     [](TBoard& b) {
                         b.Elements.push_back(NewCircle({0, 0}, 300, 0, LayerK1, 30));
                     },
                     100, 1, 0, 0, 0});
    cases.push_back({"line and dot",
                     [](TBoard& b) {
                         b.Elements.push_back(line({0, 0}, {1000, 300}, 30));
                         b.Elements.push_back(track({{2000, 0}}, 50));
                         b.Elements.push_back(track({{3000, 0}, {3000, 0}}, 50));
                     },
                     20, 3, 0, 0, 0});
    cases.push_back({"single-line text across a track",
                     [](TBoard& b) {
                         b.Elements.push_back(track({{0, 0}, {2000, 0}}, 40));
                         b.Elements.push_back(singleLineText({{500, -300}, {500, 300}, {700, 300}}));
                         b.Elements.push_back(singleLineText({{1500, 100}, {1500, 300}})); // clear of it
                     },
                     20, 1, 0, 1, 0});
    // One text: two strokes through the track are two places, a cross inside the track one.
    cases.push_back({"single-line text crossing a track in two places and crossing itself in one",
                     [](TBoard& b) {
                         b.Elements.push_back(track({{0, 0}, {3000, 0}}, 40));
                         auto text = singleLineText({{500, -300}, {500, 300}, {900, 300}, {900, -300}});
                         text->Strokes.push_back(*track({{2000, -10}, {2200, 10}}, 20));
                         text->Strokes.push_back(*track({{2000, 10}, {2200, -10}}, 20));
                         b.Elements.push_back(std::move(text));
                     },
                     20, 1, 0, 3, 0});
    cases.push_back({"pieces joined only through the plane",
                     [](TBoard& b) {
                         b.GroundPlane1 = 1;
                         b.Elements.push_back(track({{0, 0}, {2000, 0}}, 40));
                         b.Elements.push_back(track({{0, 1000}, {2000, 1000}}, 40));
                         b.Elements.push_back(track({{0, 2000}, {2000, 2000}}, 40));
                     },
                     20, 3, 0, 0, 2});
    cases.push_back({"pad in a ring, close all round",
                     [](TBoard& b) {
                         b.Elements.push_back(NewCircle({0, 0}, 400, 0, LayerK1, 130));
                         b.Elements.push_back(pad(0, 0, 100));
                     },
                     40, any, 1, 0, 0});

    for (const Case& c : cases) {
        TBoard board;
        c.build(board);
        MillingOptions o;
        o.width = c.width;
        o.singleLineTexts = true;
        const MillingNets nets = MillingNetsOf(board);
        const auto r = ComputeIsolation(board.Elements, o, nullptr, &nets);
        ASSERT_TRUE(r) << c.what;
        if (c.contours != any)
            EXPECT_EQ(r->contours.size(), c.contours) << c.what;
        auto count = [&](IsolationProblem::Kind k) {
            return std::size_t(std::count_if(r->problems.begin(), r->problems.end(),
                                             [&](const IsolationProblem& p) { return p.kind == k; }));
        };
        EXPECT_EQ(count(IsolationProblem::Kind::NoPassage), c.noPassage) << c.what;
        EXPECT_EQ(count(IsolationProblem::Kind::TextCrossing), c.textCrossings) << c.what;
        EXPECT_EQ(r->planeJoins.size(), c.planeJoins) << c.what;

        // The contours keep half the cutter width from all copper (a cut into copper is a
        // ruined board); the inscribed polygons and rounding to units allow a unit and 1 %.
        std::vector<RPath> copper;
        for (const auto& e : board.Elements)
            if (IsMillingCopper(*e) && !IsSingleLineText(*e, o))
                for (RPath& p : copperOf(*e))
                    copper.push_back(std::move(p));
        for (const Contour& k : r->contours)
            for (const TPoint& v : k)
                ASSERT_GE(distanceTo(v, copper), 0.99 * c.width / 2 - 1)
                    << c.what << " at " << v.x << "," << v.y;
        // Every place lies where the two elements it names come within the cutter's reach.
        for (const IsolationProblem& p : r->problems) {
            const double reach = c.width / 2.0 + 2;
            EXPECT_LE(distanceTo(p.at, copperOf(*board.Elements[p.elementB])), reach) << c.what;
            if (p.kind == IsolationProblem::Kind::NoPassage)
                EXPECT_LE(distanceTo(p.at, copperOf(*board.Elements[p.elementA])), reach) << c.what;
            else
                EXPECT_EQ(board.Elements[p.elementA]->Kind, KindLayoutText) << c.what;
        }
        if (!r->problems.empty() || !r->planeJoins.empty()) {
            std::vector<IsolationProblem> all = r->problems;
            all.insert(all.end(), r->planeJoins.begin(), r->planeJoins.end());
            const std::string text = IsolationProblemsText(all, {0, 0}, 1);
            EXPECT_EQ(text.find("single-line text") != std::string::npos, c.textCrossings > 0) << c.what;
            EXPECT_EQ(text.find("ground plane") != std::string::npos, c.planeJoins > 0) << c.what;
        }
    }
}

TEST(IsolationCheck, RandomBoardsAgainstAnIndependentUnion)
{
    using namespace ClipperLib;
    constexpr double S = 100; // Clipper works in 1/100 unit here
    auto toPaths = [&](const std::vector<RPath>& polys) {
        Paths out;
        for (const RPath& p : polys) {
            Path q;
            for (const RPoint& v : p)
                q.emplace_back(cInt(v.x * S), cInt(v.y * S));
            if (!Orientation(q))
                ReversePath(q);
            out.push_back(std::move(q));
        }
        return out;
    };
    auto grown = [&](const Paths& copper, double by) {
        ClipperOffset off;
        off.ArcTolerance = 0.05 * S;
        off.AddPaths(copper, jtRound, etClosedPolygon);
        Paths out;
        off.Execute(out, by * S);
        return out;
    };
    auto areaOf = [](const Paths& ps) {
        double a = 0;
        for (const Path& p : ps)
            a += Area(p);
        return a;
    };

    std::mt19937 rng(20);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int n = 0; n < 10; ++n) {
        TBoard board;
        ElementList& list = board.Elements;
        for (int i = uni(8, 30); i > 0; --i) {
            const TPoint at{uni(0, 3000), uni(-2000, 0)};
            switch (uni(0, 6)) {
            case 0:
                list.push_back(pad(at.x, at.y, uni(40, 150), static_cast<std::uint8_t>(uni(1, 9))));
                break;
            case 1:
                list.push_back(NewSmdPad(at, uni(30, 250), LayerK1, uni(30, 250)));
                break;
            case 2: {
                std::vector<TPoint> pts{at};
                for (int k = uni(0, 4); k > 0; --k)
                    pts.push_back({pts.back().x + uni(-600, 600), pts.back().y + uni(-600, 600)});
                list.push_back(track(pts, uni(10, 80)));
                break;
            }
            case 3: {
                auto c = NewCircle(at, uni(100, 400), 0, LayerK1, uni(0, 90));
                c->Angle = uni(0, 359);
                c->Width = uni(0, 1) ? c->Angle : uni(0, 359);
                list.push_back(std::move(c));
                break;
            }
            case 4:
                list.push_back(line(at, {at.x + uni(-500, 500), at.y + uni(-500, 500)}, uni(10, 60)));
                break;
            case 5: {
                auto a = area({at, {at.x + uni(100, 600), at.y}, {at.x, at.y + uni(100, 600)}}, 20);
                a->Restricted = 1;
                list.push_back(std::move(a));
                break;
            }
            default:
                list.push_back(track({at, {at.x + uni(-200, 200), at.y}}, uni(20, 60)));
                break;
            }
        }
        const MillingNets milling = MillingNetsOf(board);
        const std::vector<int>& nets = milling.nets;
        std::vector<Paths> copper(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            if (IsMillingCopper(*list[i]))
                copper[i] = toPaths(copperOf(*list[i]));
        for (int w : {0, 20, 40, 100}) {
            MillingOptions o;
            o.width = w;
            const auto r = ComputeIsolation(list, o, nullptr, &milling);
            ASSERT_TRUE(r);
            const std::string what = "board " + std::to_string(n) + " w=" + std::to_string(w);

            // No piece of the grown copper outside the contours is thicker than 0.02 mm.
            Clipper all;
            for (const Paths& c : copper)
                all.AddPaths(grown(c, w / 2.0), ptSubject, true);
            Paths grownCopper;
            all.Execute(ctUnion, grownCopper, pftNonZero, pftNonZero);
            Paths contours;
            for (const Contour& k : r->contours) {
                Path q;
                for (const TPoint& v : k)
                    q.emplace_back(cInt(v.x * S), cInt(v.y * S));
                contours.push_back(std::move(q));
            }
            Clipper outside;
            outside.AddPaths(grownCopper, ptSubject, true);
            outside.AddPaths(contours, ptClip, true);
            Paths left;
            outside.Execute(ctDifference, left, pftNonZero, pftEvenOdd);
            EXPECT_LT(areaOf(grown(left, -1.0)), 1.0) << what;

            // Every pair of nets whose copper comes closer than the cutter width is reported.
            std::set<std::pair<int, int>> reported;
            for (const IsolationProblem& p : r->problems)
                reported.insert(std::minmax(nets[p.elementA], nets[p.elementB]));
            for (std::size_t i = 0; w > 0 && i < list.size(); ++i)
                for (std::size_t j = i + 1; j < list.size(); ++j) {
                    if (copper[i].empty() || copper[j].empty() || nets[i] == nets[j])
                        continue;
                    // A unit and a half less: the shape polygons are inscribed in their curves.
                    Clipper c;
                    c.AddPaths(grown(copper[i], w / 2.0 - 1.5), ptSubject, true);
                    c.AddPaths(grown(copper[j], w / 2.0 - 1.5), ptClip, true);
                    Paths common;
                    c.Execute(ctIntersection, common, pftNonZero, pftNonZero);
                    if (areaOf(common) > 0)
                        EXPECT_TRUE(reported.count(std::minmax(nets[i], nets[j])))
                            << what << ": elements " << i << " and " << j;
                }
        }
    }
}

// Further isolation passes, measured against the copper: where they lie, that they never come
// nearer than half the cutter to any copper, and that "until cleared" clears the board.
#include "output/millpasses.h"

#include <clipper.hpp>
#include <gtest/gtest.h>

#include <cmath>

using namespace trevok;

namespace
{

std::unique_ptr<TObjekt> track(std::vector<TPoint> pts, int width)
{
    auto t = NewTrack(width, LayerK1);
    for (TPoint p : pts)
        AddPoint(*t, p);
    return t;
}

double segmentDistance(double px, double py, RPoint a, RPoint b)
{
    const double dx = double(b.x - a.x), dy = double(b.y - a.y);
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

/// The copper itself (not grown), as the union of the element shapes.
ClipperLib::Paths copper(const ElementList& elements)
{
    MillingOptions bare;
    ClipperLib::Clipper c;
    for (const ShapeGroup& g : MillingShapes(elements, bare))
        for (const RPath& p : g.polygons) {
            ClipperLib::Path q;
            for (const RPoint& v : p)
                q.emplace_back(v.x, v.y);
            c.AddPath(q, ClipperLib::ptSubject, true);
        }
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

/// Distance from the point to the copper (0 inside it).
double copperDistance(double x, double y, const ClipperLib::Paths& cu)
{
    double d = 1e18;
    int inside = 0;
    for (const ClipperLib::Path& p : cu) {
        const int in = ClipperLib::PointInPolygon({static_cast<ClipperLib::cInt>(std::lround(x)),
                                                   static_cast<ClipperLib::cInt>(std::lround(y))},
                                                  p);
        inside += in != 0 ? (ClipperLib::Orientation(p) ? 1 : -1) : 0;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const auto& a = p[i];
            const auto& b = p[(i + 1) % p.size()];
            d = std::min(d, segmentDistance(x, y, {a.X, a.Y}, {b.X, b.Y}));
        }
    }
    return inside > 0 ? 0.0 : d;
}

/// Every contour's points and edge midpoints.
template <class F> void forEachSample(const std::vector<Contour>& cs, F f)
{
    for (const Contour& c : cs)
        for (std::size_t i = 0; i < c.size(); ++i) {
            const TPoint a = c[i], b = c[(i + 1) % c.size()];
            f(double(a.x), double(a.y));
            f((a.x + b.x) / 2.0, (a.y + b.y) / 2.0);
        }
}

} // namespace

TEST(MillPasses, PassesLieAtTheirDistanceAndKeepHalfACutterFromAllCopper)
{
    struct Case {
        const char* name;
        std::int32_t width;
        PassOptions passes;
        bool alone; // nothing near: every pass lies exactly at its distance
        std::function<void(ElementList&)> build;
    };
    const std::vector<Case> cases = {
        {"lone pad", 20, {3, 0}, true, [](ElementList& l) { l.push_back(NewPad({0, 0}, 100, ShapeRound, LayerK1, 40)); }},
        {"lone track, half overlap", 30, {4, 50}, true,
         [](ElementList& l) { l.push_back(track({{0, 0}, {1500, 300}}, 40)); }},
        {"lone ring, 90 %", 40, {6, 90}, true,
         [](ElementList& l) { l.push_back(NewCircle({0, 0}, 400, 0, LayerK1, 300)); }},
        // Two tracks 0.9 mm apart: the third pass of each (0.5 mm out) would pass the middle.
        {"close tracks", 20, {5, 0}, false,
         [](ElementList& l) {
             l.push_back(track({{0, 0}, {2000, 0}}, 40));
             l.push_back(track({{0, 130}, {2000, 130}}, 40));
         }},
        // A pad in a ring, a pad touching the ring's outside, a pad 0.25 mm off a track corner.
        {"ring, pads and a corner", 30, {10, 30}, false,
         [](ElementList& l) {
             l.push_back(NewCircle({0, 0}, 400, 0, LayerK1, 300));
             l.push_back(NewPad({0, 0}, 80, ShapeRound, LayerK1, 30));
             l.push_back(NewPad({500, 0}, 80, ShapeSquare, LayerK1, 30));
             l.push_back(track({{800, 300}, {1300, 300}, {1300, 900}}, 50));
             l.push_back(NewPad({1405, 180}, 60, ShapeOctagon, LayerK1, 30));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ElementList elements;
        c.build(elements);
        MillingOptions m;
        m.width = c.width;
        const auto first = ComputeIsolation(elements, m);
        ASSERT_TRUE(first);
        const auto passes = IsolationPasses(first->contours, m.width, c.passes, BoardRectangle(100000, 100000));
        ASSERT_TRUE(passes);
        ASSERT_EQ(passes->size(), std::size_t(c.passes.passes - 1));
        const ClipperLib::Paths cu = copper(elements);
        const double spacing = (1.0 - c.passes.overlapPercent / 100.0) * c.width;
        double farthest = 0;
        for (std::size_t k = 0; k < passes->size(); ++k) {
            ASSERT_FALSE((*passes)[k].empty()) << "pass " << k + 2;
            const double expected = (k + 1) * spacing + c.width / 2.0;
            forEachSample((*passes)[k], [&](double x, double y) {
                const double d = copperDistance(x, y, cu);
                if (x > 200 && x < 1800 && y > 20 && y < 110)
                    farthest = std::max(farthest, d); // in the gap between the close tracks
                // Arcs are polygons: the chords of the copper and of the first pass's grown
                // copper differ by up to 2.5 units at the round ends.
                EXPECT_GE(d, c.width / 2.0 - 2.5) << "pass " << k + 2 << " at " << x << ", " << y;
                if (c.alone)
                    EXPECT_NEAR(d, expected, 2.5) << "pass " << k + 2 << " at " << x << ", " << y;
            });
        }
        if (std::string(c.name) == "close tracks") { // the passes meet midway, 0.45 mm from each
            EXPECT_GE(farthest, 45.0 - c.width / 2.0);
            EXPECT_LE(farthest, 45.0 + 1.5);
        }
    }
}

TEST(MillPasses, UntilClearedMillsEveryPointOfTheBoard)
{
    ElementList elements;
    elements.push_back(NewPad({300, -250}, 60, ShapeRound, LayerK1, 30));
    elements.push_back(track({{500, -100}, {800, -400}}, 40));
    const TRect board = BoardRectangle(1000, 600);
    MillingOptions m;
    m.width = 50;
    const auto first = ComputeIsolation(elements, m);
    ASSERT_TRUE(first);
    const auto passes = IsolationPasses(first->contours, m.width, {0, 20}, board);
    ASSERT_TRUE(passes);
    // The farthest corner (0, -600) lies 4 mm from the pad: ten cuts of 0.4 mm spacing.
    EXPECT_GE(passes->size(), 8u);
    EXPECT_LE(passes->size(), 11u);
    std::vector<Contour> all = first->contours;
    for (const auto& p : *passes)
        all.insert(all.end(), p.begin(), p.end());
    const ClipperLib::Paths cu = copper(elements);
    int unmilled = 0;
    for (int x = 0; x <= 1000; x += 20)
        for (int y = -600; y <= 0; y += 20) {
            if (copperDistance(x, y, cu) == 0.0)
                continue;
            double nearest = 1e18;
            for (const Contour& c : all)
                for (std::size_t i = 0; i < c.size(); ++i)
                    nearest = std::min(nearest, segmentDistance(x, y, {c[i].x, c[i].y},
                                                                {c[(i + 1) % c.size()].x, c[(i + 1) % c.size()].y}));
            unmilled += nearest > m.width / 2.0 + 1.0;
        }
    EXPECT_EQ(unmilled, 0);
    forEachSample(all, [&](double x, double y) { EXPECT_GE(copperDistance(x, y, cu), m.width / 2.0 - 2.5); });
}

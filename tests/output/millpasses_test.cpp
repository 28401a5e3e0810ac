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
        const int in = ClipperLib::PointInPolygon(
            {static_cast<ClipperLib::cInt>(std::lround(x)), static_cast<ClipperLib::cInt>(std::lround(y))},
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

/// Every path's points and edge midpoints (closed: with the edge back to the start).
template <class F> void forEachSample(const std::vector<std::vector<TPoint>>& cs, bool closed, F f)
{
    for (const auto& c : cs)
        for (std::size_t i = 0; i < c.size(); ++i) {
            const TPoint a = c[i], b = c[(i + 1) % c.size()];
            f(double(a.x), double(a.y));
            if (closed || i + 1 < c.size())
                f((a.x + b.x) / 2.0, (a.y + b.y) / 2.0);
        }
}

double pathsLength(const std::vector<std::vector<TPoint>>& cs, bool closed)
{
    double l = 0;
    for (const auto& c : cs)
        for (std::size_t i = 1; i < c.size() + (closed ? 1 : 0); ++i)
            l += std::hypot(double(c[i % c.size()].x) - c[i - 1].x, double(c[i % c.size()].y) - c[i - 1].y);
    return l;
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
        {"lone pad",
         20,
         {3, 0},
         true,
         [](ElementList& l) {
             l.push_back(NewPad({0, 0}, 100, ShapeRound, LayerK1, 40));
         }},
        {"lone track, half overlap",
         30,
         {4, 50},
         true,
         [](ElementList& l) {
             l.push_back(track({{0, 0}, {1500, 300}}, 40));
         }},
        {"lone ring, 90 %",
         40,
         {6, 90},
         true,
         [](ElementList& l) {
             l.push_back(NewCircle({0, 0}, 400, 0, LayerK1, 300));
         }},
        // Two tracks 0.9 mm apart: the third pass of each (0.5 mm out) would pass the middle.
        {"close tracks",
         20,
         {5, 0},
         false,
         [](ElementList& l) {
             l.push_back(track({{0, 0}, {2000, 0}}, 40));
             l.push_back(track({{0, 130}, {2000, 130}}, 40));
         }},
        // A pad in a ring, a pad touching the ring's outside, a pad 0.25 mm off a track corner.
        {"ring, pads and a corner",
         30,
         {10, 30},
         false,
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
        const auto passes =
            IsolationPasses(first->contours, m.width, c.passes, BoardRectangle(100000, 100000));
        ASSERT_TRUE(passes);
        ASSERT_EQ(passes->rings.size(), std::size_t(c.passes.passes - 1));
        const ClipperLib::Paths cu = copper(elements);
        const double spacing = (1.0 - c.passes.overlapPercent / 100.0) * c.width;
        double farthest = 0;
        for (std::size_t k = 0; k <= passes->rings.size(); ++k) {
            const bool border = k == passes->rings.size();
            const std::vector<OpenPath>& cut = border ? passes->borders : passes->rings[k];
            ASSERT_TRUE(border || !cut.empty()) << "pass " << k + 2;
            const double expected = (k + 1) * spacing + c.width / 2.0;
            forEachSample(cut, false, [&](double x, double y) {
                const double d = copperDistance(x, y, cu);
                if (x > 200 && x < 1800 && y > 20 && y < 110)
                    farthest = std::max(farthest, d); // in the gap between the close tracks
                // Arcs are polygons: the chords of the copper and of the first pass's grown
                // copper differ by up to 2.5 units at the round ends.
                EXPECT_GE(d, c.width / 2.0 - 2.5) << "pass " << k + 2 << " at " << x << ", " << y;
                if (c.alone && !border)
                    EXPECT_NEAR(d, expected, 2.5) << "pass " << k + 2 << " at " << x << ", " << y;
            });
        }
        if (std::string(c.name) == "close tracks") { // the passes meet midway, 0.45 mm from each
            EXPECT_GE(farthest, 45.0 - c.width / 2.0);
            EXPECT_LE(farthest, 45.0 + c.width / 8.0 + 1.0); // the zones meet within an eighth of a cutter
        }
    }
}

namespace
{

double distanceToPath(double x, double y, const std::vector<TPoint>& c, bool closed)
{
    double d = 1e18;
    for (std::size_t i = 0; i + 1 < c.size() + (closed ? 1 : 0); ++i)
        d = std::min(
            d, segmentDistance(x, y, {c[i].x, c[i].y}, {c[(i + 1) % c.size()].x, c[(i + 1) % c.size()].y}));
    return d;
}

} // namespace

TEST(MillPasses, UntilClearedMillsEveryPointOfTheBoardAndCutsEachLineOnce)
{
    struct Case {
        const char* name;
        std::int32_t width;
        int overlap;
        TRect board;
        int minRings, maxRings;
        std::function<void(ElementList&)> build;
    };
    const std::vector<Case> cases = {
        // The farthest corner (0, -600) lies 4 mm from the pad: ten cuts of 0.4 mm spacing.
        {"pad and track", 50, 20, BoardRectangle(1000, 600), 8, 11,
         [](ElementList& l) {
             l.push_back(NewPad({300, -250}, 60, ShapeRound, LayerK1, 30));
             l.push_back(track({{500, -100}, {800, -400}}, 40));
         }},
        // Close neighbours, a pad in a ring and copper at the board's edge: many zone borders.
        {"close neighbours", 20, 0, BoardRectangle(1200, 800), 5, 40,
         [](ElementList& l) {
             l.push_back(track({{100, -100}, {1100, -100}}, 40));
             l.push_back(track({{100, -170}, {1100, -170}}, 40));
             l.push_back(NewCircle({400, -500}, 200, 0, LayerK1, 150));
             l.push_back(NewPad({400, -500}, 60, ShapeRound, LayerK1, 30));
             l.push_back(NewPad({900, -500}, 80, ShapeSquare, LayerK1, 30));
             l.push_back(NewPad({1200, -800}, 80, ShapeRound, LayerK1, 30));
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
        const auto passes = IsolationPasses(first->contours, m.width, {0, c.overlap}, c.board);
        ASSERT_TRUE(passes);
        EXPECT_GE(passes->rings.size(), std::size_t(c.minRings));
        EXPECT_LE(passes->rings.size(), std::size_t(c.maxRings));
        const std::vector<OpenPath> cut = passes->all();
        const ClipperLib::Paths cu = copper(elements);

        // Every point of the board is copper or within half a cutter of a cut.
        int unmilled = 0;
        for (std::int64_t x = c.board.left; x <= c.board.right; x += 20)
            for (std::int64_t y = c.board.top; y <= c.board.bottom; y += 20) {
                if (copperDistance(double(x), double(y), cu) == 0.0)
                    continue;
                double nearest = 1e18;
                for (const Contour& k : first->contours)
                    nearest = std::min(nearest, distanceToPath(double(x), double(y), k, true));
                for (const OpenPath& p : cut)
                    nearest = std::min(nearest, distanceToPath(double(x), double(y), p, false));
                unmilled += nearest > m.width / 2.0 + 1.0;
            }
        EXPECT_EQ(unmilled, 0);
        forEachSample(cut, false,
                      [&](double x, double y) { EXPECT_GE(copperDistance(x, y, cu), m.width / 2.0 - 2.5); });

        // No stretch is cut twice: the segments of further passes whose ends and middle all lie
        // on another cut line (of the first pass or another path) add up to next to nothing.
        double twice = 0;
        for (std::size_t i = 0; i < cut.size(); ++i)
            for (std::size_t s = 0; s + 1 < cut[i].size(); ++s) {
                const TPoint a = cut[i][s], b = cut[i][s + 1];
                auto onOther = [&](double x, double y) {
                    for (const Contour& k : first->contours)
                        if (distanceToPath(x, y, k, true) < 1.0)
                            return true;
                    for (std::size_t j = 0; j < cut.size(); ++j)
                        if (j != i && distanceToPath(x, y, cut[j], false) < 1.0)
                            return true;
                    return false;
                };
                if (onOther(a.x, a.y) && onOther(b.x, b.y) && onOther((a.x + b.x) / 2.0, (a.y + b.y) / 2.0))
                    twice += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
            }
        const double total = pathsLength(cut, false);
        EXPECT_LT(twice, 0.01 * total) << "of " << total;
    }
}

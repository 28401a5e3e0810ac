#include "document/region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace trevok;

namespace
{

Region square(std::int64_t x, std::int64_t y, std::int64_t size)
{
    return Region::rectangle(x, y, x + size, y + size);
}

} // namespace

TEST(Region, PointTestIsClosed)
{
    const Region r = Region::rectangle(10, 20, 0, 0); // corners in any order
    EXPECT_TRUE(r.contains(5, 5));
    EXPECT_TRUE(r.contains(0, 0));  // corner
    EXPECT_TRUE(r.contains(10, 7)); // right edge
    EXPECT_TRUE(r.contains(4, 20)); // top edge
    EXPECT_FALSE(r.contains(11, 5));
    EXPECT_FALSE(r.contains(5, -1));
    EXPECT_FALSE(r.contains(-1, 20));
    EXPECT_EQ(r.boundingRect(), (TRect{0, 0, 10, 20}));
}

TEST(Region, EvenOddComponentsAndUnionOfComponents)
{
    // A bow tie: two lobes meeting at (5, 5).
    const Region bow = Region::polygon({{0, 0}, {10, 10}, {10, 0}, {0, 10}});
    EXPECT_TRUE(bow.contains(1, 5));
    EXPECT_TRUE(bow.contains(9, 5));
    EXPECT_TRUE(bow.contains(5, 5));
    EXPECT_FALSE(bow.contains(5, 1));
    EXPECT_FALSE(bow.contains(5, 9));

    // One component of two nested paths is a frame; the same squares as two components are
    // their union, which covers the middle.
    const RPath outer{{0, 0}, {30, 0}, {30, 30}, {0, 30}};
    const RPath inner{{10, 10}, {20, 10}, {20, 20}, {10, 20}};
    const Region frame = Region::polygons({outer, inner});
    EXPECT_FALSE(frame.contains(15, 15));
    EXPECT_TRUE(frame.contains(5, 15));
    EXPECT_TRUE(frame.contains(10, 15)); // the hole's edge belongs to the frame
    EXPECT_NEAR(frame.area(), 900 - 100, 1e-9);
    const Region both = Region::polygon(outer).united(Region::polygon(inner));
    EXPECT_TRUE(both.contains(15, 15));
    EXPECT_NEAR(both.area(), 900, 1e-9);
}

TEST(Region, TouchingCountsAsOverlap)
{
    const Region a = square(0, 0, 10);
    EXPECT_TRUE(a.overlaps(square(10, 0, 10)));  // shared edge
    EXPECT_TRUE(a.overlaps(square(10, 10, 10))); // shared corner
    EXPECT_TRUE(a.overlaps(square(10, 3, 2)));   // a small square against the edge
    EXPECT_FALSE(a.overlaps(square(11, 0, 10)));
    EXPECT_FALSE(a.overlaps(square(11, 11, 10)));
    EXPECT_FALSE(a.overlaps(Region()));
    EXPECT_FALSE(Region().overlaps(a));
    // Diagonal neighbours whose boxes meet but whose outlines stay one unit apart.
    const Region d1 = Region::polygon({{0, 0}, {10, 0}, {0, 10}});
    const Region d2 = Region::polygon({{11, 0}, {11, 11}, {0, 11}});
    EXPECT_FALSE(d1.overlaps(d2));
    EXPECT_FALSE(d2.overlaps(d1));
    EXPECT_TRUE(d1.overlaps(Region::polygon({{10, 0}, {10, 10}, {0, 10}})));
}

TEST(Region, OverlapWithoutMeetingOutlines)
{
    const Region ring = Region::polygons(
        {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{20, 20}, {80, 20}, {80, 80}, {20, 80}}});
    EXPECT_TRUE(square(5, 5, 5).overlaps(ring)); // inside the frame's body
    EXPECT_TRUE(ring.overlaps(square(5, 5, 5)));
    EXPECT_FALSE(square(40, 40, 10).overlaps(ring)); // inside the hole
    EXPECT_FALSE(ring.overlaps(square(40, 40, 10)));
    EXPECT_TRUE(square(-10, -10, 200).overlaps(ring)); // around everything
    EXPECT_TRUE(ring.overlaps(square(-10, -10, 200)));
}

TEST(Region, RectangleTest)
{
    const Region ring = Region::polygons(
        {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {{20, 20}, {80, 20}, {80, 80}, {20, 80}}});
    EXPECT_TRUE(ring.overlapsRect({5, 5, 6, 6}));      // inside the body
    EXPECT_FALSE(ring.overlapsRect({30, 30, 40, 40})); // inside the hole
    EXPECT_TRUE(ring.overlapsRect({30, 30, 79, 80}));  // touches the hole's edge
    EXPECT_TRUE(ring.overlapsRect({-50, -50, 500, 500}));
    EXPECT_TRUE(ring.overlapsRect({100, 100, 120, 120})); // corner to corner
    EXPECT_FALSE(ring.overlapsRect({101, 0, 120, 100}));
    EXPECT_TRUE(ring.overlapsRect({50, 50, 50, 50}) == ring.contains(50, 50));
    // A rectangle crossing a slanted edge with no vertex of either inside the other.
    const Region tri = Region::polygon({{0, 0}, {100, 0}, {0, 100}});
    EXPECT_TRUE(tri.overlapsRect({45, 45, 60, 60}));
    EXPECT_FALSE(tri.overlapsRect({51, 51, 60, 60}));
    EXPECT_TRUE(tri.overlapsRect({50, 50, 60, 60})); // the corner lies on the edge
    EXPECT_FALSE(tri.overlapsRect({10, 10, 5, 20})); // not a rectangle
}

TEST(Region, BooleanOperationsByArea)
{
    const Region a = square(0, 0, 10);
    const Region b = square(5, 5, 10);
    EXPECT_NEAR(a.area(), 100, 1e-9);
    EXPECT_NEAR(a.united(b).area(), 175, 1e-9);
    EXPECT_NEAR(a.intersected(b).area(), 25, 1e-9);
    EXPECT_NEAR(a.subtracted(b).area(), 75, 1e-9);
    EXPECT_NEAR(b.subtracted(a).area(), 75, 1e-9);
    // Orientation of the input does not matter.
    const Region cw = Region::polygon({{5, 5}, {5, 15}, {15, 15}, {15, 5}});
    EXPECT_NEAR(a.united(cw).area(), 175, 1e-9);
    EXPECT_NEAR(a.intersected(cw).area(), 25, 1e-9);
    // Results are normalised single components that keep answering point tests.
    const Region d = a.subtracted(b);
    EXPECT_EQ(d.components().size(), 1u);
    EXPECT_TRUE(d.contains(2, 2));
    EXPECT_FALSE(d.contains(7, 7));
    EXPECT_TRUE(d.contains(5, 7)); // on the cut edge
    EXPECT_TRUE(a.intersected(square(20, 20, 5)).isEmpty());
    EXPECT_TRUE(a.subtracted(square(-1, -1, 12)).isEmpty());
    EXPECT_FALSE(a.subtracted(square(20, 20, 5)).isEmpty());
    // Touching regions overlap, but their intersection has no area.
    EXPECT_TRUE(a.overlaps(square(10, 0, 10)));
    EXPECT_TRUE(a.intersected(square(10, 0, 10)).isEmpty());
}

TEST(Region, Emptiness)
{
    EXPECT_TRUE(Region().isEmpty());
    EXPECT_TRUE(Region::rectangle(0, 0, 0, 10).isEmpty());              // no width
    EXPECT_TRUE(Region::polygon({{0, 0}, {5, 5}, {10, 10}}).isEmpty()); // collinear
    EXPECT_TRUE(Region::polygon({{0, 0}, {5, 5}}).isEmpty());
    EXPECT_TRUE(Region::disc(0, 0, 0).isEmpty());
    EXPECT_TRUE(Region::disc(0, 0, -5).isEmpty());
    // A path running twice round a square has area under the non-zero rule, none under even-odd.
    const Region twice =
        Region::polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_TRUE(twice.isEmpty());
    EXPECT_NEAR(twice.area(), 0, 1e-9);
    EXPECT_FALSE(square(0, 0, 1).isEmpty());
    EXPECT_TRUE(Region::polygons({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}})
                    .isEmpty());
}

TEST(Region, DiscStaysWithinHalfAUnitOfItsCircle)
{
    for (std::int64_t r : {1, 2, 7, 40, 80, 333, 1000, 5000}) {
        const Region d = Region::disc(1000, -2000, r);
        ASSERT_EQ(d.components().size(), 1u);
        const RPath& p = d.components().front().front();
        const int n = static_cast<int>(p.size());
        EXPECT_EQ(n, Region::discVertexCount(static_cast<double>(r)));
        EXPECT_EQ(n % 4, 0);
        EXPECT_GE(n, 8);
        EXPECT_LE(n, 256);
        // Vertices are rounded points of the circle; the chords between them fall short of the
        // circle by at most half a unit.
        for (const RPoint& v : p)
            EXPECT_NEAR(std::hypot(double(v.x - 1000), double(v.y + 2000)), double(r), 0.7072) << r;
        if (r >= 2) {
            EXPECT_LE(r * (1 - std::cos(std::numbers::pi / n)), 0.5) << r;
        }
        EXPECT_EQ(d.boundingRect(), (TRect{1000 - r, -2000 - r, 1000 + r, -2000 + r}));
    }
    EXPECT_EQ(Region::discVertexCount(1e9), 256);
    EXPECT_NEAR(Region::disc(0, 0, 1000).area(), std::numbers::pi * 1e6, 0.001 * std::numbers::pi * 1e6);
}

TEST(Region, RingIsADiscWithoutItsInnerDisc)
{
    for (std::int64_t inner : {1, 50, 98, 99}) {
        const Region ring = Region::ring(0, 0, 100, inner);
        // The inner polygon lies inside the outer one, so the areas subtract exactly.
        EXPECT_NEAR(ring.area(), Region::disc(0, 0, 100).area() - Region::disc(0, 0, inner).area(), 1e-6)
            << inner;
        EXPECT_FALSE(ring.contains(0, 0)) << inner;
        EXPECT_TRUE(ring.contains(100, 0)) << inner;
        EXPECT_NEAR(ring.area(), Region::disc(0, 0, 100).subtracted(Region::disc(0, 0, inner)).area(), 1e-6);
    }
    EXPECT_NEAR(Region::ring(0, 0, 1000, 500).area(), std::numbers::pi * 750000,
                0.002 * std::numbers::pi * 750000);
    EXPECT_TRUE(Region::ring(0, 0, 100, 100).isEmpty());
    EXPECT_TRUE(Region::ring(0, 0, 100, 150).isEmpty());
    EXPECT_NEAR(Region::ring(0, 0, 100, 0).area(), Region::disc(0, 0, 100).area(), 1e-9);
    // A small disc in the hole does not touch the ring.
    EXPECT_FALSE(Region::ring(0, 0, 100, 50).overlaps(Region::disc(0, 0, 40)));
    EXPECT_TRUE(Region::ring(0, 0, 100, 50).overlaps(Region::disc(0, 0, 60)));
}

TEST(Region, TranslateMovesTestsAlong)
{
    Region r = Region::disc(0, 0, 50).united(square(100, 100, 10));
    r.translate(1000, -500);
    EXPECT_TRUE(r.contains(1000, -500));
    EXPECT_FALSE(r.contains(0, 0));
    EXPECT_TRUE(r.contains(1105, -395));
    EXPECT_TRUE(r.overlapsRect({1110, -390, 1200, -300}));
    EXPECT_EQ(r.boundingRect(), (TRect{950, -550, 1110, -390}));
    EXPECT_TRUE(r.overlaps(Region::polygon({{1045, -500}, {1090, -560}, {1090, -440}})));
    EXPECT_FALSE(r.overlaps(Region::polygon({{1051, -500}, {1090, -560}, {1090, -440}})));
}

TEST(Region, CoordinatesFarBeyondThirtyTwoBits)
{
    const std::int64_t big = std::int64_t(1) << 40;
    const Region a = Region::rectangle(big, -big, big + 1000, -big + 1000);
    const Region b = Region::rectangle(big + 1000, -big, big + 2000, -big + 1000);
    const Region c = Region::rectangle(big + 1001, -big, big + 2000, -big + 1000);
    EXPECT_TRUE(a.overlaps(b));
    EXPECT_FALSE(a.overlaps(c));
    EXPECT_TRUE(a.contains(big + 1000, -big + 1000));
    EXPECT_NEAR(a.united(b).area(), 2e6, 1e-3);
    EXPECT_NEAR(a.intersected(Region::rectangle(big + 500, -big, big + 5000, -big + 5000)).area(), 5e5, 1e-3);
    // A long slanted edge whose cross products need more than 64 bits.
    const Region wedge = Region::polygon({{-big, -big}, {big, big - 1}, {big, -big}});
    EXPECT_FALSE(wedge.contains(0, 0));
    EXPECT_TRUE(wedge.contains(1, 0));
    EXPECT_TRUE(wedge.overlapsRect({0, -10, 10, 0}));
    EXPECT_FALSE(wedge.overlapsRect({-big, 0, -1, big}));
}

TEST(Region, ConvexPathTurnsOneWayOnce)
{
    struct Case {
        const char* name;
        RPath path;
        bool convex;
    };
    const Case cases[] = {
        {"square, anticlockwise", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {"square, clockwise", {{0, 0}, {0, 10}, {10, 10}, {10, 0}}, true},
        {"a straight stretch", {{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {"a repeated vertex", {{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}}, true},
        {"a notch", {{0, 0}, {10, 0}, {10, 10}, {5, 4}, {0, 10}}, false},
        {"a spike back along an edge", {{0, 0}, {15, 0}, {10, 0}, {10, 10}, {0, 10}}, false},
        {"a star that goes round twice", {{0, 10}, {6, -8}, {-10, 3}, {10, 3}, {-6, -8}}, false},
        {"all on one line", {{0, 0}, {5, 0}, {10, 0}}, false},
        {"two points", {{0, 0}, {5, 5}}, false},
        {"a disc", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RPath path = c.path;
        if (path.empty())
            path = Region::disc(3, -7, 1234).components().front().front();
        EXPECT_EQ(ConvexPath(path), c.convex);
    }
}

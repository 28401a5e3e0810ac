// Geometry far outside any board, as only a damaged or crafted file holds it: reading refuses
// it, and where such an element is made in memory anyway, every arc of the milling shapes and of
// the board contour stays a bounded number of points, so no command can run away. The bounds are
// checked by counting points, never by timing.
#include "document/geomlimits.h"
#include "document/layoutfile.h"
#include "document/project.h"
#include "output/hpgl.h"
#include "output/millshapes.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using namespace trevok;

namespace
{

std::unique_ptr<TObjekt> circle(std::int32_t outer, std::int32_t inner, std::uint8_t layer)
{
    return NewCircle({5000, -4000}, outer, ShapeRound, layer, inner);
}

std::unique_ptr<TObjekt> area(std::int32_t width)
{
    auto a = NewArea(width, LayerK1);
    for (TPoint p : {TPoint{1000, -1000}, TPoint{3000, -1000}, TPoint{3000, -3000}})
        AddPoint(*a, p);
    return a;
}

/// A layout text with one stroke across the whole 32-bit range: 21 km of stroke.
std::unique_ptr<TObjekt> longText()
{
    auto t = std::make_unique<TObjekt>();
    t->Kind = KindLayoutText;
    t->Layer = LayerK1;
    t->X = 1000;
    t->Y = -1000;
    TObjekt stroke = *NewTrack(20, LayerK1);
    stroke.Points = {{-(1 << 30), -1000}, {(1 << 30) - 1, -1000}};
    t->Strokes.push_back(stroke);
    return t;
}

struct Crafted {
    const char* name;
    std::function<std::unique_ptr<TObjekt>()> make;
    bool milled; // gives milling shapes (a circle of negative radius has no area)
};

const Crafted kCrafted[] = {
    {"circle of radius 2^30", [] { return circle(1 << 30, (1 << 30) - 40, LayerK1); }, true},
    {"print circle of radius -2^30", [] { return circle(-(1 << 30), -(1 << 30) - 40, LayerB1); }, false},
    {"area of width -2^31", [] { return area(INT32_MIN); }, true},
    {"text with 21 km of strokes", longText, true},
};

} // namespace

TEST(CraftedGeometry, FarOutsideAnyBoardIsRefusedWhenRead)
{
    for (const Crafted& c : kCrafted) {
        SCOPED_TRACE(c.name);
        TProject p;
        NewBoard(p, "good");
        p.currentBoard()->Elements.push_back(circle(300, 260, LayerK1));
        TBoard& bad = NewBoard(p, "crafted");
        bad.Elements.push_back(c.make());
        const LayoutFileContent read = ParseLayoutFile(EncodeLayoutFile(p), "x.lay", 1);
        ASSERT_TRUE(read.error.has_value());
        EXPECT_EQ(read.error->id, MsgId::ReadError);
        ASSERT_EQ(read.boards.size(), 1u) << "the board before it is kept, as for any damaged file";
        EXPECT_EQ(read.boards[0]->Name, "good");
    }
    // A board-sized element well off the board is still read.
    TProject p;
    NewBoard(p, "off the board")
        .Elements.push_back(NewCircle({-200000, 300000}, 50000, ShapeRound, LayerB1, 49000));
    const LayoutFileContent read = ParseLayoutFile(EncodeLayoutFile(p), "x.lay", 1);
    EXPECT_FALSE(read.error.has_value());
    ASSERT_EQ(read.boards.size(), 1u);
    EXPECT_EQ(read.boards[0]->Elements.size(), 1u);
}

TEST(CraftedGeometry, ArcsStayBoundedWhateverTheRadius)
{
    // Every milling shape polygon is two arcs and two joins at most.
    const std::size_t most = 2 * static_cast<std::size_t>(MaxArcSteps) + 2;
    for (const Crafted& c : kCrafted) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TObjekt> e = c.make();
        const std::vector<RPath> shapes = ElementShapePolygons(GrownForMilling(*e, 20));
        EXPECT_EQ(!shapes.empty(), c.milled);
        for (const RPath& s : shapes)
            EXPECT_LE(s.size(), most);
    }

    // The board contour through a circle: n = R div 100 + 30 steps (n + 1 points) for any radius a
    // board can have, of either sign (a damaged file), and bounded beyond.
    struct Outline {
        std::int32_t outer, inner;
        std::size_t points;
    };
    const Outline outlines[] = {
        {5070, 5030, 81},
        {-5030, -5070, 81},
        {40020, 39980, 431},
        {1 << 30, (1 << 30) - 40, MaxArcSteps + 1},
        {-(1 << 30), INT32_MIN, MaxArcSteps + 1},
    };
    for (const Outline& o : outlines) {
        SCOPED_TRACE(o.outer);
        EXPECT_EQ(OutlineCirclePoints(*circle(o.outer, o.inner, LayerB1)).size(), o.points);
    }
}

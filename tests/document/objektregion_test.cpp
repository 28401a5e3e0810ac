#include "document/objekt.h"
#include "document/region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace trevok;

namespace
{

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TObjekt pad(std::int32_t x, std::int32_t y, std::int32_t r, std::uint8_t shape, std::int32_t drill = 20)
{
    TObjekt e;
    e.Kind = KindPad;
    e.X = x;
    e.Y = y;
    e.Size1 = r;
    e.Size2 = drill;
    e.Shape = shape;
    e.Layer = LayerK1;
    return e;
}

TObjekt track(std::vector<TPoint> nodes, std::int32_t width, std::uint8_t kind = KindTrack)
{
    TObjekt e;
    e.Kind = kind;
    e.Width = width;
    e.Points = std::move(nodes);
    return e;
}

TObjekt circle(std::int32_t outer, std::int32_t inner, std::int32_t start = 0, std::int32_t stop = 0,
               bool filled = false)
{
    TObjekt e;
    e.Kind = KindCircle;
    e.Size1 = outer;
    e.Size2 = inner;
    e.Angle = start;
    e.Width = stop;
    e.Filled = filled ? 1 : 0;
    return e;
}

RPath onlyPath(const Region& r)
{
    EXPECT_EQ(r.components().size(), 1u);
    EXPECT_EQ(r.components().front().size(), 1u);
    return r.components().front().front();
}

} // namespace

TEST(Capsule, HorizontalSegmentWorkedByHand)
{
    // P = (0, 0), Q = (100, 0), width 20: r = 10, L = 100, side offset (ox, oy) = (0, 10).
    // theta = atan(0) = 0, plus 180 because dx > 0: 180. The cap angles 202.5 .. 337.5 give
    //   sin: -.383 -.707 -.924 -1 -.924 -.707 -.383  -> r*sin rounded: -4 -7 -9 -10 -9 -7 -4
    //   cos: -.924 -.707 -.383  0  .383  .707  .924 -> r*cos rounded: -9 -7 -4   0  4  7  9
    // P + (sx, -sy) walks round the left end, Q + (-sx, sy) round the right end.
    const std::array<TPoint, 18> expected{{{0, 10},
                                           {-4, 9},
                                           {-7, 7},
                                           {-9, 4},
                                           {-10, 0},
                                           {-9, -4},
                                           {-7, -7},
                                           {-4, -9},
                                           {0, -10},
                                           {100, -10},
                                           {104, -9},
                                           {107, -7},
                                           {109, -4},
                                           {110, 0},
                                           {109, 4},
                                           {107, 7},
                                           {104, 9},
                                           {100, 10}}};
    EXPECT_EQ(Capsule({0, 0}, {100, 0}, 20), expected);
}

TEST(Capsule, SlantedSegmentWorkedByHand)
{
    // P = (0, 0), Q = (-30, 40), width 10: r = 5, L = 50, ox = round(5*40/50) = 4,
    // oy = round(5*-30/50) = -3. theta = round(atan(40/-30)) = -53, dx < 0 so no 180, negative
    // so plus 360: 307. Cap angles 329.5 352 14.5 37 59.5 82 104.5:
    //   5*sin: -2.54 -0.70 1.25 3.01 4.31 4.95  4.84 -> -3 -1 1 3 4 5  5
    //   5*cos:  4.31  4.95 4.84 3.99 2.54 0.70 -1.25 ->  4  5 5 4 3 1 -1
    // The P cap bulges to (3, -4), straight away from Q; the Q cap to Q + (-3, 4).
    const std::array<TPoint, 18> expected{{{-4, -3},
                                           {-3, -4},
                                           {-1, -5},
                                           {1, -5},
                                           {3, -4},
                                           {4, -3},
                                           {5, -1},
                                           {5, 1},
                                           {4, 3},
                                           {-26, 43},
                                           {-27, 44},
                                           {-29, 45},
                                           {-31, 45},
                                           {-33, 44},
                                           {-34, 43},
                                           {-35, 41},
                                           {-35, 39},
                                           {-34, 37}}};
    EXPECT_EQ(Capsule({0, 0}, {-30, 40}, 10), expected);
}

TEST(Capsule, DegenerateInputs)
{
    // P = Q: dy counts as 1, so the side offset is (r, 0) and theta is 270: a round dot.
    const auto dot = Capsule({50, 50}, {50, 50}, 7); // r = 3
    EXPECT_EQ(dot[0], (TPoint{47, 50}));
    EXPECT_EQ(dot[4], (TPoint{50, 47}));
    EXPECT_EQ(dot[8], (TPoint{53, 50}));
    EXPECT_EQ(dot[13], (TPoint{50, 53}));
    // Width 0 and 1 both give radius 1; a negative width gives the outline of its magnitude.
    EXPECT_EQ(Capsule({0, 0}, {10, 3}, 0), Capsule({0, 0}, {10, 3}, 2));
    EXPECT_EQ(Capsule({0, 0}, {10, 3}, 1), Capsule({0, 0}, {10, 3}, 2));
    EXPECT_EQ(Capsule({0, 0}, {10, 3}, -40), Capsule({0, 0}, {10, 3}, 40));
    // At the 32-bit limit the vertices saturate instead of wrapping.
    const auto edge = Capsule({kMax, 0}, {kMax, 100}, 100);
    for (const TPoint& v : edge)
        EXPECT_GE(v.x, kMax - 50);
}

TEST(ElementRegion, PadsThatTouchOverlapAndPadsOneUnitApartDoNot)
{
    for (std::uint8_t shape :
         {ShapeRound, ShapeOctagon, ShapeSquare, ShapeRoundedTall, ShapeOctagonTall, ShapeRectTall}) {
        const Region a = ElementRegion(pad(0, 0, 50, shape));
        EXPECT_TRUE(a.overlaps(ElementRegion(pad(100, 0, 50, shape)))) << int(shape);
        EXPECT_FALSE(a.overlaps(ElementRegion(pad(101, 0, 50, shape)))) << int(shape);
        EXPECT_FALSE(a.overlaps(ElementRegion(pad(-101, 0, 50, shape)))) << int(shape);
    }
    // Square pads corner to corner.
    EXPECT_TRUE(
        ElementRegion(pad(0, 0, 50, ShapeSquare)).overlaps(ElementRegion(pad(100, 100, 50, ShapeSquare))));
    EXPECT_FALSE(
        ElementRegion(pad(0, 0, 50, ShapeSquare)).overlaps(ElementRegion(pad(100, 101, 50, ShapeSquare))));
}

TEST(ElementRegion, BareDrillHoleHasThePadOutline)
{
    for (std::uint8_t shape = 1; shape <= 9; ++shape) {
        const Region normal = ElementRegion(pad(300, -700, 80, shape, 30));
        const Region hole = ElementRegion(pad(300, -700, 80, shape, 80));
        EXPECT_EQ(normal.components(), hole.components()) << int(shape);
        EXPECT_FALSE(hole.isEmpty());
    }
}

TEST(ElementRegion, PadShapes)
{
    // Octagon of half-size 100: the cut is round(58.5) = 58, halves going to even.
    EXPECT_EQ(onlyPath(ElementRegion(pad(1000, 2000, 100, ShapeOctagon))), (RPath{{900, 2042},
                                                                                  {958, 2100},
                                                                                  {1042, 2100},
                                                                                  {1100, 2042},
                                                                                  {1100, 1958},
                                                                                  {1042, 1900},
                                                                                  {958, 1900},
                                                                                  {900, 1958}}));
    EXPECT_EQ(onlyPath(ElementRegion(pad(1000, 2000, 100, ShapeOctagonWide))), (RPath{{800, 2042},
                                                                                      {858, 2100},
                                                                                      {1142, 2100},
                                                                                      {1200, 2042},
                                                                                      {1200, 1958},
                                                                                      {1142, 1900},
                                                                                      {858, 1900},
                                                                                      {800, 1958}}));
    EXPECT_EQ(ElementRegion(pad(0, 0, 100, ShapeOctagonTall)).boundingRect(), (TRect{-100, -200, 100, 200}));

    const Region rectWide = ElementRegion(pad(0, 0, 100, ShapeRectWide));
    EXPECT_EQ(rectWide.boundingRect(), (TRect{-200, -100, 200, 100}));
    EXPECT_TRUE(rectWide.contains(200, 100));
    const Region rectTall = ElementRegion(pad(0, 0, 100, ShapeRectTall));
    EXPECT_TRUE(rectTall.contains(100, 200));
    EXPECT_FALSE(rectTall.contains(101, 0));

    // Rounded: 4R by 2R, corner circles of diameter 150 about (+-125, +-25).
    const Region wide = ElementRegion(pad(0, 0, 100, ShapeRoundedWide));
    EXPECT_EQ(wide.boundingRect(), (TRect{-200, -100, 200, 100}));
    EXPECT_TRUE(wide.contains(200, 0));
    EXPECT_TRUE(wide.contains(0, -100));
    EXPECT_TRUE(wide.contains(175, 75));  // 70.7 from the corner centre
    EXPECT_FALSE(wide.contains(185, 85)); // 84.9 from it
    EXPECT_FALSE(wide.contains(-200, -100));
    const Region tall = ElementRegion(pad(0, 0, 100, ShapeRoundedTall));
    EXPECT_EQ(tall.boundingRect(), (TRect{-100, -200, 100, 200}));
    EXPECT_TRUE(tall.contains(-75, -175));
    EXPECT_FALSE(tall.contains(-85, -185));

    EXPECT_NEAR(ElementRegion(pad(0, 0, 100, ShapeRound)).area(), std::numbers::pi * 1e4,
                0.01 * std::numbers::pi * 1e4);
    // An unknown shape code from a damaged file is drawn round.
    EXPECT_EQ(ElementRegion(pad(0, 0, 100, 0)).components(),
              ElementRegion(pad(0, 0, 100, ShapeRound)).components());
    EXPECT_TRUE(ElementRegion(pad(0, 0, 0, ShapeSquare)).isEmpty());
}

TEST(ElementRegion, GrownPadOutline)
{
    EXPECT_EQ(PadOutline(pad(0, 0, 100, ShapeRound), 20).boundingRect(), (TRect{-120, -120, 120, 120}));
    EXPECT_EQ(PadOutline(pad(0, 0, 100, ShapeRectWide), 20).boundingRect(), (TRect{-220, -120, 220, 120}));
    EXPECT_EQ(PadOutline(pad(0, 0, 100, ShapeOctagon), 0).components(),
              ElementRegion(pad(0, 0, 100, ShapeOctagon)).components());
    EXPECT_TRUE(PadOutline(pad(0, 0, 100, ShapeSquare), -100).isEmpty());
}

TEST(ElementRegion, SmdPadFontTextAndLine)
{
    TObjekt smd;
    smd.Kind = KindSmdPad;
    smd.Size1 = 101; // half 50.5 -> 50
    smd.Size2 = 103; // half 51.5 -> 52
    EXPECT_EQ(ElementRegion(smd).boundingRect(), (TRect{-50, -52, 50, 52}));

    TObjekt text;
    text.Kind = KindFontText;
    text.X = 10;
    text.Y = 20;
    text.Size1 = -5;
    text.Size2 = 40;
    EXPECT_EQ(ElementRegion(text).boundingRect(), (TRect{-5, 20, 10, 40}));
    EXPECT_TRUE(ElementRegion(text).contains(0, 30));

    TObjekt line;
    line.Kind = KindLine;
    line.Size1 = 100;
    line.Width = 20;
    RPath capsule;
    for (const TPoint& v : Capsule({0, 0}, {100, 0}, 20))
        capsule.push_back({v.x, v.y});
    EXPECT_EQ(onlyPath(ElementRegion(line)), capsule);

    TObjekt unknown;
    unknown.Kind = 42;
    EXPECT_TRUE(ElementRegion(unknown).isEmpty());
}

TEST(ElementRegion, Tracks)
{
    EXPECT_TRUE(ElementRegion(track({}, 50)).isEmpty());
    EXPECT_TRUE(ElementRegion(track({{500, 500}}, 50)).isEmpty());
    const Region bend = ElementRegion(track({{0, 0}, {1000, 0}, {1000, 1000}}, 100));
    EXPECT_EQ(bend.components().size(), 2u);
    EXPECT_TRUE(bend.contains(1040, 1000));
    EXPECT_TRUE(bend.contains(500, -50));
    EXPECT_FALSE(bend.contains(500, -51));
    EXPECT_FALSE(bend.contains(500, 500));
}

TEST(ElementRegion, AreaOutlineAndFill)
{
    // The closing edge (0, 1000) -> (0, 0) is filled but gets no capsule.
    const Region tri = ElementRegion(track({{0, 0}, {1000, 0}, {0, 1000}}, 100, KindArea));
    EXPECT_TRUE(tri.contains(300, 300));
    EXPECT_TRUE(tri.contains(500, -30));
    EXPECT_TRUE(tri.contains(520, 520));
    EXPECT_TRUE(tri.contains(0, 500));
    EXPECT_FALSE(tri.contains(-30, 500));
    // Stored closed, as the area tool leaves it, the last edge has its capsule too.
    EXPECT_TRUE(
        ElementRegion(track({{0, 0}, {1000, 0}, {0, 1000}, {0, 0}}, 100, KindArea)).contains(-30, 500));
    // Two nodes: a stroke and nothing filled.
    EXPECT_EQ(ElementRegion(track({{0, 0}, {1000, 0}}, 100, KindArea)).components().size(), 1u);
    // A self-crossing outline is filled by the even-odd rule.
    const Region bow = ElementRegion(track({{0, 0}, {1000, 1000}, {1000, 0}, {0, 1000}}, 2, KindArea));
    EXPECT_TRUE(bow.contains(100, 500));
    EXPECT_FALSE(bow.contains(500, 100));
}

TEST(ElementRegion, RingMinusItsInnerDisc)
{
    TObjekt ring = circle(500, 400);
    ring.X = 1000;
    ring.Y = -1000;
    const Region r = ElementRegion(ring);
    EXPECT_TRUE(r.contains(1450, -1000));
    EXPECT_TRUE(r.contains(1000, -500));
    EXPECT_FALSE(r.contains(1000, -1000));
    EXPECT_FALSE(r.contains(1300, -1000));
    EXPECT_FALSE(r.contains(1501, -1000));
    EXPECT_NEAR(r.area(), std::numbers::pi * (500.0 * 500 - 400.0 * 400), 0.01 * std::numbers::pi * 90000);
    ring.Filled = 1;
    EXPECT_TRUE(ElementRegion(ring).contains(1000, -1000));
    // Both angles 360 (a full circle mirrored top-bottom) is still a full ring.
    EXPECT_EQ(ElementRegion(circle(500, 400, 360, 360)).components(),
              ElementRegion(circle(500, 400)).components());
}

TEST(ElementRegion, ArcsOfLessAndMoreThanAHalfTurn)
{
    const Region quarter = ElementRegion(circle(500, 400, 0, 90));
    EXPECT_TRUE(quarter.contains(318, 318)); // 45 degrees on the mid circle
    EXPECT_TRUE(quarter.contains(450, 5));
    EXPECT_FALSE(quarter.contains(-318, 318)); // 135
    EXPECT_FALSE(quarter.contains(0, -450));   // 270
    // Round caps of radius 50 about (450, 0) and (0, 450).
    EXPECT_TRUE(quarter.contains(450, -40));
    EXPECT_FALSE(quarter.contains(450, -60));
    EXPECT_TRUE(quarter.contains(-40, 450));
    EXPECT_FALSE(quarter.contains(-60, 450));

    const Region most = ElementRegion(circle(500, 400, 0, 270));
    EXPECT_TRUE(most.contains(-450, 0));
    EXPECT_TRUE(most.contains(-318, 318));
    EXPECT_FALSE(most.contains(318, -318)); // 315: the part left out
    EXPECT_TRUE(most.contains(40, -450));   // cap at the stop angle
    EXPECT_FALSE(most.contains(60, -450));
    EXPECT_FALSE(most.contains(0, 0));

    // Start above stop: the arc runs anticlockwise through 0.
    const Region through = ElementRegion(circle(500, 400, 300, 60));
    EXPECT_TRUE(through.contains(450, 0));
    EXPECT_FALSE(through.contains(-450, 0));
}

TEST(ElementRegion, FilledArcsAreWidened)
{
    // Inner 400, outer 500: h = 50, w = round(50 / (2 pi 400) * 360) = round(7.16) = 7 degrees.
    // (488, -43) lies at -5 degrees, inside the widened wedge but clear of the start cap.
    EXPECT_TRUE(ElementRegion(circle(500, 400, 0, 90, true)).contains(488, -43));
    EXPECT_FALSE(ElementRegion(circle(500, 400, 0, 90, false)).contains(488, -43));
    EXPECT_FALSE(ElementRegion(circle(500, 400, 0, 90, true)).contains(473, -83)); // -10 degrees
    // With no inner radius the widening exceeds a whole turn: the whole disc.
    const Region pie = ElementRegion(circle(500, 0, 0, 90, true));
    EXPECT_TRUE(pie.contains(-300, -300));
    EXPECT_NEAR(pie.area(), Region::disc(0, 0, 500).area(), 1e-6);
}

TEST(ElementRegion, LayoutTextIsTheUnionOfItsStrokes)
{
    TObjekt text;
    text.Kind = KindLayoutText;
    EXPECT_TRUE(ElementRegion(text).isEmpty());
    text.Strokes.push_back(track({{0, 0}, {0, 200}}, 20));
    text.Strokes.push_back(track({{100, 0}, {100, 200}, {150, 250}}, 20));
    const Region r = ElementRegion(text);
    EXPECT_EQ(r.components().size(), 3u);
    EXPECT_TRUE(r.contains(0, 100));
    EXPECT_TRUE(r.contains(125, 225));
    EXPECT_FALSE(r.contains(50, 100));
}

TEST(ElementHit, TwoPixelsAroundThePoint)
{
    const TObjekt p = pad(0, 0, 50, ShapeRound);
    EXPECT_TRUE(ElementHit(p, {70, 0}, 0.1)); // +-20 units reaches (50, 0)
    EXPECT_FALSE(ElementHit(p, {71, 0}, 0.1));
    EXPECT_TRUE(ElementHit(p, {57, 0}, 0.3)); // round(6.67) = 7
    EXPECT_FALSE(ElementHit(p, {58, 0}, 0.3));
    // A zoom that is no positive number leaves only the point itself.
    for (double zoom : {0.0, -1.0, std::nan("")}) {
        EXPECT_TRUE(ElementHit(p, {50, 0}, zoom));
        EXPECT_FALSE(ElementHit(p, {51, 0}, zoom));
    }
    EXPECT_TRUE(ElementHit(p, {1000000000, 0}, 1e-300)); // capped, but huge
}

TEST(ElementRegion, ElementsAtTheThirtyTwoBitLimits)
{
    std::vector<TObjekt> all;
    for (std::uint8_t shape = 0; shape <= 9; ++shape) {
        all.push_back(pad(kMax, kMin, kMax, shape, kMin));
        all.push_back(pad(kMin, kMax, kMin, shape, kMax));
    }
    TObjekt line;
    line.Kind = KindLine;
    line.X = kMin;
    line.Y = kMin;
    line.Size1 = kMax;
    line.Size2 = kMax;
    line.Width = kMax;
    all.push_back(line);
    line.Width = kMin;
    all.push_back(line);
    all.push_back(track({{kMin, kMin}, {kMax, kMax}, {kMax, kMin}}, kMax));
    all.push_back(track({{kMin, kMax}, {kMax, kMin}, {kMin, kMin}, {kMax, kMax}}, kMin, KindArea));
    TObjekt smd;
    smd.Kind = KindSmdPad;
    smd.X = kMax;
    smd.Y = kMin;
    smd.Size1 = kMax;
    smd.Size2 = kMin;
    all.push_back(smd);
    TObjekt text;
    text.Kind = KindFontText;
    text.X = kMin;
    text.Y = kMax;
    text.Size1 = kMax;
    text.Size2 = kMin;
    all.push_back(text);
    for (auto [outer, inner, start, stop, filled] :
         {std::tuple{kMax, kMax - 10, 0, 90, false}, std::tuple{kMax, kMin, kMin, kMax, false},
          std::tuple{kMax, 0, 10, 350, true}, std::tuple{kMax, 1, 0, 180, true},
          std::tuple{kMin, kMax, 5, 7, false}, std::tuple{kMax, kMax / 2, kMax, kMin, true}}) {
        TObjekt c = circle(outer, inner, start, stop, filled);
        c.X = kMax;
        c.Y = kMin;
        all.push_back(c);
    }
    const Region probe = Region::rectangle(kMin, kMin, kMax, kMax);
    for (const TObjekt& e : all) {
        const Region r = ElementRegion(e);
        const TRect box = r.boundingRect();
        EXPECT_LE(box.left, box.right);
        if (!r.isEmpty()) {
            EXPECT_GT(r.area(), 0.0);
        }
        (void)r.overlaps(probe);
        (void)r.contains(kMax, kMin);
        (void)r.intersected(probe).isEmpty();
        (void)ElementHit(e, {kMax, kMin}, 0.01);
        (void)ElementHit(e, {kMin, kMax}, 1e-12);
    }
    // A wide pad at the corner reaches 2R beyond its centre, beyond the 32-bit range.
    const Region wide = ElementRegion(pad(kMax, kMin, kMax, ShapeRectWide));
    EXPECT_EQ(wide.boundingRect(),
              (TRect{std::int64_t(kMax) - 2 * std::int64_t(kMax), std::int64_t(kMin) - kMax,
                     3 * std::int64_t(kMax), std::int64_t(kMin) + kMax}));
    EXPECT_TRUE(ElementHit(pad(kMax, kMin, kMax, ShapeRectWide), {kMax, kMin}, 0.1));
}

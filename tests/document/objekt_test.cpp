#include "document/objekt.h"
#include "document/region.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>
#include <random>

using namespace trevok;

namespace
{

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TObjekt line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t width = 0)
{
    TObjekt e;
    e.Kind = KindLine;
    e.X = x1;
    e.Y = y1;
    e.Size1 = x2;
    e.Size2 = y2;
    e.Width = width;
    return e;
}

TObjekt arc(std::int32_t start, std::int32_t stop)
{
    auto c = NewCircle({0, 0}, 1000, 0, LayerK1, 800);
    c->Angle = start;
    c->Width = stop;
    return *c;
}

TObjekt track(std::initializer_list<TPoint> points, std::int32_t width)
{
    auto t = NewTrack(width, LayerK1);
    for (TPoint p : points)
        AddPoint(*t, p);
    return *t;
}

} // namespace

TEST(Rounding, HalvesGoToEvenIncludingNegativeOnes)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999999), 2);
    EXPECT_EQ(RoundHalfEven(-2.5000001), -3);
    EXPECT_EQ(RoundHalfEven64(4503599627370495.5), 4503599627370496); // 2^52 - 0.5
}

TEST(Rounding, AgreesWithTheHardwareUnderTheDefaultMode)
{
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> wide(-3e9, 3e9);
    for (int i = 0; i < 20000; ++i) {
        const double v = wide(random);
        const double half = std::floor(v) + 0.5; // a tie next to it
        for (double x : {v, half, half / 1024.0, v * 1e6}) {
            EXPECT_EQ(RoundHalfEven64(x), static_cast<std::int64_t>(std::nearbyint(x))) << x;
            EXPECT_EQ(RoundHalfEven(x),
                      static_cast<std::int32_t>(std::clamp(std::nearbyint(x), double(kMin), double(kMax))))
                << x;
        }
    }
}

TEST(Rounding, IgnoresTheFloatingPointRoundingMode)
{
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(RoundHalfEven(2.5), 2) << mode;
        EXPECT_EQ(RoundHalfEven(-3.5), -4) << mode;
        EXPECT_EQ(RoundHalfEven(7.2), 7) << mode;
        EXPECT_EQ(RoundHalfEven(-7.2), -7) << mode;
    }
    std::fesetround(saved);
}

TEST(Rounding, SaturatesAndMapsNanToZero)
{
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven64(std::nan("")), 0);
    EXPECT_EQ(RoundHalfEven(2147483647.4), kMax);
    EXPECT_EQ(RoundHalfEven(2147483647.5), kMax); // would round to 2^31
    EXPECT_EQ(RoundHalfEven(-2147483648.5), kMin);
    EXPECT_EQ(RoundHalfEven(1e300), kMax);
    EXPECT_EQ(RoundHalfEven(-std::numeric_limits<double>::infinity()), kMin);
    EXPECT_EQ(RoundHalfEven64(1e19), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(RoundHalfEven64(-1e19), std::numeric_limits<std::int64_t>::min());
}

TEST(Snap, RoundsStepsThenPosition)
{
    EXPECT_EQ(SnapToGrid({127, -381}, 254.0), (TPoint{0, -508})); // 0.5 -> 0, -1.5 -> -2
    EXPECT_EQ(SnapToGrid({38, 13}, 25.4), (TPoint{25, 25}));      // 1 step = 25.4 -> 25
    EXPECT_EQ(SnapToGrid({kMax, kMin}, 1000.0), (TPoint{kMax, kMin}));
    for (double bad : {0.0, -5.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e-320})
        EXPECT_EQ(SnapToGrid({123, -77}, bad), (TPoint{123, -77})) << bad;
}

TEST(Bounds, PerKindWithWidthAndClearance)
{
    TObjekt l = line(100, 50, -100, 10); // width 0: margin 20
    l.Clearance = 40;
    EXPECT_EQ(Bounds(l), (TRect{-160, -50, 160, 110}));

    auto pad = NewPad({0, 0}, 100, ShapeOctagonWide, LayerK1, 30);
    pad->Clearance = 10;
    EXPECT_EQ(Bounds(*pad), (TRect{-220, -110, 220, 110}));
    pad->Shape = ShapeRectTall;
    EXPECT_EQ(Bounds(*pad), (TRect{-110, -220, 110, 220}));
    pad->Shape = ShapeSquare;
    EXPECT_EQ(Bounds(*pad), (TRect{-110, -110, 110, 110}));

    auto smd = NewSmdPad({1000, 1000}, 5, LayerK1, 7); // halves: 2.5 -> 2, 3.5 -> 4
    EXPECT_EQ(Bounds(*smd), (TRect{998, 996, 1002, 1004}));

    TObjekt text;
    text.Kind = KindFontText;
    text.X = 500;
    text.Y = 0;
    text.Size1 = 0;
    text.Size2 = -300;
    text.Clearance = 5;
    EXPECT_EQ(Bounds(text), (TRect{-5, -305, 505, 5}));
}

TEST(Bounds, TracksAndLayoutText)
{
    TObjekt t = track({{0, 0}, {300, -200}, {100, 50}}, 41); // margin 20 (41 / 2 toward zero)
    t.Clearance = 40;
    EXPECT_EQ(Bounds(t), (TRect{-60, -260, 360, 110}));

    // One node: no extent of its own, so the margins grow the rectangle around the origin.
    TObjekt lonely = track({{5000, 5000}}, 0);
    lonely.Clearance = 40;
    EXPECT_EQ(Bounds(lonely), (TRect{-60, -60, 60, 60}));

    auto text = NewLayoutText({0, 0}, "AB", false, false, LayerB1, 0, 1, 1, 200);
    EXPECT_EQ(Bounds(*text), TRect{});
    text->Strokes.push_back(track({{0, 0}, {100, 0}}, 20));
    text->Strokes.push_back(track({{200, 300}, {200, 400}}, 60));
    text->Strokes.back().Clearance = 5;
    EXPECT_EQ(Bounds(*text), (TRect{-10, -10, 235, 435}));
}

TEST(Bounds, NoOverflowAtTheLimits)
{
    auto pad = NewPad({kMax, kMin}, kMax, ShapeRoundedWide, LayerK1, 0);
    pad->Clearance = kMax;
    const std::int64_t big = kMax;
    EXPECT_EQ(Bounds(*pad), (TRect{big - 4 * big, kMin - 2 * big, big + 4 * big, kMin + 2 * big}));

    TObjekt l = line(kMin, kMin, kMax, kMax, kMin);
    l.Clearance = kMin; // a damaged file: negative margins turn the rectangle inside out
    const TRect r = Bounds(l);
    EXPECT_LE(r.left, r.right);
    EXPECT_LE(r.top, r.bottom);
    // margin kMin / 2 + kMin = -3221225472 on every side
    EXPECT_EQ(r.left, -1073741825);
    EXPECT_EQ(r.right, 1073741824);
}

TEST(Bounds, CircleCoversItsRing)
{
    // The bounds are the outline's, grown by the margin (20 for a stop angle of 0, Width / 2
    // otherwise, plus the clearance of 40), whether the outline is built or not.
    struct Case {
        const char* name;
        std::int32_t outer, inner;
        bool filled;
        std::int32_t start, stop;
    };
    const Case cases[] = {
        {"ring", 500, 300, false, 0, 0},
        {"ring, a whole turn written as 360", 501, 300, false, 0, 360},
        {"disc", 333, 0, false, 0, 0},
        {"filled", 500, 450, true, 0, 0},
        {"narrow ring", 40, 39, false, 0, 0},
        {"tiny", 1, 0, false, 0, 0},
        {"inner beyond outer: nothing", 100, 100, false, 0, 0},
        {"no radius: nothing", 0, 0, true, 0, 0},
        {"arc", 500, 300, false, 30, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = NewCircle({1000, -1000}, c.outer, 0, LayerK1, c.inner);
        e->Filled = c.filled;
        e->Angle = c.start;
        e->Width = c.stop;
        e->Clearance = 40;
        const std::int64_t margin = (c.stop / 2 ? c.stop / 2 : 20) + 40;
        const TRect outline = ElementRegion(*e).boundingRect();
        const TRect bounds = Bounds(*e);
        EXPECT_EQ(bounds, (TRect{outline.left - margin, outline.top - margin, outline.right + margin,
                                 outline.bottom + margin}));
        // The cheap rectangle is the same for a whole circle and holds an arc's bounds.
        const TRect quick = QuickBounds(*e);
        EXPECT_TRUE(quick.left <= bounds.left && quick.top <= bounds.top && quick.right >= bounds.right &&
                    quick.bottom >= bounds.bottom);
        if (c.start % 360 == c.stop % 360) {
            EXPECT_EQ(quick, bounds);
        }
    }
}

TEST(NodeAt, HighestIndexAndThreePixelMinimum)
{
    const TObjekt t = track({{0, 0}, {20, 0}, {1000, 0}}, 20); // half-size 10
    EXPECT_EQ(NodeAt(t, {10, 5}, 1.0), 1);                     // both first nodes contain it: the later wins
    EXPECT_EQ(NodeAt(t, {-5, 0}, 1.0), 0);
    EXPECT_EQ(NodeAt(t, {1000, 11}, 1.0), -1);
    EXPECT_EQ(NodeAt(t, {1000, 30}, 0.1), 2); // three pixels at zoom 0.1 are 30 units
    EXPECT_EQ(NodeAt(t, {1000, 31}, 0.1), -1);
    EXPECT_EQ(NodeAt(t, {1000, 10}, 0.0), 2); // no zoom: the half-size alone
    EXPECT_EQ(NodeAt(t, {1000, 11}, std::nan("")), -1);
    EXPECT_EQ(NodeAt(*NewPad({0, 0}, 100, 1, 1, 0), {0, 0}, 1.0), -1);
}

TEST(NodeAt, CircleHandlesOnTheMidCircle)
{
    TObjekt c = arc(0, 90); // mid radius 900, handle half-size 100
    EXPECT_EQ(NodeAt(c, {900, 99}, 1.0), 0);
    EXPECT_EQ(NodeAt(c, {-100, 900}, 1.0), 1);
    EXPECT_EQ(NodeAt(c, {0, 0}, 1.0), -1);
    c.Width = 0; // full circle: both handles coincide and the stop handle wins
    EXPECT_EQ(NodeAt(c, {900, 0}, 1.0), 1);
}

TEST(CirclePoints, ExactAtRationalAnglesAndAnyAngleAccepted)
{
    auto c = NewCircle({10, 10}, 1, 0, LayerK1, 0);
    // cos 60° is exactly one half, which rounds to even (0), not up.
    EXPECT_EQ(PointOnCircle(*c, 60), (TPoint{10, 11}));
    EXPECT_EQ(PointOnCircle(*c, 150), (TPoint{9, 10})); // sin 150° = 1/2 -> 0
    c->Size1 = 1000;
    EXPECT_EQ(PointOnCircle(*c, -90), (TPoint{10, -990}));
    EXPECT_EQ(PointOnCircle(*c, 405), PointOnCircle(*c, 45));
    EXPECT_EQ(PointOnCircle(*c, kMin), PointOnCircle(*c, 232)); // -2147483648 = -128 mod 360

    c->Size2 = 0;
    c->Size1 = 1001;
    EXPECT_EQ(MidRadius(*c), 501);
    c->Size1 = kMax;
    c->Size2 = kMin;
    EXPECT_EQ(MidRadius(*c), 0);
}

TEST(Transforms, CircleAngles)
{
    TObjekt full = arc(0, 0);
    MirrorY(full, {0, 0});
    EXPECT_EQ(full.Angle, 360);
    EXPECT_EQ(full.Width, 360);

    TObjekt a = arc(0, 90);
    MirrorX(a, {0, 0});
    EXPECT_EQ(a.Angle, 90);
    EXPECT_EQ(a.Width, 180);

    TObjekt b = arc(0, 90);
    MirrorY(b, {0, 0});
    EXPECT_EQ(b.Angle, 270);
    EXPECT_EQ(b.Width, 360);

    TObjekt r = arc(0, 90);
    Rotate90(r, {500, 0});
    EXPECT_EQ(r.Angle, 270);
    EXPECT_EQ(r.Width, 0);
    EXPECT_EQ(r.X, 500);
    EXPECT_EQ(r.Y, 500);
}

TEST(Transforms, PadShapesAndSmdSizes)
{
    auto pad = NewPad({10, 0}, 100, ShapeOctagonWide, LayerK1, 30);
    Rotate90(*pad, {0, 0}); // clockwise: (10, 0) goes below the centre
    EXPECT_EQ(pad->Shape, ShapeOctagonTall);
    EXPECT_EQ((TPoint{pad->X, pad->Y}), (TPoint{0, -10}));
    for (int i = 0; i < 3; ++i)
        Rotate90(*pad, {0, 0});
    EXPECT_EQ(pad->Shape, ShapeOctagonWide);
    EXPECT_EQ((TPoint{pad->X, pad->Y}), (TPoint{10, 0}));

    auto smd = NewSmdPad({0, 0}, 300, LayerK1, 100);
    Rotate90(*smd, {0, 0});
    EXPECT_EQ(smd->Size1, 100);
    EXPECT_EQ(smd->Size2, 300);
    Rotate90(*smd, {0, 0});
    EXPECT_EQ(smd->Size1, 300);
    EXPECT_EQ(smd->Size2, 100);
}

TEST(Transforms, LinesStayNormalised)
{
    TObjekt l = line(0, 0, 200, 0); // stored left-to-right
    Rotate90(l, {0, 0});            // vertical: start is the upper end
    EXPECT_EQ((TPoint{l.X, l.Y}), (TPoint{0, 0}));
    EXPECT_EQ((TPoint{l.Size1, l.Size2}), (TPoint{0, -200}));
    Rotate90(l, {0, 0}); // now it would run right-to-left
    EXPECT_EQ((TPoint{l.X, l.Y}), (TPoint{-200, 0}));
    EXPECT_EQ((TPoint{l.Size1, l.Size2}), (TPoint{0, 0}));
    MirrorX(l, {0, 0});
    EXPECT_EQ((TPoint{l.X, l.Y}), (TPoint{0, 0}));
    EXPECT_EQ((TPoint{l.Size1, l.Size2}), (TPoint{200, 0}));
}

TEST(Transforms, FontAndLayoutText)
{
    TObjekt text;
    text.Kind = KindFontText;
    text.X = 0;
    text.Y = 0;
    text.Size1 = 400;
    text.Size2 = 100;
    text.Angle = 270;
    Rotate90(text, {0, 0});
    EXPECT_EQ(text.Angle, 0);
    EXPECT_EQ((TPoint{text.Size1, text.Size2}), (TPoint{100, -400}));
    MirrorX(text, {1000, 0});
    EXPECT_EQ(text.X, 1900);
    EXPECT_EQ(text.Size1, 2000);
    MirrorY(text, {0, 0});
    EXPECT_EQ(text.Y, 400);
    EXPECT_EQ(text.Size2, 0);

    auto lt = NewLayoutText({50, 60}, "A", false, false, LayerB1, 3, 1, 1, 200);
    lt->Strokes.push_back(track({{0, 0}, {100, 0}}, 20));
    Rotate90(*lt, {0, 0});
    EXPECT_EQ(lt->Angle, 0);
    EXPECT_EQ((TPoint{lt->X, lt->Y}), (TPoint{50, 60})); // insertion point stays
    EXPECT_EQ(lt->Strokes[0].Points[1], (TPoint{0, -100}));
    MirrorX(*lt, {0, 0});
    MirrorY(*lt, {0, 0});
    EXPECT_EQ(lt->MirrorH, 1);
    EXPECT_EQ(lt->MirrorV, 1);
    EXPECT_EQ((TPoint{lt->X, lt->Y}), (TPoint{50, 60}));
    Translate(*lt, 10, -10);
    EXPECT_EQ((TPoint{lt->X, lt->Y}), (TPoint{60, 50}));
    EXPECT_EQ(lt->Strokes[0].Points[1], (TPoint{10, 90}));
}

// Four quarter turns, and two mirrors, must give every kind back unchanged.
TEST(Transforms, FullTurnsAndDoubleMirrorsAreIdentity)
{
    std::vector<TObjekt> all;
    all.push_back(line(-30, 70, 120, -40, 10));
    all.push_back(*NewPad({3, 4}, 50, ShapeRoundedTall, LayerK1, 10));
    all.push_back(*NewSmdPad({-7, 9}, 80, LayerK2, 20));
    all.push_back(arc(30, 200));
    all.push_back(arc(0, 0));
    all.push_back(track({{1, 2}, {300, 40}, {-50, -60}}, 25));
    TObjekt ft;
    ft.Kind = KindFontText;
    ft.X = 11;
    ft.Y = 22;
    ft.Size1 = 333;
    ft.Size2 = -44;
    ft.Angle = 90;
    all.push_back(ft);
    const TPoint c{123, -456};
    for (const TObjekt& original : all) {
        TObjekt e = original;
        for (int i = 0; i < 4; ++i)
            Rotate90(e, c);
        EXPECT_EQ(Bounds(e), Bounds(original)) << int(original.Kind);
        EXPECT_EQ(e.Shape, original.Shape);
        EXPECT_EQ(e.Angle, original.Angle);
        EXPECT_EQ(e.Width, original.Width);
        EXPECT_EQ(e.Points, original.Points);
        for (auto mirror : {MirrorX, MirrorY}) {
            TObjekt m = original;
            mirror(m, c);
            mirror(m, c);
            EXPECT_EQ((TPoint{m.X, m.Y}), (TPoint{original.X, original.Y})) << int(original.Kind);
            EXPECT_EQ((TPoint{m.Size1, m.Size2}), (TPoint{original.Size1, original.Size2}));
            EXPECT_EQ(m.Angle % 360, original.Angle % 360);
            EXPECT_EQ(m.Width % 360, original.Width % 360);
            EXPECT_EQ(m.Points, original.Points);
        }
    }
}

TEST(Transforms, SaturateAtTheLimits)
{
    auto pad = NewPad({kMax - 5, kMin + 5}, 100, 1, 1, 0);
    Translate(*pad, 10, -10);
    EXPECT_EQ((TPoint{pad->X, pad->Y}), (TPoint{kMax, kMin}));
    MirrorX(*pad, {0, 0});
    EXPECT_EQ(pad->X, -kMax);
    MirrorY(*pad, {0, 0});
    EXPECT_EQ(pad->Y, kMax); // -kMin does not fit
    TObjekt t = track({{kMin, kMax}, {0, 0}}, 10);
    Rotate90(t, {kMax, kMin});
    EXPECT_EQ(t.Points[0], (TPoint{kMax, kMax}));
    EXPECT_EQ(t.Points[1], (TPoint{kMax, -1}));
}

TEST(Elements, FlagsOnlyWhereTheyBelong)
{
    auto area = NewArea(30, LayerB2);
    area->Restricted = 1;
    EnforceElementInvariants(*area);
    EXPECT_EQ(area->Layer, LayerK2);
    EXPECT_EQ(area->Closed, 1);

    auto pad = NewPad({0, 0}, 10, 1, LayerB1, 0);
    pad->Restricted = 1;
    pad->Autorouted = 1;
    EnforceElementInvariants(*pad);
    EXPECT_EQ(pad->Restricted, 0);
    EXPECT_EQ(pad->Autorouted, 0);
    EXPECT_EQ(pad->Layer, LayerB1);

    auto t = NewTrack(20, LayerK1);
    t->Autorouted = 1;
    EnforceElementInvariants(*t);
    EXPECT_EQ(t->Autorouted, 1);
}

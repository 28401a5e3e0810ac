#include "view/viewmodel.h"

#include "languageguard.h"
#include "view/texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace trevok;

namespace
{

// A model showing a default board (160 × 100 mm) in a viewport of the given size.
struct ViewFixture : ::testing::Test {
    TBoard board;
    ViewModel view;
    std::vector<unsigned> reports;

    void SetUp() override
    {
        view.loadFrom(board);
        view.setViewportSize({800, 600});
        QObject::connect(&view, &ViewModel::changed, [this](unsigned c) { reports.push_back(c); });
    }
};

std::unique_ptr<TObjekt> smdPad(TPoint centre, int size)
{
    return NewSmdPad(centre, size, LayerK1, size);
}

} // namespace

TEST(ZoomLimits, StepsStopAtTheLimitsInsteadOfOvershooting)
{
    EXPECT_DOUBLE_EQ(ZoomIn(0.9), 1.0);
    EXPECT_DOUBLE_EQ(ZoomOut(0.012), 0.01);
    EXPECT_DOUBLE_EQ(ClampZoom(std::numeric_limits<double>::quiet_NaN()), DefaultZoom);
    EXPECT_DOUBLE_EQ(ClampZoom(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_DOUBLE_EQ(ClampZoom(-3), 0.01);

    double z = 0.1;
    for (int i = 0; i < 4; ++i)
        z = ZoomIn(z);
    EXPECT_NEAR(z, 0.38416, 1e-9);
    z = 0.1;
    for (int i = 0; i < 6; ++i)
        z = ZoomOut(z);
    EXPECT_GT(z, 0.01); // six steps out are not yet at the limit
    EXPECT_DOUBLE_EQ(ZoomOut(z), 0.01);
}

TEST(Surface, IsBoardTimesZoomPlusOnePixel)
{
    EXPECT_EQ(SurfaceSize(16000, 10000, 0.1), QSize(1601, 1001));
    EXPECT_EQ(SurfaceSize(16000, 10000, 0.01), QSize(161, 101));
    // 2.5 + 1 rounds to the even 4, 4.5 + 1 to 6 (halves to even, through the one helper)
    EXPECT_EQ(SurfaceSize(25, 45, 0.1), QSize(4, 6));
    EXPECT_EQ(SurfaceSize(std::numeric_limits<std::int32_t>::max(), 10, 1.0).width(),
              std::numeric_limits<int>::max());
}

TEST_F(ViewFixture, SetZoomKeepsTheCentreAndReportsOnce)
{
    view.setScrollPosition(400, 200); // centre (800, 500) px = (8000, 5000) units
    reports.clear();
    view.SetZoom(0.2);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.2);
    EXPECT_EQ(view.surfaceSize(), QSize(3201, 2001));
    // hpos = round(0.2 × (8000 − 2000)), vpos = round(0.2 × (5000 − 1500))
    EXPECT_EQ(view.scrollPosition(), QPoint(1200, 700));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0] & (ViewModel::SurfaceChanged | ViewModel::ScrollChanged | ViewModel::ZoomChanged),
              unsigned(ViewModel::SurfaceChanged | ViewModel::ScrollChanged | ViewModel::ZoomChanged));

    view.SetZoom(7); // clamped silently
    EXPECT_DOUBLE_EQ(view.zoom(), 1.0);
    view.SetZoom(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(view.zoom(), 1.0);
}

TEST(ViewZoom, ABoardWiderThanThreeHundredMillimetresKeepsItsCentreToo)
{
    // Boards from foreign files can be larger than the dialog allows; zooming must not jump
    // back to x = 300 mm.
    TBoard wide;
    wide.BoardWidth = 60000;
    ViewModel view;
    view.loadFrom(wide);
    view.setViewportSize({800, 600});
    view.setScrollPosition(5000, 0); // centre x (5000 + 400) / 0.1 = 54000
    view.SetZoom(0.2);
    EXPECT_EQ(view.scrollPosition().x(), 10400); // round(0.2 × (54000 − 2000))
}

TEST_F(ViewFixture, ScrollingStaysWithinTheSurface)
{
    // surface 1601 × 1001 in 800 × 600
    EXPECT_EQ(view.maxScroll(), QPoint(801, 401));
    view.setScrollPosition(5000, -20);
    EXPECT_EQ(view.scrollPosition(), QPoint(801, 0));
    view.CentreOn(0, 0);
    EXPECT_EQ(view.scrollPosition(), QPoint(0, 0));
    view.CentreOn(16000, 10000);
    EXPECT_EQ(view.scrollPosition(), QPoint(801, 401));
    EXPECT_EQ(view.scrollIncrement(), QSize(50, 37));

    // A bigger viewport shrinks the range and pulls the position back.
    view.setViewportSize({1500, 900});
    EXPECT_EQ(view.scrollPosition(), QPoint(101, 101));
}

TEST_F(ViewFixture, ZoomBoardFitsTheBoardWithAMargin)
{
    view.setViewportSize({810, 510});
    view.zoomBoard();
    EXPECT_DOUBLE_EQ(view.zoom(), 0.05); // min(800 / 16000, 500 / 10000)
    EXPECT_EQ(board.PreviousViews.size(), 1u);
    EXPECT_DOUBLE_EQ(board.PreviousViews.back().Zoom, 0.1);
}

TEST_F(ViewFixture, ZoomToObjectsFitsTheirBoundsAndCentresTenUnitsOff)
{
    ElementList list;
    list.push_back(smdPad({1000, -1000}, 100)); // bounds 950..1050, −1050..−950
    list.push_back(smdPad({5000, -4000}, 100)); // bounds 4950..5050, −4050..−3950
    view.setViewportSize({840, 640});
    view.zoomAllObjects(list);
    // min(820 / 4100, 620 / 3100); centre (3000, 2500) asked as (2990, 2490)
    EXPECT_DOUBLE_EQ(view.zoom(), 0.2);
    EXPECT_EQ(view.scrollPosition(),
              QPoint(178, 178)); // round(0.2 × (2990 − 2100)), round(0.2 × (2490 − 1600))
    EXPECT_EQ(board.PreviousViews.size(), 1u);
}

TEST_F(ViewFixture, ZoomToNothingOrToSomethingTinyOnlyPushesAView)
{
    ElementList list;
    view.setScrollPosition(30, 40);
    view.zoomAllObjects(list);                 // empty board
    list.push_back(smdPad({1000, -1000}, 40)); // 0.4 mm wide
    list.push_back(smdPad({9000, -9000}, 200));
    view.zoomSelection(list); // nothing selected
    list[0]->Selected = 1;
    view.zoomSelection(list); // narrower than 0.5 mm
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    EXPECT_EQ(view.scrollPosition(), QPoint(30, 40));
    EXPECT_EQ(board.PreviousViews.size(), 3u);

    list[1]->Selected = 1;
    view.zoomSelection(list);
    EXPECT_NE(view.zoom(), 0.1);
}

TEST_F(ViewFixture, ZoomToFarAwayBoundsIsLimitedAndDoesNotOverflow)
{
    const std::int64_t big = std::numeric_limits<std::int32_t>::max();
    view.zoomToRect(TRect{-big, -big, big, big});
    EXPECT_DOUBLE_EQ(view.zoom(), 0.01);
    view.zoomToRect(TRect{big - 1000, -big, big, -big + 1000});
    EXPECT_GE(view.scrollPosition().x(), 0);
    EXPECT_LE(view.scrollPosition().x(), view.maxScroll().x());
}

TEST_F(ViewFixture, PreviousViewsComeBackInReverseOrderAndEmptyHistoryDoesNothing)
{
    EXPECT_FALSE(view.canPopView());
    reports.clear();
    EXPECT_FALSE(view.PopView());
    EXPECT_TRUE(reports.empty());

    view.setScrollPosition(100, 50);
    view.PushView();
    view.SetZoom(0.5);
    view.setScrollPosition(2000, 1000);
    view.PushView();
    view.SetZoom(0.02);

    ASSERT_TRUE(view.PopView());
    EXPECT_DOUBLE_EQ(view.zoom(), 0.5);
    EXPECT_EQ(view.scrollPosition(), QPoint(2000, 1000));
    ASSERT_TRUE(view.PopView());
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    EXPECT_EQ(view.scrollPosition(), QPoint(100, 50));
    EXPECT_FALSE(view.canPopView());
}

TEST_F(ViewFixture, EachBoardKeepsItsOwnViewAndHistory)
{
    TBoard second;
    second.BoardWidth = 5000;
    second.BoardHeight = 5000;

    view.zoomBoard();
    view.SetZoom(0.2);
    view.setScrollPosition(7, 9);
    view.storeInto(board);
    view.loadFrom(second);
    EXPECT_FALSE(view.canPopView());
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    view.SetZoom(0.3);
    view.PushView();
    view.storeInto(second);

    view.loadFrom(board);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.2);
    EXPECT_EQ(view.scrollPosition(), QPoint(7, 9));
    EXPECT_EQ(board.PreviousViews.size(), 1u);
    EXPECT_EQ(second.PreviousViews.size(), 1u);
    EXPECT_DOUBLE_EQ(second.PreviousViews[0].Zoom, 0.3);
}

TEST(ViewLoad, UnusableValuesOfAForeignFileAreReplaced)
{
    TBoard b;
    b.Zoom = std::numeric_limits<double>::quiet_NaN();
    b.Grid = -5;
    b.ScrollX = -100;
    b.ScrollY = 1'000'000;
    ViewModel view;
    view.setViewportSize({800, 600});
    view.loadFrom(b);
    EXPECT_DOUBLE_EQ(view.zoom(), DefaultZoom);
    EXPECT_DOUBLE_EQ(view.grid(), 254.0);
    EXPECT_EQ(view.scrollPosition(), QPoint(0, 401));
    b.Zoom = 40;
    view.loadFrom(b);
    EXPECT_DOUBLE_EQ(view.zoom(), 1.0);
}

TEST_F(ViewFixture, WheelZoomsInOnTheCursorAndOutAroundTheCentreWithoutHistory)
{
    view.wheel(120, {100, 50}); // board point (1000, −500)
    EXPECT_DOUBLE_EQ(view.zoom(), 0.14);
    // round(0.14 × (1000 − round(400 / 0.14))) is negative: limited to 0
    EXPECT_EQ(view.scrollPosition(), QPoint(0, 0));

    view.setScrollPosition(600, 300);
    const QPointF centre = view.boardPointAt({400, 300});
    view.wheel(-120, {10, 10});
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    EXPECT_NEAR(view.boardPointAt({400, 300}).x(), centre.x(), 10);
    EXPECT_NEAR(view.boardPointAt({400, 300}).y(), centre.y(), 10);

    view.SetZoom(0.5);
    view.wheel(120, {400, 300});
    const QPointF under = view.boardPointAt({400, 300});
    view.wheel(120, {400, 300}); // the point under the cursor stays under it at the centre
    EXPECT_NEAR(view.boardPointAt({400, 300}).x(), under.x(), 2);
    EXPECT_FALSE(view.canPopView());
}

TEST_F(ViewFixture, ZoomAtCursorKeepsThePointUnderTheCursorBothWays)
{
    view.SetZoom(0.5);
    view.setScrollPosition(2000, 1500);
    const QPoint cursor{150, 420};
    const QPointF under = view.boardPointAt(cursor);
    for (int delta : {120, 120, -120, -120, -120}) {
        view.wheelAtCursor(delta, cursor);
        // Within a pixel: the scroll position is whole pixels.
        EXPECT_NEAR(view.boardPointAt(cursor).x(), under.x(), 1.0 / view.zoom()) << delta;
        EXPECT_NEAR(view.boardPointAt(cursor).y(), under.y(), 1.0 / view.zoom()) << delta;
    }
    EXPECT_NEAR(view.zoom(), 0.5 / 1.4, 1e-12);
    EXPECT_FALSE(view.canPopView());
}

TEST_F(ViewFixture, ShiftAndCtrlWheelScrollAFifthOfTheViewPerNotch)
{
    view.SetZoom(0.5);
    view.setScrollPosition(2000, 1500);
    const double zoom = view.zoom();
    view.wheelScroll(-120, true); // towards the user: to the right
    EXPECT_EQ(view.scrollPosition(), QPoint(2000 + 800 / 5, 1500));
    view.wheelScroll(240, false); // two notches away: up
    EXPECT_EQ(view.scrollPosition(), QPoint(2160, 1500 - 2 * 600 / 5));
    view.wheelScroll(120000, false); // limited to the scroll range
    EXPECT_EQ(view.scrollPosition().y(), 0);
    EXPECT_DOUBLE_EQ(view.zoom(), zoom);
}

TEST_F(ViewFixture, MirroredViewMeasuresCentresFromTheRightEdge)
{
    view.setMirrored(true);
    EXPECT_EQ(view.surfaceX(1000), 15000);
    view.SetZoom(0.5);
    view.zoomToolRelease({1000, -2000}, {1000, -2000}); // a click: zoom in at the point
    EXPECT_DOUBLE_EQ(view.zoom(), 0.7);
    // centred on surface x 15000: round(0.7 × (15000 − round(400 / 0.7)))
    EXPECT_EQ(view.scrollPosition().x(), RoundHalfEven(0.7 * (15000 - RoundHalfEven(400 / 0.7))));
    EXPECT_NEAR(view.boardPointAt({400, 300}).x(), 1000, 2);
}

TEST_F(ViewFixture, ZoomToolRectangleFitsTheRectangle)
{
    view.zoomToolRelease({2000, -1000}, {6000, -4000}); // 400 × 300 px at zoom 0.1
    EXPECT_DOUBLE_EQ(view.zoom(), 0.2);                 // min(800 / 4000, 600 / 3000)
    EXPECT_NEAR(view.boardPointAt({400, 300}).x(), 4000, 5);
    EXPECT_NEAR(view.boardPointAt({400, 300}).y(), -2500, 5);
    EXPECT_EQ(board.PreviousViews.size(), 1u);
    view.zoomToolRightClick();
    EXPECT_NEAR(view.zoom(), 0.2 / 1.4, 1e-12);
    EXPECT_EQ(board.PreviousViews.size(), 2u);
}

// --- grid --------------------------------------------------------------------------------------

TEST(GridCaption, GeneralFormatPaddedToNineCharacters)
{
    EXPECT_EQ(GridCaption(254), QStringLiteral("  2.54 mm"));
    EXPECT_EQ(GridCaption(7.9375), QStringLiteral("0.079375 mm"));
    EXPECT_EQ(GridCaption(50), QStringLiteral("   0.5 mm"));
    EXPECT_EQ(GridCaption(9990), QStringLiteral("  99.9 mm"));
    EXPECT_EQ(GridCaption(1), QStringLiteral("  0.01 mm"));
}

TEST(GridSuppression, NoLinesCloserThanFourPixels)
{
    EXPECT_FALSE(GridLinesShown(7.9375, 0.1)); // about 0.8 pixels apart
    EXPECT_TRUE(GridLinesShown(254, 0.1));
    EXPECT_FALSE(GridLinesShown(40, 0.1)); // 4 pen widths of 10 units are not less than 40
    EXPECT_TRUE(GridLinesShown(40.5, 0.1));
    EXPECT_TRUE(GridLinesShown(7.9375, 1.0));
    EXPECT_FALSE(GridLinesShown(0, 1.0));
    EXPECT_FALSE(GridLinesShown(std::numeric_limits<double>::quiet_NaN(), 1.0));
    EXPECT_TRUE(GridLinesIn(16000, 10000, 7.9375, 0.1, 4, {0, -10000, 16000, 0}).empty());
}

TEST(GridLines, InsideTheBoardOnlyWithMarkingAndRoundedPositions)
{
    const TRect all{0, -600, 1000, 0};
    const auto lines = GridLinesIn(1000, 600, 254, 1.0, 2, all);
    std::vector<std::int32_t> xs, ys;
    std::vector<bool> xMarked;
    for (const GridLine& l : lines) {
        if (l.x1 == l.x2) {
            xs.push_back(l.x1);
            xMarked.push_back(l.marked);
            EXPECT_EQ(l.y1, -600);
            EXPECT_EQ(l.y2, 0);
        } else {
            ys.push_back(l.y1);
        }
    }
    EXPECT_EQ(xs, (std::vector<std::int32_t>{254, 508, 762}));
    EXPECT_EQ(xMarked, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(ys, (std::vector<std::int32_t>{-254, -508}));

    // No line on the board edge: a 508-unit board has one vertical line.
    int vertical = 0;
    for (const GridLine& l : GridLinesIn(508, 600, 254, 1.0, 0, {0, -600, 508, 0}))
        vertical += l.x1 == l.x2;
    EXPECT_EQ(vertical, 1);

    // A fractional grid rounds each line on its own, halves to even: 12.5 → 12, 37.5 → 38.
    xs.clear();
    for (const GridLine& l : GridLinesIn(60, 60, 12.5, 1.0, 0, {0, -60, 60, 0}))
        if (l.x1 == l.x2)
            xs.push_back(l.x1);
    EXPECT_EQ(xs, (std::vector<std::int32_t>{12, 25, 38, 50}));
}

TEST(GridLines, OnlyThoseOfTheRepaintedAreaAndNoneForAHugeForeignBoard)
{
    const auto lines = GridLinesIn(16000, 10000, 254, 1.0, 0, {300, -700, 600, -200});
    ASSERT_EQ(lines.size(), 3u); // x 508; y −254, −508
    for (const GridLine& l : lines) {
        if (l.x1 == l.x2) {
            EXPECT_EQ(l.x1, 508);
            EXPECT_EQ(l.y1, -700);
            EXPECT_EQ(l.y2, -200);
        } else {
            EXPECT_EQ(l.x1, 300);
            EXPECT_EQ(l.x2, 600);
        }
    }
    // A board at the 32-bit limit: only the lines of the area are produced.
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(GridLinesIn(big, big, 254, 1.0, 0, {1000, -1300, 1300, -1000}).size(),
              4u); // 1016 and 1270 each way
    EXPECT_TRUE(GridLinesIn(1, 1, 254, 1.0, 0, {0, -1, 1, 0}).empty());
}

TEST(GridMarking, OnlyTheOfferedValues)
{
    ViewModel view;
    for (int m : {0, 2, 4, 5, 10})
        EXPECT_TRUE(view.setGridMarking(m)) << m;
    EXPECT_FALSE(view.setGridMarking(3));
    EXPECT_FALSE(view.setGridMarking(-1));
    EXPECT_EQ(view.gridMarking(), 10);
    EXPECT_FALSE(view.setGrid(0));
    EXPECT_FALSE(view.setGrid(std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(view.setGrid(7.9375));
    EXPECT_EQ(view.gridCaption(), QStringLiteral("0.079375 mm"));
}

// --- rulers --------------------------------------------------------------------------------------

TEST(Rulers, LabelStepDependsOnTheTickSpacing)
{
    EXPECT_EQ(RulerLabelStep(40.01), 1);
    EXPECT_EQ(RulerLabelStep(40), 10);
    EXPECT_EQ(RulerLabelStep(3), 10);
    EXPECT_EQ(RulerLabelStep(2.99), 25);
    EXPECT_EQ(RulerLabel(125, false), QStringLiteral("125"));
    EXPECT_EQ(RulerLabel(-5, true), QStringLiteral("-0.5"));
    EXPECT_EQ(RulerLabel(118, true), QStringLiteral("11.8"));
}

TEST(Rulers, HorizontalTicksFollowTheOriginAndTheScroll)
{
    // zoom 0.1, mm: p = 10 px, labels every 10 ticks, half steps 8 px, others 4 px
    auto ticks = HorizontalRulerTicks(0.1, false, 0, 26, 1000, 300);
    auto at = [&](int pos) -> const RulerTick* {
        for (const RulerTick& t : ticks)
            if (t.pos == pos)
                return &t;
        return nullptr;
    };
    ASSERT_NE(at(126), nullptr); // e = 0 at the origin, 10 mm right of the board edge
    EXPECT_EQ(at(126)->length, 14);
    EXPECT_EQ(at(126)->label, QStringLiteral("0"));
    ASSERT_NE(at(26), nullptr);
    EXPECT_EQ(at(26)->label, QStringLiteral("-10"));
    ASSERT_NE(at(176), nullptr);
    EXPECT_EQ(at(176)->length, 8);
    ASSERT_NE(at(136), nullptr);
    EXPECT_EQ(at(136)->length, 4);

    ticks = HorizontalRulerTicks(0.1, false, 500, 26, 1000, 300);
    ASSERT_NE(at(126), nullptr); // scrolled by 500 px: e = 50 is where e = 0 was
    EXPECT_EQ(at(126)->label, QStringLiteral("50"));

    // inch: p = 25.4, tick 5 (half inch) at round(5 × 25.4 + 26)
    ticks = HorizontalRulerTicks(0.1, true, 0, 26, 0, 300);
    ASSERT_NE(at(153), nullptr);
    EXPECT_EQ(at(153)->length, 8);
    ASSERT_NE(at(280), nullptr);
    EXPECT_EQ(at(280)->label, QStringLiteral("1"));
}

TEST(Rulers, SmallTicksDisappearWhenCrowded)
{
    // p = 3.5: the horizontal ruler drops its 8- and 4-pixel ticks, the vertical keeps the 8s.
    for (const RulerTick& t : HorizontalRulerTicks(0.035, false, 0, 26, 0, 400))
        EXPECT_EQ(t.length, 14);
    int eights = 0;
    for (const RulerTick& t : VerticalRulerTicks(0.035, false, 0, 0, 10000, 400)) {
        EXPECT_NE(t.length, 4);
        eights += t.length == 8;
    }
    EXPECT_GT(eights, 0);
    // p = 1: labels every 25 mm
    const auto coarse = HorizontalRulerTicks(0.01, false, 0, 26, 0, 400);
    ASSERT_FALSE(coarse.empty());
    for (const RulerTick& t : coarse)
        EXPECT_EQ((t.pos - 26) % 25, 0);
}

TEST(Rulers, TicksEndAtThreeHundredMillimetresAndAtTheBoardHeight)
{
    // zoom 1: e = 300 at 26 + 30000 − 29950 = 76; e = 301 would be at 176 and is not made
    const auto h = HorizontalRulerTicks(1.0, false, 29950, 26, 0, 400);
    ASSERT_FALSE(h.empty());
    EXPECT_EQ(h.back().pos, 76);
    EXPECT_EQ(h.back().label, QStringLiteral("300"));
    // vertical: n = round(H / s) = 20 for a 20 mm board; origin y −2000 puts e = 0 at 202
    const auto v = VerticalRulerTicks(0.1, false, 0, -2000, 2000, 1000);
    EXPECT_EQ(v.front().pos, 202 - 200);
    EXPECT_EQ(v.back().pos, 202 + 200);
    // A board height at the 32-bit limit still gives only the ticks in reach.
    EXPECT_LT(VerticalRulerTicks(1.0, false, 0, 0, std::numeric_limits<std::int32_t>::max(), 500).size(),
              10u);
}

TEST(Rulers, UnitButtonCaptionFollowsTheLanguage)
{
    {
        Language german(0);
        EXPECT_EQ(UnitButtonCaption(false), QStringLiteral("M"));
        EXPECT_EQ(UnitButtonCaption(true), QStringLiteral("Z"));
    }
    {
        Language english(1);
        EXPECT_EQ(UnitButtonCaption(true), QStringLiteral("I"));
    }
    Language french(2);
    EXPECT_EQ(UnitButtonCaption(true), QStringLiteral("I"));
}

// --- navigator -------------------------------------------------------------------------------------

TEST_F(ViewFixture, NavigatorShowsTheBoardEightyPixelsLongAndTheVisibleArea)
{
    view.setScrollPosition(400, 200);
    NavigatorGeometry g = view.navigator();
    EXPECT_DOUBLE_EQ(g.unitsPerPixel, 200);
    EXPECT_EQ(g.board, QRect(6, 21, 80, 50));
    EXPECT_EQ(g.frame, QRect(5, 20, 82, 52));
    EXPECT_EQ(g.visible, QRect(26, 31, 40, 30));

    TBoard tall;
    tall.BoardWidth = 5000;
    tall.BoardHeight = 10000;
    view.loadFrom(tall);
    g = view.navigator();
    EXPECT_EQ(g.board.size(), QSize(40, 80));
    EXPECT_EQ(g.board.left(), 26);
}

TEST_F(ViewFixture, NavigatorDragScrollsAndStaysOnTheBoard)
{
    EXPECT_EQ(view.navigatorDragTo({20, 10}), QPoint(20, 10));
    EXPECT_EQ(view.scrollPosition(), QPoint(400, 200)); // round(0.1 × 20 × 200)
    EXPECT_EQ(view.navigatorDragTo({100, -5}), QPoint(40, 0));
    EXPECT_EQ(view.scrollPosition(), QPoint(800, 0));
    EXPECT_FALSE(view.canPopView());

    view.navigatorClick(false);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.14);
    view.navigatorClick(true);
    EXPECT_DOUBLE_EQ(view.zoom(), 0.1);
    EXPECT_EQ(board.PreviousViews.size(), 2u);
}

// The printed sheet drawn into pictures at 10 pixels per millimetre: colours of the negative and
// ground-plane combinations, tiles, mirroring, solder masks, drill plans, centring and the
// clipboard bitmap.
#include "print/printsheet.h"
#include "view/qpaintercanvas.h"

#include <QImage>
#include <QPainter>

#include <limits>

#include <gtest/gtest.h>

using namespace trevok;

namespace
{

constexpr ColourRef Blue = Rgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const QRgb BlueQ = qRgb(0, 0, 255);

/// The sheet at 254 dpi: one pixel is 0.1 mm; the default offsets put the board's corner at
/// pixel (10, 10).
QImage render(TBoard& board, const PrintSettings& s, QSize size = {600, 400})
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    canvas.setMapping(PrinterMapping(254, 254, s));
    DrawPrintSheet(canvas, board, s, {}, PrintSheetOrigin(board, s));
    p.end();
    return img;
}

TBoard smallBoard()
{
    TBoard b;
    b.BoardWidth = 4000;
    b.BoardHeight = 2000;
    return b;
}

PrintSettings copperOnly()
{
    PrintSettings s;
    s.layers = {true, false, false, false};
    s.layerColours[0] = Blue;
    s.outline = false;
    return s;
}

void addTrack(TBoard& b, TPoint a, TPoint c, int width, int clearance, std::uint8_t layer = LayerK1)
{
    auto t = NewTrack(width, layer);
    t->Points = {a, c};
    t->Clearance = clearance;
    b.Elements.push_back(std::move(t));
}

} // namespace

TEST(PrintSheet, NegativeAndGroundPlaneColours)
{
    // A 2 mm track along y = -10 mm with 1 mm clearance; pixels: copper on the track, the
    // clearance ring 1.5 mm from its centre line, and plain background 6 mm from it.
    struct Case {
        bool plane, negative;
        QRgb background, clearance, copper;
    } cases[] = {
        {false, false, White, White, BlueQ},
        {false, true, BlueQ, BlueQ, White},
        {true, false, BlueQ, White, BlueQ},
        {true, true, White, BlueQ, White},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "plane " << c.plane << " negative " << c.negative);
        TBoard b = smallBoard();
        b.GroundPlane1 = c.plane;
        addTrack(b, {1000, -1000}, {3000, -1000}, 200, 100);
        PrintSettings s = copperOnly();
        s.negative = c.negative;
        const QImage img = render(b, s);
        EXPECT_EQ(img.pixel(210, 110), c.copper);
        EXPECT_EQ(img.pixel(210, 125), c.clearance);
        EXPECT_EQ(img.pixel(210, 170), c.background);
        EXPECT_EQ(img.pixel(450, 110), White) << "nothing outside the board";
    }
}

TEST(PrintSheet, ThreeByTwoTilesWithGapGiveSixCopies)
{
    TBoard b = smallBoard();
    PrintSettings s = copperOnly();
    s.negative = true; // fills each board rectangle, which makes copies easy to find
    s.tilesX = 3;
    s.tilesY = 2;
    s.gap = 500;
    const QImage img = render(b, s, {1500, 600});
    int copies = 0;
    for (int r = 0; r < 3; ++r)
        for (int i = 0; i < 4; ++i) {
            // Tile (i, r) starts 45 mm right and 25 mm down of the one before.
            const int x = 10 + i * 450 + 200, y = 10 + r * 250 + 100;
            if (x < img.width() && y < img.height() && img.pixel(x, y) == BlueQ)
                ++copies;
        }
    EXPECT_EQ(copies, 6);
    EXPECT_EQ(img.pixel(10 + 400 + 25, 110), White) << "the gap between columns";
    EXPECT_EQ(img.pixel(210, 10 + 200 + 25), White) << "the gap between rows";
    EXPECT_EQ(img.pixel(10 + 2 * 450 + 395, 10 + 250 + 195), BlueQ) << "last tile reaches its far corner";
}

TEST(PrintSheet, MirrorPutsTheLeftEdgeOnTheRightAtTheSamePlace)
{
    TBoard b = smallBoard();
    addTrack(b, {300, -500}, {300, -1500}, 100, 0);
    PrintSettings s = copperOnly();
    s.outline = true;
    const QImage plain = render(b, s);
    s.mirror = true;
    const QImage mirrored = render(b, s);
    EXPECT_EQ(plain.pixel(10 + 30, 110), BlueQ);
    EXPECT_EQ(mirrored.pixel(10 + 30, 110), White);
    EXPECT_EQ(mirrored.pixel(10 + 400 - 30, 110), BlueQ);
    // The outline stays where it was: the board keeps its place on the page.
    EXPECT_NE(mirrored.pixel(10, 110), White);
    EXPECT_NE(mirrored.pixel(410, 110), White);
}

TEST(PrintSheet, SolderMaskGrowsPadsAndDrillPlanMarksOnlyHoles)
{
    TBoard b = smallBoard();
    b.Elements.push_back(NewPad({1000, -1000}, 100, ShapeRound, LayerK1, 40));
    b.Elements.push_back(NewPad({3000, -1000}, 100, ShapeRound, LayerK1, 0));
    PrintSettings s;
    s.layers = {false, false, false, false};
    s.outline = false;
    s.mask[0] = true;
    s.maskColours[0] = Blue;
    const QImage mask = render(b, s);
    // Radius 1 mm plus the 0.3 mm margin: solid at 1.2 mm, nothing at 1.45 mm; the hole filled.
    EXPECT_EQ(mask.pixel(110 + 12, 110), BlueQ);
    EXPECT_EQ(mask.pixel(110 + 15, 110), White);
    EXPECT_EQ(mask.pixel(110, 110), BlueQ);
    s.padMaskMargin = 60;
    EXPECT_EQ(render(b, s).pixel(110 + 15, 110), BlueQ);

    s.mask[0] = false;
    s.drillPlan[0] = true;
    s.drillColours[0] = Blue;
    const QImage plan = render(b, s);
    auto darkAround = [&](int cx, int cy, int r) {
        int n = 0;
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                n += plan.pixel(x, y) != White;
        return n;
    };
    EXPECT_GT(darkAround(110, 110, 2), 0) << "the cross of the drilled pad";
    EXPECT_GT(darkAround(110, 110 - 7, 4), 0) << "its diameter label above";
    EXPECT_EQ(darkAround(310, 110, 2), 0) << "a pad without a hole gets no cross";
    EXPECT_EQ(darkAround(310, 110 - 7, 4), 0) << "nor a label";
}

TEST(PrintSheet, FillColourIsTheFirstPrintedLayerInOrder)
{
    PrintSettings s;
    s.layerColours = {Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0), Rgb(4, 0, 0)};
    s.maskColours = {Rgb(5, 0, 0), Rgb(6, 0, 0)};
    s.drillColours = {Rgb(7, 0, 0), Rgb(8, 0, 0)};
    EXPECT_EQ(s.fillColour(), Rgb(1, 0, 0));
    s.layers = {false, true, true, true};
    EXPECT_EQ(s.fillColour(), Rgb(3, 0, 0)) << "K2 before the print layers";
    s.layers = {false, true, false, true};
    s.drillPlan = {false, true};
    s.mask = {false, true};
    EXPECT_EQ(s.fillColour(), Rgb(6, 0, 0));
    s.mask = {false, false};
    EXPECT_EQ(s.fillColour(), Rgb(8, 0, 0));
}

TEST(PrintSheet, ScaleChangeKeepsTheBoardsPlaceOnThePage)
{
    PrintSettings s;
    s.setDivisor(FreeScaleDivisor(20));
    EXPECT_DOUBLE_EQ(s.divisor, 0.5);
    EXPECT_EQ(s.offsetX, -50);
    EXPECT_EQ(s.offsetY, 50);
    s.setDivisor(FreeScaleDivisor(1));
    EXPECT_EQ(s.offsetX, -1000);
    EXPECT_EQ(s.offsetY, 1000);

    TBoard b = smallBoard();
    PrintSettings big;
    big.setDivisor(0.5);
    const QImage img = render(b, big, {1000, 600});
    EXPECT_NE(img.pixel(10, 200), White) << "left edge still 1 mm from the corner";
    EXPECT_NE(img.pixel(10 + 800, 200), White) << "the board twice as wide";
    EXPECT_NE(img.pixel(300, 10 + 400), White) << "and twice as tall";
}

TEST(PrintSheet, CentringPutsTheTileBlockInTheMiddleOfThePrintableArea)
{
    TBoard b;
    b.BoardWidth = 10000;
    b.BoardHeight = 5000;
    for (const double d : {1.0, 0.5, 2.0}) {
        PrintSettings s;
        s.setDivisor(d);
        s.tilesX = 2;
        s.gap = 300;
        const TPoint off = CentredOffsets(b, s, QSizeF(200, 280));
        s.offsetX = off.x;
        s.offsetY = off.y;
        CanvasMapping m = PrinterMapping(2540, 2540, s); // 1 device pixel = 0.01 mm
        const TPoint o = PrintSheetOrigin(b, s);
        m.windowOrgX = o.x;
        m.windowOrgY = o.y;
        const double centreX = (2.0 * b.BoardWidth + s.gap) / 2.0;
        EXPECT_NEAR(m.deviceX(centreX), 10000, 2) << d;
        EXPECT_NEAR(m.deviceY(-b.BoardHeight / 2.0), 14000, 2) << d;
    }
}

TEST(PrintSheet, ClipboardBitmapIsTheBoardAt300Dpi)
{
    TBoard b;
    b.BoardWidth = 10000;
    b.BoardHeight = 5000;
    addTrack(b, {100, -2500}, {1000, -2500}, 200, 0);
    PrintSettings s;
    s.offsetX = 5000; // the bitmap ignores where the board lies on the page
    const QImage img = PrintSheetBitmap(b, s, {});
    EXPECT_EQ(img.size(), QSize(1181, 591));
    EXPECT_EQ(img.format(), QImage::Format_RGB888);
    EXPECT_EQ(img.pixel(59, 295), qRgb(0, 0, 0)) << "the track 5 mm from the left edge";
    s.mirror = true;
    EXPECT_EQ(PrintSheetBitmap(b, s, {}).pixel(1181 - 59, 295), qRgb(0, 0, 0));
}

TEST(PrintSheet, BoardsAndPadsAtTheEndsOfThe32BitRangeAreDrawnWithoutOverflow)
{
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    const struct {
        std::int32_t width, height;
    } boards[] = {{4000, Min}, {Min, 2000}, {Min, Min}};
    for (const auto& size : boards) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        TBoard b;
        b.BoardWidth = size.width;
        b.BoardHeight = size.height;
        for (const TPoint at : {TPoint{Max - 10, Min + 10}, TPoint{Min + 10, Max - 10}, TPoint{200, -200}})
            b.Elements.push_back(NewPad(at, 50, ShapeRound, LayerK1, 20));
        for (const bool mirror : {false, true}) {
            PrintSettings s = copperOnly();
            s.outline = s.targets = true;
            s.drillPlan = {true, true};
            s.mirror = mirror;
            const QImage img = render(b, s);
            EXPECT_FALSE(img.isNull());
            EXPECT_FALSE(PrintSheetBitmap(b, s, {}).isNull());
        }
    }
}

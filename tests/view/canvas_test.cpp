// The canvas: the view mapping and its inverse, arcs turning the right way (also mirrored),
// the pixel rules of the screen canvas, clipping, and legacy font text placement.

#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace trevok
{
namespace
{

enum class Backend { Screen, QPainterBackend };

QImage paint(Backend backend, const CanvasMapping& m, const std::function<void(Canvas&)>& draw,
             QSize size = {200, 200})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (backend == Backend::Screen) {
        ImageCanvas c(image);
        c.setMapping(m);
        draw(c);
    } else {
        QPainter p(&image);
        QPainterCanvas c(p);
        c.setMapping(m);
        draw(c);
    }
    return image;
}

int countColour(const QImage& image, QRgb colour, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

const QRgb Black = qRgb(0, 0, 0);

TEST(CanvasMapping, ViewPutsTheBoardOriginAtMinusTheScrollAndYUp)
{
    const CanvasMapping m = CanvasMapping::view(0.25, 40, -10);
    EXPECT_DOUBLE_EQ(m.deviceX(0), -40);
    EXPECT_DOUBLE_EQ(m.deviceY(0), 10);
    EXPECT_DOUBLE_EQ(m.deviceX(400), 60);
    EXPECT_DOUBLE_EQ(m.deviceY(-400), 110);
    EXPECT_DOUBLE_EQ(m.unitPixels(), 0.25);
    EXPECT_TRUE(m.keepsTurn());
    EXPECT_DOUBLE_EQ(m.logicalX(m.deviceX(1234)), 1234);
    EXPECT_DOUBLE_EQ(m.logicalY(m.deviceY(-987)), -987);
}

TEST(CanvasMapping, ViewportExtentIsTheRoundedZoomTimesTenThousand)
{
    // 0.00001 * 10000 rounds to 0: the extent is kept at one, never zero.
    EXPECT_DOUBLE_EQ(CanvasMapping::view(0.00001, 0, 0).unitPixels(), 0.0001);
    // 0.01234567 * 10000 = 123.4567 -> 123
    EXPECT_DOUBLE_EQ(CanvasMapping::view(0.01234567, 0, 0).unitPixels(), 0.0123);
}

TEST(CanvasMapping, MirroredViewShowsTheRightBoardEdgeAtTheLeft)
{
    const CanvasMapping m = CanvasMapping::view(0.1, 0, 0, true, 16000);
    EXPECT_DOUBLE_EQ(m.deviceX(16000), 0);
    EXPECT_DOUBLE_EQ(m.deviceX(0), 1600);
    EXPECT_DOUBLE_EQ(m.deviceY(-1000), 100);
    EXPECT_FALSE(m.keepsTurn());
}

TEST(CanvasMapping, DeviceRectanglesTurnIntoBoardRectanglesAndBack)
{
    const CanvasMapping m = CanvasMapping::view(0.1, 100, 50);
    const TRect r = DeviceToBoard(m, QRect(0, 0, 10, 20)); // pixels 0..9 x 0..19
    EXPECT_EQ(r, (TRect{1000, -700, 1100, -500}));
    auto pad = NewPad({2000, -1000}, 100, ShapeRound, LayerK1, 30);
    pad->Clearance = 50; // bounds 2000 +- 150
    EXPECT_EQ(ElementRepaintRect(*pad, m), QRect(QPoint(85 - 5, 35 - 5), QPoint(115 + 5, 65 + 5)));
}

class CanvasTest : public ::testing::TestWithParam<Backend>
{
};

INSTANTIATE_TEST_SUITE_P(Canvases, CanvasTest, ::testing::Values(Backend::Screen, Backend::QPainterBackend),
                         [](const auto& info) {
                             return info.param == Backend::Screen ? "Screen" : "QPainter";
                         });

TEST_P(CanvasTest, ArcsTurnAnticlockwiseOnTheBoardAndMirrorWithTheView)
{
    // A quarter arc from 0 to 90 degrees about (100, -100): the upper right quadrant on the
    // screen; mirrored, the upper left one.
    auto quarter = [](Canvas& c) {
        c.setPen(CanvasPen::units(0, 10, PenStyle::Solid));
        c.arc(40, -40, 160, -160, {160, -100}, {100, -40});
    };
    // Quadrants about the centre (100, 100), leaving out the round pen ends (radius 5) that
    // reach a little past the axes.
    const QRect upperLeft(0, 0, 94, 94), upperRight(106, 0, 94, 94), lower(0, 106, 200, 94);
    QImage img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), quarter);
    EXPECT_GT(countColour(img, Black, upperRight), 50);
    EXPECT_EQ(countColour(img, Black, upperLeft), 0);
    EXPECT_EQ(countColour(img, Black, lower), 0);

    img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0, true, 200), quarter);
    EXPECT_GT(countColour(img, Black, upperLeft), 50);
    EXPECT_EQ(countColour(img, Black, upperRight), 0);

    // The long way round, from 90 to 0: three quadrants.
    img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), [](Canvas& c) {
        c.setPen(CanvasPen::units(0, 10, PenStyle::Solid));
        c.arc(40, -40, 160, -160, {100, -40}, {160, -100});
    });
    EXPECT_GT(countColour(img, Black, upperLeft), 50);
    EXPECT_GT(countColour(img, Black, lower), 100);
}

TEST_P(CanvasTest, ChordFillsTheSegmentBetweenArcAndLine)
{
    // Half a disc: from 0 to 180 degrees, the upper half.
    const QImage img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), [](Canvas& c) {
        c.setPen(CanvasPen::pixels(0, 1));
        c.setBrush(CanvasBrush::solid(0));
        c.chord(40, -40, 160, -160, {160, -100}, {40, -100});
    });
    EXPECT_EQ(img.pixel(100, 70), Black);
    EXPECT_EQ(img.pixel(100, 130), qRgb(255, 255, 255));
}

TEST_P(CanvasTest, EvenOddFillLeavesTheOverlapOfASelfCrossingOutlineEmpty)
{
    // A five-pointed star drawn in one stroke: its centre is covered twice, so even-odd leaves it.
    const QImage img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), [](Canvas& c) {
        const TPoint star[5] = {{100, -10}, {153, -180}, {10, -75}, {190, -75}, {47, -180}};
        c.setPen(CanvasPen::none());
        c.setBrush(CanvasBrush::solid(0));
        c.polygon(star, 5);
    });
    EXPECT_EQ(img.pixel(100, 100), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(100, 40), Black);
}

TEST_P(CanvasTest, InsideFrameKeepsAWidePenInsideTheRectangle)
{
    const QImage img = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), [](Canvas& c) {
        c.setPen(CanvasPen::units(0, 20, PenStyle::InsideFrame));
        c.setBrush(CanvasBrush::none());
        c.rectangle(50, -50, 150, -150);
    });
    EXPECT_EQ(img.pixel(46, 100), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(53, 100), Black);
    EXPECT_EQ(img.pixel(66, 100), Black);
    EXPECT_EQ(img.pixel(75, 100), qRgb(255, 255, 255));
}

TEST_P(CanvasTest, HatchIsTiledFromTheBoardOrigin)
{
    // The same hatched square drawn with the view scrolled by 3 pixels moves with the board.
    const std::array<std::uint8_t, 8> rows = HatchRows();
    const PatternBrush hatch = PatternBrush::make(rows, 0, Rgb(255, 255, 255));
    auto square = [&](Canvas& c) {
        c.setPen(CanvasPen::none());
        c.setBrush(CanvasBrush::hatch(hatch));
        c.rectangle(20, -20, 120, -120);
    };
    const QImage a = paint(GetParam(), CanvasMapping::view(1.0, 0, 0), square);
    const QImage b = paint(GetParam(), CanvasMapping::view(1.0, 3, 5), square);
    for (int y = 30; y < 110; ++y)
        for (int x = 30; x < 110; ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x - 3, y - 5)) << x << "," << y;
    EXPECT_GT(countColour(a, Black, QRect(30, 30, 80, 80)), 80 * 80 / 3);
}

TEST_P(CanvasTest, LegacyFontTextStartsAtItsBoxAndAtTheOtherCornerWhenMirrored)
{
    // A font text on a 600 x 150 box; mirrored it must still fill its (mirrored) box, which
    // means starting from the box's other x.
    TObjekt t;
    t.Kind = KindFontText;
    t.Layer = LayerK1;
    t.X = 200;
    t.Y = -200;
    t.Size1 = 800;
    t.Size2 = -350;
    t.Width = -120; // character height
    t.Text = "HHHH";
    auto drawText = [&](bool mirrored) {
        return paint(GetParam(), CanvasMapping::view(0.2, 0, 0, mirrored, 1000), [&](Canvas& c) {
            DrawSettings s;
            s.mirrored = mirrored;
            ElementPainter painter(c, s);
            painter.DrawInColour(t, 0, false);
        });
    };
    // Box on the screen: x 40..160, y 40..70; mirrored: x 40..160 as well (1000 - 800 .. 1000 - 200).
    QImage img = drawText(false);
    const QRect box(40, 40, 120, 35);
    const int inside = countColour(img, Black, box);
    EXPECT_GT(inside, 100);
    EXPECT_EQ(inside, countColour(img, Black)) << "all ink within the box";
    img = drawText(true);
    EXPECT_GT(countColour(img, Black, box), 100);
    EXPECT_EQ(countColour(img, Black, box), countColour(img, Black));
}

TEST(ImageCanvas, ClipLimitsEveryPrimitive)
{
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    ImageCanvas c(image, QRect(20, 30, 40, 10));
    c.setMapping(CanvasMapping::view(1.0, 0, 0));
    c.setPen(CanvasPen::units(0, 7));
    c.setBrush(CanvasBrush::solid(0));
    const TPoint path[3] = {{0, 0}, {100, -100}, {0, -100}};
    c.polyline(path, 3);
    c.ellipse(0, 0, 100, -100);
    c.rectangle(10, -10, 90, -90);
    c.line({0, -35}, {100, -35});
    c.setPen(CanvasPen::pixels(0, 1, PenStyle::Dot));
    c.line({0, -50}, {100, -50});
    EXPECT_GT(countColour(image, qRgb(0, 0, 0), QRect(20, 30, 40, 10)), 0);
    EXPECT_EQ(countColour(image, qRgb(0, 0, 0)), countColour(image, qRgb(0, 0, 0), QRect(20, 30, 40, 10)));
}

TEST(ImageCanvas, RefusesImagesItCannotWriteDirectly)
{
    QImage gray(10, 10, QImage::Format_Grayscale8);
    EXPECT_THROW(ImageCanvas c(gray), std::invalid_argument);
}

TEST(ImageCanvas, OnePixelPenInTheFillColourCoversTheOutlinePixels)
{
    // A rectangle from 10 to 20 with a one-pixel pen covers pixels 10..20 inclusive, the same
    // as the fill with its outline drawn on top in another colour.
    QImage a(40, 40, QImage::Format_RGB32), b(40, 40, QImage::Format_RGB32);
    a.fill(Qt::white);
    b.fill(Qt::white);
    {
        ImageCanvas c(a);
        c.setMapping(CanvasMapping::view(1.0, 0, 0));
        c.setPen(CanvasPen::pixels(0, 1));
        c.setBrush(CanvasBrush::solid(0));
        c.rectangle(10, -10, 20, -20);
    }
    {
        ImageCanvas c(b);
        c.setMapping(CanvasMapping::view(1.0, 0, 0));
        c.setPen(CanvasPen::pixels(Rgb(255, 0, 0), 1));
        c.setBrush(CanvasBrush::solid(0));
        c.rectangle(10, -10, 20, -20);
    }
    EXPECT_EQ(countColour(a, qRgb(0, 0, 0)), 11 * 11);
    EXPECT_EQ(countColour(b, qRgb(0, 0, 0)) + countColour(b, qRgb(255, 0, 0)), 11 * 11);
    EXPECT_EQ(countColour(b, qRgb(255, 0, 0)), 40);
}

} // namespace
} // namespace trevok

// The canvas: the view mapping and its inverse, arcs turning the right way (also mirrored),
// the pixel rules of the screen canvas, clipping, and legacy font text placement.

#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

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

TEST(ImageCanvas, RunsOfEveryLengthAndPlaceTakeTheirPixelsAndNoMore)
{
    // A run is written in pieces of eight, four and single pixels laid over each other: every
    // length and every place (in the pattern, for a hatch) must show the brush's own pixels,
    // which the middle of a wide rectangle shows, and nothing beside the run. Drawn straight
    // and from stamps.
    const PatternBrush hatch = PatternBrush::make(HatchRows(), 0, Rgb(255, 255, 255));
    for (const bool hatched : {true, false}) {
        auto rectangle = [&](std::int64_t left, std::int64_t width, bool stamps) {
            QImage image(200, 40, QImage::Format_RGB32);
            image.fill(qRgb(255, 0, 0));
            ImageCanvas c(image);
            c.allowStamps(stamps);
            c.setMapping(CanvasMapping::view(1.0, 0, 0));
            c.setPen(CanvasPen::none());
            c.setBrush(hatched ? CanvasBrush::hatch(hatch) : CanvasBrush::solid(Rgb(0, 0, 255)));
            c.rectangle(left, -10, left + width, -30);
            return image;
        };
        const QImage whole = rectangle(0, 200, false);
        for (const bool stamps : {false, true})
            for (std::int64_t width = 1; width <= 40; ++width)
                for (std::int64_t left = 20; left < 28; ++left) {
                    const QImage part = rectangle(left, width, stamps);
                    for (int x = 0; x < 200; ++x) {
                        const bool inside = x >= left && x < left + width;
                        ASSERT_EQ(part.pixel(x, 20), inside ? whole.pixel(x, 20) : qRgb(255, 0, 0))
                            << (hatched ? "hatch" : "solid") << ", width " << width << ", from " << left
                            << ", stamps " << stamps << ", x " << x;
                    }
                }
    }
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

namespace trevok
{
namespace
{

TEST(ImageCanvas, StampedFiguresTakeThePixelsTheyTakeWhereTheyStand)
{
    // Pads and holes are drawn from stamps kept per shape. A stamp must give the pixels the
    // figure takes when worked out where it stands (odd and even places, near the origin and
    // far from it, and whether the stamp was just made or kept from before), and a figure cut
    // by the clip must take the pixels of the whole figure inside it.
    //
    // Where an edge meets a pixel centre exactly and the arithmetic does not quite, the figure
    // worked out where it stands rounds one way or the other depending on how far from the
    // origin it lies, while its stamp is the same everywhere. The circles of the first part
    // have radii with no whole-numbered right triangle (3, 4, 5 and the like), so that no
    // such edge occurs; the cut in the second part is made on shapes that have them.
    const PatternBrush hatch = PatternBrush::make(HatchRows(), Rgb(0, 0, 255), Rgb(0, 200, 0));
    struct Figure {
        const char* name;
        bool exactEverywhere;
        std::function<void(Canvas&, std::int64_t, std::int64_t)> draw;
    };
    auto pens = [&](Canvas& c, int penPixels, bool hatched, ColourRef fill) {
        c.setPen(CanvasPen::pixels(Rgb(255, 0, 0), penPixels));
        c.setBrush(hatched ? CanvasBrush::hatch(hatch) : CanvasBrush::solid(fill));
    };
    const std::vector<Figure> figures = {
        {"plated round pad", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, true, 0);
             c.ellipse(x - 8, y - 8, x + 8, y + 8);
         }},
        {"drill hole", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, false, Rgb(255, 255, 255));
             c.ellipse(x - 3, y - 3, x + 4, y + 4);
         }},
        {"oval, its outline's ends on half pixels", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, true, 0);
             c.ellipse(x - 2, y - 3, x + 3, y + 3);
         }},
        {"pad in its own colour", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, false, Rgb(255, 0, 0));
             c.ellipse(x - 7, y - 7, x + 7, y + 7);
         }},
        {"ring of a wide pen", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 3, false, Rgb(255, 255, 255));
             c.ellipse(x - 6, y - 6, x + 6, y + 6);
         }},
        {"octagon pad", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, true, 0);
             const TPoint v[8] = {
                 {Saturate32(x - 9), Saturate32(y + 4)}, {Saturate32(x - 4), Saturate32(y + 9)},
                 {Saturate32(x + 4), Saturate32(y + 9)}, {Saturate32(x + 9), Saturate32(y + 4)},
                 {Saturate32(x + 9), Saturate32(y - 4)}, {Saturate32(x + 4), Saturate32(y - 9)},
                 {Saturate32(x - 4), Saturate32(y - 9)}, {Saturate32(x - 9), Saturate32(y - 4)}};
             c.polygon(v, 8);
         }},
        {"square pad", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, true, 0);
             c.rectangle(x - 8, y - 8, x + 8, y + 8);
         }},
        {"outline of a wide pen, its sides steep and flat", true,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 7, false, Rgb(255, 255, 255));
             const TPoint v[4] = {{Saturate32(x - 24), Saturate32(y - 14)},
                                  {Saturate32(x + 6), Saturate32(y - 2)},
                                  {Saturate32(x), Saturate32(y + 15)},
                                  {Saturate32(x - 26), Saturate32(y + 3)}};
             c.polygon(v, 4);
         }},
        {"circle of radius 5", false,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, false, Rgb(255, 255, 255));
             c.ellipse(x - 5, y - 5, x + 5, y + 5);
         }},
        {"rounded pad", false,
         [&](Canvas& c, std::int64_t x, std::int64_t y) {
             pens(c, 1, true, 0);
             c.roundRect(x - 12, y - 6, x + 12, y + 6, 9, 9);
         }},
    };
    QSize size(2000, 40);
    auto draw = [&](const Figure& f, std::int64_t x, bool stamps, QRect clip = QRect()) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        ImageCanvas c(image, clip);
        c.allowStamps(stamps);
        c.setMapping(CanvasMapping::view(1.0, 0, 0));
        f.draw(c, x, -20);
        return image;
    };
    for (const Figure& f : figures) {
        SCOPED_TRACE(f.name);
        ImageCanvas::clearStamps();
        for (const std::int64_t x : {30, 31, 32, 33, 1950, 1951, 1960, 1961}) {
            SCOPED_TRACE(x);
            const QImage stamped = draw(f, x, true);
            ASSERT_GT(countColour(stamped, Black), 0);
            ASSERT_LT(countColour(stamped, Black), size.width() * size.height());
            if (f.exactEverywhere) {
                EXPECT_EQ(stamped, draw(f, x, false));
            }
            // Cut at every row through the figure, the two parts make the whole, and neither
            // writes past its cut.
            for (int cut = 8; cut <= 32; cut += 3) {
                const QRect above(0, 0, size.width(), cut), below(0, cut, size.width(), size.height() - cut);
                QImage parts = draw(f, x, true, above);
                const QImage lower = draw(f, x, true, below);
                EXPECT_EQ(countColour(parts, Black, below), below.width() * below.height())
                    << "cut at row " << cut;
                EXPECT_EQ(countColour(lower, Black, above), above.width() * above.height())
                    << "cut at row " << cut;
                for (int y = cut; y < size.height(); ++y)
                    std::memcpy(parts.scanLine(y), lower.constScanLine(y),
                                static_cast<std::size_t>(parts.bytesPerLine()));
                EXPECT_EQ(parts, stamped) << "cut at row " << cut;
            }
        }
        // The stamps kept, into a picture of another width (its rows lie elsewhere).
        size = QSize(700, 40);
        if (f.exactEverywhere) {
            EXPECT_EQ(draw(f, 31, true), draw(f, 31, false)) << "in a narrower picture";
        }
        size = QSize(2000, 40);
    }
}

} // namespace
} // namespace trevok

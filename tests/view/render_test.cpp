// Board drawing checked by pixels: layer order, pads last, hatched plated pads with red rings,
// bare holes, the autorouted stripe, the ground plane, the photo view, one-colour drawing,
// strip repaints, and drawing at the coordinate limits. Most cases run on both canvases.

#include "document/parallel.h"
#include "output/artwork.h"
#include "view/grid.h"
#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"
#include "view/templateimage.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <set>

namespace trevok
{
namespace
{

enum class Backend { Screen, QPainterBackend };

constexpr double Zoom = 0.1; // ten units per pixel
constexpr int Margin = 10;   // the board's upper left corner lies at pixel (10, 10)

QRgb rgb(ColourRef c)
{
    return ToQColor(c).rgb();
}

struct Picture {
    QImage image;
    /// The pixel under a board point.
    QRgb at(std::int64_t x, std::int64_t y) const
    {
        const int px = Margin + static_cast<int>(RoundHalfEven64(x * Zoom));
        const int py = Margin - static_cast<int>(RoundHalfEven64(y * Zoom));
        return image.pixel(px, py);
    }
    /// The colours within a board rectangle (a few pixels inside its edges).
    std::set<QRgb> coloursIn(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const
    {
        std::set<QRgb> seen;
        for (std::int64_t x = x1; x <= x2; x += 10)
            for (std::int64_t y = y1; y >= y2; y -= 10)
                seen.insert(at(x, y));
        return seen;
    }
};

RenderOptions viewOf(const TBoard& board)
{
    RenderOptions o = RenderOptions::fromBoard(board);
    o.zoom = Zoom;
    o.scrollX = -Margin;
    o.scrollY = -Margin;
    return o;
}

Picture draw(TBoard& board, const RenderOptions& o, Backend backend, QSize size = {220, 170})
{
    Picture p;
    p.image = QImage(size, QImage::Format_RGB32);
    p.image.fill(Qt::gray);
    if (backend == Backend::Screen) {
        ImageCanvas c(p.image);
        PaintBoard(c, board, o, p.image.rect());
    } else {
        QPainter painter(&p.image);
        QPainterCanvas c(painter);
        PaintBoard(c, board, o, p.image.rect());
    }
    return p;
}

TBoard smallBoard()
{
    TBoard b;
    b.BoardWidth = 2000;
    b.BoardHeight = 1500;
    return b;
}

TObjekt& add(TBoard& b, std::unique_ptr<TObjekt> e)
{
    b.Elements.push_back(std::move(e));
    return *b.Elements.back();
}

TObjekt& track(TBoard& b, std::uint8_t layer, std::int32_t width, TPoint from, TPoint to)
{
    auto t = NewTrack(width, layer);
    AddPoint(*t, from);
    AddPoint(*t, to);
    return add(b, std::move(t));
}

TObjekt& area(TBoard& b, std::uint8_t layer, std::int32_t x1, std::int32_t y1, std::int32_t x2,
              std::int32_t y2)
{
    auto a = NewArea(10, layer);
    for (TPoint p : {TPoint{x1, y1}, TPoint{x2, y1}, TPoint{x2, y2}, TPoint{x1, y2}, TPoint{x1, y1}})
        AddPoint(*a, p);
    return add(b, std::move(a));
}

const ColourScheme Std = ColourScheme::Standard();

class RenderTest : public ::testing::TestWithParam<Backend>
{
};

INSTANTIATE_TEST_SUITE_P(Canvases, RenderTest, ::testing::Values(Backend::Screen, Backend::QPainterBackend),
                         [](const auto& info) {
                             return info.param == Backend::Screen ? "Screen" : "QPainter";
                         });

TEST_P(RenderTest, CopperOfTheActiveSideLiesOnTopWhateverTheListOrder)
{
    TBoard b = smallBoard();
    track(b, LayerK2, 100, {1000, 0}, {1000, -1500});
    track(b, LayerK1, 100, {0, -500}, {2000, -500});
    b.ActiveLayer = LayerK2;
    EXPECT_EQ(draw(b, viewOf(b), GetParam()).at(1000, -500), rgb(Std[ColourK2]));
    b.ActiveLayer = LayerK1;
    const Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1000, -500), rgb(Std[ColourK1]));
    EXPECT_EQ(p.at(1000, -1000), rgb(Std[ColourK2]));
    EXPECT_EQ(p.at(300, -500), rgb(Std[ColourK1]));
    EXPECT_EQ(p.at(300, -1000), rgb(Std[ColourBackground]));
}

TEST_P(RenderTest, APadLiesOnTopOfEveryOtherElementOfItsLayer)
{
    TBoard b = smallBoard();
    add(b, NewPad({600, -600}, 150, ShapeSquare, LayerB1, 0));
    area(b, LayerB1, 200, -200, 1000, -1000).Selected = 1; // listed later, drawn earlier
    const Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(650, -650), rgb(Std[ColourB1]));
    // Selected on side 1 while K2 (side 2) is active.
    EXPECT_EQ(p.at(300, -300), rgb(SelectedOtherSideColour));
}

TEST_P(RenderTest, PlatedPadShowsBothCoppersStripedAndARedRingUntilSelected)
{
    TBoard b = smallBoard();
    TObjekt& bottom = add(b, NewPad({800, -700}, 300, ShapeSquare, LayerK2, 100));
    TObjekt& top = add(b, NewPad({800, -700}, 300, ShapeSquare, LayerK1, 100));
    bottom.Twin = &top;
    top.Twin = &bottom;
    const QRgb k1 = rgb(Std[ColourK1]), k2 = rgb(Std[ColourK2]);

    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.coloursIn(1000, -500, 1080, -900), (std::set<QRgb>{k1, k2}));
    EXPECT_EQ(p.at(800, -700), rgb(WhiteColour));
    std::set<QRgb> ring;
    for (int d = 80; d <= 120; d += 10)
        ring.insert(p.at(800 + d, -700));
    EXPECT_TRUE(ring.count(rgb(PlatedRingColour))) << "no red ring around the plated hole";

    bottom.Selected = top.Selected = 1; // K2 is active: magenta on top
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.coloursIn(1000, -500, 1080, -900), std::set<QRgb>{rgb(SelectedActiveColour)});
    EXPECT_EQ(p.at(800, -700), rgb(WhiteColour));

    // A twin drilled smaller (its hole drawn last) leaves the larger hole showing around it.
    top.Size2 = 40;
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(875, -700), rgb(WhiteColour));
}

TEST_P(RenderTest, BareHoleIsAWhiteDiscWithACross)
{
    TBoard b = smallBoard();
    TObjekt& hole = add(b, NewPad({1000, -700}, 200, ShapeRound, LayerK2, 200));
    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1000, -700), rgb(BlackColour));
    EXPECT_EQ(p.at(1060, -640), rgb(BlackColour)); // on a diagonal arm
    EXPECT_EQ(p.at(1120, -700), rgb(WhiteColour)); // on the disc, off the arms
    EXPECT_EQ(p.at(1000, -820), rgb(WhiteColour));
    hole.Selected = 1;
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1060, -640), rgb(SelectedActiveColour));
    EXPECT_EQ(p.at(1120, -700), rgb(WhiteColour));
}

TEST_P(RenderTest, AutoroutedStripeOnlyOnTracksAtLeastThreePixelsWide)
{
    TBoard b = smallBoard();
    auto routed = [&](std::int32_t width, std::int32_t y, bool selected) -> TObjekt& {
        TObjekt& t = track(b, LayerK2, width, {200, y}, {1800, y});
        t.Autorouted = 1;
        t.Selected = selected ? 1 : 0;
        t.Groups = {1}; // grouped: no node handles in the way
        return t;
    };
    routed(25, -200, false); // 2.5 pixels: no stripe
    routed(60, -400, false); // 6 pixels: a 2-pixel stripe, lightened
    routed(25, -600, true);
    routed(60, -800, true);                             // magenta is light: the stripe is darkened
    track(b, LayerK2, 60, {200, -1000}, {1800, -1000}); // not autorouted

    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1000, -200), rgb(Std[ColourK2]));
    EXPECT_EQ(p.at(1000, -400), qRgb(150, 255, 150));
    EXPECT_EQ(p.at(1000, -600), rgb(SelectedActiveColour));
    EXPECT_EQ(p.at(1000, -800), qRgb(105, 0, 105));
    EXPECT_EQ(p.at(1000, -1000), rgb(Std[ColourK2]));
    EXPECT_EQ(p.at(1000, -420), rgb(Std[ColourK2])) << "the stripe is a third of the width only";

    // The rule is about pixels: the narrow track at twice the zoom is 5 pixels wide.
    RenderOptions o = viewOf(b);
    o.zoom = 0.2;
    Picture q;
    q.image = QImage(420, 320, QImage::Format_RGB32);
    ImageCanvas c(q.image);
    PaintBoard(c, b, o, q.image.rect());
    EXPECT_EQ(q.image.pixel(Margin + 200, Margin + 40), qRgb(150, 255, 150));
}

TEST_P(RenderTest, GroundPlaneFillsTheBoardAndKeepsClearancesAndRestrictedAreasFree)
{
    TBoard b = smallBoard();
    b.GroundPlane2 = 1;
    TObjekt& pad = add(b, NewPad({500, -500}, 100, ShapeRound, LayerK2, 40));
    pad.Clearance = 60;
    TObjekt& cut2 = area(b, LayerK2, 1200, -200, 1700, -600);
    cut2.Restricted = 1;
    TObjekt& cut1 = area(b, LayerK1, 1200, -900, 1700, -1300);
    cut1.Restricted = 1;
    const QRgb k1 = rgb(Std[ColourK1]), k2 = rgb(Std[ColourK2]), bg = rgb(Std[ColourBackground]);

    b.ActiveLayer = LayerK2;
    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(100, -1400), k2) << "the board takes the copper colour of the plane";
    EXPECT_EQ(p.at(500, -500), rgb(WhiteColour));
    EXPECT_EQ(p.at(570, -500), k2); // the pad's copper
    EXPECT_EQ(p.at(630, -500), bg); // its clearance
    EXPECT_EQ(p.at(500, -640), bg);
    EXPECT_EQ(p.at(700, -500), k2); // the plane again
    EXPECT_EQ(p.coloursIn(1250, -250, 1650, -550), std::set<QRgb>{bg}) << "a plain hole in the plane";
    EXPECT_EQ(p.coloursIn(1250, -950, 1650, -1250), (std::set<QRgb>{k1, bg})) << "hatched on the other side";

    b.ActiveLayer = LayerK1; // side 1 has no plane: black board, both restricted areas hatched
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(100, -1400), bg);
    EXPECT_EQ(p.at(630, -500), bg);
    EXPECT_EQ(p.coloursIn(1250, -250, 1650, -550), (std::set<QRgb>{k2, bg}));
}

TEST_P(RenderTest, FilledCirclesAndTheirClearancesLookAsTheGerberArtworkHasThem)
{
    TBoard b;
    b.BoardWidth = 2800;
    b.BoardHeight = 1500;
    b.ActiveLayer = LayerK1;
    struct Filled {
        std::int32_t x, y, outer, inner, start, stop;
    };
    for (const Filled& f : {Filled{500, -450, 300, 180, 30, 250}, Filled{1350, -450, 300, 220, 300, 60},
                            Filled{2200, -450, 250, 150, 0, 0}, Filled{500, -1100, 300, 0, 0, 90},
                            Filled{1350, -1050, 301, 200, 10, 190}}) {
        TObjekt& c = add(b, NewCircle({f.x, f.y}, f.outer, ShapeRound, LayerK1, f.inner));
        c.Angle = f.start;
        c.Width = f.stop;
        c.Filled = 1;
        c.Clearance = 50;
    }
    RenderOptions view = viewOf(b);
    const double zoom = 0.2; // five units per pixel
    view.zoom = zoom;
    GerberOptions gerber = GerberOptions::forLayer(GerberLayer::K1);
    gerber.outline = false;
    const QRgb k1 = rgb(Std[ColourK1]);
    const int w = static_cast<int>(b.BoardWidth * zoom), h = static_cast<int>(b.BoardHeight * zoom);
    for (const bool plane : {false, true}) {
        SCOPED_TRACE(plane ? "ground plane" : "no ground plane");
        b.GroundPlane1 = plane;
        const Picture p = draw(b, view, GetParam(), QSize(w + 2 * Margin, h + 2 * Margin));
        const Region artwork = LayerArtwork(b, gerber);
        // Copper at the pixel centres as the artwork has it; a pixel may differ from it only
        // within two pixels of an edge of the artwork.
        std::vector<char> copper(static_cast<std::size_t>(w * h));
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                copper[static_cast<std::size_t>(r * w + c)] =
                    artwork.contains(RoundHalfEven64((c + 0.5) / zoom), RoundHalfEven64(-(r + 0.5) / zoom));
        int differing = 0, edge = 0;
        std::string where;
        for (int r = 2; r < h - 2; ++r)
            for (int c = 2; c < w - 2; ++c) {
                const bool want = copper[static_cast<std::size_t>(r * w + c)];
                if ((p.image.pixel(Margin + c, Margin + r) == k1) == want)
                    continue;
                bool nearEdge = false;
                for (int dr = -2; dr <= 2; ++dr)
                    for (int dc = -2; dc <= 2; ++dc)
                        nearEdge |= copper[static_cast<std::size_t>((r + dr) * w + c + dc)] != want;
                if (nearEdge) {
                    ++edge;
                } else if (++differing <= 5) {
                    where += " (" + std::to_string(RoundHalfEven64((c + 0.5) / zoom)) + "," +
                             std::to_string(RoundHalfEven64(-(r + 0.5) / zoom)) +
                             (want ? " artwork)" : " drawing)");
                }
            }
        EXPECT_EQ(differing, 0) << "at" << where;
        EXPECT_LT(edge, w * h / 100);
    }
}

TEST_P(RenderTest, PhotoViewOfSide2IsMirroredInBoardColours)
{
    TBoard b = smallBoard();
    track(b, LayerK2, 100, {100, -500}, {400, -500});
    track(b, LayerK1, 100, {100, -1000}, {400, -1000});
    RenderOptions o = viewOf(b);
    o.photo.shown = true;
    o.photo.side = 2;

    Picture p = draw(b, o, GetParam());
    // Mirrored: x runs from the right board edge.
    EXPECT_EQ(p.at(2000 - 250, -500), rgb(PhotoCopper));
    EXPECT_EQ(p.at(250, -500), rgb(PhotoBackground));
    EXPECT_EQ(p.at(2000 - 250, -1000), rgb(PhotoBackground)) << "the far side is hidden";

    o.photo.translucent = true;
    p = draw(b, o, GetParam());
    EXPECT_EQ(p.at(2000 - 250, -1000), rgb(PhotoFarSide));

    o.photo.side = 1;
    o.photo.translucent = false;
    p = draw(b, o, GetParam());
    EXPECT_EQ(p.at(250, -1000), rgb(PhotoCopper));
    EXPECT_EQ(p.at(250, -500), rgb(PhotoBackground));
}

TEST_P(RenderTest, OneColourDrawingEnlargesMasksAndFillsTheirHoles)
{
    auto drawOne = [&](TObjekt& e, bool enlarge) {
        Picture p;
        p.image = QImage(220, 170, QImage::Format_RGB32);
        p.image.fill(Qt::white);
        auto paint = [&](Canvas& c) {
            c.setMapping(CanvasMapping::view(Zoom, -Margin, -Margin));
            DrawSettings s;
            s.smdMaskMargin = 50; // set by the print dialog
            ElementPainter painter(c, s);
            painter.DrawInColour(e, BlackColour, enlarge);
        };
        if (GetParam() == Backend::Screen) {
            ImageCanvas c(p.image);
            paint(c);
        } else {
            QPainter qp(&p.image);
            QPainterCanvas c(qp);
            paint(c);
        }
        return p;
    };
    auto pad = NewPad({1000, -700}, 200, ShapeRound, LayerK1, 80);
    pad->Selected = 1;
    Picture p = drawOne(*pad, false);
    EXPECT_EQ(p.at(1150, -700), rgb(BlackColour)) << "selection does not colour a print";
    EXPECT_EQ(p.at(1000, -700), rgb(WhiteColour));
    EXPECT_EQ(p.at(1220, -700), rgb(WhiteColour));
    EXPECT_EQ(pad->Selected, 1);
    EXPECT_EQ(pad->Highlight, 0);

    p = drawOne(*pad, true); // the solder mask: 30 units more, hole closed
    EXPECT_EQ(p.at(1000, -700), rgb(BlackColour));
    EXPECT_EQ(p.at(1220, -700), rgb(BlackColour));
    EXPECT_EQ(p.at(1250, -700), rgb(WhiteColour));

    auto smd = NewSmdPad({1000, -700}, 400, LayerK1, 200); // y from -800 to -600
    EXPECT_EQ(drawOne(*smd, false).at(1000, -830), rgb(WhiteColour));
    EXPECT_EQ(drawOne(*smd, true).at(1000, -830), rgb(BlackColour));
    EXPECT_EQ(drawOne(*smd, true).at(1000, -870), rgb(WhiteColour));
}

TEST_P(RenderTest, HiddenLayersStayHiddenWithTheirHolesAndConnectionsAreDrawn)
{
    TBoard b = smallBoard();
    TObjekt& a = add(b, NewPad({300, -300}, 100, ShapeRound, LayerK1, 60));
    TObjekt& c = add(b, NewPad({1700, -1200}, 100, ShapeRound, LayerK2, 60));
    a.Connections = {&c};
    c.Connections = {&a};
    RenderOptions o = viewOf(b);
    Picture p = draw(b, o, GetParam());
    EXPECT_EQ(p.at(1000, -750), rgb(Std[ColourConnection]));
    EXPECT_EQ(p.at(300, -340), rgb(WhiteColour));
    EXPECT_EQ(p.at(380, -300), rgb(Std[ColourK1]));

    o.layerVisible[LayerK1 - 1] = false;
    a.Selected = c.Selected = 1;
    o.autorouterActive = true;
    p = draw(b, o, GetParam());
    EXPECT_EQ(p.at(380, -300), rgb(Std[ColourBackground]));
    EXPECT_EQ(p.at(300, -340), rgb(Std[ColourBackground])) << "no hole of a hidden pad";
    EXPECT_EQ(p.at(1000, -750), rgb(SelectedActiveColour));
    EXPECT_EQ(p.at(1700, -1240), rgb(WhiteColour));
}

TEST_P(RenderTest, MarkedOnlyPictureHoldsTheMarkedElementsAndNothingBehindThem)
{
    TBoard b = smallBoard();
    b.GroundPlane2 = 1;
    TObjekt& kept = track(b, LayerK2, 100, {200, -300}, {1800, -300});
    track(b, LayerK2, 100, {200, -700}, {1800, -700});
    TObjekt& pad = add(b, NewPad({1000, -1100}, 150, ShapeRound, LayerK1, 50));
    area(b, LayerK1, 100, -900, 400, -1300).Restricted = 1;
    kept.Mark = pad.Mark = 1;
    RenderOptions o = viewOf(b);
    o.markedOnly = true;
    const Picture p = draw(b, o, GetParam());
    const QRgb untouched = QColor(Qt::gray).rgb(); // the picture's own gray: no board background
    EXPECT_EQ(p.at(1000, -300), rgb(Std[ColourK2]));
    EXPECT_EQ(p.at(1000, -700), untouched);
    EXPECT_EQ(p.at(1120, -1100), rgb(Std[ColourK1]));
    EXPECT_EQ(p.at(1000, -1100), rgb(WhiteColour));
    EXPECT_EQ(p.at(250, -1100), untouched) << "restricted areas belong to the ground";
}

TEST_P(RenderTest, NodeHandlesOnlyOnSelectedUngroupedTracks)
{
    TBoard b = smallBoard();
    TObjekt& t = track(b, LayerK2, 20, {300, -300}, {1500, -300});
    t.Selected = 1;
    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(300, -300), rgb(HandleFillColour));
    EXPECT_EQ(p.at(900, -300), rgb(SelectedActiveColour));
    t.Groups = {4};
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(300, -300), rgb(SelectedActiveColour));
}

TEST_P(RenderTest, ElementsAtTheCoordinateLimitsDrawWithoutHarm)
{
    constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    TBoard b = smallBoard();
    track(b, LayerK2, hi, {lo, hi}, {hi, lo});
    track(b, LayerK1, 100, {lo, -500}, {hi, -500});
    add(b, NewPad({hi, lo}, hi, ShapeOctagonWide, LayerK2, hi));
    add(b, NewSmdPad({lo, hi}, hi, LayerK1, hi));
    TObjekt& ring = add(b, NewCircle({0, 0}, hi, ShapeRound, LayerB1, lo));
    ring.Angle = 10;
    ring.Width = 350;
    TObjekt& a = area(b, LayerB2, lo, hi, hi, lo);
    a.Clearance = hi;
    b.GroundPlane2 = 1;
    Picture p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1000, -500), rgb(Std[ColourB2])) << "the huge B2 area covers the view";
    b.LayerVisible[LayerB1 - 1] = 0; // the nonsense ring (inner radius below zero) covers it too
    b.LayerVisible[LayerB2 - 1] = 0;
    b.ActiveLayer = LayerK1; // and K1 on top of the huge K2 track
    p = draw(b, viewOf(b), GetParam());
    EXPECT_EQ(p.at(1000, -500), rgb(Std[ColourK1])) << "the K1 track crosses the view";
}

/// A busy board of every kind, with rubber bands fanning out at every slope.
TBoard busyBoard()
{
    TBoard b;
    b.BoardWidth = 4000;
    b.BoardHeight = 2500;
    b.GroundPlane2 = 1;
    for (int i = 0; i < 40; ++i) {
        const std::int32_t x = 100 * i, y = -60 * i;
        track(b, i % 2 ? LayerK1 : LayerK2, 30 + i, {x, y}, {4000 - x, -2500 - y}).Autorouted = i % 3 == 0;
        TObjekt& pad =
            add(b, NewPad({x + 50, y - 700}, 40 + i, static_cast<std::uint8_t>(1 + i % 9), LayerK2, 15));
        pad.Clearance = 20;
        add(b, NewSmdPad({x + 20, y - 1400}, 60, LayerK1, 30));
        TObjekt& c = add(b, NewCircle({x, y - 300}, 120, ShapeRound, LayerB2, 90));
        c.Angle = 30 * i % 360;
        c.Width = 200;
    }
    area(b, LayerK1, 500, -500, 1500, -1800).Restricted = 1;
    b.Elements[3]->Connections = {b.Elements[40].get()};
    // Rubber bands fanning out at every slope, many leaving the picture at its edges.
    for (std::size_t i = 0; i < 40; ++i)
        b.Elements[4 * i + 1]->Connections.push_back(b.Elements[4 * (39 - i) + 2].get());
    // A template under side 2, with cell edges where a cut through it would show.
    b.TemplateShown = {0, 1};
    b.TemplateDpi = {100, 100};
    b.TemplateColour = {0, static_cast<std::int32_t>(Rgb(200, 40, 40))};
    return b;
}

/// The busy board's template: a chequer of 3 x 5 pixel cells.
std::function<void(Canvas&, int, const TRect&)> busyTemplate(const TBoard& b)
{
    QImage chequer(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < chequer.height(); ++y)
        for (int x = 0; x < chequer.width(); ++x)
            chequer.setPixel(x, y, (x / 3 + y / 5) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    const auto picture = std::make_shared<const TemplateImage>(chequer);
    return BoardTemplateDrawer(b, {picture, picture}, Std[ColourBackground]);
}

TEST(RenderStrips, AStripRepaintedAfterAPanMatchesAFullRepaint)
{
    // The picture moves 50 pixels left and the uncovered strip on the right is repainted, which
    // must give the very picture of a full repaint, template included.
    TBoard b = busyBoard();
    RenderOptions o = RenderOptions::fromBoard(b);
    o.drawTemplate = busyTemplate(b);
    o.zoom = 0.3;
    auto full = [&](double scrollX) {
        QImage image(400, 300, QImage::Format_RGB32);
        RenderOptions at = o;
        at.scrollX = scrollX;
        ImageCanvas c(image);
        PaintBoard(c, b, at, image.rect());
        return image;
    };
    QImage moved = full(100);
    for (int y = 0; y < moved.height(); ++y) {
        uchar* row = moved.scanLine(y);
        std::memmove(row, row + 50 * 4, static_cast<std::size_t>(moved.width() - 50) * 4);
    }
    RenderOptions at = o;
    at.scrollX = 150;
    const QRect strip(moved.width() - 50, 0, 50, moved.height());
    ImageCanvas c(moved, strip);
    PaintBoard(c, b, at, strip);
    EXPECT_EQ(moved, full(150));
}

TEST(RenderBands, BandsOnSeveralThreadsGiveThePictureOfOnePaint)
{
    // The busy board with the template picture, the grid, selected tracks with their handles
    // and a layout text, painted whole and in bands; and once with a TrueType text too.
    TBoard b = busyBoard();
    b.Elements[5]->Selected = 1;
    b.Elements[9]->Selected = 1;
    add(b, NewLayoutText({600, -1900}, "TREVOK", false, false, LayerB2, 0, 20, 30, 300));
    auto addFontText = [&] {
        auto text = std::make_unique<TObjekt>();
        text->Kind = KindFontText;
        text->Layer = LayerB1;
        text->X = 300;
        text->Y = -600;
        text->Size1 = 2600;
        text->Size2 = -1100;
        text->Width = 400;
        text->Text = "Bands";
        add(b, std::move(text));
    };

    struct Case {
        const char* name;
        double zoom;
        QRect repaint; // null: the whole picture
        int threads;
        bool fontText;
    };
    const Case cases[] = {
        {"whole picture, two threads", 0.3, QRect(), 2, false},
        {"whole picture, three bands", 0.3, QRect(), 3, false},
        {"far out, elements below a pixel", 0.04, QRect(), 3, false},
        {"a repainted rectangle", 0.3, QRect(37, 21, 301, 250), 4, false},
        {"a strip too low to cut", 0.3, QRect(0, 100, 400, 90), 4, false},
        {"one thread", 0.3, QRect(), 1, false},
        {"a TrueType text", 0.3, QRect(), 2, true},
    };
    const QSize size(400, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.fontText)
            addFontText();
        RenderOptions o = RenderOptions::fromBoard(b);
        o.zoom = c.zoom;
        o.drawTemplate = busyTemplate(b);
        o.drawGrid = [](Canvas& canvas, const TRect& area) {
            DrawGrid(canvas, 4000, 2500, 254.0, 0.3, 4, Rgb(90, 90, 90), area);
        };
        // The pixels being painted are cleared first, in the bands by the bands themselves.
        constexpr QRgb cleared = qRgb(90, 20, 160);
        QImage single(size, QImage::Format_RGB32);
        single.fill(Qt::gray);
        {
            QPainter clear(&single);
            clear.fillRect(c.repaint.isNull() ? single.rect() : c.repaint, QColor::fromRgb(cleared));
        }
        {
            ImageCanvas canvas(single, c.repaint);
            PaintBoard(canvas, b, o, c.repaint);
        }
        QImage banded(size, QImage::Format_RGB32);
        banded.fill(Qt::gray);
        SetWorkerThreads(c.threads);
        PaintBoardInBands(banded, b, o, c.repaint, cleared);
        SetWorkerThreads(0);
        EXPECT_TRUE(banded == single);
    }
}

TEST(RenderBands, BandsAreCutWhereTheWorkIsHalved)
{
    // Identity mapping: one unit a pixel, board y up. Elements crowded into some rows draw the
    // cut towards them; every band keeps its rows, and the bands cover the rectangle exactly.
    auto rows = [](int from, int to, int count) {
        std::vector<TRect> r;
        for (int i = 0; i < count; ++i)
            r.push_back({10, -to, 60, -from});
        return r;
    };
    struct Case {
        const char* name;
        std::vector<TRect> bounds;
        QRect rect;
        int bands;
        int lowestCut, highestCut; // where the first inner cut may lie
    };
    const Case cases[] = {
        {"nothing to draw: even rows", {}, QRect(0, 0, 100, 400), 2, 199, 201},
        {"crowded in the lowest quarter", rows(300, 399, 400), QRect(0, 0, 100, 400), 2, 300, 399},
        {"crowded at the top, cut as low as allowed", rows(0, 3, 5000), QRect(0, 0, 100, 400), 2, 3, 16},
        {"outside the rectangle counts nothing", rows(500, 600, 900), QRect(0, 100, 100, 300), 3, 190, 210},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<int> cuts = BandCuts(c.bounds, CanvasMapping::identity(), c.rect, c.bands);
        ASSERT_EQ(cuts.size(), static_cast<std::size_t>(c.bands) + 1);
        EXPECT_EQ(cuts.front(), c.rect.top());
        EXPECT_EQ(cuts.back(), c.rect.bottom() + 1);
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k)
            EXPECT_GE(cuts[k + 1] - cuts[k], MinCutRows);
        EXPECT_GE(cuts[1], c.lowestCut);
        EXPECT_LE(cuts[1], c.highestCut);
    }
}

TEST(RenderLevelOfDetail, ElementsBelowAPixelAloneMayDifferFromTheExactPicture)
{
    // Boards of every kind of element (pads plain, plated and bare, SMD pads, bent tracks, circles,
    // print), with the ground plane of side 2 on so that clearances are drawn too. Drawn with
    // and without the cheap picture of elements smaller than a pixel, the two may differ only
    // within a pixel of those elements; where there are none they are the same picture.
    struct Case {
        const char* name;
        double zoom;
        std::int32_t smallest, largest; // element sizes, units
        bool isolated;                  // each element alone in a cell of 200 units
    };
    const Case cases[] = {
        {"zoomed in, figures many pixels wide and batched by colour", 0.3, 40, 160, false},
        {"every element several pixels", 0.1, 40, 160, false},
        {"every element at least a pixel", 0.05, 40, 160, false},
        {"whole board, many below a pixel", 0.05, 1, 120, false},
        {"far out, nearly all below a pixel", 0.01, 1, 60, false},
        {"alone, each dot shows", 0.02, 2, 20, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBoard b;
        b.BoardWidth = 4000;
        b.BoardHeight = 2400;
        b.GroundPlane2 = 1;
        b.ActiveLayer = LayerK2;
        std::mt19937 rng(7);
        auto uniform = [&](int lo, int hi) {
            return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
        };
        for (int i = 0; i < 240; ++i) {
            const TPoint at = c.isolated ? TPoint{100 + 200 * (i % 20), -100 - 200 * (i / 20)}
                                         : TPoint{uniform(0, 4000), -uniform(0, 2400)};
            const std::int32_t s = uniform(c.smallest, c.largest);
            const auto copper = static_cast<std::uint8_t>(i % 2 ? LayerK1 : LayerK2);
            TObjekt* e = nullptr;
            switch (i % 6) {
            case 0: {
                TObjekt& pad =
                    add(b, NewPad(at, s, static_cast<std::uint8_t>(1 + i % 9), copper, uniform(0, s)));
                if (i % 4 == 0)
                    pad.Size2 = pad.Size1; // a bare hole with its cross
                e = &pad;
                break;
            }
            case 1: {
                TObjekt& top = add(b, NewPad(at, s, ShapeRound, LayerK1, s / 2));
                TObjekt& bottom = add(b, NewPad(at, s, ShapeRound, LayerK2, s / 2));
                top.Twin = &bottom;
                bottom.Twin = &top;
                e = &bottom;
                break;
            }
            case 2:
                e = &add(b, NewSmdPad(at, s, copper, uniform(c.smallest, c.largest)));
                break;
            case 3: {
                // Bent back and forth, so that a wide track's joints are drawn (once) too.
                const TPoint bend{at.x + s, at.y - uniform(0, s)};
                e = &track(b, copper, uniform(1, std::max(1, s / 3)), at, bend);
                AddPoint(*e, {bend.x - uniform(0, s), bend.y - uniform(-s, s)});
                AddPoint(*e, {bend.x + uniform(0, s), bend.y});
                break;
            }
            case 4:
                e = &add(b, NewCircle(at, s, ShapeRound, LayerB1, s - uniform(1, std::max(1, s / 3))));
                break;
            default:
                e = &track(b, LayerB2, uniform(1, 10), at, {at.x + uniform(s / 2, s), at.y});
                break;
            }
            e->Clearance = uniform(0, std::max(0, s / 8));
        }

        RenderOptions o = RenderOptions::fromBoard(b);
        o.zoom = c.zoom;
        o.scrollX = -Margin;
        o.scrollY = -Margin;
        const QSize size(static_cast<int>(4000 * c.zoom) + 2 * Margin,
                         static_cast<int>(2400 * c.zoom) + 2 * Margin);
        auto picture = [&](bool levelOfDetail, bool batched) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::gray);
            RenderOptions at = o;
            at.levelOfDetail = levelOfDetail;
            ImageCanvas canvas(image);
            canvas.allowBatching(batched);
            PaintBoard(canvas, b, at, image.rect());
            return image;
        };
        const QImage exact = picture(false, true);
        const QImage cheap = picture(true, true);
        // Writing each colour's figures together, and each joint of a wide track once, changes no pixel.
        EXPECT_TRUE(exact == picture(false, false)) << "the batched picture differs from the direct one";

        // The places of the elements below a pixel: their bounds on the device, one pixel more
        // each way (the exact drawing of such an element still covers up to two pixels across).
        const CanvasMapping m = CanvasMapping::view(o.zoom, o.scrollX, o.scrollY);
        std::vector<QRect> places;
        for (const auto& e : b.Elements) {
            const TRect r = Bounds(*e);
            if (static_cast<double>(std::max(r.right - r.left, r.bottom - r.top)) * m.unitPixels() >= 1.0)
                continue;
            const double x = m.deviceX(static_cast<double>(r.left)),
                         y = m.deviceY(static_cast<double>(r.top));
            places.push_back(
                QRect(QPoint(static_cast<int>(std::floor(x)) - 1, static_cast<int>(std::floor(y)) - 2),
                      QPoint(static_cast<int>(std::ceil(x)) + 2, static_cast<int>(std::ceil(y)) + 1)));
            if (c.isolated && e->Layer != LayerK2) {
                // Nothing else is near: the dot in the centre of the element shows on the
                // plane (a dot on K2 would have the plane's own colour).
                const QPoint dot(static_cast<int>(RoundHalfEven64(m.deviceX((r.left + r.right) / 2))),
                                 static_cast<int>(RoundHalfEven64(m.deviceY((r.top + r.bottom) / 2))));
                EXPECT_NE(cheap.pixel(dot), rgb(Std[ColourK2])) << "no dot at " << dot.x() << "," << dot.y();
            }
        }
        const bool anyTiny = c.smallest * 2 * c.zoom < 1.0;
        EXPECT_EQ(!places.empty(), anyTiny);

        int differing = 0;
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                if (exact.pixel(x, y) == cheap.pixel(x, y))
                    continue;
                ++differing;
                const bool atTiny = std::any_of(places.begin(), places.end(),
                                                [&](const QRect& p) { return p.contains(x, y); });
                EXPECT_TRUE(atTiny) << "pixel " << x << "," << y
                                    << " differs away from every element below a pixel";
                if (!atTiny)
                    break;
            }
        // Each such element changes at most the few pixels its exact drawing covered.
        EXPECT_LE(differing, static_cast<int>(places.size()) * 4);
    }
}

TEST(RenderPatterns, HatchIsTwoPixelStripesAt45Degrees)
{
    const auto rows = HatchRows();
    auto fore = [&](int c, int r) {
        return ((rows[static_cast<std::size_t>(r & 7)] >> (7 - (c & 7))) & 1) != 0;
    };
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(fore(c, r), fore(c + 1, r - 1)) << "stripes run at 45 degrees";
            EXPECT_NE(fore(c, r), fore(c + 2, r)) << "two pixels of each colour in turn";
        }
}

} // namespace
} // namespace trevok

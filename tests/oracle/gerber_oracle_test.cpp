// Renders our Gerber and Excellon output with two independent readers, gerbv and tracespace's
// gerber-to-svg, and compares their pictures with the layer computed from our own element
// regions and with each other. The paths share no drawing code: the readers draw the apertures
// and regions of the file, we rasterise Region point tests.
#include "output/artwork.h"
#include "output/excellon.h"
#include "output/gerber.h"
#include "readers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace trevok;
using namespace trevok::oracle;

namespace
{

// gerbv snaps stroked lines to the pixel grid, which moves their edges by up to a pixel; a pixel
// may therefore differ where our picture changes within this many pixels (0.1 mm).
constexpr int kEdgeTolerancePx = 2;

std::unique_ptr<TObjekt> make(std::uint8_t kind, std::uint8_t layer)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = kind;
    e->Layer = layer;
    e->Clearance = 40;
    return e;
}

std::unique_ptr<TObjekt> pad(int x, int y, int r, int drill, int shape, std::uint8_t layer)
{
    auto e = make(KindPad, layer);
    e->X = x;
    e->Y = y;
    e->Size1 = r;
    e->Size2 = drill;
    e->Shape = static_cast<std::uint8_t>(shape);
    return e;
}

/// A board with every element kind and pad shape on both copper sides, ground planes and
/// restricted areas.
TBoard testBoard()
{
    TBoard b;
    b.BoardWidth = 6000;
    b.BoardHeight = 4000;
    b.GroundPlane1 = 1;
    for (std::uint8_t layer : {std::uint8_t(1), std::uint8_t(3)}) {
        const int yOff = layer == 1 ? 0 : -2000;
        for (int s = 1; s <= 9; ++s)
            b.Elements.push_back(pad(500 + (s - 1) * 600, -500 + yOff, 110, 40, s, layer));
        b.Elements.push_back(pad(500, -1300 + yOff, 60, 60, ShapeRound, layer)); // bare hole
        auto smd = make(KindSmdPad, layer);
        smd->X = 1200;
        smd->Y = -1300 + yOff;
        smd->Size1 = 161;
        smd->Size2 = 81;
        b.Elements.push_back(std::move(smd));
        auto t = make(KindTrack, layer);
        t->Width = 50;
        t->Points = {{500, -500 + yOff}, {500, -900 + yOff}, {2300, -900 + yOff}, {2900, -500 + yOff}};
        b.Elements.push_back(std::move(t));
        auto ring = make(KindCircle, layer);
        ring->X = 2000;
        ring->Y = -1400 + yOff;
        ring->Size1 = 250;
        ring->Size2 = 190;
        b.Elements.push_back(std::move(ring));
        auto arc = make(KindCircle, layer);
        arc->X = 2800;
        arc->Y = -1400 + yOff;
        arc->Size1 = 250;
        arc->Size2 = 170;
        arc->Angle = 30;
        arc->Width = 250;
        b.Elements.push_back(std::move(arc));
        // Filled circles: an arc over more than half a turn, one across 0 degrees, a whole disc.
        struct FilledCircle {
            int x, y, outer, inner, start, stop;
        };
        for (const FilledCircle& f :
             {FilledCircle{700, -1800, 150, 90, 30, 250}, FilledCircle{1150, -1750, 150, 110, 300, 60},
              FilledCircle{2450, -1850, 120, 60, 0, 0}}) {
            auto c = make(KindCircle, layer);
            c->X = f.x;
            c->Y = f.y + yOff;
            c->Size1 = f.outer;
            c->Size2 = f.inner;
            c->Angle = f.start;
            c->Width = f.stop;
            c->Filled = 1;
            b.Elements.push_back(std::move(c));
        }
        auto area = make(KindArea, layer);
        area->Width = 20;
        area->Points = {
            {3500, -1100 + yOff}, {4200, -1100 + yOff}, {4200, -1700 + yOff}, {3500, -1100 + yOff}};
        b.Elements.push_back(std::move(area));
        auto restricted = make(KindArea, layer);
        restricted->Width = 20;
        restricted->Restricted = 1;
        restricted->Points = {{4500, -1100 + yOff},
                              {5500, -1100 + yOff},
                              {5500, -1700 + yOff},
                              {4500, -1700 + yOff},
                              {4500, -1100 + yOff}};
        b.Elements.push_back(std::move(restricted));
        auto line = make(KindLine, layer);
        line->X = 1500;
        line->Y = -1700 + yOff;
        line->Size1 = 1900;
        line->Size2 = -1550 + yOff;
        line->Width = 30;
        b.Elements.push_back(std::move(line));
        auto text = make(KindLayoutText, layer);
        text->X = 3300;
        text->Y = -1900 + yOff;
        for (int i = 0; i < 2; ++i) {
            TObjekt stroke;
            stroke.Kind = KindTrack;
            stroke.Layer = layer;
            stroke.Width = 40;
            stroke.Clearance = 40;
            stroke.Points = {{3300 + i * 200, -1900 + yOff},
                             {3400 + i * 200, -1750 + yOff},
                             {3500 + i * 200, -1900 + yOff}};
            text->Strokes.push_back(stroke);
        }
        b.Elements.push_back(std::move(text));
    }
    // Silk-screen elements for the print layers.
    for (std::uint8_t layer : {std::uint8_t(2), std::uint8_t(4)}) {
        auto t = make(KindTrack, layer);
        t->Width = 25;
        t->Points = {{300, -300}, {5700, -300}, {5700, -3700}};
        b.Elements.push_back(std::move(t));
    }
    // Through-plated pair for the drill file.
    b.Elements.push_back(pad(5500, -2700, 90, 45, ShapeRound, 1));
    b.Elements.push_back(pad(5500, -2700, 90, 45, ShapeRound, 3));
    const auto n = b.Elements.size();
    b.Elements[n - 2]->Twin = b.Elements[n - 1].get();
    b.Elements[n - 1]->Twin = b.Elements[n - 2].get();
    return b;
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

using Bitmap = std::vector<std::uint8_t>; // one byte per pixel, 1 = dark, rows from the top

struct Comparison {
    int differing = 0; // pixels that differ away from any edge
    int edge = 0;      // pixels that differ next to an edge
    std::string where; // file coordinates of differing pixels and who drew them dark
};

/// Our picture of a region: even-odd scanline fill of its normalised paths at pixel centres.
Bitmap rasterise(const Region& artwork, const TBoard& b, bool mirror, int w, int h)
{
    Bitmap img(static_cast<std::size_t>(w * h), 0);
    const Region norm = artwork.normalized();
    std::vector<double> xs;
    for (int r = 0; r < h; ++r) {
        const double fy = (h - 1 - r) * kUnitsPerPx + kUnitsPerPx / 2.0;
        const double y = fy - b.BoardHeight;
        xs.clear();
        for (const auto& comp : norm.components())
            for (const RPath& path : comp)
                for (std::size_t i = 0; i < path.size(); ++i) {
                    const RPoint& p = path[i];
                    const RPoint& q = path[(i + 1) % path.size()];
                    if ((p.y <= y) != (q.y <= y))
                        xs.push_back(p.x + (y - p.y) * static_cast<double>(q.x - p.x) /
                                               static_cast<double>(q.y - p.y));
                }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            for (int c = 0; c < w; ++c) {
                const double fx = c * kUnitsPerPx + kUnitsPerPx / 2.0;
                const double bx = mirror ? b.BoardWidth - fx : fx;
                if (bx >= xs[i] && bx < xs[i + 1])
                    img[static_cast<std::size_t>(r * w + c)] = 1;
            }
    }
    return img;
}

/// A reader's picture as a bitmap (white is dark copper).
Bitmap bitmap(const QImage& img)
{
    Bitmap out(static_cast<std::size_t>(img.width() * img.height()), 0);
    for (int r = 0; r < img.height(); ++r)
        for (int c = 0; c < img.width(); ++c)
            out[static_cast<std::size_t>(r * img.width() + c)] = qGray(img.pixel(c, r)) > 128;
    return out;
}

int darkPixels(const Bitmap& b)
{
    return static_cast<int>(std::count(b.begin(), b.end(), std::uint8_t{1}));
}

/// Compares a picture with a reference; a pixel may differ only where the reference changes
/// within kEdgeTolerancePx of it.
Comparison compare(const Bitmap& theirs, const Bitmap& reference, int w, int h)
{
    Comparison cmp;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            const bool o = reference[static_cast<std::size_t>(r * w + c)];
            if (o == static_cast<bool>(theirs[static_cast<std::size_t>(r * w + c)]))
                continue;
            bool nearEdge = false;
            for (int dr = -kEdgeTolerancePx; dr <= kEdgeTolerancePx && !nearEdge; ++dr)
                for (int dc = -kEdgeTolerancePx; dc <= kEdgeTolerancePx && !nearEdge; ++dc) {
                    const int rr = r + dr, cc = c + dc;
                    if (rr >= 0 && rr < h && cc >= 0 && cc < w &&
                        reference[static_cast<std::size_t>(rr * w + cc)] != o)
                        nearEdge = true;
                }
            if (nearEdge) {
                ++cmp.edge;
            } else {
                ++cmp.differing;
                if (cmp.differing <= 8)
                    cmp.where += " (" + std::to_string(c * kUnitsPerPx) + "," +
                                 std::to_string((h - 1 - r) * kUnitsPerPx) + (o ? " reference" : " reader") +
                                 ")";
            }
        }
    }
    return cmp;
}

/// Both readers must be there: a missing one fails the tests (the setup script installs them).
class GerberReaders : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_FALSE(gerbvProgram().isEmpty()) << "gerbv is not installed: run scripts/setup-deps.sh";
        const QString missing = tracespaceMissing();
        ASSERT_TRUE(missing.isEmpty())
            << "missing for gerber-to-svg: " << missing.toStdString() << "; run scripts/setup-deps.sh";
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

void expectAgreement(const Bitmap& theirs, const Bitmap& reference, int w, int h, const char* what)
{
    const Comparison cmp = compare(theirs, reference, w, h);
    EXPECT_EQ(cmp.differing, 0) << what << ": edge pixels differing: " << cmp.edge << "; at" << cmp.where;
    // Edges may differ by rounding, but never along a large part of the picture.
    EXPECT_LT(cmp.edge, w * h / 50) << what;
}

} // namespace

TEST_F(GerberReaders, EveryLayerKindAgreesExceptAlongEdges)
{
    const TBoard b = testBoard();
    const int w = b.BoardWidth / kUnitsPerPx, h = b.BoardHeight / kUnitsPerPx;
    struct Case {
        GerberLayer layer;
        bool punch;
        bool invert;
    };
    const Case cases[] = {{GerberLayer::K1, false, false},     {GerberLayer::K1, true, false},
                          {GerberLayer::K2, false, false},     {GerberLayer::K2, true, false},
                          {GerberLayer::B1, false, false},     {GerberLayer::B2, false, false},
                          {GerberLayer::LStop1, false, false}, {GerberLayer::LStop2, false, true}};
    TBoard plane2 = testBoard();
    plane2.GroundPlane1 = 0;
    plane2.GroundPlane2 = 1;
    for (const TBoard* board : {&b, static_cast<const TBoard*>(&plane2)}) {
        for (const Case& c : cases) {
            GerberOptions o = GerberOptions::forLayer(c.layer);
            o.punchHoles = c.punch;
            o.invert = c.invert;
            const QString file = dir.path() + QStringLiteral("/layer.gbr");
            writeFile(file, PlotteGerberfile(*board, o));
            SCOPED_TRACE(GerberLayerName(c.layer, 1) + (c.punch ? " punched" : "") +
                         (c.invert ? " inverted" : "") + (board == &b ? ", plane 1" : ", plane 2"));
            const Bitmap ours = rasterise(LayerArtwork(*board, o), *board, o.mirror, w, h);
            EXPECT_GT(darkPixels(ours), 500);

            const QImage gerbvImage = renderGerber(file, w, h, dir.path());
            ASSERT_EQ(gerbvImage.size(), QSize(w, h));
            const Bitmap gerbv = bitmap(gerbvImage);
            EXPECT_GT(darkPixels(gerbv), 500) << "gerbv drew nothing";
            expectAgreement(gerbv, ours, w, h, "gerbv against our regions");

            const TracespaceRendering ts = renderTracespace(file, w, h, dir.path());
            ASSERT_EQ(ts.image.size(), QSize(w, h)) << ts.warnings.join(QLatin1Char('\n')).toStdString();
            EXPECT_EQ(unexpectedWarnings(ts.warnings).join(QLatin1Char('\n')).toStdString(), "");
            const Bitmap tracespace = bitmap(ts.image);
            EXPECT_GT(darkPixels(tracespace), 500) << "gerber-to-svg drew nothing";
            expectAgreement(tracespace, ours, w, h, "gerber-to-svg against our regions");
            expectAgreement(tracespace, gerbv, w, h, "gerber-to-svg against gerbv");
        }
    }
}

TEST_F(GerberReaders, DrillHolesFallOnPadCentres)
{
    const TBoard b = testBoard();
    const int w = b.BoardWidth / kUnitsPerPx, h = b.BoardHeight / kUnitsPerPx;
    for (bool side2 : {false, true}) {
        for (bool inch : {false, true}) {
            DrillOptions o = DrillOptions::forUnit(inch);
            o.side2 = side2;
            const QString file = dir.path() + QStringLiteral("/holes.drl");
            writeFile(file, WriteExcellon(b, o));
            // Pad centres in the frame of that side's copper Gerber (mirrored for side 2); a
            // through-plated pair is one hole.
            std::vector<std::pair<double, double>> pads;
            for (const auto& e : b.Elements) {
                if (e->Kind != KindPad)
                    continue;
                const std::pair<double, double> p{side2 ? b.BoardWidth - e->X : e->X, e->Y + b.BoardHeight};
                if (std::find(pads.begin(), pads.end(), p) == pads.end())
                    pads.push_back(p);
            }
            const TracespaceRendering ts = renderTracespace(file, w, h, dir.path());
            EXPECT_EQ(ts.warnings.join(QLatin1Char('\n')).toStdString(), "");
            for (const bool second : {false, true}) {
                SCOPED_TRACE(std::string(side2 ? "side 2" : "side 1") + (inch ? " inch" : " mm") +
                             (second ? ", gerber-to-svg" : ", gerbv"));
                const auto holes = findBlobs(second ? ts.image : renderGerber(file, w, h, dir.path()));
                ASSERT_EQ(holes.size(), pads.size());
                for (const auto& p : pads) {
                    double best = 1e18;
                    for (const auto& hc : holes)
                        best = std::min(best, std::hypot(hc.x - p.first, hc.y - p.second));
                    EXPECT_LT(best, 1.5 * kUnitsPerPx) << "no hole at pad " << p.first << "," << p.second;
                }
            }
        }
    }
}

#include "output/gerber.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

bool OnGerberLayer(const TObjekt& e, GerberLayer layer) noexcept
{
    switch (layer) {
    case GerberLayer::K1:
        return e.Layer == LayerK1;
    case GerberLayer::B1:
        return e.Layer == LayerB1;
    case GerberLayer::K2:
        return e.Layer == LayerK2;
    case GerberLayer::B2:
        return e.Layer == LayerB2;
    default:
        return false; // the masks are made of pads, not of a layer
    }
}

namespace
{

/// Millimetres with two decimals from a value in 0.01 mm, written with integer arithmetic so
/// that neither the locale nor binary rounding can touch the digits.
std::string mm2(std::int64_t v)
{
    std::string s;
    if (v < 0) {
        s += '-';
        v = -v;
    }
    s += std::to_string(v / 100);
    s += '.';
    const std::int64_t frac = v % 100;
    s += static_cast<char>('0' + frac / 10);
    s += static_cast<char>('0' + frac % 10);
    return s;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Writer

void TGerberFile::line(const std::string& s)
{
    body_ += s;
    body_ += "\r\n";
}

void TGerberFile::Open(const std::string& layerName)
{
    nextDCode_ = 10;
    headerLines_.clear();
    body_.clear();
    apertures_.clear();
    headerLines_.push_back("%FSLAX32Y32*%");
    headerLines_.push_back("%MOMM*%");
    headerLines_.push_back("%LN" + layerName + "*%");
    headerLines_.push_back("G71*");
    headerLines_.push_back("G01*");
    line("%LPD*%");
}

void TGerberFile::MoveTo(std::int64_t x, std::int64_t y)
{
    line("X" + std::to_string(mx(x)) + "Y" + std::to_string(y) + "D02*");
}

void TGerberFile::LineTo(std::int64_t x, std::int64_t y)
{
    line("X" + std::to_string(mx(x)) + "Y" + std::to_string(y) + "D01*");
}

void TGerberFile::Flash()
{
    line("D03*");
}
void TGerberFile::BeginRegion()
{
    line("G36*");
}
void TGerberFile::EndRegion()
{
    line("G37*");
}
void TGerberFile::ClearPolarity()
{
    line("%LPC*%");
}
void TGerberFile::DarkPolarity()
{
    line("%LPD*%");
}

void TGerberFile::BeginPadClearances()
{
    line("%LNAUGENFREISTANZEN*%");
    line("%LPC*%");
}

const TBlende& TGerberFile::findOrCreate(const TBlende& key)
{
    for (const TBlende& a : apertures_)
        if (a.Form == key.Form && a.Hole == key.Hole && a.Size == key.Size && a.HalfX == key.HalfX &&
            a.HalfY == key.HalfY)
            return a;
    TBlende a = key;
    a.DCode = nextDCode_++;
    apertures_.push_back(a);
    return apertures_.back();
}

void TGerberFile::SelectAperture(const TBlende& a)
{
    line("G54D" + std::to_string(a.DCode) + "*");
}

void TGerberFile::SetPenwidth(std::int32_t d)
{
    TBlende key;
    key.Form = 0;
    key.Size = d;
    const TBlende& a = findOrCreate(key);
    penwidth_ = d;
    SelectAperture(a);
}

void TGerberFile::FlashRoundPad(std::int32_t hole, std::int32_t r)
{
    TBlende key;
    key.Form = 1;
    key.Hole = hole;
    key.Size = r;
    SelectAperture(findOrCreate(key));
    Flash();
}

void TGerberFile::FlashRect(std::int32_t hx, std::int32_t hy)
{
    TBlende key;
    key.Form = 3;
    key.HalfX = hx;
    key.HalfY = hy;
    SelectAperture(findOrCreate(key));
    Flash();
}

GPoint TGerberFile::arcLines(GPoint c, GPoint p1, GPoint p2)
{
    GPoint s = p1;
    GPoint t = p2;
    GPoint centre = c;
    if (Mirror) {
        // Mirroring reverses the turning sense: swap the ends so the arc stays anticlockwise.
        centre.x = MirrorWidth - c.x;
        s = {MirrorWidth - p2.x, p2.y};
        t = {MirrorWidth - p1.x, p1.y};
    }
    line("G01X" + std::to_string(s.x) + "Y" + std::to_string(s.y) + "D02*");
    line("G03X" + std::to_string(t.x) + "Y" + std::to_string(t.y) + "I" + std::to_string(centre.x - s.x) +
         "J" + std::to_string(centre.y - s.y) + "D01*");
    line("G01*");
    return s;
}

void TGerberFile::Arc(GPoint c, GPoint p1, GPoint p2)
{
    line("G75*");
    arcLines(c, p1, p2);
}

void TGerberFile::Chord(GPoint c, GPoint p1, GPoint p2)
{
    line("G75*");
    BeginRegion();
    const GPoint s = arcLines(c, p1, p2);
    // Back to the start in a straight line; s is already in the file's frame.
    line("X" + std::to_string(s.x) + "Y" + std::to_string(s.y) + "D01*");
    EndRegion();
}

void TGerberFile::Octagon(GPoint c, std::int64_t a, std::int64_t b)
{
    const std::int32_t before = penwidth_;
    const std::int64_t e = RoundHalfEven64(static_cast<double>(std::min(a, b)) * 0.585);
    BeginRegion();
    MoveTo(c.x - a, c.y + b - e);
    LineTo(c.x - a + e, c.y + b);
    LineTo(c.x + a - e, c.y + b);
    LineTo(c.x + a, c.y + b - e);
    LineTo(c.x + a, c.y - b + e);
    LineTo(c.x + a - e, c.y - b);
    LineTo(c.x - a + e, c.y - b);
    LineTo(c.x - a, c.y - b + e);
    EndRegion();
    SetPenwidth(before);
}

void TGerberFile::RoundedRect(GPoint c, std::int64_t a, std::int64_t b)
{
    const std::int32_t before = penwidth_;
    const std::int64_t d = RoundHalfEven64(static_cast<double>(std::min(a, b)) * 1.5);
    const std::int64_t e = d / 2;
    const GPoint p[4] = {{c.x - a + e, c.y - b + e},
                         {c.x + a - e, c.y - b + e},
                         {c.x + a - e, c.y + b - e},
                         {c.x - a + e, c.y + b - e}};
    BeginRegion();
    MoveTo(p[0].x, p[0].y);
    for (int i = 1; i < 4; ++i)
        LineTo(p[i].x, p[i].y);
    EndRegion();
    SetPenwidth(Saturate32(d));
    MoveTo(p[0].x, p[0].y);
    for (int i = 1; i < 4; ++i)
        LineTo(p[i].x, p[i].y);
    LineTo(p[0].x, p[0].y);
    SetPenwidth(before);
}

std::string TGerberFile::Close()
{
    if (apertures_.empty()) {
        // A layer with nothing on it: readers take a file without any aperture for the older
        // RS-274D, which needs an aperture list of its own. One aperture, selected, and a move
        // that draws nothing keep the file recognisably RS-274X.
        headerLines_.push_back("%ADD" + std::to_string(nextDCode_) + "C," + mm2(10) + "*%");
        line("D" + std::to_string(nextDCode_) + "*");
        line("X0Y0D02*");
    }
    line("M02*");
    // No blank after the comma: the format allows blanks only inside strings, and strict readers
    // drop a definition that has one, which leaves every flash and stroke of it undrawn.
    for (const TBlende& a : apertures_) {
        const std::string n = std::to_string(a.DCode);
        switch (a.Form) {
        case 0:
            headerLines_.push_back("%ADD" + n + "C," + mm2(a.Size) + "*%");
            break;
        case 1:
            headerLines_.push_back("%ADD" + n + "C," + mm2(2 * static_cast<std::int64_t>(a.Size)) + "*%");
            break;
        default:
            headerLines_.push_back("%ADD" + n + "R," + mm2(2 * static_cast<std::int64_t>(a.HalfX)) + "X" +
                                   mm2(2 * static_cast<std::int64_t>(a.HalfY)) + "*%");
            break;
        }
    }
    std::string out;
    std::size_t size = body_.size();
    for (const std::string& h : headerLines_)
        size += h.size() + 2;
    out.reserve(size);
    for (const std::string& h : headerLines_) {
        out += h;
        out += "\r\n";
    }
    out += body_;
    body_.clear();
    return out;
}

// ---------------------------------------------------------------------------------------------
// Plotting a board

bool IsFullCircle(const TObjekt& circle) noexcept
{
    return (static_cast<std::int64_t>(circle.Angle) - circle.Width) % 360 == 0;
}

GerberOptions GerberOptions::forLayer(GerberLayer layer)
{
    GerberOptions o;
    o.layer = layer;
    o.mirror = layer == GerberLayer::K2 || layer == GerberLayer::B2 || layer == GerberLayer::LStop2;
    o.outline = layer == GerberLayer::K1 || layer == GerberLayer::K2;
    return o;
}

std::string GerberLayerName(GerberLayer layer, int language)
{
    static const char* const names[6][3] = {
        {"KUPFERSEITE1", "COPPER1", "CUIVRE1"},         {"BESTUECKUNG1", "SILKSCREEN1", "SERIGRAPHIE1"},
        {"KUPFERSEITE2", "COPPER2", "CUIVRE2"},         {"BESTUECKUNG2", "SILKSCREEN2", "SERIGRAPHIE2"},
        {"LOETSTOP1", "SOLDERMASK1", "MASQUESOUDURE1"}, {"LOETSTOP2", "SOLDERMASK2", "MASQUESOUDURE2"},
    };
    const int lang = language < 0 || language > 2 ? 1 : language;
    return names[static_cast<int>(layer)][lang];
}

namespace
{

/// Walks a board and drives the writer.
class GerberPlotter
{
  public:
    GerberPlotter(const TBoard& b, const GerberOptions& o)
        : board_(b), opt_(o), H_(b.BoardHeight), W_(b.BoardWidth)
    {
    }

    std::string run()
    {
        g_.Mirror = opt_.mirror;
        g_.MirrorWidth = W_;
        g_.Open(GerberLayerName(opt_.layer, opt_.language));
        const bool mask = opt_.layer == GerberLayer::LStop1 || opt_.layer == GerberLayer::LStop2;
        if (opt_.outline)
            outline();
        if (mask) {
            GerberLoetstopMaske();
            return g_.Close();
        }
        const bool plane = (opt_.layer == GerberLayer::K1 && board_.GroundPlane1) ||
                           (opt_.layer == GerberLayer::K2 && board_.GroundPlane2);
        if (plane) {
            boardRegion();
            g_.ClearPolarity();
            PlotteLayout(true);
            g_.DarkPolarity();
        }
        PlotteLayout(false);
        if (opt_.punchHoles)
            GerberFreistanzen();
        return g_.Close();
    }

  private:
    std::int64_t sy(std::int64_t y) const noexcept { return y + H_; }

    void outline()
    {
        g_.SetPenwidth(20);
        g_.MoveTo(0, 0);
        g_.LineTo(W_, 0);
        g_.LineTo(W_, H_);
        g_.LineTo(0, H_);
        g_.LineTo(0, 0);
    }

    void boardRegion()
    {
        g_.BeginRegion();
        g_.MoveTo(0, 0);
        g_.LineTo(W_, 0);
        g_.LineTo(W_, H_);
        g_.LineTo(0, H_);
        g_.EndRegion();
    }

    bool GerberSichtbar(const TObjekt& e) const noexcept { return OnGerberLayer(e, opt_.layer); }

    void padShape(const TObjekt& e, std::int64_t q, std::int64_t L, std::int32_t roundHole)
    {
        const GPoint c{e.X, sy(e.Y)};
        g_.MoveTo(c.x, c.y);
        switch (e.Shape) {
        case ShapeRound:
            g_.FlashRoundPad(roundHole, Saturate32(q));
            break;
        case ShapeOctagon:
            g_.Octagon(c, q, q);
            break;
        case ShapeSquare:
            g_.FlashRect(Saturate32(q), Saturate32(q));
            break;
        case ShapeRoundedWide:
            g_.RoundedRect(c, L, q);
            break;
        case ShapeOctagonWide:
            g_.Octagon(c, L, q);
            break;
        case ShapeRectWide:
            g_.FlashRect(Saturate32(L), Saturate32(q));
            break;
        case ShapeRoundedTall:
            g_.RoundedRect(c, q, L);
            break;
        case ShapeOctagonTall:
            g_.Octagon(c, q, L);
            break;
        case ShapeRectTall:
            g_.FlashRect(Saturate32(q), Saturate32(L));
            break;
        default:
            g_.FlashRoundPad(roundHole, Saturate32(q));
            break; // unknown codes from foreign files
        }
    }

    void polyline(const std::vector<TPoint>& pts)
    {
        if (pts.empty())
            return;
        g_.MoveTo(pts[0].x, sy(pts[0].y));
        for (std::size_t i = 1; i < pts.size(); ++i)
            g_.LineTo(pts[i].x, sy(pts[i].y));
    }

    void plotTrack(const TObjekt& e, bool clearance)
    {
        const std::int64_t k = clearance ? e.Clearance : 0;
        g_.SetPenwidth(Saturate32(e.Width + 2 * k));
        polyline(e.Points);
    }

    /// The point at an angle (degrees) on a circle about the element's centre, in the file's frame.
    GPoint onCircle(const TObjekt& e, std::int64_t radius, std::int32_t angle) const
    {
        const double r = static_cast<double>(radius);
        return {e.X + RoundHalfEven64(r * CosDegrees(angle)),
                sy(e.Y + RoundHalfEven64(r * SinDegrees(angle)))};
    }

    /// A ring or arc is the round pen on the middle radius. A filled one is what the drawing
    /// shows and the milling contours follow: the chord of the disc, its straight edge stroked
    /// with the ring's width (a full filled circle is the whole disc). k: the clearance growth.
    void plotCircle(const TObjekt& e, std::int64_t k)
    {
        const std::int64_t pen = static_cast<std::int64_t>(e.Size1) - e.Size2 + 2 * k;
        const std::int64_t radius = e.Size1 + k - RoundHalfEven64(static_cast<double>(pen) / 2.0);
        const GPoint c{e.X, sy(e.Y)};
        if (!e.Filled) {
            g_.SetPenwidth(Saturate32(pen));
            g_.Arc(c, onCircle(e, radius, e.Angle), onCircle(e, radius, e.Width));
            return;
        }
        const std::int64_t outer = static_cast<std::int64_t>(e.Size1) + k;
        if (outer <= 0)
            return;
        if (IsFullCircle(e)) {
            g_.SetPenwidth(Saturate32(2 * outer));
            g_.MoveTo(c.x, c.y);
            g_.Flash();
            return;
        }
        g_.Chord(c, onCircle(e, outer, e.Angle), onCircle(e, outer, e.Width));
        if (pen <= 0)
            return;
        const GPoint m0 = onCircle(e, radius, e.Angle);
        const GPoint m1 = onCircle(e, radius, e.Width);
        g_.SetPenwidth(Saturate32(pen));
        g_.MoveTo(m0.x, m0.y);
        g_.LineTo(m1.x, m1.y);
    }

    void plotElement(const TObjekt& e, bool clearance)
    {
        const std::int64_t k = clearance ? e.Clearance : 0;
        switch (e.Kind) {
        case KindLine:
            g_.SetPenwidth(Saturate32(e.Width + 2 * k));
            g_.MoveTo(e.X, sy(e.Y));
            g_.LineTo(e.Size1, sy(e.Size2));
            break;
        case KindPad: {
            if (!clearance && e.Size1 == e.Size2)
                break; // a bare drill hole: nothing to plot
            const std::int64_t r = e.Size1;
            padShape(e, r + k, 2 * r + k, e.Size2);
            break;
        }
        case KindArea: {
            if (e.Restricted && !clearance)
                break;
            const std::int64_t grow = e.Restricted ? 0 : 2 * k;
            g_.SetPenwidth(Saturate32(e.Width + grow));
            if (e.Points.empty())
                break;
            g_.BeginRegion();
            polyline(e.Points);
            g_.EndRegion();
            polyline(e.Points);
            g_.LineTo(e.Points[0].x, sy(e.Points[0].y));
            break;
        }
        case KindCircle:
            plotCircle(e, k);
            break;
        case KindTrack:
            plotTrack(e, clearance);
            break;
        case KindLayoutText:
            for (const TObjekt& s : e.Strokes)
                plotTrack(s, clearance);
            break;
        case KindSmdPad:
            g_.MoveTo(e.X, sy(e.Y));
            g_.FlashRect(Saturate32(RoundHalfEven64(e.Size1 / 2.0) + k),
                         Saturate32(RoundHalfEven64(e.Size2 / 2.0) + k));
            break;
        default:
            break; // old font texts are not plotted
        }
    }

    void PlotteLayout(bool clearance)
    {
        for (const auto& e : board_.Elements)
            if (GerberSichtbar(*e))
                plotElement(*e, clearance);
    }

    void GerberFreistanzen()
    {
        g_.BeginPadClearances();
        for (const auto& e : board_.Elements) {
            if (e->Kind != KindPad || !GerberSichtbar(*e))
                continue;
            g_.MoveTo(e->X, sy(e->Y));
            g_.SetPenwidth(opt_.markHoles ? 30 : Saturate32(2 * static_cast<std::int64_t>(e->Size2)));
            g_.Flash();
        }
    }

    void GerberLoetstopMaske()
    {
        const std::int64_t o = RoundHalfEven64(opt_.padOffsetMm * 100.0);
        const double s = opt_.smdOffsetMm * 100.0;
        // The mask draws the outline a second time when it is not inverted; harmless, and kept so
        // that files stay byte-identical to the established output.
        if (opt_.outline && !opt_.invert)
            outline();
        if (opt_.invert) {
            boardRegion();
            g_.ClearPolarity();
        }
        const std::uint8_t copper = opt_.layer == GerberLayer::LStop1 ? 1 : 3;
        for (const auto& e : board_.Elements) {
            if (e->Layer != copper)
                continue;
            if (e->Kind == KindPad && opt_.pads) {
                const std::int64_t r = e->Size1;
                padShape(*e, r + o, 2 * r + o, 0);
            } else if (e->Kind == KindSmdPad && opt_.smdPads) {
                g_.MoveTo(e->X, sy(e->Y));
                g_.FlashRect(Saturate32(RoundHalfEven64(s + e->Size1 / 2.0)),
                             Saturate32(RoundHalfEven64(s + e->Size2 / 2.0)));
            }
        }
    }

    const TBoard& board_;
    const GerberOptions& opt_;
    const std::int64_t H_;
    const std::int64_t W_;
    TGerberFile g_;
};

} // namespace

std::string PlotteGerberfile(const TBoard& board, const GerberOptions& options)
{
    return GerberPlotter(board, options).run();
}

} // namespace trevok

#include "footprints.h"

#include "edit/properties.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace trevok
{
namespace
{

// All lengths in board units: 1/100 mm.

// --- drawing conventions of the whole library ------------------------------------------------
constexpr std::int32_t kSilkWidth = 20; // 0.2 mm print line: fine enough for small parts, still printable
constexpr std::int32_t kSilkGap = 25;   // 0.25 mm between a print line's edge and any copper
constexpr std::int32_t kMinPiece = 20;  // print pieces shorter than 0.2 mm left out after clipping
constexpr std::int32_t kClearance = 40; // ground-plane clearance of each element, the editor's default
constexpr std::int32_t kDotRadius = 25; // 0.5 mm filled dot marking pin 1 of SMD parts

// --- through-hole pads -------------------------------------------------------------------------
// A drill 0.2-0.3 mm over the lead's diameter (or diagonal) and an annular ring of at least 0.4 mm,
// wide enough for etching at home and for soldering by hand.
constexpr std::int32_t kStdPadDiameter = 160; // 1.6 mm pad for leads up to 0.6 mm
constexpr std::int32_t kStdDrill = 80; // 0.8 mm: DIP, TO-92, resistor and capacitor leads (0.45-0.6 mm)

// --- DIP (plastic dual in-line, JEDEC MS-001 for 300 mil, MS-011 for 600 mil) ------------------
constexpr std::int32_t kDipPitch = 254;       // e: lead pitch 2.54 mm (0.1 in)
constexpr std::int32_t kDip300Rows = 762;     // eA: row spacing 7.62 mm (0.3 in)
constexpr std::int32_t kDip600Rows = 1524;    // eA: row spacing 15.24 mm (0.6 in)
constexpr std::int32_t kDip300Body = 635;     // E1: body width 6.35 mm (0.25 in nominal)
constexpr std::int32_t kDip600Body = 1372;    // E1: body width 13.72 mm (0.54 in, typical)
constexpr std::int32_t kDipNotchRadius = 100; // pin-1 notch in the body's end, 1 mm radius
// The outline ends half a pitch beyond the end pins: the body length D varies by maker and pin
// count (9.0-10.2 mm for 8 pins, for example), and this stays close to it.

// --- SIL pin headers ---------------------------------------------------------------------------
constexpr std::int32_t kSilPitch = 254;       // header pitch 2.54 mm
constexpr std::int32_t kSilPadDiameter = 170; // 1.7 mm pad
constexpr std::int32_t kSilDrill = 100;       // 1.0 mm: square posts of 0.64 mm (0.9 mm diagonal)
constexpr std::int32_t kSilHousing = 254;     // plastic strip: 2.54 mm square per pin

// --- TO-92 (JEDEC TO-226AA), leads formed to the 2.54 mm grid ----------------------------------
constexpr std::int32_t kTo92Pitch = 254;        // leads bent out from 1.27 to 2.54 mm
constexpr std::int32_t kTo92BodyDiameter = 480; // D: body diameter 4.8 mm (4.45-5.2)
constexpr std::int32_t kTo92BodyDepth = 380;    // E: flat face to round back 3.8 mm (3.43-4.19)
// The leads leave the body on the line through the centre of the round back.

// --- TO-220 standing upright (JEDEC TO-220AB) --------------------------------------------------
constexpr std::int32_t kTo220Pitch = 254;      // e: lead pitch 2.54 mm
constexpr std::int32_t kTo220PadRadius = 85;   // rounded tall pad 1.7 x 3.4 mm: more copper at 2.54 mm pitch
constexpr std::int32_t kTo220Drill = 120;      // 1.2 mm: leads 0.9 x 0.6 mm (1.08 mm diagonal)
constexpr std::int32_t kTo220BodyWidth = 1016; // E: body width 10.16 mm (9.66-10.66)
constexpr std::int32_t kTo220Thickness = 450;  // A: body and tab together 4.5 mm (4.06-4.83)
constexpr std::int32_t kTo220Tab = 127;        // A1: metal tab thickness 1.27 mm (1.14-1.40)
constexpr std::int32_t kTo220LeadToBack = 240; // lead centre line to the back of the tab 2.4 mm

// --- SMD lands: lead foot plus fillets at toe, heel and sides, in the manner of IPC-7351 at
// nominal density; nominal lead dimensions, tolerances left out.
constexpr std::int32_t kGullToe = 35;  // 0.35 mm beyond the foot's end
constexpr std::int32_t kGullHeel = 35; // 0.35 mm inward of the foot
constexpr std::int32_t kGullSide = 3;  // 0.03 mm each side
constexpr std::int32_t kChipToe = 35;  // chips: 0.35 mm beyond the terminal, no heel, no side
constexpr std::int32_t kChipHeel = 0;
constexpr std::int32_t kChipSide = 0;

// --- SOIC (JEDEC MS-012, 3.9 mm body) ----------------------------------------------------------
constexpr std::int32_t kSoicPitch = 127;     // e: 1.27 mm
constexpr std::int32_t kSoicSpan = 600;      // E: lead tip to lead tip 6.0 mm (5.8-6.2)
constexpr std::int32_t kSoicBodyWidth = 390; // E1: body width 3.9 mm (3.8-4.0)
constexpr std::int32_t kSoicFoot = 84;       // L: foot length, middle of 0.40-1.27 mm
constexpr std::int32_t kSoicLead = 41;       // b: lead width, middle of 0.31-0.51 mm
constexpr std::int32_t kSoic8Length = 490;   // D: body length SOIC-8 4.9 mm (4.8-5.0)
constexpr std::int32_t kSoic14Length = 865;  // D: SOIC-14 8.65 mm (8.55-8.75)
constexpr std::int32_t kSoic16Length = 990;  // D: SOIC-16 9.9 mm (9.8-10.0)

// --- SOT-23 (JEDEC TO-236AB) -------------------------------------------------------------------
constexpr std::int32_t kSotPitch = 190;     // e1: pins 1 and 2 are 1.9 mm apart, pin 3 opposite in the middle
constexpr std::int32_t kSotSpan = 240;      // E: lead tip to lead tip 2.4 mm (2.1-2.64)
constexpr std::int32_t kSotBodyWidth = 130; // E1: body width 1.3 mm (1.2-1.4)
constexpr std::int32_t kSotBodyLength = 290; // D: body length 2.9 mm (2.8-3.04)
constexpr std::int32_t kSotFoot = 45;        // L: foot length 0.45 mm (about 0.3-0.6)
constexpr std::int32_t kSotLead = 40;        // b: lead width 0.4 mm (0.3-0.5)

// --- chip resistors and capacitors (EIA sizes, inch names) -------------------------------------
struct ChipSize {
    const char* name;
    std::int32_t length;   // L: body length
    std::int32_t width;    // W: body width
    std::int32_t terminal; // T: metal end cap length
};
constexpr ChipSize kChips[] = {
    {"0603", 160, 80, 30},  // 1.6 x 0.8 mm, caps 0.3 mm
    {"0805", 200, 125, 40}, // 2.0 x 1.25 mm, caps 0.4 mm
    {"1206", 320, 160, 50}, // 3.2 x 1.6 mm, caps 0.5 mm
};

// --- axial resistor (DIN 0207, 1/4 W) on 10.16 mm -----------------------------------------------
constexpr std::int32_t kAxialPitch = 1016;       // hole spacing 10.16 mm (0.4 in)
constexpr std::int32_t kAxialBodyLength = 630;   // L: 6.3 mm
constexpr std::int32_t kAxialBodyDiameter = 250; // D: 2.5 mm

// --- radial electrolytic capacitors --------------------------------------------------------------
struct RadialSize {
    std::int32_t pitch;    // F: lead spacing
    std::int32_t diameter; // D: can diameter that goes with it
};
constexpr RadialSize kRadials[] = {
    {254, 500},  // 2.54 mm (2.5 mm) spacing: 5 mm can
    {508, 1000}, // 5.08 mm (5.0 mm) spacing: 10 mm can
};
constexpr std::int32_t kPlusSize = 100; // the "+" beside pin 1: 1 mm across

// --- mounting hole for M3 ----------------------------------------------------------------------
constexpr std::int32_t kM3Drill = 320;  // 3.2 mm: clearance hole of an M3 screw, fine series of ISO 273
constexpr std::int32_t kM3Pad = 600;    // 6.0 mm copper ring: the 5.5 mm screw head rests on it
constexpr std::int32_t kM3Washer = 700; // 7.0 mm print circle: the outer diameter of an M3 washer

// ---------------------------------------------------------------------------------------------

std::int32_t half(double v)
{
    return RoundHalfEven(v / 2.0);
}

std::string mmText(std::int32_t units)
{
    // 2.54, 7.62, 0.8, 10.16: at most two decimals, trailing zeros dropped.
    std::string s = std::to_string(units / 100);
    const int frac = units % 100;
    if (frac != 0) {
        s += '.';
        s += static_cast<char>('0' + frac / 10);
        if (frac % 10 != 0)
            s += static_cast<char>('0' + frac % 10);
    }
    return s;
}

/// The box around a pad's copper.
struct KeepOut {
    std::int64_t left, bottom, right, top;
};

/// Builds one footprint: pads first, then the outline, which is clipped around the pads.
class Builder
{
  public:
    explicit Builder(std::string path) { fp_.path = std::move(path); }

    void pad(TPoint c, std::int32_t diameter, std::int32_t drill, std::uint8_t shape = ShapeRound)
    {
        padRadius(c, half(diameter), drill, shape);
    }
    /// A through-plated pad: the pad on K1 and right after it its twin on K2, linked in the file,
    /// so that a drop places both.
    void padRadius(TPoint c, std::int32_t radius, std::int32_t drill, std::uint8_t shape)
    {
        add(NewPad(c, radius, shape, LayerK1, half(drill)));
        AddTwin(fp_.elements, *fp_.elements.back());
    }
    void smd(TPoint c, std::int32_t width, std::int32_t height) { add(NewSmdPad(c, width, LayerK1, height)); }

    /// A print polyline; axis-parallel segments are cut where they would come near a pad.
    void outline(const std::vector<TPoint>& points)
    {
        std::vector<std::pair<TPoint, TPoint>> pieces;
        bool cut = false;
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            cut |= clip(points[i], points[i + 1], pieces);
        if (!cut) {
            auto t = NewTrack(kSilkWidth, LayerB1);
            for (const TPoint& p : points)
                AddPoint(*t, p);
            add(std::move(t));
            return;
        }
        for (const auto& [a, b] : pieces)
            line(a, b);
    }
    void rectangle(std::int32_t left, std::int32_t bottom, std::int32_t right, std::int32_t top)
    {
        outline({{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}});
    }
    /// A print circle (full when start == stop) whose line is centred on radius.
    void circle(TPoint c, std::int32_t radius, std::int32_t start = 0, std::int32_t stop = 0)
    {
        auto e = NewCircle(c, radius + kSilkWidth / 2, 0, LayerB1, radius - kSilkWidth / 2);
        e->Angle = start;
        e->Width = stop;
        add(std::move(e));
    }
    void dot(TPoint c, std::int32_t radius)
    {
        auto e = NewCircle(c, radius, 0, LayerB1, 0);
        e->Filled = 1;
        add(std::move(e));
    }
    void comments(std::string a, std::string b)
    {
        fp_.line1 = std::move(a);
        fp_.line2 = std::move(b);
    }
    /// The distance from c to the farthest corner of any pad's box.
    double reach(TPoint c) const
    {
        double r = 0;
        for (const KeepOut& k : copper_)
            for (const std::int64_t x : {k.left, k.right})
                for (const std::int64_t y : {k.bottom, k.top})
                    r = std::max(r, std::hypot(static_cast<double>(x - c.x), static_cast<double>(y - c.y)));
        return r;
    }
    Footprint take()
    {
        if (fp_.line1.size() > 50 || fp_.line2.size() > 50)
            throw std::logic_error("comment line longer than 50 bytes in " + fp_.path);
        return std::move(fp_);
    }

  private:
    void add(std::unique_ptr<TObjekt> e)
    {
        e->Clearance = kClearance;
        if (e->isPadLike()) {
            TObjekt bare = *e;
            bare.Clearance = 0;
            const TRect r = Bounds(bare);
            copper_.push_back({r.left, r.top, r.right, r.bottom});
        }
        fp_.elements.push_back(std::move(e));
    }
    void line(TPoint a, TPoint b)
    {
        auto t = NewTrack(kSilkWidth, LayerB1);
        AddPoint(*t, a);
        AddPoint(*t, b);
        add(std::move(t));
    }
    /// Appends the parts of a..b outside every keep-out; true when anything was cut away.
    bool clip(TPoint a, TPoint b, std::vector<std::pair<TPoint, TPoint>>& out) const
    {
        const bool horizontal = a.y == b.y;
        if (!horizontal && a.x != b.x) {
            out.emplace_back(a, b);
            return false;
        }
        const std::int64_t across = horizontal ? a.y : a.x;
        std::int64_t lo = horizontal ? std::min(a.x, b.x) : std::min(a.y, b.y);
        const std::int64_t hi = horizontal ? std::max(a.x, b.x) : std::max(a.y, b.y);
        std::vector<std::pair<std::int64_t, std::int64_t>> blocked;
        constexpr std::int64_t g = kSilkGap + kSilkWidth / 2;
        for (const KeepOut& c : copper_) {
            const KeepOut k{c.left - g, c.bottom - g, c.right + g, c.top + g};
            // A line whose centre lies exactly on a keep-out's border keeps the gap: not cut.
            const bool meets =
                horizontal ? (across > k.bottom && across < k.top) : (across > k.left && across < k.right);
            if (meets)
                blocked.push_back(horizontal ? std::pair{k.left, k.right} : std::pair{k.bottom, k.top});
        }
        std::sort(blocked.begin(), blocked.end());
        bool cut = false;
        auto emit = [&](std::int64_t from, std::int64_t to) {
            if (to - from < kMinPiece)
                return;
            const auto f = static_cast<std::int32_t>(from), t = static_cast<std::int32_t>(to);
            out.emplace_back(horizontal ? TPoint{f, a.y} : TPoint{a.x, f},
                             horizontal ? TPoint{t, a.y} : TPoint{a.x, t});
        };
        for (const auto& [bl, bh] : blocked) {
            if (bh <= lo || bl >= hi)
                continue;
            cut = true;
            if (bl > lo)
                emit(lo, bl);
            lo = std::max(lo, bh);
        }
        if (!cut)
            out.emplace_back(a, b);
        else if (lo < hi)
            emit(lo, hi);
        return cut;
    }

    Footprint fp_;
    std::vector<KeepOut> copper_; // the pads' boxes
};

// ---------------------------------------------------------------------------------------------

/// Pins counted anticlockwise seen from the component side: 1 at the top left, down the left
/// row, up the right row.
Footprint dip(int pins, std::int32_t rows, std::int32_t bodyWidth)
{
    const int perRow = pins / 2;
    Builder b("DIP/DIP-" + std::to_string(pins) + " " + mmText(rows) + ".lmk");
    for (int k = 0; k < perRow; ++k)
        b.pad({0, -k * kDipPitch}, kStdPadDiameter, kStdDrill, k == 0 ? ShapeSquare : ShapeRound);
    for (int k = 0; k < perRow; ++k)
        b.pad({rows, -(perRow - 1 - k) * kDipPitch}, kStdPadDiameter, kStdDrill);

    // Body width, narrowed where it would come near the pads of a row.
    const std::int32_t room = rows - kStdPadDiameter - 2 * kSilkGap - kSilkWidth;
    const std::int32_t w = std::min(bodyWidth, room);
    const std::int32_t cx = half(rows);
    const std::int32_t left = cx - half(w), right = left + w;
    const std::int32_t top = half(kDipPitch);
    const std::int32_t bottom = -(perRow - 1) * kDipPitch - half(kDipPitch);
    b.outline({{cx - kDipNotchRadius, top},
               {left, top},
               {left, bottom},
               {right, bottom},
               {right, top},
               {cx + kDipNotchRadius, top}});
    b.circle({cx, top}, kDipNotchRadius, 180, 0); // the half circle below the top edge
    b.comments("DIP-" + std::to_string(pins) + ", " + mmText(kDipPitch) + " mm pitch, rows " + mmText(rows) +
                   " mm",
               "pads " + mmText(kStdPadDiameter) + " mm, drill " + mmText(kStdDrill) + " mm, pin 1 square");
    return b.take();
}

Footprint sil(int pins)
{
    Builder b("SIL/SIL 1x" + std::string(pins < 10 ? "0" : "") + std::to_string(pins) + ".lmk");
    for (int k = 0; k < pins; ++k)
        b.pad({k * kSilPitch, 0}, kSilPadDiameter, kSilDrill, k == 0 ? ShapeSquare : ShapeRound);
    const std::int32_t h = half(kSilHousing);
    b.rectangle(-h, -h, (pins - 1) * kSilPitch + h, h);
    b.comments("Pin header 1x" + std::to_string(pins) + ", " + mmText(kSilPitch) + " mm pitch",
               "pads " + mmText(kSilPadDiameter) + " mm, drill " + mmText(kSilDrill) + " mm, pin 1 square");
    return b.take();
}

double degrees(double radians)
{
    return radians * 180.0 / std::numbers::pi;
}

/// Pins 1-2-3 from left to right seen from the component side, flat face towards -y.
Footprint to92()
{
    Builder b("TO/TO-92.lmk");
    for (int k = 0; k < 3; ++k)
        b.pad({k * kTo92Pitch, 0}, kStdPadDiameter, kStdDrill, k == 0 ? ShapeSquare : ShapeRound);
    const TPoint c{kTo92Pitch, 0};
    const double r = kTo92BodyDiameter / 2.0;
    // The round back is broken where it passes the outer pads (square pad's corner included).
    const double keep = kStdPadDiameter / 2.0 * std::numbers::sqrt2 + kSilkGap + kSilkWidth / 2.0;
    const std::int32_t gapAngle = RoundHalfEven(degrees(std::asin(keep / r)));
    // The flat face cuts the circle at depth E from the back.
    const double flatY = -(kTo92BodyDepth - r);
    const std::int32_t flatAngle = RoundHalfEven(degrees(std::asin(-flatY / r)));
    b.circle(c, half(kTo92BodyDiameter), gapAngle, 180 - gapAngle);
    const std::int32_t fx = RoundHalfEven(r * CosDegrees(flatAngle));
    const std::int32_t fy = RoundHalfEven(flatY);
    b.outline({{c.x - fx, fy}, {c.x + fx, fy}});
    b.comments("TO-92, leads 2.54 mm apart, flat side down",
               "pads " + mmText(kStdPadDiameter) + " mm, drill " + mmText(kStdDrill) + " mm, pin 1 square");
    return b.take();
}

/// Standing upright, seen from above: the body's front towards -y, the metal tab at the back.
Footprint to220()
{
    Builder b("TO/TO-220 upright.lmk");
    for (int k = 0; k < 3; ++k)
        b.padRadius({k * kTo220Pitch, 0}, kTo220PadRadius, kTo220Drill,
                    k == 0 ? ShapeRectTall : ShapeRoundedTall);
    const std::int32_t cx = kTo220Pitch;
    const std::int32_t left = cx - half(kTo220BodyWidth), right = left + kTo220BodyWidth;
    const std::int32_t back = kTo220LeadToBack, front = back - kTo220Thickness;
    b.rectangle(left, front, right, back);
    b.outline({{left, back - kTo220Tab}, {right, back - kTo220Tab}}); // front face of the tab
    b.comments("TO-220 upright, 2.54 mm pitch, tab at the back",
               "pads " + mmText(2 * kTo220PadRadius) + " x " + mmText(4 * kTo220PadRadius) + " mm, drill " +
                   mmText(kTo220Drill) + " mm, pin 1 square");
    return b.take();
}

/// A land for a lead foot: its length along the lead, its width, and the distance of its centre
/// from the package centre.
struct Land {
    std::int32_t length, width;
    double centre;
};

Land gullWingLand(std::int32_t span, std::int32_t foot, std::int32_t lead)
{
    return {foot + kGullToe + kGullHeel, lead + 2 * kGullSide,
            span / 2.0 - foot / 2.0 + (kGullToe - kGullHeel) / 2.0};
}

Land chipLand(const ChipSize& c)
{
    return {c.terminal + kChipToe + kChipHeel, c.width + 2 * kChipSide,
            c.length / 2.0 - c.terminal / 2.0 + (kChipToe - kChipHeel) / 2.0};
}

/// Pins anticlockwise seen from the component side: 1 at the top left.
Footprint soic(int pins, std::int32_t bodyLength)
{
    const int perRow = pins / 2;
    const Land land = gullWingLand(kSoicSpan, kSoicFoot, kSoicLead);
    const std::int32_t rows = RoundHalfEven(2 * land.centre);
    Builder b("SMD/SOIC-" + std::to_string(pins) + ".lmk");
    for (int k = 0; k < perRow; ++k)
        b.smd({0, -k * kSoicPitch}, land.length, land.width);
    for (int k = 0; k < perRow; ++k)
        b.smd({rows, -(perRow - 1 - k) * kSoicPitch}, land.length, land.width);
    const double cx = rows / 2.0, cy = -(perRow - 1) * kSoicPitch / 2.0;
    // Body width, narrowed to stay clear of the lands' inner ends.
    const double room = land.centre - land.length / 2.0 - kSilkGap - kSilkWidth / 2.0;
    const double hw = std::min(kSoicBodyWidth / 2.0, room);
    b.rectangle(RoundHalfEven(cx - hw), RoundHalfEven(cy - bodyLength / 2.0), RoundHalfEven(cx + hw),
                RoundHalfEven(cy + bodyLength / 2.0));
    b.dot({-half(land.length) - kSilkGap - kDotRadius, 0}, kDotRadius); // beyond pin 1's toe
    b.comments("SOIC-" + std::to_string(pins) + ", " + mmText(kSoicPitch) + " mm pitch, body " +
                   mmText(kSoicBodyWidth) + " mm",
               "lands " + mmText(land.length) + " x " + mmText(land.width) + " mm, rows " + mmText(rows) +
                   " mm, dot at pin 1");
    return b.take();
}

/// Pins 1 and 2 on the bottom row, pin 3 opposite, seen from the component side.
Footprint sot23()
{
    const Land land = gullWingLand(kSotSpan, kSotFoot, kSotLead);
    const std::int32_t rows = RoundHalfEven(2 * land.centre);
    Builder b("SMD/SOT-23.lmk");
    b.smd({0, 0}, land.width, land.length);
    b.smd({kSotPitch, 0}, land.width, land.length);
    b.smd({half(kSotPitch), rows}, land.width, land.length);
    const double cx = kSotPitch / 2.0, cy = rows / 2.0;
    // The long sides run under the lands; the clipping keeps what lies between them.
    b.rectangle(RoundHalfEven(cx - kSotBodyLength / 2.0), RoundHalfEven(cy - kSotBodyWidth / 2.0),
                RoundHalfEven(cx + kSotBodyLength / 2.0), RoundHalfEven(cy + kSotBodyWidth / 2.0));
    b.dot({0, -half(land.length) - kSilkGap - kDotRadius}, kDotRadius); // beyond pin 1's toe
    b.comments("SOT-23, pins 1-2 " + mmText(kSotPitch) + " mm apart, rows " + mmText(rows) + " mm",
               "lands " + mmText(land.width) + " x " + mmText(land.length) + " mm, dot at pin 1");
    return b.take();
}

Footprint chip(const ChipSize& c)
{
    const Land land = chipLand(c);
    const std::int32_t distance = RoundHalfEven(2 * land.centre);
    Builder b(std::string("SMD/Chip ") + c.name + ".lmk");
    b.smd({0, 0}, land.length, land.width);
    b.smd({distance, 0}, land.length, land.width);
    // The body's long sides, just outside the lands.
    const std::int32_t y = half(std::max(c.width, land.width)) + kSilkGap + kSilkWidth / 2;
    const std::int32_t x0 = RoundHalfEven(distance / 2.0 - c.length / 2.0), x1 = x0 + c.length;
    b.outline({{x0, y}, {x1, y}});
    b.outline({{x0, -y}, {x1, -y}});
    b.comments(std::string("Chip ") + c.name + ", body " + mmText(c.length) + " x " + mmText(c.width) + " mm",
               "lands " + mmText(land.length) + " x " + mmText(land.width) + " mm, " + mmText(distance) +
                   " mm apart");
    return b.take();
}

Footprint axialResistor()
{
    Builder b("Passive/Resistor axial " + mmText(kAxialPitch) + ".lmk");
    b.pad({0, 0}, kStdPadDiameter, kStdDrill);
    b.pad({kAxialPitch, 0}, kStdPadDiameter, kStdDrill);
    const std::int32_t x0 = half(kAxialPitch - kAxialBodyLength), x1 = x0 + kAxialBodyLength;
    const std::int32_t h = half(kAxialBodyDiameter);
    b.rectangle(x0, -h, x1, h);
    // The leads, cut short before the pads.
    b.outline({{0, 0}, {x0, 0}});
    b.outline({{x1, 0}, {kAxialPitch, 0}});
    b.comments("Resistor axial, 1/4 W, holes " + mmText(kAxialPitch) + " mm apart",
               "body " + mmText(kAxialBodyLength) + " x " + mmText(kAxialBodyDiameter) + " mm, pads " +
                   mmText(kStdPadDiameter) + " mm, drill " + mmText(kStdDrill));
    return b.take();
}

/// Pin 1 is the positive lead: square pad and a "+" beside the can.
Footprint radialCapacitor(const RadialSize& s)
{
    Builder b("Passive/Capacitor radial " + mmText(s.pitch) + ".lmk");
    b.pad({0, 0}, kStdPadDiameter, kStdDrill, ShapeSquare);
    b.pad({s.pitch, 0}, kStdPadDiameter, kStdDrill);
    // The can's outline, widened where a pad's corner would come too near (the square pad in
    // the 5 mm can: its circle is drawn 5.14 mm across).
    const std::int32_t cx = half(s.pitch);
    const std::int32_t r =
        std::max(half(s.diameter), RoundHalfEven(std::ceil(b.reach({cx, 0}) + kSilkGap + kSilkWidth / 2.0)));
    b.circle({cx, 0}, r);
    // "+" outside the can, up and to the left of pin 1.
    const double d = (r + kPlusSize) * std::numbers::sqrt2 / 2.0;
    const TPoint p{RoundHalfEven(cx - d), RoundHalfEven(d)};
    const std::int32_t a = half(kPlusSize);
    b.outline({{p.x - a, p.y}, {p.x + a, p.y}});
    b.outline({{p.x, p.y - a}, {p.x, p.y + a}});
    b.comments("Capacitor radial, leads " + mmText(s.pitch) + " mm, can " + mmText(s.diameter) + " mm",
               "pads " + mmText(kStdPadDiameter) + " mm, drill " + mmText(kStdDrill) + " mm, + square");
    return b.take();
}

Footprint mountingHole()
{
    Builder b("Mechanical/Mounting hole " + mmText(kM3Drill) + ".lmk");
    b.pad({0, 0}, kM3Pad, kM3Drill);
    b.circle({0, 0}, half(kM3Washer));
    b.comments("Mounting hole M3, drill " + mmText(kM3Drill) + " mm",
               "copper ring " + mmText(kM3Pad) + " mm, washer " + mmText(kM3Washer) + " mm");
    return b.take();
}

} // namespace

std::vector<Footprint> starterFootprints()
{
    std::vector<Footprint> all;
    for (int pins : {8, 14, 16, 18, 20, 24, 28, 40})
        all.push_back(dip(pins, kDip300Rows, kDip300Body));
    for (int pins : {24, 28, 40})
        all.push_back(dip(pins, kDip600Rows, kDip600Body));
    for (int pins = 2; pins <= 10; ++pins)
        all.push_back(sil(pins));
    all.push_back(to92());
    all.push_back(to220());
    all.push_back(sot23());
    all.push_back(soic(8, kSoic8Length));
    all.push_back(soic(14, kSoic14Length));
    all.push_back(soic(16, kSoic16Length));
    for (const ChipSize& c : kChips)
        all.push_back(chip(c));
    all.push_back(axialResistor());
    for (const RadialSize& s : kRadials)
        all.push_back(radialCapacitor(s));
    all.push_back(mountingHole());
    return all;
}

std::string resourceFileText(const std::vector<Footprint>& footprints, const std::string& folder)
{
    std::string s = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/macros\">\n";
    for (const Footprint& f : footprints)
        s += "    <file alias=\"" + f.path + "\">" + folder + "/" + f.path + "</file>\n";
    s += "</qresource>\n</RCC>\n";
    return s;
}

} // namespace trevok

#pragma once
// The element record of a board and the geometry every other module relies on.
//
// Terms used here:
//  - unit: 1/100 mm, signed 32-bit; x grows to the right, y grows upward.
//  - bounds: the normalised bounding rectangle of an element including its clearance,
//    held in 64 bits because elements read from foreign files may sit at the 32-bit limits.
//  - region: the exact outline of an element (see region.h).
//  - capsule: the 18-vertex outline of a segment with round ends.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace trevok
{

class Region;

/// Element kinds as stored in the layout file.
enum ElementKind : std::uint8_t {
    KindLine = 1,
    KindPad = 2,
    KindFontText = 3,
    KindArea = 4,
    KindCircle = 5,
    KindTrack = 6,
    KindLayoutText = 7,
    KindSmdPad = 8,
};

/// Pad shapes (field `Shape` of a pad).
enum PadShape : std::uint8_t {
    ShapeRound = 1,
    ShapeOctagon = 2,
    ShapeSquare = 3,
    ShapeRoundedWide = 4,
    ShapeOctagonWide = 5,
    ShapeRectWide = 6,
    ShapeRoundedTall = 7,
    ShapeOctagonTall = 8,
    ShapeRectTall = 9,
};

/// Layer codes; 5 and 6 only occur in macro files and are mapped to 3 and 2 on reading.
enum LayerCode : std::uint8_t { LayerK1 = 1, LayerB1 = 2, LayerK2 = 3, LayerB2 = 4 };

struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// Rectangle in board units, 64-bit so that growing by clearance or width never overflows.
/// Normalised: left <= right, top <= bottom (top holds the smaller y, i.e. the lower edge on the board).
struct TRect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;

    bool intersects(const TRect& o) const noexcept
    {
        return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
    }
    bool contains(std::int64_t x, std::int64_t y) const noexcept
    {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    TRect united(const TRect& o) const noexcept;
};

/// One element of a board. The persistent fields mirror the 75-byte record of the layout file;
/// cross-references (Twin, Connections, RouteStart, RouteEnd) are non-owning pointers into the
/// same board's list and are remapped by CopyElementList.
///
/// What X, Y, Size1, Size2, Width and Angle hold depends on the kind (lengths in units, angles in
/// degrees counter-clockwise from the positive x axis; "-": not used, kept as read):
///  - line: X, Y start point; Size1, Size2 end point (x, y); Width line width; Angle -.
///  - pad: X, Y centre; Size1 the pad's radius R (half the outer diameter; the wide and tall
///    shapes are 4R by 2R); Size2 drill radius (equal to R: a bare drill hole); Width, Angle -.
///  - font text: X, Y text origin; Size1, Size2 the opposite corner of the text box (x, y);
///    Width font height in screen pixels, negative for a character height (positive: a cell
///    height); Angle 0, 90, 180 or 270.
///  - area: the outline is Points; Width outline width; X, Y, Size1, Size2, Angle -.
///  - circle: X, Y centre; Size1 outer radius, Size2 inner radius (the ring between them, the
///    stroke Size1 - Size2 wide); Angle start angle, Width stop angle, 0..360 (360 equals 0),
///    start = stop: the whole circle, else the arc runs counter-clockwise from start to stop.
///  - track: the nodes are Points; Width track width; X, Y, Size1, Size2, Angle -.
///  - layout text: X, Y insertion point; Size1 character height; Size2 stroke class (0 thin,
///    1 normal, 2 thick); Width spacing class (0 narrow, 1 normal, 2 wide); Angle orientation in
///    quarter turns 0..3 (not degrees).
///  - SMD pad: X, Y centre; Size1 width (x extent), Size2 height (y extent); Width, Angle -.
struct TObjekt {
    // --- persistent fields, in file order ---
    std::uint8_t Kind = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Size1 = 0;
    std::int32_t Size2 = 0;
    std::int32_t Width = 0;
    std::uint8_t Selected = 0;
    std::uint8_t Layer = 0;
    std::uint8_t Shape = 0;
    std::vector<TPoint> Points; // tracks, areas, strokes
    std::int16_t OldGroup = 0;  // version-1 files only; 0 after loading
    std::uint8_t Mark = 0;      // export scratch
    std::int32_t Angle = 0;
    std::vector<std::int32_t> Groups; // group ids, outermost last
    std::uint8_t Reserved39 = 0;
    std::uint8_t Filled = 0; // circle: disc without hole
    std::int32_t Clearance = 0;
    TObjekt* Twin = nullptr;           // pad: the pad on the other copper side
    std::vector<TObjekt*> Connections; // pads and SMD pads: rubber-band partners
    std::uint8_t Autorouted = 0;
    std::uint8_t MirrorH = 0;
    std::uint8_t MirrorV = 0;
    std::uint8_t Restricted = 0; // area: restricted area cutting the ground plane
    std::array<std::uint8_t, 15> Reserved57{};
    std::int16_t Reserved72 = 0;
    std::uint8_t Reserved74 = 0;

    // --- memory only ---
    std::uint8_t DrawLayer = 0;
    std::uint8_t Closed = 1;
    std::uint8_t Highlight = 0;
    std::uint8_t CopyMark = 0;
    std::int32_t TwinIndex = -1;
    TObjekt* RouteStart = nullptr;
    TObjekt* RouteEnd = nullptr;
    std::vector<TObjekt> Strokes; // layout text: the tracks drawing its characters
    std::string Text;             // Windows-1252 bytes
    std::shared_ptr<const Region> RegionCache;

    /// Last group id, or 0 when the element is not grouped (ids are never 0).
    std::int32_t lastGroup() const noexcept { return Groups.empty() ? 0 : Groups.back(); }
    bool isPadLike() const noexcept { return Kind == KindPad || Kind == KindSmdPad; }
    bool hasPoints() const noexcept { return Kind == KindTrack || Kind == KindArea; }
};

/// A board's element list; the board owns its elements.
using ElementList = std::vector<std::unique_ptr<TObjekt>>;

// ---------------------------------------------------------------------------------------------
// Numbers

/// A 64-bit intermediate brought back into the int32 range, saturating at its ends.
constexpr std::int32_t Saturate32(std::int64_t v) noexcept
{
    return static_cast<std::int32_t>(v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : v));
}

namespace detail
{
constexpr double kTwo52 = 4503599627370496.0; // from here on every double is an integer

// Nearest integer of v, halves to even, for |v| < 2^52. Truncation never depends on the FPU
// rounding mode, and v - trunc(v) is exact, so the tie test is exact too. Branch-free, because
// the fractions of real coordinates are random and a branch on them mispredicts half the time.
inline std::int64_t roundSmall(double v) noexcept
{
    const std::int64_t i = static_cast<std::int64_t>(v);
    const double frac = v - static_cast<double>(i);
    const std::int64_t odd = i & 1;
    return i + (frac > 0.5) - (frac < -0.5) + ((frac == 0.5) & odd) - ((frac == -0.5) & odd);
}
} // namespace detail

// Both conversions are inline: the screen converts every vertex of every figure of a repaint.

/// The one real-to-integer conversion: nearest, halves to even. Saturates at the int32 range.
inline std::int32_t RoundHalfEven(double v) noexcept
{
    if (std::fabs(v) < detail::kTwo52)
        return Saturate32(detail::roundSmall(v));
    if (std::isnan(v))
        return 0;
    return v > 0 ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int32_t>::min();
}

/// The same, into 64 bits (for intermediate geometry).
inline std::int64_t RoundHalfEven64(double v) noexcept
{
    if (std::fabs(v) < detail::kTwo52)
        return detail::roundSmall(v);
    if (std::isnan(v))
        return 0;
    // 2^63 is the first double above the int64 range; -2^63 itself is representable.
    constexpr double kTwo63 = 9223372036854775808.0;
    if (v >= kTwo63)
        return std::numeric_limits<std::int64_t>::max();
    if (v < -kTwo63)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(v);
}

/// Cosine and sine of an angle in degrees, exact at the multiples of 30 degrees, so that every
/// module puts the points of a circle on the same units.
double CosDegrees(double degrees) noexcept;
double SinDegrees(double degrees) noexcept;

/// Opposite-side layer: 1<->3, 2<->4; other codes unchanged.
std::uint8_t OppositeLayer(std::uint8_t layer) noexcept;
/// True for the copper layers 1 and 3.
inline bool IsCopperLayer(std::uint8_t layer) noexcept
{
    return layer == LayerK1 || layer == LayerK2;
}

// ---------------------------------------------------------------------------------------------
// Construction. Each leaves Clearance 0; the caller sets the current clearance.

std::unique_ptr<TObjekt> NewTrack(std::int32_t width, std::uint8_t layer);
std::unique_ptr<TObjekt> NewArea(std::int32_t width, std::uint8_t layer);
std::unique_ptr<TObjekt> NewPad(TPoint centre, std::int32_t radius, std::uint8_t shape, std::uint8_t layer,
                                std::int32_t drillRadius);
std::unique_ptr<TObjekt> NewSmdPad(TPoint centre, std::int32_t width, std::uint8_t layer,
                                   std::int32_t height);
std::unique_ptr<TObjekt> NewCircle(TPoint centre, std::int32_t outer, std::uint8_t shape, std::uint8_t layer,
                                   std::int32_t inner);
std::unique_ptr<TObjekt> NewLayoutText(TPoint point, const std::string& text, bool mirrorV, bool mirrorH,
                                       std::uint8_t layer, std::int32_t orientation, std::int32_t spacing,
                                       std::int32_t stroke, std::int32_t height);
void AddPoint(TObjekt& element, TPoint p);
void AddGroup(TObjekt& element, std::int32_t id);

// ---------------------------------------------------------------------------------------------
// Geometry

TRect Bounds(const TObjekt& element) noexcept;
/// The square around a circle element's whole outer circle, with room for the polygon of its
/// outline and for the margin its bounds add: it holds Bounds of the circle (unless that is
/// empty) without building the outline, which an arc's bounds need.
TRect CircleReach(const TObjekt& circle) noexcept;
/// Bounds, but for an arc CircleReach: a rectangle holding the bounds, cheap for every element.
TRect QuickBounds(const TObjekt& element) noexcept;
/// The exact outline in board units.
Region ElementRegion(const TObjekt& element);
/// The outline of a pad grown by extra units: half-size R + extra across and 2R + extra along an
/// elongated pad, corners cut or rounded from R + extra (the shape of clearances and mask openings).
Region PadOutline(const TObjekt& pad, std::int64_t extra);
/// True when the square point +- round(2 / zoom) meets the element's region.
bool ElementHit(const TObjekt& element, TPoint point, double zoom);
/// Node handle under the point, or -1.
int NodeAt(const TObjekt& element, TPoint point, double zoom) noexcept;

void Translate(TObjekt& element, std::int32_t dx, std::int32_t dy) noexcept;
/// A quarter turn clockwise about the centre.
void Rotate90(TObjekt& element, TPoint centre) noexcept;
/// Mirror left-right about the vertical line x = centre.x.
void MirrorX(TObjekt& element, TPoint centre) noexcept;
/// Mirror top-bottom about the horizontal line y = centre.y.
void MirrorY(TObjekt& element, TPoint centre) noexcept;
void NormalizeLine(TObjekt& element) noexcept;

TPoint PointOnCircle(const TObjekt& circle, std::int32_t angle) noexcept;
TPoint PointOnMidCircle(const TObjekt& circle, std::int32_t angle) noexcept;
std::int32_t MidRadius(const TObjekt& circle) noexcept;

/// Each coordinate c becomes round(grid * round(c / grid)); grid is a real number of units.
TPoint SnapToGrid(TPoint p, double grid) noexcept;

/// The 18 vertices of the capsule from p to q with the given line width.
std::array<TPoint, 18> Capsule(TPoint p, TPoint q, std::int32_t width) noexcept;

// ---------------------------------------------------------------------------------------------
// Groups

std::int32_t NextFreeGroupId(const ElementList& list) noexcept;
/// Groups the selected elements (appends a new id unless they already form one group).
void GroupSelection(ElementList& list);
/// Removes the last id from every selected element that has one.
void UngroupSelection(ElementList& list);
/// Sets Selected of the element, its twin and every element sharing its last group id.
/// Calls changed(element) for each element whose state changed, when given.
template <class F> void SelectWithGroup(ElementList& list, std::size_t index, bool state, F&& changed);
void SelectWithGroup(ElementList& list, std::size_t index, bool state);
/// Renumbers group ids downward so that the used ids have no gaps (order kept).
void CompactGroupIds(ElementList& list);
/// Turns version-1 group numbers (OldGroup) into groups and clears OldGroup.
void ConvertOldGroups(ElementList& list);

/// Moves a restricted area requested on a print layer to the copper layer of its side and
/// clears flags that only some kinds may carry.
void EnforceElementInvariants(TObjekt& element) noexcept;

// ---------------------------------------------------------------------------------------------

template <class F> void SelectWithGroup(ElementList& list, std::size_t index, bool state, F&& changed)
{
    if (index >= list.size())
        return;
    TObjekt& e = *list[index];
    const std::uint8_t s = state ? 1 : 0;
    auto set = [&](TObjekt& t) {
        if (t.Selected != s) {
            t.Selected = s;
            changed(t);
        }
    };
    set(e);
    if (e.Twin)
        set(*e.Twin);
    const std::int32_t g = e.lastGroup();
    if (g != 0) {
        for (auto& other : list) {
            if (other->lastGroup() == g) {
                set(*other);
                if (other->Twin)
                    set(*other->Twin);
            }
        }
    }
}

} // namespace trevok

#include "document/objekt.h"

#include "document/region.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

// Construction, bounding rectangles, node handles and the quarter-turn / mirror transforms of
// element records.
//
// Elements read from foreign files may carry any 32-bit values, so every sum or difference of
// coordinates is formed in 64 bits. Where a transformed coordinate does not fit into 32 bits any
// more (an element moved or mirrored beyond the limits), it is saturated at the nearest
// representable value: the element is damaged at the edge of the number range instead of
// wrapping around to the other side of the board.

namespace trevok
{
namespace
{

constexpr double kPi = std::numbers::pi;

// The same in floating point, for any finite v (larger values are integers already).
double roundHalfEvenReal(double v) noexcept
{
    return std::fabs(v) < detail::kTwo52 ? static_cast<double>(detail::roundSmall(v)) : v;
}

// Angle in whole degrees reduced to 0..359.
int reduceDegrees(std::int64_t a) noexcept
{
    return static_cast<int>(((a % 360) + 360) % 360);
}

TPoint pointAt(TPoint centre, std::int64_t radius, std::int32_t angle) noexcept
{
    const int a = reduceDegrees(angle);
    const double r = static_cast<double>(radius);
    return {Saturate32(centre.x + RoundHalfEven64(r * CosDegrees(a))),
            Saturate32(centre.y + RoundHalfEven64(r * SinDegrees(a)))};
}

TRect normalised(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) noexcept
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// Grows a normalised rectangle on every side; a negative amount (negative width or clearance
// from a damaged file) may turn it inside out, so the result is normalised again.
TRect grown(const TRect& r, std::int64_t d) noexcept
{
    return normalised(r.left - d, r.top - d, r.right + d, r.bottom + d);
}

TRect around(std::int64_t x, std::int64_t y, std::int64_t hx, std::int64_t hy) noexcept
{
    return normalised(x - hx, y - hy, x + hx, y + hy);
}

// Half the line width toward zero, or 20 when that is 0.
std::int64_t widthMargin(const TObjekt& e) noexcept
{
    const std::int64_t m = e.Width / 2;
    return m == 0 ? 20 : m;
}

TRect nodeExtent(const std::vector<TPoint>& points) noexcept
{
    if (points.size() < 2)
        return {};
    TRect r{points[0].x, points[0].y, points[0].x, points[0].y};
    for (const TPoint& p : points) {
        r.left = std::min<std::int64_t>(r.left, p.x);
        r.right = std::max<std::int64_t>(r.right, p.x);
        r.top = std::min<std::int64_t>(r.top, p.y);
        r.bottom = std::max<std::int64_t>(r.bottom, p.y);
    }
    return r;
}

// Half-size of a handle square: the given size in units, but at least three screen pixels.
// Without a usable zoom there is no pixel size to honour, so the size in units stands alone.
std::int64_t handleHalfSize(std::int64_t halfUnits, double zoom) noexcept
{
    if (!(zoom > 0.0))
        return halfUnits;
    return std::max(halfUnits, RoundHalfEven64(3.0 / zoom));
}

bool inSquare(TPoint centre, std::int64_t half, TPoint p) noexcept
{
    const std::int64_t dx = std::int64_t{p.x} - centre.x;
    const std::int64_t dy = std::int64_t{p.y} - centre.y;
    return dx >= -half && dx <= half && dy >= -half && dy <= half;
}

// Point transforms, each exact in 64 bits and saturated on the way back.
TPoint rotated(TPoint p, TPoint c) noexcept
{
    return {Saturate32(std::int64_t{c.x} + (std::int64_t{p.y} - c.y)),
            Saturate32(std::int64_t{c.y} - (std::int64_t{p.x} - c.x))};
}

std::int32_t mirrored(std::int32_t v, std::int32_t c) noexcept
{
    return Saturate32(2 * std::int64_t{c} - v);
}

std::int32_t shifted(std::int32_t v, std::int32_t d) noexcept
{
    return Saturate32(std::int64_t{v} + d);
}

void rotatePoint(std::int32_t& x, std::int32_t& y, TPoint c) noexcept
{
    const TPoint p = rotated({x, y}, c);
    x = p.x;
    y = p.y;
}

// Circle angle rules: the result gets 360 added when negative. In 64 bits no input overflows.
std::int32_t angleMinus90(std::int32_t a) noexcept
{
    std::int64_t r = std::int64_t{a} - 90;
    if (r < 0)
        r += 360;
    return Saturate32(r);
}

std::int32_t angleReflected(std::int64_t base, std::int32_t a) noexcept
{
    std::int64_t r = base - a;
    if (r < 0)
        r += 360;
    return Saturate32(r);
}

std::uint8_t toggled(std::uint8_t flag) noexcept
{
    return flag ? 0 : 1;
}

std::unique_ptr<TObjekt> newElement(std::uint8_t kind, std::uint8_t layer)
{
    auto e = std::make_unique<TObjekt>();
    e->Kind = kind;
    e->Layer = layer;
    return e;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Numbers

std::uint8_t OppositeLayer(std::uint8_t layer) noexcept
{
    switch (layer) {
    case LayerK1:
        return LayerK2;
    case LayerB1:
        return LayerB2;
    case LayerK2:
        return LayerK1;
    case LayerB2:
        return LayerB1;
    default:
        return layer;
    }
}

TPoint SnapToGrid(TPoint p, double grid) noexcept
{
    if (!(grid > 0.0) || !std::isfinite(grid))
        return p;
    auto snap = [grid](std::int32_t c) {
        const double steps = static_cast<double>(c) / grid;
        // A grid so fine that the step count is not finite leaves the coordinate where it is.
        if (!std::isfinite(steps))
            return c;
        return RoundHalfEven(grid * roundHalfEvenReal(steps));
    };
    return {snap(p.x), snap(p.y)};
}

TRect TRect::united(const TRect& o) const noexcept
{
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
}

// ---------------------------------------------------------------------------------------------
// Construction

std::unique_ptr<TObjekt> NewTrack(std::int32_t width, std::uint8_t layer)
{
    auto e = newElement(KindTrack, layer);
    e->Width = width;
    return e;
}

std::unique_ptr<TObjekt> NewArea(std::int32_t width, std::uint8_t layer)
{
    auto e = newElement(KindArea, layer);
    e->Width = width;
    e->Closed = 1;
    return e;
}

std::unique_ptr<TObjekt> NewPad(TPoint centre, std::int32_t radius, std::uint8_t shape, std::uint8_t layer,
                                std::int32_t drillRadius)
{
    auto e = newElement(KindPad, layer);
    e->X = centre.x;
    e->Y = centre.y;
    e->Size1 = radius;
    e->Shape = shape;
    e->Size2 = drillRadius;
    return e;
}

std::unique_ptr<TObjekt> NewSmdPad(TPoint centre, std::int32_t width, std::uint8_t layer, std::int32_t height)
{
    auto e = newElement(KindSmdPad, layer);
    e->X = centre.x;
    e->Y = centre.y;
    e->Size1 = width;
    e->Size2 = height;
    return e;
}

std::unique_ptr<TObjekt> NewCircle(TPoint centre, std::int32_t outer, std::uint8_t shape, std::uint8_t layer,
                                   std::int32_t inner)
{
    auto e = newElement(KindCircle, layer);
    e->X = centre.x;
    e->Y = centre.y;
    e->Size1 = outer;
    e->Shape = shape;
    e->Size2 = inner;
    e->Angle = 0; // start
    e->Width = 0; // stop: equal angles make a full circle
    e->Filled = 0;
    return e;
}

std::unique_ptr<TObjekt> NewLayoutText(TPoint point, const std::string& text, bool mirrorV, bool mirrorH,
                                       std::uint8_t layer, std::int32_t orientation, std::int32_t spacing,
                                       std::int32_t stroke, std::int32_t height)
{
    auto e = newElement(KindLayoutText, layer);
    e->X = point.x;
    e->Y = point.y;
    e->Text = text;
    e->MirrorV = mirrorV ? 1 : 0;
    e->MirrorH = mirrorH ? 1 : 0;
    e->Angle = orientation;
    e->Width = spacing;
    e->Size2 = stroke;
    e->Size1 = height;
    return e;
}

void AddPoint(TObjekt& element, TPoint p)
{
    element.Points.push_back(p);
}

void AddGroup(TObjekt& element, std::int32_t id)
{
    element.Groups.push_back(id);
}

// ---------------------------------------------------------------------------------------------
// Bounds and node handles

namespace
{

// A circle element whose start and stop angles differ: its outline is cut by a wedge.
bool isArc(const TObjekt& circle) noexcept
{
    const auto turn = [](std::int64_t a) { return (a % 360 + 360) % 360; };
    return turn(circle.Angle) != turn(circle.Width);
}

} // namespace

TRect Bounds(const TObjekt& element) noexcept
{
    const TObjekt& el = element;
    const std::int64_t e = el.Clearance;
    const std::int64_t x = el.X;
    const std::int64_t y = el.Y;
    switch (el.Kind) {
    case KindLine:
        return grown(normalised(x, y, el.Size1, el.Size2), widthMargin(el) + e);
    case KindPad: {
        const std::int64_t r = el.Size1;
        switch (el.Shape) {
        case ShapeRoundedWide:
        case ShapeOctagonWide:
        case ShapeRectWide:
            return around(x, y, 2 * r + 2 * e, r + e);
        case ShapeRoundedTall:
        case ShapeOctagonTall:
        case ShapeRectTall:
            return around(x, y, r + e, 2 * r + 2 * e);
        default:
            return around(x, y, r + e, r + e);
        }
    }
    case KindSmdPad:
        return around(x, y, RoundHalfEven64(el.Size1 / 2.0) + e, RoundHalfEven64(el.Size2 / 2.0) + e);
    case KindFontText:
        return grown(normalised(x, y, el.Size1, el.Size2), e);
    case KindTrack:
    case KindArea:
        return grown(nodeExtent(el.Points), widthMargin(el) + e);
    case KindCircle: {
        // Width is the stop angle of a circle; the margin is taken from it all the same, which
        // only ever makes the rectangle larger than the ring. A whole circle's outline reaches
        // as far as its outer disc, whose polygon has a vertex at the radius in each of the four
        // directions: that needs no outline built. An arc's bounds come from its outline.
        if (!isArc(el)) {
            const std::int64_t outer = el.Size1, inner = el.Filled ? 0 : el.Size2;
            return grown(outer > 0 && inner < outer ? around(x, y, outer, outer) : TRect{},
                         widthMargin(el) + e);
        }
        return grown(ElementRegion(el).boundingRect(), widthMargin(el) + e);
    }
    case KindLayoutText: {
        if (el.Strokes.empty())
            return {};
        TRect r = Bounds(el.Strokes.front());
        for (std::size_t i = 1; i < el.Strokes.size(); ++i)
            r = r.united(Bounds(el.Strokes[i]));
        return r;
    }
    default:
        return {};
    }
}

TRect CircleReach(const TObjekt& circle) noexcept
{
    const std::int64_t half = RoundHalfEven64(std::abs(static_cast<double>(circle.Size1)) * 1.1) + 2 +
                              std::abs(std::int64_t{circle.Width}) + 20 +
                              std::abs(std::int64_t{circle.Clearance});
    return around(circle.X, circle.Y, half, half);
}

TRect QuickBounds(const TObjekt& element) noexcept
{
    if (element.Kind == KindCircle && isArc(element))
        return CircleReach(element);
    return Bounds(element);
}

int NodeAt(const TObjekt& element, TPoint point, double zoom) noexcept
{
    if (element.hasPoints()) {
        const std::int64_t half = handleHalfSize(element.Width / 2, zoom);
        for (std::size_t i = element.Points.size(); i-- > 0;) {
            if (inSquare(element.Points[i], half, point))
                return static_cast<int>(i);
        }
        return -1;
    }
    if (element.Kind == KindCircle) {
        const std::int64_t half = handleHalfSize((std::int64_t{element.Size1} - element.Size2) / 2, zoom);
        if (inSquare(PointOnMidCircle(element, element.Width), half, point))
            return 1;
        if (inSquare(PointOnMidCircle(element, element.Angle), half, point))
            return 0;
    }
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Circle points

std::int32_t MidRadius(const TObjekt& circle) noexcept
{
    const std::int64_t outer = circle.Size1;
    // Lies between the two radii, so it always fits into 32 bits.
    return static_cast<std::int32_t>(outer - (outer - circle.Size2) / 2);
}

TPoint PointOnCircle(const TObjekt& circle, std::int32_t angle) noexcept
{
    return pointAt({circle.X, circle.Y}, circle.Size1, angle);
}

TPoint PointOnMidCircle(const TObjekt& circle, std::int32_t angle) noexcept
{
    return pointAt({circle.X, circle.Y}, MidRadius(circle), angle);
}

// ---------------------------------------------------------------------------------------------
// Transforms

void NormalizeLine(TObjekt& element) noexcept
{
    if (element.Kind != KindLine)
        return;
    if (element.Size1 < element.X || (element.Size1 == element.X && element.Y < element.Size2)) {
        std::swap(element.X, element.Size1);
        std::swap(element.Y, element.Size2);
    }
}

void Translate(TObjekt& element, std::int32_t dx, std::int32_t dy) noexcept
{
    TObjekt& e = element;
    e.RegionCache.reset(); // a cached outline no longer describes the element
    switch (e.Kind) {
    case KindLine:
    case KindFontText:
        e.Size1 = shifted(e.Size1, dx);
        e.Size2 = shifted(e.Size2, dy);
        [[fallthrough]];
    case KindPad:
    case KindSmdPad:
    case KindCircle:
        e.X = shifted(e.X, dx);
        e.Y = shifted(e.Y, dy);
        break;
    case KindTrack:
    case KindArea:
        for (TPoint& p : e.Points)
            p = {shifted(p.x, dx), shifted(p.y, dy)};
        break;
    case KindLayoutText:
        e.X = shifted(e.X, dx);
        e.Y = shifted(e.Y, dy);
        for (TObjekt& s : e.Strokes)
            Translate(s, dx, dy);
        break;
    default:
        break;
    }
}

void Rotate90(TObjekt& element, TPoint centre) noexcept
{
    TObjekt& e = element;
    e.RegionCache.reset();
    switch (e.Kind) {
    case KindLine:
        rotatePoint(e.X, e.Y, centre);
        rotatePoint(e.Size1, e.Size2, centre);
        NormalizeLine(e);
        break;
    case KindFontText:
        rotatePoint(e.X, e.Y, centre);
        rotatePoint(e.Size1, e.Size2, centre);
        e.Angle = reduceDegrees(std::int64_t{e.Angle} + 90);
        break;
    case KindPad:
        rotatePoint(e.X, e.Y, centre);
        if (e.Shape >= ShapeRoundedWide && e.Shape <= ShapeRectWide)
            e.Shape = static_cast<std::uint8_t>(e.Shape + 3);
        else if (e.Shape >= ShapeRoundedTall && e.Shape <= ShapeRectTall)
            e.Shape = static_cast<std::uint8_t>(e.Shape - 3);
        break;
    case KindSmdPad:
        rotatePoint(e.X, e.Y, centre);
        std::swap(e.Size1, e.Size2);
        break;
    case KindTrack:
    case KindArea:
        for (TPoint& p : e.Points)
            p = rotated(p, centre);
        break;
    case KindCircle:
        rotatePoint(e.X, e.Y, centre);
        e.Angle = angleMinus90(e.Angle);
        e.Width = angleMinus90(e.Width);
        break;
    case KindLayoutText:
        // The strokes carry the geometry; the insertion point stays where the user put it.
        e.Angle = static_cast<std::int32_t>(((std::int64_t{e.Angle} + 1) % 4 + 4) % 4);
        for (TObjekt& s : e.Strokes)
            Rotate90(s, centre);
        break;
    default:
        break;
    }
}

void MirrorX(TObjekt& element, TPoint centre) noexcept
{
    TObjekt& e = element;
    const std::int32_t c = centre.x;
    e.RegionCache.reset();
    switch (e.Kind) {
    case KindLine:
        e.X = mirrored(e.X, c);
        e.Size1 = mirrored(e.Size1, c);
        NormalizeLine(e);
        break;
    case KindFontText: {
        const std::int32_t oldX = e.X;
        e.X = mirrored(e.Size1, c);
        e.Size1 = mirrored(oldX, c);
        break;
    }
    case KindPad:
    case KindSmdPad:
        e.X = mirrored(e.X, c);
        break;
    case KindTrack:
    case KindArea:
        for (TPoint& p : e.Points)
            p.x = mirrored(p.x, c);
        break;
    case KindCircle: {
        e.X = mirrored(e.X, c);
        const std::int32_t start = angleReflected(180, e.Angle);
        const std::int32_t stop = angleReflected(180, e.Width);
        // Mirroring reverses the direction of travel, so the arc now runs from the old stop.
        e.Angle = stop;
        e.Width = start;
        break;
    }
    case KindLayoutText:
        e.MirrorH = toggled(e.MirrorH);
        for (TObjekt& s : e.Strokes)
            MirrorX(s, centre);
        break;
    default:
        break;
    }
}

void MirrorY(TObjekt& element, TPoint centre) noexcept
{
    TObjekt& e = element;
    const std::int32_t c = centre.y;
    e.RegionCache.reset();
    switch (e.Kind) {
    case KindLine:
        e.Y = mirrored(e.Y, c);
        e.Size2 = mirrored(e.Size2, c);
        NormalizeLine(e);
        break;
    case KindFontText: {
        const std::int32_t oldY = e.Y;
        e.Y = mirrored(e.Size2, c);
        e.Size2 = mirrored(oldY, c);
        break;
    }
    case KindPad:
    case KindSmdPad:
        e.Y = mirrored(e.Y, c);
        break;
    case KindTrack:
    case KindArea:
        for (TPoint& p : e.Points)
            p.y = mirrored(p.y, c);
        break;
    case KindCircle: {
        e.Y = mirrored(e.Y, c);
        // 360 - a keeps a full circle full: 0/0 becomes 360/360.
        const std::int32_t start = angleReflected(360, e.Angle);
        const std::int32_t stop = angleReflected(360, e.Width);
        e.Angle = stop;
        e.Width = start;
        break;
    }
    case KindLayoutText:
        e.MirrorV = toggled(e.MirrorV);
        for (TObjekt& s : e.Strokes)
            MirrorY(s, centre);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Invariants

void EnforceElementInvariants(TObjekt& element) noexcept
{
    TObjekt& e = element;
    if (e.Kind != KindArea) {
        e.Restricted = 0;
    } else if (e.Restricted) {
        // A restricted area cuts the copper of its side, so it lives on that side's copper layer.
        if (e.Layer == LayerB1)
            e.Layer = LayerK1;
        else if (e.Layer == LayerB2)
            e.Layer = LayerK2;
    }
    if (e.Kind != KindTrack) {
        e.Autorouted = 0;
        e.RouteStart = nullptr;
        e.RouteEnd = nullptr;
    }
}

double CosDegrees(double a) noexcept
{
    // Multiples of 30 degrees take exact values: only there is the cosine rational, so only there
    // could the tiny error of std::cos turn a half into the wrong neighbour when rounded.
    double r = std::fmod(a, 360.0);
    if (r < 0)
        r += 360.0;
    if (r == std::floor(r) && static_cast<int>(r) % 30 == 0) {
        switch (static_cast<int>(r)) {
        case 0:
            return 1.0;
        case 60:
        case 300:
            return 0.5;
        case 90:
        case 270:
            return 0.0;
        case 120:
        case 240:
            return -0.5;
        case 180:
            return -1.0;
        default:
            break;
        }
    }
    return std::cos(r * kPi / 180.0);
}

double SinDegrees(double a) noexcept
{
    return CosDegrees(90.0 - a);
}

} // namespace trevok

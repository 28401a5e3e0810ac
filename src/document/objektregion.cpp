// The exact outline of each element kind, the capsule of a segment and the element hit test.
// All vertex arithmetic is done in 64 bits: elements read from foreign files may sit anywhere
// in the 32-bit range, and an outline may reach beyond it.

#include "document/objekt.h"
#include "document/region.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

namespace trevok
{

namespace
{

constexpr double kPi = std::numbers::pi;

std::int64_t mod360(std::int64_t a) noexcept
{
    const std::int64_t r = a % 360;
    return r < 0 ? r + 360 : r;
}

RPoint pointAt(std::int64_t cx, std::int64_t cy, std::int64_t radius, double angle) noexcept
{
    const double r = static_cast<double>(radius);
    return {cx + RoundHalfEven64(r * CosDegrees(angle)), cy + RoundHalfEven64(r * SinDegrees(angle))};
}

// The cap offsets of a capsule depend only on its direction angle and radius, and a board
// has few of either: a small cache saves the fourteen sines and cosines nearly every time.
struct CapOffsets {
    std::int64_t theta = -1;
    std::int64_t r = -1;
    std::int64_t sx[8] = {};
    std::int64_t sy[8] = {};
};

const CapOffsets& capOffsets(std::int64_t theta, std::int64_t r) noexcept
{
    thread_local std::array<CapOffsets, 256> cache;
    CapOffsets& c =
        cache[(static_cast<std::uint64_t>(theta) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(r)) %
              251];
    if (c.theta != theta || c.r != r) {
        const double fr = static_cast<double>(r);
        for (int i = 1; i <= 7; ++i) {
            const double a = static_cast<double>(theta) + i * 22.5;
            c.sx[i] = RoundHalfEven64(fr * SinDegrees(a));
            c.sy[i] = RoundHalfEven64(fr * CosDegrees(a));
        }
        c.theta = theta;
        c.r = r;
    }
    return c;
}

// The capsule in 64-bit vertices.
std::array<RPoint, 18> capsule64(TPoint p, TPoint q, std::int32_t width) noexcept
{
    std::int64_t r = static_cast<std::int64_t>(width) / 2;
    if (r == 0)
        r = 1;
    // A negative width (damaged file) would turn both end caps inward and make the outline
    // cross itself; the magnitude gives the shape the width describes.
    r = std::llabs(r);
    std::int64_t dx = std::int64_t(q.x) - p.x;
    std::int64_t dy = std::int64_t(q.y) - p.y;
    if (dx == 0 && dy == 0)
        dy = 1;
    const double fr = static_cast<double>(r);
    const double fdx = static_cast<double>(dx);
    const double fdy = static_cast<double>(dy);
    const double len = std::sqrt(fdx * fdx + fdy * fdy);
    const std::int64_t ox = RoundHalfEven64(fr * fdy / len);
    const std::int64_t oy = RoundHalfEven64(fr * fdx / len);

    // The direction angle points from Q back to P, so the caps open away from the segment.
    std::int64_t theta;
    if (dx == 0) {
        theta = dy < 0 ? 90 : 270;
    } else {
        theta = RoundHalfEven64(std::atan(fdy / fdx) * 180.0 / kPi);
        if (dx > 0)
            theta += 180;
        if (theta < 0)
            theta += 360;
    }
    const CapOffsets& cap = capOffsets(theta, r);
    const std::int64_t* sx = cap.sx;
    const std::int64_t* sy = cap.sy;

    std::array<RPoint, 18> v;
    const std::int64_t px = p.x, py = p.y, qx = q.x, qy = q.y;
    v[0] = {px - ox, py + oy};
    for (int i = 1; i <= 7; ++i)
        v[i] = {px + sx[i], py - sy[i]};
    v[8] = {px + ox, py - oy};
    v[9] = {qx + ox, qy - oy};
    for (int i = 1; i <= 7; ++i)
        v[9 + i] = {qx - sx[i], qy + sy[i]};
    v[17] = {qx - ox, qy + oy};
    return v;
}

Region capsuleRegion(TPoint p, TPoint q, std::int32_t width)
{
    const std::array<RPoint, 18> v = capsule64(p, q, width);
    return Region::simplePolygon(RPath(v.begin(), v.end()));
}

Region octagon(std::int64_t x, std::int64_t y, std::int64_t a, std::int64_t b, std::int64_t k)
{
    return Region::simplePolygon({{x - a, y + b - k},
                                  {x - a + k, y + b},
                                  {x + a - k, y + b},
                                  {x + a, y + b - k},
                                  {x + a, y - b + k},
                                  {x + a - k, y - b},
                                  {x - a + k, y - b},
                                  {x - a, y - b + k}});
}

// A rectangle of half-size a by b whose corners are quarter circles of the given diameter
// (the rounded-rectangle primitive of the drawing), approximated like a disc of that size.
Region roundedRectangle(std::int64_t x, std::int64_t y, std::int64_t a, std::int64_t b, std::int64_t diameter)
{
    const double c = static_cast<double>(diameter) / 2.0;
    if (!(c > 0))
        return Region::rectangle(x - a, y - b, x + a, y + b);
    const int steps = Region::discVertexCount(c) / 4;
    const double ix = static_cast<double>(a) - c; // corner centres at (x +- ix, y +- iy)
    const double iy = static_cast<double>(b) - c;
    const double fx = static_cast<double>(x);
    const double fy = static_cast<double>(y);
    const double signX[4] = {1, -1, -1, 1};
    const double signY[4] = {1, 1, -1, -1};
    RPath path;
    path.reserve(4 * static_cast<std::size_t>(steps + 1));
    for (int corner = 0; corner < 4; ++corner) {
        const double cx = fx + signX[corner] * ix;
        const double cy = fy + signY[corner] * iy;
        for (int k = 0; k <= steps; ++k) {
            const double angle = 90.0 * corner + 90.0 * k / steps;
            path.push_back(
                {RoundHalfEven64(cx + c * CosDegrees(angle)), RoundHalfEven64(cy + c * SinDegrees(angle))});
        }
    }
    return Region::simplePolygon(std::move(path));
}

Region trackRegion(const std::vector<TPoint>& nodes, std::int32_t width)
{
    Region r;
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i)
        r.unite(capsuleRegion(nodes[i], nodes[i + 1], width));
    return r;
}

Region areaRegion(const TObjekt& e)
{
    // The closing edge is drawn by the fill, not by the outline pen, so it gets no capsule.
    Region r = trackRegion(e.Points, e.Width);
    if (e.Points.size() > 2) {
        RPath path;
        path.reserve(e.Points.size());
        for (const TPoint& p : e.Points)
            path.push_back({p.x, p.y});
        r.unite(Region::polygon(std::move(path)));
    }
    return r;
}

Region circleRegion(const TObjekt& e)
{
    const std::int64_t cx = e.X, cy = e.Y;
    const std::int64_t outer = e.Size1, inner = e.Size2;
    Region body = e.Filled ? Region::disc(cx, cy, outer) : Region::ring(cx, cy, outer, inner);
    const std::int64_t start = mod360(e.Angle);
    const std::int64_t stop = mod360(e.Width);
    if (start == stop)
        return body;

    const std::int64_t d = stop >= start ? stop - start : stop - start + 360;
    std::int64_t w = 0;
    if (e.Filled) {
        // A filled arc is widened by the angle that half the ring width spans on the inner circle.
        const std::int64_t ri = inner > 0 ? inner : 1;
        const std::int64_t h = (outer - ri) / 2;
        w = RoundHalfEven64(static_cast<double>(h) / (2.0 * kPi * static_cast<double>(ri)) * 360.0);
    }
    // The span that is kept. Once widening makes it reach all the way round, the whole disc
    // stays; a wedge of more than a half turn is never built, its complement is cut away instead,
    // so the wedge's chords always stay outside the disc.
    const std::int64_t kept = d + 2 * w;
    if (kept >= 360) {
        // whole body
    } else if (kept <= 0) {
        body = Region();
    } else {
        const double a0 = static_cast<double>(start - w);
        const double a1 = static_cast<double>(stop + w);
        const double bisector = kept <= 180 ? start + d / 2.0 : start - (360 - d) / 2.0;
        const std::int64_t far = 2 * outer;
        const Region wedge = Region::polygon({pointAt(cx, cy, inner, a0), pointAt(cx, cy, far, a0),
                                              pointAt(cx, cy, far, bisector), pointAt(cx, cy, far, a1),
                                              pointAt(cx, cy, inner, a1)});
        body = kept <= 180 ? body.intersected(wedge) : body.subtracted(wedge);
    }

    // Round caps centred on the mid circle at both ends.
    const std::int64_t capRadius = (outer - inner) / 2;
    const std::int64_t mid = outer - capRadius;
    const RPoint s = pointAt(cx, cy, mid, static_cast<double>(start));
    const RPoint t = pointAt(cx, cy, mid, static_cast<double>(stop));
    body.unite(Region::disc(s.x, s.y, capRadius));
    body.unite(Region::disc(t.x, t.y, capRadius));
    return body;
}

} // namespace

std::array<TPoint, 18> Capsule(TPoint p, TPoint q, std::int32_t width) noexcept
{
    const std::array<RPoint, 18> v = capsule64(p, q, width);
    std::array<TPoint, 18> out;
    for (std::size_t i = 0; i < v.size(); ++i)
        out[i] = {Saturate32(v[i].x), Saturate32(v[i].y)};
    return out;
}

Region PadOutline(const TObjekt& pad, std::int64_t extra)
{
    // A negative radius (damaged file) describes the same outline as its magnitude.
    const std::int64_t radius = std::llabs(static_cast<std::int64_t>(pad.Size1));
    const std::int64_t across = radius + extra;
    const std::int64_t along = 2 * radius + extra;
    if (across <= 0)
        return {};
    const std::int64_t x = pad.X, y = pad.Y;
    const std::int64_t cut = RoundHalfEven64(0.585 * static_cast<double>(across));
    const std::int64_t corner = RoundHalfEven64(1.5 * static_cast<double>(across));
    switch (pad.Shape) {
    case ShapeOctagon:
        return octagon(x, y, across, across, cut);
    case ShapeSquare:
        return Region::rectangle(x - across, y - across, x + across, y + across);
    case ShapeRoundedWide:
        return roundedRectangle(x, y, along, across, corner);
    case ShapeOctagonWide:
        return octagon(x, y, along, across, cut);
    case ShapeRectWide:
        return Region::rectangle(x - along, y - across, x + along, y + across);
    case ShapeRoundedTall:
        return roundedRectangle(x, y, across, along, corner);
    case ShapeOctagonTall:
        return octagon(x, y, across, along, cut);
    case ShapeRectTall:
        return Region::rectangle(x - across, y - along, x + across, y + along);
    default:
        return Region::disc(x, y, across); // round, and any unknown shape code
    }
}

Region ElementRegion(const TObjekt& e)
{
    switch (e.Kind) {
    case KindLine:
        return capsuleRegion({e.X, e.Y}, {e.Size1, e.Size2}, e.Width);
    case KindPad:
        return PadOutline(e, 0);
    case KindFontText:
        return Region::rectangle(e.X, e.Y, e.Size1, e.Size2);
    case KindArea:
        return areaRegion(e);
    case KindCircle:
        return circleRegion(e);
    case KindTrack:
        return trackRegion(e.Points, e.Width);
    case KindLayoutText: {
        Region r;
        for (const TObjekt& stroke : e.Strokes)
            r.unite(ElementRegion(stroke));
        return r;
    }
    case KindSmdPad: {
        const std::int64_t hw = RoundHalfEven64(e.Size1 / 2.0);
        const std::int64_t hh = RoundHalfEven64(e.Size2 / 2.0);
        return Region::rectangle(std::int64_t(e.X) - hw, std::int64_t(e.Y) - hh, std::int64_t(e.X) + hw,
                                 std::int64_t(e.Y) + hh);
    }
    default:
        return {};
    }
}

bool ElementHit(const TObjekt& element, TPoint point, double zoom)
{
    // Two screen pixels around the point. A zoom that is not a positive number gives no
    // tolerance; an absurdly small one is capped so that the square stays representable.
    std::int64_t h = 0;
    if (zoom > 0) {
        const double t = 2.0 / zoom;
        h = t < 4294967296.0 ? RoundHalfEven64(t) : std::int64_t(4294967296);
    }
    const TRect square{std::int64_t(point.x) - h, std::int64_t(point.y) - h, std::int64_t(point.x) + h,
                       std::int64_t(point.y) + h};
    return ElementRegion(element).overlapsRect(square);
}

} // namespace trevok

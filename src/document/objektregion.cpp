// The exact outline of each element kind, the capsule of a segment and the element hit test.
// All vertex arithmetic is done in 64 bits: elements read from foreign files may sit anywhere
// in the 32-bit range, and an outline may reach beyond it.

#include "document/objekt.h"
#include "document/quickoverlap.h"
#include "document/region.h"

#include <algorithm>
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

namespace
{

// A part of an element's outline as the quick overlap test sees it: a core (a segment, a point
// when its ends are equal, or an axis-parallel box) and two distances. The outline holds every
// point nearer to the core than inner and none farther than outer. A box is exact (both 0).
struct Blob {
    bool box = false;
    double ax = 0, ay = 0, bx = 0, by = 0; // segment ends, or the box's low and high corner
    double inner = 0;
    double outer = 0;
};

// What capsule64 builds: vertices a rounded radius from the ends (off by at most 0.71), caps of
// 22.5-degree steps turned by at most half a degree, so every chord keeps r cos(11.5 deg) -
// 0.71 from the core. Thin capsules are left to the outlines.
bool capsuleBlob(TPoint p, TPoint q, std::int32_t width, Blob& b) noexcept
{
    std::int64_t r = std::llabs(static_cast<std::int64_t>(width) / 2);
    if (r == 0)
        r = 1;
    if (r < 4)
        return false;
    const double fr = static_cast<double>(r);
    b = {false, double(p.x), double(p.y), double(q.x), double(q.y), 0.97 * fr - 2.0, fr + 1.0};
    return true;
}

Blob boxBlob(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) noexcept
{
    return {true,
            double(std::min(x1, x2)),
            double(std::min(y1, y2)),
            double(std::max(x1, x2)),
            double(std::max(y1, y2)),
            0,
            0};
}

// The parts of an element the test knows (the capsules of a track, one for the rest).
std::size_t blobCount(const TObjekt& e) noexcept
{
    switch (e.Kind) {
    case KindLine:
    case KindSmdPad:
        return 1;
    case KindTrack:
        return e.Points.size() >= 2 ? e.Points.size() - 1 : 0;
    case KindPad:
        switch (e.Shape) {
        case ShapeRoundedWide:
        case ShapeRoundedTall:
        case ShapeOctagonWide:
        case ShapeOctagonTall:
            return 0;
        default:
            return std::llabs(static_cast<std::int64_t>(e.Size1)) >= 4 ? 1 : 0;
        }
    default:
        return 0;
    }
}

bool blobAt(const TObjekt& e, std::size_t k, Blob& b) noexcept
{
    switch (e.Kind) {
    case KindLine:
        return capsuleBlob({e.X, e.Y}, {e.Size1, e.Size2}, e.Width, b);
    case KindTrack:
        return capsuleBlob(e.Points[k], e.Points[k + 1], e.Width, b);
    case KindSmdPad: {
        const std::int64_t hw = RoundHalfEven64(e.Size1 / 2.0);
        const std::int64_t hh = RoundHalfEven64(e.Size2 / 2.0);
        if (hw == 0 || hh == 0)
            return false; // no area, no outline
        b = boxBlob(std::int64_t(e.X) - hw, std::int64_t(e.Y) - hh, std::int64_t(e.X) + hw,
                    std::int64_t(e.Y) + hh);
        return true;
    }
    case KindPad: {
        const std::int64_t a = std::llabs(static_cast<std::int64_t>(e.Size1));
        const std::int64_t x = e.X, y = e.Y;
        const double fa = static_cast<double>(a);
        switch (e.Shape) {
        case ShapeSquare:
            b = boxBlob(x - a, y - a, x + a, y + a);
            return true;
        case ShapeRectWide:
            b = boxBlob(x - 2 * a, y - a, x + 2 * a, y + a);
            return true;
        case ShapeRectTall:
            b = boxBlob(x - a, y - 2 * a, x + a, y + 2 * a);
            return true;
        case ShapeOctagon: {
            // Sides a from the centre, cut edges (2a - cut) / sqrt 2 >= a - 0.36 from it.
            const std::int64_t cut = RoundHalfEven64(0.585 * fa);
            b = {false,
                 double(x),
                 double(y),
                 double(x),
                 double(y),
                 fa - 1.0,
                 std::hypot(fa, static_cast<double>(a - cut)) + 1.0};
            return true;
        }
        default: // a disc: chords at most half a unit inside the circle, vertices rounded
            b = {false, double(x), double(y), double(x), double(y), fa - 2.0, fa + 1.0};
            return true;
        }
    }
    default:
        return false;
    }
}

double pointSegment(double px, double py, double ax, double ay, double bx, double by) noexcept
{
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = px - (ax + t * dx), ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey); // board coordinates: no overflow for hypot to guard against
}

double side(double ax, double ay, double bx, double by, double cx, double cy) noexcept
{
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool segmentsCross(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                   double dy) noexcept
{
    const double d1 = side(cx, cy, dx, dy, ax, ay);
    const double d2 = side(cx, cy, dx, dy, bx, by);
    const double d3 = side(ax, ay, bx, by, cx, cy);
    const double d4 = side(ax, ay, bx, by, dx, dy);
    return ((d1 < 0 && d2 > 0) || (d1 > 0 && d2 < 0)) && ((d3 < 0 && d4 > 0) || (d3 > 0 && d4 < 0));
}

double segmentSegment(const Blob& s, const Blob& t) noexcept
{
    if (segmentsCross(s.ax, s.ay, s.bx, s.by, t.ax, t.ay, t.bx, t.by))
        return 0.0;
    return std::min(
        {pointSegment(s.ax, s.ay, t.ax, t.ay, t.bx, t.by), pointSegment(s.bx, s.by, t.ax, t.ay, t.bx, t.by),
         pointSegment(t.ax, t.ay, s.ax, s.ay, s.bx, s.by), pointSegment(t.bx, t.by, s.ax, s.ay, s.bx, s.by)});
}

double pointBox(double px, double py, const Blob& box) noexcept
{
    const double dx = std::max({box.ax - px, 0.0, px - box.bx});
    const double dy = std::max({box.ay - py, 0.0, py - box.by});
    return std::sqrt(dx * dx + dy * dy);
}

double segmentBox(const Blob& s, const Blob& box) noexcept
{
    const double pa = pointBox(s.ax, s.ay, box);
    const double pb = pointBox(s.bx, s.by, box);
    if (pa == 0 || pb == 0)
        return 0.0;
    const double cx[4] = {box.ax, box.bx, box.bx, box.ax};
    const double cy[4] = {box.ay, box.ay, box.by, box.by};
    double d = std::min(pa, pb);
    for (int i = 0; i < 4; ++i) {
        if (segmentsCross(s.ax, s.ay, s.bx, s.by, cx[i], cy[i], cx[(i + 1) % 4], cy[(i + 1) % 4]))
            return 0.0;
        d = std::min(d, pointSegment(cx[i], cy[i], s.ax, s.ay, s.bx, s.by));
    }
    return d;
}

// 1 the outlines of the two parts overlap, 0 they do not, -1 too near to tell.
int blobsOverlap(const Blob& s, const Blob& t) noexcept
{
    if (s.box && t.box) // exact closed boxes
        return s.ax <= t.bx && t.ax <= s.bx && s.ay <= t.by && t.ay <= s.by ? 1 : 0;
    // Distances in doubles of integer coordinates err by far less than the half unit kept.
    constexpr double slack = 0.5;
    const double reach = s.outer + t.outer + slack;
    if (std::min(s.ax, s.bx) - reach > std::max(t.ax, t.bx) ||
        std::min(t.ax, t.bx) - reach > std::max(s.ax, s.bx) ||
        std::min(s.ay, s.by) - reach > std::max(t.ay, t.by) ||
        std::min(t.ay, t.by) - reach > std::max(s.ay, s.by))
        return 0;
    const double d = s.box ? segmentBox(t, s) : t.box ? segmentBox(s, t) : segmentSegment(s, t);
    if (d < s.inner + t.inner - slack)
        return 1;
    return d > reach ? 0 : -1;
}

} // namespace

int QuickOverlap(const TObjekt& a, const TObjekt& b) noexcept
{
    const std::size_t na = blobCount(a);
    const std::size_t nb = blobCount(b);
    if (na == 0 || nb == 0)
        return -1;
    // The parts of b are met once for every part of a: the first few are made once.
    constexpr std::size_t kept = 8;
    std::array<Blob, kept> parts;
    for (std::size_t j = 0; j < std::min(nb, kept); ++j)
        if (!blobAt(b, j, parts[j]))
            return -1;
    bool unsure = false;
    for (std::size_t i = 0; i < na; ++i) {
        Blob s;
        if (!blobAt(a, i, s))
            return -1;
        for (std::size_t j = 0; j < nb; ++j) {
            Blob t;
            if (j < kept)
                t = parts[j];
            else if (!blobAt(b, j, t))
                return -1;
            const int o = blobsOverlap(s, t);
            if (o == 1)
                return 1;
            unsure = unsure || o < 0;
        }
    }
    return unsure ? -1 : 0;
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

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

std::array<RPoint, 8> octagonVertices(std::int64_t x, std::int64_t y, std::int64_t a, std::int64_t b,
                                      std::int64_t k) noexcept
{
    return {{{x - a, y + b - k},
             {x - a + k, y + b},
             {x + a - k, y + b},
             {x + a, y + b - k},
             {x + a, y - b + k},
             {x + a - k, y - b},
             {x - a + k, y - b},
             {x - a, y - b + k}}};
}

Region octagon(std::int64_t x, std::int64_t y, std::int64_t a, std::int64_t b, std::int64_t k)
{
    const std::array<RPoint, 8> v = octagonVertices(x, y, a, b, k);
    return Region::simplePolygon(RPath(v.begin(), v.end()));
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

// A part of an element's outline as the quick overlap test sees it.
// - Segment (a point when its ends are equal) with two distances: the outline holds every point
//   nearer to the core than inner and none farther than outer.
// - Box: an exact axis-parallel box from its low corner a to its high corner b.
// - Ring: the points around centre a. The outline lies where the distance from the centre is
//   between bx and by; when sure, it holds every point whose distance is between inner and outer.
// - Polygon: the filled polygon of an area's points, exact.
// A box is the exact outline; a segment may name the exact outline it stands for (exact, with
// size the capsule's width or the pad's radius), for the pairs too near to tell otherwise.
// No member initialisers: the test keeps an array of them for every pair of elements it meets.
struct Blob {
    enum Type : std::uint8_t { Segment, Box, Ring, Polygon };
    enum Exact : std::uint8_t { Unknown, Capsule, Disc, Octagon };
    Type type;
    bool sure;
    double ax, ay, bx, by;
    double inner, outer;
    const std::vector<TPoint>* points;
    Exact exact;
    std::int64_t size;
};

// Distances in doubles of integer coordinates err by far less than this half unit.
constexpr double Slack = 0.5;

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
    b = {Blob::Segment,   false,    double(p.x), double(p.y),   double(q.x), double(q.y),
         0.97 * fr - 2.0, fr + 1.0, nullptr,     Blob::Capsule, width};
    return true;
}

Blob boxBlob(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) noexcept
{
    return {Blob::Box,
            false,
            double(std::min(x1, x2)),
            double(std::min(y1, y2)),
            double(std::max(x1, x2)),
            double(std::max(y1, y2)),
            0,
            0,
            nullptr,
            Blob::Unknown,
            0};
}

Blob padBlob(std::int64_t x, std::int64_t y, double inner, double outer, Blob::Exact exact,
             std::int64_t radius) noexcept
{
    return {Blob::Segment, false, double(x), double(y), double(x), double(y),
            inner,         outer, nullptr,   exact,     radius};
}

// A circle element. Its disc polygons keep their vertices within 0.71 of the circle and their
// chords within half a unit inside it, and the caps of an arc lie between its two circles: two
// units either way hold all of it. Only a whole circle is sure to hold its ring; an arc is
// only somewhere in it.
bool circleBlob(const TObjekt& e, Blob& b) noexcept
{
    const std::int64_t outer = e.Size1;
    const std::int64_t inner = e.Filled ? 0 : e.Size2;
    if (outer <= 0 || inner >= outer)
        return false;
    b = {Blob::Ring,
         false,
         double(e.X),
         double(e.Y),
         inner > 0 ? double(inner) - 2.0 : -1.0,
         double(outer) + 2.0,
         inner > 0 ? double(inner) + 2.0 : -1.0,
         double(outer) - 2.0,
         nullptr,
         Blob::Unknown,
         0};
    b.sure = mod360(e.Angle) == mod360(e.Width) && b.outer - b.inner > 2.0 * Slack;
    return true;
}

// Calls f with each part of an element in order, a null pointer for a part the test does not
// know (only the outlines can tell there). Returns false when f stopped it by returning false.
template <class F> bool forEachBlob(const TObjekt& e, F&& f)
{
    Blob b;
    auto capsule = [&](TPoint p, TPoint q) { return f(capsuleBlob(p, q, e.Width, b) ? &b : nullptr); };
    switch (e.Kind) {
    case KindLine:
        return capsule({e.X, e.Y}, {e.Size1, e.Size2});
    case KindTrack:
        for (std::size_t k = 0; k + 1 < e.Points.size(); ++k)
            if (!capsule(e.Points[k], e.Points[k + 1]))
                return false;
        return true;
    case KindLayoutText:
        // The strokes are tracks, and the text's outline is theirs.
        for (const TObjekt& stroke : e.Strokes)
            if (stroke.Kind != KindTrack ? !f(nullptr) : !forEachBlob(stroke, f))
                return false;
        return true;
    case KindArea:
        // The outline pen's capsules along the points (the closing edge has none) and the fill.
        for (std::size_t k = 0; k + 1 < e.Points.size(); ++k)
            if (!capsule(e.Points[k], e.Points[k + 1]))
                return false;
        if (e.Points.size() > 2) {
            b = {Blob::Polygon, false, 0, 0, 0, 0, 0, 0, &e.Points, Blob::Unknown, 0};
            return f(&b);
        }
        return true;
    case KindCircle:
        return f(circleBlob(e, b) ? &b : nullptr);
    case KindSmdPad: {
        const std::int64_t hw = RoundHalfEven64(e.Size1 / 2.0);
        const std::int64_t hh = RoundHalfEven64(e.Size2 / 2.0);
        if (hw == 0 || hh == 0)
            return f(nullptr); // no area, no outline
        b = boxBlob(std::int64_t(e.X) - hw, std::int64_t(e.Y) - hh, std::int64_t(e.X) + hw,
                    std::int64_t(e.Y) + hh);
        return f(&b);
    }
    case KindPad: {
        const std::int64_t a = std::llabs(static_cast<std::int64_t>(e.Size1));
        const std::int64_t x = e.X, y = e.Y;
        const double fa = static_cast<double>(a);
        if (a < 4)
            return f(nullptr); // too small for the distances to tell
        switch (e.Shape) {
        case ShapeRoundedWide:
        case ShapeRoundedTall:
        case ShapeOctagonWide:
        case ShapeOctagonTall:
            return f(nullptr);
        case ShapeSquare:
            b = boxBlob(x - a, y - a, x + a, y + a);
            break;
        case ShapeRectWide:
            b = boxBlob(x - 2 * a, y - a, x + 2 * a, y + a);
            break;
        case ShapeRectTall:
            b = boxBlob(x - a, y - 2 * a, x + a, y + 2 * a);
            break;
        case ShapeOctagon: {
            // Sides a from the centre, cut edges (2a - cut) / sqrt 2 >= a - 0.36 from it.
            const std::int64_t cut = RoundHalfEven64(0.585 * fa);
            b = padBlob(x, y, fa - 1.0, std::hypot(fa, static_cast<double>(a - cut)) + 1.0, Blob::Octagon, a);
            break;
        }
        default: // a disc: chords at most half a unit inside the circle, vertices rounded
            b = padBlob(x, y, fa - 2.0, fa + 1.0, Blob::Disc, a);
            break;
        }
        return f(&b);
    }
    default:
        return f(nullptr);
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

// The distance between the cores of a segment or box and a segment or box.
double coreDistance(const Blob& s, const Blob& t) noexcept
{
    return s.type == Blob::Box   ? segmentBox(t, s)
           : t.type == Blob::Box ? segmentBox(s, t)
                                 : segmentSegment(s, t);
}

// Whether the bounds of two cores, one grown by reach, miss each other.
bool coresApart(const Blob& s, const Blob& t, double reach) noexcept
{
    return std::min(s.ax, s.bx) - reach > std::max(t.ax, t.bx) ||
           std::min(t.ax, t.bx) - reach > std::max(s.ax, s.bx) ||
           std::min(s.ay, s.by) - reach > std::max(t.ay, t.by) ||
           std::min(t.ay, t.by) - reach > std::max(s.ay, s.by);
}

// A ring against a segment or box: the distances from the centre to the core's points fill
// one interval (the core is connected), which is compared with the ring's radii.
int ringOverlap(const Blob& ring, const Blob& t) noexcept
{
    const double reach = ring.by + t.outer + Slack;
    const double cx = ring.ax, cy = ring.ay;
    if (std::min(t.ax, t.bx) - reach > cx || std::max(t.ax, t.bx) + reach < cx ||
        std::min(t.ay, t.by) - reach > cy || std::max(t.ay, t.by) + reach < cy)
        return 0;
    double nearest = 0, farthest = 0;
    if (t.type == Blob::Box) {
        nearest = pointBox(cx, cy, t);
        const double dx = std::max(std::abs(t.ax - cx), std::abs(t.bx - cx));
        const double dy = std::max(std::abs(t.ay - cy), std::abs(t.by - cy));
        farthest = std::sqrt(dx * dx + dy * dy);
    } else {
        nearest = pointSegment(cx, cy, t.ax, t.ay, t.bx, t.by);
        farthest = std::max(std::hypot(t.ax - cx, t.ay - cy), std::hypot(t.bx - cx, t.by - cy));
    }
    if (std::max({0.0, nearest - ring.by, ring.bx - farthest}) > t.outer + Slack)
        return 0;
    if (ring.sure) {
        if (t.type == Blob::Box) {
            // The box (of some area) reaches radii strictly inside the sure ring.
            if (nearest < ring.outer - Slack && farthest > ring.inner + Slack)
                return 1;
        } else if (std::max({0.0, nearest - ring.outer, ring.inner - farthest}) < t.inner - Slack) {
            return 1;
        }
    }
    return -1;
}

// The winding number of an area's points about a point that lies on none of its edges.
int winding(const std::vector<TPoint>& points, double px, double py) noexcept
{
    int w = 0;
    const std::size_t n = points.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double ax = points[j].x, ay = points[j].y, bx = points[i].x, by = points[i].y;
        if (ay <= py) {
            if (by > py && side(ax, ay, bx, by, px, py) > 0)
                ++w;
        } else if (by <= py && side(ax, ay, bx, by, px, py) < 0) {
            --w;
        }
    }
    return w;
}

// An area's filled polygon against a segment or box. Away from every edge, the core lies
// wholly outside (winding 0) or wholly inside; an outline read with either fill rule agrees
// on winding 0 and on winding 1, and is left to the outlines otherwise.
int polygonOverlap(const Blob& polygon, const Blob& t) noexcept
{
    const std::vector<TPoint>& p = *polygon.points;
    const double reach = t.outer + Slack;
    double left = p[0].x, right = left, top = p[0].y, bottom = top;
    for (const TPoint& v : p) {
        left = std::min(left, double(v.x));
        right = std::max(right, double(v.x));
        top = std::min(top, double(v.y));
        bottom = std::max(bottom, double(v.y));
    }
    if (std::min(t.ax, t.bx) - reach > right || std::max(t.ax, t.bx) + reach < left ||
        std::min(t.ay, t.by) - reach > bottom || std::max(t.ay, t.by) + reach < top)
        return 0;
    const std::size_t n = p.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const Blob edge{Blob::Segment,
                        false,
                        double(p[j].x),
                        double(p[j].y),
                        double(p[i].x),
                        double(p[i].y),
                        0,
                        0,
                        nullptr,
                        Blob::Unknown,
                        0};
        if (!coresApart(edge, t, reach) && coreDistance(edge, t) <= reach)
            return -1;
    }
    const int w = winding(p, t.ax, t.ay);
    if (w == 0)
        return 0;
    if (std::abs(w) == 1 && (t.type == Blob::Box || t.inner > Slack))
        return 1;
    return -1;
}

// The vertices of the outline a part stands for, as ElementRegion builds it, into out (room for
// 256); 0 when the part does not name one.
std::size_t exactVertices(const Blob& b, RPoint* out) noexcept
{
    const auto x = static_cast<std::int64_t>(b.ax), y = static_cast<std::int64_t>(b.ay);
    if (b.type == Blob::Box) {
        const auto right = static_cast<std::int64_t>(b.bx), top = static_cast<std::int64_t>(b.by);
        const RPoint corners[4] = {{x, y}, {right, y}, {right, top}, {x, top}};
        std::copy(std::begin(corners), std::end(corners), out);
        return 4;
    }
    if (b.type != Blob::Segment)
        return 0;
    switch (b.exact) {
    case Blob::Capsule: {
        const std::array<RPoint, 18> v =
            capsule64({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)},
                      {static_cast<std::int32_t>(b.bx), static_cast<std::int32_t>(b.by)},
                      static_cast<std::int32_t>(b.size));
        std::copy(v.begin(), v.end(), out);
        return v.size();
    }
    case Blob::Disc:
        return DiscVertices(x, y, b.size, out);
    case Blob::Octagon: {
        const std::int64_t cut = RoundHalfEven64(0.585 * static_cast<double>(b.size));
        const std::array<RPoint, 8> v = octagonVertices(x, y, b.size, b.size, cut);
        std::copy(v.begin(), v.end(), out);
        return v.size();
    }
    default:
        return 0;
    }
}

// Two parts too near for their distances to tell: their exact outlines, when both name one.
int exactOverlap(const Blob& s, const Blob& t) noexcept
{
    // Kept per thread: RPoint zeroes itself, and most pairs never come here.
    thread_local std::array<RPoint, 256> a, b;
    const std::size_t na = exactVertices(s, a.data());
    const std::size_t nb = na ? exactVertices(t, b.data()) : 0;
    if (!na || !nb)
        return -1;
    return PathsOverlap({a.data(), na}, {b.data(), nb}) ? 1 : 0;
}

// 1 the outlines of the two parts overlap, 0 they do not, -1 too near to tell.
int blobsOverlap(const Blob& s, const Blob& t) noexcept
{
    if (s.type >= Blob::Ring || t.type >= Blob::Ring) {
        if (s.type >= Blob::Ring && t.type >= Blob::Ring)
            return -1;
        const Blob& special = s.type >= Blob::Ring ? s : t;
        const Blob& other = s.type >= Blob::Ring ? t : s;
        return special.type == Blob::Ring ? ringOverlap(special, other) : polygonOverlap(special, other);
    }
    if (s.type == Blob::Box && t.type == Blob::Box) // exact closed boxes
        return s.ax <= t.bx && t.ax <= s.bx && s.ay <= t.by && t.ay <= s.by ? 1 : 0;
    const double reach = s.outer + t.outer + Slack;
    if (coresApart(s, t, reach))
        return 0;
    const double d = coreDistance(s, t);
    if (d < s.inner + t.inner - Slack)
        return 1;
    return d > reach ? 0 : exactOverlap(s, t);
}

} // namespace

int QuickOverlap(const TObjekt& a, const TObjekt& b) noexcept
{
    // The parts of one element are made once and met by every part of the other. The answer is
    // the same both ways round: 1 when some two parts overlap, else -1 when some part is unknown
    // or some two are too near to tell, else 0.
    constexpr std::size_t kept = 64;
    std::array<Blob, kept> parts; // not initialised: filled as far as used
    std::size_t count = 0;
    bool unknown = false;
    auto collect = [&](const TObjekt& e) {
        count = 0;
        unknown = false;
        return forEachBlob(e, [&](const Blob* t) {
            if (!t) {
                unknown = true;
                return true;
            }
            if (count == kept)
                return false;
            parts[count++] = *t;
            return true;
        });
    };
    // A layout text has many parts: those of the other element are the ones kept.
    const bool textFirst = b.Kind == KindLayoutText && a.Kind != KindLayoutText;
    const TObjekt& first = textFirst ? a : b;
    const TObjekt* other = textFirst ? &b : &a;
    if (!collect(first)) {
        if (!collect(*other))
            return -1; // both have more parts than are kept
        other = &first;
    }
    if (count == 0 && !unknown)
        return 0; // an outline of no parts is empty
    int result = unknown ? -1 : 0;
    bool otherParts = false;
    forEachBlob(*other, [&](const Blob* s) {
        otherParts = true;
        if (!s) {
            result = -1;
            return true;
        }
        for (std::size_t j = 0; j < count; ++j) {
            const int o = blobsOverlap(*s, parts[j]);
            if (o == 1) {
                result = 1;
                return false;
            }
            if (o < 0)
                result = -1;
        }
        return true;
    });
    return otherParts ? result : 0;
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

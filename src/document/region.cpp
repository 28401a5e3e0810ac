#include "document/region.h"

#include <clipper.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace trevok
{

namespace
{

using Wide = __int128;

// Sign of the cross product (b - a) x (c - a): > 0 when c lies left of a->b (y up). Exact:
// board-sized differences multiply in 64 bits, anything larger in 128.
inline int orient(const RPoint& a, const RPoint& b, const RPoint& c) noexcept
{
    const std::int64_t ux = b.x - a.x, uy = b.y - a.y, vx = c.x - a.x, vy = c.y - a.y;
    constexpr std::int64_t small = std::int64_t(1) << 31;
    if (ux > -small && ux < small && uy > -small && uy < small && vx > -small && vx < small && vy > -small &&
        vy < small) {
        const std::int64_t v = ux * vy - uy * vx;
        return (v > 0) - (v < 0);
    }
    const Wide v = Wide(ux) * Wide(vy) - Wide(uy) * Wide(vx);
    return (v > 0) - (v < 0);
}

// c is known to lie on the line through a and b: is it between them?
inline bool withinSpan(const RPoint& a, const RPoint& b, const RPoint& c) noexcept
{
    return std::min(a.x, b.x) <= c.x && c.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= c.y &&
           c.y <= std::max(a.y, b.y);
}

// Closed segments a-b and c-d share a point (touching and collinear overlap included).
bool segmentsMeet(const RPoint& a, const RPoint& b, const RPoint& c, const RPoint& d) noexcept
{
    if (std::max(a.x, b.x) < std::min(c.x, d.x) || std::max(c.x, d.x) < std::min(a.x, b.x) ||
        std::max(a.y, b.y) < std::min(c.y, d.y) || std::max(c.y, d.y) < std::min(a.y, b.y))
        return false;
    const int d1 = orient(c, d, a);
    const int d2 = orient(c, d, b);
    const int d3 = orient(a, b, c);
    const int d4 = orient(a, b, d);
    if (d1 * d2 < 0 && d3 * d4 < 0)
        return true;
    return (d1 == 0 && withinSpan(c, d, a)) || (d2 == 0 && withinSpan(c, d, b)) ||
           (d3 == 0 && withinSpan(a, b, c)) || (d4 == 0 && withinSpan(a, b, d));
}

// Closed segment a-b meets the closed rectangle r.
bool segmentMeetsRect(const RPoint& a, const RPoint& b, const TRect& r) noexcept
{
    if (std::max(a.x, b.x) < r.left || std::min(a.x, b.x) > r.right || std::max(a.y, b.y) < r.top ||
        std::min(a.y, b.y) > r.bottom)
        return false;
    // The boxes meet; the segment misses the rectangle only when all four corners lie strictly
    // on one side of its line.
    const RPoint corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
    int pos = 0;
    int neg = 0;
    for (const RPoint& c : corners) {
        const int o = orient(a, b, c);
        pos += o > 0;
        neg += o < 0;
    }
    return pos < 4 && neg < 4;
}

inline bool boxesMeet(const TRect& a, const TRect& b) noexcept
{
    return a.intersects(b);
}

// A path has area only with three vertices that do not lie on one line.
bool hasArea(const RPath& p) noexcept
{
    if (p.size() < 3)
        return false;
    std::size_t j = 1;
    while (j < p.size() && p[j] == p[0])
        ++j;
    for (std::size_t k = j + 1; k < p.size(); ++k)
        if (orient(p[0], p[j], p[k]) != 0)
            return true;
    return false;
}

double signedArea(const RPath& p) noexcept
{
    // Relative to the first vertex, so large coordinates do not swallow the sum.
    long double sum = 0;
    const RPoint o = p.front();
    for (std::size_t i = 1; i + 1 < p.size(); ++i) {
        const long double x1 = p[i].x - o.x, y1 = p[i].y - o.y;
        const long double x2 = p[i + 1].x - o.x, y2 = p[i + 1].y - o.y;
        sum += x1 * y2 - x2 * y1;
    }
    return static_cast<double>(sum / 2);
}

// The even-odd point test of one path: flips inside at each edge the ray from q to +x crosses;
// true when q lies on an edge.
bool onPathOrFlip(const RPoint* p, std::size_t n, const RPoint& q, bool& inside) noexcept
{
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const RPoint& a = p[j];
        const RPoint& b = p[i];
        const bool aAbove = a.y > q.y;
        const bool bAbove = b.y > q.y;
        if (aAbove != bAbove) {
            const int o = orient(a, b, q);
            if (o == 0)
                return true;
            // The ray to +x crosses the edge when q lies left of an upward edge or right of a
            // downward one.
            if ((o > 0) == bAbove)
                inside = !inside;
        } else if ((a.y == q.y || b.y == q.y) && orient(a, b, q) == 0 && withinSpan(a, b, q)) {
            return true;
        }
    }
    return false;
}

// Even-odd point test of a set of paths (a component's, or a single path's); a point on an
// edge is inside.
template <class Paths> bool pathsContain(const Paths& paths, const RPoint& q) noexcept
{
    bool inside = false;
    for (const auto& p : paths)
        if (onPathOrFlip(p.data(), p.size(), q, inside))
            return true;
    return inside;
}

ClipperLib::Path toClipper(const RPath& p, bool reverse)
{
    ClipperLib::Path out;
    out.reserve(p.size());
    if (reverse)
        for (auto it = p.rbegin(); it != p.rend(); ++it)
            out.emplace_back(it->x, it->y);
    else
        for (const RPoint& v : p)
            out.emplace_back(v.x, v.y);
    return out;
}

RPath fromClipper(const ClipperLib::Path& p)
{
    RPath out;
    out.reserve(p.size());
    for (const ClipperLib::IntPoint& v : p)
        out.push_back({v.X, v.Y});
    return out;
}

std::vector<RPath> fromClipper(const ClipperLib::Paths& paths)
{
    std::vector<RPath> out;
    out.reserve(paths.size());
    for (const auto& p : paths)
        out.push_back(fromClipper(p));
    return out;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Building

void Region::addComponent(std::vector<RPath> paths, bool simple)
{
    std::erase_if(paths, [](const RPath& p) { return !hasArea(p); });
    if (paths.empty())
        return;
    ComponentInfo ci;
    ci.box = {INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    ci.sumMin = ci.difMin = INT64_MAX;
    ci.sumMax = ci.difMax = INT64_MIN;
    for (const RPath& p : paths)
        for (const RPoint& v : p) {
            ci.box.left = std::min(ci.box.left, v.x);
            ci.box.right = std::max(ci.box.right, v.x);
            ci.box.top = std::min(ci.box.top, v.y);
            ci.box.bottom = std::max(ci.box.bottom, v.y);
            ci.sumMin = std::min(ci.sumMin, v.x + v.y);
            ci.sumMax = std::max(ci.sumMax, v.x + v.y);
            ci.difMin = std::min(ci.difMin, v.x - v.y);
            ci.difMax = std::max(ci.difMax, v.x - v.y);
        }
    ci.simple = simple;
    comps.push_back(std::move(paths));
    info.push_back(ci);
}

Region Region::polygon(RPath path)
{
    Region r;
    std::vector<RPath> paths;
    paths.push_back(std::move(path));
    r.addComponent(std::move(paths), false);
    return r;
}

Region Region::simplePolygon(RPath path)
{
    Region r;
    std::vector<RPath> paths;
    paths.push_back(std::move(path));
    r.addComponent(std::move(paths), true);
    return r;
}

Region Region::polygons(std::vector<RPath> paths)
{
    Region r;
    r.addComponent(std::move(paths), false);
    return r;
}

Region Region::rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    const std::int64_t l = std::min(x1, x2), r = std::max(x1, x2);
    const std::int64_t b = std::min(y1, y2), t = std::max(y1, y2);
    return simplePolygon({{l, b}, {r, b}, {r, t}, {l, t}});
}

int Region::discVertexCount(double radius) noexcept
{
    if (!(radius > 1.0))
        return 8;
    // A chord of angle 2a sits r(1 - cos a) inside the circle; keep that at half a unit.
    const double half = std::acos(1.0 - 0.5 / radius);
    const double n = std::ceil(std::numbers::pi / half);
    if (!(n < 256.0))
        return 256;
    const int count = (static_cast<int>(n) + 3) / 4 * 4;
    return std::clamp(count, 8, 256);
}

namespace
{

// The first-quadrant vertex offsets of a disc. Boards use few pad and via sizes, so a small
// cache saves nearly all the sines and cosines.
struct DiscOffsets {
    std::int64_t radius = -1;
    std::vector<RPoint> quadrant;
};

const std::vector<RPoint>& discOffsets(std::int64_t radius)
{
    thread_local std::array<DiscOffsets, 32> cache;
    DiscOffsets& c = cache[static_cast<std::uint64_t>(radius) % 31];
    if (c.radius != radius) {
        const int n = Region::discVertexCount(static_cast<double>(radius));
        const double r = static_cast<double>(radius);
        c.quadrant.resize(n / 4);
        for (int k = 0; k < n / 4; ++k) {
            const double a = 2.0 * std::numbers::pi * k / n;
            c.quadrant[k] = {RoundHalfEven64(r * std::cos(a)), RoundHalfEven64(r * std::sin(a))};
        }
        c.radius = radius;
    }
    return c.quadrant;
}

} // namespace

std::size_t DiscVertices(std::int64_t cx, std::int64_t cy, std::int64_t radius, RPoint* out)
{
    if (radius <= 0)
        return 0;
    // One quadrant is computed, the others are the same offsets turned by quarter turns; since
    // rounding halves to even is symmetric, that equals computing every vertex directly.
    const std::vector<RPoint>& q = discOffsets(radius);
    const std::size_t quarter = q.size();
    for (std::size_t k = 0; k < quarter; ++k) {
        const std::int64_t ox = q[k].x, oy = q[k].y;
        out[k] = {cx + ox, cy + oy};
        out[k + quarter] = {cx - oy, cy + ox};
        out[k + 2 * quarter] = {cx - ox, cy - oy};
        out[k + 3 * quarter] = {cx + oy, cy - ox};
    }
    return 4 * quarter;
}

Region Region::disc(std::int64_t cx, std::int64_t cy, std::int64_t radius)
{
    if (radius <= 0)
        return {};
    RPath path(static_cast<std::size_t>(discVertexCount(static_cast<double>(radius))));
    path.resize(DiscVertices(cx, cy, radius, path.data()));
    return simplePolygon(std::move(path));
}

Region Region::ring(std::int64_t cx, std::int64_t cy, std::int64_t outer, std::int64_t inner)
{
    if (inner <= 0)
        return disc(cx, cy, outer);
    if (inner >= outer)
        return {};
    Region o = disc(cx, cy, outer);
    Region i = disc(cx, cy, inner);
    // Each polygon strays from its circle by its sagitta plus the rounding of a vertex; with
    // a wider gap than that the inner polygon lies strictly inside the outer one and the two
    // paths form a proper ring without clipping.
    const double ro = static_cast<double>(outer);
    const double sagitta = ro * (1.0 - std::cos(std::numbers::pi / discVertexCount(ro)));
    if (static_cast<double>(outer - inner) <= sagitta + 2.0)
        return o.subtracted(i);
    RPath hole = std::move(i.comps.front().front());
    std::reverse(hole.begin(), hole.end()); // holes run clockwise, as Clipper gives them
    o.comps.front().push_back(std::move(hole));
    return o;
}

// ---------------------------------------------------------------------------------------------
// Tests

bool Region::componentContains(std::size_t i, std::int64_t x, std::int64_t y) const
{
    return info[i].box.contains(x, y) && pathsContain(comps[i], {x, y});
}

bool Region::componentOverlapsRect(std::size_t i, const TRect& r) const
{
    if (!boxesMeet(info[i].box, r))
        return false;
    for (const RPath& p : comps[i]) {
        const std::size_t n = p.size();
        for (std::size_t k = 0, j = n - 1; k < n; j = k++)
            if (segmentMeetsRect(p[j], p[k], r))
                return true;
    }
    // No edge meets the rectangle: it lies wholly inside or wholly outside the component.
    return pathsContain(comps[i], {r.left, r.top});
}

bool Region::componentEmpty(std::size_t i) const
{
    // Paths without area were dropped on building, so a simple component always has area.
    if (info[i].simple)
        return false;
    ClipperLib::Clipper c;
    for (const RPath& p : comps[i])
        c.AddPath(toClipper(p, false), ClipperLib::ptSubject, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    return std::none_of(out.begin(), out.end(), [](const ClipperLib::Path& p) {
        return p.size() >= 3 && ClipperLib::Area(p) != 0.0;
    });
}

bool Region::isEmpty() const
{
    for (std::size_t i = 0; i < comps.size(); ++i)
        if (!componentEmpty(i))
            return false;
    return true;
}

bool Region::contains(std::int64_t x, std::int64_t y) const
{
    for (std::size_t i = 0; i < comps.size(); ++i)
        if (componentContains(i, x, y))
            return true;
    return false;
}

bool Region::overlapsRect(const TRect& r) const
{
    if (r.left > r.right || r.top > r.bottom)
        return false;
    for (std::size_t i = 0; i < comps.size(); ++i)
        if (componentOverlapsRect(i, r))
            return true;
    return false;
}

namespace
{

struct Edge {
    RPoint a;
    RPoint b;
    TRect box;
};

// The edges of a component that reach into a box, with their own boxes.
template <class Paths> void edgesIn(const Paths& paths, const TRect& box, std::vector<Edge>& out)
{
    out.clear();
    for (const auto& p : paths) {
        const std::size_t n = p.size();
        for (std::size_t k = 0, j = n - 1; k < n; j = k++) {
            const RPoint& a = p[j];
            const RPoint& b = p[k];
            const TRect e{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
            if (e.intersects(box))
                out.push_back({a, b, e});
        }
    }
}

template <class Paths>
bool componentsOverlap(const Paths& a, const TRect& boxA, const Paths& b, const TRect& boxB)
{
    // A path whose first vertex lies in the other component settles it at once (the common
    // case of stacked pads and of tracks ending on pads).
    for (const auto& p : a)
        if (boxB.contains(p.front().x, p.front().y) && pathsContain(b, p.front()))
            return true;
    for (const auto& p : b)
        if (boxA.contains(p.front().x, p.front().y) && pathsContain(a, p.front()))
            return true;
    // Otherwise they overlap exactly when their outlines meet: were no edges to meet, each
    // path would lie wholly inside or wholly outside the other component, and the vertex tests
    // above would have found the inside case. Where two outlines meet, both edges reach into
    // the common box; reused buffers keep this free of allocations.
    const TRect common{std::max(boxA.left, boxB.left), std::max(boxA.top, boxB.top),
                       std::min(boxA.right, boxB.right), std::min(boxA.bottom, boxB.bottom)};
    thread_local std::vector<Edge> ea;
    thread_local std::vector<Edge> eb;
    edgesIn(a, common, ea);
    if (ea.empty())
        return false;
    edgesIn(b, common, eb);
    for (const Edge& e : ea)
        for (const Edge& f : eb)
            if (e.box.intersects(f.box) && segmentsMeet(e.a, e.b, f.a, f.b))
                return true;
    return false;
}

} // namespace

bool PathContains(std::span<const RPoint> path, const RPoint& q) noexcept
{
    return !path.empty() && pathsContain(std::array{path}, q);
}

bool ConvexPath(std::span<const RPoint> path) noexcept
{
    // The turns between edges of some length, repeated vertices passed over.
    const std::size_t n = path.size();
    std::size_t first = n;
    for (std::size_t i = 0; i < n && first == n; ++i)
        if (!(path[i] == path[(i + 1) % n]))
            first = i;
    if (n < 3 || first == n)
        return false;
    // Turning one way, the edge direction goes round monotonically, and every half turn it
    // makes changes the sign of dy once: one whole turn changes it exactly twice. Straight
    // stretches are allowed; a spike (an edge going back along the last) is not.
    int sign = 0;
    int edges = 0;
    int firstDy = 0, dySign = 0; // the sign of dy of the first and the last edge not level
    int dyChanges = 0;
    RPoint from = path[first], to = path[(first + 1) % n];
    for (std::size_t k = 1; k <= n; ++k) {
        const RPoint& next = path[(first + 1 + k) % n];
        if (next == to)
            continue;
        ++edges;
        if (const int o = orient(from, to, next); o != 0) {
            if (sign != 0 && o != sign)
                return false;
            sign = o;
        } else if (static_cast<__int128>(to.x - from.x) * (next.x - to.x) +
                       static_cast<__int128>(to.y - from.y) * (next.y - to.y) <
                   0) {
            return false;
        }
        if (const int s = (next.y > to.y) - (next.y < to.y); s != 0) {
            if (firstDy == 0)
                firstDy = s;
            dyChanges += dySign != 0 && s != dySign;
            dySign = s;
        }
        from = to;
        to = next;
    }
    dyChanges += firstDy != dySign; // round from the last edge to the first
    return edges >= 3 && sign != 0 && dyChanges == 2;
}

bool PathsOverlap(std::span<const RPoint> a, std::span<const RPoint> b) noexcept
{
    if (a.size() < 3 || b.size() < 3)
        return false;
    auto boxOf = [](std::span<const RPoint> p) {
        TRect r{p[0].x, p[0].y, p[0].x, p[0].y};
        for (const RPoint& v : p) {
            r.left = std::min(r.left, v.x);
            r.right = std::max(r.right, v.x);
            r.top = std::min(r.top, v.y);
            r.bottom = std::max(r.bottom, v.y);
        }
        return r;
    };
    const TRect boxA = boxOf(a), boxB = boxOf(b);
    if (!boxesMeet(boxA, boxB))
        return false;
    return componentsOverlap(std::array{a}, boxA, std::array{b}, boxB);
}

bool Region::hullsMeet(const ComponentInfo& a, const ComponentInfo& b) noexcept
{
    return a.box.intersects(b.box) && a.sumMin <= b.sumMax && b.sumMin <= a.sumMax && a.difMin <= b.difMax &&
           b.difMin <= a.difMax;
}

bool Region::overlaps(const Region& other) const
{
    if (comps.empty() || other.comps.empty() || !boxesMeet(boundingRect(), other.boundingRect()))
        return false;
    for (std::size_t i = 0; i < comps.size(); ++i)
        for (std::size_t j = 0; j < other.comps.size(); ++j)
            if (hullsMeet(info[i], other.info[j]) &&
                componentsOverlap(comps[i], info[i].box, other.comps[j], other.info[j].box))
                return true;
    return false;
}

TRect Region::boundingRect() const noexcept
{
    if (info.empty())
        return {};
    TRect r = info.front().box;
    for (const ComponentInfo& ci : info) {
        r.left = std::min(r.left, ci.box.left);
        r.top = std::min(r.top, ci.box.top);
        r.right = std::max(r.right, ci.box.right);
        r.bottom = std::max(r.bottom, ci.box.bottom);
    }
    return r;
}

// ---------------------------------------------------------------------------------------------
// Clipping

namespace
{

// The paths of a region oriented so that the non-zero rule reads them as the union of the
// components: each component's inside winds once, its holes not at all.
ClipperLib::Paths windingPaths(const std::vector<std::vector<RPath>>& comps, const auto& info)
{
    ClipperLib::Paths out;
    for (std::size_t i = 0; i < comps.size(); ++i) {
        const auto& paths = comps[i];
        if (info[i].simple && paths.size() == 1) {
            out.push_back(toClipper(paths.front(), signedArea(paths.front()) < 0));
        } else if (info[i].simple) {
            // Clipper output: outers anticlockwise, holes clockwise already.
            for (const RPath& p : paths)
                out.push_back(toClipper(p, false));
        } else {
            ClipperLib::Clipper c;
            for (const RPath& p : paths)
                c.AddPath(toClipper(p, false), ClipperLib::ptSubject, true);
            ClipperLib::Paths merged;
            c.Execute(ClipperLib::ctUnion, merged, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
            for (auto& p : merged)
                out.push_back(std::move(p));
        }
    }
    return out;
}

} // namespace

Region Region::normalized() const
{
    if (comps.size() == 1 && info.front().simple && comps.front().size() > 1)
        return *this; // already Clipper output
    ClipperLib::Clipper c;
    c.AddPaths(windingPaths(comps, info), ClipperLib::ptSubject, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Region r;
    r.addComponent(fromClipper(out), true);
    return r;
}

Region Region::intersected(const Region& other) const
{
    if (comps.empty() || other.comps.empty() || !boxesMeet(boundingRect(), other.boundingRect()))
        return {};
    ClipperLib::Clipper c;
    c.AddPaths(windingPaths(comps, info), ClipperLib::ptSubject, true);
    c.AddPaths(windingPaths(other.comps, other.info), ClipperLib::ptClip, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Region r;
    r.addComponent(fromClipper(out), true);
    return r;
}

Region Region::subtracted(const Region& other) const
{
    if (comps.empty())
        return {};
    if (other.comps.empty() || !boxesMeet(boundingRect(), other.boundingRect()))
        return normalized();
    ClipperLib::Clipper c;
    c.AddPaths(windingPaths(comps, info), ClipperLib::ptSubject, true);
    c.AddPaths(windingPaths(other.comps, other.info), ClipperLib::ptClip, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctDifference, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Region r;
    r.addComponent(fromClipper(out), true);
    return r;
}

double Region::area() const
{
    const Region n = normalized();
    double sum = 0;
    if (!n.comps.empty())
        for (const RPath& p : n.comps.front())
            sum += signedArea(p);
    return sum;
}

Region Region::united(const Region& other) const
{
    Region r = *this;
    r.unite(other);
    return r;
}

void Region::unite(const Region& other)
{
    comps.insert(comps.end(), other.comps.begin(), other.comps.end());
    info.insert(info.end(), other.info.begin(), other.info.end());
}

void Region::unite(Region&& other)
{
    if (comps.empty()) {
        comps = std::move(other.comps);
        info = std::move(other.info);
    } else {
        comps.insert(comps.end(), std::make_move_iterator(other.comps.begin()),
                     std::make_move_iterator(other.comps.end()));
        info.insert(info.end(), other.info.begin(), other.info.end());
    }
    other.comps.clear();
    other.info.clear();
}

void Region::translate(std::int64_t dx, std::int64_t dy)
{
    for (auto& paths : comps)
        for (RPath& p : paths)
            for (RPoint& v : p) {
                v.x += dx;
                v.y += dy;
            }
    for (ComponentInfo& ci : info) {
        ci.box.left += dx;
        ci.box.right += dx;
        ci.box.top += dy;
        ci.box.bottom += dy;
        ci.sumMin += dx + dy;
        ci.sumMax += dx + dy;
        ci.difMin += dx - dy;
        ci.difMax += dx - dy;
    }
}

} // namespace trevok

#include "output/millshapes.h"

#include "document/boxindex.h"
#include "document/geomlimits.h"
#include "document/parallel.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace trevok
{

namespace
{

// The rough step count an arc starts from: 3 more than the whole parts of the size (the
// division truncates on purpose, as the milling data always did).
double baseSteps(std::int64_t size, std::int64_t part) noexcept
{
    const std::int64_t whole = size / part;
    return static_cast<double>(whole + 3);
}

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

RPoint at(RPoint c, double radius, double angle) noexcept
{
    return {c.x + RoundHalfEven64(radius * std::cos(angle)), c.y + RoundHalfEven64(radius * std::sin(angle))};
}

double normalisedAngle(double a) noexcept
{
    a = std::fmod(a, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}

double radians(std::int64_t degrees) noexcept
{
    return normalisedAngle(static_cast<double>(degrees % 360) * kPi / 180.0);
}

// Twice the signed area (y up: positive when anticlockwise).
double signedArea2(const RPath& p) noexcept
{
    double a = 0;
    for (std::size_t i = 0, n = p.size(); i < n; ++i) {
        const RPoint& u = p[i];
        const RPoint& v = p[(i + 1) % n];
        a += static_cast<double>(u.x) * static_cast<double>(v.y) -
             static_cast<double>(v.x) * static_cast<double>(u.y);
    }
    return a;
}

// Every shape polygon runs clockwise, whatever order its points were made in.
void makeClockwise(RPath& p) noexcept
{
    if (signedArea2(p) > 0)
        std::reverse(p.begin(), p.end());
}

RPath padPolygon(const TObjekt& e, std::int64_t grownBy)
{
    const std::int64_t x = e.X, y = e.Y;
    const std::int64_t r = e.Size1;
    std::int64_t hx = r, hy = r;
    // The long side of an elongated pad is twice the radius of the copper, and grows by the
    // same amount as every other side, not by twice it.
    if (e.Shape >= ShapeRoundedWide && e.Shape <= ShapeRectWide)
        hx = 2 * r - grownBy;
    else if (e.Shape >= ShapeRoundedTall && e.Shape <= ShapeRectTall)
        hy = 2 * r - grownBy;
    switch (e.Shape) {
    case ShapeRound: {
        RPath p;
        p.reserve(24);
        for (int i = 1; i <= 24; ++i)
            p.push_back({x + RoundHalfEven64(static_cast<double>(r) * CosDegrees(15.0 * i)),
                         y + RoundHalfEven64(static_cast<double>(r) * SinDegrees(15.0 * i))});
        return p;
    }
    case ShapeOctagon:
    case ShapeOctagonWide:
    case ShapeOctagonTall: {
        const std::int64_t c = RoundHalfEven64(static_cast<double>(r) * 0.585);
        return {{x - hx + c, y + hy}, {x + hx - c, y + hy}, {x + hx, y + hy - c}, {x + hx, y - hy + c},
                {x + hx - c, y - hy}, {x - hx + c, y - hy}, {x - hx, y - hy + c}, {x - hx, y + hy - c}};
    }
    case ShapeRoundedWide:
    case ShapeRoundedTall: {
        const std::int64_t k = RoundHalfEven64(static_cast<double>(r) * 0.75);
        const double d = 2.0 * static_cast<double>(k);
        RPath p;
        auto corner = [&](RPoint start, RPoint centre, RPoint end) {
            p.push_back(start);
            AppendArc(p, centre, start, end, false, 4, d);
        };
        corner({x + hx - k, y + hy}, {x + hx - k, y + hy - k}, {x + hx, y + hy - k});
        corner({x + hx, y - hy + k}, {x + hx - k, y - hy + k}, {x + hx - k, y - hy});
        corner({x - hx + k, y - hy}, {x - hx + k, y - hy + k}, {x - hx, y - hy + k});
        corner({x - hx, y + hy - k}, {x - hx + k, y + hy - k}, {x - hx + k, y + hy});
        return p;
    }
    case ShapeSquare:
    case ShapeRectWide:
    case ShapeRectTall:
        return {{x - hx, y - hy}, {x + hx, y - hy}, {x + hx, y + hy}, {x - hx, y + hy}};
    default:
        return {};
    }
}

RPoint pt(TPoint p) noexcept
{
    return {p.x, p.y};
}

void strokeSegments(std::vector<RPath>& out, const std::vector<TPoint>& nodes, std::int64_t width,
                    bool closed, bool skipDegenerate)
{
    const std::size_t n = nodes.size();
    // A track whose points all coincide is a dot of its width: copper on the board, so it is
    // milled around like any other.
    if (skipDegenerate && !closed && n >= 1 &&
        std::all_of(nodes.begin(), nodes.end(), [&](const TPoint& p) { return p == nodes.front(); })) {
        out.push_back(StrokePolygon(pt(nodes.front()), pt(nodes.front()), width));
        return;
    }
    const std::size_t edges = closed ? n : (n >= 2 ? n - 1 : 0);
    for (std::size_t i = 0; i < edges; ++i) {
        const TPoint a = nodes[i];
        const TPoint b = nodes[(i + 1) % n];
        if (skipDegenerate && a == b)
            continue;
        out.push_back(StrokePolygon(pt(a), pt(b), width));
    }
}

void circlePolygons(std::vector<RPath>& out, const TObjekt& e)
{
    const RPoint c{e.X, e.Y};
    const double ro = static_cast<double>(e.Size1) - 1.0;
    // A cutter wider than the hole closes it: the ring polygon's inner radius cannot pass
    // through the centre. The ends and the filled stroke keep the unclamped radius, so that they
    // still reach half the milling width beyond the copper.
    const double ri = static_cast<double>(e.Size2);
    const double riRing = std::max(0.0, ri);
    if (ro <= 0)
        return;
    double a0 = radians(e.Angle);
    const double a1 = radians(e.Width);
    // A full circle becomes an arc that leaves out a sliver at its start, which the round caps
    // close again: the polygon of the ring then never touches itself.
    const double mu = ((ro - ri) / 10.0) / (ro / 100.0) * kPi / 180.0;
    if (std::abs(a1 - a0) < mu)
        a0 = a0 + (mu - std::abs(a1 - a0));
    const RPoint po0 = at(c, ro, a0), po1 = at(c, ro, a1);
    const RPoint pi0 = at(c, riRing, a0), pi1 = at(c, riRing, a1);
    const double rm = ri + (ro - ri) / 2.0;
    const RPoint pm0 = at(c, rm, a0), pm1 = at(c, rm, a1);
    const double u = (ro - ri) / 2.0;
    const std::int64_t iro = static_cast<std::int64_t>(ro);
    const std::int64_t iri = static_cast<std::int64_t>(riRing);
    if (e.Filled) {
        RPath disc{po0};
        AppendArc(disc, c, po0, po1, true, ArcSteps(baseSteps(iro, 10), ro, kTwoPi), 2.0 * ro);
        out.push_back(std::move(disc));
        out.push_back(StrokePolygon(pm1, pm0, static_cast<std::int64_t>(ro - ri)));
        return;
    }
    RPath ring{po0};
    AppendArc(ring, c, po0, po1, true, ArcSteps(baseSteps(iro, 4), ro, kTwoPi), 2.0 * ro);
    ring.push_back(pi1);
    AppendArc(ring, c, pi1, pi0, false, ArcSteps(baseSteps(iri, 4), riRing, kTwoPi), 2.0 * riRing);
    out.push_back(std::move(ring));
    const int capSteps = ArcSteps(static_cast<double>(RoundHalfEven64(u / 3.0) + 3), u, kTwoPi);
    const double capDiameter = static_cast<double>(RoundHalfEven64(2.0 * u));
    RPath cap1, cap0;
    AppendArc(cap1, pm1, po1, po1, true, capSteps, capDiameter);
    AppendArc(cap0, pm0, po0, po0, true, capSteps, capDiameter);
    out.push_back(std::move(cap1));
    out.push_back(std::move(cap0));
}

} // namespace

bool IsMillingCopper(const TObjekt& e) noexcept
{
    switch (e.Kind) {
    case KindLine:
    case KindPad:
    case KindCircle:
    case KindTrack:
    case KindLayoutText:
    case KindSmdPad:
        return true;
    case KindArea:
        return !e.Restricted;
    default:
        return false;
    }
}

double DirectionAngle(RPoint p, RPoint q) noexcept
{
    const double dx = static_cast<double>(q.x - p.x);
    const double dy = static_cast<double>(q.y - p.y);
    if (dx == 0)
        return dy > 0 ? kPi / 2 : 3 * kPi / 2;
    if (dy == 0)
        return dx > 0 ? 0.0 : kPi;
    const double a = std::atan(std::abs(dy / dx));
    if (dx > 0)
        return dy > 0 ? a : kTwoPi - a;
    return dy > 0 ? kPi - a : kPi + a;
}

void AppendArc(RPath& out, RPoint m, RPoint s, RPoint e, bool anticlockwise, int n, double d)
{
    const double a0 = DirectionAngle(m, s);
    double a1 = DirectionAngle(m, e);
    if (a1 == a0)
        a1 += kTwoPi;
    double span = std::abs(a0 - a1);
    if (anticlockwise ? a0 > a1 : a0 < a1)
        span = kTwoPi - span;
    for (int i = 1; i <= n; ++i) {
        const double a = anticlockwise ? a0 + span * i / n : a0 - span * i / n;
        out.push_back(at(m, d / 2.0, a));
    }
}

RPath StrokePolygon(RPoint p1, RPoint p2, std::int64_t d)
{
    // A negative width (damaged file) describes the stroke of its magnitude.
    d = std::llabs(d);
    const double beta = DirectionAngle(p1, p2);
    const double half = static_cast<double>(d) / 2.0;
    const std::int64_t ex = RoundHalfEven64(std::sin(beta) * half);
    const std::int64_t ey = RoundHalfEven64(std::cos(beta) * half);
    int n = ArcSteps(baseSteps(d, 20), half, kPi);
    // Narrow strokes get caps fine enough that no edge lies more than a unit inside the round
    // end: with fewer steps the contour of a thin track's end cuts into its copper.
    if (half > 1)
        n = std::min(MaxArcSteps,
                     std::max(n, static_cast<int>(std::ceil(kPi / (2.0 * std::acos(1.0 - 1.0 / half))))));
    RPath p;
    p.reserve(2 * static_cast<std::size_t>(n) + 2);
    const RPoint s2{p2.x + ex, p2.y - ey};
    p.push_back(s2);
    AppendArc(p, p2, s2, {p2.x - ex, p2.y + ey}, true, n, static_cast<double>(d));
    const RPoint s1{p1.x - ex, p1.y + ey};
    p.push_back(s1);
    AppendArc(p, p1, s1, {p1.x + ex, p1.y - ey}, true, n, static_cast<double>(d));
    return p;
}

bool IsSingleLineText(const TObjekt& e, const MillingOptions& o) noexcept
{
    return e.Kind == KindLayoutText && (e.Selected ? o.singleLineMarkedTexts : o.singleLineTexts);
}

TObjekt GrownForMilling(const TObjekt& e, std::int32_t w)
{
    TObjekt g;
    g.Kind = e.Kind;
    g.X = e.X;
    g.Y = e.Y;
    g.Size1 = e.Size1;
    g.Size2 = e.Size2;
    g.Width = e.Width;
    g.Layer = e.Layer;
    g.Shape = e.Shape;
    g.Angle = e.Angle;
    g.Filled = e.Filled;
    g.Selected = e.Selected;
    g.Restricted = e.Restricted;
    g.Points = e.Points;
    const std::int32_t half = RoundHalfEven(w / 2.0);
    switch (e.Kind) {
    case KindLine:
    case KindArea:
    case KindTrack:
        g.Width = Saturate32(std::int64_t{e.Width} + w);
        break;
    case KindPad:
        g.Size1 = Saturate32(std::int64_t{e.Size1} + half);
        break;
    case KindCircle:
        g.Size1 = Saturate32(std::int64_t{e.Size1} + half);
        g.Size2 = Saturate32(std::int64_t{e.Size2} - half);
        break;
    case KindLayoutText:
        g.Strokes.reserve(e.Strokes.size());
        for (const TObjekt& s : e.Strokes)
            g.Strokes.push_back(GrownForMilling(s, w));
        break;
    case KindSmdPad:
        g.Size1 = Saturate32(std::int64_t{e.Size1} + w);
        g.Size2 = Saturate32(std::int64_t{e.Size2} + w);
        break;
    default:
        break;
    }
    return g;
}

std::vector<RPath> ElementShapePolygons(const TObjekt& g, std::int32_t width)
{
    std::vector<RPath> out;
    switch (g.Kind) {
    case KindLine:
        out.push_back(StrokePolygon({g.X, g.Y}, {g.Size1, g.Size2}, g.Width));
        break;
    case KindPad:
        out.push_back(padPolygon(g, RoundHalfEven(width / 2.0)));
        break;
    case KindArea:
        strokeSegments(out, g.Points, g.Width, true, true);
        break;
    case KindCircle:
        circlePolygons(out, g);
        break;
    case KindTrack:
        strokeSegments(out, g.Points, g.Width, false, true);
        break;
    case KindLayoutText:
        for (const TObjekt& s : g.Strokes)
            strokeSegments(out, s.Points, s.Width, false, false);
        break;
    case KindSmdPad: {
        const std::int64_t a = RoundHalfEven64(g.Size1 / 2.0);
        const std::int64_t b = RoundHalfEven64(g.Size2 / 2.0);
        const std::int64_t x = g.X, y = g.Y;
        out.push_back({{x - a, y + b}, {x + a, y + b}, {x + a, y - b}, {x - a, y - b}});
        break;
    }
    default:
        break;
    }
    for (RPath& p : out)
        makeClockwise(p);
    return out;
}

std::vector<ShapeGroup> MillingShapes(const ElementList& elements, const MillingOptions& o,
                                      const std::function<bool(std::size_t, std::size_t)>& progress)
{
    // The candidates: copper of the layer, as the shape polygons the union is made of.
    std::vector<std::size_t> index;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const TObjekt& e = *elements[i];
        if (e.Layer == o.layer && IsMillingCopper(e) && !IsSingleLineText(e, o))
            index.push_back(i);
    }
    const std::size_t n = index.size();
    const std::size_t total = 2 * n;
    std::atomic<bool> stop{false};
    auto stopped = [&](std::size_t k, std::size_t done, std::size_t worker) {
        // The caller's thread (worker 0) reports; the others only see that it stopped.
        if (worker == 0 && progress && k % 256 == 0 && !progress(done, total))
            stop = true;
        return stop.load();
    };
    std::vector<ShapeGroup> all(n);
    std::vector<TRect> boxes(n);
    std::vector<char> empty(n); // nothing with area: never inside another, nothing inside it
    ParallelFor(
        n,
        [&](std::size_t k, std::size_t worker) {
            if (stopped(k, k, worker))
                return;
            const TObjekt& e = *elements[index[k]];
            ShapeGroup& g = all[k];
            g.element = index[k];
            g.polygons = ElementShapePolygons(GrownForMilling(e, o.width), o.width);
            if (e.Kind == KindArea && e.Closed && e.Points.size() > 2) {
                RPath interior;
                interior.reserve(e.Points.size());
                for (const TPoint& p : e.Points)
                    interior.push_back(pt(p));
                g.interior.push_back(std::move(interior));
            }
            TRect box{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
            bool area = false;
            for (const std::vector<RPath>* list : {&g.polygons, &g.interior})
                for (const RPath& path : *list) {
                    area = area || signedArea2(path) != 0;
                    for (const RPoint& v : path) {
                        box.left = std::min(box.left, v.x);
                        box.right = std::max(box.right, v.x);
                        box.top = std::min(box.top, v.y);
                        box.bottom = std::max(box.bottom, v.y);
                    }
                }
            boxes[k] = area ? box : TRect{};
            empty[k] = !area;
        },
        64);
    if (stop)
        return {};

    // An element lying entirely inside another adds nothing to the union; of two equal ones the
    // later goes. Inside means: every shape polygon of b within a's polygons. A filled area's
    // interior is left out of the test both ways (it only keeps more than it must). A box that
    // is not inside the other's box cannot be covered by it. Whether b lies inside a depends on
    // the two alone, so the tests run on all cores; which elements go is then decided in list
    // order, as if one after the other.
    const BoxIndex boxIndex(boxes);
    std::vector<std::vector<std::uint32_t>> inside(n);
    ParallelFor(
        n,
        [&](std::size_t a, std::size_t worker) {
            if (stopped(a, n + a, worker) || empty[a])
                return;
            const std::vector<RPath>& outer = all[a].polygons;
            const TRect& outerBox = boxes[a];
            // A convex polygon holds everything its vertices span: whatever has every vertex
            // inside one lies inside it, without clipping. Found when first needed: most
            // elements have nothing inside them.
            std::vector<char> convex;
            auto isConvex = [&](std::size_t q) {
                if (convex.empty()) {
                    convex.resize(outer.size());
                    for (std::size_t t = 0; t < outer.size(); ++t)
                        convex[t] = ConvexPath(outer[t]);
                }
                return convex[q] != 0;
            };
            auto inOuter = [&](const RPoint& v) {
                for (const RPath& q : outer)
                    if (PathContains(q, v))
                        return true;
                return false;
            };
            boxIndex.query(outerBox, [&](std::size_t b) {
                if (b == a || empty[b] || !all[b].interior.empty())
                    return;
                const TRect& inner = boxes[b];
                if (inner.left < outerBox.left || inner.right > outerBox.right || inner.top < outerBox.top ||
                    inner.bottom > outerBox.bottom)
                    return;
                // A vertex outside settles it; a polygon with every vertex inside one convex
                // polygon of a lies inside; the rest needs the exact test.
                bool exact = false;
                for (const RPath& path : all[b].polygons) {
                    if (path.empty())
                        continue;
                    std::size_t q = 0;
                    while (q < outer.size() && !PathContains(outer[q], path.front()))
                        ++q;
                    if (q == outer.size())
                        return;
                    if (isConvex(q) && std::all_of(path.begin(), path.end(), [&](const RPoint& v) {
                            return PathContains(outer[q], v);
                        }))
                        continue;
                    if (!std::all_of(path.begin(), path.end(), inOuter))
                        return;
                    exact = true;
                }
                if (exact) {
                    Region covered, candidate;
                    for (const RPath& q : outer)
                        covered.unite(Region::polygon(q));
                    for (const RPath& path : all[b].polygons)
                        candidate.unite(Region::polygon(path));
                    if (!candidate.subtracted(covered).isEmpty())
                        return;
                }
                inside[a].push_back(static_cast<std::uint32_t>(b));
            });
        },
        64);
    if (stop)
        return {};
    std::vector<char> excluded(n, 0);
    for (std::size_t a = 0; a < n; ++a)
        if (!excluded[a])
            for (const std::uint32_t b : inside[a])
                excluded[b] = 1;
    std::vector<ShapeGroup> out;
    out.reserve(n);
    for (std::size_t a = 0; a < n; ++a)
        if (!excluded[a])
            out.push_back(std::move(all[a]));
    return out;
}

} // namespace trevok

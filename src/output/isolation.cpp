#include "output/isolation.h"

#include "document/boxindex.h"
#include "document/disjointsets.h"
#include "document/messages.h"
#include "document/parallel.h"
#include "document/project.h"

#include "output/clipperpaths.h"
#include "routing/nettrace.h"

#include <clipper.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <map>
#include <numbers>
#include <numeric>
#include <span>
#include <stdexcept>
#include <unordered_map>

namespace trevok
{

bool MillingProgress::enter(int s, std::size_t steps) noexcept
{
    stage = s;
    done = 0;
    total = static_cast<int>(std::min<std::size_t>(steps, INT32_MAX));
    if (onEnter)
        onEnter(s);
    return !cancel;
}

bool MillingProgress::step(std::size_t d) noexcept
{
    // Threads that share a stage report out of turn: the bar only moves forward.
    const int v = static_cast<int>(std::min<std::size_t>(d, INT32_MAX));
    int was = done.load();
    while (v > was && !done.compare_exchange_weak(was, v)) {
    }
    return !cancel;
}

namespace
{

ClipperLib::Path scaled(const RPath& p, bool reverse)
{
    ClipperLib::Path out;
    out.reserve(p.size());
    for (const RPoint& v : p)
        out.emplace_back(v.x * kMillScale, v.y * kMillScale);
    if (reverse)
        std::reverse(out.begin(), out.end());
    return out;
}

/// One piece of the union's input: a shape polygon, or the interior of a filled area. A shape
/// polygon is not copied: it is scaled and turned anticlockwise as it goes to Clipper.
struct Item {
    const RPath* polygon = nullptr; // the shape polygon (board units, clockwise)
    ClipperLib::Paths interior;     // or the interior: scaled, outers anticlockwise
    TRect box;                      // scaled, as the extents below
    // The extent along the diagonals (x + y and x - y): with the box a bounding octagon, which
    // tells apart the 45-degree tracks that lie side by side.
    std::int64_t sumMin = INT64_MAX, sumMax = INT64_MIN, difMin = INT64_MAX, difMax = INT64_MIN;
    std::size_t element = 0;
    bool convex = false; // one convex shape polygon

    /// The item as Clipper paths: scaled, every outer anticlockwise (non-zero filling).
    ClipperLib::Paths paths() const { return polygon ? ClipperLib::Paths{scaled(*polygon, true)} : interior; }
};

/// The shapes as union input: the shape polygons, and each area's interior resolved with the
/// even-odd rule into outers and holes. The bounds and the convexity, which allocate nothing,
/// are found on all cores.
std::vector<Item> unionItems(const std::vector<ShapeGroup>& shapes)
{
    std::vector<Item> items;
    for (const ShapeGroup& g : shapes) {
        for (const RPath& p : g.polygons) {
            if (p.empty())
                continue;
            Item& it = items.emplace_back();
            it.polygon = &p;
            it.element = g.element;
        }
        for (const RPath& p : g.interior) {
            Item it;
            ClipperLib::SimplifyPolygon(scaled(p, false), it.interior, ClipperLib::pftEvenOdd);
            if (it.interior.empty())
                continue;
            it.element = g.element;
            items.push_back(std::move(it));
        }
    }
    ParallelFor(
        items.size(),
        [&](std::size_t k, std::size_t) {
            Item& it = items[k];
            it.box = {INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
            auto bound = [&](std::int64_t x, std::int64_t y) {
                it.box.left = std::min(it.box.left, x);
                it.box.right = std::max(it.box.right, x);
                it.box.top = std::min(it.box.top, y);
                it.box.bottom = std::max(it.box.bottom, y);
                it.sumMin = std::min(it.sumMin, x + y);
                it.sumMax = std::max(it.sumMax, x + y);
                it.difMin = std::min(it.difMin, x - y);
                it.difMax = std::max(it.difMax, x - y);
            };
            if (it.polygon) {
                for (const RPoint& v : *it.polygon)
                    bound(v.x * kMillScale, v.y * kMillScale);
                it.convex = ConvexPath(*it.polygon);
            } else {
                for (const ClipperLib::Path& p : it.interior)
                    for (const ClipperLib::IntPoint& v : p)
                        bound(v.X, v.Y);
            }
        },
        256);
    return items;
}

/// False when the two items cannot share a point (their boxes are known to meet): their
/// octagons are apart, or both are convex polygons that neither overlap nor touch.
bool mayMeet(const Item& a, const Item& b) noexcept
{
    if (a.sumMin > b.sumMax || b.sumMin > a.sumMax || a.difMin > b.difMax || b.difMin > a.difMax)
        return false;
    return !a.convex || !b.convex || PathsOverlap(*a.polygon, *b.polygon);
}

/// The union's input with its index, and the pairs of items that may share a point, in the
/// order one pass over the index's cells meets them. The contours unite only what meets, and
/// the isolation check looks only there for copper of different pieces. Given the piece of each
/// element, two items of one piece whose boxes meet are taken as meeting without a test.
struct Meetings {
    std::vector<Item> items;
    BoxIndex index;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
};

Meetings meetingsOf(const std::vector<ShapeGroup>& shapes, const std::vector<int>* piece = nullptr)
{
    Meetings m;
    m.items = unionItems(shapes);
    if (m.items.size() > UINT32_MAX)
        throw std::length_error("too many milling shapes");
    std::vector<TRect> boxes;
    boxes.reserve(m.items.size());
    for (const Item& it : m.items)
        boxes.push_back(it.box);
    m.index = BoxIndex(std::move(boxes));
    // The pairs are met on all cores: each run of cells keeps what it finds in the order met,
    // and the runs are then taken in order, as one pass over all cells would.
    const std::size_t cells = m.index.cellCount();
    const std::size_t perRun = std::max<std::size_t>(64, cells / 64);
    std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> met((cells + perRun - 1) / perRun);
    ParallelFor(met.size(), [&](std::size_t r, std::size_t) {
        m.index.forEachPairInCells(r * perRun, std::min(cells, (r + 1) * perRun),
                                   [&](std::size_t i, std::size_t j) {
                                       if ((piece && (*piece)[m.items[i].element] >= 0 &&
                                            (*piece)[m.items[i].element] == (*piece)[m.items[j].element]) ||
                                           mayMeet(m.items[i], m.items[j]))
                                           met[r].emplace_back(i, j);
                                   });
    });
    std::size_t total = 0;
    for (const auto& run : met)
        total += run.size();
    m.pairs.reserve(total);
    for (const auto& run : met)
        m.pairs.insert(m.pairs.end(), run.begin(), run.end());
    return m;
}

Contour roundedBack(const ClipperLib::Path& p)
{
    Contour c;
    c.reserve(p.size());
    for (const ClipperLib::IntPoint& v : p) {
        const TPoint q{RoundHalfEven(static_cast<double>(v.X) / kMillScale),
                       RoundHalfEven(static_cast<double>(v.Y) / kMillScale)};
        if (c.empty() || !(c.back() == q))
            c.push_back(q);
    }
    while (c.size() > 1 && c.back() == c.front())
        c.pop_back();
    return c;
}

bool cancelled(MillingProgress* p, std::size_t done) noexcept
{
    return p && !p->step(done);
}
bool entered(MillingProgress* p, int stage, std::size_t steps) noexcept
{
    return !p || p->enter(stage, steps);
}

ClipperLib::Paths united(const ClipperLib::Paths& in)
{
    ClipperLib::Clipper c;
    c.AddPaths(in, ClipperLib::ptSubject, true);
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

void transpose(ClipperLib::Paths& paths) noexcept
{
    for (ClipperLib::Path& p : paths)
        for (ClipperLib::IntPoint& v : p)
            std::swap(v.X, v.Y);
}

/// The union of the members' paths, with x and y swapped when asked. Each path goes to Clipper
/// through one buffer (Clipper copies it into its own edges).
ClipperLib::Paths unitedItems(const std::vector<Item>& items, std::span<const std::size_t> members,
                              bool swapped)
{
    ClipperLib::Clipper c;
    ClipperLib::Path buffer;
    auto put = [&](std::size_t k, std::int64_t x, std::int64_t y) {
        buffer[k] = swapped ? ClipperLib::IntPoint(y, x) : ClipperLib::IntPoint(x, y);
    };
    for (const std::size_t i : members) {
        if (const RPath* p = items[i].polygon) {
            const std::size_t n = p->size();
            buffer.resize(n);
            for (std::size_t k = 0; k < n; ++k) // reversed: anticlockwise
                put(k, (*p)[n - 1 - k].x * kMillScale, (*p)[n - 1 - k].y * kMillScale);
            c.AddPath(buffer, ClipperLib::ptSubject, true);
            continue;
        }
        for (const ClipperLib::Path& p : items[i].interior) {
            buffer.resize(p.size());
            for (std::size_t k = 0; k < p.size(); ++k)
                put(k, p[k].X, p[k].Y);
            c.AddPath(buffer, ClipperLib::ptSubject, true);
        }
    }
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctUnion, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

/// Clusters up to kSmallCluster are united as they come; larger ones are swept along their
/// longer side, and above kMinGroup united in groups merged in pairs. Each union is one step of
/// the progress bar: a cluster is cut into about four groups, so that the bar moves inside the
/// biggest cluster too, but never into groups below kMinGroup or above kUnionGroup, since
/// every level of merging goes over the whole outline again.
constexpr std::size_t kSmallCluster = 64;
constexpr std::size_t kMinGroup = 1024;
constexpr std::size_t kUnionGroup = 4096;

std::size_t groupSize(std::size_t members) noexcept
{
    return std::clamp<std::size_t>(members / 4, kMinGroup, kUnionGroup);
}

std::size_t unionSteps(std::size_t members) noexcept
{
    const std::size_t group = groupSize(members);
    if (members <= group)
        return 1;
    const std::size_t groups = (members + group - 1) / group;
    return 2 * groups - 1;
}

/// The union of one cluster. The sweep of the union runs along y, and every edge that spans a
/// scan band costs time in each band: a long thin cluster is swept along its long side (x and y
/// swapped while uniting), and united in groups of neighbours along that side, merged in pairs,
/// so that no single union holds the whole cluster's crowded bands at once. Each union done is
/// one step. nullopt when cancelled.
/// The union of two unions. A path whose box meets no box of the other side's paths cannot
/// touch them, and its holes lie within its box: it is passed through as it is, and only the
/// paths near the seam between the two are united again.
ClipperLib::Paths mergedUnion(ClipperLib::Paths a, ClipperLib::Paths b)
{
    std::vector<TRect> boxes;
    boxes.reserve(a.size() + b.size());
    for (const ClipperLib::Path& p : a)
        boxes.push_back(PathsBox({p}));
    for (const ClipperLib::Path& p : b)
        boxes.push_back(PathsBox({p}));
    std::vector<char> near(boxes.size(), 0);
    const std::size_t fromB = a.size();
    BoxIndex(std::move(boxes)).forEachPair([&](std::size_t i, std::size_t j) {
        if ((i < fromB) != (j < fromB))
            near[i] = near[j] = 1;
    });
    ClipperLib::Paths seam, out;
    for (std::size_t i = 0; i < a.size() + b.size(); ++i) {
        ClipperLib::Path& p = i < fromB ? a[i] : b[i - fromB];
        (near[i] ? seam : out).push_back(std::move(p));
    }
    if (!seam.empty()) {
        const ClipperLib::Paths u = united(seam);
        out.insert(out.end(), u.begin(), u.end());
    }
    return out;
}

std::optional<ClipperLib::Paths> clusterUnion(const std::vector<Item>& items,
                                              std::vector<std::size_t> members, MillingProgress* progress,
                                              std::atomic<std::size_t>& done)
{
    if (members.size() == 1 && items[members[0]].convex) {
        // A lone convex shape is its own union (most pads and vias of a board).
        ClipperLib::Path p = scaled(*items[members[0]].polygon, true);
        p.erase(std::unique(p.begin(), p.end()), p.end());
        while (p.size() > 1 && p.back() == p.front())
            p.pop_back();
        if (ClipperLib::Area(p) > 0) {
            if (cancelled(progress, ++done))
                return std::nullopt;
            return ClipperLib::Paths{std::move(p)};
        }
    }
    if (members.size() <= kSmallCluster) {
        ClipperLib::Paths out = unitedItems(items, members, false);
        if (cancelled(progress, ++done))
            return std::nullopt;
        return out;
    }
    TRect box{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const std::size_t i : members) {
        box.left = std::min(box.left, items[i].box.left);
        box.top = std::min(box.top, items[i].box.top);
        box.right = std::max(box.right, items[i].box.right);
        box.bottom = std::max(box.bottom, items[i].box.bottom);
    }
    const bool swapped = box.right - box.left > box.bottom - box.top;
    std::sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
        const TRect& p = items[a].box;
        const TRect& q = items[b].box;
        return swapped ? p.left + p.right < q.left + q.right : p.top + p.bottom < q.top + q.bottom;
    });
    const std::size_t group = groupSize(members.size());
    if (members.size() <= group) {
        ClipperLib::Paths out = unitedItems(items, members, swapped);
        if (cancelled(progress, ++done))
            return std::nullopt;
        if (swapped) {
            transpose(out);
            ClipperLib::ReversePaths(out);
        }
        return out;
    }
    std::vector<ClipperLib::Paths> level;
    for (std::size_t k = 0; k < members.size(); k += group) {
        level.push_back(
            unitedItems(items, std::span(members).subspan(k, std::min(group, members.size() - k)), swapped));
        if (cancelled(progress, ++done))
            return std::nullopt;
    }
    while (level.size() > 1) {
        std::vector<ClipperLib::Paths> next;
        for (std::size_t k = 0; k + 1 < level.size(); k += 2) {
            next.push_back(mergedUnion(std::move(level[k]), std::move(level[k + 1])));
            if (cancelled(progress, ++done))
                return std::nullopt;
        }
        if (level.size() % 2)
            next.push_back(std::move(level.back()));
        level = std::move(next);
    }
    ClipperLib::Paths out = std::move(level.front());
    if (swapped) {
        // Swapping x and y mirrors: turn every path back to the orientation Clipper gives.
        transpose(out);
        ClipperLib::ReversePaths(out);
    }
    return out;
}

/// Twice the signed area of the triangle (a, b, c), exactly.
__int128 cross(const ClipperLib::IntPoint& a, const ClipperLib::IntPoint& b,
               const ClipperLib::IntPoint& c) noexcept
{
    return static_cast<__int128>(b.X - a.X) * (c.Y - a.Y) - static_cast<__int128>(b.Y - a.Y) * (c.X - a.X);
}

bool onSegment(const ClipperLib::IntPoint& p, const ClipperLib::IntPoint& a,
               const ClipperLib::IntPoint& b) noexcept
{
    return cross(a, b, p) == 0 && std::min(a.X, b.X) <= p.X && p.X <= std::max(a.X, b.X) &&
           std::min(a.Y, b.Y) <= p.Y && p.Y <= std::max(a.Y, b.Y);
}

/// Small squares around the points where the boundaries of two shapes meet (used when the
/// shapes share no area: shapes that only touch still leave the mill no way between them).
ClipperLib::Paths contactMarks(const ClipperLib::Paths& a, const ClipperLib::Paths& b)
{
    ClipperLib::Paths marks;
    auto mark = [&](ClipperLib::cInt x0, ClipperLib::cInt y0, ClipperLib::cInt x1, ClipperLib::cInt y1) {
        constexpr ClipperLib::cInt h = kMillScale / 2;
        const ClipperLib::cInt l = std::min(x0, x1) - h, r = std::max(x0, x1) + h;
        const ClipperLib::cInt t = std::min(y0, y1) - h, u = std::max(y0, y1) + h;
        marks.push_back({{l, t}, {r, t}, {r, u}, {l, u}});
    };
    const TRect bb = PathsBox(b);
    for (const ClipperLib::Path& p : a)
        for (std::size_t i = 0; i < p.size(); ++i) {
            const ClipperLib::IntPoint& p0 = p[i];
            const ClipperLib::IntPoint& p1 = p[(i + 1) % p.size()];
            if (std::max(p0.X, p1.X) < bb.left || std::min(p0.X, p1.X) > bb.right ||
                std::max(p0.Y, p1.Y) < bb.top || std::min(p0.Y, p1.Y) > bb.bottom)
                continue;
            for (const ClipperLib::Path& q : b)
                for (std::size_t j = 0; j < q.size(); ++j) {
                    const ClipperLib::IntPoint& q0 = q[j];
                    const ClipperLib::IntPoint& q1 = q[(j + 1) % q.size()];
                    const __int128 d0 = cross(p0, p1, q0), d1 = cross(p0, p1, q1);
                    const __int128 d2 = cross(q0, q1, p0), d3 = cross(q0, q1, p1);
                    if (d0 == 0 && d1 == 0) {
                        // Collinear: the common stretch, if any.
                        std::vector<ClipperLib::IntPoint> common;
                        for (const auto& v : {q0, q1})
                            if (onSegment(v, p0, p1))
                                common.push_back(v);
                        for (const auto& v : {p0, p1})
                            if (onSegment(v, q0, q1))
                                common.push_back(v);
                        if (!common.empty()) {
                            auto [lo, hi] = std::minmax_element(common.begin(), common.end(),
                                                                [](const auto& u, const auto& v) {
                                                                    return u.X != v.X ? u.X < v.X : u.Y < v.Y;
                                                                });
                            mark(lo->X, lo->Y, hi->X, hi->Y);
                        }
                        continue;
                    }
                    const bool apart =
                        (d0 > 0 && d1 > 0) || (d0 < 0 && d1 < 0) || (d2 > 0 && d3 > 0) || (d2 < 0 && d3 < 0);
                    if (apart)
                        continue;
                    // The segments meet at an end of one of them (a proper crossing would have
                    // given the shapes common area; take the nearest end anyway).
                    const ClipperLib::IntPoint& v = d0 == 0 ? q0 : d1 == 0 ? q1 : d2 == 0 ? p0 : p1;
                    mark(v.X, v.Y, v.X, v.Y);
                }
        }
    return marks;
}

/// A point inside the polygon with holes (outer first): on the horizontal line through the
/// middle of its box, the middle of the inside stretch nearest the box's centre. The centre of
/// a ring-shaped strip is in its hole; this point is on the strip.
TPoint insidePoint(const ClipperLib::Paths& shape)
{
    const TRect b = PathsBox({shape.front()});
    const double cx = (b.left + b.right) / 2.0;
    // Half a step off the integer grid, so the line never runs through a vertex.
    const double y = std::floor((b.top + b.bottom) / 2.0) + 0.5;
    std::vector<double> xs;
    for (const ClipperLib::Path& p : shape)
        for (std::size_t i = 0; i < p.size(); ++i) {
            const ClipperLib::IntPoint& u = p[i];
            const ClipperLib::IntPoint& v = p[(i + 1) % p.size()];
            if ((u.Y < y) == (v.Y < y))
                continue;
            xs.push_back(static_cast<double>(u.X) + (y - static_cast<double>(u.Y)) *
                                                        static_cast<double>(v.X - u.X) /
                                                        static_cast<double>(v.Y - u.Y));
        }
    std::sort(xs.begin(), xs.end());
    double x = cx;
    double best = INFINITY;
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
        const double m = (xs[i] + xs[i + 1]) / 2.0;
        if (std::abs(m - cx) < best) {
            best = std::abs(m - cx);
            x = m;
        }
    }
    return {RoundHalfEven(x / kMillScale), RoundHalfEven(y / kMillScale)};
}

/// The outers of a union with their holes, each as one shape (outer first).
void collectShapes(const ClipperLib::PolyNode& node, std::vector<ClipperLib::Paths>& out)
{
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        ClipperLib::Paths shape{outer->Contour};
        for (const ClipperLib::PolyNode* hole : outer->Childs) {
            shape.push_back(hole->Contour);
            collectShapes(*hole, out);
        }
        out.push_back(std::move(shape));
    }
}

/// The point halfway along an open path.
TPoint halfway(const ClipperLib::Path& p)
{
    double length = 0;
    for (std::size_t i = 1; i < p.size(); ++i)
        length += std::hypot(double(p[i].X - p[i - 1].X), double(p[i].Y - p[i - 1].Y));
    double left = length / 2;
    for (std::size_t i = 1; i < p.size(); ++i) {
        const double d = std::hypot(double(p[i].X - p[i - 1].X), double(p[i].Y - p[i - 1].Y));
        if (d >= left && d > 0) {
            const double t = left / d;
            return {RoundHalfEven((p[i - 1].X + t * double(p[i].X - p[i - 1].X)) / kMillScale),
                    RoundHalfEven((p[i - 1].Y + t * double(p[i].Y - p[i - 1].Y)) / kMillScale)};
        }
        left -= d;
    }
    return {RoundHalfEven(double(p.front().X) / kMillScale), RoundHalfEven(double(p.front().Y) / kMillScale)};
}

/// The cut of a text inside copper falls into places: strokes that touch or cross there are
/// one place. For each place its longest stroke piece.
ClipperLib::Paths crossingPlaces(const ClipperLib::Paths& cut)
{
    ClipperLib::Paths pieces;
    for (const ClipperLib::Path& p : cut)
        if (p.size() >= 2)
            pieces.push_back(p);
    ClipperLib::ClipperOffset co;
    co.AddPaths(pieces, ClipperLib::jtRound, ClipperLib::etOpenRound);
    ClipperLib::Paths around;
    co.Execute(around, kMillScale / 2.0);
    ClipperLib::Clipper c;
    c.AddPaths(around, ClipperLib::ptSubject, true);
    ClipperLib::PolyTree tree;
    c.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    std::vector<ClipperLib::Paths> places;
    collectShapes(tree, places);
    auto length = [](const ClipperLib::Path& p) {
        double l = 0;
        for (std::size_t i = 1; i < p.size(); ++i)
            l += std::hypot(double(p[i].X - p[i - 1].X), double(p[i].Y - p[i - 1].Y));
        return l;
    };
    std::vector<std::pair<double, std::size_t>> longest(places.size(), {-1.0, 0});
    for (std::size_t k = 0; k < pieces.size(); ++k)
        for (std::size_t q = 0; q < places.size(); ++q)
            if (ClipperLib::PointInPolygon(pieces[k].front(), places[q].front()) != 0) {
                longest[q] = std::max(longest[q], {length(pieces[k]), k});
                break;
            }
    ClipperLib::Paths out;
    for (const auto& [l, k] : longest)
        if (l >= 0)
            out.push_back(pieces[k]);
    return out;
}

/// True when the point lies inside the paths (non-zero rule) or on their boundary.
bool insideNonZero(const ClipperLib::IntPoint& p, const ClipperLib::Paths& paths)
{
    int winding = 0;
    for (const ClipperLib::Path& q : paths) {
        const int in = ClipperLib::PointInPolygon(p, q);
        if (in < 0)
            return true;
        if (in)
            winding += ClipperLib::Orientation(q) ? 1 : -1;
    }
    return winding != 0;
}

std::string placesText(const std::vector<IsolationProblem>& places, TPoint origin, int language, MsgId one,
                       MsgId many)
{
    auto mm = [&](std::int64_t units) {
        const bool neg = units < 0;
        const std::int64_t a = neg ? -units : units;
        std::string frac = std::to_string(a % 100);
        std::string s = (neg ? "-" : "") + std::to_string(a / 100) + (language == 1 ? "." : ",") +
                        std::string(2 - frac.size(), '0') + frac;
        return s;
    };
    constexpr std::size_t kListed = 20;
    std::string list;
    for (std::size_t i = 0; i < places.size() && i < kListed; ++i) {
        const TPoint p = places[i].at;
        list += i ? "; " : "";
        list += "(" + mm(std::int64_t{p.x} - origin.x) + " / " + mm(std::int64_t{origin.y} - p.y) + " mm)";
    }
    if (places.size() > kListed)
        list += "; …";
    if (places.size() == 1)
        return MessageText(one, language, {list});
    return MessageText(many, language, {std::to_string(places.size()), list});
}

} // namespace

namespace
{

/// Calculate vectors: the polygons at the fine resolution, and which of them may meet.
std::optional<Meetings> vectors(const std::vector<ShapeGroup>& shapes, MillingProgress* progress,
                                const std::vector<int>* piece = nullptr)
{
    if (!entered(progress, StageVectors, 1))
        return std::nullopt;
    Meetings m = meetingsOf(shapes, piece);
    if (cancelled(progress, 1))
        return std::nullopt;
    return m;
}

std::optional<std::vector<Contour>> contoursOf(const Meetings& meetings, MillingProgress* progress)
{
    // Create vector list: polygons that meet, directly or through others, form one cluster;
    // clusters share no point, so each one's union is a part of the whole.
    const std::vector<Item>& items = meetings.items;
    if (!entered(progress, StageVectorList, items.size()))
        return std::nullopt;
    DisjointSets clusters(items.size());
    for (const auto& [i, j] : meetings.pairs)
        clusters.join(i, j);
    std::vector<std::vector<std::size_t>> members;
    {
        std::vector<std::size_t> slot(items.size(), SIZE_MAX);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i % 1024 == 0 && cancelled(progress, i))
                return std::nullopt;
            const std::size_t root = clusters.find(i);
            if (slot[root] == SIZE_MAX) {
                slot[root] = members.size();
                members.emplace_back();
            }
            members[slot[root]].push_back(i);
        }
    }

    // Create outlines: the union of each cluster.
    std::size_t unions = 0;
    for (const std::vector<std::size_t>& m : members)
        unions += unionSteps(m.size());
    if (!entered(progress, StageOutlines, unions))
        return std::nullopt;
    // The clusters are independent: the threads take them biggest first, so that the biggest
    // is not left to run alone at the end; each union goes to its cluster's slot.
    std::vector<ClipperLib::Paths> outlines(members.size());
    std::vector<std::size_t> order(members.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return members[a].size() > members[b].size(); });
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stopped{false};
    ParallelFor(order.size(), [&](std::size_t k, std::size_t) {
        if (stopped)
            return;
        const std::size_t c = order[k];
        auto u = clusterUnion(items, std::move(members[c]), progress, done);
        if (!u)
            stopped = true;
        else
            outlines[c] = std::move(*u);
    });
    if (stopped)
        return std::nullopt;

    // Optimize outlines: back to board units; what rounding leaves without area is dropped.
    if (!entered(progress, StageOptimize, outlines.size()))
        return std::nullopt;
    std::vector<Contour> contours;
    for (std::size_t k = 0; k < outlines.size(); ++k) {
        if (k % 64 == 0 && cancelled(progress, k))
            return std::nullopt;
        for (const ClipperLib::Path& p : outlines[k]) {
            Contour c = roundedBack(p);
            if (c.size() >= 3)
                contours.push_back(std::move(c));
        }
    }
    return contours;
}

} // namespace

std::optional<std::vector<Contour>> ComputeContours(const std::vector<ShapeGroup>& shapes,
                                                    MillingProgress* progress)
{
    const auto meetings = vectors(shapes, progress);
    if (!meetings)
        return std::nullopt;
    return contoursOf(*meetings, progress);
}

namespace
{

/// The net of every milled copper element, -1 for the rest.
std::vector<int> copperPieces(const ElementList& elements, const std::vector<int>& nets)
{
    if (nets.size() != elements.size())
        throw std::invalid_argument("the nets are not those of the elements");
    std::vector<int> piece(elements.size(), -1);
    for (std::size_t i = 0; i < elements.size(); ++i)
        if (IsCopperLayer(elements[i]->Layer) && IsMillingCopper(*elements[i]))
            piece[i] = nets[i];
    return piece;
}

std::optional<std::vector<IsolationProblem>> problemsOf(const ElementList& elements, const MillingOptions& o,
                                                        const Meetings& meetings,
                                                        const std::vector<int>& nets,
                                                        MillingProgress* progress);

} // namespace

MillingNets MillingNetsOf(const TBoard& board, NetTracer* trace)
{
    std::optional<NetTracer> own;
    if (!trace)
        trace = &own.emplace(board);
    MillingNets n;
    n.nets = trace->netIds();
    // Without a plane the trace joins by copper alone already; with one, the copper pieces come
    // from the overlaps the trace found, without tracing the board again.
    n.copper = board.GroundPlane1 || board.GroundPlane2 ? trace->copperPieces() : n.nets;
    return n;
}

namespace
{

/// netsOf() gives the nets, or nullptr for the contours alone; it is asked once the shape
/// polygons are built.
std::optional<IsolationResult> isolate(const ElementList& elements, const MillingOptions& o,
                                       MillingProgress* progress,
                                       const std::function<const MillingNets*()>& netsOf)
{
    if (!entered(progress, StageSegments, 2 * elements.size()))
        return std::nullopt;
    bool stopped = false;
    const std::vector<ShapeGroup> shapes =
        MillingShapes(elements, o, [&](std::size_t done, std::size_t total) {
            if (progress) {
                progress->total = static_cast<int>(std::min<std::size_t>(total, INT32_MAX));
                stopped = !progress->step(done);
            }
            return !stopped;
        });
    if (stopped)
        return std::nullopt;
    const MillingNets* nets = netsOf();
    IsolationResult result;
    // Copper of one net is united anyway: only pairs of different nets need the exact test.
    const std::optional<std::vector<int>> piece =
        nets ? std::optional(copperPieces(elements, nets->nets)) : std::nullopt;
    const auto meetings = vectors(shapes, progress, piece ? &*piece : nullptr);
    if (!meetings)
        return std::nullopt;
    auto contours = contoursOf(*meetings, progress);
    if (!contours)
        return std::nullopt;
    result.contours = std::move(*contours);
    if (!nets)
        return result;
    auto problems = problemsOf(elements, o, *meetings, nets->nets, progress);
    if (!problems)
        return std::nullopt;
    result.problems = std::move(*problems);
    result.planeJoins = PlaneOnlyJoins(elements, *nets, o.layer);
    return result;
}

} // namespace

std::optional<IsolationResult> ComputeIsolation(const ElementList& elements, const MillingOptions& o,
                                                MillingProgress* progress, const MillingNets* nets)
{
    return isolate(elements, o, progress, [nets] { return nets; });
}

std::optional<IsolationResult> ComputeIsolation(const ElementList& elements, const MillingOptions& o,
                                                MillingProgress* progress,
                                                const std::function<const MillingNets&()>& nets)
{
    return isolate(elements, o, progress, [&nets] { return &nets(); });
}

std::vector<IsolationProblem> PlaneOnlyJoins(const ElementList& elements, const MillingNets& milling,
                                             std::uint8_t layer)
{
    std::vector<IsolationProblem> joins;
    const std::vector<int>& nets = milling.nets;
    // The pieces each net falls into when only copper joins (touching, plated holes).
    const std::vector<int> piece = copperPieces(elements, milling.copper);
    struct Part {
        int piece = -1;
        std::size_t element = 0; // the first element of the piece, on the layer if it has one
        bool onLayer = false;
    };
    std::unordered_map<int, std::size_t> netSlot;
    std::vector<std::vector<Part>> parts; // per net, in list order of their first element
    std::unordered_map<int, std::pair<std::size_t, std::size_t>> partOf; // piece: net slot, part
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (piece[i] < 0)
            continue;
        const bool onLayer = elements[i]->Layer == layer;
        const auto found = partOf.find(piece[i]);
        if (found != partOf.end()) {
            Part& p = parts[found->second.first][found->second.second];
            if (onLayer && !p.onLayer) {
                p.element = i;
                p.onLayer = true;
            }
            continue;
        }
        const auto [slot, added] = netSlot.emplace(nets[i], parts.size());
        if (added)
            parts.emplace_back();
        std::vector<Part>& net = parts[slot->second];
        partOf.emplace(piece[i], std::make_pair(slot->second, net.size()));
        net.push_back({piece[i], i, onLayer});
    }
    for (const std::vector<Part>& net : parts) {
        if (net.size() < 2 || std::none_of(net.begin(), net.end(), [](const Part& p) { return p.onLayer; }))
            continue;
        for (std::size_t k = 1; k < net.size(); ++k) {
            const TRect b = Bounds(*elements[net[k].element]);
            joins.push_back(
                {{RoundHalfEven((b.left + b.right) / 2.0), RoundHalfEven((b.top + b.bottom) / 2.0)},
                 net.front().element,
                 net[k].element,
                 IsolationProblem::Kind::PlaneJoin});
        }
    }
    return joins;
}

namespace
{

std::optional<std::vector<IsolationProblem>> problemsOf(const ElementList& elements, const MillingOptions& o,
                                                        const Meetings& meetings,
                                                        const std::vector<int>& nets,
                                                        MillingProgress* progress)
{
    const std::vector<int> piece = copperPieces(elements, nets);
    const std::vector<Item>& items = meetings.items;
    const BoxIndex& index = meetings.index;

    // Where the grown copper of two different pieces overlaps or touches, collected per pair of
    // pieces: the union goes round both either way, so the mill never passes between them.
    struct Overlaps {
        ClipperLib::Paths paths;
        std::size_t a = 0, b = 0;
    };
    // The pairs are taken on all cores in runs; each run keeps what it finds in order, and
    // the runs are then taken in order.
    struct Meeting {
        int pa = 0, pb = 0;
        std::size_t i = 0, j = 0;
        ClipperLib::Paths common;
    };
    constexpr std::size_t perRun = 4096;
    const auto& pairs = meetings.pairs;
    std::vector<std::vector<Meeting>> met((pairs.size() + perRun - 1) / perRun);
    ParallelFor(met.size(), [&](std::size_t r, std::size_t) {
        for (std::size_t k = r * perRun; k < std::min(pairs.size(), (r + 1) * perRun); ++k) {
            const auto [i, j] = pairs[k];
            const int pa = piece[items[i].element];
            const int pb = piece[items[j].element];
            if (pa < 0 || pb < 0 || pa == pb)
                continue;
            ClipperLib::Clipper c;
            const ClipperLib::Paths pi = items[i].paths(), pj = items[j].paths();
            c.AddPaths(pi, ClipperLib::ptSubject, true);
            c.AddPaths(pj, ClipperLib::ptClip, true);
            ClipperLib::Paths common;
            c.Execute(ClipperLib::ctIntersection, common, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
            double area = 0;
            for (const ClipperLib::Path& p : common)
                area += ClipperLib::Area(p);
            if (area <= 0)
                common = contactMarks(pi, pj);
            if (!common.empty())
                met[r].push_back({pa, pb, i, j, std::move(common)});
        }
    });
    std::map<std::pair<int, int>, Overlaps> byPair;
    for (std::vector<Meeting>& run : met) {
        for (Meeting& m : run) {
            Overlaps& ov = byPair[{std::min(m.pa, m.pb), std::max(m.pa, m.pb)}];
            if (ov.paths.empty()) {
                ov.a = std::min(items[m.i].element, items[m.j].element);
                ov.b = std::max(items[m.i].element, items[m.j].element);
            }
            ov.paths.insert(ov.paths.end(), std::make_move_iterator(m.common.begin()),
                            std::make_move_iterator(m.common.end()));
        }
        std::vector<Meeting>().swap(run);
    }

    // Single-line texts are cut along their strokes: where a stroke runs through grown copper,
    // the cutter takes copper away.
    std::vector<std::size_t> texts;
    for (std::size_t t = 0; t < elements.size(); ++t)
        if (elements[t]->Layer == o.layer && IsSingleLineText(*elements[t], o))
            texts.push_back(t);

    if (!entered(progress, StageOptimize, byPair.size() + texts.size()))
        return std::nullopt;

    // Each connected strip of overlap between two pieces is one place.
    std::vector<IsolationProblem> problems;
    std::size_t k = 0;
    for (const auto& [pair, ov] : byPair) {
        if (cancelled(progress, k++))
            return std::nullopt;
        ClipperLib::Clipper c;
        c.AddPaths(ov.paths, ClipperLib::ptSubject, true);
        ClipperLib::PolyTree merged;
        c.Execute(ClipperLib::ctUnion, merged, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        std::vector<ClipperLib::Paths> strips;
        collectShapes(merged, strips);
        for (const ClipperLib::Paths& strip : strips)
            problems.push_back({insidePoint(strip), ov.a, ov.b, IsolationProblem::Kind::NoPassage});
    }

    for (const std::size_t t : texts) {
        if (cancelled(progress, k++))
            return std::nullopt;
        ClipperLib::Paths strokes;
        for (const TObjekt& s : elements[t]->Strokes) {
            ClipperLib::Path p;
            for (const TPoint& v : s.Points)
                if (p.empty() || p.back() != ClipperLib::IntPoint(v.x * kMillScale, v.y * kMillScale))
                    p.emplace_back(v.x * kMillScale, v.y * kMillScale);
            if (p.size() >= 2)
                strokes.push_back(std::move(p));
        }
        if (strokes.empty())
            continue;
        // The copper near the text, by piece; one place for each connected part of the cut
        // inside a piece.
        std::map<int, std::vector<std::size_t>> near;
        index.query(PathsBox(strokes), [&](std::size_t i) {
            if (piece[items[i].element] >= 0)
                near[piece[items[i].element]].push_back(i);
        });
        for (const auto& [pc, its] : near) {
            ClipperLib::Clipper c;
            c.AddPaths(strokes, ClipperLib::ptSubject, false);
            for (const std::size_t i : its)
                c.AddPaths(items[i].paths(), ClipperLib::ptClip, true);
            ClipperLib::PolyTree tree;
            c.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
            ClipperLib::Paths cut;
            ClipperLib::OpenPathsFromPolyTree(tree, cut);
            for (const ClipperLib::Path& place : crossingPlaces(cut)) {
                const TPoint at = halfway(place);
                // The copper element the mark lies in (the first in the list).
                std::size_t copper = SIZE_MAX;
                const ClipperLib::IntPoint probe(std::int64_t{at.x} * kMillScale,
                                                 std::int64_t{at.y} * kMillScale);
                for (const std::size_t i : its)
                    if (items[i].element < copper && insideNonZero(probe, items[i].paths()))
                        copper = items[i].element;
                if (copper == SIZE_MAX)
                    for (const std::size_t i : its)
                        copper = std::min(copper, items[i].element);
                problems.push_back({at, t, copper, IsolationProblem::Kind::TextCrossing});
            }
        }
    }
    std::sort(problems.begin(), problems.end(), [](const IsolationProblem& p, const IsolationProblem& q) {
        return p.at.y != q.at.y ? p.at.y > q.at.y : p.at.x < q.at.x;
    });
    return problems;
}

} // namespace

std::optional<std::vector<IsolationProblem>> FindIsolationProblems(const ElementList& elements,
                                                                   const MillingOptions& o,
                                                                   const std::vector<ShapeGroup>& shapes,
                                                                   const std::vector<int>& nets,
                                                                   MillingProgress* progress)
{
    return problemsOf(elements, o, meetingsOf(shapes), nets, progress);
}

std::string IsolationProblemsText(const std::vector<IsolationProblem>& problems, TPoint origin, int language)
{
    struct Kind {
        IsolationProblem::Kind kind;
        MsgId one, many;
    };
    constexpr Kind kinds[] = {
        {IsolationProblem::Kind::NoPassage, MsgId::MillProblem, MsgId::MillProblems},
        {IsolationProblem::Kind::TextCrossing, MsgId::MillTextCrossing, MsgId::MillTextCrossings},
        {IsolationProblem::Kind::PlaneJoin, MsgId::MillPlaneJoin, MsgId::MillPlaneJoins},
    };
    std::string text;
    for (const Kind& k : kinds) {
        std::vector<IsolationProblem> some;
        std::copy_if(problems.begin(), problems.end(), std::back_inserter(some),
                     [&](const IsolationProblem& p) { return p.kind == k.kind; });
        if (some.empty())
            continue;
        text += text.empty() ? "" : "\r\r";
        text += placesText(some, origin, language, k.one, k.many);
    }
    return text;
}

bool LayerHasElements(const ElementList& elements, std::uint8_t layer) noexcept
{
    return std::any_of(elements.begin(), elements.end(), [&](const auto& e) { return e->Layer == layer; });
}

bool LayerHasContourElements(const ElementList& elements, const MillingOptions& o) noexcept
{
    return std::any_of(elements.begin(), elements.end(),
                       [&](const auto& e) { return e->Layer == o.layer && !IsSingleLineText(*e, o); });
}

} // namespace trevok

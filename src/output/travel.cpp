#include "output/travel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trevok
{

namespace
{

double distance(TPoint a, TPoint b) noexcept
{
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

TPoint entry(const CutPath& p) noexcept
{
    return p.points.front();
}

TPoint exit(const CutPath& p) noexcept
{
    return p.closed ? p.points.front() : p.points.back();
}

/// The distance from p to the rectangle (0 inside): no point of a path inside it is nearer.
double boxDistance(TPoint p, const TRect& r) noexcept
{
    const double dx = std::max({static_cast<double>(r.left - p.x), 0.0, static_cast<double>(p.x - r.right)});
    const double dy = std::max({static_cast<double>(r.top - p.y), 0.0, static_cast<double>(p.y - r.bottom)});
    return std::hypot(dx, dy);
}

TRect boxOf(const std::vector<TPoint>& pts) noexcept
{
    TRect r{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const TPoint& v : pts) {
        r.left = std::min<std::int64_t>(r.left, v.x);
        r.right = std::max<std::int64_t>(r.right, v.x);
        r.top = std::min<std::int64_t>(r.top, v.y);
        r.bottom = std::max<std::int64_t>(r.bottom, v.y);
    }
    return r;
}

/// Makes the path start at its point nearest to from (closed), or at its nearer end (open).
void enterNear(CutPath& p, TPoint from)
{
    if (p.closed) {
        std::size_t best = 0;
        double d = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i < p.points.size(); ++i)
            if (const double e = distance(from, p.points[i]); e < d) {
                d = e;
                best = i;
            }
        std::rotate(p.points.begin(), p.points.begin() + static_cast<std::ptrdiff_t>(best), p.points.end());
    } else if (distance(from, p.points.back()) < distance(from, p.points.front())) {
        std::reverse(p.points.begin(), p.points.end());
    }
}

/// Reverses the order of paths [i, j], each of them turned round, so that the tool runs the
/// stretch backwards.
void reverseRun(std::vector<CutPath>& paths, std::size_t i, std::size_t j)
{
    std::reverse(paths.begin() + static_cast<std::ptrdiff_t>(i),
                 paths.begin() + static_cast<std::ptrdiff_t>(j) + 1);
    for (std::size_t k = i; k <= j; ++k)
        if (!paths[k].closed)
            std::reverse(paths[k].points.begin(), paths[k].points.end());
}

/// 2-opt on the open tour start, path 0, ..., path n-1: a run is reversed whenever that
/// shortens the tour, until no reversal does (or the work bound is reached on very large jobs).
void twoOpt(std::vector<CutPath>& paths, TPoint start)
{
    const std::size_t n = paths.size();
    if (n < 3)
        return;
    // Runs longer than the window are not tried on large jobs, which keeps a sweep near n x window.
    const std::size_t window = n <= 1500 ? n : 300;
    auto before = [&](std::size_t i) { return i == 0 ? start : exit(paths[i - 1]); };
    for (int sweep = 0; sweep < 50; ++sweep) {
        bool better = false;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const TPoint a = before(i);
            for (std::size_t j = i + 1; j < n && j - i < window; ++j) {
                const double now = distance(a, entry(paths[i])) +
                                   (j + 1 < n ? distance(exit(paths[j]), entry(paths[j + 1])) : 0.0);
                const double then = distance(a, exit(paths[j])) +
                                    (j + 1 < n ? distance(entry(paths[i]), entry(paths[j + 1])) : 0.0);
                if (then + 1e-9 < now) {
                    reverseRun(paths, i, j);
                    better = true;
                }
            }
        }
        if (!better)
            break;
    }
}

} // namespace

void OrderPaths(std::vector<CutPath>& paths, TPoint start)
{
    std::erase_if(paths, [](const CutPath& p) { return p.points.empty(); });
    const std::size_t n = paths.size();
    std::vector<TRect> boxes;
    boxes.reserve(n);
    for (const CutPath& p : paths)
        boxes.push_back(boxOf(p.points));
    std::vector<bool> done(n, false);
    std::vector<CutPath> ordered;
    ordered.reserve(n);
    TPoint at = start;
    for (std::size_t step = 0; step < n; ++step) {
        std::size_t best = n;
        double bestD = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i < n; ++i) {
            if (done[i] || boxDistance(at, boxes[i]) >= bestD)
                continue;
            const CutPath& p = paths[i];
            double d = p.closed ? std::numeric_limits<double>::max()
                                : std::min(distance(at, p.points.front()), distance(at, p.points.back()));
            if (p.closed)
                for (const TPoint& v : p.points)
                    d = std::min(d, distance(at, v));
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        done[best] = true;
        CutPath p = std::move(paths[best]);
        enterNear(p, at);
        at = exit(p);
        ordered.push_back(std::move(p));
    }
    twoOpt(ordered, start);
    // 2-opt kept each closed path's start; now each may start nearer to where the tool comes from.
    at = start;
    for (CutPath& p : ordered) {
        if (p.closed)
            enterNear(p, at);
        at = exit(p);
    }
    paths = std::move(ordered);
}

void OrderPoints(std::vector<TPoint>& points, TPoint start)
{
    std::vector<CutPath> paths;
    paths.reserve(points.size());
    for (const TPoint& p : points)
        paths.push_back({{p}, true});
    OrderPaths(paths, start);
    for (std::size_t i = 0; i < paths.size(); ++i)
        points[i] = paths[i].points.front();
}

double TravelLength(const std::vector<CutPath>& paths, TPoint start) noexcept
{
    double sum = 0;
    TPoint at = start;
    for (const CutPath& p : paths) {
        if (p.points.empty())
            continue;
        sum += distance(at, entry(p));
        at = exit(p);
    }
    return sum;
}

} // namespace trevok

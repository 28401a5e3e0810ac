#include "routing/routersearch.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <queue>
#include <tuple>

namespace trevok
{

namespace
{

constexpr int MinGridSize = 801;
constexpr int MaxSweeps = 80;

/// v / 5 rounded to nearest, halves to even, in exact integers.
std::int64_t divideBy5(std::int64_t v) noexcept
{
    static_assert(BoardUnitsPerRouterUnit == 5, "the rounding below is worked out for 5");
    std::int64_t q = v / 5;
    std::int64_t r = v % 5; // sign of v
    if (r < 0) {
        r += 5;
        --q;
    }
    // r in 0..4: 0, 1, 2 stay below the half; 3, 4 lie above it (no exact halves with 5).
    return r >= 3 ? q + 1 : q;
}

/// Where a diagonal edge of a piece and one of the cut round to almost the same line, the
/// difference keeps a sliver between them: a triangle hundreds of units long and a hundredth of
/// a unit wide. It holds no area, but a closed region touches every cell along it, so it would
/// block a way along the net's own copper (a track laid earlier for the same pad). Paths whose
/// mean width (twice the area over the perimeter) is below a tenth of a router unit are dropped.
Region withoutSlivers(const Region& piece)
{
    constexpr double MinMeanWidth = 0.1;
    auto thin = [](const RPath& path) {
        double twiceArea = 0, perimeter = 0;
        for (std::size_t k = 0; k < path.size(); ++k) {
            const RPoint& u = path[k];
            const RPoint& v = path[(k + 1) % path.size()];
            twiceArea += static_cast<double>(u.x) * static_cast<double>(v.y) -
                         static_cast<double>(v.x) * static_cast<double>(u.y);
            perimeter += std::hypot(static_cast<double>(v.x - u.x), static_cast<double>(v.y - u.y));
        }
        return std::abs(twiceArea) < MinMeanWidth * perimeter;
    };
    bool any = false;
    for (const auto& component : piece.components())
        any = any || std::any_of(component.begin(), component.end(), thin);
    if (!any)
        return piece;
    Region out;
    for (const auto& component : piece.components()) {
        std::vector<RPath> kept;
        std::copy_if(component.begin(), component.end(), std::back_inserter(kept),
                     [&](const RPath& path) { return !thin(path); });
        if (!kept.empty())
            out.unite(Region::polygons(std::move(kept)));
    }
    return out;
}

} // namespace

RouterGrid::RouterGrid(int imax, int jmax) : imax_(imax), jmax_(jmax)
{
    // Classification blocks of 10 start at multiples of 10 and may reach 9 cells past the last
    // column; the track builder looks one cell further.
    const int needed = (std::max({imax, jmax, 0}) / CoarseBlockCells + 1) * CoarseBlockCells + 2;
    size_ = std::max(MinGridSize, needed);
    cells_.assign(static_cast<std::size_t>(size_) * static_cast<std::size_t>(size_), CellUnclassified);
}

std::int64_t ToRouterX(std::int64_t x) noexcept
{
    return divideBy5(x);
}

std::int64_t ToRouterY(std::int64_t y) noexcept
{
    return divideBy5(-y);
}

Region ToRouterSpace(const Region& board)
{
    Region out;
    for (const auto& component : board.components()) {
        std::vector<RPath> paths;
        paths.reserve(component.size());
        for (const RPath& path : component) {
            RPath p;
            p.reserve(path.size());
            for (const RPoint& v : path)
                p.push_back({ToRouterX(v.x), ToRouterY(v.y)});
            paths.push_back(std::move(p));
        }
        out.unite(Region::polygons(std::move(paths)));
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Obstacles

void RouterObstacles::add(Region piece)
{
    if (piece.components().empty())
        return;
    pieces_.push_back(std::move(piece));
}

void RouterObstacles::subtract(const std::vector<Region>& cut)
{
    std::vector<TRect> cutBoxes;
    std::vector<std::size_t> members;
    for (std::size_t k = 0; k < cut.size(); ++k) {
        cutBoxes.push_back(cut[k].boundingRect());
        if (!cut[k].components().empty())
            members.push_back(k);
    }
    BoxIndex near;
    near.build(cutBoxes, members);
    std::vector<std::size_t> seen(cut.size(), static_cast<std::size_t>(-1));
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
        const TRect box = pieces_[p].boundingRect();
        Region meeting;
        bool any = false;
        near.query(box, [&](std::size_t k) {
            if (seen[k] == p || !cutBoxes[k].intersects(box))
                return;
            seen[k] = p;
            if (pieces_[p].overlaps(cut[k])) {
                meeting.unite(cut[k]);
                any = true;
            }
        });
        if (any)
            pieces_[p] = withoutSlivers(pieces_[p].subtracted(meeting));
    }
    std::erase_if(pieces_, [](const Region& r) { return r.components().empty() || r.isEmpty(); });
}

void RouterObstacles::finish()
{
    boxes_.clear();
    std::vector<std::size_t> members;
    any_ = false;
    for (std::size_t p = 0; p < pieces_.size(); ++p) {
        boxes_.push_back(pieces_[p].boundingRect());
        members.push_back(p);
        box_ = any_ ? box_.united(boxes_.back()) : boxes_.back();
        any_ = true;
    }
    index_.build(boxes_, members);
}

bool RouterObstacles::touchesRect(const TRect& r) const
{
    if (!any_ || !r.intersects(box_))
        return false;
    bool hit = false;
    index_.query(r, [&](std::size_t p) {
        if (!hit && boxes_[p].intersects(r) && pieces_[p].overlapsRect(r))
            hit = true;
    });
    return hit;
}

bool RouterObstacles::touches(const Region& region) const
{
    const TRect r = region.boundingRect();
    if (!any_ || region.components().empty() || !r.intersects(box_))
        return false;
    bool hit = false;
    index_.query(r, [&](std::size_t p) {
        if (!hit && boxes_[p].intersects(r) && pieces_[p].overlaps(region))
            hit = true;
    });
    return hit;
}

// ---------------------------------------------------------------------------------------------
// Classification

void ClassifyWindow(RouterGrid& grid, const RouterObstacles& obstacles, const CellRect& w, std::int64_t g)
{
    for (const int r : {CoarseBlockCells, 5, 2, 1}) {
        for (int bi = w.left / r; bi <= w.right / r; ++bi) {
            for (int bj = w.top / r; bj <= w.bottom / r; ++bj) {
                const int i = r * bi;
                const int j = r * bj;
                if (!grid.inside(i, j))
                    continue;
                const std::int32_t first = grid.at(i, j);
                if (first != CellUnclassified && first != CellCoarseBlocked)
                    continue;
                const TRect box{i * g, j * g, (i + r) * g, (j + r) * g};
                const std::int32_t value =
                    obstacles.touchesRect(box) ? (r == 1 ? CellBlocked : CellCoarseBlocked) : CellFree;
                for (int x = i; x < i + r; ++x)
                    for (int y = j; y < j + r; ++y)
                        if (grid.inside(x, y))
                            grid.at(x, y) = value;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The wave

int RingPosition(int dx, int dy, int f) noexcept
{
    if (dy == -f)
        return dx + f; // the row above, left to right, both corners
    if (dx == f)
        return 3 * f + dy; // the right column downward, with the lower corner
    if (dy == f)
        return 5 * f - dx; // the row below, right to left, with the lower left corner
    return 7 * f - dy;     // the left column upward, no corner
}

namespace
{

struct Step {
    int di;
    int dj;
    std::int32_t cost;
};
constexpr Step Neighbours[8] = {{1, 0, 1}, {-1, 0, 1}, {0, 1, 1},  {0, -1, 1},
                                {1, 1, 2}, {1, -1, 2}, {-1, 1, 2}, {-1, -1, 2}};

/// The wave as a priority search per ring. Within one ring the cells are written cheapest first
/// and, among equal costs, in ring order, which is Dijkstra's order over (cost, ring position);
/// the rings and sweeps keep the order of the plain procedure. Only rings that hold a free cell
/// beside a reached one can change, so each sweep visits just those.
class Wave
{
  public:
    Wave(RouterGrid& grid, CellPos start, CellPos end) : g_(grid), s_(start), e_(end) {}

    bool run()
    {
        g_.at(e_.i, e_.j) = CellFree;
        g_.at(s_.i, s_.j) = 0;
        const int rmax = std::max({g_.imax() - s_.i, s_.i, g_.jmax() - s_.j, s_.j});
        if (rmax < 1)
            return false;
        rmax_ = rmax;
        pending_.assign(static_cast<std::size_t>(rmax) + 2, {});
        seedAll();
        for (int sweep = 0; sweep < MaxSweeps; ++sweep) {
            bool wrote = false;
            for (int f = 1; f <= rmax; ++f) {
                if (!pending_[static_cast<std::size_t>(f)].empty() && relaxRing(f))
                    wrote = true;
                // Checked after every ring: with both pads in one cell the end holds 0 at once.
                if (g_.at(e_.i, e_.j) != CellFree)
                    return true;
            }
            if (!wrote)
                return false;
        }
        return false;
    }

  private:
    int ringOf(int i, int j) const noexcept { return std::max(std::abs(i - s_.i), std::abs(j - s_.j)); }

    /// A free interior cell beside a reached one waits in the list of its ring.
    void note(int i, int j)
    {
        const int f = ringOf(i, j);
        if (f >= 1 && f <= rmax_)
            pending_[static_cast<std::size_t>(f)].push_back({i, j});
    }

    void seedAll()
    {
        for (int i = 1; i < g_.imax(); ++i)
            for (int j = 1; j < g_.jmax(); ++j)
                if (g_.at(i, j) == CellFree && tentative(i, j) >= 0)
                    note(i, j);
    }

    /// The least neighbour value + step cost over reached neighbours, or -1.
    std::int32_t tentative(int i, int j) const
    {
        std::int32_t best = -1;
        for (const Step& st : Neighbours) {
            const int x = i + st.di;
            const int y = j + st.dj;
            if (!g_.inside(x, y))
                continue;
            const std::int32_t v = g_.at(x, y);
            if (v >= 0 && (best < 0 || v + st.cost < best))
                best = v + st.cost;
        }
        return best;
    }

    bool relaxRing(int f)
    {
        using Entry = std::tuple<std::int32_t, int, int, int>; // cost, ring position, i, j
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
        std::vector<CellPos> seeds;
        seeds.swap(pending_[static_cast<std::size_t>(f)]);
        for (const CellPos& c : seeds) {
            if (g_.at(c.i, c.j) != CellFree)
                continue;
            const std::int32_t t = tentative(c.i, c.j);
            if (t >= 0)
                queue.emplace(t, RingPosition(c.i - s_.i, c.j - s_.j, f), c.i, c.j);
        }
        bool wrote = false;
        while (!queue.empty()) {
            const auto [cost, pos, i, j] = queue.top();
            queue.pop();
            if (g_.at(i, j) != CellFree)
                continue; // written already at a lower (cost, position)
            g_.at(i, j) = cost;
            wrote = true;
            for (const Step& st : Neighbours) {
                const int x = i + st.di;
                const int y = j + st.dj;
                if (!g_.interior(x, y) || g_.at(x, y) != CellFree)
                    continue;
                if (ringOf(x, y) == f)
                    queue.emplace(cost + st.cost, RingPosition(x - s_.i, y - s_.j, f), x, y);
                else
                    note(x, y);
            }
        }
        return wrote;
    }

    RouterGrid& g_;
    CellPos s_;
    CellPos e_;
    int rmax_ = 0;
    std::vector<std::vector<CellPos>> pending_; // by ring
};

} // namespace

bool SearchRings(RouterGrid& grid, CellPos start, CellPos end)
{
    return Wave(grid, start, end).run();
}

} // namespace trevok

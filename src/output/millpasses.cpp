#include "output/millpasses.h"

#include "output/clipperpaths.h"

#include <clipper.hpp>

#include <algorithm>
#include <cmath>
#include <map>

namespace trevok
{

namespace
{

using ClipperLib::Path;
using ClipperLib::Paths;

// The arcs of an offset deviate at most a quarter unit from the true circle; points closer than
// a tenth of a unit are merged, or each step would double the points of every round part.
constexpr double kArcTolerance = 0.25 * kMillScale;
constexpr double kCleanDistance = 0.1 * kMillScale;
// Lines closer than this run along each other: cut once. A ring stays this far inside its
// zone, so that it never runs along the zone's border.
constexpr double kAlong = 1.0 * kMillScale;

Paths offsetBy(const Paths& p, double delta)
{
    ClipperLib::ClipperOffset co(2.0, kArcTolerance);
    co.AddPaths(p, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    Paths out;
    co.Execute(out, delta);
    ClipperLib::CleanPolygons(out, kCleanDistance);
    return out;
}

Paths combine(const Paths& a, const Paths& b, ClipperLib::ClipType op)
{
    ClipperLib::Clipper c;
    c.AddPaths(a, ClipperLib::ptSubject, true);
    c.AddPaths(b, ClipperLib::ptClip, true);
    Paths out;
    c.Execute(op, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return out;
}

/// The open lines against the area: the parts inside it (ctIntersection) or outside it
/// (ctDifference).
Paths clipLines(const Paths& lines, const Paths& area, ClipperLib::ClipType op)
{
    if (lines.empty())
        return {};
    ClipperLib::Clipper c;
    c.AddPaths(lines, ClipperLib::ptSubject, false);
    c.AddPaths(area, ClipperLib::ptClip, true);
    ClipperLib::PolyTree tree;
    c.Execute(op, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    Paths out;
    ClipperLib::OpenPathsFromPolyTree(tree, out);
    return out;
}

/// The boundaries of an area as lines that return to their first point.
Paths asLines(const Paths& area)
{
    Paths out;
    out.reserve(area.size());
    for (const Path& p : area) {
        if (p.size() < 2)
            continue;
        out.push_back(p);
        out.back().push_back(p.front());
    }
    return out;
}

/// A band round the lines, to find what runs along them.
Paths bandAround(const Paths& lines)
{
    ClipperLib::ClipperOffset co(2.0, kArcTolerance);
    co.AddPaths(lines, ClipperLib::jtRound, ClipperLib::etOpenRound);
    Paths out;
    co.Execute(out, kAlong);
    return out;
}

/// Clipping cuts a loop where it starts and a line where it leaves the area: the pieces that
/// end where another begins are joined again, so that the cutter goes on without lifting.
Paths joined(Paths pieces)
{
    std::map<std::pair<ClipperLib::cInt, ClipperLib::cInt>, std::size_t> startOf;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (!pieces[i].empty())
            startOf.emplace(std::make_pair(pieces[i].front().X, pieces[i].front().Y), i);
    std::vector<bool> used(pieces.size(), false);
    std::vector<bool> follows(pieces.size(), false); // some piece ends where this one starts
    std::vector<std::size_t> next(pieces.size(), SIZE_MAX);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].empty())
            continue;
        const auto it = startOf.find({pieces[i].back().X, pieces[i].back().Y});
        if (it != startOf.end() && it->second != i && !follows[it->second]) {
            next[i] = it->second;
            follows[it->second] = true;
        }
    }
    Paths out;
    auto chain = [&](std::size_t i) {
        Path p;
        for (std::size_t k = i; k != SIZE_MAX && !used[k]; k = next[k]) {
            used[k] = true;
            p.insert(p.end(), pieces[k].begin() + (p.empty() ? 0 : 1), pieces[k].end());
        }
        out.push_back(std::move(p));
    };
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (!pieces[i].empty() && !follows[i])
            chain(i);
    for (std::size_t i = 0; i < pieces.size(); ++i) // rings of pieces
        if (!pieces[i].empty() && !used[i])
            chain(i);
    return out;
}

/// Joins lines whose ends lie closer than the tolerance, across the small gap: the last ring
/// stops just short of the border it meets, and the border goes on from there.
void linkEnds(Paths& lines, double tolerance)
{
    if (lines.size() > 256) // each link looks at every pair
        return;
    auto near = [&](const ClipperLib::IntPoint& a, const ClipperLib::IntPoint& b) {
        return std::hypot(double(a.X - b.X), double(a.Y - b.Y)) <= tolerance;
    };
    for (bool linked = true; linked;) {
        linked = false;
        for (std::size_t i = 0; i < lines.size() && !linked; ++i)
            for (std::size_t j = i + 1; j < lines.size() && !linked; ++j) {
                Path& a = lines[i];
                Path& b = lines[j];
                if (a.empty() || b.empty() || near(a.front(), a.back()) || near(b.front(), b.back()))
                    continue; // loops are whole
                if (near(a.front(), b.front()) || near(a.front(), b.back()))
                    std::reverse(a.begin(), a.end());
                if (near(a.back(), b.back()))
                    std::reverse(b.begin(), b.end());
                if (!near(a.back(), b.front()))
                    continue;
                a.insert(a.end(), b.begin(), b.end());
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(j));
                linked = true;
            }
    }
}

/// Back to board units; what rounds to a single point is dropped.
void appendInUnits(const Paths& lines, std::vector<OpenPath>& out)
{
    for (const Path& p : lines) {
        OpenPath c;
        c.reserve(p.size());
        for (const ClipperLib::IntPoint& v : p) {
            const TPoint q{Saturate32(RoundHalfEven64(static_cast<double>(v.X) / kMillScale)),
                           Saturate32(RoundHalfEven64(static_cast<double>(v.Y) / kMillScale))};
            if (c.empty() || c.back() != q)
                c.push_back(q);
        }
        if (c.size() >= 2)
            out.push_back(std::move(c));
    }
}

Path rectanglePath(const TRect& r)
{
    const auto s = [](std::int64_t v) { return v * kMillScale; };
    return {
        {s(r.left), s(r.top)}, {s(r.right), s(r.top)}, {s(r.right), s(r.bottom)}, {s(r.left), s(r.bottom)}};
}

/// One grown piece and its zone.
struct Piece {
    Paths base;
    Paths reach; // the zone so far
    Paths next;  // reach offset by one step, before the others clip it
    TRect box;   // of next
    double area = 0;
    bool settled = false; // the zone did not change in the last step
};

double areaOf(const Paths& paths)
{
    double a = 0;
    for (const Path& p : paths)
        a += ClipperLib::Area(p);
    return a;
}

void collectPieces(const ClipperLib::PolyNode& node, std::vector<Piece>& out)
{
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        Piece p;
        p.base.push_back(outer->Contour);
        for (const ClipperLib::PolyNode* hole : outer->Childs) {
            p.base.push_back(hole->Contour);
            collectPieces(*hole, out); // pieces inside the hole are pieces of their own
        }
        p.reach = p.base;
        p.area = areaOf(p.base);
        out.push_back(std::move(p));
    }
}

std::vector<Piece> grownPieces(const std::vector<Contour>& contours)
{
    ClipperLib::Clipper c;
    for (const Contour& k : contours) {
        Path p;
        p.reserve(k.size());
        for (const TPoint& v : k)
            p.emplace_back(std::int64_t{v.x} * kMillScale, std::int64_t{v.y} * kMillScale);
        c.AddPath(p, ClipperLib::ptSubject, true);
    }
    // The contours are read with the even-odd rule: a hole's contour lies inside its piece's.
    ClipperLib::PolyTree tree;
    c.Execute(ClipperLib::ctUnion, tree, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    std::vector<Piece> pieces;
    collectPieces(tree, pieces);
    return pieces;
}

/// The steps zones are grown in, and whether a step may stop.
class Zones
{
  public:
    Zones(std::vector<Piece>& pieces, const Paths* limit, MillingProgress* progress)
        : pieces(pieces), limit(limit), progress(progress)
    {
    }

    /// Every piece reaches one step further into its zone and keeps what no other piece reaches
    /// in the same step (fair: the strip both reach stays free). false when cancelled.
    bool fairStep(double step)
    {
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            Piece& p = pieces[i];
            if (p.settled)
                continue;
            if (i % 64 == 0 && stopped())
                return false;
            p.next = offsetBy(p.reach, step);
            if (limit)
                p.next = combine(p.next, *limit, ClipperLib::ctIntersection);
            p.box = PathsBox(p.next);
        }
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (pieces[i].settled)
                continue;
            if (i % 64 == 0 && stopped())
                return false;
            grow(i, [&](std::size_t j) -> const Paths& { return pieces[j].next; });
        }
        return true;
    }

    /// Every piece in turn takes what it reaches in one step and nobody holds yet: closes the
    /// strips narrower than the step. false when cancelled.
    bool closingStep(double step)
    {
        for (Piece& p : pieces)
            p.box = PathsBox(p.reach);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i % 64 == 0 && stopped())
                return false;
            Piece& p = pieces[i];
            p.next = offsetBy(p.reach, step);
            if (limit)
                p.next = combine(p.next, *limit, ClipperLib::ctIntersection);
            const TRect own = p.box;
            p.box = PathsBox(p.next);
            grow(i, [&](std::size_t j) -> const Paths& { return pieces[j].reach; });
            p.box = own.united(PathsBox(p.reach));
        }
        return true;
    }

    bool allSettled() const
    {
        return std::all_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.settled; });
    }
    void unsettle()
    {
        for (Piece& p : pieces)
            p.settled = false;
    }

  private:
    bool stopped() const { return progress && progress->cancel; }

    template <class Held> void grow(std::size_t i, Held held)
    {
        Piece& p = pieces[i];
        Paths others;
        for (std::size_t j = 0; j < pieces.size(); ++j)
            if (j != i && pieces[j].box.intersects(p.box)) {
                const Paths& h = held(j);
                others.insert(others.end(), h.begin(), h.end());
            }
        if (others.empty() && !limit)
            p.reach = p.next; // nothing near: it grows by the whole step, which holds what it had
        else
            p.reach =
                combine(p.reach, others.empty() ? p.next : combine(p.next, others, ClipperLib::ctDifference),
                        ClipperLib::ctUnion);
        // A change of less than a square unit is the rounding of the offsets.
        const double area = areaOf(p.reach);
        p.settled = std::abs(area - p.area) < double(kMillScale) * kMillScale;
        p.area = area;
    }

    std::vector<Piece>& pieces;
    const Paths* limit;
    MillingProgress* progress;
};

/// True when every point of the area lies within reach of the cutter running along the grown
/// piece offset by the distance (slivers thinner than a unit, left by the rounding of arcs, do
/// not count).
bool covered(const Paths& area, const Paths& base, double distance)
{
    const Paths left = combine(area, offsetBy(base, distance), ClipperLib::ctDifference);
    return offsetBy(left, -0.5 * kMillScale).empty();
}

} // namespace

TRect BoardRectangle(std::int32_t width, std::int32_t height) noexcept
{
    return {0, -std::int64_t{height}, std::int64_t{width}, 0};
}

std::vector<OpenPath> FurtherPasses::all() const
{
    std::vector<OpenPath> out;
    for (const auto& ring : rings)
        out.insert(out.end(), ring.begin(), ring.end());
    out.insert(out.end(), borders.begin(), borders.end());
    return out;
}

std::optional<FurtherPasses> IsolationPasses(const std::vector<Contour>& firstPass, std::int32_t width,
                                             const PassOptions& o, const TRect& board,
                                             MillingProgress* progress)
{
    FurtherPasses result;
    if (o.passes == 1 || width <= 0 || firstPass.empty())
        return result;
    const bool untilCleared = o.passes <= 0;
    const double overlap = std::clamp(o.overlapPercent, 0, kMaxOverlapPercent) / 100.0;
    const double w = width * kMillScale;
    const double spacing = (1.0 - overlap) * w;
    const int fixedPasses = std::min(o.passes, kMaxPasses);

    std::vector<Piece> pieces = grownPieces(firstPass);
    const Paths limit = offsetBy({rectanglePath(board)}, w / 2.0);

    // The zones grow in coarse steps, then the strips left between them are shared out in
    // halving steps down to an eighth of the cutter, and what is left goes to one side.
    const double coarse = untilCleared ? 4.0 * w : std::min(4.0 * w, (fixedPasses - 1) * spacing);
    const double finest = std::max(w / 8.0, double(kMillScale));
    int refinements = 0;
    for (double s = coarse; s > finest; s /= 2)
        ++refinements;
    const double diagonal = std::hypot(static_cast<double>(board.right - board.left),
                                       static_cast<double>(board.bottom - board.top)) *
                            kMillScale;
    const int coarseSteps = untilCleared
                                ? 2 + static_cast<int>(diagonal / coarse)
                                : static_cast<int>(std::ceil((fixedPasses - 1) * spacing / coarse - 1e-9));
    const std::size_t total = static_cast<std::size_t>(coarseSteps + refinements + 1) + pieces.size();
    if (progress && !progress->enter(StageOptimize, total))
        return std::nullopt;
    auto stepDone = [&](std::size_t d) { return !progress || progress->step(d); };

    Zones zones(pieces, untilCleared ? &limit : nullptr, progress);
    std::size_t done = 0;
    for (int k = 0; k < coarseSteps && !zones.allSettled(); ++k) {
        if (!zones.fairStep(coarse) || !stepDone(++done))
            return std::nullopt;
    }
    double s = coarse;
    for (int r = 0; r < refinements; ++r) {
        s /= 2;
        zones.unsettle();
        if (!zones.fairStep(s) || !stepDone(++done))
            return std::nullopt;
    }
    if (!zones.closingStep(s) || !stepDone(++done))
        return std::nullopt;
    done = static_cast<std::size_t>(coarseSteps + refinements + 1);

    // The cuts of each piece: its rings inside its zone, and its zone's border within the reach
    // of the last ring, without what runs along a line already cut.
    std::vector<Paths> firstBand(pieces.size()); // round the first pass, made when first needed
    std::vector<Paths> borderBand(pieces.size());
    std::vector<TRect> zoneBox(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i)
        zoneBox[i] = PathsBox(pieces[i].reach);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (!stepDone(done + i))
            return std::nullopt;
        const Piece& p = pieces[i];
        int last = fixedPasses;
        if (untilCleared) {
            // The fewest rings after which every point of the zone is milled: within half a
            // cutter of a ring or of the border.
            const Paths inner = offsetBy(p.reach, -w / 2.0);
            const TRect b = zoneBox[i];
            const double extent = std::hypot(double(b.right - b.left), double(b.bottom - b.top));
            int lo = 1, hi = 2 + static_cast<int>(extent / spacing);
            while (lo < hi) {
                if (progress && progress->cancel)
                    return std::nullopt;
                const int mid = (lo + hi) / 2;
                if (covered(inner, p.base, (mid - 1) * spacing + w / 2.0))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            last = lo;
        }
        Paths border = asLines(p.reach);
        if (!untilCleared) // only as far as the passes reach
            border =
                clipLines(border, offsetBy(p.base, (fixedPasses - 1) * spacing), ClipperLib::ctIntersection);
        // Without what runs along the first pass round every piece near, and along the borders
        // of the zones done before.
        Paths cutAlready;
        for (std::size_t j = 0; j < pieces.size(); ++j) {
            if (j != i && !zoneBox[j].intersects(zoneBox[i]))
                continue;
            if (firstBand[j].empty())
                firstBand[j] = bandAround(asLines(pieces[j].base));
            cutAlready.insert(cutAlready.end(), firstBand[j].begin(), firstBand[j].end());
            if (j < i)
                cutAlready.insert(cutAlready.end(), borderBand[j].begin(), borderBand[j].end());
        }
        Paths borders = joined(clipLines(border, cutAlready, ClipperLib::ctDifference));
        borderBand[i] = bandAround(borders);

        const Paths inside = offsetBy(p.reach, -kAlong);
        Paths ring = p.base;
        for (int k = 2; k <= last; ++k) {
            if (progress && progress->cancel)
                return std::nullopt;
            // Each ring from the last: the offsets add up, and the rings grow simpler.
            ring = offsetBy(ring, spacing);
            Paths cut = joined(clipLines(asLines(ring), inside, ClipperLib::ctIntersection));
            if (k == last) { // the border goes on where the last ring stops
                cut.insert(cut.end(), borders.begin(), borders.end());
                borders.clear();
                linkEnds(cut, 3.0 * kAlong);
            }
            if (cut.empty())
                continue;
            if (result.rings.size() < static_cast<std::size_t>(k - 1))
                result.rings.resize(static_cast<std::size_t>(k - 1));
            appendInUnits(cut, result.rings[static_cast<std::size_t>(k - 2)]);
        }
        appendInUnits(borders, result.borders);
    }
    return result;
}

} // namespace trevok

#include "output/millpasses.h"

#include "output/clipperpaths.h"

#include <clipper.hpp>

#include <algorithm>
#include <cmath>

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

Path rectanglePath(const TRect& r)
{
    const auto s = [](std::int64_t v) { return v * kMillScale; };
    return {{s(r.left), s(r.top)}, {s(r.right), s(r.top)}, {s(r.right), s(r.bottom)}, {s(r.left), s(r.bottom)}};
}

/// One grown piece: its area, and how far its zone has reached.
struct Piece {
    Paths base;
    Paths reach;
    Paths next; // reach offset by one step, before the others clip it
    TRect box;
    double area = 0;
    bool settled = false; // the zone is full: its reach no longer changes
    double passArea = 0;  // of its last pass
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
        p.passArea = areaOf(p.base);
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

/// Every piece reaches one step further into its zone. A piece's step is cut back by the steps
/// of the others (from where they had reached before), so two pieces never claim the same
/// point; its own grown area is always kept, so no zone ever covers another piece.
void advance(std::vector<Piece>& pieces, double step, const Paths* limit)
{
    for (Piece& p : pieces) {
        if (p.settled)
            continue;
        p.next = offsetBy(p.reach, step);
        p.box = PathsBox(p.next);
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].settled)
            continue;
        Paths others;
        for (std::size_t j = 0; j < pieces.size(); ++j)
            if (j != i && pieces[j].box.intersects(pieces[i].box))
                others.insert(others.end(), pieces[j].next.begin(), pieces[j].next.end());
        Paths mine = others.empty() ? pieces[i].next
                                    : combine(pieces[i].next, others, ClipperLib::ctDifference);
        if (limit)
            mine = combine(mine, *limit, ClipperLib::ctIntersection);
        pieces[i].reach = combine(mine, pieces[i].base, ClipperLib::ctUnion);
        // Within the board the zones fill up; a full zone stays as it is (a change of less
        // than a square unit is the rounding of the offsets).
        const double area = areaOf(pieces[i].reach);
        pieces[i].settled = limit && std::abs(area - pieces[i].area) < double(kMillScale) * kMillScale;
        pieces[i].area = area;
    }
}

std::vector<Contour> boundaries(const Paths& area)
{
    std::vector<Contour> out;
    for (const Path& p : area) {
        Contour c;
        c.reserve(p.size());
        for (const ClipperLib::IntPoint& v : p) {
            const TPoint q{Saturate32(RoundHalfEven64(static_cast<double>(v.X) / kMillScale)),
                           Saturate32(RoundHalfEven64(static_cast<double>(v.Y) / kMillScale))};
            if (c.empty() || c.back() != q)
                c.push_back(q);
        }
        while (c.size() > 1 && c.front() == c.back())
            c.pop_back();
        if (c.size() >= 3)
            out.push_back(std::move(c));
    }
    return out;
}

/// True when every point of the board is copper or within reach of the cutter on some pass
/// (slivers thinner than a unit, left by the rounding of arcs, do not count).
bool boardCleared(const Paths& enclosed, const Paths& board, double halfWidth)
{
    // The last pass encloses all earlier ones; within it every point lies within half a width
    // of some pass, as passes lie at most a width apart and the zones leave strips narrower
    // than the cutter between them.
    const Paths left = combine(board, offsetBy(enclosed, halfWidth), ClipperLib::ctDifference);
    return offsetBy(left, -0.5 * kMillScale).empty();
}

} // namespace

TRect BoardRectangle(std::int32_t width, std::int32_t height) noexcept
{
    return {0, -std::int64_t{height}, std::int64_t{width}, 0};
}

std::optional<std::vector<std::vector<Contour>>> IsolationPasses(const std::vector<Contour>& firstPass,
                                                                 std::int32_t width, const PassOptions& o,
                                                                 const TRect& board, MillingProgress* progress)
{
    std::vector<std::vector<Contour>> passes;
    if (o.passes == 1 || width <= 0 || firstPass.empty())
        return passes;
    const bool untilCleared = o.passes <= 0;
    const double overlap = std::clamp(o.overlapPercent, 0, kMaxOverlapPercent) / 100.0;
    const double spacing = (1.0 - overlap) * width * kMillScale;
    // The zones advance at most half a cutter width per step: where two zones meet, the strip
    // that neither claims is then no wider than the cutter that runs along both its sides.
    const int stepsPerPass = static_cast<int>(std::ceil((1.0 - overlap) * 2.0 - 1e-9));
    const double step = spacing / stepsPerPass;
    const double halfWidth = width * kMillScale / 2.0;

    std::vector<Piece> pieces = grownPieces(firstPass);
    const Paths boardArea{rectanglePath(board)};
    const Paths limit = offsetBy(boardArea, halfWidth);

    // Without a fixed count, a pass for every cutter spacing across the board's diagonal at most.
    const double diagonal = std::hypot(static_cast<double>(board.right - board.left),
                                       static_cast<double>(board.bottom - board.top)) *
                            kMillScale;
    const int lastPass = untilCleared ? 2 + static_cast<int>(diagonal / spacing) : std::min(o.passes, kMaxPasses);
    if (progress)
        progress->enter(5, static_cast<std::size_t>(lastPass));
    std::vector<Paths> milled; // with passes 0: the areas the last passes enclose, over all pieces
    for (int k = 2; k <= lastPass; ++k) {
        if (progress && !progress->step(static_cast<std::size_t>(k)))
            return std::nullopt;
        for (int s = 0; s < stepsPerPass; ++s)
            advance(pieces, step, untilCleared ? &limit : nullptr);
        // The outer part of the pass exactly at its distance, not the sum of the steps.
        std::vector<Contour> contours;
        Paths enclosed;
        for (Piece& p : pieces) {
            Paths area = combine(offsetBy(p.base, spacing * (k - 1)), p.reach, ClipperLib::ctIntersection);
            area = combine(area, p.base, ClipperLib::ctUnion);
            // A piece whose zone the last pass already filled gets no pass that would only
            // repeat it.
            const double a = areaOf(area);
            if (std::abs(a - p.passArea) >= double(kMillScale) * kMillScale) {
                std::vector<Contour> b = boundaries(area);
                contours.insert(contours.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
            }
            p.passArea = a;
            enclosed.insert(enclosed.end(), area.begin(), area.end());
        }
        passes.push_back(std::move(contours));
        if (!untilCleared)
            continue;
        milled.push_back(std::move(enclosed));
        if (milled.size() > 4)
            milled.erase(milled.begin());
        // The check is costly on a large board: made every fourth pass, then the passes since
        // the last check are tried one by one to find the first that clears the board.
        if (k % 4 != 0 && k != lastPass)
            continue;
        if (!boardCleared(milled.back(), boardArea, halfWidth))
            continue;
        std::size_t first = milled.size() - 1; // the first pass that clears, among the kept ones
        while (first > 0 && boardCleared(milled[first - 1], boardArea, halfWidth))
            --first;
        passes.resize(passes.size() - (milled.size() - 1 - first));
        break;
    }
    return passes;
}

} // namespace trevok

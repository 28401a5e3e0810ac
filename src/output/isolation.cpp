#include "output/isolation.h"

#include "document/messages.h"
#include "document/boxindex.h"

#include <clipper.hpp>

#include <algorithm>
#include <map>
#include <numeric>
#include <unordered_map>

namespace trevok
{

bool MillingProgress::enter(int s, std::size_t steps) noexcept
{
    stage = s;
    done = 0;
    total = static_cast<int>(std::min<std::size_t>(steps, INT32_MAX));
    return !cancel;
}

bool MillingProgress::step(std::size_t d) noexcept
{
    done = static_cast<int>(std::min<std::size_t>(d, INT32_MAX));
    return !cancel;
}

namespace
{

/// Union-find over indices.
class Pieces
{
  public:
    explicit Pieces(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::size_t{0}); }
    std::size_t find(std::size_t i) noexcept
    {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    }
    void join(std::size_t a, std::size_t b) noexcept
    {
        a = find(a);
        b = find(b);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    }

  private:
    std::vector<std::size_t> parent;
};

/// One piece of the union's input: a shape polygon, or the interior of a filled area.
struct Item {
    ClipperLib::Paths paths; // scaled, every outer anticlockwise (non-zero filling)
    TRect box;
    std::size_t element = 0;
};

TRect pathsBox(const ClipperLib::Paths& paths) noexcept
{
    TRect r{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const ClipperLib::Path& p : paths)
        for (const ClipperLib::IntPoint& v : p) {
            r.left = std::min<std::int64_t>(r.left, v.X);
            r.right = std::max<std::int64_t>(r.right, v.X);
            r.top = std::min<std::int64_t>(r.top, v.Y);
            r.bottom = std::max<std::int64_t>(r.bottom, v.Y);
        }
    return r;
}

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

/// The shapes as union input: shape polygons turned anticlockwise one by one, each area's
/// interior resolved with the even-odd rule into outers and holes.
std::vector<Item> unionItems(const std::vector<ShapeGroup>& shapes)
{
    std::vector<Item> items;
    for (const ShapeGroup& g : shapes) {
        for (const RPath& p : g.polygons) {
            if (p.empty())
                continue;
            Item it;
            it.paths.push_back(scaled(p, true));
            it.box = pathsBox(it.paths);
            it.element = g.element;
            items.push_back(std::move(it));
        }
        for (const RPath& p : g.interior) {
            Item it;
            ClipperLib::SimplifyPolygon(scaled(p, false), it.paths, ClipperLib::pftEvenOdd);
            if (it.paths.empty())
                continue;
            it.box = pathsBox(it.paths);
            it.element = g.element;
            items.push_back(std::move(it));
        }
    }
    return items;
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

} // namespace

std::optional<std::vector<Contour>> ComputeContours(const std::vector<ShapeGroup>& shapes,
                                                    MillingProgress* progress)
{
    // Calculate vectors: the polygons at the fine resolution, and which of them may meet.
    if (!entered(progress, 2, 2))
        return std::nullopt;
    const std::vector<Item> items = unionItems(shapes);
    std::vector<TRect> boxes;
    boxes.reserve(items.size());
    for (const Item& it : items)
        boxes.push_back(it.box);
    Pieces clusters(items.size());
    if (cancelled(progress, 1))
        return std::nullopt;
    BoxIndex(std::move(boxes)).forEachPair([&](std::size_t i, std::size_t j) { clusters.join(i, j); });

    // Create vector list: polygons whose boxes chain together form one cluster; clusters are
    // apart from each other, so each one's union is a part of the whole.
    if (!entered(progress, 3, items.size()))
        return std::nullopt;
    std::vector<std::size_t> clusterOf(items.size());
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
    if (!entered(progress, 4, members.size()))
        return std::nullopt;
    std::vector<ClipperLib::Paths> outlines(members.size());
    for (std::size_t k = 0; k < members.size(); ++k) {
        if (cancelled(progress, k))
            return std::nullopt;
        ClipperLib::Clipper c;
        for (const std::size_t i : members[k])
            c.AddPaths(items[i].paths, ClipperLib::ptSubject, true);
        c.Execute(ClipperLib::ctUnion, outlines[k], ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    }

    // Optimize outlines: back to board units; what rounding leaves without area is dropped.
    if (!entered(progress, 5, outlines.size()))
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

std::optional<IsolationResult> ComputeIsolation(const ElementList& elements, const MillingOptions& o,
                                                MillingProgress* progress, const std::vector<int>* nets)
{
    if (!entered(progress, 1, 2 * elements.size()))
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
    IsolationResult result;
    auto contours = ComputeContours(shapes, progress);
    if (!contours)
        return std::nullopt;
    result.contours = std::move(*contours);
    auto problems = FindIsolationProblems(elements, o, shapes, progress, nets);
    if (!problems)
        return std::nullopt;
    result.problems = std::move(*problems);
    return result;
}

std::vector<int> PieceOfEachElement(const ElementList& elements, const std::vector<int>* nets)
{
    const std::size_t n = elements.size();
    std::vector<int> piece(n, -1);
    if (nets && nets->size() == n) {
        for (std::size_t i = 0; i < n; ++i)
            if (IsCopperLayer(elements[i]->Layer) && IsMillingCopper(*elements[i]))
                piece[i] = (*nets)[i];
        return piece;
    }
    // Without the board's trace, a piece is what the copper of one side joins by touching, with
    // through-plated pad pairs joining the two sides.
    std::vector<std::size_t> copper;
    std::vector<Region> regions;
    std::vector<TRect> boxes;
    for (std::size_t i = 0; i < n; ++i) {
        const TObjekt& e = *elements[i];
        if (!IsCopperLayer(e.Layer) || !IsMillingCopper(e))
            continue;
        copper.push_back(i);
        regions.push_back(ElementRegion(e));
        boxes.push_back(regions.back().boundingRect());
    }
    Pieces joined(copper.size());
    BoxIndex(boxes).forEachPair([&](std::size_t a, std::size_t b) {
        if (elements[copper[a]]->Layer == elements[copper[b]]->Layer && regions[a].overlaps(regions[b]))
            joined.join(a, b);
    });
    std::unordered_map<const TObjekt*, std::size_t> slot;
    for (std::size_t a = 0; a < copper.size(); ++a)
        slot.emplace(elements[copper[a]].get(), a);
    for (std::size_t a = 0; a < copper.size(); ++a) {
        const auto it = slot.find(elements[copper[a]]->Twin);
        if (it != slot.end())
            joined.join(a, it->second);
    }
    for (std::size_t a = 0; a < copper.size(); ++a)
        piece[copper[a]] = static_cast<int>(joined.find(a));
    return piece;
}

std::optional<std::vector<IsolationProblem>> FindIsolationProblems(const ElementList& elements,
                                                                   const MillingOptions& o,
                                                                   const std::vector<ShapeGroup>& shapes,
                                                                   MillingProgress* progress,
                                                                   const std::vector<int>* nets)
{
    const std::vector<int> piece = PieceOfEachElement(elements, nets);
    const std::vector<Item> items = unionItems(shapes);
    std::vector<TRect> boxes;
    boxes.reserve(items.size());
    for (const Item& it : items)
        boxes.push_back(it.box);

    // Where the grown copper of two different pieces overlaps, collected per pair of pieces; an
    // overlap below one square unit is rounding, not a short.
    struct Overlaps {
        ClipperLib::Paths paths;
        std::size_t a = 0, b = 0;
    };
    std::map<std::pair<int, int>, Overlaps> byPair;
    BoxIndex(std::move(boxes)).forEachPair([&](std::size_t i, std::size_t j) {
        const int pa = piece[items[i].element];
        const int pb = piece[items[j].element];
        if (pa < 0 || pb < 0 || pa == pb)
            return;
        ClipperLib::Clipper c;
        c.AddPaths(items[i].paths, ClipperLib::ptSubject, true);
        c.AddPaths(items[j].paths, ClipperLib::ptClip, true);
        ClipperLib::Paths common;
        c.Execute(ClipperLib::ctIntersection, common, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        double area = 0;
        for (const ClipperLib::Path& p : common)
            area += ClipperLib::Area(p);
        if (area <= double(kMillScale * kMillScale))
            return;
        Overlaps& ov = byPair[{std::min(pa, pb), std::max(pa, pb)}];
        if (ov.paths.empty()) {
            ov.a = std::min(items[i].element, items[j].element);
            ov.b = std::max(items[i].element, items[j].element);
        }
        ov.paths.insert(ov.paths.end(), common.begin(), common.end());
    });
    if (!entered(progress, 5, byPair.size()))
        return std::nullopt;

    // Each connected strip of overlap between two pieces is one place.
    std::vector<IsolationProblem> problems;
    std::size_t k = 0;
    for (const auto& [pair, ov] : byPair) {
        if (cancelled(progress, k++))
            return std::nullopt;
        ClipperLib::Clipper c;
        c.AddPaths(ov.paths, ClipperLib::ptSubject, true);
        ClipperLib::Paths merged;
        c.Execute(ClipperLib::ctUnion, merged, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        for (const ClipperLib::Path& p : merged) {
            if (!ClipperLib::Orientation(p))
                continue; // a hole of a strip
            const TRect b = pathsBox({p});
            problems.push_back({{RoundHalfEven((b.left + b.right) / 2.0 / kMillScale),
                                 RoundHalfEven((b.top + b.bottom) / 2.0 / kMillScale)},
                                ov.a,
                                ov.b});
        }
    }
    std::sort(problems.begin(), problems.end(), [](const IsolationProblem& p, const IsolationProblem& q) {
        return p.at.y != q.at.y ? p.at.y > q.at.y : p.at.x < q.at.x;
    });
    return problems;
}

std::string IsolationProblemsText(const std::vector<IsolationProblem>& problems, TPoint origin, int language)
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
    for (std::size_t i = 0; i < problems.size() && i < kListed; ++i) {
        const TPoint p = problems[i].at;
        list += i ? "; " : "";
        list += "(" + mm(std::int64_t{p.x} - origin.x) + " / " + mm(std::int64_t{origin.y} - p.y) + " mm)";
    }
    if (problems.size() > kListed)
        list += "; …";
    if (problems.size() == 1)
        return MessageText(MsgId::MillProblem, language, {list});
    return MessageText(MsgId::MillProblems, language, {std::to_string(problems.size()), list});
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

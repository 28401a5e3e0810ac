#include "edit/attachedends.h"

#include "document/boxindex.h"
#include "document/region.h"

#include <optional>

namespace trevok
{

namespace
{

/// Whether a track or line on `layer` can end on the pad's copper.
bool sharesCopper(const TObjekt& pad, std::uint8_t layer) noexcept
{
    if (!IsCopperLayer(layer))
        return false;
    return pad.Layer == layer || (pad.Twin && IsCopperLayer(pad.Layer));
}

bool mayAttach(const TObjekt& e) noexcept
{
    if (e.Selected || !IsCopperLayer(e.Layer))
        return false;
    return (e.Kind == KindTrack && e.Points.size() >= 2) || e.Kind == KindLine;
}

} // namespace

std::vector<AttachedEnd> attachedEnds(const TBoard& board)
{
    std::vector<AttachedEnd> out;
    std::vector<const TObjekt*> pads;
    std::vector<TRect> boxes;
    for (const auto& e : board.Elements) {
        if (e->Selected && e->isPadLike() && IsCopperLayer(e->Layer)) {
            pads.push_back(e.get());
            boxes.push_back(Bounds(*e));
        }
    }
    if (pads.empty())
        return out;
    // The selection may be a few hundred pads on a board of many thousand tracks: the pads go
    // into an index once, and each end asks it, so the search grows with the track count only.
    const BoxIndex index(std::move(boxes));
    std::vector<std::optional<Region>> outlines(pads.size());
    auto onPad = [&](TPoint p, std::uint8_t layer) {
        bool found = false;
        index.query({p.x, p.y, p.x, p.y}, [&](std::size_t i) {
            if (found || !sharesCopper(*pads[i], layer))
                return;
            if (!outlines[i])
                outlines[i] = ElementRegion(*pads[i]);
            found = outlines[i]->contains(p.x, p.y);
        });
        return found;
    };
    for (const auto& e : board.Elements) {
        if (!mayAttach(*e))
            continue;
        TObjekt* element = e.get();
        for (const bool last : {false, true}) {
            const AttachedEnd end{element, last};
            if (onPad(endPoint(end), e->Layer))
                out.push_back(end);
        }
    }
    return out;
}

TPoint endPoint(const AttachedEnd& end) noexcept
{
    const TObjekt& e = *end.element;
    if (e.Kind == KindLine)
        return end.last ? TPoint{e.Size1, e.Size2} : TPoint{e.X, e.Y};
    if (e.Points.empty())
        return {};
    return end.last ? e.Points.back() : e.Points.front();
}

void setEndPoint(const AttachedEnd& end, TPoint p) noexcept
{
    TObjekt& e = *end.element;
    e.RegionCache.reset();
    if (e.Kind == KindLine) {
        (end.last ? e.Size1 : e.X) = p.x;
        (end.last ? e.Size2 : e.Y) = p.y;
        return;
    }
    if (!e.Points.empty())
        (end.last ? e.Points.back() : e.Points.front()) = p;
}

std::vector<TObjekt> stretchedSegments(const std::vector<AttachedEnd>& ends, TPoint offset)
{
    std::vector<TObjekt> out;
    out.reserve(ends.size());
    auto moved = [&](TPoint p) {
        return transformedPoint(p, [&](TObjekt& q) { Translate(q, offset.x, offset.y); });
    };
    for (std::size_t i = 0; i < ends.size(); ++i) {
        const AttachedEnd& end = ends[i];
        const TObjekt& e = *end.element;
        // A line, or a track of two corners, is one segment: both of its ends are listed one
        // after the other when both follow, and then they make one segment together.
        const bool single = e.Kind == KindLine || e.Points.size() == 2;
        const bool bothFollow = single && !end.last && i + 1 < ends.size() && ends[i + 1].element == &e;
        TObjekt seg;
        seg.Kind = e.Kind;
        seg.Layer = e.Layer;
        seg.Width = e.Width;
        seg.Clearance = e.Clearance;
        seg.Selected = e.Selected;
        TPoint a = moved(endPoint(end));
        TPoint b;
        if (bothFollow) {
            b = moved(endPoint(ends[i + 1]));
            ++i;
        } else if (e.Kind == KindLine) {
            b = endPoint({end.element, !end.last});
        } else {
            b = end.last ? e.Points[e.Points.size() - 2] : e.Points[1];
        }
        if (e.Kind == KindLine) {
            seg.X = a.x;
            seg.Y = a.y;
            seg.Size1 = b.x;
            seg.Size2 = b.y;
        } else {
            seg.Points = {a, b};
        }
        out.push_back(std::move(seg));
    }
    return out;
}

} // namespace trevok

// Finding elements under the cursor and inside the selection frame.

#include "edit/session.h"

#include "document/region.h"

#include <algorithm>
#include <cstdlib>

namespace trevok
{

namespace
{

bool hasNodes(const TObjekt& e) noexcept
{
    return e.Kind == KindArea || e.Kind == KindCircle || e.Kind == KindTrack;
}

bool isRestrictedArea(const TObjekt& e) noexcept
{
    return e.Kind == KindArea && e.Restricted;
}

/// A rectangle that contains Bounds(e) and costs nothing to compute. Only circles need it: their
/// exact rectangle is taken from their outline, which is far too slow to build for every circle
/// of a large board on every mouse event.
TRect quickBox(const TObjekt& e) noexcept
{
    if (e.Kind != KindCircle)
        return Bounds(e);
    const std::int64_t r = std::max(std::llabs(std::int64_t{e.Size1}), std::llabs(std::int64_t{e.Size2})) +
                           std::llabs(std::int64_t{e.Width}) + std::llabs(std::int64_t{e.Clearance}) + 21;
    return {e.X - r, e.Y - r, e.X + r, e.Y + r};
}

bool inside(const TRect& box, const TRect& r) noexcept
{
    return box.left >= r.left && box.right <= r.right && box.top >= r.top && box.bottom <= r.bottom;
}

/// Bounds(e).contains(p), looking at the circle's outline only when the point is near it.
bool boundsContain(const TObjekt& e, TPoint p)
{
    if (!quickBox(e).contains(p.x, p.y))
        return false;
    return e.Kind != KindCircle || Bounds(e).contains(p.x, p.y);
}

} // namespace

int EditSession::HitTest(TPoint p, bool copperOnly) const
{
    const TBoard* b = board();
    if (!b)
        return -1;
    const ElementList& list = b->Elements;
    const double z = zoom();

    // A node of a selected element under the point: the search keeps to the selection, so that
    // a corner lying on another element can still be grabbed.
    bool selectedFirst = false;
    for (const auto& e : list) {
        if (e->Selected && hasNodes(*e) && boundsContain(*e, p) && NodeAt(*e, p, z) >= 0) {
            selectedFirst = true;
            break;
        }
    }

    static constexpr int aboveOrder[4] = {4, 2, 3, 1}; // side 2 active: its layers first
    static constexpr int belowOrder[4] = {2, 4, 1, 3};
    const int* order = (b->ActiveLayer == LayerK2 || b->ActiveLayer == LayerB2) ? aboveOrder : belowOrder;
    for (int k = 0; k < 4; ++k) {
        const int layer = order[k];
        if (copperOnly && !IsCopperLayer(static_cast<std::uint8_t>(layer)))
            continue;
        if (!IsLayerVisible(*b, layer))
            continue;
        int found = -1;
        for (std::size_t i = list.size(); i-- > 0;) {
            const TObjekt& e = *list[i];
            if (e.Layer != layer || (selectedFirst && !e.Selected))
                continue;
            if (!boundsContain(e, p))
                continue;
            if (e.Selected && hasNodes(e) && NodeAt(e, p, z) >= 0)
                return static_cast<int>(i);
            if (!ElementHit(e, p, z))
                continue;
            if (found < 0) {
                found = static_cast<int>(i);
                continue;
            }
            // Pads win over what lies above them, and a restricted area gives way to anything:
            // both are what a click near them nearly always means.
            const TObjekt& kept = *list[static_cast<std::size_t>(found)];
            if ((e.isPadLike() && !kept.isPadLike()) || isRestrictedArea(kept))
                found = static_cast<int>(i);
        }
        if (found >= 0)
            return found;
    }
    return -1;
}

std::vector<std::size_t> EditSession::elementsInRect(const TRect& r) const
{
    std::vector<std::size_t> hits;
    const TBoard* b = board();
    if (!b)
        return hits;
    const ElementList& list = b->Elements;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TObjekt& e = *list[i];
        if (!IsLayerVisible(*b, e.Layer))
            continue;
        // An element whose rectangle lies inside the frame is met by it without building its
        // outline; only the ones the frame's edges cross need the exact test.
        const TRect quick = quickBox(e);
        if (!quick.intersects(r))
            continue;
        if (inside(quick, r)) {
            hits.push_back(i);
            continue;
        }
        const TRect box = e.Kind == KindCircle ? Bounds(e) : quick;
        if (!box.intersects(r))
            continue;
        if (inside(box, r) || ElementRegion(e).overlapsRect(r))
            hits.push_back(i);
    }
    return hits;
}

} // namespace trevok

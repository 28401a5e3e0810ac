// Finding elements under the cursor and inside the selection frame.

#include "edit/session.h"

#include "document/region.h"

namespace trevok {

namespace {

bool hasNodes(const TObjekt& e) noexcept
{
    return e.Kind == KindArea || e.Kind == KindCircle || e.Kind == KindTrack;
}

bool isRestrictedArea(const TObjekt& e) noexcept
{
    return e.Kind == KindArea && e.Restricted;
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
        if (e->Selected && hasNodes(*e) && Bounds(*e).contains(p.x, p.y) && NodeAt(*e, p, z) >= 0) {
            selectedFirst = true;
            break;
        }
    }

    static constexpr int aboveOrder[4] = {4, 2, 3, 1};   // side 2 active: its layers first
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
            if (!Bounds(e).contains(p.x, p.y))
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
        if (!IsLayerVisible(*b, e.Layer) || !Bounds(e).intersects(r))
            continue;
        if (ElementRegion(e).overlapsRect(r))
            hits.push_back(i);
    }
    return hits;
}

} // namespace trevok

#include "edit/editcommands.h"

#include "edit/commandhelpers.h"

#include <unordered_map>

// Aligning and snapping the selection unit by unit: an ungrouped element on its own, the selected
// members of a group together, so that a footprint keeps its shape.

namespace trevok
{

using namespace edit;

namespace
{

/// The selection split into units: for every element its unit (or -1 when not selected), and for
/// every unit its members' indices in board order.
struct Units {
    std::vector<int> unitOf;
    std::vector<std::vector<std::size_t>> members;
};

Units selectionUnits(const ElementList& list)
{
    Units u;
    u.unitOf.assign(list.size(), -1);
    std::unordered_map<std::int32_t, int> unitOfGroup;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TObjekt& e = *list[i];
        if (!e.Selected)
            continue;
        const std::int32_t g = e.lastGroup();
        int unit = -1;
        if (g != 0) {
            const auto [it, fresh] = unitOfGroup.emplace(g, static_cast<int>(u.members.size()));
            unit = it->second;
            if (fresh)
                u.members.emplace_back();
        } else {
            unit = static_cast<int>(u.members.size());
            u.members.emplace_back();
        }
        u.unitOf[i] = unit;
        u.members[unit].push_back(i);
    }
    return u;
}

/// Moves every selected element by the offset of its unit (one undo step when any moves).
EditResult moveUnits(TProject& project, const Units& units, const std::vector<TPoint>& offsets)
{
    return transformElements(
        project, [&](const TObjekt&, std::size_t i) { return units.unitOf[i] >= 0; },
        [&](TObjekt& e, std::size_t i) {
            const TPoint d = offsets[units.unitOf[i]];
            if (d.x != 0 || d.y != 0)
                Translate(e, d.x, d.y);
        });
}

/// The nearest integer to n / 2, halves to even.
std::int64_t halfRounded(std::int64_t n) noexcept
{
    return RoundHalfEven64(static_cast<double>(n) / 2.0);
}

/// The offset that puts p on the grid.
TPoint snapOffsetOf(TPoint p, double grid) noexcept
{
    const TPoint s = SnapToGrid(p, grid);
    return {Saturate32(std::int64_t{s.x} - p.x), Saturate32(std::int64_t{s.y} - p.y)};
}

/// The point by which an element is put on the grid; none for a track or area without corners.
std::optional<TPoint> referencePoint(const TObjekt& e)
{
    if (e.hasPoints()) {
        if (e.Points.empty())
            return std::nullopt;
        return e.Points.front();
    }
    return TPoint{e.X, e.Y};
}

} // namespace

EditResult alignSelection(TProject& project, int mode)
{
    TBoard* board = project.currentBoard();
    if (!board || mode < AlignTop || mode > AlignCentreVertical)
        return {};
    const ElementList& list = board->Elements;
    const Units units = selectionUnits(list);
    if (units.members.empty())
        return {};

    std::vector<std::optional<TRect>> rects(units.members.size());
    std::optional<TRect> all;
    for (std::size_t u = 0; u < units.members.size(); ++u) {
        for (std::size_t i : units.members[u]) {
            const auto b = outlineBounds(*list[i]);
            if (!b)
                continue;
            rects[u] = rects[u] ? rects[u]->united(*b) : *b;
        }
        if (rects[u])
            all = all ? all->united(*rects[u]) : *rects[u];
    }
    if (!all)
        return {};

    const TRect& R = *all;
    std::vector<TPoint> offsets(units.members.size());
    for (std::size_t u = 0; u < units.members.size(); ++u) {
        if (!rects[u])
            continue;
        const TRect& r = *rects[u];
        std::int64_t dx = 0;
        std::int64_t dy = 0;
        switch (mode) {
        case AlignTop:
            dy = R.bottom - r.bottom;
            break; // y grows upward: bottom holds the upper edge
        case AlignBottom:
            dy = R.top - r.top;
            break;
        case AlignLeft:
            dx = R.left - r.left;
            break;
        case AlignRight:
            dx = R.right - r.right;
            break;
        case AlignCentreHorizontal:
            dx = halfRounded((R.left + R.right) - (r.left + r.right));
            break;
        case AlignCentreVertical:
            dy = halfRounded((R.top + R.bottom) - (r.top + r.bottom));
            break;
        default:
            break;
        }
        offsets[u] = {Saturate32(dx), Saturate32(dy)};
    }
    return moveUnits(project, units, offsets);
}

EditResult snapSelectionToGrid(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return {};
    const ElementList& list = board->Elements;
    const double grid = board->Grid;
    const Units units = selectionUnits(list);
    if (units.members.empty())
        return {};

    // A line on its own snaps both of its end points, which is not a move of the whole.
    std::vector<bool> snapEnds(units.members.size(), false);
    std::vector<TPoint> offsets(units.members.size());
    for (std::size_t u = 0; u < units.members.size(); ++u) {
        const auto& members = units.members[u];
        const TObjekt& first = *list[members.front()];
        std::optional<TPoint> ref;
        if (first.lastGroup() != 0) {
            // A group is placed by its first pad, so that the pads of a footprint land on the grid.
            for (std::size_t i : members) {
                if (list[i]->isPadLike()) {
                    ref = TPoint{list[i]->X, list[i]->Y};
                    break;
                }
            }
            if (!ref)
                ref = referencePoint(first);
        } else if (first.Kind == KindLine) {
            snapEnds[u] = true;
            continue;
        } else if (first.Kind == KindLayoutText && first.Strokes.empty()) {
            continue;
        } else {
            ref = referencePoint(first);
        }
        if (ref)
            offsets[u] = snapOffsetOf(*ref, grid);
    }

    return transformElements(
        project, [&](const TObjekt&, std::size_t i) { return units.unitOf[i] >= 0; },
        [&](TObjekt& e, std::size_t i) {
            const int u = units.unitOf[i];
            if (snapEnds[u]) {
                const TPoint a = SnapToGrid({e.X, e.Y}, grid);
                const TPoint b = SnapToGrid({e.Size1, e.Size2}, grid);
                e.X = a.x;
                e.Y = a.y;
                e.Size1 = b.x;
                e.Size2 = b.y;
                NormalizeLine(e);
                return;
            }
            const TPoint d = offsets[u];
            if (d.x != 0 || d.y != 0)
                Translate(e, d.x, d.y);
        });
}

} // namespace trevok

#include "edit/editcommands.h"

#include "document/undo.h"
#include "edit/commandhelpers.h"

// The commands of the node menu: on one corner of a track or area.

namespace trevok
{

using namespace edit;

namespace
{

/// The track or area at index when node is one of its corners.
TObjekt* nodeOwner(TProject& project, std::size_t element, int node) noexcept
{
    TBoard* board = project.currentBoard();
    if (!board || element >= board->Elements.size())
        return nullptr;
    TObjekt& e = *board->Elements[element];
    if (!e.hasPoints() || node < 0 || static_cast<std::size_t>(node) >= e.Points.size())
        return nullptr;
    return &e;
}

/// One undo step, then change(e); the result holds the old and new areas.
template <class Change> EditResult changeNodes(TProject& project, TObjekt& e, Change&& change)
{
    EditResult result;
    PushUndo(project);
    includeElement(result, e);
    change(e);
    e.RegionCache.reset();
    includeElement(result, e);
    result.changed = true;
    return result;
}

} // namespace

NodeMenuState nodeMenuState(const TObjekt& element, int node) noexcept
{
    NodeMenuState s;
    if (!element.hasPoints() || node < 0 || static_cast<std::size_t>(node) >= element.Points.size())
        return s;
    const auto last = static_cast<int>(element.Points.size()) - 1;
    s.removeNode = element.Points.size() > 2;
    s.newNode = true;
    s.snapNode = true;
    s.splitTrack = element.Kind == KindTrack && node > 0 && node < last;
    return s;
}

EditResult removeNode(TProject& project, std::size_t element, int node)
{
    TObjekt* e = nodeOwner(project, element, node);
    if (!e || !nodeMenuState(*e, node).removeNode)
        return {};
    return changeNodes(project, *e, [node](TObjekt& t) { t.Points.erase(t.Points.begin() + node); });
}

EditResult insertNode(TProject& project, std::size_t element, int node)
{
    TObjekt* e = nodeOwner(project, element, node);
    if (!e)
        return {};
    const double grid = project.currentBoard()->Grid;
    const std::vector<TPoint>& p = e->Points;
    TPoint fresh;
    if (node == 0) {
        // Before the first corner there is no neighbour to halve against: one grid step of the
        // classic 2.54 mm grid to the upper left, which may well lie outside the board.
        fresh = {Saturate32(std::int64_t{p[0].x} - 254), Saturate32(std::int64_t{p[0].y} + 254)};
    } else {
        const TPoint a = p[node - 1];
        const TPoint b = p[node];
        fresh = {Saturate32((std::int64_t{a.x} + b.x) / 2), Saturate32((std::int64_t{a.y} + b.y) / 2)};
    }
    fresh = SnapToGrid(fresh, grid);
    return changeNodes(project, *e,
                       [node, fresh](TObjekt& t) { t.Points.insert(t.Points.begin() + node, fresh); });
}

EditResult snapNode(TProject& project, std::size_t element, int node)
{
    TObjekt* e = nodeOwner(project, element, node);
    if (!e)
        return {};
    const TPoint snapped = SnapToGrid(e->Points[node], project.currentBoard()->Grid);
    if (snapped == e->Points[node])
        return {};
    return changeNodes(project, *e, [node, snapped](TObjekt& t) { t.Points[node] = snapped; });
}

EditResult splitTrack(TProject& project, std::size_t element, int node, std::int32_t clearance)
{
    TObjekt* e = nodeOwner(project, element, node);
    if (!e || !nodeMenuState(*e, node).splitTrack)
        return {};
    EditResult result;
    PushUndo(project);
    includeElement(result, *e);

    auto piece = NewTrack(e->Width, e->Layer);
    piece->Clearance = clearance;
    // The corners after the split point, last first, then the split point itself: the new track
    // runs from the old end back to where the two now meet.
    for (std::size_t i = e->Points.size() - 1; i > static_cast<std::size_t>(node); --i)
        AddPoint(*piece, e->Points[i]);
    AddPoint(*piece, e->Points[node]);
    e->Points.resize(static_cast<std::size_t>(node) + 1);
    e->RegionCache.reset();

    includeElement(result, *e);
    includeElement(result, *piece);
    project.currentBoard()->Elements.push_back(std::move(piece));
    result.changed = true;
    return result;
}

} // namespace trevok

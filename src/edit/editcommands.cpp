#include "edit/editcommands.h"

#include "document/pointermap.h"
#include "document/region.h"
#include "document/undo.h"
#include "edit/attachedends.h"
#include "edit/commandhelpers.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

// The selection, delete, select all, the transforms about the selection centre, grouping, the
// layer commands and the enabled state of the commands.

namespace trevok
{

namespace edit
{

bool sameElement(const TObjekt& a, const TObjekt& b) noexcept
{
    if (a.Kind != b.Kind || a.X != b.X || a.Y != b.Y || a.Size1 != b.Size1 || a.Size2 != b.Size2 ||
        a.Width != b.Width || a.Selected != b.Selected || a.Layer != b.Layer || a.Shape != b.Shape ||
        a.Points != b.Points || a.OldGroup != b.OldGroup || a.Angle != b.Angle || a.Groups != b.Groups ||
        a.Reserved39 != b.Reserved39 || a.Filled != b.Filled || a.Clearance != b.Clearance ||
        a.Twin != b.Twin || a.Connections != b.Connections || a.Autorouted != b.Autorouted ||
        a.MirrorH != b.MirrorH || a.MirrorV != b.MirrorV || a.Restricted != b.Restricted ||
        a.Reserved57 != b.Reserved57 || a.Reserved72 != b.Reserved72 || a.Reserved74 != b.Reserved74 ||
        a.RouteStart != b.RouteStart || a.RouteEnd != b.RouteEnd || a.Text != b.Text ||
        a.Strokes.size() != b.Strokes.size())
        return false;
    for (std::size_t i = 0; i < a.Strokes.size(); ++i)
        if (!sameElement(a.Strokes[i], b.Strokes[i]))
            return false;
    return true;
}

void includeElement(EditResult& result, const TObjekt& element)
{
    result.include(Bounds(element));
    if (element.isPadLike())
        for (const TObjekt* partner : element.Connections)
            if (partner)
                result.include(Bounds(*partner));
}

std::optional<TRect> outlineBounds(const TObjekt& element)
{
    const Region region = ElementRegion(element);
    if (region.components().empty())
        return std::nullopt;
    return region.boundingRect();
}

std::size_t appendCopiesDeselectingBoard(TProject& project, const ElementList& source, EditResult& result)
{
    PushUndo(project);
    ElementList& list = project.currentBoard()->Elements;
    for (auto& e : list) {
        if (e->Selected) {
            e->Selected = 0;
            result.include(Bounds(*e));
        }
    }
    const std::size_t start = list.size();
    CopyElementList(list, source, start);
    return start;
}

EditResult removeElements(TProject& project, const std::vector<bool>& doomed)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    ElementList& list = board->Elements;
    const std::size_t count = std::count(doomed.begin(), doomed.end(), true);
    if (count == 0)
        return result;
    PushUndo(project);

    PointerMap<bool> gone(count);
    for (std::size_t i = 0; i < list.size() && i < doomed.size(); ++i) {
        if (doomed[i]) {
            gone.insert(list[i].get(), true);
            includeElement(result, *list[i]);
        }
    }
    auto isGone = [&](const TObjekt* p) { return p && gone.find(p); };
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i < doomed.size() && doomed[i])
            continue;
        TObjekt& e = *list[i];
        if (isGone(e.Twin))
            e.Twin = nullptr;
        // The track stays an autorouted track without that end, which is what resolving it later
        // expects of a route whose pad was deleted.
        if (isGone(e.RouteStart))
            e.RouteStart = nullptr;
        if (isGone(e.RouteEnd))
            e.RouteEnd = nullptr;
        const auto before = e.Connections.size();
        e.Connections.erase(std::remove_if(e.Connections.begin(), e.Connections.end(), isGone),
                            e.Connections.end());
        if (e.Connections.size() != before)
            result.include(Bounds(e));
    }

    std::size_t write = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (i >= doomed.size() || !doomed[i])
            list[write++] = std::move(list[i]);
    list.resize(write);
    result.changed = true;
    return result;
}

} // namespace edit

using namespace edit;

namespace
{

/// Sets the selection flag and records the element's area when it changed.
void setSelected(EditResult& result, TObjekt& e, std::uint8_t state)
{
    if (e.Selected != state) {
        e.Selected = state;
        result.include(Bounds(e));
        result.changed = true;
    }
}

/// Union of the outline rectangles of the selected elements.
std::optional<TRect> selectionOutlineBounds(const TBoard& board)
{
    std::optional<TRect> r;
    for (const auto& e : board.Elements) {
        if (!e->Selected)
            continue;
        if (const auto b = outlineBounds(*e))
            r = r ? r->united(*b) : *b;
    }
    return r;
}

template <class Transform>
EditResult transformSelectionAboutCentre(TProject& project, bool followTracks, Transform&& transform)
{
    const TBoard* board = project.currentBoard();
    if (!board || selectedCount(*board) == 0)
        return {};
    const TPoint centre = selectionCentre(*board);
    // The ends that follow, by element (a track may have both); found before anything moves.
    std::unordered_map<const TObjekt*, std::vector<AttachedEnd>> follow;
    if (followTracks)
        for (const AttachedEnd& end : attachedEnds(*board))
            follow[end.element].push_back(end);
    auto pick = [&](const TObjekt& e, std::size_t) { return e.Selected != 0 || follow.count(&e) != 0; };
    return transformElements(project, pick, [&](TObjekt& e, std::size_t i) {
        if (e.Selected) {
            transform(e, centre);
            return;
        }
        // transformElements works on a copy: the same ends, pointed at the copy.
        std::vector<AttachedEnd> ends = follow.at(board->Elements[i].get());
        for (AttachedEnd& end : ends)
            end.element = &e;
        moveAttachedEnds(ends, [&](TObjekt& q) { transform(q, centre); });
    });
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The selection

std::size_t selectedCount(const TBoard& board) noexcept
{
    return static_cast<std::size_t>(std::count_if(board.Elements.begin(), board.Elements.end(),
                                                  [](const auto& e) { return e->Selected != 0; }));
}

std::vector<const TObjekt*> selectedElements(const TBoard& board)
{
    std::vector<const TObjekt*> out;
    for (const auto& e : board.Elements)
        if (e->Selected)
            out.push_back(e.get());
    return out;
}

std::optional<TRect> selectionBounds(const TBoard& board)
{
    std::optional<TRect> r;
    for (const auto& e : board.Elements)
        if (e->Selected)
            r = r ? r->united(Bounds(*e)) : Bounds(*e);
    return r;
}

TPoint selectionCentre(const TBoard& board)
{
    const auto r = selectionOutlineBounds(board);
    return SnapToGrid(r ? centreOf(*r) : TPoint{}, board.Grid);
}

TPoint boardEdgeLimitedOffset(const TRect& bounds, std::int64_t dx, std::int64_t dy,
                              const TBoard& board) noexcept
{
    // The right and lower limits first, so that the left and upper ones win for a selection
    // larger than the board.
    const std::int64_t width = board.BoardWidth;
    const std::int64_t height = board.BoardHeight;
    if (bounds.right + dx > width)
        dx = width - bounds.right;
    if (bounds.left + dx < 0)
        dx = -bounds.left;
    if (bounds.top + dy < -height)
        dy = -height - bounds.top;
    if (bounds.bottom + dy > 0)
        dy = -bounds.bottom;
    return {Saturate32(dx), Saturate32(dy)};
}

// ---------------------------------------------------------------------------------------------
// Delete and select

EditResult deleteSelection(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return {};
    std::vector<bool> doomed(board->Elements.size());
    for (std::size_t i = 0; i < doomed.size(); ++i)
        doomed[i] = board->Elements[i]->Selected != 0;
    return removeElements(project, doomed);
}

EditResult deleteOutsideBoard(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return {};
    const std::int64_t width = board->BoardWidth;
    const std::int64_t height = board->BoardHeight;
    std::vector<bool> doomed(board->Elements.size());
    for (std::size_t i = 0; i < doomed.size(); ++i) {
        const TRect b = Bounds(*board->Elements[i]);
        // Sharing an area with the board: an element that only touches the board's edge from
        // outside has none.
        const bool overlaps = b.left < width && b.right > 0 && b.top < 0 && b.bottom > -height;
        doomed[i] = !overlaps;
    }
    return removeElements(project, doomed);
}

EditResult selectAll(TProject& project)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    ElementList& list = board->Elements;
    // Group mates and twins follow, also onto hidden layers. One pass collects the groups, a
    // second selects, so that a large board is not scanned once per grouped element.
    std::unordered_set<std::int32_t> groups;
    for (const auto& e : list)
        if (IsLayerVisible(*board, e->Layer) && e->lastGroup() != 0)
            groups.insert(e->lastGroup());
    for (auto& e : list) {
        const bool visible = IsLayerVisible(*board, e->Layer);
        if (visible || (e->lastGroup() != 0 && groups.count(e->lastGroup()))) {
            setSelected(result, *e, 1);
            if (e->Twin)
                setSelected(result, *e->Twin, 1);
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Transforms

EditResult turnSelection(TProject& project, SelectionTurn turn, bool followTracks)
{
    switch (turn) {
    case SelectionTurn::Rotate:
        return transformSelectionAboutCentre(project, followTracks,
                                             [](TObjekt& e, TPoint c) { Rotate90(e, c); });
    case SelectionTurn::MirrorHorizontally:
        return transformSelectionAboutCentre(project, followTracks,
                                             [](TObjekt& e, TPoint c) { MirrorX(e, c); });
    case SelectionTurn::MirrorVertically:
        return transformSelectionAboutCentre(project, followTracks,
                                             [](TObjekt& e, TPoint c) { MirrorY(e, c); });
    }
    return {};
}

EditResult rotateSelection(TProject& project)
{
    return turnSelection(project, SelectionTurn::Rotate, false);
}

EditResult mirrorSelectionHorizontally(TProject& project)
{
    return turnSelection(project, SelectionTurn::MirrorHorizontally, false);
}

EditResult mirrorSelectionVertically(TProject& project)
{
    return turnSelection(project, SelectionTurn::MirrorVertically, false);
}

// ---------------------------------------------------------------------------------------------
// Groups

namespace
{

/// At least two selected elements that do not all share the first one's last group id.
bool selectionWouldGroup(const TBoard& board) noexcept
{
    const TObjekt* first = nullptr;
    for (const auto& e : board.Elements) {
        if (!e->Selected)
            continue;
        if (!first) {
            first = e.get();
            continue;
        }
        const std::int32_t g = e->lastGroup();
        if (g == 0 || g != first->lastGroup())
            return true;
    }
    return false;
}

bool anySelectedGrouped(const TBoard& board) noexcept
{
    return std::any_of(board.Elements.begin(), board.Elements.end(),
                       [](const auto& e) { return e->Selected && !e->Groups.empty(); });
}

} // namespace

EditResult groupSelectedElements(TProject& project)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board || !selectionWouldGroup(*board))
        return result;
    PushUndo(project);
    const auto first = std::find_if(board->Elements.begin(), board->Elements.end(),
                                    [](const auto& e) { return e->Selected != 0; });
    const std::size_t before = (*first)->Groups.size();
    GroupSelection(board->Elements);
    if ((*first)->Groups.size() == before) {
        // No free group id was left; the snapshot would record a step that changed nothing.
        DropLastUndo(project);
        return result;
    }
    result.changed = true; // grouping does not change the picture: nothing to repaint
    return result;
}

EditResult ungroupSelectedElements(TProject& project)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board || !anySelectedGrouped(*board))
        return result;
    PushUndo(project);
    UngroupSelection(board->Elements);
    result.changed = true;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Layers

EditResult selectionToOtherSide(TProject& project)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    bool wouldChange = false;
    for (const auto& e : board->Elements)
        if (e->Selected && OppositeLayer(e->Layer) != e->Layer)
            wouldChange = true;
    if (!wouldChange)
        return result;
    for (const auto& e : board->Elements)
        if (e->Selected)
            includeElement(result, *e);
    result.changed = moveSelectionToOtherSide(project);
    return result;
}

EditResult selectionToLayer(TProject& project, int layer)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board || layer < LayerK1 || layer > LayerB2)
        return result;
    // The layer each selected element will get: the later pad of a through-plated pair goes to
    // the other side, so that the pair keeps one pad on each.
    const auto chosen = static_cast<std::uint8_t>(layer);
    PointerMap<bool> seenTwinPads(board->Elements.size());
    bool wouldChange = false;
    for (const auto& e : board->Elements) {
        const bool pairPad = e->Kind == KindPad && e->Twin;
        const bool later = pairPad && seenTwinPads.find(e->Twin);
        if (pairPad)
            seenTwinPads.insert(e.get(), true);
        if (e->Selected) {
            if (e->Layer != setToLayerTarget(*e, chosen, later))
                wouldChange = true;
            includeElement(result, *e);
        }
    }
    if (!wouldChange)
        return {};
    result.changed = setSelectionLayer(project, layer);
    return result;
}

// ---------------------------------------------------------------------------------------------
// Enabled state

EditCommandState editCommandState(const TProject& project, const Clipboard& clipboard)
{
    EditCommandState s;
    s.undo = canUndo(project);
    s.redo = canRedo(project);
    s.boardCommands = project.Boards.size() > 1;
    const TBoard* board = project.currentBoard();
    if (!board)
        return s;

    std::size_t selected = 0;
    bool oneGroup = true;
    std::int32_t firstGroup = 0;
    bool anyGrouped = false;
    bool anyCircle = false;
    for (const auto& e : board->Elements) {
        if (!e->Selected)
            continue;
        const std::int32_t g = e->lastGroup();
        if (selected == 0)
            firstGroup = g;
        else if (g == 0 || g != firstGroup)
            oneGroup = false;
        if (g != 0)
            anyGrouped = true;
        if (e->Kind == KindCircle)
            anyCircle = true;
        ++selected;
    }

    const bool any = selected > 0;
    s.copy = s.cut = s.erase = s.duplicate = any;
    s.rotate = s.mirrorHorizontally = s.mirrorVertically = any;
    s.snapToGrid = s.otherSide = s.setLayer = s.zoomSelection = any;
    s.paste = !clipboard.empty();
    s.group = s.align = selected >= 2 && !oneGroup;
    s.ungroup = anyGrouped;
    s.arc = anyCircle;
    s.selectAll = s.zoomAllObjects = !board->Elements.empty();
    s.deleteOutside = true;
    s.zoomPrevious = !board->PreviousViews.empty();
    return s;
}

} // namespace trevok

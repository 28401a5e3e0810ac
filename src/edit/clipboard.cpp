#include "edit/editcommands.h"

#include "document/undo.h"
#include "edit/commandhelpers.h"

#include <algorithm>
#include <limits>

// The program's clipboard: copy, cut, and placing its contents on the board (Paste and
// Duplicate share the placement).

namespace trevok
{

using namespace edit;

namespace
{

/// Side 1 holds layers 1 and 2, side 2 layers 3 and 4.
int sideOf(std::uint8_t layer) noexcept
{
    return layer == LayerK1 || layer == LayerB1 ? 1 : 2;
}

std::int64_t largestGroupId(const ElementList& list, std::size_t end) noexcept
{
    std::int64_t largest = 0;
    for (std::size_t i = 0; i < end && i < list.size(); ++i)
        for (std::int32_t id : list[i]->Groups)
            largest = std::max<std::int64_t>(largest, id);
    return largest;
}

/// Gives the group ids of the pasted elements (list[start..]) numbers above every id of the
/// board elements before them, keeping which of them are equal. Ids above the largest id of the
/// board, not only above its largest last id: an inner id of a foreign file may be the larger
/// one, and reusing it would join the pasted group with an unrelated one later.
void renumberPastedGroups(ElementList& list, std::size_t start)
{
    std::vector<std::int32_t> ids;
    for (std::size_t i = start; i < list.size(); ++i)
        ids.insert(ids.end(), list[i]->Groups.begin(), list[i]->Groups.end());
    if (ids.empty())
        return;
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());

    std::int64_t base = largestGroupId(list, start);
    constexpr std::int64_t maxId = std::numeric_limits<std::int32_t>::max();
    if (base + static_cast<std::int64_t>(ids.size()) > maxId) {
        // Ids from a foreign file near the top of the range: close the board's gaps first, after
        // which there are no more ids than elements.
        ElementList board;
        for (std::size_t i = 0; i < start; ++i)
            board.push_back(std::move(list[i]));
        CompactGroupIds(board);
        for (std::size_t i = 0; i < start; ++i)
            list[i] = std::move(board[i]);
        base = largestGroupId(list, start);
    }
    for (std::size_t i = start; i < list.size(); ++i)
        for (std::int32_t& id : list[i]->Groups) {
            const auto rank = std::lower_bound(ids.begin(), ids.end(), id) - ids.begin();
            id = Saturate32(base + 1 + rank);
        }
}

void setLayerWithStrokes(TObjekt& e, std::uint8_t layer) noexcept
{
    e.Layer = layer;
    for (TObjekt& stroke : e.Strokes)
        stroke.Layer = layer;
}

} // namespace

void copySelection(TProject& project, Clipboard& clipboard)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return;
    clipboard.clipboardSide = board->ActiveLayer;
    CopyElementList(clipboard.ClipboardList, board->Elements, 0,
                    [](const TObjekt& e) { return e.Selected != 0; });
}

EditResult cutSelection(TProject& project, Clipboard& clipboard)
{
    copySelection(project, clipboard);
    return deleteSelection(project);
}

std::optional<TRect> clipboardBounds(const Clipboard& clipboard)
{
    std::optional<TRect> r;
    for (const auto& e : clipboard.ClipboardList)
        r = r ? r->united(Bounds(*e)) : Bounds(*e);
    return r;
}

TPoint clipboardAnchor(const Clipboard& clipboard, double grid)
{
    const auto r = clipboardBounds(clipboard);
    return SnapToGrid(r ? centreOf(*r) : TPoint{}, grid);
}

TPoint placementOffset(const Clipboard& clipboard, TPoint cursor, const TBoard& board, bool snap)
{
    const auto bounds = clipboardBounds(clipboard);
    if (!bounds)
        return {};
    const TPoint anchor = clipboardAnchor(clipboard, board.Grid);
    const TPoint offset = boardEdgeLimitedOffset(*bounds, std::int64_t{cursor.x} - anchor.x,
                                                 std::int64_t{cursor.y} - anchor.y, board);
    return snap ? SnapToGrid(offset, board.Grid) : offset;
}

EditResult placeClipboard(TProject& project, const Clipboard& clipboard, TPoint offset,
                          std::uint8_t activeLayer)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board || clipboard.empty())
        return result;
    ElementList& list = board->Elements;
    // The copies land behind the board's elements, linked among themselves.
    const std::size_t start = appendCopiesDeselectingBoard(project, clipboard.ClipboardList, result);
    renumberPastedGroups(list, start);
    const bool otherSide = sideOf(activeLayer) != sideOf(clipboard.clipboardSide);
    for (std::size_t i = start; i < list.size(); ++i) {
        TObjekt& e = *list[i];
        Translate(e, offset.x, offset.y);
        e.Selected = 1;
        // A through-plated pair already has a pad on each side.
        if (otherSide && !(e.Kind == KindPad && e.Twin))
            setLayerWithStrokes(e, OppositeLayer(e.Layer));
        result.include(Bounds(e));
    }

    // Squeeze out the ids that are no longer used anywhere, then keep the pasted elements
    // together as one group so that they can be moved into place at once.
    CompactGroupIds(list);
    GroupSelection(list);
    result.changed = true;
    return result;
}

} // namespace trevok

#pragma once
// What the edit commands share: comparing elements, the repaint area of an element, applying a
// change to copies first so that a command that would change nothing takes no undo step, and
// removing elements together with every link that points to them.

#include "document/objekt.h"
#include "document/project.h"
#include "document/undo.h"
#include "edit/editcommands.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace trevok::edit
{

/// Field by field equality of everything a user or a file can tell apart (the scratch fields
/// are ignored).
bool sameElement(const TObjekt& a, const TObjekt& b) noexcept;

/// Adds the bounding rectangle of the element and, for a pad, of each partner it has a rubber
/// band to (the line between them is redrawn with it).
void includeElement(EditResult& result, const TObjekt& element);

/// The bounding rectangle of the element's outline; none when it has no outline.
std::optional<TRect> outlineBounds(const TObjekt& element);

/// The centre of a rectangle, each coordinate halved toward zero.
inline TPoint centreOf(const TRect& r) noexcept
{
    return {Saturate32((r.left + r.right) / 2), Saturate32((r.top + r.bottom) / 2)};
}

/// Applies change(copy, index) to a copy of every element at index for which pick(element,
/// index) holds. When at least one copy differs from its element, one undo snapshot is taken and
/// the changed copies replace their elements in place (so every reference to them stays valid).
/// Otherwise nothing happens. The result holds the old and new areas of the changed elements.
template <class Pick, class Change>
EditResult transformElements(TProject& project, Pick&& pick, Change&& change)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    ElementList& list = board->Elements;
    std::vector<std::pair<std::size_t, TObjekt>> changes;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!pick(*list[i], i))
            continue;
        TObjekt copy = *list[i];
        change(copy, i);
        if (!sameElement(copy, *list[i])) {
            copy.RegionCache.reset(); // the cached outline described the old shape
            changes.emplace_back(i, std::move(copy));
        }
    }
    if (changes.empty())
        return result;
    PushUndo(project);
    for (auto& [i, copy] : changes) {
        includeElement(result, *list[i]);
        *list[i] = std::move(copy);
        includeElement(result, *list[i]);
    }
    result.changed = true;
    return result;
}

/// Removes the elements marked in doomed (indexed like the list) after one undo snapshot; nothing
/// happens when none is marked. Links to removed elements are cleared on the survivors:
/// connection lists lose them, twin links and autorouted ends become none.
EditResult removeElements(TProject& project, const std::vector<bool>& doomed);

/// The start of placing copies (paste, macro drop): one undo snapshot, every element of the
/// current board deselected (its area added to result), then deep copies of source appended
/// behind them, linked among themselves. Returns the index of the first copy.
std::size_t appendCopiesDeselectingBoard(TProject& project, const ElementList& source, EditResult& result);

/// True for elements selected by the user.
inline bool isSelected(const TObjekt& e, std::size_t) noexcept
{
    return e.Selected != 0;
}

} // namespace trevok::edit

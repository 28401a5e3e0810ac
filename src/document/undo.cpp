#include "document/undo.h"

#include "document/pointermap.h"

#include <algorithm>
#include <utility>

namespace trevok
{
namespace
{

/// Clears what a copy must not carry over: the transient state and every reference that is not
/// re-linked afterwards.
void scrubCopy(TObjekt& t)
{
    t.Selected = 0;
    t.Highlight = 0;
    t.Closed = 1;
    t.CopyMark = 0;
    t.DrawLayer = 0;
    t.TwinIndex = -1;
    t.RegionCache.reset();
    if (t.Kind != KindPad)
        t.Twin = nullptr;
    if (!t.isPadLike())
        t.Connections.clear();
    if (t.Kind != KindTrack || !t.Autorouted) {
        t.RouteStart = nullptr;
        t.RouteEnd = nullptr;
    }
}

/// Strokes are private tracks of their text: nothing may refer to them or from them.
void scrubStroke(TObjekt& t)
{
    scrubCopy(t);
    t.Twin = nullptr;
    t.Connections.clear();
    t.RouteStart = nullptr;
    t.RouteEnd = nullptr;
    for (TObjekt& inner : t.Strokes)
        scrubStroke(inner);
}

/// One element: the record with its node, group and connection lists, text and strokes. The
/// references still point into the source; the list copy re-links them. A record of spare is
/// overwritten when one is left, which reuses its storage and that of its lists.
std::unique_ptr<TObjekt> copyElement(const TObjekt& s, ElementList* spare)
{
    std::unique_ptr<TObjekt> t;
    if (spare && !spare->empty()) {
        t = std::move(spare->back());
        spare->pop_back();
        *t = s;
    } else {
        t = std::make_unique<TObjekt>(s);
    }
    scrubCopy(*t);
    for (TObjekt& stroke : t->Strokes)
        scrubStroke(stroke);
    return t;
}

bool hasReferences(const TObjekt& t) noexcept
{
    return t.Twin || !t.Connections.empty() || t.RouteStart || t.RouteEnd;
}

template <class Take>
void copyList(ElementList& destination, const ElementList& source, std::size_t startIndex, Take&& take,
              ElementList* spare = nullptr)
{
    ElementList copies;
    copies.reserve(source.size());
    bool anyReferences = false;
    for (const auto& sp : source) {
        TObjekt& s = *sp;
        if (!take(s)) {
            s.CopyMark = 0;
            continue;
        }
        s.CopyMark = 1;
        copies.push_back(copyElement(s, spare));
        anyReferences = anyReferences || hasReferences(*copies.back());
    }

    if (anyReferences) {
        // The k-th marked source element is copies[k]: the copy at startIndex + (number of marked
        // elements before it) once the copies are appended to the destination.
        PointerMap<TObjekt*> copyOf(copies.size());
        std::size_t k = 0;
        for (const auto& sp : source)
            if (sp->CopyMark)
                copyOf.insert(sp.get(), copies[k++].get());
        auto relink = [&](TObjekt*& ref) {
            if (!ref)
                return;
            TObjekt* const* c = copyOf.find(ref);
            ref = c ? *c : nullptr;
        };
        for (auto& cp : copies) {
            TObjekt& t = *cp;
            relink(t.Twin);
            relink(t.RouteStart);
            relink(t.RouteEnd);
            if (!t.Connections.empty()) {
                for (TObjekt*& ref : t.Connections)
                    relink(ref);
                t.Connections.erase(std::remove(t.Connections.begin(), t.Connections.end(), nullptr),
                                    t.Connections.end());
            }
        }
    }

    // Only now may destination lose elements: it may be the source itself.
    const std::size_t keep = std::min(startIndex, destination.size());
    if (keep == 0) {
        destination = std::move(copies);
        return;
    }
    destination.resize(keep);
    destination.reserve(keep + copies.size());
    for (auto& cp : copies)
        destination.push_back(std::move(cp));
}

} // namespace

void CopyElementList(ElementList& destination, const ElementList& source, std::size_t startIndex)
{
    copyList(destination, source, startIndex, [](const TObjekt&) { return true; });
}

void CopyElementList(ElementList& destination, const ElementList& source, std::size_t startIndex,
                     const std::function<bool(const TObjekt&)>& take)
{
    if (!take) {
        CopyElementList(destination, source, startIndex);
        return;
    }
    copyList(destination, source, startIndex, take);
}

namespace
{

void notifyHistory(TProject& project)
{
    if (project.HistoryChanged)
        project.HistoryChanged();
}

void notifyListChanging(TProject& project)
{
    if (project.DiscardListDerivedViews)
        project.DiscardListDerivedViews();
}

} // namespace

void PushUndo(TProject& project)
{
    if (project.SnapshotsSuspended)
        return;
    TBoard* board = project.currentBoard();
    if (!board)
        return;
    const std::size_t depth = static_cast<std::size_t>(std::max(project.UndoDepth, 0));
    // A snapshot that leaves the history lends its records to the new one: on a large board
    // freeing and allocating every record again would cost more than the copy itself.
    Snapshot spare;
    if (board->UndoStack.size() > depth) {
        spare = std::move(board->UndoStack.front());
        board->UndoStack.erase(board->UndoStack.begin());
    } else if (!board->RedoStack.empty()) {
        spare = std::move(board->RedoStack.back());
        board->RedoStack.pop_back();
    }
    // Records are taken from the back: reversed, element i reuses the record that held element i,
    // whose lists already have the right capacity.
    std::reverse(spare.begin(), spare.end());
    Snapshot snapshot;
    copyList(
        snapshot, board->Elements, 0, [](const TObjekt&) { return true; }, &spare);
    board->UndoStack.push_back(std::move(snapshot));
    board->RedoStack.clear();
    project.Modified = true;
    notifyListChanging(project);
    notifyHistory(project);
}

void DropLastUndo(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (!board || board->UndoStack.empty())
        return;
    board->UndoStack.pop_back();
    notifyHistory(project);
}

namespace
{

/// Moves the newest snapshot of from into the current list and keeps a copy of the list on to.
/// The snapshot is already an unselected copy linked within itself, so it becomes the list as it
/// is instead of being copied once more.
bool exchange(TProject& project, std::vector<Snapshot>& from, std::vector<Snapshot>& to, TBoard& board)
{
    Snapshot current;
    CopyElementList(current, board.Elements);
    to.push_back(std::move(current));
    board.Elements = std::move(from.back());
    from.pop_back();
    project.Modified = true;
    notifyListChanging(project);
    notifyHistory(project);
    return true;
}

} // namespace

bool Undo(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (project.SnapshotsSuspended || !board || board->UndoStack.empty())
        return false;
    return exchange(project, board->UndoStack, board->RedoStack, *board);
}

bool Redo(TProject& project)
{
    TBoard* board = project.currentBoard();
    if (project.SnapshotsSuspended || !board || board->RedoStack.empty())
        return false;
    return exchange(project, board->RedoStack, board->UndoStack, *board);
}

bool canUndo(const TProject& project) noexcept
{
    const TBoard* board = project.currentBoard();
    return board && !board->UndoStack.empty();
}

bool canRedo(const TProject& project) noexcept
{
    const TBoard* board = project.currentBoard();
    return board && !board->RedoStack.empty();
}

int undoDialogValue(const TProject& project) noexcept
{
    return project.UndoDepth + 1;
}

void setUndoDialogValue(TProject& project, int steps) noexcept
{
    project.UndoDepth = std::clamp(steps, MinUndoSteps, MaxUndoSteps) - 1;
}

UndoTransaction::UndoTransaction(TProject& project) noexcept
    : project_(project), boards_(project.Boards.size()), current_(project.Current),
      board_(project.currentBoard()), undoDepth_(board_ ? board_->UndoStack.size() : 0),
      newestSnapshot_(board_ && !board_->UndoStack.empty() ? board_->UndoStack.back().data() : nullptr),
      modified_(project.Modified)
{
}

UndoTransaction::~UndoTransaction()
{
    if (!open_)
        return;
    try {
        rollback();
    } catch (...) {
    }
}

bool UndoTransaction::appendedBoards() const noexcept
{
    return project_.Boards.size() > boards_ && current_ >= 0;
}

void UndoTransaction::rollback()
{
    if (!open_)
        return;
    open_ = false;
    if (appendedBoards()) {
        ShowBoard(project_, current_);
        project_.Boards.resize(boards_);
    }
    TBoard* now = project_.currentBoard();
    if (now && now == board_) {
        // The oldest snapshot the command pushed is the list as it was before. A full history
        // dropped its oldest snapshot at each push, so there only the newest one is known.
        bool found = false;
        Snapshot before;
        while (now->UndoStack.size() > undoDepth_) {
            before = std::move(now->UndoStack.back());
            now->UndoStack.pop_back();
            found = true;
        }
        if (!found && !now->UndoStack.empty() && now->UndoStack.back().data() != newestSnapshot_) {
            before = std::move(now->UndoStack.back());
            now->UndoStack.pop_back();
            found = true;
        }
        if (found)
            now->Elements = std::move(before);
    }
    if (project_.Boards.size() == boards_)
        project_.Modified = modified_;
}

} // namespace trevok

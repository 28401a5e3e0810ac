#pragma once
// The undo history of a board (whole-list snapshots) and the one list-copy routine that the
// history, the clipboard and the macro library share.
//
// A copy never points into its source: twin links, connections and the end pads of autorouted
// tracks are re-linked to the copies of their targets, and a reference whose target was not
// copied is dropped.

#include "document/objekt.h"
#include "document/project.h"

#include <cstddef>
#include <functional>

namespace trevok
{

/// Deep copy of source into destination. The first startIndex elements of destination are kept
/// (all of them when it holds fewer), the rest are freed, and a copy of every source element is
/// appended in order. Copies are unselected, unhighlighted and closed; strokes of layout texts
/// are copied with them.
///
/// References are re-linked by the copying rule: a reference to a source element that was copied
/// becomes the copy of that element, i.e. the destination element at startIndex + (number of
/// copied source elements before it). Other references are removed from connection lists and
/// become none for twins and autorouted ends. Every source element carries CopyMark = 1
/// afterwards exactly when it was copied. destination and source may be the same list.
/// The list copy itself does not look at TProject::SnapshotsSuspended; the history functions
/// below do, and other callers decide for themselves.
void CopyElementList(ElementList& destination, const ElementList& source, std::size_t startIndex = 0);
/// The same, copying only the source elements for which take returns true (e.g. the selection
/// for the clipboard).
void CopyElementList(ElementList& destination, const ElementList& source, std::size_t startIndex,
                     const std::function<bool(const TObjekt&)>& take);

/// Takes a snapshot of the current board's list before a change: nothing while snapshots are
/// suspended; otherwise the oldest snapshot is dropped when the stack already holds more than
/// UndoDepth (one only, so a lowered depth limits growth, not an existing length), a copy of the
/// list is pushed, the redo stack is emptied and the project is marked modified.
void PushUndo(TProject& project);
/// Drops the newest undo snapshot of the current board (an operation that pushed turned out to
/// change nothing). The redo stack is not restored.
void DropLastUndo(TProject& project);
/// Replaces the current list by the newest undo snapshot, keeping a copy of the list on the redo
/// stack. Returns false when there is nothing to undo (or while snapshots are suspended, when no
/// copy could be kept). Afterwards no element is selected.
bool Undo(TProject& project);
/// The mirror image of Undo (without the depth check and without emptying anything).
bool Redo(TProject& project);

/// A command's bracket around the history, so that a command that failed half way can be taken
/// back. It notes what a command may change: the number of boards (Reload boards appends), the
/// current board with its newest undo snapshot (every edit pushes one before it changes the list)
/// and the modified mark. rollback() shows the board that was current again and drops the boards
/// the command appended, puts the current board's list back from the oldest snapshot the command
/// pushed (the newest only, when the history was full and dropped the others), and restores the
/// modified mark when the boards are as they were. commit() keeps everything.
///
/// Transactions nest: an inner one takes back only what happened inside it, an outer one
/// everything. An open transaction rolls back when it goes out of scope.
class UndoTransaction
{
  public:
    explicit UndoTransaction(TProject& project) noexcept;
    UndoTransaction(const UndoTransaction&) = delete;
    UndoTransaction& operator=(const UndoTransaction&) = delete;
    /// Rolls back while still open; a failure to do so is swallowed.
    ~UndoTransaction();

    void commit() noexcept { open_ = false; }
    /// Takes the command back (only once; the transaction is closed even when this throws).
    void rollback();
    bool isOpen() const noexcept { return open_; }
    /// True when the command appended boards that rollback() will drop (the view must let go of
    /// the current board first).
    bool appendedBoards() const noexcept;

  private:
    TProject& project_;
    std::size_t boards_;
    int current_;
    const TBoard* board_;
    std::size_t undoDepth_;
    const void* newestSnapshot_;
    bool modified_;
    bool open_ = true;
};

/// Enabled state of the undo and redo commands.
bool canUndo(const TProject& project) noexcept;
bool canRedo(const TProject& project) noexcept;

/// The undo depth dialog shows d + 1 (1..50); its value v sets d = v - 1.
inline constexpr int MinUndoSteps = 1;
inline constexpr int MaxUndoSteps = 50;
int undoDialogValue(const TProject& project) noexcept;
void setUndoDialogValue(TProject& project, int steps) noexcept;

} // namespace trevok

#pragma once
// The project: an ordered list of boards, each owning its elements, view settings and history.

#include "document/objekt.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trevok
{

/// One undo snapshot: an unselected deep copy of a board's element list.
using Snapshot = ElementList;

/// A previous view (scroll position and zoom) kept for "Zoom vorher".
struct TViewState {
    std::int32_t ScrollX = 0;
    std::int32_t ScrollY = 0;
    double Zoom = 0.1;
};

/// The board record with the defaults of a new board.
struct TBoard {
    std::string Name; // Windows-1252, at most 30 bytes
    ElementList Elements;
    std::int32_t BoardWidth = 16000;
    std::int32_t BoardHeight = 10000;
    std::uint8_t GroundPlane1 = 0;
    std::uint8_t GroundPlane2 = 0;
    double Grid = 254.0;
    double Zoom = 0.1;
    std::int32_t ScrollX = 0;
    std::int32_t ScrollY = 0;
    std::uint8_t ActiveLayer = 3;
    std::array<std::uint8_t, 4> LayerVisible{1, 1, 1, 1};
    std::array<std::uint8_t, 2> TemplateShown{0, 0};
    std::array<std::string, 2> TemplateFile; // at most 200 bytes each
    std::array<std::int32_t, 2> TemplateDpi{600, 600};
    std::array<std::int32_t, 2> TemplateOffsetX{0, 0};
    std::array<std::int32_t, 2> TemplateOffsetY{0, 0};
    std::array<std::int32_t, 2> TemplateColour{0x00FF00, 0x00FF00};
    TPoint Origin{0, 0};

    // History and previous views belong to the board and move with it.
    std::vector<Snapshot> UndoStack; // oldest first
    std::vector<Snapshot> RedoStack;
    std::vector<TViewState> PreviousViews;
};

/// Project information, Windows-1252 bytes.
struct TProjectInfo {
    std::string Title;   // at most 100
    std::string Author;  // at most 100
    std::string Company; // at most 100
    std::string Comment; // at most 1900, lines separated by CR LF
};

/// Language code, fixed for a run: 0 German, 1 English, 2 French.
using LanguageCode = int;

/// The name of board n (1-based) in the given language: "Platine n", "Board n", "Carte n".
std::string DefaultBoardName(LanguageCode language, int n);

/// The project owned by the main window (or by the command-line tool) for a whole run.
/// Exactly one board is current while the project is not being rebuilt.
class TProject
{
  public:
    std::vector<std::unique_ptr<TBoard>> Boards; // tab order = file order
    int Current = -1;                            // index of the current board, -1 while none
    TProjectInfo Info;
    bool Modified = false;
    std::string FileName; // current file name, empty for a new project
    int UndoDepth = 50;   // d: the undo stack holds at most d + 1 snapshots
    bool SnapshotsSuspended = false;

    /// Called before the current board's record is read as a whole (board switch, saving):
    /// the view stores its live settings (zoom, scroll, ...) into the record. May be empty.
    std::function<void(TBoard&)> StoreLiveState;
    /// Called after a board became current, so that the view can load its record. May be empty.
    std::function<void(TBoard&)> LoadLiveState;
    /// Called whenever an undo or redo stack of the current board changed, so that the window can
    /// refresh the enabled state of its undo and redo commands. May be empty.
    std::function<void()> HistoryChanged;
    /// Called when the current list is about to change through the history (a snapshot was taken,
    /// or undo/redo replaces the list): results computed from the old list, such as a milling
    /// contour preview, are stale from here on. May be empty.
    std::function<void()> DiscardListDerivedViews;

    TBoard* currentBoard() noexcept
    {
        return Current >= 0 && Current < static_cast<int>(Boards.size()) ? Boards[Current].get() : nullptr;
    }
    const TBoard* currentBoard() const noexcept
    {
        return Current >= 0 && Current < static_cast<int>(Boards.size()) ? Boards[Current].get() : nullptr;
    }
};

// ---------------------------------------------------------------------------------------------
// Limits of the strings kept in the project (Windows-1252 bytes).

inline constexpr std::size_t MaxBoardNameBytes = 30;
inline constexpr std::size_t MaxInfoFieldBytes = 100; // title, author, company
inline constexpr std::size_t MaxInfoCommentBytes = 1900;

// ---------------------------------------------------------------------------------------------
// Boards. Every function leaves exactly one board current unless the project has no board.

/// Appends a board with the defaults of a new board and empty histories, and makes it current
/// (through ShowBoard). The name is cut to MaxBoardNameBytes. Does not mark the project modified.
TBoard& NewBoard(TProject& project, std::string name);
/// Makes the board at index current: the live state of the board that was current is stored
/// into its record, the new board's record is loaded into the view. Snapshots are suspended
/// during the switch and no snapshot is taken. An index out of range does nothing.
void ShowBoard(TProject& project, int index);
/// "New board": appends "Platine n" / "Board n" / "Carte n" with n = number of boards + 1 (even
/// when a board of that name exists), makes it current and marks the project modified.
TBoard& AddBoard(TProject& project, LanguageCode language);
/// Throws TrevokError(LastBoardNotDeleted) when the project has fewer than two boards: the check
/// the window makes before it asks whether to delete the current board.
void checkBoardDeletable(const TProject& project);
/// Frees the board at index with its elements and histories. Unless the whole project is being
/// closed, the board now at the removed tab's place (or the last one) is shown when the current
/// board was removed, and the project is marked modified. Returns false for an index out of range.
bool RemoveBoard(TProject& project, int index, bool closing = false);

/// Moves the current board to the last place / one place right / to the first place / one place
/// left. Nothing happens (and false is returned) when it is already at that end; otherwise the
/// board stays current, keeps its histories, and the project is marked modified.
bool moveBoardToEnd(TProject& project);
bool moveBoardRight(TProject& project);
bool moveBoardToStart(TProject& project);
bool moveBoardLeft(TProject& project);

/// The decision of closing a project: ask whether to save when the project is modified and either
/// the current board has elements or there is more than one board.
bool NeedsSaveQuestion(const TProject& project) noexcept;
/// What closing does once the user has answered: every board is removed (none current), the
/// project information is cleared and the modified mark is reset. The file name is kept; the
/// caller sets it for what comes next.
void ClearProject(TProject& project);
/// The state of a new project: ClearProject, then one board "Platine 1" / "Board 1" / "Carte 1",
/// no file name, not modified.
void startNewProject(TProject& project, LanguageCode language);

// ---------------------------------------------------------------------------------------------
// Board properties dialog

/// The value shown in a size field: whole millimetres, truncated.
inline std::int32_t boardSizeMm(std::int32_t units) noexcept
{
    return units / 100;
}
/// Reads a size field as a decimal number of millimetres ("12", "12.5", "12,5", blanks around
/// allowed). Anything that is not a finite number reads as 0.
double parseMillimetres(const std::string& text) noexcept;

struct BoardSize {
    std::int32_t Width = 0;  // units
    std::int32_t Height = 0; // units
};

/// Checks both fields of the board properties dialog. A value outside 1..300 mm throws
/// TrevokError(BoardSizeRange). A fractional value inside the range is accepted and rounded to
/// whole millimetres (halves to even), since the board is stored in whole millimetres.
BoardSize parseBoardSize(const std::string& widthText, const std::string& heightText);
/// OK of the board properties dialog: sets the size of the current board, renames it (cut to
/// MaxBoardNameBytes) and marks the project modified.
void applyBoardProperties(TProject& project, BoardSize size, std::string name);

// ---------------------------------------------------------------------------------------------
// Project information

/// The information cut to its limits (title, author, company 100 bytes, comment 1900 bytes).
TProjectInfo limitProjectInfo(TProjectInfo info);
/// Stores the information cut to its limits; marks the project modified when anything changed.
/// Returns whether anything changed.
bool setProjectInfo(TProject& project, TProjectInfo info);

// ---------------------------------------------------------------------------------------------
// Layers of a board (the view passes the current board and mirrors the result)

/// Makes layer n (1..4) active; a hidden layer is made visible first. Returns false and does
/// nothing when n is already active or not a layer.
bool SetActiveLayer(TBoard& board, int n);
/// Inverts the visibility of layer n (1..4) after deselecting every element on it together with
/// its group mates and twin. The active layer cannot be hidden: returns false and does nothing.
bool ToggleLayerVisible(TBoard& board, int n);
/// Visibility of layer n: the board's switch for 1..4, always true for the macro layers 5 and 6.
bool IsLayerVisible(const TBoard& board, int n) noexcept;
/// The automatic ground plane switch of the side of the layer (1 and 2: side 1, else side 2).
bool GroundPlaneOn(const TBoard& board, int layer) noexcept;

/// "Other board side": one undo snapshot, then every selected element of the current board goes
/// to its opposite-side layer. Nothing at all happens without a selection. Returns whether an
/// element changed.
bool moveSelectionToOtherSide(TProject& project);
/// "Set to layer" 1..4: one undo snapshot, then every selected element goes to the layer, except
/// that the later pad of a through-plated pair (its twin comes earlier in the list) goes to the
/// opposite-side layer, so the pair stays on both sides. Nothing at all happens without a
/// selection or for another layer code. Returns whether an element changed.
bool setSelectionLayer(TProject& project, int layer);
/// The layer "Set to layer" gives one element: the chosen one, its opposite for the later pad of
/// a through-plated pair, and the copper layer of the chosen side for a restricted area, which
/// only means something where it cuts the ground plane.
std::uint8_t setToLayerTarget(const TObjekt& e, std::uint8_t chosen, bool laterOfPair) noexcept;

} // namespace trevok

#pragma once
// The project: an ordered list of boards, each owning its elements, view settings and history.

#include "document/objekt.h"

#include <array>
#include <functional>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trevok {

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
    std::string Name;                  // Windows-1252, at most 30 bytes
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
    std::array<std::string, 2> TemplateFile;   // at most 200 bytes each
    std::array<std::int32_t, 2> TemplateDpi{600, 600};
    std::array<std::int32_t, 2> TemplateOffsetX{0, 0};
    std::array<std::int32_t, 2> TemplateOffsetY{0, 0};
    std::array<std::int32_t, 2> TemplateColour{0x00FF00, 0x00FF00};
    TPoint Origin{0, 0};

    // History and previous views belong to the board and move with it.
    std::vector<Snapshot> UndoStack;   // oldest first
    std::vector<Snapshot> RedoStack;
    std::vector<TViewState> PreviousViews;
};

/// Project information, Windows-1252 bytes.
struct TProjectInfo {
    std::string Title;     // at most 100
    std::string Author;    // at most 100
    std::string Company;   // at most 100
    std::string Comment;   // at most 1900, lines separated by CR LF
};

/// Language code, fixed for a run: 0 German, 1 English, 2 French.
using LanguageCode = int;

/// The name of board n (1-based) in the given language: "Platine n", "Board n", "Carte n".
std::string DefaultBoardName(LanguageCode language, int n);

/// The project owned by the main window (or by the command-line tool) for a whole run.
/// Exactly one board is current while the project is not being rebuilt.
class TProject {
public:
    std::vector<std::unique_ptr<TBoard>> Boards;   // tab order = file order
    int Current = -1;                               // index of the current board, -1 while none
    TProjectInfo Info;
    bool Modified = false;
    std::string FileName;                           // current file name, empty for a new project
    int UndoDepth = 50;                             // d: the undo stack holds at most d + 1 snapshots
    bool SnapshotsSuspended = false;

    /// Called before the current board's record is read as a whole (board switch, saving):
    /// the view stores its live settings (zoom, scroll, ...) into the record. May be empty.
    std::function<void(TBoard&)> StoreLiveState;
    /// Called after a board became current, so that the view can load its record. May be empty.
    std::function<void(TBoard&)> LoadLiveState;

    TBoard* currentBoard() noexcept
    {
        return Current >= 0 && Current < static_cast<int>(Boards.size()) ? Boards[Current].get() : nullptr;
    }
    const TBoard* currentBoard() const noexcept
    {
        return Current >= 0 && Current < static_cast<int>(Boards.size()) ? Boards[Current].get() : nullptr;
    }
};

} // namespace trevok

#pragma once
// The macro library: reusable element groups (footprints, logos) kept one per "*.lmk" file in a
// tree of folders. This is the part without windows: the macro chosen for the preview with its
// option transformations, the automatic side match, the comment lines written back when they
// change, placing a macro on a board, saving a selection as a macro, deleting one, and the folder
// tree the panel's drop-down menu shows.

#include "document/messages.h"
#include "document/objekt.h"
#include "document/project.h"
#include "edit/editcommands.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trevok
{

/// Marks a pad of the preview list that receives a new through-plating twin when dropped.
inline constexpr std::int32_t TwinToCreate = -3;

/// The three option buttons of the panel; their states are kept for the run.
struct MacroOptions {
    bool mirror = false;       // SB_MakroSpiegeln: mirrored left-right about x = 0
    bool changeSide = false;   // SB_MakroLayerChange: layers 1<->3, 2<->4
    bool throughPlate = false; // SB_MakroDurchkontaktieren: every pad gets a twin on drop
};

/// What LoadMacroPreview did.
struct MacroLoadResult {
    bool loaded = false;      // a file was read (false: it does not exist, or it failed)
    bool sideMatched = false; // the automatic side match flipped the macro (both options toggled)
    /// The reading error of the new file (NotATrevokFile, ReadError); the preview is empty then.
    std::optional<TrevokError> error;
    /// Writing back the changed comment lines of the previous macro failed.
    std::optional<TrevokError> writeBackError;
};

/// The macro chosen in the panel's list (`MacroPreviewList` with its comment lines and options).
/// Owned by the main window; the preview, the drag preview and the drop all use its elements.
class MacroPreview
{
  public:
    /// The loaded elements with the options applied (pads marked TwinToCreate in TwinIndex).
    const ElementList& elements() const noexcept { return elements_; }
    /// The same for drawing, which records the layer it drew with in each element.
    ElementList& elementsForDrawing() noexcept { return elements_; }
    bool empty() const noexcept { return elements_.empty(); }
    /// Bounds of all elements; none when empty.
    std::optional<TRect> bounds() const;
    /// The file shown, empty when none (also after a file could not be read).
    const std::string& path() const noexcept { return path_; }
    const MacroOptions& options() const noexcept { return options_; }

    /// The comment lines E_Makrotext1/E_Makrotext2 (Windows-1252 bytes, at most 50 each).
    const std::string& comment1() const noexcept { return comment1_; }
    const std::string& comment2() const noexcept { return comment2_; }
    /// An edit of a comment line; sets commentChanged (macroCommentChanged).
    void setComment(int line, std::string text);
    bool commentChanged() const noexcept { return commentChanged_; }

    /// `LoadMacroPreview`: a file that does not exist changes nothing. Otherwise the changed
    /// comment lines of the macro shown so far are written back to its file first (with the
    /// option transformations taken back), then the new file is read and the options and the
    /// automatic side match for activeLayer (1..4) are applied. grid: the snap grid used when old
    /// font texts are converted.
    MacroLoadResult LoadMacroPreview(const std::string& file, int activeLayer, double grid = 254.0);
    /// The automatic side match again, for a new active layer, so that the preview shows what a
    /// drop places. True when it flipped the macro (both options toggled).
    bool matchSide(int activeLayer);
    /// Writes back the changed comment lines now (before the program closes, before a delete).
    std::optional<TrevokError> writeBackComments();
    /// Forgets the macro (nothing shown).
    void clear();

    /// The option buttons: each press changes the loaded elements at once.
    void setMirror(bool down);
    void setChangeSide(bool down);
    void setThroughPlate(bool down);

  private:
    ElementList elements_;
    std::string path_;
    std::string comment1_;
    std::string comment2_;
    bool commentChanged_ = false;
    MacroOptions options_;
};

/// Mirrors every element left-right about x = 0.
void mirrorMacro(ElementList& elements);
/// Puts every element on the layer of the other side (1<->3, 2<->4).
void changeMacroSide(ElementList& elements);
/// Marks every pad without twin to receive one (link to itself, TwinIndex TwinToCreate), or
/// removes such marks.
void markMacroTwins(ElementList& elements, bool mark);
/// Whether the automatic side match flips a macro for the active layer: the layer of the last
/// copper element (1 or 3) and of the last print element (2 or 4) must be the active one.
bool macroNeedsSideChange(const ElementList& elements, int activeLayer) noexcept;

/// The offset a macro is placed at for a cursor position: limited to the board
/// (0..width, -height..0) and, unless ctrl is held, snapped by SnapOffset.
TPoint macroDropOffset(const TBoard& board, TPoint cursor, double grid, bool ctrl);

/// Drops a macro onto the current board: one undo step, everything else deselected, deep copies
/// moved by offset and selected, layers 5/6 mapped to 3/2, group ids raised above the board's,
/// twins created or linked, the new elements grouped. A pad marked TwinToCreate (also a copy of
/// one, which links to itself) gets a real twin on the other side; no pad is left linked to
/// itself. Returns the area to repaint. Nothing for an empty macro.
EditResult DropMacro(TProject& project, const ElementList& macro, TPoint offset);

/// The elements "Makro speichern" writes: the selection, or the whole board when nothing is
/// selected (wholeBoard tells which), as unselected deep copies (links among them kept, links
/// to elements left behind dropped) moved so that the macro's origin is the centre of their
/// bounds snapped to the grid: elements on the grid stay on it relative to the origin, and the
/// cursor holds the macro by its middle when it is placed. Empty when the board is empty.
struct MacroSelection {
    ElementList elements;
    bool wholeBoard = false;
};
MacroSelection macroFromBoard(const TBoard& board, double grid);

/// Deletes a macro file; throws TrevokError WriteError when it cannot be removed (a file that is
/// already gone is no error).
void deleteMacroFile(const std::string& path);

/// The "*.lmk" files of a folder (any case of the extension), names only, sorted by name with
/// numbers in names compared by value ("DIP-8" before "DIP-14").
std::vector<std::string> listMacroFiles(const std::string& folder);

/// One level of the folder menu `MakroPopup`: the sub-folders of a folder (hidden ones skipped),
/// sorted by name, each with its own sub-folders.
struct MacroFolder {
    std::string name;
    std::vector<MacroFolder> children;
};
/// The tree below a root folder (the root itself has an empty name). Depth is limited so that a
/// link cycle cannot recurse for ever.
MacroFolder macroFolderTree(const std::string& root, int maxDepth = 16);
/// The folder a menu path selects: captions from the top menu down joined with "\", a final
/// "\.." cut off. Returns the path relative to the root as SB_MakroDir shows it: ".." for the
/// root itself.
std::string macroFolderFromMenuPath(const std::vector<std::string>& captions);
/// The absolute folder of a relative path ("", ".." and "..." are the root; "\" separators
/// become "/"). A path that tries to leave the root (a ".." part inside it) gives the root.
std::string macroFolderPath(const std::string& root, const std::string& relative);

} // namespace trevok

#pragma once
// The commands of the edit and function menus that act on the selection of the current board:
// clipboard, delete, select all, rotate, mirror, grouping, alignment, snapping, layers, the node
// commands of tracks and areas, deleting what lies outside the board, the arc settings of
// circles and the regular polygon generator.
//
// Every command works on the current board of a project. A command that changes the element
// list takes exactly one undo snapshot before it does so, and none at all when it would change
// nothing (an empty selection, a rotation of a single round pad that sits on the grid, ...).
// Each returns whether it changed anything and the board rectangle the view has to repaint.

#include "document/objekt.h"
#include "document/project.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace trevok
{

/// What a command did: whether the board changed (for select all: whether the selection
/// changed) and the board rectangle to repaint, the union of the old and new bounding
/// rectangles of every element that changed, widened by the rubber-band lines of moved pads.
struct EditResult {
    bool changed = false;
    bool hasArea = false; // false: nothing to repaint
    TRect area;           // board units, normalised

    void include(const TRect& r) noexcept
    {
        area = hasArea ? area.united(r) : r;
        hasArea = true;
    }
};

/// The program's own clipboard, kept for the whole run and independent of the system clipboard:
/// unselected deep copies of elements whose links (twins, connections, autorouted ends) point
/// only into the clipboard, and the active layer at the time of copying.
struct Clipboard {
    ElementList ClipboardList;
    std::uint8_t clipboardSide = LayerK2;

    bool empty() const noexcept { return ClipboardList.empty(); }
};

// ---------------------------------------------------------------------------------------------
// The selection

std::size_t selectedCount(const TBoard& board) noexcept;
/// The selected elements in board order (e.g. for the picture the view puts on the system
/// clipboard after a copy).
std::vector<const TObjekt*> selectedElements(const TBoard& board);
/// Union of the bounding rectangles (clearance included) of the selected elements; none
/// without a selection. This is what a move keeps on the board.
std::optional<TRect> selectionBounds(const TBoard& board);
/// The pivot of rotating and mirroring: the centre of the union of the outlines' bounding
/// rectangles of the selected elements, halved toward zero and snapped to the board's grid.
/// Elements without an outline (a track of one corner, a text without strokes) do not count.
/// (0, 0) snapped when nothing counts.
TPoint selectionCentre(const TBoard& board);

/// The offset (dx, dy) limited so that bounds moved by it stays on the board: left >= 0,
/// right <= width, and y between -height and 0. When bounds is wider (or higher) than the
/// board, its left (upper) edge is kept on the board.
TPoint boardEdgeLimitedOffset(const TRect& bounds, std::int64_t dx, std::int64_t dy,
                              const TBoard& board) noexcept;

// ---------------------------------------------------------------------------------------------
// Clipboard. Duplicate is copySelection followed by the same placement as Paste.

/// Replaces the clipboard by copies of the selected elements in board order and remembers the
/// active layer. No undo step.
void copySelection(TProject& project, Clipboard& clipboard);
/// Copy, then delete the selection (one undo step, by the delete).
EditResult cutSelection(TProject& project, Clipboard& clipboard);

/// Union of the bounding rectangles of all clipboard elements (the selectionBounds of a
/// placement); none when the clipboard is empty.
std::optional<TRect> clipboardBounds(const Clipboard& clipboard);
/// The point of the clipboard that follows the cursor: the centre of clipboardBounds, halved
/// toward zero, snapped to the grid. (0, 0) for an empty clipboard.
TPoint clipboardAnchor(const Clipboard& clipboard, double grid);
/// The offset of a placement for a (snapped) cursor position: cursor - anchor, limited to the
/// board edge like a move of the selection, then snapped to the grid when snap is set (CTRL up).
TPoint placementOffset(const Clipboard& clipboard, TPoint cursor, const TBoard& board, bool snap);
/// Places the clipboard moved by offset on the current board: one undo step, every board
/// element deselected, copies appended and selected, their groups renumbered above every group
/// of the board, links re-pointed to the new elements, layers moved to the other side when the
/// active layer and the clipboard side differ in side (except pads with a twin, which keep
/// theirs), and finally the pasted elements grouped. The clipboard itself is left as it is.
/// An empty clipboard places nothing and takes no undo step.
EditResult placeClipboard(TProject& project, const Clipboard& clipboard, TPoint offset,
                          std::uint8_t activeLayer);

// ---------------------------------------------------------------------------------------------
// Delete and select

/// Removes every selected element. A removed pad is first taken out of the connection lists of
/// its partners; a twin link or autorouted end pointing to a removed pad is cleared.
EditResult deleteSelection(TProject& project);
/// Removes (as deleteSelection does) every element whose bounding rectangle has no area in
/// common with the board rectangle; an element only partly outside stays.
EditResult deleteOutsideBoard(TProject& project);
/// Selects every element on a visible layer, with its group mates and twin. No undo step;
/// changed means the selection changed.
EditResult selectAll(TProject& project);

// ---------------------------------------------------------------------------------------------
// Transforms of the selection, about selectionCentre. With followTracks the ends of tracks that
// lie on selected pads are turned or mirrored with them in the same undo step (attachedends.h).

/// A quarter turn clockwise as seen on the screen.
EditResult rotateSelection(TProject& project);
/// Left-right about the vertical line through the centre.
EditResult mirrorSelectionHorizontally(TProject& project);
/// Top-bottom about the horizontal line through the centre.
EditResult mirrorSelectionVertically(TProject& project);
enum class SelectionTurn : std::uint8_t { Rotate, MirrorHorizontally, MirrorVertically };
/// One of the three, taking the attached track ends along when followTracks is set.
EditResult turnSelection(TProject& project, SelectionTurn turn, bool followTracks);

// ---------------------------------------------------------------------------------------------
// Groups

/// Groups the selection unless fewer than two elements are selected or they already form one
/// outermost group (then nothing happens at all).
EditResult groupSelectedElements(TProject& project);
/// Dissolves one level of grouping of every selected grouped element.
EditResult ungroupSelectedElements(TProject& project);

// ---------------------------------------------------------------------------------------------
// Alignment and snapping. A unit is an ungrouped selected element, or all selected elements
// that share one last group id; each unit moves as a whole.

enum AlignMode : int {
    AlignTop = 1,              // "Oben ausrichten": upper edges level
    AlignBottom = 2,           // "Unten ausrichten"
    AlignLeft = 3,             // "Links ausrichten"
    AlignRight = 4,            // "Rechts ausrichten"
    AlignCentreHorizontal = 5, // "Horizontal-Mittig ausrichten": centres on one vertical line
    AlignCentreVertical = 6,   // "Vertikal-Mittig ausrichten": centres on one horizontal line
};

/// Moves every unit so that its outline rectangle meets the given edge (or centre line) of the
/// union of all selected outlines. Offsets are not snapped. Another mode does nothing.
EditResult alignSelection(TProject& project, int mode);
/// Puts every unit on the grid by its reference point: for a group the centre of its first pad
/// (or SMD pad), else of its first member (first corner of a track or area, else its position);
/// an ungrouped element by its centre or first corner; a line snaps both end points.
EditResult snapSelectionToGrid(TProject& project);

// ---------------------------------------------------------------------------------------------
// Layers

/// "Auf andere Platinenseite setzen" (moveSelectionToOtherSide), with its repaint area and
/// without an undo step when no selected element would change.
EditResult selectionToOtherSide(TProject& project);
/// "Setze auf Layer" 1..4 (setSelectionLayer), likewise.
EditResult selectionToLayer(TProject& project, int layer);

// ---------------------------------------------------------------------------------------------
// Node commands on one corner of a track or area (the element and node the right click found)

struct NodeMenuState {
    bool removeNode = false; // "Knoten entfernen": more than 2 corners
    bool newNode = false;    // "Neuer Knoten"
    bool snapNode = false;   // "Knoten am Raster ausrichten"
    bool splitTrack = false; // "Leiterbahn auftrennen": a track, node neither first nor last
};
NodeMenuState nodeMenuState(const TObjekt& element, int node) noexcept;

/// Deletes the corner; only when the element has more than 2 corners.
EditResult removeNode(TProject& project, std::size_t element, int node);
/// Inserts a corner before the node: for node 0 at the first corner moved 2.54 mm left and
/// up, else halfway between the node and the one before it; snapped to the grid.
EditResult insertNode(TProject& project, std::size_t element, int node);
/// Puts the corner on the grid.
EditResult snapNode(TProject& project, std::size_t element, int node);
/// Splits a track at a corner that is neither its first nor its last: the track keeps corners
/// 0..node; a new track of the same width and layer (with the given clearance, the one for new
/// elements) is appended running from the old end back to the split corner.
EditResult splitTrack(TProject& project, std::size_t element, int node, std::int32_t clearance);

// ---------------------------------------------------------------------------------------------
// Arc dialog ("Kreisbogen...")

struct ArcSettings {
    std::int32_t startAngle = 0; // 0..359
    std::int32_t stopAngle = 0;  // 0..359; equal angles: a full circle
    double diameterMm = 0.0;     // diameter of the centre line, 0.10 .. 99.90
    bool filled = false;
    std::int32_t shownMeanRadius = 0; // the mean radius the diameter was shown from, in units
};
inline constexpr double MinArcDiameterMm = 0.10;
inline constexpr double MaxArcDiameterMm = 99.90;

/// What the dialog shows: filled from every selected circle in board order, so the last one
/// wins; none when no circle is selected.
std::optional<ArcSettings> arcDialogValues(const TBoard& board);
/// OK of the dialog: every selected circle gets both angles and the fill flag, and its radii
/// grow by round(diameter * 50) - shownMeanRadius (the ring width is kept; no radius becomes
/// negative). Takes no undo step, but marks the project modified.
EditResult applyArcSettings(TProject& project, const ArcSettings& settings);

// ---------------------------------------------------------------------------------------------
// Regular polygon ("Vieleck generieren")

struct PolygonSettings {
    std::int32_t corners = 6; // 3..99
    double radiusMm = 10.0;   // 1.0..99.9
    double angleOffset = 0.0; // degrees, -180.0..180.0
    double lineWidthMm = 1.0; // 0.0..99.9
    bool filled = false;      // an area instead of a track
};
/// The settings brought into the dialog's ranges (a value that is not a number takes the
/// default).
PolygonSettings limitPolygonSettings(PolygonSettings settings) noexcept;
/// The N + 1 corners about the centre, the last repeating the first; corner 0 lies at the angle
/// offset anticlockwise from +x. Also the preview's outline.
std::vector<TPoint> regularPolygonCorners(TPoint centre, const PolygonSettings& settings);
/// The element: a filled area (a restricted area on the copper layer of the side when
/// restricted is set) or a track, with the line width and the clearance given.
std::unique_ptr<TObjekt> makeRegularPolygon(TPoint centre, const PolygonSettings& settings,
                                            std::uint8_t layer, std::int32_t clearance, bool restricted);
/// A press of the polygon tool: one undo step, the polygon appended to the current board.
EditResult placeRegularPolygon(TProject& project, TPoint centre, const PolygonSettings& settings,
                               std::uint8_t layer, std::int32_t clearance, bool restricted);

// ---------------------------------------------------------------------------------------------
// Enabled state of menu items and buttons

struct EditCommandState {
    bool copy = false, cut = false, paste = false, duplicate = false, erase = false;
    bool selectAll = false;
    bool rotate = false, mirrorHorizontally = false, mirrorVertically = false;
    bool group = false, ungroup = false, align = false;
    bool snapToGrid = false, otherSide = false, setLayer = false;
    bool arc = false;
    bool deleteOutside = false;
    bool zoomSelection = false;  // "Zoom auf Markierung"
    bool zoomAllObjects = false; // "Zoom alle Objekte"
    bool undo = false, redo = false;
    bool zoomPrevious = false;  // "Zoom vorher"
    bool boardCommands = false; // delete board and the four moves: more than one board
};
/// Refreshed after every selection change, tool change and edit.
EditCommandState editCommandState(const TProject& project, const Clipboard& clipboard);

} // namespace trevok

#pragma once
// The editing session: the project being edited, the tool state machine, the program clipboard
// and the tool parameters. It receives mouse and key events in board coordinates and reaches the
// screen only through SessionView, so that it runs (and is tested) without any window.
//
// Each mouse tool is a ToolState; the tools of this file's .cpp family are installed by the
// constructor, and installTool() lets tests and other modules put a tool of their own under a
// code.

#include "document/objekt.h"
#include "document/project.h"
#include "edit/attachedends.h"
#include "edit/editcommands.h"
#include "edit/layouttext.h"
#include "edit/properties.h"
#include "edit/sessionview.h"
#include "routing/autorouter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace trevok
{

/// Tool codes; ToolCodeUnused (4) names no tool.
enum EditTool : int {
    ToolStandard = 0,
    ToolTrack = 1,
    ToolPad = 2,
    ToolZoom = 3,
    ToolArea = 5,
    ToolRing = 6,
    ToolText = 7,
    ToolTest = 8,
    ToolConnect = 9,
    ToolVieleck = 10,
    ToolAutoRoute = 11,
    ToolPlacement = 12,
    ToolMeasure = 13,
    ToolSmdPad = 14,
};
inline constexpr int ToolCodeCount = 15;
/// The one code below ToolCodeCount that names no tool: SetTool and installTool ignore it.
inline constexpr int ToolCodeUnused = 4;
/// True for a code that names a tool.
inline constexpr bool IsToolCode(int code) noexcept
{
    return code >= 0 && code < ToolCodeCount && code != ToolCodeUnused;
}

enum Modifier : unsigned { ModShift = 1u, ModCtrl = 2u, ModAlt = 4u };
enum class MouseButton : std::uint8_t { Left, Right, Middle };
enum class Key : std::uint8_t {
    Left,
    Right,
    Up,
    Down,
    Delete,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F12,
    Space,
    Escape
};

/// The status texts of the drawing area, by tool and state.
enum class ToolHint : std::uint8_t {
    None, // the tool has no status text; the last one stays
    StandardOverNode,
    StandardFrame,
    Standard,
    TrackDrawing,
    TrackStart,
    Pad,
    ZoomRange,
    Zoom,
    AreaDrawing,
    AreaStart,
    Circle,
    Text,
    Test,
    ConnectionFirst,
    ConnectionNext,
    Polygon,
    AutoRoute,
    Measure,
    SmdPad
};
/// The text of a hint in a language (0 German, 1 English, 2 French); lines separated by "\n".
const std::string& toolHintText(ToolHint hint, int language);

/// The drag of one corner of a track or area, or of one end of an arc.
struct NodeDrag {
    bool active = false;
    TObjekt* element = nullptr;
    int node = -1;
    bool undoPending = true; // no snapshot taken yet for this drag
    TPoint start;            // the node's position when the drag began
    TPoint position;         // where the corner would go now (tracks and areas)
    std::int32_t angle = 0;  // the angle it would get now (circles)
};

/// The edit state of the drawing area.
struct EditState {
    int tool = ToolStandard;
    int bendMode = 0; // 0..4, kept for the whole run
    bool busy = false;
    bool moving = false;
    NodeDrag nodeDrag;
    TPoint anchor;
    TPoint current;
    TPoint bendPoint;
    TRect selectionBounds;
    TPoint moveOffset;
    std::array<bool, PreviewKindCount> previewShown{};
    bool temporaryZoom = false;
    int savedTool = ToolStandard;
    bool leftDown = false;
};

class EditSession;

/// One mouse tool. The session calls enter() when the tool becomes current and leave() before
/// another does; the handlers get board positions (raw, not snapped) and the modifier flags.
class ToolState
{
  public:
    virtual ~ToolState() = default;
    /// Asked by SetTool before the tool becomes current; false leaves the Standard tool in
    /// charge (a dialog was cancelled, nothing could be made).
    virtual bool begin(EditSession&) { return true; }
    virtual void enter(EditSession&) {}
    virtual void leave(EditSession&) {}
    virtual void press(EditSession&, TPoint, unsigned modifiers) {}
    virtual void rightPress(EditSession& s, TPoint, unsigned modifiers);
    virtual void move(EditSession&, TPoint, unsigned modifiers) {}
    virtual void release(EditSession&, TPoint, unsigned modifiers) {}
    /// DELETE after the selection was deleted.
    virtual void deleteKey(EditSession&) {}
    /// SPACE while busy; true when consumed.
    virtual bool space(EditSession&) { return false; }
    /// ESC: ends what is being drawn or placed as a right click would; the default goes back to
    /// the Standard tool.
    virtual void escape(EditSession& s);
    virtual ToolHint hint(const EditSession&) const = 0;
    virtual const char* cursor() const { return "ARROW"; }
};

class EditSession
{
  public:
    EditSession(TProject& project, SessionView& view, int language);
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    // --- events from the board widget (board coordinates, not snapped) -----------------------
    void mousePress(TPoint p, MouseButton button, unsigned modifiers);
    void mouseMove(TPoint p, unsigned modifiers);
    void mouseRelease(TPoint p, MouseButton button, unsigned modifiers);
    void mouseDoubleClick(TPoint p, unsigned modifiers);
    /// Returns whether the key was consumed.
    bool keyPress(Key key, unsigned modifiers);
    bool keyRelease(Key key, unsigned modifiers);
    /// The origin marker K0_Shape, dragged with the Standard tool.
    void originMarkerPress();
    void originMarkerMove(TPoint p, unsigned modifiers);
    void originMarkerRelease();

    // --- tools ---------------------------------------------------------------------------------
    /// A tool button: deselects everything, ends what was under way, releases SB_Sperrflaeche.
    /// The polygon tool asks for its parameters first and falls back to Standard on Cancel.
    void SetTool(int tool);
    int tool() const noexcept { return state_.tool; }
    /// SB_Sperrflaeche: down chooses the Area tool; new areas become restricted areas.
    void setRestrictedAreas(bool down);
    bool restrictedAreas() const noexcept { return restrictedAreas_; }
    /// Installs the tool of a code in place of the built-in one.
    void installTool(int code, std::unique_ptr<ToolState> tool);
    /// Paste: the placement tool with the clipboard as it is. Duplicate: copy, then the same.
    void startPaste();
    void startDuplicate();
    /// "Nullpunkt setzen": the origin goes to the snapped position of the last right click.
    void setOriginAtMenuPoint();
    /// Ends any operation under way (before undo, a board switch, a dialog) and erases previews.
    /// Returns true when the operation took its own undo step back with it (a track of one
    /// corner), so that the history is already one step shorter.
    bool abortOperation();
    /// "Rückgängig": ends the operation under way and takes back one step. When that operation
    /// was the step (the first click of a track or area), it is all that is taken back.
    bool undo();

    // --- the parts others read -----------------------------------------------------------------
    TProject& project() noexcept { return project_; }
    TBoard* board() noexcept { return project_.currentBoard(); }
    const TBoard* board() const noexcept { return project_.currentBoard(); }
    SessionView& view() noexcept { return view_; }
    int language() const noexcept { return language_; }
    const EditState& state() const noexcept { return state_; }
    EditState& state() noexcept { return state_; }
    ToolProperties& properties() noexcept { return properties_; }
    const ToolProperties& properties() const noexcept { return properties_; }
    const ToolParameters& params() const noexcept { return properties_.current(); }
    Clipboard& clipboard() noexcept { return clipboard_; }
    PolygonSettings& polygonSettings() noexcept { return polygon_; }
    /// The router window's width and clearance, kept for the run (not in the settings file).
    RouterSettings& routerSettings() noexcept { return router_; }
    /// The text dialog's values, its start number and the numbering counter, kept for the run.
    LayoutTextSettings& textSettings() noexcept { return text_; }
    int& textStart() noexcept { return textStart_; }
    int& textCounter() noexcept { return textCounter_; }
    /// The element and node the last right click found for KnotenPopup (-1 when none).
    std::size_t nodeMenuElement() const noexcept { return nodeMenuElement_; }
    int nodeMenuNode() const noexcept { return nodeMenuNode_; }
    NodeMenuState nodeMenu() const;

    // --- helpers the tools share ---------------------------------------------------------------
    double grid() const { return view_.grid(); }
    double zoom() const { return view_.zoom(); }
    /// The position snapped to the grid unless CTRL is held.
    TPoint snapped(TPoint p, unsigned modifiers) const;
    /// The same rule for an offset.
    TPoint snapOffset(std::int64_t dx, std::int64_t dy, unsigned modifiers) const;
    /// The point limited to the board rectangle.
    TPoint limitToBoard(TPoint p) const;
    /// The element under the point, or -1 (see hittest.cpp).
    int HitTest(TPoint p, bool copperOnly) const;
    /// Elements of visible layers whose outline meets the rectangle.
    std::vector<std::size_t> elementsInRect(const TRect& r) const;

    void showPreview(const Preview& preview);
    /// The move preview: the elements drawn moved by offset. Nothing happens while it is shown
    /// at that offset already; shownOffset keeps the offset it was last shown at.
    /// With ends, their stretched segments are drawn too.
    void showMovePreview(const std::vector<const TObjekt*>& elements, TPoint offset, TPoint& shownOffset,
                         const std::vector<AttachedEnd>* ends = nullptr);
    void erasePreview(PreviewKind kind);
    /// Erases every preview that is on screen.
    void ErasePreviews();
    /// Colour of rubber bands and outlines: black on the copper layers, red on the print layers.
    std::uint32_t previewColour() const;
    void invalidate(const std::optional<TRect>& area);
    void invalidate(const EditResult& result);
    /// Deselects every element; true when anything was selected.
    bool deselectAll();
    /// The selection changed: the fields show it (with ctrl its values become the defaults).
    void selectionChanged(bool ctrl = false);
    void updateHint();
    void setCursor(const char* name);
    /// Automatic scrolling when p is within 8 pixels of an edge of the visible area.
    void autoScroll(TPoint p);
    void confine(bool on);
    /// Brings the Standard tool back (right click of the placing tools).
    void backToStandard() { SetTool(ToolStandard); }
    /// The Standard tool after a placement, keeping the placed elements selected.
    void returnToStandard();
    /// Moves every selected element by (dx, dy) with one undo step; nothing without a selection.
    /// With dragConnectedTracks the attached track ends follow in the same step.
    bool moveSelection(std::int32_t dx, std::int32_t dy);
    /// "Leiterbahnen mitziehen": moving, turning and mirroring the selection take the ends of
    /// tracks that lie on its pads along (attachedends.h). On at start.
    bool dragConnectedTracks() const noexcept { return dragTracks_; }
    void setDragConnectedTracks(bool on) noexcept { dragTracks_ = on; }

    /// Formats of the coordinate display and the measuring panel.
    std::string formatLength(double units) const;

    /// "Durchkontaktierung" (menu item or F12): one undo step when selected pads change.
    void toggleThroughPlating();
    /// DELETE: deletes the selection, then takes back the last corner of a track or area being
    /// drawn.
    void deleteKey();

  private:
    ToolState* current() const;
    void updateCoordinates(TPoint p, unsigned modifiers);

    TProject& project_;
    SessionView& view_;
    int language_;
    EditState state_;
    ToolProperties properties_;
    Clipboard clipboard_;
    PolygonSettings polygon_;
    RouterSettings router_;
    LayoutTextSettings text_;
    int textStart_ = 0;
    int textCounter_ = 0;
    std::array<std::unique_ptr<ToolState>, ToolCodeCount> tools_;
    bool restrictedAreas_ = false;
    bool dragTracks_ = true;
    bool originDrag_ = false;
    TPoint menuPoint_;
    std::size_t nodeMenuElement_ = static_cast<std::size_t>(-1);
    int nodeMenuNode_ = -1;

    friend class StandardTool;
};

/// Every tool of this module, made for the session's constructor.
std::unique_ptr<ToolState> makeStandardTool();
std::unique_ptr<ToolState> makeTrackTool(bool area);
std::unique_ptr<ToolState> makePadTool(bool smd);
std::unique_ptr<ToolState> makeRingTool();
std::unique_ptr<ToolState> makeZoomTool();
std::unique_ptr<ToolState> makeMeasureTool();
std::unique_ptr<ToolState> makePolygonTool();
std::unique_ptr<ToolState> makePlacementTool();
std::unique_ptr<ToolState> makeTextTool();
std::unique_ptr<ToolState> makeConnectTool();
std::unique_ptr<ToolState> makeTestTool();
std::unique_ptr<ToolState> makeAutoRouteTool();

/// An offset snapped to the grid by the rule of SnapToGrid, each component first limited to the
/// 32-bit range.
TPoint SnapOffset(std::int64_t dx, std::int64_t dy, double grid) noexcept;

/// The measuring panel's texts for an offset (units) in mm or inch.
MeasurePanel measureTexts(std::int64_t dx, std::int64_t dy, bool inch);
/// "X: 12.5 mm" / "Y: ..." for a position relative to the origin (y downward).
std::pair<std::string, std::string> coordinateTexts(TPoint p, TPoint origin, bool inch);
/// The angle of a dragged arc end: the direction from the centre to the point in whole degrees
/// 0..359 anticlockwise from +x; none when the point is the centre.
std::optional<std::int32_t> arcEndAngle(TPoint centre, TPoint point);
/// General format with the given significant digits and a decimal point ("12.5", "1235").
std::string generalFormat(double v, int digits);

} // namespace trevok

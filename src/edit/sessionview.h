#pragma once
// The narrow interface through which the editing session reaches the screen. The board widget
// implements it (translating to Qt); tests implement it with a recording fake. Everything the
// session wants drawn over the cached board picture is handed over as data (Preview), so the
// view never needs to know which tool is active.

#include "document/messages.h"
#include "document/objekt.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevok
{

/// The kinds of preview; at most one of each kind is on screen at a time.
enum class PreviewKind : std::uint8_t {
    RubberBand,     // track/area band: polyline anchor -> bend point -> current, pen = width
    PenDot,         // dot of diameter `width` at points[0]
    PadOutline,     // shapes[0]: the pad that a press would place (and its twin is implied)
    SmdRect,        // shapes[0]: the SMD pad that a press would place
    CircleOutline,  // centre points[0], radius `radius`, pen = width
    TextOutline,    // reserved for the text tool
    PolygonOutline, // shapes[0]: the regular polygon that a press would place
    SelectionRect,  // dotted rectangle rect (selection frame and zoom frame)
    Move,           // elements, each drawn moved by offset
    Node,           // shapes[0]: the element with its dragged corner
    ArcEnd,         // shapes[0]: the circle with its dragged end angle
    ConnectionLine, // pending connection: polyline points, blue dotted
    MeasureLine,    // line points[0] -> points[1] and the dotted rectangle between them
    NetHighlight,   // shapes[0]: the element the Test tool found, filled in colour (not inverting)
    RouterWindow,   // rect: the autorouter's search window, filled in colour (inverting)
    Count
};

inline constexpr std::size_t PreviewKindCount = static_cast<std::size_t>(PreviewKind::Count);

/// One preview as data. Colours are Windows COLORREF values (0x00BBGGRR) like every colour
/// of the program's files: 0 black, 0x0000FF red, 0x00FFFF yellow.
struct Preview {
    PreviewKind kind = PreviewKind::RubberBand;
    std::uint32_t colour = 0;
    bool dotted = false;
    std::int32_t width = 0;               // pen width in units; 0 is one pixel
    std::int32_t radius = 0;              // CircleOutline
    std::vector<TPoint> points;           // polylines, dot and circle centres
    TRect rect;                           // SelectionRect, MeasureLine's rectangle
    std::vector<TObjekt> shapes;          // element outlines owned by the preview
    std::vector<const TObjekt*> elements; // Move: elements of the board or the clipboard
    TPoint offset;                        // Move: the offset they are drawn at
};

/// The values of the measuring panel P_Messen. The panel follows the cursor: `below` puts its
/// top 20 pixels below the cursor (else its bottom at the cursor), `right` puts its left edge
/// 20 pixels right of the cursor (else its right edge at the cursor).
struct MeasurePanel {
    std::string dx;       // L_DX
    std::string dy;       // L_DY
    std::string distance; // L_Abstand
    std::string angle;    // L_Winkel
    TPoint cursor;        // board position of the cursor
    bool below = true;
    bool right = true;
};

struct LayoutTextSettings;

/// What the session asks of the board widget.
class SessionView
{
  public:
    virtual ~SessionView() = default;

    // --- what the session reads -----------------------------------------------------------
    /// Pixels per board unit.
    virtual double zoom() const = 0;
    /// The grid of the current board, a real number of units.
    virtual double grid() const = 0;
    /// The visible part of the board in board units (left/right in x; top is the lower y edge,
    /// bottom the upper one, as in TRect).
    virtual TRect visibleRect() const = 0;
    /// Coordinates in inch (else mm).
    virtual bool inchUnit() const = 0;
    /// The board point under the mouse while it is over the drawing area (not snapped).
    virtual std::optional<TPoint> cursorPosition() const { return std::nullopt; }

    // --- drawing ----------------------------------------------------------------------------
    /// The board area must be drawn again from the elements.
    virtual void invalidate(const TRect& boardRect) = 0;
    virtual void invalidateAll() = 0;
    /// Shows (or replaces) the preview of its kind over the cached picture.
    virtual void showPreview(const Preview& preview) = 0;
    virtual void hidePreview(PreviewKind kind) = 0;

    // --- cursor, texts, windows -------------------------------------------------------------
    /// "ARROW", "CROSS", "LUPE", "TEST", "CHANGER", "CONNECT", "AUTOROUTE", "RING".
    virtual void setCursor(std::string_view name) = 0;
    /// The long hint of the drawing area (UTF-8; lines separated by CR).
    virtual void setStatusHint(const std::string& text) = 0;
    /// L_XPos and L_YPos.
    virtual void setCoordinates(const std::string& x, const std::string& y) = 0;
    /// Scroll by whole increments (1/16 of the visible width or height); +x to the right,
    /// +y downwards on the screen. The view then sends the cursor position as a new move.
    virtual void requestScroll(int dx, int dy) = 0;
    /// The zoom tool released at `release` after pressing at `anchor` (both limited to the
    /// board): push the view, then zoom to the rectangle or, when it is 8 pixels or less in
    /// either direction, zoom in by 1.4 around the release point.
    virtual void zoomToolRelease(TPoint anchor, TPoint release) = 0;
    /// The zoom tool's right click: push the view and zoom out by 1.4.
    virtual void zoomToolRightClick() = 0;
    /// Opens "PopupMenu" or "KnotenPopup" at a board position.
    virtual void openMenu(std::string_view name, TPoint at) = 0;
    virtual void showMeasurePanel(const MeasurePanel& panel) = 0;
    virtual void hideMeasurePanel() = 0;
    virtual void setOriginMarkerVisible(bool visible) = 0;
    /// The origin of the board changed: move K0_Shape and repaint the rulers.
    virtual void originChanged(TPoint origin) = 0;
    /// Confines the mouse cursor to the drawing area, or lifts the confinement.
    virtual void confineCursor(bool confine) = 0;

    // --- notifications ---------------------------------------------------------------------
    /// The tool changed (the window shows its button pressed, enables K0_Shape, ...).
    virtual void toolChanged(int tool) = 0;
    /// The selection changed: fill the property fields, refresh the enabled menu items.
    virtual void selectionChanged() = 0;
    /// Active or visible layers changed.
    virtual void layersChanged() = 0;
    /// The tool parameters changed (field values, pad shape picture, through-plating check).
    virtual void parametersChanged() = 0;
    /// SetTool hides the autorouter and photo view windows.
    virtual void hideToolWindows() = 0;
    /// A double click on a layout text or an old font text: open its properties. Returns true
    /// when a dialog was shown (the click that closes it must not act on the board).
    virtual bool editText(TObjekt& text) = 0;
    /// A double click on any other element: open the properties of the selection. Returns true
    /// when a dialog was shown.
    virtual bool editProperties() { return false; }
    /// The regular polygon tool asks for its parameters (VielEckDlg); false on Cancel.
    virtual bool askPolygonParameters() = 0;
    /// The text tool asks for the text to place (LinienText_Dlg), filled from `settings` and
    /// `start` and written back on OK; false on Cancel. Without a dialog nothing is placed.
    virtual bool askLayoutText(LayoutTextSettings& settings, int& start)
    {
        (void)settings;
        (void)start;
        return false;
    }
    /// A message box of the session (warnings of the tools) in the language of the run.
    virtual void showMessage(MsgId id) { (void)id; }

    // --- the autorouter ---------------------------------------------------------------------
    /// The autorouter tool shows its window (SetTool hides it again through hideToolWindows).
    virtual void showRouterWindow() {}
    /// The router window's status line, repainted at once: a route does not return to the
    /// event loop before it ends.
    virtual void setRouterStatus(const std::string& text) { (void)text; }
    /// Paints the previews that changed now instead of at the next paint (during a route).
    virtual void flushPreviews() {}
};

} // namespace trevok

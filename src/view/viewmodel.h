#pragma once
// The view of the current board: zoom, scroll position, drawing-surface size, previous views,
// grid, origin and ruler unit, and the arithmetic the rulers and the board navigator are drawn
// from. No widgets: the main window mirrors the model into its scroll box and repaints on
// `changed`.
//
// Terms used here:
//  - zoom: pixels per board unit (1/100 mm), always within MinZoom..MaxZoom.
//  - surface: the drawing area inside the scroll box, round(W·zoom + 1) × round(H·zoom + 1)
//    pixels; the scroll box scrolls it.
//  - viewport: the visible part of the scroll box, in pixels.
//  - scroll position: the surface pixel at the viewport's top left corner.
//  - surface coordinates: board units measured from the board's upper left corner, x to the
//    right, y downwards (the negative of the board y). While the side-2 photo view is mirrored,
//    surface x is measured from the right board edge (board width − x).

#include "document/objekt.h"
#include "document/project.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace trevok
{

inline constexpr double MinZoom = 0.01;
inline constexpr double MaxZoom = 1.0;
inline constexpr double ZoomStep = 1.4;
inline constexpr double DefaultZoom = 0.1;
/// The largest centre coordinate the zoom commands ask for (a 300 mm board).
inline constexpr std::int32_t MaxCentreCoordinate = 30000;

/// A zoom limited to MinZoom..MaxZoom; NaN gives DefaultZoom.
double ClampZoom(double zoom) noexcept;
double ZoomIn(double zoom) noexcept;  // × 1.4, limited
double ZoomOut(double zoom) noexcept; // ÷ 1.4, limited

/// The size of the drawing surface in pixels for a board at a zoom.
QSize SurfaceSize(std::int32_t boardWidth, std::int32_t boardHeight, double zoom) noexcept;

// ---------------------------------------------------------------------------------------------
// Grid

/// The caption of the grid button: grid ÷ 100 in general format (8 significant digits), " mm",
/// padded with leading blanks to 9 characters: "  2.54 mm".
QString GridCaption(double grid);
/// Whether grid lines are drawn at all: not when lines would be closer than 4 pixels, that is
/// when 4 pen widths (one pixel each, round(1 ÷ zoom) units) are not less than the grid.
bool GridLinesShown(double grid, double zoom) noexcept;
/// The grid markings offered: 0 (off), 2, 4, 5 and 10.
bool IsValidGridMarking(int marking) noexcept;

/// One grid line in board units: vertical lines have x1 == x2, horizontal ones y1 == y2.
struct GridLine {
    std::int32_t x1, y1, x2, y2;
    bool marked; // drawn 2 pixels wide
};
/// The grid lines of a board that meet the board rectangle `area` (board units, normalised,
/// top = smaller y), the board edges excluded: horizontal at y = −round(i·grid) for
/// i = 1..trunc((H − 1) ÷ grid), vertical at x = round(i·grid) for i = 1..trunc((W − 1) ÷ grid).
/// Each line spans the part of the board inside `area`. With marking m > 0 the lines whose index
/// is divisible by m are marked. Empty when GridLinesShown is false.
std::vector<GridLine> GridLinesIn(std::int32_t boardWidth, std::int32_t boardHeight, double grid, double zoom,
                                  int marking, const TRect& area);

// ---------------------------------------------------------------------------------------------
// Rulers

struct RulerTick {
    int pos;       // pixel along the ruler
    int length;    // 14, 8 or 4 pixels
    bool labelled; // 14-pixel ticks carry a label
    QString label;
};
/// The step s of the rulers in units: 100 (1 mm), or 254 (0.1 inch) in inch mode.
int RulerStep(bool inch) noexcept;
/// The label step m for a tick step of p pixels: 1 above 40, 10 from 3 to 40, 25 below 3.
int RulerLabelStep(double pixelsPerTick) noexcept;
/// The label of tick e: e in mm, e ÷ 10 in inch, general format with 3 significant digits.
QString RulerLabel(std::int64_t e, bool inch);

/// The ticks of the horizontal ruler that fall within 0..width pixels. `scrollBoxLeft` is the
/// ruler pixel of the viewport's left edge.
std::vector<RulerTick> HorizontalRulerTicks(double zoom, bool inch, int scrollX, int scrollBoxLeft,
                                            std::int32_t originX, int width);
/// The ticks of the vertical ruler that fall within 0..height pixels. `scrollBoxTop` is the
/// ruler pixel of the viewport's top edge.
std::vector<RulerTick> VerticalRulerTicks(double zoom, bool inch, int scrollY, std::int32_t originY,
                                          std::int32_t boardHeight, int height, int scrollBoxTop = 2);

/// The caption of the unit button: "M" in mm mode; "Z" (German) or "I" in inch mode.
QString UnitButtonCaption(bool inch);

// ---------------------------------------------------------------------------------------------
// Board navigator

inline constexpr int NavigatorBoardPixels = 80; // the longer board side
inline constexpr int NavigatorAreaWidth = 93;

struct NavigatorGeometry {
    double unitsPerPixel = 1; // b = max(W, H) ÷ 80
    QRect board;              // SH_Platine, in the navigator area
    QRect frame;              // BV_Platine: one pixel wider on every side
    QRect visible;            // SH_Zoom, in the navigator area
};

// ---------------------------------------------------------------------------------------------

/// The view of the current board. Every change is reported once through `changed`, with the
/// parts that changed; a zoom change resizes the surface and scrolls before it is reported,
/// so the board is drawn once, after the change.
class ViewModel : public QObject
{
    Q_OBJECT
  public:
    enum Change : unsigned {
        SurfaceChanged = 1u << 0, // size of the drawing surface
        ScrollChanged = 1u << 1,
        ZoomChanged = 1u << 2,
        GridChanged = 1u << 3,        // grid value (caption and drawing)
        GridDisplayChanged = 1u << 4, // grid visible, marking
        UnitChanged = 1u << 5,
        OriginChanged = 1u << 6,
        HistoryChanged = 1u << 7, // the previous-view stack (enabled state of "Zoom vorher")
        RepaintNeeded = 1u << 8,  // the board must be drawn again as a whole
        NavigatorShownChanged = 1u << 9,
        MirrorChanged = 1u << 10,
        ViewportChanged = 1u << 11, // size of the visible part of the scroll box
    };

    explicit ViewModel(QObject* parent = nullptr);

    // --- the board ---------------------------------------------------------------------------
    /// Loads the view settings of a board that became current (zoom, scroll, grid, origin, size)
    /// and keeps the board for its previous-view stack. Unsafe values are replaced: a zoom
    /// outside the limits is clamped, a grid that is not a positive number becomes 254.
    void loadFrom(TBoard& board);
    /// Stores the live view settings into the board record.
    void storeInto(TBoard& board) const;
    /// Forgets the board (its previous views are not touched any more).
    void detachBoard() noexcept;
    TBoard* board() const noexcept { return board_; }
    void setBoardSize(std::int32_t width, std::int32_t height);
    std::int32_t boardWidth() const noexcept { return boardWidth_; }
    std::int32_t boardHeight() const noexcept { return boardHeight_; }

    // --- viewport, surface and scrolling -----------------------------------------------------
    /// The visible part of the scroll box in pixels.
    void setViewportSize(QSize size);
    QSize viewportSize() const noexcept { return viewport_; }
    QSize surfaceSize() const noexcept { return surface_; }
    QPoint scrollPosition() const noexcept { return {scrollX_, scrollY_}; }
    QPoint maxScroll() const noexcept;
    /// Scrolls, limited to the scroll range.
    void setScrollPosition(int x, int y);
    void scrollBy(int dx, int dy) { setScrollPosition(scrollX_ + dx, scrollY_ + dy); }
    /// One arrow click or automatic-scroll step: 1/16 of the visible width and height.
    QSize scrollIncrement() const noexcept;

    // --- zoom ----------------------------------------------------------------------------------
    double zoom() const noexcept { return zoom_; }
    /// Changes the zoom keeping the surface point at the centre of the viewport.
    void SetZoom(double zoom);
    /// Scrolls so that the surface point (x, y) lies in the middle of the viewport.
    void CentreOn(std::int32_t x, std::int32_t y);
    /// Surface x of a board x: the same, or board width − x while mirrored.
    std::int32_t surfaceX(std::int64_t boardX) const noexcept;
    void setMirrored(bool mirrored);
    bool mirrored() const noexcept { return mirrored_; }

    /// The board point under a viewport pixel (board units, board y upward), not rounded.
    QPointF boardPointAt(QPoint viewportPixel) const noexcept;
    /// The viewport pixel of a board point.
    QPointF viewportPixelOf(double boardX, double boardY) const noexcept;

    /// Zoom in by 1.4 keeping the centre; zoom out likewise.
    void zoomInStep() { SetZoom(zoom_ * ZoomStep); }
    void zoomOutStep() { SetZoom(zoom_ / ZoomStep); }
    /// The mouse wheel over the scroll box at a viewport pixel: away from the user (positive
    /// delta) zooms in by 1.4 centred on the board point under the cursor (limited to the
    /// board), towards the user zooms out by 1.4 keeping the centre. Pushes no view.
    void wheel(int delta, QPoint viewportPixel);
    /// The wheel with "Zoom at cursor": both directions zoom by 1.4 and keep the surface point
    /// under the cursor at the same pixel (as far as the scroll range allows).
    void wheelAtCursor(int delta, QPoint viewportPixel);
    /// Shift+wheel (sideways) and Ctrl+wheel (up and down): one notch of 120 scrolls a fifth of
    /// the visible part, turning away scrolls left or up.
    void wheelScroll(int delta, bool sideways);

    // --- the zoom commands and the previous views --------------------------------------------
    /// "Zoom Platine": pushes the view and fits the whole board.
    void zoomBoard();
    /// "Zoom alle Objekte" / "Zoom auf Markierung": pushes the view and fits the rectangle of
    /// all elements, or of the selected ones. Nothing more when that is narrower or lower than
    /// 50 units (or there is none).
    void zoomAllObjects(const ElementList& elements);
    void zoomSelection(const ElementList& elements);
    void zoomToRect(std::optional<TRect> rect);
    /// The zoom tool's rectangle: pushes the view, then fits the rectangle (both sides times the
    /// zoom above 8 pixels), else zooms in by 1.4 centred on the release point.
    void zoomToolRelease(TPoint anchor, TPoint release);
    /// The zoom tool's right click: pushes the view and zooms out by 1.4 keeping the centre.
    void zoomToolRightClick();

    void PushView();
    /// "Zoom vorher": applies and removes the last previous view. False when there is none.
    bool PopView();
    bool canPopView() const noexcept;

    // --- grid, origin, unit ------------------------------------------------------------------
    double grid() const noexcept { return grid_; }
    /// Sets the grid; anything that is not a positive finite number is refused.
    bool setGrid(double grid);
    QString gridCaption() const { return GridCaption(grid_); }
    bool gridVisible() const noexcept { return gridVisible_; }
    void setGridVisible(bool visible);
    int gridMarking() const noexcept { return gridMarking_; }
    /// Accepts 0, 2, 4, 5 and 10; returns false and changes nothing otherwise.
    bool setGridMarking(int marking);
    TPoint origin() const noexcept { return origin_; }
    void setOrigin(TPoint origin);
    bool inchUnit() const noexcept { return inch_; }
    void setInchUnit(bool inch);
    void toggleUnit() { setInchUnit(!inch_); }
    bool navigatorVisible() const noexcept { return navigatorVisible_; }
    void setNavigatorVisible(bool visible);

    // --- rulers and navigator ----------------------------------------------------------------
    std::vector<RulerTick> horizontalTicks(int scrollBoxLeft, int width) const;
    std::vector<RulerTick> verticalTicks(int height, int scrollBoxTop = 2) const;
    NavigatorGeometry navigator() const noexcept;
    /// Dragging the visible-area rectangle of the navigator to (left, top), relative to the
    /// board rectangle: the position is limited to the board and the view scrolls to
    /// round(zoom × left × b), round(zoom × top × b). Returns the limited position.
    QPoint navigatorDragTo(QPoint topLeft);
    /// A click on the visible-area rectangle: left pushes the view and zooms in by 1.4, right
    /// pushes the view and zooms out by 1.4.
    void navigatorClick(bool rightButton);

    /// Groups changes: `changed` is emitted once, when the outermost group ends.
    class Batch
    {
      public:
        explicit Batch(ViewModel& model) : model_(model) { ++model_.batchDepth_; }
        ~Batch() { model_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        ViewModel& model_;
    };

  signals:
    void changed(unsigned changes);

  private:
    void note(unsigned changes);
    void endBatch();
    void applyZoom(double zoom); // resize the surface, keep the scroll position limited
    void updateSurface();
    void limitScroll();

    TBoard* board_ = nullptr;
    std::int32_t boardWidth_ = 16000;
    std::int32_t boardHeight_ = 10000;
    QSize viewport_{0, 0};
    QSize surface_;
    int scrollX_ = 0;
    int scrollY_ = 0;
    double zoom_ = DefaultZoom;
    double grid_ = 254.0;
    TPoint origin_{0, 0};
    bool mirrored_ = false;
    bool inch_ = false;
    bool gridVisible_ = true;
    int gridMarking_ = 4;
    bool navigatorVisible_ = true;
    int batchDepth_ = 0;
    unsigned pending_ = 0;
};

} // namespace trevok

#pragma once
// Drawing a board: the view mapping, the colours of elements, each element kind in its three
// modes (normal, clearance for the ground plane, one colour for prints and masks), and the
// main-view pipeline that paints a board layer by layer.
//
// Terms used here:
//  - active side: side 1 while the active layer is 1 or 2, side 2 while it is 3 or 4.
//  - clearance drawing: an element grown by its Clearance in the background colour, which cuts
//    it out of the ground-plane fill.
//  - one-colour drawing: pen and brush in one given colour, selection ignored; holes stay white
//    unless the pad is enlarged for a solder mask.
//  - photo view: the board in the colours of a made board, either side, side 2 mirrored.
//  - repaint rectangle: the device pixels being repainted; every element whose bounds miss it
//    is skipped.

#include "document/objekt.h"
#include "document/project.h"
#include "view/canvas.h"
#include "view/colours.h"
#include "view/imagecanvas.h"

#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace trevok
{

// ---------------------------------------------------------------------------------------------
// Fixed colours

inline constexpr ColourRef SelectedActiveColour = Rgb(255, 0, 255);
inline constexpr ColourRef SelectedOtherSideColour = Rgb(160, 0, 160);
inline constexpr ColourRef HandleFillColour = Rgb(0, 0, 255);
inline constexpr ColourRef WhiteColour = Rgb(255, 255, 255);
inline constexpr ColourRef BlackColour = Rgb(0, 0, 0);
inline constexpr ColourRef PlatedRingColour = Rgb(255, 0, 0);

inline constexpr ColourRef PhotoBackground = Rgb(40, 140, 40);
inline constexpr ColourRef PhotoCopper = Rgb(24, 194, 40);
inline constexpr ColourRef PhotoPrint = Rgb(240, 240, 240);
inline constexpr ColourRef PhotoFarSidePlane = Rgb(20, 170, 20);
inline constexpr ColourRef PhotoFarSide = Rgb(30, 126, 30);

/// Solder-mask margins of the print dialog (units) by which enlarged one-colour pads grow.
inline constexpr std::int32_t DefaultPadMaskMargin = 30;
inline constexpr std::int32_t DefaultSmdMaskMargin = 10;

/// The scheme index of a layer's colour: 1 -> 2, 2 -> 3, 3 -> 4, 4 -> 5; -1 for other codes.
int LayerColourIndex(int layer) noexcept;
/// The colour an element takes in normal drawing: magenta when selected on the active side,
/// (160, 0, 160) when selected on the other side, else its layer colour (black for an unknown
/// layer).
ColourRef ElementColour(const TObjekt& element, int activeLayer, const ColourScheme& colours) noexcept;
/// The drawing bookkeeping element drawing keeps: the active layer in DrawLayer, and (with
/// clearHighlight) Highlight cleared. Written only where it changes, so that a board painted in
/// bands on several threads, which has it set beforehand, is only read by its threads.
void NoteDrawn(TObjekt& element, int activeLayer, bool clearHighlight) noexcept;
/// True when both layers lie on the same side (both <= 2 or both >= 3).
bool SameSide(int layerA, int layerB) noexcept;

// ---------------------------------------------------------------------------------------------
// Hatches

/// The three 8 x 8 hatches: stripes at 45 degrees, two pixels wide, in two alternating colours.
/// Rebuild them whenever the colour scheme changes.
struct RenderPatterns {
    PatternBrush plated;      // K1 / K2: through-plated pads on copper
    PatternBrush restricted1; // K1 / background: restricted areas of side 1
    PatternBrush restricted2; // K2 / background: restricted areas of side 2

    static RenderPatterns make(const ColourScheme& colours);
};

/// The stripe rows of the hatches (bit 7 is the leftmost pixel).
std::array<std::uint8_t, 8> HatchRows() noexcept;

// ---------------------------------------------------------------------------------------------
// Drawing single elements

/// What element drawing needs beyond the element: colours, hatches and the modes of the view,
/// of printing and of the tool previews.
struct DrawSettings {
    ColourScheme colours = ColourScheme::Standard();
    const RenderPatterns* patterns = nullptr; // none: restricted areas and plated pads unhatched
    bool photo = false;                       // photo colours: no hatches, no stripes, no bare-hole crosses
    bool mirrored = false;  // the mapping mirrors x: legacy font texts anchor at their other corner
    bool inverting = false; // a tool preview: everything in previewColour, no hatch, no stripe
    ColourRef previewColour = BlackColour;
    ColourRef previewHoleColour = BlackColour; // drill holes of an inverting preview (white in a mask)
    TPoint offset{0, 0};                       // drawn moved by this (the move preview); no node handles then
    bool printing = false;                     // clearances white, or printColour when printing negative
    bool printNegative = false;
    ColourRef printColour = BlackColour;
    std::int32_t padMaskMargin = DefaultPadMaskMargin;
    std::int32_t smdMaskMargin = DefaultSmdMaskMargin;
};

/// Draws elements onto one canvas with one set of settings. Holds scratch buffers, so that
/// drawing many elements allocates nothing per element.
class ElementPainter
{
  public:
    ElementPainter(Canvas& canvas, const DrawSettings& settings);

    /// Normal drawing: stores the active layer in DrawLayer, clears Highlight, draws in the
    /// colour of the colour rule.
    void DrawElement(TObjekt& element, int activeLayer);
    /// The element grown by its clearance in the clearance colour.
    void DrawClearance(TObjekt& element, int activeLayer);
    /// Pen and brush in one colour, Selected suppressed and Highlight set during the call. With
    /// enlarge, pads grow by the pad mask margin (their hole filled too) and SMD pads by the SMD
    /// mask margin.
    void DrawInColour(TObjekt& element, ColourRef colour, bool enlarge);

    /// The drill hole of a pad: a white disc of the drill radius, outlined red for a plated pad
    /// (white otherwise, black in the photo view); a bare hole (drill radius = R) also gets a
    /// cross, black or magenta when selected, unless crosses are off.
    void DrawHole(const TObjekt& pad, bool cross);
    /// The pictures of an element smaller than a device pixel (with its clearance, for the
    /// clearance): one pixel at the centre of its bounds, in the colour the exact drawing uses
    /// (the ring's, or the cross's where one is drawn, for a hole), with the same bookkeeping.
    /// A far zoom-out shows thousands of such elements; this keeps them cheap.
    void DrawElementDot(TObjekt& element, int activeLayer);
    void DrawClearanceDot(TObjekt& element, int activeLayer);
    void DrawHoleDot(const TObjekt& pad, bool cross);

    /// The rubber-band line between two connected elements, one pixel wide.
    void DrawConnection(const TObjekt& from, const TObjekt& to, ColourRef colour);

    /// The colour clearances are drawn in (background, photo background, or print colours).
    ColourRef clearanceColour(bool highlighted) const noexcept;
    const DrawSettings& settings() const noexcept { return set_; }

  private:
    struct Pass;
    void drawKind(const TObjekt& e, const Pass& pass);
    void drawClearanceKind(const TObjekt& e, ColourRef colour, std::int32_t clearance, bool highlighted);
    void drawPadCore(const TObjekt& pad, ColourRef col, bool clearanceMode, std::int64_t extra,
                     ColourRef holeColour, bool highlighted, bool selected);
    void drawPadShape(const TObjekt& pad, std::int64_t r, std::int64_t s);
    void drawCross(std::int64_t x, std::int64_t y, std::int64_t h, ColourRef colour);
    void drawTrack(const TObjekt& e, const Pass& pass, bool handles);
    void drawCircle(const TObjekt& e, double penWidth, std::int64_t radius);
    void drawFontText(const TObjekt& e, ColourRef colour);
    void drawNodeHandles(const TObjekt& e);
    void drawArcHandles(const TObjekt& e);
    void handle(TPoint centre, double radius);
    /// The nodes moved by the offset (the element's own storage when there is none).
    const TPoint* nodes(const TObjekt& e);
    TPoint at(std::int64_t x, std::int64_t y) const noexcept;
    ColourRef holeColourOf(const TObjekt& pad) const noexcept;
    TPoint centreOf(const TObjekt& e) const noexcept;
    bool hasOffset() const noexcept { return set_.offset.x != 0 || set_.offset.y != 0; }
    double pixels(double n) const noexcept { return n * canvas_.pixelUnits(); }

    Canvas& canvas_;
    DrawSettings set_;
    std::vector<TPoint> moved_; // scratch for moved nodes
};

// ---------------------------------------------------------------------------------------------
// The board

/// The photo view window's choices.
struct PhotoView {
    bool shown = false;          // the window is open: the main view is drawn in photo colours
    int side = 1;                // 1, or 2 (drawn mirrored)
    bool withComponents = false; // "Mit Bestückung": the component print too
    bool translucent = false;    // "Durchscheinend": the far side shows through
};

/// The live view state the board drawing reads.
struct RenderOptions {
    double zoom = 0.1;
    double scrollX = 0;
    double scrollY = 0;
    int activeLayer = 3;
    std::array<bool, 4> layerVisible{true, true, true, true};
    ColourScheme colours = ColourScheme::Standard();
    const RenderPatterns* patterns = nullptr; // none: made from the colours for this paint
    PhotoView photo;
    bool screen = true;            // the board background reaches two pixels past the edges
    bool autorouterActive = false; // connections between selected pads in magenta
    bool markedOnly = false;       // only the layers, holes and connections of marked elements
    bool suspended = false;        // painting is off (board switch, loading)
    /// On the screen, elements smaller than a device pixel are drawn as a single pixel.
    bool levelOfDetail = true;
    /// A mapping to draw with instead of the view's (zoom and scroll): images at a resolution.
    std::optional<CanvasMapping> mapping;

    /// Step 4: the template image of a side (1 or 2). Step 5: the grid, in the normal view only.
    /// Step 9: the milling-contour preview. Each gets the board area being repainted.
    std::function<void(Canvas&, int side, const TRect& area)> drawTemplate;
    std::function<void(Canvas&, const TRect& area)> drawGrid;
    std::function<void(Canvas&, const TRect& area)> drawContourPreview;

    /// The view fields of a board record: zoom, scroll, active layer, visible layers.
    static RenderOptions fromBoard(const TBoard& board);
    bool visible(int layer) const noexcept;
    bool mirrored() const noexcept { return photo.shown && photo.side == 2; }
};

/// The view mapping of the options (their own one, else the board view's).
CanvasMapping ViewMapping(const RenderOptions& options, const TBoard& board) noexcept;
/// Applies the view mapping of the options to the canvas.
void SetMapping(Canvas& canvas, const RenderOptions& options, const TBoard& board);
/// The work of drawing the rows of rect, gathered from the elements' bounds (board units) one
/// by one, and where to cut the rows into bands of about equal work. Several threads may each
/// gather a part and add theirs up: the work is counted in whole numbers, so the sum and the
/// cuts never depend on which thread took which elements.
class BandWork
{
  public:
    BandWork(const CanvasMapping& mapping, const QRect& rect);
    void add(const TRect& bounds) noexcept;
    void add(const BandWork& other) noexcept;
    /// bands + 1 rows, from rect's top to one past its bottom, each band at least MinCutRows
    /// high. rect must be at least that high for each band.
    std::vector<int> cuts(int bands) const;

  private:
    CanvasMapping mapping_;
    QRect rect_;
    std::vector<std::int64_t> diff_; // the change of the work per row, from each row to the next
};
/// BandWork::cuts for the elements of bounds.
std::vector<int> BandCuts(const std::vector<TRect>& bounds, const CanvasMapping& mapping, const QRect& rect,
                          int bands);
inline constexpr int MinCutRows = 16;
/// The board rectangle (units, normalised) covered by device pixels of the canvas's mapping.
TRect DeviceToBoard(const CanvasMapping& mapping, const QRect& device) noexcept;
/// The pixels to invalidate for an element: its bounds on the device, normalised, grown by 5.
QRect ElementRepaintRect(const TObjekt& element, const CanvasMapping& mapping) noexcept;

/// The colours of the photo view: background, copper, print and far side by the viewed side
/// and its ground plane.
ColourScheme PhotoColours(const ColourScheme& base, const TBoard& board, int side) noexcept;

/// The main-view pipeline: background (in the active side's copper colour when its ground plane
/// is on), restricted areas and clearances, template, grid, the layers in the order of the
/// active side with pads last, drill holes, connections, contour preview. Only the device
/// pixels of `repaint` are redrawn (a null rectangle: everything); elements whose bounds miss
/// them are skipped. Sets the canvas mapping. Elements keep their data; DrawLayer and
/// Highlight are updated as element drawing does.
void PaintBoard(Canvas& canvas, TBoard& board, const RenderOptions& options, const QRect& repaint = QRect());

/// PaintBoard on an ImageCanvas of the image limited to repaint (a null rectangle: the whole
/// image), its rows cut into bands painted side by side on the worker threads: the same
/// picture, sooner. The options' drawing callbacks are then called from several threads at
/// once, each time with a canvas of its own. Sets the drawing bookkeeping (DrawLayer,
/// Highlight) of the elements that meet the repainted pixels, as PaintBoard does. A board
/// with TrueType texts is painted on the calling thread alone.
/// With clearTo, each band first fills its pixels in that colour (the view's grey around the
/// board), so that clearing the picture is shared out too.
/// With stamps (one store for each band there may be, WorkerThreads()), band k keeps its
/// shapes' stamps in stamps[k] from one paint to the next; else each thread keeps its own.
void PaintBoardInBands(QImage& image, TBoard& board, const RenderOptions& options,
                       const QRect& repaint = QRect(), std::optional<QRgb> clearTo = std::nullopt,
                       std::span<StampStore> stamps = {});

/// The macro preview and similar lists: every layer in the order 3, 1, 4, 2 (1, 3, 2, 4 with
/// the sides exchanged), pads last, then the holes without crosses.
void PaintElementList(ElementPainter& painter, ElementList& list, bool sidesExchanged);

} // namespace trevok

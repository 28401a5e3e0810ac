#pragma once
// Canvas: the handful of drawing primitives the board drawing uses, given in board units, with
// the logical-to-device mapping of the view. One drawing routine serves the screen, images,
// printing, SVG and PDF (QPainterCanvas) and, later, metafiles.
//
// Terms:
//  - logical: board units (1/100 mm, y up), what every primitive takes.
//  - device: the pixels (or printer dots) of the target; the mapping turns one into the other
//    the way a window/viewport pair does: device = viewportOrg + (logical - windowOrg) *
//    viewportExt / windowExt, for x and y separately.
//  - pen: outlines and lines. A width in units scales with the mapping; a width in pixels does
//    not; a width that maps to less than one pixel draws one pixel wide. The inside-frame style
//    keeps the whole pen inside the bounding box of a rectangle, rounded rectangle, ellipse or
//    chord (the figure shrinks by half the pen width); lines and polylines are not affected.
//  - brush: fills closed figures: none, solid, or an 8 x 8 two-colour pattern tiled in device
//    pixels from the device position of the board origin (so a hatch stays put when the view
//    scrolls).
//  - arc and chord: GDI style: the ellipse in a bounding box, from the ray through the start
//    point anticlockwise (on the board, y up) to the ray through the end point; equal rays give
//    the whole ellipse. A chord closes the arc with the straight line between its ends.

#include "document/objekt.h"
#include "view/colours.h"

#include <QImage>
#include <QString>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace trevok
{

/// The logical-to-device mapping of a canvas, in window (logical) and viewport (device) terms.
struct CanvasMapping {
    double windowOrgX = 0;
    double windowOrgY = 0;
    double windowExtX = 1;
    double windowExtY = 1;
    double viewportOrgX = 0;
    double viewportOrgY = 0;
    double viewportExtX = 1;
    double viewportExtY = 1;

    double scaleX() const noexcept { return viewportExtX / windowExtX; }
    double scaleY() const noexcept { return viewportExtY / windowExtY; }
    double deviceX(double x) const noexcept { return viewportOrgX + (x - windowOrgX) * scaleX(); }
    double deviceY(double y) const noexcept { return viewportOrgY + (y - windowOrgY) * scaleY(); }
    double logicalX(double dx) const noexcept
    {
        return windowOrgX + (dx - viewportOrgX) * windowExtX / viewportExtX;
    }
    double logicalY(double dy) const noexcept
    {
        return windowOrgY + (dy - viewportOrgY) * windowExtY / viewportExtY;
    }
    /// Device pixels per unit (along x; the board views are isotropic).
    double unitPixels() const noexcept { return std::abs(scaleX()); }
    /// True when a figure turning anticlockwise on the board turns anticlockwise on the device
    /// too (the usual y flip); false for a mirrored mapping.
    bool keepsTurn() const noexcept { return scaleX() * scaleY() < 0; }

    /// One unit per device pixel, y flipped (board y up, device y down), origins at zero.
    static CanvasMapping identity() noexcept;
    /// The main view of a board: window extent (10000, -10000), viewport extent
    /// round(zoom * 10000) both ways, viewport origin at minus the scroll position. Mirrored (the
    /// photo view of side 2): window extent (-10000, -10000) and window origin (boardWidth, 0),
    /// so that the right board edge appears at the left.
    static CanvasMapping view(double zoom, double scrollX, double scrollY, bool mirrored = false,
                              std::int32_t boardWidth = 0) noexcept;
};

enum class PenStyle : std::uint8_t { None, Solid, Dot, InsideFrame };

struct CanvasPen {
    PenStyle style = PenStyle::Solid;
    ColourRef colour = 0;
    double width = 0; // units, or device pixels when inPixels; 0 means one pixel
    bool inPixels = false;

    static CanvasPen units(ColourRef colour, double width, PenStyle style = PenStyle::InsideFrame) noexcept
    {
        return {style, colour, width, false};
    }
    static CanvasPen pixels(ColourRef colour, double width = 1, PenStyle style = PenStyle::Solid) noexcept
    {
        return {style, colour, width, true};
    }
    static CanvasPen none() noexcept { return {PenStyle::None, 0, 0, false}; }
};

/// An 8 x 8 pixel pattern of two colours. Row r, bit (7 - c) set means pixel (c, r) takes fore.
struct PatternBrush {
    std::array<std::uint8_t, 8> rows{};
    ColourRef fore = 0;
    ColourRef back = 0;
    /// The same pattern as an image, made once by make() for the backends that tile images.
    QImage tile;

    static PatternBrush make(const std::array<std::uint8_t, 8>& rows, ColourRef fore, ColourRef back);
};

enum class BrushStyle : std::uint8_t { None, Solid, Pattern };

struct CanvasBrush {
    BrushStyle style = BrushStyle::None;
    ColourRef colour = 0;
    const PatternBrush* pattern = nullptr; // not owned; lives while the brush is in use

    static CanvasBrush none() noexcept { return {}; }
    static CanvasBrush solid(ColourRef colour) noexcept { return {BrushStyle::Solid, colour, nullptr}; }
    static CanvasBrush hatch(const PatternBrush& p) noexcept { return {BrushStyle::Pattern, p.fore, &p}; }
};

/// A font in the manner of a window-system font request.
struct CanvasFont {
    QString family = QStringLiteral("Arial");
    /// Units. Positive: the cell height (ascent plus descent); negative: the character height.
    double height = 0;
    int weight = 400;   // 400 normal, 700 bold
    int escapement = 0; // tenths of a degree, anticlockwise
};

class Canvas
{
  public:
    virtual ~Canvas() = default;

    virtual void setMapping(const CanvasMapping& m) { map_ = m; }
    const CanvasMapping& mapping() const noexcept { return map_; }
    /// Device pixels of one unit.
    double unitPixels() const noexcept { return map_.unitPixels(); }
    /// Units of one device pixel.
    double pixelUnits() const noexcept { return 1.0 / map_.unitPixels(); }

    virtual void setPen(const CanvasPen& pen) = 0;
    virtual void setBrush(const CanvasBrush& brush) = 0;

    virtual void line(TPoint a, TPoint b) = 0;
    virtual void polyline(const TPoint* points, std::size_t count) = 0;
    /// Closed, filled by the even-odd rule.
    virtual void polygon(const TPoint* points, std::size_t count) = 0;
    /// Corners in any order (64-bit so that grown figures at the coordinate limits stay exact).
    virtual void rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) = 0;
    /// cornerW, cornerH: width and height of the ellipse that rounds the corners.
    virtual void roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                           std::int64_t cornerW, std::int64_t cornerH) = 0;
    virtual void ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) = 0;
    virtual void arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                     TPoint end) = 0;
    virtual void chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                       TPoint end) = 0;
    /// Text with its top-left corner at the anchor (before turning by the escapement), on a
    /// transparent background. Glyphs stay upright on the device whatever the mapping's signs.
    virtual void text(TPoint anchor, const QString& text, const CanvasFont& font, ColourRef colour) = 0;
    /// The image stretched over the rectangle between two logical corners.
    virtual void image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                       const QImage& image) = 0;
    /// A part of a picture of `whole` pixels stretched over the rectangle: `part` holds the
    /// picture's pixels from `at` on, and only they are drawn. A canvas that can shows each
    /// device pixel as the whole picture would show it, so that parts cut for different repaints
    /// meet without a seam; this one draws the part over its share of the rectangle, rounded to
    /// whole units.
    virtual void imagePart(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
                           const QImage& part, QPoint at);
    /// One device pixel at p in the colour: the picture of a figure smaller than a pixel. Pen
    /// and brush are unspecified afterwards.
    virtual void dot(TPoint p, ColourRef colour);
    /// A hint for drawing many figures: while on, a canvas may hold figures back and write those
    /// of one colour together; turning it off writes everything held back. Whole pictures (a
    /// board, a printed sheet) turn it on for their drawing.
    virtual void setBatching(bool) {}

  protected:
    CanvasMapping map_;
};

/// Batching on for a scope: everything held back is written when the scope ends.
class CanvasBatch
{
  public:
    explicit CanvasBatch(Canvas& canvas) : c_(canvas) { c_.setBatching(true); }
    ~CanvasBatch() { c_.setBatching(false); }
    CanvasBatch(const CanvasBatch&) = delete;
    CanvasBatch& operator=(const CanvasBatch&) = delete;

  private:
    Canvas& c_;
};

} // namespace trevok

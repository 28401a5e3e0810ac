#pragma once
// The Canvas of the screen: draws straight into the pixels of a QImage (the cached picture of
// the main view), without antialiasing.
//
// Why not QPainter here: a board of 20,000 elements is mostly small filled shapes and short
// wide polylines with round ends, for which QPainter builds, strokes and flattens a path per
// call; filling the spans of those shapes directly is several times faster and keeps the full
// repaint well inside a frame. Text and images still go through QPainter.
//
// Pixel rules: device points are rounded to whole pixels; a filled figure covers the pixels
// whose centres lie inside it (even-odd for polygons); a wide line is the union of a rectangle
// per segment and a disc of the pen width at every vertex (round ends and joins); a one-pixel
// line covers the pixels a Bresenham walk between its rounded end points visits.

#include "view/canvas.h"

#include <QImage>
#include <QRect>

#include <array>
#include <vector>

namespace trevok
{

class ImageCanvas final : public Canvas
{
  public:
    /// Draws into the image, limited to clip (device pixels; a null rectangle: the whole image).
    /// The image must be Format_RGB32, Format_ARGB32 or Format_ARGB32_Premultiplied; any other
    /// format throws std::invalid_argument.
    explicit ImageCanvas(QImage& image, const QRect& clip = QRect());

    void setMapping(const CanvasMapping& m) override;
    void setPen(const CanvasPen& pen) override;
    void setBrush(const CanvasBrush& brush) override;

    void line(TPoint a, TPoint b) override;
    void polyline(const TPoint* points, std::size_t count) override;
    void polygon(const TPoint* points, std::size_t count) override;
    void rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
    void roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t cornerW,
                   std::int64_t cornerH) override;
    void ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
    void arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
             TPoint end) override;
    void chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
               TPoint end) override;
    void text(TPoint anchor, const QString& text, const CanvasFont& font, ColourRef colour) override;
    void image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
               const QImage& image) override;
    void dot(TPoint p, ColourRef colour) override;

  private:
    struct P {
        double x;
        double y;
    };
    /// What a span is filled with: one colour, or the 8 x 8 tile of a pattern.
    struct Fill {
        QRgb colour = 0;
        const QRgb* tile = nullptr;
    };
    struct Box {
        double left, top, right, bottom; // device, normalised
    };

    double devX(double x) const noexcept;
    double devY(double y) const noexcept;
    P dev(TPoint q) const noexcept { return {devX(q.x), devY(q.y)}; }
    Box box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const noexcept;
    /// The box shrunk for an inside-frame pen.
    Box figure(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const noexcept;
    bool penDraws() const noexcept { return pen.style != PenStyle::None; }
    bool wide() const noexcept { return penPixels > 1.0; }

    // Filling.
    void span(int y, double xFrom, double xTo, const Fill& f) noexcept; // centres in [xFrom, xTo)
    void fillRows(int y, int x0, int x1, const Fill& f) noexcept;       // pixels x0..x1
    void fillPolygon(const P* points, std::size_t count, const Fill& f);
    void fillEllipse(double cx, double cy, double rx, double ry, const Fill& f) noexcept;
    void fillRing(double cx, double cy, double outer, double inner, const Fill& f) noexcept;
    void fillBox(const Box& b, const Fill& f) noexcept;
    void fillSector(double cx, double cy, double outer, double inner, double startDeg, double sweepDeg,
                    const Fill& f);

    // Lines in the pen.
    void thinLine(P a, P b) noexcept;
    void capsule(P a, P b, double halfWidth, const Fill& f) noexcept;
    void stroke(const P* points, std::size_t count, bool closed);
    /// The outline of a closed figure given as a polygon, in the pen.
    void outline(const P* points, std::size_t count) { stroke(points, count, true); }

    void arcPoints(double cx, double cy, double rx, double ry, double startDeg, double sweepDeg);
    void roundRectPoints(const Box& b, double rx, double ry);
    bool arcAngles(const Box& b, TPoint start, TPoint end, double& startDeg, double& sweepDeg) const noexcept;

    QImage& img;
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int cl = 0, ct = 0, cr = 0, cb = 0; // clip: left, top inclusive; right, bottom exclusive
    double sx = 1, sy = -1, ox = 0, oy = 0;
    int brushOrgX = 0, brushOrgY = 0;

    CanvasPen pen;
    double penPixels = 1;
    Fill penFill;
    CanvasBrush brush;
    Fill brushFill;
    bool brushDraws = false;
    std::array<QRgb, 64> tile{}; // the pattern of the brush, aligned to the brush origin
    const PatternBrush* tileOf = nullptr;
    qint64 tileKey = 0;

    std::vector<P> pts;     // scratch: a figure's vertices
    std::vector<double> xs; // scratch: crossings of a scan line
};

} // namespace trevok

#pragma once
// The Canvas on a QPainter: the main view, images, printers, SVG and PDF.

#include "view/canvas.h"

#include <QBrush>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QPen>
#include <QPolygonF>

class QPainter;

namespace trevok
{

/// Draws the canvas primitives with a QPainter in device coordinates (the painter's own
/// transform, if any, applies on top). Without antialiasing, device coordinates are rounded to
/// whole pixels, so that a picture drawn in strips matches one drawn at once.
class QPainterCanvas final : public Canvas
{
  public:
    explicit QPainterCanvas(QPainter& painter, bool antialias = false);

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

    QPainter& painter() noexcept { return p_; }

  private:
    double dx(double x) const noexcept;
    double dy(double y) const noexcept;
    QPointF dev(TPoint q) const noexcept { return {dx(q.x), dy(q.y)}; }
    /// The device rectangle of a figure, shrunk for an inside-frame pen.
    QRectF figure(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const noexcept;
    /// Start angle and span, in sixteenths of a degree as QPainter counts them, of a board arc.
    void arcAngles(const QRectF& box, TPoint start, TPoint end, int& startAngle, int& span) const noexcept;
    void applyPen();
    void applyBrush();
    void fillPoints(const TPoint* points, std::size_t count);

    QPainter& p_;
    bool antialias_;
    double sx_ = 1, sy_ = -1, ox_ = 0, oy_ = 0; // device = o + logical * s
    CanvasPen penSpec_;
    CanvasBrush brushSpec_;
    bool penDirty_ = true;
    bool brushDirty_ = true;
    bool noPen_ = false;
    bool noBrush_ = true;
    double penPixels_ = 1; // the pen width on the device
    QPen qpen_;
    QBrush qbrush_;
    const PatternBrush* patternCache_ = nullptr;
    QBrush patternBrush_;
    QPolygonF buffer_; // reused for every polyline and polygon
    QFont fontCache_;
    CanvasFont fontSpec_;
    int fontPixels_ = -1;
    double fontAscent_ = 0;
    QString cellFamily_; // the family and weight cellPer100 was measured for
    bool cellBold_ = false;
    double cellPer100_ = 0; // ascent plus descent of the font at 100 pixels (0: not measured)
    struct Laid {
        QList<QGlyphRun> runs;
        double baseline = 0; // of the runs, from the top of the line
    };
    QHash<QString, Laid> glyphCache_; // texts laid out in fontCache
};

} // namespace trevok

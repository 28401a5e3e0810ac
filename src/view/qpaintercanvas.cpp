#include "view/qpaintercanvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trevok
{

namespace
{

constexpr double Pi = std::numbers::pi;

/// Visual angle of a device point about a device centre, in degrees anticlockwise on the screen.
double screenAngle(QPointF centre, QPointF q) noexcept
{
    const double a = std::atan2(centre.y() - q.y(), q.x() - centre.x()) * 180.0 / Pi;
    return a < 0 ? a + 360.0 : a;
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, bool antialias_) : p_(painter), antialias_(antialias_)
{
    p_.setRenderHint(QPainter::Antialiasing, antialias_);
    p_.setRenderHint(QPainter::TextAntialiasing, antialias_);
    qpen_.setCapStyle(Qt::RoundCap);
    qpen_.setJoinStyle(Qt::RoundJoin);
    setMapping(CanvasMapping::identity());
}

void QPainterCanvas::setMapping(const CanvasMapping& m)
{
    Canvas::setMapping(m);
    sx_ = m.scaleX();
    sy_ = m.scaleY();
    ox_ = m.viewportOrgX - m.windowOrgX * sx_;
    oy_ = m.viewportOrgY - m.windowOrgY * sy_;
    penDirty_ = true;
    brushDirty_ = true;
    // Hatches are tiled from the board origin, so that they do not crawl when the view scrolls.
    p_.setBrushOrigin(QPointF(RoundHalfEven64(ox_), RoundHalfEven64(oy_)));
}

double QPainterCanvas::dx(double x) const noexcept
{
    const double d = ox_ + x * sx_;
    return antialias_ ? d : static_cast<double>(RoundHalfEven64(d));
}

double QPainterCanvas::dy(double y) const noexcept
{
    const double d = oy_ + y * sy_;
    return antialias_ ? d : static_cast<double>(RoundHalfEven64(d));
}

void QPainterCanvas::setPen(const CanvasPen& pen)
{
    if (!penDirty_ && pen.style == penSpec_.style && pen.colour == penSpec_.colour &&
        pen.width == penSpec_.width && pen.inPixels == penSpec_.inPixels)
        return;
    penSpec_ = pen;
    penDirty_ = true;
}

void QPainterCanvas::setBrush(const CanvasBrush& brush)
{
    if (!brushDirty_ && brush.style == brushSpec_.style && brush.colour == brushSpec_.colour &&
        brush.pattern == brushSpec_.pattern)
        return;
    brushSpec_ = brush;
    brushDirty_ = true;
}

void QPainterCanvas::applyPen()
{
    if (!penDirty_)
        return;
    penDirty_ = false;
    noPen_ = penSpec_.style == PenStyle::None;
    if (noPen_) {
        p_.setPen(Qt::NoPen);
        return;
    }
    double w = penSpec_.inPixels ? penSpec_.width : std::abs(penSpec_.width * sx_);
    if (penSpec_.style == PenStyle::Dot || w < 1.0)
        w = 1.0;                       // a dotted pen, and any pen thinner than a pixel, draws one pixel wide
    penPixels_ = std::min(w, 32767.0); // QPen refuses wider pens; wider than any device anyway
    qpen_.setColor(ToQColor(penSpec_.colour));
    qpen_.setWidthF(penPixels_);
    qpen_.setStyle(penSpec_.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    p_.setPen(qpen_);
}

void QPainterCanvas::applyBrush()
{
    if (!brushDirty_)
        return;
    brushDirty_ = false;
    noBrush_ = false;
    switch (brushSpec_.style) {
    case BrushStyle::None:
        noBrush_ = true;
        p_.setBrush(Qt::NoBrush);
        return;
    case BrushStyle::Solid:
        qbrush_ = QBrush(ToQColor(brushSpec_.colour));
        p_.setBrush(qbrush_);
        return;
    case BrushStyle::Pattern:
        if (!brushSpec_.pattern) {
            noBrush_ = true;
            p_.setBrush(Qt::NoBrush);
            return;
        }
        if (patternCache_ != brushSpec_.pattern ||
            patternBrush_.textureImage().cacheKey() != brushSpec_.pattern->tile.cacheKey()) {
            patternCache_ = brushSpec_.pattern;
            patternBrush_ = QBrush(brushSpec_.pattern->tile);
        }
        p_.setBrush(patternBrush_);
        return;
    }
}

void QPainterCanvas::fillPoints(const TPoint* points, std::size_t count)
{
    buffer_.resize(static_cast<qsizetype>(count));
    QPointF* out = buffer_.data();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = dev(points[i]);
}

void QPainterCanvas::line(TPoint a, TPoint b)
{
    applyPen();
    if (noPen_)
        return;
    p_.drawLine(dev(a), dev(b));
}

void QPainterCanvas::polyline(const TPoint* points, std::size_t count)
{
    applyPen();
    if (noPen_ || count < 2)
        return;
    fillPoints(points, count);
    p_.drawPolyline(buffer_);
}

void QPainterCanvas::polygon(const TPoint* points, std::size_t count)
{
    applyPen();
    applyBrush();
    if ((noPen_ && noBrush_) || count < 2)
        return;
    fillPoints(points, count);
    p_.drawPolygon(buffer_, Qt::OddEvenFill);
}

QRectF QPainterCanvas::figure(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                              std::int64_t y2) const noexcept
{
    const double a = dx(static_cast<double>(x1));
    const double b = dx(static_cast<double>(x2));
    const double c = dy(static_cast<double>(y1));
    const double d = dy(static_cast<double>(y2));
    QRectF r(QPointF(std::min(a, b), std::min(c, d)), QPointF(std::max(a, b), std::max(c, d)));
    if (!noPen_ && penSpec_.style == PenStyle::InsideFrame && penPixels_ > 1.0) {
        const double h = std::min({penPixels_ / 2.0, r.width() / 2.0, r.height() / 2.0});
        r.adjust(h, h, -h, -h);
    }
    return r;
}

void QPainterCanvas::rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    applyPen();
    applyBrush();
    if (noPen_ && noBrush_)
        return;
    const QRectF r = figure(x1, y1, x2, y2);
    if (noPen_)
        p_.fillRect(r, p_.brush());
    else
        p_.drawRect(r);
}

void QPainterCanvas::roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                               std::int64_t cornerW, std::int64_t cornerH)
{
    applyPen();
    applyBrush();
    if (noPen_ && noBrush_)
        return;
    const QRectF r = figure(x1, y1, x2, y2);
    const double rx = std::min(std::abs(static_cast<double>(cornerW) * sx_) / 2.0, r.width() / 2.0);
    const double ry = std::min(std::abs(static_cast<double>(cornerH) * sy_) / 2.0, r.height() / 2.0);
    p_.drawRoundedRect(r, rx, ry, Qt::AbsoluteSize);
}

void QPainterCanvas::ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    applyPen();
    applyBrush();
    if (noPen_ && noBrush_)
        return;
    p_.drawEllipse(figure(x1, y1, x2, y2));
}

void QPainterCanvas::arcAngles(const QRectF& box, TPoint start, TPoint end, int& startAngle,
                               int& span) const noexcept
{
    const QPointF c = box.center();
    // The rays are taken from the unrounded device positions, so that their angles stay exact.
    const QPointF s(ox_ + start.x * sx_, oy_ + start.y * sy_);
    const QPointF e(ox_ + end.x * sx_, oy_ + end.y * sy_);
    const double a = screenAngle(c, s);
    const double b = screenAngle(c, e);
    // A board turn anticlockwise stays anticlockwise on the screen unless the mapping mirrors.
    double sweep = map_.keepsTurn() ? b - a : a - b;
    while (sweep <= 1e-9)
        sweep += 360.0;
    if (sweep > 360.0 - 1e-9)
        sweep = 360.0;
    startAngle = static_cast<int>(RoundHalfEven64(a * 16.0));
    span = static_cast<int>(RoundHalfEven64(sweep * 16.0));
    if (!map_.keepsTurn())
        span = -span;
}

void QPainterCanvas::arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                         TPoint end)
{
    applyPen();
    if (noPen_)
        return;
    // An arc is a line: the inside-frame rule does not move it.
    const QRectF box(QPointF(std::min(dx(x1), dx(x2)), std::min(dy(y1), dy(y2))),
                     QPointF(std::max(dx(x1), dx(x2)), std::max(dy(y1), dy(y2))));
    int a = 0, span = 0;
    arcAngles(box, start, end, a, span);
    p_.drawArc(box, a, span);
}

void QPainterCanvas::chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                           TPoint end)
{
    applyPen();
    applyBrush();
    if (noPen_ && noBrush_)
        return;
    const QRectF box = figure(x1, y1, x2, y2);
    int a = 0, span = 0;
    arcAngles(box, start, end, a, span);
    if (std::abs(span) >= 360 * 16)
        p_.drawEllipse(box);
    else
        p_.drawChord(box, a, span);
}

void QPainterCanvas::text(TPoint anchor, const QString& s, const CanvasFont& font, ColourRef colour)
{
    if (s.isEmpty() || font.height == 0)
        return;
    const bool bold = font.weight >= 600;
    double h = std::abs(font.height * sy_);
    if (font.height > 0) {
        // A cell height: the em size is the part of the cell without the font's leading.
        // Measured once per family and weight: labels come by the thousand.
        if (cellPer100_ == 0 || font.family != cellFamily_ || bold != cellBold_) {
            QFont probe(font.family);
            probe.setPixelSize(100);
            probe.setWeight(bold ? QFont::Bold : QFont::Normal);
            const QFontMetricsF fm(probe);
            cellFamily_ = font.family;
            cellBold_ = bold;
            cellPer100_ = std::max(1.0, fm.ascent() + fm.descent());
        }
        h = h * 100.0 / cellPer100_;
    }
    const int pixels = static_cast<int>(RoundHalfEven64(h));
    if (pixels < 1)
        return;
    if (pixels != fontPixels_ || font.family != fontSpec_.family || bold != (fontSpec_.weight >= 600)) {
        fontCache_ = QFont(font.family);
        fontCache_.setPixelSize(pixels);
        fontCache_.setWeight(bold ? QFont::Bold : QFont::Normal);
        fontSpec_ = font;
        fontPixels_ = pixels;
        fontAscent_ = QFontMetricsF(fontCache_).ascent();
        glyphCache_.clear();
    }
    // The glyphs of a text are laid out once per font: a drill plan repeats a few labels
    // thousands of times, and laying out text costs far more than drawing its glyphs.
    auto found = glyphCache_.constFind(s);
    if (found == glyphCache_.constEnd()) {
        if (glyphCache_.size() >= 512)
            glyphCache_.clear();
        QTextLayout layout(s, fontCache_);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        Laid laid;
        laid.runs = layout.glyphRuns();
        laid.baseline = line.isValid() ? line.ascent() : fontAscent_;
        found = glyphCache_.insert(s, laid);
    }
    p_.save();
    p_.setPen(ToQColor(colour));
    p_.translate(dev(anchor));
    if (font.escapement != 0)
        p_.rotate(-font.escapement / 10.0);
    // The runs lie with their baseline at the line's ascent; the text's at the font's.
    const QPointF at(0, fontAscent_ - found->baseline);
    for (const QGlyphRun& run : found->runs)
        p_.drawGlyphRun(at, run);
    p_.restore();
    penDirty_ = true; // restore() brought back the painter's pen, not necessarily ours
    brushDirty_ = true;
}

void QPainterCanvas::image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                           const QImage& img)
{
    if (img.isNull())
        return;
    // Row 0 of the image lies at the upper board edge of the rectangle, column 0 at its left.
    const double left = static_cast<double>(std::min(x1, x2));
    const double right = static_cast<double>(std::max(x1, x2));
    const double top = static_cast<double>(std::max(y1, y2));
    const double bottom = static_cast<double>(std::min(y1, y2));
    const double w = img.width();
    const double h = img.height();
    const QTransform t((ox_ + right * sx_ - (ox_ + left * sx_)) / w, 0, 0,
                       (oy_ + bottom * sy_ - (oy_ + top * sy_)) / h, ox_ + left * sx_, oy_ + top * sy_);
    p_.save();
    p_.setTransform(t, true);
    p_.drawImage(QPointF(0, 0), img);
    p_.restore();
    penDirty_ = true;
    brushDirty_ = true;
}

} // namespace trevok

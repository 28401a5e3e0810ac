#include "view/qpaintercanvas.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

constexpr double Pi = 3.14159265358979323846;

/// Visual angle of a device point about a device centre, in degrees anticlockwise on the screen.
double screenAngle(QPointF centre, QPointF q) noexcept
{
    const double a = std::atan2(centre.y() - q.y(), q.x() - centre.x()) * 180.0 / Pi;
    return a < 0 ? a + 360.0 : a;
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, bool antialias_) : p(painter), antialias(antialias_)
{
    p.setRenderHint(QPainter::Antialiasing, antialias);
    p.setRenderHint(QPainter::TextAntialiasing, antialias);
    qpen.setCapStyle(Qt::RoundCap);
    qpen.setJoinStyle(Qt::RoundJoin);
    setMapping(CanvasMapping::identity());
}

void QPainterCanvas::setMapping(const CanvasMapping& m)
{
    Canvas::setMapping(m);
    sx = m.scaleX();
    sy = m.scaleY();
    ox = m.viewportOrgX - m.windowOrgX * sx;
    oy = m.viewportOrgY - m.windowOrgY * sy;
    penDirty = true;
    brushDirty = true;
    // Hatches are tiled from the board origin, so that they do not crawl when the view scrolls.
    p.setBrushOrigin(QPointF(RoundHalfEven64(ox), RoundHalfEven64(oy)));
}

double QPainterCanvas::dx(double x) const noexcept
{
    const double d = ox + x * sx;
    return antialias ? d : static_cast<double>(RoundHalfEven64(d));
}

double QPainterCanvas::dy(double y) const noexcept
{
    const double d = oy + y * sy;
    return antialias ? d : static_cast<double>(RoundHalfEven64(d));
}

void QPainterCanvas::setPen(const CanvasPen& pen)
{
    if (!penDirty && pen.style == penSpec.style && pen.colour == penSpec.colour &&
        pen.width == penSpec.width && pen.inPixels == penSpec.inPixels)
        return;
    penSpec = pen;
    penDirty = true;
}

void QPainterCanvas::setBrush(const CanvasBrush& brush)
{
    if (!brushDirty && brush.style == brushSpec.style && brush.colour == brushSpec.colour &&
        brush.pattern == brushSpec.pattern)
        return;
    brushSpec = brush;
    brushDirty = true;
}

void QPainterCanvas::applyPen()
{
    if (!penDirty)
        return;
    penDirty = false;
    noPen = penSpec.style == PenStyle::None;
    if (noPen) {
        p.setPen(Qt::NoPen);
        return;
    }
    double w = penSpec.inPixels ? penSpec.width : std::abs(penSpec.width * sx);
    if (penSpec.style == PenStyle::Dot || w < 1.0)
        w = 1.0;                      // a dotted pen, and any pen thinner than a pixel, draws one pixel wide
    penPixels = std::min(w, 32767.0); // QPen refuses wider pens; wider than any device anyway
    qpen.setColor(ToQColor(penSpec.colour));
    qpen.setWidthF(penPixels);
    qpen.setStyle(penSpec.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    p.setPen(qpen);
}

void QPainterCanvas::applyBrush()
{
    if (!brushDirty)
        return;
    brushDirty = false;
    noBrush = false;
    switch (brushSpec.style) {
    case BrushStyle::None:
        noBrush = true;
        p.setBrush(Qt::NoBrush);
        return;
    case BrushStyle::Solid:
        qbrush = QBrush(ToQColor(brushSpec.colour));
        p.setBrush(qbrush);
        return;
    case BrushStyle::Pattern:
        if (!brushSpec.pattern) {
            noBrush = true;
            p.setBrush(Qt::NoBrush);
            return;
        }
        if (patternCache != brushSpec.pattern ||
            patternBrush.textureImage().cacheKey() != brushSpec.pattern->tile.cacheKey()) {
            patternCache = brushSpec.pattern;
            patternBrush = QBrush(brushSpec.pattern->tile);
        }
        p.setBrush(patternBrush);
        return;
    }
}

void QPainterCanvas::fillPoints(const TPoint* points, std::size_t count)
{
    buffer.resize(static_cast<qsizetype>(count));
    QPointF* out = buffer.data();
    for (std::size_t i = 0; i < count; ++i)
        out[i] = dev(points[i]);
}

void QPainterCanvas::line(TPoint a, TPoint b)
{
    applyPen();
    if (noPen)
        return;
    p.drawLine(dev(a), dev(b));
}

void QPainterCanvas::polyline(const TPoint* points, std::size_t count)
{
    applyPen();
    if (noPen || count < 2)
        return;
    fillPoints(points, count);
    p.drawPolyline(buffer);
}

void QPainterCanvas::polygon(const TPoint* points, std::size_t count)
{
    applyPen();
    applyBrush();
    if ((noPen && noBrush) || count < 2)
        return;
    fillPoints(points, count);
    p.drawPolygon(buffer, Qt::OddEvenFill);
}

QRectF QPainterCanvas::figure(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                              std::int64_t y2) const noexcept
{
    const double a = dx(static_cast<double>(x1));
    const double b = dx(static_cast<double>(x2));
    const double c = dy(static_cast<double>(y1));
    const double d = dy(static_cast<double>(y2));
    QRectF r(QPointF(std::min(a, b), std::min(c, d)), QPointF(std::max(a, b), std::max(c, d)));
    if (!noPen && penSpec.style == PenStyle::InsideFrame && penPixels > 1.0) {
        const double h = std::min({penPixels / 2.0, r.width() / 2.0, r.height() / 2.0});
        r.adjust(h, h, -h, -h);
    }
    return r;
}

void QPainterCanvas::rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    applyPen();
    applyBrush();
    if (noPen && noBrush)
        return;
    const QRectF r = figure(x1, y1, x2, y2);
    if (noPen)
        p.fillRect(r, p.brush());
    else
        p.drawRect(r);
}

void QPainterCanvas::roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                               std::int64_t cornerW, std::int64_t cornerH)
{
    applyPen();
    applyBrush();
    if (noPen && noBrush)
        return;
    const QRectF r = figure(x1, y1, x2, y2);
    const double rx = std::min(std::abs(static_cast<double>(cornerW) * sx) / 2.0, r.width() / 2.0);
    const double ry = std::min(std::abs(static_cast<double>(cornerH) * sy) / 2.0, r.height() / 2.0);
    p.drawRoundedRect(r, rx, ry, Qt::AbsoluteSize);
}

void QPainterCanvas::ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    applyPen();
    applyBrush();
    if (noPen && noBrush)
        return;
    p.drawEllipse(figure(x1, y1, x2, y2));
}

void QPainterCanvas::arcAngles(const QRectF& box, TPoint start, TPoint end, int& startAngle,
                               int& span) const noexcept
{
    const QPointF c = box.center();
    // The rays are taken from the unrounded device positions, so that their angles stay exact.
    const QPointF s(ox + start.x * sx, oy + start.y * sy);
    const QPointF e(ox + end.x * sx, oy + end.y * sy);
    const double a = screenAngle(c, s);
    const double b = screenAngle(c, e);
    // A board turn anticlockwise stays anticlockwise on the screen unless the mapping mirrors.
    double sweep = map.keepsTurn() ? b - a : a - b;
    while (sweep <= 1e-9)
        sweep += 360.0;
    if (sweep > 360.0 - 1e-9)
        sweep = 360.0;
    startAngle = static_cast<int>(RoundHalfEven64(a * 16.0));
    span = static_cast<int>(RoundHalfEven64(sweep * 16.0));
    if (!map.keepsTurn())
        span = -span;
}

void QPainterCanvas::arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                         TPoint end)
{
    applyPen();
    if (noPen)
        return;
    // An arc is a line: the inside-frame rule does not move it.
    const QRectF box(QPointF(std::min(dx(x1), dx(x2)), std::min(dy(y1), dy(y2))),
                     QPointF(std::max(dx(x1), dx(x2)), std::max(dy(y1), dy(y2))));
    int a = 0, span = 0;
    arcAngles(box, start, end, a, span);
    p.drawArc(box, a, span);
}

void QPainterCanvas::chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                           TPoint end)
{
    applyPen();
    applyBrush();
    if (noPen && noBrush)
        return;
    const QRectF box = figure(x1, y1, x2, y2);
    int a = 0, span = 0;
    arcAngles(box, start, end, a, span);
    if (std::abs(span) >= 360 * 16)
        p.drawEllipse(box);
    else
        p.drawChord(box, a, span);
}

void QPainterCanvas::text(TPoint anchor, const QString& s, const CanvasFont& font, ColourRef colour)
{
    if (s.isEmpty() || font.height == 0)
        return;
    const bool bold = font.weight >= 600;
    double h = std::abs(font.height * sy);
    if (font.height > 0) {
        // A cell height: the em size is the part of the cell without the font's leading.
        // Measured once per family and weight: labels come by the thousand.
        if (cellPer100 == 0 || font.family != cellFamily || bold != cellBold) {
            QFont probe(font.family);
            probe.setPixelSize(100);
            probe.setWeight(bold ? QFont::Bold : QFont::Normal);
            const QFontMetricsF fm(probe);
            cellFamily = font.family;
            cellBold = bold;
            cellPer100 = std::max(1.0, fm.ascent() + fm.descent());
        }
        h = h * 100.0 / cellPer100;
    }
    const int pixels = static_cast<int>(RoundHalfEven64(h));
    if (pixels < 1)
        return;
    if (pixels != fontPixels || font.family != fontSpec.family || bold != (fontSpec.weight >= 600)) {
        fontCache = QFont(font.family);
        fontCache.setPixelSize(pixels);
        fontCache.setWeight(bold ? QFont::Bold : QFont::Normal);
        fontSpec = font;
        fontPixels = pixels;
        fontAscent = QFontMetricsF(fontCache).ascent();
        glyphCache.clear();
    }
    // The glyphs of a text are laid out once per font: a drill plan repeats a few labels
    // thousands of times, and laying out text costs far more than drawing its glyphs.
    auto found = glyphCache.constFind(s);
    if (found == glyphCache.constEnd()) {
        if (glyphCache.size() >= 512)
            glyphCache.clear();
        QTextLayout layout(s, fontCache);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        Laid laid;
        laid.runs = layout.glyphRuns();
        laid.baseline = line.isValid() ? line.ascent() : fontAscent;
        found = glyphCache.insert(s, laid);
    }
    p.save();
    p.setPen(ToQColor(colour));
    p.translate(dev(anchor));
    if (font.escapement != 0)
        p.rotate(-font.escapement / 10.0);
    // The runs lie with their baseline at the line's ascent; the text's at the font's.
    const QPointF at(0, fontAscent - found->baseline);
    for (const QGlyphRun& run : found->runs)
        p.drawGlyphRun(at, run);
    p.restore();
    penDirty = true; // restore() brought back the painter's pen, not necessarily ours
    brushDirty = true;
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
    const QTransform t((ox + right * sx - (ox + left * sx)) / w, 0, 0,
                       (oy + bottom * sy - (oy + top * sy)) / h, ox + left * sx, oy + top * sy);
    p.save();
    p.setTransform(t, true);
    p.drawImage(QPointF(0, 0), img);
    p.restore();
    penDirty = true;
    brushDirty = true;
}

} // namespace trevok

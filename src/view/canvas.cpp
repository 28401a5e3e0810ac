#include "view/canvas.h"

#include "document/objekt.h"

#include <algorithm>

namespace trevok
{

CanvasMapping CanvasMapping::identity() noexcept
{
    CanvasMapping m;
    m.windowExtY = -1;
    return m;
}

CanvasMapping CanvasMapping::view(double zoom, double scrollX, double scrollY, bool mirrored,
                                  std::int32_t boardWidth) noexcept
{
    CanvasMapping m;
    const double extent = RoundHalfEven(zoom * 10000.0);
    m.windowExtX = mirrored ? -10000.0 : 10000.0;
    m.windowExtY = -10000.0;
    m.windowOrgX = mirrored ? static_cast<double>(boardWidth) : 0.0;
    m.windowOrgY = 0;
    m.viewportExtX = extent > 0 ? extent : 1.0;
    m.viewportExtY = m.viewportExtX;
    m.viewportOrgX = -scrollX;
    m.viewportOrgY = -scrollY;
    return m;
}

PatternBrush PatternBrush::make(const std::array<std::uint8_t, 8>& rows, ColourRef fore, ColourRef back)
{
    PatternBrush p;
    p.rows = rows;
    p.fore = fore;
    p.back = back;
    p.tile = QImage(8, 8, QImage::Format_RGB32);
    const QRgb f = ToQColor(fore).rgb();
    const QRgb b = ToQColor(back).rgb();
    for (int r = 0; r < 8; ++r) {
        auto* line = reinterpret_cast<QRgb*>(p.tile.scanLine(r));
        for (int c = 0; c < 8; ++c)
            line[c] = (rows[static_cast<std::size_t>(r)] >> (7 - c)) & 1 ? f : b;
    }
    return p;
}

void Canvas::imagePart(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
                       const QImage& part, QPoint at)
{
    const std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
    const std::int64_t upper = std::max(y1, y2), lower = std::min(y1, y2);
    if (whole.isEmpty() || right == left || upper == lower)
        return;
    const double fx = whole.width() / static_cast<double>(right - left); // pixels per unit
    const double fy = whole.height() / static_cast<double>(upper - lower);
    image(left + RoundHalfEven64(at.x() / fx), upper - RoundHalfEven64(at.y() / fy),
          left + RoundHalfEven64((at.x() + part.width()) / fx),
          upper - RoundHalfEven64((at.y() + part.height()) / fy), part);
}

void Canvas::dot(TPoint p, ColourRef colour)
{
    setPen(CanvasPen::pixels(colour, 1));
    line(p, p);
}

} // namespace trevok

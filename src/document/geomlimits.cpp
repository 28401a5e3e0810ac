#include "document/geomlimits.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trevok
{

int ArcSteps(double nominal, double radius, double spanRadians) noexcept
{
    const double r = std::abs(radius);
    if (!(nominal >= 1.0))
        nominal = 1.0;
    if (r <= BoardScaleRadius)
        return static_cast<int>(std::min(nominal, 4.0 * BoardScaleRadius));
    double chords = 1.0;
    if (r > 0.5 && std::isfinite(r)) {
        // A chord of angle a lies r (1 - cos(a/2)) inside the arc; keep that at half a unit.
        const double angle = 2.0 * std::acos(1.0 - 0.5 / r);
        const double span = std::isfinite(spanRadians)
                                ? std::min(std::abs(spanRadians), 2.0 * std::numbers::pi)
                                : 2.0 * std::numbers::pi;
        chords = std::max(1.0, std::ceil(span / angle));
    }
    return static_cast<int>(std::min({nominal, chords, static_cast<double>(MaxArcSteps)}));
}

std::int64_t ElementReach(const TObjekt& e) noexcept
{
    const auto mag = [](std::int64_t v) { return v < 0 ? -v : v; };
    std::int64_t far = std::max({mag(e.X), mag(e.Y), mag(e.Size1), mag(e.Size2)});
    for (const TPoint& p : e.Points)
        far = std::max({far, mag(p.x), mag(p.y)});
    std::int64_t strokes = 0;
    for (const TObjekt& s : e.Strokes) {
        std::int64_t r = mag(s.Width);
        for (const TPoint& p : s.Points)
            r = std::max({r, mag(p.x) + mag(s.Width), mag(p.y) + mag(s.Width)});
        strokes = std::max(strokes, r);
    }
    // Size1 and Size2 are corners for some kinds and radii or widths for others; a wide pad
    // reaches twice its radius. Counting them both ways keeps the bound safe for every kind.
    const std::int64_t grow = 2 * (mag(e.Size1) + mag(e.Size2)) + mag(e.Width) + mag(e.Clearance);
    return std::max(far + grow, strokes);
}

} // namespace trevok

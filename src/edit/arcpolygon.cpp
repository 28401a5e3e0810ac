#include "edit/editcommands.h"

#include "document/undo.h"
#include "edit/commandhelpers.h"

#include <algorithm>
#include <cmath>

// The settings of circle arcs and the regular polygon generator.

namespace trevok
{

using namespace edit;

namespace
{

/// The mean radius of a ring as the arc dialog shows it: inner + round((outer - inner) / 2).
std::int64_t meanRadius(const TObjekt& circle) noexcept
{
    const std::int64_t inner = circle.Size2;
    return inner + RoundHalfEven64(static_cast<double>(std::int64_t{circle.Size1} - inner) / 2.0);
}

/// An angle of the dialog, 0..359; 360 (which a top-bottom mirror leaves) is the direction 0.
std::int32_t dialogAngle(std::int64_t a) noexcept
{
    return static_cast<std::int32_t>(((a % 360) + 360) % 360);
}

/// The smallest mean radius the dialog offers (a diameter of 0.10 mm).
constexpr std::int64_t kMinMeanRadius = 5;

double limited(double v, double lo, double hi, double fallback) noexcept
{
    if (std::isnan(v))
        return fallback;
    return std::clamp(v, lo, hi);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Arc dialog

std::optional<ArcSettings> arcDialogValues(const TBoard& board)
{
    std::optional<ArcSettings> s;
    for (const auto& e : board.Elements) {
        if (!e->Selected || e->Kind != KindCircle)
            continue;
        ArcSettings v;
        v.startAngle = dialogAngle(e->Angle);
        v.stopAngle = dialogAngle(e->Width);
        v.shownMeanRadius = Saturate32(meanRadius(*e));
        v.diameterMm = v.shownMeanRadius / 50.0;
        v.filled = e->Filled != 0;
        s = v;
    }
    return s;
}

EditResult applyArcSettings(TProject& project, const ArcSettings& settings)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    const std::int32_t start = dialogAngle(settings.startAngle);
    const std::int32_t stop = dialogAngle(settings.stopAngle);
    const double diameter =
        limited(settings.diameterMm, MinArcDiameterMm, MaxArcDiameterMm, settings.shownMeanRadius / 50.0);
    // Every circle changes its radii by the same amount, the one that brings the circle that
    // was shown to the entered diameter.
    const std::int64_t delta = RoundHalfEven64(diameter * 50.0) - settings.shownMeanRadius;

    for (auto& ep : board->Elements) {
        TObjekt& e = *ep;
        if (!e.Selected || e.Kind != KindCircle)
            continue;
        // A smaller circle shifted by the same amount could lose its ring altogether: no circle
        // is made smaller than the smallest diameter the dialog offers (one already below it is
        // not made smaller still).
        const std::int64_t d = std::max(delta, std::min<std::int64_t>(0, kMinMeanRadius - meanRadius(e)));
        const std::int32_t outer = Saturate32(std::max<std::int64_t>(0, e.Size1 + d));
        // A negative inner radius would mean the same disc as 0.
        const std::int32_t inner = Saturate32(std::max<std::int64_t>(0, e.Size2 + d));
        const std::uint8_t filled = settings.filled ? 1 : 0;
        if (e.Angle == start && e.Width == stop && e.Filled == filled && e.Size1 == outer && e.Size2 == inner)
            continue;
        includeElement(result, e);
        e.Angle = start;
        e.Width = stop;
        e.Filled = filled;
        e.Size1 = outer;
        e.Size2 = inner;
        e.RegionCache.reset();
        includeElement(result, e);
        result.changed = true;
    }
    if (result.changed) {
        // No undo step is kept for the arc settings, but the change must still be saved, and
        // whatever was computed from the old circles is out of date.
        project.Modified = true;
        if (project.DiscardListDerivedViews)
            project.DiscardListDerivedViews();
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Regular polygon

PolygonSettings limitPolygonSettings(PolygonSettings s) noexcept
{
    const PolygonSettings defaults;
    s.corners = std::clamp(s.corners, 3, 99);
    s.radiusMm = limited(s.radiusMm, 1.0, 99.9, defaults.radiusMm);
    s.angleOffset = limited(s.angleOffset, -180.0, 180.0, defaults.angleOffset);
    s.lineWidthMm = limited(s.lineWidthMm, 0.0, 99.9, defaults.lineWidthMm);
    return s;
}

std::vector<TPoint> regularPolygonCorners(TPoint centre, const PolygonSettings& settings)
{
    const PolygonSettings s = limitPolygonSettings(settings);
    const int n = s.corners;
    std::vector<TPoint> corners;
    corners.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        const double phi = 360.0 / n * i + s.angleOffset;
        const std::int64_t dx = RoundHalfEven64(CosDegrees(phi) * s.radiusMm * 100.0);
        const std::int64_t dy = RoundHalfEven64(SinDegrees(phi) * s.radiusMm * 100.0);
        corners.push_back({Saturate32(centre.x + dx), Saturate32(centre.y + dy)});
    }
    // The last corner is the first again (not recomputed at 360 degrees, where the sum of the
    // angle steps may miss the first corner by a rounding).
    corners.push_back(corners.front());
    return corners;
}

std::unique_ptr<TObjekt> makeRegularPolygon(TPoint centre, const PolygonSettings& settings,
                                            std::uint8_t layer, std::int32_t clearance, bool restricted)
{
    const PolygonSettings s = limitPolygonSettings(settings);
    const std::int32_t width = RoundHalfEven(s.lineWidthMm * 100.0);
    std::unique_ptr<TObjekt> e = s.filled ? NewArea(width, layer) : NewTrack(width, layer);
    e->Clearance = clearance;
    if (s.filled && restricted) {
        e->Restricted = 1;
        EnforceElementInvariants(*e);
    }
    for (TPoint p : regularPolygonCorners(centre, s))
        AddPoint(*e, p);
    return e;
}

EditResult placeRegularPolygon(TProject& project, TPoint centre, const PolygonSettings& settings,
                               std::uint8_t layer, std::int32_t clearance, bool restricted)
{
    EditResult result;
    TBoard* board = project.currentBoard();
    if (!board)
        return result;
    auto polygon = makeRegularPolygon(centre, settings, layer, clearance, restricted);
    PushUndo(project);
    includeElement(result, *polygon);
    board->Elements.push_back(std::move(polygon));
    result.changed = true;
    return result;
}

} // namespace trevok

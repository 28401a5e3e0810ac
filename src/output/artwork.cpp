#include "output/artwork.h"

#include <algorithm>

namespace trevok
{
namespace
{

Region smdRect(const TObjekt& e, std::int64_t hx, std::int64_t hy)
{
    return Region::rectangle(static_cast<std::int64_t>(e.X) - hx, static_cast<std::int64_t>(e.Y) - hy,
                             static_cast<std::int64_t>(e.X) + hx, static_cast<std::int64_t>(e.Y) + hy);
}

Region outlineRegion(const TBoard& b)
{
    const TPoint c[5] = {
        {0, 0}, {b.BoardWidth, 0}, {b.BoardWidth, -b.BoardHeight}, {0, -b.BoardHeight}, {0, 0}};
    Region r;
    for (int i = 0; i < 4; ++i) {
        const auto cap = Capsule(c[i], c[i + 1], 20);
        RPath p;
        for (const TPoint& v : cap)
            p.push_back({v.x, v.y});
        r.unite(Region::polygon(std::move(p)));
    }
    return r;
}

RPoint onCircle(const TObjekt& e, std::int64_t radius, double angle)
{
    const double r = static_cast<double>(radius);
    return {e.X + RoundHalfEven64(r * CosDegrees(angle)), e.Y + RoundHalfEven64(r * SinDegrees(angle))};
}

/// A filled circle as the drawing paints it: a chord of the middle circle, outlined with a pen
/// of the ring's width (grown by k on each side) that runs on the middle circle and joins round.
/// So it is the band of the arc with its round ends, the chord's inside, and the stroke along
/// the chord's straight edge.
Region filledCircle(const TObjekt& e, std::int64_t k)
{
    const std::int64_t ringWidth = static_cast<std::int64_t>(e.Size1) - e.Size2;
    if (IsFullCircle(e))
        return Region::disc(e.X, e.Y, e.Size1 + k);
    TObjekt band = e;
    band.Filled = 0;
    band.Size1 = Saturate32(e.Size1 + k);
    band.Size2 = Saturate32(std::max<std::int64_t>(0, e.Size2 - k));
    Region r = ElementRegion(band);

    const std::int64_t mid = e.Size1 - RoundHalfEven64(static_cast<double>(ringWidth) / 2.0);
    const double start = static_cast<double>(e.Angle);
    double span = static_cast<double>(e.Width) - start;
    while (span <= 0)
        span += 360.0;
    // Vertices close enough that the chord's curved side stays within half a unit of the circle.
    const int steps =
        std::max(2, Region::discVertexCount(static_cast<double>(mid)) * static_cast<int>(span) / 360 + 1);
    RPath chord;
    for (int i = 0; i <= steps; ++i)
        chord.push_back(onCircle(e, mid, start + span * i / steps));
    r.unite(Region::polygon(std::move(chord)));

    const RPoint a = onCircle(e, mid, start), b = onCircle(e, mid, static_cast<double>(e.Width));
    RPath capsule;
    for (const TPoint& v : Capsule({Saturate32(a.x), Saturate32(a.y)}, {Saturate32(b.x), Saturate32(b.y)},
                                   Saturate32(ringWidth + 2 * k)))
        capsule.push_back({v.x, v.y});
    r.unite(Region::polygon(std::move(capsule)));
    return r;
}

/// The region an element leaves dark in the normal pass (nothing for bare holes, restricted
/// areas and old font texts).
Region plotted(const TObjekt& e)
{
    if (e.Kind == KindFontText || (e.Kind == KindArea && e.Restricted) ||
        (e.Kind == KindPad && e.Size1 == e.Size2))
        return {};
    if (e.Kind == KindCircle && e.Filled)
        return filledCircle(e, 0);
    return ElementRegion(e);
}

} // namespace

Region ClearanceRegion(const TObjekt& e)
{
    const std::int64_t k = e.Clearance;
    switch (e.Kind) {
    case KindPad:
        return PadOutline(e, k);
    case KindSmdPad:
        return smdRect(e, RoundHalfEven64(e.Size1 / 2.0) + k, RoundHalfEven64(e.Size2 / 2.0) + k);
    case KindArea:
        if (e.Restricted)
            return ElementRegion(e);
        [[fallthrough]];
    case KindLine:
    case KindTrack: {
        TObjekt grown = e;
        grown.Width = Saturate32(e.Width + 2 * k);
        return ElementRegion(grown);
    }
    case KindCircle: {
        if (e.Filled)
            return filledCircle(e, k);
        TObjekt grown = e;
        grown.Size1 = Saturate32(e.Size1 + k);
        grown.Size2 = Saturate32(std::max<std::int64_t>(0, e.Size2 - k));
        return ElementRegion(grown);
    }
    case KindLayoutText: {
        Region r;
        for (const TObjekt& s : e.Strokes)
            r.unite(ClearanceRegion(s));
        return r;
    }
    case KindFontText: {
        const TRect b = Bounds(e);
        return Region::rectangle(b.left, b.top, b.right, b.bottom);
    }
    default:
        return {};
    }
}

Region LayerArtwork(const TBoard& b, const GerberOptions& o)
{
    Region dark;
    const Region boardRect = Region::rectangle(0, -static_cast<std::int64_t>(b.BoardHeight), b.BoardWidth, 0);
    if (o.outline)
        dark.unite(outlineRegion(b));

    if (o.layer == GerberLayer::LStop1 || o.layer == GerberLayer::LStop2) {
        const std::uint8_t copper = o.layer == GerberLayer::LStop1 ? 1 : 3;
        const std::int64_t off = RoundHalfEven64(o.padOffsetMm * 100.0);
        const double s = o.smdOffsetMm * 100.0;
        Region openings;
        for (const auto& e : b.Elements) {
            if (e->Layer != copper)
                continue;
            if (e->Kind == KindPad && o.pads)
                openings.unite(PadOutline(*e, off));
            else if (e->Kind == KindSmdPad && o.smdPads)
                openings.unite(
                    smdRect(*e, RoundHalfEven64(s + e->Size1 / 2.0), RoundHalfEven64(s + e->Size2 / 2.0)));
        }
        if (o.invert)
            return dark.united(boardRect).subtracted(openings);
        return dark.united(openings);
    }

    const bool plane =
        (o.layer == GerberLayer::K1 && b.GroundPlane1) || (o.layer == GerberLayer::K2 && b.GroundPlane2);
    if (plane) {
        Region cleared;
        for (const auto& e : b.Elements)
            if (OnGerberLayer(*e, o.layer) && e->Kind != KindFontText)
                cleared.unite(ClearanceRegion(*e));
        dark = dark.united(boardRect).subtracted(cleared);
    }
    for (const auto& e : b.Elements)
        if (OnGerberLayer(*e, o.layer))
            dark.unite(plotted(*e));
    if (o.punchHoles) {
        Region holes;
        for (const auto& e : b.Elements)
            if (e->Kind == KindPad && OnGerberLayer(*e, o.layer))
                holes.unite(Region::disc(e->X, e->Y, o.markHoles ? 15 : e->Size2));
        dark = dark.subtracted(holes);
    }
    return dark;
}

} // namespace trevok

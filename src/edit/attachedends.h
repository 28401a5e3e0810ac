#pragma once
// Tracks that stay on moved pads. When the selection is moved, turned or mirrored, the ends of
// tracks (and of lines drawn on copper) that lie on the copper of a selected pad go with the pad;
// only those end points move, so the segment next to each of them stretches.
//
// Terms used here:
//  - attached end: the first or last corner of an unselected track, or either end point of an
//    unselected line on a copper layer, that lies inside the outline of a selected pad or SMD pad
//    on the same copper layer, or on either copper layer when the pad is one of a through-plated
//    pair. A selected track moves whole and has no attached ends.
//  - follow: the end point is transformed exactly as the pads are (moved by the same offset,
//    turned or mirrored about the same point), so it keeps its place on the pad's copper.
// Nothing else of the track changes: an autorouted track keeps its route ends and stays a route.

#include "document/objekt.h"
#include "document/project.h"

#include <vector>

namespace trevok
{

/// One end of a track or copper line that follows the selection.
struct AttachedEnd {
    TObjekt* element = nullptr; // a track (kind 6) or a line (kind 1), not selected
    bool last = false;          // track: the last corner (else the first); line: (Size1, Size2) (else (X, Y))
};

/// Every attached end of the board's unselected tracks and copper lines, in board order (a track
/// whose both ends lie on selected pads appears twice).
std::vector<AttachedEnd> attachedEnds(const TBoard& board);

/// The position of an end.
TPoint endPoint(const AttachedEnd& end) noexcept;
/// Puts the end at p. A line is left as it is otherwise; moveAttachedEnds normalises it.
void setEndPoint(const AttachedEnd& end, TPoint p) noexcept;

/// What transform(element) does to a point element at p: the ends follow the very Translate,
/// Rotate90 or Mirror that moves the pads.
template <class Transform> TPoint transformedPoint(TPoint p, Transform&& transform)
{
    TObjekt probe;
    probe.Kind = KindSmdPad;
    probe.X = p.x;
    probe.Y = p.y;
    transform(probe);
    return {probe.X, probe.Y};
}

/// Moves every end as transform moves a point element, then brings lines back into their
/// normal order (both ends are moved before either is swapped).
template <class Transform> void moveAttachedEnds(const std::vector<AttachedEnd>& ends, Transform&& transform)
{
    std::vector<TPoint> to;
    to.reserve(ends.size());
    for (const AttachedEnd& end : ends)
        to.push_back(transformedPoint(endPoint(end), transform));
    for (std::size_t i = 0; i < ends.size(); ++i)
        setEndPoint(ends[i], to[i]);
    for (const AttachedEnd& end : ends)
        NormalizeLine(*end.element);
}

/// The stretched segments of the attached ends as they would lie after moving the pads by
/// offset: for each end a two-corner track (or line) from the moved end to its neighbouring
/// corner, with the element's width and layer; a two-corner track whose both ends follow is one
/// segment with both ends moved. These are what the move preview draws.
std::vector<TObjekt> stretchedSegments(const std::vector<AttachedEnd>& ends, TPoint offset);

} // namespace trevok

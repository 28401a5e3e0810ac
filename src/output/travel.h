#pragma once
// The order in which a job visits its paths and holes, chosen to shorten the rapid moves
// between them. The cut geometry stays as it is: a closed path may start at any of its points
// and an open one may be cut from either end, but no point is moved.

#include "document/objekt.h"

#include <vector>

namespace trevok
{

/// One path of a job: closed paths return to their first point.
struct CutPath {
    std::vector<TPoint> points;
    bool closed = false;
};

/// Orders the paths from start (nearest neighbour, then 2-opt on the order), rotating closed
/// paths to start at the point nearest to where the tool comes from and turning open paths
/// round where that is shorter.
void OrderPaths(std::vector<CutPath>& paths, TPoint start);
/// Orders the holes the same way.
void OrderPoints(std::vector<TPoint>& points, TPoint start);

/// Length of the moves between the paths (from start to the first, and from the end of each to
/// the start of the next), in board units.
double TravelLength(const std::vector<CutPath>& paths, TPoint start) noexcept;

} // namespace trevok

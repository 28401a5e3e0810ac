#pragma once
// Limits that keep geometry from damaged or crafted files from making a command run away: how
// many chords an arc is made of, and how far from the origin an element may reach.

#include "document/objekt.h"

#include <cstdint>

namespace trevok
{

/// Radii up to this are what a board (at most 300 x 300 mm) can hold: the step counts the
/// output formats give arcs of such radii stand as they are.
inline constexpr double BoardScaleRadius = 65536.0;
/// The most chords an arc beyond board scale is made of.
inline constexpr int MaxArcSteps = 4096;
/// The number of chords for an arc of the radius (either sign) spanning spanRadians, where
/// nominal is the count the caller's own rule gives. For a board-sized radius nominal is kept
/// (at most 4 x BoardScaleRadius); for a larger one it is bounded by the count that keeps every
/// chord within half a unit of the arc, and by MaxArcSteps. Never below 1 (also for a nominal
/// that is negative or not a number), so a damaged radius cannot make a count negative or huge.
int ArcSteps(double nominal, double radius, double spanRadians) noexcept;

/// Elements reaching farther than this from the origin (ten metres; the largest board is
/// 0.3 m) come only from damaged or crafted files, which are refused when read.
inline constexpr std::int64_t MaxElementReach = 1'000'000;
/// How far from the origin the element's geometry can reach, conservatively: the largest
/// coordinate plus every size that can grow a shape (radii, widths, clearance) with margin.
std::int64_t ElementReach(const TObjekt& element) noexcept;

} // namespace trevok

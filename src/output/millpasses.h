#pragma once
// Further isolation passes: wider channels around the copper than one cut of the cutter makes.
//
// Terms used here:
//  - grown piece: one connected part of the area the first pass encloses (the copper grown by
//    half the milling width w), holes included. The first pass runs along its boundary.
//  - zone of a piece: the points nearer to that grown piece than to any other. Pieces reach
//    out into their zones together, each step keeping only what no other piece reaches in the
//    same step; the strips left between them are shared out with ever smaller steps, and the
//    last narrow ones go to one side, so neighbouring zones meet about midway between pieces.
//  - ring k (k >= 2): the boundary of the grown piece offset by (k - 1)(1 - overlap) w, kept
//    only inside the piece's zone. Where nothing is near it runs (k - 1)(1 - overlap) w + w/2
//    from the copper. It never enters another grown piece, so it never comes nearer than w/2
//    to any copper.
//  - border: where a zone ends (at a neighbour's zone or, with passes 0, half a cutter outside
//    the board's edge) within the reach of the last pass. Every stretch of border is cut
//    once, however many passes reach it.
// Rings and borders are open paths: a ring stops where its zone ends.

#include "document/objekt.h"
#include "output/isolation.h"

#include <optional>
#include <vector>

namespace trevok
{

/// Passes of the isolation milling.
struct PassOptions {
    int passes = 1;         // 1..10; 0 = until no free copper is left on the board
    int overlapPercent = 0; // 0..90: how much of the cutter width one pass overlaps the last
};

inline constexpr int kMaxPasses = 10;
inline constexpr int kMaxOverlapPercent = 90;

/// The cuts of passes 2, 3, ...
struct FurtherPasses {
    // rings[i] holds ring i + 2 of every piece; a piece's last ring also holds its borders,
    // joined to the ring where they meet.
    std::vector<std::vector<OpenPath>> rings;
    std::vector<OpenPath> borders; // of pieces that need no ring
    /// Everything in cut order: ring by ring, then the borders.
    std::vector<OpenPath> all() const;
};

/// The further passes, computed from the first pass's contours (ComputeIsolation's, milling
/// width w > 0). board is the board rectangle; with passes 0 the passes stop once every point
/// of it is milled or copper, and they are kept within half a cutter of it. nullopt when
/// cancelled. Nothing for one pass or a width of 0.
std::optional<FurtherPasses> IsolationPasses(const std::vector<Contour>& firstPass, std::int32_t width,
                                             const PassOptions& o, const TRect& board,
                                             MillingProgress* progress = nullptr);

/// The board rectangle in board units (x 0..W, y -H..0).
TRect BoardRectangle(std::int32_t width, std::int32_t height) noexcept;

} // namespace trevok

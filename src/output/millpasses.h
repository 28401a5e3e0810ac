#pragma once
// Further isolation passes: wider channels around the copper than one cut of the cutter makes.
//
// Terms used here:
//  - grown piece: one connected part of the area the first pass encloses (the copper grown by
//    half the milling width w), holes included. The first pass runs along its boundary.
//  - zone of a piece: the points nearer to that grown piece than to any other. Pieces reach
//    out into their zones together, in small steps, each step clipped against what the others
//    reached in the step before, so the zones meet about midway between the pieces.
//  - pass k (k >= 2): the boundary of the grown piece offset by (k - 1)(1 - overlap) w, cut
//    back to the piece's zone. Where nothing is near it runs (k - 1)(1 - overlap) w + w/2 from
//    the copper; where pieces are close it stops near the line midway between them. A pass
//    never enters another grown piece, so it never comes nearer than w/2 to any copper.

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

/// The contours of passes 2, 3, ... (element i holds pass i + 2), computed from the first
/// pass's contours (ComputeIsolation's, milling width w > 0). board is the board rectangle;
/// with passes 0 the passes stop once every point of it is milled or copper, and they are cut
/// back to it. nullopt when cancelled. Nothing for one pass or a width of 0.
std::optional<std::vector<std::vector<Contour>>> IsolationPasses(const std::vector<Contour>& firstPass,
                                                                 std::int32_t width, const PassOptions& o,
                                                                 const TRect& board,
                                                                 MillingProgress* progress = nullptr);

/// The board rectangle in board units (x 0..W, y -H..0).
TRect BoardRectangle(std::int32_t width, std::int32_t height) noexcept;

} // namespace trevok

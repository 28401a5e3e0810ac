#pragma once
// Synthetic boards for benchmarks: a deterministic, realistic mix of through-hole and SMD
// footprints with their print outlines, tracks between pads, a few areas (one restricted),
// rings and arcs, layout texts and rubber-band connections.

#include "document/objekt.h"

#include <cstddef>
#include <cstdint>

namespace trevok::bench
{

/// Makes a board of exactly elementCount elements inside x 0..width, y -height..0. The same
/// seed gives the same board. Every element has clearance 40; Twin and Connections point into
/// the returned list; each footprint forms one group.
ElementList generateBoard(std::size_t elementCount, std::uint32_t seed, int width = 16000,
                          int height = 10000);

} // namespace trevok::bench

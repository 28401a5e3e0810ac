#pragma once
// The overlap test of two element outlines without building them, for the many pairs that lie
// plainly apart or plainly together (a track ending on a pad, two tracks far apart in one cell).

#include "document/objekt.h"

namespace trevok
{

/// Whether the outlines of two elements overlap, told from their geometry: 1 they do, 0 they do
/// not, -1 undecided (a kind it does not know, or a pair so near touching that only the outlines
/// can tell). Wherever it decides, it says what ElementRegion(a).overlaps(ElementRegion(b)) says.
int QuickOverlap(const TObjekt& a, const TObjekt& b) noexcept;

} // namespace trevok

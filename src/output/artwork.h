#pragma once
// The dark area of an exported layer, computed from element regions. The Gerber writer draws the
// same shapes with apertures; the two are computed independently, so comparing a viewer's
// rendering of the Gerber file with this region checks the export.

#include "document/region.h"
#include "output/gerber.h"

namespace trevok
{

/// The element grown by its clearance, as the ground plane keeps it free: tracks, lines and
/// area outlines widen by the clearance on each side, pads grow by it at the sides and the ends,
/// SMD pads on each side, circles inward and outward (a filled one as its grown chord).
/// Restricted areas keep their own shape.
Region ClearanceRegion(const TObjekt& element);

/// The dark area of a layer as the Gerber export with these options draws it, in board units
/// (y from -H to 0, x not mirrored). A filled circle is the shape the board view paints: the
/// chord of its disc with the straight edge stroked, not the pie of its hit-test region.
Region LayerArtwork(const TBoard& board, const GerberOptions& options);

} // namespace trevok

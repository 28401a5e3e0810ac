#pragma once
// The copper of one layer as the polygons that isolation milling goes around.
//
// Terms used here:
//  - milling width w: the diameter of the cutter in board units; the copper is grown by w/2
//    on every side, so that a channel along the grown outline leaves the copper whole.
//  - shape polygon: one closed polygon of integer points (implicitly closed, clockwise with
//    y up). An element gives one or more; their union is the grown copper of the layer.
//  - single-line text: a layout text that is milled along its strokes instead of around them;
//    it is no copper and gives no shape polygon.

#include "document/objekt.h"
#include "document/region.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace trevok
{

/// What the milling of one copper layer takes from the dialog (and the command line).
struct MillingOptions {
    std::uint8_t layer = LayerK1;       // LayerK1 or LayerK2
    std::int32_t width = 0;             // milling width in units, 0 for contours along the copper edges
    bool singleLineTexts = false;       // unselected layout texts are milled along their strokes
    bool singleLineMarkedTexts = false; // selected ones are
};

/// The shape polygons of one element, with the index of the element in its list.
struct ShapeGroup {
    std::size_t element = 0;
    std::vector<RPath> polygons;
    /// A filled area's interior (its node polygon, even-odd, not grown): copper that the shape
    /// polygons leave out, since only the outline is stroked.
    std::vector<RPath> interior;
};

/// True for the kinds that are copper when they lie on a copper layer (restricted areas are not).
bool IsMillingCopper(const TObjekt& e) noexcept;
/// True when the layout text is milled along its strokes under these options.
bool IsSingleLineText(const TObjekt& e, const MillingOptions& o) noexcept;

/// A copy of the element grown by the milling width (strokes of a layout text included).
TObjekt GrownForMilling(const TObjekt& e, std::int32_t width);

/// The shape polygons of one element grown by width (GrownForMilling), by kind (none for font
/// texts and unknown kinds). Each runs clockwise.
std::vector<RPath> ElementShapePolygons(const TObjekt& grown, std::int32_t width = 0);

/// Every element of the layer that is copper, not a single-line text and not covered entirely
/// by the shape polygons of an earlier-kept element, as its grown shape polygons, in list
/// order. Restricted areas are keep-outs of the ground plane, not copper, and give nothing.
/// progress(done, total) is called now and then and returns false to stop (the result is then
/// incomplete).
std::vector<ShapeGroup> MillingShapes(const ElementList& elements, const MillingOptions& o,
                                      const std::function<bool(std::size_t, std::size_t)>& progress = {});

// Building blocks, exposed for tests.

/// Direction angle from p to q in [0, 2 pi): pi/2 straight up, 3 pi/2 straight down (also for
/// equal points), 0 right, pi left.
double DirectionAngle(RPoint p, RPoint q) noexcept;
/// Appends n points of the arc around m from the direction of s to that of e (s itself is not
/// appended), on the circle of diameter d.
void AppendArc(RPath& out, RPoint m, RPoint s, RPoint e, bool anticlockwise, int n, double d);
/// The stadium around a segment of width d, round ends of d / 20 + 3 steps (more for narrow
/// strokes, so that no edge lies more than a unit inside the round end).
RPath StrokePolygon(RPoint p1, RPoint p2, std::int64_t d);

} // namespace trevok

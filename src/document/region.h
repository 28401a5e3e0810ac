#pragma once
// Region: the one geometry engine of the program (hit tests, connectivity, ground plane,
// router, milling contours).
//
// Terms:
//  - path: a closed polygon of integer vertices (board units or device pixels); the closing
//    edge from the last vertex back to the first is implied.
//  - component: a set of paths read with the even-odd rule (a ring is one component of two
//    paths; a self-crossing area outline is one component of one path).
//  - region: the union of its components, as a closed point set: a point on an edge belongs
//    to the region, so two outlines that merely touch do overlap (touching copper conducts).
//  - empty: a region whose point set has no area. Paths without area (fewer than three
//    vertices, or all vertices on one line) are dropped when a region is built.
//  - simple path: one that does not cross or touch itself; the shapes this program builds
//    (discs, capsules, rectangles, octagons) are simple, which lets emptiness be decided
//    without clipping.
//
// Unions are cheap (components are collected; overlapping components stay as they are);
// intersection and difference run Clipper and yield one normalised component. The point,
// rectangle and overlap tests work on the components directly (bounding boxes first, then
// exact integer edge and even-odd tests). Coordinates are held in 64 bits, so doubling a
// 32-bit coordinate never overflows; vertices must stay within +-2^61, so that exact cross products fit in
// 128 bits.

#include "document/objekt.h"

#include <cstdint>
#include <span>
#include <vector>

namespace trevok
{

struct RPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const RPoint&, const RPoint&) = default;
};

using RPath = std::vector<RPoint>;

class Region
{
  public:
    Region() = default;

    /// One even-odd component from a single closed path.
    static Region polygon(RPath path);
    /// One component from a single closed path the caller knows to be simple.
    static Region simplePolygon(RPath path);
    /// One even-odd component from several closed paths.
    static Region polygons(std::vector<RPath> paths);
    /// The closed rectangle between the two corners (any order); empty when it has no area.
    static Region rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
    /// A disc approximated by a regular polygon fine enough that no vertex-to-circle error
    /// exceeds half a unit (capped in vertex count for huge radii). Empty for radius <= 0.
    static Region disc(std::int64_t cx, std::int64_t cy, std::int64_t radius);
    /// The disc of the outer radius minus the concentric disc of the inner radius (a plain disc
    /// when inner <= 0, empty when inner >= outer).
    static Region ring(std::int64_t cx, std::int64_t cy, std::int64_t outer, std::int64_t inner);
    /// The vertex count disc() uses for a radius: a multiple of 4 from 8 to 256.
    static int discVertexCount(double radius) noexcept;

    bool isEmpty() const;
    /// The closed point test.
    bool contains(std::int64_t x, std::int64_t y) const;
    /// True when the closed rectangle and the region share a point.
    bool overlapsRect(const TRect& r) const;
    /// True when the two regions share a point.
    bool overlaps(const Region& other) const;
    /// Bounding rectangle of all vertices (all zero when there are none).
    TRect boundingRect() const noexcept;
    /// Area of the point set (after normalisation).
    double area() const;

    Region united(const Region& other) const;
    Region intersected(const Region& other) const;
    Region subtracted(const Region& other) const;
    void unite(const Region& other);
    void unite(Region&& other);

    /// Moves every vertex.
    void translate(std::int64_t dx, std::int64_t dy);
    /// Merges the components into one non-overlapping component (outer paths anticlockwise,
    /// holes clockwise, as Clipper returns them).
    Region normalized() const;

    /// The components as collected (each read with the even-odd rule).
    const std::vector<std::vector<RPath>>& components() const noexcept { return comps; }

  private:
    /// What is known about a component beyond its paths.
    struct ComponentInfo {
        TRect box;               // bounding box of its vertices
        std::int64_t sumMin = 0; // extent along the diagonals: x + y and x - y; with the box
        std::int64_t sumMax = 0; // this is a bounding octagon, which separates 45-degree
        std::int64_t difMin = 0; // tracks that their boxes cannot
        std::int64_t difMax = 0;
        bool simple = false; // one simple path, or Clipper output (no crossings, holes nested)
    };
    static bool hullsMeet(const ComponentInfo& a, const ComponentInfo& b) noexcept;

    void addComponent(std::vector<RPath> paths, bool simple);
    bool componentContains(std::size_t i, std::int64_t x, std::int64_t y) const;
    bool componentOverlapsRect(std::size_t i, const TRect& r) const;
    bool componentEmpty(std::size_t i) const;

    std::vector<std::vector<RPath>> comps;
    std::vector<ComponentInfo> info; // parallel to comps
};

/// Whether two simple closed polygons share a point (edges included): the test Region::overlaps
/// makes for each pair of single-path components, without building the regions.
bool PathsOverlap(std::span<const RPoint> a, std::span<const RPoint> b) noexcept;
/// Whether a point lies inside a closed path or on it (even-odd).
bool PathContains(std::span<const RPoint> path, const RPoint& q) noexcept;
/// Whether a path turns one way only (straight stretches allowed) and goes round once: the
/// outline of a convex polygon, which holds everything its vertices span.
bool ConvexPath(std::span<const RPoint> path) noexcept;
/// The vertices of Region::disc(cx, cy, radius) into out, which has room for
/// Region::discVertexCount(radius) of them (at most 256); returns how many (0 for radius <= 0).
std::size_t DiscVertices(std::int64_t cx, std::int64_t cy, std::int64_t radius, RPoint* out);

} // namespace trevok

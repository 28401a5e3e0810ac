#pragma once
// The connectivity trace: which elements of a board are joined by copper.
//
// Terms used here:
//  - net: the set of elements reached from one element by outlines that overlap on the same
//    layer, by the twin of a through-plated pad, and by the ground plane of a copper side, which
//    joins every element of clearance 0 on that side that is not covered by a restricted area.
//  - covered: some restricted area of the element's layer holds the element's whole outline.
//  - restricted areas are never part of a net.
//
// The trace keeps a work list instead of recursing, so that a net of any size (a ground plane
// with tens of thousands of elements, a long chain of tracks) cannot exhaust the stack. Element
// bounds go into a grid of buckets per layer, and outlines are built once per tracer and kept,
// so that one tracer serves a whole command (the removal of realised connections traces many
// nets of the same unchanged board) and the milling that follows it (pieces, shapes).
//
// The nets of the whole board at once (netIds) are the connected parts of one graph: outlines
// that overlap, twins, the plane. Its edges are found on all cores and joined on one thread, so
// the numbers are the ones tracing element after element gives. Most pairs of meeting boxes are
// told apart or together from the two elements' geometry (QuickOverlap); outlines are built only
// for the pairs it leaves open.

#include "document/pointermap.h"
#include "document/project.h"
#include "document/region.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace trevok
{

class NetTracer
{
  public:
    /// The board must not change while the tracer is used. Without throughGroundPlane the
    /// planes join nothing, and a net is what copper alone joins.
    explicit NetTracer(const TBoard& board, bool throughGroundPlane = true);
    ~NetTracer();
    NetTracer(const NetTracer&) = delete;
    NetTracer& operator=(const NetTracer&) = delete;

    /// The net of the element at index (list indices, in the order they were reached; the
    /// element itself first). A restricted area's net is the area alone.
    std::vector<std::size_t> net(std::size_t index);
    /// A number naming the net of the element; equal numbers, same net. Nets are traced on
    /// demand and remembered.
    int netId(std::size_t index);
    /// netId of every element, in list order (nets numbered in the order of their first element).
    const std::vector<int>& netIds();
    /// For every element a number naming what it is joined to by copper alone: the nets as
    /// NetTracer(board, false) numbers them (overlapping outlines and through-plated pad twins,
    /// not the ground plane), equal numbers meaning one piece. Uses the overlaps that netIds
    /// found, so the board is not traced a second time.
    std::vector<int> copperPieces();
    /// The index of an element of the board, or -1.
    std::ptrdiff_t indexOf(const TObjekt* element) const;

    /// The outline of the element, built on first use. Calls for different elements may run on
    /// several threads at once.
    const Region& region(std::size_t index);
    /// True when a restricted area of the element's layer holds its whole outline.
    bool covered(std::size_t index);

  private:
    struct LayerIndex;
    using Pair = std::pair<std::uint32_t, std::uint32_t>;
    void buildIndex();
    bool joinsPlane(std::size_t index);
    /// True when every twin link the trace follows is followed back as well, so that a net is
    /// the same from each of its elements (files always hold such pairs).
    bool twinsMutual() const;
    /// Fills overlaps_ once.
    void findOverlaps();

    const TBoard& board_;
    bool throughPlane_ = true;
    std::vector<TRect> bounds_;
    std::vector<std::unique_ptr<Region>> regions_;
    std::vector<std::int8_t> covered_; // -1 unknown, 0, 1
    std::vector<int> netIds_;          // -1 unknown
    int nextNetId_ = 0;
    bool allNets_ = false;
    // Elements of one layer whose outlines overlap (no restricted areas), i < j: enough pairs to
    // join what all such pairs join.
    std::vector<Pair> overlaps_;
    bool overlapsFound_ = false;
    PointerMap<std::size_t> indexOf_;
    std::vector<std::unique_ptr<LayerIndex>> layers_; // by layer code
    std::vector<std::uint32_t> seen_;                 // trace stamp: reached in the current trace
    std::uint32_t stamp_ = 0;
    std::vector<std::uint32_t> tested_; // query stamp: met by the current bucket query
    std::uint32_t query_ = 0;
};

/// The net number of every element of the board, in list order (equal numbers, same net; every
/// restricted area has a number of its own). Without throughGroundPlane see NetTracer.
std::vector<int> NetOfEachElement(const TBoard& board, bool throughGroundPlane = true);

/// Marks as Selected every element of the net of the element. Elements outside the net keep
/// their state, so callers that want to see the net alone clear the selection first.
void TraceNet(TBoard& board, const TObjekt& element);

} // namespace trevok

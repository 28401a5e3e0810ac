#pragma once
// Isolation milling contours: the closed lines along which a cutter isolates every piece of
// copper of one layer.
//
// Terms used here:
//  - contour: a closed polygon in board units (the closing edge implied). Together the
//    contours of a layer bound the grown copper exactly, read with the even-odd rule: outer
//    boundaries of copper and boundaries of holes in it, never a line inside copper.
//  - stage: one of the five steps the progress window lists (segments, crossing candidates,
//    clusters, outlines, cleaning up).
//  - isolation problem: a place where the grown copper of two pieces that are not joined by
//    copper merges, so the cutter cannot pass between them.

#include "output/millshapes.h"
#include "routing/nettrace.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace trevok
{

struct TBoard;

using Contour = std::vector<TPoint>;
/// A path the cutter follows from its first point to its last (a further pass, which stops
/// where its zone ends). One whose ends meet is a loop.
using OpenPath = std::vector<TPoint>;

/// The stages of the contour computation, in order, as the progress window lists them.
enum MillingStage : int {
    StageSegments = 1,   // "Create segments": the elements' outlines
    StageVectors = 2,    // "Calculate vectors": the outlines at the fine resolution, which may meet
    StageVectorList = 3, // "Create vector list": the clusters of outlines that chain together
    StageOutlines = 4,   // "Create outlines": the union of each cluster
    StageOptimize = 5,   // "Optimize outlines": back to board units, the problems, the extra passes
};
inline constexpr int MillingStageCount = 5;

/// What a long computation tells its progress window, and how it is cancelled. All members
/// may be read from another thread while the computation runs.
struct MillingProgress {
    std::atomic<int> stage{0}; // a MillingStage while running, 0 before
    std::atomic<int> done{0};  // steps of the current stage
    std::atomic<int> total{0};
    std::atomic<bool> cancel{false}; // set by the window; the computation stops soon after
    /// Test seam: called on the computing thread as each stage starts, after stage is set and
    /// before cancel is read, so a test can hold the computation inside a stage. Empty in the
    /// program.
    std::function<void(int stage)> onEnter;

    /// Enters a stage; false when cancelled.
    bool enter(int s, std::size_t steps) noexcept;
    /// Records progress in the stage; false when cancelled.
    bool step(std::size_t d) noexcept;
};

/// A place where the milled board will not be what the layout says.
struct IsolationProblem {
    enum class Kind : std::uint8_t {
        NoPassage,    // the mill cannot pass between two pieces: a point inside the merged strip
        TextCrossing, // a single-line text is milled through copper: a point on the cut
        PlaneJoin,    // two pieces of one net meet only through the ground plane: a point of the second
    };
    TPoint at;
    std::size_t elementA = 0; // indices into the board's list: one element of each piece (for a
    std::size_t elementB = 0; // text crossing the text, then the copper it crosses)
    Kind kind = Kind::NoPassage;
};

/// The board's connectivity trace as the milling needs it, one number per element of the list
/// (equal numbers, one net): nets joins through a ground plane as the trace does; copper joins by
/// copper alone (touching outlines, plated holes), as the milled board will.
struct MillingNets {
    std::vector<int> nets;
    std::vector<int> copper;
};

/// The nets of the board's elements (the net trace, with and without the ground planes). trace,
/// when given, is a tracer of the board, whose outlines and overlaps are used for both.
MillingNets MillingNetsOf(const TBoard& board, NetTracer* trace = nullptr);

struct IsolationResult {
    std::vector<Contour> contours;
    /// The further passes (output/millpasses.h), cut after the contours.
    std::vector<OpenPath> passes;
    /// Places where the mill cannot pass and texts milled through copper.
    std::vector<IsolationProblem> problems;
    /// Pieces of copper that only the ground plane joins to the rest of their net (a warning:
    /// the plane is not milled). Found only when the nets are given.
    std::vector<IsolationProblem> planeJoins;
};

/// The polygons that the contours and the check are computed from (the resolution is 1/100 unit).
constexpr std::int64_t kMillScale = 100;

/// The contours of the layer. nullopt when cancelled. With the nets of the list's elements
/// (MillingNetsOf its board) it also finds the isolation problems, pieces being told apart by
/// their nets, and the joins made only through a ground plane; without, the contours alone.
std::optional<IsolationResult> ComputeIsolation(const ElementList& elements, const MillingOptions& o,
                                                MillingProgress* progress = nullptr,
                                                const MillingNets* nets = nullptr);
/// The same with nets, asked for (on this thread) only once the shape polygons are built: the
/// caller may trace them meanwhile.
std::optional<IsolationResult> ComputeIsolation(const ElementList& elements, const MillingOptions& o,
                                                MillingProgress* progress,
                                                const std::function<const MillingNets&()>& nets);

/// The contours only (no isolation check): the union of the shape polygons and the filled areas'
/// interiors, boundaries rounded back to units. nullopt when cancelled.
std::optional<std::vector<Contour>> ComputeContours(const std::vector<ShapeGroup>& shapes,
                                                    MillingProgress* progress = nullptr);

/// Places where grown copper of different pieces merges or touches, and where a single-line
/// text crosses grown copper (sorted top to bottom, left to right). A piece is the copper of
/// one net (nets: one number per element of the list, as the net trace gives them). nullopt
/// when cancelled.
std::optional<std::vector<IsolationProblem>> FindIsolationProblems(const ElementList& elements,
                                                                   const MillingOptions& o,
                                                                   const std::vector<ShapeGroup>& shapes,
                                                                   const std::vector<int>& nets,
                                                                   MillingProgress* progress = nullptr);

/// Pieces of copper of the milled layer that only a ground plane joins to the rest of their net:
/// for every net that falls apart into k pieces joined by copper alone, the pieces after the
/// first, each at an element of it (on the layer where it has one).
std::vector<IsolationProblem> PlaneOnlyJoins(const ElementList& elements, const MillingNets& nets,
                                             std::uint8_t layer);

/// The message listing the places (count and positions in mm from the origin, y growing
/// downward as the rulers show it), UTF-8, in the language; one paragraph per kind of problem.
std::string IsolationProblemsText(const std::vector<IsolationProblem>& problems, TPoint origin, int language);

/// True when some element lies on the layer (the empty-layer warning), and true when something
/// on it is milled around (not only single-line texts).
bool LayerHasElements(const ElementList& elements, std::uint8_t layer) noexcept;
bool LayerHasContourElements(const ElementList& elements, const MillingOptions& o) noexcept;

} // namespace trevok

#pragma once
// The design check: what would make a board fail before it is made.
//
// Terms used here:
//  - rule: one limit of the check (a gap, a width, a ring, ...), in board units.
//  - problem: one place that breaks a rule, with the elements involved (indices into the
//    board's list), the measured value and the limit it breaks.
//  - gap: the shortest distance between the outlines (Region) of two copper elements of
//    different nets on one layer. A ground plane is copper of its own net, so its clearance
//    around an element is a gap too.
//  - broken route: an autorouted track that no longer touches both pads it was routed for.
//  - dangling end: a track end that touches no other copper.
//
// The check stands on the same ground as everything else: nets from the connectivity trace,
// outlines from Region, neighbours from BoxIndex, and the mill rule from the isolation check of
// the milling output. Nothing is measured twice in two ways.

#include "document/project.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trevok
{

/// The limits, in board units (1/100 mm). Defaults suit a typical board house.
struct DesignRules {
    std::int32_t gap = 20;      // copper to copper of another net, same layer
    std::int32_t width = 20;    // tracks and lines on copper
    std::int32_t smdSide = 20;  // shorter side of an SMD pad
    std::int32_t ring = 15;     // pad radius minus drill radius
    std::int32_t drillMin = 30; // drill diameter
    std::int32_t drillMax = 600;
    std::int32_t edge = 30; // copper to the board edge
    std::int32_t mill = 0;  // milling width; 0: no mill rule
    friend bool operator==(const DesignRules&, const DesignRules&) = default;
};

/// Kinds in the order the list shows them.
enum class ProblemKind : std::uint8_t {
    Gap,
    Width,
    SmdSize,
    Ring,
    Drill,
    Edge,
    Outside,
    Unrouted,
    BrokenRoute,
    Dangling,
    PrintOnPad,
    Mill,
};
inline constexpr std::size_t kProblemKindCount = 12;

struct DesignProblem {
    ProblemKind kind = ProblemKind::Gap;
    bool warning = false;
    std::uint8_t layer = 0; // 0: no single layer
    TPoint at;
    std::vector<std::size_t> elements;
    bool measured = true;   // false: value means nothing (a missing connection, a mill place)
    double value = 0;       // units
    std::int32_t limit = 0; // units
};

struct DesignCheckResult {
    std::vector<DesignProblem> problems; // by kind, then top to bottom, left to right
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t count(ProblemKind k) const noexcept;
};

/// Checks the board against the rules. Deterministic; the board is not changed.
DesignCheckResult CheckDesign(const TBoard& board, const DesignRules& rules);

/// The name of a kind in the JSON output ("gap", "smd-size", ...).
const char* ProblemKindKey(ProblemKind kind) noexcept;
/// The name of a kind for people, UTF-8, in a language (0 German, 1 English, 2 French).
std::string ProblemKindName(ProblemKind kind, int language);
/// One line describing the problem (position from the origin in mm, y growing downward as the
/// rulers show it), UTF-8, without the kind name.
std::string ProblemText(const DesignProblem& p, TPoint origin, int language);
/// "N errors, M warnings" in a language.
std::string ProblemSummary(const DesignCheckResult& r, int language);
/// The layer name shown for a problem: K1, B1, K2, B2 (C1, S1, ... in English and French),
/// "-" for none. key: the language-free name of the JSON output.
std::string ProblemLayerName(std::uint8_t layer, int language, bool key = false);

/// The autorouted tracks among the elements (indices) turn back into the connections they were
/// routed for, as ResolveRoute does one at a time, in one undo step. Returns how many changed.
std::size_t ResolveBrokenRoutes(TProject& project, const std::vector<std::size_t>& tracks);

} // namespace trevok

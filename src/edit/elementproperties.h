#pragma once
// The properties dialog of the selection: the fields of the selected elements by kind, as the
// texts the dialog shows, and applying what was typed as one undo step.
//
// Terms used here:
//  - sheet: the fields every selected element has (texts excluded: they keep their own dialog),
//    each as a text in mm (positions from the user's origin, y growing downward, as the status
//    line shows them); a field whose values differ among the elements is blank.
//  - changed field: one whose text differs from what the sheet showed. Only changed fields are
//    written, so a blank field stays as each element has it.
// The ranges are those of the tool-bar fields (fieldSpec) where the field has one there, and an
// element the change would make invalid (a drill wider than its pad, a ring whose inner radius is
// not below its outer one, a track of fewer than two corners) is refused the same way: nothing
// changes and the field to blame is named.

#include "document/objekt.h"
#include "document/project.h"
#include "edit/editcommands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace trevok
{

enum class PropertyField : std::uint8_t {
    Layer,         // "1".."4"
    Clearance,     // mm
    X,             // centre, mm from the origin
    Y,             // centre, mm from the origin, downward
    PadDiameter,   // pad: outer diameter, mm
    Drill,         // pad: drill diameter, mm
    Shape,         // pad: "1".."9"
    ThroughPlated, // pad: "0" or "1"
    SmdWidth,      // mm
    SmdHeight,     // mm
    Width,         // track, line, area outline: mm
    OuterRadius,   // circle: mm
    InnerRadius,   // circle: mm
    StartAngle,    // circle: whole degrees 0..359
    StopAngle,     // circle: whole degrees 0..359
    Filled,        // circle: "0" or "1"
    Restricted,    // area: "0" or "1"
    Corners,       // track, line, area: the corner table
    Count
};
inline constexpr std::size_t PropertyFieldCount = static_cast<std::size_t>(PropertyField::Count);

struct PropertySheet {
    std::array<bool, PropertyFieldCount> present{};
    std::array<std::string, PropertyFieldCount> text{}; // empty: the elements differ
    /// The corner table (x, y in mm), present only for a single track, line or area.
    std::vector<std::pair<std::string, std::string>> corners;
    /// The layers every element may be put on (a through-plated pad or a restricted area only on
    /// copper).
    std::vector<std::uint8_t> layers;
    std::size_t elementCount = 0;

    bool has(PropertyField f) const noexcept { return present[static_cast<std::size_t>(f)]; }
    const std::string& get(PropertyField f) const noexcept { return text[static_cast<std::size_t>(f)]; }
    void set(PropertyField f, std::string t) { text[static_cast<std::size_t>(f)] = std::move(t); }
};

/// Whether the element takes part (selected and not a text).
bool hasPropertyDialog(const TObjekt& element) noexcept;

/// The sheet of the selected elements of the board; elementCount 0 when none takes part.
PropertySheet readProperties(const TBoard& board, TPoint origin);

struct PropertyOutcome {
    bool ok = true;
    PropertyField badField = PropertyField::Count; // when not ok
    EditResult result;
};

/// Writes the changed fields of `edited` (against `shown`, what readProperties gave) into the
/// selected elements with one undo step. A value that is not a number, is out of range, or would
/// make an invalid element gives ok = false and the field, and changes nothing; a sheet that
/// changes nothing is ok and takes no step. Switching through-plating off keeps the pad on the
/// side of the board's active layer, as the tool-bar check does.
PropertyOutcome applyProperties(TProject& project, const PropertySheet& shown, const PropertySheet& edited,
                                TPoint origin);

} // namespace trevok

#pragma once
// Excellon drill data of a board: one hole per through-hole pad (one per through-plated pair).

#include "document/project.h"

#include <string>

namespace trevok
{

/// The options of the drill dialog; the command-line tool fills the same record.
struct DrillOptions {
    bool side2 = false; // drilled from side 2: x mirrored as W - x
    bool inch = false;  // coordinates in inches instead of millimetres
    int decimals = 2;   // 3.2 (2) or 3.3 (3)
    bool removeLeadingZeros = true;

    /// The number-format default that goes with a unit: mm 3.2, inch 3.3.
    static DrillOptions forUnit(bool inch);
};

/// Writes the drill file of a board and returns its bytes. Holes are in the frame of the Gerber
/// files (y shifted by the board height), so drill and copper line up in any viewer.
std::string WriteExcellon(const TBoard& board, const DrillOptions& options);

/// A coordinate in the file's number format (exposed for tests).
std::string ExcellonNumber(std::int64_t units, const DrillOptions& options);

} // namespace trevok

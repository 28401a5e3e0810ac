#pragma once
// The starter footprints that ship with the editor, each drawn here from the dimensions of its
// package so that anyone can check where a number comes from.
//
// Conventions of every footprint:
//  - pin 1 (or the only hole) sits at (0, 0), so dropping a macro on the snapped cursor puts
//    its pads on the grid; pin 1 is the square pad where a package has a pin 1;
//  - through-hole pads through-plated: each pad on K1 is followed by its twin on K2, so a drop
//    gives copper on both sides and the last copper element lies on K2, the soldering side, as
//    in a library of plain K2 pads: the automatic side match keeps a through-hole part unmirrored
//    on side 1 while K2 or B1 is active (the start layer is K2) and flips it for K1 and B2.
//    SMD pads on K1, the outline on B1, all drawn as seen from the component side;
//  - the outline never prints over copper: it keeps a small gap to every pad.

#include "document/objekt.h"

#include <string>
#include <vector>

namespace trevok
{

/// One macro file to be written.
struct Footprint {
    std::string path;  // relative, '/' between folders: "DIP/DIP-8 7.62.lmk"
    std::string line1; // comment lines, plain ASCII, at most 50 bytes each
    std::string line2;
    ElementList elements;
};

/// Every starter footprint, in a fixed order; pads come first in pin order (a through-hole pad
/// with its twin).
std::vector<Footprint> starterFootprints();

/// The Qt resource file listing the footprints under the prefix "/macros". folder is where the
/// files lie relative to the resource file ("macros": resources/macros.qrc lists
/// resources/macros/...); each file keeps its relative path as its alias.
std::string resourceFileText(const std::vector<Footprint>& footprints, const std::string& folder);

} // namespace trevok

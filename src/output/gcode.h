#pragma once
// G-code for GRBL-style milling controllers: the isolation, drill and board contour files as
// absolute millimetre moves (G0 at safe height, G1 while cutting).
//
// The frame is that of the HPGL files: origin at the board's lower left corner, x to the right,
// y up, mirrored about the milling box when asked. GRBL has no canned drilling cycles, so every
// hole is a G1 plunge and a G0 retract.

#include "output/hpgl.h"

#include <optional>
#include <string>
#include <vector>

namespace trevok
{

struct GcodeOptions {
    double depthMm = 0.1;      // isolation cutting depth below the copper surface
    double drillDepthMm = 1.8; // through a 1.5 mm board and its copper
    double outlineDepthMm = 1.8;
    double safeZMm = 2.0;         // travel height
    double feedMmPerMin = 200.0;  // cutting feed
    double plungeMmPerMin = 60.0; // feed going down
    int spindleRpm = 12000;
    MillMirror mirror = MillMirror::None;
    DrillFiles drills = DrillFiles::None;
    int language = 1; // names of the drill and outline files
};

/// The isolation file: the contours as closed paths and single-line texts as open ones.
std::string IsolationGcode(const TBoard& board, const std::vector<Contour>& contours,
                           const MillingOptions& milling, const GcodeOptions& o);

/// The drill files the options ask for ("BOHRUNG.NC"/"DRILLING.NC", or "BOHR_80.NC"/"DRIL_80.NC"
/// per drill diameter), one plunge per hole (one per plated pair).
std::vector<SideFile> DrillGcode(const TBoard& board, std::uint8_t layer, const GcodeOptions& o);

/// The board contour file along the tracks and circles of the layer (0: B1 and B2).
std::string OutlineGcode(const TBoard& board, std::uint8_t layer, bool selectedOnly, const GcodeOptions& o);
/// Its name beside the isolation file: "KONTUR.NC" (German, French) or "OUTLINE.NC".
std::string OutlineGcodeName(int language);

/// The files the isolation export writes beside the isolation file: the drill files and, for an
/// outline layer (B1 or B2; 0 for none), the board contour file of all its tracks and circles.
/// nullopt when that layer has nothing to mill along.
std::optional<std::vector<SideFile>> GcodeSideFiles(const TBoard& board, std::uint8_t layer,
                                                    std::uint8_t outlineLayer, const GcodeOptions& o);

} // namespace trevok

#pragma once
// G-code for GRBL-style milling controllers: the isolation, drill and board outline files as
// absolute millimetre moves (G0 at safe height, G1 while cutting).
//
// The frame is that of the HPGL files: origin at the board's lower left corner, x to the right,
// y up, mirrored about the milling box when asked. GRBL has no canned drilling cycles, so every
// hole is a G1 plunge and a G0 retract.
//
// Terms used here:
//  - job order: paths and holes are visited in the order that shortens the rapid moves
//    (output/travel.h); what is cut stays the same.
//  - board outline: the path that cuts the board out of the blank. The cutter runs outside the
//    board by its radius (tool compensation), goes down in depth steps, and leaves holding tabs
//    on the last steps so that the board does not break loose.

#include "output/hpgl.h"

#include <optional>
#include <string>
#include <vector>

namespace trevok
{

/// What the board outline file is cut along.
enum class OutlineSource {
    None,
    Board,    // the board rectangle
    Selected, // the selected tracks and circles on B1 and B2 (see outlineLayer)
};

struct GcodeOptions {
    double depthMm = 0.1;      // isolation cutting depth below the copper surface
    double drillDepthMm = 1.8; // through a 1.5 mm board and its copper
    double outlineDepthMm = 1.8;
    double safeZMm = 2.0;          // travel height
    double feedMmPerMin = 200.0;   // cutting feed
    double plungeMmPerMin = 60.0;  // feed going down
    double rapidMmPerMin = 1000.0; // the machine's rapid rate, for the job-time estimate only
    int spindleRpm = 12000;        // 0 is refused: a cutter that does not turn breaks
    double dwellS = 2.0;           // wait after starting the spindle, until it runs at speed
    MillMirror mirror = MillMirror::None;
    DrillFiles drills = DrillFiles::None;
    RefCorners corners{false, false, false, false}; // registration holes, at drill depth
    bool centreMarks = false;                       // a dimple at every drill hole in the isolation file
    OutlineSource outline = OutlineSource::Board;
    // With OutlineSource::Selected: 0 takes the selected elements of B1 and B2 (the editor);
    // LayerB1 or LayerB2 takes every track and circle of that layer (the command line, as the
    // layout file keeps no selection).
    std::uint8_t outlineLayer = 0;
    double outlineToolMm = 2.0; // outline cutter diameter
    double outlineStepMm = 0.6; // depth of each outline pass
    int tabs = 4;               // holding tabs per closed outline
    double tabWidthMm = 2.0;    // material left at each tab, along the outline
    double tabHeightMm = 1.0;   // material left at each tab, above the bottom of the cut
    int language = 1;           // names of the drill and outline files
};

/// Lengths and the estimated time of a job (rapid moves at the rapid rate, cuts and plunges at
/// their feeds, the dwell); summed over its files.
struct GcodeStats {
    double travelMm = 0; // rapid moves sideways
    double cutMm = 0;    // cutting moves sideways
    double minutes = 0;
    void add(const GcodeStats& o) noexcept
    {
        travelMm += o.travelMm;
        cutMm += o.cutMm;
        minutes += o.minutes;
    }
};

/// The isolation file: the contours as closed paths, the further passes and single-line texts
/// as open ones, registration holes and centring marks, in job order.
std::string IsolationGcode(const TBoard& board, const std::vector<Contour>& contours,
                           const std::vector<OpenPath>& passes, const MillingOptions& milling,
                           const GcodeOptions& o, GcodeStats* stats = nullptr);

/// The drill files the options ask for ("BOHRUNG.NC"/"DRILLING.NC", or "BOHR_80.NC"/"DRIL_80.NC"
/// per drill diameter), one plunge per hole (one per plated pair).
std::vector<SideFile> DrillGcode(const TBoard& board, std::uint8_t layer, const GcodeOptions& o,
                                 GcodeStats* stats = nullptr);

/// The closed paths the outline cutter's centre follows (board units, unmirrored): the board
/// rectangle or the selected outline grown by the cutter radius, on the side away from the
/// board. Empty for OutlineSource::None or when nothing is selected.
std::vector<std::vector<TPoint>> OutlineToolPaths(const TBoard& board, const GcodeOptions& o);

/// The board outline file; nullopt when the outline is the selection and nothing is selected.
std::optional<std::string> OutlineGcode(const TBoard& board, const GcodeOptions& o,
                                        GcodeStats* stats = nullptr);
/// Its name beside the isolation file: "KONTUR.NC" (German, French) or "OUTLINE.NC".
std::string OutlineGcodeName(int language);

/// The files the isolation export writes beside the isolation file: the drill files and the
/// board outline file. nullopt when the outline is the selection and nothing is selected.
std::optional<std::vector<SideFile>> GcodeSideFiles(const TBoard& board, std::uint8_t layer,
                                                    const GcodeOptions& o, GcodeStats* stats = nullptr);

} // namespace trevok

#pragma once
// HPGL plot files for milling machines: the isolation file of a copper layer, drill files and
// the board contour file.
//
// Terms used here:
//  - plotter units: thousandths of an inch, or on request 40 per millimetre (the unit of the
//    HP-GL standard); origin at the board's lower left corner.
//  - milling box: the smallest rectangle holding every element of the board; mirroring is about
//    its centre, and the registration holes sit at its corners (never mirrored).
//  - drill hole: a through-hole pad of the milled side, or any through-plated pad; a plated
//    pair is one hole.

#include "output/isolation.h"

#include <string>
#include <utility>
#include <vector>

namespace trevok
{

struct TBoard;

enum class MillMirror { None, X, Y };
enum class DrillFiles { None, One, PerDiameter };

/// Corners that get a registration hole ("Pass-Bohrungen").
struct RefCorners {
    bool bottomLeft = true; // the dialog's initial choice
    bool bottomRight = false;
    bool topLeft = false;
    bool topRight = false;
};

/// The output choices of the milling dialogs; the command-line tool fills the same record.
struct HpglOptions {
    RefCorners corners;
    MillMirror mirror = MillMirror::None;
    bool centreMarks = false;
    DrillFiles drills = DrillFiles::None;
    bool metricUnits = false; // 40 plotter units per mm instead of 1000 per inch
    int language = 1;         // names of the drill files: 0 German, 1 English, 2 French
};

/// A file beside the main one: its name without folder, and its bytes.
struct SideFile {
    std::string name;
    std::string bytes;
};

/// Writes the main file and the files beside it (in the main file's folder) as one set
/// (WriteFilesAtomically): all or, on failure, none of them. Throws TrevokError WriteError.
void WriteWithSideFiles(const std::string& mainPath, const std::string& bytes,
                        const std::vector<SideFile>& side);

/// The smallest rectangle holding every element's outline (all zero for an empty board).
TRect MillingBox(const ElementList& elements);

/// The point mirrored about the box centre as asked.
TPoint MirrorInBox(TPoint p, const TRect& box, MillMirror mirror) noexcept;

/// The drill holes of a milled side in list order, one per plated pair.
std::vector<const TObjekt*> DrillHoles(const ElementList& elements, std::uint8_t layer);

/// The holes grouped by drill diameter (2 x drill radius, in units), diameters in the order they
/// first occur, holes in list order.
std::vector<std::pair<std::int64_t, std::vector<const TObjekt*>>>
HolesByDiameter(const std::vector<const TObjekt*>& holes);

/// The isolation milling file: registration holes, the contours, the further passes (open
/// paths), single-line texts and, when asked, centring marks at the drill holes.
std::string IsolationHpgl(const TBoard& board, const std::vector<Contour>& contours,
                          const std::vector<OpenPath>& passes, const MillingOptions& milling,
                          const HpglOptions& o);

/// The drill files the options ask for ("BOHRUNG.PLT"/"DRILLING.PLT", or one per drill diameter
/// "BOHR_80.PLT"/"DRIL_80.PLT"), holes mirrored like the copper so that both line up.
std::vector<SideFile> DrillHpgl(const TBoard& board, std::uint8_t layer, const HpglOptions& o);

/// True for the elements the board contour is milled along: tracks and circles on the layer, or
/// on B1 or B2 when layer is 0 (the editor takes the selected ones only).
bool IsOutlineElement(const TObjekt& e, std::uint8_t layer, bool selectedOnly) noexcept;

/// The board contour file: every outline element along its centre line.
std::string OutlineHpgl(const TBoard& board, std::uint8_t layer, bool selectedOnly, const HpglOptions& o);

/// The board contour file along the board rectangle (its edge, as a closed path).
std::string BoardRectangleHpgl(const TBoard& board, const HpglOptions& o);

/// The circle of an outline element as the points it is milled through (start to stop angle,
/// all the way round when they are equal).
std::vector<TPoint> OutlineCirclePoints(const TObjekt& circle);

} // namespace trevok

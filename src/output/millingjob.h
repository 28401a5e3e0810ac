#pragma once
// The isolation milling job: a board and the options of one milling run, made into files by one
// function that the milling dialogs and the command-line tool both call.
//
// Terms used here:
//  - job record: the board and every choice of the run (layer, width, passes, the format and
//    its options, where the isolation file goes). The dialogs fill it, the command line fills
//    the same record.
//  - the files of a job: the isolation file, and beside it (in its folder) the drill files and,
//    in G-code, the board outline file.
//  - dry run: a job without a path computes every file but writes none; the window runs it so,
//    shows the contours, and asks for the file name afterwards.
//
// The steps of a run, in order: the G-code outline is checked (a cheap refusal before the long
// work), the layer must hold something, the board's nets are traced (pieces of one net are not
// parted), ComputeIsolation gives the first pass and its problems, IsolationPasses the further
// passes on the board rectangle, the writers make the files, and the files are written as one
// set.

#include "output/gcode.h"
#include "output/hpgl.h"
#include "output/isolation.h"
#include "output/millpasses.h"

#include <optional>
#include <string>
#include <vector>

namespace trevok
{

struct TBoard;

enum class MillingFormat { Hpgl, Gcode };

struct MillingJob {
    const TBoard* board = nullptr;
    MillingFormat format = MillingFormat::Hpgl;
    MillingOptions milling;
    PassOptions passes;
    HpglOptions hpgl;   // with MillingFormat::Hpgl
    GcodeOptions gcode; // with MillingFormat::Gcode
    /// The isolation file; the others go beside it. Empty: a dry run.
    std::string path;
};

struct MillingJobResult {
    std::string bytes;          // the isolation file
    std::vector<SideFile> side; // the drill files, then the G-code outline file
    /// The paths of the files the job wrote, isolation file first; in a dry run the side files'
    /// names alone (the isolation file has no name yet).
    std::vector<std::string> files;
    /// The contours of the first pass and the further passes as open paths; the problems and the joins made
    /// only through a ground plane, found on the first pass.
    IsolationResult isolation;
    GcodeStats stats; // G-code only: travel, cut and time of all files
};

/// The board's isolation contours and problems: the empty-layer check, the board's nets and
/// ComputeIsolation (nothing is computed when the layer holds only single-line texts). nullopt
/// when cancelled. Throws TrevokError MillLayerEmpty.
std::optional<IsolationResult> IsolateBoard(const TBoard& board, const MillingOptions& o,
                                            MillingProgress* progress = nullptr);

/// Runs the job (see the steps above). nullopt when cancelled, and then nothing is written.
/// Throws TrevokError OutlineNothingSelected (G-code outline along a selection that is empty),
/// MillLayerEmpty, and the errors of WriteWithSideFiles.
std::optional<MillingJobResult> RunMillingJob(const MillingJob& job, MillingProgress* progress = nullptr);

/// Writes the files of a dry run, the isolation file at path and the others beside it, as one
/// set; the paths written. Throws as WriteWithSideFiles.
std::vector<std::string> WriteMillingFiles(const MillingJobResult& result, const std::string& path);

} // namespace trevok

#pragma once
// The fabrication set of a board: everything a board house needs in one upload. Copper, print
// and solder mask of both sides, an outline layer and the drill file, every layer as seen from
// side 1 (the top) and unmirrored, under the file-name extensions board houses recognise, plus a
// short text file that lists them; optionally packed into one zip archive.

#include "document/project.h"

#include <string>
#include <vector>

namespace trevok
{

/// One file of the set.
struct FabFile {
    std::string name;  // file name without folder
    std::string layer; // what it holds, in the language of the set
    std::string bytes;
};

struct FabOptions {
    double padOffsetMm = 0.30; // solder-mask opening around pads
    double smdOffsetMm = 0.10; // and around SMD pads
    int language = 1;          // 0 German, 1 English, 2 French: layer names and the list
    std::string baseName = "board";
};

/// The files of the set, the list last: base.GTL/.GBL copper, .GTO/.GBO print, .GTS/.GBS mask,
/// .GKO outline, .DRL drill, base-README.txt.
std::vector<FabFile> MakeFabricationSet(const TBoard& board, const FabOptions& options);

/// The files packed into one zip archive (deflated), in the given order.
std::string ZipFabricationSet(const std::vector<FabFile>& files);

/// Writes the set into an existing folder: every file, or with zip the one archive
/// base.zip. The files are replaced as one set (WriteFilesAtomically): after a failure none of
/// the new files is there and the old ones are unchanged. Returns the paths written; throws
/// TrevokError WriteError naming the file that failed.
std::vector<std::string> WriteFabricationSet(const std::vector<FabFile>& files, const std::string& folder,
                                             bool zip, const std::string& baseName);

/// The fabrication set as one job: the dialog and the command line fill the same record.
struct FabJob {
    const TBoard* board = nullptr;
    FabOptions options;
    std::string folder; // an existing folder; empty: a dry run that writes nothing
    bool zip = false;
};

/// Makes the set and writes it into the folder (WriteFabricationSet). Returns the paths written,
/// or in a dry run the names of the files it would write. Throws as WriteFabricationSet.
std::vector<std::string> RunFabJob(const FabJob& job);

/// A file name base made from a layout or board name: letters, digits, '-', '_' and '.' kept,
/// everything else '_'; "board" when nothing is left.
std::string FabBaseName(const std::string& name);

} // namespace trevok

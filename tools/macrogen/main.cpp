// trevok-macrogen: writes the starter macro library that ships with the editor.
//
//   trevok-macrogen <outdir> [<qrcfile>]
//
// writes every footprint of footprints.cpp as <outdir>/<Family>/<name>.lmk and, when a resource
// file is named, the Qt resource file listing them under ":/macros". The checked-in copies in
// resources/macros are regenerated with
//
//   cmake --build <builddir> --target macros
//
// after changing a footprint; the macrogen tests fail while the checked-in files are stale.

#include "footprints.h"

#include "document/layoutfile.h"
#include "document/messages.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: trevok-macrogen <outdir> [<qrcfile>]\n";
        return 2;
    }
    const fs::path out = argv[1];
    try {
        const auto footprints = trevok::starterFootprints();
        std::set<fs::path> written;
        for (const auto& f : footprints) {
            const fs::path file = out / fs::path(f.path);
            fs::create_directories(file.parent_path());
            trevok::WriteMacroFile(file.string(), f.elements, f.line1, f.line2);
            written.insert(fs::weakly_canonical(file));
        }
        // A footprint renamed or dropped leaves its old file behind; say so rather than delete
        // in a folder the caller chose.
        for (const auto& entry : fs::recursive_directory_iterator(out))
            if (entry.is_regular_file() && entry.path().extension() == ".lmk" &&
                !written.count(fs::weakly_canonical(entry.path())))
                std::cerr << "not made by this generator: " << entry.path().string() << "\n";
        if (argc == 3) {
            const fs::path qrc = argv[2];
            const fs::path folder = fs::relative(fs::absolute(out), fs::absolute(qrc).parent_path());
            std::ofstream q(qrc, std::ios::binary | std::ios::trunc);
            q << trevok::resourceFileText(footprints, folder.generic_string());
            if (!q.flush()) {
                std::cerr << "cannot write " << qrc.string() << "\n";
                return 1;
            }
        }
        std::cout << footprints.size() << " macros written to " << out.string() << "\n";
    } catch (const trevok::TrevokError& e) {
        std::cerr << "cannot write the macros: " << e.what();
        for (const auto& a : e.args)
            std::cerr << " " << a;
        std::cerr << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}

// Writes a layout file of one synthetic board, for measuring the programs from outside
// (e.g. /usr/bin/time -v trevok-cli info --json --elements FILE):
//   trevok-makeboard ELEMENTS OUT.lay [WIDTH_MM HEIGHT_MM]
// Same board as the file benchmarks: 400 x 250 mm unless a size is given, the generator's
// fixed seed.

#include "document/layoutfile.h"
#include "generator/boardgen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: trevok-makeboard ELEMENTS OUT.lay [WIDTH_MM HEIGHT_MM]\n");
        return 2;
    }
    const long width = argc == 5 ? std::strtol(argv[3], nullptr, 10) * 100 : 40000;
    const long height = argc == 5 ? std::strtol(argv[4], nullptr, 10) * 100 : 25000;
    if (width <= 0 || height <= 0 || width > 100000 || height > 100000) {
        std::fprintf(stderr, "trevok-makeboard: the size lies between 1 and 1000 mm\n");
        return 2;
    }
    const long count = std::strtol(argv[1], nullptr, 10);
    if (count <= 0) {
        std::fprintf(stderr, "trevok-makeboard: ELEMENTS must be a positive number\n");
        return 2;
    }
    trevok::TProject p;
    auto board = std::make_unique<trevok::TBoard>();
    board->Name = "Bench";
    board->BoardWidth = static_cast<std::int32_t>(width);
    board->BoardHeight = static_cast<std::int32_t>(height);
    board->Elements = trevok::bench::generateBoard(static_cast<std::size_t>(count), 20240601,
                                                   static_cast<int>(width), static_cast<int>(height));
    p.Boards.push_back(std::move(board));
    p.Current = 0;
    try {
        trevok::WriteLayoutFile(p, argv[2]);
    } catch (const trevok::TrevokError& e) {
        std::fprintf(stderr, "trevok-makeboard: %s\n", trevok::MessageText(e.id, 1, e.args).c_str());
        return 1;
    }
    return 0;
}

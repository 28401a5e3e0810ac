// Writes a layout file of one synthetic board, for measuring the programs from outside
// (e.g. /usr/bin/time -v trevok-cli info --json --elements FILE):
//   trevok-makeboard ELEMENTS OUT.lay [WIDTH_MM HEIGHT_MM | --density]
// Same board as the file benchmarks: 400 x 250 mm unless a size is given, the generator's fixed
// seed. With --density the board grows with the element count so that it is as crowded as the
// 20,000-element benchmark board on 400 x 250 mm (200,000 elements: 1265 x 791 mm), which is what
// a big board is like; without, every element count crowds onto the board's size.

#include "document/layoutfile.h"
#include "generator/boardgen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    const bool density = argc == 4 && std::strcmp(argv[3], "--density") == 0;
    if (argc != 3 && argc != 5 && !density) {
        std::fprintf(stderr, "usage: trevok-makeboard ELEMENTS OUT.lay [WIDTH_MM HEIGHT_MM | --density]\n");
        return 2;
    }
    long width = argc == 5 ? std::strtol(argv[3], nullptr, 10) * 100 : 40000;
    long height = argc == 5 ? std::strtol(argv[4], nullptr, 10) * 100 : 25000;
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
    if (density) {
        const double scale = std::sqrt(static_cast<double>(count) / 20000.0);
        width = std::lround(40000 * scale);
        height = std::lround(25000 * scale);
    }
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

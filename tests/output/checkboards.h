#pragma once
// Boards made for the design check, written as layout file bytes by the test builder (never by
// our writer): a clean board, and one change at a time that breaks one rule.

#include "document/filebuilder.h"

#include <string>
#include <utility>
#include <vector>

namespace checkboards
{

using namespace filebuilder;

/// One element of a test board with the parts of its record that follow the fixed fields.
struct El {
    Rec rec;
    std::vector<std::array<std::int32_t, 2>> nodes; // tracks and areas
    std::int32_t twin = -1;                         // pads
    std::vector<std::int32_t> connections;          // pads and SMD pads
    std::int32_t routeStart = -1, routeEnd = -1;    // autorouted tracks
};

struct Board {
    Block block;
    std::vector<El> elements;

    void connect(int a, int b)
    {
        elements[a].connections.push_back(b);
        elements[b].connections.push_back(a);
    }
};

/// The version-4 file of one board.
inline Bytes layoutFile(const Board& board)
{
    File f;
    f.header(4).i32(1).str("Check", 30).raw(boardBlock(board.block));
    f.i32(static_cast<std::int32_t>(board.elements.size()));
    for (const El& e : board.elements) {
        f.raw(recV4(e.rec)).text("").ids32({});
        if (e.rec.kind == 2)
            f.i32(e.twin);
        if (e.rec.kind == 6 || e.rec.kind == 4)
            f.nodes32(e.nodes);
    }
    for (const El& e : board.elements)
        if (e.rec.kind == 2 || e.rec.kind == 8)
            f.ids32(e.connections);
    for (const El& e : board.elements)
        if (e.rec.kind == 6 && e.rec.autorouted)
            f.i32(e.routeStart).i32(e.routeEnd);
    trailerV4(f, 0);
    return f.b;
}

// Indices of the clean board's elements.
constexpr int kPadA = 0, kPadB = 1, kTrack = 2, kSmd = 3, kPrint = 4;

/// A 50 x 30 mm board: two pads on K1 joined by a track (their connection realised), an SMD pad
/// standing alone, and a print line far from every pad. It breaks no rule at the defaults.
inline Board cleanBoard()
{
    Board b;
    b.block.width = 5000;
    b.block.height = 3000;
    b.block.activeLayer = 1;
    auto pad = [](int x, int y) {
        return El{.rec = {.kind = 2, .x = x, .y = y, .size1 = 80, .size2 = 40, .layer = 1, .shape = 1}};
    };
    b.elements.push_back(pad(1000, -1500));
    b.elements.push_back(pad(3000, -1500));
    b.elements.push_back(
        El{.rec = {.kind = 6, .width = 40, .layer = 1}, .nodes = {{1000, -1500}, {3000, -1500}}});
    b.elements.push_back(
        El{.rec = {.kind = 8, .x = 2000, .y = -2200, .size1 = 150, .size2 = 80, .layer = 1}});
    b.elements.push_back(
        El{.rec = {.kind = 1, .x = 500, .y = -500, .size1 = 1500, .size2 = -500, .width = 20, .layer = 2}});
    b.connect(kPadA, kPadB);
    return b;
}

} // namespace checkboards

#pragma once
// Rubber-band connections ("Luftlinien"): pairs of pads that must be joined by copper. A pair is
// held on both pads, in each one's Connections list, at most once.

#include "document/project.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace trevok
{

bool AreConnected(const TObjekt& a, const TObjekt& b) noexcept;
/// Adds the pair to both lists (nothing when it is held already or a and b are the same pad).
void AddConnection(TObjekt& a, TObjekt& b);
/// Removes the pair from both lists.
void RemoveConnection(TObjekt& a, TObjekt& b);
/// Removes the pair when it is held, else adds it. Returns true when it is held afterwards.
bool ToggleConnection(TObjekt& a, TObjekt& b);
/// The number of connections of the board, each pair counted once.
std::size_t CountConnections(const TBoard& board);

/// True when the mouse (mx, my) lies on the line from (px, py) to (qx, qy) within t, all in
/// window pixels: inside the rectangle of the two ends grown by t, and for a slanted line within
/// t of it along x or along y.
bool ConnectionLineHit(std::int64_t px, std::int64_t py, std::int64_t qx, std::int64_t qy, std::int64_t mx,
                       std::int64_t my, std::int64_t t) noexcept;

/// What the removal of realised connections did.
struct RemoveRealisedResult {
    std::size_t removed = 0;
    std::size_t remaining = 0;
};

/// Removes every connection whose two pads are joined by copper (the same net), pad by pad in
/// list order. Leaves no element selected. Takes no undo snapshot: the caller does.
RemoveRealisedResult RemoveRealisedConnections(TBoard& board);

/// The report lines of the removal, separated by "\r", in a language (0 German, 1 English,
/// 2 French).
std::string RemoveRealisedReport(const RemoveRealisedResult& result, int language);

} // namespace trevok

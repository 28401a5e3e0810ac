#pragma once
// The autorouter's literal ring procedure, step for step, kept as the reference the
// fast wave (SearchRings) is compared with in the tests and timed against in the benchmark.

#include "routing/routersearch.h"

#include <algorithm>
#include <vector>

namespace trevok::testing
{

/// The literal ring procedure: every ring of every sweep, and within a ring the
/// cheapest free cell (earliest in ring order on ties) written one at a time.
inline bool literalSearch(RouterGrid& g, CellPos s, CellPos e)
{
    g.at(e.i, e.j) = CellFree;
    g.at(s.i, s.j) = 0;
    const int rmax = std::max({g.imax() - s.i, s.i, g.jmax() - s.j, s.j});
    auto tentative = [&](int i, int j) {
        std::int32_t best = -1;
        for (int di = -1; di <= 1; ++di)
            for (int dj = -1; dj <= 1; ++dj) {
                if ((di == 0 && dj == 0) || !g.inside(i + di, j + dj))
                    continue;
                const std::int32_t v = g.at(i + di, j + dj);
                const std::int32_t c = v + ((di != 0 && dj != 0) ? 2 : 1);
                if (v >= 0 && (best < 0 || c < best))
                    best = c;
            }
        return best;
    };
    for (int sweep = 0; sweep < 80; ++sweep) {
        bool wrote = false;
        for (int f = 1; f <= rmax; ++f) {
            std::vector<CellPos> ring;
            auto take = [&](int i, int j) {
                if (g.interior(i, j))
                    ring.push_back({i, j});
            };
            for (int i = s.i - f; i <= s.i + f; ++i)
                take(i, s.j - f);
            for (int j = s.j - f + 1; j <= s.j + f; ++j)
                take(s.i + f, j);
            for (int i = s.i + f - 1; i >= s.i - f; --i)
                take(i, s.j + f);
            for (int j = s.j + f - 1; j >= s.j - f + 1; --j)
                take(s.i - f, j);
            for (std::size_t round = 0; round < ring.size() + 1; ++round) {
                std::int32_t best = -1;
                std::size_t at = 0;
                for (std::size_t k = 0; k < ring.size(); ++k) {
                    if (g.at(ring[k].i, ring[k].j) != CellFree)
                        continue;
                    const std::int32_t t = tentative(ring[k].i, ring[k].j);
                    if (t >= 0 && (best < 0 || t < best)) {
                        best = t;
                        at = k;
                    }
                }
                if (best < 0)
                    break;
                g.at(ring[at].i, ring[at].j) = best;
                wrote = true;
            }
            if (g.at(e.i, e.j) != CellFree)
                return true;
        }
        if (!wrote)
            return false;
    }
    return false;
}

} // namespace trevok::testing

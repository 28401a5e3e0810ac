// The job order: shorter rapid moves, the same cuts.
#include "output/travel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace trevok;

namespace
{

/// A path in a form that ignores where a closed path starts and which way an open one runs.
std::vector<TPoint> canonical(CutPath p)
{
    auto less = [](TPoint a, TPoint b) { return std::pair(a.x, a.y) < std::pair(b.x, b.y); };
    if (p.closed) {
        std::rotate(p.points.begin(), std::min_element(p.points.begin(), p.points.end(), less),
                    p.points.end());
    } else if (less(p.points.back(), p.points.front())) {
        std::reverse(p.points.begin(), p.points.end());
    }
    return p.points;
}

std::vector<std::vector<TPoint>> canonicalSet(const std::vector<CutPath>& paths)
{
    std::vector<std::vector<TPoint>> out;
    for (const CutPath& p : paths)
        out.push_back(canonical(p));
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](TPoint p, TPoint q) {
            return std::pair(p.x, p.y) < std::pair(q.x, q.y);
        });
    });
    return out;
}

} // namespace

TEST(Travel, OrderShortensTheMovesAndKeepsEveryCut)
{
    std::mt19937 rng(20);
    auto coord = [&](int hi) { return std::uniform_int_distribution<int>(0, hi)(rng); };
    struct Case {
        const char* name;
        std::vector<CutPath> paths;
        double best; // the shortest travel when known, else 0
    };
    std::vector<Case> cases;
    {
        Case c{"holes on a line, shuffled", {}, 9900};
        for (int i = 1; i <= 99; ++i)
            c.paths.push_back({{{i * 100, 0}}, true});
        std::shuffle(c.paths.begin(), c.paths.end(), rng);
        cases.push_back(std::move(c));
    }
    {
        // Squares listed from the far end; a closed path is left where it was entered.
        Case c{"squares in a row", {}, 0};
        for (int i = 9; i >= 0; --i) {
            const int x = i * 1000;
            c.paths.push_back({{{x + 400, 400}, {x + 400, 0}, {x, 0}, {x, 400}}, true});
        }
        // Entered and left at their lower left corners, 10 mm apart.
        c.best = 9 * 1000;
        cases.push_back(std::move(c));
    }
    {
        Case c{"random open and closed paths", {}, 0};
        for (int i = 0; i < 300; ++i) {
            CutPath p;
            p.closed = i % 3 != 0;
            const int x = coord(20000), y = coord(20000);
            for (int k = 0; k < 4; ++k)
                p.points.push_back({x + coord(300), y + coord(300)});
            c.paths.push_back(std::move(p));
        }
        cases.push_back(std::move(c));
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TPoint start{0, 0};
        const double before = TravelLength(c.paths, start);
        std::vector<CutPath> ordered = c.paths;
        OrderPaths(ordered, start);
        EXPECT_EQ(canonicalSet(ordered), canonicalSet(c.paths));
        const double after = TravelLength(ordered, start);
        EXPECT_LT(after, before);
        if (c.best > 0)
            EXPECT_NEAR(after, c.best, 1e-6);
        else
            EXPECT_LT(after, before / 5); // random order wanders the board for every path
    }
    std::vector<TPoint> holes = {{500, 0}, {100, 0}, {300, 0}, {200, 0}, {400, 0}};
    OrderPoints(holes, {0, 0});
    EXPECT_EQ(holes, (std::vector<TPoint>{{100, 0}, {200, 0}, {300, 0}, {400, 0}, {500, 0}}));
}

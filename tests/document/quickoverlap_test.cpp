#include "document/objekt.h"
#include "document/quickoverlap.h"
#include "document/region.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace trevok;

namespace
{

using Maker = std::function<TObjekt(std::mt19937&)>;

int uniform(std::mt19937& rng, int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

TPoint near(std::mt19937& rng)
{
    return {uniform(rng, -300, 300), uniform(rng, -300, 300)};
}

TObjekt trackOf(std::mt19937& rng, std::uint8_t kind)
{
    TObjekt e;
    e.Kind = kind;
    e.Width = uniform(rng, 0, 9) == 0 ? uniform(rng, -10, 10) : uniform(rng, 2, 160);
    if (kind == KindLine) {
        const TPoint p = near(rng);
        const TPoint q = uniform(rng, 0, 5) == 0 ? p : near(rng);
        e.X = p.x;
        e.Y = p.y;
        e.Size1 = q.x;
        e.Size2 = q.y;
        return e;
    }
    for (int k = uniform(rng, 1, 4); k > 0; --k)
        e.Points.push_back(near(rng));
    return e;
}

TObjekt padOf(std::mt19937& rng)
{
    TObjekt e;
    e.Kind = KindPad;
    const TPoint c = near(rng);
    e.X = c.x;
    e.Y = c.y;
    e.Size1 = uniform(rng, -5, 150);
    e.Shape = static_cast<std::uint8_t>(uniform(rng, 0, 10)); // 0 and 10: unknown codes, a disc
    return e;
}

TObjekt smdOf(std::mt19937& rng)
{
    TObjekt e;
    e.Kind = KindSmdPad;
    const TPoint c = near(rng);
    e.X = c.x;
    e.Y = c.y;
    e.Size1 = uniform(rng, -2, 200);
    e.Size2 = uniform(rng, -2, 200);
    return e;
}

TObjekt ringOf(std::mt19937& rng)
{
    TObjekt e;
    e.Kind = KindCircle;
    const TPoint c = near(rng);
    e.X = c.x;
    e.Y = c.y;
    e.Size1 = uniform(rng, 20, 200);
    e.Size2 = e.Size1 / 2;
    return e;
}

TObjekt circleOf(std::mt19937& rng)
{
    // Whole rings, discs, and arcs of both.
    TObjekt e = ringOf(rng);
    e.Size2 = uniform(rng, -5, e.Size1 + 5);
    e.Filled = uniform(rng, 0, 3) == 0;
    if (uniform(rng, 0, 1)) {
        e.Angle = uniform(rng, -400, 400);
        e.Width = uniform(rng, -400, 400);
    }
    return e;
}

TObjekt textOf(std::mt19937& rng)
{
    TObjekt e;
    e.Kind = KindLayoutText;
    for (int k = uniform(rng, 0, 5); k > 0; --k)
        e.Strokes.push_back(trackOf(rng, KindTrack));
    return e;
}

TObjekt areaOf(std::mt19937& rng)
{
    // Star-shaped and crossed polygons, open and closed the way the area tool stores them.
    TObjekt e;
    e.Kind = KindArea;
    e.Width = uniform(rng, 0, 4) == 0 ? uniform(rng, 0, 7) : uniform(rng, 8, 40);
    for (int k = uniform(rng, 1, 7); k > 0; --k)
        e.Points.push_back(near(rng));
    if (uniform(rng, 0, 1))
        e.Points.push_back(e.Points.front());
    return e;
}

} // namespace

// Wherever the quick test decides, it must say what the outlines say: on random pairs, and on
// pairs moved to where their outlines just touch and a few units either side of it.
TEST(QuickOverlap, DecidesOnlyWhatTheOutlinesSay)
{
    constexpr int Pairs = 1000;
    constexpr int Most = Pairs / 3;
    const struct {
        const char* name;
        Maker a;
        Maker b;
        int least; // of the random pairs at least this many are decided without outlines; -1: none
    } cases[] = {
        {"track-track", [](auto& r) { return trackOf(r, KindTrack); },
         [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"line-track", [](auto& r) { return trackOf(r, KindLine); },
         [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"pad-track", padOf, [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"pad-pad", padOf, padOf, Most},
        {"smd-track", smdOf, [](auto& r) { return trackOf(r, KindLine); }, Most},
        {"smd-pad", smdOf, padOf, Most},
        {"smd-smd", smdOf, smdOf, Most},
        {"ring-pad", ringOf, padOf, Most},
        {"circle-track", circleOf, [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"circle-smd", circleOf, smdOf, Most},
        {"circle-circle", circleOf, circleOf, -1},
        {"text-track", textOf, [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"text-pad", textOf, padOf, Most},
        {"area-track", areaOf, [](auto& r) { return trackOf(r, KindTrack); }, Most},
        {"area-smd", areaOf, smdOf, Most},
        {"area-pad", areaOf, padOf, Most},
        {"area-circle", areaOf, circleOf, Pairs / 5},
    };
    for (const auto& c : cases) {
        std::mt19937 rng(20261208);
        int decided = 0; // of the random pairs (near touching, most are left to the outlines)
        int tested = 0;
        auto check = [&](const TObjekt& a, const TObjekt& b, bool random) {
            const int quick = QuickOverlap(a, b);
            ++tested;
            if (quick < 0)
                return;
            decided += random;
            const bool exact = ElementRegion(a).overlaps(ElementRegion(b));
            ASSERT_EQ(quick == 1, exact) << c.name << " pair " << tested;
            ASSERT_EQ(QuickOverlap(b, a), quick) << c.name << " pair " << tested;
        };
        for (int k = 0; k < Pairs; ++k) {
            const TObjekt a = c.a(rng);
            TObjekt b = c.b(rng);
            check(a, b, true);
            // Slide b along a direction from overlapping to apart, find where the outlines stop
            // meeting, and try the units around it.
            const int dx = uniform(rng, -7, 7);
            const int dy = uniform(rng, -7, 7);
            if ((dx == 0 && dy == 0) || !ElementRegion(a).overlaps(ElementRegion(b)))
                continue;
            int lo = 0;
            int hi = 1;
            auto meets = [&](int s) {
                TObjekt m = b;
                Translate(m, s * dx, s * dy);
                return ElementRegion(a).overlaps(ElementRegion(m));
            };
            while (meets(hi) && hi < 4096)
                hi *= 2;
            while (hi - lo > 1) {
                const int mid = (lo + hi) / 2;
                (meets(mid) ? lo : hi) = mid;
            }
            for (int s = lo - 2; s <= lo + 3; ++s) {
                TObjekt m = b;
                Translate(m, s * dx, s * dy);
                check(a, m, false);
            }
        }
        if (c.least >= 0)
            EXPECT_GE(decided, c.least) << c.name;
        else
            EXPECT_EQ(decided, 0) << c.name;
    }
}

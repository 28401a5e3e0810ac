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

} // namespace

// Wherever the quick test decides, it must say what the outlines say: on random pairs, and on
// pairs moved to where their outlines just touch and a few units either side of it.
TEST(QuickOverlap, DecidesOnlyWhatTheOutlinesSay)
{
    const struct {
        const char* name;
        Maker a;
        Maker b;
        bool decides; // most pairs of these kinds are decided without outlines
    } cases[] = {
        {"track-track", [](auto& r) { return trackOf(r, KindTrack); },
         [](auto& r) { return trackOf(r, KindTrack); }, true},
        {"line-track", [](auto& r) { return trackOf(r, KindLine); },
         [](auto& r) { return trackOf(r, KindTrack); }, true},
        {"pad-track", padOf, [](auto& r) { return trackOf(r, KindTrack); }, true},
        {"pad-pad", padOf, padOf, true},
        {"smd-track", smdOf, [](auto& r) { return trackOf(r, KindLine); }, true},
        {"smd-pad", smdOf, padOf, true},
        {"smd-smd", smdOf, smdOf, true},
        {"ring-pad", ringOf, padOf, false},
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
        for (int k = 0; k < 1500; ++k) {
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
        if (c.decides)
            EXPECT_GT(decided, 1500 / 3) << c.name;
        else
            EXPECT_EQ(decided, 0) << c.name;
    }
}

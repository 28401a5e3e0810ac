// Work spread over the cores gives what one thread gives: nets, copper pieces, contours and
// isolation problems of random boards, with one worker and with several.
#include "document/parallel.h"
#include "output/isolation.h"
#include "routing/nettrace.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>

using namespace trevok;

namespace
{

/// A random board on both copper sides and a print layer: pads (some through-plated twins),
/// SMD pads, tracks, rings and arcs, areas (some restricted), font texts on copper, elements of
/// clearance 0 for the ground plane. Crowded enough that nets chain across many elements.
TBoard randomBoard(unsigned seed, int count, bool plane)
{
    std::mt19937 rng(seed);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TBoard b;
    b.BoardWidth = 20000;
    b.BoardHeight = 12000;
    b.GroundPlane1 = plane ? 1 : 0;
    b.GroundPlane2 = plane && uni(0, 1) ? 1 : 0;
    ElementList& list = b.Elements;
    const std::uint8_t layers[] = {LayerK1, LayerK2, LayerK1, LayerK2, LayerB1};
    for (int i = 0; i < count; ++i) {
        const TPoint at{uni(0, 20000), -uni(0, 12000)};
        const std::uint8_t layer = layers[uni(0, 4)];
        switch (uni(0, 7)) {
        case 0:
        case 1: {
            list.push_back(NewPad(at, uni(40, 150), static_cast<std::uint8_t>(uni(1, 9)), layer, 40));
            if (uni(0, 2) == 0) {
                list.push_back(
                    NewPad(at, uni(40, 150), ShapeRound, layer == LayerK1 ? LayerK2 : LayerK1, 40));
                TObjekt& a = *list[list.size() - 2];
                TObjekt& c = *list.back();
                a.Twin = &c;
                c.Twin = &a;
            }
            break;
        }
        case 2:
            list.push_back(NewSmdPad(at, uni(30, 250), layer, uni(30, 250)));
            break;
        case 3:
        case 4: {
            auto t = NewTrack(uni(10, 80), layer);
            AddPoint(*t, at);
            for (int k = uni(1, 4); k > 0; --k)
                AddPoint(*t, {t->Points.back().x + uni(-1500, 1500), t->Points.back().y + uni(-1500, 1500)});
            list.push_back(std::move(t));
            break;
        }
        case 5: {
            auto c = NewCircle(at, uni(100, 400), 0, layer, uni(0, 90));
            c->Angle = uni(0, 359);
            c->Width = uni(0, 1) ? c->Angle : uni(0, 359);
            list.push_back(std::move(c));
            break;
        }
        case 6: {
            auto a = NewArea(uni(10, 40), layer == LayerB1 ? std::uint8_t{LayerK1} : layer);
            for (int k = uni(3, 5); k > 0; --k)
                AddPoint(*a, {at.x + uni(-800, 800), at.y + uni(-800, 800)});
            a->Restricted = uni(0, 3) == 0 ? 1 : 0;
            list.push_back(std::move(a));
            break;
        }
        default: {
            auto f = std::make_unique<TObjekt>();
            f->Kind = KindFontText;
            f->Layer = layer;
            f->X = at.x;
            f->Y = at.y;
            f->Size1 = at.x + uni(100, 900);
            f->Size2 = at.y + uni(50, 300);
            list.push_back(std::move(f));
            break;
        }
        }
        list.back()->Clearance = uni(0, 2) == 0 ? 0 : 40;
    }
    return b;
}

/// Equal numbers in a and b for exactly the same pairs of elements.
bool samePartition(const std::vector<int>& a, const std::vector<int>& b)
{
    if (a.size() != b.size())
        return false;
    std::map<int, int> ab, ba;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] < 0) != (b[i] < 0))
            return false;
        if (a[i] < 0)
            continue;
        if (ab.emplace(a[i], b[i]).first->second != b[i] || ba.emplace(b[i], a[i]).first->second != a[i])
            return false;
    }
    return true;
}

struct Outcome {
    std::vector<int> nets;
    std::vector<int> pieces;
    std::optional<IsolationResult> isolation;
};

Outcome runWith(int threads, const TBoard& board, const MillingOptions& o)
{
    SetWorkerThreads(threads);
    NetTracer trace(board);
    Outcome r;
    const MillingNets nets = MillingNetsOf(board, &trace);
    r.nets = nets.nets;
    r.pieces = trace.copperPieces();
    r.isolation = ComputeIsolation(board.Elements, o, nullptr, &nets);
    SetWorkerThreads(0);
    return r;
}

using Place = std::tuple<int, int, std::size_t, std::size_t, int>;

std::vector<Place> places(const std::vector<IsolationProblem>& problems)
{
    std::vector<Place> out;
    for (const IsolationProblem& p : problems)
        out.emplace_back(p.at.x, p.at.y, p.elementA, p.elementB, static_cast<int>(p.kind));
    return out;
}

} // namespace

TEST(Threads, RandomBoardsGiveWhatOneThreadGives)
{
    struct Case {
        unsigned seed;
        int elements;
        bool plane;
        std::uint8_t layer;
        std::int32_t width;
    };
    const Case cases[] = {
        {1, 60, false, LayerK1, 0},  {2, 200, false, LayerK1, 20}, {3, 400, true, LayerK1, 0},
        {4, 400, true, LayerK2, 40}, {5, 1200, false, LayerK2, 0}, {6, 1200, true, LayerK1, 20},
        {7, 2500, true, LayerK1, 0},
    };
    for (const Case& c : cases) {
        const TBoard board = randomBoard(c.seed, c.elements, c.plane);
        MillingOptions o;
        o.layer = c.layer;
        o.width = c.width;
        const std::string what = "seed " + std::to_string(c.seed);

        // The trace element after element is the reference for the nets of the whole board.
        // The same trace without the ground planes joins by copper alone: the copper pieces.
        NetTracer oneByOne(board);
        NetTracer copperOnly(board, false);
        MillingNets reference;
        for (std::size_t i = 0; i < board.Elements.size(); ++i) {
            reference.nets.push_back(oneByOne.netId(i));
            reference.copper.push_back(copperOnly.netId(i));
        }

        const Outcome one = runWith(1, board, o);
        EXPECT_EQ(one.nets, reference.nets) << what;
        EXPECT_TRUE(samePartition(one.pieces, reference.copper)) << what;
        ASSERT_TRUE(one.isolation) << what;
        const auto alone = ComputeIsolation(board.Elements, o, nullptr, &reference);
        ASSERT_TRUE(alone) << what;
        EXPECT_EQ(one.isolation->contours, alone->contours) << what;
        EXPECT_EQ(places(one.isolation->problems), places(alone->problems)) << what;
        EXPECT_EQ(places(one.isolation->planeJoins), places(alone->planeJoins)) << what;

        for (int threads : {2, 5}) {
            const Outcome many = runWith(threads, board, o);
            const std::string how = what + ", " + std::to_string(threads) + " threads";
            EXPECT_EQ(many.nets, one.nets) << how;
            EXPECT_TRUE(samePartition(many.pieces, one.pieces)) << how;
            ASSERT_TRUE(many.isolation) << how;
            EXPECT_EQ(many.isolation->contours, one.isolation->contours) << how;
            EXPECT_EQ(places(many.isolation->problems), places(one.isolation->problems)) << how;
            EXPECT_EQ(places(many.isolation->planeJoins), places(one.isolation->planeJoins)) << how;
        }
    }
}

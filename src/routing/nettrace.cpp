#include "routing/nettrace.h"

#include "document/boxindex.h"
#include "document/disjointsets.h"
#include "document/parallel.h"
#include "document/quickoverlap.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

bool isRestricted(const TObjekt& e) noexcept
{
    return e.Kind == KindArea && e.Restricted;
}

constexpr std::size_t LayerSlots = 8; // layer codes 0..7; anything else is kept out of the index

} // namespace

/// The elements of one layer, with their bounds in a bucket grid.
struct NetTracer::LayerIndex {
    std::vector<std::size_t> members;     // list order
    std::vector<std::size_t> planeJoined; // clearance 0, in list order
    std::vector<std::size_t> restricted;  // restricted areas, in list order
    BoxIndex boxes;
};

NetTracer::NetTracer(const TBoard& board, bool throughGroundPlane)
    : board_(board), throughPlane_(throughGroundPlane), indexOf_(board.Elements.size())
{
    const std::size_t n = board.Elements.size();
    bounds_.resize(n);
    // The bounds only choose the pairs to test: an arc's need no outline built.
    ParallelFor(
        n, [&](std::size_t i, std::size_t) { bounds_[i] = QuickBounds(*board.Elements[i]); }, 4096);
    regions_.resize(n);
    covered_.assign(n, -1);
    netIds_.assign(n, -1);
    seen_.assign(n, 0);
    tested_.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        indexOf_.insert(board.Elements[i].get(), i);
    buildIndex();
}

NetTracer::~NetTracer()
{
    // Freeing the outlines of a big board takes as long as building a good part of them.
    ParallelFor(
        regions_.size(), [&](std::size_t i, std::size_t) { regions_[i].reset(); }, 4096);
}

void NetTracer::buildIndex()
{
    layers_.resize(LayerSlots);
    for (auto& l : layers_)
        l = std::make_unique<LayerIndex>();
    for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
        const TObjekt& e = *board_.Elements[i];
        if (e.Layer >= LayerSlots)
            continue;
        LayerIndex& l = *layers_[e.Layer];
        l.members.push_back(i);
        if (e.Clearance == 0)
            l.planeJoined.push_back(i);
        if (isRestricted(e))
            l.restricted.push_back(i);
    }
    // The layers share one copy of the bounds.
    const auto shared = std::make_shared<const std::vector<TRect>>(bounds_);
    for (auto& l : layers_)
        if (!l->members.empty())
            l->boxes.build(shared, l->members);
}

std::ptrdiff_t NetTracer::indexOf(const TObjekt* element) const
{
    const std::size_t* i = indexOf_.find(element);
    return i ? static_cast<std::ptrdiff_t>(*i) : -1;
}

const Region& NetTracer::region(std::size_t index)
{
    auto& r = regions_[index];
    if (!r)
        r = std::make_unique<Region>(ElementRegion(*board_.Elements[index]));
    return *r;
}

bool NetTracer::covered(std::size_t index)
{
    std::int8_t& c = covered_[index];
    if (c >= 0)
        return c != 0;
    c = 0;
    const TObjekt& e = *board_.Elements[index];
    if (e.Layer >= LayerSlots)
        return false;
    const TRect& b = bounds_[index];
    for (std::size_t k : layers_[e.Layer]->restricted) {
        if (!bounds_[k].intersects(b))
            continue;
        if (k == index || region(index).subtracted(region(k)).isEmpty()) {
            c = 1;
            break;
        }
    }
    return c != 0;
}

bool NetTracer::joinsPlane(std::size_t index)
{
    if (!throughPlane_)
        return false;
    const TObjekt& e = *board_.Elements[index];
    const bool planeOn =
        (e.Layer == LayerK1 && board_.GroundPlane1) || (e.Layer == LayerK2 && board_.GroundPlane2);
    return planeOn && e.Clearance == 0 && !isRestricted(e) && !covered(index);
}

std::vector<std::size_t> NetTracer::net(std::size_t start)
{
    std::vector<std::size_t> reached;
    if (start >= board_.Elements.size())
        return reached;
    // A fresh stamp marks the elements of this trace; wrapping restarts the marks.
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    const std::uint32_t mark = stamp_;
    // A restricted area belongs to no net: started there, the trace must not spread into the
    // copper it overlaps (that copper would be numbered apart from the rest of its net).
    if (isRestricted(*board_.Elements[start])) {
        seen_[start] = mark;
        reached.push_back(start);
        return reached;
    }
    std::array<bool, LayerSlots> planeDone{};
    std::vector<std::size_t> work{start};
    seen_[start] = mark;
    auto reach = [&](std::size_t i) {
        if (seen_[i] != mark) {
            seen_[i] = mark;
            work.push_back(i);
        }
    };
    while (!work.empty()) {
        const std::size_t i = work.back();
        work.pop_back();
        reached.push_back(i);
        const TObjekt& e = *board_.Elements[i];
        if (e.Layer >= LayerSlots)
            continue;
        const TRect& b = bounds_[i];
        if (++query_ == 0) {
            std::fill(tested_.begin(), tested_.end(), 0);
            query_ = 1;
        }
        layers_[e.Layer]->boxes.query(b, [&](std::size_t f) {
            if (tested_[f] == query_)
                return; // met in another bucket already
            tested_[f] = query_;
            if (seen_[f] == mark || isRestricted(*board_.Elements[f]) || !bounds_[f].intersects(b))
                return;
            if (region(i).overlaps(region(f)))
                reach(f);
        });
        if (e.Kind == KindPad && e.Twin) {
            const std::ptrdiff_t t = indexOf(e.Twin);
            if (t >= 0)
                reach(static_cast<std::size_t>(t));
        }
        // The plane joins all its elements at once, so it is visited once per layer.
        if (!planeDone[e.Layer] && joinsPlane(i)) {
            planeDone[e.Layer] = true;
            for (std::size_t g : layers_[e.Layer]->planeJoined)
                if (seen_[g] != mark && !covered(g))
                    reach(g);
        }
    }
    return reached;
}

int NetTracer::netId(std::size_t index)
{
    if (index >= netIds_.size())
        return -1;
    if (netIds_[index] < 0) {
        const int id = nextNetId_++;
        for (std::size_t i : net(index))
            netIds_[i] = id;
    }
    return netIds_[index];
}

bool NetTracer::twinsMutual() const
{
    for (const auto& e : board_.Elements) {
        if (e->Kind != KindPad || !e->Twin || indexOf(e->Twin) < 0)
            continue;
        const TObjekt& t = *e->Twin;
        if (e->Layer >= LayerSlots || t.Layer >= LayerSlots || t.Kind != KindPad || t.Twin != e.get())
            return false;
    }
    return true;
}

void NetTracer::findOverlaps()
{
    if (overlapsFound_)
        return;
    overlapsFound_ = true;
    // The pairs of meeting boxes, each layer's cells cut into runs that the threads take in turn.
    struct Run {
        const BoxIndex* index;
        std::size_t first, last;
    };
    std::vector<Run> runs;
    for (const auto& l : layers_) {
        const std::size_t cells = l->boxes.cellCount();
        const std::size_t per = std::max<std::size_t>(256, cells / 64);
        for (std::size_t c = 0; c < cells; c += per)
            runs.push_back({&l->boxes, c, std::min(cells, c + per)});
    }
    // Most pairs are two parts of one net that other pairs join already: each thread keeps what
    // it has joined and skips those. Only elements of the kinds that pieces() takes whole are
    // joined there, so that the pairs kept join exactly what all overlapping pairs join, for the
    // nets and for the copper pieces alike. Most of the rest the geometry of the two elements
    // decides; only the pairs it leaves open need outlines, built afterwards on all cores.
    const std::size_t n = board_.Elements.size();
    // What a pair first asks of its two elements, packed into a byte each: most pairs end there,
    // and reading the flags costs far less than fetching two elements from all over the heap.
    constexpr std::uint8_t Restricted = 1, Plain = 2;
    std::vector<std::uint8_t> traits(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TObjekt& e = *board_.Elements[i];
        const bool plainKind = e.Kind != KindFontText && e.Kind >= KindLine && e.Kind <= KindSmdPad;
        traits[i] = static_cast<std::uint8_t>((isRestricted(e) ? Restricted : 0) | (plainKind ? Plain : 0));
    }
    auto plain = [&](std::size_t i) { return (traits[i] & Plain) != 0; };
    std::vector<std::unique_ptr<DisjointSets>> joinedBy(static_cast<std::size_t>(WorkerThreads()));
    auto joinedOf = [&](std::size_t worker) -> DisjointSets& {
        if (!joinedBy[worker])
            joinedBy[worker] = std::make_unique<DisjointSets>(n);
        return *joinedBy[worker];
    };
    std::vector<std::vector<Pair>> kept(runs.size());
    std::vector<std::vector<Pair>> open(runs.size());
    ParallelFor(runs.size(), [&](std::size_t r, std::size_t worker) {
        DisjointSets& joined = joinedOf(worker);
        runs[r].index->forEachPairInCells(runs[r].first, runs[r].last, [&](std::size_t i, std::size_t j) {
            if ((traits[i] | traits[j]) & Restricted)
                return;
            const bool both = (traits[i] & traits[j] & Plain) != 0;
            if (both && joined.find(i) == joined.find(j))
                return;
            const int quick = QuickOverlap(*board_.Elements[i], *board_.Elements[j]);
            if (quick == 0)
                return;
            const Pair p{static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j)};
            if (quick < 0) {
                open[r].push_back(p);
                return;
            }
            kept[r].push_back(p);
            if (both)
                joined.join(i, j);
        });
    });

    // The outlines of the elements in some open pair, each built by one thread into its own slot.
    std::vector<char> wanted(n, 0);
    for (const std::vector<Pair>& c : open)
        for (const Pair& p : c)
            wanted[p.first] = wanted[p.second] = 1;
    std::vector<std::size_t> build;
    for (std::size_t i = 0; i < n; ++i)
        if (wanted[i] && !regions_[i])
            build.push_back(i);
    ParallelFor(
        build.size(),
        [&](std::size_t k, std::size_t) {
            regions_[build[k]] = std::make_unique<Region>(ElementRegion(*board_.Elements[build[k]]));
        },
        64);

    ParallelFor(runs.size(), [&](std::size_t r, std::size_t worker) {
        DisjointSets& joined = joinedOf(worker);
        for (const Pair& p : open[r]) {
            const bool both = plain(p.first) && plain(p.second);
            if (both && joined.find(p.first) == joined.find(p.second))
                continue;
            if (!regions_[p.first]->overlaps(*regions_[p.second]))
                continue;
            kept[r].push_back(p);
            if (both)
                joined.join(p.first, p.second);
        }
        std::vector<Pair>().swap(open[r]);
    });
    for (const std::vector<Pair>& k : kept)
        overlaps_.insert(overlaps_.end(), k.begin(), k.end());
}

const std::vector<int>& NetTracer::netIds()
{
    if (allNets_)
        return netIds_;
    allNets_ = true;
    const std::size_t n = board_.Elements.size();
    if (nextNetId_ != 0 || !twinsMutual()) {
        // Numbers handed out already, or a one-way twin link (a net that depends on where the
        // trace starts): element after element, as the trace does.
        for (std::size_t i = 0; i < n; ++i)
            netId(i);
        return netIds_;
    }
    findOverlaps();
    DisjointSets nets(n);
    for (const Pair& p : overlaps_)
        nets.join(p.first, p.second);
    for (std::size_t i = 0; i < n; ++i) {
        const TObjekt& e = *board_.Elements[i];
        if (e.Kind == KindPad && e.Twin) {
            const std::ptrdiff_t t = indexOf(e.Twin);
            if (t >= 0)
                nets.join(i, static_cast<std::size_t>(t));
        }
    }
    for (const std::uint8_t layer : {LayerK1, LayerK2}) {
        std::ptrdiff_t first = -1;
        for (std::size_t g : layers_[layer]->planeJoined) {
            if (!joinsPlane(g))
                continue;
            if (first < 0)
                first = static_cast<std::ptrdiff_t>(g);
            else
                nets.join(static_cast<std::size_t>(first), g);
        }
    }
    std::vector<int> numberOf(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        int& id = numberOf[nets.find(i)];
        if (id < 0)
            id = nextNetId_++;
        netIds_[i] = id;
    }
    return netIds_;
}

std::vector<int> NetTracer::copperPieces()
{
    findOverlaps();
    const std::size_t n = board_.Elements.size();
    DisjointSets joined(n);
    for (const Pair& p : overlaps_)
        joined.join(p.first, p.second);
    for (std::size_t i = 0; i < n; ++i) {
        const TObjekt& e = *board_.Elements[i];
        if (e.Kind == KindPad && e.Twin) {
            const std::ptrdiff_t t = indexOf(e.Twin);
            if (t >= 0)
                joined.join(i, static_cast<std::size_t>(t));
        }
    }
    std::vector<int> piece(n);
    for (std::size_t i = 0; i < n; ++i)
        piece[i] = static_cast<int>(joined.find(i));
    return piece;
}

std::vector<int> NetOfEachElement(const TBoard& board, bool throughGroundPlane)
{
    NetTracer tracer(board, throughGroundPlane);
    return tracer.netIds();
}

void TraceNet(TBoard& board, const TObjekt& element)
{
    NetTracer tracer(board);
    const std::ptrdiff_t start = tracer.indexOf(&element);
    if (start < 0)
        return;
    for (std::size_t i : tracer.net(static_cast<std::size_t>(start)))
        board.Elements[i]->Selected = 1;
}

} // namespace trevok

#include "routing/nettrace.h"

#include "document/boxindex.h"

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
    : board_(board), throughPlane_(throughGroundPlane)
{
    const std::size_t n = board.Elements.size();
    bounds_.reserve(n);
    for (const auto& e : board.Elements)
        bounds_.push_back(Bounds(*e));
    regions_.resize(n);
    covered_.assign(n, -1);
    netIds_.assign(n, -1);
    seen_.assign(n, 0);
    tested_.assign(n, 0);
    indexOf_.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        indexOf_.emplace(board.Elements[i].get(), i);
    buildIndex();
}

NetTracer::~NetTracer() = default;

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
    for (auto& l : layers_)
        l->boxes.build(bounds_, l->members);
}

std::ptrdiff_t NetTracer::indexOf(const TObjekt* element) const
{
    const auto it = indexOf_.find(element);
    return it == indexOf_.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
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

std::vector<int> NetOfEachElement(const TBoard& board, bool throughGroundPlane)
{
    NetTracer tracer(board, throughGroundPlane);
    std::vector<int> ids(board.Elements.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = tracer.netId(i);
    return ids;
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

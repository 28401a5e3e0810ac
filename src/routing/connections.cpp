#include "routing/connections.h"

#include "routing/nettrace.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

namespace trevok
{

bool AreConnected(const TObjekt& a, const TObjekt& b) noexcept
{
    return std::find(a.Connections.begin(), a.Connections.end(), &b) != a.Connections.end();
}

void AddConnection(TObjekt& a, TObjekt& b)
{
    if (&a == &b)
        return;
    if (!AreConnected(a, b))
        a.Connections.push_back(&b);
    if (!AreConnected(b, a))
        b.Connections.push_back(&a);
}

void RemoveConnection(TObjekt& a, TObjekt& b)
{
    std::erase(a.Connections, &b);
    std::erase(b.Connections, &a);
}

bool ToggleConnection(TObjekt& a, TObjekt& b)
{
    if (AreConnected(a, b) || AreConnected(b, a)) {
        RemoveConnection(a, b);
        return false;
    }
    AddConnection(a, b);
    return true;
}

std::size_t CountConnections(const TBoard& board)
{
    std::set<std::pair<const TObjekt*, const TObjekt*>> pairs;
    for (const auto& e : board.Elements)
        for (const TObjekt* q : e->Connections)
            if (q)
                pairs.emplace(std::min<const TObjekt*>(e.get(), q), std::max<const TObjekt*>(e.get(), q));
    return pairs.size();
}

bool ConnectionLineHit(std::int64_t px, std::int64_t py, std::int64_t qx, std::int64_t qy, std::int64_t mx,
                       std::int64_t my, std::int64_t t) noexcept
{
    if (mx < std::min(px, qx) - t || mx > std::max(px, qx) + t || my < std::min(py, qy) - t ||
        my > std::max(py, qy) + t)
        return false;
    if (px == qx || py == qy)
        return true;
    const double slope = static_cast<double>(py - qy) / static_cast<double>(px - qx);
    const std::int64_t y = py + RoundHalfEven64(slope * static_cast<double>(mx - px));
    if (std::llabs(y - my) <= t)
        return true;
    const std::int64_t x = px + RoundHalfEven64(static_cast<double>(my - py) / slope);
    return std::llabs(x - mx) <= t;
}

RemoveRealisedResult RemoveRealisedConnections(TBoard& board)
{
    RemoveRealisedResult result;
    for (auto& e : board.Elements)
        e->Selected = 0;
    // The copper does not change during the command, so each net is traced once and named;
    // a partner in the pad's net is joined to it.
    NetTracer tracer(board);
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        TObjekt& p = *board.Elements[i];
        if (!p.isPadLike() || p.Connections.empty())
            continue;
        const int net = tracer.netId(i);
        const std::vector<TObjekt*> partners = p.Connections;
        for (TObjekt* q : partners) {
            const std::ptrdiff_t k = tracer.indexOf(q);
            if (k >= 0 && tracer.netId(static_cast<std::size_t>(k)) == net) {
                RemoveConnection(p, *q);
                ++result.removed;
            }
        }
    }
    result.remaining = CountConnections(board);
    return result;
}

std::string RemoveRealisedReport(const RemoveRealisedResult& r, int language)
{
    const std::string n = std::to_string(r.removed);
    const std::string m = std::to_string(r.remaining);
    switch (language) {
    case 0:
        return "Es konnten " + n + " Luftlinien entfernt werden.\rEs verbleiben noch " + m + " Luftlinien";
    case 2:
        return n + " connexions (élastiques) supprimées.\r" + m + " connexions (élastiques) restantes.";
    default:
        return n + " connections (rubberbands) removed.\r" + m + " connections (rubberbands) remaining.";
    }
}

} // namespace trevok

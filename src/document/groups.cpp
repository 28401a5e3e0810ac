#include "document/objekt.h"

#include <algorithm>
#include <limits>
#include <utility>

// Groups: each element carries the ids of the groups it belongs to, innermost first, so the
// last id names the outermost group and decides what is selected together. Ids are identities
// only; their values carry no meaning beyond equality.

namespace trevok
{
namespace
{

constexpr std::int32_t kMaxId = std::numeric_limits<std::int32_t>::max();

// The smallest positive id that no element uses, for the rare list whose largest id leaves no
// room above it (ids straight from a foreign file).
std::int32_t smallestUnusedId(const ElementList& list)
{
    std::vector<std::int32_t> used;
    for (const auto& e : list)
        for (std::int32_t id : e->Groups)
            if (id > 0)
                used.push_back(id);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    std::int32_t candidate = 1;
    for (std::int32_t id : used) {
        if (id != candidate)
            break;
        ++candidate; // cannot overflow: there are fewer distinct ids than int32 values
    }
    return candidate;
}

std::int32_t largestId(const ElementList& list) noexcept
{
    std::int32_t largest = 0;
    for (const auto& e : list)
        for (std::int32_t id : e->Groups)
            largest = std::max(largest, id);
    return largest;
}

// Hands out fresh ids one after another without rescanning the list for every group; only when
// the top of the range is reached does it search the list for a gap each time.
class IdSource
{
  public:
    explicit IdSource(const ElementList& list) : list_(list), largest_(largestId(list)) {}

    /// A fresh id, or 0 when none can be found.
    std::int32_t take()
    {
        if (largest_ < kMaxId)
            return ++largest_;
        try {
            return smallestUnusedId(list_);
        } catch (...) {
            return 0; // out of memory while searching a gap: no id can be handed out safely
        }
    }

  private:
    const ElementList& list_;
    std::int32_t largest_;
};

// Forms one group of the members (in list order) unless they already are one: the first
// member's last id is the reference; a later member without an id or with another last id
// means they are not yet one group, and every member gets the fresh id.
bool groupMembers(const std::vector<TObjekt*>& members, IdSource& ids)
{
    if (members.size() < 2)
        return false;
    const std::int32_t reference = members.front()->lastGroup();
    const bool alreadyOne = std::all_of(members.begin() + 1, members.end(), [&](const TObjekt* e) {
        const std::int32_t g = e->lastGroup();
        return g != 0 && g == reference;
    });
    if (alreadyOne)
        return false;
    const std::int32_t id = ids.take();
    if (id == 0)
        return false;
    for (TObjekt* e : members)
        AddGroup(*e, id);
    return true;
}

} // namespace

std::int32_t NextFreeGroupId(const ElementList& list) noexcept
{
    // The largest id overall, not only the largest last id: on lists the editor made they are the
    // same (an inner id is always smaller than the outer one), but a foreign file may nest a large
    // id inside a small one, and handing that id out again would merge two unrelated groups as
    // soon as the outer group is dissolved.
    IdSource ids(list);
    return ids.take();
}

void GroupSelection(ElementList& list)
{
    std::vector<TObjekt*> selected;
    for (auto& e : list)
        if (e->Selected)
            selected.push_back(e.get());
    IdSource ids(list);
    groupMembers(selected, ids);
}

void UngroupSelection(ElementList& list)
{
    for (auto& e : list)
        if (e->Selected && !e->Groups.empty())
            e->Groups.pop_back();
}

void SelectWithGroup(ElementList& list, std::size_t index, bool state)
{
    SelectWithGroup(list, index, state, [](TObjekt&) {});
}

void CompactGroupIds(ElementList& list)
{
    std::vector<std::int32_t> used;
    for (const auto& e : list)
        used.insert(used.end(), e->Groups.begin(), e->Groups.end());
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    // The n-th smallest id becomes n: order and equality are kept, gaps (and any id below 1
    // from a damaged file) disappear.
    for (auto& e : list)
        for (std::int32_t& id : e->Groups)
            id = static_cast<std::int32_t>(std::lower_bound(used.begin(), used.end(), id) - used.begin()) + 1;
}

void ConvertOldGroups(ElementList& list)
{
    std::vector<std::pair<std::int16_t, TObjekt*>> carriers;
    for (auto& e : list)
        if (e->OldGroup != 0)
            carriers.emplace_back(e->OldGroup, e.get());
    // Stable: the members of each number stay in list order.
    std::stable_sort(carriers.begin(), carriers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    IdSource ids(list);
    std::vector<TObjekt*> members;
    for (std::size_t i = 0; i < carriers.size();) {
        const std::int16_t number = carriers[i].first;
        members.clear();
        for (; i < carriers.size() && carriers[i].first == number; ++i)
            members.push_back(carriers[i].second);
        groupMembers(members, ids);
    }
    for (auto& e : list)
        e->OldGroup = 0;
}

} // namespace trevok

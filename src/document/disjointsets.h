#pragma once
// Disjoint sets over the indices 0..n-1 (union-find): which things end up joined, whatever the
// order the joins came in. The representative of a set is its smallest index.

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace trevok
{

class DisjointSets
{
  public:
    explicit DisjointSets(std::size_t n) : parent(n)
    {
        std::iota(parent.begin(), parent.end(), std::size_t{0});
    }
    std::size_t find(std::size_t i) noexcept
    {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    }
    void join(std::size_t a, std::size_t b) noexcept
    {
        a = find(a);
        b = find(b);
        if (a != b)
            parent[std::max(a, b)] = std::min(a, b);
    }

  private:
    std::vector<std::size_t> parent;
};

} // namespace trevok

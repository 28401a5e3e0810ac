#pragma once
// A small open-addressing hash map keyed by element address, for re-linking references in one
// pass over lists of tens of thousands of elements without a node allocation per entry.

#include "document/objekt.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace trevok
{

/// Maps element addresses to values of type V. Capacity is fixed at construction; keys are
/// never removed. The null address is not a valid key.
template <class V> class PointerMap
{
  public:
    explicit PointerMap(std::size_t expected)
    {
        const std::size_t cap = std::bit_ceil(expected * 2 + 2);
        slots_.resize(cap);
        mask_ = cap - 1;
        shift_ = 64 - std::countr_zero(cap);
    }

    /// Inserts or overwrites.
    void insert(const TObjekt* key, V value)
    {
        Slot& s = slots_[probe(key)];
        s.key = key;
        s.value = value;
    }

    /// The value stored for key, or nullptr when key is absent.
    const V* find(const TObjekt* key) const noexcept
    {
        if (!key)
            return nullptr;
        const Slot& s = slots_[probe(key)];
        return s.key == key ? &s.value : nullptr;
    }

  private:
    struct Slot {
        const TObjekt* key = nullptr;
        V value{};
    };

    std::size_t probe(const TObjekt* key) const noexcept
    {
        // Fibonacci hashing of the address; the low bits of heap addresses carry little.
        auto h = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key));
        std::size_t i = static_cast<std::size_t>((h * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
        while (slots_[i].key != nullptr && slots_[i].key != key)
            i = (i + 1) & mask_;
        return i;
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    int shift_ = 63;
};

} // namespace trevok

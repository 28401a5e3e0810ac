#pragma once
// A grid of buckets over rectangles, for finding the rectangles near another one without
// looking at all of them. A rectangle sits in every bucket it meets; a query may report an
// index more than once and reports rectangles that merely share a bucket, so callers test the
// rectangles themselves.

#include "document/objekt.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace trevok
{

class BoxIndex
{
  public:
    /// Indexes boxes[i] for every i in members.
    void build(const std::vector<TRect>& boxes, const std::vector<std::size_t>& members)
    {
        buckets_.clear();
        empty_ = members.empty();
        if (empty_)
            return;
        extent_ = boxes[members.front()];
        for (std::size_t i : members)
            extent_ = extent_.united(boxes[i]);
        const double w = static_cast<double>(extent_.right - extent_.left) + 1;
        const double h = static_cast<double>(extent_.bottom - extent_.top) + 1;
        // About one box per bucket when they are spread evenly; at most 512 buckets a side.
        const double side = std::sqrt(w * h / static_cast<double>(members.size()));
        cell_ = std::max<std::int64_t>(
            1, static_cast<std::int64_t>(std::ceil(std::max({side, w / 512, h / 512}))));
        columns_ = static_cast<int>((extent_.right - extent_.left) / cell_) + 1;
        rows_ = static_cast<int>((extent_.bottom - extent_.top) / cell_) + 1;
        buckets_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), {});
        for (std::size_t i : members) {
            const TRect& b = boxes[i];
            for (int c = column(b.left); c <= column(b.right); ++c)
                for (int r = row(b.top); r <= row(b.bottom); ++r)
                    buckets_[bucket(c, r)].push_back(i);
        }
    }

    /// Calls f(index) for the boxes that share a bucket with r.
    template <class F> void forEachNear(const TRect& r, F&& f) const
    {
        if (empty_ || !r.intersects(extent_))
            return;
        for (int c = column(r.left); c <= column(r.right); ++c)
            for (int k = row(r.top); k <= row(r.bottom); ++k)
                for (std::size_t i : buckets_[bucket(c, k)])
                    f(i);
    }

  private:
    int column(std::int64_t x) const noexcept
    {
        return static_cast<int>(std::clamp<std::int64_t>((x - extent_.left) / cell_, 0, columns_ - 1));
    }
    int row(std::int64_t y) const noexcept
    {
        return static_cast<int>(std::clamp<std::int64_t>((y - extent_.top) / cell_, 0, rows_ - 1));
    }
    std::size_t bucket(int c, int r) const noexcept
    {
        return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r);
    }

    bool empty_ = true;
    TRect extent_;
    std::int64_t cell_ = 1;
    int columns_ = 1;
    int rows_ = 1;
    std::vector<std::vector<std::size_t>> buckets_;
};

} // namespace trevok

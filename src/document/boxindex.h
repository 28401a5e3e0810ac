#pragma once
// BoxIndex: a uniform grid over bounding rectangles, so that the pairs of shapes that may meet
// are found without comparing every shape with every other.
//
// A box is entered in every cell it covers. A pair (or a query hit) is reported only from the
// cell that holds the lower-left corner of the two boxes' common rectangle, so each is reported
// once without any bookkeeping. Boxes are closed: boxes that merely touch do meet.

#include "document/objekt.h"
#include "document/region.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace trevok
{

class BoxIndex
{
  public:
    BoxIndex() = default;
    explicit BoxIndex(std::vector<TRect> boxes)
    {
        hold(std::make_shared<const std::vector<TRect>>(std::move(boxes)));
        std::vector<std::size_t> all(count_);
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        enter(all);
    }
    /// Indexes boxes[i] for the i in members only; indices stay those of boxes.
    void build(std::vector<TRect> boxes, const std::vector<std::size_t>& members)
    {
        build(std::make_shared<const std::vector<TRect>>(std::move(boxes)), members);
    }
    /// The same over boxes shared with other indexes (one per layer of a board, say), which
    /// then need no copy of their own.
    void build(std::shared_ptr<const std::vector<TRect>> boxes, const std::vector<std::size_t>& members)
    {
        hold(std::move(boxes));
        enter(members);
    }

    std::size_t size() const noexcept { return count_; }
    const TRect& operator[](std::size_t i) const noexcept { return box_[i]; }

    /// Calls f(i, j), i < j, once for every pair of boxes that meet.
    template <class F> void forEachPair(F&& f) const { forEachPairInCells(0, cells_.size(), f); }

    /// The number of cells; forEachPairInCells over disjoint ranges of cells that together cover
    /// them all reports every pair once, which lets threads share the work.
    std::size_t cellCount() const noexcept { return cells_.size(); }
    /// The pairs that forEachPair reports from the cells first..last-1.
    template <class F> void forEachPairInCells(std::size_t first, std::size_t last, F&& f) const
    {
        for (std::size_t c = first; c < std::min(last, cells_.size()); ++c) {
            const std::vector<std::uint32_t>& list = cells_[c];
            if (list.size() < 2)
                continue;
            const Span span = spanOf(c);
            for (std::size_t a = 0; a < list.size(); ++a) {
                for (std::size_t b = a + 1; b < list.size(); ++b) {
                    const std::uint32_t i = std::min(list[a], list[b]);
                    const std::uint32_t j = std::max(list[a], list[b]);
                    if (!box_[i].intersects(box_[j]))
                        continue;
                    if (span.holds(std::max(box_[i].left, box_[j].left), std::max(box_[i].top, box_[j].top)))
                        f(std::size_t{i}, std::size_t{j});
                }
            }
        }
    }

    /// Calls f(i) once for every box that meets r.
    template <class F> void query(const TRect& r, F&& f) const
    {
        if (cells_.empty())
            return;
        const auto [x0, y0] = cellXY(r.left, r.top);
        const auto [x1, y1] = cellXY(r.right, r.bottom);
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            for (std::int64_t cx = x0; cx <= x1; ++cx) {
                const std::size_t c = static_cast<std::size_t>(cy * nx_ + cx);
                for (const std::uint32_t i : cells_[c]) {
                    if (!box_[i].intersects(r))
                        continue;
                    if (cellOf(std::max(box_[i].left, r.left), std::max(box_[i].top, r.top)) == c)
                        f(std::size_t{i});
                }
            }
        }
    }

  private:
    void hold(std::shared_ptr<const std::vector<TRect>> boxes) noexcept
    {
        boxes_ = std::move(boxes);
        box_ = boxes_->data();
        count_ = boxes_->size();
    }
    void enter(const std::vector<std::size_t>& members)
    {
        cells_.clear();
        if (members.empty())
            return;
        TRect all = box_[members.front()];
        double sum = 0;
        for (const std::size_t i : members) {
            const TRect& b = box_[i];
            all = all.united(b);
            sum += static_cast<double>(std::max(b.right - b.left, b.bottom - b.top));
        }
        origin_ = {all.left, all.top};
        const double w = static_cast<double>(all.right - all.left) + 1;
        const double h = static_cast<double>(all.bottom - all.top) + 1;
        // Cells about the size of a typical box; at most about a million of them.
        double s = std::max(1.0, 2.0 * sum / static_cast<double>(members.size()));
        s = std::max(s, std::sqrt(w * h / 1.0e6));
        cell_ = static_cast<std::int64_t>(std::ceil(s));
        nx_ = static_cast<std::int64_t>(w / static_cast<double>(cell_)) + 1;
        ny_ = static_cast<std::int64_t>(h / static_cast<double>(cell_)) + 1;
        cells_.assign(static_cast<std::size_t>(nx_ * ny_), {});
        for (const std::size_t i : members) {
            const auto [x0, y0] = cellXY(box_[i].left, box_[i].top);
            const auto [x1, y1] = cellXY(box_[i].right, box_[i].bottom);
            for (std::int64_t cy = y0; cy <= y1; ++cy)
                for (std::int64_t cx = x0; cx <= x1; ++cx)
                    cells_[static_cast<std::size_t>(cy * nx_ + cx)].push_back(static_cast<std::uint32_t>(i));
        }
    }
    std::pair<std::int64_t, std::int64_t> cellXY(std::int64_t x, std::int64_t y) const noexcept
    {
        const std::int64_t cx = std::clamp<std::int64_t>((x - origin_.x) / cell_, 0, nx_ - 1);
        const std::int64_t cy = std::clamp<std::int64_t>((y - origin_.y) / cell_, 0, ny_ - 1);
        return {cx, cy};
    }
    std::size_t cellOf(std::int64_t x, std::int64_t y) const noexcept
    {
        const auto [cx, cy] = cellXY(x, y);
        return static_cast<std::size_t>(cy * nx_ + cx);
    }
    /// The points a cell holds, as cellOf assigns them (the outer cells reach on without end),
    /// to test a point without the two divisions cellOf needs: a pair test is the innermost work.
    struct Span {
        std::int64_t left, top, right, bottom; // left and top inclusive, right and bottom exclusive
        bool holds(std::int64_t x, std::int64_t y) const noexcept
        {
            return x >= left && x < right && y >= top && y < bottom;
        }
    };
    Span spanOf(std::size_t c) const noexcept
    {
        constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
        constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
        const auto cx = static_cast<std::int64_t>(c) % nx_;
        const auto cy = static_cast<std::int64_t>(c) / nx_;
        return {cx == 0 ? lowest : origin_.x + cx * cell_, cy == 0 ? lowest : origin_.y + cy * cell_,
                cx == nx_ - 1 ? highest : origin_.x + (cx + 1) * cell_,
                cy == ny_ - 1 ? highest : origin_.y + (cy + 1) * cell_};
    }

    std::shared_ptr<const std::vector<TRect>> boxes_;
    const TRect* box_ = nullptr; // boxes_'s data, or nothing before the first build
    std::size_t count_ = 0;
    RPoint origin_;
    std::int64_t cell_ = 1;
    std::int64_t nx_ = 1;
    std::int64_t ny_ = 1;
    std::vector<std::vector<std::uint32_t>> cells_;
};

} // namespace trevok

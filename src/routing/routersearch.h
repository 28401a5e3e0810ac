#pragma once
// The autorouter's search: the grid of cells, the obstacles in the router's drawing space, the
// coarse-to-fine classification of a window and the ring-by-ring wave from the start cell.
//
// Terms used here:
//  - router space: board units scaled by 0.2 (5 board units per router unit) with y reversed,
//    so that rows and router y both grow downward on the board.
//  - cell size s: board units per cell (a multiple of 10, at least 40); g = s / 5 router units
//    (BoardUnitsPerRouterUnit).
//  - cell (i, j): column i, row j; its centre lies at board (i*s + s/2, -(j*s) - s/2).
//  - ring f: the cells at Chebyshev distance f from the start cell, taken in a fixed order: the
//    row above left to right, the right column downward, the row below right to left, the left
//    column upward.
//  - cell values: see CellValue; 0 or more is the path cost from the start cell.

#include "document/boxindex.h"
#include "document/region.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace trevok
{

/// Board units per router unit: the router draws its obstacles at a fifth of the board's
/// resolution, which is fine enough for cells of 40 units and more.
inline constexpr std::int32_t BoardUnitsPerRouterUnit = 5;
/// Cells on a side of the coarsest classification block. Search windows start on block
/// boundaries and grow by one block on every side, so a grown window classifies whole blocks.
inline constexpr int CoarseBlockCells = 10;

enum CellValue : std::int32_t {
    CellUnclassified = -3,
    CellCoarseBlocked = -4, // blocked at a coarse level, to be refined
    CellBlocked = -2,
    CellFree = -1, // free, not yet reached
};

struct CellPos {
    int i = 0;
    int j = 0;
    friend bool operator==(const CellPos&, const CellPos&) = default;
};

/// A rectangle of cells, inclusive on every side.
struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CellRect&, const CellRect&) = default;
};

/// The grid: size x size cells, column-major, every cell unclassified at first. The cells a
/// route may use lie strictly inside 0..imax, 0..jmax.
class RouterGrid
{
  public:
    /// A grid for a board of imax + 1 columns and jmax + 1 rows: at least 801 cells a side, more
    /// when the board needs them, so that no block of the classification reaches past the grid.
    RouterGrid(int imax, int jmax);
    int size() const noexcept { return size_; }
    int imax() const noexcept { return imax_; }
    int jmax() const noexcept { return jmax_; }
    bool inside(int i, int j) const noexcept { return i >= 0 && j >= 0 && i < size_ && j < size_; }
    /// True for the cells the wave may enter: 0 < i < imax, 0 < j < jmax.
    bool interior(int i, int j) const noexcept { return i > 0 && j > 0 && i < imax_ && j < jmax_; }
    std::int32_t& at(int i, int j) noexcept { return cells_[index(i, j)]; }
    std::int32_t at(int i, int j) const noexcept { return cells_[index(i, j)]; }
    const std::vector<std::int32_t>& cells() const noexcept { return cells_; }

  private:
    std::size_t index(int i, int j) const noexcept
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(size_) + static_cast<std::size_t>(j);
    }
    int size_;
    int imax_;
    int jmax_;
    std::vector<std::int32_t> cells_;
};

/// Board units to router units: x / 5 and -y / 5, rounded to nearest, halves to even.
std::int64_t ToRouterX(std::int64_t x) noexcept;
std::int64_t ToRouterY(std::int64_t y) noexcept;
/// A region in board units moved into router space.
Region ToRouterSpace(const Region& board);

/// Everything a new track must not touch, in router space, kept as pieces with a bucket index.
class RouterObstacles
{
  public:
    void add(Region piece);
    /// Takes the region away from every piece it meets. The region is given as pieces too, so
    /// that each obstacle piece meets only the few that lie near it.
    void subtract(const std::vector<Region>& pieces);
    /// Builds the bucket index; call after the last add or subtract.
    void finish();
    /// True when the closed rectangle meets the bounding box of all obstacles and some obstacle.
    bool touchesRect(const TRect& r) const;
    /// True when the region meets some obstacle.
    bool touches(const Region& r) const;
    std::size_t pieceCount() const noexcept { return pieces_.size(); }

  private:
    std::vector<Region> pieces_;
    std::vector<TRect> boxes_;
    TRect box_;
    bool any_ = false;
    BoxIndex index_;
};

/// Classifies the cells of the window coarse to fine (blocks of 10, 5, 2, 1 cells), touching
/// only blocks whose first cell is still unclassified or coarsely blocked. g: router units per
/// cell.
void ClassifyWindow(RouterGrid& grid, const RouterObstacles& obstacles, const CellRect& window,
                    std::int64_t g);

/// The wave from the start cell (end cell made free, start cell 0, at most 80 sweeps of all
/// rings); true when the end cell was reached. Every reached cell gets the least cost over its
/// reached neighbours (1 across an edge, 2 across a corner), ring by ring, cheapest first and
/// earliest in ring order on ties.
bool SearchRings(RouterGrid& grid, CellPos start, CellPos end);

/// A search procedure with the contract of SearchRings (tests put in their own).
using RingSearch = std::function<bool(RouterGrid&, CellPos, CellPos)>;

/// The position of a cell of ring f (f > 0) in the ring's order.
int RingPosition(int dx, int dy, int f) noexcept;

} // namespace trevok

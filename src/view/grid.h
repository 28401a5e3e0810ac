#pragma once
// Drawing the snap grid of the main view: lines, not dots, in the grid colour, skipped where
// they would be closer than 4 pixels, every m-th line marked twice as wide.

#include "document/objekt.h"
#include "view/colours.h"

#include <cstdint>

namespace trevok
{

class Canvas;
class ViewModel;

/// Pen widths of the grid in units: one pixel, or two for marked lines.
std::int32_t GridPenWidth(double zoom, bool marked) noexcept;

/// Draws the grid lines of a board that meet `area` (board units, normalised, top = smaller y)
/// onto a canvas whose mapping is the main view at `zoom`. Nothing when the lines would be
/// closer than 4 pixels.
void DrawGrid(Canvas& canvas, std::int32_t boardWidth, std::int32_t boardHeight, double grid, double zoom,
              int marking, ColourRef colour, const TRect& area);
/// The same with the settings of a view (nothing when its grid is hidden).
void DrawGrid(Canvas& canvas, const ViewModel& view, ColourRef colour, const TRect& area);

} // namespace trevok

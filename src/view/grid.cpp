#include "view/grid.h"

#include "view/canvas.h"
#include "view/viewmodel.h"

namespace trevok
{

std::int32_t GridPenWidth(double zoom, bool marked) noexcept
{
    if (!(zoom > 0))
        return 1;
    return RoundHalfEven((marked ? 2.0 : 1.0) / zoom);
}

void DrawGrid(Canvas& canvas, std::int32_t boardWidth, std::int32_t boardHeight, double grid, double zoom,
              int marking, ColourRef colour, const TRect& area)
{
    const std::vector<GridLine> lines = GridLinesIn(boardWidth, boardHeight, grid, zoom, marking, area);
    if (lines.empty())
        return;
    // Thin lines first, then the marked ones, so the pen changes at most once.
    for (const bool marked : {false, true}) {
        if (marked && marking <= 0)
            break;
        canvas.setPen(CanvasPen::units(colour, GridPenWidth(zoom, marked), PenStyle::Solid));
        for (const GridLine& l : lines) {
            if (l.marked == marked)
                canvas.line({l.x1, l.y1}, {l.x2, l.y2});
        }
    }
}

void DrawGrid(Canvas& canvas, const ViewModel& view, ColourRef colour, const TRect& area)
{
    if (!view.gridVisible())
        return;
    DrawGrid(canvas, view.boardWidth(), view.boardHeight(), view.grid(), view.zoom(), view.gridMarking(),
             colour, area);
}

} // namespace trevok

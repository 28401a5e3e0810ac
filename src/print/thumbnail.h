#pragma once
// Thumbnails of a layout file for file managers: the board in the colours of the Standard
// scheme, scaled to fit a square picture with its aspect kept, and transparent around it.

#include "document/project.h"

#include <QImage>

namespace trevok
{

/// Smallest and largest edge of a thumbnail in pixels; file managers ask for 128 to 1024.
inline constexpr int MinThumbnailSize = 16;
inline constexpr int MaxThumbnailSize = 4096;

/// A size x size ARGB picture of the board: every layer, the active layer's side on top, and the
/// holes as the view draws them; never the grid, a selection or the rubber-band connections.
/// The longer side of the board spans the picture less a transparent margin of size / 32 (at
/// least one pixel) on each side; the shorter side is centred. size must lie in
/// MinThumbnailSize..MaxThumbnailSize. The board's elements keep their data, except that the selection is
/// cleared.
QImage MakeThumbnail(TBoard& board, int size);

} // namespace trevok

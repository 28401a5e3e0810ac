#pragma once
// The program's own mouse cursors and icons, drawn as SVG in the resources (":/icons/...").
//
// Cursor hot spots (32 x 32 pictures):
//   "LUPE"      magnifier: the centre of the lens, (12, 12)
//   "TEST"      probe: its tip, (2, 29)
//   "CHANGER"   four arrows over a node: the centre, (16, 16)
//   "CONNECT"   cross hair with a rubber-band line: the crossing, (8, 8)
//   "AUTOROUTE" cross hair with a small router track: the crossing, (8, 8)
//   "RING"      cross hair with a circle: the crossing, (16, 16)
// "ARROW" and "CROSS" are the system's arrow and cross cursors.

#include <QCursor>
#include <QIcon>
#include <QPoint>

#include <string_view>

namespace trevok
{

/// The cursor of a name the editing session uses; the arrow for an unknown name.
QCursor TrevokCursor(std::string_view name);
/// The hot spot of one of our drawn cursors in picture pixels (32 x 32); (-1, -1) for a name
/// that is not one of them.
QPoint TrevokCursorHotSpot(std::string_view name) noexcept;

/// One of our icons by file name without ".svg" (":/icons/<name>.svg"); a null icon when
/// there is no such picture.
QIcon TrevokIcon(std::string_view name);
/// The desktop theme's icon of a standard action, or our own drawing when the theme has none.
QIcon ThemeIcon(const char* themeName, std::string_view fallback);

/// The picture of a pad shape (codes 1..9), from the through-plated set when `plated`.
QIcon PadShapeIcon(int shape, bool plated);

} // namespace trevok

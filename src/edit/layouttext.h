#pragma once
// Layout text: a string laid out in the stroke font and kept as ordinary tracks, so that every
// output treats it as copper or print lines. Also the conversion of the old font texts of older
// files into layout texts.

#include "document/objekt.h"
#include "document/project.h"

#include <cstdint>
#include <memory>
#include <string>

namespace trevok
{

/// Stroke class of a layout text (field Size2).
enum TextThickness : std::int32_t { ThicknessThin = 0, ThicknessNormal = 1, ThicknessBold = 2 };
/// Spacing class of a layout text (field Width).
enum TextStyle : std::int32_t { StyleNarrow = 0, StyleNormal = 1, StyleWide = 2 };

/// What the text dialog asks for; the defaults are the dialog's.
struct LayoutTextSettings {
    std::string text;      // Windows-1252 bytes, without the automatic number
    double heightMm = 5.0; // 0.1 to 50.0 in the dialog
    std::int32_t thickness = ThicknessNormal;
    std::int32_t style = StyleNormal;
    std::int32_t orientation = 0; // quarter turns clockwise, 0..3
    bool mirrorH = false;         // left-right
    bool mirrorV = false;         // top-bottom
    bool numbering = false;       // append the counter and advance it
};

/// Screen resolution assumed when converting old font texts and no screen is known.
inline constexpr double DefaultPixelsPerInch = 96.0;

/// Lays out the strokes of a layout text made by NewLayoutText. The text's X, Y is the requested
/// point and its Layer the layer of the strokes; each stroke gets the text's Clearance, so set it
/// before the call. Replaces any strokes the text had and rewrites the fields that remember how
/// the text was made (Text with the number, height, thickness, style, orientation, mirrors).
/// With numbering the counter is appended in decimal and increased by one.
/// Finally the whole text (insertion point and strokes) is moved so that the corner of its
/// bounding rectangle with the smallest x and the smallest y lies on the requested point.
/// A text that yields no strokes (empty, blanks, characters without glyph, height not positive)
/// is left without strokes; callers must not keep it. grid is the board's grid in units.
void BuildTextStrokes(TObjekt& text, const LayoutTextSettings& settings, double grid, int& counter);
/// The same for a text without numbering.
void BuildTextStrokes(TObjekt& text, const LayoutTextSettings& settings, double grid);

/// A new layout text at a point with its strokes laid out; check Strokes before keeping it.
std::unique_ptr<TObjekt> makeLayoutText(TPoint point, const LayoutTextSettings& settings, std::uint8_t layer,
                                        std::int32_t clearance, double grid, int& counter);

/// The dialog's view of an existing layout text, for editing it again.
LayoutTextSettings settingsOfLayoutText(const TObjekt& text);

// ---------------------------------------------------------------------------------------------
// Old font texts (kind 3)

/// The layout text that replaces an old font text: thick, normal style, the orientation of the
/// old angle, placed so that the corner where the text starts reading (upper left for 0 degrees,
/// turned with the text otherwise) lies on the old reference point. Takes the old text's layer,
/// groups and clearance. Null when the result has no strokes.
std::unique_ptr<TObjekt> convertFontText(const TObjekt& fontText, double grid,
                                         double pixelsPerInch = DefaultPixelsPerInch);

/// Number of old font texts in a list, on a board, in a project.
int countFontTexts(const ElementList& list) noexcept;
int countFontTexts(const TBoard& board) noexcept;
int countFontTexts(const TProject& project) noexcept;

/// Result of converting old font texts.
struct FontTextConversion {
    int converted = 0; // old font texts replaced (or dropped when they yielded no strokes)
    bool changed = false;
};

/// Replaces every old font text of a list in place; one that yields no strokes is removed.
/// Takes no undo snapshot.
FontTextConversion convertFontTexts(ElementList& list, double grid,
                                    double pixelsPerInch = DefaultPixelsPerInch);
/// The converter the macro-file reader is given (its FontTextConverter).
void ConvertMacroFontTexts(ElementList& list, double grid);
/// The same on a board, with the board's grid.
FontTextConversion convertFontTexts(TBoard& board, double pixelsPerInch = DefaultPixelsPerInch);
/// Every board of the project in turn, with snapshots suspended meanwhile. The project's modified
/// mark is left to the caller, which also tells the user.
FontTextConversion convertFontTexts(TProject& project, double pixelsPerInch = DefaultPixelsPerInch);

} // namespace trevok

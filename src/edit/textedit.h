#pragma once
// Editing texts that are already on the board: a layout text made again from the text dialog's
// values, an old font text changed through its own small dialog, and the glyph string of the
// selected tracks with which new characters of the stroke font are drawn.

#include "document/objekt.h"
#include "document/project.h"
#include "edit/editcommands.h"
#include "edit/layouttext.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace trevok
{

/// Replaces the layout text at `index` of the current board by one built from `settings`
/// (never numbered), with one undo step. The new text keeps the old one's layer, clearance,
/// groups, selection and place in the list, and the corner of its bounding rectangle with the
/// smallest x and y stays where the old text's was. A text that would have no strokes changes
/// nothing: the old text stays (changed is false), so clearing the field never loses a text.
EditResult editLayoutText(TProject& project, std::size_t index, const LayoutTextSettings& settings);

/// What the dialog of an old font text (TXT_Dlg) shows and takes.
struct FontTextSettings {
    std::string text;       // Windows-1252, at most MaxFontTextBytes
    double heightMm = 5.0;  // 1.0 to 99.9
    std::int32_t angle = 0; // 0, 90, 180 or 270 degrees anticlockwise
};
inline constexpr std::size_t MaxFontTextBytes = 15;
inline constexpr double MinFontTextHeightMm = 1.0;
inline constexpr double MaxFontTextHeightMm = 99.9;

/// The stored font height of a font text of a height in mm: negative (a character height) in
/// screen pixels of the given resolution.
std::int32_t fontTextHeight(double heightMm, double pixelsPerInch) noexcept;
/// The dialog's view of an old font text; the height is brought into the dialog's range.
FontTextSettings settingsOfFontText(const TObjekt& text, double pixelsPerInch);

/// Takes text, height and angle into the old font text at `index` of the current board, with one
/// undo step. textWidth and textHeight are the size of the text drawn in bold "Arial" at the new
/// font height (board units, measured by the caller, which has the fonts); the opposite corner of
/// the text box is recomputed from them and the angle. A text without any visible character
/// changes nothing.
EditResult editFontText(TProject& project, std::size_t index, const FontTextSettings& settings,
                        double pixelsPerInch, std::int64_t textWidth, std::int64_t textHeight);

/// Measures old font texts: the size of a text drawn in bold "Arial". The core has no fonts;
/// the editor measures with the desktop's, tests with a measure of their own.
class FontTextMeasure
{
  public:
    virtual ~FontTextMeasure() = default;
    /// Advance width and line height, in pixels, of the Windows-1252 text at pixelHeight.
    virtual std::pair<double, double> measure(const std::string& text, int pixelHeight) const = 0;
};

/// The same, measuring the text itself: at a large reference height, scaled to the new font
/// height, so that small heights keep their proportions.
EditResult editFontText(TProject& project, std::size_t index, const FontTextSettings& settings,
                        double pixelsPerInch, const FontTextMeasure& measure);

/// The glyph string of the selected tracks of a board in list order, corners relative to origin.
std::string glyphStringOfTracks(const TBoard& board, TPoint origin);

} // namespace trevok

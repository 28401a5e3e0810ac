#pragma once
// The built-in stroke font: every character is a few polylines in a small integer grid.
//
// Terms used here:
//  - glyph string: a sequence of 6-character cells. "XXXXXX" lifts the pen and starts a new
//    polyline, "ZZZZZZ" ends the glyph, any other cell is a point written as two signed
//    two-digit numbers, x then y (for example "+25-20").
//  - glyph unit: x to the right from the glyph's left edge, y upwards from the baseline.
//    Capitals are 80 units high, the x-height is 45, descenders reach -20, umlaut dots 85.
//  - dot: a polyline whose two points are equal.
//  - advance: the largest x of a glyph's points (0 for an empty glyph); the blank, which has no
//    glyph, advances by 1.

#include "document/objekt.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trevok
{

/// One entry of the font: a Windows-1252 character code and its glyph string.
struct GlyphEntry {
    std::uint8_t code;
    const char* glyph;
};

/// Number of characters that have a glyph.
inline constexpr std::size_t GlyphCount = 90;

/// The whole font, ordered by character code.
extern const std::array<GlyphEntry, GlyphCount> GlyphTable;

/// The glyph string of a character; "ZZZZZZ" (nothing drawn) for a character without glyph.
std::string_view glyphString(std::uint8_t code) noexcept;

/// One decoded cell of a glyph string.
struct GlyphCell {
    enum Type : std::uint8_t { Point, PenUp, End };
    Type type = End;
    std::int32_t x = 0;
    /// Pointing downwards: the glyph's y negated, as on a screen. Negate it again for board use.
    std::int32_t y = 0;
};

/// Cell i (from 0) of the glyph of a character. Indices outside the string give End.
GlyphCell GlyphPoint(std::uint8_t code, int i) noexcept;

/// The advance of a character in glyph units.
std::int32_t GlyphAdvance(std::uint8_t code) noexcept;

/// Turns tracks into a glyph string for authoring new characters: one polyline per track, each
/// corner written as its offset from the origin divided by 10 (towards zero), each number with
/// its sign and at least two digits.
std::string glyphStringFromTracks(const std::vector<const TObjekt*>& tracks, TPoint origin);

} // namespace trevok

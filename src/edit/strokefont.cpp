#include "edit/strokefont.h"

#include <algorithm>
#include <limits>

namespace trevok
{

// clang-format off
const std::array<GlyphEntry, GlyphCount> GlyphTable{{
    {33, "XXXXXX+00+80+00+20XXXXXX+00+00+00+00ZZZZZZ"}, // !
    {34, "XXXXXX+00+80+00+60XXXXXX+15+80+15+60ZZZZZZ"}, // double quote
    {35, "XXXXXX+05+50+50+50XXXXXX+00+25+45+25XXXXXX+10+10+20+65XXXXXX+30+10+40+65ZZZZZZ"}, // #
    {37, "XXXXXX+10+00+50+80XXXXXX+55+25+45+25+40+20+40+10+45+05+55+05+60+10+60+20+55+25XXXXXX+15+75+05+75+00+70+00+60+05+55+15+55+20+60+20+70+15+75ZZZZZZ"}, // %
    {38, "XXXXXX+50+10+10+50+05+60+05+70+15+80+25+80+35+70+35+60+30+50+05+35+00+25+00+15+05+05+15+00+25+00+35+05+45+25ZZZZZZ"}, // &
    {40, "XXXXXX+15+80+05+75+00+65+00+15+05+05+15+00ZZZZZZ"}, // (
    {41, "XXXXXX+00+80+10+75+15+65+15+15+10+05+00+00ZZZZZZ"}, // )
    {42, "XXXXXX+00+35+40+35XXXXXX+20+55+20+15XXXXXX+05+50+35+20XXXXXX+05+20+35+50ZZZZZZ"}, // *
    {43, "XXXXXX+00+35+40+35XXXXXX+20+55+20+15ZZZZZZ"}, // +
    {44, "XXXXXX+10+00+10-10+05-20+00-20ZZZZZZ"}, // comma
    {45, "XXXXXX+00+35+40+35ZZZZZZ"}, // minus
    {46, "XXXXXX+00+00+00+00ZZZZZZ"}, // full stop
    {47, "XXXXXX+00+00+40+80ZZZZZZ"}, // /
    {48, "XXXXXX+40+65+40+15+35+05+25+00+15+00+05+05+00+15+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // 0
    {49, "XXXXXX+00+50+25+80+25+00ZZZZZZ"}, // 1
    {50, "XXXXXX+40+00+00+00+00+05+05+15+35+45+40+55+40+65+35+75+25+80+15+80+05+75+00+65ZZZZZZ"}, // 2
    {51, "XXXXXX+00+65+05+75+15+80+25+80+35+75+40+65+40+55+35+45+25+40+35+35+40+25+40+15+35+05+25+00+15+00+05+05+00+15ZZZZZZ"}, // 3
    {52, "XXXXXX+30+00+30+80+00+30+00+20+40+20ZZZZZZ"}, // 4
    {53, "XXXXXX+40+80+00+80+00+45+05+45+15+50+25+50+35+45+40+35+40+15+35+05+25+00+15+00+05+05+00+15ZZZZZZ"}, // 5
    {54, "XXXXXX+40+65+35+75+25+80+15+80+05+75+00+65+00+40+00+35+15+45+25+45+35+40+40+30+40+15+35+05+25+00+15+00+05+05+00+15+00+40ZZZZZZ"}, // 6
    {55, "XXXXXX+00+80+40+80+35+70+25+55+15+35+10+20+10+00ZZZZZZ"}, // 7
    {56, "XXXXXX+25+40+15+40+05+45+00+55+00+65+05+75+15+80+25+80+35+75+40+65+40+55+35+45+25+40+35+35+40+25+40+15+35+05+25+00+15+00+05+05+00+15+00+25+05+35+15+40ZZZZZZ"}, // 8
    {57, "XXXXXX+00+15+05+05+15+00+25+00+35+05+40+15+40+40+40+45+25+35+15+35+05+40+00+50+00+65+05+75+15+80+25+80+35+75+40+65+40+40ZZZZZZ"}, // 9
    {58, "XXXXXX+00+00+00+00XXXXXX+00+45+00+45ZZZZZZ"}, // colon
    {60, "XXXXXX+00+35+40+55XXXXXX+00+35+40+15ZZZZZZ"}, // <
    {61, "XXXXXX+00+45+40+45XXXXXX+00+25+40+25ZZZZZZ"}, // =
    {62, "XXXXXX+00+55+40+35XXXXXX+00+15+40+35ZZZZZZ"}, // >
    {63, "XXXXXX+20+20+20+35+25+40+35+45+40+55+40+65+35+75+25+80+15+80+05+75+00+65XXXXXX+20+00+20+00ZZZZZZ"}, // ?
    {65, "XXXXXX+00+00+25+80+50+00XXXXXX+10+30+40+30ZZZZZZ"}, // A
    {66, "XXXXXX+00+00+00+80+25+80+35+75+40+65+40+55+35+45+25+40+35+35+40+25+40+15+35+05+25+00+00+00XXXXXX+00+40+25+40ZZZZZZ"}, // B
    {67, "XXXXXX+40+15+35+05+25+00+15+00+05+05+00+15+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // C
    {68, "XXXXXX+00+00+00+80+25+80+35+75+40+65+40+15+35+05+25+00+00+00ZZZZZZ"}, // D
    {69, "XXXXXX+35+00+00+00+00+80+35+80XXXXXX+00+40+35+40ZZZZZZ"}, // E
    {70, "XXXXXX+00+00+00+80+35+80XXXXXX+00+40+35+40ZZZZZZ"}, // F
    {71, "XXXXXX+20+40+40+40+40+15+35+05+25+00+15+00+05+05+00+15+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // G
    {72, "XXXXXX+00+00+00+80XXXXXX+40+00+40+80XXXXXX+00+40+40+40ZZZZZZ"}, // H
    {73, "XXXXXX+00+00+00+80ZZZZZZ"}, // I
    {74, "XXXXXX+40+80+40+15+35+05+25+00+15+00+05+05+00+15ZZZZZZ"}, // J
    {75, "XXXXXX+00+00+00+80XXXXXX+00+25+40+80XXXXXX+15+40+40+00ZZZZZZ"}, // K
    {76, "XXXXXX+00+80+00+00+35+00ZZZZZZ"}, // L
    {77, "XXXXXX+00+00+00+80+25+30+50+80+50+00ZZZZZZ"}, // M
    {78, "XXXXXX+00+00+00+80+40+00+40+80ZZZZZZ"}, // N
    {79, "XXXXXX+40+65+40+15+35+05+25+00+15+00+05+05+00+15+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // O
    {80, "XXXXXX+00+00+00+80+25+80+35+75+40+65+40+55+35+45+25+40+00+40ZZZZZZ"}, // P
    {81, "XXXXXX+20+15+45+00XXXXXX+40+65+40+15+35+05+25+00+15+00+05+05+00+15+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // Q
    {82, "XXXXXX+20+40+35+30+40+20+40+00XXXXXX+00+00+00+80+25+80+35+75+40+65+40+55+35+45+25+40+00+40ZZZZZZ"}, // R
    {83, "XXXXXX+00+15+05+05+15+00+25+00+35+05+40+15+40+25+35+35+25+40+15+40+05+45+00+55+00+65+05+75+15+80+25+80+35+75+40+65ZZZZZZ"}, // S
    {84, "XXXXXX+20+00+20+80XXXXXX+00+80+40+80ZZZZZZ"}, // T
    {85, "XXXXXX+00+80+00+15+05+05+15+00+25+00+35+05+40+15+40+80ZZZZZZ"}, // U
    {86, "XXXXXX+00+80+25+00+50+80ZZZZZZ"}, // V
    {87, "XXXXXX+00+80+00+00+25+50+50+00+50+80ZZZZZZ"}, // W
    {88, "XXXXXX+00+80+50+00XXXXXX+00+00+50+80ZZZZZZ"}, // X
    {89, "XXXXXX+00+80+25+40+25+00XXXXXX+25+40+50+80ZZZZZZ"}, // Y
    {90, "XXXXXX+00+80+40+80+00+00+40+00ZZZZZZ"}, // Z
    {92, "XXXXXX+40+00+00+80ZZZZZZ"}, // backslash
    {95, "XXXXXX+00+00+50+00ZZZZZZ"}, // underscore
    {97, "XXXXXX+00+40+10+45+22+45+30+35+30+00XXXXXX+30+15+25+25+15+27+05+25+00+15+02+05+10+00+15+00+17+00+25+05+30+15ZZZZZZ"}, // a
    {98, "XXXXXX+00+00+00+80XXXXXX+00+32+05+42+15+45+25+42+30+32+30+12+25+02+15+00+05+02+00+12ZZZZZZ"}, // b
    {99, "XXXXXX+25+42+15+45+05+42+00+32+00+12+05+02+15+00+25+02ZZZZZZ"}, // c
    {100, "XXXXXX+30+00+30+80XXXXXX+30+32+25+42+15+45+05+42+00+32+00+12+05+02+15+00+25+02+30+12ZZZZZZ"}, // d
    {101, "XXXXXX+30+05+22+00+12+00+02+05+00+15+00+32+05+42+15+45+25+42+30+35+30+25+00+25ZZZZZZ"}, // e
    {102, "XXXXXX+10+00+10+75+15+80+20+77XXXXXX+00+45+20+45ZZZZZZ"}, // f
    {103, "XXXXXX+00-15+10-20+17-20+27-15+30-05+30+45XXXXXX+30+32+25+42+15+45+05+42+00+32+00+12+05+02+15+00+25+02+30+12ZZZZZZ"}, // g
    {104, "XXXXXX+00+00+00+80XXXXXX+00+32+05+42+15+45+25+42+30+32+30+00ZZZZZZ"}, // h
    {105, "XXXXXX+00+00+00+45XXXXXX+00+60+00+60ZZZZZZ"}, // i
    {106, "XXXXXX+10+60+10+60XXXXXX+00-20+05-20+10-12+10+45ZZZZZZ"}, // j
    {107, "XXXXXX+00+00+00+80XXXXXX+15+30+30+00XXXXXX+00+20+30+45ZZZZZZ"}, // k
    {108, "XXXXXX+00+00+00+80ZZZZZZ"}, // l
    {109, "XXXXXX+00+00+00+45XXXXXX+00+37+10+45+20+42+25+35+25+00XXXXXX+25+37+35+45+45+42+50+35+50+00ZZZZZZ"}, // m
    {110, "XXXXXX+00+00+00+45XXXXXX+00+35+05+42+15+45+25+42+30+35+30+00ZZZZZZ"}, // n
    {111, "XXXXXX+30+12+30+32+25+42+15+45+05+42+00+32+00+12+05+02+15+00+25+02+30+12ZZZZZZ"}, // o
    {112, "XXXXXX+00+45+00-20XXXXXX+00+15+05+02+15+00+25+02+30+12+30+32+25+42+15+45+05+42+00+30ZZZZZZ"}, // p
    {113, "XXXXXX+30+45+30-20XXXXXX+30+12+25+02+15+00+05+02+00+12+00+32+05+42+15+45+25+42+30+32ZZZZZZ"}, // q
    {114, "XXXXXX+00+00+00+45XXXXXX+00+35+10+45+20+45ZZZZZZ"}, // r
    {115, "XXXXXX+00+05+10+00+20+00+30+05+30+15+25+20+05+25+00+30+00+40+10+45+20+45+30+40ZZZZZZ"}, // s
    {116, "XXXXXX+10+80+10+05+15+00+20+02XXXXXX+00+45+20+45ZZZZZZ"}, // t
    {117, "XXXXXX+30+45+30+00XXXXXX+30+10+25+02+15+00+05+02+00+10+00+45ZZZZZZ"}, // u
    {118, "XXXXXX+00+45+20+00+40+45ZZZZZZ"}, // v
    {119, "XXXXXX+00+45+15+00+30+45+45+00+55+45ZZZZZZ"}, // w
    {120, "XXXXXX+00+45+40+00XXXXXX+00+00+40+45ZZZZZZ"}, // x
    {121, "XXXXXX+00+45+20+00+40+45XXXXXX+20+00+15-15+10-20+05-20ZZZZZZ"}, // y
    {122, "XXXXXX+00+45+30+45+00+00+30+00ZZZZZZ"}, // z
    {181, "XXXXXX+00+45+00-20XXXXXX+30+45+30+00XXXXXX+30+10+25+02+15+00+05+02+00+10+00+45ZZZZZZ"}, // µ (micro)
    {196, "XXXXXX+00+00+25+80+50+00XXXXXX+10+30+40+30XXXXXX+05+85+05+85XXXXXX+45+85+45+85ZZZZZZ"}, // Ä
    {214, "XXXXXX+40+60+40+15+35+05+25+00+15+00+05+05+00+15+00+60+05+70+15+75+25+75+35+70+40+60XXXXXX+00+85+00+85XXXXXX+40+85+40+85ZZZZZZ"}, // Ö
    {220, "XXXXXX+00+70+00+15+05+05+15+00+25+00+35+05+40+15+40+70XXXXXX+00+85+00+85XXXXXX+40+85+40+85ZZZZZZ"}, // Ü
    {223, "XXXXXX+00+00+00+70+10+75+20+70+25+60+25+50+15+40XXXXXX+15+40+25+40+30+35+35+25+35+15+30+05+25+00+15+00+10+05ZZZZZZ"}, // ß
    {228, "XXXXXX+05+60+05+60XXXXXX+25+60+25+60XXXXXX+00+40+10+45+22+45+30+35+30+00XXXXXX+30+15+25+25+15+27+05+25+00+15+02+05+10+00+15+00+17+00+25+05+30+15ZZZZZZ"}, // ä
    {246, "XXXXXX+05+60+05+60XXXXXX+25+60+25+60XXXXXX+30+12+30+32+25+42+15+45+05+42+00+32+00+12+05+02+15+00+25+02+30+12ZZZZZZ"}, // ö
    {252, "XXXXXX+00+60+00+60XXXXXX+30+60+30+60XXXXXX+30+45+30+00XXXXXX+30+10+25+02+15+00+05+02+00+10+00+45ZZZZZZ"}, // ü
}};
// clang-format on

namespace
{

constexpr std::string_view NoGlyph = "ZZZZZZ";
constexpr int CellSize = 6;

/// Index from character code to glyph string, built once from the table.
const std::array<const char*, 256>& glyphIndex() noexcept
{
    static const std::array<const char*, 256> index = [] {
        std::array<const char*, 256> a{};
        for (const GlyphEntry& e : GlyphTable)
            a[e.code] = e.glyph;
        return a;
    }();
    return index;
}

/// A sign and two digits; anything malformed reads as 0 (the table is fixed, this only guards).
std::int32_t parseCoordinate(std::string_view cell) noexcept
{
    if (cell.size() != 3 || (cell[0] != '+' && cell[0] != '-'))
        return 0;
    std::int32_t v = 0;
    for (int i = 1; i < 3; ++i) {
        if (cell[i] < '0' || cell[i] > '9')
            return 0;
        v = v * 10 + (cell[i] - '0');
    }
    return cell[0] == '-' ? -v : v;
}

std::int32_t computeAdvance(std::uint8_t code) noexcept
{
    if (code == ' ')
        return 1;
    std::int32_t largest = std::numeric_limits<std::int32_t>::min();
    for (int i = 0;; ++i) {
        const GlyphCell cell = GlyphPoint(code, i);
        if (cell.type == GlyphCell::End)
            break;
        if (cell.type == GlyphCell::Point)
            largest = std::max(largest, cell.x);
    }
    return largest == std::numeric_limits<std::int32_t>::min() ? 0 : largest;
}

void appendNumber(std::string& out, std::int64_t v)
{
    out += v < 0 ? '-' : '+';
    std::string digits = std::to_string(v < 0 ? -v : v);
    if (digits.size() < 2)
        digits.insert(0, "0");
    out += digits;
}

} // namespace

std::string_view glyphString(std::uint8_t code) noexcept
{
    const char* g = glyphIndex()[code];
    return g ? std::string_view(g) : NoGlyph;
}

GlyphCell GlyphPoint(std::uint8_t code, int i) noexcept
{
    const std::string_view glyph = glyphString(code);
    if (i < 0 || static_cast<std::size_t>(i) >= glyph.size() / CellSize)
        return {};
    const std::string_view cell = glyph.substr(static_cast<std::size_t>(i) * CellSize, CellSize);
    if (cell == "XXXXXX")
        return {GlyphCell::PenUp, 0, 0};
    if (cell == NoGlyph)
        return {};
    return {GlyphCell::Point, parseCoordinate(cell.substr(0, 3)), -parseCoordinate(cell.substr(3, 3))};
}

std::int32_t GlyphAdvance(std::uint8_t code) noexcept
{
    static const std::array<std::int32_t, 256> advances = [] {
        std::array<std::int32_t, 256> a{};
        for (int c = 0; c < 256; ++c)
            a[c] = computeAdvance(static_cast<std::uint8_t>(c));
        return a;
    }();
    return advances[code];
}

std::string glyphStringFromTracks(const std::vector<const TObjekt*>& tracks, TPoint origin)
{
    std::string out;
    for (const TObjekt* t : tracks) {
        if (!t)
            continue;
        out += "XXXXXX";
        for (const TPoint& p : t->Points) {
            appendNumber(out, (std::int64_t{p.x} - origin.x) / 10);
            appendNumber(out, (std::int64_t{p.y} - origin.y) / 10);
        }
    }
    out += NoGlyph;
    return out;
}

} // namespace trevok

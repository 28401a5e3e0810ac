#include "edit/layouttext.h"

#include "edit/strokefont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace trevok
{

namespace
{

constexpr std::int64_t Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Int32Max = std::numeric_limits<std::int32_t>::max();

std::int32_t clampToInt32(std::int64_t v) noexcept
{
    return static_cast<std::int32_t>(std::clamp(v, Int32Min, Int32Max));
}

/// Sums stay meaningful for any text the program can lay out; absurd heights from damaged files
/// saturate instead of wrapping.
std::int64_t addSaturated(std::int64_t a, std::int64_t b) noexcept
{
    std::int64_t r = 0;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    return r;
}

/// Classes outside 0..2 (possible in files) are treated as normal.
std::int32_t knownClass(std::int32_t v) noexcept
{
    return v >= 0 && v <= 2 ? v : 1;
}

std::int32_t quarterTurns(std::int32_t orientation) noexcept
{
    return ((orientation % 4) + 4) % 4;
}

/// Horizontal stretch of the letters; the gaps do not stretch.
double letterStretch(std::int32_t style) noexcept
{
    switch (style) {
    case StyleNarrow:
        return 0.8;
    case StyleWide:
        return 1.6;
    default:
        return 1.2;
    }
}

std::int32_t strokeWidth(double s, std::int32_t thickness) noexcept
{
    switch (thickness) {
    case ThicknessThin:
        return RoundHalfEven(s / 1.8 * 10);
    case ThicknessBold:
        return RoundHalfEven(s / 0.7 * 10);
    default:
        return RoundHalfEven(s * 10);
    }
}

std::int64_t letterGap(double s, std::int32_t thickness) noexcept
{
    switch (thickness) {
    case ThicknessThin:
        return RoundHalfEven64(s * 16);
    case ThicknessBold:
        return RoundHalfEven64(s * 28);
    default:
        return RoundHalfEven64(s * 22);
    }
}

/// Centre of a rectangle, each coordinate halved towards zero.
TPoint centreOf(const TRect& r) noexcept
{
    return {clampToInt32((r.left + r.right) / 2), clampToInt32((r.top + r.bottom) / 2)};
}

void translateSaturated(TObjekt& element, std::int64_t dx, std::int64_t dy) noexcept
{
    Translate(element, clampToInt32(dx), clampToInt32(dy));
}

/// Nearest quarter turn of an angle in degrees; 0, 90, 180 and 270 map to 0..3.
std::int32_t quarterOfAngle(std::int32_t degrees) noexcept
{
    const std::int32_t a = ((degrees % 360) + 360) % 360;
    return RoundHalfEven(a / 90.0) % 4;
}

} // namespace

void BuildTextStrokes(TObjekt& text, const LayoutTextSettings& settings, double grid, int& counter)
{
    const std::int32_t thickness = knownClass(settings.thickness);
    const std::int32_t style = knownClass(settings.style);
    const std::int32_t orientation = quarterTurns(settings.orientation);
    const double h = settings.heightMm;

    std::string str = settings.text;
    if (settings.numbering) {
        str += std::to_string(counter);
        if (counter < std::numeric_limits<int>::max())
            ++counter;
    }

    const TPoint requested{text.X, text.Y};
    text.Kind = KindLayoutText;
    text.Text = str;
    text.Size1 = std::isfinite(h) ? RoundHalfEven(h * 100) : 0;
    text.Size2 = thickness;
    text.Width = style;
    text.Angle = orientation;
    text.MirrorH = settings.mirrorH ? 1 : 0;
    text.MirrorV = settings.mirrorV ? 1 : 0;
    text.Strokes.clear();
    text.RegionCache.reset();

    // A height that is not positive would draw the glyphs upside down with negative widths.
    if (!(h > 0) || !std::isfinite(h))
        return;

    const double s = h * 100 / 90; // board units per glyph unit: 90 glyph units make the height
    const double k = letterStretch(style);
    const std::int32_t w = strokeWidth(s, thickness);
    const std::int64_t gap = letterGap(s, thickness);

    std::int64_t px = requested.x;
    const std::int64_t py = requested.y;
    for (const char ch : str) {
        const auto code = static_cast<std::uint8_t>(ch);
        TObjekt* track = nullptr;
        for (int i = 0;; ++i) {
            const GlyphCell cell = GlyphPoint(code, i);
            if (cell.type == GlyphCell::End)
                break;
            if (cell.type == GlyphCell::PenUp) {
                auto stroke = NewTrack(w, text.Layer);
                stroke->Clearance = text.Clearance;
                text.Strokes.push_back(std::move(*stroke));
                track = &text.Strokes.back();
                continue;
            }
            if (!track)
                continue; // a point before the first pen-up has no polyline to join
            const std::int64_t gx = cell.x;
            const std::int64_t gy = -std::int64_t{cell.y};
            AddPoint(*track, {clampToInt32(addSaturated(px, RoundHalfEven64(gx * s * k))),
                              clampToInt32(addSaturated(py, RoundHalfEven64(s * gy)))});
        }
        px = addSaturated(px, addSaturated(RoundHalfEven64(GlyphAdvance(code) * s * k), gap));
    }

    if (text.Strokes.empty())
        return;

    // Turning and mirroring happen about the grid-snapped centre; the final move below makes the
    // result independent of that centre, but it keeps intermediate coordinates near the text.
    TPoint c = centreOf(Bounds(text));
    if (grid > 0 && std::isfinite(grid))
        c = SnapToGrid(c, grid);
    for (TObjekt& stroke : text.Strokes) {
        for (std::int32_t i = 0; i < orientation; ++i)
            Rotate90(stroke, c);
        if (settings.mirrorV)
            MirrorY(stroke, c);
        if (settings.mirrorH)
            MirrorX(stroke, c);
    }

    const TRect b = Bounds(text);
    translateSaturated(text, std::int64_t{requested.x} - b.left, std::int64_t{requested.y} - b.top);
}

void BuildTextStrokes(TObjekt& text, const LayoutTextSettings& settings, double grid)
{
    int unused = 0;
    LayoutTextSettings plain = settings;
    plain.numbering = false;
    BuildTextStrokes(text, plain, grid, unused);
}

std::unique_ptr<TObjekt> makeLayoutText(TPoint point, const LayoutTextSettings& settings, std::uint8_t layer,
                                        std::int32_t clearance, double grid, int& counter)
{
    const double h = std::isfinite(settings.heightMm) ? settings.heightMm : 0;
    auto text = NewLayoutText(point, settings.text, settings.mirrorV, settings.mirrorH, layer,
                              quarterTurns(settings.orientation), knownClass(settings.style),
                              knownClass(settings.thickness), RoundHalfEven(h * 100));
    text->Clearance = clearance;
    BuildTextStrokes(*text, settings, grid, counter);
    return text;
}

LayoutTextSettings settingsOfLayoutText(const TObjekt& text)
{
    LayoutTextSettings s;
    s.text = text.Text;
    s.heightMm = text.Size1 / 100.0;
    s.thickness = knownClass(text.Size2);
    s.style = knownClass(text.Width);
    s.orientation = quarterTurns(text.Angle);
    s.mirrorH = text.MirrorH != 0;
    s.mirrorV = text.MirrorV != 0;
    s.numbering = false;
    return s;
}

// ---------------------------------------------------------------------------------------------
// Old font texts

std::unique_ptr<TObjekt> convertFontText(const TObjekt& fontText, double grid, double pixelsPerInch)
{
    if (!(pixelsPerInch > 0) || !std::isfinite(pixelsPerInch))
        pixelsPerInch = DefaultPixelsPerInch;

    // The stored height is a font height in screen pixels, negative for the character height.
    // A positive value (cell height) is taken by its size too: negating it would give a negative
    // height and thus upside-down text.
    LayoutTextSettings settings;
    settings.text = fontText.Text;
    settings.heightMm = std::abs(static_cast<double>(fontText.Width)) / pixelsPerInch * 72 / 100 * 0.9;
    settings.thickness = ThicknessBold;
    settings.style = StyleNormal;
    settings.orientation = quarterOfAngle(fontText.Angle);

    int counter = 0;
    auto text =
        makeLayoutText({fontText.X, fontText.Y}, settings, fontText.Layer, fontText.Clearance, grid, counter);
    if (text->Strokes.empty())
        return nullptr;
    text->Groups = fontText.Groups;

    // The corner where the old text started reading stays on the old reference point.
    const TRect b = Bounds(*text);
    std::int64_t cx = b.left;
    std::int64_t cy = b.bottom;
    switch (settings.orientation) {
    case 1:
        cx = b.right;
        cy = b.bottom;
        break;
    case 2:
        cx = b.right;
        cy = b.top;
        break;
    case 3:
        cx = b.left;
        cy = b.top;
        break;
    default:
        break;
    }
    translateSaturated(*text, std::int64_t{fontText.X} - cx, std::int64_t{fontText.Y} - cy);
    return text;
}

int countFontTexts(const ElementList& list) noexcept
{
    return static_cast<int>(
        std::count_if(list.begin(), list.end(), [](const auto& e) { return e && e->Kind == KindFontText; }));
}

int countFontTexts(const TBoard& board) noexcept
{
    return countFontTexts(board.Elements);
}

int countFontTexts(const TProject& project) noexcept
{
    int n = 0;
    for (const auto& board : project.Boards)
        if (board)
            n += countFontTexts(*board);
    return n;
}

FontTextConversion convertFontTexts(ElementList& list, double grid, double pixelsPerInch)
{
    FontTextConversion result;
    // Replaced in place, so that drawing order and list positions of the others stay as they were.
    for (std::size_t i = 0; i < list.size();) {
        if (!list[i] || list[i]->Kind != KindFontText) {
            ++i;
            continue;
        }
        auto text = convertFontText(*list[i], grid, pixelsPerInch);
        ++result.converted;
        result.changed = true;
        if (text) {
            list[i] = std::move(text);
            ++i;
        } else {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return result;
}

FontTextConversion convertFontTexts(TBoard& board, double pixelsPerInch)
{
    return convertFontTexts(board.Elements, board.Grid, pixelsPerInch);
}

FontTextConversion convertFontTexts(TProject& project, double pixelsPerInch)
{
    // Nothing here pushes a snapshot, but an observer reacting to the changes must not either.
    struct SuspendSnapshots {
        TProject& project;
        bool before;
        explicit SuspendSnapshots(TProject& p) : project(p), before(p.SnapshotsSuspended)
        {
            project.SnapshotsSuspended = true;
        }
        ~SuspendSnapshots() { project.SnapshotsSuspended = before; }
    } suspend(project);

    // The grid of the board shown lives in the view until it is stored back.
    if (TBoard* current = project.currentBoard(); current && project.StoreLiveState)
        project.StoreLiveState(*current);

    FontTextConversion result;
    for (auto& board : project.Boards) {
        if (!board)
            continue;
        const FontTextConversion one = convertFontTexts(*board, pixelsPerInch);
        result.converted += one.converted;
        result.changed = result.changed || one.changed;
    }
    return result;
}

void ConvertMacroFontTexts(ElementList& list, double grid)
{
    convertFontTexts(list, grid);
}

} // namespace trevok

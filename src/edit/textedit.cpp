#include "edit/textedit.h"

#include "document/undo.h"
#include "edit/strokefont.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace trevok
{

namespace
{

TObjekt* elementAt(TProject& project, std::size_t index, std::uint8_t kind)
{
    TBoard* board = project.currentBoard();
    if (!board || index >= board->Elements.size() || !board->Elements[index])
        return nullptr;
    TObjekt* e = board->Elements[index].get();
    return e->Kind == kind ? e : nullptr;
}

/// The corner a text is kept at while it is edited: smallest x and y of its strokes, or its
/// insertion point when it has none (possible in files).
TPoint keptCorner(const TObjekt& text) noexcept
{
    if (text.Strokes.empty())
        return {text.X, text.Y};
    const TRect b = Bounds(text);
    return {Saturate32(b.left), Saturate32(b.top)};
}

std::int32_t normalisedAngle(std::int32_t degrees) noexcept
{
    const std::int32_t a = ((degrees % 360) + 360) % 360;
    return (RoundHalfEven(a / 90.0) % 4) * 90;
}

} // namespace

EditResult editLayoutText(TProject& project, std::size_t index, const LayoutTextSettings& settings)
{
    EditResult result;
    TObjekt* old = elementAt(project, index, KindLayoutText);
    if (!old)
        return result;
    TBoard& board = *project.currentBoard();

    LayoutTextSettings plain = settings;
    plain.numbering = false;
    int unused = 0;
    auto text = makeLayoutText({old->X, old->Y}, plain, old->Layer, old->Clearance, board.Grid, unused);
    if (text->Strokes.empty())
        return result;
    text->Groups = old->Groups;
    text->Selected = old->Selected;

    const TPoint corner = keptCorner(*old);
    const TRect now = Bounds(*text);
    Translate(*text, Saturate32(std::int64_t{corner.x} - now.left),
              Saturate32(std::int64_t{corner.y} - now.top));

    if (!old->Strokes.empty())
        result.include(Bounds(*old));
    result.include(Bounds(*text));
    PushUndo(project);
    // In place: the drawing order of the others stays as it was.
    board.Elements[index] = std::move(text);
    result.changed = true;
    return result;
}

std::int32_t fontTextHeight(double heightMm, double pixelsPerInch) noexcept
{
    if (!(pixelsPerInch > 0) || !std::isfinite(pixelsPerInch))
        pixelsPerInch = DefaultPixelsPerInch;
    const double units = std::isfinite(heightMm) ? RoundHalfEven(heightMm * 100) : 0;
    return -RoundHalfEven(pixelsPerInch * units / 72);
}

FontTextSettings settingsOfFontText(const TObjekt& text, double pixelsPerInch)
{
    if (!(pixelsPerInch > 0) || !std::isfinite(pixelsPerInch))
        pixelsPerInch = DefaultPixelsPerInch;
    FontTextSettings s;
    s.text = text.Text.substr(0, MaxFontTextBytes);
    // The inverse of fontTextHeight, to one decimal as the dialog shows it.
    const double mm = std::abs(static_cast<double>(text.Width)) * 72 / pixelsPerInch / 100;
    s.heightMm = std::clamp(RoundHalfEven(mm * 10) / 10.0, MinFontTextHeightMm, MaxFontTextHeightMm);
    s.angle = normalisedAngle(text.Angle);
    return s;
}

EditResult editFontText(TProject& project, std::size_t index, const FontTextSettings& settings,
                        double pixelsPerInch, std::int64_t textWidth, std::int64_t textHeight)
{
    EditResult result;
    TObjekt* e = elementAt(project, index, KindFontText);
    if (!e)
        return result;
    const std::string text = settings.text.substr(0, MaxFontTextBytes);
    // A text of blanks draws nothing and could no longer be found with the mouse.
    if (text.find_first_not_of(' ') == std::string::npos)
        return result;

    const double height = std::clamp(settings.heightMm, MinFontTextHeightMm, MaxFontTextHeightMm);
    const std::int32_t angle = normalisedAngle(settings.angle);
    const std::int64_t w = std::max<std::int64_t>(0, textWidth);
    const std::int64_t h = std::max<std::int64_t>(0, textHeight);

    result.include(Bounds(*e));
    PushUndo(project);
    e->Text = text;
    e->Width = fontTextHeight(height, pixelsPerInch);
    e->Angle = angle;
    // The text is drawn from its reference point along the reading direction, its glyphs below
    // the reading line; both turn with the angle (y grows upwards on the board).
    std::int64_t dx = w;
    std::int64_t dy = -h;
    switch (angle) {
    case 90:
        dx = h;
        dy = w;
        break;
    case 180:
        dx = -w;
        dy = h;
        break;
    case 270:
        dx = -h;
        dy = -w;
        break;
    default:
        break;
    }
    e->Size1 = Saturate32(std::int64_t{e->X} + dx);
    e->Size2 = Saturate32(std::int64_t{e->Y} + dy);
    e->RegionCache.reset();
    result.include(Bounds(*e));
    result.changed = true;
    return result;
}

EditResult editFontText(TProject& project, std::size_t index, const FontTextSettings& settings,
                        double pixelsPerInch, const FontTextMeasure& measure)
{
    constexpr int reference = 1000;
    const double scale =
        std::abs(static_cast<double>(fontTextHeight(settings.heightMm, pixelsPerInch))) / reference;
    const auto [width, height] = measure.measure(settings.text.substr(0, MaxFontTextBytes), reference);
    return editFontText(project, index, settings, pixelsPerInch, RoundHalfEven64(width * scale),
                        RoundHalfEven64(height * scale));
}

std::string glyphStringOfTracks(const TBoard& board, TPoint origin)
{
    std::vector<const TObjekt*> tracks;
    for (const auto& e : board.Elements)
        if (e && e->Selected && e->Kind == KindTrack)
            tracks.push_back(e.get());
    return glyphStringFromTracks(tracks, origin);
}

} // namespace trevok

#include "edit/elementproperties.h"

#include "document/undo.h"
#include "edit/commandhelpers.h"
#include "edit/properties.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace trevok
{

namespace
{

using F = PropertyField;

constexpr double kPositionLimitMm = 100000.0; // a million units either way: well inside 32 bits

std::size_t at(F f) noexcept
{
    return static_cast<std::size_t>(f);
}

std::string mm(double units)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.2f", units / 100.0);
    return buf;
}

std::string integer(std::int64_t v)
{
    return std::to_string(v);
}

/// The fields of one element with their texts.
std::vector<std::pair<F, std::string>> fieldsOf(const TObjekt& e, TPoint origin)
{
    const std::string x = mm(double(e.X) - origin.x);
    const std::string y = mm(double(origin.y) - e.Y);
    std::vector<std::pair<F, std::string>> out{{F::Layer, integer(e.Layer)}, {F::Clearance, mm(e.Clearance)}};
    switch (e.Kind) {
    case KindPad:
        out.insert(out.end(), {{F::X, x},
                               {F::Y, y},
                               {F::PadDiameter, mm(2.0 * e.Size1)},
                               {F::Drill, mm(2.0 * e.Size2)},
                               {F::Shape, integer(e.Shape)},
                               {F::ThroughPlated, e.Twin ? "1" : "0"}});
        break;
    case KindSmdPad:
        out.insert(out.end(),
                   {{F::X, x}, {F::Y, y}, {F::SmdWidth, mm(e.Size1)}, {F::SmdHeight, mm(e.Size2)}});
        break;
    case KindTrack:
    case KindLine:
        out.insert(out.end(), {{F::Width, mm(e.Width)}, {F::Corners, ""}});
        break;
    case KindArea:
        out.insert(out.end(),
                   {{F::Width, mm(e.Width)}, {F::Restricted, e.Restricted ? "1" : "0"}, {F::Corners, ""}});
        break;
    case KindCircle:
        out.insert(out.end(), {{F::X, x},
                               {F::Y, y},
                               {F::OuterRadius, mm(e.Size1)},
                               {F::InnerRadius, mm(e.Size2)},
                               {F::StartAngle, integer(e.Angle)},
                               {F::StopAngle, integer(e.Width)},
                               {F::Filled, e.Filled ? "1" : "0"}});
        break;
    default:
        break;
    }
    return out;
}

std::vector<TPoint> cornersOf(const TObjekt& e)
{
    if (e.Kind == KindLine)
        return {{e.X, e.Y}, {e.Size1, e.Size2}};
    return e.Points;
}

std::vector<std::uint8_t> layersFor(const TObjekt& e)
{
    if ((e.Kind == KindPad && e.Twin) || (e.Kind == KindArea && e.Restricted))
        return {LayerK1, LayerK2};
    return {LayerK1, LayerB1, LayerK2, LayerB2};
}

/// A decimal number with a point or a comma, nothing else around it but blanks.
std::optional<double> parseNumber(std::string t)
{
    std::replace(t.begin(), t.end(), ',', '.');
    const auto first = t.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = t.find_last_not_of(" \t");
    const char* b = t.data() + first;
    const char* e = t.data() + last + 1;
    if (*b == '+')
        ++b;
    double v = 0;
    const auto [end, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || end != e || !std::isfinite(v))
        return std::nullopt;
    return v;
}

struct Range {
    double min;
    double max;
    bool whole = false;
};

Range rangeOf(F f)
{
    auto fieldRange = [](ParamField p) {
        const FieldSpec s = fieldSpec(p);
        return Range{s.min, s.max};
    };
    switch (f) {
    case F::Clearance:
        return fieldRange(ParamField::Freistanz);
    case F::PadDiameter:
        return fieldRange(ParamField::Aussen);
    case F::Drill:
        return fieldRange(ParamField::Innen);
    case F::SmdWidth:
        return fieldRange(ParamField::SmdX);
    case F::SmdHeight:
        return fieldRange(ParamField::SmdY);
    case F::Width:
    case F::OuterRadius:
    case F::InnerRadius:
        return fieldRange(ParamField::Breite);
    case F::StartAngle:
    case F::StopAngle:
        return {0, 359, true};
    case F::Shape:
        return {ShapeRound, ShapeRectTall, true};
    case F::ThroughPlated:
    case F::Filled:
    case F::Restricted:
        return {0, 1, true};
    case F::Layer:
        return {LayerK1, LayerB2, true};
    default:
        return {-kPositionLimitMm, kPositionLimitMm};
    }
}

std::optional<double> parseField(F f, const std::string& text)
{
    const auto v = parseNumber(text);
    if (!v)
        return std::nullopt;
    const Range r = rangeOf(f);
    // A hair of tolerance, so that a value shown with two decimals reads back inside its range.
    if (*v < r.min - 1e-9 || *v > r.max + 1e-9 || (r.whole && *v != std::floor(*v)))
        return std::nullopt;
    return v;
}

std::int32_t units(double mmValue, double perMm = 100.0)
{
    return RoundHalfEven(mmValue * perMm);
}

} // namespace

bool hasPropertyDialog(const TObjekt& e) noexcept
{
    return e.Selected && e.Kind != KindFontText && e.Kind != KindLayoutText;
}

PropertySheet readProperties(const TBoard& board, TPoint origin)
{
    PropertySheet sheet;
    std::array<bool, PropertyFieldCount> seen{};
    std::array<bool, PropertyFieldCount> differ{};
    std::array<std::size_t, PropertyFieldCount> count{};
    const TObjekt* single = nullptr;
    std::vector<std::uint8_t> layers{LayerK1, LayerB1, LayerK2, LayerB2};
    for (const auto& e : board.Elements) {
        if (!hasPropertyDialog(*e))
            continue;
        ++sheet.elementCount;
        single = e.get();
        for (auto& [f, t] : fieldsOf(*e, origin)) {
            const std::size_t i = at(f);
            if (seen[i] && sheet.text[i] != t)
                differ[i] = true;
            seen[i] = true;
            sheet.text[i] = t;
            ++count[i];
        }
        const auto own = layersFor(*e);
        std::erase_if(layers,
                      [&](std::uint8_t l) { return std::find(own.begin(), own.end(), l) == own.end(); });
    }
    for (std::size_t i = 0; i < PropertyFieldCount; ++i) {
        sheet.present[i] = sheet.elementCount > 0 && count[i] == sheet.elementCount;
        if (!sheet.present[i] || differ[i])
            sheet.text[i].clear();
    }
    // The corner table is one element's: with several, the field is left out.
    if (sheet.elementCount != 1)
        sheet.present[at(F::Corners)] = false;
    if (sheet.has(F::Corners))
        for (const TPoint p : cornersOf(*single))
            sheet.corners.emplace_back(mm(double(p.x) - origin.x), mm(double(origin.y) - p.y));
    sheet.layers = std::move(layers);
    return sheet;
}

PropertyOutcome applyProperties(TProject& project, const PropertySheet& shown, const PropertySheet& edited,
                                TPoint origin)
{
    PropertyOutcome out;
    TBoard* board = project.currentBoard();
    if (!board)
        return out;
    auto fail = [&](F f) {
        out.ok = false;
        out.badField = f;
        return out;
    };

    // 1. Every changed field is read and checked against its range.
    std::array<std::optional<double>, PropertyFieldCount> value{};
    for (std::size_t i = 0; i < PropertyFieldCount; ++i) {
        const F f = static_cast<F>(i);
        if (f == F::Corners || !shown.present[i] || edited.text[i] == shown.text[i] || edited.text[i].empty())
            continue;
        value[i] = parseField(f, edited.text[i]);
        if (!value[i])
            return fail(f);
        if (f == F::Layer &&
            std::find(shown.layers.begin(), shown.layers.end(), int(*value[i])) == shown.layers.end())
            return fail(f);
    }
    std::optional<std::vector<TPoint>> corners;
    if (shown.has(F::Corners) && edited.corners != shown.corners) {
        corners.emplace();
        for (const auto& [x, y] : edited.corners) {
            const auto vx = parseField(F::X, x);
            const auto vy = parseField(F::Y, y);
            if (!vx || !vy)
                return fail(F::Corners);
            corners->push_back({Saturate32(std::int64_t{origin.x} + units(*vx)),
                                Saturate32(std::int64_t{origin.y} - units(*vy))});
        }
    }
    auto v = [&](F f) { return value[at(f)]; };

    // 2. The changes are made on copies, each checked for what would make it invalid.
    ElementList& list = board->Elements;
    std::vector<std::pair<std::size_t, TObjekt>> changes;
    std::vector<const TObjekt*> layered; // pads of a pair that took the typed layer
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TObjekt& e = *list[i];
        if (!hasPropertyDialog(e))
            continue;
        TObjekt c = e;
        if (v(F::Layer)) {
            auto layer = static_cast<std::uint8_t>(*v(F::Layer));
            // The second pad of a through-plated pair goes to the other side, as "Set to layer"
            // keeps a pair on both sides.
            if (e.Twin && std::find(layered.begin(), layered.end(), e.Twin) != layered.end())
                layer = OppositeLayer(layer);
            c.Layer = layer;
            layered.push_back(&e);
        }
        if (v(F::Clearance))
            c.Clearance = units(*v(F::Clearance));
        if (v(F::X))
            c.X = Saturate32(std::int64_t{origin.x} + units(*v(F::X)));
        if (v(F::Y))
            c.Y = Saturate32(std::int64_t{origin.y} - units(*v(F::Y)));
        switch (e.Kind) {
        case KindPad:
            if (v(F::PadDiameter))
                c.Size1 = units(*v(F::PadDiameter), 50.0);
            if (v(F::Drill))
                c.Size2 = units(*v(F::Drill), 50.0);
            if (v(F::Shape))
                c.Shape = static_cast<std::uint8_t>(*v(F::Shape));
            if (c.Size2 > c.Size1)
                return fail(v(F::Drill) ? F::Drill : F::PadDiameter);
            break;
        case KindSmdPad:
            if (v(F::SmdWidth))
                c.Size1 = units(*v(F::SmdWidth));
            if (v(F::SmdHeight))
                c.Size2 = units(*v(F::SmdHeight));
            break;
        case KindCircle:
            if (v(F::OuterRadius))
                c.Size1 = units(*v(F::OuterRadius));
            if (v(F::InnerRadius))
                c.Size2 = units(*v(F::InnerRadius));
            if (v(F::StartAngle))
                c.Angle = static_cast<std::int32_t>(*v(F::StartAngle));
            if (v(F::StopAngle))
                c.Width = static_cast<std::int32_t>(*v(F::StopAngle));
            if (v(F::Filled))
                c.Filled = *v(F::Filled) != 0 ? 1 : 0;
            if (c.Size2 >= c.Size1)
                return fail(v(F::InnerRadius) ? F::InnerRadius : F::OuterRadius);
            break;
        case KindTrack:
        case KindLine:
        case KindArea:
            if (v(F::Width))
                c.Width = units(*v(F::Width));
            if (e.Kind == KindArea && v(F::Restricted))
                c.Restricted = *v(F::Restricted) != 0 ? 1 : 0;
            if (corners) {
                const std::size_t least = e.Kind == KindArea ? 3 : 2;
                if (corners->size() < least || (e.Kind == KindLine && corners->size() != 2))
                    return fail(F::Corners);
                if (e.Kind == KindLine) {
                    c.X = (*corners)[0].x;
                    c.Y = (*corners)[0].y;
                    c.Size1 = (*corners)[1].x;
                    c.Size2 = (*corners)[1].y;
                    NormalizeLine(c);
                } else {
                    c.Points = *corners;
                }
            }
            break;
        default:
            break;
        }
        EnforceElementInvariants(c);
        if (!edit::sameElement(c, e)) {
            c.RegionCache.reset();
            changes.emplace_back(i, std::move(c));
        }
    }

    // 3. One undo step for all of it, through-plating included.
    ToolParameters plating;
    const bool platingTyped = v(F::ThroughPlated).has_value();
    if (platingTyped)
        plating.throughPlating = *v(F::ThroughPlated) != 0;
    const bool platingChanges =
        platingTyped && selectionAffected(list, Property::ThroughPlating, plating, board->ActiveLayer);
    if (changes.empty() && !platingChanges)
        return out;
    PushUndo(project);
    for (auto& [i, c] : changes) {
        edit::includeElement(out.result, *list[i]);
        *list[i] = std::move(c);
        edit::includeElement(out.result, *list[i]);
    }
    if (platingChanges)
        if (const auto area = ApplyToSelection(list, Property::ThroughPlating, plating, board->ActiveLayer))
            out.result.include(*area);
    out.result.changed = true;
    return out;
}

} // namespace trevok

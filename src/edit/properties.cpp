#include "edit/properties.h"

#include "document/project.h"
#include "document/undo.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace trevok
{

namespace
{

std::int64_t ringWidth(const TObjekt& c) noexcept
{
    return std::int64_t{c.Size1} - c.Size2;
}

bool carries(const TObjekt& e, Property p) noexcept
{
    switch (p) {
    case Property::Width:
        return e.Kind == KindTrack || e.Kind == KindArea || e.Kind == KindLine || e.Kind == KindCircle;
    case Property::PadRadius:
    case Property::DrillRadius:
    case Property::Shape:
    case Property::ThroughPlating:
        return e.Kind == KindPad;
    case Property::SmdWidth:
    case Property::SmdHeight:
        return e.Kind == KindSmdPad;
    case Property::Clearance:
        return true;
    }
    return false;
}

/// Whether setting the property would change the element.
bool differs(const TObjekt& e, Property p, const ToolParameters& t) noexcept
{
    if (!e.Selected || !carries(e, p))
        return false;
    switch (p) {
    case Property::Width:
        if (e.Kind == KindCircle)
            return ringWidth(e) != t.trackWidth;
        return e.Width != t.trackWidth;
    case Property::PadRadius:
        return e.Size1 != t.padRadius || e.Size2 > t.padRadius;
    case Property::DrillRadius:
        return e.Size2 != std::min(t.drillRadius, e.Size1);
    case Property::Shape:
        return e.Shape != t.padShape;
    case Property::ThroughPlating:
        return (e.Twin != nullptr) != t.throughPlating;
    case Property::SmdWidth:
        return e.Size1 != t.smdWidth;
    case Property::SmdHeight:
        return e.Size2 != t.smdHeight;
    case Property::Clearance:
        return e.Clearance != t.clearance;
    }
    return false;
}

void include(std::optional<TRect>& area, const TRect& r)
{
    area = area ? area->united(r) : r;
}

/// Removes one element from the list; every link to it goes to `heir` (or is dropped).
void removeTwinInto(ElementList& list, TObjekt* gone, TObjekt& heir)
{
    for (TObjekt* partner : gone->Connections) {
        if (partner == &heir)
            continue;
        auto& back = partner->Connections;
        back.erase(std::remove(back.begin(), back.end(), gone), back.end());
        if (std::find(back.begin(), back.end(), &heir) == back.end())
            back.push_back(&heir);
        if (std::find(heir.Connections.begin(), heir.Connections.end(), partner) == heir.Connections.end())
            heir.Connections.push_back(partner);
    }
    for (auto& e : list) {
        if (e.get() == gone)
            continue;
        auto& c = e->Connections;
        c.erase(std::remove(c.begin(), c.end(), gone), c.end());
        if (e->RouteStart == gone)
            e->RouteStart = &heir;
        if (e->RouteEnd == gone)
            e->RouteEnd = &heir;
        if (e->Twin == gone)
            e->Twin = nullptr;
    }
    heir.Twin = nullptr;
    list.erase(std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == gone; }));
}

} // namespace

FieldSpec fieldSpec(ParamField field) noexcept
{
    switch (field) {
    case ParamField::Breite:
        return {0.0, 99.9, 0.1, 1, 100.0};
    case ParamField::Aussen:
        return {0.1, 99.9, 0.1, 1, 50.0};
    case ParamField::Innen:
        return {0.0, 99.9, 0.1, 1, 50.0};
    case ParamField::SmdX:
    case ParamField::SmdY:
        return {0.01, 9.99, 0.01, 2, 100.0};
    case ParamField::Freistanz:
        return {0.0, 5.0, 0.1, 1, 100.0};
    }
    return {0.0, 99.9, 0.1, 1, 100.0};
}

TObjekt& AddTwin(ElementList& list, TObjekt& pad)
{
    auto twin = NewPad({pad.X, pad.Y}, pad.Size1, pad.Shape, OppositeLayer(pad.Layer), pad.Size2);
    twin->Clearance = pad.Clearance;
    twin->Groups = pad.Groups;
    twin->Selected = pad.Selected;
    twin->Twin = &pad;
    pad.Twin = twin.get();
    list.push_back(std::move(twin));
    return *list.back();
}

bool selectionAffected(const ElementList& list, Property property, const ToolParameters& params,
                       std::uint8_t activeLayer)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& e) { return differs(*e, property, params); });
}

std::optional<TRect> ApplyToSelection(ElementList& list, Property property, const ToolParameters& t,
                                      std::uint8_t activeLayer)
{
    std::optional<TRect> area;
    if (property == Property::ThroughPlating) {
        // Collected first: adding or removing pads changes the list being walked.
        std::vector<TObjekt*> pads;
        for (auto& e : list)
            if (differs(*e, property, t))
                pads.push_back(e.get());
        for (std::size_t i = 0; i < pads.size(); ++i) {
            TObjekt* pad = pads[i];
            if (!pad)
                continue; // the other pad of a pair that was already made single
            include(area, Bounds(*pad));
            if (t.throughPlating) {
                if (!pad->Twin)
                    AddTwin(list, *pad);
                continue;
            }
            TObjekt* twin = pad->Twin;
            if (!twin)
                continue; // made single already, as the kept pad of its pair
            const bool padOnActiveSide = (pad->Layer <= LayerB1) == (activeLayer <= LayerB1);
            TObjekt* keep = padOnActiveSide ? pad : twin;
            TObjekt* gone = padOnActiveSide ? twin : pad;
            std::replace(pads.begin() + static_cast<std::ptrdiff_t>(i) + 1, pads.end(), gone,
                         static_cast<TObjekt*>(nullptr));
            include(area, Bounds(*gone));
            removeTwinInto(list, gone, *keep);
        }
        return area;
    }
    for (auto& p : list) {
        TObjekt& e = *p;
        if (!differs(e, property, t))
            continue;
        include(area, Bounds(e));
        switch (property) {
        case Property::Width:
            if (e.Kind == KindCircle) {
                // The centre line stays where it is; the ring grows or shrinks on both sides.
                const std::int64_t mean = std::int64_t{e.Size1} - ringWidth(e) / 2;
                const std::int64_t half = t.trackWidth / 2;
                e.Size1 = Saturate32(mean + half);
                e.Size2 = Saturate32(mean - half);
                // An odd width loses a unit to the halving; keep the width exact.
                if (std::int64_t{e.Size1} - e.Size2 != t.trackWidth)
                    e.Size1 = Saturate32(std::int64_t{e.Size2} + t.trackWidth);
            } else {
                e.Width = t.trackWidth;
            }
            break;
        case Property::PadRadius:
            e.Size1 = t.padRadius;
            e.Size2 = std::min(e.Size2, e.Size1);
            break;
        case Property::DrillRadius:
            e.Size2 = std::min(t.drillRadius, e.Size1);
            break;
        case Property::Shape:
            e.Shape = t.padShape;
            break;
        case Property::SmdWidth:
            e.Size1 = t.smdWidth;
            break;
        case Property::SmdHeight:
            e.Size2 = t.smdHeight;
            break;
        case Property::Clearance:
            e.Clearance = t.clearance;
            break;
        case Property::ThroughPlating:
            break;
        }
        e.RegionCache.reset();
        include(area, Bounds(e));
    }
    return area;
}

// ---------------------------------------------------------------------------------------------

ToolProperties::ToolProperties()
{
    for (std::size_t i = 0; i < ParamFieldCount; ++i) {
        const FieldSpec s = fieldSpec(static_cast<ParamField>(i));
        fields_[i] = LaySpinValue(s.min, s.max, s.step, s.decimals);
    }
    reset(ToolParameters{});
}

void ToolProperties::reset(const ToolParameters& params)
{
    current_ = params;
    defaults_ = params;
    showValue(ParamField::Breite, params.trackWidth, false);
    showValue(ParamField::Aussen, params.padRadius, false);
    showValue(ParamField::Innen, params.drillRadius, false);
    showValue(ParamField::SmdX, params.smdWidth, false);
    showValue(ParamField::SmdY, params.smdHeight, false);
    showValue(ParamField::Freistanz, params.clearance, false);
}

std::vector<ParamField> ToolProperties::fieldsOfToolButton(int tool)
{
    switch (tool) {
    case 1: // track
    case 5: // area
    case 6: // ring
        return {ParamField::Breite};
    case 2:
        return {ParamField::Aussen, ParamField::Innen};
    case 14:
        return {ParamField::SmdX, ParamField::SmdY};
    default:
        return {};
    }
}

namespace
{

std::int32_t& paramOf(ToolParameters& t, ParamField f)
{
    switch (f) {
    case ParamField::Breite:
        return t.trackWidth;
    case ParamField::Aussen:
        return t.padRadius;
    case ParamField::Innen:
        return t.drillRadius;
    case ParamField::SmdX:
        return t.smdWidth;
    case ParamField::SmdY:
        return t.smdHeight;
    case ParamField::Freistanz:
        return t.clearance;
    }
    return t.trackWidth;
}

Property propertyOf(ParamField f)
{
    switch (f) {
    case ParamField::Breite:
        return Property::Width;
    case ParamField::Aussen:
        return Property::PadRadius;
    case ParamField::Innen:
        return Property::DrillRadius;
    case ParamField::SmdX:
        return Property::SmdWidth;
    case ParamField::SmdY:
        return Property::SmdHeight;
    case ParamField::Freistanz:
        return Property::Clearance;
    }
    return Property::Width;
}

/// None, mixed or one common value of a property among the selected elements.
struct Common {
    bool any = false;
    bool mixed = false;
    std::int64_t value = 0;
    void see(std::int64_t v)
    {
        if (!any) {
            any = true;
            value = v;
        } else if (v != value) {
            mixed = true;
        }
    }
};

} // namespace

void ToolProperties::showValue(ParamField f, std::int32_t units, bool makeDefault)
{
    // The element's own value becomes the tool value, not the value read back from the field's
    // rounded text: merely selecting a pad of 0.94 mm must neither change it nor make new pads
    // different from it.
    paramOf(current_, f) = units;
    if (makeDefault)
        paramOf(defaults_, f) = units;
    fields_[index(f)].setValue(units / fieldSpec(f).unitsPerMm);
}

void ToolProperties::showSelection(const ElementList& list, bool ctrl)
{
    Common width, outer, drill, shape, plated, smdX, smdY, clearance;
    bool anySelected = false;
    for (const auto& p : list) {
        const TObjekt& e = *p;
        if (!e.Selected)
            continue;
        anySelected = true;
        clearance.see(e.Clearance);
        switch (e.Kind) {
        case KindTrack:
        case KindArea:
        case KindLine:
            width.see(e.Width);
            break;
        case KindCircle:
            width.see(ringWidth(e));
            break;
        case KindPad:
            outer.see(e.Size1);
            drill.see(e.Size2);
            shape.see(e.Shape);
            plated.see(e.Twin != nullptr);
            break;
        case KindSmdPad:
            smdX.see(e.Size1);
            smdY.see(e.Size2);
            break;
        default:
            break;
        }
    }
    highlighted_ = {width.any, outer.any, drill.any, smdX.any, smdY.any, clearance.any};
    if (!anySelected) {
        const ToolParameters d = defaults_;
        const std::int32_t keepClearance = current_.clearance;
        showValue(ParamField::Breite, d.trackWidth, false);
        showValue(ParamField::Aussen, d.padRadius, false);
        showValue(ParamField::Innen, d.drillRadius, false);
        showValue(ParamField::SmdX, d.smdWidth, false);
        showValue(ParamField::SmdY, d.smdHeight, false);
        current_.clearance = keepClearance;
        return;
    }
    auto show = [&](ParamField f, const Common& c) {
        if (!c.any)
            showValue(f, paramOf(current_, f), false);
        else if (!c.mixed)
            showValue(f, Saturate32(c.value), ctrl);
    };
    show(ParamField::Breite, width);
    show(ParamField::Aussen, outer);
    show(ParamField::Innen, drill);
    show(ParamField::SmdX, smdX);
    show(ParamField::SmdY, smdY);
    if (clearance.any && !clearance.mixed)
        showValue(ParamField::Freistanz, Saturate32(clearance.value), ctrl);
    if (shape.any && !shape.mixed && shape.value >= ShapeRound && shape.value <= ShapeRectTall) {
        current_.padShape = static_cast<std::uint8_t>(shape.value);
        if (ctrl)
            defaults_.padShape = current_.padShape;
    }
    if (plated.any && !plated.mixed) {
        current_.throughPlating = plated.value != 0;
        if (ctrl)
            defaults_.throughPlating = current_.throughPlating;
    }
}

void ToolProperties::enterField(ParamField f)
{
    visiting_[index(f)] = true;
    recorded_[index(f)] = false;
    focused_ = static_cast<int>(index(f));
}

std::optional<TRect> ToolProperties::leaveField(ParamField f, TProject& project)
{
    fields_[index(f)].normalise();
    auto area = applyValue(f, project, true);
    visiting_[index(f)] = false;
    recorded_[index(f)] = false;
    if (focused_ == static_cast<int>(index(f)))
        focused_ = -1;
    return area;
}

std::optional<TRect> ToolProperties::editField(ParamField f, const std::string& text, TProject& project)
{
    fields_[index(f)].setText(text);
    return applyValue(f, project, true);
}

std::optional<TRect> ToolProperties::setFieldValue(ParamField f, double mm, TProject& project)
{
    fields_[index(f)].setValue(mm);
    return applyValue(f, project, true);
}

std::optional<TRect> ToolProperties::applyValue(ParamField f, TProject& project, bool mayRecord)
{
    TBoard* board = project.currentBoard();
    const FieldSpec limits = fieldSpec(f);
    const std::int32_t units = RoundHalfEven(fields_[index(f)].value() * limits.unitsPerMm);
    ToolParameters next = current_;
    paramOf(next, f) = units;
    // Drill above the outer diameter: the other field follows, so that a pad is never made
    // (or left) with a hole larger than its copper.
    std::optional<ParamField> follower;
    if (f == ParamField::Aussen && next.padRadius < next.drillRadius) {
        next.drillRadius = next.padRadius;
        follower = ParamField::Innen;
    } else if (f == ParamField::Innen && next.drillRadius > next.padRadius) {
        next.padRadius = next.drillRadius;
        follower = ParamField::Aussen;
    }
    const std::uint8_t layer = board ? board->ActiveLayer : std::uint8_t{LayerK2};
    const Property prop = propertyOf(f);
    bool affected = false;
    if (board) {
        affected = selectionAffected(board->Elements, prop, next, layer);
        if (follower)
            affected = affected || selectionAffected(board->Elements, propertyOf(*follower), next, layer);
    }
    const std::size_t i = index(f);
    if (mayRecord && visiting_[i] && !recorded_[i] && affected && units != paramOf(current_, f)) {
        PushUndo(project);
        recorded_[i] = true;
    }
    current_ = next;
    if (focused_ == static_cast<int>(i))
        paramOf(defaults_, f) = units;
    std::optional<TRect> area;
    if (follower) {
        fields_[index(*follower)].setValue(paramOf(current_, *follower) / fieldSpec(*follower).unitsPerMm);
        if (focused_ == static_cast<int>(i))
            paramOf(defaults_, *follower) = paramOf(current_, *follower);
        if (board)
            area = ApplyToSelection(board->Elements, propertyOf(*follower), current_, layer);
    }
    if (board) {
        if (auto a = ApplyToSelection(board->Elements, prop, current_, layer)) {
            area = area ? area->united(*a) : *a;
            project.Modified = true;
        }
    }
    return area;
}

std::optional<TRect> ToolProperties::setPadShape(std::uint8_t shape, TProject& project)
{
    if (shape < ShapeRound || shape > ShapeRectTall)
        return std::nullopt;
    current_.padShape = shape;
    defaults_.padShape = shape;
    TBoard* board = project.currentBoard();
    if (!board || !selectionAffected(board->Elements, Property::Shape, current_, board->ActiveLayer))
        return std::nullopt;
    PushUndo(project);
    return ApplyToSelection(board->Elements, Property::Shape, current_, board->ActiveLayer);
}

std::optional<TRect> ToolProperties::setThroughPlating(bool on, TProject& project)
{
    current_.throughPlating = on;
    defaults_.throughPlating = on;
    TBoard* board = project.currentBoard();
    if (!board || !selectionAffected(board->Elements, Property::ThroughPlating, current_, board->ActiveLayer))
        return std::nullopt;
    PushUndo(project);
    return ApplyToSelection(board->Elements, Property::ThroughPlating, current_, board->ActiveLayer);
}

SizePair ToolProperties::favouriteValue(FavouriteKind kind) const noexcept
{
    switch (kind) {
    case FavouriteKind::TrackWidth:
        return {current_.trackWidth, 0};
    case FavouriteKind::PadSize:
        return {current_.padRadius, current_.drillRadius};
    case FavouriteKind::SmdSize:
        return {current_.smdWidth, current_.smdHeight};
    }
    return {};
}

bool ToolProperties::addFavourite(FavouriteList& list) const
{
    switch (list.kind()) {
    case FavouriteKind::TrackWidth:
        return list.add(field(ParamField::Breite).text(), {}, current_.trackWidth);
    case FavouriteKind::PadSize:
        return list.add(field(ParamField::Aussen).text(), field(ParamField::Innen).text());
    case FavouriteKind::SmdSize:
        return list.add(field(ParamField::SmdX).text(), field(ParamField::SmdY).text());
    }
    return false;
}

std::optional<TRect> ToolProperties::chooseFavourite(const FavouriteList& list, std::size_t entry,
                                                     TProject& project)
{
    if (entry >= list.entries().size())
        return std::nullopt;
    const auto value = list.valueOf(list.entries()[entry]);
    if (!value)
        return std::nullopt;
    // The fields in mm and the tool values the entry stands for.
    std::vector<std::pair<ParamField, double>> set;
    ToolParameters next = current_;
    switch (list.kind()) {
    case FavouriteKind::TrackWidth:
        set = {{ParamField::Breite, value->first / 100.0}};
        next.trackWidth = RoundHalfEven(value->first / 100.0 * 100.0);
        break;
    case FavouriteKind::PadSize:
        // Outer first when it grows, drill first when it shrinks, so that neither field pushes
        // the other on the way.
        next.padRadius = RoundHalfEven(value->first / 100.0 * 50.0);
        next.drillRadius = RoundHalfEven(value->second / 100.0 * 50.0);
        if (next.padRadius >= current_.padRadius)
            set = {{ParamField::Aussen, value->first / 100.0}, {ParamField::Innen, value->second / 100.0}};
        else
            set = {{ParamField::Innen, value->second / 100.0}, {ParamField::Aussen, value->first / 100.0}};
        break;
    case FavouriteKind::SmdSize:
        set = {{ParamField::SmdX, value->first / 100.0}, {ParamField::SmdY, value->second / 100.0}};
        next.smdWidth = value->first;
        next.smdHeight = value->second;
        break;
    }
    TBoard* board = project.currentBoard();
    if (board) {
        bool affected = false;
        for (const auto& [f, mm] : set)
            affected =
                affected || selectionAffected(board->Elements, propertyOf(f), next, board->ActiveLayer);
        if (affected)
            PushUndo(project);
    }
    std::optional<TRect> area;
    for (const auto& [f, mm] : set) {
        fields_[index(f)].setValue(mm);
        if (auto a = applyValue(f, project, false))
            area = area ? area->united(*a) : *a;
        paramOf(defaults_, f) = paramOf(current_, f);
    }
    return area;
}

} // namespace trevok

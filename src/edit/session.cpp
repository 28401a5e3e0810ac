#include "edit/session.h"

#include "document/undo.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

namespace trevok
{

namespace
{

bool anySelected(const TBoard& board) noexcept
{
    return std::any_of(board.Elements.begin(), board.Elements.end(),
                       [](const auto& e) { return e->Selected != 0; });
}

/// The rectangle of an element and of the rubber bands from it to its partners.
TRect repaintRect(const TObjekt& e)
{
    TRect r = Bounds(e);
    for (const TObjekt* partner : e.Connections)
        if (partner)
            r = r.united(Bounds(*partner));
    return r;
}

} // namespace

void ToolState::rightPress(EditSession& s, TPoint, unsigned)
{
    s.backToStandard();
}

void ToolState::escape(EditSession& s)
{
    s.backToStandard();
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string generalFormat(double v, int digits)
{
    if (!std::isfinite(v))
        return "0";
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, digits);
    if (ec != std::errc())
        return "0";
    std::string s(buffer, end);
    if (s == "-0")
        return "0";
    // "1.235e+04" is shown as "1.235E4".
    if (const auto e = s.find('e'); e != std::string::npos) {
        std::string exponent = s.substr(e + 1);
        const bool negative = exponent.starts_with('-');
        exponent.erase(0, exponent.find_first_not_of("+-0"));
        s = s.substr(0, e) + "E" + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
    }
    return s;
}

std::pair<std::string, std::string> coordinateTexts(TPoint p, TPoint origin, bool inch)
{
    const double x = (std::int64_t{p.x} - origin.x) / 100.0;
    const double y = (std::int64_t{origin.y} - p.y) / 100.0;
    if (inch)
        return {"X: " + generalFormat(x / 25.4, 4) + " \"", "Y: " + generalFormat(y / 25.4, 4) + " \""};
    return {"X: " + generalFormat(x, 4) + " mm", "Y: " + generalFormat(y, 4) + " mm"};
}

MeasurePanel measureTexts(std::int64_t dx, std::int64_t dy, bool inch)
{
    const double exact = std::hypot(static_cast<double>(dx), static_cast<double>(dy));
    const double scale = inch ? 25.4 : 1.0;
    // Whole units (or hundredths of an inch) first, then shown in mm (or inch).
    const auto shown = [&](double units) {
        return static_cast<double>(RoundHalfEven64(units / scale)) / 100.0;
    };
    const std::string unit = inch ? " \"" : " mm";
    MeasurePanel m;
    m.dx = generalFormat(shown(static_cast<double>(dx)), 4) + unit;
    m.dy = generalFormat(shown(-static_cast<double>(dy)), 4) + unit;
    m.distance = generalFormat(shown(exact), 4) + unit;
    double angle = 0.0;
    if (exact / 100.0 >= 0.001)
        angle =
            std::acos(std::min(1.0, std::fabs(static_cast<double>(dx)) / exact)) * 180.0 / std::numbers::pi;
    m.angle = generalFormat(angle, 3) + "°";
    return m;
}

std::optional<std::int32_t> arcEndAngle(TPoint centre, TPoint point)
{
    const double dx = static_cast<double>(centre.x) - point.x;
    const double dy = static_cast<double>(centre.y) - point.y;
    if (dx == 0.0) {
        // Straight above or below the centre, where the tangent rule has no value.
        if (dy == 0.0)
            return std::nullopt;
        return dy < 0 ? 90 : 270;
    }
    std::int64_t a = RoundHalfEven64(std::atan(dy / dx) * 180.0 / std::numbers::pi);
    if (a < 0)
        a += 180;
    if (dy > 0)
        a += 180;
    if (a == 0 && dx > 0)
        a = 180;
    else if (a == 180 && dx < 0)
        a = 0;
    return static_cast<std::int32_t>(((a % 360) + 360) % 360);
}

// ---------------------------------------------------------------------------------------------

EditSession::EditSession(TProject& project, SessionView& view, int language)
    : project_(project), view_(view), language_(language)
{
    tools_[ToolStandard] = makeStandardTool();
    tools_[ToolTrack] = makeTrackTool(false);
    tools_[ToolArea] = makeTrackTool(true);
    tools_[ToolPad] = makePadTool(false);
    tools_[ToolSmdPad] = makePadTool(true);
    tools_[ToolRing] = makeRingTool();
    tools_[ToolZoom] = makeZoomTool();
    tools_[ToolMeasure] = makeMeasureTool();
    tools_[ToolVieleck] = makePolygonTool();
    tools_[ToolPlacement] = makePlacementTool();
    tools_[ToolText] = makeTextTool();
    tools_[ToolConnect] = makeConnectTool();
    tools_[ToolTest] = makeTestTool();
    tools_[ToolAutoRoute] = makeAutoRouteTool();
}

EditSession::~EditSession() = default;

ToolState* EditSession::current() const
{
    return tools_[static_cast<std::size_t>(state_.tool)].get();
}

void EditSession::installTool(int code, std::unique_ptr<ToolState> tool)
{
    if (!IsToolCode(code))
        return;
    if (code == state_.tool)
        SetTool(ToolStandard);
    tools_[static_cast<std::size_t>(code)] = std::move(tool);
}

NodeMenuState EditSession::nodeMenu() const
{
    const TBoard* b = board();
    if (!b || nodeMenuElement_ >= b->Elements.size())
        return {};
    return nodeMenuState(*b->Elements[nodeMenuElement_], nodeMenuNode_);
}

// ---------------------------------------------------------------------------------------------
// Helpers

TPoint EditSession::snapped(TPoint p, unsigned modifiers) const
{
    return (modifiers & ModCtrl) ? p : SnapToGrid(p, grid());
}

TPoint SnapOffset(std::int64_t dx, std::int64_t dy, double grid) noexcept
{
    return SnapToGrid({Saturate32(dx), Saturate32(dy)}, grid);
}

TPoint EditSession::snapOffset(std::int64_t dx, std::int64_t dy, unsigned modifiers) const
{
    return (modifiers & ModCtrl) ? TPoint{Saturate32(dx), Saturate32(dy)} : SnapOffset(dx, dy, grid());
}

TPoint EditSession::limitToBoard(TPoint p) const
{
    const TBoard* b = board();
    if (!b)
        return p;
    return {std::clamp(p.x, 0, std::max(0, b->BoardWidth)), std::clamp(p.y, std::min(0, -b->BoardHeight), 0)};
}

void EditSession::showPreview(const Preview& preview)
{
    const auto k = static_cast<std::size_t>(preview.kind);
    state_.previewShown[k] = true;
    view_.showPreview(preview);
}

void EditSession::showMovePreview(const std::vector<const TObjekt*>& elements, TPoint offset,
                                  TPoint& shownOffset, const std::vector<AttachedEnd>* ends)
{
    if (offset == shownOffset && state_.previewShown[static_cast<std::size_t>(PreviewKind::Move)])
        return;
    shownOffset = offset;
    Preview pv;
    pv.kind = PreviewKind::Move;
    pv.colour = previewColour();
    pv.elements = elements;
    pv.offset = offset;
    if (ends)
        pv.shapes = stretchedSegments(*ends, offset);
    showPreview(pv);
}

void EditSession::erasePreview(PreviewKind kind)
{
    const auto k = static_cast<std::size_t>(kind);
    if (!state_.previewShown[k])
        return;
    state_.previewShown[k] = false;
    view_.hidePreview(kind);
}

void EditSession::ErasePreviews()
{
    for (std::size_t k = 0; k < PreviewKindCount; ++k)
        erasePreview(static_cast<PreviewKind>(k));
}

std::uint32_t EditSession::previewColour() const
{
    const TBoard* b = board();
    return b && IsCopperLayer(b->ActiveLayer) ? 0x000000u : 0x0000FFu;
}

void EditSession::invalidate(const std::optional<TRect>& area)
{
    if (area)
        view_.invalidate(*area);
}

void EditSession::invalidate(const EditResult& result)
{
    if (result.hasArea)
        view_.invalidate(result.area);
}

bool EditSession::deselectAll()
{
    TBoard* b = board();
    if (!b)
        return false;
    std::optional<TRect> area;
    for (auto& e : b->Elements) {
        if (e->Selected) {
            e->Selected = 0;
            area = area ? area->united(Bounds(*e)) : Bounds(*e);
        }
    }
    invalidate(area);
    return area.has_value();
}

void EditSession::selectionChanged(bool ctrl)
{
    if (const TBoard* b = board())
        properties_.showSelection(b->Elements, ctrl);
    view_.selectionChanged();
}

void EditSession::updateHint()
{
    if (const ToolState* t = current()) {
        const ToolHint h = t->hint(*this);
        if (h != ToolHint::None)
            view_.setStatusHint(toolHintText(h, language_));
    }
}

void EditSession::setCursor(const char* name)
{
    view_.setCursor(name);
}

void EditSession::confine(bool on)
{
    view_.confineCursor(on);
}

void EditSession::autoScroll(TPoint p)
{
    const TBoard* b = board();
    if (!b)
        return;
    const TRect vis = view_.visibleRect();
    const double z = zoom();
    constexpr double edge = 8.0; // pixels
    int sx = 0;
    int sy = 0;
    if ((vis.right - p.x) * z < edge && vis.right < b->BoardWidth)
        sx = 1;
    else if ((p.x - vis.left) * z < edge && vis.left > 0)
        sx = -1;
    // The screen's bottom edge is the smaller board y.
    if ((p.y - vis.top) * z < edge && vis.top > -std::int64_t{b->BoardHeight})
        sy = 1;
    else if ((vis.bottom - p.y) * z < edge && vis.bottom < 0)
        sy = -1;
    if (sx != 0 || sy != 0)
        view_.requestScroll(sx, sy);
}

bool EditSession::moveSelection(std::int32_t dx, std::int32_t dy)
{
    TBoard* b = board();
    if (!b || (dx == 0 && dy == 0) || !anySelected(*b))
        return false;
    PushUndo(project_);
    const std::vector<AttachedEnd> ends = dragTracks_ ? attachedEnds(*b) : std::vector<AttachedEnd>{};
    std::optional<TRect> area;
    auto include = [&](const TRect& r) { area = area ? area->united(r) : r; };
    for (const AttachedEnd& end : ends)
        include(repaintRect(*end.element));
    for (auto& e : b->Elements) {
        if (!e->Selected)
            continue;
        const TRect before = repaintRect(*e);
        Translate(*e, dx, dy);
        include(repaintRect(*e).united(before));
    }
    moveAttachedEnds(ends, [&](TObjekt& q) { Translate(q, dx, dy); });
    for (const AttachedEnd& end : ends)
        include(repaintRect(*end.element));
    invalidate(area);
    return true;
}

std::string EditSession::formatLength(double units) const
{
    return view_.inchUnit() ? generalFormat(units / 2540.0, 4) + " \""
                            : generalFormat(units / 100.0, 4) + " mm";
}

// ---------------------------------------------------------------------------------------------
// Tools

void EditSession::SetTool(int tool)
{
    if (!IsToolCode(tool))
        return;
    ErasePreviews();
    if (ToolState* t = current())
        t->leave(*this);
    if (deselectAll())
        selectionChanged();
    state_.busy = false;
    state_.moving = false;
    state_.nodeDrag = {};
    state_.temporaryZoom = false;
    restrictedAreas_ = false;
    view_.hideToolWindows();
    // A tool that no module provides (yet) leaves the Standard tool in charge.
    if (!tools_[static_cast<std::size_t>(tool)])
        tool = ToolStandard;
    if (tool == ToolVieleck && !view_.askPolygonParameters())
        tool = ToolStandard;
    if (!tools_[static_cast<std::size_t>(tool)]->begin(*this))
        tool = ToolStandard;
    state_.tool = tool;
    current()->enter(*this);
    setCursor(current()->cursor());
    view_.toolChanged(tool);
    updateHint();
    // Chosen by a key or after a dialog, with the mouse already over the board: what the tool
    // would place is shown there at once, not only once the mouse moves.
    if (const auto p = view_.cursorPosition())
        mouseMove(*p, 0);
}

void EditSession::returnToStandard()
{
    ErasePreviews();
    if (ToolState* t = current())
        t->leave(*this);
    state_.busy = false;
    state_.moving = false;
    state_.nodeDrag = {};
    state_.tool = ToolStandard;
    current()->enter(*this);
    setCursor(current()->cursor());
    view_.toolChanged(ToolStandard);
    updateHint();
}

void EditSession::setRestrictedAreas(bool down)
{
    if (down) {
        SetTool(ToolArea);
        restrictedAreas_ = true;
    } else {
        restrictedAreas_ = false;
    }
}

void EditSession::startPaste()
{
    SetTool(ToolPlacement);
}

void EditSession::startDuplicate()
{
    copySelection(project_, clipboard_);
    SetTool(ToolPlacement);
}

bool EditSession::abortOperation()
{
    const TBoard* b = board();
    const std::size_t steps = b ? b->UndoStack.size() : 0;
    ErasePreviews();
    ToolState* t = current();
    if (t)
        t->leave(*this);
    state_.busy = false;
    state_.moving = false;
    state_.nodeDrag = {};
    state_.leftDown = false;
    if (originDrag_) {
        originDrag_ = false;
        confine(false);
    }
    if (state_.tool == ToolText) {
        // The text being placed went with its preview; placing cannot simply go on.
        state_.tool = ToolStandard;
        t = current();
        setCursor(t->cursor());
        view_.toolChanged(ToolStandard);
    }
    if (t)
        t->enter(*this);
    updateHint();
    // The operation may have dropped its snapshot; the board is the same one as before.
    return b && b == board() && b->UndoStack.size() < steps;
}

bool EditSession::undo()
{
    if (abortOperation())
        return true;
    return Undo(project_);
}

void EditSession::setOriginAtMenuPoint()
{
    TBoard* b = board();
    if (!b)
        return;
    b->Origin = menuPoint_;
    view_.originChanged(b->Origin);
}

// ---------------------------------------------------------------------------------------------
// Events

void EditSession::updateCoordinates(TPoint p, unsigned modifiers)
{
    const TBoard* b = board();
    if (!b)
        return;
    const int t = state_.tool;
    const bool raw = (modifiers & ModCtrl) || t == ToolStandard || t == ToolZoom || t == ToolTest ||
                     t == ToolConnect || t == ToolAutoRoute || t == ToolMeasure;
    const TPoint shown = raw ? p : SnapToGrid(p, grid());
    const auto [x, y] = coordinateTexts(shown, b->Origin, view_.inchUnit());
    view_.setCoordinates(x, y);
}

void EditSession::mousePress(TPoint p, MouseButton button, unsigned modifiers)
{
    ToolState* t = current();
    if (!board() || !t)
        return;
    if (button == MouseButton::Left) {
        state_.leftDown = true;
        t->press(*this, p, modifiers);
    } else if (button == MouseButton::Right && !state_.leftDown) {
        menuPoint_ = SnapToGrid(p, grid());
        t->rightPress(*this, p, modifiers);
    }
    updateHint();
}

void EditSession::mouseMove(TPoint p, unsigned modifiers)
{
    if (!board())
        return;
    updateCoordinates(p, modifiers);
    if (ToolState* t = current())
        t->move(*this, p, modifiers);
    updateHint();
}

void EditSession::mouseRelease(TPoint p, MouseButton button, unsigned modifiers)
{
    if (button != MouseButton::Left || !state_.leftDown)
        return;
    state_.leftDown = false;
    if (ToolState* t = current(); t && board())
        t->release(*this, p, modifiers);
    updateHint();
}

void EditSession::mouseDoubleClick(TPoint p, unsigned modifiers)
{
    TBoard* b = board();
    if (!b || state_.tool != ToolStandard)
        return;
    const int hit = HitTest(p, false);
    if (hit < 0)
        return;
    TObjekt& e = *b->Elements[static_cast<std::size_t>(hit)];
    ErasePreviews();
    state_.busy = false;
    state_.moving = false;
    state_.leftDown = false;
    // The dialog is modal and keeps its own clicks, so the next press is the user's again.
    if (e.Kind == KindLayoutText || e.Kind == KindFontText) {
        view_.editText(e);
        return;
    }
    // The first click of the double click selected the element (with its group); the dialog
    // shows what is selected.
    if (e.Selected)
        view_.editProperties();
}

void EditSession::originMarkerPress()
{
    if (state_.tool != ToolStandard || !board())
        return;
    originDrag_ = true;
    confine(true);
}

void EditSession::originMarkerMove(TPoint p, unsigned modifiers)
{
    TBoard* b = board();
    if (!originDrag_ || !b)
        return;
    const TPoint origin = snapped(p, modifiers);
    if (origin == b->Origin)
        return;
    b->Origin = origin;
    view_.originChanged(origin);
    updateCoordinates(p, modifiers);
}

void EditSession::originMarkerRelease()
{
    if (!originDrag_)
        return;
    originDrag_ = false;
    confine(false);
}

void EditSession::toggleThroughPlating()
{
    invalidate(properties_.setThroughPlating(!properties_.current().throughPlating, project_));
    view_.parametersChanged();
}

void EditSession::deleteKey()
{
    TBoard* b = board();
    if (!b)
        return;
    if (anySelected(*b)) {
        invalidate(deleteSelection(project_));
        selectionChanged();
    }
    if (ToolState* t = current())
        t->deleteKey(*this);
}

bool EditSession::keyPress(Key key, unsigned modifiers)
{
    TBoard* b = board();
    if ((modifiers & ModAlt) || !b)
        return false;
    const int step = (modifiers & ModCtrl) ? 1 : std::max(1, RoundHalfEven(grid()));
    // While a text is placed the selection is its preview, which follows the mouse; moving or
    // deleting it would leave a preview in the history.
    if (state_.tool == ToolText &&
        (key == Key::Left || key == Key::Right || key == Key::Up || key == Key::Down || key == Key::Delete))
        return true;
    switch (key) {
    case Key::Space: {
        ToolState* t = current();
        if (state_.busy && (state_.tool == ToolTrack || state_.tool == ToolArea) && t && t->space(*this))
            return true;
        const int tool = state_.tool;
        if (tool == ToolZoom || tool == ToolText || tool == ToolVieleck || state_.leftDown ||
            state_.temporaryZoom)
            return true;
        ErasePreviews();
        if (t)
            t->leave(*this);
        state_.savedTool = tool;
        state_.temporaryZoom = true;
        state_.tool = ToolZoom;
        current()->enter(*this);
        setCursor(current()->cursor());
        view_.toolChanged(ToolZoom);
        updateHint();
        return true;
    }
    case Key::Left:
        moveSelection(-step, 0);
        return true;
    case Key::Right:
        moveSelection(step, 0);
        return true;
    case Key::Up:
        moveSelection(0, step);
        return true;
    case Key::Down:
        moveSelection(0, -step);
        return true;
    case Key::Delete:
        deleteKey();
        return true;
    case Key::F1:
    case Key::F2:
    case Key::F3:
    case Key::F4:
        if (SetActiveLayer(*b, 1 + static_cast<int>(key) - static_cast<int>(Key::F1)))
            view_.layersChanged();
        return true;
    case Key::F5:
    case Key::F6:
    case Key::F7:
    case Key::F8:
        if (ToggleLayerVisible(*b, 1 + static_cast<int>(key) - static_cast<int>(Key::F5))) {
            view_.layersChanged();
            view_.invalidateAll();
            selectionChanged();
        }
        return true;
    case Key::F12:
        toggleThroughPlating();
        return true;
    case Key::Escape:
        if (state_.temporaryZoom)
            return true;
        if (ToolState* t = current())
            t->escape(*this);
        updateHint();
        return true;
    }
    return false;
}

bool EditSession::keyRelease(Key key, unsigned modifiers)
{
    if (key != Key::Space || !state_.temporaryZoom)
        return false;
    ErasePreviews();
    if (ToolState* t = current())
        t->leave(*this);
    state_.busy = false;
    state_.temporaryZoom = false;
    const int back = state_.savedTool;
    if (back == ToolPlacement) {
        // The placement has no button to click again; it simply goes on where it was.
        state_.tool = ToolPlacement;
        current()->enter(*this);
        setCursor(current()->cursor());
        view_.toolChanged(ToolPlacement);
        updateHint();
    } else {
        SetTool(back);
    }
    return true;
}

} // namespace trevok

// The tools that make elements: tracks and areas (with the five bend modes), pads and SMD pads,
// rings, regular polygons, and the placement of the clipboard after Paste or Duplicate.

#include "edit/session.h"

#include "document/undo.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace trevok
{

namespace
{

int sign(std::int64_t v) noexcept
{
    return (v > 0) - (v < 0);
}

/// The intermediate corner of the rubber band from anchor to current.
TPoint bendPointOf(int mode, TPoint anchor, TPoint current) noexcept
{
    const std::int64_t dx = std::int64_t{current.x} - anchor.x;
    const std::int64_t dy = std::int64_t{current.y} - anchor.y;
    const std::int64_t m = std::min(std::llabs(dx), std::llabs(dy));
    switch (mode) {
    case 0:
        return {Saturate32(current.x - m * sign(dx)),
                Saturate32(current.y - m * sign(dy))}; // straight, then 45°
    case 1:
        return {Saturate32(anchor.x + m * sign(dx)),
                Saturate32(anchor.y + m * sign(dy))}; // 45°, then straight
    case 2:
        return {anchor.x, current.y}; // vertical first
    case 3:
        return {current.x, anchor.y}; // horizontal first
    default:
        return current; // one line
    }
}

/// Whether all corners lie on one straight line (an outline without area).
bool collinear(const std::vector<TPoint>& pts) noexcept
{
    for (std::size_t i = 1; i < pts.size(); ++i) {
        if (pts[i] == pts[0])
            continue;
        const __int128 ax = std::int64_t{pts[i].x} - pts[0].x;
        const __int128 ay = std::int64_t{pts[i].y} - pts[0].y;
        for (std::size_t j = i + 1; j < pts.size(); ++j) {
            const __int128 bx = std::int64_t{pts[j].x} - pts[0].x;
            const __int128 by = std::int64_t{pts[j].y} - pts[0].y;
            if (ax * by - ay * bx != 0)
                return false;
        }
        return true;
    }
    return true;
}

/// Finds the element in the board's list (it may have been deleted or replaced meanwhile).
TObjekt* locate(EditSession& s, const TObjekt* e)
{
    TBoard* b = s.board();
    if (!b || !e)
        return nullptr;
    for (auto it = b->Elements.rbegin(); it != b->Elements.rend(); ++it)
        if (it->get() == e)
            return it->get();
    return nullptr;
}

void removeElement(EditSession& s, const TObjekt* e)
{
    ElementList& list = s.board()->Elements;
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == e; });
    if (it != list.end()) {
        s.view().invalidate(Bounds(**it));
        list.erase(it);
    }
}

void showPenDot(EditSession& s, TPoint at)
{
    Preview pv;
    pv.kind = PreviewKind::PenDot;
    pv.colour = s.previewColour();
    pv.width = std::max(s.params().trackWidth, 20);
    pv.points = {at};
    s.showPreview(pv);
}

// ---------------------------------------------------------------------------------------------

class TrackTool final : public ToolState
{
  public:
    explicit TrackTool(bool area) : area_(area) {}

    void enter(EditSession&) override { drawing_ = nullptr; }

    void leave(EditSession& s) override
    {
        // Changing the tool in the middle of a track or area ends it as a right click would,
        // so that no half-drawn element (a track of one corner, an open area) stays behind.
        if (s.state().busy)
            finish(s, area_);
        s.erasePreview(PreviewKind::PenDot);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        const TPoint q = s.snapped(p, mods);
        TObjekt* e = st.busy ? locate(s, drawing_) : nullptr;
        if (!e) {
            start(s, q);
            return;
        }
        s.erasePreview(PreviewKind::RubberBand);
        const TRect before = Bounds(*e);
        const TPoint bend = bendPointOf(st.bendMode, st.anchor, q);
        if (!(bend == q) && !(bend == e->Points.back()))
            AddPoint(*e, bend);
        AddPoint(*e, q);
        e->RegionCache.reset();
        st.anchor = q;
        st.current = q;
        st.bendPoint = q;
        s.view().invalidate(before.united(Bounds(*e)));
        if (area_ && q == e->Points.front())
            finish(s, false);
    }

    void rightPress(EditSession& s, TPoint, unsigned) override
    {
        if (s.state().busy)
            finish(s, area_);
        else
            s.backToStandard();
    }

    void escape(EditSession& s) override { rightPress(s, {}, 0); }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        const TPoint q = s.snapped(p, mods);
        if (!st.busy) {
            showPenDot(s, q);
            return;
        }
        s.autoScroll(p);
        if (q == st.current && st.previewShown[static_cast<std::size_t>(PreviewKind::RubberBand)])
            return;
        st.current = q;
        showBand(s);
    }

    void deleteKey(EditSession& s) override
    {
        EditState& st = s.state();
        TObjekt* e = st.busy ? locate(s, drawing_) : nullptr;
        if (!e || e->Points.size() < 2)
            return;
        const TRect before = Bounds(*e);
        e->Points.pop_back();
        e->RegionCache.reset();
        st.anchor = e->Points.back();
        s.view().invalidate(before);
        showBand(s);
    }

    bool space(EditSession& s) override
    {
        EditState& st = s.state();
        s.erasePreview(PreviewKind::RubberBand);
        st.bendMode = (st.bendMode + 1) % 5;
        showBand(s);
        return true;
    }

    ToolHint hint(const EditSession& s) const override
    {
        if (area_)
            return s.state().busy ? ToolHint::AreaDrawing : ToolHint::AreaStart;
        return s.state().busy ? ToolHint::TrackDrawing : ToolHint::TrackStart;
    }

  private:
    void start(EditSession& s, TPoint q)
    {
        EditState& st = s.state();
        TBoard& board = *s.board();
        s.erasePreview(PreviewKind::PenDot);
        PushUndo(s.project());
        std::uint8_t layer = board.ActiveLayer;
        auto e = area_ ? NewArea(s.params().trackWidth, layer) : NewTrack(s.params().trackWidth, layer);
        e->Clearance = s.params().clearance;
        if (area_ && s.restrictedAreas()) {
            // A restricted area cuts the ground plane of its side, so it belongs on the copper.
            e->Restricted = 1;
            if (layer == LayerB1 || layer == LayerB2)
                e->Layer = static_cast<std::uint8_t>(layer - 1);
        }
        // An outline still being drawn shows as a polyline; it is filled once it is closed.
        if (area_)
            e->Closed = 0;
        AddPoint(*e, q);
        drawing_ = e.get();
        s.view().invalidate(Bounds(*e));
        board.Elements.push_back(std::move(e));
        st.anchor = q;
        st.current = q;
        st.bendPoint = q;
        st.busy = true;
        s.confine(true);
    }

    void showBand(EditSession& s)
    {
        EditState& st = s.state();
        st.bendPoint = bendPointOf(st.bendMode, st.anchor, st.current);
        Preview pv;
        pv.kind = PreviewKind::RubberBand;
        pv.colour = s.previewColour();
        pv.width = s.params().trackWidth;
        pv.points = {st.anchor, st.bendPoint, st.current};
        s.showPreview(pv);
    }

    /// Ends the element; `close` appends the first corner again (an area ended by a right click).
    void finish(EditSession& s, bool close)
    {
        EditState& st = s.state();
        s.erasePreview(PreviewKind::RubberBand);
        st.busy = false;
        s.confine(false);
        TObjekt* e = locate(s, drawing_);
        drawing_ = nullptr;
        if (!e)
            return;
        if (close && !e->Points.empty())
            AddPoint(*e, e->Points.front());
        e->Closed = 1;
        e->RegionCache.reset();
        bool keep;
        if (area_) {
            // At least three corners besides the closing one, and not all on one line.
            keep = e->Points.size() > 3 && !collinear(e->Points);
        } else {
            keep = e->Points.size() >= 2;
        }
        if (keep) {
            s.view().invalidate(Bounds(*e));
            return;
        }
        // Nothing usable was drawn: the element goes, and with it the step that made it.
        removeElement(s, e);
        DropLastUndo(s.project());
        s.view().invalidateAll();
    }

    bool area_;
    const TObjekt* drawing_ = nullptr;
};

// ---------------------------------------------------------------------------------------------

class PadTool final : public ToolState
{
  public:
    explicit PadTool(bool smd) : smd_(smd) {}

    void leave(EditSession& s) override
    {
        s.erasePreview(smd_ ? PreviewKind::SmdRect : PreviewKind::PadOutline);
    }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        const TPoint q = s.snapped(p, mods);
        Preview pv;
        pv.kind = smd_ ? PreviewKind::SmdRect : PreviewKind::PadOutline;
        pv.colour = s.previewColour();
        pv.shapes.push_back(std::move(*make(s, q)));
        s.showPreview(pv);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        TBoard& board = *s.board();
        const TPoint q = s.snapped(p, mods);
        PushUndo(s.project());
        auto e = make(s, q);
        TObjekt& pad = *e;
        board.Elements.push_back(std::move(e));
        TRect area = Bounds(pad);
        if (!smd_ && s.params().throughPlating)
            area = area.united(Bounds(AddTwin(board.Elements, pad)));
        s.view().invalidate(area);
    }

    ToolHint hint(const EditSession&) const override { return smd_ ? ToolHint::SmdPad : ToolHint::Pad; }

  private:
    std::unique_ptr<TObjekt> make(const EditSession& s, TPoint q) const
    {
        const ToolParameters& t = s.params();
        const std::uint8_t layer = s.board()->ActiveLayer;
        auto e = smd_ ? NewSmdPad(q, t.smdWidth, layer, t.smdHeight)
                      : NewPad(q, t.padRadius, t.padShape, layer, std::min(t.drillRadius, t.padRadius));
        e->Clearance = t.clearance;
        return e;
    }

    bool smd_;
};

// ---------------------------------------------------------------------------------------------

class RingTool final : public ToolState
{
  public:
    void leave(EditSession& s) override
    {
        s.erasePreview(PreviewKind::PenDot);
        s.erasePreview(PreviewKind::CircleOutline);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        s.erasePreview(PreviewKind::PenDot);
        st.anchor = s.snapped(p, mods);
        st.current = st.anchor;
        st.busy = true;
    }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        const TPoint q = s.snapped(p, mods);
        if (!st.busy) {
            showPenDot(s, q);
            return;
        }
        st.current = q;
        Preview pv;
        pv.kind = PreviewKind::CircleOutline;
        pv.colour = s.previewColour();
        pv.width = s.params().trackWidth;
        pv.points = {st.anchor};
        pv.radius = radius(st.anchor, q);
        s.showPreview(pv);
    }

    void release(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        if (!st.busy)
            return;
        s.erasePreview(PreviewKind::CircleOutline);
        st.busy = false;
        const std::int32_t r = radius(st.anchor, s.snapped(p, mods));
        if (r <= 5)
            return; // too small to be meant
        const std::int32_t w = s.params().trackWidth;
        const std::int32_t outer = Saturate32(std::int64_t{r} + RoundHalfEven(w / 2.0));
        auto e = NewCircle(st.anchor, outer, 0, s.board()->ActiveLayer, Saturate32(std::int64_t{outer} - w));
        e->Clearance = s.params().clearance;
        PushUndo(s.project());
        s.view().invalidate(Bounds(*e));
        s.board()->Elements.push_back(std::move(e));
    }

    void rightPress(EditSession&, TPoint, unsigned) override {}

    void escape(EditSession& s) override
    {
        EditState& st = s.state();
        if (!st.busy) {
            s.backToStandard();
            return;
        }
        // The ring being dragged open is dropped; the release that follows finds nothing to make.
        s.erasePreview(PreviewKind::CircleOutline);
        st.busy = false;
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::Circle; }
    const char* cursor() const override { return "RING"; }

  private:
    /// The larger of the two distances along the axes, which is what the preview shows.
    static std::int32_t radius(TPoint centre, TPoint q) noexcept
    {
        return Saturate32(
            std::max(std::llabs(std::int64_t{q.x} - centre.x), std::llabs(std::int64_t{q.y} - centre.y)));
    }
};

// ---------------------------------------------------------------------------------------------

class PolygonTool final : public ToolState
{
  public:
    void leave(EditSession& s) override { s.erasePreview(PreviewKind::PolygonOutline); }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        const TPoint q = s.snapped(p, mods);
        Preview pv;
        pv.kind = PreviewKind::PolygonOutline;
        pv.colour = s.previewColour();
        auto e = makeRegularPolygon(q, s.polygonSettings(), s.board()->ActiveLayer, s.params().clearance,
                                    s.restrictedAreas());
        pv.width = e->Width;
        pv.shapes.push_back(std::move(*e));
        s.showPreview(pv);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        s.erasePreview(PreviewKind::PolygonOutline);
        s.invalidate(placeRegularPolygon(s.project(), s.snapped(p, mods), s.polygonSettings(),
                                         s.board()->ActiveLayer, s.params().clearance, s.restrictedAreas()));
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::Polygon; }
};

// ---------------------------------------------------------------------------------------------

class PlacementTool final : public ToolState
{
  public:
    void enter(EditSession& s) override
    {
        const Clipboard& c = s.clipboard();
        anchor_ = clipboardAnchor(c, s.grid());
        bounds_ = clipboardBounds(c).value_or(TRect{});
        elements_.clear();
        for (const auto& e : c.ClipboardList)
            elements_.push_back(e.get());
        offset_ = {};
    }

    void leave(EditSession& s) override { s.erasePreview(PreviewKind::Move); }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        s.autoScroll(p);
        s.showMovePreview(elements_, offsetAt(s, p, mods), offset_);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        s.erasePreview(PreviewKind::Move);
        const EditResult r =
            placeClipboard(s.project(), s.clipboard(), offsetAt(s, p, mods), s.board()->ActiveLayer);
        s.invalidate(r);
        s.returnToStandard();
        s.selectionChanged();
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::None; }

  private:
    /// The clipboard follows the snapped cursor with its anchor, kept on the board like a move.
    TPoint offsetAt(const EditSession& s, TPoint p, unsigned mods) const
    {
        const TPoint q = s.snapped(p, mods);
        const TPoint limited = boardEdgeLimitedOffset(bounds_, std::int64_t{q.x} - anchor_.x,
                                                      std::int64_t{q.y} - anchor_.y, *s.board());
        return s.snapOffset(limited.x, limited.y, mods);
    }

    TPoint anchor_;
    TRect bounds_;
    TPoint offset_;
    std::vector<const TObjekt*> elements_;
};

} // namespace

std::unique_ptr<ToolState> makeTrackTool(bool area)
{
    return std::make_unique<TrackTool>(area);
}

std::unique_ptr<ToolState> makePadTool(bool smd)
{
    return std::make_unique<PadTool>(smd);
}

std::unique_ptr<ToolState> makeRingTool()
{
    return std::make_unique<RingTool>();
}

std::unique_ptr<ToolState> makePolygonTool()
{
    return std::make_unique<PolygonTool>();
}

std::unique_ptr<ToolState> makePlacementTool()
{
    return std::make_unique<PlacementTool>();
}

} // namespace trevok

// The Standard tool: selecting by click and frame, moving the selection, dragging the corners of
// tracks and areas and the ends of arcs, and the two context menus.

#include "edit/session.h"

#include "document/undo.h"

#include <algorithm>
#include <climits>
#include <unordered_set>

namespace trevok
{

namespace
{

bool hasNodes(const TObjekt& e) noexcept
{
    return e.Kind == KindArea || e.Kind == KindCircle || e.Kind == KindTrack;
}

TRect rectBetween(TPoint a, TPoint b) noexcept
{
    return {std::min<std::int64_t>(a.x, b.x), std::min<std::int64_t>(a.y, b.y),
            std::max<std::int64_t>(a.x, b.x), std::max<std::int64_t>(a.y, b.y)};
}

} // namespace

class StandardTool final : public ToolState
{
  public:
    void enter(EditSession& s) override
    {
        frame_ = false;
        overNode_ = false;
        moved_.clear();
    }

    void leave(EditSession& s) override
    {
        if (s.state().busy)
            s.confine(false);
        frame_ = false;
        moved_.clear();
        ends_.clear();
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        TBoard& board = *s.board();
        ElementList& list = board.Elements;
        const int hit = s.HitTest(p, false);
        s.confine(true);
        st.busy = true;
        if (hit < 0) {
            if (!(mods & ModShift) && s.deselectAll())
                s.selectionChanged();
            frame_ = true;
            st.anchor = p;
            st.current = p;
            return;
        }
        const auto index = static_cast<std::size_t>(hit);
        TObjekt& e = *list[index];
        const bool wasSelected = e.Selected != 0;
        if (!wasSelected && !(mods & ModShift))
            s.deselectAll();
        auto repaint = [&](TObjekt& changed) { s.view().invalidate(Bounds(changed)); };
        if (mods & ModShift)
            SelectWithGroup(list, index, !wasSelected, repaint);
        else if (IsLayerVisible(board, e.Layer))
            SelectWithGroup(list, index, true, repaint);
        s.selectionChanged((mods & ModCtrl) != 0);

        moved_.clear();
        std::optional<TRect> bounds;
        for (const auto& el : list) {
            if (el->Selected) {
                moved_.push_back(el.get());
                bounds = bounds ? bounds->united(Bounds(*el)) : Bounds(*el);
            }
        }
        st.selectionBounds = bounds.value_or(TRect{});

        if (wasSelected && e.lastGroup() == 0 && hasNodes(e)) {
            const int node = NodeAt(e, p, s.zoom());
            if (node >= 0) {
                NodeDrag& d = st.nodeDrag;
                d = {};
                d.active = true;
                d.element = &e;
                d.node = node;
                d.undoPending = true;
                if (e.Kind == KindCircle) {
                    d.angle = node == 0 ? e.Angle : e.Width;
                    d.start = PointOnMidCircle(e, d.angle);
                } else {
                    d.start = e.Points[static_cast<std::size_t>(node)];
                }
                d.position = d.start;
                st.anchor = d.start;
                moved_.clear();
                return;
            }
        }
        st.moving = !moved_.empty();
        if (st.moving && s.dragConnectedTracks())
            ends_ = attachedEnds(board);
        st.anchor = s.snapped(p, mods);
        st.current = st.anchor;
        st.moveOffset = {};
    }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        if (!st.busy) {
            const bool over = nodeUnder(s, p) >= 0;
            if (over != overNode_)
                s.setCursor(over ? "CHANGER" : "ARROW");
            overNode_ = over;
            return;
        }
        if (st.leftDown)
            s.autoScroll(p);
        if (frame_) {
            st.current = p;
            Preview pv;
            pv.kind = PreviewKind::SelectionRect;
            pv.colour = 0x0000FF;
            pv.dotted = true;
            pv.rect = rectBetween(st.anchor, p);
            s.showPreview(pv);
        } else if (st.nodeDrag.active) {
            dragNode(s, p, mods);
        } else if (st.moving) {
            s.showMovePreview(moved_, moveOffset(s, p, mods), st.moveOffset, &ends_);
        }
    }

    void release(EditSession& s, TPoint p, unsigned mods) override
    {
        EditState& st = s.state();
        if (!st.busy)
            return;
        if (frame_) {
            s.erasePreview(PreviewKind::SelectionRect);
            if (!(p == st.anchor)) {
                selectFramed(s, s.elementsInRect(rectBetween(st.anchor, p)));
                s.selectionChanged((mods & ModCtrl) != 0);
            }
        } else if (st.nodeDrag.active) {
            dragNode(s, p, mods);
            s.erasePreview(st.nodeDrag.element->Kind == KindCircle ? PreviewKind::ArcEnd : PreviewKind::Node);
            finishNodeDrag(s);
        } else if (st.moving) {
            s.erasePreview(PreviewKind::Move);
            const TPoint offset = moveOffset(s, p, mods);
            s.moveSelection(offset.x, offset.y);
        }
        endDrag(s);
    }

    void rightPress(EditSession& s, TPoint p, unsigned mods) override
    {
        TBoard& board = *s.board();
        ElementList& list = board.Elements;
        const int hit = s.HitTest(p, false);
        if (hit >= 0 && !list[static_cast<std::size_t>(hit)]->Selected) {
            s.deselectAll();
            SelectWithGroup(list, static_cast<std::size_t>(hit), true,
                            [&](TObjekt& changed) { s.view().invalidate(Bounds(changed)); });
            s.selectionChanged();
        }
        s.nodeMenuElement_ = static_cast<std::size_t>(-1);
        s.nodeMenuNode_ = -1;
        for (std::size_t i = list.size(); i-- > 0;) {
            const TObjekt& e = *list[i];
            if (!e.Selected || e.lastGroup() != 0 || !e.hasPoints() || !Bounds(e).contains(p.x, p.y))
                continue;
            const int node = NodeAt(e, p, s.zoom());
            if (node >= 0) {
                s.nodeMenuElement_ = i;
                s.nodeMenuNode_ = node;
                s.view().openMenu("KnotenPopup", p);
                return;
            }
        }
        s.view().openMenu("PopupMenu", p);
    }

    void escape(EditSession& s) override
    {
        EditState& st = s.state();
        if (!st.busy) {
            if (s.deselectAll())
                s.selectionChanged();
            return;
        }
        // A frame, move or corner drag under way is dropped as if it had not begun; the release
        // that follows finds nothing to finish.
        s.ErasePreviews();
        if (st.nodeDrag.active && !st.nodeDrag.undoPending)
            DropLastUndo(s.project());
        endDrag(s);
    }

    ToolHint hint(const EditSession& s) const override
    {
        if (s.state().busy && frame_)
            return ToolHint::StandardFrame;
        if (overNode_ && !s.state().busy)
            return ToolHint::StandardOverNode;
        return ToolHint::Standard;
    }

  private:
    /// The frame, move or corner drag is over, done or dropped.
    void endDrag(EditSession& s)
    {
        EditState& st = s.state();
        frame_ = false;
        moved_.clear();
        ends_.clear();
        st.busy = false;
        st.moving = false;
        st.nodeDrag = {};
        st.moveOffset = {};
        s.confine(false);
    }

    /// Selects the framed elements with their group mates and twins, as a click on each would,
    /// but in one pass over the list: a frame over a whole board of footprints would otherwise
    /// walk the list once per element.
    static void selectFramed(EditSession& s, const std::vector<std::size_t>& framed)
    {
        ElementList& list = s.board()->Elements;
        std::optional<TRect> area;
        auto select = [&](TObjekt& e) {
            if (!e.Selected) {
                e.Selected = 1;
                area = area ? area->united(Bounds(e)) : Bounds(e);
            }
        };
        std::unordered_set<std::int32_t> groups;
        for (std::size_t i : framed) {
            TObjekt& e = *list[i];
            select(e);
            if (e.Twin)
                select(*e.Twin);
            if (e.lastGroup() != 0)
                groups.insert(e.lastGroup());
        }
        if (!groups.empty()) {
            for (auto& e : list) {
                if (e->lastGroup() != 0 && groups.count(e->lastGroup())) {
                    select(*e);
                    if (e->Twin)
                        select(*e->Twin);
                }
            }
        }
        s.invalidate(area);
    }

    /// A node of a selected, ungrouped track, area or circle under the point.
    static int nodeUnder(const EditSession& s, TPoint p)
    {
        const TBoard* b = s.board();
        if (!b)
            return -1;
        for (const auto& e : b->Elements) {
            if (e->Selected && e->lastGroup() == 0 && hasNodes(*e) && Bounds(*e).contains(p.x, p.y)) {
                const int node = NodeAt(*e, p, s.zoom());
                if (node >= 0)
                    return node;
            }
        }
        return -1;
    }

    /// The offset of the move preview: limited so that the selection stays on the board, then
    /// snapped unless CTRL is held.
    static TPoint moveOffset(const EditSession& s, TPoint p, unsigned mods)
    {
        const EditState& st = s.state();
        const TPoint limited = boardEdgeLimitedOffset(st.selectionBounds, std::int64_t{p.x} - st.anchor.x,
                                                      std::int64_t{p.y} - st.anchor.y, *s.board());
        return s.snapOffset(limited.x, limited.y, mods);
    }

    void dragNode(EditSession& s, TPoint p, unsigned mods)
    {
        NodeDrag& d = s.state().nodeDrag;
        TObjekt& e = *d.element;
        Preview pv;
        pv.colour = s.previewColour();
        if (e.Kind == KindCircle) {
            const auto angle = arcEndAngle({e.X, e.Y}, p);
            if (!angle || *angle == d.angle)
                return;
            d.angle = *angle;
            pv.kind = PreviewKind::ArcEnd;
            TObjekt shape = e;
            (d.node == 0 ? shape.Angle : shape.Width) = d.angle;
            shape.RegionCache.reset();
            pv.shapes.push_back(std::move(shape));
        } else {
            const TPoint step =
                s.snapOffset(std::int64_t{p.x} - d.start.x, std::int64_t{p.y} - d.start.y, mods);
            const TPoint next{static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                  std::int64_t{d.start.x} + step.x, INT32_MIN, INT32_MAX)),
                              static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                  std::int64_t{d.start.y} + step.y, INT32_MIN, INT32_MAX))};
            if (next == d.position)
                return;
            d.position = next;
            pv.kind = PreviewKind::Node;
            TObjekt shape = e;
            shape.Points[static_cast<std::size_t>(d.node)] = next;
            shape.RegionCache.reset();
            pv.shapes.push_back(std::move(shape));
        }
        if (d.undoPending) {
            // The first movement that changes anything takes the snapshot of this drag.
            PushUndo(s.project());
            d.undoPending = false;
        }
        s.showPreview(pv);
    }

    static void finishNodeDrag(EditSession& s)
    {
        NodeDrag& d = s.state().nodeDrag;
        if (d.undoPending)
            return; // never moved: nothing to write, no snapshot taken
        TObjekt& e = *d.element;
        const TRect before = Bounds(e);
        bool changed = false;
        if (e.Kind == KindCircle) {
            std::int32_t& field = d.node == 0 ? e.Angle : e.Width;
            changed = field != d.angle;
            field = d.angle;
        } else {
            TPoint& corner = e.Points[static_cast<std::size_t>(d.node)];
            changed = !(corner == d.position);
            corner = d.position;
        }
        if (!changed) {
            // Dragged away and back again: the drag changed nothing, so it leaves no step.
            DropLastUndo(s.project());
            return;
        }
        e.RegionCache.reset();
        s.project().Modified = true;
        s.view().invalidate(before.united(Bounds(e)));
    }

    bool frame_ = false;
    bool overNode_ = false;
    std::vector<const TObjekt*> moved_;
    std::vector<AttachedEnd> ends_; // the track ends that follow the move under way
};

std::unique_ptr<ToolState> makeStandardTool()
{
    return std::make_unique<StandardTool>();
}

} // namespace trevok

// The two tools that look at the board without changing it: zoom and measure.

#include "edit/session.h"

#include <algorithm>

namespace trevok
{

namespace
{

TRect rectBetween(TPoint a, TPoint b) noexcept
{
    return {std::min<std::int64_t>(a.x, b.x), std::min<std::int64_t>(a.y, b.y),
            std::max<std::int64_t>(a.x, b.x), std::max<std::int64_t>(a.y, b.y)};
}

class ZoomTool final : public ToolState
{
  public:
    void leave(EditSession& s) override
    {
        s.erasePreview(PreviewKind::SelectionRect);
        s.state().busy = false;
    }

    void press(EditSession& s, TPoint p, unsigned) override
    {
        EditState& st = s.state();
        st.anchor = s.limitToBoard(p);
        st.current = st.anchor;
        st.busy = true;
    }

    void move(EditSession& s, TPoint p, unsigned) override
    {
        EditState& st = s.state();
        if (!st.busy)
            return;
        if (st.leftDown)
            s.autoScroll(p);
        st.current = s.limitToBoard(p);
        Preview pv;
        pv.kind = PreviewKind::SelectionRect;
        pv.colour = 0x0000FF;
        pv.dotted = true;
        pv.rect = rectBetween(st.anchor, st.current);
        s.showPreview(pv);
    }

    void release(EditSession& s, TPoint p, unsigned) override
    {
        EditState& st = s.state();
        if (!st.busy)
            return;
        s.erasePreview(PreviewKind::SelectionRect);
        st.busy = false;
        s.view().zoomToolRelease(st.anchor, s.limitToBoard(p));
    }

    void rightPress(EditSession& s, TPoint, unsigned) override { s.view().zoomToolRightClick(); }

    void escape(EditSession& s) override
    {
        if (s.state().busy)
            leave(s); // the frame being dragged is dropped
        else
            s.backToStandard();
    }

    ToolHint hint(const EditSession& s) const override
    {
        return s.state().busy ? ToolHint::ZoomRange : ToolHint::Zoom;
    }
    const char* cursor() const override { return "LUPE"; }
};

class MeasureTool final : public ToolState
{
  public:
    void leave(EditSession& s) override
    {
        if (!s.state().busy)
            return;
        s.erasePreview(PreviewKind::MeasureLine);
        s.view().hideMeasurePanel();
        s.view().setOriginMarkerVisible(true);
        s.confine(false);
        s.state().busy = false;
    }

    void press(EditSession& s, TPoint p, unsigned) override
    {
        EditState& st = s.state();
        st.anchor = s.limitToBoard(p);
        st.current = st.anchor;
        st.busy = true;
        s.confine(true);
        s.view().setOriginMarkerVisible(false);
        show(s, st.anchor);
    }

    void move(EditSession& s, TPoint p, unsigned) override
    {
        EditState& st = s.state();
        if (!st.busy)
            return;
        if (st.leftDown)
            s.autoScroll(p);
        st.current = p;
        Preview pv;
        pv.kind = PreviewKind::MeasureLine;
        pv.colour = 0x00FFFF;
        pv.points = {st.anchor, p};
        pv.rect = rectBetween(st.anchor, p);
        s.showPreview(pv);
        show(s, p);
    }

    void release(EditSession& s, TPoint, unsigned) override { leave(s); }

    void rightPress(EditSession&, TPoint, unsigned) override {}

    ToolHint hint(const EditSession&) const override { return ToolHint::Measure; }
    const char* cursor() const override { return "CROSS"; }

  private:
    static void show(EditSession& s, TPoint p)
    {
        const EditState& st = s.state();
        MeasurePanel m = measureTexts(std::int64_t{p.x} - st.anchor.x, std::int64_t{p.y} - st.anchor.y,
                                      s.view().inchUnit());
        m.cursor = p;
        // The panel stays inside the visible area: below and right of the cursor while there is
        // room (80 and 120 pixels), else above and left of it.
        const TRect vis = s.view().visibleRect();
        const double z = s.zoom();
        m.below = (p.y - vis.top) * z > 80.0;
        m.right = (vis.right - p.x) * z > 120.0;
        s.view().showMeasurePanel(m);
    }
};

} // namespace

std::unique_ptr<ToolState> makeZoomTool()
{
    return std::make_unique<ZoomTool>();
}

std::unique_ptr<ToolState> makeMeasureTool()
{
    return std::make_unique<MeasureTool>();
}

} // namespace trevok

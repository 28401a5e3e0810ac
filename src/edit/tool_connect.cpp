// The tools of connections and routing: drawing rubber-band connections between pads, showing
// the copper net under the cursor, and routing or resolving one connection.

#include "edit/session.h"

#include "document/undo.h"
#include "routing/autorouter.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

constexpr std::uint32_t BlueColour = 0xFF0000;  // COLORREF of (0, 0, 255)
constexpr std::uint32_t GreenColour = 0x00FF00; // (0, 255, 0)

/// An element of the board remembered by the tools: its place in the list and its address,
/// so that a list replaced by undo or a deletion is noticed instead of followed.
class ElementRef
{
  public:
    void set(const TBoard& b, std::size_t index)
    {
        index_ = index;
        element_ = b.Elements[index].get();
    }
    void clear() noexcept { element_ = nullptr; }
    TObjekt* get(const TBoard* b) const noexcept
    {
        if (!b || !element_ || index_ >= b->Elements.size() || b->Elements[index_].get() != element_)
            return nullptr;
        return element_;
    }

  private:
    std::size_t index_ = 0;
    TObjekt* element_ = nullptr;
};

TRect connectionsRect(const TObjekt& e)
{
    TRect r = Bounds(e);
    for (const TObjekt* q : e.Connections)
        if (q)
            r = r.united(Bounds(*q));
    return r;
}

// ---------------------------------------------------------------------------------------------

class ConnectTool final : public ToolState
{
  public:
    void enter(EditSession&) override
    {
        hovered_.clear();
        first_.clear();
    }
    void leave(EditSession& s) override
    {
        s.erasePreview(PreviewKind::ConnectionLine);
        // The hovered pad is shown selected only while the tool points at it.
        if (TObjekt* h = hovered_.get(s.board())) {
            h->Selected = 0;
            s.invalidate(Bounds(*h));
        }
        hovered_.clear();
        first_.clear();
    }

    void move(EditSession& s, TPoint p, unsigned) override
    {
        TBoard* b = s.board();
        if (!b)
            return;
        TObjekt* previous = hovered_.get(b);
        const int hit = s.HitTest(p, true);
        TObjekt* found = nullptr;
        if (hit >= 0) {
            TObjekt& e = *b->Elements[static_cast<std::size_t>(hit)];
            if (e.isPadLike() && IsCopperLayer(e.Layer))
                found = &e;
        }
        if (found != previous || !found) {
            if (previous) {
                previous->Selected = 0;
                s.invalidate(Bounds(*previous));
            }
            hovered_.clear();
            if (found) {
                found->Selected = 1;
                s.invalidate(Bounds(*found));
                hovered_.set(*b, static_cast<std::size_t>(hit));
            }
        }
        if (const TObjekt* first = first_.get(b)) {
            Preview pv;
            pv.kind = PreviewKind::ConnectionLine;
            pv.colour = BlueColour;
            pv.dotted = true;
            pv.points = {{first->X, first->Y}, p};
            s.showPreview(pv);
        }
    }

    void press(EditSession& s, TPoint p, unsigned modifiers) override
    {
        // The pad under the press counts, even when no move announced it (after an undo, a
        // save, or a click without moving).
        move(s, p, modifiers);
        TBoard* b = s.board();
        TObjekt* hovered = hovered_.get(b);
        TObjekt* first = first_.get(b);
        if (!first) {
            if (hovered) {
                first_ = hovered_;
                s.updateHint();
            }
            return;
        }
        if (!hovered || hovered == first)
            return;
        PushUndo(s.project());
        s.erasePreview(PreviewKind::ConnectionLine);
        // The lines before and after the change both need repainting.
        const TRect before = connectionsRect(*first).united(connectionsRect(*hovered));
        ToggleConnection(*first, *hovered);
        s.invalidate(before);
        first_.clear();
        s.updateHint();
    }

    void rightPress(EditSession& s, TPoint p, unsigned modifiers) override
    {
        if (first_.get(s.board())) {
            s.erasePreview(PreviewKind::ConnectionLine);
            first_.clear();
            s.updateHint();
            return;
        }
        ToolState::rightPress(s, p, modifiers);
    }

    ToolHint hint(const EditSession& s) const override
    {
        return first_.get(s.board()) ? ToolHint::ConnectionNext : ToolHint::ConnectionFirst;
    }
    const char* cursor() const override { return "CONNECT"; }

  private:
    ElementRef hovered_;
    ElementRef first_;
};

// ---------------------------------------------------------------------------------------------

class TestTool final : public ToolState
{
  public:
    void press(EditSession& s, TPoint p, unsigned) override
    {
        TBoard* b = s.board();
        if (!b)
            return;
        s.setCursor("WAIT");
        s.erasePreview(PreviewKind::NetHighlight);
        s.deselectAll();
        const int hit = s.HitTest(p, true);
        if (hit >= 0) {
            const TObjekt& e = *b->Elements[static_cast<std::size_t>(hit)];
            if (!(e.Kind == KindArea && e.Restricted) && IsCopperLayer(e.Layer)) {
                TraceNet(*b, e);
                s.view().invalidateAll();
                Preview pv;
                pv.kind = PreviewKind::NetHighlight;
                pv.colour = GreenColour;
                pv.shapes.push_back(e);
                pv.shapes.back().Connections.clear();
                s.showPreview(pv);
            }
        }
        s.selectionChanged();
        s.setCursor(cursor());
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::Test; }
    const char* cursor() const override { return "TEST"; }
};

// ---------------------------------------------------------------------------------------------

/// What a route shows: the status line of the router window and the search window on the board.
class SessionRouteProgress final : public RouteProgress
{
  public:
    explicit SessionRouteProgress(EditSession& s) : s_(s) {}
    void status(const std::string& text) override { s_.view().setRouterStatus(text); }
    void window(const TRect& r, bool shown) override
    {
        if (shown) {
            Preview pv;
            pv.kind = PreviewKind::RouterWindow;
            pv.colour = BlueColour;
            pv.rect = r;
            s_.showPreview(pv);
        } else {
            s_.erasePreview(PreviewKind::RouterWindow);
        }
        s_.view().flushPreviews();
    }

  private:
    EditSession& s_;
};

/// Deselects everything, repainting the rubber bands of selected pads too (they are magenta in
/// the autorouter tool while both ends are selected).
void deselectWithConnections(EditSession& s)
{
    if (TBoard* b = s.board())
        for (const auto& e : b->Elements)
            if (e->Selected && e->isPadLike())
                s.invalidate(connectionsRect(*e));
    if (s.deselectAll())
        s.selectionChanged();
}

class AutoRouteTool final : public ToolState
{
  public:
    void enter(EditSession& s) override
    {
        last_ = 0;
        s.view().showRouterWindow();
    }

    void move(EditSession& s, TPoint p, unsigned) override { last_ = hitConnection(s, p); }

    void press(EditSession& s, TPoint p, unsigned) override
    {
        // What lies under the press decides, also when no move came before it.
        last_ = hitConnection(s, p);
        if (last_ == 1)
            route(s);
        else if (last_ == 2)
            resolve(s);
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::AutoRoute; }
    const char* cursor() const override { return "AUTOROUTE"; }

  private:
    /// 1: a connection is under the point (its pads are now selected); 2: an autorouted track
    /// (now selected); 0: nothing (nothing selected).
    int hitConnection(EditSession& s, TPoint p)
    {
        TBoard* b = s.board();
        if (!b)
            return 0;
        const double z = s.zoom();
        const TRect vis = s.view().visibleRect();
        auto pixel = [&](std::int32_t x, std::int32_t y) {
            return std::pair<std::int64_t, std::int64_t>{RoundHalfEven64((x - vis.left) * z),
                                                         RoundHalfEven64((vis.bottom - y) * z)};
        };
        const auto [mx, my] = pixel(p.x, p.y);
        const std::int64_t t = std::clamp<std::int64_t>(RoundHalfEven64(60 * z), 3, 10);
        for (auto& e : b->Elements) {
            if (!e->isPadLike())
                continue;
            for (TObjekt* q : e->Connections) {
                if (!q)
                    continue;
                const auto [px, py] = pixel(e->X, e->Y);
                const auto [qx, qy] = pixel(q->X, q->Y);
                if (!ConnectionLineHit(px, py, qx, qy, mx, my, t))
                    continue;
                if (!(e->Selected && q->Selected)) {
                    deselectWithConnections(s);
                    e->Selected = 1;
                    q->Selected = 1;
                    s.invalidate(connectionsRect(*e).united(connectionsRect(*q)));
                    s.selectionChanged();
                }
                return 1;
            }
        }
        const int hit = s.HitTest(p, false);
        if (hit >= 0) {
            TObjekt& e = *b->Elements[static_cast<std::size_t>(hit)];
            if (e.Kind == KindTrack && e.Autorouted) {
                if (!e.Selected) {
                    deselectWithConnections(s);
                    e.Selected = 1;
                    s.invalidate(Bounds(e));
                    s.selectionChanged();
                }
                return 2;
            }
        }
        deselectWithConnections(s);
        return 0;
    }

    void route(EditSession& s)
    {
        RouteOptions o;
        o.settings = s.routerSettings();
        o.trackClearance = s.params().clearance;
        o.currentWidth = s.params().trackWidth;
        o.language = s.language();
        SessionRouteProgress progress(s);
        o.progress = &progress;
        s.setCursor("WAIT");
        RouteConnection(s.project(), o);
        s.view().invalidateAll();
        s.selectionChanged();
        s.setCursor(cursor());
        last_ = 0;
    }

    void resolve(EditSession& s)
    {
        if (ResolveRoute(s.project())) {
            s.view().setRouterStatus(RouterText(RouterMessage::Resolved, s.language()));
            s.view().invalidateAll();
            s.selectionChanged();
        }
        last_ = 0;
    }

    int last_ = 0;
};

} // namespace

std::unique_ptr<ToolState> makeConnectTool()
{
    return std::make_unique<ConnectTool>();
}

std::unique_ptr<ToolState> makeTestTool()
{
    return std::make_unique<TestTool>();
}

std::unique_ptr<ToolState> makeAutoRouteTool()
{
    return std::make_unique<AutoRouteTool>();
}

} // namespace trevok

// The Text tool: asks for a text, keeps it as a selected preview element outside the board while
// it follows the mouse, and places it with a click; with automatic numbering every click places
// the next number (R1, R2, R3 ...).
//
// The preview is a real element of the board (built at PreviewPoint, above the board's upper
// edge, where it is not drawn on the board itself) so that the undo snapshot taken before it is
// the one undo step of the text that replaces it.

#include "edit/session.h"

#include "document/undo.h"

#include <algorithm>
#include <unordered_map>

namespace trevok
{

namespace
{

/// Where preview texts are built: the corner of their bounds sits here.
constexpr TPoint PreviewPoint{0, 100};

std::ptrdiff_t positionOf(const ElementList& list, const TObjekt* e)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == e)
            return static_cast<std::ptrdiff_t>(i);
    return -1;
}

/// Positions of a list's elements, so that links compare by position in linear time.
class Positions
{
  public:
    explicit Positions(const ElementList& list)
    {
        at_.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            at_.emplace(list[i].get(), static_cast<std::ptrdiff_t>(i));
    }
    std::ptrdiff_t of(const TObjekt* e) const
    {
        const auto it = at_.find(e);
        return it == at_.end() ? -1 : it->second;
    }

  private:
    std::unordered_map<const TObjekt*, std::ptrdiff_t> at_;
};

bool sameReference(const TObjekt* a, const Positions& pa, const TObjekt* b, const Positions& pb)
{
    if (!a || !b)
        return a == b;
    return pa.of(a) == pb.of(b);
}

/// Everything a snapshot keeps: the persistent fields, the strokes and the links by position.
bool sameElement(const TObjekt& a, const Positions& pa, const TObjekt& b, const Positions& pb)
{
    if (a.Kind != b.Kind || a.X != b.X || a.Y != b.Y || a.Size1 != b.Size1 || a.Size2 != b.Size2 ||
        a.Width != b.Width || a.Layer != b.Layer || a.Shape != b.Shape || !(a.Points == b.Points) ||
        a.OldGroup != b.OldGroup || a.Angle != b.Angle || a.Groups != b.Groups || a.Filled != b.Filled ||
        a.Clearance != b.Clearance || a.Autorouted != b.Autorouted || a.MirrorH != b.MirrorH ||
        a.MirrorV != b.MirrorV || a.Restricted != b.Restricted || a.Text != b.Text ||
        a.Strokes.size() != b.Strokes.size() || a.Connections.size() != b.Connections.size())
        return false;
    if (!sameReference(a.Twin, pa, b.Twin, pb) || !sameReference(a.RouteStart, pa, b.RouteStart, pb) ||
        !sameReference(a.RouteEnd, pa, b.RouteEnd, pb))
        return false;
    for (std::size_t i = 0; i < a.Connections.size(); ++i)
        if (!sameReference(a.Connections[i], pa, b.Connections[i], pb))
            return false;
    for (std::size_t i = 0; i < a.Strokes.size(); ++i)
        if (!sameElement(a.Strokes[i], pa, b.Strokes[i], pb))
            return false;
    return true;
}

/// Whether two lists hold the same elements linked the same way (selection and caches aside).
bool sameElements(const ElementList& a, const ElementList& b)
{
    if (a.size() != b.size())
        return false;
    const Positions pa(a);
    const Positions pb(b);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!sameElement(*a[i], pa, *b[i], pb))
            return false;
    return true;
}

class TextTool final : public ToolState
{
  public:
    bool begin(EditSession& s) override
    {
        const TBoard* board = s.board();
        if (!board)
            return false;
        // Texts on side 2 are seen from below, so they are mirrored to read right there.
        LayoutTextSettings& settings = s.textSettings();
        settings.mirrorV = false;
        settings.mirrorH = board->ActiveLayer == LayerK2 || board->ActiveLayer == LayerB2;
        return askAndPreview(s);
    }

    void leave(EditSession& s) override
    {
        s.erasePreview(PreviewKind::Move);
        removePreview(s);
    }

    void move(EditSession& s, TPoint p, unsigned mods) override
    {
        s.autoScroll(p);
        TObjekt* text = previewText(s);
        if (!text)
            return;
        s.showMovePreview({text}, offsetAt(s, p, mods), offset_);
    }

    void press(EditSession& s, TPoint p, unsigned mods) override
    {
        s.erasePreview(PreviewKind::Move);
        TBoard& board = *s.board();
        TObjekt* text = previewText(s);
        if (!text) {
            s.backToStandard();
            return;
        }
        const TPoint offset = offsetAt(s, p, mods);
        // The preview goes without a step of its own: the snapshot taken before it is the step
        // of the text placed now.
        const std::ptrdiff_t at = positionOf(board.Elements, text);
        board.Elements.erase(board.Elements.begin() + at);
        preview_ = nullptr;
        snapshotPending_ = false;

        // The placed text gets the number its preview showed.
        int& counter = s.textCounter();
        if (s.textSettings().numbering)
            --counter;
        const TPoint target{Saturate32(std::int64_t{PreviewPoint.x} + offset.x),
                            Saturate32(std::int64_t{PreviewPoint.y} + offset.y)};
        auto placed = makeLayoutText(target, s.textSettings(), board.ActiveLayer, s.params().clearance,
                                     s.grid(), counter);
        if (!placed->Strokes.empty()) {
            s.view().invalidate(Bounds(*placed));
            board.Elements.push_back(std::move(placed));
        }

        const bool next = s.textSettings().numbering ? buildPreview(s) : askAndPreview(s);
        if (!next)
            s.backToStandard();
        else
            move(s, p, mods); // the next text shows under the cursor at once
    }

    ToolHint hint(const EditSession&) const override { return ToolHint::Text; }

  private:
    /// The dialog, then a preview of what it asked for; false on Cancel or an empty text.
    bool askAndPreview(EditSession& s)
    {
        int start = s.textStart();
        if (!s.view().askLayoutText(s.textSettings(), start))
            return false;
        s.textStart() = start;
        s.textCounter() = start;
        return buildPreview(s);
    }

    bool buildPreview(EditSession& s)
    {
        TBoard& board = *s.board();
        auto text = makeLayoutText(PreviewPoint, s.textSettings(), board.ActiveLayer, s.params().clearance,
                                   s.grid(), s.textCounter());
        if (text->Strokes.empty()) {
            // Checked before the snapshot, so that a refused text leaves no trace in the history.
            s.view().showMessage(MsgId::TextNotGenerated);
            return false;
        }
        PushUndo(s.project());
        text->Selected = 1;
        previewBounds_ = Bounds(*text);
        preview_ = text.get();
        previewBoard_ = &board;
        snapshotPending_ = true;
        offset_ = {};
        s.view().invalidate(previewBounds_);
        board.Elements.push_back(std::move(text));
        s.selectionChanged();
        return true;
    }

    /// The preview element, if it is still on the board it was built on and that board is shown.
    TObjekt* previewText(EditSession& s) const
    {
        TBoard* board = s.board();
        if (!preview_ || board != previewBoard_ || positionOf(board->Elements, preview_) < 0)
            return nullptr;
        return preview_;
    }

    /// Removes the preview element. When nothing else changed the board since the snapshot taken
    /// for it, that snapshot would be an undo step that changes nothing, so it goes too.
    void removePreview(EditSession& s)
    {
        TBoard* board = s.board();
        if (preview_ && board == previewBoard_) {
            const std::ptrdiff_t at = positionOf(board->Elements, preview_);
            if (at >= 0) {
                board->Elements.erase(board->Elements.begin() + at);
                s.view().invalidate(previewBounds_);
                s.selectionChanged();
            }
            if (snapshotPending_ && !board->UndoStack.empty() &&
                sameElements(board->Elements, board->UndoStack.back()))
                DropLastUndo(s.project());
        }
        preview_ = nullptr;
        previewBoard_ = nullptr;
        snapshotPending_ = false;
    }

    /// The offset that brings the preview's corner (PreviewPoint) to the snapped cursor, limited so
    /// that the text stays inside the board on the right and at the top.
    TPoint offsetAt(const EditSession& s, TPoint p, unsigned mods) const
    {
        const TPoint q = s.snapped(p, mods);
        std::int64_t dx = std::int64_t{q.x} - PreviewPoint.x;
        std::int64_t dy = std::int64_t{q.y} - PreviewPoint.y;
        const TBoard& board = *s.board();
        dx = std::min(dx, std::int64_t{board.BoardWidth} - previewBounds_.right);
        dy = std::min(dy, -previewBounds_.bottom); // the board's upper edge is y = 0
        return {Saturate32(dx), Saturate32(dy)};
    }

    TObjekt* preview_ = nullptr;
    const TBoard* previewBoard_ = nullptr;
    TRect previewBounds_;
    TPoint offset_;
    bool snapshotPending_ = false;
};

} // namespace

std::unique_ptr<ToolState> makeTextTool()
{
    return std::make_unique<TextTool>();
}

} // namespace trevok

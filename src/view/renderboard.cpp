// The main-view pipeline and the photo view: a board painted in layer order, restricted to the
// area being repainted.

#include "view/render.h"

#include "document/parallel.h"
#include "view/imagecanvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace trevok
{

namespace
{

/// The zoom from which a repaint batches its figures by colour (see PaintBoard).
constexpr double BatchFromPixelsPerUnit = 0.25;

std::int64_t floorUnits(double v) noexcept
{
    return RoundHalfEven64(std::floor(v));
}

std::int64_t ceilUnits(double v) noexcept
{
    return RoundHalfEven64(std::ceil(v));
}

int clampPixel(double v) noexcept
{
    constexpr double limit = std::numeric_limits<int>::max() / 2;
    return static_cast<int>(RoundHalfEven64(std::clamp(v, -limit, limit)));
}

/// The rectangle an element is drawn within, for choosing what to draw: its bounds, except
/// that a circle takes the square around its whole outer circle, with room for the polygon of
/// its outline and for the margin its bounds add. That is a little larger than its bounds but
/// needs no outline built, which would cost a tenth of a whole-board repaint.
TRect drawBounds(const TObjekt& e) noexcept
{
    return e.Kind == KindCircle ? CircleReach(e) : Bounds(e);
}

/// An element to draw, and whether it is smaller than a device pixel (with its clearance, that
/// is its bounds), so that a single pixel pictures it. A selected element is never counted
/// small: its node handles are what the user looks for.
struct Entry {
    TObjekt* e;
    bool tiny;
};

/// The elements of a board that meet the repainted area, sorted for the drawing steps.
struct Buckets {
    // Index by layer code 0..6 (0 and codes above 6 fall into 0 and are never drawn by layer).
    std::array<std::vector<Entry>, 7> others;
    std::array<std::vector<Entry>, 7> pads;
    std::vector<TObjekt*> restricted;
    std::vector<Entry> all; // in list order

    static std::size_t slot(std::uint8_t layer) noexcept { return layer <= 6 ? layer : 0; }

    /// dotBelow: the size in units below which an element counts as small (0: none does).
    /// bounds: drawBounds of every element of the list, when the caller has them already.
    /// only: the list indices (ascending) of the elements that may meet the area, when the
    /// caller knows them; the others are not looked at.
    void fill(const ElementList& list, const TRect* area, double dotBelow, const std::vector<TRect>* bounds,
              const std::vector<std::uint32_t>* only)
    {
        const std::size_t count = only ? only->size() : list.size();
        all.reserve(count);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t i = only ? (*only)[k] : k;
            TObjekt* e = list[i].get();
            bool tiny = false;
            if (area || dotBelow > 0) {
                const TRect b = bounds ? (*bounds)[i] : drawBounds(*e);
                if (area && !area->intersects(b))
                    continue;
                tiny = !e->Selected &&
                       static_cast<double>(std::max(b.right - b.left, b.bottom - b.top)) < dotBelow;
            }
            const Entry entry{e, tiny};
            all.push_back(entry);
            if (e->Kind == KindPad)
                pads[slot(e->Layer)].push_back(entry);
            else if (e->Kind == KindArea && e->Restricted)
                restricted.push_back(e);
            else
                others[slot(e->Layer)].push_back(entry);
        }
    }
};

} // namespace

RenderOptions RenderOptions::fromBoard(const TBoard& board)
{
    RenderOptions o;
    o.zoom = board.Zoom;
    o.scrollX = board.ScrollX;
    o.scrollY = board.ScrollY;
    o.activeLayer = board.ActiveLayer;
    for (std::size_t i = 0; i < 4; ++i)
        o.layerVisible[i] = board.LayerVisible[i] != 0;
    return o;
}

bool RenderOptions::visible(int layer) const noexcept
{
    if (layer >= 1 && layer <= 4)
        return layerVisible[static_cast<std::size_t>(layer - 1)];
    return layer == 5 || layer == 6; // macro layers count as visible
}

CanvasMapping ViewMapping(const RenderOptions& options, const TBoard& board) noexcept
{
    if (options.mapping)
        return *options.mapping;
    return CanvasMapping::view(options.zoom, options.scrollX, options.scrollY, options.mirrored(),
                               board.BoardWidth);
}

void SetMapping(Canvas& canvas, const RenderOptions& options, const TBoard& board)
{
    canvas.setMapping(ViewMapping(options, board));
}

namespace
{
// The work of a band is about its spans: each element costs about a span's overhead per row it
// covers, plus the pixels of the row. Bands cut into equal rows would be uneven, since a board
// is rarely equally crowded from top to bottom. Counted in sixteenths of a pixel.
constexpr std::int64_t WorkUnit = 16;
constexpr std::int64_t RowCost = 48 * WorkUnit;
} // namespace

BandWork::BandWork(const CanvasMapping& mapping, const QRect& rect)
    : mapping_(mapping), rect_(rect), diff_(static_cast<std::size_t>(std::max(rect.height(), 0)) + 1, 0)
{
}

void BandWork::add(const TRect& b) noexcept
{
    const CanvasMapping& m = mapping_;
    const double y1 = m.deviceY(static_cast<double>(b.top)), y2 = m.deviceY(static_cast<double>(b.bottom));
    const double top = std::max(std::floor(std::min(y1, y2)), static_cast<double>(rect_.top()));
    const double bottom = std::min(std::ceil(std::max(y1, y2)), static_cast<double>(rect_.bottom()));
    if (!(top <= bottom))
        return;
    const double left = rect_.left(), right = static_cast<double>(rect_.right()) + 1.0;
    const double x1 = m.deviceX(static_cast<double>(b.left)), x2 = m.deviceX(static_cast<double>(b.right));
    const double width = std::min(std::max(x1, x2), right) - std::max(std::min(x1, x2), left);
    if (!(width >= -1.0))
        return;
    // width is at most the picture's: the product stays far inside the range.
    const std::int64_t w = RowCost + static_cast<std::int64_t>(std::max(width, 1.0) * WorkUnit);
    diff_[static_cast<std::size_t>(top) - static_cast<std::size_t>(rect_.top())] += w;
    diff_[static_cast<std::size_t>(bottom) + 1 - static_cast<std::size_t>(rect_.top())] -= w;
}

void BandWork::add(const BandWork& other) noexcept
{
    for (std::size_t r = 0; r < diff_.size() && r < other.diff_.size(); ++r)
        diff_[r] += other.diff_[r];
}

std::vector<int> BandWork::cuts(int bands) const
{
    // The cumulative work down the rows, and the rows where it passes each band's share.
    const int height = rect_.height();
    std::vector<std::int64_t> total(static_cast<std::size_t>(height) + 1, 0);
    std::int64_t perRow = 0;
    for (int r = 0; r < height; ++r) {
        perRow += diff_[static_cast<std::size_t>(r)];
        total[static_cast<std::size_t>(r) + 1] = total[static_cast<std::size_t>(r)] + perRow + RowCost;
    }
    std::vector<int> cuts{rect_.top()};
    int previous = 0;
    for (int k = 1; k < bands; ++k) {
        const std::int64_t share = total.back() * k / bands;
        int r = static_cast<int>(std::lower_bound(total.begin(), total.end(), share) - total.begin());
        // Every band keeps a few rows, so that none is left empty.
        r = std::clamp(r, previous + MinCutRows, height - (bands - k) * MinCutRows);
        cuts.push_back(rect_.top() + r);
        previous = r;
    }
    cuts.push_back(rect_.top() + height);
    return cuts;
}

std::vector<int> BandCuts(const std::vector<TRect>& bounds, const CanvasMapping& m, const QRect& rect,
                          int bands)
{
    BandWork work(m, rect);
    for (const TRect& b : bounds)
        work.add(b);
    return work.cuts(bands);
}

TRect DeviceToBoard(const CanvasMapping& m, const QRect& device) noexcept
{
    const double x1 = m.logicalX(device.left());
    const double x2 = m.logicalX(static_cast<double>(device.right()) + 1.0);
    const double y1 = m.logicalY(device.top());
    const double y2 = m.logicalY(static_cast<double>(device.bottom()) + 1.0);
    return {floorUnits(std::min(x1, x2)), floorUnits(std::min(y1, y2)), ceilUnits(std::max(x1, x2)),
            ceilUnits(std::max(y1, y2))};
}

QRect ElementRepaintRect(const TObjekt& element, const CanvasMapping& m) noexcept
{
    const TRect b = Bounds(element);
    const double x1 = m.deviceX(static_cast<double>(b.left));
    const double x2 = m.deviceX(static_cast<double>(b.right));
    const double y1 = m.deviceY(static_cast<double>(b.top));
    const double y2 = m.deviceY(static_cast<double>(b.bottom));
    return QRect(QPoint(clampPixel(std::min(x1, x2)) - 5, clampPixel(std::min(y1, y2)) - 5),
                 QPoint(clampPixel(std::max(x1, x2)) + 5, clampPixel(std::max(y1, y2)) + 5));
}

ColourScheme PhotoColours(const ColourScheme& base, const TBoard& board, int side) noexcept
{
    const bool plane = side == 2 ? board.GroundPlane2 != 0 : board.GroundPlane1 != 0;
    const ColourRef far = plane ? PhotoFarSidePlane : PhotoFarSide;
    const int near = side == 2 ? LayerK2 : LayerK1;
    const int other = OppositeLayer(static_cast<std::uint8_t>(near));
    ColourScheme s = base;
    s[ColourBackground] = PhotoBackground;
    s[LayerColourIndex(near)] = PhotoCopper;
    s[LayerColourIndex(near + 1)] = PhotoPrint;
    s[LayerColourIndex(other)] = far;
    s[LayerColourIndex(other + 1)] = far;
    return s;
}

namespace
{

/// One paint of a board: the steps of the main view over the elements that meet the area.
class BoardPaint
{
  public:
    BoardPaint(Canvas& canvas, TBoard& board, const RenderOptions& options, const TRect* clip,
               const std::vector<TRect>* bounds, const std::vector<std::uint32_t>* shown)
        : canvas_(canvas), board_(board), o_(options), clip_(clip), photo_(options.photo.shown),
          viewedSide_(options.photo.side == 2 ? 2 : 1), active_(options.activeLayer),
          activeSide2_(active_ >= 3), marked_(options.markedOnly),
          dotBelow_(options.screen && options.levelOfDetail ? canvas.pixelUnits() : 0.0),
          painter_(canvas, settings())
    {
        buckets_.fill(board.Elements, clip, dotBelow_, bounds, shown);
    }

    /// Steps 2 to 5: board background, restricted areas and plane clearances, template, grid.
    void ground(const TRect& area);
    /// Step 6: the layers in the order of the active (or viewed) side, pads last in each.
    void layers();
    /// Step 7: drill holes.
    void holes();
    /// Step 8: connections. linked: the list indices (ascending) of the elements that may
    /// hold rubber bands, when the caller knows them.
    void connections(const std::vector<std::uint32_t>* linked);

  private:
    DrawSettings settings()
    {
        const RenderPatterns* patterns = o_.patterns;
        if (!patterns && !photo_) {
            ownPatterns_ = RenderPatterns::make(o_.colours);
            patterns = &ownPatterns_;
        }
        DrawSettings ds;
        ds.colours = photo_ ? PhotoColours(o_.colours, board_, viewedSide_) : o_.colours;
        ds.patterns = patterns;
        ds.photo = photo_;
        ds.mirrored = o_.mirrored();
        return ds;
    }
    void drawAll(const std::vector<Entry>& list)
    {
        for (const Entry& en : list) {
            if (marked_ && !en.e->Mark)
                continue;
            if (en.tiny)
                painter_.DrawElementDot(*en.e, active_);
            else
                painter_.DrawElement(*en.e, active_);
        }
    }
    void drawClearance(const Entry& en)
    {
        if (en.tiny)
            painter_.DrawClearanceDot(*en.e, active_);
        else
            painter_.DrawClearance(*en.e, active_);
    }

    Canvas& canvas_;
    TBoard& board_;
    const RenderOptions& o_;
    const TRect* clip_;
    const bool photo_;
    const int viewedSide_;
    const int active_;
    const bool activeSide2_;
    const bool marked_;
    const double dotBelow_; // units: an element smaller than this is drawn as a dot (0: never)
    RenderPatterns ownPatterns_;
    ElementPainter painter_;
    Buckets buckets_;
};

void BoardPaint::ground(const TRect& area)
{
    const ColourScheme& colours = painter_.settings().colours;
    // The board, two pixels beyond its right and lower edges on the screen.
    const std::int64_t a = o_.screen ? RoundHalfEven64(2.0 / o_.zoom) : 1;
    ColourRef background = colours[ColourBackground];
    if (photo_)
        background =
            GroundPlaneOn(board_, viewedSide_ == 2 ? LayerK2 : LayerK1) ? PhotoCopper : PhotoBackground;
    else if (GroundPlaneOn(board_, active_))
        background = colours[activeSide2_ ? ColourK2 : ColourK1];
    canvas_.setPen(CanvasPen::none());
    canvas_.setBrush(CanvasBrush::solid(background));
    canvas_.rectangle(0, 0, std::int64_t{board_.BoardWidth} + a, -(std::int64_t{board_.BoardHeight} + a));

    // Restricted areas and the clearances cut out of the ground plane.
    if (photo_) {
        const int copper = viewedSide_ == 2 ? LayerK2 : LayerK1;
        if (GroundPlaneOn(board_, copper))
            for (const Entry& en : buckets_.all)
                if (en.e->Layer == copper)
                    drawClearance(en);
        return; // no template and no grid on a photo
    }
    const int planeCopper = activeSide2_ ? LayerK2 : LayerK1;
    const bool planeOn = GroundPlaneOn(board_, active_);
    for (TObjekt* e : buckets_.restricted)
        if (o_.visible(e->Layer) && !(planeOn && e->Layer == planeCopper))
            painter_.DrawElement(*e, active_);
    if (planeOn && o_.visible(planeCopper))
        for (const Entry& en : buckets_.all)
            if (en.e->Layer == planeCopper)
                drawClearance(en);

    if (o_.drawTemplate)
        o_.drawTemplate(canvas_, activeSide2_ ? 2 : 1, area);
    if (o_.drawGrid)
        o_.drawGrid(canvas_, area);
}

void BoardPaint::layers()
{
    // Copper before print, the far side of each pair first.
    std::array<int, 4> order{};
    int count = 0;
    if (photo_) {
        const int near = viewedSide_ == 2 ? LayerK2 : LayerK1;
        const int far = OppositeLayer(static_cast<std::uint8_t>(near));
        if (o_.photo.translucent) {
            order[count++] = far;
            if (o_.photo.withComponents)
                order[count++] = far + 1;
        }
        order[count++] = near;
        if (o_.photo.withComponents)
            order[count++] = near + 1;
    } else {
        order = activeSide2_ ? std::array<int, 4>{1, 3, 2, 4} : std::array<int, 4>{3, 1, 4, 2};
        count = 4;
    }
    for (int i = 0; i < count; ++i) {
        const auto layer = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        if (!photo_ && !o_.visible(static_cast<int>(layer)))
            continue; // the photo shows hidden layers too
        // Macro layers 5 and 6 are drawn with the layers they stand for, K2 and B1.
        const std::size_t macro = layer == LayerK2 ? 5 : layer == LayerB1 ? 6 : 0;
        drawAll(buckets_.others[layer]);
        if (macro)
            drawAll(buckets_.others[macro]);
        drawAll(buckets_.pads[layer]);
        if (macro)
            drawAll(buckets_.pads[macro]);
    }
}

void BoardPaint::holes()
{
    auto drawn = [&](const TObjekt& e) {
        return e.Kind == KindPad && !(marked_ && !e.Mark) && (photo_ || o_.visible(e.Layer));
    };
    // Both pads of a plated pair draw the hole; the second draws the same pixels over the
    // first when the holes are alike (the cross included), and the first is left out.
    auto sameHole = [](const TObjekt& a, const TObjekt& b) {
        const bool cross = a.Size2 == a.Size1;
        return a.X == b.X && a.Y == b.Y && a.Size2 == b.Size2 && b.Twin && cross == (b.Size2 == b.Size1) &&
               (!cross || a.Selected == b.Selected);
    };
    const std::vector<Entry>& all = buckets_.all;
    for (std::size_t k = 0; k < all.size(); ++k) {
        const Entry& en = all[k];
        const TObjekt& e = *en.e;
        if (!drawn(e))
            continue;
        if (k + 1 < all.size() && all[k + 1].e == e.Twin && all[k + 1].tiny == en.tiny && drawn(*e.Twin) &&
            sameHole(e, *e.Twin))
            continue;
        if (en.tiny && 2.0 * e.Size2 < dotBelow_)
            painter_.DrawHoleDot(e, !photo_);
        else
            painter_.DrawHole(e, !photo_);
    }
}

void BoardPaint::connections(const std::vector<std::uint32_t>* linked)
{
    const ColourRef normal = painter_.settings().colours[ColourConnection];
    const std::size_t count = linked ? linked->size() : board_.Elements.size();
    for (std::size_t k = 0; k < count; ++k) {
        const TObjekt& e = *board_.Elements[linked ? (*linked)[k] : k];
        if (!e.isPadLike() || e.Connections.empty() || (marked_ && !e.Mark))
            continue;
        for (const TObjekt* to : e.Connections) {
            if (!to || (marked_ && !to->Mark))
                continue;
            if (clip_) {
                const TRect span{std::min<std::int64_t>(e.X, to->X), std::min<std::int64_t>(e.Y, to->Y),
                                 std::max<std::int64_t>(e.X, to->X), std::max<std::int64_t>(e.Y, to->Y)};
                if (!span.intersects(*clip_))
                    continue;
            }
            // Both ends hold the connection: the line is drawn from the one earlier in memory.
            if (to < &e &&
                std::find(to->Connections.begin(), to->Connections.end(), &e) != to->Connections.end())
                continue;
            const bool bothSelected = e.Selected && to->Selected;
            painter_.DrawConnection(e, *to,
                                    o_.autorouterActive && bothSelected ? SelectedActiveColour : normal);
        }
    }
}

/// The board area to draw for the device pixels of repaint (a null rectangle: everything).
/// Elements may draw a little past their bounds (one-pixel outlines, node handles of at least
/// three pixels): the area is widened by a few pixels so that they are not cut.
TRect paintArea(const CanvasMapping& m, const QRect& repaint) noexcept
{
    if (repaint.isNull())
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()};
    const TRect area = DeviceToBoard(m, repaint);
    const std::int64_t margin = ceilUnits(4.0 / m.unitPixels());
    return {area.left - margin, area.top - margin, area.right + margin, area.bottom + margin};
}

/// The pipeline for the pixels of repaint. The template, grid and contour preview are drawn
/// for those of outer (a band's whole picture), so that how they fall on the pixels never
/// depends on how the picture was cut into bands.
void paintBoard(Canvas& canvas, TBoard& board, const RenderOptions& options, const QRect& repaint,
                const QRect& outer, const std::vector<TRect>* bounds = nullptr,
                const std::vector<std::uint32_t>* shown = nullptr,
                const std::vector<std::uint32_t>* linked = nullptr)
{
    if (options.suspended)
        return;
    SetMapping(canvas, options, board);
    const CanvasMapping& m = canvas.mapping();
    const bool whole = repaint.isNull();
    const TRect area = paintArea(m, repaint);
    const TRect outerArea = outer == repaint ? area : paintArea(m, outer);

    // Zoomed in, the layers are long runs of one colour, many lying over each other: the
    // canvas may write each run at once. Farther out the figures are a few pixels across and
    // overlap little, and holding them back costs more than it saves.
    std::optional<CanvasBatch> batch;
    if (m.unitPixels() >= BatchFromPixelsPerUnit)
        batch.emplace(canvas);
    BoardPaint paint(canvas, board, options, whole ? nullptr : &area, bounds, shown);
    // A picture of the marked elements alone (the selection put on the clipboard) is just
    // their layers, holes and connections.
    if (!options.markedOnly)
        paint.ground(outerArea);
    paint.layers();
    paint.holes();
    if (options.photo.shown)
        return; // a photo has no rubber bands and no milling preview
    paint.connections(linked);
    if (!options.markedOnly && options.drawContourPreview)
        options.drawContourPreview(canvas, outerArea);
}

/// Bands are at least this many rows high: a band costs a pass over the board's elements.
constexpr int MinBandRows = 64;

} // namespace

void PaintBoard(Canvas& canvas, TBoard& board, const RenderOptions& options, const QRect& repaint)
{
    paintBoard(canvas, board, options, repaint, repaint);
}

void PaintBoardInBands(QImage& image, TBoard& board, const RenderOptions& options, const QRect& repaint,
                       std::optional<QRgb> clearTo, std::span<StampStore> stamps)
{
    const QRect rect = repaint.isNull() ? image.rect() : repaint.intersected(image.rect());
    // The board's background covers most of the picture (all of it, zoomed in): what lies
    // surely inside it (a pixel in from its edges) is left to it, instead of writing it twice.
    const CanvasMapping mapping = ViewMapping(options, board);
    QRect covered;
    if (clearTo && !options.suspended && !options.markedOnly) {
        const double x1 = mapping.deviceX(0), x2 = mapping.deviceX(static_cast<double>(board.BoardWidth));
        const double y1 = mapping.deviceY(0), y2 = mapping.deviceY(-static_cast<double>(board.BoardHeight));
        const double limit = 1e9;
        const double left = std::clamp(std::ceil(std::min(x1, x2)) + 1, -limit, limit);
        const double right = std::clamp(std::floor(std::max(x1, x2)) - 1, -limit, limit);
        const double top = std::clamp(std::ceil(std::min(y1, y2)) + 1, -limit, limit);
        const double bottom = std::clamp(std::floor(std::max(y1, y2)) - 1, -limit, limit);
        if (left <= right && top <= bottom)
            covered = QRect(
                QPoint(static_cast<int>(std::max(left, -1.0)), static_cast<int>(std::max(top, -1.0))),
                QPoint(static_cast<int>(std::min(right, 1e6)), static_cast<int>(std::min(bottom, 1e6))));
    }
    auto clear = [&](QImage& rows, const QRect& r, int firstRow) {
        if (!clearTo)
            return;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(rows.scanLine(y - firstRow));
            if (y < covered.top() || y > covered.bottom() || covered.isEmpty()) {
                std::fill(row + r.left(), row + r.right() + 1, *clearTo);
                continue;
            }
            std::fill(row + r.left(), row + std::clamp(covered.left(), r.left(), r.right() + 1), *clearTo);
            std::fill(row + std::clamp(covered.right() + 1, r.left(), r.right() + 1), row + r.right() + 1,
                      *clearTo);
        }
    };
    // Qt may lay out and rasterise glyphs a little differently on a helper thread than on the
    // main one: a board with TrueType texts is painted on this thread alone.
    const bool fontTexts = std::any_of(board.Elements.begin(), board.Elements.end(),
                                       [](const auto& e) { return e->Kind == KindFontText; });
    const int bands = fontTexts ? 1 : std::min(WorkerThreads(), rect.height() / MinBandRows);
    if (bands <= 1 || options.suspended) {
        clear(image, rect, 0);
        ImageCanvas canvas(image, rect);
        if (!stamps.empty())
            canvas.useStamps(stamps.front());
        PaintBoard(canvas, board, options, repaint);
        return;
    }
    // Each band would take the bounds of every element to choose its own: they are taken once,
    // and the elements that meet the picture are listed for the bands. The bands only read the
    // elements: the drawing bookkeeping of those they draw is written here, before.
    const TRect area = paintArea(mapping, rect);
    const std::size_t count = board.Elements.size();
    std::vector<TRect> bounds(count);
    // The elements that meet the picture and those that hold rubber bands (which may cross the
    // picture wherever their ends lie), listed by each chunk of the pass and joined in order;
    // and the work down the rows, gathered by each thread.
    constexpr std::size_t Grain = 2048;
    const std::size_t chunks = (count + Grain - 1) / Grain;
    // A cache line each, so that the threads filling neighbouring chunks do not take the line
    // from each other at every element.
    struct alignas(64) Chunk {
        std::vector<std::uint32_t> shown, linked;
    };
    std::vector<Chunk> lists(chunks);
    std::vector<BandWork> work(static_cast<std::size_t>(std::max(WorkerThreads(), 1)),
                               BandWork(mapping, rect));
    ParallelFor(
        count,
        [&](std::size_t i, std::size_t worker) {
            // The elements lie all over the heap, and the pass waits on memory more than it
            // computes: the ones a few steps ahead are asked for now.
            if (constexpr std::size_t Ahead = 12; i + Ahead < count) {
                const auto* next = reinterpret_cast<const char*>(board.Elements[i + Ahead].get());
                __builtin_prefetch(next);
                __builtin_prefetch(next + 64);
                __builtin_prefetch(next + 128);
            }
            TObjekt& e = *board.Elements[i];
            bounds[i] = drawBounds(e);
            if (area.intersects(bounds[i])) {
                NoteDrawn(e, options.activeLayer, true);
                lists[i / Grain].shown.push_back(static_cast<std::uint32_t>(i));
                work[worker].add(bounds[i]); // worker < WorkerThreads(), as ParallelFor keeps it
            }
            if (!e.Connections.empty())
                lists[i / Grain].linked.push_back(static_cast<std::uint32_t>(i));
        },
        Grain);
    auto joined = [&](std::vector<std::uint32_t> Chunk::*part) {
        std::size_t n = 0;
        for (const Chunk& c : lists)
            n += (c.*part).size();
        std::vector<std::uint32_t> all;
        all.reserve(n);
        for (const Chunk& c : lists)
            all.insert(all.end(), (c.*part).begin(), (c.*part).end());
        return all;
    };
    const std::vector<std::uint32_t> shown = joined(&Chunk::shown), linked = joined(&Chunk::linked);
    for (std::size_t w = 1; w < work.size(); ++w)
        work.front().add(work[w]);
    const std::vector<int> cuts = work.front().cuts(bands);
    // Each band is a QImage of its own over the picture's rows: a QImage (and a QPainter on it)
    // must not be shared between threads.
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    std::vector<QImage> strips;
    std::vector<QRect> rows;
    strips.reserve(static_cast<std::size_t>(bands));
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        const int top = cuts[k];
        const int bottom = cuts[k + 1];
        strips.emplace_back(bits + static_cast<qsizetype>(top) * stride, image.width(), bottom - top, stride,
                            image.format());
        rows.emplace_back(rect.left(), top, rect.width(), bottom - top);
    }
    ParallelFor(strips.size(), [&](std::size_t k, std::size_t) {
        clear(strips[k], rows[k], rows[k].top());
        ImageCanvas canvas(strips[k], rows[k], rows[k].top());
        if (k < stamps.size())
            canvas.useStamps(stamps[k]);
        paintBoard(canvas, board, options, rows[k], repaint, &bounds, &shown, &linked);
    });
}

void PaintElementList(ElementPainter& painter, ElementList& list, bool sidesExchanged)
{
    const std::array<int, 4> order =
        sidesExchanged ? std::array<int, 4>{1, 3, 2, 4} : std::array<int, 4>{3, 1, 4, 2};
    const int active = sidesExchanged ? LayerK1 : LayerK2;
    for (int layer : order) {
        for (auto& e : list)
            if (e->Layer == layer && e->Kind != KindPad)
                painter.DrawElement(*e, active);
        for (auto& e : list)
            if (e->Layer == layer && e->Kind == KindPad)
                painter.DrawElement(*e, active);
    }
    for (auto& e : list)
        if (e->Kind == KindPad)
            painter.DrawHole(*e, false);
}

} // namespace trevok

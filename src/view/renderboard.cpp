// The main-view pipeline and the photo view: a board painted in layer order, restricted to the
// area being repainted.

#include "view/render.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trevok {

namespace {

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

/// The elements of a board that meet the repainted area, sorted for the drawing steps.
struct Buckets {
    // Index by layer code 0..6 (0 and codes above 6 fall into 0 and are never drawn by layer).
    std::array<std::vector<TObjekt*>, 7> others;
    std::array<std::vector<TObjekt*>, 7> pads;
    std::vector<TObjekt*> restricted;
    std::vector<TObjekt*> all;   // in list order

    static std::size_t slot(std::uint8_t layer) noexcept { return layer <= 6 ? layer : 0; }

    void fill(const ElementList& list, const TRect* area)
    {
        all.reserve(list.size());
        for (const auto& owned : list) {
            TObjekt* e = owned.get();
            if (area && !area->intersects(Bounds(*e)))
                continue;
            all.push_back(e);
            if (e->Kind == KindPad)
                pads[slot(e->Layer)].push_back(e);
            else if (e->Kind == KindArea && e->Restricted)
                restricted.push_back(e);
            else
                others[slot(e->Layer)].push_back(e);
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
    return layer == 5 || layer == 6;   // macro layers count as visible
}

void SetMapping(Canvas& canvas, const RenderOptions& options, const TBoard& board)
{
    canvas.setMapping(
        CanvasMapping::view(options.zoom, options.scrollX, options.scrollY, options.mirrored(), board.BoardWidth));
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

void PaintBoard(Canvas& canvas, TBoard& board, const RenderOptions& options, const QRect& repaint)
{
    if (options.suspended)
        return;
    SetMapping(canvas, options, board);
    const CanvasMapping& m = canvas.mapping();

    // Elements may draw a little past their bounds (one-pixel outlines, node handles of at
    // least three pixels): the area is widened by a few pixels so that they are not cut.
    TRect area{};
    const bool whole = repaint.isNull();
    if (!whole) {
        area = DeviceToBoard(m, repaint);
        const std::int64_t margin = ceilUnits(4.0 / m.unitPixels());
        area = {area.left - margin, area.top - margin, area.right + margin, area.bottom + margin};
    }
    const TRect* clip = whole ? nullptr : &area;
    const TRect boardArea = whole ? TRect{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
                                          std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()}
                                  : area;

    const bool photo = options.photo.shown;
    const int viewedSide = options.photo.side == 2 ? 2 : 1;
    const int active = options.activeLayer;
    const bool activeSide2 = active >= 3;

    RenderPatterns ownPatterns;
    const RenderPatterns* patterns = options.patterns;
    if (!patterns && !photo) {
        ownPatterns = RenderPatterns::make(options.colours);
        patterns = &ownPatterns;
    }
    DrawSettings ds;
    ds.colours = photo ? PhotoColours(options.colours, board, viewedSide) : options.colours;
    ds.patterns = patterns;
    ds.photo = photo;
    ds.mirrored = options.mirrored();
    ElementPainter painter(canvas, ds);

    Buckets buckets;
    buckets.fill(board.Elements, clip);

    // 2. The board, two pixels beyond its right and lower edges on the screen.
    const std::int64_t a = options.screen ? RoundHalfEven64(2.0 / options.zoom) : 1;
    ColourRef background = ds.colours[ColourBackground];
    if (photo) {
        background = GroundPlaneOn(board, viewedSide == 2 ? LayerK2 : LayerK1) ? PhotoCopper : PhotoBackground;
    } else if (GroundPlaneOn(board, active)) {
        background = ds.colours[activeSide2 ? ColourK2 : ColourK1];
    }
    canvas.setPen(CanvasPen::none());
    canvas.setBrush(CanvasBrush::solid(background));
    canvas.rectangle(0, 0, std::int64_t{board.BoardWidth} + a, -(std::int64_t{board.BoardHeight} + a));

    // 3. Restricted areas and the clearances cut out of the ground plane.
    if (photo) {
        const int copper = viewedSide == 2 ? LayerK2 : LayerK1;
        if (GroundPlaneOn(board, copper))
            for (TObjekt* e : buckets.all)
                if (e->Layer == copper)
                    painter.DrawClearance(*e, active);
    } else {
        const int planeCopper = activeSide2 ? LayerK2 : LayerK1;
        const bool planeOn = GroundPlaneOn(board, active);
        for (TObjekt* e : buckets.restricted)
            if (options.visible(e->Layer) && !(planeOn && e->Layer == planeCopper))
                painter.DrawElement(*e, active);
        if (planeOn && options.visible(planeCopper))
            for (TObjekt* e : buckets.all)
                if (e->Layer == planeCopper)
                    painter.DrawClearance(*e, active);
    }

    // 4. and 5. Template image and grid belong to the normal view.
    if (!photo && options.drawTemplate)
        options.drawTemplate(canvas, activeSide2 ? 2 : 1, boardArea);
    if (!photo && options.drawGrid)
        options.drawGrid(canvas, boardArea);

    // 6. Layers: copper before print, the far side of each pair first; pads last in a layer.
    std::array<int, 4> order{};
    int layers = 0;
    if (photo) {
        const int near = viewedSide == 2 ? LayerK2 : LayerK1;
        const int far = OppositeLayer(static_cast<std::uint8_t>(near));
        if (options.photo.translucent) {
            order[layers++] = far;
            if (options.photo.withComponents)
                order[layers++] = far + 1;
        }
        order[layers++] = near;
        if (options.photo.withComponents)
            order[layers++] = near + 1;
    } else {
        order = activeSide2 ? std::array<int, 4>{1, 3, 2, 4} : std::array<int, 4>{3, 1, 4, 2};
        layers = 4;
    }
    const bool marked = options.markedOnly;
    // Macro layers 5 and 6 are drawn with the layer they stand for.
    auto drawLayer = [&](const std::vector<TObjekt*>& list) {
        for (TObjekt* e : list)
            if (!marked || e->Mark)
                painter.DrawElement(*e, active);
    };
    for (int i = 0; i < layers; ++i) {
        const int layer = order[static_cast<std::size_t>(i)];
        if (!photo && !options.visible(layer))
            continue;
        drawLayer(buckets.others[static_cast<std::size_t>(layer)]);
        if (layer == LayerK2 || layer == LayerB1) {
            const std::size_t macro = layer == LayerK2 ? 5 : 6;
            drawLayer(buckets.others[macro]);
        }
        drawLayer(buckets.pads[static_cast<std::size_t>(layer)]);
        if (layer == LayerK2 || layer == LayerB1)
            drawLayer(buckets.pads[layer == LayerK2 ? 5 : 6]);
    }

    // 7. Drill holes.
    for (TObjekt* e : buckets.all) {
        if (e->Kind != KindPad || (marked && !e->Mark))
            continue;
        if (photo || options.visible(e->Layer))
            painter.DrawHole(*e, !photo);
    }

    if (photo)
        return;

    // 8. Connections: wanted wires from each pad's centre to its partners.
    for (const auto& owned : board.Elements) {
        const TObjekt& e = *owned;
        if (!e.isPadLike() || e.Connections.empty() || (marked && !e.Mark))
            continue;
        for (const TObjekt* to : e.Connections) {
            if (!to || (marked && !to->Mark))
                continue;
            // Both ends hold the connection: the line is drawn from the one earlier in memory.
            if (to < &e && std::find(to->Connections.begin(), to->Connections.end(), &e) != to->Connections.end())
                continue;
            if (clip) {
                const TRect span{std::min<std::int64_t>(e.X, to->X), std::min<std::int64_t>(e.Y, to->Y),
                                 std::max<std::int64_t>(e.X, to->X), std::max<std::int64_t>(e.Y, to->Y)};
                if (!span.intersects(*clip))
                    continue;
            }
            const bool bothSelected = e.Selected && to->Selected;
            painter.DrawConnection(e, *to, options.autorouterActive && bothSelected ? SelectedActiveColour
                                                                                     : ds.colours[ColourConnection]);
        }
    }

    // 9. The milling-contour preview.
    if (options.drawContourPreview)
        options.drawContourPreview(canvas, boardArea);
}

void PaintElementList(ElementPainter& painter, ElementList& list, bool sidesExchanged)
{
    const std::array<int, 4> order = sidesExchanged ? std::array<int, 4>{1, 3, 2, 4} : std::array<int, 4>{3, 1, 4, 2};
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

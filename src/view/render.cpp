// Drawing single elements: the colour rule, the hatches, each kind in normal, clearance and
// one-colour mode, the pad core routine, node and arc handles, holes and connections.

#include "view/render.h"

#include "document/cp1252.h"

#include <algorithm>
#include <limits>

namespace trevok
{

namespace
{

/// A track colour lightened, or darkened when it is light already, for the autorouted stripe.
ColourRef stripeColour(ColourRef c) noexcept
{
    const int sum = RedOf(c) + GreenOf(c) + BlueOf(c);
    const int d = sum < 383 ? 150 : -150;
    auto ch = [d](int v) { return std::clamp(v + d, 0, 255); };
    return Rgb(ch(RedOf(c)), ch(GreenOf(c)), ch(BlueOf(c)));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Colours and hatches

int LayerColourIndex(int layer) noexcept
{
    return layer >= 1 && layer <= 4 ? layer + 1 : -1;
}

bool SameSide(int layerA, int layerB) noexcept
{
    return (layerA <= 2 && layerB <= 2) || (layerA >= 3 && layerB >= 3);
}

ColourRef ElementColour(const TObjekt& element, int activeLayer, const ColourScheme& colours) noexcept
{
    if (element.Selected)
        return SameSide(element.Layer, activeLayer) ? SelectedActiveColour : SelectedOtherSideColour;
    const int index = LayerColourIndex(element.Layer);
    return index < 0 ? BlackColour : colours[index];
}

std::array<std::uint8_t, 8> HatchRows() noexcept
{
    // Pixel (c, r) takes the first colour when (c + r) mod 4 < 2: stripes rising to the right,
    // two pixels of each colour across.
    std::array<std::uint8_t, 8> rows{};
    for (int r = 0; r < 8; ++r) {
        std::uint8_t bits = 0;
        for (int c = 0; c < 8; ++c)
            if ((c + r) % 4 < 2)
                bits |= static_cast<std::uint8_t>(0x80 >> c);
        rows[static_cast<std::size_t>(r)] = bits;
    }
    return rows;
}

RenderPatterns RenderPatterns::make(const ColourScheme& colours)
{
    const auto rows = HatchRows();
    RenderPatterns p;
    p.plated = PatternBrush::make(rows, colours[ColourK1], colours[ColourK2]);
    p.restricted1 = PatternBrush::make(rows, colours[ColourK1], colours[ColourBackground]);
    p.restricted2 = PatternBrush::make(rows, colours[ColourK2], colours[ColourBackground]);
    return p;
}

// ---------------------------------------------------------------------------------------------
// ElementPainter

struct ElementPainter::Pass {
    ColourRef colour;
    bool highlighted; // one-colour drawing
    bool selected;    // Selected as this drawing sees it
    bool enlarge;     // one-colour drawing of a solder mask
};

ElementPainter::ElementPainter(Canvas& canvas_, const DrawSettings& settings)
    : canvas_(canvas_), set_(settings)
{
}

TPoint ElementPainter::at(std::int64_t x, std::int64_t y) const noexcept
{
    return {Saturate32(x + set_.offset.x), Saturate32(y + set_.offset.y)};
}

const TPoint* ElementPainter::nodes(const TObjekt& e)
{
    if (!hasOffset())
        return e.Points.data();
    moved_.resize(e.Points.size());
    for (std::size_t i = 0; i < e.Points.size(); ++i)
        moved_[i] = at(e.Points[i].x, e.Points[i].y);
    return moved_.data();
}

ColourRef ElementPainter::clearanceColour(bool highlighted) const noexcept
{
    if (set_.printing)
        return set_.printNegative ? set_.printColour : WhiteColour;
    if (highlighted)
        return WhiteColour;
    return set_.colours[ColourBackground]; // the photo view passes its own background here
}

ColourRef ElementPainter::holeColourOf(const TObjekt& pad) const noexcept
{
    // A plated hole shows the other side's copper through it.
    if (pad.Twin && !set_.photo) {
        const int index = LayerColourIndex(OppositeLayer(pad.Layer));
        return index < 0 ? WhiteColour : set_.colours[index];
    }
    return WhiteColour;
}

void NoteDrawn(TObjekt& element, int activeLayer, bool clearHighlight) noexcept
{
    const auto layer = static_cast<std::uint8_t>(activeLayer);
    if (element.DrawLayer != layer)
        element.DrawLayer = layer;
    if (clearHighlight && element.Highlight != 0)
        element.Highlight = 0;
}

void ElementPainter::DrawElement(TObjekt& element, int activeLayer)
{
    NoteDrawn(element, activeLayer, true);
    const ColourRef colour =
        set_.inverting ? set_.previewColour : ElementColour(element, activeLayer, set_.colours);
    drawKind(element, Pass{colour, false, element.Selected != 0, false});
}

void ElementPainter::DrawInColour(TObjekt& element, ColourRef colour, bool enlarge)
{
    const std::uint8_t selected = element.Selected;
    element.Selected = 0;
    element.Highlight = 1;
    drawKind(element, Pass{colour, true, false, enlarge});
    element.Highlight = 0;
    element.Selected = selected;
}

void ElementPainter::DrawClearance(TObjekt& element, int activeLayer)
{
    NoteDrawn(element, activeLayer, false);
    const bool highlighted = element.Highlight != 0;
    drawClearanceKind(element, clearanceColour(highlighted), std::max(element.Clearance, 0), highlighted);
}

void ElementPainter::drawKind(const TObjekt& e, const Pass& pass)
{
    const ColourRef col = pass.colour;
    switch (e.Kind) {
    case KindLine:
        canvas_.setPen(CanvasPen::units(col, e.Width));
        canvas_.line(at(e.X, e.Y), at(e.Size1, e.Size2));
        break;
    case KindPad: {
        ColourRef hole = holeColourOf(e);
        if (pass.highlighted)
            hole = pass.enlarge ? col : (set_.printNegative ? set_.printColour : WhiteColour);
        const std::int64_t extra = pass.highlighted && pass.enlarge ? set_.padMaskMargin : 0;
        drawPadCore(e, col, false, extra, hole, pass.highlighted, pass.selected);
        break;
    }
    case KindFontText:
        drawFontText(e, col);
        break;
    case KindArea: {
        if (e.Points.size() < 2)
            break;
        canvas_.setPen(CanvasPen::units(col, e.Width));
        const PatternBrush* hatch = nullptr;
        if (e.Restricted && set_.patterns && !set_.inverting && !pass.highlighted)
            hatch = e.Layer <= 2 ? &set_.patterns->restricted1 : &set_.patterns->restricted2;
        canvas_.setBrush(hatch ? CanvasBrush::hatch(*hatch) : CanvasBrush::solid(col));
        if (e.Closed)
            canvas_.polygon(nodes(e), e.Points.size());
        else
            canvas_.polyline(nodes(e), e.Points.size());
        if (pass.selected && e.Groups.empty() && !hasOffset())
            drawNodeHandles(e);
        break;
    }
    case KindCircle: {
        const std::int64_t w = static_cast<std::int64_t>(e.Size1) - e.Size2;
        canvas_.setBrush(CanvasBrush::solid(col));
        canvas_.setPen(CanvasPen::units(col, static_cast<double>(w), PenStyle::Solid));
        drawCircle(e, static_cast<double>(w), e.Size1 - RoundHalfEven64(static_cast<double>(w) / 2.0));
        if (pass.selected && e.Groups.empty())
            drawArcHandles(e);
        break;
    }
    case KindTrack:
        drawTrack(e, pass, true);
        break;
    case KindLayoutText: {
        const Pass strokePass{col, pass.highlighted, false, pass.enlarge};
        for (const TObjekt& stroke : e.Strokes)
            drawTrack(stroke, strokePass, false);
        break;
    }
    case KindSmdPad: {
        std::int64_t hx = RoundHalfEven64(e.Size1 / 2.0);
        std::int64_t hy = RoundHalfEven64(e.Size2 / 2.0);
        if (pass.highlighted && pass.enlarge) {
            hx += set_.smdMaskMargin;
            hy += set_.smdMaskMargin;
        }
        canvas_.setPen(set_.inverting ? CanvasPen::none() : CanvasPen::pixels(col, 1));
        canvas_.setBrush(CanvasBrush::solid(col));
        const TPoint c = at(e.X, e.Y);
        canvas_.rectangle(c.x - hx, c.y - hy, c.x + hx, c.y + hy);
        break;
    }
    default:
        break;
    }
}

void ElementPainter::drawTrack(const TObjekt& e, const Pass& pass, bool handles)
{
    if (e.Points.size() < 2)
        return;
    canvas_.setPen(CanvasPen::units(pass.colour, e.Width));
    canvas_.polyline(nodes(e), e.Points.size());
    if (e.Autorouted && !pass.highlighted && !set_.photo && !set_.inverting) {
        // The stripe only shows on tracks at least three pixels wide; a third of that, in whole
        // pixels, keeps it centred and clearly inside the track.
        const std::int64_t onScreen = RoundHalfEven64(static_cast<double>(e.Width) * canvas_.unitPixels());
        if (onScreen >= 3) {
            canvas_.setPen(CanvasPen::units(stripeColour(pass.colour),
                                            pixels(static_cast<double>(onScreen / 3)), PenStyle::Solid));
            canvas_.polyline(nodes(e), e.Points.size());
        }
    }
    if (handles && pass.selected && e.Groups.empty() && !hasOffset())
        drawNodeHandles(e);
}

void ElementPainter::drawCircle(const TObjekt& e, double penWidth, std::int64_t radius)
{
    // The pen runs on the centre line, so the ring spans the inner to the outer radius.
    const TPoint c = at(e.X, e.Y);
    const TPoint s0 = PointOnCircle(e, e.Angle);
    const TPoint s1 = PointOnCircle(e, e.Width);
    const TPoint start = at(s0.x, s0.y);
    const TPoint stop = at(s1.x, s1.y);
    const std::int64_t x1 = std::int64_t{c.x} - radius, x2 = std::int64_t{c.x} + radius;
    const std::int64_t y1 = std::int64_t{c.y} - radius, y2 = std::int64_t{c.y} + radius;
    if (e.Filled)
        canvas_.chord(x1, y1, x2, y2, start, stop);
    else
        canvas_.arc(x1, y1, x2, y2, start, stop);
}

void ElementPainter::drawFontText(const TObjekt& e, ColourRef colour)
{
    CanvasFont font;
    font.family = QStringLiteral("Arial");
    font.height = e.Width;
    font.weight = 700;
    font.escapement = static_cast<int>(std::clamp<std::int64_t>(std::int64_t{e.Angle} * 10, -36000, 36000));
    // Glyphs are never mirrored; in a mirrored view the text starts at its box's other end.
    TPoint anchor = at(e.X, e.Y);
    if (set_.mirrored)
        anchor = (e.Angle == 0 || e.Angle == 180) ? at(e.Size1, e.Y) : at(e.X, e.Size2);
    canvas_.text(anchor, QString::fromStdString(Cp1252ToUtf8(e.Text)), font, colour);
}

void ElementPainter::drawPadShape(const TObjekt& pad, std::int64_t r, std::int64_t s)
{
    const TPoint c = at(pad.X, pad.Y);
    const std::int64_t x = c.x, y = c.y;
    const std::int64_t k = RoundHalfEven64(0.585 * static_cast<double>(r));
    const std::int64_t corner = RoundHalfEven64(1.5 * static_cast<double>(r));
    auto octagon = [&](std::int64_t a, std::int64_t b) {
        const TPoint v[8] = {
            {Saturate32(x - a), Saturate32(y + b - k)}, {Saturate32(x - a + k), Saturate32(y + b)},
            {Saturate32(x + a - k), Saturate32(y + b)}, {Saturate32(x + a), Saturate32(y + b - k)},
            {Saturate32(x + a), Saturate32(y - b + k)}, {Saturate32(x + a - k), Saturate32(y - b)},
            {Saturate32(x - a + k), Saturate32(y - b)}, {Saturate32(x - a), Saturate32(y - b + k)},
        };
        canvas_.polygon(v, 8);
    };
    switch (pad.Shape) {
    case ShapeOctagon:
        octagon(r, r);
        break;
    case ShapeSquare:
        canvas_.rectangle(x - r, y - r, x + r, y + r);
        break;
    case ShapeRoundedWide:
        canvas_.roundRect(x - s, y - r, x + s, y + r, corner, corner);
        break;
    case ShapeOctagonWide:
        octagon(s, r);
        break;
    case ShapeRectWide:
        canvas_.rectangle(x - s, y - r, x + s, y + r);
        break;
    case ShapeRoundedTall:
        canvas_.roundRect(x - r, y - s, x + r, y + s, corner, corner);
        break;
    case ShapeOctagonTall:
        octagon(r, s);
        break;
    case ShapeRectTall:
        canvas_.rectangle(x - r, y - s, x + r, y + s);
        break;
    default:
        canvas_.ellipse(x - r, y - r, x + r, y + r);
        break; // round, and any unknown code
    }
}

void ElementPainter::drawCross(std::int64_t x, std::int64_t y, std::int64_t h, ColourRef colour)
{
    canvas_.setPen(CanvasPen::pixels(colour, 1));
    canvas_.line({Saturate32(x - h), Saturate32(y + h)}, {Saturate32(x + h), Saturate32(y - h)});
    canvas_.line({Saturate32(x + h), Saturate32(y + h)}, {Saturate32(x - h), Saturate32(y - h)});
}

void ElementPainter::drawPadCore(const TObjekt& pad, ColourRef col, bool clearanceMode, std::int64_t extra,
                                 ColourRef holeColour, bool highlighted, bool selected)
{
    const std::int64_t R = pad.Size1;
    const std::int64_t d = pad.Size2;
    const std::int64_t r = R + extra;
    const std::int64_t s = 2 * R + extra;
    const bool hatch = pad.Twin && !set_.photo && !highlighted && !selected && !clearanceMode &&
                       !set_.inverting && set_.patterns && (pad.Layer == LayerK1 || pad.Layer == LayerK2);
    const ColourRef background = highlighted ? WhiteColour : clearanceColour(false);
    const bool clearanceShown = extra > 0 && col == background;

    canvas_.setPen(set_.inverting ? CanvasPen::none() : CanvasPen::pixels(col, 1));
    canvas_.setBrush(hatch ? CanvasBrush::hatch(set_.patterns->plated) : CanvasBrush::solid(col));
    const TPoint c = at(pad.X, pad.Y);
    const std::int64_t x = c.x, y = c.y;
    if (d != R || clearanceShown) {
        drawPadShape(pad, r, s);
        if ((set_.inverting || highlighted) && d > 0) {
            const ColourRef h = set_.inverting ? set_.previewHoleColour : holeColour;
            canvas_.setPen(CanvasPen::pixels(h, 1));
            canvas_.setBrush(CanvasBrush::solid(h));
            canvas_.ellipse(x - d, y - d, x + d, y + d);
        }
        return;
    }
    // A bare hole: the drill in the hole colour and a cross over it.
    if (d > 0) {
        canvas_.setPen(CanvasPen::pixels(holeColour, 1));
        canvas_.setBrush(CanvasBrush::solid(holeColour));
        canvas_.ellipse(x - d, y - d, x + d, y + d);
    }
    if (!set_.photo)
        drawCross(x, y, RoundHalfEven64(static_cast<double>(R) / 2.0), col);
}

void ElementPainter::handle(TPoint centre, double radius)
{
    const std::int64_t r = RoundHalfEven64(radius);
    canvas_.ellipse(std::int64_t{centre.x} - r, std::int64_t{centre.y} - r, std::int64_t{centre.x} + r,
                    std::int64_t{centre.y} + r);
}

void ElementPainter::drawNodeHandles(const TObjekt& e)
{
    canvas_.setPen(CanvasPen::pixels(WhiteColour, 1));
    canvas_.setBrush(CanvasBrush::solid(HandleFillColour));
    const double radius = std::max(e.Width / 2.0, pixels(3));
    for (const TPoint& p : e.Points)
        handle(at(p.x, p.y), radius);
}

void ElementPainter::drawArcHandles(const TObjekt& e)
{
    canvas_.setPen(CanvasPen::pixels(WhiteColour, 1));
    canvas_.setBrush(CanvasBrush::solid(HandleFillColour));
    const double radius = std::max((static_cast<double>(e.Size1) - e.Size2) / 2.0, pixels(3));
    const TPoint a = PointOnMidCircle(e, e.Angle);
    const TPoint b = PointOnMidCircle(e, e.Width);
    handle(at(a.x, a.y), radius);
    handle(at(b.x, b.y), radius);
}

void ElementPainter::drawClearanceKind(const TObjekt& e, ColourRef col, std::int32_t clearance,
                                       bool highlighted)
{
    const double grow = 2.0 * clearance;
    canvas_.setBrush(CanvasBrush::solid(col));
    switch (e.Kind) {
    case KindLine:
        canvas_.setPen(CanvasPen::units(col, e.Width + grow));
        canvas_.line(at(e.X, e.Y), at(e.Size1, e.Size2));
        break;
    case KindTrack:
        if (e.Points.size() < 2)
            break;
        canvas_.setPen(CanvasPen::units(col, e.Width + grow));
        canvas_.polyline(nodes(e), e.Points.size());
        break;
    case KindPad:
        drawPadCore(e, col, true, clearance, holeColourOf(e), highlighted, false);
        break;
    case KindSmdPad: {
        const std::int64_t hx = RoundHalfEven64(e.Size1 / 2.0) + clearance;
        const std::int64_t hy = RoundHalfEven64(e.Size2 / 2.0) + clearance;
        canvas_.setPen(CanvasPen::pixels(col, 1));
        const TPoint c = at(e.X, e.Y);
        canvas_.rectangle(c.x - hx, c.y - hy, c.x + hx, c.y + hy);
        break;
    }
    case KindFontText: {
        const TPoint a = at(e.X, e.Y);
        const TPoint b = at(e.Size1, e.Size2);
        canvas_.setPen(CanvasPen::pixels(col, 1));
        canvas_.rectangle(
            std::int64_t{std::min(a.x, b.x)} - clearance, std::int64_t{std::min(a.y, b.y)} - clearance,
            std::int64_t{std::max(a.x, b.x)} + clearance, std::int64_t{std::max(a.y, b.y)} + clearance);
        break;
    }
    case KindArea: {
        if (e.Points.size() < 2)
            break;
        // A restricted area is a hole of its own outline, not grown: it is no copper to keep away from.
        const bool outlined = e.Restricted && e.Selected && e.Groups.empty() && !hasOffset();
        const double width = e.Restricted ? e.Width : e.Width + grow;
        canvas_.setPen(CanvasPen::units(outlined ? SelectedActiveColour : col, width));
        if (e.Closed)
            canvas_.polygon(nodes(e), e.Points.size());
        else
            canvas_.polyline(nodes(e), e.Points.size());
        if (outlined)
            drawNodeHandles(e);
        break;
    }
    case KindCircle: {
        const std::int64_t w = static_cast<std::int64_t>(e.Size1) - e.Size2;
        canvas_.setPen(CanvasPen::units(col, static_cast<double>(w) + grow, PenStyle::Solid));
        drawCircle(e, static_cast<double>(w) + grow, e.Size1 - RoundHalfEven64(static_cast<double>(w) / 2.0));
        break;
    }
    case KindLayoutText:
        for (const TObjekt& stroke : e.Strokes) {
            if (stroke.Points.size() < 2)
                continue;
            canvas_.setPen(CanvasPen::units(col, stroke.Width + grow));
            canvas_.polyline(nodes(stroke), stroke.Points.size());
        }
        break;
    default:
        break;
    }
}

void ElementPainter::DrawHole(const TObjekt& pad, bool cross)
{
    const std::int64_t d = pad.Size2;
    const TPoint c = at(pad.X, pad.Y);
    const std::int64_t x = c.x, y = c.y;
    if (d > 0) {
        const ColourRef ring = set_.photo ? BlackColour : pad.Twin ? PlatedRingColour : WhiteColour;
        canvas_.setPen(CanvasPen::pixels(ring, 1));
        canvas_.setBrush(CanvasBrush::solid(WhiteColour));
        canvas_.ellipse(x - d, y - d, x + d, y + d);
    }
    if (cross && !set_.photo && pad.Size2 == pad.Size1)
        drawCross(x, y, RoundHalfEven64(static_cast<double>(pad.Size1) / 2.0),
                  pad.Selected ? SelectedActiveColour : BlackColour);
}

TPoint ElementPainter::centreOf(const TObjekt& e) const noexcept
{
    const TRect b = Bounds(e);
    return at((b.left + b.right) / 2, (b.top + b.bottom) / 2);
}

void ElementPainter::DrawElementDot(TObjekt& element, int activeLayer)
{
    NoteDrawn(element, activeLayer, true);
    canvas_.dot(centreOf(element),
                set_.inverting ? set_.previewColour : ElementColour(element, activeLayer, set_.colours));
}

void ElementPainter::DrawClearanceDot(TObjekt& element, int activeLayer)
{
    NoteDrawn(element, activeLayer, false);
    canvas_.dot(centreOf(element), clearanceColour(element.Highlight != 0));
}

void ElementPainter::DrawHoleDot(const TObjekt& pad, bool cross)
{
    const TPoint c = at(pad.X, pad.Y);
    if (cross && !set_.photo && pad.Size2 == pad.Size1)
        canvas_.dot(c, pad.Selected ? SelectedActiveColour : BlackColour);
    else if (pad.Size2 > 0)
        canvas_.dot(c, set_.photo ? BlackColour : pad.Twin ? PlatedRingColour : WhiteColour);
}

void ElementPainter::DrawConnection(const TObjekt& from, const TObjekt& to, ColourRef colour)
{
    canvas_.setPen(CanvasPen::pixels(colour, 1));
    canvas_.line(at(from.X, from.Y), at(to.X, to.Y));
}

} // namespace trevok

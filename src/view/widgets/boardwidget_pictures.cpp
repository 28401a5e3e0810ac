// The board widget's pictures that are not the cached board: the tool previews drawn over it,
// and the picture of the selection for the system clipboard.
#include "view/widgets/boardwidget.h"

#include "document/project.h"
#include "view/qpaintercanvas.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidgetgeometry.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <set>

namespace trevok
{

using boardwidget::grown;
using boardwidget::pixelOf;
using boardwidget::unite;

QRect BoardWidget::previewRect(const Preview& p) const
{
    std::optional<TRect> r;
    auto add = [&](const TRect& t) { r = r ? unite(*r, t) : t; };
    for (const TPoint& q : p.points)
        add({q.x, q.y, q.x, q.y});
    if (p.kind == PreviewKind::SelectionRect || p.kind == PreviewKind::MeasureLine ||
        p.kind == PreviewKind::RouterWindow)
        add(p.rect);
    for (const TObjekt& s : p.shapes)
        add(Bounds(s));
    for (const TObjekt* e : p.elements) {
        const TRect b = Bounds(*e);
        add({b.left + p.offset.x, b.top + p.offset.y, b.right + p.offset.x, b.bottom + p.offset.y});
        // The rubber bands that follow a moved pad reach its partners.
        for (const TObjekt* q : e->Connections)
            if (q)
                add({std::min<std::int64_t>(q->X, q->X + std::int64_t{p.offset.x}),
                     std::min<std::int64_t>(q->Y, q->Y + std::int64_t{p.offset.y}),
                     std::max<std::int64_t>(q->X, q->X + std::int64_t{p.offset.x}),
                     std::max<std::int64_t>(q->Y, q->Y + std::int64_t{p.offset.y})});
    }
    if (!r)
        return {};
    std::int64_t reach = std::int64_t{p.width} / 2 + 1;
    if (p.kind == PreviewKind::CircleOutline)
        reach += std::abs(std::int64_t{p.radius});
    return deviceRect(grown(*r, reach));
}

void BoardWidget::drawPreviews(QPainter& painter, const QRect& area)
{
    TBoard* b = project_.currentBoard();
    if (!b || suspended_)
        return;
    painter.setClipRect(area);
    // The net found by the Test tool is painted over the board like a drawn element.
    if (const auto& net = previews_[static_cast<std::size_t>(PreviewKind::NetHighlight)])
        drawPreview(painter, *net);
    // Previews are drawn inverting, as rubber bands always were: a black pen shows the
    // inverse of what lies below, so it stays visible on the black background, on copper and
    // on the grid alike.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    for (auto& slot : previews_)
        if (slot && slot->kind != PreviewKind::NetHighlight)
            drawPreview(painter, *slot);
}

namespace
{

const void* undoTop(const TBoard& b) noexcept
{
    return b.UndoStack.empty() ? nullptr : static_cast<const void*>(b.UndoStack.back().data());
}

} // namespace

void BoardWidget::setMillingOverlay(std::vector<std::vector<TPoint>> contours, std::vector<TPoint> problems,
                                    std::vector<std::vector<TPoint>> openPaths)
{
    const TBoard* b = project_.currentBoard();
    milling_ = {};
    if (b) {
        milling_.board = b;
        milling_.undoDepth = b->UndoStack.size();
        milling_.undoTop = undoTop(*b);
        milling_.contours = std::move(contours);
        milling_.problems = std::move(problems);
        milling_.openPaths = std::move(openPaths);
    }
    viewport()->update();
}

void BoardWidget::clearMillingOverlay()
{
    if (!milling_.board)
        return;
    milling_ = {};
    viewport()->update();
}

void BoardWidget::dropStaleMillingOverlay()
{
    if (!milling_.board)
        return;
    const TBoard* b = project_.currentBoard();
    // A change was recorded (or another board is shown): the contours no longer describe it.
    if (b != milling_.board || b->UndoStack.size() != milling_.undoDepth || undoTop(*b) != milling_.undoTop)
        clearMillingOverlay();
}

void BoardWidget::drawMillingOverlay(QPainter& painter, const QRect& area)
{
    dropStaleMillingOverlay();
    const TBoard* b = project_.currentBoard();
    if (!milling_.board || !b)
        return;
    painter.save();
    painter.setClipRect(area);
    {
        QPainterCanvas canvas(painter);
        SetMapping(canvas, renderOptions(), *b);
        canvas.setPen(CanvasPen::units(Rgb(255, 255, 255), 2, PenStyle::Solid));
        canvas.setBrush(CanvasBrush::none());
        for (const std::vector<TPoint>& c : milling_.contours) {
            if (c.empty())
                continue;
            std::vector<TPoint> closed = c;
            closed.push_back(c.front());
            canvas.polyline(closed.data(), closed.size());
        }
        for (const std::vector<TPoint>& c : milling_.openPaths)
            if (c.size() >= 2)
                canvas.polyline(c.data(), c.size());
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 0, 0), 3));
    painter.setBrush(Qt::NoBrush);
    for (const TPoint& p : milling_.problems) {
        const QPointF at = view_.viewportPixelOf(p.x, p.y);
        painter.drawEllipse(at, 12, 12);
        painter.drawLine(at + QPointF(-17, 0), at + QPointF(17, 0));
        painter.drawLine(at + QPointF(0, -17), at + QPointF(0, 17));
    }
    painter.restore();
}

void BoardWidget::drawPreview(QPainter& painter, const Preview& pv)
{
    TBoard* b = project_.currentBoard();
    QPainterCanvas canvas(painter);
    const RenderOptions options = renderOptions();
    SetMapping(canvas, options, *b);
    const ColourRef colour = pv.colour;
    const PenStyle style = pv.dotted ? PenStyle::Dot : PenStyle::Solid;
    auto pen = [&](std::int32_t width) {
        canvas.setPen(width > 0 ? CanvasPen::units(colour, width, style)
                                : CanvasPen::pixels(colour, 1, style));
    };
    auto elements = [&](TPoint offset, auto&& each) {
        DrawSettings ds;
        ds.colours = colours_;
        ds.patterns = &patterns_;
        ds.mirrored = options.mirrored();
        ds.inverting = true;
        ds.previewColour = colour;
        ds.offset = offset;
        ElementPainter ep(canvas, ds);
        each(ep);
    };
    canvas.setBrush(CanvasBrush::none());
    switch (pv.kind) {
    case PreviewKind::RubberBand:
    case PreviewKind::ConnectionLine:
        pen(pv.kind == PreviewKind::RubberBand ? pv.width : 0);
        if (pv.points.size() >= 2)
            canvas.polyline(pv.points.data(), pv.points.size());
        break;
    case PreviewKind::PenDot:
        if (!pv.points.empty()) {
            const TPoint c = pv.points.front();
            const std::int64_t r = std::max<std::int64_t>(1, pv.width / 2);
            canvas.setPen(CanvasPen::none());
            canvas.setBrush(CanvasBrush::solid(colour));
            canvas.ellipse(c.x - r, c.y - r, c.x + r, c.y + r);
        }
        break;
    case PreviewKind::CircleOutline:
        if (!pv.points.empty()) {
            const TPoint c = pv.points.front();
            const std::int64_t r = std::abs(std::int64_t{pv.radius});
            pen(pv.width);
            canvas.ellipse(c.x - r, c.y - r, c.x + r, c.y + r);
        }
        break;
    case PreviewKind::SelectionRect:
        canvas.setPen(CanvasPen::pixels(colour, 1, PenStyle::Dot));
        canvas.rectangle(pv.rect.left, pv.rect.top, pv.rect.right, pv.rect.bottom);
        break;
    case PreviewKind::MeasureLine:
        canvas.setPen(CanvasPen::pixels(colour, 1, PenStyle::Dot));
        canvas.rectangle(pv.rect.left, pv.rect.top, pv.rect.right, pv.rect.bottom);
        canvas.setPen(CanvasPen::pixels(colour, 1));
        if (pv.points.size() >= 2)
            canvas.line(pv.points[0], pv.points[1]);
        break;
    case PreviewKind::Move:
        drawMovePreview(painter, pv);
        drawMovedConnections(canvas, pv);
        break;
    case PreviewKind::PadOutline:
    case PreviewKind::SmdRect:
    case PreviewKind::TextOutline:
    case PreviewKind::PolygonOutline:
    case PreviewKind::Node:
    case PreviewKind::ArcEnd: {
        const int active = b->ActiveLayer;
        elements(TPoint{0, 0}, [&](ElementPainter& ep) {
            for (const TObjekt& s : pv.shapes)
                ep.DrawElement(const_cast<TObjekt&>(s), active);
        });
        break;
    }
    case PreviewKind::NetHighlight:
        if (!pv.shapes.empty()) {
            DrawSettings ds;
            ds.colours = colours_;
            ElementPainter ep(canvas, ds);
            ep.DrawInColour(const_cast<TObjekt&>(pv.shapes.front()), colour, false);
        }
        break;
    case PreviewKind::RouterWindow:
        canvas.setPen(CanvasPen::none());
        canvas.setBrush(CanvasBrush::solid(colour));
        canvas.rectangle(pv.rect.left, pv.rect.top, pv.rect.right, pv.rect.bottom);
        break;
    case PreviewKind::Count:
        break;
    }
}

void BoardWidget::drawMovePreview(QPainter& painter, const Preview& pv)
{
    // The moved elements and the stretched track segments are drawn into a mask first and the
    // mask is inverted onto the screen in one go. Drawn one by one, every place two of them
    // cover would be inverted twice and vanish: the two pads of a through-plated pair lie on
    // one spot, and a track ends on its pad, so a moved part showed little but its print.
    const QRect area = painter.clipBoundingRect().toAlignedRect().intersected(viewport()->rect());
    if (area.isEmpty())
        return;
    TBoard* b = project_.currentBoard();
    QImage mask(area.size(), QImage::Format_RGB32);
    mask.fill(Qt::white); // white inverts nothing
    {
        QPainter mp(&mask);
        QPainterCanvas canvas(mp);
        RenderOptions options = renderOptions();
        options.scrollX += area.left();
        options.scrollY += area.top();
        SetMapping(canvas, options, *b);
        DrawSettings ds;
        ds.colours = colours_;
        ds.patterns = &patterns_;
        ds.mirrored = options.mirrored();
        ds.inverting = true;
        ds.previewColour = pv.colour;
        ds.previewHoleColour = WhiteColour;
        const int active = b->ActiveLayer;
        {
            ElementPainter still(canvas, ds);
            for (const TObjekt& s : pv.shapes)
                still.DrawElement(const_cast<TObjekt&>(s), active);
        }
        ds.offset = pv.offset;
        ElementPainter moved(canvas, ds);
        // Drawing records the layer it drew with in the element, as the board drawing does; the
        // element's data is not changed.
        for (const TObjekt* e : pv.elements)
            moved.DrawElement(const_cast<TObjekt&>(*e), active);
    }
    painter.drawImage(area.topLeft(), mask);
}

void BoardWidget::drawMovedConnections(Canvas& canvas, const Preview& pv)
{
    // The rubber bands of moved pads follow them: a line to a partner that moves too is drawn
    // once (inverting twice would erase it), a line to a partner that stays goes to where it is.
    const ColourRef colour = colours_.Colours[ColourConnection];
    std::set<const TObjekt*> moved(pv.elements.begin(), pv.elements.end());
    std::set<std::pair<const TObjekt*, const TObjekt*>> drawn;
    canvas.setPen(CanvasPen::pixels(colour, 1));
    for (const TObjekt* e : pv.elements) {
        if (!e->isPadLike())
            continue;
        for (const TObjekt* q : e->Connections) {
            if (!q)
                continue;
            const bool both = moved.count(q) != 0;
            if (both && !drawn.insert({std::min(e, q), std::max(e, q)}).second)
                continue;
            const TPoint from{e->X + pv.offset.x, e->Y + pv.offset.y};
            const TPoint to = both ? TPoint{q->X + pv.offset.x, q->Y + pv.offset.y} : TPoint{q->X, q->Y};
            canvas.line(from, to);
        }
    }
}

// --- the clipboard picture ------------------------------------------------------------------------

bool BoardWidget::selectionPicture(QByteArray& svg, QImage& png)
{
    TBoard* b = project_.currentBoard();
    if (!b)
        return false;
    std::optional<TRect> bounds;
    for (const auto& e : b->Elements)
        if (e->Selected) {
            const TRect r = Bounds(*e);
            bounds = bounds ? unite(*bounds, r) : r;
        }
    if (!bounds)
        return false;
    // The current zoom, but at least a pixel per 10 units and at most 4000 pixels a side, with
    // a margin of three pixels so that no edge of the drawing is lost to rounding.
    const double spanX = static_cast<double>(bounds->right - bounds->left);
    const double spanY = static_cast<double>(bounds->bottom - bounds->top);
    double z = std::max(view_.zoom(), 0.1);
    z = std::min(z, 3990.0 / std::max({spanX, spanY, 1.0}));
    const TRect area = grown(*bounds, RoundHalfEven64(3.0 / z) + 1);
    const double widthUnits = static_cast<double>(area.right - area.left);
    const double heightUnits = static_cast<double>(area.bottom - area.top);
    const int w = std::max(1, pixelOf(widthUnits * z));
    const int h = std::max(1, pixelOf(heightUnits * z));

    RenderOptions o = renderOptions();
    o.zoom = z;
    o.scrollX = static_cast<double>(area.left) * z;
    o.scrollY = -static_cast<double>(area.bottom) * z;
    o.photo = PhotoView();
    o.markedOnly = true;
    o.drawGrid = nullptr;
    o.suspended = false;

    // Only the selection is drawn: Mark is the drawing's scratch flag for that, restored after.
    std::vector<std::uint8_t> marks;
    marks.reserve(b->Elements.size());
    for (auto& e : b->Elements) {
        marks.push_back(e->Mark);
        e->Mark = e->Selected ? 1 : 0;
    }
    auto draw = [&](QPainter& p) {
        QPainterCanvas canvas(p);
        PaintBoard(canvas, *b, o);
    };
    png = QImage(w, h, QImage::Format_RGB32);
    png.fill(Qt::white);
    {
        QPainter p(&png);
        draw(p);
    }
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(w, h));
    generator.setViewBox(QRect(0, 0, w, h));
    {
        QPainter p(&generator);
        draw(p);
    }
    buffer.close();
    std::size_t i = 0;
    for (auto& e : b->Elements)
        e->Mark = marks[i++];
    return true;
}
} // namespace trevok

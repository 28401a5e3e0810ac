#include "dialogs/printpreview.h"

#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/templateimage.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

constexpr int PanelMargin = 20;
constexpr int ShadowOffset = 4;
constexpr int RulerGap = 15;
constexpr int ShortTick = 4;
constexpr int LongTick = 15;
constexpr std::int64_t TargetReach = 1000;
constexpr int MaxCacheSide = 8192;

} // namespace

PrintPreview::PrintPreview(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PB_Preview"));
    setMouseTracking(true);
    setMinimumSize(300, 300);
    setCursor(Qt::SizeAllCursor);
}

void PrintPreview::setSheet(TBoard* b, PrintSettings* s, std::array<PrintTemplate, 2> t)
{
    board_ = b;
    settings_ = s;
    templates_ = t;
    invalidateSheet();
}

void PrintPreview::setPaper(QSizeF paperMm_, QRectF printableMm_)
{
    paper_ = paperMm_;
    printable_ = printableMm_;
    invalidateSheet();
}

void PrintPreview::invalidateSheet()
{
    cacheValid_ = false;
    update();
}

double PrintPreview::mmPerPixel() const
{
    const double h = std::max(1, height() - 2 * PanelMargin);
    const double w = std::max(1, width() - 2 * PanelMargin);
    double f = paper_.height() / h;
    if (std::trunc(paper_.width() / f) > w)
        f = paper_.width() / w;
    return f;
}

QRectF PrintPreview::sheetRect() const
{
    const double f = mmPerPixel();
    const double w = std::trunc(paper_.width() / f);
    const double h = std::trunc(paper_.height() / f);
    return {std::round((width() - w) / 2.0), std::round((height() - h) / 2.0), w, h};
}

QPointF PrintPreview::printableCorner() const
{
    const double f = mmPerPixel();
    return sheetRect().topLeft() + QPointF(printable_.left() / f, printable_.top() / f);
}

double PrintPreview::pixelsPerUnit() const
{
    const double d = settings_ ? settings_->divisor : 1.0;
    return 1.0 / (mmPerPixel() * 100.0 * d);
}

void PrintPreview::rebuildCache()
{
    cacheValid_ = false;
    cache_ = QImage();
    if (!board_ || !settings_)
        return;
    PrintSettings s0 = *settings_;
    s0.offsetX = 0;
    s0.offsetY = 0;
    const double k = pixelsPerUnit();
    CanvasMapping m;
    m.windowExtX = s0.mirror ? -1.0 : 1.0;
    m.windowExtY = -1.0;
    m.viewportExtX = k;
    m.viewportExtY = k;
    const TPoint origin = PrintSheetOrigin(*board_, s0);
    m.windowOrgX = origin.x;
    m.windowOrgY = origin.y;

    // Everything one tile may draw: the board, the elements (also those beside the board, which
    // the printout shows), its templates, the register marks around it.
    TRect e{0, -std::int64_t{board_->BoardHeight}, board_->BoardWidth, 0};
    for (const auto& element : board_->Elements)
        e = e.united(Bounds(*element));
    if (s0.templates)
        for (const PrintTemplate& t : templates_)
            if (t.image)
                e = e.united(t.rect);
    const std::int64_t reach = TargetReach + s0.drillTextHeight * 2;
    const double left = static_cast<double>(e.left - reach);
    const double right = static_cast<double>(e.right + reach) +
                         (s0.tilesX - 1) * (static_cast<double>(board_->BoardWidth) + s0.gap);
    const double top = static_cast<double>(e.bottom + reach);
    const double bottom = static_cast<double>(e.top - reach) -
                          (s0.tilesY - 1) * (static_cast<double>(board_->BoardHeight) + s0.gap);
    const double x0 = std::min(m.deviceX(left), m.deviceX(right));
    const double x1 = std::max(m.deviceX(left), m.deviceX(right));
    const double y0 = std::min(m.deviceY(top), m.deviceY(bottom));
    const double y1 = std::max(m.deviceY(top), m.deviceY(bottom));
    const int w = static_cast<int>(std::ceil(x1 - x0)) + 2;
    const int h = static_cast<int>(std::ceil(y1 - y0)) + 2;
    cacheScale_ = k;
    if (w > MaxCacheSide || h > MaxCacheSide)
        return; // far too big to keep: drawn directly at every paint
    cacheOrigin_ = QPointF(std::floor(-x0) + 1, std::floor(-y0) + 1);
    cache_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    cache_.fill(Qt::transparent);
    {
        // The picture on the screen is drawn by the screen's own canvas, which fills the many
        // small shapes of a board far faster than QPainter; the page itself still prints
        // through QPainter.
        ImageCanvas canvas(cache_);
        m.viewportOrgX = cacheOrigin_.x();
        m.viewportOrgY = cacheOrigin_.y();
        canvas.setMapping(m);
        DrawPrintSheet(canvas, *board_, s0, templates_, origin);
    }
    ++sheetDraws_;
    cacheValid_ = true;
}

void PrintPreview::drawBoard(QPainter& p)
{
    if (!board_ || !settings_)
        return;
    const double k = pixelsPerUnit();
    if (!cacheValid_ || cacheScale_ != k)
        rebuildCache();
    const QPointF corner = printableCorner();
    const QPointF shift(-settings_->offsetX * k, settings_->offsetY * k);
    if (cacheValid_) {
        p.drawImage(corner + shift - cacheOrigin_, cache_);
        return;
    }
    QPainterCanvas canvas(p);
    CanvasMapping m;
    m.windowExtX = settings_->mirror ? -1.0 : 1.0;
    m.windowExtY = -1.0;
    m.viewportExtX = k;
    m.viewportExtY = k;
    m.viewportOrgX = corner.x();
    m.viewportOrgY = corner.y();
    canvas.setMapping(m);
    DrawPrintSheet(canvas, *board_, *settings_, templates_, PrintSheetOrigin(*board_, *settings_));
    ++sheetDraws_;
}

void PrintPreview::drawRulers(QPainter& p, const QRectF& sheet)
{
    const double f = mmPerPixel();
    const QPointF corner = printableCorner();
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::black);
    const double rulerY = sheet.top() - RulerGap;
    const double rulerX = sheet.left() - RulerGap;
    for (int mm = 0; mm <= static_cast<int>(printable_.width()); mm += 10) {
        const double x = std::round(corner.x() + mm / f);
        const bool major = mm % 50 == 0;
        p.drawLine(QPointF(x, rulerY), QPointF(x, rulerY + (major ? LongTick : ShortTick)));
        if (major)
            p.drawText(QPointF(x + 2, rulerY + 10), QString::number(mm));
    }
    for (int mm = 0; mm <= static_cast<int>(printable_.height()); mm += 10) {
        const double y = std::round(corner.y() + mm / f);
        const bool major = mm % 50 == 0;
        p.drawLine(QPointF(rulerX, y), QPointF(rulerX + (major ? LongTick : ShortTick), y));
        if (major) {
            p.drawText(QPointF(rulerX + 2, y + 11), QString::number(mm));
        }
    }
    if (marker_.x() >= 0) {
        p.setPen(Qt::blue);
        p.drawLine(QPointF(marker_.x(), rulerY), QPointF(marker_.x(), rulerY + LongTick));
        p.drawLine(QPointF(rulerX, marker_.y()), QPointF(rulerX + LongTick, marker_.y()));
    }
}

void PrintPreview::render(QPainter& p)
{
    p.fillRect(rect(), palette().color(QPalette::Mid));
    const QRectF sheet = sheetRect();
    p.fillRect(sheet.translated(ShadowOffset, ShadowOffset), Qt::darkGray);
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(sheet.adjusted(0, 0, -1, -1));

    const double f = mmPerPixel();
    const QRectF area(printableCorner(), QSizeF(printable_.width() / f, printable_.height() / f));
    p.save();
    p.setClipRect(area);
    drawBoard(p);
    p.restore();
    QPen dotted(Qt::red);
    dotted.setStyle(Qt::DotLine);
    p.setPen(dotted);
    p.setBrush(Qt::NoBrush);
    p.drawRect(area);
    drawRulers(p, sheet);
}

void PrintPreview::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    render(p);
}

void PrintPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    invalidateSheet();
}

void PrintPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    lastMouse_ = event->position().toPoint();
}

void PrintPreview::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    marker_ = pos;
    if (dragging_ && settings_) {
        const double e = printable_.width() * 100.0 / (printable_.width() / mmPerPixel());
        const QPoint step = pos - lastMouse_;
        settings_->offsetX += RoundHalfEven(-step.x() * e * settings_->divisor);
        settings_->offsetY += RoundHalfEven(step.y() * e * settings_->divisor);
        lastMouse_ = pos;
        emit offsetsChanged();
    }
    update();
}

void PrintPreview::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void PrintPreview::leaveEvent(QEvent*)
{
    marker_ = QPoint(-1, -1);
    update();
}

} // namespace trevok

#include "view/viewmodel.h"

#include "view/texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace trevok
{

namespace
{

constexpr double DefaultGrid = 254.0;

int clampToInt(double v) noexcept
{
    if (!(v > std::numeric_limits<int>::min()))
        return std::isnan(v) ? 0 : std::numeric_limits<int>::min();
    if (v >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return RoundHalfEven(v);
}

std::int64_t floorDiv(double a, double b) noexcept
{
    const double q = std::floor(a / b);
    if (q < -1e15)
        return -1'000'000'000'000'000LL;
    if (q > 1e15)
        return 1'000'000'000'000'000LL;
    return static_cast<std::int64_t>(q);
}

std::int64_t ceilDiv(double a, double b) noexcept
{
    return -floorDiv(-a, b);
}

} // namespace

double ClampZoom(double zoom) noexcept
{
    if (std::isnan(zoom))
        return DefaultZoom;
    return std::clamp(zoom, MinZoom, MaxZoom);
}

double ZoomIn(double zoom) noexcept
{
    return ClampZoom(zoom * ZoomStep);
}
double ZoomOut(double zoom) noexcept
{
    return ClampZoom(zoom / ZoomStep);
}

QSize SurfaceSize(std::int32_t boardWidth, std::int32_t boardHeight, double zoom) noexcept
{
    return {clampToInt(static_cast<double>(std::max<std::int32_t>(boardWidth, 0)) * zoom + 1),
            clampToInt(static_cast<double>(std::max<std::int32_t>(boardHeight, 0)) * zoom + 1)};
}

// ---------------------------------------------------------------------------------------------
// Grid

QString GridCaption(double grid)
{
    QString text = QString::number(grid / 100.0, 'g', 8) + QStringLiteral(" mm");
    if (text.size() < 9)
        text = QString(9 - text.size(), QLatin1Char(' ')) + text;
    return text;
}

bool GridLinesShown(double grid, double zoom) noexcept
{
    if (!(grid > 0) || !std::isfinite(grid) || !(zoom > 0))
        return false;
    const double pen = RoundHalfEven(1.0 / zoom);
    return 4.0 * pen < grid;
}

bool IsValidGridMarking(int marking) noexcept
{
    return marking == 0 || marking == 2 || marking == 4 || marking == 5 || marking == 10;
}

std::vector<GridLine> GridLinesIn(std::int32_t boardWidth, std::int32_t boardHeight, double grid, double zoom,
                                  int marking, const TRect& area)
{
    std::vector<GridLine> lines;
    if (!GridLinesShown(grid, zoom) || boardWidth <= 1 || boardHeight <= 1)
        return lines;
    // The part of the board inside the area; lines outside it are skipped.
    const std::int64_t left = std::max<std::int64_t>(area.left, 0);
    const std::int64_t right = std::min<std::int64_t>(area.right, boardWidth);
    const std::int64_t top = std::max<std::int64_t>(area.top, -static_cast<std::int64_t>(boardHeight));
    const std::int64_t bottom = std::min<std::int64_t>(area.bottom, 0);
    if (left > right || top > bottom)
        return lines;
    const auto isMarked = [marking](std::int64_t i) { return marking > 0 && i % marking == 0; };

    // Horizontal lines at y = −round(i·grid), i = 1..trunc((H − 1) ÷ grid), within top..bottom.
    const auto rows = static_cast<std::int64_t>(std::trunc((boardHeight - 1.0) / grid));
    const std::int64_t rowFirst = std::max<std::int64_t>(1, floorDiv(static_cast<double>(-bottom), grid) - 1);
    const std::int64_t rowLast = std::min<std::int64_t>(rows, ceilDiv(static_cast<double>(-top), grid) + 1);
    for (std::int64_t i = rowFirst; i <= rowLast; ++i) {
        const std::int32_t y = -RoundHalfEven(static_cast<double>(i) * grid);
        if (y < top || y > bottom)
            continue;
        lines.push_back(
            {static_cast<std::int32_t>(left), y, static_cast<std::int32_t>(right), y, isMarked(i)});
    }
    const auto cols = static_cast<std::int64_t>(std::trunc((boardWidth - 1.0) / grid));
    const std::int64_t colFirst = std::max<std::int64_t>(1, floorDiv(static_cast<double>(left), grid) - 1);
    const std::int64_t colLast = std::min<std::int64_t>(cols, ceilDiv(static_cast<double>(right), grid) + 1);
    for (std::int64_t i = colFirst; i <= colLast; ++i) {
        const std::int32_t x = RoundHalfEven(static_cast<double>(i) * grid);
        if (x < left || x > right)
            continue;
        lines.push_back(
            {x, static_cast<std::int32_t>(top), x, static_cast<std::int32_t>(bottom), isMarked(i)});
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Rulers

int RulerStep(bool inch) noexcept
{
    return inch ? 254 : 100;
}

int RulerLabelStep(double pixelsPerTick) noexcept
{
    if (pixelsPerTick > 40)
        return 1;
    if (pixelsPerTick >= 3)
        return 10;
    return 25;
}

QString RulerLabel(std::int64_t e, bool inch)
{
    const double v = inch ? static_cast<double>(e) / 10.0 : static_cast<double>(e);
    return QString::number(v, 'g', 3);
}

namespace
{

// Labels stand beside their tick, so ticks a little outside the ruler still matter.
constexpr int TickMargin = 80;

std::vector<RulerTick> rulerTicks(double zoom, bool inch, double base, std::int64_t n, int extent,
                                  bool horizontal)
{
    std::vector<RulerTick> ticks;
    const double p = RulerStep(inch) * zoom;
    if (!(p > 0) || extent <= 0)
        return ticks;
    const int m = RulerLabelStep(p);
    const std::int64_t first = std::max<std::int64_t>(-n, ceilDiv(-TickMargin - base, p));
    const std::int64_t last = std::min<std::int64_t>(n, floorDiv(extent + TickMargin - base, p));
    for (std::int64_t e = first; e <= last; ++e) {
        RulerTick t;
        t.pos = clampToInt(static_cast<double>(e) * p + base);
        if (e % m == 0) {
            t.length = 14;
            t.labelled = true;
            t.label = RulerLabel(e, inch);
        } else if ((2 * e) % m == 0) {
            if (horizontal && p <= 4)
                continue;
            t.length = 8;
            t.labelled = false;
        } else {
            if (p <= 4)
                continue;
            t.length = 4;
            t.labelled = false;
        }
        ticks.push_back(std::move(t));
    }
    return ticks;
}

} // namespace

std::vector<RulerTick> HorizontalRulerTicks(double zoom, bool inch, int scrollX, int scrollBoxLeft,
                                            std::int32_t originX, int width)
{
    const std::int64_t n = RoundHalfEven64(30000.0 / RulerStep(inch));
    const double base = -(static_cast<double>(scrollX) - scrollBoxLeft - originX * zoom);
    return rulerTicks(zoom, inch, base, n, width, true);
}

std::vector<RulerTick> VerticalRulerTicks(double zoom, bool inch, int scrollY, std::int32_t originY,
                                          std::int32_t boardHeight, int height, int scrollBoxTop)
{
    const std::int64_t n = RoundHalfEven64(static_cast<double>(boardHeight) / RulerStep(inch));
    const double base = -(originY * zoom + scrollY - scrollBoxTop);
    return rulerTicks(zoom, inch, base, std::abs(n), height, false);
}

QString UnitButtonCaption(bool inch)
{
    if (!inch)
        return QStringLiteral("M");
    return T("Z", "I", "I");
}

// ---------------------------------------------------------------------------------------------
// ViewModel

ViewModel::ViewModel(QObject* parent) : QObject(parent)
{
    surface_ = SurfaceSize(boardWidth_, boardHeight_, zoom_);
}

void ViewModel::note(unsigned changes)
{
    pending_ |= changes;
    if (batchDepth_ == 0) {
        const unsigned pending = pending_;
        pending_ = 0;
        if (pending != 0)
            emit changed(pending);
    }
}

void ViewModel::endBatch()
{
    if (--batchDepth_ == 0)
        note(0);
}

void ViewModel::loadFrom(TBoard& board)
{
    Batch batch(*this);
    board_ = &board;
    boardWidth_ = board.BoardWidth;
    boardHeight_ = board.BoardHeight;
    zoom_ = ClampZoom(board.Zoom);
    grid_ = (board.Grid > 0 && std::isfinite(board.Grid)) ? board.Grid : DefaultGrid;
    origin_ = board.Origin;
    updateSurface();
    scrollX_ = board.ScrollX;
    scrollY_ = board.ScrollY;
    limitScroll();
    note(SurfaceChanged | ScrollChanged | ZoomChanged | GridChanged | OriginChanged | HistoryChanged |
         RepaintNeeded);
}

void ViewModel::storeInto(TBoard& board) const
{
    board.Zoom = zoom_;
    board.ScrollX = scrollX_;
    board.ScrollY = scrollY_;
    board.Grid = grid_;
    board.Origin = origin_;
}

void ViewModel::detachBoard() noexcept
{
    board_ = nullptr;
    note(HistoryChanged);
}

void ViewModel::setBoardSize(std::int32_t width, std::int32_t height)
{
    if (width == boardWidth_ && height == boardHeight_)
        return;
    Batch batch(*this);
    boardWidth_ = width;
    boardHeight_ = height;
    updateSurface();
    limitScroll();
    note(RepaintNeeded);
}

void ViewModel::setViewportSize(QSize size)
{
    size = size.expandedTo(QSize(0, 0));
    if (size == viewport_)
        return;
    Batch batch(*this);
    viewport_ = size;
    limitScroll();
    note(ViewportChanged);
}

QPoint ViewModel::maxScroll() const noexcept
{
    return {std::max(0, surface_.width() - viewport_.width()),
            std::max(0, surface_.height() - viewport_.height())};
}

void ViewModel::limitScroll()
{
    const QPoint max = maxScroll();
    const int x = std::clamp(scrollX_, 0, max.x());
    const int y = std::clamp(scrollY_, 0, max.y());
    if (x != scrollX_ || y != scrollY_) {
        scrollX_ = x;
        scrollY_ = y;
        note(ScrollChanged);
    }
}

void ViewModel::setScrollPosition(int x, int y)
{
    const QPoint max = maxScroll();
    x = std::clamp(x, 0, max.x());
    y = std::clamp(y, 0, max.y());
    if (x == scrollX_ && y == scrollY_)
        return;
    scrollX_ = x;
    scrollY_ = y;
    note(ScrollChanged);
}

QSize ViewModel::scrollIncrement() const noexcept
{
    return {std::max(1, viewport_.width() / 16), std::max(1, viewport_.height() / 16)};
}

void ViewModel::updateSurface()
{
    const QSize s = SurfaceSize(boardWidth_, boardHeight_, zoom_);
    if (s != surface_) {
        surface_ = s;
        note(SurfaceChanged);
    }
}

void ViewModel::applyZoom(double zoom)
{
    zoom = ClampZoom(zoom);
    if (zoom != zoom_) {
        zoom_ = zoom;
        note(ZoomChanged | RepaintNeeded);
    }
    updateSurface();
    limitScroll();
}

void ViewModel::SetZoom(double zoom)
{
    if (std::isnan(zoom))
        return;
    Batch batch(*this);
    // The centre is limited to the largest board (or to a larger foreign board's own size).
    const double limit =
        std::max<double>({static_cast<double>(MaxCentreCoordinate), static_cast<double>(boardWidth_),
                          static_cast<double>(boardHeight_)});
    const double cx = std::min(limit, (scrollX_ + viewport_.width() / 2.0) / zoom_);
    const double cy = std::min(limit, (scrollY_ + viewport_.height() / 2.0) / zoom_);
    applyZoom(zoom);
    CentreOn(RoundHalfEven(cx), RoundHalfEven(cy));
}

void ViewModel::CentreOn(std::int32_t x, std::int32_t y)
{
    const double halfW = RoundHalfEven((viewport_.width() / 2.0) / zoom_);
    const double halfH = RoundHalfEven((viewport_.height() / 2.0) / zoom_);
    setScrollPosition(clampToInt(zoom_ * (x - halfW)), clampToInt(zoom_ * (y - halfH)));
}

std::int32_t ViewModel::surfaceX(std::int64_t boardX) const noexcept
{
    const std::int64_t x = mirrored_ ? static_cast<std::int64_t>(boardWidth_) - boardX : boardX;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(x, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

void ViewModel::setMirrored(bool mirrored)
{
    if (mirrored == mirrored_)
        return;
    mirrored_ = mirrored;
    note(MirrorChanged | RepaintNeeded);
}

QPointF ViewModel::boardPointAt(QPoint viewportPixel) const noexcept
{
    const double u = (scrollX_ + viewportPixel.x()) / zoom_;
    const double v = (scrollY_ + viewportPixel.y()) / zoom_;
    return {mirrored_ ? boardWidth_ - u : u, -v};
}

QPointF ViewModel::viewportPixelOf(double boardX, double boardY) const noexcept
{
    const double u = mirrored_ ? boardWidth_ - boardX : boardX;
    return {u * zoom_ - scrollX_, -boardY * zoom_ - scrollY_};
}

void ViewModel::wheel(int delta, QPoint viewportPixel)
{
    if (delta == 0)
        return;
    Batch batch(*this);
    if (delta < 0) {
        SetZoom(zoom_ / ZoomStep);
        return;
    }
    // The surface point under the cursor, limited to the board.
    const double u =
        std::clamp((scrollX_ + viewportPixel.x()) / zoom_, 0.0, static_cast<double>(boardWidth_));
    const double v =
        std::clamp((scrollY_ + viewportPixel.y()) / zoom_, 0.0, static_cast<double>(boardHeight_));
    applyZoom(zoom_ * ZoomStep);
    CentreOn(RoundHalfEven(u), RoundHalfEven(v));
}

void ViewModel::wheelAtCursor(int delta, QPoint viewportPixel)
{
    if (delta == 0)
        return;
    Batch batch(*this);
    const double u = (scrollX_ + viewportPixel.x()) / zoom_;
    const double v = (scrollY_ + viewportPixel.y()) / zoom_;
    applyZoom(delta > 0 ? zoom_ * ZoomStep : zoom_ / ZoomStep);
    setScrollPosition(clampToInt(u * zoom_ - viewportPixel.x()), clampToInt(v * zoom_ - viewportPixel.y()));
}

void ViewModel::wheelScroll(int delta, bool sideways)
{
    const int visible = sideways ? viewport_.width() : viewport_.height();
    const int step = clampToInt(-static_cast<double>(delta) * visible / (5.0 * 120.0));
    if (sideways)
        scrollBy(step, 0);
    else
        scrollBy(0, step);
}

// ---------------------------------------------------------------------------------------------
// Zoom commands and previous views

void ViewModel::PushView()
{
    if (board_ == nullptr)
        return;
    board_->PreviousViews.push_back({scrollX_, scrollY_, zoom_});
    note(HistoryChanged);
}

bool ViewModel::canPopView() const noexcept
{
    return board_ != nullptr && !board_->PreviousViews.empty();
}

bool ViewModel::PopView()
{
    if (!canPopView())
        return false;
    Batch batch(*this);
    const TViewState view = board_->PreviousViews.back();
    board_->PreviousViews.pop_back();
    note(HistoryChanged);
    SetZoom(view.Zoom);
    setScrollPosition(view.ScrollX, view.ScrollY);
    note(RepaintNeeded);
    return true;
}

void ViewModel::zoomBoard()
{
    Batch batch(*this);
    PushView();
    if (boardWidth_ <= 0 || boardHeight_ <= 0)
        return;
    const double z =
        std::min((viewport_.width() - 10.0) / boardWidth_, (viewport_.height() - 10.0) / boardHeight_);
    SetZoom(z);
}

namespace
{

std::optional<TRect> unionOfBounds(const ElementList& elements, bool selectedOnly)
{
    std::optional<TRect> r;
    for (const auto& e : elements) {
        if (!e || (selectedOnly && !e->Selected))
            continue;
        const TRect b = Bounds(*e);
        r = r ? r->united(b) : b;
    }
    return r;
}

} // namespace

void ViewModel::zoomAllObjects(const ElementList& elements)
{
    zoomToRect(unionOfBounds(elements, false));
}

void ViewModel::zoomSelection(const ElementList& elements)
{
    zoomToRect(unionOfBounds(elements, true));
}

void ViewModel::zoomToRect(std::optional<TRect> rect)
{
    Batch batch(*this);
    PushView();
    if (!rect)
        return;
    const std::int64_t w = rect->right - rect->left;
    const std::int64_t h = rect->bottom - rect->top;
    if (std::llabs(w) < 50 || std::llabs(h) < 50)
        return;
    applyZoom(std::min((viewport_.width() - 20.0) / static_cast<double>(std::llabs(w)),
                       (viewport_.height() - 20.0) / static_cast<double>(std::llabs(h))));
    // Sums of 64-bit bounds cannot overflow for coordinates of 32-bit elements.
    const std::int64_t cx =
        std::min<std::int64_t>(std::llabs(rect->left + rect->right) / 2, MaxCentreCoordinate);
    const std::int64_t cy =
        std::min<std::int64_t>(std::llabs(rect->top + rect->bottom) / 2, MaxCentreCoordinate);
    CentreOn(surfaceX(cx) - 10, static_cast<std::int32_t>(cy) - 10);
    note(RepaintNeeded);
}

void ViewModel::zoomToolRelease(TPoint anchor, TPoint release)
{
    Batch batch(*this);
    PushView();
    const auto limitX = [this](std::int64_t x) { return std::clamp<std::int64_t>(x, 0, boardWidth_); };
    const auto limitY = [this](std::int64_t y) {
        return std::clamp<std::int64_t>(y, -static_cast<std::int64_t>(boardHeight_), 0);
    };
    const std::int64_t ax = limitX(anchor.x), ay = limitY(anchor.y);
    const std::int64_t rx = limitX(release.x), ry = limitY(release.y);
    const std::int64_t dx = std::llabs(rx - ax);
    const std::int64_t dy = std::llabs(ry - ay);
    if (dx * zoom_ > 8 && dy * zoom_ > 8) {
        applyZoom(std::min(viewport_.width() / static_cast<double>(dx),
                           viewport_.height() / static_cast<double>(dy)));
        const std::int64_t cx = std::min<std::int64_t>((ax + rx) / 2, MaxCentreCoordinate);
        const std::int64_t cy = std::min<std::int64_t>(-(ay + ry) / 2, MaxCentreCoordinate);
        CentreOn(surfaceX(cx), static_cast<std::int32_t>(cy));
    } else {
        applyZoom(zoom_ * ZoomStep);
        CentreOn(surfaceX(rx), static_cast<std::int32_t>(-ry));
    }
    note(RepaintNeeded);
}

void ViewModel::zoomToolRightClick()
{
    Batch batch(*this);
    PushView();
    SetZoom(zoom_ / ZoomStep);
}

// ---------------------------------------------------------------------------------------------
// Grid, origin, unit

bool ViewModel::setGrid(double grid)
{
    if (!(grid > 0) || !std::isfinite(grid))
        return false;
    if (grid != grid_) {
        grid_ = grid;
        note(GridChanged | RepaintNeeded);
    }
    return true;
}

void ViewModel::setGridVisible(bool visible)
{
    if (visible == gridVisible_)
        return;
    gridVisible_ = visible;
    note(GridDisplayChanged | RepaintNeeded);
}

bool ViewModel::setGridMarking(int marking)
{
    if (!IsValidGridMarking(marking))
        return false;
    if (marking != gridMarking_) {
        gridMarking_ = marking;
        note(GridDisplayChanged | RepaintNeeded);
    }
    return true;
}

void ViewModel::setOrigin(TPoint origin)
{
    if (origin == origin_)
        return;
    origin_ = origin;
    note(OriginChanged);
}

void ViewModel::setInchUnit(bool inch)
{
    if (inch == inch_)
        return;
    inch_ = inch;
    note(UnitChanged);
}

void ViewModel::setNavigatorVisible(bool visible)
{
    if (visible == navigatorVisible_)
        return;
    navigatorVisible_ = visible;
    note(NavigatorShownChanged);
}

// ---------------------------------------------------------------------------------------------
// Rulers and navigator

std::vector<RulerTick> ViewModel::horizontalTicks(int scrollBoxLeft, int width) const
{
    return HorizontalRulerTicks(zoom_, inch_, scrollX_, scrollBoxLeft, origin_.x, width);
}

std::vector<RulerTick> ViewModel::verticalTicks(int height, int scrollBoxTop) const
{
    return VerticalRulerTicks(zoom_, inch_, scrollY_, origin_.y, boardHeight_, height, scrollBoxTop);
}

NavigatorGeometry ViewModel::navigator() const noexcept
{
    NavigatorGeometry g;
    const double w = std::max<std::int32_t>(boardWidth_, 1);
    const double h = std::max<std::int32_t>(boardHeight_, 1);
    g.unitsPerPixel = std::max(w, h) / NavigatorBoardPixels;
    const double b = g.unitsPerPixel;
    const int bw = RoundHalfEven(w / b);
    const int bh = RoundHalfEven(h / b);
    // Centred in a square area as wide as the navigator.
    g.board = QRect((NavigatorAreaWidth - bw) / 2, (NavigatorAreaWidth - bh) / 2, bw, bh);
    g.frame = g.board.adjusted(-1, -1, 1, 1);
    g.visible = QRect(g.board.left() + clampToInt(scrollX_ / zoom_ / b),
                      g.board.top() + clampToInt(scrollY_ / zoom_ / b),
                      clampToInt(viewport_.width() / zoom_ / b), clampToInt(viewport_.height() / zoom_ / b));
    return g;
}

QPoint ViewModel::navigatorDragTo(QPoint topLeft)
{
    const NavigatorGeometry g = navigator();
    const int left = std::clamp(topLeft.x(), 0, std::max(0, g.board.width() - g.visible.width()));
    const int top = std::clamp(topLeft.y(), 0, std::max(0, g.board.height() - g.visible.height()));
    setScrollPosition(clampToInt(zoom_ * left * g.unitsPerPixel), clampToInt(zoom_ * top * g.unitsPerPixel));
    return {left, top};
}

void ViewModel::navigatorClick(bool rightButton)
{
    Batch batch(*this);
    PushView();
    SetZoom(rightButton ? zoom_ / ZoomStep : zoom_ * ZoomStep);
}

} // namespace trevok

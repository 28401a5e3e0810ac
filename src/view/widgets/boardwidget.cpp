#include "view/widgets/boardwidget.h"

#include "document/parallel.h"
#include "document/project.h"
#include "edit/session.h"
#include "view/grid.h"
#include "view/viewmodel.h"
#include "view/widgets/boardwidgetgeometry.h"
#include "view/widgets/cursors.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace trevok
{

using boardwidget::modifiersOf;
using boardwidget::pixelOf;

namespace
{

/// The colour around the board, where the scroll box is larger than the drawing surface.
constexpr QRgb OutsideColour = qRgb(128, 128, 128);
/// Pixels added around invalidated board rectangles: one-pixel outlines and node handles reach
/// a little past an element's bounds, and rounding may move an edge by a pixel.
constexpr int RepaintMargin = 5;
/// More dirty rectangles than this are repainted as their bounding rectangle: each rectangle
/// costs a pass over the board's element buckets.
constexpr int MaxDirtyRects = 8;
/// Milliseconds between two steps of automatic scrolling while the mouse rests at an edge.
constexpr int AutoScrollInterval = 30;

/// Moves the picture's content by (dx, dy) pixels; what is uncovered keeps stale pixels.
void shiftImage(QImage& image, int dx, int dy)
{
    const int w = image.width();
    const int h = image.height();
    if (std::abs(dx) >= w || std::abs(dy) >= h)
        return;
    const int bpp = image.depth() / 8;
    const int copyWidth = (w - std::abs(dx)) * bpp;
    const int srcX = dx < 0 ? -dx : 0;
    const int dstX = dx > 0 ? dx : 0;
    auto moveRow = [&](int from, int to) {
        std::memmove(image.scanLine(to) + dstX * bpp, image.constScanLine(from) + srcX * bpp,
                     static_cast<std::size_t>(copyWidth));
    };
    if (dy > 0) {
        for (int y = h - 1; y >= dy; --y)
            moveRow(y - dy, y);
    } else {
        for (int y = 0; y < h + dy; ++y)
            moveRow(y - dy, y);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The origin marker

/// K0_Shape: a small ring with a cross at the board origin, dragged with the Standard tool.
class OriginMarker : public QWidget
{
  public:
    static constexpr int Size = 13;

    OriginMarker(BoardWidget& owner, QWidget* parent) : QWidget(parent), board(owner)
    {
        setObjectName(QStringLiteral("K0_Shape"));
        resize(Size, Size);
        setCursor(Qt::SizeAllCursor);
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor colour = isEnabled() ? QColor(0, 0, 0) : QColor(110, 110, 110);
        p.setPen(QPen(colour, 1));
        p.setBrush(QColor(255, 255, 0));
        const QRectF r(1.5, 1.5, Size - 3, Size - 3);
        p.drawEllipse(r);
        p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
        p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && board.session_) {
            dragging = true;
            board.session_->originMarkerPress();
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!dragging || !board.session_)
            return;
        const QPoint at = mapTo(board.viewport(), e->position().toPoint());
        board.session_->originMarkerMove(board.boardPoint(at), modifiersOf(e->modifiers()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && dragging) {
            dragging = false;
            if (board.session_)
                board.session_->originMarkerRelease();
        }
    }

  private:
    BoardWidget& board;
    bool dragging = false;
};

// ---------------------------------------------------------------------------------------------

BoardWidget::BoardWidget(TProject& project, ViewModel& view, QWidget* parent)
    : QAbstractScrollArea(parent), project_(project), view_(view), colours_(CurrentColours()),
      patterns_(RenderPatterns::make(colours_))
{
    setObjectName(QStringLiteral("PaintBox"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    marker_ = new OriginMarker(*this, viewport());
    marker_->setEnabled(false);
    connect(&view_, &ViewModel::changed, this, &BoardWidget::viewChanged);
    view_.setViewportSize(viewport()->size());
    syncScrollBars();
    placeOriginMarker();
}

BoardWidget::~BoardWidget()
{
    disconnect(&view_, nullptr, this, nullptr);
}

void BoardWidget::setSession(EditSession* session)
{
    session_ = session;
    marker_->setEnabled(session && session->tool() == ToolStandard);
}

// --- for the main window ------------------------------------------------------------------------

void BoardWidget::setColourScheme(const ColourScheme& colours)
{
    colours_ = colours;
    patterns_ = RenderPatterns::make(colours_);
    repaintAll();
}

void BoardWidget::setPhotoView(const PhotoView& photo)
{
    photo_ = photo;
    view_.setMirrored(photo.shown && photo.side == 2);
    repaintAll();
}

void BoardWidget::setAutorouterActive(bool active)
{
    if (autorouter_ == active)
        return;
    autorouter_ = active;
    repaintAll();
}

void BoardWidget::setPaintingSuspended(bool suspended)
{
    if (suspended_ == suspended)
        return;
    suspended_ = suspended;
    repaintAll();
}

void BoardWidget::boardSwitched()
{
    for (auto& p : previews_)
        p.reset();
    if (TBoard* b = project_.currentBoard()) {
        ViewModel::Batch batch(view_);
        view_.loadFrom(*b);
        view_.setMirrored(photo_.shown && photo_.side == 2);
    }
    placeOriginMarker();
    repaintAll();
}

void BoardWidget::repaintAll()
{
    dirty_ = QRegion(QRect(QPoint(0, 0), viewport()->size()));
    viewport()->update();
}

const Preview* BoardWidget::preview(PreviewKind kind) const noexcept
{
    const auto& p = previews_[static_cast<std::size_t>(kind)];
    return p ? &*p : nullptr;
}

QWidget* BoardWidget::originMarker() const noexcept
{
    return marker_;
}

// --- the view model -----------------------------------------------------------------------------

void BoardWidget::viewChanged(unsigned changes)
{
    if (changes & (ViewModel::SurfaceChanged | ViewModel::ScrollChanged | ViewModel::ZoomChanged |
                   ViewModel::ViewportChanged))
        syncScrollBars();
    const unsigned whole = ViewModel::SurfaceChanged | ViewModel::ZoomChanged | ViewModel::RepaintNeeded |
                           ViewModel::GridChanged | ViewModel::GridDisplayChanged | ViewModel::MirrorChanged;
    if (changes & whole) {
        repaintAll();
    } else if (changes & ViewModel::ScrollChanged) {
        // The picture moves with the board; only the strips that came into view are drawn.
        const QPoint scroll = view_.scrollPosition();
        const QPoint delta = cacheScroll_ - scroll;
        const QSize size = cache_.size();
        if (!cache_.isNull() && std::abs(delta.x()) < size.width() && std::abs(delta.y()) < size.height()) {
            shiftImage(cache_, delta.x(), delta.y());
            dirty_.translate(delta);
            const QRect all(QPoint(0, 0), size);
            dirty_ += QRegion(all) - QRegion(all.translated(delta));
            dirty_ &= all;
            cacheScroll_ = scroll;
            viewport()->update();
        } else {
            repaintAll();
        }
    }
    if (changes & (ViewModel::OriginChanged | ViewModel::ScrollChanged | ViewModel::ZoomChanged |
                   ViewModel::MirrorChanged | ViewModel::SurfaceChanged))
        placeOriginMarker();
    if (changes & (ViewModel::ScrollChanged | ViewModel::ZoomChanged | ViewModel::MirrorChanged))
        viewport()->update(); // previews sit at board positions
}

void BoardWidget::syncScrollBars()
{
    syncing_ = true;
    const QPoint max = view_.maxScroll();
    const QSize vp = view_.viewportSize();
    const QSize inc = view_.scrollIncrement();
    horizontalScrollBar()->setRange(0, std::max(0, max.x()));
    verticalScrollBar()->setRange(0, std::max(0, max.y()));
    horizontalScrollBar()->setPageStep(std::max(1, vp.width()));
    verticalScrollBar()->setPageStep(std::max(1, vp.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, inc.width()));
    verticalScrollBar()->setSingleStep(std::max(1, inc.height()));
    horizontalScrollBar()->setValue(view_.scrollPosition().x());
    verticalScrollBar()->setValue(view_.scrollPosition().y());
    syncing_ = false;
}

void BoardWidget::scrollContentsBy(int, int)
{
    // The scroll bars moved: the model decides; the picture follows through viewChanged.
    if (!syncing_)
        view_.setScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void BoardWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    view_.setViewportSize(viewport()->size());
    syncScrollBars();
    repaintAll();
}

// --- the cached picture -------------------------------------------------------------------------

RenderOptions BoardWidget::renderOptions() const
{
    const TBoard* b = project_.currentBoard();
    RenderOptions o = b ? RenderOptions::fromBoard(*b) : RenderOptions();
    o.zoom = view_.zoom();
    o.scrollX = view_.scrollPosition().x();
    o.scrollY = view_.scrollPosition().y();
    o.colours = colours_;
    o.patterns = &patterns_;
    o.photo = photo_;
    o.autorouterActive = autorouter_;
    o.suspended = suspended_;
    const ViewModel* view = &view_;
    const ColourRef gridColour = colours_[ColourGrid];
    o.drawGrid = [view, gridColour](Canvas& c, const TRect& area) { DrawGrid(c, *view, gridColour, area); };
    o.drawTemplate = templateDrawer;
    return o;
}

void BoardWidget::flushRepaints()
{
    const QSize size = viewport()->size();
    if (cache_.size() != size) {
        cache_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        dirty_ = QRegion(cache_.rect());
    }
    if (cacheZoom_ != view_.zoom() || cacheScroll_ != view_.scrollPosition()) {
        dirty_ = QRegion(cache_.rect());
        cacheZoom_ = view_.zoom();
        cacheScroll_ = view_.scrollPosition();
    }
    dirty_ &= cache_.rect();
    if (dirty_.isEmpty())
        return;
    if (dirty_.rectCount() > MaxDirtyRects)
        dirty_ = dirty_.boundingRect();
    const QRegion dirty = dirty_;
    dirty_ = QRegion();
    for (const QRect& r : dirty)
        repaintCache(r);
}

void BoardWidget::repaintCache(const QRect& area)
{
    TBoard* b = project_.currentBoard();
    if (!b || suspended_) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(cache_.scanLine(y));
            std::fill(row + area.left(), row + area.right() + 1, OutsideColour);
        }
        return;
    }
    if (stamps_.size() < static_cast<std::size_t>(WorkerThreads()))
        stamps_.resize(static_cast<std::size_t>(WorkerThreads()));
    PaintBoardInBands(cache_, *b, renderOptions(), area, OutsideColour, stamps_);
}

QRect BoardWidget::deviceRect(const TRect& r) const
{
    const QPointF a = view_.viewportPixelOf(static_cast<double>(r.left), static_cast<double>(r.top));
    const QPointF b = view_.viewportPixelOf(static_cast<double>(r.right), static_cast<double>(r.bottom));
    const int x1 = pixelOf(std::min(a.x(), b.x())) - RepaintMargin;
    const int x2 = pixelOf(std::max(a.x(), b.x())) + RepaintMargin;
    const int y1 = pixelOf(std::min(a.y(), b.y())) - RepaintMargin;
    const int y2 = pixelOf(std::max(a.y(), b.y())) + RepaintMargin;
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

// --- SessionView: what the session reads --------------------------------------------------------

double BoardWidget::zoom() const
{
    return view_.zoom();
}
double BoardWidget::grid() const
{
    return view_.grid();
}
bool BoardWidget::inchUnit() const
{
    return view_.inchUnit();
}

TRect BoardWidget::visibleRect() const
{
    // Where the surface is smaller than the scroll box, only the surface is visible.
    const QSize surface = view_.surfaceSize();
    const QSize vp = view_.viewportSize();
    const int w = std::max(1, std::min(vp.width(), surface.width()));
    const int h = std::max(1, std::min(vp.height(), surface.height()));
    const QPointF a = view_.boardPointAt(QPoint(0, 0));
    const QPointF b = view_.boardPointAt(QPoint(w, h));
    return {RoundHalfEven64(std::min(a.x(), b.x())), RoundHalfEven64(std::min(a.y(), b.y())),
            RoundHalfEven64(std::max(a.x(), b.x())), RoundHalfEven64(std::max(a.y(), b.y()))};
}

// --- SessionView: drawing -----------------------------------------------------------------------

void BoardWidget::invalidate(const TRect& boardRect)
{
    dropStaleMillingOverlay();
    const QRect r = deviceRect(boardRect) & QRect(QPoint(0, 0), viewport()->size());
    if (r.isEmpty())
        return;
    dirty_ += r;
    viewport()->update(r);
}

void BoardWidget::invalidateAll()
{
    dropStaleMillingOverlay();
    repaintAll();
}

void BoardWidget::showPreview(const Preview& preview)
{
    auto& slot = previews_[static_cast<std::size_t>(preview.kind)];
    if (slot)
        viewport()->update(previewRect(*slot));
    slot = preview;
    viewport()->update(previewRect(*slot));
}

void BoardWidget::hidePreview(PreviewKind kind)
{
    auto& slot = previews_[static_cast<std::size_t>(kind)];
    if (!slot)
        return;
    viewport()->update(previewRect(*slot));
    slot.reset();
}

void BoardWidget::paintEvent(QPaintEvent* event)
{
    flushRepaints();
    QPainter p(viewport());
    const QRect area = event->rect();
    p.drawImage(area.topLeft(), cache_, area);
    drawMillingOverlay(p, area);
    drawPreviews(p, area);
}

// --- SessionView: cursor, texts, windows ----------------------------------------------------------

std::optional<TPoint> BoardWidget::cursorPosition() const
{
    // Asked after dialogs and key commands, when no move has told where the mouse is now.
    const QPoint global = QCursor::pos();
    if (QApplication::widgetAt(global) != viewport())
        return std::nullopt;
    return boardPoint(viewport()->mapFromGlobal(global));
}

void BoardWidget::setCursor(std::string_view name)
{
    viewport()->setCursor(TrevokCursor(name));
}

void BoardWidget::setStatusHint(const std::string& text)
{
    QString t = QString::fromStdString(text);
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    emit statusHintChanged(t);
}

void BoardWidget::setCoordinates(const std::string& x, const std::string& y)
{
    emit coordinatesChanged(QString::fromStdString(x), QString::fromStdString(y));
}

void BoardWidget::requestScroll(int dx, int dy)
{
    // The cursor stands over another board point after a scroll: the session hears of it as a
    // move. When that move asks to scroll again (the mouse rests at the edge), the next step
    // comes a little later, so that automatic scrolling keeps a steady pace instead of running
    // to the board's edge at once.
    if (resending_) {
        if (!scrollPending_) {
            scrollPending_ = true;
            QTimer::singleShot(AutoScrollInterval, this, [this] {
                scrollPending_ = false;
                if (lastMouse_.x() >= 0)
                    sendMove(lastMouse_, lastModifiers_);
            });
        }
        return;
    }
    const QSize inc = view_.scrollIncrement();
    const QPoint before = view_.scrollPosition();
    view_.scrollBy(dx * inc.width(), dy * inc.height());
    if (view_.scrollPosition() == before || lastMouse_.x() < 0)
        return;
    resending_ = true;
    sendMove(lastMouse_, lastModifiers_);
    resending_ = false;
}

void BoardWidget::zoomToolRelease(TPoint anchor, TPoint release)
{
    view_.zoomToolRelease(anchor, release);
}
void BoardWidget::zoomToolRightClick()
{
    view_.zoomToolRightClick();
}

void BoardWidget::openMenu(std::string_view name, TPoint at)
{
    const QPointF px = view_.viewportPixelOf(at.x, at.y);
    const QPoint global = viewport()->mapToGlobal(QPoint(pixelOf(px.x()), pixelOf(px.y())));
    emit menuRequested(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), global);
}

void BoardWidget::showMeasurePanel(const MeasurePanel& panel)
{
    const QPointF px = view_.viewportPixelOf(panel.cursor.x, panel.cursor.y);
    emit measurePanelRequested(panel, QPoint(pixelOf(px.x()), pixelOf(px.y())));
}

void BoardWidget::hideMeasurePanel()
{
    emit measurePanelHidden();
}

void BoardWidget::setOriginMarkerVisible(bool visible)
{
    markerWanted_ = visible;
    placeOriginMarker();
}

void BoardWidget::originChanged(TPoint origin)
{
    view_.setOrigin(origin);
    placeOriginMarker();
    emit originMoved(origin);
}

void BoardWidget::placeOriginMarker()
{
    const TBoard* b = project_.currentBoard();
    if (!b || !markerWanted_) {
        marker_->hide();
        return;
    }
    const QPointF px = view_.viewportPixelOf(view_.origin().x, view_.origin().y);
    const QPoint centre(pixelOf(px.x()), pixelOf(px.y()));
    marker_->move(centre - QPoint(OriginMarker::Size / 2, OriginMarker::Size / 2));
    marker_->setVisible(QRect(QPoint(0, 0), viewport()->size())
                            .adjusted(-OriginMarker::Size, -OriginMarker::Size, 0, 0)
                            .contains(marker_->pos()));
}

void BoardWidget::confineCursor(bool confine)
{
    if (confine == confined_)
        return;
    confined_ = confine;
    if (confine)
        viewport()->grabMouse();
    else
        viewport()->releaseMouse();
}

// --- SessionView: notifications -----------------------------------------------------------------

void BoardWidget::toolChanged(int tool)
{
    marker_->setEnabled(tool == ToolStandard);
    emit sessionToolChanged(tool);
}

void BoardWidget::selectionChanged()
{
    emit sessionSelectionChanged();
}

void BoardWidget::layersChanged()
{
    repaintAll();
    emit sessionLayersChanged();
}

void BoardWidget::parametersChanged()
{
    emit sessionParametersChanged();
}
void BoardWidget::hideToolWindows()
{
    emit toolWindowsHideRequested();
}
bool BoardWidget::editText(TObjekt& text)
{
    return textEditor ? textEditor(text) : false;
}
bool BoardWidget::editProperties()
{
    return propertiesEditor ? propertiesEditor() : false;
}
bool BoardWidget::askPolygonParameters()
{
    return polygonParameterDialog ? polygonParameterDialog() : true;
}

bool BoardWidget::askLayoutText(LayoutTextSettings& settings, int& start)
{
    return layoutTextDialog ? layoutTextDialog(settings, start) : false;
}

void BoardWidget::showMessage(MsgId id)
{
    if (messageHandler)
        messageHandler(id);
}

void BoardWidget::showRouterWindow()
{
    emit routerWindowRequested();
}

void BoardWidget::setRouterStatus(const std::string& text)
{
    emit routerStatusChanged(QString::fromStdString(text));
}

void BoardWidget::flushPreviews()
{
    // A route runs inside one mouse press: what it shows must reach the screen before it ends.
    viewport()->repaint();
}

} // namespace trevok

#include "view/widgets/boardwidget.h"

#include "document/project.h"
#include "edit/session.h"
#include "view/grid.h"
#include "view/imagecanvas.h"
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
        if (e->button() == Qt::LeftButton && board.mSession) {
            dragging = true;
            board.mSession->originMarkerPress();
        }
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!dragging || !board.mSession)
            return;
        const QPoint at = mapTo(board.viewport(), e->position().toPoint());
        board.mSession->originMarkerMove(board.boardPoint(at), modifiersOf(e->modifiers()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && dragging) {
            dragging = false;
            if (board.mSession)
                board.mSession->originMarkerRelease();
        }
    }

  private:
    BoardWidget& board;
    bool dragging = false;
};

// ---------------------------------------------------------------------------------------------

BoardWidget::BoardWidget(TProject& project, ViewModel& view, QWidget* parent)
    : QAbstractScrollArea(parent), mProject(project), mView(view), mColours(CurrentColours()),
      mPatterns(RenderPatterns::make(mColours))
{
    setObjectName(QStringLiteral("PaintBox"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mMarker = new OriginMarker(*this, viewport());
    mMarker->setEnabled(false);
    connect(&mView, &ViewModel::changed, this, &BoardWidget::viewChanged);
    mView.setViewportSize(viewport()->size());
    syncScrollBars();
    placeOriginMarker();
}

BoardWidget::~BoardWidget()
{
    disconnect(&mView, nullptr, this, nullptr);
}

void BoardWidget::setSession(EditSession* session)
{
    mSession = session;
    mMarker->setEnabled(session && session->tool() == ToolStandard);
}

// --- for the main window ------------------------------------------------------------------------

void BoardWidget::setColourScheme(const ColourScheme& colours)
{
    mColours = colours;
    mPatterns = RenderPatterns::make(mColours);
    repaintAll();
}

void BoardWidget::setPhotoView(const PhotoView& photo)
{
    mPhoto = photo;
    mView.setMirrored(photo.shown && photo.side == 2);
    repaintAll();
}

void BoardWidget::setAutorouterActive(bool active)
{
    if (mAutorouter == active)
        return;
    mAutorouter = active;
    repaintAll();
}

void BoardWidget::setPaintingSuspended(bool suspended)
{
    if (mSuspended == suspended)
        return;
    mSuspended = suspended;
    repaintAll();
}

void BoardWidget::boardSwitched()
{
    for (auto& p : mPreviews)
        p.reset();
    if (TBoard* b = mProject.currentBoard()) {
        ViewModel::Batch batch(mView);
        mView.loadFrom(*b);
        mView.setMirrored(mPhoto.shown && mPhoto.side == 2);
    }
    placeOriginMarker();
    repaintAll();
}

void BoardWidget::repaintAll()
{
    mDirty = QRegion(QRect(QPoint(0, 0), viewport()->size()));
    viewport()->update();
}

const Preview* BoardWidget::preview(PreviewKind kind) const noexcept
{
    const auto& p = mPreviews[static_cast<std::size_t>(kind)];
    return p ? &*p : nullptr;
}

QWidget* BoardWidget::originMarker() const noexcept
{
    return mMarker;
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
        const QPoint scroll = mView.scrollPosition();
        const QPoint delta = mCacheScroll - scroll;
        const QSize size = mCache.size();
        if (!mCache.isNull() && std::abs(delta.x()) < size.width() && std::abs(delta.y()) < size.height()) {
            shiftImage(mCache, delta.x(), delta.y());
            mDirty.translate(delta);
            const QRect all(QPoint(0, 0), size);
            mDirty += QRegion(all) - QRegion(all.translated(delta));
            mDirty &= all;
            mCacheScroll = scroll;
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
    mSyncing = true;
    const QPoint max = mView.maxScroll();
    const QSize vp = mView.viewportSize();
    const QSize inc = mView.scrollIncrement();
    horizontalScrollBar()->setRange(0, std::max(0, max.x()));
    verticalScrollBar()->setRange(0, std::max(0, max.y()));
    horizontalScrollBar()->setPageStep(std::max(1, vp.width()));
    verticalScrollBar()->setPageStep(std::max(1, vp.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, inc.width()));
    verticalScrollBar()->setSingleStep(std::max(1, inc.height()));
    horizontalScrollBar()->setValue(mView.scrollPosition().x());
    verticalScrollBar()->setValue(mView.scrollPosition().y());
    mSyncing = false;
}

void BoardWidget::scrollContentsBy(int, int)
{
    // The scroll bars moved: the model decides; the picture follows through viewChanged.
    if (!mSyncing)
        mView.setScrollPosition(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void BoardWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    mView.setViewportSize(viewport()->size());
    syncScrollBars();
    repaintAll();
}

// --- the cached picture -------------------------------------------------------------------------

RenderOptions BoardWidget::renderOptions() const
{
    const TBoard* b = mProject.currentBoard();
    RenderOptions o = b ? RenderOptions::fromBoard(*b) : RenderOptions();
    o.zoom = mView.zoom();
    o.scrollX = mView.scrollPosition().x();
    o.scrollY = mView.scrollPosition().y();
    o.colours = mColours;
    o.patterns = &mPatterns;
    o.photo = mPhoto;
    o.autorouterActive = mAutorouter;
    o.suspended = mSuspended;
    const ViewModel* view = &mView;
    const ColourRef gridColour = mColours[ColourGrid];
    o.drawGrid = [view, gridColour](Canvas& c, const TRect& area) { DrawGrid(c, *view, gridColour, area); };
    o.drawTemplate = templateDrawer;
    return o;
}

void BoardWidget::flushRepaints()
{
    const QSize size = viewport()->size();
    if (mCache.size() != size) {
        mCache = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        mDirty = QRegion(mCache.rect());
    }
    if (mCacheZoom != mView.zoom() || mCacheScroll != mView.scrollPosition()) {
        mDirty = QRegion(mCache.rect());
        mCacheZoom = mView.zoom();
        mCacheScroll = mView.scrollPosition();
    }
    mDirty &= mCache.rect();
    if (mDirty.isEmpty())
        return;
    if (mDirty.rectCount() > MaxDirtyRects)
        mDirty = mDirty.boundingRect();
    const QRegion dirty = mDirty;
    mDirty = QRegion();
    for (const QRect& r : dirty)
        repaintCache(r);
}

void BoardWidget::repaintCache(const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(mCache.scanLine(y));
        std::fill(row + area.left(), row + area.right() + 1, OutsideColour);
    }
    TBoard* b = mProject.currentBoard();
    if (!b || mSuspended)
        return;
    ImageCanvas canvas(mCache, area);
    PaintBoard(canvas, *b, renderOptions(), area);
}

QRect BoardWidget::deviceRect(const TRect& r) const
{
    const QPointF a = mView.viewportPixelOf(static_cast<double>(r.left), static_cast<double>(r.top));
    const QPointF b = mView.viewportPixelOf(static_cast<double>(r.right), static_cast<double>(r.bottom));
    const int x1 = pixelOf(std::min(a.x(), b.x())) - RepaintMargin;
    const int x2 = pixelOf(std::max(a.x(), b.x())) + RepaintMargin;
    const int y1 = pixelOf(std::min(a.y(), b.y())) - RepaintMargin;
    const int y2 = pixelOf(std::max(a.y(), b.y())) + RepaintMargin;
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

// --- SessionView: what the session reads --------------------------------------------------------

double BoardWidget::zoom() const
{
    return mView.zoom();
}
double BoardWidget::grid() const
{
    return mView.grid();
}
bool BoardWidget::inchUnit() const
{
    return mView.inchUnit();
}

TRect BoardWidget::visibleRect() const
{
    // Where the surface is smaller than the scroll box, only the surface is visible.
    const QSize surface = mView.surfaceSize();
    const QSize vp = mView.viewportSize();
    const int w = std::max(1, std::min(vp.width(), surface.width()));
    const int h = std::max(1, std::min(vp.height(), surface.height()));
    const QPointF a = mView.boardPointAt(QPoint(0, 0));
    const QPointF b = mView.boardPointAt(QPoint(w, h));
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
    mDirty += r;
    viewport()->update(r);
}

void BoardWidget::invalidateAll()
{
    dropStaleMillingOverlay();
    repaintAll();
}

void BoardWidget::showPreview(const Preview& preview)
{
    auto& slot = mPreviews[static_cast<std::size_t>(preview.kind)];
    if (slot)
        viewport()->update(previewRect(*slot));
    slot = preview;
    viewport()->update(previewRect(*slot));
}

void BoardWidget::hidePreview(PreviewKind kind)
{
    auto& slot = mPreviews[static_cast<std::size_t>(kind)];
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
    p.drawImage(area.topLeft(), mCache, area);
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
    if (mResending) {
        if (!mScrollPending) {
            mScrollPending = true;
            QTimer::singleShot(AutoScrollInterval, this, [this] {
                mScrollPending = false;
                if (mLastMouse.x() >= 0)
                    sendMove(mLastMouse, mLastModifiers);
            });
        }
        return;
    }
    const QSize inc = mView.scrollIncrement();
    const QPoint before = mView.scrollPosition();
    mView.scrollBy(dx * inc.width(), dy * inc.height());
    if (mView.scrollPosition() == before || mLastMouse.x() < 0)
        return;
    mResending = true;
    sendMove(mLastMouse, mLastModifiers);
    mResending = false;
}

void BoardWidget::zoomToolRelease(TPoint anchor, TPoint release)
{
    mView.zoomToolRelease(anchor, release);
}
void BoardWidget::zoomToolRightClick()
{
    mView.zoomToolRightClick();
}

void BoardWidget::openMenu(std::string_view name, TPoint at)
{
    const QPointF px = mView.viewportPixelOf(at.x, at.y);
    const QPoint global = viewport()->mapToGlobal(QPoint(pixelOf(px.x()), pixelOf(px.y())));
    emit menuRequested(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), global);
}

void BoardWidget::showMeasurePanel(const MeasurePanel& panel)
{
    const QPointF px = mView.viewportPixelOf(panel.cursor.x, panel.cursor.y);
    emit measurePanelRequested(panel, QPoint(pixelOf(px.x()), pixelOf(px.y())));
}

void BoardWidget::hideMeasurePanel()
{
    emit measurePanelHidden();
}

void BoardWidget::setOriginMarkerVisible(bool visible)
{
    mMarkerWanted = visible;
    placeOriginMarker();
}

void BoardWidget::originChanged(TPoint origin)
{
    mView.setOrigin(origin);
    placeOriginMarker();
    emit originMoved(origin);
}

void BoardWidget::placeOriginMarker()
{
    const TBoard* b = mProject.currentBoard();
    if (!b || !mMarkerWanted) {
        mMarker->hide();
        return;
    }
    const QPointF px = mView.viewportPixelOf(mView.origin().x, mView.origin().y);
    const QPoint centre(pixelOf(px.x()), pixelOf(px.y()));
    mMarker->move(centre - QPoint(OriginMarker::Size / 2, OriginMarker::Size / 2));
    mMarker->setVisible(QRect(QPoint(0, 0), viewport()->size())
                            .adjusted(-OriginMarker::Size, -OriginMarker::Size, 0, 0)
                            .contains(mMarker->pos()));
}

void BoardWidget::confineCursor(bool confine)
{
    if (confine == mConfined)
        return;
    mConfined = confine;
    if (confine)
        viewport()->grabMouse();
    else
        viewport()->releaseMouse();
}

// --- SessionView: notifications -----------------------------------------------------------------

void BoardWidget::toolChanged(int tool)
{
    mMarker->setEnabled(tool == ToolStandard);
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

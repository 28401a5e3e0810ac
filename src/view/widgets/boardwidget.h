#pragma once
// The drawing area: the current board of a project in a scroll box, drawn from a cached picture
// of the viewport with the tool previews painted over it, and the Qt side of an editing session
// (mouse and key events become board-coordinate events, the session's requests become Qt calls
// and signals the main window connects).
//
// The cached picture holds exactly what PaintBoard draws for the viewport. It is repainted only
// where the session invalidates board rectangles; scrolling moves it and repaints the strip that
// came into view. Previews never touch it, so hiding a preview costs one blit.

#include "document/objekt.h"
#include "edit/sessionview.h"
#include "view/colours.h"
#include "view/render.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace trevok
{

class EditSession;
class TProject;
class ViewModel;
class OriginMarker;

class BoardWidget : public QAbstractScrollArea, public SessionView
{
    Q_OBJECT
  public:
    /// The widget shows the current board of `project` through `view`; both outlive it.
    BoardWidget(TProject& project, ViewModel& view, QWidget* parent = nullptr);
    ~BoardWidget() override;

    /// The session that receives the widget's events (none: the board is only shown). The
    /// widget does not own it. Call with nullptr before the session is destroyed.
    void setSession(EditSession* session);
    EditSession* session() const noexcept { return session_; }
    ViewModel& viewModel() noexcept { return view_; }
    TProject& project() noexcept { return project_; }

    // --- for the main window --------------------------------------------------------------------
    /// The colour scheme of the drawing (hatches are rebuilt); repaints everything.
    void setColourScheme(const ColourScheme& colours);
    const ColourScheme& colourScheme() const noexcept { return colours_; }
    /// The photo view window's choices; the view is mirrored for side 2. Repaints everything.
    void setPhotoView(const PhotoView& photo);
    const PhotoView& photoView() const noexcept { return photo_; }
    /// Connections between selected pads in magenta while the autorouter window is open.
    void setAutorouterActive(bool active);
    /// While suspended (loading, rebuilding the project) nothing is drawn from the board.
    void setPaintingSuspended(bool suspended);
    /// "Zoom at cursor": the wheel keeps the board point under the cursor in both directions.
    void setWheelZoomAtCursor(bool on) noexcept { wheelAtCursor_ = on; }
    bool wheelZoomAtCursor() const noexcept { return wheelAtCursor_; }
    /// Another board became current (or the project was rebuilt): previews are dropped, the
    /// board size, origin and view come from the board record, and everything is repainted.
    void boardSwitched();
    /// Draws the whole cached picture again from the board.
    void repaintAll();
    /// The milling contours of the current board (white lines 2 units wide) and the places where
    /// the mill cannot pass (red rings), drawn over the board until cleared, another board becomes
    /// current, or a change is recorded in the board's undo history.
    void setMillingOverlay(std::vector<std::vector<TPoint>> contours, std::vector<TPoint> problems,
                           std::vector<std::vector<TPoint>> openPaths = {});
    void clearMillingOverlay();
    bool hasMillingOverlay() const noexcept { return milling_.board != nullptr; }
    /// Clears the milling overlay when its board is no longer current or a change has been
    /// recorded in its undo history since. Called on every invalidation and paint.
    void dropStaleMillingOverlay();
    /// A picture of the selected elements of the current board for the system clipboard: an SVG
    /// document and a PNG-ready image of their bounds at the current zoom (at least one pixel per
    /// 10 units, at most 4000 pixels a side). False when nothing is selected.
    bool selectionPicture(QByteArray& svg, QImage& png);

    /// The picture the viewport shows without previews (for tests and the benchmark).
    const QImage& cachedPicture() const noexcept { return cache_; }
    /// Brings pending repaints of the cached picture up to date now (a paint event does the same).
    void flushRepaints();
    /// The preview of a kind as it is on screen, or none.
    const Preview* preview(PreviewKind kind) const noexcept;
    /// The origin marker K0_Shape (a child of the viewport).
    QWidget* originMarker() const noexcept;

    /// The dialogs the session asks for; unset, the text edit does nothing and the polygon
    /// parameters are accepted as they are.
    std::function<bool(TObjekt&)> textEditor;
    /// Opens the properties of the selection (a double click on an element that is not a text).
    std::function<bool()> propertiesEditor;
    std::function<bool()> polygonParameterDialog;
    /// The text tool's dialog; unset, no text is placed.
    std::function<bool(LayoutTextSettings&, int&)> layoutTextDialog;
    /// Message boxes the session asks for; unset, nothing is shown.
    std::function<void(MsgId)> messageHandler;
    /// Draws the template picture of a side (1 or 2) under the layout, only within the board
    /// area being repainted; unset, no template is drawn. Every picture made from the view
    /// (the cached view, the selection picture, image exports) takes it.
    std::function<void(Canvas&, int side, const TRect& area)> templateDrawer;

    // --- SessionView ----------------------------------------------------------------------------
    double zoom() const override;
    double grid() const override;
    TRect visibleRect() const override;
    bool inchUnit() const override;
    void invalidate(const TRect& boardRect) override;
    void invalidateAll() override;
    void showPreview(const Preview& preview) override;
    void hidePreview(PreviewKind kind) override;
    void setCursor(std::string_view name) override;
    std::optional<TPoint> cursorPosition() const override;
    void setStatusHint(const std::string& text) override;
    void setCoordinates(const std::string& x, const std::string& y) override;
    void requestScroll(int dx, int dy) override;
    /// Whether the next step of automatic scrolling is timed (tests wait for it instead of for
    /// a time).
    bool autoScrollPending() const noexcept { return scrollPending_; }
    void zoomToolRelease(TPoint anchor, TPoint release) override;
    void zoomToolRightClick() override;
    void openMenu(std::string_view name, TPoint at) override;
    void showMeasurePanel(const MeasurePanel& panel) override;
    void hideMeasurePanel() override;
    void setOriginMarkerVisible(bool visible) override;
    void originChanged(TPoint origin) override;
    void confineCursor(bool confine) override;
    void toolChanged(int tool) override;
    void selectionChanged() override;
    void layersChanged() override;
    void parametersChanged() override;
    void hideToolWindows() override;
    bool editText(TObjekt& text) override;
    bool editProperties() override;
    bool askPolygonParameters() override;
    bool askLayoutText(LayoutTextSettings& settings, int& start) override;
    void showMessage(MsgId id) override;
    void showRouterWindow() override;
    void setRouterStatus(const std::string& text) override;
    void flushPreviews() override;

  signals:
    /// The long hint of the drawing area changed (lines separated by '\n').
    void statusHintChanged(const QString& text);
    /// The coordinate display L_XPos / L_YPos.
    void coordinatesChanged(const QString& x, const QString& y);
    /// The mouse is over the drawing area at a viewport pixel and a board point (rulers' markers).
    void cursorMoved(QPoint viewportPixel, TPoint boardPoint);
    /// The mouse left the drawing area.
    void cursorLeft();
    /// "PopupMenu" or "KnotenPopup" is to be opened at a global screen position.
    void menuRequested(const QString& name, QPoint globalPos);
    /// The measuring panel P_Messen: shown with its values at a viewport position, or hidden.
    void measurePanelRequested(const MeasurePanel& panel, QPoint viewportPos);
    void measurePanelHidden();
    /// The origin moved (the rulers number from it).
    void originMoved(TPoint origin);
    /// Forwarded notifications of the session.
    void sessionToolChanged(int tool);
    void sessionSelectionChanged();
    void sessionLayersChanged();
    void sessionParametersChanged();
    void toolWindowsHideRequested();
    /// The autorouter tool wants its window, and the window's status line a new text (to be
    /// repainted at once).
    void routerWindowRequested();
    void routerStatusChanged(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool viewportEvent(QEvent* event) override;

  private:
    friend class OriginMarker;
    void viewChanged(unsigned changes);
    void syncScrollBars();
    RenderOptions renderOptions() const;
    /// Repaints the device pixels of the cached picture (viewport coordinates).
    void repaintCache(const QRect& area);
    /// The viewport pixels covering a board rectangle, grown by a few pixels for pens.
    QRect deviceRect(const TRect& boardRect) const;
    /// The viewport pixels a preview covers (for the update after showing or hiding it).
    QRect previewRect(const Preview& preview) const;
    void drawPreviews(QPainter& painter, const QRect& area);
    void drawPreview(QPainter& painter, const Preview& preview);
    void drawMovePreview(QPainter& painter, const Preview& pv);
    void drawMovedConnections(Canvas& canvas, const Preview& preview);
    void drawMillingOverlay(QPainter& painter, const QRect& area);
    TPoint boardPoint(QPoint viewportPixel) const;
    void sendMove(QPoint viewportPixel, unsigned modifiers);
    void placeOriginMarker();

    TProject& project_;
    ViewModel& view_;
    EditSession* session_ = nullptr;
    ColourScheme colours_;
    RenderPatterns patterns_;
    PhotoView photo_;
    bool autorouter_ = false;
    bool suspended_ = false;

    QImage cache_;                   // the viewport's board picture
    QPoint cacheScroll_;             // the scroll position the cache was drawn at
    double cacheZoom_ = 0;           // and the zoom
    QRegion dirty_;                  // viewport pixels of the cache to repaint
    std::vector<StampStore> stamps_; // the shapes' stamps of each band of the picture
    std::array<std::optional<Preview>, PreviewKindCount> previews_;
    /// The milling overlay and the state of the undo history it belongs to.
    struct MillingOverlay {
        const TBoard* board = nullptr;
        std::size_t undoDepth = 0;
        const void* undoTop = nullptr;
        std::vector<std::vector<TPoint>> contours;
        std::vector<std::vector<TPoint>> openPaths; // further passes
        std::vector<TPoint> problems;
    } milling_;

    OriginMarker* marker_ = nullptr;
    bool markerWanted_ = true;
    bool syncing_ = false; // scroll bars being set from the model
    bool confined_ = false;
    bool resending_ = false;     // a move re-sent after a scroll is under way
    bool scrollPending_ = false; // the next step of automatic scrolling is timed
    QPoint lastMouse_{-1, -1};
    bool wheelAtCursor_ = false;
    std::optional<QPoint> panFrom_; // the middle button is dragging the board
    QCursor cursorBeforePan_;
    unsigned lastModifiers_ = 0;
};

} // namespace trevok

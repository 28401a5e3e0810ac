#pragma once
// The live preview of the print dialog: the sheet of paper fitted into the panel, its printable
// area framed by a red dotted line, rulers in millimetres, and the board drawn by the printing
// routine itself. Dragging with the left button moves the board on the page.
//
// The board picture is cached: while the board is dragged only its place changes, so the
// cached picture is moved instead of drawing every element again.

#include "print/printsheet.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

#include <array>
#include <functional>

namespace trevok
{

class PrintPreview : public QWidget
{
    Q_OBJECT
  public:
    explicit PrintPreview(QWidget* parent = nullptr);

    /// What to draw. The settings object is read at every paint and changed by dragging.
    void setSheet(TBoard* board, PrintSettings* settings, std::array<PrintTemplate, 2> templates);
    /// The paper (mm) and its printable area (mm, from the paper's top-left corner).
    void setPaper(QSizeF paperMm, QRectF printableMm);
    QSizeF paperMm() const noexcept { return paper_; }
    QRectF printableMm() const noexcept { return printable_; }

    /// Anything but the offsets changed: the board picture is drawn again at the next paint.
    void invalidateSheet();

    /// The sheet's rectangle in the panel (pixels) and the millimetres per pixel.
    QRectF sheetRect() const;
    double mmPerPixel() const;
    /// The pixel position of the printable area's top-left corner.
    QPointF printableCorner() const;

    /// Draws the whole preview onto a painter the size of the widget (paintEvent uses it;
    /// benchmarks call it directly).
    void render(QPainter& p);

    /// How many times the board picture was drawn (tests check that dragging reuses it).
    int sheetDrawCount() const noexcept { return sheetDraws_; }

  signals:
    /// Dragging moved the board.
    void offsetsChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    /// The preview's drawing units per pixel scale: pixels per unit.
    double pixelsPerUnit() const;
    void drawRulers(QPainter& p, const QRectF& sheet);
    void drawBoard(QPainter& p);
    void rebuildCache();

    TBoard* board_ = nullptr;
    PrintSettings* settings_ = nullptr;
    std::array<PrintTemplate, 2> templates_;
    QSizeF paper_{210, 297};
    QRectF printable_{0, 0, 210, 297};

    QImage cache_;        // the board picture at offsets (0, 0)
    QPointF cacheOrigin_; // where the printable corner lies in the cache, pixels
    bool cacheValid_ = false;
    double cacheScale_ = 0;
    int sheetDraws_ = 0;

    bool dragging_ = false;
    QPoint lastMouse_;
    QPoint marker_{-1, -1}; // mouse position shown on the rulers
};

} // namespace trevok

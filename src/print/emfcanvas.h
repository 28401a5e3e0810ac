#pragma once
// The Canvas of enhanced metafiles (EMF): every primitive becomes the GDI record of the same
// name, in the device pixels of the canvas mapping (the mapping of the view, or of a
// resolution). Readers differ in how they apply a window/viewport pair (some scale coordinates
// but not pen widths, some reject flipped extents), so the file keeps the default one-to-one
// mapping. Written into memory; the caller saves the bytes.

#include "view/canvas.h"
#include "view/render.h"

#include <QSize>

#include <string>

namespace trevok
{

class EmfCanvas final : public Canvas
{
  public:
    /// devicePixels: the size of the picture on its reference device (96 pixels per inch).
    explicit EmfCanvas(QSize devicePixels);

    void setMapping(const CanvasMapping& m) override;
    void setPen(const CanvasPen& pen) override;
    void setBrush(const CanvasBrush& brush) override;

    void line(TPoint a, TPoint b) override;
    void polyline(const TPoint* points, std::size_t count) override;
    void polygon(const TPoint* points, std::size_t count) override;
    void rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
    void roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t cornerW,
                   std::int64_t cornerH) override;
    void ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) override;
    void arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
             TPoint end) override;
    void chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
               TPoint end) override;
    void text(TPoint anchor, const QString& text, const CanvasFont& font, ColourRef colour) override;
    void image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
               const QImage& image) override;

    /// Ends the metafile and returns its bytes; the canvas draws nothing afterwards.
    std::string finish();

  private:
    class Record;
    void put(const Record& r);
    void simple(std::uint32_t type, std::initializer_list<std::int32_t> values);
    void points(std::uint32_t type, const TPoint* pts, std::size_t count);
    void box(std::uint32_t type, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);
    void boxWithRays(std::uint32_t type, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                     TPoint start, TPoint end);
    void applyPen();
    void applyBrush();
    void setBackgroundOpaque(bool opaque, ColourRef colour);
    /// Device bounds of logical points, for the records' bounds fields and the header.
    std::int32_t dx(std::int64_t x) const noexcept;
    std::int32_t dy(std::int64_t y) const noexcept;
    void deviceBounds(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                      std::int32_t out[4]);

    std::string buf_;
    std::uint32_t records_ = 0;
    QSize device_;
    bool finished_ = false;

    CanvasPen penSpec_;
    CanvasBrush brushSpec_;
    bool penDirty_ = true;
    bool brushDirty_ = true;
    int penSlot_ = 0;   // 1 or 2 once made
    int brushSlot_ = 0; // 3 or 4
    int fontSlot_ = 0;  // 5 or 6
    bool bkOpaque_ = false;
};

/// The metafile drawing of a board: the whole board (background, ground plane, layers, holes,
/// connections; no grid), or only the selected elements' layers, holes and connections. The
/// selection is kept in Mark and cleared while drawing, so that everything shows its layer
/// colour, and restored afterwards. The picture is the board's size at the options' mapping.
std::string BoardMetafile(TBoard& board, const RenderOptions& options, bool selectionOnly);

} // namespace trevok

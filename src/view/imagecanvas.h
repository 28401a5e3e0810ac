#pragma once
// The Canvas of the screen: draws straight into the pixels of a QImage (the cached picture of
// the main view), without antialiasing.
//
// Why not QPainter here: a board of 20,000 elements is mostly small filled shapes and short
// wide polylines with round ends, for which QPainter builds, strokes and flattens a path per
// call; filling the spans of those shapes directly is several times faster and keeps the full
// repaint well inside a frame. Text and images still go through QPainter.
//
// Pixel rules: device points are rounded to whole pixels; a filled figure covers the pixels
// whose centres lie inside it (even-odd for polygons); a wide line is the union of a rectangle
// per segment and a disc of the pen width at every vertex (round ends and joins); a one-pixel
// line covers the pixels a Bresenham walk between its rounded end points visits.
//
// Batching by colour (while setBatching is on): consecutive fills in one solid colour (a
// layer's tracks, pads and areas) are first marked in a coverage bitmap, one bit per pixel, and
// written to the picture once when the colour changes, so that overlapping elements of a layer
// do not write the same pixel again and again, and the marking stays within a bitmap small
// enough for the processor's cache. The picture is the same as drawing each figure at once:
// pixels of one colour may be written in any order. Held-back pixels reach the image when
// batching is turned off, at flush() and when the canvas is destroyed.
//
// Stamps: a board repeats a few pad and hole shapes thousands of times, and at whole-board
// zoom working out each one's rows costs more than writing its pixels. An ellipse, rectangle,
// rounded rectangle or polygon whose device outline is at most StampSide pixels each way is
// drawn once, away from the picture and without clip, into a list of runs (each pixel in
// the brush or the pen, whichever it shows last), kept under its shape relative to its
// whole-pixel anchor, the anchor's parity and the pen and brush kinds (not their colours) by
// the thread or in a StampStore, and written from that list wherever the same shape comes
// again, cut to the clip run by run. So a shape takes the same pixels wherever it stands and
// however the picture is cut into bands.

#include "view/canvas.h"

#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class QPainter;

namespace trevok
{

struct Stamp;
struct StampCache;
struct StampKey;
struct StampRun;

/// Stamps kept from one picture to the next for the canvases that draw one band of it. A band
/// may be drawn on another thread each time, and the stamps a thread keeps of its own go with
/// the thread; a store outlives them. A store serves one canvas at a time.
class StampStore
{
  public:
    StampStore();
    ~StampStore();
    StampStore(StampStore&&) noexcept;
    StampStore& operator=(StampStore&&) noexcept;
    void clear() noexcept;

  private:
    friend class ImageCanvas;
    std::unique_ptr<StampCache> cache_;
};

class ImageCanvas final : public Canvas
{
  public:
    /// Draws into the image, limited to clip (device pixels; a null rectangle: the whole image).
    /// The image must be Format_RGB32, Format_ARGB32 or Format_ARGB32_Premultiplied; any other
    /// format throws std::invalid_argument.
    ///
    /// With firstRow, the image is a band of a taller picture: its row 0 is the picture's row
    /// firstRow, and the clip and every device coordinate are the picture's. Bands of one
    /// picture, each its own QImage over the picture's rows, can be drawn on separate threads.
    explicit ImageCanvas(QImage& image, const QRect& clip = QRect(), int firstRow = 0);
    ~ImageCanvas() override;
    ImageCanvas(const ImageCanvas&) = delete;
    ImageCanvas& operator=(const ImageCanvas&) = delete;

    /// Writes the figures still held in the coverage bitmap into the image.
    void flush() noexcept;
    void setBatching(bool on) override;
    /// Not allowed, batching stays off whatever setBatching asks: every figure is written at
    /// once, and every segment of a wide line whole, joints included (the reference a batched
    /// picture must equal).
    void allowBatching(bool allowed);

    /// Not allowed, every figure is worked out where it stands, without stamps (to compare
    /// the two).
    void allowStamps(bool allowed) noexcept { stampsAllowed_ = allowed; }
    /// The largest width and height, in device pixels, of a figure drawn through a stamp.
    static constexpr int StampSide = 64;
    /// Forgets the stamps this thread has kept.
    static void clearStamps() noexcept;
    /// Keeps and looks up stamps in store, instead of the thread's own.
    void useStamps(StampStore& store) noexcept;

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
    void imagePart(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
                   const QImage& part, QPoint at) override;
    void dot(TPoint p, ColourRef colour) override;

  private:
    struct P {
        double x;
        double y;
    };
    /// What a span is filled with: one colour, or the 8 x 8 tile of a pattern (rows of 16:
    /// each row twice).
    struct Fill {
        QRgb colour = 0;
        const QRgb* tile = nullptr;
    };
    struct Box {
        double left, top, right, bottom; // device, normalised
    };

    double devX(double x) const noexcept;
    double devY(double y) const noexcept;
    P dev(TPoint q) const noexcept { return {devX(q.x), devY(q.y)}; }
    Box box(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const noexcept;
    /// The box shrunk for an inside-frame pen.
    Box figure(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) const noexcept;

    // Figures in device pixels, drawn where they stand.
    void ellipseAt(const Box& b);
    void rectangleAt(const Box& b);
    void roundRectAt(const Box& b, double rx, double ry);
    void polygonAt(const P* points, std::size_t count);

    /// Draws the figure through its stamp: key names its shape relative to the anchor (ax, ay),
    /// a whole device pixel, and w x h is its size. draw(recorder, dx, dy) draws it on a
    /// recording canvas, moved by (dx, dy). False (and nothing drawn) when the figure takes no
    /// stamp: too large, a dotted pen, stamps not allowed, or it would not fit its recording.
    template <class Draw> bool stamped(StampKey& key, double ax, double ay, double w, double h, Draw&& draw);
    /// The same for a figure given by its box: key gets the box's size, and drawAt(recorder,
    /// box) draws it with the box moved.
    template <class DrawAt> bool stampedBox(StampKey& key, const Box& b, DrawAt&& drawAt);
    /// A canvas that records the runs it would write, for a figure within width x height.
    struct Recording {
    };
    ImageCanvas(Recording, int width, int height);
    void replay(Stamp& stamp, int ax, int ay) noexcept;
    void record(int y, int x0, int x1, const Fill& f) noexcept;
    bool penDraws() const noexcept { return pen_.style != PenStyle::None; }
    bool wide() const noexcept { return penPixels_ > 1.0; }

    // Filling.
    /// Before writing a pixel in colour c straight into the image: the batch of another colour
    /// goes first, so that the new pixel lies on top.
    void before(QRgb c) noexcept
    {
        if (pending_ && batchColour_ != c)
            flush();
    }
    /// Opens the batch for marks in colour c (after before(c)), if it is not open already.
    void openBatch(QRgb c)
    {
        if (pending_)
            return;
        if (cover_.empty())
            cover_.assign(static_cast<std::size_t>(words_) * static_cast<std::size_t>(cb_ - ct_), 0);
        batchColour_ = c;
        pending_ = true;
    }
    void mark(int y, int x0, int x1) noexcept; // pixels x0..x1 of row y into the batch
    void span(int y, double xFrom, double xTo, const Fill& f) noexcept; // centres in [xFrom, xTo)
    void fillRows(int y, int x0, int x1, const Fill& f) noexcept;       // pixels x0..x1
    void fillPolygon(const P* points, std::size_t count, const Fill& f);
    void fillManyEdges(const P* points, std::size_t count, int y0, int y1, const Fill& f);
    void fillEllipse(double cx, double cy, double rx, double ry, const Fill& f) noexcept;
    void fillRing(double cx, double cy, double outer, double inner, const Fill& f) noexcept;
    void fillBox(const Box& b, const Fill& f) noexcept;
    void fillSector(double cx, double cy, double outer, double inner, double startDeg, double sweepDeg,
                    const Fill& f);

    // Lines in the pen.
    void thinLine(P a, P b) noexcept;
    void capsule(P a, P b, double halfWidth, const Fill& f, bool startDisc = true) noexcept;
    void stroke(const P* points, std::size_t count, bool closed);
    /// The outline of a closed figure given as a polygon, in the pen.
    void outline(const P* points, std::size_t count) { stroke(points, count, true); }

    /// A picture's part drawn by nearest pixel (see imagePart).
    void blit(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
              const QImage& part, QPoint at);

    void arcPoints(double cx, double cy, double rx, double ry, double startDeg, double sweepDeg);
    void roundRectPoints(const Box& b, double rx, double ry);
    bool arcAngles(const Box& b, TPoint start, TPoint end, double& startDeg, double& sweepDeg) const noexcept;

    QImage& img_;
    uchar* bits_ = nullptr; // row firstRow_ of the picture
    qsizetype stride_ = 0;
    int firstRow_ = 0;
    /// The start of a row of the picture (one of the image's rows).
    QRgb* rowAt(int y) const noexcept
    {
        return reinterpret_cast<QRgb*>(bits_ + static_cast<qsizetype>(y - firstRow_) * stride_);
    }
    int cl_ = 0, ct_ = 0, cr_ = 0, cb_ = 0; // clip: left, top inclusive; right, bottom exclusive
    double sx_ = 1, sy_ = -1, ox_ = 0, oy_ = 0;
    int brushOrgX_ = 0, brushOrgY_ = 0;

    CanvasPen pen_;
    double penPixels_ = 1;
    Fill penFill_;
    CanvasBrush brush_;
    Fill brushFill_;
    bool brushDraws_ = false;
    std::array<QRgb, 128> tile_{}; // the brush's pattern, each row twice over, from the brush origin
    const PatternBrush* tileOf_ = nullptr;
    qint64 tileKey_ = 0;

    bool stampsAllowed_ = true;
    StampCache* stamps_ = nullptr;         // null: the thread's own
    std::vector<StampRun>* rec_ = nullptr; // a recording canvas: where its runs go
    bool recFailed_ = false;               // it was asked to write a fill it cannot name

    std::vector<P> pts_;     // scratch: a figure's vertices
    std::vector<double> xs_; // scratch: crossings of a scan line
    struct Edge {
        int from, to;       // the scan lines it crosses: from <= y < to
        std::uint32_t a, b; // its end points, in the order of the outline
    };
    std::vector<Edge> edges_, active_; // scratch: a polygon's edges, those crossing the line

    // The batch: one bit per pixel of the clip, rows of `words_` 64-bit words from column
    // firstWord_ * 64; the marked words lie within marks_ (relative to the clip's first row
    // and word).
    bool batching_ = false;
    bool batchingAllowed_ = true;
    bool pending_ = false;
    QRgb batchColour_ = 0;
    std::vector<std::uint64_t> cover_;
    int words_ = 0;
    int firstWord_ = 0;
    /// Where marks were made: rows top..bottom, words left..right of the batch.
    struct Marks {
        int top = std::numeric_limits<int>::max(), bottom = -1;
        int left = std::numeric_limits<int>::max(), right = -1;
        void add(std::uint64_t* cover, int words, int firstWord, int r, int x0, int x1) noexcept;
        void merge(const Marks& other) noexcept;
    };
    Marks marks_;

    // Text and images go through a QPainter on the image, made at the first need.
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<Canvas> painterCanvas_;
    Canvas& qpainterCanvas();
};

} // namespace trevok

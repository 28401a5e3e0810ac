#include "view/imagecanvas.h"

#include "view/qpaintercanvas.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace trevok
{

/// A run of a stamp: pixels x0..x1 of row y, relative to the figure's anchor, in the brush
/// (role 0) or the pen (role 1).
struct StampRun {
    std::int16_t y, x0, x1;
    std::uint8_t role;
};

/// A figure's shape relative to its anchor, and the kinds of pen and brush it is drawn with.
struct StampKey {
    std::array<std::int32_t, 48> v{};
    std::uint32_t n = 0;

    void add(std::int32_t x) noexcept { v[n++] = x; }
    void add(double d) noexcept
    {
        const auto bits = std::bit_cast<std::uint64_t>(d);
        add(static_cast<std::int32_t>(bits & 0xFFFFFFFFu));
        add(static_cast<std::int32_t>(bits >> 32));
    }
    bool operator==(const StampKey& o) const noexcept
    {
        return n == o.n && std::equal(v.begin(), v.begin() + n, o.v.begin());
    }
};

/// The pixels of a figure as runs, relative to its anchor: each pixel in the role it shows
/// last, so that no two runs meet; the brush's runs first, then the pen's.
struct Stamp {
    std::vector<StampRun> runs;
    std::size_t penFrom = 0; // runs[penFrom..] are the pen's
    int left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20); // what it covers, inclusive
    bool usable = false; // false: the figure is drawn where it stands, every time
    // Each run's place from the anchor and its length, for rows `words` pixels apart (the
    // picture's; worked out at the first replay into it).
    struct Place {
        std::int32_t at, n;
    };
    std::vector<Place> places;
    qsizetype placedFor = 0;
};

namespace
{

std::uint64_t hashOf(const StampKey& k) noexcept
{
    std::uint64_t h = 0xcbf29ce484222325u;
    for (std::uint32_t i = 0; i < k.n; ++i)
        h = (h ^ static_cast<std::uint32_t>(k.v[i])) * 0x100000001b3u;
    return h ^ (h >> 29);
}

} // namespace

/// Stamps by shape, in an open table probed in a row: a repaint looks up every pad and hole,
/// and the slots it looks at lie together. Bounded: a board of one-off shapes (areas, circles)
/// would otherwise keep adding to it.
struct StampCache {
    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t entry = 0; // index into entries, plus one; 0: free
    };
    std::vector<Slot> table; // a power of two, at most half taken
    std::vector<std::pair<StampKey, Stamp>> entries;
    std::size_t runs = 0;

    Stamp* find(const StampKey& key, std::uint64_t hash) noexcept
    {
        if (table.empty())
            return nullptr;
        const std::size_t mask = table.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& s = table[i];
            if (s.entry == 0)
                return nullptr;
            if (s.hash == hash && entries[s.entry - 1].first == key)
                return &entries[s.entry - 1].second;
        }
    }
    Stamp& insert(const StampKey& key, std::uint64_t hash, Stamp stamp)
    {
        if (2 * (entries.size() + 1) > table.size()) {
            std::vector<Slot> old(std::max<std::size_t>(64, 2 * table.size()));
            old.swap(table);
            for (const Slot& s : old)
                if (s.entry != 0)
                    place(s);
        }
        entries.emplace_back(key, std::move(stamp));
        place({hash, static_cast<std::uint32_t>(entries.size())});
        return entries.back().second;
    }
    void place(const Slot& s) noexcept
    {
        const std::size_t mask = table.size() - 1;
        std::size_t i = s.hash & mask;
        while (table[i].entry != 0)
            i = (i + 1) & mask;
        table[i] = s;
    }
    void clear() noexcept
    {
        table.clear();
        entries.clear();
        runs = 0;
    }
};

namespace
{

StampCache& threadStamps()
{
    thread_local StampCache cache;
    return cache;
}

constexpr std::size_t MaxStamps = 20000;
constexpr std::size_t MaxStampRuns = 1000000;
/// Wider pens take no stamp: their reach would make the recording large.
constexpr double MaxStampPen = 32.0;

/// The image of a recording canvas, which writes no pixel.
QImage& noImage()
{
    static QImage none;
    return none;
}

bool whole(double v) noexcept
{
    return v == std::floor(v) && std::abs(v) < 1e8;
}

constexpr double Pi = std::numbers::pi;
/// Device coordinates are kept within this range: far beyond any image, small enough that
/// products of two of them stay exact in 64-bit integers.
constexpr double DeviceLimit = 1e9;
/// Runs of at least this many pixels (less one) are batched.
constexpr int MinBatchedRun = 24;

QRgb opaque(ColourRef c) noexcept
{
    return 0xFF000000u | (static_cast<QRgb>(RedOf(c)) << 16) | (static_cast<QRgb>(GreenOf(c)) << 8) |
           static_cast<QRgb>(BlueOf(c));
}

/// The smallest whole number not below v, limited to lo..hi (lo for NaN). Pixel sampling asks
/// for ceilings, not nearest values; this runs for every span, so it avoids the library call.
inline int ceilPixel(double v, int lo, int hi) noexcept
{
    if (!(v > lo))
        return lo;
    if (v >= hi)
        return hi;
    const int t = static_cast<int>(v); // toward zero: already the ceiling when v < 0
    return t < v ? t + 1 : t;
}

/// The largest whole number not above v, limited to lo..hi (lo for NaN).
inline int floorPixel(double v, int lo, int hi) noexcept
{
    if (!(v > lo))
        return lo;
    if (v >= hi)
        return hi;
    const int t = static_cast<int>(v);
    return t > v ? t - 1 : t;
}

/// Writes n pixels (n >= 1) from at in one colour. Most runs of a frame are a few pixels
/// long: they take two overlapping stores of four pixels, or single ones.
[[gnu::always_inline]] inline void writeRunOf(QRgb* at, int n, QRgb c) noexcept
{
    if (n < 4) {
        at[0] = c;
        at[n - 1] = c;
        at[n >> 1] = c;
        return;
    }
    const std::array<QRgb, 4> four{c, c, c, c};
    if (n <= 8) {
        std::memcpy(at, four.data(), sizeof four);
        std::memcpy(at + n - 4, four.data(), sizeof four);
        return;
    }
    // Longer ones (a flat track's rows, a board's background) eight pixels a step, the last
    // eight laid over what went before.
    for (int k = 0; k + 8 <= n; k += 8) {
        std::memcpy(at + k, four.data(), sizeof four);
        std::memcpy(at + k + 4, four.data(), sizeof four);
    }
    std::memcpy(at + n - 8, four.data(), sizeof four);
    std::memcpy(at + n - 4, four.data(), sizeof four);
}

/// Writes pixels x0..x1 (x0 <= x1) of a row in one colour.
[[gnu::always_inline]] inline void writeRun(QRgb* row, int x0, int x1, QRgb c) noexcept
{
    writeRunOf(row + x0, x1 - x0 + 1, c);
}

/// Writes pixels x0..x1 of a row in a pattern: tile holds the pattern's row twice over (16
/// entries), and x0 takes entry from (0..7), so that any eight pixels in a row are eight
/// entries of it.
[[gnu::always_inline]] inline void writePattern(QRgb* row, int x0, int x1, const QRgb* tile,
                                                int from) noexcept
{
    // As writeRun: the end of a run is one more store laid over the last (the pattern repeats
    // every eight pixels).
    const QRgb* t = tile + from;
    const int n = x1 - x0 + 1;
    QRgb* at = row + x0;
    if (n < 4) {
        at[0] = t[0];
        at[n - 1] = t[n - 1];
        at[n >> 1] = t[n >> 1];
        return;
    }
    if (n <= 8) {
        std::memcpy(at, t, 4 * sizeof(QRgb));
        std::memcpy(at + n - 4, t + n - 4, 4 * sizeof(QRgb));
        return;
    }
    for (int k = 0; k + 8 <= n; k += 8)
        std::memcpy(at + k, t, 8 * sizeof(QRgb));
    std::memcpy(at + n - 8, tile + ((from + n) & 7), 8 * sizeof(QRgb));
}

/// Visual angle of a device point about a device centre, degrees anticlockwise on the screen.
double screenAngle(double cx, double cy, double x, double y) noexcept
{
    const double a = std::atan2(cy - y, x - cx) * 180.0 / Pi;
    return a < 0 ? a + 360.0 : a;
}

} // namespace

ImageCanvas::ImageCanvas(QImage& image, const QRect& clip, int firstRow) : img_(image), firstRow_(firstRow)
{
    const auto f = img_.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        throw std::invalid_argument("ImageCanvas needs a 32-bit RGB image");
    bits_ = img_.bits();
    stride_ = img_.bytesPerLine();
    const QRect rows = img_.rect().translated(0, firstRow_);
    const QRect r = clip.isNull() ? rows : clip.intersected(rows);
    cl_ = r.left();
    ct_ = r.top();
    cr_ = r.isEmpty() ? cl_ : r.right() + 1;
    cb_ = r.isEmpty() ? ct_ : r.bottom() + 1;
    firstWord_ = cl_ / 64;
    words_ = cr_ > cl_ ? (cr_ - 1) / 64 - firstWord_ + 1 : 0;
    setMapping(CanvasMapping::identity());
}

ImageCanvas::ImageCanvas(Recording, int width, int height) : img_(noImage())
{
    cr_ = width;
    cb_ = height;
    words_ = (width + 63) / 64;
    batchingAllowed_ = false;
    stampsAllowed_ = false;
    setMapping(CanvasMapping::identity());
}

ImageCanvas::~ImageCanvas()
{
    flush();
}

void ImageCanvas::clearStamps() noexcept
{
    threadStamps().clear();
}

void ImageCanvas::useStamps(StampStore& store) noexcept
{
    stamps_ = store.cache_.get();
}

StampStore::StampStore() : cache_(std::make_unique<StampCache>()) {}
StampStore::~StampStore() = default;
StampStore::StampStore(StampStore&&) noexcept = default;
StampStore& StampStore::operator=(StampStore&&) noexcept = default;

void StampStore::clear() noexcept
{
    cache_->clear();
}

void ImageCanvas::record(int y, int x0, int x1, const Fill& f) noexcept
{
    const std::uint8_t role = &f == &brushFill_ ? 0 : &f == &penFill_ ? 1 : 2;
    if (role == 2) {
        recFailed_ = true;
        return;
    }
    rec_->push_back(
        {static_cast<std::int16_t>(y), static_cast<std::int16_t>(x0), static_cast<std::int16_t>(x1), role});
}

void ImageCanvas::replay(Stamp& stamp, int ax, int ay) noexcept
{
    const bool inside =
        ax + stamp.left >= cl_ && ax + stamp.right < cr_ && ay + stamp.top >= ct_ && ay + stamp.bottom < cb_;
    if (!inside || batching_) {
        for (const StampRun& r : stamp.runs) {
            const int y = ay + r.y;
            if (y < ct_ || y >= cb_)
                continue;
            const int x0 = std::max(ax + r.x0, cl_), x1 = std::min(ax + r.x1, cr_ - 1);
            if (x0 <= x1)
                fillRows(y, x0, x1, r.role ? penFill_ : brushFill_);
        }
        return;
    }
    // Wholly inside and written at once: the runs go straight into the rows.
    auto write = [&](const StampRun* from, const StampRun* to, const Fill& f) {
        if (from == to)
            return;
        before(f.colour);
        // The anchor's place from locals: the pixels written could alias the canvas's own
        // ints, which would have them loaded again for every run.
        QRgb* const bits = reinterpret_cast<QRgb*>(bits_);
        const qsizetype words = stride_ / static_cast<qsizetype>(sizeof(QRgb));
        const qsizetype anchor = static_cast<qsizetype>(ay - firstRow_) * words + ax;
        if (!f.tile) {
            if (stamp.placedFor != words) {
                stamp.places.clear();
                for (const StampRun& r : stamp.runs)
                    stamp.places.push_back({static_cast<std::int32_t>(r.y * words + r.x0), r.x1 - r.x0 + 1});
                stamp.placedFor = words;
            }
            const QRgb c = f.colour;
            QRgb* const at = bits + anchor;
            const Stamp::Place* p = stamp.places.data() + (from - stamp.runs.data());
            for (const StampRun* r = from; r != to; ++r, ++p)
                writeRunOf(at + p->at, p->n, c);
            return;
        }
        const int orgX = ax - brushOrgX_, orgY = ay - brushOrgY_;
        for (const StampRun* r = from; r != to; ++r)
            writePattern(bits + (anchor + r->y * words), r->x0, r->x1, f.tile + ((orgY + r->y) & 7) * 16,
                         (orgX + r->x0) & 7);
    };
    const StampRun* runs = stamp.runs.data();
    write(runs, runs + stamp.penFrom, brushFill_);
    write(runs + stamp.penFrom, runs + stamp.runs.size(), penFill_);
}

template <class Draw>
bool ImageCanvas::stamped(StampKey& key, double ax, double ay, double w, double h, Draw&& draw)
{
    if (!stampsAllowed_ || !(w >= 0 && w <= StampSide && h >= 0 && h <= StampSide) || !whole(ax) ||
        !whole(ay))
        return false;
    if (penDraws() && (pen_.style == PenStyle::Dot || penPixels_ > MaxStampPen))
        return false;
    // What the drawing of a figure asks of the pen and brush besides their colours.
    key.add(static_cast<std::int32_t>(penDraws() ? static_cast<int>(pen_.style) + 1 : 0));
    key.add(penPixels_);
    // Points are rounded half to even: a figure moved by an odd number of pixels may round
    // its points the other way. Each parity of the anchor has its stamp, recorded at the same.
    const auto ix = static_cast<std::int64_t>(ax), iy = static_cast<std::int64_t>(ay);
    key.add(static_cast<std::int32_t>((brushDraws_ ? 1 : 0) | (brushFill_.tile ? 2 : 0) |
                                      (brushFill_.colour == penFill_.colour ? 4 : 0) | ((ix & 1) << 3) |
                                      ((iy & 1) << 4)));
    StampCache& cache = stamps_ ? *stamps_ : threadStamps();
    const std::uint64_t hash = hashOf(key);
    Stamp* found = cache.find(key, hash);
    if (!found) {
        // Drawn with a margin all round, so that a run on the recording's edge shows that the
        // figure reaches further than it was thought to.
        const int m = static_cast<int>(std::ceil(penPixels_)) + 3;
        const int mx = m + static_cast<int>((m - ix) & 1), my = m + static_cast<int>((m - iy) & 1);
        const int width = static_cast<int>(std::ceil(w)) + 2 * m + 2;
        const int height = static_cast<int>(std::ceil(h)) + 2 * m + 2;
        ImageCanvas rec(Recording{}, width, height);
        rec.pen_ = pen_;
        rec.penPixels_ = penPixels_;
        rec.penFill_ = penFill_;
        rec.brush_ = brush_;
        rec.brushDraws_ = brushDraws_;
        rec.brushFill_ = brushFill_;
        std::vector<StampRun> written;
        rec.rec_ = &written;
        draw(rec, mx - ax, my - ay);
        Stamp stamp;
        stamp.usable = !rec.recFailed_;
        // Laid over each other in the order written: the role each pixel shows last (one role
        // when brush and pen are the same colour).
        const bool oneColour = !brushFill_.tile && brushFill_.colour == penFill_.colour;
        std::vector<std::uint8_t> shows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                        0);
        for (const StampRun& r : written) {
            if (r.y <= 0 || r.y >= height - 1 || r.x0 <= 0 || r.x1 >= width - 1) {
                stamp.usable = false;
                break;
            }
            std::uint8_t* row =
                shows.data() + static_cast<std::size_t>(r.y) * static_cast<std::size_t>(width);
            std::fill(row + r.x0, row + r.x1 + 1, static_cast<std::uint8_t>(oneColour ? 1 : r.role + 1));
        }
        for (std::uint8_t role = 1; stamp.usable && role <= 2; ++role) {
            if (role == 2)
                stamp.penFrom = stamp.runs.size();
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* row =
                    shows.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
                for (int x = 0; x < width; ++x) {
                    if (row[x] != role)
                        continue;
                    int end = x;
                    while (end + 1 < width && row[end + 1] == role)
                        ++end;
                    stamp.runs.push_back(
                        {static_cast<std::int16_t>(y - my), static_cast<std::int16_t>(x - mx),
                         static_cast<std::int16_t>(end - mx), static_cast<std::uint8_t>(role - 1)});
                    stamp.left = std::min(stamp.left, x - mx);
                    stamp.right = std::max(stamp.right, end - mx);
                    stamp.top = std::min(stamp.top, y - my);
                    stamp.bottom = std::max(stamp.bottom, y - my);
                    x = end;
                }
            }
        }
        if (!stamp.usable)
            stamp.runs = {};
        if (cache.entries.size() >= MaxStamps || cache.runs + stamp.runs.size() > MaxStampRuns)
            cache.clear();
        cache.runs += stamp.runs.size();
        found = &cache.insert(key, hash, std::move(stamp));
    }
    if (!found->usable)
        return false;
    replay(*found, static_cast<int>(ix), static_cast<int>(iy));
    return true;
}

void ImageCanvas::setBatching(bool on)
{
    flush();
    batching_ = on && batchingAllowed_;
}

void ImageCanvas::allowBatching(bool allowed)
{
    batchingAllowed_ = allowed;
    if (!allowed)
        setBatching(false);
}

Canvas& ImageCanvas::qpainterCanvas()
{
    flush();
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&img_);
        // The painter works in the picture's pixels too; a whole-pixel move changes no pixel.
        painter_->translate(0, -firstRow_);
        painter_->setClipRect(QRect(cl_, ct_, cr_ - cl_, cb_ - ct_));
        painterCanvas_ = std::make_unique<QPainterCanvas>(*painter_);
    }
    painterCanvas_->setMapping(map_);
    return *painterCanvas_;
}

void ImageCanvas::setMapping(const CanvasMapping& m)
{
    Canvas::setMapping(m);
    sx_ = m.scaleX();
    sy_ = m.scaleY();
    ox_ = m.viewportOrgX - m.windowOrgX * sx_;
    oy_ = m.viewportOrgY - m.windowOrgY * sy_;
    // Hatches are tiled from the board origin, so that they do not crawl when the view scrolls.
    brushOrgX_ = static_cast<int>(RoundHalfEven(std::clamp(ox_, -DeviceLimit, DeviceLimit)));
    brushOrgY_ = static_cast<int>(RoundHalfEven(std::clamp(oy_, -DeviceLimit, DeviceLimit)));
    setPen(pen_);
}

namespace
{
/// The whole number nearest v, halves to even, for |v| <= DeviceLimit: added to 1.5 * 2^52,
/// v keeps no fraction, and the addition rounds the way the processor rounds, to nearest,
/// halves to even. The same as RoundHalfEven64, in two additions; every vertex of every
/// figure of a repaint goes through it.
inline double roundDevice(double v) noexcept
{
    constexpr double shift = 6755399441055744.0;
    static_assert(DeviceLimit < shift / 3);
    if (std::isnan(v))
        return 0; // as RoundHalfEven64 has it
    return (std::clamp(v, -DeviceLimit, DeviceLimit) + shift) - shift;
}
} // namespace

double ImageCanvas::devX(double x) const noexcept
{
    return roundDevice(ox_ + x * sx_);
}

double ImageCanvas::devY(double y) const noexcept
{
    return roundDevice(oy_ + y * sy_);
}

void ImageCanvas::setPen(const CanvasPen& p)
{
    pen_ = p;
    double w = p.inPixels ? p.width : std::abs(p.width * sx_);
    if (p.style == PenStyle::Dot || !(w >= 1.0))
        w = 1.0; // a dotted pen, and any pen thinner than a pixel, draws one pixel wide
    penPixels_ = std::min(w, 2 * DeviceLimit);
    penFill_ = Fill{opaque(p.colour), nullptr};
}

void ImageCanvas::setBrush(const CanvasBrush& b)
{
    brush_ = b;
    brushDraws_ = b.style != BrushStyle::None && !(b.style == BrushStyle::Pattern && !b.pattern);
    brushFill_ = Fill{opaque(b.colour), nullptr};
    if (b.style == BrushStyle::Pattern && b.pattern) {
        const qint64 key = b.pattern->tile.cacheKey();
        if (tileOf_ != b.pattern || tileKey_ != key) {
            for (int r = 0; r < 8; ++r)
                for (int c = 0; c < 16; ++c)
                    tile_[static_cast<std::size_t>(r * 16 + c)] =
                        (b.pattern->rows[static_cast<std::size_t>(r)] >> (7 - c % 8)) & 1
                            ? opaque(b.pattern->fore)
                            : opaque(b.pattern->back);
            tileOf_ = b.pattern;
            tileKey_ = key;
        }
        brushFill_.tile = tile_.data();
    }
}

ImageCanvas::Box ImageCanvas::box(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                  std::int64_t y2) const noexcept
{
    const double a = devX(static_cast<double>(x1)), b = devX(static_cast<double>(x2));
    const double c = devY(static_cast<double>(y1)), d = devY(static_cast<double>(y2));
    return {std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)};
}

ImageCanvas::Box ImageCanvas::figure(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                     std::int64_t y2) const noexcept
{
    Box b = box(x1, y1, x2, y2);
    if (penDraws() && pen_.style == PenStyle::InsideFrame && wide()) {
        const double h = std::min({penPixels_ / 2.0, (b.right - b.left) / 2.0, (b.bottom - b.top) / 2.0});
        b = {b.left + h, b.top + h, b.right - h, b.bottom - h};
    }
    return b;
}

// ---------------------------------------------------------------------------------------------
// Filling. A device coordinate names a pixel centre: a figure covers pixel (i, j) when the
// point (i, j) lies inside it, edges closed at the left and top and open at the right and bottom.

[[gnu::always_inline]] inline void ImageCanvas::Marks::add(std::uint64_t* cover, int words, int firstWord,
                                                           int r, int x0, int x1) noexcept
{
    // Columns of the picture are never negative: word and bit by shifts and masks.
    const auto ux0 = static_cast<unsigned>(x0), ux1 = static_cast<unsigned>(x1);
    const int w0 = static_cast<int>(ux0 >> 6) - firstWord, w1 = static_cast<int>(ux1 >> 6) - firstWord;
    std::uint64_t* row = cover + static_cast<std::size_t>(r) * static_cast<std::size_t>(words);
    const std::uint64_t m0 = ~std::uint64_t{0} << (ux0 & 63);
    const std::uint64_t m1 = ~std::uint64_t{0} >> (63 - (ux1 & 63));
    if (w0 == w1) {
        row[w0] |= m0 & m1;
    } else {
        row[w0] |= m0;
        for (int w = w0 + 1; w < w1; ++w)
            row[w] = ~std::uint64_t{0};
        row[w1] |= m1;
    }
    top = std::min(top, r);
    bottom = std::max(bottom, r);
    left = std::min(left, w0);
    right = std::max(right, w1);
}

[[gnu::always_inline]] inline void ImageCanvas::mark(int y, int x0, int x1) noexcept
{
    marks_.add(cover_.data(), words_, firstWord_, y - ct_, x0, x1);
}

void ImageCanvas::Marks::merge(const Marks& other) noexcept
{
    top = std::min(top, other.top);
    bottom = std::max(bottom, other.bottom);
    left = std::min(left, other.left);
    right = std::max(right, other.right);
}

void ImageCanvas::flush() noexcept
{
    if (!pending_)
        return;
    pending_ = false;
    const QRgb c = batchColour_;
    for (int r = marks_.top; r <= marks_.bottom; ++r) {
        std::uint64_t* row = cover_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(words_);
        QRgb* out = rowAt(r + ct_);
        for (int w = marks_.left; w <= marks_.right; ++w) {
            std::uint64_t m = row[w];
            if (!m)
                continue;
            row[w] = 0;
            QRgb* at = out + (w + firstWord_) * 64;
            if (m == ~std::uint64_t{0}) {
                std::fill(at, at + 64, c);
                continue;
            }
            // The runs of set bits, lowest first.
            while (m) {
                const int from = std::countr_zero(m);
                const std::uint64_t rest = m >> from;
                const int n = rest == ~std::uint64_t{0} >> from ? 64 - from : std::countr_zero(~rest);
                for (int k = 0; k < n; ++k)
                    at[from + k] = c;
                m = from + n >= 64 ? 0 : m & (~std::uint64_t{0} << (from + n));
            }
        }
    }
    marks_ = Marks();
}

// Spans are the innermost work of every figure, mostly a few pixels long: both are inlined,
// and short solid runs are written by a plain loop rather than the vectorised fill.
[[gnu::always_inline]] inline void ImageCanvas::fillRows(int y, int x0, int x1, const Fill& f) noexcept
{
    if (rec_) [[unlikely]] {
        record(y, x0, x1, f);
        return;
    }
    before(f.colour);
    // Long runs go into the batch; a short one costs less written at once, which is the same
    // picture as long as the batch holds only its colour.
    if (!f.tile && batching_ && x1 - x0 >= MinBatchedRun) {
        openBatch(f.colour);
        mark(y, x0, x1);
        return;
    }
    QRgb* row = rowAt(y);
    if (!f.tile) {
        writeRun(row, x0, x1, f.colour);
        return;
    }
    flush();
    writePattern(row, x0, x1, f.tile + ((y - brushOrgY_) & 7) * 16, (x0 - brushOrgX_) & 7);
}

[[gnu::always_inline]] inline void ImageCanvas::span(int y, double xFrom, double xTo, const Fill& f) noexcept
{
    if (y < ct_ || y >= cb_ || !(xTo > xFrom))
        return;
    const int x0 = ceilPixel(xFrom, cl_, cr_);
    const int x1 = ceilPixel(xTo, cl_, cr_) - 1;
    if (x0 <= x1)
        fillRows(y, x0, x1, f);
}

void ImageCanvas::fillBox(const Box& b, const Fill& f) noexcept
{
    const int y0 = ceilPixel(b.top, ct_, cb_);
    const int y1 = ceilPixel(b.bottom, ct_, cb_);
    for (int y = y0; y < y1; ++y)
        span(y, b.left, b.right, f);
}

void ImageCanvas::fillPolygon(const P* p, std::size_t n, const Fill& f)
{
    if (n < 3)
        return;
    double top = p[0].y, bottom = p[0].y, left = p[0].x, right = p[0].x;
    for (std::size_t i = 1; i < n; ++i) {
        top = std::min(top, p[i].y);
        bottom = std::max(bottom, p[i].y);
        left = std::min(left, p[i].x);
        right = std::max(right, p[i].x);
    }
    if (right < cl_ - 1 || left > cr_ || bottom < ct_ - 1 || top > cb_)
        return;
    const int y0 = ceilPixel(top, ct_, cb_);
    const int y1 = ceilPixel(bottom, ct_, cb_);
    if (n > 12) {
        fillManyEdges(p, n, y0, y1, f);
        return;
    }
    for (int y = y0; y < y1; ++y) {
        const double yc = y;
        xs_.clear();
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            const P& a = p[j];
            const P& b = p[i];
            if ((a.y <= yc) != (b.y <= yc))
                xs_.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        if (xs_.size() == 2) {
            span(y, std::min(xs_[0], xs_[1]), std::max(xs_[0], xs_[1]), f);
            continue;
        }
        std::sort(xs_.begin(), xs_.end());
        for (std::size_t k = 0; k + 1 < xs_.size(); k += 2) // even-odd
            span(y, xs_[k], xs_[k + 1], f);
    }
}

void ImageCanvas::fillManyEdges(const P* p, std::size_t n, int y0, int y1, const Fill& f)
{
    // The same crossings as above, but each scan line visits only the edges that reach it: the
    // outline of an arc has hundreds of edges, and a few of them cross any one line.
    edges_.clear();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double lo = std::min(p[j].y, p[i].y), hi = std::max(p[j].y, p[i].y);
        // Rows y with lo <= y < hi.
        const int from = ceilPixel(lo, y0, y1), to = ceilPixel(hi, y0, y1);
        if (from < to)
            edges_.push_back({from, to, static_cast<std::uint32_t>(j), static_cast<std::uint32_t>(i)});
    }
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.from < b.from; });
    std::size_t next = 0;
    active_.clear();
    for (int y = y0; y < y1; ++y) {
        while (next < edges_.size() && edges_[next].from <= y)
            active_.push_back(edges_[next++]);
        std::erase_if(active_, [y](const Edge& e) { return e.to <= y; });
        if (active_.empty()) {
            if (next == edges_.size())
                break;
            continue;
        }
        const double yc = y;
        xs_.clear();
        for (const Edge& e : active_) {
            const P& a = p[e.a];
            const P& b = p[e.b];
            xs_.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
        }
        std::sort(xs_.begin(), xs_.end());
        for (std::size_t k = 0; k + 1 < xs_.size(); k += 2) // even-odd
            span(y, xs_[k], xs_[k + 1], f);
    }
}

void ImageCanvas::fillEllipse(double cx, double cy, double rx, double ry, const Fill& f) noexcept
{
    if (!(rx > 0) || !(ry > 0))
        return;
    const int y0 = floorPixel(cy - ry, ct_, cb_);
    const int y1 = ceilPixel(cy + ry + 1, ct_, cb_);
    for (int y = y0; y < y1; ++y) {
        const double t = (y - cy) / ry;
        if (t <= -1.0 || t >= 1.0)
            continue;
        const double hw = rx * std::sqrt(1.0 - t * t);
        span(y, cx - hw, cx + hw, f);
    }
}

void ImageCanvas::fillRing(double cx, double cy, double outer, double inner, const Fill& f) noexcept
{
    if (!(outer > 0))
        return;
    if (!(inner > 0)) {
        fillEllipse(cx, cy, outer, outer, f);
        return;
    }
    const int y0 = floorPixel(cy - outer, ct_, cb_);
    const int y1 = ceilPixel(cy + outer + 1, ct_, cb_);
    for (int y = y0; y < y1; ++y) {
        const double d = y - cy;
        if (std::abs(d) >= outer)
            continue;
        const double ho = std::sqrt(outer * outer - d * d);
        if (std::abs(d) >= inner) {
            span(y, cx - ho, cx + ho, f);
            continue;
        }
        const double hi = std::sqrt(inner * inner - d * d);
        span(y, cx - ho, cx - hi, f);
        span(y, cx + hi, cx + ho, f);
    }
}

void ImageCanvas::arcPoints(double cx, double cy, double rx, double ry, double startDeg, double sweepDeg)
{
    // Enough vertices that no chord strays more than a quarter pixel from the curve.
    const double r = std::max({rx, ry, 0.5});
    const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - 0.25 / r));
    const double sweep = sweepDeg * Pi / 180.0;
    const int n = static_cast<int>(std::clamp(std::ceil(std::abs(sweep) / step), 2.0, 4096.0));
    const double a0 = startDeg * Pi / 180.0;
    // The offsets from the centre are kept to 2^-20 pixel, which makes each vertex exact
    // whatever the centre: a figure then rounds its vertices the same wherever it stands.
    // (cos 90 degrees is not quite 0, and added to a centre on a half pixel it would round
    // to the half or away from it depending on the centre's size.)
    auto grid = [](double v) {
        constexpr double shift = 6442450944.0; // 1.5 * 2^32: sums lie where doubles are 2^-20 apart
        return (v + shift) - shift;
    };
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + sweep * i / n;
        pts_.push_back({cx + grid(rx * std::cos(a)), cy - grid(ry * std::sin(a))});
    }
}

void ImageCanvas::fillSector(double cx, double cy, double outer, double inner, double startDeg,
                             double sweepDeg, const Fill& f)
{
    pts_.clear();
    arcPoints(cx, cy, outer, outer, startDeg, sweepDeg);
    if (inner > 0) {
        const std::size_t outerCount = pts_.size();
        arcPoints(cx, cy, inner, inner, startDeg, sweepDeg);
        std::reverse(pts_.begin() + static_cast<std::ptrdiff_t>(outerCount), pts_.end());
    } else {
        pts_.push_back({cx, cy});
    }
    fillPolygon(pts_.data(), pts_.size(), f);
}

// ---------------------------------------------------------------------------------------------
// Lines

void ImageCanvas::thinLine(P a, P b) noexcept
{
    // Exact integer steps from the rounded end points, visiting only the columns (or rows) of
    // the clip, so that a line looks the same however the picture is cut into repaints. Step i
    // along the major axis moves round-half-up(i * minor / major) along the minor axis.
    const std::int64_t x0 = RoundHalfEven64(a.x), y0 = RoundHalfEven64(a.y);
    const std::int64_t x1 = RoundHalfEven64(b.x), y1 = RoundHalfEven64(b.y);
    const bool xMajor = std::abs(x1 - x0) >= std::abs(y1 - y0);
    const bool dotted = pen_.style == PenStyle::Dot;
    // Work in (major, minor) coordinates.
    const std::int64_t m0 = xMajor ? x0 : y0, m1 = xMajor ? x1 : y1;
    const std::int64_t n0 = xMajor ? y0 : x0, n1 = xMajor ? y1 : x1;
    const std::int64_t dm = std::abs(m1 - m0), dn = std::abs(n1 - n0);
    const std::int64_t ms = m1 < m0 ? -1 : 1, ns = n1 < n0 ? -1 : 1;
    const std::int64_t lo = xMajor ? cl_ : ct_, hi = (xMajor ? cr_ : cb_) - 1;
    // The steps whose major coordinate lies inside the clip (all of them for most lines, and
    // for the short chords of every small circle: those skip the bounds and the division).
    std::int64_t iFrom = 0, iTo = dm;
    const bool inside = std::min(x0, x1) >= cl_ && std::max(x0, x1) < cr_ && std::min(y0, y1) >= ct_ &&
                        std::max(y0, y1) < cb_;
    if (!inside && ms > 0) {
        iFrom = std::max<std::int64_t>(iFrom, lo - m0);
        iTo = std::min<std::int64_t>(iTo, hi - m0);
    } else if (!inside) {
        iFrom = std::max<std::int64_t>(iFrom, m0 - hi);
        iTo = std::min<std::int64_t>(iTo, m0 - lo);
    }
    // And the steps whose minor coordinate lies inside it: step i moves q(i) = floor((2 i dn +
    // dm) / 2 dm) along the minor axis, which never decreases, so each bound is one division.
    // A line passing beside the clip (a rubber band across the board) then costs nothing; a
    // line within the clip across its minor axis needs no such bound.
    if (const std::int64_t nlo = xMajor ? ct_ : cl_, nhi = (xMajor ? cb_ : cr_) - 1;
        !inside && (std::min(n0, n1) < nlo || std::max(n0, n1) > nhi)) {
        const std::int64_t qlo = ns > 0 ? nlo - n0 : n0 - nhi;
        const std::int64_t qhi = ns > 0 ? nhi - n0 : n0 - nlo;
        if (qhi < 0 || (dn == 0 && qlo > 0))
            return;
        const std::int64_t dm1 = std::max<std::int64_t>(dm, 1);
        auto ceilDiv = [](std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); };
        if (dn > 0) {
            if (qlo > 0)
                iFrom = std::max(iFrom, ceilDiv(2 * dm1 * qlo - dm1, 2 * dn));
            iTo = std::min(iTo, ceilDiv(2 * dm1 * (qhi + 1) - dm1, 2 * dn) - 1);
        }
    }
    if (iFrom > iTo)
        return;
    const QRgb c = penFill_.colour;
    before(c);
    const std::int64_t den = 2 * std::max<std::int64_t>(dm, 1);
    const std::int64_t num = 2 * iFrom * dn + dm; // fits: both factors stay below 2^31
    // From the first step (dm < den) no division is needed.
    std::int64_t n = iFrom == 0 ? n0 : n0 + ns * (num / den);
    std::int64_t rem = iFrom == 0 ? dm : num % den;
    // Walk by word offsets in the picture; a pixel is written only when its minor coordinate
    // lies inside the clip too (the major one always does).
    const std::int64_t words = stride_ / static_cast<qsizetype>(sizeof(QRgb));
    const std::int64_t majorStep = xMajor ? ms : ms * words;
    const std::int64_t minorStep = xMajor ? ns * words : ns;
    const std::int64_t nlo = xMajor ? ct_ : cl_, nhi = (xMajor ? cb_ : cr_) - 1;
    const std::int64_t m = m0 + ms * iFrom;
    std::int64_t offset = xMajor ? (n - firstRow_) * words + m : (m - firstRow_) * words + n;
    if (rec_) [[unlikely]] {
        for (std::int64_t i = iFrom, step = m; i <= iTo; ++i, step += ms) {
            if (n >= nlo && n <= nhi && !(dotted && (i & 1))) {
                const auto x = static_cast<int>(xMajor ? step : n), y = static_cast<int>(xMajor ? n : step);
                record(y, x, x, penFill_);
            }
            rem += 2 * dn;
            if (rem >= den) {
                rem -= den;
                n += ns;
            }
        }
        return;
    }
    auto* base = reinterpret_cast<QRgb*>(bits_);
    if (!dotted && std::min(n0, n1) >= nlo && std::max(n0, n1) <= nhi) {
        // The whole line lies inside the clip across its minor axis (nearly every line): the
        // same walk without the test per pixel.
        const std::int64_t step = 2 * dn;
#pragma GCC unroll 4
        for (std::int64_t i = iFrom; i <= iTo; ++i) {
            base[offset] = c;
            offset += majorStep;
            rem += step;
            const bool minor = rem >= den;
            rem -= minor ? den : 0;
            offset += minor ? minorStep : 0;
        }
        return;
    }
    for (std::int64_t i = iFrom; i <= iTo; ++i) {
        if (n >= nlo && n <= nhi && !(dotted && (i & 1)))
            base[offset] = c;
        offset += majorStep;
        rem += 2 * dn;
        if (rem >= den) { // at most one minor step per major step
            rem -= den;
            n += ns;
            offset += minorStep;
        }
    }
}

void ImageCanvas::capsule(P a, P b, double h, const Fill& f, bool startDisc) noexcept
{
    // Every point closer than h to the segment: per scan line one span, the hull of the line's
    // meeting with the rectangle along the segment and with the discs at both ends. Without
    // startDisc the disc at a is left out (a polyline's previous segment has drawn it): the
    // rectangle and the disc at b still meet every scan line in one piece, and the union of the
    // segments is the same set of pixels.
    if (std::max(a.x, b.x) + h < cl_ - 1 || std::min(a.x, b.x) - h > cr_ ||
        std::max(a.y, b.y) + h < ct_ - 1 || std::min(a.y, b.y) - h > cb_)
        return;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0) {
        if (startDisc)
            fillEllipse(a.x, a.y, h, h, f);
        return;
    }
    const double ux = dx / len, uy = dy / len;
    const double iux = ux != 0 ? 1.0 / ux : 0.0, iuy = uy != 0 ? 1.0 / uy : 0.0;
    const double along = len * iux;
    const double hh = h * h;
    const int y0 = floorPixel(std::min(a.y, b.y) - h, ct_, cb_);
    const int y1 = ceilPixel(std::max(a.y, b.y) + h + 1, ct_, cb_);
    constexpr double inf = std::numeric_limits<double>::infinity();
    // Along the segment: 0 <= ux (x - ax) + uy (y - ay) <= len; across: |-uy (x - ax) + ux (y - ay)|
    // < h. On a row each is an interval in x; multiplying both sides of an order by the same
    // factor keeps or turns it by the factor's sign alone, so min and max put the ends in order.
    auto rectangle = [&](double ry, double& rlo, double& rhi) {
        rlo = -inf;
        rhi = inf;
        if (ux != 0) {
            const double p = a.x - uy * ry * iux, q = p + along;
            rlo = std::min(p, q);
            rhi = std::max(p, q);
        } else if (uy * ry < 0 || uy * ry > len) {
            rhi = -inf;
        }
        if (uy != 0) {
            const double t = ux * ry;
            const double p = a.x + (t - h) * iuy, q = a.x + (t + h) * iuy;
            rlo = std::max(rlo, std::min(p, q));
            rhi = std::min(rhi, std::max(p, q));
        } else if (std::abs(ux * ry) >= h) {
            rhi = -inf;
        }
    };
    // The rows a disc may meet, a row wider each way; the rows between are the rectangle's
    // alone, which spares the long middle of a track the tests of both discs.
    auto discRows = [&](double cy, bool drawn) {
        if (!drawn)
            return std::pair{y1, y0 - 1};
        return std::pair{floorPixel(cy - h - 1, y0, y1), ceilPixel(cy + h + 1, y0, y1)};
    };
    const auto [aFrom, aTo] = discRows(a.y, startDisc);
    const auto [bFrom, bTo] = discRows(b.y, true);
    // The span of row y, lo < hi when the row meets the figure.
    auto rowSpan = [&](int y, double& lo, double& hi) {
        const double da = y - a.y;
        rectangle(da, lo, hi);
        if ((y < aFrom || y > aTo) && (y < bFrom || y > bTo))
            return lo < hi;
        const double rlo = lo, rhi = hi;
        lo = inf;
        hi = -inf;
        if (startDisc && std::abs(da) < h) {
            const double w = std::sqrt(hh - da * da);
            lo = a.x - w;
            hi = a.x + w;
        }
        if (const double db = y - b.y; std::abs(db) < h) {
            const double w = std::sqrt(hh - db * db);
            lo = std::min(lo, b.x - w);
            hi = std::max(hi, b.x + w);
        }
        if (rlo < rhi) {
            lo = std::min(lo, rlo);
            hi = std::max(hi, rhi);
        }
        return lo < hi;
    };
    // The rows clear of both ends' discs (drawn or not) cross the two long sides and nothing
    // else: the span runs between those sides' crossings, worked out as the rectangle does, so
    // the pixels are the same, without its tests of the short sides. They are the rows at
    // least h from both ends, as the disc tests of rowSpan find them: there a short side's
    // crossing lies beyond the long sides' by at least about h * h / len pixels, which rounding
    // cannot undo. Far out (a segment longer than the screen by much) a row more is kept clear.
    const P& upper = a.y <= b.y ? a : b;
    const P& lower = a.y <= b.y ? b : a;
    const bool nearby = len < 65536 && std::max(std::abs(a.x), std::abs(b.x)) < 65536 &&
                        std::max(std::abs(a.y), std::abs(b.y)) < 65536;
    const double clear = nearby ? h : h + 2;
    int midFrom = ceilPixel(upper.y + clear, y0, y1);
    while (midFrom > y0 && (midFrom - 1) - upper.y >= clear)
        --midFrom;
    while (midFrom < y1 && midFrom - upper.y < clear)
        ++midFrom;
    int midTo = std::max(std::min(floorPixel(lower.y - clear, y0, y1) + 1, y1), midFrom);
    while (midTo > midFrom && lower.y - (midTo - 1) < clear)
        --midTo;
    while (midTo < y1 && lower.y - midTo >= clear)
        ++midTo;
    if (f.tile || rec_) {
        for (int y = y0; y < y1; ++y)
            if (double lo, hi; rowSpan(y, lo, hi))
                span(y, lo, hi, f);
        return;
    }
    // Most of a frame's spans are a track's, in a solid colour: they are written by the leanest
    // code, the clip applied before the rounding up (which is what ceilPixel does).
    before(f.colour);
    const double left = cl_, right = cr_;
    auto ends = [&](double lo, double hi, int& x0, int& x1) {
        lo = std::max(lo, left);
        hi = std::min(hi, right);
        x0 = static_cast<int>(lo);
        x1 = static_cast<int>(hi);
        x0 += x0 < lo ? 1 : 0;
        x1 += x1 < hi ? 0 : -1;
    };
    // The middle rows, each from its own distance to a (as rowSpan takes it), so that a row
    // comes out the same whichever row a band starts the loop at.
    auto middleRow = [&](int y, auto write) {
        const double ry = y - a.y;
        const double t = ux * ry;
        const double p = a.x + (t - h) * iuy, q = a.x + (t + h) * iuy;
        int x0, x1;
        ends(std::min(p, q), std::max(p, q), x0, x1);
        if (x0 <= x1)
            write(y, x0, x1);
    };
    auto middleRows = [&](auto write) __attribute__((always_inline))
    {
        int y = midFrom;
#if defined(__SSE2__)
        // Two rows at a time, the same operations on each (so the same pixels as one by one):
        // a track's middle rows are most of a whole-board frame's rows.
        const __m128d vux = _mm_set1_pd(ux), vh = _mm_set1_pd(h), viuy = _mm_set1_pd(iuy);
        const __m128d vax = _mm_set1_pd(a.x), vay = _mm_set1_pd(a.y);
        const __m128d vleft = _mm_set1_pd(left), vright = _mm_set1_pd(right), two = _mm_set1_pd(2.0);
        __m128d vy = _mm_set_pd(y + 1.0, static_cast<double>(y));
        for (; y + 1 < midTo; y += 2, vy = _mm_add_pd(vy, two)) {
            const __m128d t = _mm_mul_pd(vux, _mm_sub_pd(vy, vay));
            const __m128d p = _mm_add_pd(vax, _mm_mul_pd(_mm_sub_pd(t, vh), viuy));
            const __m128d q = _mm_add_pd(vax, _mm_mul_pd(_mm_add_pd(t, vh), viuy));
            // min and max as std::min and std::max take them (no NaN comes here), then the clip.
            const __m128d lo = _mm_max_pd(_mm_min_pd(q, p), vleft);
            const __m128d hi = _mm_min_pd(_mm_max_pd(q, p), vright);
            const __m128i tlo = _mm_cvttpd_epi32(lo), thi = _mm_cvttpd_epi32(hi);
            // Up to the ceiling where the truncation fell short of lo; below hi strictly.
            const __m128i below = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmplt_pd(_mm_cvtepi32_pd(tlo), lo)),
                                                    _MM_SHUFFLE(3, 3, 2, 0));
            const __m128i under = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmplt_pd(_mm_cvtepi32_pd(thi), hi)),
                                                    _MM_SHUFFLE(3, 3, 2, 0));
            const __m128i x0 = _mm_sub_epi32(tlo, below);
            const __m128i x1 = _mm_sub_epi32(_mm_sub_epi32(thi, _mm_set1_epi32(1)), under);
            alignas(16) std::int32_t e[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(e), _mm_unpacklo_epi32(x0, x1));
            if (e[0] <= e[1])
                write(y, e[0], e[1]);
            if (e[2] <= e[3])
                write(y + 1, e[2], e[3]);
        }
#endif
        for (; y < midTo; ++y)
            middleRow(y, write);
    };
    auto sweep = [&](auto write) __attribute__((always_inline))
    {
        for (int y = y0; y < midFrom; ++y) {
            double lo, hi;
            int x0, x1;
            if (rowSpan(y, lo, hi) && (ends(lo, hi, x0, x1), x0 <= x1))
                write(y, x0, x1);
        }
        middleRows(write);
        for (int y = midTo; y < y1; ++y) {
            double lo, hi;
            int x0, x1;
            if (rowSpan(y, lo, hi) && (ends(lo, hi, x0, x1), x0 <= x1))
                write(y, x0, x1);
        }
    };
    if (!batching_) {
        // Nothing here calls out, so the segment's numbers stay in registers.
        // The row's place from locals: the pixels written could alias the canvas's own ints,
        // which would have them loaded again for every row.
        const QRgb c = f.colour;
        QRgb* const bits = reinterpret_cast<QRgb*>(bits_);
        const int first = firstRow_;
        const qsizetype words = stride_ / static_cast<qsizetype>(sizeof(QRgb));
        sweep([&](int y, int x0, int x1)
                  __attribute__((always_inline)) { writeRun(bits + (y - first) * words, x0, x1, c); });
        return;
    }
    // Batched (zoomed in, where a track's rows are long): only the middle rows by the lean
    // loop; the rows by the discs are few, and inlining the batch there costs more than it saves.
    for (int y = y0; y < midFrom; ++y)
        if (double lo, hi; rowSpan(y, lo, hi))
            span(y, lo, hi, f);
    // The middle rows straight into the batch (the colour is the batch's, before() saw to
    // that), their marks gathered in locals and handed over once.
    if (midFrom < midTo) {
        openBatch(f.colour);
        Marks marks;
        std::uint64_t* const cover = cover_.data();
        const int words = words_, firstWord = firstWord_, top = ct_, first = firstRow_;
        QRgb* const bits = reinterpret_cast<QRgb*>(bits_);
        const qsizetype rowWords = stride_ / static_cast<qsizetype>(sizeof(QRgb));
        const QRgb c = f.colour;
        middleRows([&](int y, int x0, int x1) {
            if (x1 - x0 >= MinBatchedRun)
                marks.add(cover, words, firstWord, y - top, x0, x1);
            else
                writeRun(bits + (y - first) * rowWords, x0, x1, c);
        });
        marks_.merge(marks);
    }
    for (int y = midTo; y < y1; ++y)
        if (double lo, hi; rowSpan(y, lo, hi))
            span(y, lo, hi, f);
}

void ImageCanvas::stroke(const P* p, std::size_t n, bool closed)
{
    if (!penDraws() || n == 0)
        return;
    if (!wide()) {
        if (n == 1)
            thinLine(p[0], p[0]);
        for (std::size_t i = 0; i + 1 < n; ++i)
            thinLine(p[i], p[i + 1]);
        if (closed && n > 2)
            thinLine(p[n - 1], p[0]);
        return;
    }
    // Round ends and joins: each segment is a capsule of the pen's width.
    const double h = penPixels_ / 2.0;
    if (n == 1)
        fillEllipse(p[0].x, p[0].y, h, h, penFill_);
    // Each joint's disc once: the segment after it leaves out its start disc. The reference
    // picture (batching not allowed) still draws every segment whole.
    for (std::size_t i = 0; i + 1 < n; ++i)
        capsule(p[i], p[i + 1], h, penFill_, i == 0 || !batchingAllowed_);
    if (closed && n > 2)
        capsule(p[n - 1], p[0], h, penFill_, !batchingAllowed_);
}

// ---------------------------------------------------------------------------------------------
// Primitives

void ImageCanvas::line(TPoint a, TPoint b)
{
    const P q[2] = {dev(a), dev(b)};
    stroke(q, 2, false);
}

void ImageCanvas::polyline(const TPoint* points, std::size_t count)
{
    if (count < 2 || !penDraws())
        return;
    pts_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        pts_[i] = dev(points[i]);
    stroke(pts_.data(), pts_.size(), false);
}

void ImageCanvas::polygon(const TPoint* points, std::size_t count)
{
    if (count < 2)
        return;
    pts_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        pts_[i] = dev(points[i]);
    double left = pts_[0].x, top = pts_[0].y, right = left, bottom = top;
    for (const P& q : pts_) {
        left = std::min(left, q.x);
        right = std::max(right, q.x);
        top = std::min(top, q.y);
        bottom = std::max(bottom, q.y);
    }
    const double reach = penPixels_ + 1;
    if (right + reach < cl_ || left - reach > cr_ || bottom + reach < ct_ || top - reach > cb_)
        return;
    if (constexpr std::size_t MaxStampCorners = 20; count <= MaxStampCorners) {
        StampKey key;
        key.add(std::int32_t{4});
        for (const P& q : pts_) {
            key.add(static_cast<std::int32_t>(q.x - left));
            key.add(static_cast<std::int32_t>(q.y - top));
        }
        auto draw = [&](ImageCanvas& c, double dx, double dy) {
            c.pts_.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                c.pts_[i] = {pts_[i].x + dx, pts_[i].y + dy};
            c.polygonAt(c.pts_.data(), count);
        };
        if (stamped(key, left, top, right - left, bottom - top, draw))
            return;
    }
    polygonAt(pts_.data(), count);
}

void ImageCanvas::polygonAt(const P* points, std::size_t count)
{
    if (brushDraws_)
        fillPolygon(points, count, brushFill_);
    stroke(points, count, true);
}

void ImageCanvas::dot(TPoint p, ColourRef colour)
{
    const double x = devX(p.x), y = devY(p.y);
    if (x < cl_ || x >= cr_ || y < ct_ || y >= cb_)
        return;
    before(opaque(colour));
    rowAt(static_cast<int>(y))[static_cast<qsizetype>(x)] = opaque(colour);
}

template <class DrawAt> bool ImageCanvas::stampedBox(StampKey& key, const Box& b, DrawAt&& drawAt)
{
    key.add(b.right - b.left);
    key.add(b.bottom - b.top);
    return stamped(key, b.left, b.top, b.right - b.left, b.bottom - b.top,
                   [&](ImageCanvas& c, double dx, double dy) {
                       drawAt(c, Box{b.left + dx, b.top + dy, b.right + dx, b.bottom + dy});
                   });
}

void ImageCanvas::rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    const Box b = figure(x1, y1, x2, y2);
    const double reach = penPixels_ + 1;
    if (b.right + reach < cl_ || b.left - reach > cr_ || b.bottom + reach < ct_ || b.top - reach > cb_)
        return;
    StampKey key;
    key.add(std::int32_t{1});
    if (stampedBox(key, b, [](ImageCanvas& c, const Box& at) { c.rectangleAt(at); }))
        return;
    rectangleAt(b);
}

void ImageCanvas::rectangleAt(const Box& b)
{
    const bool samePen = penDraws() && !wide() && pen_.style != PenStyle::Dot && brushDraws_ &&
                         !brushFill_.tile && brushFill_.colour == penFill_.colour;
    if (samePen) {
        // A one-pixel outline in the fill colour: the fill reaches half a pixel further.
        fillBox({b.left - 0.5, b.top - 0.5, b.right + 0.5, b.bottom + 0.5}, brushFill_);
        return;
    }
    if (brushDraws_)
        fillBox(b, brushFill_);
    const P corners[4] = {{b.left, b.top}, {b.right, b.top}, {b.right, b.bottom}, {b.left, b.bottom}};
    outline(corners, 4);
}

void ImageCanvas::roundRectPoints(const Box& b, double rx, double ry)
{
    pts_.clear();
    arcPoints(b.right - rx, b.top + ry, rx, ry, 0, 90);
    arcPoints(b.left + rx, b.top + ry, rx, ry, 90, 90);
    arcPoints(b.left + rx, b.bottom - ry, rx, ry, 180, 90);
    arcPoints(b.right - rx, b.bottom - ry, rx, ry, 270, 90);
}

void ImageCanvas::roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                            std::int64_t cornerW, std::int64_t cornerH)
{
    const Box b = figure(x1, y1, x2, y2);
    const double rx = std::min(std::abs(static_cast<double>(cornerW) * sx_) / 2.0, (b.right - b.left) / 2.0);
    const double ry = std::min(std::abs(static_cast<double>(cornerH) * sy_) / 2.0, (b.bottom - b.top) / 2.0);
    if (b.right < cl_ - 1 - penPixels_ || b.left > cr_ + penPixels_ || b.bottom < ct_ - 1 - penPixels_ ||
        b.top > cb_ + penPixels_)
        return;
    StampKey key;
    key.add(std::int32_t{2});
    key.add(rx);
    key.add(ry);
    if (stampedBox(key, b, [&](ImageCanvas& c, const Box& at) { c.roundRectAt(at, rx, ry); }))
        return;
    roundRectAt(b, rx, ry);
}

void ImageCanvas::roundRectAt(const Box& b, double rx, double ry)
{
    roundRectPoints(b, rx, ry);
    if (brushDraws_)
        fillPolygon(pts_.data(), pts_.size(), brushFill_);
    outline(pts_.data(), pts_.size());
}

void ImageCanvas::ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    const Box b = figure(x1, y1, x2, y2);
    const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left) / 2.0, ry = (b.bottom - b.top) / 2.0;
    const double reach = std::max(rx, ry) + penPixels_;
    if (cx + reach < cl_ - 1 || cx - reach > cr_ || cy + reach < ct_ - 1 || cy - reach > cb_)
        return;
    StampKey key;
    key.add(std::int32_t{3});
    if (stampedBox(key, b, [](ImageCanvas& c, const Box& at) { c.ellipseAt(at); }))
        return;
    ellipseAt(b);
}

void ImageCanvas::ellipseAt(const Box& b)
{
    const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left) / 2.0, ry = (b.bottom - b.top) / 2.0;
    const bool samePen = penDraws() && !wide() && pen_.style != PenStyle::Dot && brushDraws_ &&
                         !brushFill_.tile && brushFill_.colour == penFill_.colour;
    if (samePen) {
        fillEllipse(cx, cy, rx + 0.5, ry + 0.5, brushFill_);
        return;
    }
    if (brushDraws_)
        fillEllipse(cx, cy, rx, ry, brushFill_);
    if (!penDraws())
        return;
    if (rx == ry && pen_.style != PenStyle::Dot) {
        const double h = wide() ? penPixels_ / 2.0 : 0.5;
        fillRing(cx, cy, rx + h, rx - h, penFill_);
        return;
    }
    pts_.clear();
    arcPoints(cx, cy, rx, ry, 0, 360);
    outline(pts_.data(), pts_.size());
}

bool ImageCanvas::arcAngles(const Box& b, TPoint start, TPoint end, double& startDeg,
                            double& sweepDeg) const noexcept
{
    const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
    // The rays come from the unrounded device positions, so that their angles stay exact.
    const double a = screenAngle(cx, cy, ox_ + start.x * sx_, oy_ + start.y * sy_);
    const double e = screenAngle(cx, cy, ox_ + end.x * sx_, oy_ + end.y * sy_);
    double sweep = map_.keepsTurn() ? e - a : a - e;
    while (sweep <= 1e-9)
        sweep += 360.0;
    const bool full = sweep > 360.0 - 1e-9;
    startDeg = a;
    sweepDeg = full ? 360.0 : (map_.keepsTurn() ? sweep : -sweep);
    return full;
}

void ImageCanvas::arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                      TPoint end)
{
    if (!penDraws())
        return;
    const Box b = box(x1, y1, x2, y2); // an arc is a line: inside frame does not move it
    const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left) / 2.0, ry = (b.bottom - b.top) / 2.0;
    const double reach = std::max(rx, ry) + penPixels_;
    if (cx + reach < cl_ - 1 || cx - reach > cr_ || cy + reach < ct_ - 1 || cy - reach > cb_)
        return;
    double a0 = 0, sweep = 0;
    const bool full = arcAngles(b, start, end, a0, sweep);
    const double h = wide() ? penPixels_ / 2.0 : 0.5;
    if (rx == ry && pen_.style != PenStyle::Dot) {
        if (full) {
            fillRing(cx, cy, rx + h, rx - h, penFill_);
            return;
        }
        if (wide()) {
            fillSector(cx, cy, rx + h, rx - h, a0, sweep, penFill_);
            const double e0 = a0 * Pi / 180.0, e1 = (a0 + sweep) * Pi / 180.0;
            fillEllipse(cx + rx * std::cos(e0), cy - rx * std::sin(e0), h, h, penFill_);
            fillEllipse(cx + rx * std::cos(e1), cy - rx * std::sin(e1), h, h, penFill_);
            return;
        }
    }
    pts_.clear();
    arcPoints(cx, cy, rx, ry, a0, sweep);
    stroke(pts_.data(), pts_.size(), false);
}

void ImageCanvas::chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                        TPoint end)
{
    const Box b = figure(x1, y1, x2, y2);
    double a0 = 0, sweep = 0;
    if (arcAngles(b, start, end, a0, sweep)) {
        ellipse(x1, y1, x2, y2);
        return;
    }
    const double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
    const double rx = (b.right - b.left) / 2.0, ry = (b.bottom - b.top) / 2.0;
    const double reach = std::max(rx, ry) + penPixels_;
    if (cx + reach < cl_ - 1 || cx - reach > cr_ || cy + reach < ct_ - 1 || cy - reach > cb_)
        return;
    pts_.clear();
    arcPoints(cx, cy, rx, ry, a0, sweep);
    if (brushDraws_)
        fillPolygon(pts_.data(), pts_.size(), brushFill_);
    outline(pts_.data(), pts_.size());
}

void ImageCanvas::text(TPoint anchor, const QString& s, const CanvasFont& font, ColourRef colour)
{
    qpainterCanvas().text(anchor, s, font, colour);
}

void ImageCanvas::image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                        const QImage& picture)
{
    if (picture.hasAlphaChannel())
        qpainterCanvas().image(x1, y1, x2, y2, picture);
    else
        blit(x1, y1, x2, y2, picture.size(), picture, QPoint(0, 0));
}

void ImageCanvas::imagePart(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
                            const QImage& part, QPoint at)
{
    if (part.hasAlphaChannel())
        Canvas::imagePart(x1, y1, x2, y2, whole, part, at);
    else
        blit(x1, y1, x2, y2, whole, part, at);
}

void ImageCanvas::blit(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QSize whole,
                       const QImage& part, QPoint at)
{
    if (part.isNull() || whole.isEmpty())
        return;
    // Nearest pixel of the whole picture, sampled at each device pixel's centre from the rounded
    // corners: which source pixel lands where depends neither on the clip nor on the part, so a
    // picture cut into repaints or bands is the picture drawn whole. Column 0 lies at the left
    // board edge and row 0 at the upper one, wherever the mapping puts them on the device.
    const double left = devX(static_cast<double>(std::min(x1, x2)));
    const double right = devX(static_cast<double>(std::max(x1, x2)));
    const double top = devY(static_cast<double>(std::max(y1, y2)));
    const double bottom = devY(static_cast<double>(std::min(y1, y2)));
    if (left == right || top == bottom)
        return;
    const int fromX = ceilPixel(std::min(left, right), cl_, cr_),
              toX = ceilPixel(std::max(left, right), cl_, cr_);
    const int fromY = ceilPixel(std::min(top, bottom), ct_, cb_),
              toY = ceilPixel(std::max(top, bottom), ct_, cb_);
    if (fromX >= toX || fromY >= toY)
        return;
    // The pixel of the part shown at a device coordinate, or -1 outside the part.
    auto sample = [](int device, double start, double end, int wholeCount, int first, int count) {
        const int k = std::clamp(static_cast<int>(std::floor((device - start) / (end - start) * wholeCount)),
                                 0, wholeCount - 1) -
                      first;
        return k >= 0 && k < count ? k : -1;
    };
    const bool mono = part.format() == QImage::Format_Mono || part.format() == QImage::Format_MonoLSB;
    const QImage source =
        mono || part.format() == QImage::Format_RGB32 ? part : part.convertToFormat(QImage::Format_RGB32);
    std::array<QRgb, 2> table{};
    if (mono)
        for (int i = 0; i < 2; ++i)
            table[static_cast<std::size_t>(i)] =
                0xFF000000u | (i < source.colorCount() ? source.color(i) : 0u);
    const bool msb = source.format() == QImage::Format_Mono;
    // The columns of the part lie side by side on the device (the mapping keeps their order).
    std::vector<int> columns;
    int firstX = toX;
    for (int x = fromX; x < toX; ++x) {
        const int c = sample(x, left, right, whole.width(), at.x(), source.width());
        if (c < 0)
            continue;
        firstX = std::min(firstX, x);
        columns.push_back(c);
    }
    if (columns.empty())
        return;
    flush();
    for (int y = fromY; y < toY; ++y) {
        const int r = sample(y, top, bottom, whole.height(), at.y(), source.height());
        if (r < 0)
            continue;
        const uchar* line = source.constScanLine(r);
        QRgb* out = rowAt(y) + firstX;
        if (mono) {
            for (const int c : columns) {
                const int bit = msb ? 7 - (c & 7) : c & 7;
                *out++ = table[static_cast<std::size_t>((line[c >> 3] >> bit) & 1)];
            }
        } else {
            const auto* in = reinterpret_cast<const QRgb*>(line);
            for (const int c : columns)
                *out++ = 0xFF000000u | in[c];
        }
    }
}

} // namespace trevok

#include "print/emfcanvas.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace trevok
{

namespace
{

// Record types of the enhanced metafile format.
enum : std::uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_SELECTOBJECT = 37,
    EMR_EXTCREATEPEN = 95,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
};

constexpr std::uint32_t MM_ANISOTROPIC = 8;
constexpr std::uint32_t TRANSPARENT_BK = 1;
constexpr std::uint32_t OPAQUE_BK = 2;
constexpr std::uint32_t ALTERNATE_FILL = 1;
constexpr std::uint32_t PS_SOLID = 0, PS_DOT = 2, PS_NULL = 5, PS_INSIDEFRAME = 6, PS_GEOMETRIC = 0x10000;
constexpr std::uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, HS_BDIAGONAL = 3;
constexpr int ReferenceDpi = 96;

std::int32_t clamp32(double v) noexcept
{
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(RoundHalfEven64(std::clamp(v, lo, hi)));
}

} // namespace

/// One record being assembled: type, size field filled in by emit.
class EmfCanvas::Record
{
  public:
    explicit Record(std::uint32_t type) { u32(type).u32(0); }
    Record& u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Record& i32(std::int32_t v) { return u32(static_cast<std::uint32_t>(v)); }
    Record& u16(std::uint16_t v)
    {
        bytes.push_back(static_cast<char>(v & 0xFF));
        bytes.push_back(static_cast<char>(v >> 8));
        return *this;
    }
    Record& u8(std::uint8_t v)
    {
        bytes.push_back(static_cast<char>(v));
        return *this;
    }
    Record& f32(float v)
    {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        return u32(u);
    }
    Record& raw(const char* data, std::size_t n)
    {
        bytes.append(data, n);
        return *this;
    }
    /// A rectangle of device corners, normalised, since readers take the corners as left, top,
    /// right, bottom.
    Record& rect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2)
    {
        return i32(std::min(x1, x2)).i32(std::min(y1, y2)).i32(std::max(x1, x2)).i32(std::max(y1, y2));
    }
    Record& pad()
    {
        while (bytes.size() % 4)
            bytes.push_back('\0');
        return *this;
    }
    std::size_t size() const noexcept { return bytes.size(); }
    void put32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    std::string bytes;
};

EmfCanvas::EmfCanvas(QSize devicePixels) : device_(devicePixels)
{
    // The header is written last, when sizes and counts are known; its room is kept here.
    buf_.assign(108, '\0');
    simple(EMR_SETBKMODE, {static_cast<std::int32_t>(TRANSPARENT_BK)});
    simple(EMR_SETPOLYFILLMODE, {static_cast<std::int32_t>(ALTERNATE_FILL)});
    simple(EMR_SETTEXTALIGN, {0}); // top left
}

void EmfCanvas::put(const Record& r)
{
    if (finished_)
        return;
    Record copy = r;
    copy.pad();
    copy.put32(4, static_cast<std::uint32_t>(copy.size()));
    buf_ += copy.bytes;
    ++records_;
}

void EmfCanvas::simple(std::uint32_t type, std::initializer_list<std::int32_t> values)
{
    Record r(type);
    for (std::int32_t v : values)
        r.i32(v);
    put(r);
}

void EmfCanvas::setMapping(const CanvasMapping& m)
{
    // The file is written in device pixels of this mapping, the frame of every reader: some
    // readers scale coordinates by a window/viewport pair but not pen widths.
    Canvas::setMapping(m);
}

std::int32_t EmfCanvas::dx(std::int64_t x) const noexcept
{
    return clamp32(map_.deviceX(static_cast<double>(x)));
}

std::int32_t EmfCanvas::dy(std::int64_t y) const noexcept
{
    return clamp32(map_.deviceY(static_cast<double>(y)));
}

void EmfCanvas::deviceBounds(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                             std::int32_t out[4])
{
    const double dx1 = map_.deviceX(static_cast<double>(x1)), dx2 = map_.deviceX(static_cast<double>(x2));
    const double dy1 = map_.deviceY(static_cast<double>(y1)), dy2 = map_.deviceY(static_cast<double>(y2));
    out[0] = clamp32(std::floor(std::min(dx1, dx2)));
    out[1] = clamp32(std::floor(std::min(dy1, dy2)));
    out[2] = clamp32(std::ceil(std::max(dx1, dx2)));
    out[3] = clamp32(std::ceil(std::max(dy1, dy2)));
}

void EmfCanvas::setPen(const CanvasPen& pen)
{
    penSpec_ = pen;
    penDirty_ = true;
}

void EmfCanvas::setBrush(const CanvasBrush& brush)
{
    brushSpec_ = brush;
    brushDirty_ = true;
}

void EmfCanvas::applyPen()
{
    if (!penDirty_)
        return;
    penDirty_ = false;
    std::uint32_t style = PS_SOLID;
    switch (penSpec_.style) {
    case PenStyle::None:
        style = PS_NULL;
        break;
    case PenStyle::Dot:
        style = PS_DOT;
        break;
    case PenStyle::InsideFrame:
        style = PS_INSIDEFRAME;
        break;
    case PenStyle::Solid:
        break;
    }
    // Width 0 is one device pixel; unit widths are scaled to pixels, at least one.
    double width = penSpec_.inPixels ? penSpec_.width : penSpec_.width * unitPixels();
    if (width <= 1)
        width = 0;
    if (style == PS_DOT)
        width = 0; // dotted pens are cosmetic
    // Geometric pens have round ends and joins, as the view draws tracks.
    if (width > 0)
        style |= PS_GEOMETRIC;
    const int slot = penSlot_ == 1 ? 2 : 1;
    put(Record(EMR_EXTCREATEPEN)
            .u32(static_cast<std::uint32_t>(slot))
            .u32(0)
            .u32(0)
            .u32(0)
            .u32(0)
            .u32(style)
            .i32(clamp32(width))
            .u32(BS_SOLID)
            .u32(penSpec_.colour)
            .u32(0)
            .u32(0));
    simple(EMR_SELECTOBJECT, {slot});
    if (penSlot_)
        simple(EMR_DELETEOBJECT, {penSlot_});
    penSlot_ = slot;
}

void EmfCanvas::setBackgroundOpaque(bool opaque, ColourRef colour)
{
    if (opaque)
        simple(EMR_SETBKCOLOR, {static_cast<std::int32_t>(colour)});
    if (opaque != bkOpaque_) {
        simple(EMR_SETBKMODE, {static_cast<std::int32_t>(opaque ? OPAQUE_BK : TRANSPARENT_BK)});
        bkOpaque_ = opaque;
    }
}

void EmfCanvas::applyBrush()
{
    if (!brushDirty_)
        return;
    brushDirty_ = false;
    std::uint32_t style = BS_NULL, hatch = 0;
    ColourRef colour = 0;
    if (brushSpec_.style == BrushStyle::Solid) {
        style = BS_SOLID;
        colour = brushSpec_.colour;
    } else if (brushSpec_.style == BrushStyle::Pattern && brushSpec_.pattern) {
        // The 45-degree stripes become the hatch of the same direction over the second colour.
        style = BS_HATCHED;
        hatch = HS_BDIAGONAL;
        colour = brushSpec_.pattern->fore;
    }
    setBackgroundOpaque(style == BS_HATCHED, brushSpec_.pattern ? brushSpec_.pattern->back : 0);
    const int slot = brushSlot_ == 3 ? 4 : 3;
    put(Record(EMR_CREATEBRUSHINDIRECT)
            .u32(static_cast<std::uint32_t>(slot))
            .u32(style)
            .u32(colour)
            .u32(hatch));
    simple(EMR_SELECTOBJECT, {slot});
    if (brushSlot_)
        simple(EMR_DELETEOBJECT, {brushSlot_});
    brushSlot_ = slot;
}

void EmfCanvas::points(std::uint32_t type, const TPoint* pts, std::size_t count)
{
    if (count == 0)
        return;
    applyPen();
    applyBrush();
    std::int64_t minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
    for (std::size_t i = 1; i < count; ++i) {
        minX = std::min<std::int64_t>(minX, pts[i].x);
        maxX = std::max<std::int64_t>(maxX, pts[i].x);
        minY = std::min<std::int64_t>(minY, pts[i].y);
        maxY = std::max<std::int64_t>(maxY, pts[i].y);
    }
    std::int32_t b[4];
    deviceBounds(minX, minY, maxX, maxY, b);
    Record r(type);
    r.i32(b[0]).i32(b[1]).i32(b[2]).i32(b[3]).u32(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i)
        r.i32(dx(pts[i].x)).i32(dy(pts[i].y));
    put(r);
}

void EmfCanvas::line(TPoint a, TPoint b)
{
    const TPoint pts[2] = {a, b};
    points(EMR_POLYLINE, pts, 2);
}

void EmfCanvas::polyline(const TPoint* pts, std::size_t count)
{
    points(EMR_POLYLINE, pts, count);
}

void EmfCanvas::polygon(const TPoint* pts, std::size_t count)
{
    points(EMR_POLYGON, pts, count);
}

void EmfCanvas::box(std::uint32_t type, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    applyPen();
    applyBrush();
    put(Record(type).rect(dx(x1), dy(y1), dx(x2), dy(y2)));
}

void EmfCanvas::rectangle(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    box(EMR_RECTANGLE, x1, y1, x2, y2);
}

void EmfCanvas::roundRect(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                          std::int64_t cornerW, std::int64_t cornerH)
{
    applyPen();
    applyBrush();
    put(Record(EMR_ROUNDRECT)
            .rect(dx(x1), dy(y1), dx(x2), dy(y2))
            .i32(clamp32(static_cast<double>(cornerW) * unitPixels()))
            .i32(clamp32(static_cast<double>(cornerH) * unitPixels())));
}

void EmfCanvas::ellipse(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    box(EMR_ELLIPSE, x1, y1, x2, y2);
}

void EmfCanvas::boxWithRays(std::uint32_t type, std::int64_t x1, std::int64_t y1, std::int64_t x2,
                            std::int64_t y2, TPoint start, TPoint end)
{
    applyPen();
    applyBrush();
    put(Record(type)
            .rect(dx(x1), dy(y1), dx(x2), dy(y2))
            .i32(dx(start.x))
            .i32(dy(start.y))
            .i32(dx(end.x))
            .i32(dy(end.y)));
}

void EmfCanvas::arc(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                    TPoint end)
{
    boxWithRays(EMR_ARC, x1, y1, x2, y2, start, end);
}

void EmfCanvas::chord(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, TPoint start,
                      TPoint end)
{
    boxWithRays(EMR_CHORD, x1, y1, x2, y2, start, end);
}

void EmfCanvas::text(TPoint anchor, const QString& s, const CanvasFont& font, ColourRef colour)
{
    if (s.isEmpty())
        return;
    // LOGFONTW: height, width, escapement, orientation, weight, then eight bytes of flags and
    // the face name in 32 UTF-16 units.
    const int slot = fontSlot_ == 5 ? 6 : 5;
    Record f(EMR_EXTCREATEFONTINDIRECTW);
    f.u32(static_cast<std::uint32_t>(slot))
        .i32(clamp32(font.height * unitPixels()))
        .i32(0)
        .i32(font.escapement)
        .i32(font.escapement)
        .i32(font.weight);
    f.u8(0).u8(0).u8(0).u8(1).u8(0).u8(0).u8(0).u8(0); // default charset, precision and quality
    const std::u16string face = font.family.left(31).toStdU16String();
    for (std::size_t i = 0; i < 32; ++i)
        f.u16(i < face.size() ? static_cast<std::uint16_t>(face[i]) : 0);
    put(f);
    simple(EMR_SELECTOBJECT, {slot});
    if (fontSlot_)
        simple(EMR_DELETEOBJECT, {fontSlot_});
    fontSlot_ = slot;
    simple(EMR_SETTEXTCOLOR, {static_cast<std::int32_t>(colour)});
    const bool wasOpaque = bkOpaque_;
    setBackgroundOpaque(false, 0);

    // The advances tell readers where each character goes, in units of the mapping.
    QFont qf(font.family);
    qf.setPixelSize(std::max(1, static_cast<int>(std::lround(std::abs(font.height) * unitPixels()))));
    qf.setWeight(font.weight >= 600 ? QFont::Bold : QFont::Normal);
    const QFontMetricsF metrics(qf);
    const std::u16string chars = s.toStdU16String();
    std::vector<std::int32_t> advances;
    double total = 0;
    for (char16_t c : chars) {
        const double w = metrics.horizontalAdvance(QChar(c));
        advances.push_back(clamp32(w));
        total += w;
    }
    const std::int32_t b[4] = {dx(anchor.x), dy(anchor.y), dx(anchor.x) + clamp32(total),
                               dy(anchor.y) + clamp32(std::abs(font.height) * unitPixels())};
    const std::uint32_t stringOffset = 76;
    const std::uint32_t dxOffset = stringOffset + static_cast<std::uint32_t>((chars.size() * 2 + 3) / 4 * 4);
    Record t(EMR_EXTTEXTOUTW);
    t.i32(b[0]).i32(b[1]).i32(b[2]).i32(b[3]).u32(1).f32(0).f32(0);
    t.i32(dx(anchor.x))
        .i32(dy(anchor.y))
        .u32(static_cast<std::uint32_t>(chars.size()))
        .u32(stringOffset)
        .u32(0);
    t.i32(0).i32(0).i32(-1).i32(-1).u32(dxOffset);
    for (char16_t c : chars)
        t.u16(static_cast<std::uint16_t>(c));
    t.pad();
    for (std::int32_t d : advances)
        t.i32(d);
    put(t);
    if (wasOpaque)
        setBackgroundOpaque(true, brushSpec_.pattern ? brushSpec_.pattern->back : 0);
}

void EmfCanvas::image(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                      const QImage& picture)
{
    if (picture.isNull())
        return;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const std::uint32_t w = static_cast<std::uint32_t>(rgb.width());
    const std::uint32_t h = static_cast<std::uint32_t>(rgb.height());
    const std::uint32_t stride = (w * 3 + 3) / 4 * 4;
    std::int32_t b[4];
    deviceBounds(x1, y1, x2, y2, b);
    const std::int32_t left = std::min(dx(x1), dx(x2)), top = std::min(dy(y1), dy(y2));
    Record r(EMR_STRETCHDIBITS);
    r.i32(b[0]).i32(b[1]).i32(b[2]).i32(b[3]);
    r.i32(left).i32(top);
    r.i32(0).i32(0).u32(w).u32(h);
    r.u32(80).u32(40).u32(120).u32(stride * h).u32(0).u32(0x00CC0020);
    r.i32(std::abs(dx(x2) - dx(x1))).i32(std::abs(dy(y2) - dy(y1)));
    r.u32(40).i32(static_cast<std::int32_t>(w)).i32(static_cast<std::int32_t>(h)).u16(1).u16(24);
    r.u32(0).u32(stride * h).i32(0).i32(0).u32(0).u32(0);
    std::string row(stride, '\0');
    for (std::uint32_t y = h; y-- > 0;) {
        const uchar* src = rgb.constScanLine(static_cast<int>(y));
        for (std::uint32_t x = 0; x < w; ++x) {
            row[3 * x] = static_cast<char>(src[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
        r.raw(row.data(), row.size());
    }
    put(r);
}

std::string EmfCanvas::finish()
{
    if (finished_)
        return buf_;
    Record eof(EMR_EOF);
    eof.u32(0).u32(16).u32(20);
    put(eof);
    finished_ = true;

    Record h(EMR_HEADER);
    h.i32(0).i32(0).i32(std::max(0, device_.width() - 1)).i32(std::max(0, device_.height() - 1));
    // The frame in 0.01 mm on the reference device.
    h.i32(0).i32(0);
    h.i32(clamp32(device_.width() * 2540.0 / ReferenceDpi))
        .i32(clamp32(device_.height() * 2540.0 / ReferenceDpi));
    h.u32(0x464D4520).u32(0x00010000).u32(static_cast<std::uint32_t>(buf_.size()));
    h.u32(records_ + 1).u16(7).u16(0).u32(0).u32(0).u32(0);
    h.i32(1920).i32(1080).i32(508).i32(286); // a 96 dpi reference screen
    h.u32(0).u32(0).u32(0).i32(508000).i32(285750);
    h.put32(4, static_cast<std::uint32_t>(h.size()));
    std::memcpy(buf_.data(), h.bytes.data(), h.size());
    return buf_;
}

std::string BoardMetafile(TBoard& board, const RenderOptions& options, bool selectionOnly)
{
    for (auto& e : board.Elements) {
        e->Mark = e->Selected;
        e->Selected = 0;
    }
    RenderOptions r = options;
    r.markedOnly = selectionOnly;
    r.screen = false;
    r.drawGrid = nullptr;
    // The picture's size: the board at the mapping's scale.
    CanvasMapping m = r.mapping ? *r.mapping : CanvasMapping::view(r.zoom, 0, 0);
    r.mapping = m;
    const double s = m.unitPixels();
    EmfCanvas canvas(QSize(static_cast<int>(RoundHalfEven64(board.BoardWidth * s)),
                           static_cast<int>(RoundHalfEven64(board.BoardHeight * s))));
    PaintBoard(canvas, board, r);
    for (auto& e : board.Elements) {
        e->Selected = e->Mark;
        e->Mark = 0;
    }
    return canvas.finish();
}

} // namespace trevok

#include "print/boardimage.h"

#include "document/messages.h"
#include "print/emfcanvas.h"
#include "view/imagecanvas.h"
#include "view/qpaintercanvas.h"
#include "view/render.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <gif_lib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <locale>
#include <new>
#include <sstream>
#include <unordered_map>
#include <vector>

namespace trevok
{

namespace
{

constexpr int StripRows = 256;

/// Hides the selection while an image is drawn, so that every element shows its layer colour.
class SelectionHidden
{
  public:
    explicit SelectionHidden(TBoard& board) : board_(board)
    {
        saved_.reserve(board.Elements.size());
        for (auto& e : board.Elements) {
            saved_.push_back(e->Selected);
            e->Selected = 0;
        }
    }
    ~SelectionHidden()
    {
        for (std::size_t i = 0; i < saved_.size() && i < board_.Elements.size(); ++i)
            board_.Elements[i]->Selected = saved_[i];
    }

  private:
    TBoard& board_;
    std::vector<std::uint8_t> saved_;
};

/// The exact mapping of a resolution: one inch (2540 units) is dpi device pixels.
CanvasMapping resolutionMapping(int dpi) noexcept
{
    CanvasMapping m;
    m.windowExtX = 2540;
    m.windowExtY = -2540;
    m.viewportExtX = dpi;
    m.viewportExtY = dpi;
    return m;
}

RenderOptions renderOptions(const ImageOptions& o, const CanvasMapping& m)
{
    RenderOptions r;
    r.activeLayer = o.activeLayer;
    r.layerVisible = o.layerVisible;
    r.colours = o.colours;
    r.screen = false;
    r.mapping = m;
    r.drawTemplate = o.drawTemplate;
    return r;
}

[[noreturn]] void tooLarge(QSize s)
{
    throw TrevokError(MsgId::ImageTooLarge, {std::to_string(s.width()), std::to_string(s.height())});
}

template <typename T> void allocate(std::vector<T>& v, std::size_t n, QSize s)
{
    try {
        v.resize(n);
    } catch (const std::bad_alloc&) {
        tooLarge(s);
    } catch (const std::length_error&) {
        tooLarge(s);
    }
}

/// Draws the board strip by strip, top to bottom, and hands each strip to the consumer with
/// the image row of its first line. False when cancelled.
bool drawStrips(TBoard& board, const ImageOptions& o, QSize size, const ImageProgress& progress,
                const std::function<void(const QImage& strip, int firstRow)>& consume)
{
    const int rows = std::min(StripRows, size.height());
    QImage strip(size.width(), rows, QImage::Format_RGB32);
    if (strip.isNull())
        tooLarge(size);
    const CanvasMapping base = resolutionMapping(o.dpi);
    for (int y = 0; y < size.height(); y += rows) {
        strip.fill(Qt::white);
        CanvasMapping m = base;
        m.viewportOrgY = -y;
        ImageCanvas canvas(strip);
        PaintBoard(canvas, board, renderOptions(o, m), QRect(0, 0, size.width(), rows));
        consume(strip, y);
        const int done = std::min(size.height(), y + rows);
        if (progress && !progress(done, size.height()))
            return false;
    }
    return true;
}

void put16(std::string& s, std::size_t at, std::uint32_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::size_t at, std::uint32_t v)
{
    put16(s, at, v & 0xFFFF);
    put16(s, at + 2, v >> 16);
}

/// A bottom-up Windows bitmap: 24 bits per pixel, or 1 bit with black (0) and white (1).
std::optional<std::string> makeBmp(TBoard& board, const ImageOptions& o, QSize size,
                                   const ImageProgress& progress)
{
    const int bits = o.mono ? 1 : 24;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(size.width()) * bits + 31) / 32) * 4;
    const std::uint64_t offset = 14 + 40 + (o.mono ? 8 : 0);
    const std::uint64_t total = offset + stride * static_cast<std::uint64_t>(size.height());
    if (total > 0xFFFFFFFFull)
        tooLarge(size);
    std::string out;
    try {
        out.assign(static_cast<std::size_t>(total), '\0');
    } catch (const std::bad_alloc&) {
        tooLarge(size);
    }
    out[0] = 'B';
    out[1] = 'M';
    put32(out, 2, static_cast<std::uint32_t>(total));
    put32(out, 10, static_cast<std::uint32_t>(offset));
    put32(out, 14, 40);
    put32(out, 18, static_cast<std::uint32_t>(size.width()));
    put32(out, 22, static_cast<std::uint32_t>(size.height()));
    put16(out, 26, 1);
    put16(out, 28, static_cast<std::uint32_t>(bits));
    put32(out, 34, static_cast<std::uint32_t>(stride * static_cast<std::uint64_t>(size.height())));
    const std::uint32_t ppm = static_cast<std::uint32_t>(RoundHalfEven64(o.dpi / 0.0254));
    put32(out, 38, ppm);
    put32(out, 42, ppm);
    if (o.mono) {
        put32(out, 46, 2);
        put32(out, 50, 2);
        put32(out, 54, 0x000000); // index 0: black
        put32(out, 58, 0xFFFFFF); // index 1: white
    }
    const QRgb background = qRgb(RedOf(o.colours[ColourBackground]), GreenOf(o.colours[ColourBackground]),
                                 BlueOf(o.colours[ColourBackground]));
    const QRgb white = qRgb(255, 255, 255);
    const bool ok = drawStrips(board, o, size, progress, [&](const QImage& strip, int first) {
        const int rows = std::min(strip.height(), size.height() - first);
        for (int r = 0; r < rows; ++r) {
            const auto* px = reinterpret_cast<const QRgb*>(strip.constScanLine(r));
            const std::uint64_t row = static_cast<std::uint64_t>(size.height() - 1 - (first + r));
            auto* dst = reinterpret_cast<unsigned char*>(out.data() + offset + row * stride);
            if (o.mono) {
                for (int x = 0; x < size.width(); ++x) {
                    const QRgb c = px[x] | 0xFF000000u;
                    if (c == background || c == white)
                        dst[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
                }
            } else {
                for (int x = 0; x < size.width(); ++x) {
                    dst[3 * x] = static_cast<unsigned char>(qBlue(px[x]));
                    dst[3 * x + 1] = static_cast<unsigned char>(qGreen(px[x]));
                    dst[3 * x + 2] = static_cast<unsigned char>(qRed(px[x]));
                }
            }
        }
    });
    if (!ok)
        return std::nullopt;
    return out;
}

/// The colours of an image in the order they appear, at most 256; a colour beyond that takes
/// the nearest one found before (boards have few colours; only smoothed text edges add more).
class Palette
{
  public:
    std::uint8_t index(QRgb c)
    {
        c &= 0xFFFFFF;
        if (c == last_)
            return lastIndex_;
        auto it = map_.find(c);
        std::uint8_t i;
        if (it != map_.end()) {
            i = it->second;
        } else if (colours_.size() < 256) {
            i = static_cast<std::uint8_t>(colours_.size());
            colours_.push_back(c);
            map_.emplace(c, i);
        } else {
            i = nearest(c);
            map_.emplace(c, i);
        }
        last_ = c;
        lastIndex_ = i;
        return i;
    }
    const std::vector<QRgb>& entries() const noexcept { return colours_; }

  private:
    std::uint8_t nearest(QRgb c) const noexcept
    {
        int best = 0;
        long bestDistance = -1;
        for (std::size_t i = 0; i < colours_.size(); ++i) {
            const long dr = qRed(c) - qRed(colours_[i]);
            const long dg = qGreen(c) - qGreen(colours_[i]);
            const long db = qBlue(c) - qBlue(colours_[i]);
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        return static_cast<std::uint8_t>(best);
    }

    std::unordered_map<QRgb, std::uint8_t> map_;
    std::vector<QRgb> colours_;
    QRgb last_ = 0xFF000000u; // no colour has the top byte set after masking
    std::uint8_t lastIndex_ = 0;
};

int gifWrite(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

[[noreturn]] void gifFailed(int error)
{
    const char* text = GifErrorString(error);
    throw TrevokError(MsgId::ImageWriteFailed, {"GIF", text ? text : std::to_string(error)});
}

std::optional<std::string> makeGif(TBoard& board, const ImageOptions& o, QSize size,
                                   const ImageProgress& progress)
{
    if (size.width() > 65535 || size.height() > 65535)
        tooLarge(size);
    std::vector<GifPixelType> pixels;
    allocate(pixels, static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()), size);
    Palette palette;
    const bool ok = drawStrips(board, o, size, progress, [&](const QImage& strip, int first) {
        const int rows = std::min(strip.height(), size.height() - first);
        for (int r = 0; r < rows; ++r) {
            const auto* px = reinterpret_cast<const QRgb*>(strip.constScanLine(r));
            GifPixelType* dst = pixels.data() + static_cast<std::size_t>(first + r) * size.width();
            for (int x = 0; x < size.width(); ++x)
                dst[x] = palette.index(px[x]);
        }
    });
    if (!ok)
        return std::nullopt;

    // The colour table of a GIF has a power of two entries, at least two.
    int tableSize = 2;
    while (tableSize < static_cast<int>(palette.entries().size()))
        tableSize *= 2;
    std::vector<GifColorType> table(static_cast<std::size_t>(tableSize), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette.entries().size(); ++i)
        table[i] = GifColorType{static_cast<GifByteType>(qRed(palette.entries()[i])),
                                static_cast<GifByteType>(qGreen(palette.entries()[i])),
                                static_cast<GifByteType>(qBlue(palette.entries()[i]))};

    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (!gif)
        gifFailed(error);
    ColorMapObject* map = GifMakeMapObject(tableSize, table.data());
    bool written = map && EGifPutScreenDesc(gif, size.width(), size.height(), 8, 0, map) == GIF_OK &&
                   EGifPutImageDesc(gif, 0, 0, size.width(), size.height(), false, nullptr) == GIF_OK;
    for (int y = 0; written && y < size.height(); ++y)
        written = EGifPutLine(gif, pixels.data() + static_cast<std::size_t>(y) * size.width(),
                              size.width()) == GIF_OK;
    const int putError = gif->Error;
    GifFreeMapObject(map);
    int closeError = 0;
    const bool closed = EGifCloseFile(gif, &closeError) == GIF_OK;
    if (!written)
        gifFailed(putError);
    if (!closed)
        gifFailed(closeError);
    return out;
}

std::optional<std::string> makePng(TBoard& board, const ImageOptions& o, QSize size,
                                   const ImageProgress& progress)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        tooLarge(size);
    const bool ok = drawStrips(board, o, size, progress, [&](const QImage& strip, int first) {
        const int rows = std::min(strip.height(), size.height() - first);
        for (int r = 0; r < rows; ++r)
            std::memcpy(image.scanLine(first + r), strip.constScanLine(r),
                        static_cast<std::size_t>(size.width()) * 4);
    });
    if (!ok)
        return std::nullopt;
    const int dotsPerMetre = static_cast<int>(RoundHalfEven64(o.dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw TrevokError(MsgId::ImageWriteFailed, {"PNG", writer.errorString().toStdString()});
    return bytes.toStdString();
}

/// Qt's PDF writer gives the page a box in whole points, which cuts up to half a point off the
/// board (0.16 mm of 100 mm). The box is written again with the board's exact size, its top
/// edge where Qt put it (Qt draws from the top of its box), and the byte offsets of the
/// cross-reference table moved by what the new box adds.
std::string exactPageBox(std::string pdf, double widthPt, double heightPt)
{
    const std::string key = "/MediaBox [";
    std::vector<std::pair<long long, long long>> shifts; // at which byte of Qt's file, by how much
    long long added = 0;
    for (std::size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
        const std::size_t start = at + key.size();
        const std::size_t end = pdf.find(']', start);
        if (end == std::string::npos)
            return pdf;
        double box[4] = {};
        std::istringstream numbers(pdf.substr(start, end - start));
        numbers.imbue(std::locale::classic());
        for (double& v : box)
            if (!(numbers >> v))
                return pdf;
        char exact[160];
        std::snprintf(exact, sizeof exact, "%.4f %.4f %.4f %.4f", box[0], box[3] - heightPt, box[0] + widthPt,
                      box[3]);
        const std::string text(exact);
        const long long by = static_cast<long long>(text.size()) - static_cast<long long>(end - start);
        shifts.emplace_back(static_cast<long long>(start) - added, by);
        added += by;
        pdf.replace(start, end - start, text);
    }
    if (shifts.empty())
        return pdf;
    auto moved = [&shifts](long long offset) {
        long long out = offset;
        for (const auto& [at, by] : shifts)
            if (at < offset)
                out += by;
        return out;
    };
    const std::size_t xref = pdf.rfind("\nxref\n");
    if (xref == std::string::npos)
        return pdf;
    // "first count" lines, each followed by entries "oooooooooo ggggg n" (in use) or "... f".
    auto isEntry = [&pdf](std::size_t line) {
        if (line + 18 > pdf.size())
            return false;
        for (std::size_t i = 0; i < 10; ++i)
            if (!std::isdigit(static_cast<unsigned char>(pdf[line + i])))
                return false;
        return pdf[line + 10] == ' ' && pdf[line + 16] == ' ' &&
               (pdf[line + 17] == 'n' || pdf[line + 17] == 'f');
    };
    std::size_t line = xref + 6;
    while (line < pdf.size() && std::isdigit(static_cast<unsigned char>(pdf[line]))) {
        if (!isEntry(line)) { // a subsection header
            line = pdf.find('\n', line);
            if (line == std::string::npos)
                return pdf;
            ++line;
            continue;
        }
        if (pdf[line + 17] == 'n') {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%010lld", moved(std::stoll(pdf.substr(line, 10))));
            pdf.replace(line, 10, digits);
        }
        line = pdf.find('\n', line);
        if (line == std::string::npos)
            return pdf;
        ++line;
    }
    const std::size_t start = pdf.rfind("startxref\n");
    if (start != std::string::npos) {
        const std::size_t from = start + 10, to = pdf.find('\n', from);
        if (to != std::string::npos)
            pdf.replace(from, to - from, std::to_string(xref + 1));
    }
    return pdf;
}

/// SVG and PDF: the vector drawing through QPainter, one unit of the page one pixel at the
/// resolution.
std::string makeVector(TBoard& board, const ImageOptions& o, QSize size)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const RenderOptions r = renderOptions(o, resolutionMapping(o.dpi));
    if (o.format == ImageFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(o.dpi);
        svg.setTitle(QString::fromLatin1(board.Name.c_str()));
        QPainter painter;
        if (!painter.begin(&svg))
            throw TrevokError(MsgId::ImageWriteFailed, {"SVG", "the drawing could not start"});
        QPainterCanvas canvas(painter);
        PaintBoard(canvas, board, r);
        painter.end();
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(o.dpi);
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setPageSize(
            QPageSize(QSizeF(board.BoardWidth / 100.0, board.BoardHeight / 100.0), QPageSize::Millimeter));
        pdf.setCreator(QStringLiteral("Trevok"));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw TrevokError(MsgId::ImageWriteFailed, {"PDF", "the drawing could not start"});
        QPainterCanvas canvas(painter);
        PaintBoard(canvas, board, r);
        painter.end();
        return exactPageBox(bytes.toStdString(), board.BoardWidth / 2540.0 * 72.0,
                            board.BoardHeight / 2540.0 * 72.0);
    }
    return bytes.toStdString();
}

} // namespace

ImageOptions ImageOptions::fromBoard(const TBoard& board, ImageFormat format)
{
    ImageOptions o;
    o.format = format;
    o.activeLayer = board.ActiveLayer;
    for (std::size_t i = 0; i < 4; ++i)
        o.layerVisible[i] = board.LayerVisible[i] != 0;
    return o;
}

QSize ImagePixelSize(std::int32_t boardWidth, std::int32_t boardHeight, int dpi) noexcept
{
    return QSize(static_cast<int>(RoundHalfEven64(dpi * (boardWidth / 100.0) / 25.4)),
                 static_cast<int>(RoundHalfEven64(dpi * (boardHeight / 100.0) / 25.4)));
}

std::int64_t ImageMemoryKb(QSize pixels, bool colour) noexcept
{
    const std::int64_t k =
        RoundHalfEven64(static_cast<double>(pixels.width()) * static_cast<double>(pixels.height()) / 1024.0);
    return colour ? k * 3 : k / 8;
}

const char* ImageExtension(ImageFormat format) noexcept
{
    switch (format) {
    case ImageFormat::Bmp:
        return "bmp";
    case ImageFormat::Gif:
        return "gif";
    case ImageFormat::Emf:
        return "emf";
    case ImageFormat::Png:
        return "png";
    case ImageFormat::Svg:
        return "svg";
    case ImageFormat::Pdf:
        return "pdf";
    }
    return "";
}

std::optional<std::string> MakeBoardImage(TBoard& board, const ImageOptions& options,
                                          const ImageProgress& progress)
{
    const SelectionHidden hidden(board);
    const QSize size = ImagePixelSize(board.BoardWidth, board.BoardHeight, options.dpi);
    if (size.width() < 1 || size.height() < 1)
        throw TrevokError(MsgId::ImageWriteFailed, {ImageExtension(options.format), "the board has no area"});
    switch (options.format) {
    case ImageFormat::Bmp:
        return makeBmp(board, options, size, progress);
    case ImageFormat::Gif:
        return makeGif(board, options, size, progress);
    case ImageFormat::Png:
        return makePng(board, options, size, progress);
    case ImageFormat::Svg:
    case ImageFormat::Pdf:
        return makeVector(board, options, size);
    case ImageFormat::Emf: {
        RenderOptions r = renderOptions(options, resolutionMapping(options.dpi));
        if (options.zoom) {
            r.mapping.reset();
            r.zoom = *options.zoom;
        }
        return BoardMetafile(board, r, false);
    }
    }
    return std::nullopt;
}

} // namespace trevok

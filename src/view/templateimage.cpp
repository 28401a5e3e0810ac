#include "view/templateimage.h"

#include "document/cp1252.h"
#include "document/filenames.h"
#include "view/texts.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trevok
{

namespace
{

std::uint32_t le32(const QByteArray& b, int at) noexcept
{
    auto u = [&](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + i])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

/// For a byte of eight pixels (leftmost in bit 7, 0 dark): four pixels, each dark when either
/// pixel of its pair is dark.
const std::array<std::uint8_t, 256>& pairTable()
{
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            int out = 0;
            for (int k = 0; k < 4; ++k) {
                const int pair = (b >> (6 - 2 * k)) & 3;
                out |= (pair == 3 ? 1 : 0) << (3 - k);
            }
            t[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(out);
        }
        return t;
    }();
    return table;
}

/// The picture halved: a pixel is dark when any pixel of its 2 x 2 block is.
QImage halve(const QImage& src)
{
    const int w = src.width(), h = src.height();
    const int ow = std::max(1, (w + 1) / 2), oh = std::max(1, (h + 1) / 2);
    QImage out(ow, oh, QImage::Format_Mono);
    out.setColorTable(src.colorTable());
    const int inBytes = (w + 7) / 8;
    const int outBytes = (ow + 7) / 8;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(inBytes) + 1);
    const auto& table = pairTable();
    // Bits past the picture's right edge are undefined in the scan line: make them light.
    const std::uint8_t tailMask = (w % 8) ? static_cast<std::uint8_t>(0xFF >> (w % 8)) : 0;
    for (int y = 0; y < oh; ++y) {
        const uchar* a = src.constScanLine(std::min(2 * y, h - 1));
        const uchar* b = src.constScanLine(std::min(2 * y + 1, h - 1));
        for (int i = 0; i < inBytes; ++i)
            row[static_cast<std::size_t>(i)] = a[i] & b[i];
        row[static_cast<std::size_t>(inBytes - 1)] |= tailMask;
        row[static_cast<std::size_t>(inBytes)] = 0xFF;
        uchar* o = out.scanLine(y);
        for (int j = 0; j < outBytes; ++j) {
            const std::size_t i0 = static_cast<std::size_t>(2 * j);
            const std::uint8_t hi = table[row[i0]];
            const std::uint8_t lo = i0 + 1 <= static_cast<std::size_t>(inBytes) ? table[row[i0 + 1]] : 0x0F;
            o[j] = static_cast<uchar>((hi << 4) | lo);
        }
    }
    return out;
}

} // namespace

std::optional<int> BmpHeaderDpi(const QByteArray& head)
{
    if (head.size() < 14 + 40 || head[0] != 'B' || head[1] != 'M')
        return std::nullopt;
    if (le32(head, 14) < 40)
        return std::nullopt; // an old core header carries no resolution
    const auto perMetre = static_cast<std::int32_t>(le32(head, 14 + 24));
    if (perMetre <= 0)
        return 0;
    return RoundHalfEven(perMetre * 2.54 / 100.0);
}

TRect TemplateRect(int widthPx, int heightPx, int dpi, int offsetX, int offsetY) noexcept
{
    const double r = dpi >= 1 ? dpi : TemplateDpiDefault;
    const std::int64_t w = RoundHalfEven64(widthPx / r * 25.4 * 100.0);
    const std::int64_t h = RoundHalfEven64(heightPx / r * 25.4 * 100.0);
    const std::int64_t dx = std::int64_t{offsetX} * 10;
    const std::int64_t dy = -std::int64_t{offsetY} * 10;
    return TRect{dx, dy - h, dx + w, dy};
}

TemplateImage::TemplateImage(const QImage& picture)
{
    if (picture.isNull())
        return;
    QImage m = picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::AvoidDither);
    // Make index 0 the dark one, whatever order the conversion chose.
    if (m.colorCount() == 2 && qGray(m.color(0)) > qGray(m.color(1)))
        m.invertPixels();
    else if (m.colorCount() == 1 && qGray(m.color(0)) >= 128)
        m.fill(1);
    m.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono_ = std::move(m);
}

QImage TemplateImage::reduced(int level) const
{
    if (level <= 0 || mono_.isNull())
        return mono_;
    const std::lock_guard<std::mutex> hold(levels_->lock);
    std::vector<QImage>& images = levels_->images;
    while (static_cast<int>(images.size()) < level)
        images.push_back(halve(images.empty() ? mono_ : images.back()));
    return images[static_cast<std::size_t>(level - 1)];
}

void TemplateImage::draw(Canvas& canvas, const TRect& rect, ColourRef dark, ColourRef light,
                         const TRect& area) const
{
    if (mono_.isNull())
        return;
    const double rectW = static_cast<double>(rect.right - rect.left);
    const double rectH = static_cast<double>(rect.bottom - rect.top);
    if (rectW <= 0 || rectH <= 0)
        return;
    const TRect vis{std::max(rect.left, area.left), std::max(rect.top, area.top),
                    std::min(rect.right, area.right), std::min(rect.bottom, area.bottom)};
    if (vis.left >= vis.right || vis.top >= vis.bottom)
        return;

    // Source pixels per device pixel decide how far the picture may be reduced.
    const CanvasMapping& m = canvas.mapping();
    const double devW = rectW * std::abs(m.scaleX());
    const double devH = rectH * std::abs(m.scaleY());
    double ratio = std::min(mono_.width() / std::max(devW, 1e-9), mono_.height() / std::max(devH, 1e-9));
    int level = 0;
    while (ratio >= 2.0 && (mono_.width() >> (level + 1)) >= 1 && (mono_.height() >> (level + 1)) >= 1) {
        ratio /= 2.0;
        ++level;
    }
    const QImage src = reduced(level);
    const double fx = src.width() / rectW;  // source pixels per unit
    const double fy = src.height() / rectH; // row 0 at the upper board edge
    const int x0 = std::clamp(static_cast<int>(std::floor((vis.left - rect.left) * fx)), 0, src.width());
    const int x1 = std::clamp(static_cast<int>(std::ceil((vis.right - rect.left) * fx)), 0, src.width());
    const int y0 = std::clamp(static_cast<int>(std::floor((rect.bottom - vis.bottom) * fy)), 0, src.height());
    const int y1 = std::clamp(static_cast<int>(std::ceil((rect.bottom - vis.top) * fy)), 0, src.height());
    if (x1 <= x0 || y1 <= y0)
        return;
    QImage part = (x0 == 0 && y0 == 0 && x1 == src.width() && y1 == src.height())
                      ? src
                      : src.copy(x0, y0, x1 - x0, y1 - y0);
    part.setColorTable({ToQColor(dark).rgb(), ToQColor(light).rgb()});
    canvas.imagePart(rect.left, rect.bottom, rect.right, rect.top, src.size(), part, QPoint(x0, y0));
}

std::function<void(Canvas&, int side, const TRect& area)>
BoardTemplateDrawer(const TBoard& board, std::array<std::shared_ptr<const TemplateImage>, 2> images,
                    ColourRef background)
{
    struct Side {
        std::shared_ptr<const TemplateImage> image;
        TRect rect{};
        ColourRef colour = 0;
    };
    std::array<Side, 2> sides;
    for (std::size_t k = 0; k < 2; ++k) {
        if (!board.TemplateShown[k] || !images[k] || images[k]->isNull())
            continue;
        const int dpi = std::clamp<int>(board.TemplateDpi[k], TemplateDpiMin, TemplateDpiMax);
        sides[k] = {images[k],
                    TemplateRect(images[k]->width(), images[k]->height(), dpi, board.TemplateOffsetX[k],
                                 board.TemplateOffsetY[k]),
                    static_cast<ColourRef>(board.TemplateColour[k]) & 0xFFFFFF};
    }
    return [sides, background](Canvas& canvas, int side, const TRect& area) {
        if (side < 1 || side > 2)
            return;
        const Side& s = sides[static_cast<std::size_t>(side - 1)];
        if (s.image)
            s.image->draw(canvas, s.rect, s.colour, background, area);
    };
}

QString TemplatePathFromField(const std::string& field)
{
    const QString asText = QString::fromStdString(Cp1252ToUtf8(field));
    const QString asBytes = PathFromLocal(field);
    if (asText != asBytes && !LocalExists(asText) && LocalExists(asBytes))
        return asBytes;
    return asText;
}

std::string TemplateFieldFromPath(const QString& path)
{
    const std::string bytes = LocalPath(path);
    if (QString::fromStdString(bytes) != path)
        return bytes;
    return Utf8ToCp1252(bytes);
}

namespace
{

/// Why a template file was not loaded; the text goes under the load error message.
struct TemplateFailure {
    QString reason;
};

/// A descriptor closed on every way out.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

/// Reads exactly n bytes at the current position; false at the end of the file or an error.
bool readFully(int fd, void* to, std::size_t n)
{
    auto* p = static_cast<char*>(to);
    while (n > 0) {
        const ssize_t r = ::read(fd, p, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

QString truncatedText()
{
    return T("Die Datei ist unvollständig (abgeschnitten).", "The file is incomplete (truncated).",
             "Le fichier est incomplet (tronqué).");
}

/// An uncompressed BMP read row by row into a two-colour picture. Nullopt when the file is not
/// such a BMP (another reader may know it); throws TemplateFailure when it is one but broken.
std::optional<QImage> readPlainBmp(int fd, long long fileSize)
{
    unsigned char head[14 + 40];
    if (fileSize < static_cast<long long>(sizeof head) || !readFully(fd, head, sizeof head))
        return std::nullopt;
    auto u16 = [&](int at) { return static_cast<std::uint32_t>(head[at] | (head[at + 1] << 8)); };
    auto u32 = [&](int at) { return u16(at) | (u16(at + 2) << 16); };
    if (head[0] != 'B' || head[1] != 'M')
        return std::nullopt;
    const std::uint32_t dataAt = u32(10), infoSize = u32(14), compression = u32(14 + 16);
    const auto width = static_cast<std::int32_t>(u32(14 + 4));
    const auto rawHeight = static_cast<std::int32_t>(u32(14 + 8));
    const int bits = static_cast<int>(u16(14 + 14));
    const bool plain = compression == 0; // bit fields and run lengths go to Qt's reader
    if (infoSize < 40 || !plain || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return std::nullopt;
    if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN || u16(14 + 12) != 1)
        throw TemplateFailure{T("Die Bildgrösse in der Datei ist ungültig.",
                                "The picture size in the file is invalid.",
                                "La taille de l´image dans le fichier n´est pas valable.")};
    const bool topDown = rawHeight < 0;
    const std::int64_t height = topDown ? -std::int64_t{rawHeight} : rawHeight;
    // One bit per pixel in memory; a picture that would not fit even so is refused.
    if ((std::int64_t{width} + 7) / 8 * height > (std::int64_t{1} << 31))
        throw TemplateFailure{
            T("Das Bild ist zu gross.", "The picture is too large.", "L´image est trop grande.")};

    const std::int64_t stride = (std::int64_t{width} * bits + 31) / 32 * 4;
    std::vector<QRgb> palette;
    if (bits <= 8) {
        std::uint32_t colours = u32(14 + 32);
        if (colours == 0 || colours > (1u << bits))
            colours = 1u << bits;
        std::vector<unsigned char> table(colours * 4);
        if (::lseek(fd, 14 + static_cast<off_t>(infoSize), SEEK_SET) < 0 ||
            !readFully(fd, table.data(), table.size()))
            throw TemplateFailure{truncatedText()};
        for (std::uint32_t i = 0; i < colours; ++i)
            palette.push_back(qRgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]));
        palette.resize(std::size_t{1} << bits, qRgb(0, 0, 0));
    }
    if (static_cast<long long>(dataAt) + stride * height > fileSize)
        throw TemplateFailure{truncatedText()};
    if (::lseek(fd, static_cast<off_t>(dataAt), SEEK_SET) < 0)
        throw TemplateFailure{truncatedText()};

    QImage mono(width, static_cast<int>(height), QImage::Format_Mono);
    if (mono.isNull())
        throw TemplateFailure{
            T("Das Bild ist zu gross.", "The picture is too large.", "L´image est trop grande.")};
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    auto light = [](QRgb c) { return qGray(c) >= 128; };
    // For a 1-bit file the bits are copied (inverted when its index 0 is the light colour).
    std::uint8_t flip = 0, fillWith = 0;
    bool copyBits = false;
    if (bits == 1) {
        const bool l0 = light(palette[0]), l1 = light(palette[1]);
        copyBits = l0 != l1;
        flip = l0 ? 0xFF : 0x00;
        fillWith = l0 ? 0xFF : 0x00; // both the same colour
    }
    std::array<unsigned char, 256> lightIndex{};
    for (std::size_t i = 0; i < palette.size(); ++i)
        lightIndex[i] = light(palette[i]) ? 1 : 0;
    std::vector<unsigned char> row(static_cast<std::size_t>(stride));
    const int bytesOut = (width + 7) / 8;
    for (std::int64_t r = 0; r < height; ++r) {
        if (!readFully(fd, row.data(), row.size()))
            throw TemplateFailure{truncatedText()};
        uchar* out = mono.scanLine(static_cast<int>(topDown ? r : height - 1 - r));
        if (bits == 1) {
            for (int i = 0; i < bytesOut; ++i)
                out[i] = copyBits ? static_cast<uchar>(row[static_cast<std::size_t>(i)] ^ flip) : fillWith;
            continue;
        }
        std::memset(out, 0, static_cast<std::size_t>(bytesOut));
        const unsigned char* in = row.data();
        if (bits == 4 || bits == 8) {
            for (int x = 0; x < width; ++x) {
                const int index = bits == 8 ? in[x] : (x % 2 ? (in[x / 2] & 0x0F) : (in[x / 2] >> 4));
                if (lightIndex[static_cast<std::size_t>(index)])
                    out[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
            }
        } else {
            const int step = bits / 8;
            for (int x = 0; x < width; ++x, in += step)
                if (in[2] * 11 + in[1] * 16 + in[0] * 5 >= 128 * 32) // qGray(r, g, b) >= 128
                    out[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
        }
    }
    return mono;
}

std::optional<TemplateFile> loadTemplate(const QString& path)
{
    Fd in;
    // Non-blocking, so that opening a FIFO with no writer returns at once; the type is checked
    // before anything is read.
    in.fd = path.isEmpty() ? -1 : ::open(LocalPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in.fd < 0 && (errno == ENOENT || errno == ENOTDIR))
        throw TemplateFailure{
            T("Die Datei gibt es nicht.", "The file does not exist.", "Le fichier n´existe pas.")};
    if (in.fd < 0)
        throw TemplateFailure{QString::fromLocal8Bit(std::strerror(errno))};
    struct stat st {
    };
    if (::fstat(in.fd, &st) != 0)
        throw TemplateFailure{QString::fromLocal8Bit(std::strerror(errno))};
    if (!S_ISREG(st.st_mode))
        throw TemplateFailure{T("Das ist keine gewöhnliche Datei.", "This is not a regular file.",
                                "Ce n´est pas un fichier ordinaire.")};
    if (st.st_size > TemplateFileMaxBytes)
        throw TemplateFailure{T("Die Datei ist grösser als 1 GB.", "The file is larger than 1 GB.",
                                "Le fichier dépasse 1 Go.")};
    (void)::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);

    TemplateFile out;
    if (std::optional<QImage> mono = readPlainBmp(in.fd, st.st_size)) {
        out.image = TemplateImage::FromTwoColour(std::move(*mono));
    } else {
        QByteArray bytes(static_cast<qsizetype>(st.st_size), Qt::Uninitialized);
        if (::lseek(in.fd, 0, SEEK_SET) < 0 ||
            !readFully(in.fd, bytes.data(), static_cast<std::size_t>(bytes.size())))
            throw TemplateFailure{truncatedText()};
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QImage picture;
        if (!reader.read(&picture) || picture.isNull())
            return std::nullopt;
        out.image = TemplateImage(picture);
        out.headerDpi = std::max(0, RoundHalfEven(picture.dotsPerMeterX() * 2.54 / 100.0));
    }
    QByteArray head(14 + 40, '\0');
    if (::lseek(in.fd, 0, SEEK_SET) == 0 &&
        readFully(in.fd, head.data(), static_cast<std::size_t>(head.size())))
        if (const auto dpi = BmpHeaderDpi(head))
            out.headerDpi = *dpi;
    return out;
}

} // namespace

TemplateImage TemplateImage::FromTwoColour(QImage mono)
{
    TemplateImage t;
    t.mono_ = std::move(mono);
    return t;
}

std::optional<TemplateFile> LoadTemplateFile(const QString& path, QString* reason)
{
    if (reason)
        reason->clear();
    try {
        return loadTemplate(path);
    } catch (const TemplateFailure& failure) {
        if (reason)
            *reason = failure.reason;
        return std::nullopt;
    }
}

} // namespace trevok

#include "view/templateimage.h"

#include "document/cp1252.h"
#include "document/filenames.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

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
    mono = std::move(m);
}

const QImage& TemplateImage::reduced(int level) const
{
    if (level <= 0 || mono.isNull())
        return mono;
    while (static_cast<int>(levels.size()) < level)
        levels.push_back(halve(levels.empty() ? mono : levels.back()));
    return levels[static_cast<std::size_t>(level - 1)];
}

void TemplateImage::draw(Canvas& canvas, const TRect& rect, ColourRef dark, ColourRef light,
                         const TRect& area) const
{
    if (mono.isNull())
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
    double ratio = std::min(mono.width() / std::max(devW, 1e-9), mono.height() / std::max(devH, 1e-9));
    int level = 0;
    while (ratio >= 2.0 && (mono.width() >> (level + 1)) >= 1 && (mono.height() >> (level + 1)) >= 1) {
        ratio /= 2.0;
        ++level;
    }
    const QImage& src = reduced(level);
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
    canvas.image(rect.left + RoundHalfEven64(x0 / fx), rect.bottom - RoundHalfEven64(y0 / fy),
                 rect.left + RoundHalfEven64(x1 / fx), rect.bottom - RoundHalfEven64(y1 / fy), part);
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

std::optional<TemplateFile> LoadTemplateFile(const QString& path)
{
    const std::optional<QByteArray> content = ReadLocalFile(path);
    if (!content)
        return std::nullopt;
    const QByteArray& bytes = *content;
    QImage picture;
    if (!picture.loadFromData(bytes) || picture.isNull())
        return std::nullopt;
    TemplateFile out;
    out.image = TemplateImage(picture);
    if (const auto dpi = BmpHeaderDpi(bytes))
        out.headerDpi = *dpi;
    else
        out.headerDpi = std::max(0, RoundHalfEven(picture.dotsPerMeterX() * 2.54 / 100.0));
    return out;
}

} // namespace trevok

#include "print/printsheet.h"

#include "view/qpaintercanvas.h"
#include "view/render.h"
#include "view/templateimage.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <limits>
#include <optional>

namespace trevok
{

namespace
{

constexpr std::int32_t DrillMarkHalf = 30; // half the size of a drill-plan cross
constexpr std::int32_t DrillTextGap = 20;  // between the cross and the label's lower edge
constexpr std::int32_t TargetReach = 1000; // register-mark arms, 10 mm each way

/// The drill diameter as the label shows it: general format, up to 8 significant digits, at
/// most 10 characters.
QString drillLabel(std::int32_t drillRadius)
{
    return QString::number(2.0 * drillRadius / 100.0, 'g', 8).left(10);
}

/// Widths of texts set in Arial, measured the way the canvas sizes its fonts (the cell is
/// ascent plus descent). The font is looked up once: a drill plan labels thousands of holes.
class TextWidths
{
  public:
    TextWidths() : metrics_(measuringFont()) {}

    /// The width in units of a text of the given cell height (units).
    double units(const QString& text, double cellHeight)
    {
        auto found = advances_.constFind(text);
        if (found == advances_.constEnd())
            found = advances_.insert(text, metrics_.horizontalAdvance(text));
        return *found * cellHeight / std::max(1.0, metrics_.ascent() + metrics_.descent());
    }

  private:
    static QFont measuringFont()
    {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(1000);
        return font;
    }

    QFontMetricsF metrics_;
    QHash<QString, double> advances_; // labels repeat: each is measured once
};

class SheetPainter
{
  public:
    SheetPainter(Canvas& c, TBoard& b, const PrintSettings& s, const std::array<PrintTemplate, 2>& t)
        : canvas_(c), board_(b), set_(s), templates_(t), fill_(s.fillColour()), painter_(c, drawSettings(s))
    {
    }

    void tile()
    {
        background();
        if (set_.templates)
            drawTemplates();
        if (set_.targets)
            targets();
        if (set_.outline)
            outline();
        if (set_.layers[0])
            copper(LayerK1);
        if (set_.mask[0])
            mask(LayerK1, set_.maskColours[0]);
        if (set_.layers[2])
            copper(LayerK2);
        if (set_.mask[1])
            mask(LayerK2, set_.maskColours[1]);
        if (set_.layers[1])
            layer(LayerB1, set_.layerColours[1]);
        if (set_.layers[3])
            layer(LayerB2, set_.layerColours[3]);
        if (set_.drillPlan[0])
            drillPlan(LayerK1, set_.drillColours[0]);
        if (set_.drillPlan[1])
            drillPlan(LayerK2, set_.drillColours[1]);
    }

  private:
    static DrawSettings drawSettings(const PrintSettings& s)
    {
        DrawSettings d;
        d.printing = true;
        d.printNegative = s.negative;
        d.printColour = s.fillColour();
        d.mirrored = s.mirror;
        d.padMaskMargin = s.padMaskMargin;
        d.smdMaskMargin = s.smdMaskMargin;
        return d;
    }

    std::int64_t W() const noexcept { return board_.BoardWidth; }
    std::int64_t H() const noexcept { return board_.BoardHeight; }

    void background()
    {
        const bool plane = (set_.layers[0] && board_.GroundPlane1) || (set_.layers[2] && board_.GroundPlane2);
        if (plane == set_.negative)
            return;
        canvas_.setPen(CanvasPen::none());
        canvas_.setBrush(CanvasBrush::solid(fill_));
        canvas_.rectangle(0, 0, W(), -H());
    }

    void drawTemplates()
    {
        const TRect everything{
            std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
            std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()};
        for (int side = 0; side < 2; ++side) {
            const PrintTemplate& t = templates_[static_cast<std::size_t>(side)];
            if (!set_.layers[side == 0 ? 0 : 2] || !t.image || t.image->isNull())
                continue;
            const ColourRef colour = set_.layerColours[side == 0 ? 0 : 2];
            if (set_.negative)
                t.image->draw(canvas_, t.rect, WhiteColour, colour, everything);
            else
                t.image->draw(canvas_, t.rect, colour, WhiteColour, everything);
        }
    }

    void targets()
    {
        canvas_.setPen(CanvasPen::pixels(BlackColour));
        for (const std::int64_t x : {std::int64_t{0}, W()})
            for (const std::int64_t y : {std::int64_t{0}, -H()}) {
                canvas_.line({Saturate32(x - TargetReach), Saturate32(y)},
                             {Saturate32(x + TargetReach), Saturate32(y)});
                canvas_.line({Saturate32(x), Saturate32(y - TargetReach)},
                             {Saturate32(x), Saturate32(y + TargetReach)});
            }
    }

    void outline()
    {
        canvas_.setPen(CanvasPen::pixels(BlackColour));
        const std::int32_t w = Saturate32(W()), y = Saturate32(-H());
        const TPoint corners[5] = {{0, 0}, {w, 0}, {w, y}, {0, y}, {0, 0}};
        canvas_.polyline(corners, 5);
    }

    void copper(int L)
    {
        if (GroundPlaneOn(board_, L))
            for (auto& e : board_.Elements)
                if (e->Layer == L)
                    painter_.DrawClearance(*e, L);
        layer(L, set_.negative ? WhiteColour : set_.layerColours[static_cast<std::size_t>(L - 1)]);
    }

    void layer(int L, ColourRef colour)
    {
        for (auto& e : board_.Elements)
            if (e->Layer == L && e->Kind != KindPad && !e->Restricted)
                painter_.DrawInColour(*e, colour, false);
        for (auto& e : board_.Elements)
            if (e->Layer == L && e->Kind == KindPad)
                painter_.DrawInColour(*e, colour, false);
    }

    void mask(int L, ColourRef colour)
    {
        const ColourRef c = set_.negative ? WhiteColour : colour;
        for (auto& e : board_.Elements)
            if (e->Layer == L &&
                ((e->Kind == KindPad && set_.maskPads) || (e->Kind == KindSmdPad && set_.maskSmdPads)))
                painter_.DrawInColour(*e, c, true);
    }

    void drillPlan(int L, ColourRef colour)
    {
        CanvasFont font;
        font.family = QStringLiteral("Arial");
        font.height = set_.drillTextHeight;
        for (const auto& e : board_.Elements) {
            if (e->Layer != L || e->Kind != KindPad || e->Size2 <= 0)
                continue;
            // Pads may lie anywhere in the 32-bit range; the marks around them are computed wider.
            const std::int64_t x = e->X, y = e->Y;
            const std::int32_t left = Saturate32(x - DrillMarkHalf), right = Saturate32(x + DrillMarkHalf);
            const std::int32_t top = Saturate32(y + DrillMarkHalf), bottom = Saturate32(y - DrillMarkHalf);
            canvas_.setPen(CanvasPen::pixels(colour));
            canvas_.line({left, top}, {right, bottom});
            canvas_.line({right, top}, {left, bottom});
            const QString label = drillLabel(e->Size2);
            const std::int64_t half = RoundHalfEven64(widths().units(label, set_.drillTextHeight) / 2.0);
            // Glyphs stay upright on paper: mirrored, the anchor (the text's left end on paper)
            // lies on the board's right of the pad.
            const std::int64_t ax = set_.mirror ? x + half : x - half;
            canvas_.text({Saturate32(ax), Saturate32(y + set_.drillTextHeight + DrillTextGap)}, label, font,
                         colour);
        }
    }

    TextWidths& widths()
    {
        if (!textWidths_)
            textWidths_.emplace();
        return *textWidths_;
    }

    Canvas& canvas_;
    TBoard& board_;
    const PrintSettings& set_;
    const std::array<PrintTemplate, 2>& templates_;
    ColourRef fill_;
    ElementPainter painter_;
    std::optional<TextWidths> textWidths_; // made at the first label
};

} // namespace

ColourRef PrintSettings::fillColour() const noexcept
{
    if (layers[0])
        return layerColours[0];
    if (layers[2])
        return layerColours[2];
    if (mask[0])
        return maskColours[0];
    if (mask[1])
        return maskColours[1];
    if (drillPlan[0])
        return drillColours[0];
    if (drillPlan[1])
        return drillColours[1];
    return BlackColour;
}

void PrintSettings::setDivisor(double d)
{
    if (d <= 0 || d == divisor)
        return;
    offsetX = RoundHalfEven(offsetX * d / divisor);
    offsetY = RoundHalfEven(offsetY * d / divisor);
    divisor = d;
}

double FreeScaleDivisor(int position) noexcept
{
    return 10.0 / std::clamp(position, 1, 100);
}

TPoint PrintSheetOrigin(const TBoard& board, const PrintSettings& s) noexcept
{
    const std::int64_t block = std::int64_t{board.BoardWidth} * s.tilesX + std::int64_t{s.tilesX - 1} * s.gap;
    const std::int64_t x0 = s.mirror ? block - s.offsetX : s.offsetX;
    return {Saturate32(x0), s.offsetY};
}

void DrawPrintSheet(Canvas& canvas, TBoard& board, const PrintSettings& s,
                    const std::array<PrintTemplate, 2>& templates, TPoint origin)
{
    SheetPainter sheet(canvas, board, s, templates);
    CanvasMapping m = canvas.mapping();
    const double stepX = static_cast<double>(board.BoardWidth) + s.gap;
    const double stepY = static_cast<double>(board.BoardHeight) + s.gap;
    for (int r = 0; r < s.tilesY; ++r)
        for (int i = 0; i < s.tilesX; ++i) {
            m.windowOrgX = origin.x - stepX * i;
            m.windowOrgY = origin.y + stepY * r;
            canvas.setMapping(m);
            sheet.tile();
        }
}

CanvasMapping PrinterMapping(double dpiX, double dpiY, const PrintSettings& s) noexcept
{
    CanvasMapping m;
    m.windowExtX = s.mirror ? -1.0 : 1.0;
    m.windowExtY = -1.0;
    m.viewportExtX = dpiX * s.calibrationX / (2540.0 * s.divisor);
    m.viewportExtY = dpiY * s.calibrationY / (2540.0 * s.divisor);
    return m;
}

bool PrintSheetOn(QPagedPaintDevice& device, TBoard& board, const PrintSettings& s,
                  const std::array<PrintTemplate, 2>& templates)
{
    QPainter p;
    if (!p.begin(&device))
        return false;
    QPainterCanvas canvas(p);
    canvas.setMapping(PrinterMapping(device.logicalDpiX(), device.logicalDpiY(), s));
    DrawPrintSheet(canvas, board, s, templates, PrintSheetOrigin(board, s));
    return p.end();
}

QByteArray PrintSheetPdf(TBoard& board, const PrintSettings& s, const std::array<PrintTemplate, 2>& templates,
                         QSizeF paperMm, const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Trevok 4.0"));
        const bool landscape = paperMm.width() > paperMm.height();
        const QSizeF portrait = landscape ? paperMm.transposed() : paperMm;
        writer.setPageLayout(
            QPageLayout(QPageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                        QPageLayout::Millimeter));
        PrintSheetOn(writer, board, s, templates);
    }
    buffer.close();
    return bytes;
}

TPoint CentredOffsets(const TBoard& board, const PrintSettings& s, QSizeF printableMm) noexcept
{
    const std::int64_t tw = std::int64_t{board.BoardWidth} * s.tilesX + std::int64_t{s.tilesX - 1} * s.gap;
    const std::int64_t th = std::int64_t{board.BoardHeight} * s.tilesY + std::int64_t{s.tilesY - 1} * s.gap;
    return {Saturate32(tw / 2 - RoundHalfEven64(printableMm.width() * 50.0 * s.divisor)),
            Saturate32(RoundHalfEven64(s.divisor * printableMm.height() * 50.0) - th / 2)};
}

QImage PrintSheetBitmap(TBoard& board, const PrintSettings& s, const std::array<PrintTemplate, 2>& templates)
{
    const int w = std::max(1, RoundHalfEven(board.BoardWidth / 100.0 / 25.4 * 300.0));
    const int h = std::max(1, RoundHalfEven(board.BoardHeight / 100.0 / 25.4 * 300.0));
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(Qt::white);
    QPainter p(&image);
    QPainterCanvas canvas(p);
    CanvasMapping m;
    m.windowExtX = s.mirror ? -double(board.BoardWidth) : double(board.BoardWidth);
    m.windowExtY = -double(board.BoardHeight);
    m.viewportExtX = w;
    m.viewportExtY = h;
    canvas.setMapping(m);
    const std::int64_t block = std::int64_t{board.BoardWidth} * s.tilesX + std::int64_t{s.tilesX - 1} * s.gap;
    DrawPrintSheet(canvas, board, s, templates, {s.mirror ? Saturate32(block) : 0, 0});
    p.end();
    image.setDotsPerMeterX(RoundHalfEven(300 / 0.0254));
    image.setDotsPerMeterY(RoundHalfEven(300 / 0.0254));
    return image;
}

std::array<PrintTemplate, 2> BoardPrintTemplates(const TBoard& board, const TemplateImage* side1,
                                                 const TemplateImage* side2)
{
    std::array<PrintTemplate, 2> out;
    const TemplateImage* images[2] = {side1, side2};
    for (std::size_t k = 0; k < 2; ++k) {
        if (!images[k] || images[k]->isNull())
            continue;
        out[k].image = images[k];
        out[k].rect = TemplateRect(images[k]->width(), images[k]->height(), board.TemplateDpi[k],
                                   board.TemplateOffsetX[k], board.TemplateOffsetY[k]);
    }
    return out;
}

} // namespace trevok

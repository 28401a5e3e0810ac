#pragma once
// The printed sheet: a board as artwork on paper. One routine, DrawPrintSheet, draws every tile
// of the board onto a canvas; the print preview, the printer, PDF files and the clipboard bitmap
// all call it, so that paper and preview agree.
//
// Terms:
//  - scale divisor d: drawing units per 0.01 mm of paper. 1 at 1:1; at the free scale
//    d = 10 / position, so position 20 prints twice the size (d = 0.5).
//  - offsets: where the board lies on the page, in drawing units from the printable area's
//    top-left corner (x to the left is negative: the default (-100, 100) puts the board 1 mm
//    right of and 1 mm below the corner at 1:1). They scale with d, so that the board keeps its
//    place in millimetres when the scale changes.
//  - calibration: per-printer factors kx, ky (0.8 to 1.2) that stretch the print to cancel a
//    printer's distortion. Only the printer and PDF output apply them, never the preview.
//  - fill colour: the colour of backgrounds and, printing negative, of holes and clearances:
//    the colour of the first printed layer of K1, K2, mask 1, mask 2, drill plan 1, drill plan 2.
//  - tiles: nx by ny copies of the board, columns to the right, rows downward, a gap apart.

#include "document/project.h"
#include "view/canvas.h"
#include "view/colours.h"

#include <QRectF>
#include <QSizeF>

#include <array>
#include <cstdint>

class QPagedPaintDevice;

namespace trevok
{

class TemplateImage;

/// Every switch of the print dialog (and of `trevok-cli print`).
struct PrintSettings {
    std::array<bool, 4> layers{true, true, true, true}; // K1, B1, K2, B2
    std::array<ColourRef, 4> layerColours{Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 0, 0), Rgb(255, 0, 0)};
    std::array<bool, 2> mask{false, false}; // solder mask of side 1, side 2
    std::array<ColourRef, 2> maskColours{Rgb(0, 0, 0), Rgb(0, 0, 0)};
    std::array<bool, 2> drillPlan{false, false};
    std::array<ColourRef, 2> drillColours{Rgb(0, 0, 0), Rgb(0, 0, 0)};
    bool mirror = false;
    bool targets = false; // register marks at the board corners
    bool outline = true;
    bool templates = false;
    bool negative = false;
    /// The scale divisor d (see above): 1 at 1:1.
    double divisor = 1.0;
    int tilesX = 1;
    int tilesY = 1;
    std::int32_t gap = 0; // units
    std::int32_t offsetX = -100;
    std::int32_t offsetY = 100;
    std::int32_t padMaskMargin = 30;
    std::int32_t smdMaskMargin = 10;
    bool maskPads = true;
    bool maskSmdPads = true;
    std::int32_t drillTextHeight = 100; // units
    double calibrationX = 1.0;
    double calibrationY = 1.0;

    /// The fill colour (see above); black when none of those layers is printed.
    ColourRef fillColour() const noexcept;
    /// Changes the divisor and scales the offsets with it (Round(offset * d1 / d0)).
    void setDivisor(double d);
};

/// The scale divisor of the free scale bar's position (1..100): 10 / position.
double FreeScaleDivisor(int position) noexcept;

/// The template of a side as printing needs it: the picture and its board rectangle.
struct PrintTemplate {
    const TemplateImage* image = nullptr;
    TRect rect;
};

/// The origin (X0, Y0) of the first tile's window from the offsets; mirrored, X0 is measured
/// from the right end of the tile block.
TPoint PrintSheetOrigin(const TBoard& board, const PrintSettings& s) noexcept;

/// Draws every tile of the board. The canvas mapping must be set (scale and viewport origin);
/// its window origin is set here per tile, from `origin` (PrintSheetOrigin). Elements keep
/// their data; Highlight and DrawLayer are touched as element drawing does.
void DrawPrintSheet(Canvas& canvas, TBoard& board, const PrintSettings& s,
                    const std::array<PrintTemplate, 2>& templates, TPoint origin);

/// The printer mapping: one unit prints as 0.01 mm * kx / d across and 0.01 mm * ky / d down,
/// y up on the board and down on paper, x mirrored when asked; viewport origin at the device's
/// (0, 0), which is the corner of the printable area. The scale is kept exact (not rounded to
/// whole pixels per 10 mm), so that a long board does not drift at any printer resolution.
CanvasMapping PrinterMapping(double dpiX, double dpiY, const PrintSettings& s) noexcept;

/// Prints the sheet on one page of a paged device (a printer or a PDF writer) whose painter
/// origin is the printable area's corner. Returns false when the device cannot be painted on.
bool PrintSheetOn(QPagedPaintDevice& device, TBoard& board, const PrintSettings& s,
                  const std::array<PrintTemplate, 2>& templates);

/// The sheet as one PDF page of the given paper size (millimetres, portrait unless wider than
/// tall), the whole page printable, at 1200 dots per inch. Returns the PDF bytes.
QByteArray PrintSheetPdf(TBoard& board, const PrintSettings& s, const std::array<PrintTemplate, 2>& templates,
                         QSizeF paperMm, const QString& title);

/// Offsets that centre the tile block in a printable area of the given size (millimetres).
TPoint CentredOffsets(const TBoard& board, const PrintSettings& s, QSizeF printableMm) noexcept;

/// The board at 300 dpi as a 24-bit picture (the clipboard bitmap): all tiles' origin at the
/// picture's corner, no calibration.
QImage PrintSheetBitmap(TBoard& board, const PrintSettings& s, const std::array<PrintTemplate, 2>& templates);

/// The templates of a board for printing: each side's picture with its rectangle, only where a
/// picture is loaded. Pictures are passed by side (may be null).
std::array<PrintTemplate, 2> BoardPrintTemplates(const TBoard& board, const TemplateImage* side1,
                                                 const TemplateImage* side2);

} // namespace trevok

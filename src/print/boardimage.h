#pragma once
// Images of a board: bitmap (24-bit colour or 1-bit black and white), GIF, enhanced metafile,
// PNG, SVG and PDF, each showing the visible layers as the view draws them (background, ground
// plane with its clearances, layers, drill holes, connections; never the grid or a selection).
//
// Terms used here:
//  - resolution: pixels per inch of the image; a board W mm wide is round(dpi * W / 25.4) pixels.
//  - memory estimate: what the export dialog shows, in kB: one bit or three bytes per pixel.
//  - strip: a band of rows drawn at a time, so that progress can be shown and memory stays
//    bounded by the file being made.

#include "document/project.h"
#include "view/canvas.h"
#include "view/colours.h"

#include <QSize>

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace trevok
{

enum class ImageFormat { Bmp, Gif, Emf, Png, Svg, Pdf };

/// What an image shows and how it is made.
struct ImageOptions {
    ImageFormat format = ImageFormat::Bmp;
    int dpi = 300;     // 100..600
    bool mono = false; // bitmap only: one bit per pixel, the background and holes white, the rest black
    int activeLayer = 3;
    std::array<bool, 4> layerVisible{true, true, true, true};
    ColourScheme colours = ColourScheme::Standard();
    /// Metafile only: the view's zoom (pixels per unit) instead of the resolution, as the view shows it.
    std::optional<double> zoom;
    /// Draws the template picture of a side (1 or 2) under the layout, as the view does; unset,
    /// no template is drawn.
    std::function<void(Canvas&, int side, const TRect& area)> drawTemplate;

    /// The view fields of a board record: active layer and visible layers.
    static ImageOptions fromBoard(const TBoard& board, ImageFormat format);
};

/// Lowest and highest resolution the dialog and the command line accept.
inline constexpr int MinImageDpi = 100;
inline constexpr int MaxImageDpi = 600;

/// The pixel size of a board at a resolution.
QSize ImagePixelSize(std::int32_t boardWidth, std::int32_t boardHeight, int dpi) noexcept;
/// The memory estimate in kB: black and white Round(w * h / 1024) div 8, colour that times 3.
std::int64_t ImageMemoryKb(QSize pixels, bool colour) noexcept;

/// Called after each strip with the rows done and the rows in all; false cancels.
using ImageProgress = std::function<bool(int done, int total)>;

/// The file bytes of the image; std::nullopt when cancelled through progress. Throws TrevokError
/// ImageTooLarge when the memory cannot be had, ImageWriteFailed when a writer fails. The board
/// is drawn as it is (DrawLayer and Highlight change as in any drawing); the selection is not
/// shown and stays as it was.
std::optional<std::string> MakeBoardImage(TBoard& board, const ImageOptions& options,
                                          const ImageProgress& progress = {});

/// The usual file-name extension of a format, without the point ("bmp", "gif", ...).
const char* ImageExtension(ImageFormat format) noexcept;

} // namespace trevok

#pragma once
// Template images: a scanned picture of a board drawn under the layout so that it can be traced.
//
// Terms:
//  - template rectangle: where the picture lies on the board, from its size in pixels, its
//    resolution and its offsets (tenths of a millimetre, x to the right, y downward).
//  - dark and light: a template is kept as a two-colour picture; its dark pixels take the
//    template (or layer) colour, its light pixels the background.
//  - reduced copy: the picture halved k times, a dark pixel surviving when any pixel of its
//    2 x 2 block is dark, so that thin scanned tracks stay visible when zoomed out. Big scans
//    draw from the copy nearest the screen's resolution instead of stretching every pixel.

#include "document/objekt.h"
#include "document/project.h"
#include "view/canvas.h"
#include "view/colours.h"

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class QByteArray;

namespace trevok
{

inline constexpr int TemplateDpiMin = 20;
inline constexpr int TemplateDpiMax = 2400;
inline constexpr int TemplateDpiDefault = 600;

/// The resolution a BMP file's headers give (the 14-byte file header, then an information
/// header of at least 40 bytes): Round(horizontal pixels per metre * 2.54 / 100). Nullopt when
/// the bytes are not such a file; 0 when the header says 0 pixels per metre (or less).
std::optional<int> BmpHeaderDpi(const QByteArray& head);

/// The board rectangle of a template: from (0, 0) to (Round(w / dpi * 2540),
/// -Round(h / dpi * 2540)), moved by (offsetX * 10, -offsetY * 10). A resolution below 1 is
/// taken as the default, so that no caller divides by zero.
TRect TemplateRect(int widthPx, int heightPx, int dpi, int offsetX, int offsetY) noexcept;

/// A two-colour template picture with its reduced copies. Copies share the pixel data.
class TemplateImage
{
  public:
    TemplateImage() = default;
    /// Takes any picture and makes it two-coloured (luminance below one half is dark).
    explicit TemplateImage(const QImage& picture);
    /// Takes a picture that already is two-coloured: Format_Mono, index 0 dark, 1 light.
    static TemplateImage FromTwoColour(QImage mono);

    bool isNull() const noexcept { return mono_.isNull(); }
    int width() const noexcept { return mono_.width(); }
    int height() const noexcept { return mono_.height(); }
    /// Index 0 dark, index 1 light.
    const QImage& picture() const noexcept { return mono_; }
    /// The picture halved `level` times (level 0 is the picture itself); made on first use,
    /// also when several threads draw the picture at once.
    QImage reduced(int level) const;

    /// Draws the picture stretched over `rect` (board units) in the two colours, only the part
    /// inside `area` (board units). Uses the reduced copy closest to, but not coarser than, the
    /// canvas's resolution.
    void draw(Canvas& canvas, const TRect& rect, ColourRef dark, ColourRef light, const TRect& area) const;

  private:
    QImage mono_;
    struct Levels {
        std::mutex lock;
        std::vector<QImage> images; // images[k - 1] is the picture halved k times
    };
    std::shared_ptr<Levels> levels_ = std::make_shared<Levels>();
};

/// A loaded template file.
struct TemplateFile {
    TemplateImage image;
    /// The resolution of the file's headers; 0 when they give none (0 pixels per metre).
    int headerDpi = 0;
};

/// What draws a board's template pictures under the layout as the view does, from the board's
/// template settings: the picture of the side asked for (1 or 2) when that side's template is
/// shown, its dark pixels in the board's template colour and its light pixels in `background`,
/// only within `area`. For pictures made without the editor's window (the command line).
std::function<void(Canvas&, int side, const TRect& area)>
BoardTemplateDrawer(const TBoard& board, std::array<std::shared_ptr<const TemplateImage>, 2> images,
                    ColourRef background);

/// The template file name a board keeps (Windows-1252 text, as older files hold it) as the
/// window carries names, and back. A name that is not valid UTF-8 cannot be such text; it is
/// kept as the system's own bytes, and on reading those bytes are taken as they are when the
/// name read as Windows-1252 names no file but the bytes do.
QString TemplatePathFromField(const std::string& field);
std::string TemplateFieldFromPath(const QString& path);

/// The largest template file read (a 10,000 x 10,000 scan of 32 bits is 400 MB).
inline constexpr long long TemplateFileMaxBytes = 1LL << 30;

/// Reads a BMP file as a template. Uncompressed BMPs of 1, 4, 8, 24 and 32 bits are read a row
/// at a time straight into the two-colour picture, so a scan of any size the memory holds at
/// one bit per pixel can be loaded; other pictures go through Qt's readers. Only regular files
/// up to TemplateFileMaxBytes are opened, so that a FIFO or a device never blocks or floods the
/// program. Nullopt when the file cannot be read as a picture; `reason` then receives why, in
/// the current language (empty when there is nothing more to say than that).
std::optional<TemplateFile> LoadTemplateFile(const QString& path, QString* reason = nullptr);

} // namespace trevok

#pragma once
// Gerber RS-274X export of one layer of a board.
//
// The writer keeps coordinates in board units (0.01 mm) and declares a 3.2 millimetre format,
// so one unit is one step of the last written digit. Callers pass y already shifted by the
// board height, so the board spans x 0..W and y 0..H in the file.

#include "document/objekt.h"
#include "document/project.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace trevok
{

/// A point in the file's frame (x 0..W, y 0..H), 64-bit since shifted and grown values may
/// leave the 32-bit range.
struct GPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

/// One aperture. The key is the whole tuple, so two round pads of the same size but different
/// drill get two apertures with the same definition, and a round pen differs from a round pad.
struct TBlende {
    std::uint8_t Form = 0; // 0 round pen, 1 round pad, 3 rectangle
    std::int32_t DCode = 0;
    std::int32_t Hole = 0;  // round pad: drill radius (key only, never written)
    std::int32_t Size = 0;  // pen: diameter; round pad: radius
    std::int32_t HalfX = 0; // rectangle: half width
    std::int32_t HalfY = 0; // rectangle: half height
};

/// Assembles one Gerber file in memory: the header is collected apart because the aperture list
/// is only complete at the end.
class TGerberFile
{
  public:
    bool Mirror = false;
    std::int64_t MirrorWidth = 0;

    void Open(const std::string& layerName);
    void MoveTo(std::int64_t x, std::int64_t y);
    void LineTo(std::int64_t x, std::int64_t y);
    void Flash();
    void BeginRegion();
    void EndRegion();
    void ClearPolarity();
    void DarkPolarity();
    void BeginPadClearances();
    void SetPenwidth(std::int32_t d);
    void FlashRoundPad(std::int32_t hole, std::int32_t r);
    void FlashRect(std::int32_t hx, std::int32_t hy);
    /// Arc from p1 to p2 anticlockwise about c; equal points give a full circle.
    void Arc(GPoint c, GPoint p1, GPoint p2);
    /// Region bounded by the arc from p1 to p2 anticlockwise about c and the straight line back.
    void Chord(GPoint c, GPoint p1, GPoint p2);
    void Octagon(GPoint c, std::int64_t a, std::int64_t b);
    void RoundedRect(GPoint c, std::int64_t a, std::int64_t b);
    /// Ends the body and returns the whole file.
    std::string Close();

    std::int32_t Penwidth() const noexcept { return penwidth_; }
    const std::vector<TBlende>& Apertures() const noexcept { return apertures_; }

  private:
    void line(const std::string& s);
    void SelectAperture(const TBlende& a);
    /// The move to the arc's start and the arc itself; returns the start in the file's frame.
    GPoint arcLines(GPoint c, GPoint p1, GPoint p2);
    const TBlende& findOrCreate(const TBlende& key);
    std::int64_t mx(std::int64_t x) const noexcept { return Mirror ? MirrorWidth - x : x; }

    std::vector<std::string> headerLines_;
    std::string body_;
    std::vector<TBlende> apertures_;
    std::int32_t nextDCode_ = 10;
    std::int32_t penwidth_ = 0;
};

enum class GerberLayer { K1, B1, K2, B2, LStop1, LStop2 };

/// Whether the element lies on the layer that a Gerber file of this kind draws; false for the masks.
bool OnGerberLayer(const TObjekt& e, GerberLayer layer) noexcept;

/// The options of the Gerber dialog; the command-line tool fills the same record.
struct GerberOptions {
    GerberLayer layer = GerberLayer::K1;
    bool mirror = false;       // "Spiegeln"
    bool outline = true;       // "Umriss"
    bool punchHoles = false;   // "BohrungenFrei"
    bool markHoles = false;    // "Koernen": punch as small marks
    double padOffsetMm = 0.30; // solder mask: pad offset
    double smdOffsetMm = 0.10; // solder mask: SMD offset
    bool pads = true;          // solder mask: include pads
    bool smdPads = true;       // solder mask: include SMD pads
    bool invert = false;       // solder mask: inverted output
    int language = 1;          // layer name language: 0 German, 1 English, 2 French

    /// The settings the dialog makes when the layer is chosen: mirror for side 2, outline for copper.
    static GerberOptions forLayer(GerberLayer layer);
};

/// A circle whose start and stop angle name the same direction is whole, not an arc.
bool IsFullCircle(const TObjekt& circle) noexcept;

/// The "%LN" name of a layer in a language.
std::string GerberLayerName(GerberLayer layer, int language);

/// Writes one layer of a board as a Gerber file and returns its bytes. Old font texts are not
/// plotted (convert them first).
std::string PlotteGerberfile(const TBoard& board, const GerberOptions& options);

} // namespace trevok

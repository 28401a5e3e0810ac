#include "output/gcode.h"

#include "document/project.h"

#include <algorithm>
#include <cmath>

namespace trevok
{

namespace
{

/// Hundredths of a millimetre as a decimal with two places, whatever the locale.
std::string mm(std::int64_t hundredths)
{
    const bool neg = hundredths < 0;
    const std::int64_t a = neg ? -hundredths : hundredths;
    const std::string frac = std::to_string(a % 100);
    return (neg ? "-" : "") + std::to_string(a / 100) + "." + std::string(2 - frac.size(), '0') + frac;
}

std::string mm(double millimetres)
{
    return mm(RoundHalfEven64(millimetres * 100.0));
}

/// Collects one G-code program.
class Program
{
  public:
    Program(const TBoard& board, const GcodeOptions& o)
        : height(board.BoardHeight), box(MillingBox(board.Elements)), o(o)
    {
        line("(Trevok " + std::string(TREVOK_VERSION) + ")");
        line("G21"); // millimetres
        line("G90"); // absolute
        line("G17");
        line("G94"); // feed per minute
        line("G0 Z" + mm(o.safeZMm));
        line("M3 S" + std::to_string(o.spindleRpm));
    }

    /// Travels to the first point, goes down to depth and follows the points.
    void path(const std::vector<TPoint>& pts, bool closed, double depthMm)
    {
        if (pts.empty())
            return;
        line("G0 " + xy(pts[0]));
        line("G1 Z" + mm(-depthMm) + " F" + mm(o.plungeMmPerMin));
        bool first = true;
        auto cut = [&](TPoint p) {
            line("G1 " + xy(p) + (first ? " F" + mm(o.feedMmPerMin) : std::string()));
            first = false;
        };
        for (std::size_t i = 1; i < pts.size(); ++i)
            cut(pts[i]);
        if (closed)
            cut(pts[0]);
        line("G0 Z" + mm(o.safeZMm));
    }
    void hole(TPoint p, double depthMm)
    {
        line("G0 " + xy(p));
        line("G1 Z" + mm(-depthMm) + " F" + mm(o.plungeMmPerMin));
        line("G0 Z" + mm(o.safeZMm));
    }
    std::string take()
    {
        line("M5");
        line("M2");
        return std::move(out);
    }

  private:
    void line(const std::string& s)
    {
        out += s;
        out += "\r\n";
    }
    std::string xy(TPoint p) const
    {
        const TPoint q = MirrorInBox(p, box, o.mirror);
        return "X" + mm(std::int64_t{q.x}) + " Y" + mm(std::int64_t{q.y} + height);
    }

    std::int64_t height;
    TRect box;
    const GcodeOptions& o;
    std::string out;
};

} // namespace

std::string IsolationGcode(const TBoard& board, const std::vector<Contour>& contours,
                           const MillingOptions& milling, const GcodeOptions& o)
{
    Program p(board, o);
    for (const Contour& c : contours)
        p.path(c, true, o.depthMm);
    for (const auto& e : board.Elements) {
        if (e->Layer != milling.layer || !IsSingleLineText(*e, milling))
            continue;
        for (const TObjekt& stroke : e->Strokes)
            if (stroke.Points.size() >= 2)
                p.path(stroke.Points, false, o.depthMm);
    }
    return p.take();
}

std::vector<SideFile> DrillGcode(const TBoard& board, std::uint8_t layer, const GcodeOptions& o)
{
    std::vector<SideFile> files;
    if (o.drills == DrillFiles::None)
        return files;
    const std::vector<const TObjekt*> holes = DrillHoles(board.Elements, layer);
    const bool english = o.language == 1;
    if (o.drills == DrillFiles::One) {
        Program p(board, o);
        for (const TObjekt* h : holes)
            p.hole({h->X, h->Y}, o.drillDepthMm);
        files.push_back({english ? "DRILLING.NC" : "BOHRUNG.NC", p.take()});
        return files;
    }
    for (const auto& [d, group] : HolesByDiameter(holes)) {
        Program p(board, o);
        for (const TObjekt* h : group)
            p.hole({h->X, h->Y}, o.drillDepthMm);
        files.push_back({(english ? "DRIL_" : "BOHR_") + std::to_string(d) + ".NC", p.take()});
    }
    return files;
}

std::string OutlineGcode(const TBoard& board, std::uint8_t layer, bool selectedOnly, const GcodeOptions& o)
{
    Program p(board, o);
    for (const auto& e : board.Elements) {
        if (!IsOutlineElement(*e, layer, selectedOnly))
            continue;
        if (e->Kind == KindTrack) {
            if (e->Points.size() > 1)
                p.path(e->Points, false, o.outlineDepthMm);
        } else {
            p.path(OutlineCirclePoints(*e), false, o.outlineDepthMm);
        }
    }
    return p.take();
}

std::string OutlineGcodeName(int language)
{
    return language == 1 ? "OUTLINE.NC" : "KONTUR.NC";
}

std::optional<std::vector<SideFile>> GcodeSideFiles(const TBoard& board, std::uint8_t layer,
                                                    std::uint8_t outlineLayer, const GcodeOptions& o)
{
    std::vector<SideFile> files = DrillGcode(board, layer, o);
    if (outlineLayer) {
        const bool any = std::any_of(board.Elements.begin(), board.Elements.end(), [&](const auto& e) {
            return IsOutlineElement(*e, outlineLayer, false);
        });
        if (!any)
            return std::nullopt;
        files.push_back({OutlineGcodeName(o.language), OutlineGcode(board, outlineLayer, false, o)});
    }
    return files;
}

} // namespace trevok

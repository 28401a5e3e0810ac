#include "output/gcode.h"

#include "document/messages.h"
#include "document/project.h"
#include "output/travel.h"

#include <clipper.hpp>

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

/// Collects one G-code program and follows the tool, to measure the job.
class Program
{
  public:
    Program(const TBoard& board, const GcodeOptions& o)
        : height_(board.BoardHeight), box_(MillingBox(board.Elements)), o_(o)
    {
        line("(Trevok " + std::string(TREVOK_VERSION) + ")");
        line("G21"); // millimetres
        line("G90"); // absolute
        line("G17");
        line("G94"); // feed per minute
        rapidZ(o.safeZMm);
        line("M3 S" + std::to_string(o.spindleRpm));
        if (o.dwellS > 0) {
            line("G4 P" + mm(o.dwellS));
            stats_.minutes += o.dwellS / 60.0;
        }
    }

    /// Where the tool is at the start, as a board point of the job's frame (the machine origin).
    TPoint origin() const noexcept
    {
        return MirrorInBox({0, -static_cast<std::int32_t>(height_)}, box_, o_.mirror);
    }

    /// Travels to the first point, goes down to depth and follows the points.
    void path(const std::vector<TPoint>& pts, bool closed, double depthMm)
    {
        if (pts.empty())
            return;
        travel(pts[0]);
        feedZ(-depthMm);
        for (std::size_t i = 1; i < pts.size(); ++i)
            cut(pts[i]);
        if (closed)
            cut(pts[0]);
        rapidZ(o_.safeZMm);
    }
    void hole(TPoint p, double depthMm, bool mirrored = true)
    {
        travel(p, mirrored);
        feedZ(-depthMm);
        rapidZ(o_.safeZMm);
    }
    /// Registration holes at the corners of the milling box, which mark the blank and are
    /// never mirrored.
    void registrationHoles(const RefCorners& c)
    {
        const auto x0 = static_cast<std::int32_t>(box_.left), x1 = static_cast<std::int32_t>(box_.right);
        const auto y0 = static_cast<std::int32_t>(box_.top), y1 = static_cast<std::int32_t>(box_.bottom);
        const std::pair<bool, TPoint> corners[] = {{c.bottomLeft, {x0, y0}},
                                                   {c.bottomRight, {x1, y0}},
                                                   {c.topLeft, {x0, y1}},
                                                   {c.topRight, {x1, y1}}};
        for (const auto& [on, p] : corners)
            if (on)
                hole(p, o_.drillDepthMm, false);
    }
    /// A closed outline in depth steps; where a tab lies, the last steps rise to the tab's top.
    /// tabs holds, per tab, the stretch of the path (from, to, as lengths along it) to rise on.
    void steppedLoop(const std::vector<TPoint>& loop, const std::vector<std::pair<double, double>>& tabs)
    {
        if (loop.size() < 2)
            return;
        const double depth = o_.outlineDepthMm;
        const double step = std::max(o_.outlineStepMm, 0.01);
        const double tabTop = -depth + o_.tabHeightMm;
        travel(loop[0]);
        for (double reached = 0; reached < depth - 1e-9;) {
            reached = std::min(depth, reached + step);
            const double z = -reached;
            auto zAt = [&](double s) {
                if (z < tabTop)
                    for (const auto& [a, b] : tabs)
                        if (s >= a - 1e-9 && s <= b + 1e-9)
                            return tabTop;
                return z;
            };
            feedZ(zAt(0));
            double along = 0;
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const TPoint a = loop[i], b = loop[(i + 1) % loop.size()];
                const double len = std::hypot(double(b.x) - a.x, double(b.y) - a.y);
                // The points where the height changes on this edge: the tab ends.
                std::vector<double> cuts;
                for (const auto& [s0, s1] : tabs)
                    for (double s : {s0, s1})
                        if (s > along && s < along + len)
                            cuts.push_back(s);
                std::sort(cuts.begin(), cuts.end());
                for (double s : cuts) {
                    const double t = (s - along) / len;
                    const TPoint m{Saturate32(RoundHalfEven64(a.x + (b.x - a.x) * t)),
                                   Saturate32(RoundHalfEven64(a.y + (b.y - a.y) * t))};
                    cut(m);
                    feedZ(zAt(s + 1e-6)); // the height just past the tab's end
                }
                cut(b);
                along += len;
            }
        }
        rapidZ(o_.safeZMm);
    }
    std::string take(GcodeStats* out)
    {
        line("M5");
        line("M2");
        if (out)
            out->add(stats_);
        return std::move(text_);
    }

  private:
    void line(const std::string& s)
    {
        text_ += s;
        text_ += "\r\n";
    }
    TPoint place(TPoint p, bool mirrored) const { return mirrored ? MirrorInBox(p, box_, o_.mirror) : p; }
    std::string xy(TPoint q) const
    {
        return "X" + mm(std::int64_t{q.x}) + " Y" + mm(std::int64_t{q.y} + height_);
    }
    double distanceTo(TPoint q) const { return std::hypot(q.x / 100.0 - x_, (q.y + height_) / 100.0 - y_); }
    void moveTo(TPoint q)
    {
        x_ = q.x / 100.0;
        y_ = (q.y + height_) / 100.0;
    }
    void travel(TPoint p, bool mirrored = true)
    {
        const TPoint q = place(p, mirrored);
        const double d = distanceTo(q);
        stats_.travelMm += d;
        stats_.minutes += d / o_.rapidMmPerMin;
        line("G0 " + xy(q));
        moveTo(q);
        feedSet_ = false;
    }
    void cut(TPoint p)
    {
        const TPoint q = place(p, true);
        const double d = distanceTo(q);
        stats_.cutMm += d;
        stats_.minutes += d / o_.feedMmPerMin;
        line("G1 " + xy(q) + (feedSet_ ? std::string() : " F" + mm(o_.feedMmPerMin)));
        feedSet_ = true;
        moveTo(q);
    }
    void feedZ(double to)
    {
        if (to == z_)
            return;
        stats_.minutes += std::abs(to - z_) / o_.plungeMmPerMin;
        line("G1 Z" + mm(to) + " F" + mm(o_.plungeMmPerMin));
        z_ = to;
        feedSet_ = false;
    }
    void rapidZ(double to)
    {
        stats_.minutes += std::abs(to - z_) / o_.rapidMmPerMin;
        line("G0 Z" + mm(to));
        z_ = to;
    }

    std::int64_t height_;
    TRect box_;
    const GcodeOptions& o_;
    std::string text_;
    GcodeStats stats_;
    double x_ = 0, y_ = 0, z_ = 0;
    bool feedSet_ = false;
};

/// The holes in job order from where the tool is.
std::vector<TPoint> orderedHoles(const std::vector<const TObjekt*>& holes, const Program& p)
{
    std::vector<TPoint> pts;
    pts.reserve(holes.size());
    for (const TObjekt* h : holes)
        pts.push_back({h->X, h->Y});
    OrderPoints(pts, p.origin());
    return pts;
}

ClipperLib::Path clipperPath(const std::vector<TPoint>& pts)
{
    ClipperLib::Path p;
    p.reserve(pts.size());
    for (const TPoint& v : pts)
        p.emplace_back(v.x, v.y);
    return p;
}

std::vector<TPoint> fromClipper(const ClipperLib::Path& p)
{
    std::vector<TPoint> out;
    out.reserve(p.size());
    for (const ClipperLib::IntPoint& v : p)
        out.push_back({Saturate32(v.X), Saturate32(v.Y)});
    return out;
}

/// The sides of the grown outline the cutter follows: the outside of a board and of an island
/// in a cut-out, the inside of a cut-out (a hole in the board).
void cutterSides(const ClipperLib::PolyNode& node, int depth, std::vector<std::vector<TPoint>>& out)
{
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        if (depth % 2 == 0)
            out.push_back(fromClipper(outer->Contour));
        for (const ClipperLib::PolyNode* hole : outer->Childs) {
            if (depth % 2 == 1)
                out.push_back(fromClipper(hole->Contour));
            cutterSides(*hole, depth + 1, out);
        }
    }
}

} // namespace

std::string IsolationGcode(const TBoard& board, const std::vector<Contour>& contours,
                           const std::vector<OpenPath>& passes, const MillingOptions& milling,
                           const GcodeOptions& o, GcodeStats* stats)
{
    Program p(board, o);
    p.registrationHoles(o.corners);
    std::vector<CutPath> paths;
    paths.reserve(contours.size());
    for (const Contour& c : contours)
        paths.push_back({c, true});
    for (const OpenPath& c : passes) {
        // A pass whose ends meet is a loop: the job may start it anywhere.
        if (c.size() > 2 && c.front() == c.back())
            paths.push_back({{c.begin(), c.end() - 1}, true});
        else
            paths.push_back({c, false});
    }
    for (const auto& e : board.Elements) {
        if (e->Layer != milling.layer || !IsSingleLineText(*e, milling))
            continue;
        for (const TObjekt& stroke : e->Strokes)
            if (stroke.Points.size() >= 2)
                paths.push_back({stroke.Points, false});
    }
    OrderPaths(paths, p.origin());
    for (const CutPath& c : paths)
        p.path(c.points, c.closed, o.depthMm);
    if (o.centreMarks)
        for (const TPoint& h : orderedHoles(DrillHoles(board.Elements, milling.layer), p))
            p.hole(h, o.depthMm);
    return p.take(stats);
}

std::vector<SideFile> DrillGcode(const TBoard& board, std::uint8_t layer, const GcodeOptions& o,
                                 GcodeStats* stats)
{
    std::vector<SideFile> files;
    if (o.drills == DrillFiles::None)
        return files;
    const std::vector<const TObjekt*> holes = DrillHoles(board.Elements, layer);
    if (o.drills == DrillFiles::One) {
        Program p(board, o);
        p.registrationHoles(o.corners);
        for (const TPoint& h : orderedHoles(holes, p))
            p.hole(h, o.drillDepthMm);
        files.push_back({MessageText(MsgId::DrillFileName, o.language) + ".NC", p.take(stats)});
        return files;
    }
    for (const auto& [d, group] : HolesByDiameter(holes)) {
        Program p(board, o);
        p.registrationHoles(o.corners);
        for (const TPoint& h : orderedHoles(group, p))
            p.hole(h, o.drillDepthMm);
        files.push_back(
            {MessageText(MsgId::DrillFileNameForDiameter, o.language, {std::to_string(d)}) + ".NC",
             p.take(stats)});
    }
    return files;
}

std::vector<std::vector<TPoint>> OutlineToolPaths(const TBoard& board, const GcodeOptions& o)
{
    std::vector<std::vector<TPoint>> loops;
    const double radius = o.outlineToolMm * 50.0; // units
    ClipperLib::ClipperOffset co(2.0, 0.25);
    if (o.outline == OutlineSource::Board) {
        const std::int32_t w = board.BoardWidth, h = board.BoardHeight;
        co.AddPath(clipperPath({{0, -h}, {w, -h}, {w, 0}, {0, 0}}), ClipperLib::jtRound,
                   ClipperLib::etClosedPolygon);
    } else if (o.outline == OutlineSource::Selected) {
        for (const auto& e : board.Elements) {
            if (!IsOutlineElement(*e, o.outlineLayer, o.outlineLayer == 0))
                continue;
            const std::vector<TPoint> line = e->Kind == KindTrack ? e->Points : OutlineCirclePoints(*e);
            if (line.size() > 1)
                co.AddPath(clipperPath(line), ClipperLib::jtRound, ClipperLib::etOpenRound);
        }
    } else {
        return loops;
    }
    ClipperLib::PolyTree tree;
    co.Execute(tree, radius);
    if (o.outline == OutlineSource::Board) {
        for (const ClipperLib::PolyNode* outer : tree.Childs)
            loops.push_back(fromClipper(outer->Contour));
    } else {
        // The selected lines grown on both sides: outline of the board and of its cut-outs.
        cutterSides(tree, 0, loops);
    }
    return loops;
}

std::optional<std::string> OutlineGcode(const TBoard& board, const GcodeOptions& o, GcodeStats* stats)
{
    const std::vector<std::vector<TPoint>> loops = OutlineToolPaths(board, o);
    if (loops.empty() && o.outline == OutlineSource::Selected)
        return std::nullopt;
    Program p(board, o);
    p.registrationHoles(o.corners);
    std::vector<CutPath> paths;
    paths.reserve(loops.size());
    for (const auto& l : loops)
        paths.push_back({l, true});
    OrderPaths(paths, p.origin());
    // Each tab leaves tabWidth of board: the cutter rises for that plus its diameter.
    const double rise = (o.tabWidthMm + o.outlineToolMm) * 100.0;
    for (const CutPath& c : paths) {
        double length = 0;
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            const TPoint a = c.points[i], b = c.points[(i + 1) % c.points.size()];
            length += std::hypot(double(b.x) - a.x, double(b.y) - a.y);
        }
        std::vector<std::pair<double, double>> tabs;
        if (o.tabs > 0 && rise * o.tabs < length)
            for (int i = 0; i < o.tabs; ++i) {
                const double centre = length * (i + 0.5) / o.tabs;
                tabs.push_back({centre - rise / 2, centre + rise / 2});
            }
        p.steppedLoop(c.points, tabs);
    }
    return p.take(stats);
}

std::string OutlineGcodeName(int language)
{
    return MessageText(MsgId::OutlineFileName, language) + ".NC";
}

std::optional<std::vector<SideFile>> GcodeSideFiles(const TBoard& board, std::uint8_t layer,
                                                    const GcodeOptions& o, GcodeStats* stats)
{
    std::vector<SideFile> files = DrillGcode(board, layer, o, stats);
    if (o.outline != OutlineSource::None) {
        auto outline = OutlineGcode(board, o, stats);
        if (!outline)
            return std::nullopt;
        files.push_back({OutlineGcodeName(o.language), std::move(*outline)});
    }
    return files;
}

} // namespace trevok

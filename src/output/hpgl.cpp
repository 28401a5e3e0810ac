#include "output/hpgl.h"

#include "document/atomicfile.h"
#include "document/geomlimits.h"
#include "document/messages.h"
#include "document/project.h"
#include "document/region.h"

#include <climits>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <unordered_set>

namespace trevok
{

namespace
{

/// Collects the lines of one plot file in plotter units.
class Plot
{
  public:
    Plot(const TBoard& board, const TRect& box, const HpglOptions& o)
        : height_(board.BoardHeight), box_(box), mirror_(o.mirror),
          perUnit_(o.metricUnits ? 0.4 : 1000.0 / 2540.0)
    {
        line("PT0;");
        line("PU;");
    }

    void registrationHoles(const RefCorners& c)
    {
        // The corners mark the blank itself, so they stay where they are when the copper is mirrored.
        const std::int64_t l = box_.left, r = box_.right, b = box_.top, t = box_.bottom;
        if (c.bottomLeft)
            hole(l, b, false);
        if (c.bottomRight)
            hole(r, b, false);
        if (c.topLeft)
            hole(l, t, false);
        if (c.topRight)
            hole(r, t, false);
    }
    void hole(std::int64_t x, std::int64_t y, bool mirrored = true)
    {
        moveTo(x, y, mirrored);
        line("PD;");
        line("PU;");
    }
    void path(const std::vector<TPoint>& pts, bool closed)
    {
        if (pts.empty())
            return;
        moveTo(pts[0].x, pts[0].y);
        line("PD;");
        // Points closer than a plotter unit round to the point just written: a segment of no
        // length, which plotters and readers complain about.
        for (std::size_t i = 1; i < pts.size(); ++i)
            moveTo(pts[i].x, pts[i].y, true, true);
        if (closed)
            moveTo(pts[0].x, pts[0].y, true, true);
        line("PU;");
    }
    std::string take() { return std::move(out_); }

  private:
    void line(const char* s)
    {
        out_ += s;
        out_ += "\r\n";
    }
    void moveTo(std::int64_t x, std::int64_t y, bool mirrored = true, bool skipRepeat = false)
    {
        if (mirrored && mirror_ == MillMirror::X)
            x = box_.left + box_.right - x;
        if (mirrored && mirror_ == MillMirror::Y)
            y = box_.top + box_.bottom - y;
        const std::int64_t px = RoundHalfEven64(static_cast<double>(x) * perUnit_);
        const std::int64_t py = RoundHalfEven64(static_cast<double>(y + height_) * perUnit_);
        if (skipRepeat && px == lastX_ && py == lastY_)
            return;
        lastX_ = px;
        lastY_ = py;
        out_ += "PA" + std::to_string(px) + "," + std::to_string(py) + ";\r\n";
    }

    std::int64_t height_;
    TRect box_;
    MillMirror mirror_;
    double perUnit_; // plotter units per board unit
    std::string out_;
    std::int64_t lastX_ = INT64_MIN, lastY_ = INT64_MIN; // the plotter point written last
};

} // namespace

TPoint MirrorInBox(TPoint p, const TRect& box, MillMirror mirror) noexcept
{
    if (mirror == MillMirror::X)
        p.x = Saturate32(box.left + box.right - p.x);
    if (mirror == MillMirror::Y)
        p.y = Saturate32(box.top + box.bottom - p.y);
    return p;
}

TRect MillingBox(const ElementList& elements)
{
    bool any = false;
    TRect box;
    for (const auto& e : elements) {
        const Region r = ElementRegion(*e);
        if (r.components().empty())
            continue;
        const TRect b = r.boundingRect();
        box = any ? box.united(b) : b;
        any = true;
    }
    return box;
}

std::vector<const TObjekt*> DrillHoles(const ElementList& elements, std::uint8_t layer)
{
    std::vector<const TObjekt*> holes;
    std::unordered_set<const TObjekt*> done;
    for (const auto& e : elements) {
        if (e->Kind != KindPad || done.count(e.get()))
            continue;
        if (e->Layer != layer && !(IsCopperLayer(e->Layer) && e->Twin))
            continue;
        holes.push_back(e.get());
        done.insert(e.get());
        if (e->Twin)
            done.insert(e->Twin);
    }
    return holes;
}

std::vector<std::pair<std::int64_t, std::vector<const TObjekt*>>>
HolesByDiameter(const std::vector<const TObjekt*>& holes)
{
    std::vector<std::pair<std::int64_t, std::vector<const TObjekt*>>> groups;
    std::map<std::int64_t, std::size_t> slot;
    for (const TObjekt* h : holes) {
        const std::int64_t d = 2 * static_cast<std::int64_t>(h->Size2);
        const auto [it, fresh] = slot.emplace(d, groups.size());
        if (fresh)
            groups.push_back({d, {}});
        groups[it->second].second.push_back(h);
    }
    return groups;
}

std::string IsolationHpgl(const TBoard& board, const std::vector<Contour>& contours,
                          const std::vector<OpenPath>& passes, const MillingOptions& milling,
                          const HpglOptions& o)
{
    Plot plot(board, MillingBox(board.Elements), o);
    plot.registrationHoles(o.corners);
    for (const Contour& c : contours)
        plot.path(c, true);
    for (const OpenPath& p : passes)
        plot.path(p, false);
    for (const auto& e : board.Elements) {
        if (e->Layer != milling.layer || !IsSingleLineText(*e, milling))
            continue;
        for (const TObjekt& stroke : e->Strokes)
            if (stroke.Points.size() >= 2)
                plot.path(stroke.Points, false);
    }
    if (o.centreMarks)
        for (const TObjekt* h : DrillHoles(board.Elements, milling.layer))
            plot.hole(h->X, h->Y);
    return plot.take();
}

std::vector<SideFile> DrillHpgl(const TBoard& board, std::uint8_t layer, const HpglOptions& o)
{
    std::vector<SideFile> files;
    if (o.drills == DrillFiles::None)
        return files;
    const TRect box = MillingBox(board.Elements);
    const std::vector<const TObjekt*> holes = DrillHoles(board.Elements, layer);
    if (o.drills == DrillFiles::One) {
        Plot plot(board, box, o);
        plot.registrationHoles(o.corners);
        for (const TObjekt* h : holes)
            plot.hole(h->X, h->Y);
        files.push_back({MessageText(MsgId::DrillFileName, o.language) + ".PLT", plot.take()});
        return files;
    }
    // One file per diameter, in the order the diameters first occur.
    for (const auto& [d, group] : HolesByDiameter(holes)) {
        Plot plot(board, box, o);
        plot.registrationHoles(o.corners);
        for (const TObjekt* h : group)
            plot.hole(h->X, h->Y);
        files.push_back(
            {MessageText(MsgId::DrillFileNameForDiameter, o.language, {std::to_string(d)}) + ".PLT",
             plot.take()});
    }
    return files;
}

bool IsOutlineElement(const TObjekt& e, std::uint8_t layer, bool selectedOnly) noexcept
{
    const bool onLayer = layer ? e.Layer == layer : (e.Layer == LayerB1 || e.Layer == LayerB2);
    return (e.Kind == KindTrack || e.Kind == KindCircle) && onLayer && (!selectedOnly || e.Selected);
}

std::vector<TPoint> OutlineCirclePoints(const TObjekt& c)
{
    const std::int64_t radius =
        RoundHalfEven64(static_cast<double>(c.Size2) + (static_cast<double>(c.Size1) - c.Size2) / 2.0);
    const double a0 = static_cast<double>(c.Angle);
    double a1 = static_cast<double>(c.Width);
    if (a1 == a0)
        a1 += 360.0;
    double span = std::abs(a0 - a1);
    if (a0 > a1)
        span = 360.0 - span;
    // A damaged file may give a negative or a huge radius: the count is taken from its size
    // and bounded, never negative.
    const std::int64_t baseSteps = std::abs(radius) / 100 + 30; // whole hundreds of units
    const std::int64_t n = ArcSteps(static_cast<double>(baseSteps), static_cast<double>(radius),
                                    span * std::numbers::pi / 180.0);
    std::vector<TPoint> pts;
    pts.reserve(static_cast<std::size_t>(n) + 1);
    const double r = static_cast<double>(radius);
    for (std::int64_t i = 0; i <= n; ++i) {
        const double a =
            (a0 + span * static_cast<double>(i) / static_cast<double>(n)) * std::numbers::pi / 180.0;
        pts.push_back({Saturate32(c.X + RoundHalfEven64(r * std::cos(a))),
                       Saturate32(c.Y + RoundHalfEven64(r * std::sin(a)))});
    }
    return pts;
}

std::string OutlineHpgl(const TBoard& board, std::uint8_t layer, bool selectedOnly, const HpglOptions& o)
{
    Plot plot(board, MillingBox(board.Elements), o);
    plot.registrationHoles(o.corners);
    for (const auto& e : board.Elements) {
        if (!IsOutlineElement(*e, layer, selectedOnly))
            continue;
        if (e->Kind == KindTrack) {
            if (e->Points.size() > 1)
                plot.path(e->Points, false);
        } else {
            plot.path(OutlineCirclePoints(*e), false);
        }
    }
    return plot.take();
}

void WriteWithSideFiles(const std::string& mainPath, const std::string& bytes,
                        const std::vector<SideFile>& side)
{
    auto bytesOf = [](const std::string& b) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    };
    const std::filesystem::path folder = std::filesystem::path(mainPath).parent_path();
    std::vector<FileToWrite> files{{mainPath, bytesOf(bytes)}};
    for (const SideFile& f : side)
        files.push_back({(folder / f.name).string(), bytesOf(f.bytes)});
    WriteFilesAtomically(files);
}

} // namespace trevok

namespace trevok
{

std::string BoardRectangleHpgl(const TBoard& board, const HpglOptions& o)
{
    Plot plot(board, MillingBox(board.Elements), o);
    plot.registrationHoles(o.corners);
    const std::int32_t w = board.BoardWidth, h = board.BoardHeight;
    plot.path({{0, 0}, {w, 0}, {w, -h}, {0, -h}}, true);
    return plot.take();
}

} // namespace trevok

#include "output/designcheck.h"

#include "document/boxindex.h"
#include "document/region.h"
#include "document/undo.h"
#include "output/isolation.h"
#include "output/millshapes.h"
#include "routing/autorouter.h"
#include "routing/nettrace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <tuple>

namespace trevok
{
namespace
{

bool isRestrictedArea(const TObjekt& e) noexcept
{
    return e.Kind == KindArea && e.Restricted;
}

bool isPrintLayer(std::uint8_t layer) noexcept
{
    return layer == LayerB1 || layer == LayerB2;
}

/// The point a problem of one element is shown at: its centre or first node.
TPoint anchor(const TObjekt& e) noexcept
{
    if (e.hasPoints() && !e.Points.empty())
        return e.Points.front();
    if (e.Kind == KindLayoutText && !e.Strokes.empty() && !e.Strokes.front().Points.empty())
        return e.Strokes.front().Points.front();
    return {e.X, e.Y};
}

TPoint toPoint(double x, double y) noexcept
{
    return {RoundHalfEven(x), RoundHalfEven(y)};
}

TRect grown(TRect r, std::int64_t by) noexcept
{
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

struct Edge {
    RPoint a, b;
};

/// The edges of a region that come near a rectangle.
std::vector<Edge> edgesNear(const Region& region, const TRect& near)
{
    std::vector<Edge> out;
    for (const auto& comp : region.components()) {
        for (const RPath& path : comp) {
            const std::size_t n = path.size();
            for (std::size_t i = 0; i < n; ++i) {
                const RPoint& a = path[i];
                const RPoint& b = path[(i + 1) % n];
                const TRect box{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                                std::max(a.y, b.y)};
                if (box.intersects(near))
                    out.push_back({a, b});
            }
        }
    }
    return out;
}

/// Squared distance from p to the segment a-b, and the nearest point of the segment.
double pointSegment(double px, double py, const Edge& s, double& nx, double& ny) noexcept
{
    const double ax = static_cast<double>(s.a.x), ay = static_cast<double>(s.a.y);
    const double dx = static_cast<double>(s.b.x) - ax, dy = static_cast<double>(s.b.y) - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    nx = ax + t * dx;
    ny = ay + t * dy;
    return (px - nx) * (px - nx) + (py - ny) * (py - ny);
}

double cross(const RPoint& o, const RPoint& a, const RPoint& b) noexcept
{
    return static_cast<double>(a.x - o.x) * static_cast<double>(b.y - o.y) -
           static_cast<double>(a.y - o.y) * static_cast<double>(b.x - o.x);
}

/// Squared distance between two segments, and the middle of the two nearest points.
double segmentSegment(const Edge& s, const Edge& t, double& mx, double& my) noexcept
{
    const double d1 = cross(s.a, s.b, t.a), d2 = cross(s.a, s.b, t.b);
    const double d3 = cross(t.a, t.b, s.a), d4 = cross(t.a, t.b, s.b);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        // Proper crossing: the crossing point is the nearest place.
        const double u = d3 / (d3 - d4);
        mx = static_cast<double>(s.a.x) + u * static_cast<double>(s.b.x - s.a.x);
        my = static_cast<double>(s.a.y) + u * static_cast<double>(s.b.y - s.a.y);
        return 0;
    }
    double best = std::numeric_limits<double>::infinity();
    auto consider = [&](const RPoint& p, const Edge& e) {
        double nx = 0, ny = 0;
        const double d = pointSegment(static_cast<double>(p.x), static_cast<double>(p.y), e, nx, ny);
        if (d < best) {
            best = d;
            mx = (static_cast<double>(p.x) + nx) / 2;
            my = (static_cast<double>(p.y) + ny) / 2;
        }
    };
    consider(s.a, t);
    consider(s.b, t);
    consider(t.a, s);
    consider(t.b, s);
    return best;
}

/// The shortest distance between the outlines of two regions that do not overlap, looked for
/// only below the limit (infinity when nothing is nearer); at: the middle of the nearest points.
double outlineDistance(const Region& a, const Region& b, std::int64_t limit, TPoint& at)
{
    const std::vector<Edge> ea = edgesNear(a, grown(b.boundingRect(), limit));
    const std::vector<Edge> eb = edgesNear(b, grown(a.boundingRect(), limit));
    double best = std::numeric_limits<double>::infinity();
    const double lim = static_cast<double>(limit);
    double mx = 0, my = 0;
    for (const Edge& s : ea) {
        const double sl = static_cast<double>(std::min(s.a.x, s.b.x)),
                     sr = static_cast<double>(std::max(s.a.x, s.b.x));
        const double sb = static_cast<double>(std::min(s.a.y, s.b.y)),
                     st = static_cast<double>(std::max(s.a.y, s.b.y));
        for (const Edge& t : eb) {
            // The boxes of the two segments alone bound the distance from below.
            const double gx = std::max({0.0, static_cast<double>(std::min(t.a.x, t.b.x)) - sr,
                                        sl - static_cast<double>(std::max(t.a.x, t.b.x))});
            const double gy = std::max({0.0, static_cast<double>(std::min(t.a.y, t.b.y)) - st,
                                        sb - static_cast<double>(std::max(t.a.y, t.b.y))});
            const double floor2 = gx * gx + gy * gy;
            if (floor2 >= lim * lim || floor2 >= best)
                continue;
            double x = 0, y = 0;
            const double d = segmentSegment(s, t, x, y);
            if (d < best) {
                best = d;
                mx = x;
                my = y;
            }
        }
    }
    if (!std::isfinite(best))
        return best;
    at = toPoint(mx, my);
    return std::sqrt(best);
}

/// What one run of the check keeps about the board.
class Checker
{
  public:
    Checker(const TBoard& board, const DesignRules& rules) : board_(board), rules_(rules), tracer_(board)
    {
        // Every element's net, numbered in list order as NetOfEachElement numbers them.
        nets_ = tracer_.netIds();
        buildCopperIndex();
    }

    std::vector<DesignProblem> run()
    {
        gaps();
        sizes();
        edges();
        connections();
        danglingEnds();
        printOnPads();
        mill();
        return std::move(out_);
    }

  private:
    const TObjekt& el(std::size_t i) const { return *board_.Elements[i]; }
    const Region& region(std::size_t i) { return tracer_.region(i); }

    bool isCopper(std::size_t i) const
    {
        const TObjekt& e = el(i);
        return IsCopperLayer(e.Layer) && !isRestrictedArea(e);
    }
    bool planeOn(std::uint8_t layer) const
    {
        return (layer == LayerK1 && board_.GroundPlane1) || (layer == LayerK2 && board_.GroundPlane2);
    }
    /// True when the element merges with the ground plane of its side.
    bool inPlane(std::size_t i)
    {
        return planeOn(el(i).Layer) && el(i).Clearance == 0 && isCopper(i) && !tracer_.covered(i);
    }

    void add(ProblemKind kind, std::uint8_t layer, TPoint at, std::vector<std::size_t> elements, double value,
             std::int32_t limit, bool measured = true)
    {
        DesignProblem p;
        p.kind = kind;
        p.warning = kind == ProblemKind::Dangling || kind == ProblemKind::PrintOnPad;
        p.layer = layer;
        p.at = at;
        p.elements = std::move(elements);
        p.measured = measured;
        p.value = measured ? value : 0;
        p.limit = limit;
        out_.push_back(std::move(p));
    }

    /// One box index per copper layer over the copper outlines, grown by half the gap, so that
    /// boxes meet for every pair that may be nearer than the gap.
    void buildCopperIndex()
    {
        const std::size_t n = board_.Elements.size();
        half_ = (std::max<std::int64_t>(rules_.gap, 0) + 1) / 2;
        std::vector<TRect> boxes(n);
        for (const std::uint8_t layer : {LayerK1, LayerK2}) {
            std::vector<std::size_t> members;
            for (std::size_t i = 0; i < n; ++i) {
                if (el(i).Layer != layer || !isCopper(i) || region(i).isEmpty())
                    continue;
                boxes[i] = grown(region(i).boundingRect(), half_);
                members.push_back(i);
            }
            copper_[layer == LayerK1 ? 0 : 1].build(boxes, members);
        }
    }
    BoxIndex& copperIndex(std::uint8_t layer) { return copper_[layer == LayerK1 ? 0 : 1]; }

    void gaps()
    {
        if (rules_.gap <= 0)
            return;
        for (const std::uint8_t layer : {LayerK1, LayerK2}) {
            copperIndex(layer).forEachPair([&](std::size_t i, std::size_t j) {
                if (nets_[i] == nets_[j])
                    return;
                TPoint at;
                const double d = outlineDistance(region(i), region(j), rules_.gap, at);
                if (d < rules_.gap)
                    add(ProblemKind::Gap, layer, at, {i, j}, d, rules_.gap);
            });
        }
        // The plane is copper of its own net: the clearance around an element is its gap to it.
        for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
            const TObjekt& e = el(i);
            if (isCopper(i) && planeOn(e.Layer) && e.Clearance > 0 && e.Clearance < rules_.gap &&
                !tracer_.covered(i))
                add(ProblemKind::Gap, e.Layer, anchor(e), {i}, e.Clearance, rules_.gap);
        }
    }

    void sizes()
    {
        for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
            const TObjekt& e = el(i);
            if (!isCopper(i))
                continue;
            if ((e.Kind == KindTrack || e.Kind == KindLine) && e.Width < rules_.width)
                add(ProblemKind::Width, e.Layer, anchor(e), {i}, e.Width, rules_.width);
            if (e.Kind == KindLayoutText && !e.Strokes.empty()) {
                std::int32_t w = e.Strokes.front().Width;
                for (const TObjekt& s : e.Strokes)
                    w = std::min(w, s.Width);
                if (w < rules_.width)
                    add(ProblemKind::Width, e.Layer, anchor(e), {i}, w, rules_.width);
            }
            if (e.Kind == KindSmdPad && std::min(e.Size1, e.Size2) < rules_.smdSide)
                add(ProblemKind::SmdSize, e.Layer, anchor(e), {i}, std::min(e.Size1, e.Size2),
                    rules_.smdSide);
            if (e.Kind != KindPad || e.Size2 <= 0)
                continue;
            // A pad whose drill is as large as the pad is a bare hole: it has no ring.
            if (e.Size2 < e.Size1 && e.Size1 - e.Size2 < rules_.ring)
                add(ProblemKind::Ring, e.Layer, anchor(e), {i}, e.Size1 - e.Size2, rules_.ring);
            // One hole, however many pads of a through-plated pair stand on it.
            const std::ptrdiff_t twin = e.Twin ? tracer_.indexOf(e.Twin) : -1;
            if (twin >= 0 && static_cast<std::size_t>(twin) < i &&
                el(static_cast<std::size_t>(twin)).Size2 == e.Size2)
                continue;
            std::vector<std::size_t> involved{i};
            if (twin >= 0)
                involved.push_back(static_cast<std::size_t>(twin));
            const std::int32_t d = 2 * e.Size2;
            if (d < rules_.drillMin)
                add(ProblemKind::Drill, 0, anchor(e), involved, d, rules_.drillMin);
            else if (d > rules_.drillMax)
                add(ProblemKind::Drill, 0, anchor(e), involved, d, rules_.drillMax);
        }
    }

    void edges()
    {
        const std::int64_t w = board_.BoardWidth, h = board_.BoardHeight;
        for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
            const TObjekt& e = el(i);
            if ((!IsCopperLayer(e.Layer) && !isPrintLayer(e.Layer)) || isRestrictedArea(e) ||
                region(i).isEmpty())
                continue;
            const TRect b = region(i).boundingRect();
            const std::int64_t out = std::max({-b.left, b.right - w, -h - b.top, b.bottom});
            if (out > 0) {
                add(ProblemKind::Outside, e.Layer, anchor(e), {i}, static_cast<double>(out), 0);
                continue;
            }
            if (!IsCopperLayer(e.Layer) || -out >= rules_.edge)
                continue;
            // Inside the board rectangle the nearest place to its edge is a vertex.
            std::int64_t best = std::numeric_limits<std::int64_t>::max();
            RPoint at;
            for (const auto& comp : region(i).components())
                for (const RPath& path : comp)
                    for (const RPoint& p : path) {
                        const std::int64_t d = std::min({p.x, w - p.x, p.y + h, -p.y});
                        if (d < best) {
                            best = d;
                            at = p;
                        }
                    }
            if (best < rules_.edge)
                add(ProblemKind::Edge, e.Layer, {Saturate32(at.x), Saturate32(at.y)}, {i},
                    static_cast<double>(best), rules_.edge);
        }
    }

    /// True when the pad (or the pad of its through-plated pair on the layer) touches the outline.
    bool touchesPad(const TObjekt* pad, std::uint8_t layer, const Region& outline)
    {
        for (const TObjekt* p : {pad, pad ? static_cast<const TObjekt*>(pad->Twin) : nullptr}) {
            if (!p || p->Layer != layer)
                continue;
            const std::ptrdiff_t k = tracer_.indexOf(p);
            if (k >= 0 && region(static_cast<std::size_t>(k)).overlaps(outline))
                return true;
        }
        return false;
    }

    void connections()
    {
        const std::size_t n = board_.Elements.size();
        for (std::size_t i = 0; i < n; ++i) {
            const TObjekt& e = el(i);
            for (const TObjekt* q : e.Connections) {
                const std::ptrdiff_t k = tracer_.indexOf(q);
                if (k < 0 || static_cast<std::size_t>(k) <= i ||
                    nets_[i] == nets_[static_cast<std::size_t>(k)])
                    continue;
                add(ProblemKind::Unrouted, e.Layer == q->Layer ? e.Layer : 0, anchor(e),
                    {i, static_cast<std::size_t>(k)}, 0, 0, false);
            }
        }
        broken_.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            const TObjekt& e = el(i);
            if (e.Kind != KindTrack || !e.Autorouted || e.Points.size() < 2)
                continue;
            // The nodes run from the end pad's centre to the start pad's.
            const bool endJoined = touchesPad(e.RouteEnd, e.Layer, region(i));
            const bool startJoined = touchesPad(e.RouteStart, e.Layer, region(i));
            if (endJoined && startJoined)
                continue;
            broken_[i] = 1;
            std::vector<std::size_t> involved{i};
            for (const TObjekt* p : {e.RouteStart, e.RouteEnd}) {
                const std::ptrdiff_t k = p ? tracer_.indexOf(p) : -1;
                if (k >= 0)
                    involved.push_back(static_cast<std::size_t>(k));
            }
            add(ProblemKind::BrokenRoute, e.Layer, endJoined ? e.Points.back() : e.Points.front(), involved,
                0, 0, false);
        }
    }

    void danglingEnds()
    {
        for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
            const TObjekt& e = el(i);
            if (e.Kind != KindTrack || !isCopper(i) || e.Points.size() < 2 || broken_[i] || inPlane(i))
                continue;
            const std::int64_t r = std::max(e.Width / 2, 1);
            for (const TPoint p : {e.Points.front(), e.Points.back()}) {
                const Region end = Region::disc(p.x, p.y, r);
                bool touched = false;
                copperIndex(e.Layer).query({p.x - r, p.y - r, p.x + r, p.y + r}, [&](std::size_t j) {
                    if (!touched && j != i && region(j).overlaps(end))
                        touched = true;
                });
                if (!touched)
                    add(ProblemKind::Dangling, e.Layer, p, {i}, 0, 0, false);
                if (e.Points.front() == e.Points.back())
                    break;
            }
        }
    }

    void printOnPads()
    {
        for (std::size_t i = 0; i < board_.Elements.size(); ++i) {
            const TObjekt& e = el(i);
            if (!isPrintLayer(e.Layer) || region(i).isEmpty())
                continue;
            const std::uint8_t copper = e.Layer == LayerB1 ? LayerK1 : LayerK2;
            std::vector<std::size_t> pads;
            copperIndex(copper).query(region(i).boundingRect(), [&](std::size_t j) {
                if (el(j).isPadLike() && region(j).overlaps(region(i)))
                    pads.push_back(j);
            });
            std::sort(pads.begin(), pads.end());
            for (std::size_t j : pads)
                add(ProblemKind::PrintOnPad, e.Layer, anchor(el(j)), {i, j}, 0, 0, false);
        }
    }

    void mill()
    {
        if (rules_.mill <= 0)
            return;
        for (const std::uint8_t layer : {LayerK1, LayerK2}) {
            MillingOptions o;
            o.layer = layer;
            o.width = rules_.mill;
            if (!LayerHasContourElements(board_.Elements, o))
                continue;
            const std::vector<ShapeGroup> shapes = MillingShapes(board_.Elements, o);
            const auto found = FindIsolationProblems(board_.Elements, o, shapes, nets_);
            if (!found)
                continue;
            for (const IsolationProblem& p : *found) {
                std::vector<std::size_t> involved{std::min(p.elementA, p.elementB),
                                                  std::max(p.elementA, p.elementB)};
                add(ProblemKind::Mill, layer, p.at, involved, 0, rules_.mill, false);
            }
        }
    }

    const TBoard& board_;
    const DesignRules& rules_;
    NetTracer tracer_;
    std::vector<int> nets_;
    std::array<BoxIndex, 2> copper_;
    std::int64_t half_ = 0;
    std::vector<std::uint8_t> broken_;
    std::vector<DesignProblem> out_;
};

struct KindTexts {
    const char* key;
    const char* de;
    const char* en;
    const char* fr;
};

constexpr std::array<KindTexts, kProblemKindCount> kKinds{{
    {"gap", "Abstand", "Gap", "Écart"},
    {"width", "Leiterbreite", "Track width", "Largeur de piste"},
    {"smd-size", "SMD-Pad zu klein", "SMD pad too small", "Pastille CMS trop petite"},
    {"ring", "Restring", "Annular ring", "Couronne"},
    {"drill", "Bohrung", "Drill", "Perçage"},
    {"edge", "Platinenrand", "Board edge", "Bord de la carte"},
    {"outside", "Außerhalb der Platine", "Outside the board", "Hors de la carte"},
    {"unrouted", "Offene Verbindung", "Unrouted connection", "Connexion non routée"},
    {"broken-route", "Unterbrochene Route", "Broken route", "Route interrompue"},
    {"dangling", "Offenes Leiterende", "Dangling end", "Extrémité libre"},
    {"print-on-pad", "Bestückungsdruck auf Pad", "Print on pad", "Sérigraphie sur pastille"},
    {"mill", "Fräser passt nicht durch", "Mill cannot pass", "La fraise ne passe pas"},
}};

std::string mm(double units, int language, int decimals = 2)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, units / 100.0);
    std::string s = buf;
    if (language != 1)
        std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

} // namespace

std::size_t DesignCheckResult::count(ProblemKind k) const noexcept
{
    return static_cast<std::size_t>(
        std::count_if(problems.begin(), problems.end(), [k](const DesignProblem& p) { return p.kind == k; }));
}

DesignCheckResult CheckDesign(const TBoard& board, const DesignRules& rules)
{
    DesignCheckResult r;
    r.problems = Checker(board, rules).run();
    std::stable_sort(r.problems.begin(), r.problems.end(),
                     [](const DesignProblem& a, const DesignProblem& b) {
                         // Top to bottom (y grows upward), then left to right.
                         return std::make_tuple(a.kind, -std::int64_t{a.at.y}, a.at.x, a.elements) <
                                std::make_tuple(b.kind, -std::int64_t{b.at.y}, b.at.x, b.elements);
                     });
    for (const DesignProblem& p : r.problems)
        ++(p.warning ? r.warnings : r.errors);
    return r;
}

const char* ProblemKindKey(ProblemKind kind) noexcept
{
    return kKinds[static_cast<std::size_t>(kind)].key;
}

std::string ProblemKindName(ProblemKind kind, int language)
{
    const KindTexts& t = kKinds[static_cast<std::size_t>(kind)];
    return language == 0 ? t.de : language == 2 ? t.fr : t.en;
}

std::string ProblemLayerName(std::uint8_t layer, int language, bool key)
{
    const bool german = key || language == 0;
    switch (layer) {
    case LayerK1:
        return german ? "K1" : "C1";
    case LayerB1:
        return german ? "B1" : "S1";
    case LayerK2:
        return german ? "K2" : "C2";
    case LayerB2:
        return german ? "B2" : "S2";
    default:
        return "-";
    }
}

std::string ProblemText(const DesignProblem& p, TPoint origin, int language)
{
    std::string s = ProblemLayerName(p.layer, language) + " (" +
                    mm(std::int64_t{p.at.x} - origin.x, language) + " / " +
                    mm(std::int64_t{origin.y} - p.at.y, language) + " mm)";
    if (p.measured) {
        const char* limitWord = language == 0 ? "Grenze" : language == 2 ? "limite" : "limit";
        s += ": " + mm(p.value, language) + " mm, " + limitWord + " " + mm(p.limit, language) + " mm";
    }
    const char* elementsWord = language == 0 ? "Elemente" : language == 2 ? "éléments" : "elements";
    s += std::string("; ") + elementsWord;
    for (std::size_t i = 0; i < p.elements.size(); ++i)
        s += (i ? ", " : " ") + std::to_string(p.elements[i]);
    return s;
}

std::string ProblemSummary(const DesignCheckResult& r, int language)
{
    // French counts 0 and 1 in the singular, German and English only 1.
    auto counted = [language](std::size_t n, const char* one, const char* many) {
        const bool singular = n == 1 || (language == 2 && n == 0);
        return std::to_string(n) + " " + (singular ? one : many);
    };
    if (language == 0)
        return counted(r.errors, "Fehler", "Fehler") + ", " + counted(r.warnings, "Warnung", "Warnungen");
    if (language == 2)
        return counted(r.errors, "erreur", "erreurs") + ", " +
               counted(r.warnings, "avertissement", "avertissements");
    return counted(r.errors, "error", "errors") + ", " + counted(r.warnings, "warning", "warnings");
}

std::size_t ResolveBrokenRoutes(TProject& project, const std::vector<std::size_t>& tracks)
{
    TBoard* board = project.currentBoard();
    if (!board)
        return 0;
    std::vector<std::size_t> todo;
    for (std::size_t i : tracks) {
        if (i < board->Elements.size() && board->Elements[i]->Kind == KindTrack &&
            board->Elements[i]->Autorouted)
            todo.push_back(i);
    }
    if (todo.empty())
        return 0;
    std::sort(todo.begin(), todo.end());
    todo.erase(std::unique(todo.begin(), todo.end()), todo.end());
    PushUndo(project);
    // From the back, so that removing a track leaves the indices still to do in place.
    for (auto it = todo.rbegin(); it != todo.rend(); ++it)
        ResolveRouteTrack(board->Elements, *it);
    return todo.size();
}

} // namespace trevok

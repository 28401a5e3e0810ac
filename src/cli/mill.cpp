// trevok-cli contours, export hpgl, export hpgl-outline, export gcode: isolation milling data.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/millcli.h"
#include "output/gcode.h"
#include "output/hpgl.h"
#include "output/isolation.h"
#include "routing/nettrace.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include <ostream>
#include <sstream>

namespace trevok::cli
{

std::uint8_t parseCopperLayer(const std::optional<std::string>& name, const std::string& command)
{
    if (!name)
        throw CliError(command + " needs --layer K1|K2");
    if (*name == "K1" || *name == "C1")
        return LayerK1;
    if (*name == "K2" || *name == "C2")
        return LayerK2;
    throw CliError("--layer expects K1 or K2 (C1 or C2), not \"" + *name + "\"");
}

std::int32_t parseMillingWidth(const Args& args)
{
    const auto v = args.value("--width");
    if (!v)
        return 0;
    const double mm = parseDouble(*v, "--width");
    if (!(mm >= 0.0 && mm <= 4.99))
        throw CliError("--width must lie between 0 and 4.99 mm");
    return RoundHalfEven(mm * 100.0);
}

std::optional<IsolationResult> computeForCli(const TBoard& board, const MillingOptions& o, int language,
                                             std::ostream& err)
{
    if (!LayerHasElements(board.Elements, o.layer)) {
        err << "trevok-cli: " << MessageText(MsgId::MillLayerEmpty, language) << "\n";
        return std::nullopt;
    }
    if (!LayerHasContourElements(board.Elements, o))
        return IsolationResult{};
    const std::vector<int> nets = NetOfEachElement(board);
    return ComputeIsolation(board.Elements, o, nullptr, &nets);
}

/// Prints the problems and the joins made only through the ground plane; true when there are
/// problems (the joins are a warning only).
bool reportProblems(const TBoard& board, const IsolationResult& r, int language, std::ostream& err)
{
    for (const auto* list : {&r.problems, &r.planeJoins}) {
        if (list->empty())
            continue;
        std::string text = IsolationProblemsText(*list, board.Origin, language);
        for (char& c : text)
            if (c == '\r')
                c = '\n';
        err << "trevok-cli: " << text << "\n";
    }
    return !r.problems.empty();
}

std::string placesJson(const std::vector<IsolationProblem>& places)
{
    std::string s;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const IsolationProblem& p = places[i];
        const char* kind = p.kind == IsolationProblem::Kind::TextCrossing ? "text_crossing"
                           : p.kind == IsolationProblem::Kind::PlaneJoin  ? "plane_join"
                                                                          : "no_passage";
        s += i ? ", " : "";
        s += "{\"x\": " + std::to_string(p.at.x) + ", \"y\": " + std::to_string(p.at.y) + ", \"kind\": \"" +
             kind + "\", \"elements\": [" + std::to_string(p.elementA) + ", " + std::to_string(p.elementB) +
             "]}";
    }
    return s;
}

int runContours(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--layer", "--board", "--width", "--language"},
                    {"--json", "--convert-font-texts"});
    const int language = languageOption(args);
    MillingOptions o;
    o.layer = parseCopperLayer(args.value("--layer"), "contours");
    o.width = parseMillingWidth(args);
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    const auto r = computeForCli(*board, o, language, err);
    if (!r)
        return 1;
    if (args.has("--json")) {
        std::string s = "{\"count\": " + std::to_string(r->contours.size()) + ", \"contours\": [";
        for (std::size_t i = 0; i < r->contours.size(); ++i) {
            s += i ? ", [" : "[";
            const Contour& c = r->contours[i];
            for (std::size_t k = 0; k < c.size(); ++k) {
                s += k ? ", [" : "[";
                s += std::to_string(c[k].x) + ", " + std::to_string(c[k].y) + "]";
            }
            s += "]";
        }
        s += "], \"isolation_problems\": [" + placesJson(r->problems) + "], \"plane_joins\": [" +
             placesJson(r->planeJoins) + "]}\n";
        out << s;
    } else {
        out << r->contours.size() << "\n";
    }
    return reportProblems(*board, *r, language, err) ? kExitIsolationProblems : 0;
}

namespace
{

RefCorners parseRefHoles(const Args& args)
{
    RefCorners c;
    const auto v = args.value("--ref-holes");
    if (!v)
        return c;
    c.bottomLeft = false;
    if (*v == "none")
        return c;
    std::string rest = *v;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string name = rest.substr(0, comma);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        if (name == "UL")
            c.bottomLeft = true;
        else if (name == "UR")
            c.bottomRight = true;
        else if (name == "OL")
            c.topLeft = true;
        else if (name == "OR")
            c.topRight = true;
        else
            throw CliError("--ref-holes expects corners UL, UR, OL, OR separated by commas, or none; not \"" +
                           name + "\"");
    }
    return c;
}

MillMirror parseMirror(const Args& args)
{
    const std::string m = args.value("--mirror").value_or("none");
    if (m == "none")
        return MillMirror::None;
    if (m == "x")
        return MillMirror::X;
    if (m == "y")
        return MillMirror::Y;
    throw CliError("--mirror expects none, x or y");
}

DrillFiles parseDrills(const Args& args)
{
    const std::string d = args.value("--drills").value_or("none");
    if (d == "none")
        return DrillFiles::None;
    if (d == "one")
        return DrillFiles::One;
    if (d == "per-diameter")
        return DrillFiles::PerDiameter;
    throw CliError("--drills expects none, one or per-diameter");
}

/// Writes the main file and the files beside it; false after printing the first failure.
bool writeFiles(const std::string& mainPath, const std::string& bytes, const std::vector<SideFile>& side,
                int language, std::ostream& err)
{
    if (!writeOutput(mainPath, bytes, language, err))
        return false;
    const std::filesystem::path folder = std::filesystem::path(mainPath).parent_path();
    for (const SideFile& f : side)
        if (!writeOutput((folder / f.name).string(), f.bytes, language, err))
            return false;
    return true;
}

/// --layer, --width and --texts of the isolation exports.
MillingOptions parseMillingOptions(const Args& args, const std::string& command)
{
    MillingOptions m;
    m.layer = parseCopperLayer(args.value("--layer"), command);
    m.width = parseMillingWidth(args);
    const std::string texts = args.value("--texts").value_or("outline");
    if (texts != "outline" && texts != "single")
        throw CliError("--texts expects outline or single");
    m.singleLineTexts = m.singleLineMarkedTexts = texts == "single";
    return m;
}

/// Loads the board, computes the contours and writes the files made from them; the exit status.
int runIsolationExport(const Args& args, const MillingOptions& m, const std::string& out, int language,
                       std::ostream& err,
                       const std::function<bool(const TBoard&, const IsolationResult&, std::string&,
                                                std::vector<SideFile>&)>& make)
{
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    const auto r = computeForCli(*board, m, language, err);
    if (!r)
        return 1;
    std::string bytes;
    std::vector<SideFile> side;
    if (!make(*board, *r, bytes, side))
        return 1;
    if (!writeFiles(out, bytes, side, language, err))
        return 1;
    return reportProblems(*board, *r, language, err) ? kExitIsolationProblems : 0;
}

} // namespace

int exportHpgl(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv,
                    {"--layer", "-o", "--board", "--width", "--texts", "--drills", "--ref-holes", "--mirror",
                     "--language"},
                    {"--centre-marks", "--convert-font-texts"});
    const int language = languageOption(args);
    const MillingOptions m = parseMillingOptions(args, "export hpgl");
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export hpgl needs -o OUTPUT");
    HpglOptions o;
    o.language = language;
    o.corners = parseRefHoles(args);
    o.mirror = parseMirror(args);
    o.drills = parseDrills(args);
    o.centreMarks = args.has("--centre-marks");
    return runIsolationExport(
        args, m, *out, language, err,
        [&](const TBoard& board, const IsolationResult& r, std::string& bytes, std::vector<SideFile>& side) {
            bytes = IsolationHpgl(board, r.contours, m, o);
            side = DrillHpgl(board, m.layer, o);
            return true;
        });
}

int exportHpglOutline(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv, {"--layer", "-o", "--board", "--ref-holes", "--mirror", "--language"},
                    {"--convert-font-texts"});
    const int language = languageOption(args);
    const auto layer = args.value("--layer");
    if (!layer)
        throw CliError("export hpgl-outline needs --layer B1|B2");
    if (*layer != "B1" && *layer != "B2" && *layer != "S1" && *layer != "S2")
        throw CliError("--layer expects B1 or B2 (S1 or S2), not \"" + *layer + "\"");
    const std::uint8_t code = (*layer == "B1" || *layer == "S1") ? LayerB1 : LayerB2;
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export hpgl-outline needs -o OUTPUT");
    HpglOptions o;
    o.language = language;
    o.corners = parseRefHoles(args);
    o.mirror = parseMirror(args);
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    // The command line has no selection: every track and circle of the layer is the outline.
    const bool any = std::any_of(board->Elements.begin(), board->Elements.end(),
                                 [&](const auto& e) { return IsOutlineElement(*e, code, false); });
    if (!any) {
        err << "trevok-cli: " << MessageText(MsgId::OutlineNothingSelected, language) << "\n";
        return 1;
    }
    const std::string bytes = OutlineHpgl(*board, code, false, o);
    return writeOutput(*out, bytes, language, err) ? 0 : 1;
}

namespace
{

double rangeOption(const Args& args, const std::string& name, double fallback, double lo, double hi)
{
    const auto v = args.value(name);
    if (!v)
        return fallback;
    const double d = parseDouble(*v, name);
    if (!(d >= lo && d <= hi)) {
        std::ostringstream text;
        text << name << " must lie between " << lo << " and " << hi;
        throw CliError(text.str());
    }
    return d;
}

} // namespace

int exportGcode(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv,
                    {"--layer", "-o", "--board", "--width", "--depth", "--drill-depth", "--outline-depth",
                     "--safe-z", "--feed", "--plunge", "--spindle", "--drills", "--outline-layer", "--texts",
                     "--mirror", "--language"},
                    {"--convert-font-texts"});
    const int language = languageOption(args);
    const MillingOptions m = parseMillingOptions(args, "export gcode");
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export gcode needs -o OUTPUT");
    GcodeOptions o;
    o.language = language;
    o.depthMm = rangeOption(args, "--depth", o.depthMm, 0.01, 10.0);
    o.drillDepthMm = rangeOption(args, "--drill-depth", o.drillDepthMm, 0.01, 10.0);
    o.outlineDepthMm = rangeOption(args, "--outline-depth", o.outlineDepthMm, 0.01, 10.0);
    o.safeZMm = rangeOption(args, "--safe-z", o.safeZMm, 0.1, 100.0);
    o.feedMmPerMin = rangeOption(args, "--feed", o.feedMmPerMin, 1.0, 20000.0);
    o.plungeMmPerMin = rangeOption(args, "--plunge", o.plungeMmPerMin, 1.0, 20000.0);
    o.spindleRpm = static_cast<int>(rangeOption(args, "--spindle", o.spindleRpm, 0, 100000));
    o.drills = parseDrills(args);
    o.mirror = parseMirror(args);
    std::uint8_t outlineLayer = 0;
    if (const auto l = args.value("--outline-layer")) {
        if (*l == "B1" || *l == "S1")
            outlineLayer = LayerB1;
        else if (*l == "B2" || *l == "S2")
            outlineLayer = LayerB2;
        else
            throw CliError("--outline-layer expects B1 or B2 (S1 or S2), not \"" + *l + "\"");
    }
    return runIsolationExport(
        args, m, *out, language, err,
        [&](const TBoard& board, const IsolationResult& r, std::string& bytes, std::vector<SideFile>& side) {
            auto files = GcodeSideFiles(board, m.layer, outlineLayer, o);
            if (!files) {
                err << "trevok-cli: " << MessageText(MsgId::OutlineNothingSelected, language) << "\n";
                return false;
            }
            side = std::move(*files);
            bytes = IsolationGcode(board, r.contours, m, o);
            return true;
        });
}

} // namespace trevok::cli

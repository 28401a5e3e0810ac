// trevok-cli contours, export hpgl, export hpgl-outline, export gcode: isolation milling data.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/millcli.h"
#include "output/gcode.h"
#include "output/hpgl.h"
#include "output/isolation.h"
#include "output/millingjob.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

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

std::int32_t parseMillingWidth(const Args& args, std::int32_t fallback)
{
    const auto v = args.value("--width");
    if (!v)
        return fallback;
    const double mm = parseDouble(*v, "--width");
    if (!(mm >= 0.0 && mm <= 4.99))
        throw CliError("--width must lie between 0 and 4.99 mm");
    return RoundHalfEven(mm * 100.0);
}

namespace
{

std::atomic<MillingProgress*> interrupted{nullptr};
static_assert(std::atomic<MillingProgress*>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the interrupt handler may only touch lock-free atomics");

extern "C" void cancelOnInterrupt(int)
{
    if (MillingProgress* p = interrupted.load())
        p->cancel.store(true);
}

} // namespace

InterruptCancels::InterruptCancels(MillingProgress& progress)
{
    interrupted.store(&progress);
    previous = std::signal(SIGINT, cancelOnInterrupt);
    // For the tests of the interrupt: the computation says on stderr when it enters the stage
    // named here and waits there until it is cancelled, so a test can interrupt it at a known
    // point instead of guessing how long the work takes.
    if (const char* hold = std::getenv("TREVOK_TEST_HOLD_STAGE")) {
        const int stage = std::atoi(hold);
        progress.onEnter = [&progress, stage](int entered) {
            if (entered != stage)
                return;
            std::fprintf(stderr, "trevok-cli: holding in stage %d\n", entered);
            std::fflush(stderr);
            while (!progress.cancel.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        };
    }
}

InterruptCancels::~InterruptCancels()
{
    std::signal(SIGINT, previous == SIG_ERR ? SIG_DFL : previous);
    interrupted.store(nullptr);
}

std::optional<IsolationResult> computeForCli(const TBoard& board, const MillingOptions& o, int language,
                                             std::ostream& err, MillingProgress* progress)
{
    try {
        return IsolateBoard(board, o, progress);
    } catch (const TrevokError& e) {
        printError(err, e, language);
        return std::nullopt;
    }
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

namespace
{

/// --passes and --overlap of the contours and the isolation exports; further passes need a milling width.
PassOptions parsePassOptions(const Args& args, const MillingOptions& m)
{
    PassOptions p;
    if (const auto v = args.value("--passes")) {
        p.passes = parseInt(*v, "--passes");
        if (p.passes < 0 || p.passes > kMaxPasses)
            throw CliError("--passes must lie between 0 and " + std::to_string(kMaxPasses) +
                           " (0: until no free copper is left)");
    }
    if (const auto v = args.value("--overlap")) {
        p.overlapPercent = parseInt(*v, "--overlap");
        if (p.overlapPercent < 0 || p.overlapPercent > kMaxOverlapPercent)
            throw CliError("--overlap must lie between 0 and " + std::to_string(kMaxOverlapPercent) + " %");
    }
    if (p.passes != 1 && m.width <= 0)
        throw CliError("--passes other than 1 needs a --width above 0");
    return p;
}

} // namespace

int runContours(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--layer", "--board", "--width", "--language", "--passes", "--overlap"},
                    {"--json", "--convert-font-texts"});
    const int language = languageOption(args);
    MillingOptions o;
    o.layer = parseCopperLayer(args.value("--layer"), "contours");
    o.width = parseMillingWidth(args);
    const PassOptions passes = parsePassOptions(args, o);
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    MillingProgress progress;
    std::optional<IsolationResult> r;
    {
        const InterruptCancels interrupt(progress);
        r = computeForCli(*board, o, language, err, &progress);
        if (r && !progress.cancel) {
            const auto further =
                IsolationPasses(r->contours, o.width, passes,
                                BoardRectangle(board->BoardWidth, board->BoardHeight), &progress);
            if (further)
                r->passes = further->all();
        }
    }
    if (progress.cancel) {
        err << "trevok-cli: " << MessageText(MsgId::MillCancelled, language) << "\n";
        return kExitInterrupted;
    }
    if (!r)
        return 1;
    auto points = [](const std::vector<TPoint>& c) {
        std::string s = "[";
        for (std::size_t k = 0; k < c.size(); ++k) {
            s += k ? ", [" : "[";
            s += std::to_string(c[k].x) + ", " + std::to_string(c[k].y) + "]";
        }
        return s + "]";
    };
    if (args.has("--json")) {
        std::string s = "{\"count\": " + std::to_string(r->contours.size()) + ", \"contours\": [";
        for (std::size_t i = 0; i < r->contours.size(); ++i)
            s += (i ? ", " : "") + points(r->contours[i]);
        s += "], \"passes\": [";
        for (std::size_t i = 0; i < r->passes.size(); ++i)
            s += (i ? ", " : "") + points(r->passes[i]);
        s += "], \"isolation_problems\": [" + placesJson(r->problems) + "], \"plane_joins\": [" +
             placesJson(r->planeJoins) + "]}\n";
        out << s;
    } else {
        out << r->contours.size() << "\n";
        if (passes.passes != 1)
            out << r->passes.size() << "\n";
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

bool parseUnits(const Args& args)
{
    const std::string u = args.value("--units").value_or("inch");
    if (u != "inch" && u != "mm")
        throw CliError("--units expects inch (1/1000 inch) or mm (40 units per mm)");
    return u == "mm";
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

/// --layer, --width and --texts of the isolation exports.
MillingOptions parseMillingOptions(const Args& args, const std::string& command,
                                   std::int32_t fallbackWidth = 0)
{
    MillingOptions m;
    m.layer = parseCopperLayer(args.value("--layer"), command);
    m.width = parseMillingWidth(args, fallbackWidth);
    const std::string texts = args.value("--texts").value_or("outline");
    if (texts != "outline" && texts != "single")
        throw CliError("--texts expects outline or single");
    m.singleLineTexts = m.singleLineMarkedTexts = texts == "single";
    return m;
}

/// Loads the board and runs the milling job (the board filled in here); the exit status.
int runIsolationExport(const Args& args, MillingJob job, int language, std::ostream& err,
                       MillingJobResult* done = nullptr)
{
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    // Many passes on a large board take long: Ctrl-C stops the computation, and as the files are
    // written only at the end, nothing half-made is left behind.
    job.board = board;
    MillingProgress progress;
    std::optional<MillingJobResult> r;
    try {
        const InterruptCancels interrupt(progress);
        r = RunMillingJob(job, &progress);
    } catch (const TrevokError& e) {
        printError(err, e, language);
        return 1;
    }
    if (progress.cancel) {
        err << "trevok-cli: " << MessageText(MsgId::MillCancelled, language) << "\n";
        return kExitInterrupted;
    }
    if (!r)
        return 1;
    const int status = reportProblems(*board, r->isolation, language, err) ? kExitIsolationProblems : 0;
    if (done)
        *done = std::move(*r);
    return status;
}

} // namespace

int exportHpgl(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv,
                    {"--layer", "-o", "--board", "--width", "--texts", "--drills", "--ref-holes", "--mirror",
                     "--language", "--passes", "--overlap", "--units"},
                    {"--centre-marks", "--convert-font-texts"});
    const int language = languageOption(args);
    const MillingOptions m = parseMillingOptions(args, "export hpgl");
    const PassOptions passes = parsePassOptions(args, m);
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export hpgl needs -o OUTPUT");
    MillingJob job;
    job.format = MillingFormat::Hpgl;
    job.milling = m;
    job.passes = passes;
    job.path = *out;
    HpglOptions& o = job.hpgl;
    o.language = language;
    o.corners = parseRefHoles(args);
    o.mirror = parseMirror(args);
    o.drills = parseDrills(args);
    o.centreMarks = args.has("--centre-marks");
    o.metricUnits = parseUnits(args);
    return runIsolationExport(args, job, language, err);
}

int exportHpglOutline(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(
        argv, {"--layer", "-o", "--board", "--ref-holes", "--mirror", "--language", "--outline", "--units"},
        {"--convert-font-texts"});
    const int language = languageOption(args);
    const std::string source = args.value("--outline").value_or("selected");
    if (source != "selected" && source != "board")
        throw CliError("--outline expects board or selected");
    // The layout file keeps no selection: the layer's tracks and circles stand for it.
    std::uint8_t code = 0;
    if (const auto layer = args.value("--layer")) {
        if (*layer != "B1" && *layer != "B2" && *layer != "S1" && *layer != "S2")
            throw CliError("--layer expects B1 or B2 (S1 or S2), not \"" + *layer + "\"");
        code = (*layer == "B1" || *layer == "S1") ? LayerB1 : LayerB2;
    }
    if (source == "selected" && !code)
        throw CliError("export hpgl-outline needs --layer B1|B2");
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export hpgl-outline needs -o OUTPUT");
    HpglOptions o;
    o.language = language;
    o.corners = parseRefHoles(args);
    o.mirror = parseMirror(args);
    o.metricUnits = parseUnits(args);
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    if (source == "board")
        return writeOutput(*out, BoardRectangleHpgl(*board, o), language, err) ? 0 : 1;
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

int exportGcode(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--layer",         "-o",
                           "--board",         "--width",
                           "--depth",         "--drill-depth",
                           "--outline-depth", "--safe-z",
                           "--feed",          "--plunge",
                           "--rapid",         "--spindle",
                           "--dwell",         "--drills",
                           "--outline",       "--outline-layer",
                           "--outline-tool",  "--outline-step",
                           "--tabs",          "--tab-width",
                           "--tab-height",    "--texts",
                           "--mirror",        "--ref-holes",
                           "--passes",        "--overlap",
                           "--language"},
                    {"--convert-font-texts", "--centre-marks", "--json"});
    const int language = languageOption(args);
    // A real cutter has a width: with 0 its centre would run on the copper edge and cut half its
    // width into every track, so G-code starts at the editor's 0.20 mm.
    MillingJob job;
    job.format = MillingFormat::Gcode;
    job.milling = parseMillingOptions(args, "export gcode", 20);
    job.passes = parsePassOptions(args, job.milling);
    const auto target = args.value("-o");
    if (!target)
        throw CliError("export gcode needs -o OUTPUT");
    job.path = *target;
    GcodeOptions& o = job.gcode;
    o.language = language;
    o.depthMm = rangeOption(args, "--depth", o.depthMm, 0.01, 10.0);
    o.drillDepthMm = rangeOption(args, "--drill-depth", o.drillDepthMm, 0.01, 10.0);
    o.outlineDepthMm = rangeOption(args, "--outline-depth", o.outlineDepthMm, 0.01, 10.0);
    o.safeZMm = rangeOption(args, "--safe-z", o.safeZMm, 0.1, 100.0);
    o.feedMmPerMin = rangeOption(args, "--feed", o.feedMmPerMin, 1.0, 20000.0);
    o.plungeMmPerMin = rangeOption(args, "--plunge", o.plungeMmPerMin, 1.0, 20000.0);
    o.rapidMmPerMin = rangeOption(args, "--rapid", o.rapidMmPerMin, 1.0, 100000.0);
    // A spindle at 0 would drive a standing cutter into the board.
    o.spindleRpm = static_cast<int>(rangeOption(args, "--spindle", o.spindleRpm, 1, 100000));
    o.dwellS = rangeOption(args, "--dwell", o.dwellS, 0.0, 60.0);
    o.outlineToolMm = rangeOption(args, "--outline-tool", o.outlineToolMm, 0.1, 10.0);
    o.outlineStepMm = rangeOption(args, "--outline-step", o.outlineStepMm, 0.05, 10.0);
    o.tabs = static_cast<int>(rangeOption(args, "--tabs", o.tabs, 0, 20));
    o.tabWidthMm = rangeOption(args, "--tab-width", o.tabWidthMm, 0.5, 20.0);
    o.tabHeightMm = rangeOption(args, "--tab-height", o.tabHeightMm, 0.1, 10.0);
    o.drills = parseDrills(args);
    o.mirror = parseMirror(args);
    o.corners = args.value("--ref-holes") ? parseRefHoles(args) : RefCorners{false, false, false, false};
    o.centreMarks = args.has("--centre-marks");
    // The layout file keeps no selection: the outline layer's tracks and circles stand for it.
    const auto outlineLayer = args.value("--outline-layer");
    if (outlineLayer) {
        if (*outlineLayer == "B1" || *outlineLayer == "S1")
            o.outlineLayer = LayerB1;
        else if (*outlineLayer == "B2" || *outlineLayer == "S2")
            o.outlineLayer = LayerB2;
        else
            throw CliError("--outline-layer expects B1 or B2 (S1 or S2), not \"" + *outlineLayer + "\"");
    }
    const std::string outline = args.value("--outline").value_or(outlineLayer ? "selected" : "board");
    if (outline == "none")
        o.outline = OutlineSource::None;
    else if (outline == "board")
        o.outline = OutlineSource::Board;
    else if (outline == "selected")
        o.outline = OutlineSource::Selected;
    else
        throw CliError("--outline expects board, selected or none, not \"" + outline + "\"");
    if (o.outline == OutlineSource::Selected && !o.outlineLayer)
        throw CliError("--outline selected needs --outline-layer B1|B2");
    MillingJobResult done;
    const int status = runIsolationExport(args, job, language, err, &done);
    const GcodeStats& stats = done.stats;
    if (args.has("--json") && status != 1) {
        std::ostringstream json;
        json.setf(std::ios::fixed);
        json.precision(1);
        json << "{\"travel_mm\": " << stats.travelMm << ", \"cut_mm\": " << stats.cutMm
             << ", \"minutes\": " << stats.minutes << "}\n";
        out << json.str();
    }
    return status;
}

} // namespace trevok::cli

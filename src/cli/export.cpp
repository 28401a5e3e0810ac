// trevok-cli export gerber|drill|…: the manufacturing files of one board.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/millcli.h"
#include "output/excellon.h"
#include "output/fabset.h"
#include "output/gerber.h"

#include <filesystem>
#include <ostream>

namespace trevok::cli
{
namespace
{

GerberLayer parseLayer(const std::string& s)
{
    static const std::pair<const char*, GerberLayer> names[] = {
        {"K1", GerberLayer::K1}, {"B1", GerberLayer::B1},         {"K2", GerberLayer::K2},
        {"B2", GerberLayer::B2}, {"LStop1", GerberLayer::LStop1}, {"LStop2", GerberLayer::LStop2},
        {"C1", GerberLayer::K1}, {"S1", GerberLayer::B1},         {"C2", GerberLayer::K2},
        {"S2", GerberLayer::B2}};
    for (const auto& [name, layer] : names)
        if (s == name)
            return layer;
    throw CliError("unknown layer \"" + s + "\": use K1, B1, K2, B2, LStop1 or LStop2");
}

double offsetOption(const Args& args, const std::string& name, double fallback)
{
    const auto v = args.value(name);
    if (!v)
        return fallback;
    const double d = parseDouble(*v, name);
    if (d < 0.01 || d > 9.99)
        throw CliError(name + " must lie between 0.01 and 9.99 mm");
    return d;
}

int exportGerber(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv, {"--layer", "-o", "--board", "--pad-offset", "--smd-offset", "--language"},
                    {"--mirror", "--no-mirror", "--outline", "--no-outline", "--punch-holes", "--mark-holes",
                     "--invert", "--no-pads", "--no-smd-pads", "--convert-font-texts"});
    const int language = languageOption(args);
    const auto layerName = args.value("--layer");
    const auto out = args.value("-o");
    if (!layerName)
        throw CliError("export gerber needs --layer K1|B1|K2|B2|LStop1|LStop2");
    if (!out)
        throw CliError("export gerber needs -o OUTPUT");
    GerberOptions o = GerberOptions::forLayer(parseLayer(*layerName));
    o.language = language;
    const bool mask = o.layer == GerberLayer::LStop1 || o.layer == GerberLayer::LStop2;
    if (args.has("--mirror") && args.has("--no-mirror"))
        throw CliError("--mirror and --no-mirror exclude each other");
    if (args.has("--outline") && args.has("--no-outline"))
        throw CliError("--outline and --no-outline exclude each other");
    // The dialog mirrors side-2 layers (it also makes photo artwork); files for a board house
    // are all seen from side 1, so that they line up with the unmirrored drill file.
    o.mirror = args.has("--mirror");
    if (args.has("--outline"))
        o.outline = true;
    if (args.has("--no-outline"))
        o.outline = false;
    if (mask) {
        if (args.has("--punch-holes") || args.has("--mark-holes"))
            throw CliError("--punch-holes and --mark-holes do not apply to a solder mask");
        o.padOffsetMm = offsetOption(args, "--pad-offset", o.padOffsetMm);
        o.smdOffsetMm = offsetOption(args, "--smd-offset", o.smdOffsetMm);
        o.invert = args.has("--invert");
        o.pads = !args.has("--no-pads");
        o.smdPads = !args.has("--no-smd-pads");
    } else {
        for (const char* maskOnly : {"--invert", "--no-pads", "--no-smd-pads"})
            if (args.has(maskOnly))
                throw CliError(std::string(maskOnly) + " applies to solder masks only");
        for (const char* maskOnly : {"--pad-offset", "--smd-offset"})
            if (args.value(maskOnly))
                throw CliError(std::string(maskOnly) + " applies to solder masks only");
        if (args.has("--mark-holes") && !args.has("--punch-holes"))
            throw CliError("--mark-holes needs --punch-holes");
        o.punchHoles = args.has("--punch-holes");
        o.markHoles = args.has("--mark-holes");
    }
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    return writeOutput(*out, PlotteGerberfile(*board, o), language, err) ? 0 : 1;
}

int exportDrill(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv, {"-o", "--board", "--side", "--unit", "--format", "--language"},
                    {"--keep-leading-zeros", "--convert-font-texts"});
    const int language = languageOption(args);
    const auto out = args.value("-o");
    if (!out)
        throw CliError("export drill needs -o OUTPUT");
    const std::string unit = args.value("--unit").value_or("mm");
    if (unit != "mm" && unit != "inch")
        throw CliError("--unit expects mm or inch");
    DrillOptions o = DrillOptions::forUnit(unit == "inch");
    if (const auto f = args.value("--format")) {
        if (*f == "3.2")
            o.decimals = 2;
        else if (*f == "3.3")
            o.decimals = 3;
        else
            throw CliError("--format expects 3.2 or 3.3");
    }
    const std::string side = args.value("--side").value_or("1");
    if (side != "1" && side != "2")
        throw CliError("--side expects 1 or 2");
    o.side2 = side == "2";
    o.removeLeadingZeros = !args.has("--keep-leading-zeros");
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    return writeOutput(*out, WriteExcellon(*board, o), language, err) ? 0 : 1;
}

int exportFab(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"-o", "--board", "--language"}, {"--zip", "--convert-font-texts"});
    const int language = languageOption(args);
    const auto folder = args.value("-o");
    if (!folder)
        throw CliError("export fab needs -o FOLDER");
    TProject project;
    const TBoard* board = prepareBoard(project, args, language, err);
    if (!board)
        return 1;
    std::error_code ec;
    std::filesystem::create_directories(*folder, ec);
    if (ec || !std::filesystem::is_directory(*folder)) {
        err << "trevok-cli: the folder \"" << *folder
            << "\" cannot be made: " << (ec ? ec.message() : std::string("a file of that name is in the way"))
            << "\n";
        return 1;
    }
    FabJob job;
    job.board = board;
    job.folder = *folder;
    job.zip = args.has("--zip");
    job.options.language = language;
    std::string base = std::filesystem::path(args.positional()[0]).stem().string();
    if (args.value("--board"))
        base += "-" + *args.value("--board");
    job.options.baseName = FabBaseName(base);
    try {
        for (const std::string& path : RunFabJob(job))
            out << path << "\n";
    } catch (const TrevokError& e) {
        printError(err, e, language);
        return 1;
    }
    return 0;
}

} // namespace

int runExport(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    if (argv.empty())
        throw CliError("export expects a format: gerber, drill, fab, image, hpgl, hpgl-outline or gcode");
    const std::string what = argv[0];
    const std::vector<std::string> rest(argv.begin() + 1, argv.end());
    if (what == "gerber")
        return exportGerber(rest, err);
    if (what == "drill")
        return exportDrill(rest, err);
    if (what == "hpgl")
        return exportHpgl(rest, err);
    if (what == "hpgl-outline")
        return exportHpglOutline(rest, err);
    if (what == "gcode")
        return exportGcode(rest, out, err);
    if (what == "fab")
        return exportFab(rest, out, err);
#ifdef TREVOK_CLI_IMAGES
    if (what == "image")
        return exportImage(rest, err);
#endif
    throw CliError("unknown export format \"" + what +
                   "\": use gerber, drill, fab, image, hpgl, hpgl-outline or gcode");
}

} // namespace trevok::cli

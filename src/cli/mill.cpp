// trevok-cli contours, export hpgl, export hpgl-outline, export gcode: isolation milling data.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/millcli.h"
#include "output/isolation.h"

#include <ostream>

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
    return ComputeIsolation(board.Elements, o);
}

bool reportProblems(const TBoard& board, const IsolationResult& r, int language, std::ostream& err)
{
    if (r.problems.empty())
        return false;
    std::string text = IsolationProblemsText(r.problems, board.Origin, language);
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    err << "trevok-cli: " << text << "\n";
    return true;
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
        s += "], \"isolation_problems\": [";
        for (std::size_t i = 0; i < r->problems.size(); ++i) {
            s += i ? ", " : "";
            s += "{\"x\": " + std::to_string(r->problems[i].at.x) +
                 ", \"y\": " + std::to_string(r->problems[i].at.y) + "}";
        }
        s += "]}\n";
        out << s;
    } else {
        out << r->contours.size() << "\n";
    }
    return reportProblems(*board, *r, language, err) ? kExitIsolationProblems : 0;
}

} // namespace trevok::cli

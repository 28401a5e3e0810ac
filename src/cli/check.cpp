// trevok-cli check: the design check of one board.

#include "cli/commands.h"
#include "cli/common.h"
#include "output/designcheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <ostream>

namespace trevok::cli
{
namespace
{

constexpr int kExitProblems = 3;

std::int32_t mmValue(const std::string& text, const std::string& option, double max)
{
    const double mm = parseDouble(text, option);
    if (!(mm >= 0.0 && mm <= max))
        throw CliError(option + " must lie between 0 and " + std::to_string(static_cast<int>(max)) + " mm");
    return RoundHalfEven(mm * 100.0);
}

void mmOption(const Args& args, const std::string& option, std::int32_t& rule, double max = 50.0)
{
    if (const auto v = args.value(option))
        rule = mmValue(*v, option, max);
}

DesignRules rulesFrom(const Args& args)
{
    DesignRules r;
    mmOption(args, "--gap", r.gap);
    mmOption(args, "--width", r.width);
    mmOption(args, "--ring", r.ring);
    mmOption(args, "--edge", r.edge);
    mmOption(args, "--mill", r.mill, 4.99);
    if (const auto v = args.value("--drill")) {
        const std::size_t comma = v->find(',');
        if (comma == std::string::npos)
            throw CliError("--drill expects MIN,MAX in mm");
        r.drillMin = mmValue(v->substr(0, comma), "--drill", 50.0);
        r.drillMax = mmValue(v->substr(comma + 1), "--drill", 50.0);
        if (r.drillMin > r.drillMax)
            throw CliError("--drill expects MIN,MAX with MIN not above MAX");
    }
    return r;
}

/// A value in mm as JSON, rounded to a thousandth of a millimetre.
QJsonValue millimetres(double units)
{
    return std::round(units * 10.0) / 1000.0;
}

std::string json(const DesignCheckResult& r)
{
    QJsonArray problems;
    for (const DesignProblem& p : r.problems) {
        QJsonArray elements;
        for (std::size_t i : p.elements)
            elements.append(static_cast<qint64>(i));
        problems.append(QJsonObject{
            {"kind", ProblemKindKey(p.kind)},
            {"severity", p.warning ? "warning" : "error"},
            {"layer", QString::fromStdString(ProblemLayerName(p.layer, 0, true))},
            {"x", p.at.x},
            {"y", p.at.y},
            {"elements", elements},
            {"value", p.measured ? millimetres(p.value) : QJsonValue()},
            {"limit", millimetres(p.limit)},
        });
    }
    QJsonObject counts;
    for (std::size_t k = 0; k < kProblemKindCount; ++k)
        counts.insert(ProblemKindKey(static_cast<ProblemKind>(k)),
                      static_cast<qint64>(r.count(static_cast<ProblemKind>(k))));
    return QJsonDocument(QJsonObject{{"problems", problems},
                                     {"counts", counts},
                                     {"errors", static_cast<qint64>(r.errors)},
                                     {"warnings", static_cast<qint64>(r.warnings)}})
        .toJson(QJsonDocument::Indented)
        .toStdString();
}

} // namespace

int runCheck(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv,
                    {"--board", "--gap", "--width", "--ring", "--drill", "--edge", "--mill", "--language"},
                    {"--json"});
    const int language = languageOption(args);
    if (args.positional().size() != 1)
        throw CliError("check expects one layout file");
    const DesignRules rules = rulesFrom(args);
    TProject project;
    if (!loadLayout(project, args.positional()[0], language, err))
        return 1;
    const TBoard& board = chosenBoard(project, args);
    const DesignCheckResult r = CheckDesign(board, rules);
    if (args.has("--json")) {
        out << json(r);
    } else {
        for (const DesignProblem& p : r.problems)
            out << ProblemKindName(p.kind, language) << ": " << ProblemText(p, board.Origin, language)
                << "\n";
        out << ProblemSummary(r, language) << "\n";
    }
    return r.errors > 0 ? kExitProblems : 0;
}

} // namespace trevok::cli

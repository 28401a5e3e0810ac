// trevok-cli nets | remove-realised | route: connections, nets and the autorouter of one board.

#include "cli/commands.h"
#include "cli/common.h"
#include "routing/autorouter.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <ostream>
#include <sstream>
#include <unordered_map>

namespace trevok::cli
{
namespace
{

std::string onePath(const Args& args, const char* command)
{
    if (args.positional().size() != 1)
        throw CliError(std::string(command) + " expects one layout file");
    return args.positional()[0];
}

std::string json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}

/// The report lines of the remove command ("\r" between them) as lines of a terminal.
std::string lines(std::string text)
{
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text + "\n";
}

} // namespace

int runNets(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--board", "--language"}, {"--json"});
    const int language = languageOption(args);
    const std::string path = onePath(args, "nets");
    TProject project;
    if (!loadLayout(project, path, language, err))
        return 1;
    TBoard& board = chosenBoard(project, args);

    NetTracer tracer(board);
    const std::vector<int>& netOf = tracer.netIds();
    // Nets in the order of their first element; restricted areas belong to none.
    std::vector<std::vector<std::size_t>> groups;
    std::vector<int> groupOfNet;
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        const TObjekt& e = *board.Elements[i];
        if (!IsCopperLayer(e.Layer) || (e.Kind == KindArea && e.Restricted))
            continue;
        const auto id = static_cast<std::size_t>(netOf[i]);
        if (id >= groupOfNet.size())
            groupOfNet.resize(id + 1, -1);
        if (groupOfNet[id] < 0) {
            groupOfNet[id] = static_cast<int>(groups.size());
            groups.emplace_back();
        }
        groups[static_cast<std::size_t>(groupOfNet[id])].push_back(i);
    }
    // Only the form asked for is built: on a big board either one costs as much as the trace.
    const bool asJson = args.has("--json");
    QJsonArray nets;
    std::string plain;
    auto number = [&plain](std::size_t v) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
        plain.append(digits, end);
    };
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (asJson) {
            QJsonArray a;
            for (std::size_t m : groups[g])
                a.append(static_cast<qint64>(m));
            nets.append(a);
            continue;
        }
        plain += "net ";
        number(g + 1);
        plain += ":";
        for (std::size_t m : groups[g]) {
            plain += " ";
            number(m);
        }
        plain += "\n";
    }
    QJsonArray connections;
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        for (const TObjekt* q : board.Elements[i]->Connections) {
            const std::ptrdiff_t k = tracer.indexOf(q);
            if (k < 0 || static_cast<std::size_t>(k) < i)
                continue; // each pair once, from its earlier pad
            const bool realised = netOf[i] == netOf[static_cast<std::size_t>(k)];
            if (asJson) {
                connections.append(QJsonObject{{"from", static_cast<qint64>(i)},
                                               {"to", static_cast<qint64>(k)},
                                               {"realised", realised}});
                continue;
            }
            plain += "connection ";
            number(i);
            plain += " - ";
            number(static_cast<std::size_t>(k));
            plain += realised ? ": realised\n" : ": open\n";
        }
    }
    if (asJson)
        out << json(QJsonObject{{"nets", nets}, {"connections", connections}});
    else
        out << plain;
    return 0;
}

int runRemoveRealised(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"-o", "--board", "--language"}, {"--json"});
    const int language = languageOption(args);
    const std::string path = onePath(args, "remove-realised");
    const auto output = args.value("-o");
    if (!output)
        throw CliError("remove-realised needs -o OUTPUT");
    TProject project;
    if (!loadLayout(project, path, language, err))
        return 1;
    TBoard& board = chosenBoard(project, args);
    const RemoveRealisedResult r = RemoveRealisedConnections(board);
    if (!saveLayout(project, *output, language, err))
        return 1;
    if (args.has("--json"))
        out << json(QJsonObject{{"removed", static_cast<qint64>(r.removed)},
                                {"remaining", static_cast<qint64>(r.remaining)}});
    else
        out << lines(RemoveRealisedReport(r, 1));
    return 0;
}

} // namespace trevok::cli

namespace trevok::cli
{
namespace
{

double mmOption(const Args& args, const char* name, double fallback)
{
    const auto v = args.value(name);
    if (!v)
        return fallback;
    const double d = parseDouble(*v, name);
    if (d < 0.1 || d > 9.9)
        throw CliError(std::string(name) + " must lie between 0.1 and 9.9 mm");
    return d;
}

/// "I,J" as two element indices.
std::pair<long, long> parsePair(const std::string& text)
{
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        throw CliError("--pair expects two element indices: I,J");
    return {parseInt(text.substr(0, comma), "--pair"), parseInt(text.substr(comma + 1), "--pair")};
}

} // namespace

int runRoute(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(
        argv,
        {"-o", "--board", "--layer", "--width", "--clearance", "--track-clearance", "--pair", "--language"},
        {"--all", "--json"});
    const int language = languageOption(args);
    const std::string path = onePath(args, "route");
    const auto output = args.value("-o");
    if (!output)
        throw CliError("route needs -o OUTPUT");
    if (args.has("--all") == args.value("--pair").has_value())
        throw CliError("route needs either --all or --pair I,J");
    RouteOptions options;
    options.settings.widthMm = mmOption(args, "--width", 0.4);
    options.settings.clearanceMm = mmOption(args, "--clearance", 0.2);
    options.language = language;
    const RouterValues values = RouterValues::from(options.settings);
    // The new track keeps the clearance new tracks get in the editor, not the router's distance.
    options.trackClearance = RoundHalfEven(mmOption(args, "--track-clearance", 0.4) * 100.0);
    options.currentWidth = values.width;
    std::optional<std::uint8_t> layer;
    if (const auto l = args.value("--layer")) {
        if (*l == "K1" || *l == "C1")
            layer = LayerK1;
        else if (*l == "K2" || *l == "C2")
            layer = LayerK2;
        else
            throw CliError("--layer expects K1 or K2");
    }

    TProject project;
    if (!loadLayout(project, path, language, err))
        return 1;
    TBoard& board = chosenBoard(project, args);
    for (std::size_t k = 0; k < project.Boards.size(); ++k)
        if (project.Boards[k].get() == &board)
            project.Current = static_cast<int>(k);
    if (board.BoardWidth > 30000 || board.BoardHeight > 30000) {
        err << "trevok-cli: the board is larger than 300 mm; the router handles boards up to 300 x 300 mm\n";
        return 1;
    }
    // The layer to route on is an option of this run, not a change of the file.
    const std::uint8_t fileLayer = board.ActiveLayer;
    if (layer)
        board.ActiveLayer = *layer;
    ElementList& list = board.Elements;

    // The pairs to route, as elements: they stay valid while tracks are appended.
    std::vector<std::pair<TObjekt*, TObjekt*>> pairs;
    if (const auto p = args.value("--pair")) {
        const auto [i, j] = parsePair(*p);
        const long n = static_cast<long>(list.size());
        if (i < 0 || j < 0 || i >= n || j >= n) {
            err << "trevok-cli: --pair " << *p << ": the board has elements 0 to " << n - 1 << "\n";
            return 1;
        }
        TObjekt* a = list[static_cast<std::size_t>(i)].get();
        TObjekt* b = list[static_cast<std::size_t>(j)].get();
        if (!a->isPadLike() || !b->isPadLike() || !AreConnected(*a, *b)) {
            err << "trevok-cli: --pair " << *p << ": the elements are not two connected pads\n";
            return 1;
        }
        pairs.emplace_back(a, b);
    } else {
        // Every connection once, at the earlier of its two pads, in list order.
        std::unordered_map<const TObjekt*, std::size_t> index;
        for (std::size_t k = 0; k < list.size(); ++k)
            index.emplace(list[k].get(), k);
        for (std::size_t k = 0; k < list.size(); ++k)
            for (TObjekt* q : list[k]->Connections)
                if (q && index.count(q) && index[q] > k)
                    pairs.emplace_back(list[k].get(), q);
    }

    std::vector<const TObjekt*> tracks;
    std::size_t failed = 0;
    std::ostringstream plain;
    for (const auto& [a, b] : pairs) {
        for (auto& e : list)
            e->Selected = 0;
        a->Selected = 1;
        b->Selected = 1;
        const RouteOutcome r = RouteConnection(project, options);
        if (r.result == RouteOutcome::Routed)
            tracks.push_back(r.track);
        else
            ++failed;
    }
    for (auto& e : list)
        e->Selected = 0;
    board.ActiveLayer = fileLayer;
    if (!saveLayout(project, *output, language, err))
        return 1;
    QJsonArray trackIndices;
    for (const TObjekt* t : tracks) {
        for (std::size_t k = 0; k < list.size(); ++k)
            if (list[k].get() == t) {
                trackIndices.append(static_cast<qint64>(k));
                plain << "track " << k << "\n";
            }
    }
    if (args.has("--json"))
        out << json(QJsonObject{{"routed", static_cast<qint64>(tracks.size())},
                                {"failed", static_cast<qint64>(failed)},
                                {"tracks", trackIndices}});
    else
        out << "routed " << tracks.size() << ", not found " << failed << "\n" << plain.str();
    // The file holds what was found; a script must still learn that something was not.
    return failed > 0 ? 3 : 0;
}

} // namespace trevok::cli

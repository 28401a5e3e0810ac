// trevok-cli nets | remove-realised | route: connections, nets and the autorouter of one board.

#include "cli/commands.h"
#include "cli/common.h"
#include "routing/connections.h"
#include "routing/nettrace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <ostream>
#include <sstream>

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
    // Nets in the order of their first element; restricted areas belong to none.
    std::vector<std::vector<std::size_t>> groups;
    std::vector<int> groupOfNet;
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        const TObjekt& e = *board.Elements[i];
        if (!IsCopperLayer(e.Layer) || (e.Kind == KindArea && e.Restricted))
            continue;
        const auto id = static_cast<std::size_t>(tracer.netId(i));
        if (id >= groupOfNet.size())
            groupOfNet.resize(id + 1, -1);
        if (groupOfNet[id] < 0) {
            groupOfNet[id] = static_cast<int>(groups.size());
            groups.emplace_back();
        }
        groups[static_cast<std::size_t>(groupOfNet[id])].push_back(i);
    }
    QJsonArray nets;
    std::ostringstream plain;
    for (const auto& members : groups) {
        QJsonArray a;
        plain << "net " << nets.size() + 1 << ":";
        for (std::size_t m : members) {
            a.append(static_cast<qint64>(m));
            plain << " " << m;
        }
        plain << "\n";
        nets.append(a);
    }
    QJsonArray connections;
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        for (const TObjekt* q : board.Elements[i]->Connections) {
            const std::ptrdiff_t k = tracer.indexOf(q);
            if (k < 0 || static_cast<std::size_t>(k) < i)
                continue; // each pair once, from its earlier pad
            const bool realised = tracer.netId(i) == tracer.netId(static_cast<std::size_t>(k));
            connections.append(QJsonObject{
                {"from", static_cast<qint64>(i)}, {"to", static_cast<qint64>(k)}, {"realised", realised}});
            plain << "connection " << i << " - " << k << (realised ? ": realised" : ": open") << "\n";
        }
    }
    if (args.has("--json"))
        out << json(QJsonObject{{"nets", nets}, {"connections", connections}});
    else
        out << plain.str();
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

// trevok-cli info: what a layout or macro file holds, as text or as one JSON object.

#include "cli/commands.h"
#include "cli/common.h"
#include "document/cp1252.h"
#include "edit/layouttext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <ostream>
#include <unordered_map>

namespace trevok::cli
{
namespace
{

const std::array<const char*, 9> kKindNames = {"unknown", "line",  "pad",        "fontText", "area",
                                               "circle",  "track", "layoutText", "smdPad"};

const char* kindName(std::uint8_t kind)
{
    return kind <= 8 ? kKindNames[kind] : "unknown";
}

QString q(const std::string& cp1252)
{
    return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

QJsonArray pointsJson(const std::vector<TPoint>& pts)
{
    QJsonArray a;
    for (const TPoint& p : pts)
        a.append(QJsonArray{p.x, p.y});
    return a;
}

QJsonObject elementJson(const TObjekt& e, const std::unordered_map<const TObjekt*, int>& index)
{
    auto indexOf = [&](const TObjekt* t) {
        if (!t)
            return -1;
        const auto it = index.find(t);
        return it == index.end() ? -1 : it->second;
    };
    QJsonObject o;
    o["kind"] = e.Kind;
    o["x"] = e.X;
    o["y"] = e.Y;
    o["size1"] = e.Size1;
    o["size2"] = e.Size2;
    o["width"] = e.Width;
    o["layer"] = e.Layer;
    o["shape"] = e.Shape;
    o["angle"] = e.Angle;
    o["filled"] = e.Filled != 0;
    o["clearance"] = e.Clearance;
    o["restricted"] = e.Restricted != 0;
    o["mirrorH"] = e.MirrorH != 0;
    o["mirrorV"] = e.MirrorV != 0;
    o["autorouted"] = e.Autorouted != 0;
    o["text"] = q(e.Text);
    QJsonArray groups;
    for (std::int32_t g : e.Groups)
        groups.append(g);
    o["groups"] = groups;
    if (e.hasPoints())
        o["points"] = pointsJson(e.Points);
    if (e.Kind == KindLayoutText)
        o["strokes"] = static_cast<int>(e.Strokes.size());
    o["twin"] = indexOf(e.Twin);
    o["routeStart"] = indexOf(e.RouteStart);
    o["routeEnd"] = indexOf(e.RouteEnd);
    QJsonArray conns;
    for (const TObjekt* c : e.Connections)
        conns.append(indexOf(c));
    o["connections"] = conns;
    return o;
}

QJsonObject countsJson(const ElementList& list)
{
    std::array<int, 9> n{};
    for (const auto& e : list)
        ++n[e->Kind <= 8 ? e->Kind : 0];
    QJsonObject o;
    for (int k = 1; k <= 8; ++k)
        o[kKindNames[static_cast<std::size_t>(k)]] = n[static_cast<std::size_t>(k)];
    if (n[0])
        o["unknown"] = n[0];
    return o;
}

QJsonObject boardJson(const TBoard& b, bool withElements)
{
    QJsonObject o;
    o["name"] = q(b.Name);
    o["width"] = b.BoardWidth;
    o["height"] = b.BoardHeight;
    o["groundPlane1"] = b.GroundPlane1 != 0;
    o["groundPlane2"] = b.GroundPlane2 != 0;
    o["grid"] = b.Grid;
    o["zoom"] = b.Zoom;
    o["scrollX"] = b.ScrollX;
    o["scrollY"] = b.ScrollY;
    o["activeLayer"] = b.ActiveLayer;
    o["layerVisible"] = QJsonArray{b.LayerVisible[0] != 0, b.LayerVisible[1] != 0, b.LayerVisible[2] != 0,
                                   b.LayerVisible[3] != 0};
    o["origin"] = QJsonArray{b.Origin.x, b.Origin.y};
    o["templateShown"] = QJsonArray{b.TemplateShown[0] != 0, b.TemplateShown[1] != 0};
    o["templateFile"] = QJsonArray{q(b.TemplateFile[0]), q(b.TemplateFile[1])};
    o["templateDpi"] = QJsonArray{b.TemplateDpi[0], b.TemplateDpi[1]};
    o["templateOffsetX"] = QJsonArray{b.TemplateOffsetX[0], b.TemplateOffsetX[1]};
    o["templateOffsetY"] = QJsonArray{b.TemplateOffsetY[0], b.TemplateOffsetY[1]};
    o["templateColour"] = QJsonArray{b.TemplateColour[0], b.TemplateColour[1]};
    o["elementCount"] = static_cast<int>(b.Elements.size());
    o["counts"] = countsJson(b.Elements);
    if (withElements) {
        std::unordered_map<const TObjekt*, int> index;
        index.reserve(b.Elements.size());
        for (std::size_t i = 0; i < b.Elements.size(); ++i)
            index.emplace(b.Elements[i].get(), static_cast<int>(i));
        QJsonArray els;
        for (const auto& e : b.Elements)
            els.append(elementJson(*e, index));
        o["elements"] = els;
    }
    return o;
}

void printPlain(std::ostream& out, const QJsonObject& info, const std::vector<const TBoard*>& boards)
{
    out << "Version: " << info["version"].toInt() << "\n";
    for (const char* key : {"title", "author", "company", "comment1", "comment2"}) {
        const QString v = info[key].toString();
        if (!v.isEmpty())
            out << char(std::toupper(key[0])) << (key + 1) << ": " << v.toStdString() << "\n";
    }
    const QString comment = info["comment"].toString();
    if (!comment.isEmpty())
        out << "Comment: " << comment.toStdString() << "\n";
    out << "Boards: " << boards.size() << " (shown: " << info["shownBoard"].toInt() + 1 << ")\n";
    for (std::size_t i = 0; i < boards.size(); ++i) {
        const TBoard& b = *boards[i];
        out << "  " << i + 1 << ". \"" << Cp1252ToUtf8(b.Name) << "\"  " << b.BoardWidth / 100.0 << " x "
            << b.BoardHeight / 100.0 << " mm, " << b.Elements.size() << " elements";
        if (b.GroundPlane1 || b.GroundPlane2)
            out << ", ground plane" << (b.GroundPlane1 ? " side 1" : "") << (b.GroundPlane2 ? " side 2" : "");
        out << "\n";
        std::array<int, 9> n{};
        for (const auto& e : b.Elements)
            ++n[e->Kind <= 8 ? e->Kind : 0];
        for (int k = 1; k <= 8; ++k)
            if (n[static_cast<std::size_t>(k)])
                out << "       " << kKindNames[static_cast<std::size_t>(k)] << ": "
                    << n[static_cast<std::size_t>(k)] << "\n";
    }
}

std::string baseName(const std::string& path)
{
    std::string name =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

} // namespace

int runInfo(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--language"}, {"--json", "--elements"});
    const int language = languageOption(args);
    if (args.positional().size() != 1)
        throw CliError("info expects one file");
    const std::string path = args.positional()[0];

    QJsonObject info;
    QJsonArray boardsJson;
    std::vector<const TBoard*> boards;
    TProject project;
    TBoard macroBoard;
    if (isMacroPath(path)) {
        MacroFileContent m;
        try {
            m = ReadMacroFile(path, 254.0, ConvertMacroFontTexts);
        } catch (const TrevokError& e) {
            printError(err, e, language, path);
            return 1;
        }
        info["version"] = m.version;
        info["shownBoard"] = 0;
        for (const char* k : {"title", "author", "company", "comment"})
            info[k] = QString();
        info["comment1"] = q(m.line1);
        info["comment2"] = q(m.line2);
        macroBoard.Name = Utf8ToCp1252(baseName(path));
        macroBoard.Elements = std::move(m.elements);
        boards.push_back(&macroBoard);
    } else {
        LayoutReadResult r;
        if (!loadLayout(project, path, language, err, &r))
            return 1;
        info["version"] = r.version;
        info["shownBoard"] = project.Current;
        info["title"] = q(project.Info.Title);
        info["author"] = q(project.Info.Author);
        info["company"] = q(project.Info.Company);
        info["comment"] = q(project.Info.Comment);
        for (const auto& b : project.Boards)
            boards.push_back(b.get());
    }
    for (const TBoard* b : boards)
        boardsJson.append(boardJson(*b, args.has("--elements")));
    info["boards"] = boardsJson;

    if (args.has("--json"))
        out << QJsonDocument(info).toJson(QJsonDocument::Indented).toStdString();
    else
        printPlain(out, info, boards);
    return 0;
}

int runConvert(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv, {"--language"}, {});
    const int language = languageOption(args);
    if (args.positional().size() != 2)
        throw CliError("convert expects an input and an output file");
    const std::string& in = args.positional()[0];
    const std::string& outPath = args.positional()[1];
    try {
        if (isMacroPath(in)) {
            MacroFileContent m = ReadMacroFile(in, 254.0, ConvertMacroFontTexts);
            WriteMacroFile(outPath, m.elements, m.line1, m.line2);
        } else {
            TProject project;
            if (!loadLayout(project, in, language, err))
                return 1;
            WriteLayoutFile(project, outPath);
        }
    } catch (const TrevokError& e) {
        printError(err, e, language, in);
        return 1;
    }
    return 0;
}

} // namespace trevok::cli

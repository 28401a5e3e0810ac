// trevok-cli info: what a layout or macro file holds, as text or as one JSON object.
//
// The JSON is written while walking the project, element by element, never built as a document
// first: a board of a million elements would otherwise need gigabytes for the tree. Keys come in
// alphabetical order and the layout is indented by four spaces, as JSON tools print it.

#include "cli/commands.h"
#include "cli/common.h"
#include "document/cp1252.h"
#include "edit/layouttext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ostream>
#include <utility>

namespace trevok::cli
{
namespace
{

const std::array<const char*, 9> kKindNames = {"unknown", "line",  "pad",        "fontText", "area",
                                               "circle",  "track", "layoutText", "smdPad"};

/// What the file says about itself, apart from its boards.
struct FileInfo {
    bool macro = false; // a macro file has two comment lines instead of a long comment
    int version = 0;
    int shownBoard = 0;
    std::string title, author, company, comment, comment1, comment2; // UTF-8
};

/// A streaming JSON writer: objects and arrays are opened and closed, values written in place.
class JsonWriter
{
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) { buf_.reserve(Chunk + 256); }
    ~JsonWriter() { flush(); }
    void flush()
    {
        out_.write(buf_.data(), static_cast<std::streamsize>(buf_.size()));
        buf_.clear();
    }

    void beginObject(const char* key = nullptr) { open(key, '{'); }
    void endObject() { close('}'); }
    void beginArray(const char* key = nullptr) { open(key, '['); }
    void endArray() { close(']'); }

    void value(const char* key, long long v)
    {
        item(key);
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        buf_.append(buf, r.ptr);
    }
    void value(const char* key, int v) { value(key, static_cast<long long>(v)); }
    void value(const char* key, double v)
    {
        item(key);
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        buf_.append(buf, r.ptr);
    }
    void value(const char* key, bool v)
    {
        item(key);
        buf_ += v ? "true" : "false";
    }
    void value(const char* key, const std::string& utf8)
    {
        item(key);
        string(utf8);
    }
    /// A short array of numbers on one element's lines, e.g. a point.
    template <typename T> void numbers(const char* key, std::initializer_list<T> values)
    {
        beginArray(key);
        for (T v : values)
            value(nullptr, v);
        endArray();
    }

  private:
    void newline()
    {
        if (buf_.size() > Chunk)
            flush();
        buf_ += '\n';
        buf_.append(first_.size() * 4, ' ');
    }
    void item(const char* key)
    {
        if (!first_.empty()) {
            if (!first_.back())
                buf_ += ',';
            first_.back() = false;
            newline();
        }
        if (key) {
            string(key);
            buf_ += ": ";
        }
    }
    void open(const char* key, char bracket)
    {
        item(key);
        buf_ += bracket;
        first_.push_back(true);
    }
    void close(char bracket)
    {
        // Also an empty one closes on a line of its own, as JSON tools print it.
        first_.pop_back();
        newline();
        buf_ += bracket;
        if (first_.empty())
            buf_ += '\n';
    }
    void string(const std::string& s)
    {
        buf_ += '"';
        for (const char ch : s) {
            const auto c = static_cast<unsigned char>(ch);
            switch (c) {
            case '"':
                buf_ += "\\\"";
                break;
            case '\\':
                buf_ += "\\\\";
                break;
            case '\b':
                buf_ += "\\b";
                break;
            case '\f':
                buf_ += "\\f";
                break;
            case '\n':
                buf_ += "\\n";
                break;
            case '\r':
                buf_ += "\\r";
                break;
            case '\t':
                buf_ += "\\t";
                break;
            default:
                if (c < 0x20) {
                    static const char hex[] = "0123456789abcdef";
                    buf_ += "\\u00";
                    buf_ += hex[c >> 4];
                    buf_ += hex[c & 15];
                } else {
                    buf_ += ch;
                }
            }
        }
        buf_ += '"';
    }

    static constexpr std::size_t Chunk = 1 << 16;
    std::ostream& out_;
    std::string buf_;
    std::vector<bool> first_; // per open level: nothing written in it yet
};

std::string utf8(const std::string& cp1252)
{
    return Cp1252ToUtf8(cp1252);
}

std::array<int, 9> kindCounts(const ElementList& list)
{
    std::array<int, 9> n{};
    for (const auto& e : list)
        ++n[e->Kind <= 8 ? e->Kind : 0];
    return n;
}

/// Element positions by address, for the references: a sorted table is a fraction of the size
/// of a hash map and as quick for one lookup per reference.
class ElementIndex
{
  public:
    explicit ElementIndex(const ElementList& list)
    {
        table_.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            table_.emplace_back(list[i].get(), static_cast<int>(i));
        std::sort(table_.begin(), table_.end());
    }
    int operator()(const TObjekt* e) const
    {
        if (!e)
            return -1;
        const auto it = std::lower_bound(table_.begin(), table_.end(), std::pair<const TObjekt*, int>(e, -1));
        return it != table_.end() && it->first == e ? it->second : -1;
    }

  private:
    std::vector<std::pair<const TObjekt*, int>> table_;
};

void writeElement(JsonWriter& j, const TObjekt& e, const ElementIndex& index)
{
    j.beginObject();
    j.value("angle", e.Angle);
    j.value("autorouted", e.Autorouted != 0);
    j.value("clearance", e.Clearance);
    j.beginArray("connections");
    for (const TObjekt* c : e.Connections)
        j.value(nullptr, index(c));
    j.endArray();
    j.value("filled", e.Filled != 0);
    j.beginArray("groups");
    for (std::int32_t g : e.Groups)
        j.value(nullptr, g);
    j.endArray();
    j.value("kind", static_cast<int>(e.Kind));
    j.value("layer", static_cast<int>(e.Layer));
    j.value("mirrorH", e.MirrorH != 0);
    j.value("mirrorV", e.MirrorV != 0);
    if (e.hasPoints()) {
        j.beginArray("points");
        for (const TPoint& p : e.Points)
            j.numbers(nullptr, {p.x, p.y});
        j.endArray();
    }
    j.value("restricted", e.Restricted != 0);
    j.value("routeEnd", index(e.RouteEnd));
    j.value("routeStart", index(e.RouteStart));
    j.value("shape", static_cast<int>(e.Shape));
    j.value("size1", e.Size1);
    j.value("size2", e.Size2);
    if (e.Kind == KindLayoutText)
        j.value("strokes", static_cast<int>(e.Strokes.size()));
    j.value("text", utf8(e.Text));
    j.value("twin", index(e.Twin));
    j.value("width", e.Width);
    j.value("x", e.X);
    j.value("y", e.Y);
    j.endObject();
}

void writeBoard(JsonWriter& j, const TBoard& b, bool withElements)
{
    j.beginObject();
    j.value("activeLayer", static_cast<int>(b.ActiveLayer));
    const std::array<int, 9> n = kindCounts(b.Elements);
    j.beginObject("counts");
    std::array<std::size_t, 9> order{}; // kinds by name, as the keys are sorted
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(),
              [](std::size_t a, std::size_t c) { return std::string_view(kKindNames[a]) < kKindNames[c]; });
    for (std::size_t k : order)
        if (k != 0 || n[0] != 0)
            j.value(kKindNames[k], n[k]);
    j.endObject();
    j.value("elementCount", static_cast<int>(b.Elements.size()));
    if (withElements) {
        const ElementIndex index(b.Elements);
        j.beginArray("elements");
        for (const auto& e : b.Elements)
            writeElement(j, *e, index);
        j.endArray();
    }
    j.value("grid", b.Grid);
    j.value("groundPlane1", b.GroundPlane1 != 0);
    j.value("groundPlane2", b.GroundPlane2 != 0);
    j.value("height", b.BoardHeight);
    j.beginArray("layerVisible");
    for (std::uint8_t v : b.LayerVisible)
        j.value(nullptr, v != 0);
    j.endArray();
    j.value("name", utf8(b.Name));
    j.numbers("origin", {b.Origin.x, b.Origin.y});
    j.value("scrollX", b.ScrollX);
    j.value("scrollY", b.ScrollY);
    j.numbers("templateColour", {b.TemplateColour[0], b.TemplateColour[1]});
    j.numbers("templateDpi", {b.TemplateDpi[0], b.TemplateDpi[1]});
    j.beginArray("templateFile");
    j.value(nullptr, utf8(b.TemplateFile[0]));
    j.value(nullptr, utf8(b.TemplateFile[1]));
    j.endArray();
    j.numbers("templateOffsetX", {b.TemplateOffsetX[0], b.TemplateOffsetX[1]});
    j.numbers("templateOffsetY", {b.TemplateOffsetY[0], b.TemplateOffsetY[1]});
    j.beginArray("templateShown");
    j.value(nullptr, b.TemplateShown[0] != 0);
    j.value(nullptr, b.TemplateShown[1] != 0);
    j.endArray();
    j.value("width", b.BoardWidth);
    j.value("zoom", b.Zoom);
    j.endObject();
}

void writeJson(std::ostream& out, const FileInfo& info, const std::vector<const TBoard*>& boards,
               bool withElements)
{
    JsonWriter j(out);
    j.beginObject();
    j.value("author", info.author);
    j.beginArray("boards");
    for (const TBoard* b : boards)
        writeBoard(j, *b, withElements);
    j.endArray();
    j.value("comment", info.comment);
    if (info.macro) {
        j.value("comment1", info.comment1);
        j.value("comment2", info.comment2);
    }
    j.value("company", info.company);
    j.value("shownBoard", info.shownBoard);
    j.value("title", info.title);
    j.value("version", info.version);
    j.endObject();
}

void printPlain(std::ostream& out, const FileInfo& info, const std::vector<const TBoard*>& boards)
{
    out << "Version: " << info.version << "\n";
    const std::pair<const char*, const std::string*> lines[] = {
        {"Title", &info.title},       {"Author", &info.author},     {"Company", &info.company},
        {"Comment1", &info.comment1}, {"Comment2", &info.comment2},
    };
    for (const auto& [label, text] : lines)
        if (!text->empty())
            out << label << ": " << *text << "\n";
    if (!info.comment.empty())
        out << "Comment: " << info.comment << "\n";
    out << "Boards: " << boards.size() << " (shown: " << info.shownBoard + 1 << ")\n";
    for (std::size_t i = 0; i < boards.size(); ++i) {
        const TBoard& b = *boards[i];
        out << "  " << i + 1 << ". \"" << Cp1252ToUtf8(b.Name) << "\"  " << b.BoardWidth / 100.0 << " x "
            << b.BoardHeight / 100.0 << " mm, " << b.Elements.size() << " elements";
        if (b.GroundPlane1 || b.GroundPlane2)
            out << ", ground plane" << (b.GroundPlane1 ? " side 1" : "") << (b.GroundPlane2 ? " side 2" : "");
        out << "\n";
        const std::array<int, 9> n = kindCounts(b.Elements);
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

    FileInfo info;
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
        info.macro = true;
        info.version = m.version;
        info.comment1 = utf8(m.line1);
        info.comment2 = utf8(m.line2);
        macroBoard.Name = Utf8ToCp1252(baseName(path));
        macroBoard.Elements = std::move(m.elements);
        boards.push_back(&macroBoard);
    } else {
        LayoutReadResult r;
        if (!loadLayout(project, path, language, err, &r))
            return 1;
        info.version = r.version;
        info.shownBoard = project.Current;
        info.title = utf8(project.Info.Title);
        info.author = utf8(project.Info.Author);
        info.company = utf8(project.Info.Company);
        info.comment = utf8(project.Info.Comment);
        for (const auto& b : project.Boards)
            boards.push_back(b.get());
    }

    if (args.has("--json"))
        writeJson(out, info, boards, args.has("--elements"));
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

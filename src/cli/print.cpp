// trevok-cli print: the printed artwork of one board as a PDF page, drawn by the same routine as
// the editor's print preview and printer output.

#include "cli/commands.h"
#include "cli/common.h"

#ifdef TREVOK_CLI_PRINT

#include "document/cp1252.h"
#include "print/printjob.h"
#include "view/templateimage.h"

#include <QGuiApplication>
#include <QPageSize>

#include <cctype>
#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>

namespace trevok::cli
{
namespace
{

std::vector<std::string> splitList(const std::string& s, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(s);
    std::string part;
    while (std::getline(in, part, sep))
        out.push_back(part);
    return out;
}

/// "1", "2" or "1,2": which sides an option switches on.
std::array<bool, 2> sidesOption(const Args& args, const std::string& name)
{
    std::array<bool, 2> on{false, false};
    const auto v = args.value(name);
    if (!v)
        return on;
    for (const std::string& part : splitList(*v, ',')) {
        if (part == "1")
            on[0] = true;
        else if (part == "2")
            on[1] = true;
        else
            throw CliError(name + " expects 1, 2 or 1,2");
    }
    return on;
}

std::array<bool, 4> layersOption(const std::string& list)
{
    static const std::pair<const char*, int> names[] = {{"K1", 0}, {"B1", 1}, {"K2", 2}, {"B2", 3},
                                                        {"C1", 0}, {"S1", 1}, {"C2", 2}, {"S2", 3}};
    std::array<bool, 4> on{false, false, false, false};
    for (const std::string& part : splitList(list, ',')) {
        bool known = false;
        for (const auto& [name, index] : names)
            if (part == name) {
                on[static_cast<std::size_t>(index)] = true;
                known = true;
            }
        if (!known)
            throw CliError("unknown layer \"" + part + "\" in --layers: use K1, B1, K2, B2");
    }
    return on;
}

/// A paper name Qt knows (A4, Letter, A3, Legal, ...) or WIDTHxHEIGHT in millimetres.
QSizeF paperOption(const Args& args)
{
    const std::string name = args.value("--paper").value_or("A4");
    const auto dims = splitList(name, 'x');
    // Only digits make a size: "Executive" has an x too.
    if (dims.size() == 2 && !name.empty() &&
        (std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '.')) {
        const double w = parseDouble(dims[0], "--paper"), h = parseDouble(dims[1], "--paper");
        if (w < 10 || h < 10 || w > 5000 || h > 5000)
            throw CliError("--paper WIDTHxHEIGHT must lie between 10 and 5000 mm");
        return {w, h};
    }
    for (int id = 0; id < QPageSize::LastPageSize; ++id) {
        const auto size = static_cast<QPageSize::PageSizeId>(id);
        if (QPageSize::key(size).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0 ||
            QPageSize::name(size).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
            return QPageSize::size(size, QPageSize::Millimeter);
    }
    throw CliError("unknown paper \"" + name + "\": use A4, A3, Letter, Legal, ... or WIDTHxHEIGHT in mm");
}

PrintSettings settingsFrom(const Args& args)
{
    PrintSettings s;
    if (const auto l = args.value("--layers"))
        s.layers = layersOption(*l);
    s.mask = sidesOption(args, "--mask");
    s.drillPlan = sidesOption(args, "--drill-plan");
    s.mirror = args.has("--mirror");
    s.negative = args.has("--negative");
    s.targets = args.has("--targets");
    s.outline = !args.has("--no-outline");
    s.templates = args.has("--template");
    if (const auto v = args.value("--scale")) {
        const double percent = parseDouble(*v, "--scale");
        if (percent < 10 || percent > 1000)
            throw CliError("--scale must lie between 10 and 1000 percent");
        s.setDivisor(100.0 / percent);
    }
    if (const auto v = args.value("--tiles")) {
        const auto parts = splitList(*v, 'x');
        if (parts.size() != 2)
            throw CliError("--tiles expects NXxNY, e.g. 3x2");
        s.tilesX = parseInt(parts[0], "--tiles");
        s.tilesY = parseInt(parts[1], "--tiles");
        if (s.tilesX < 1 || s.tilesX > 20 || s.tilesY < 1 || s.tilesY > 20)
            throw CliError("--tiles counts must lie between 1 and 20");
    }
    if (const auto v = args.value("--gap")) {
        const double mm = parseDouble(*v, "--gap");
        if (mm < 0 || mm > 50)
            throw CliError("--gap must lie between 0 and 50 mm");
        s.gap = RoundHalfEven(mm * 100.0);
    }
    if (const auto v = args.value("--calibrate")) {
        const auto parts = splitList(*v, ',');
        if (parts.size() != 2)
            throw CliError("--calibrate expects KX,KY, e.g. 1.0,1.02");
        s.calibrationX = parseDouble(parts[0], "--calibrate");
        s.calibrationY = parseDouble(parts[1], "--calibrate");
        for (const double k : {s.calibrationX, s.calibrationY})
            if (k < 0.8 || k > 1.2)
                throw CliError("--calibrate factors must lie between 0.8 and 1.2");
    }
    return s;
}

/// --offset X,Y: the board's top-left corner X mm right of and Y mm below the page corner, or
/// --centre: the tile block in the middle of the page. The offsets are in drawing units and so
/// follow the scale.
void placeOnPage(const Args& args, const TBoard& board, QSizeF paper, PrintSettings& s)
{
    const auto offset = args.value("--offset");
    if (offset && args.has("--centre"))
        throw CliError("--centre and --offset exclude each other");
    if (args.has("--centre")) {
        const TPoint o = CentredOffsets(board, s, paper);
        s.offsetX = o.x;
        s.offsetY = o.y;
    } else if (offset) {
        const auto parts = splitList(*offset, ',');
        if (parts.size() != 2)
            throw CliError("--offset expects X,Y in mm, e.g. 10,10");
        const double x = parseDouble(parts[0], "--offset"), y = parseDouble(parts[1], "--offset");
        if (std::abs(x) > 5000 || std::abs(y) > 5000)
            throw CliError("--offset must lie between -5000 and 5000 mm");
        s.offsetX = RoundHalfEven(-x * 100.0 * s.divisor);
        s.offsetY = RoundHalfEven(y * 100.0 * s.divisor);
    }
}

} // namespace

int runPrint(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    const Args args(argv,
                    {"-o", "--board", "--layers", "--mask", "--drill-plan", "--scale", "--tiles", "--gap",
                     "--calibrate", "--paper", "--offset", "--language"},
                    {"--mirror", "--negative", "--targets", "--no-outline", "--template", "--centre"});
    const int language = languageOption(args);
    const auto output = args.value("-o");
    if (!output)
        throw CliError("print needs -o OUT.pdf");
    if (args.positional().size() != 1)
        throw CliError("print expects one layout file");
    PrintSettings settings = settingsFrom(args);
    const QSizeF paper = paperOption(args);

    // Fonts and painting need a GUI application; without a display it draws off screen.
    std::unique_ptr<QGuiApplication> app;
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "trevok-cli";
        static char* argvQt[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argvQt);
    }

    TProject project;
    const std::string& path = args.positional()[0];
    if (!loadLayout(project, path, language, err))
        return 1;
    int index = project.Current;
    if (const auto n = args.value("--board")) {
        const int b = parseInt(*n, "--board");
        if (b < 1 || b > static_cast<int>(project.Boards.size()))
            throw CliError("--board " + *n + " is out of range: the file has " +
                           std::to_string(project.Boards.size()) + " board(s)");
        index = b - 1;
    }
    if (index < 0 || index >= static_cast<int>(project.Boards.size()))
        throw CliError("the file holds no board");
    TBoard& board = *project.Boards[static_cast<std::size_t>(index)];
    placeOnPage(args, board, paper, settings);

    std::array<std::optional<TemplateFile>, 2> files;
    if (settings.templates)
        for (std::size_t k = 0; k < 2; ++k) {
            const std::string& name = board.TemplateFile[k];
            if (name.empty())
                continue;
            QString reason;
            files[k] = LoadTemplateFile(TemplatePathFromField(name), &reason);
            if (!files[k]) {
                // A printout without the template asked for is not what the user wanted.
                err << "trevok-cli: the template " << Cp1252ToUtf8(name) << " cannot be read";
                if (!reason.isEmpty())
                    err << ": " << reason.toStdString();
                err << "\n";
                return 1;
            }
        }
    PrintJob job;
    job.board = &board;
    job.settings = settings;
    job.templates = BoardPrintTemplates(board, files[0] ? &files[0]->image : nullptr,
                                        files[1] ? &files[1]->image : nullptr);
    job.paperMm = paper;
    job.title = QString::fromStdString(Cp1252ToUtf8(board.Name));
    job.path = *output;
    try {
        RunPrintJob(job);
    } catch (const TrevokError& e) {
        printError(err, e, language, *output);
        return 1;
    }
    return 0;
}

} // namespace trevok::cli

#else

#include <ostream>

namespace trevok::cli
{

int runPrint(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "trevok-cli: this build has no printing (built without Qt GUI)\n";
    return 1;
}

} // namespace trevok::cli

#endif

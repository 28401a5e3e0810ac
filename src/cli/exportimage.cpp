// trevok-cli export image: the board as a picture, drawn as the editor's image export draws it.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/guiapp.h"
#include "document/atomicfile.h"
#include "document/cp1252.h"
#include "edit/layouttext.h"
#include "print/boardimage.h"
#include "view/templateimage.h"

#include <memory>
#include <ostream>

namespace trevok::cli
{
namespace
{

ImageFormat parseFormat(const std::string& s)
{
    static const std::pair<const char*, ImageFormat> names[] = {
        {"bmp", ImageFormat::Bmp}, {"gif", ImageFormat::Gif}, {"emf", ImageFormat::Emf},
        {"png", ImageFormat::Png}, {"svg", ImageFormat::Svg}, {"pdf", ImageFormat::Pdf}};
    for (const auto& [name, format] : names)
        if (s == name)
            return format;
    throw CliError("unknown image format \"" + s + "\": use bmp, gif, emf, png, svg or pdf");
}

} // namespace

int exportImage(const std::vector<std::string>& argv, std::ostream& err)
{
    const Args args(argv, {"--format", "-o", "--board", "--dpi", "--language"},
                    {"--mono", "--convert-font-texts"});
    const int language = languageOption(args);
    const auto format = args.value("--format");
    const auto out = args.value("-o");
    if (!format)
        throw CliError("export image needs --format bmp|gif|emf|png|svg|pdf");
    if (!out)
        throw CliError("export image needs -o OUTPUT");
    ImageOptions o;
    o.format = parseFormat(*format);
    if (const auto d = args.value("--dpi")) {
        o.dpi = parseInt(*d, "--dpi");
        if (o.dpi < MinImageDpi || o.dpi > MaxImageDpi)
            throw CliError("--dpi must lie between 100 and 600");
    }
    if (args.has("--mono") && o.format != ImageFormat::Bmp)
        throw CliError("--mono applies to bmp only");
    const auto app = guiApplication();
    TProject project;
    TBoard* board = prepareBoard(project, args, language, err, true);
    if (!board)
        return 1;
    const ImageOptions view = ImageOptions::fromBoard(*board, o.format);
    o.activeLayer = view.activeLayer;
    o.layerVisible = view.layerVisible;
    o.mono = args.has("--mono");
    // The template pictures the board shows, as the editor would: one that cannot be read is
    // left out with a warning, as the editor reports it on opening and goes on without it.
    std::array<std::shared_ptr<const TemplateImage>, 2> pictures;
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string& name = board->TemplateFile[k];
        if (!board->TemplateShown[k] || name.empty())
            continue;
        QString reason;
        if (auto file = LoadTemplateFile(TemplatePathFromField(name), &reason))
            pictures[k] = std::make_shared<const TemplateImage>(std::move(file->image));
        else
            err << "trevok-cli: warning: the template " << Cp1252ToUtf8(name) << " cannot be read"
                << (reason.isEmpty() ? std::string() : ": " + reason.toStdString()) << "\n";
    }
    o.drawTemplate = BoardTemplateDrawer(*board, pictures, o.colours[ColourBackground]);
    try {
        const std::optional<std::string> bytes = MakeBoardImage(*board, o);
        if (!bytes)
            return 1;
        return writeOutput(*out, *bytes, language, err) ? 0 : 1;
    } catch (const TrevokError& e) {
        printError(err, e, language, *out);
        return 1;
    }
}

} // namespace trevok::cli

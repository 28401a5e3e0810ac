// trevok-cli thumbnail: called by file managers through the thumbnailer entry, so it must be
// quick and must leave nothing behind for a file it cannot read.

#include "cli/thumbnail.h"
#include "cli/common.h"

#ifdef TREVOK_CLI_IMAGES

#include "cli/guiapp.h"
#include "print/thumbnail.h"

#include <QBuffer>
#include <QImageWriter>

#include <ostream>

namespace trevok::cli
{

int runThumbnail(const std::vector<std::string>& argv, std::ostream&, std::ostream& err)
{
    const Args args(argv, {"--size", "--language"}, {});
    const int language = languageOption(args);
    if (args.positional().size() != 2)
        throw CliError("thumbnail expects FILE.lay OUT.png");
    int size = 256;
    if (const auto s = args.value("--size")) {
        size = parseInt(*s, "--size");
        if (size < MinThumbnailSize || size > MaxThumbnailSize)
            throw CliError("--size must lie between " + std::to_string(MinThumbnailSize) + " and " +
                           std::to_string(MaxThumbnailSize));
    }
    const std::string& in = args.positional()[0];
    const std::string& out = args.positional()[1];
    const auto app = guiApplication();
    TProject project;
    if (!loadLayout(project, in, language, err))
        return 1;
    TBoard* board = project.currentBoard();
    if (!board) {
        err << "trevok-cli: " << in << ": the file holds no board\n";
        return 1;
    }
    const QImage image = MakeThumbnail(*board, size);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        err << "trevok-cli: " << out << ": " << writer.errorString().toStdString() << "\n";
        return 1;
    }
    return writeOutput(out, bytes.toStdString(), language, err) ? 0 : 1;
}

} // namespace trevok::cli

#else

#include <ostream>

namespace trevok::cli
{

int runThumbnail(const std::vector<std::string>&, std::ostream&, std::ostream& err)
{
    err << "trevok-cli: this build has no thumbnails (built without Qt GUI)\n";
    return 1;
}

} // namespace trevok::cli

#endif

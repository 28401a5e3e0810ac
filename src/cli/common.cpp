#include "cli/common.h"

#include "cli/commands.h"
#include "document/atomicfile.h"
#include "edit/layouttext.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <ostream>

namespace trevok::cli
{

int parseLanguage(const std::string& code)
{
    if (code == "de")
        return 0;
    if (code == "en")
        return 1;
    if (code == "fr")
        return 2;
    return -1;
}

int defaultLanguage()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            const std::string s(v);
            if (s.rfind("de", 0) == 0)
                return 0;
            if (s.rfind("fr", 0) == 0)
                return 2;
            return 1;
        }
    }
    return 1;
}

int languageOption(const Args& args)
{
    const auto code = args.value("--language");
    if (!code)
        return defaultLanguage();
    const int l = parseLanguage(*code);
    if (l < 0)
        throw CliError("--language expects de, en or fr, not \"" + *code + "\"");
    return l;
}

int languageOf(const std::vector<std::string>& argv)
{
    int language = defaultLanguage();
    for (std::size_t i = 0; i + 1 < argv.size(); ++i)
        if (argv[i] == "--language" && parseLanguage(argv[i + 1]) >= 0)
            language = parseLanguage(argv[i + 1]);
    return language;
}

std::string outOfMemoryText(const std::vector<std::string>& argv)
{
    return MessageText(MsgId::OutOfMemory, languageOf(argv));
}

void printError(std::ostream& err, const TrevokError& e, int language, const std::string& path)
{
    std::string text = MessageText(e.id, language, e.args);
    std::replace(text.begin(), text.end(), '\r', '\n');
    // The file-not-found message names the file itself.
    err << "trevok-cli: " << text << "\n";
}

bool isMacroPath(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".lmk";
}

bool loadLayout(TProject& project, const std::string& path, int language, std::ostream& err,
                LayoutReadResult* resultOut)
{
    try {
        LayoutReadResult r = ReadLayoutFile(project, path, false, language);
        if (r.error) {
            printError(err, *r.error, language, path);
            return false;
        }
        if (r.olderVersion) {
            std::string text = MessageText(MsgId::OlderVersion, language);
            std::replace(text.begin(), text.end(), '\r', '\n');
            err << "trevok-cli: warning: " << text << "\n";
        }
        if (resultOut)
            *resultOut = r;
        return true;
    } catch (const TrevokError& e) {
        printError(err, e, language, path);
        return false;
    }
}

TBoard& chosenBoard(TProject& project, const Args& args)
{
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
    return *project.Boards[static_cast<std::size_t>(index)];
}

TBoard* prepareBoard(TProject& project, const Args& args, int language, std::ostream& err,
                     bool drawsFontTexts)
{
    if (args.positional().size() != 1)
        throw CliError("export expects one layout file");
    const std::string& path = args.positional()[0];
    if (!loadLayout(project, path, language, err))
        return nullptr;
    TBoard& board = chosenBoard(project, args);
    const int fontTexts = countFontTexts(board);
    if (fontTexts > 0) {
        if (args.has("--convert-font-texts")) {
            convertFontTexts(project);
        } else if (!drawsFontTexts) {
            err << "trevok-cli: warning: the board holds " << fontTexts
                << " old font text(s), which are not exported; --convert-font-texts converts them to layout "
                   "text\n";
        }
    }
    return &board;
}

bool saveLayout(TProject& project, const std::string& path, int language, std::ostream& err)
{
    try {
        WriteLayoutFile(project, path);
        return true;
    } catch (const TrevokError& e) {
        printError(err, e, language, path);
        return false;
    }
}

bool writeOutput(const std::string& path, const std::string& bytes, int language, std::ostream& err)
{
    try {
        WriteFileAtomically(path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        return true;
    } catch (const TrevokError& e) {
        printError(err, e, language, path);
        return false;
    }
}

} // namespace trevok::cli

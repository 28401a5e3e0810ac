#pragma once
// What the commands of trevok-cli share: the language option, loading a file, reporting errors.

#include "cli/cliargs.h"
#include "document/layoutfile.h"
#include "document/messages.h"
#include "document/project.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace trevok::cli
{

/// The language of --language, or the default; throws CliError for an unknown code.
int languageOption(const Args& args);

/// Prints a core error in the language, prefixed with "trevok-cli: " and, when given, the path
/// it concerns (the file-not-found text does not name the file itself).
void printError(std::ostream& err, const TrevokError& e, int language, const std::string& path = {});

/// The language the arguments ask for ("--language"), else the default; never throws.
int languageOf(const std::vector<std::string>& argv);
/// The out-of-memory message in the language the arguments ask for (read without throwing: the
/// arguments were parsed once already).
std::string outOfMemoryText(const std::vector<std::string>& argv);

/// True when the path names a macro file (*.lmk, any case).
bool isMacroPath(const std::string& path);

/// Opens a layout file into the project. Prints the older-version notice as a warning. A file
/// damaged after its header is an error here: the command must not work on a partial project.
/// Returns false after printing the error.
bool loadLayout(TProject& project, const std::string& path, int language, std::ostream& err,
                LayoutReadResult* result = nullptr);

/// The board of --board N (counted from 1), else the board shown in the file; throws CliError
/// when N is out of range or the file holds no board.
TBoard& chosenBoard(TProject& project, const Args& args);

/// Writes the project as a layout file (atomically); false after printing the error.
bool saveLayout(TProject& project, const std::string& path, int language, std::ostream& err);
/// For the export commands: opens the one layout file of the arguments, converts old font texts
/// with --convert-font-texts (else warns), and picks the board of --board (1-based; else the
/// board shown in the file). Returns null after printing the reason. An export that draws old
/// font texts as they are (the images) gives no warning about them.
TBoard* prepareBoard(TProject& project, const Args& args, int language, std::ostream& err,
                     bool drawsFontTexts = false);
/// Writes an export atomically; prints the reason and returns false when it fails.
bool writeOutput(const std::string& path, const std::string& bytes, int language, std::ostream& err);
/// trevok-cli export image (only in builds with the drawing code).
int exportImage(const std::vector<std::string>& argv, std::ostream& err);

} // namespace trevok::cli

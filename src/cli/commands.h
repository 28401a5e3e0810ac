#pragma once
// The commands of trevok-cli. Each returns the process exit status; errors are printed to
// stderr in the chosen language.

#include <iosfwd>
#include <string>
#include <vector>

namespace trevok::cli
{

/// 0 German, 1 English, 2 French, from "de", "en", "fr"; -1 for anything else.
int parseLanguage(const std::string& code);
/// The language when none is given: the system locale (German and French, else English).
int defaultLanguage();

int runInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runNets(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRemoveRealised(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runRoute(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runContours(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runPrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace trevok::cli

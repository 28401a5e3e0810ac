#include "cli/cliargs.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

namespace trevok::cli
{

Args::Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
           const std::set<std::string>& flags)
{
    bool onlyPositional = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (onlyPositional || a.empty() || a[0] != '-' || a == "-") {
            pos_.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        if (valueOptions.count(name)) {
            if (inlineValue) {
                values_[name] = *inlineValue;
            } else {
                if (i + 1 >= argv.size())
                    throw CliError("option " + name + " needs a value");
                values_[name] = argv[++i];
            }
        } else if (flags.count(name) && !inlineValue) {
            flagsSeen_.insert(name);
        } else {
            throw CliError("unknown option " + a);
        }
    }
}

std::optional<std::string> Args::value(const std::string& option) const
{
    const auto it = values_.find(option);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

int parseInt(const std::string& text, const std::string& option)
{
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        throw CliError("option " + option + " expects a whole number, not \"" + text + "\"");
    return static_cast<int>(v);
}

double parseDouble(const std::string& text, const std::string& option)
{
    // Read with the classic locale: "0.30" must mean the same on every system.
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double v = 0;
    in >> v;
    if (text.empty() || in.fail() || !in.eof() || !std::isfinite(v))
        throw CliError("option " + option + " expects a number such as 0.30, not \"" + text + "\"");
    return v;
}

} // namespace trevok::cli

#pragma once
// A small command-line parser: options with values, flags and positional arguments.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace trevok::cli
{

class CliError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
};

/// Parsed arguments of one command. Options not declared are an error, so a typo never passes
/// silently.
class Args
{
  public:
    /// valueOptions take the next argument ("-o OUT") or "--opt=value"; flags take none.
    Args(const std::vector<std::string>& argv, const std::set<std::string>& valueOptions,
         const std::set<std::string>& flags);

    bool has(const std::string& flag) const { return flagsSeen_.count(flag) > 0; }
    std::optional<std::string> value(const std::string& option) const;
    const std::vector<std::string>& positional() const noexcept { return pos_; }

  private:
    std::map<std::string, std::string> values_;
    std::set<std::string> flagsSeen_;
    std::vector<std::string> pos_;
};

/// Parses a whole decimal number or throws CliError naming the option.
int parseInt(const std::string& text, const std::string& option);
/// Parses a decimal number with a point or throws CliError naming the option.
double parseDouble(const std::string& text, const std::string& option);

} // namespace trevok::cli

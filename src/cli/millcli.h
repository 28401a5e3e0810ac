#pragma once
// What the milling commands of trevok-cli share.

#include "cli/cliargs.h"
#include "output/isolation.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace trevok
{
struct TBoard;
}

namespace trevok::cli
{

/// Exit status when the files were written (or the contours printed) but the mill cannot pass
/// between two pieces of copper somewhere: the output is not fit to mill as it stands.
constexpr int kExitIsolationProblems = 3;

std::uint8_t parseCopperLayer(const std::optional<std::string>& name, const std::string& command);
/// --width in mm as units (the fallback when absent).
std::int32_t parseMillingWidth(const Args& args, std::int32_t fallback = 0);
/// Exit status when the computation was interrupted (Ctrl-C): nothing was written.
constexpr int kExitInterrupted = 130;

/// The contours and problems, or nullopt after printing the empty-layer warning (or, when
/// progress was cancelled, nothing).
std::optional<IsolationResult> computeForCli(const TBoard& board, const MillingOptions& o, int language,
                                             std::ostream& err, MillingProgress* progress = nullptr);

/// While it lives, an interrupt (SIGINT, Ctrl-C) cancels the progress instead of ending the
/// program, so that the computation stops and nothing half-made is written.
class InterruptCancels
{
  public:
    explicit InterruptCancels(MillingProgress& progress);
    ~InterruptCancels();
    InterruptCancels(const InterruptCancels&) = delete;
    InterruptCancels& operator=(const InterruptCancels&) = delete;

  private:
    void (*previous)(int) = nullptr;
};
/// Prints the isolation problems; true when there are any.
bool reportProblems(const TBoard& board, const IsolationResult& r, int language, std::ostream& err);

int exportHpgl(const std::vector<std::string>& argv, std::ostream& err);
int exportHpglOutline(const std::vector<std::string>& argv, std::ostream& err);
int exportGcode(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

} // namespace trevok::cli

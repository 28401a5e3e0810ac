#pragma once
// trevok-cli thumbnail FILE.lay OUT.png [--size N]: the picture file managers show for a layout.

#include <iosfwd>
#include <string>
#include <vector>

namespace trevok::cli
{

int runThumbnail(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace trevok::cli

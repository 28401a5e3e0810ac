#pragma once
// File names as desktops hand them to a program: a plain path, or a file:// URI whose bytes are
// percent-encoded (blanks as %20, bytes that are not UTF-8 as %XX).

#include <string>

namespace trevok
{

/// The local path a command-line argument names, as bytes: a "file:" URI of this machine
/// ("file:///p", "file://localhost/p", "file:/p") is decoded; anything else, including a URI of
/// another host or scheme, comes back unchanged. A '%' not followed by two hex digits stays as
/// it is.
std::string LocalPathFromUri(const std::string& argument);

} // namespace trevok

#pragma once
// Element texts, board names and project strings are kept as the file's Windows-1252 bytes;
// these two functions are the one place where they meet Unicode.

#include <string>
#include <string_view>

namespace trevok
{

std::string Cp1252ToUtf8(std::string_view bytes);
/// Characters that Windows-1252 cannot hold become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

} // namespace trevok

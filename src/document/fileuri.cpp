#include "document/fileuri.h"

#include <cctype>

namespace trevok
{

namespace
{

int hexValue(char c) noexcept
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(const std::string& s, const char* prefix) noexcept
{
    std::size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

std::string LocalPathFromUri(const std::string& argument)
{
    if (!startsWithNoCase(argument, "file:"))
        return argument;
    std::string rest = argument.substr(5);
    if (rest.rfind("//", 0) == 0) {
        // An authority: empty or "localhost" is this machine; another host's file is not ours to
        // open, and the caller's "not found" names the argument as given.
        const std::size_t slash = rest.find('/', 2);
        const std::string host = rest.substr(2, slash == std::string::npos ? std::string::npos : slash - 2);
        const bool local = host.empty() || (host.size() == 9 && startsWithNoCase(host, "localhost"));
        if (slash == std::string::npos || !local)
            return argument;
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest[0] != '/')
        return argument;
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const int byte =
            rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0
                ? hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])
                : -1;
        // A zero byte would cut the name short on its way to the system: such a URI names no file.
        if (byte == 0)
            return argument;
        if (byte > 0) {
            path.push_back(static_cast<char>(byte));
            i += 2;
        } else {
            path.push_back(rest[i]);
        }
    }
    return path;
}

} // namespace trevok

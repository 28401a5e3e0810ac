#pragma once
// Helpers for the milling code that works on Clipper's integer paths directly. Kept out of the
// public milling headers so that only the files that use Clipper see it.

#include "document/objekt.h"

#include <clipper.hpp>

#include <algorithm>
#include <cstdint>

namespace trevok
{

/// The box round every point of the paths; for no points an empty box that meets no other.
inline TRect PathsBox(const ClipperLib::Paths& paths) noexcept
{
    TRect r{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
    for (const ClipperLib::Path& p : paths)
        for (const ClipperLib::IntPoint& v : p) {
            r.left = std::min<std::int64_t>(r.left, v.X);
            r.right = std::max<std::int64_t>(r.right, v.X);
            r.top = std::min<std::int64_t>(r.top, v.Y);
            r.bottom = std::max<std::int64_t>(r.bottom, v.Y);
        }
    return r;
}

} // namespace trevok

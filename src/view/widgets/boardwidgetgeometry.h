#pragma once
// Small geometry helpers shared by the board widget's source files.

#include "document/objekt.h"

#include <Qt>

#include <algorithm>
#include <cstdint>

namespace trevok::boardwidget
{

/// A device coordinate as a pixel index, limited far outside any screen so that boards at the
/// ends of the coordinate range cannot overflow the conversion.
inline int pixelOf(double v)
{
    constexpr double limit = 1 << 24;
    return RoundHalfEven(std::clamp(v, -limit, limit));
}

inline TRect unite(const TRect& a, const TRect& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

inline TRect grown(const TRect& r, std::int64_t by)
{
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

/// The session's modifier flags (ModShift, ModCtrl, ModAlt) of Qt's modifiers.
unsigned modifiersOf(Qt::KeyboardModifiers m);

} // namespace trevok::boardwidget

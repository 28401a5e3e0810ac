#include "edit/layspinvalue.h"

#include "document/objekt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace trevok
{

double parseFieldNumber(std::string_view text) noexcept
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 64)
        return 0.0;
    char buffer[65];
    std::size_t n = 0;
    for (char c : text)
        buffer[n++] = c == ',' ? '.' : c;
    buffer[n] = '\0';
    const char* begin = buffer;
    if (*begin == '+')
        ++begin;
    double v = 0.0;
    const auto [end, ec] = std::from_chars(begin, buffer + n, v);
    if (ec != std::errc() || end != buffer + n || !std::isfinite(v))
        return 0.0;
    return v;
}

LaySpinValue::LaySpinValue(double min, double max, double step, int decimals)
    : min_(min), max_(max), step_(step), decimals_(std::clamp(decimals, 0, 6))
{
    setValue(min_);
}

double LaySpinValue::value() const noexcept
{
    return std::clamp(parseFieldNumber(text_), min_, max_);
}

std::string LaySpinValue::format(double x) const
{
    char buffer[64];
    // to_chars is independent of the C locale, so the decimal separator is always a point.
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, decimals_);
    if (ec != std::errc())
        return "0";
    std::string s(buffer, end);
    if (s.starts_with("-") && s.find_first_not_of("-0.") == std::string::npos)
        s.erase(0, 1); // no "-0.0"
    return s;
}

void LaySpinValue::setValue(double x)
{
    if (!std::isfinite(x))
        x = 0.0;
    // Four decimals first, so that sums of steps (0.1 + 0.2) do not show as 0.30000000004.
    x = std::clamp(x, -1e9, 1e9);
    x = static_cast<double>(RoundHalfEven64(x * 10000.0)) / 10000.0;
    text_ = format(std::clamp(x, min_, max_));
}

bool LaySpinValue::wheelDrag(int y)
{
    const int n = (reference_ - y) / 8; // C++ division truncates towards zero
    if (n == 0)
        return false;
    setValue(value() + n * step_);
    reference_ = y;
    return true;
}

} // namespace trevok

#include "output/excellon.h"

#include "document/objekt.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <vector>

namespace trevok
{

DrillOptions DrillOptions::forUnit(bool inch)
{
    DrillOptions o;
    o.inch = inch;
    o.decimals = inch ? 3 : 2;
    return o;
}

namespace
{

/// A length in board units as an integer count of the last digit of the format.
std::int64_t scaled(std::int64_t units, const DrillOptions& o)
{
    const double step = o.decimals == 3 ? 1000.0 : 100.0;
    const double v = o.inch ? units / 2540.0 : units / 100.0;
    return RoundHalfEven64(v * step);
}

/// A tool diameter with a decimal point, in the file's unit.
std::string decimalLength(std::int64_t units, const DrillOptions& o)
{
    // Tool sizes keep one more digit than coordinates would need at 3.2 in mm; in inches four
    // decimals resolve 0.01 mm steps.
    const int places = o.inch ? 4 : 3;
    const double factor = o.inch ? 10000.0 : 1000.0;
    const double v = o.inch ? units / 2540.0 : units / 100.0;
    std::int64_t n = RoundHalfEven64(v * factor);
    std::string s;
    if (n < 0) {
        s += '-';
        n = -n;
    }
    std::int64_t div = 1;
    for (int i = 0; i < places; ++i)
        div *= 10;
    s += std::to_string(n / div);
    s += '.';
    std::string frac = std::to_string(n % div);
    s += std::string(static_cast<std::size_t>(places) - frac.size(), '0') + frac;
    return s;
}

} // namespace

std::string ExcellonNumber(std::int64_t units, const DrillOptions& o)
{
    std::int64_t n = scaled(units, o);
    const bool neg = n < 0;
    if (neg)
        n = -n;
    std::string digits = std::to_string(n);
    const std::size_t width = 3 + static_cast<std::size_t>(o.decimals);
    // Without leading zeros the trailing ones stay, so the point is fixed from the right; with
    // them every number has the full width and reads the same from either end.
    if (!o.removeLeadingZeros && digits.size() < width) {
        digits = std::string(width - digits.size(), '0') + digits;
    }
    return neg ? "-" + digits : digits;
}

std::string WriteExcellon(const TBoard& board, const DrillOptions& o)
{
    // Index every element so that the later pad of a through-plated pair can be recognised.
    std::unordered_map<const TObjekt*, std::size_t> index;
    index.reserve(board.Elements.size());
    for (std::size_t i = 0; i < board.Elements.size(); ++i)
        index.emplace(board.Elements[i].get(), i);

    struct Hole {
        std::int64_t x, y;
        std::size_t order;
    };
    std::map<std::int64_t, std::vector<Hole>> byDiameter; // ascending diameters
    for (std::size_t i = 0; i < board.Elements.size(); ++i) {
        const TObjekt& e = *board.Elements[i];
        if (e.Kind != KindPad)
            continue;
        if (e.Twin) {
            auto it = index.find(e.Twin);
            if (it != index.end() && it->second < i)
                continue; // the pair's hole was written with the earlier pad
        }
        const std::int64_t d = 2 * static_cast<std::int64_t>(e.Size2);
        std::int64_t x = e.X;
        if (o.side2)
            x = static_cast<std::int64_t>(board.BoardWidth) - x;
        const std::int64_t y = static_cast<std::int64_t>(e.Y) + board.BoardHeight;
        byDiameter[d].push_back({x, y, i});
    }

    std::string out;
    auto line = [&](const std::string& s) {
        out += s;
        out += "\r\n";
    };
    const std::string unit = o.inch ? "INCH" : "METRIC";
    const std::string zeros = o.removeLeadingZeros ? "TZ" : "LZ";
    const std::string fmt = o.decimals == 3 ? "000.000" : "000.00";
    line("M48");
    line(";DRILL file, Trevok " + std::string(TREVOK_VERSION));
    line(";FORMAT={3:" + std::to_string(o.decimals) + "/ absolute / " + (o.inch ? "inch" : "metric") + " / " +
         (o.removeLeadingZeros ? "suppress leading zeros" : "keep zeros") + "}");
    line(";FILE_FORMAT=3:" + std::to_string(o.decimals));
    // The digit hint after the zero rule is understood in metric headers only; inch readers
    // take the format from the FILE_FORMAT comment above.
    line(o.inch ? unit + "," + zeros : unit + "," + zeros + "," + fmt);
    int tool = 1;
    for (const auto& [d, holes] : byDiameter)
        line("T" + std::to_string(tool++) + "C" + decimalLength(d, o));
    line("%");
    line("G90");
    line("G05");
    tool = 1;
    for (const auto& [d, holes] : byDiameter) {
        line("T" + std::to_string(tool++));
        for (const Hole& h : holes)
            line("X" + ExcellonNumber(h.x, o) + "Y" + ExcellonNumber(h.y, o));
    }
    // M30 ends the program and rewinds; no "T0" before it: the tool table has no tool 0, and
    // readers that check tool selections against the table warn about it.
    line("M30");
    return out;
}

} // namespace trevok

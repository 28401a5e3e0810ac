#pragma once
// Colour schemes: the nine colours the board drawing reads, the fixed "Standard" scheme, the three
// user schemes kept in "C_USER<n>.DAT" in the user folder, and the custom colours of the colour
// dialog kept in "COLORS.DAT".
//
// A colour is a 32-bit value 0x00BBGGRR (red in the low byte), the form the scheme files store.

#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace trevok
{

/// 0x00BBGGRR, red in the low byte.
using ColourRef = std::uint32_t;

constexpr ColourRef Rgb(int r, int g, int b) noexcept
{
    return static_cast<ColourRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColourRef c) noexcept
{
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColourRef c) noexcept
{
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColourRef c) noexcept
{
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(ColourRef c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline ColourRef FromQColor(const QColor& c)
{
    return Rgb(c.red(), c.green(), c.blue());
}

/// What each colour of a scheme is used for.
enum ColourIndex : int {
    ColourBackground = 0, // board background
    ColourGrid = 1,       // grid lines
    ColourK1 = 2,         // copper side 1
    ColourB1 = 3,         // component print side 1
    ColourK2 = 4,         // copper side 2
    ColourB2 = 5,         // component print side 2
    ColourExtra6 = 6,     // kept and stored, not edited in the dialog
    ColourConnection = 7, // rubber-band connections
    ColourExtra8 = 8,     // kept and stored, not edited in the dialog
};
inline constexpr int SchemeColourCount = 9;
/// Scheme 0 is "Standard", 1..3 the user schemes.
inline constexpr int SchemeCount = 4;
/// Size of a scheme file: nine little-endian 32-bit values.
inline constexpr int SchemeFileBytes = 4 * SchemeColourCount;

/// Nine colours by index.
struct ColourScheme {
    std::array<ColourRef, SchemeColourCount> Colours{};

    ColourRef& operator[](int index) { return Colours.at(static_cast<std::size_t>(index)); }
    ColourRef operator[](int index) const { return Colours.at(static_cast<std::size_t>(index)); }
    QColor qcolor(int index) const { return ToQColor((*this)[index]); }
    friend bool operator==(const ColourScheme&, const ColourScheme&) = default;

    /// The fixed "Standard" scheme.
    static ColourScheme Standard() noexcept;
    /// All nine colours black: a user scheme whose file is missing.
    static ColourScheme Black() noexcept { return ColourScheme{}; }
};

/// The colours in use for the run, read by the board drawing. Starts as the Standard scheme.
ColourScheme& CurrentColours() noexcept;

/// "C_USER1.DAT" .. "C_USER3.DAT" for n = 1..3.
QString SchemeFileName(int n);

/// Decodes the 36 bytes of a scheme file; a negative value becomes 0 (black). Returns false (and
/// leaves the scheme black) when the data is not exactly 36 bytes.
bool DecodeScheme(const QByteArray& data, ColourScheme& scheme);
QByteArray EncodeScheme(const ColourScheme& scheme);

/// Reads a scheme file; a missing or damaged file gives an all-black scheme.
ColourScheme ReadSchemeFile(const QString& path);
/// Writes a scheme file safely (temporary file, then rename). Returns false on failure.
bool WriteSchemeFile(const QString& path, const ColourScheme& scheme);

/// Scheme 0..3 as the program uses it: 0 is Standard, 1..3 are read from the user folder.
/// An index outside 0..3 gives Standard.
ColourScheme LoadColourScheme(int index);
/// Writes user scheme 1..3 into the user folder (creating the folder). Index 0 or out of range:
/// nothing is written and false is returned.
bool SaveColourScheme(int index, const ColourScheme& scheme);

/// Custom colours of the colour dialog (16 entries at most), kept in the text file "COLORS.DAT"
/// as lines "ColorA=BBGGRR" .. "ColorP=BBGGRR" (hexadecimal 0x00BBGGRR values). A missing file
/// or a missing or unreadable line leaves that entry unset.
inline constexpr int CustomColourCount = 16;
using CustomColours = std::array<std::optional<ColourRef>, CustomColourCount>;
CustomColours ParseCustomColours(const QString& text);
QString FormatCustomColours(const CustomColours& colours);
CustomColours ReadCustomColours(const QString& path);
bool WriteCustomColours(const QString& path, const CustomColours& colours);
/// The path of "COLORS.DAT" in the user folder.
QString CustomColoursPath();

} // namespace trevok

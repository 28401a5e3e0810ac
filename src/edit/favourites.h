#pragma once
// The three favourite lists of the tool bar: track widths (L_POPUP), pad sizes (LA_POPUP) and
// SMD sizes (SMD_POPUP). An entry is a menu caption and a tag; track widths carry their width in
// units in the tag, pad and SMD entries carry their two sizes in the caption ("1.8 x 0.6 mm").
// The settings file keeps each list as "T"+i (tag, track widths only) and "S"+i (caption) for
// i = 0, 1, ...; the settings code reads and writes those keys and hands the entries over here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevok
{

enum class FavouriteKind : std::uint8_t { TrackWidth, PadSize, SmdSize };

struct FavouriteEntry {
    std::int32_t tag = 0; // width in units for track widths; unused otherwise
    std::string caption;
    friend bool operator==(const FavouriteEntry&, const FavouriteEntry&) = default;
};

/// The two sizes of a pad or SMD entry, in units (mm x 100).
struct SizePair {
    std::int32_t first = 0;
    std::int32_t second = 0;
    friend bool operator==(const SizePair&, const SizePair&) = default;
};

/// Reads the two numbers of a pad or SMD caption: the first is its first 3 characters, or 4
/// when the fourth is not a blank; the second the 3 or 4 characters after "x " by the same rule.
/// "&" is ignored. Each is millimetres, rounded to units. Nothing when the caption does not have
/// that form (a hand-edited settings file).
std::optional<SizePair> parseSizeCaption(std::string_view caption);
/// "0.8 mm" from the text of the width field.
std::string formatTrackWidthCaption(std::string_view widthText);
/// "1.8 x 0.6 mm" from the texts of the two fields.
std::string formatSizeCaption(std::string_view firstText, std::string_view secondText);

/// One entry of an opened list menu.
struct FavouriteMenuItem {
    std::string caption;
    std::int32_t tag = 0; // -1 for the separator
    bool checked = false;
    bool enabled = true;
    bool separator = false;
};

/// One favourite list. Entries are kept ascending by value.
class FavouriteList
{
  public:
    explicit FavouriteList(FavouriteKind kind) : kind_(kind) {}

    FavouriteKind kind() const noexcept { return kind_; }
    const std::vector<FavouriteEntry>& entries() const noexcept { return entries_; }

    /// Takes over the entries read from the settings file, in their order. Pad and SMD entries
    /// whose caption cannot be read are left out, so every kept entry has a value.
    void setEntries(std::vector<FavouriteEntry> entries);

    /// The value of an entry: for track widths the tag as {tag, 0}; for the others the parsed
    /// caption.
    std::optional<SizePair> valueOf(const FavouriteEntry& entry) const;
    /// Whether the entry equals the current values: a track width equal to first; pad entries
    /// when both diameters halved (towards zero) equal the outer and drill radius given; SMD
    /// entries when both sizes equal.
    bool matches(const FavouriteEntry& entry, SizePair current) const;
    /// Index of the first entry equal to the current values, or -1.
    int find(SizePair current) const;

    /// "Hinzufügen": an entry from the field texts, inserted before the first entry with a larger
    /// value (pad and SMD: by the first size, then the second). For track widths `widthUnits` is
    /// the tag. Refuses an entry equal to one already listed or one whose caption cannot be read.
    bool add(std::string_view firstText, std::string_view secondText, std::int32_t widthUnits = 0);
    /// "Entfernen": removes the first entry equal to the current values.
    bool remove(SizePair current);

    /// The menu as opened: the entries (checked when equal to the current values), a separator
    /// (tag -1), "Hinzufügen" (enabled when no entry is checked) and "Entfernen" (enabled when one
    /// is). Texts in the language given (0 German, 1 English, 2 French).
    std::vector<FavouriteMenuItem> menu(SizePair current, int language) const;

  private:
    bool less(const FavouriteEntry& a, const FavouriteEntry& b) const;

    FavouriteKind kind_;
    std::vector<FavouriteEntry> entries_;
};

} // namespace trevok

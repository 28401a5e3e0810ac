#pragma once
// The list of grids offered by the grid button: seven built-in grids, then the user's own grids
// in ascending order, kept in the settings section "R_POPUP".

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace trevok
{

/// The grid (units) that a menu tag stands for: tags above 10000 hold 1/10000 mm (built-in
/// entries), smaller ones hold units (user entries).
double GridOfTag(std::int64_t tag) noexcept;

struct GridEntry {
    std::int64_t Tag = 0;
    QString Caption;
    bool User = false;
    double grid() const noexcept { return GridOfTag(Tag); }
};

class GridList
{
  public:
    /// Menu position of the first user grid: seven built-in entries and a separator come first.
    static constexpr int FirstUserPosition = 8;
    /// User grids read from the settings; more are not read.
    static constexpr int MaxUserGrids = 1000;

    /// The built-in entries with captions in the current language.
    GridList();

    const std::vector<GridEntry>& builtIn() const noexcept { return builtIn_; }
    const std::vector<GridEntry>& userGrids() const noexcept { return user_; }

    /// Adds the grid typed in the grid dialog (its text, decimal point, in mm): the tag is
    /// round(value × 100) units, the caption six blanks, the text and " mm". An existing user
    /// grid of that tag is kept as it is. Returns the grid in units that becomes current, or
    /// nothing when the text is not a positive number.
    std::optional<double> addUserGrid(const QString& millimetreText);
    /// Whether the grid is one of the user grids (the remove command is enabled).
    bool isUserGrid(double grid) const noexcept;
    /// Removes the user grid whose tag equals round(grid). Returns whether one was removed.
    bool removeUserGrid(double grid);
    /// Whether an entry is shown checked for the current grid.
    static bool isCurrent(const GridEntry& entry, double grid) noexcept { return entry.grid() == grid; }

    /// Reads the user grids from the section: `value` answers a key of the section, or nothing
    /// when the key is missing. Keys "T8", "S8", "T9", ... are read until "T" + i is missing.
    /// A tag that is not a positive whole number is skipped; a caption is read without its
    /// leading blanks and given six again (a missing caption is made from the tag). Entries end
    /// up in ascending order without duplicates, whatever order the file has.
    void readSettings(const std::function<std::optional<QString>(const QString& key)>& value);
    /// The same rules for (tag, caption) pairs already read from the section, in file order.
    void setUserGrids(const std::vector<std::pair<std::int64_t, QString>>& entries);
    /// The keys and values of the section, in order ("T8", tag), ("S8", caption), ...; the
    /// caller erases the section before writing them.
    std::vector<std::pair<QString, QString>> settingsEntries() const;
    void clearUserGrids() { user_.clear(); }

  private:
    bool insertUser(GridEntry entry);

    std::vector<GridEntry> builtIn_;
    std::vector<GridEntry> user_;
};

} // namespace trevok

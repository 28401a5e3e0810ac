#pragma once
// The four most recently read layout files (D1 newest .. D4) and their entries in the File menu.

#include <QString>

#include <array>

class QAction;

namespace trevok
{

class RecentFiles
{
  public:
    RecentFiles() = default;
    explicit RecentFiles(const std::array<QString, 4>& paths) : paths_(paths) {}

    const std::array<QString, 4>& paths() const noexcept { return paths_; }
    const QString& path(int index) const { return paths_.at(static_cast<std::size_t>(index)); }

    /// `AddRecentFile`, after a layout file has been read. A backup (".bak", any case) or an empty
    /// path is not added; a path already in the list (compared without regard to case) leaves the
    /// list as it is; otherwise the entries move down one place and the path becomes D1. Returns
    /// whether the list changed (and so must be written).
    bool AddRecentFile(const QString& path);

    /// The menu text of entry index (0..3): "&1 " .. "&4 " and the file name without folder. An
    /// ampersand in the name is doubled so that it shows instead of marking an accelerator.
    QString entryText(int index) const;
    /// An entry is shown when its path is longer than one character.
    bool entryVisible(int index) const;
    /// The separator above the entries is shown when the first entry is.
    bool separatorVisible() const { return entryVisible(0); }

    /// Applies texts and visibility to the four menu actions and the separator (when the File
    /// menu opens).
    void updateActions(const std::array<QAction*, 4>& entries, QAction* separator) const;

  private:
    std::array<QString, 4> paths_;
};

/// Whether a path names a backup file (extension ".bak" in any case).
bool IsBackupPath(const QString& path);

} // namespace trevok

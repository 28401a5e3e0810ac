#pragma once
// The project's file as the editor handles it: New, Open, Reload boards, Save, Save as, the
// close question, the start file, recent files, and the recovery of a newer backup that an
// autosave left behind; the autosave and working-folder dialogs.

#include "document/atomicfile.h"

#include <QString>

#include <optional>

namespace trevok
{

class AutoSaver;
class BoardsController;
class RecentFiles;
class SettingsFile;
class Shell;
class TProject;
class WindowViews;
struct LayoutReadResult;
struct Settings;
struct WorkingFolders;

class FilesController
{
  public:
    /// What the files of a run touch besides the project: the settings (recent files, folders)
    /// and the autosave of the project.
    struct Parts {
        TProject& project;
        AutoSaver& autoSaver;
        Settings& settings;
        SettingsFile& settingsFile;
        RecentFiles& recent;
        WorkingFolders& folders; // the folders of this run's file dialogs
    };
    FilesController(const Parts& parts, BoardsController& boards, Shell& shell, WindowViews& views)
        : p_(parts), boards_(boards), shell_(shell), views_(views)
    {
    }

    /// The close question and the closing of every board; false keeps the project as it is.
    bool closeProject();
    void fileNew();
    void fileOpen();
    /// Opens a layout file by path (close question first); false when nothing was opened.
    bool openLayout(const QString& path);
    void reloadBoards();
    /// Save: to the current file name, else as Save as. False when nothing was written.
    bool fileSave();
    bool fileSaveAs();
    /// The file named on the command line: opened when it exists; an empty path does nothing.
    void openStartFile(const QString& path);
    void openRecent(int index);

    /// A backup was written or failed: a failure goes to the status line every time and into a
    /// message once per run.
    void autoSaveFinished(bool ok, const QString& path, const QString& error);
    void autoSaveDialog();
    void workingFoldersDialog();

    /// Counts the old font texts of every board and, when there are any, offers to convert them.
    void offerFontTextConversion();

    /// The project no longer belongs to the file it was read from (a failed command closed it).
    void forgetFile() noexcept { fileStamp_.reset(); }

  private:
    void afterLoading(const LayoutReadResult& result, const QString& path, bool reload);
    bool saveTo(const QString& path);
    void offerNewerBackup(const QString& path);
    void restoreBackup(const QString& layoutPath, const QString& backupPath);
    void addRecentFile(const QString& path);

    Parts p_;
    BoardsController& boards_;
    Shell& shell_;
    WindowViews& views_;
    /// The current file as it was when opened or saved here (changes by others are noticed).
    std::optional<FileStamp> fileStamp_;
    bool autoSaveFailureShown_ = false;
};

} // namespace trevok

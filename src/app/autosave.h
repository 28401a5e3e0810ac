#pragma once
// Automatic backup of the project to "<name>.bak" at a fixed interval, and the question at
// opening whether a newer backup exists.
//
// A tick takes the snapshot of the project on the GUI thread (encoding the project into bytes
// is fast and must see a consistent project) and leaves the slow part, writing and flushing the
// file, to a worker thread; the editor never waits for the disk. The backup is replaced
// atomically like any save, so a crash during an autosave leaves the previous backup intact.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <optional>

namespace trevok
{

class TProject;

/// The backup of a layout file: its name with the extension replaced by ".bak" (or ".bak"
/// appended when it has none). Empty for an empty name or a name that already ends in ".bak":
/// a backup is never backed up again.
QString BackupPath(const QString& fileName);

struct BackupInfo {
    QString path;
    QDateTime modified;
};
/// When a layout file is opened: its backup, if one exists and was written after the file
/// (what an autosave followed by a crash leaves behind). The backup is only reported, never
/// touched.
std::optional<BackupInfo> NewerBackup(const QString& fileName);

/// The text the status line shows while a backup is written.
QString AutoSaveStatusText();

/// The autosave timer of the main window.
class AutoSaver : public QObject
{
    Q_OBJECT
  public:
    explicit AutoSaver(TProject& project, QObject* parent = nullptr);
    /// Waits for a backup still being written.
    ~AutoSaver() override;

    bool isEnabled() const { return timer_.isActive(); }
    void setEnabled(bool on);
    /// Interval in ms, brought into 1..60 minutes.
    int interval() const { return timer_.interval(); }
    void setInterval(int ms);

    /// One tick: nothing without a current file name, for a ".bak" file name, or while the
    /// previous backup is still being written; otherwise the project is encoded now and written
    /// in the background. Returns whether a backup was started.
    bool tick();
    bool isWriting() const { return writing_; }
    /// Blocks until the background write is done (tests, closing).
    void waitForWrite();

  signals:
    /// A backup is being written: the window shows AutoSaveStatusText() in the status line.
    void backupStarted(const QString& path);
    /// The backup is complete (ok) or failed with a reason; the window restores its status line.
    void backupFinished(bool ok, const QString& path, const QString& error);

  private:
    TProject& project_;
    QTimer timer_;
    QThreadPool pool_;
    bool writing_ = false;
};

} // namespace trevok

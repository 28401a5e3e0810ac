#pragma once
// Automatic backup of the project to "<name>.bak" at a fixed interval, and the question at
// opening whether a newer backup exists.
//
// A tick takes the snapshot of the project on the GUI thread (encoding the project into bytes
// is fast and must see a consistent project) and leaves the slow part, writing and flushing the
// file, to a worker thread; the editor never waits for the disk. The backup is replaced
// atomically like any save, so a crash during an autosave leaves the previous backup intact.
//
// A backup may hold the only copy of the user's work, so it is never overwritten while the
// window still has to ask what to do with it (hold()), and a backup the user declines is
// renamed out of the way rather than left for the next tick (KeepDeclinedBackup).

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
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
/// When a layout file is opened: its backup, if one exists, was written after the file and
/// holds something else than the file (what an autosave followed by a crash leaves behind).
/// The backup is only reported, never touched.
std::optional<BackupInfo> NewerBackup(const QString& fileName);

/// A backup the user did not restore is kept under "<backup>-YYYYMMDD-HHMMSS" (its own time;
/// "-2", "-3" ... added when that name is taken), so that the next autosave cannot overwrite
/// it. Returns the new path; throws TrevokError WriteError when it cannot be renamed.
QString KeepDeclinedBackup(const BackupInfo& backup);

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
    /// Any interval, also below a minute (tests).
    void setIntervalUnchecked(int ms) { timer_.setInterval(ms); }

    /// While held (counted: every hold() needs its release()) no backup is written, e.g. while
    /// the window asks whether to restore the backup that the next tick would replace.
    void hold() { ++held_; }
    void release() { held_ = held_ > 0 ? held_ - 1 : 0; }
    bool isHeld() const { return held_ > 0; }

    /// One tick: nothing without a current file name, for a ".bak" file name, while held, while
    /// the previous backup is still being written, when the project is not modified, or when it
    /// is the same as at the last backup; otherwise the project is encoded now and written in
    /// the background. Returns whether a backup was started.
    bool tick();
    bool isWriting() const { return writing_; }
    /// Blocks until the background write is done (tests, closing).
    void waitForWrite();
    /// Test seam: called after each tick of the timer with whether it started a backup, so a
    /// test can wait for ticks instead of for time. Empty in the program.
    std::function<void(bool started)> onTimerTick;

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
    int held_ = 0;
    /// What the last completed backup held, and where: a tick that would write the same again
    /// does nothing.
    QString lastPath_;
    std::size_t lastHash_ = 0;
    std::size_t pendingHash_ = 0;
};

} // namespace trevok

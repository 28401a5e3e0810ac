#include "app/autosave.h"

#include "app/settings.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "document/messages.h"
#include "document/project.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "view/texts.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <stdio.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace trevok
{

namespace
{

/// The path with `suffix` added to its file name, the name cut short (at a character) where
/// both together would pass the 255 bytes a file name may have.
QString withSuffixWithinLimit(const QString& path, const QString& suffix)
{
    constexpr std::size_t MaxNameBytes = 255;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString name = path.mid(slash + 1);
    const std::size_t suffixBytes = LocalPath(suffix).size();
    while (!name.isEmpty() && LocalPath(name).size() + suffixBytes > MaxNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return path.left(slash + 1) + name + suffix;
}

} // namespace

QString BackupPath(const QString& fileName)
{
    if (fileName.isEmpty() || fileName.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive))
        return {};
    // The extension is what follows the last dot of the file name itself: not a dot of a folder,
    // nor the leading dot of a hidden file.
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot > slash + 1)
        return withSuffixWithinLimit(fileName.left(dot), QStringLiteral(".bak"));
    return withSuffixWithinLimit(fileName, QStringLiteral(".bak"));
}

std::optional<BackupInfo> NewerBackup(const QString& fileName)
{
    const QString backup = BackupPath(fileName);
    if (backup.isEmpty())
        return std::nullopt;
    const std::string file = LocalPath(fileName);
    const std::string bak = LocalPath(backup);
    struct stat fileStat {
    }, bakStat{};
    if (::stat(file.c_str(), &fileStat) != 0 || ::stat(bak.c_str(), &bakStat) != 0 ||
        !S_ISREG(fileStat.st_mode) || !S_ISREG(bakStat.st_mode))
        return std::nullopt;
    const auto ms = [](const struct stat& st) {
        return static_cast<qint64>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    };
    if (ms(bakStat) <= ms(fileStat))
        return std::nullopt;
    // The same content as the file is nothing to recover (a backup taken just before a save).
    try {
        if (bakStat.st_size == fileStat.st_size && ReadWholeFile(bak) == ReadWholeFile(file))
            return std::nullopt;
    } catch (const TrevokError&) {
        // Unreadable: offer it all the same; opening it will say what is wrong.
    }
    QString absolute = backup;
    if (QDir::isRelativePath(backup))
        absolute = QDir::current().absoluteFilePath(backup);
    return BackupInfo{QDir::cleanPath(absolute), QDateTime::fromMSecsSinceEpoch(ms(bakStat))};
}

QString KeepDeclinedBackup(const BackupInfo& backup)
{
    const QString stamp = backup.modified.toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    QString target = withSuffixWithinLimit(backup.path, stamp);
    struct stat st {
    };
    for (int n = 2; ::lstat(LocalPath(target).c_str(), &st) == 0; ++n)
        target = withSuffixWithinLimit(backup.path, stamp + QLatin1Char('-') + QString::number(n));
    const std::string from = LocalPath(backup.path);
    const std::string to = LocalPath(target);
    // Never replaces a file that appeared under the new name in the meantime: a rename that
    // refuses to replace, or where the file system lacks it, a second name and then the first
    // one removed.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return target;
    if (errno != EINVAL && errno != ENOSYS) {
        const int err = errno;
        throw TrevokError(MsgId::WriteError, {to, std::strerror(err)});
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        const int err = errno;
        throw TrevokError(MsgId::WriteError, {to, std::strerror(err)});
    }
    ::unlink(from.c_str());
    return target;
}

QString AutoSaveStatusText()
{
    return QStringLiteral("Autosave...");
}

AutoSaver::AutoSaver(TProject& project, QObject* parent) : QObject(parent), project_(project)
{
    pool_.setMaxThreadCount(1);
    timer_.setInterval(300000);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const bool started = tick();
        if (onTimerTick)
            onTimerTick(started);
    });
}

AutoSaver::~AutoSaver()
{
    pool_.waitForDone();
}

void AutoSaver::setEnabled(bool on)
{
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void AutoSaver::setInterval(int ms)
{
    timer_.setInterval(std::clamp(ms, MinAutoSaveMs, MaxAutoSaveMs));
}

void AutoSaver::waitForWrite()
{
    pool_.waitForDone();
    // The result is delivered as a queued call; hand it over before returning.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool AutoSaver::tick()
{
    if (writing_ || held_ > 0 || !project_.Modified)
        return false;
    const QString path = BackupPath(PathFromLocal(project_.FileName));
    if (path.isEmpty() || !project_.currentBoard())
        return false;

    // The snapshot: the file must hold the view state of the current board as a save would.
    if (project_.StoreLiveState)
        project_.StoreLiveState(*project_.currentBoard());
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(EncodeLayoutFile(project_));
    const std::size_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (path == lastPath_ && hash == lastHash_ && LocalExists(path))
        return false;
    pendingHash_ = hash;

    writing_ = true;
    emit backupStarted(path);
    const std::string target = LocalPath(path);
    pool_.start([this, bytes, target, path] {
        bool ok = true;
        std::optional<TrevokError> failure;
        try {
            // The backup is the program's own file: another name of it keeps what it had.
            WriteFileAtomically(target, *bytes);
        } catch (const TrevokError& e) {
            ok = false;
            failure = e;
        } catch (const std::bad_alloc&) {
            ok = false;
            failure = TrevokError(MsgId::OutOfMemory);
        } catch (const std::exception& e) {
            ok = false;
            failure = TrevokError(MsgId::WriteError, {target, e.what()});
        }
        // Back to the GUI thread. The saver is alive here (its destructor waits for this task);
        // a call still queued when it is destroyed is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, ok, path, failure] {
                writing_ = false;
                if (ok) {
                    lastPath_ = path;
                    lastHash_ = pendingHash_;
                }
                // The reason in the language of the window; only its system part for a write
                // error, whose file name the window shows anyway.
                QString error;
                if (failure)
                    error = failure->id == MsgId::WriteError && failure->args.size() > 1
                                ? QString::fromLocal8Bit(failure->args[1].c_str())
                                : MessageQ(failure->id, failure->args);
                emit backupFinished(ok, path, error);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace trevok

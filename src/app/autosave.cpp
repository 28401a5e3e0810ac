#include "app/autosave.h"

#include "app/settings.h"
#include "document/atomicfile.h"
#include "document/layoutfile.h"
#include "document/messages.h"
#include "document/project.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace trevok
{

QString BackupPath(const QString& fileName)
{
    if (fileName.isEmpty() || fileName.endsWith(QLatin1String(".bak"), Qt::CaseInsensitive))
        return {};
    // The extension is what follows the last dot of the file name itself: not a dot of a folder,
    // nor the leading dot of a hidden file.
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot > slash + 1)
        return fileName.left(dot) + QStringLiteral(".bak");
    return fileName + QStringLiteral(".bak");
}

std::optional<BackupInfo> NewerBackup(const QString& fileName)
{
    const QString backup = BackupPath(fileName);
    if (backup.isEmpty())
        return std::nullopt;
    const QFileInfo file(fileName);
    const QFileInfo bak(backup);
    if (!bak.isFile() || !file.isFile())
        return std::nullopt;
    if (bak.lastModified() <= file.lastModified())
        return std::nullopt;
    return BackupInfo{bak.absoluteFilePath(), bak.lastModified()};
}

QString AutoSaveStatusText()
{
    return QStringLiteral("Autosave...");
}

AutoSaver::AutoSaver(TProject& project, QObject* parent) : QObject(parent), project_(project)
{
    pool_.setMaxThreadCount(1);
    timer_.setInterval(300000);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
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
    if (writing_)
        return false;
    const QString path = BackupPath(QString::fromStdString(project_.FileName));
    if (path.isEmpty() || !project_.currentBoard())
        return false;

    // The snapshot: the file must hold the view state of the current board as a save would.
    if (project_.StoreLiveState)
        project_.StoreLiveState(*project_.currentBoard());
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(EncodeLayoutFile(project_));

    writing_ = true;
    emit backupStarted(path);
    const std::string target = QFile::encodeName(path).toStdString();
    pool_.start([this, bytes, target, path] {
        bool ok = true;
        QString error;
        try {
            WriteFileAtomically(target, *bytes);
        } catch (const TrevokError& e) {
            ok = false;
            error = QString::fromStdString(e.args.size() > 1 ? e.args[1] : std::string(e.what()));
        } catch (const std::exception& e) {
            ok = false;
            error = QString::fromLocal8Bit(e.what());
        }
        // Back to the GUI thread. The saver is alive here (its destructor waits for this task);
        // a call still queued when it is destroyed is dropped with it.
        QMetaObject::invokeMethod(
            this,
            [this, ok, path, error] {
                writing_ = false;
                emit backupFinished(ok, path, error);
            },
            Qt::QueuedConnection);
    });
    return true;
}

} // namespace trevok

// Backups: their names, the newer-backup check, and the background write of the autosave timer.
#include "app/autosave.h"
#include "app/settings.h"
#include "dialogs/autosavedlg.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "document/project.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

using namespace trevok;

TEST(AutoSave, BackupNameReplacesTheExtensionOfTheFileOnly)
{
    EXPECT_EQ(BackupPath("/home/u/amp.lay"), "/home/u/amp.bak");
    EXPECT_EQ(BackupPath("/home/u/amp.v2.LAY"), "/home/u/amp.v2.bak");
    EXPECT_EQ(BackupPath("/home/u.d/amp"), "/home/u.d/amp.bak") << "a dot in a folder is no extension";
    EXPECT_EQ(BackupPath("/home/u/.amp"), "/home/u/.amp.bak") << "nor the dot of a hidden file";
    EXPECT_EQ(BackupPath(""), "") << "a project without a name is not backed up";
    EXPECT_EQ(BackupPath("/home/u/amp.bak"), "");
    EXPECT_EQ(BackupPath("/home/u/amp.BAK"), "") << "a backup is never backed up again";
}

TEST(AutoSave, NamesUpToTheSystemLimitGetABackupAndKeepADeclinedOne)
{
    QTemporaryDir dir;
    // 255 bytes each: without an extension, and with two-byte letters where the cut falls.
    const QString names[] = {QString(255, QLatin1Char('n')), QString(251, QLatin1Char('e')) + ".lay",
                             QString(127, QChar(0xFC)) + QStringLiteral("u")};
    for (const QString& name : names) {
        SCOPED_TRACE(name.size());
        const QString lay = dir.filePath(name);
        const QString bak = BackupPath(lay);
        ASSERT_TRUE(bak.endsWith(".bak"));
        EXPECT_LE(LocalPath(QFileInfo(bak).fileName()).size(), 255u);
        EXPECT_EQ(QFileInfo(bak).path(), dir.path());
        {
            QFile f(bak);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << f.errorString().toStdString();
            f.write("backup");
        }
        const QString kept = KeepDeclinedBackup({bak, QDateTime::currentDateTime()});
        EXPECT_TRUE(QFileInfo::exists(kept));
        EXPECT_FALSE(QFileInfo::exists(bak));
        QFile::remove(kept);
    }
}

TEST(AutoSave, NewerBackupIsReportedOnlyWhenWrittenAfterTheFile)
{
    QTemporaryDir dir;
    const QString lay = dir.filePath("amp.lay");
    const QString bak = dir.filePath("amp.bak");
    const QDateTime earlier = QDateTime::currentDateTime().addSecs(-3600);
    const QDateTime later = QDateTime::currentDateTime().addSecs(-60);
    auto touch = [](const QString& path, const QDateTime& when, const char* content = nullptr) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write(content ? content : path.endsWith(".bak") ? "backup" : "layout");
        f.flush(); // a write flushed later would set the time again
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    };
    touch(lay, earlier);
    EXPECT_FALSE(NewerBackup(lay)) << "no backup";
    touch(bak, later);
    const auto found = NewerBackup(lay);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, bak);
    EXPECT_EQ(found->modified.toSecsSinceEpoch(), later.toSecsSinceEpoch());
    touch(bak, later, "layout");
    EXPECT_FALSE(NewerBackup(lay)) << "the same content as the file is nothing to recover";
    touch(bak, later, "backup");
    touch(lay, QDateTime::currentDateTime());
    EXPECT_FALSE(NewerBackup(lay)) << "the file was saved after the backup";
    EXPECT_TRUE(QFile::exists(bak)) << "never deleted";
    EXPECT_FALSE(NewerBackup(bak)) << "a backup has no backup";
}

TEST(AutoSave, SixtyMinutesAreStoredAs3600000)
{
    TAutoSaveDlg dlg;
    dlg.setValues(true, 300000);
    dlg.findChild<QSpinBox*>("SE_Zyklus")->setValue(60);
    Settings s;
    s.autoSaveTime = dlg.intervalMs();
    IniFile ini;
    WriteSettings(ini, s);
    EXPECT_EQ(ini.readString("Optionen", "AutoSaveTime"), "3600000");

    TProject project;
    AutoSaver saver(project);
    saver.setInterval(dlg.intervalMs());
    EXPECT_EQ(saver.interval(), 3600000);
    saver.setInterval(0);
    EXPECT_EQ(saver.interval(), MinAutoSaveMs);
}

namespace
{

QSemaphore gWriteStarted;
QSemaphore gWriteMayGo;

ssize_t slowWrite(int fd, const void* data, size_t size)
{
    gWriteStarted.release();
    gWriteMayGo.acquire();
    return ::write(fd, data, size);
}

struct AutoSaverTest : ::testing::Test {
    QTemporaryDir dir;
    TProject project;

    void SetUp() override
    {
        startNewProject(project, 0);
        project.currentBoard()->BoardWidth = 12300;
        project.currentBoard()->Elements.push_back(NewPad({1000, -1000}, 90, 1, 1, 30));
        project.Info.Title = "Verstärker";
        project.FileName = dir.filePath("amp.lay").toStdString();
        project.Modified = true;
    }
    void TearDown() override { RestoreAtomicFileCalls(); }
};

} // namespace

TEST_F(AutoSaverTest, TickReturnsAtOnceAndTheBackupAppearsComplete)
{
    AutoSaver saver(project);
    QSignalSpy started(&saver, &AutoSaver::backupStarted);
    QSignalSpy finished(&saver, &AutoSaver::backupFinished);
    CurrentAtomicFileCalls().write = slowWrite;

    ASSERT_TRUE(saver.tick());
    // The write is held on the worker thread: the GUI thread is already back here.
    ASSERT_TRUE(gWriteStarted.tryAcquire(1, 10000));
    EXPECT_TRUE(saver.isWriting());
    EXPECT_FALSE(saver.tick()) << "no second backup while one is being written";
    EXPECT_EQ(started.count(), 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("amp.bak"))) << "nothing half-written under the name";

    // A change after the snapshot does not reach this backup.
    project.currentBoard()->BoardWidth = 5000;
    gWriteMayGo.release(1000);
    saver.waitForWrite();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.at(0).at(0).toBool()) << finished.at(0).at(2).toString().toStdString();
    EXPECT_EQ(finished.at(0).at(1).toString(), dir.filePath("amp.bak"));
    EXPECT_FALSE(saver.isWriting());

    TProject back;
    ReadLayoutFile(back, dir.filePath("amp.bak").toStdString(), false, 0);
    ASSERT_EQ(back.Boards.size(), 1u);
    EXPECT_EQ(back.Boards[0]->BoardWidth, 12300);
    EXPECT_EQ(back.Boards[0]->Elements.size(), 1u);
    EXPECT_EQ(back.Info.Title, "Verstärker");
    EXPECT_EQ(project.FileName, dir.filePath("amp.lay").toStdString()) << "the file name stays";
    EXPECT_TRUE(project.Modified) << "a backup is no save";
    gWriteMayGo.acquire(gWriteMayGo.available());
    gWriteStarted.acquire(gWriteStarted.available());
}

TEST_F(AutoSaverTest, NothingIsWrittenWithoutAFileNameOrForABackup)
{
    AutoSaver saver(project);
    project.FileName.clear();
    EXPECT_FALSE(saver.tick());
    project.FileName = dir.filePath("amp.BAK").toStdString();
    EXPECT_FALSE(saver.tick());
    saver.waitForWrite();
    EXPECT_TRUE(dir.isValid());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(AutoSaverTest, AFailedWriteIsReportedAndKeepsTheOldBackup)
{
    {
        QFile old(dir.filePath("amp.bak"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous backup");
    }
    CurrentAtomicFileCalls().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    AutoSaver saver(project);
    QSignalSpy finished(&saver, &AutoSaver::backupFinished);
    ASSERT_TRUE(saver.tick());
    saver.waitForWrite();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished.at(0).at(0).toBool());
    EXPECT_FALSE(finished.at(0).at(2).toString().isEmpty());
    QFile old(dir.filePath("amp.bak"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "previous backup");
}

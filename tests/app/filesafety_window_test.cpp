// The window keeps the user's work: the recovery question with autosave running, a backup that
// cannot be written, files changed by another program, hard links, names that are not UTF-8, and
// running out of memory in a command.
#include "app/autosave.h"
#include "app/mainwindow.h"
#include "document/atomicfile.h"
#include "document/filenames.h"
#include "document/layoutfile.h"
#include "document/undo.h"
#include "view/texts.h"
#include "windowtest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <unistd.h>

using namespace trevok;

namespace
{

class FileSafety : public WindowTest
{
  protected:
    void TearDown() override
    {
        RestoreAtomicFileCalls();
        if (window) {
            window->autoSaver().onTimerTick = nullptr;
            window->autoSaver().setEnabled(false);
            window->autoSaver().waitForWrite();
        }
        WindowTest::TearDown();
    }

    /// A layout file whose first board holds `pads` pads.
    QString writeLayout(const QString& file, int pads)
    {
        TProject p;
        NewBoard(p, "Erste");
        for (int i = 0; i < pads; ++i)
            p.Boards[0]->Elements.push_back(NewPad({1000 + 300 * i, -1000}, 90, ShapeRound, LayerK2, 30));
        ShowBoard(p, 0);
        WriteLayoutFile(p, LocalPath(file));
        return file;
    }
    void setModified(const QString& file, int secondsAgo)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                  QFileDevice::FileModificationTime));
    }
    void addPad()
    {
        PushUndo(window->project());
        window->project().currentBoard()->Elements.push_back(
            NewPad({500, -500}, 90, ShapeRound, LayerK2, 30));
    }
    std::size_t padsOf(const QString& file)
    {
        TProject p;
        ReadLayoutFile(p, LocalPath(file), false, 1);
        return p.Boards.at(0)->Elements.size();
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QString& nextFileName = shell.nextFile;
};

} // namespace

TEST_F(FileSafety, AutosaveLeavesTheOfferedBackupAloneWhileAskedAndKeepsItWhenDeclined)
{
    // The crash left a backup with three pads; the file has one.
    const QString lay = writeLayout(path("amp.lay"), 1);
    const QString bak = writeLayout(path("amp.bak"), 3);
    setModified(lay, 600);
    setModified(bak, 60);
    const QString kept = bak + QFileInfo(bak).lastModified().toString("-yyyyMMdd-HHmmss");
    AutoSaver& saver = window->autoSaver();
    saver.setIntervalUnchecked(20);
    saver.setEnabled(true);

    // A real modal question, left open for five ticks of the autosave timer. Meanwhile the
    // project counts as changed (the font-text conversion just before it marks it so).
    QMessageBox* openBox = nullptr;
    int ticksWhileAsked = 0;
    bool startedWhileAsked = false;
    bool startedAfter = false;
    saver.onTimerTick = [&](bool started) {
        if (!openBox) {
            startedAfter = startedAfter || started;
            return;
        }
        startedWhileAsked = startedWhileAsked || started;
        if (++ticksWhileAsked == 5)
            openBox->done(QMessageBox::No);
    };
    QString question;
    shell.onBox = [this, &question, &openBox](const ShownBox& shown) {
        if (!question.isEmpty())
            return QMessageBox::Ok;
        question = shown.text;
        addPad();
        QMessageBox box(shown.icon, shown.caption, shown.text, shown.buttons, window.get());
        openBox = &box;
        const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
        openBox = nullptr;
        return answer;
    };
    ASSERT_TRUE(window->openLayout(lay));
    EXPECT_TRUE(question.contains(QDir::toNativeSeparators(bak))) << question.toStdString();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(ticksWhileAsked, 5);
    EXPECT_FALSE(startedWhileAsked) << "no backup is written while the question is open";

    // Declined: the backup lives on under a name of its own time, which the message names.
    EXPECT_TRUE(boxes[1].text.contains(QDir::toNativeSeparators(kept))) << boxes[1].text.toStdString();
    ASSERT_TRUE(QFile::exists(kept)) << files().join(", ").toStdString();
    EXPECT_EQ(padsOf(kept), 3u);

    // Autosave goes on, into ".bak", and leaves the kept copy alone.
    ASSERT_TRUE(QTest::qWaitFor([&] { return startedAfter; }, 60000)); // bounds only a hang
    saver.waitForWrite();
    ASSERT_TRUE(QFile::exists(bak));
    EXPECT_EQ(padsOf(bak), 2u) << "the opened file and the pad added since";
    EXPECT_EQ(padsOf(kept), 3u);
}

TEST_F(FileSafety, RestoringABackupKeepsTheLayoutNameAndNeedsASave)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    const QString bak = writeLayout(path("amp.bak"), 3);
    setModified(lay, 600);
    answers = {QMessageBox::Yes};
    ASSERT_TRUE(window->openLayout(lay));
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 3u);
    EXPECT_EQ(window->windowTitle(), "Trevok 4.0 - [" + lay + "]*"); // restored, not saved
    EXPECT_TRUE(window->project().Modified);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].text.contains("restored")) << boxes[1].text.toStdString();
    EXPECT_TRUE(boxes[1].text.contains(QDir::toNativeSeparators(lay)));

    ASSERT_TRUE(window->fileSave());
    EXPECT_EQ(padsOf(lay), 3u);
    EXPECT_EQ(padsOf(bak), 3u) << "the backup itself was not written";
    EXPECT_TRUE(QFile::exists(bak));
}

TEST_F(FileSafety, UnchangedWorkWritesNoBackupAndRaisesNoQuestion)
{
    // Open, save, wait, quit: no backup, so nothing is offered the next time.
    const QString lay = writeLayout(path("amp.lay"), 1);
    ASSERT_TRUE(window->openLayout(lay));
    ASSERT_TRUE(window->fileSave());
    EXPECT_FALSE(window->autoSaver().tick());
    window->autoSaver().waitForWrite();
    EXPECT_FALSE(QFile::exists(path("amp.bak")));

    // A backup of the same content as the file (taken just before a save) is not offered.
    addPad();
    ASSERT_TRUE(window->autoSaver().tick());
    window->autoSaver().waitForWrite();
    EXPECT_FALSE(window->autoSaver().tick()) << "nothing changed since that backup";
    ASSERT_TRUE(window->fileSave());
    setModified(lay, 600);
    boxes.clear();
    ASSERT_TRUE(window->openLayout(lay));
    EXPECT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
}

TEST_F(FileSafety, AFailingAutosaveIsShownInTheStatusLineAndOnceInAMessage)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    ASSERT_TRUE(window->openLayout(lay));
    CurrentAtomicFileCalls().write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        addPad();
        ASSERT_TRUE(window->autoSaver().tick()) << "tried again at the next interval";
        window->autoSaver().waitForWrite();
        EXPECT_TRUE(shell.status.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
            << shell.status.toStdString();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(path("amp.bak"))));
    RestoreAtomicFileCalls();
    addPad();
    ASSERT_TRUE(window->autoSaver().tick());
    window->autoSaver().waitForWrite();
    EXPECT_EQ(padsOf(path("amp.bak")), 4u);
}

TEST_F(FileSafety, SavingOverAFileChangedElsewhereAsksFirst)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    ASSERT_TRUE(window->openLayout(lay));
    addPad();
    // Another window saves the file in the meantime.
    writeLayout(lay, 5);

    struct Case {
        QMessageBox::StandardButton answer;
        bool saved;
        std::size_t padsInFile;
    };
    const Case cases[] = {
        {QMessageBox::Cancel, false, 5}, {QMessageBox::No, true, 5}, {QMessageBox::Yes, true, 2}};
    nextFileName = path("mine.lay");
    for (const Case& c : cases) {
        boxes.clear();
        answers = {c.answer};
        EXPECT_EQ(window->fileSave(), c.saved);
        ASSERT_FALSE(boxes.empty());
        EXPECT_TRUE(boxes[0].text.contains("changed by another program")) << boxes[0].text.toStdString();
        EXPECT_EQ(padsOf(lay), c.padsInFile);
        if (c.answer == QMessageBox::No) {
            EXPECT_EQ(padsOf(path("mine.lay")), 2u) << "saved under the other name";
            // Back to the first name for the last case; it is still changed by the other.
            window->project().FileName = LocalPath(lay);
        }
    }
    // After the save, the file is ours again: no question.
    boxes.clear();
    EXPECT_TRUE(window->fileSave());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FileSafety, AHardLinkedFileIsReplacedOnlyAfterAskingAndAProtectedOneNotAtAll)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    const QString other = path("other.lay");
    ASSERT_EQ(::link(LocalPath(lay).c_str(), LocalPath(other).c_str()), 0);
    ASSERT_TRUE(window->openLayout(lay));
    addPad();
    answers = {QMessageBox::No};
    EXPECT_FALSE(window->fileSave());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.contains("hard links")) << boxes[0].text.toStdString();
    EXPECT_EQ(padsOf(lay), 1u);
    answers = {QMessageBox::Yes};
    EXPECT_TRUE(window->fileSave());
    EXPECT_EQ(padsOf(lay), 2u);
    EXPECT_EQ(padsOf(other), 1u);
}

TEST_F(FileSafety, NamesThatAreNotUtf8OpenSaveAndBackUp)
{
    const std::string folder = LocalPath(dir.path());
    const std::string raw = folder + "/Verst\xe4rker \xff.lay"; // Latin-1 bytes, invalid as UTF-8
    const QString name = PathFromLocal(raw);
    EXPECT_EQ(LocalPath(name), raw);
    writeLayout(name, 1);
    ASSERT_TRUE(std::filesystem::exists(raw));

    window->openStartFile(name);
    ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
    EXPECT_EQ(window->project().FileName, raw);
    EXPECT_TRUE(window->windowTitle().contains(QStringLiteral("Verst\uFFFDrker \uFFFD.lay")))
        << window->windowTitle().toStdString();
    addPad();
    ASSERT_TRUE(window->autoSaver().tick());
    window->autoSaver().waitForWrite();
    EXPECT_TRUE(std::filesystem::exists(folder + "/Verst\xe4rker \xff.bak"));
    ASSERT_TRUE(window->fileSave());
    EXPECT_EQ(padsOf(name), 2u);
    int layouts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        layouts += entry.path().extension() == ".lay" ? 1 : 0;
    EXPECT_EQ(layouts, 1) << "no second file under a mangled name";
    // The temporary folder cannot remove what Qt cannot name.
    for (const char* end : {".lay", ".bak"})
        std::filesystem::remove(folder + "/Verst\xe4rker \xff" + end);
}

TEST_F(FileSafety, FileNamesSurviveTheWindowByteForByte)
{
    const std::string cases[] = {"/plain/name.lay",
                                 "/\xc3\xa4 UTF-8 \xe2\x82\xac.lay",
                                 "/latin \xe4\xf6\xfc.lay",
                                 "/cut \xe2\x82.lay",
                                 "/overlong \xc0\xaf.lay",
                                 "/surrogate \xed\xa0\x80.lay",
                                 "/astral \xf0\x9f\x98\x80 \xf8.lay"};
    for (const std::string& c : cases) {
        const QString carried = PathFromLocal(c);
        EXPECT_EQ(LocalPath(carried), c) << c;
        EXPECT_FALSE(DisplayPath(carried).contains(QChar(0xDCFF))) << c;
    }
    EXPECT_EQ(PathFromLocal("/\xc3\xa4.lay"), QStringLiteral("/\u00e4.lay")) << "valid names are plain text";
}

TEST_F(FileSafety, RunningOutOfMemoryEndsTheCommandNotTheProgram)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    const QString more = writeLayout(path("more.lay"), 2);
    ASSERT_TRUE(window->openLayout(lay));
    addPad();
    window->project().Modified = false;
    // Reload boards runs out once the boards of the file are added (the window's own hook comes
    // back for putting the view right again).
    auto hook = window->project().LoadLiveState;
    window->project().LoadLiveState = [this, hook](TBoard&) {
        window->project().LoadLiveState = hook;
        throw std::bad_alloc();
    };
    nextFileName = more;
    window->action("Platinennachladen1")->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(boxes[0].text.contains("not enough memory")) << boxes[0].text.toStdString();
    EXPECT_EQ(window->project().Boards.size(), 1u);
    EXPECT_EQ(window->boardTabs()->count(), 1);
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 2u);
    EXPECT_FALSE(window->project().Modified);

    // An edit that runs out after taking its snapshot is taken back.
    const std::size_t undoDepth = window->project().currentBoard()->UndoStack.size();
    EXPECT_FALSE(window->guardCommand([this] {
        addPad();
        window->project().currentBoard()->Elements.clear();
        throw std::bad_alloc();
    }));
    EXPECT_EQ(window->project().currentBoard()->Elements.size(), 2u);
    EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), undoDepth);
    EXPECT_FALSE(window->project().Modified);
}

TEST_F(FileSafety, AnyFailureOfACommandKeepsTheWork)
{
    const QString lay = writeLayout(path("amp.lay"), 1);
    ASSERT_TRUE(window->openLayout(lay));
    addPad();
    window->project().Modified = false;
    struct Case {
        const char* name;
        std::function<void()> fail;
        const char* shown; // part of the message
    };
    const Case cases[] = {
        {"standard exception", [] { throw std::length_error("vector::reserve"); }, "vector::reserve"},
        {"core error",
         [] {
             throw TrevokError(MsgId::ReadError, {"x.lay", "12"});
         },
         "x.lay"},
        {"anything else", [] { throw 42; }, "stopped by an error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        const std::size_t undoDepth = window->project().currentBoard()->UndoStack.size();
        EXPECT_FALSE(window->guardCommand([&] {
            addPad();
            window->project().currentBoard()->Elements.clear();
            c.fail();
        }));
        EXPECT_EQ(window->project().currentBoard()->Elements.size(), 2u);
        EXPECT_EQ(window->project().currentBoard()->UndoStack.size(), undoDepth);
        EXPECT_FALSE(window->project().Modified);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(boxes[0].text.contains(c.shown)) << boxes[0].text.toStdString();
    }
}

// Saving never destroys the previous file: killed saves, failing writes, a full disk.

#include "document/atomicfile.h"
#include "document/layoutfile.h"
#include "document/messages.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace trevok;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace
{

class AtomicFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("trevok-atomic-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        target = (dir / "board.lay").string();
    }
    void TearDown() override
    {
        RestoreAtomicFileCalls();
        fs::remove_all(dir);
    }
    /// Files in the folder other than the target: left-over temporaries.
    int strayFiles() const
    {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir))
            n += e.path().filename() != "board.lay" ? 1 : 0;
        return n;
    }
    fs::path dir;
    std::string target;
};

/// A layout of many elements, so that saving it takes a while.
Bytes bigLayout(int elements)
{
    TProject p;
    auto b = std::make_unique<TBoard>();
    for (int i = 0; i < elements; ++i) {
        auto t = NewTrack(30, i % 2 ? LayerK1 : LayerK2);
        for (int k = 0; k < 4; ++k)
            AddPoint(*t, {i + k * 100, -i - k});
        t->Groups = {i / 10 + 1};
        b->Elements.push_back(std::move(t));
    }
    p.Boards.push_back(std::move(b));
    p.Current = 0;
    return EncodeLayoutFile(p);
}

Bytes smallLayout()
{
    TProject p;
    p.Boards.push_back(std::make_unique<TBoard>());
    p.Boards[0]->Name = "old";
    p.Current = 0;
    return EncodeLayoutFile(p);
}

// Injected failures. Plain functions: the seam takes function pointers.
std::size_t writeLimit = 0;
std::size_t writtenSoFar = 0;
ssize_t limitedWrite(int fd, const void* buffer, size_t size)
{
    if (writtenSoFar >= writeLimit) {
        errno = ENOSPC;
        return -1;
    }
    size = std::min(size, writeLimit - writtenSoFar);
    const ssize_t w = ::write(fd, buffer, size);
    if (w > 0)
        writtenSoFar += static_cast<std::size_t>(w);
    return w;
}
ssize_t dribbleWrite(int fd, const void* buffer, size_t size)
{
    return ::write(fd, buffer, std::min<size_t>(size, 777));
}
ssize_t zeroWrite(int, const void*, size_t)
{
    return 0;
}
int failingFsync(int)
{
    errno = EIO;
    return -1;
}
int failingFolderFsync(int fd)
{
    struct stat st {
    };
    ::fstat(fd, &st);
    if (S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return ::fsync(fd);
}
int failingRename(const char*, const char*)
{
    errno = EXDEV;
    return -1;
}
// A save killed at a chosen point: every call through the seam counts, and the one numbered
// killAt kills the process before it is made. Writes go in chunks, so kills also fall between
// parts of the content.
int callsMade = 0;
int killAt = -1;
std::size_t writeChunk = 777;
void countCall()
{
    if (callsMade++ == killAt)
        ::raise(SIGKILL);
}
ssize_t killableWrite(int fd, const void* buffer, size_t size)
{
    countCall();
    return ::write(fd, buffer, std::min(size, writeChunk));
}
int killableFsync(int fd)
{
    countCall();
    return ::fsync(fd);
}
int killableRename(const char* from, const char* to)
{
    countCall();
    return ::rename(from, to);
}
int killableFchown(int fd, uid_t owner, gid_t group)
{
    countCall();
    return ::fchown(fd, owner, group);
}
void useKillableCalls(int at)
{
    callsMade = 0;
    killAt = at;
    AtomicFileCalls& c = CurrentAtomicFileCalls();
    c.write = killableWrite;
    c.fsync = killableFsync;
    c.rename = killableRename;
    c.fchown = killableFchown;
}

} // namespace

TEST_F(AtomicFileTest, KilledSaveLeavesTheOldOrTheNewFile)
{
    const Bytes oldBytes = smallLayout();
    const Bytes newBytes = bigLayout(20000);
    // Both contents read as layouts; below, the target is compared with them byte by byte.
    ASSERT_FALSE(ParseLayoutFile(oldBytes, "old.lay", 0).error);
    ASSERT_FALSE(ParseLayoutFile(newBytes, "new.lay", 0).error);
    writeChunk = newBytes.size() / 40 + 1;

    // How many calls one save over an existing file makes; a save is killed before each of them
    // in turn, and once it runs to its end.
    WriteFileAtomically(target, oldBytes);
    useKillableCalls(-1);
    WriteFileAtomically(target, newBytes);
    const int calls = callsMade;
    RestoreAtomicFileCalls();
    ASSERT_GT(calls, 40) << "the content is written in chunks";

    int sawOld = 0, sawNew = 0;
    for (int at = 0; at <= calls; ++at) {
        SCOPED_TRACE("killed before call " + std::to_string(at) + " of " + std::to_string(calls));
        if (ReadWholeFile(target) != oldBytes)
            WriteFileAtomically(target, oldBytes);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            useKillableCalls(at);
            try {
                WriteFileAtomically(target, newBytes);
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (at < calls) {
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save itself failed";
        }

        const Bytes now = ReadWholeFile(target);
        const bool isOld = now == oldBytes;
        const bool isNew = now == newBytes;
        ASSERT_TRUE(isOld || isNew) << now.size() << " bytes";
        // Once a kill leaves the new file, every later one does: the replacement is one step.
        ASSERT_FALSE(isOld && sawNew > 0);
        sawOld += isOld;
        sawNew += isNew;
        // A killed save may leave its temporary behind; it never takes the target's name.
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename() != "board.lay")
                fs::remove(e.path());
    }
    // Both outcomes occurred, so kills fell before and after the replacement.
    RecordProperty("old", sawOld);
    RecordProperty("new", sawNew);
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST_F(AtomicFileTest, FailuresKeepTheOldFileAndRemoveTheTemporary)
{
    const Bytes oldBytes = smallLayout();
    const Bytes newBytes = bigLayout(2000);
    WriteFileAtomically(target, oldBytes);

    struct Case {
        const char* what;
        void (*inject)();
        int err;
    };
    const Case cases[] = {
        {"disk full after some bytes",
         [] {
             writeLimit = 5000;
             writtenSoFar = 0;
             CurrentAtomicFileCalls().write = limitedWrite;
         },
         ENOSPC},
        {"disk full at once",
         [] {
             writeLimit = 0;
             writtenSoFar = 0;
             CurrentAtomicFileCalls().write = limitedWrite;
         },
         ENOSPC},
        {"write makes no progress", [] { CurrentAtomicFileCalls().write = zeroWrite; }, ENOSPC},
        {"flush fails", [] { CurrentAtomicFileCalls().fsync = failingFsync; }, EIO},
        {"rename refused", [] { CurrentAtomicFileCalls().rename = failingRename; }, EXDEV},
    };
    for (const Case& c : cases) {
        c.inject();
        try {
            WriteFileAtomically(target, newBytes);
            ADD_FAILURE() << c.what << ": reported as success";
        } catch (const TrevokError& e) {
            EXPECT_EQ(e.id, MsgId::WriteError) << c.what;
            ASSERT_EQ(e.args.size(), 2u);
            EXPECT_EQ(e.args[0], target);
            EXPECT_EQ(e.args[1], std::strerror(c.err)) << c.what;
        }
        RestoreAtomicFileCalls();
        EXPECT_EQ(ReadWholeFile(target), oldBytes) << c.what;
        EXPECT_EQ(strayFiles(), 0) << c.what;
    }

    // Short writes are continued, not mistaken for failures.
    CurrentAtomicFileCalls().write = dribbleWrite;
    WriteFileAtomically(target, newBytes);
    EXPECT_EQ(ReadWholeFile(target), newBytes);

    // When only the folder cannot be flushed the new content is in place, but the save is not
    // reported as done.
    RestoreAtomicFileCalls();
    CurrentAtomicFileCalls().fsync = failingFolderFsync;
    EXPECT_THROW(WriteFileAtomically(target, oldBytes), TrevokError);
    EXPECT_EQ(ReadWholeFile(target), oldBytes);
    EXPECT_EQ(strayFiles(), 0);
}

TEST_F(AtomicFileTest, RealFileSizeLimitActsLikeAFullDisk)
{
    const Bytes oldBytes = smallLayout();
    WriteFileAtomically(target, oldBytes);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The kernel refuses to grow any file beyond 4 KiB in this process.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteFileAtomically(target, bigLayout(3000));
        } catch (const TrevokError& e) {
            ::_exit(e.id == MsgId::WriteError ? 0 : 3);
        }
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: wrong error, 4: reported as success";
    EXPECT_EQ(ReadWholeFile(target), oldBytes);
    EXPECT_EQ(strayFiles(), 0);
}

TEST_F(AtomicFileTest, KeepsPermissionsAndWritesThroughLinks)
{
    WriteFileAtomically(target, Bytes{1, 2, 3});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = dir / "link.lay";
    fs::create_symlink(target, link);
    WriteFileAtomically(link.string(), Bytes{4, 5});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), (Bytes{4, 5}));
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_THROW(WriteFileAtomically((dir / "missing" / "x.lay").string(), Bytes{1}), TrevokError);
    EXPECT_THROW(WriteFileAtomically(dir.string(), Bytes{1}), TrevokError);
    try {
        ReadWholeFile((dir / "missing.lay").string());
        ADD_FAILURE();
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::FileNotFound);
    }
    try {
        ReadWholeFile(dir.string());
        ADD_FAILURE();
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::ReadError);
    }
}

TEST_F(AtomicFileTest, AWriteProtectedFileIsNotReplaced)
{
    // The folder is open to everybody, the file only to its owner: a rename would replace it,
    // but the user could not write the file itself. Root may write anything, so the save runs
    // as an ordinary user.
    WriteFileAtomically(target, Bytes{1, 2, 3});
    fs::permissions(dir, fs::perms::all);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && ::setuid(65534) != 0)
            ::_exit(5);
        try {
            WriteFileAtomically(target, Bytes{9});
        } catch (const TrevokError& e) {
            ::_exit(e.id == MsgId::WriteProtected && e.args == std::vector<std::string>{target} ? 0 : 3);
        }
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: wrong error, 4: replaced, 5: could not drop root";
    EXPECT_EQ(ReadWholeFile(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(strayFiles(), 0);
}

TEST_F(AtomicFileTest, KeepsOwnerAndGroupWhereAllowed)
{
    WriteFileAtomically(target, Bytes{1});
    struct stat before {
    };
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    // Only a privileged process may give a file to someone else; elsewhere the request to keep
    // owner and group must at least be made with the file's ids.
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 8765), 0);
    }
    static uid_t askedOwner;
    static gid_t askedGroup;
    askedOwner = askedGroup = 0;
    CurrentAtomicFileCalls().fchown = [](int fd, uid_t u, gid_t g) {
        askedOwner = u;
        askedGroup = g;
        return ::fchown(fd, u, g);
    };
    WriteFileAtomically(target, Bytes{2});
    struct stat after {
    };
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(askedOwner, root ? 4321u : before.st_uid);
    EXPECT_EQ(askedGroup, root ? 8765u : before.st_gid);
    if (root) {
        EXPECT_EQ(after.st_uid, 4321u);
        EXPECT_EQ(after.st_gid, 8765u);
    }
    EXPECT_EQ(ReadWholeFile(target), Bytes{2});
}

TEST_F(AtomicFileTest, AHardLinkedFileIsReplacedOnlyWhenAllowed)
{
    WriteFileAtomically(target, Bytes{1});
    const fs::path other = dir / "other-name.lay";
    fs::create_hard_link(target, other);
    try {
        WriteFileAtomically(target, Bytes{2}, {.refuseHardLinked = true});
        ADD_FAILURE() << "replaced without asking";
    } catch (const TrevokError& e) {
        EXPECT_EQ(e.id, MsgId::HardLinked);
        EXPECT_EQ(e.args, (std::vector<std::string>{target, "2"}));
    }
    EXPECT_EQ(ReadWholeFile(target), Bytes{1});
    WriteFileAtomically(target, Bytes{2});
    EXPECT_EQ(ReadWholeFile(target), Bytes{2});
    EXPECT_EQ(ReadWholeFile(other.string()), Bytes{1}) << "the other name keeps the old content";
}

TEST_F(AtomicFileTest, StaleTemporariesOfTheTargetAreRemovedOnTheNextSave)
{
    // A process id that surely is gone: a child that has ended.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string deadPid = std::to_string(gone);
    const std::string livePid = std::to_string(::getpid());
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(30);
    struct File {
        std::string name;
        bool aged;
        bool removed;
    };
    const File files[] = {
        {".board.lay.trevok-" + deadPid + "-3-123456.tmp", true, true},
        {".board.lay.trevok-" + deadPid + "-4-77.tmp", false, false}, // young: a save may run
        {".board.lay.trevok-" + livePid + "-5-88.tmp", true, false},  // its process lives
        {".other.lay.trevok-" + deadPid + "-6-99.tmp", true, false},  // another target's
        {".board.lay.trevok-" + deadPid + "-x-99.tmp", true, false},  // not our pattern
        {".board.lay.mine.tmp", true, false},                         // a stranger's file
        {"board.lay.trevok-" + deadPid + "-7-1.tmp", true, false},    // not hidden
    };
    for (const File& f : files) {
        std::FILE* out = std::fopen((dir / f.name).c_str(), "w");
        ASSERT_NE(out, nullptr);
        std::fclose(out);
        if (f.aged)
            fs::last_write_time(dir / f.name, old);
    }
    WriteFileAtomically(target, Bytes{1});
    for (const File& f : files)
        EXPECT_EQ(!fs::exists(dir / f.name), f.removed) << f.name;
    EXPECT_EQ(ReadWholeFile(target), Bytes{1});
    long pid = 0;
    EXPECT_TRUE(IsOwnTemporary("board.lay", files[0].name, &pid));
    EXPECT_EQ(pid, gone);
}

namespace
{
int renamesAllowed = 0;
int renameAfterSome(const char* from, const char* to)
{
    if (renamesAllowed-- > 0)
        return ::rename(from, to);
    errno = EXDEV;
    return -1;
}
} // namespace

TEST_F(AtomicFileTest, ASetOfFilesIsReplacedWholeOrNotAtAll)
{
    const std::string names[] = {"board.GTL", "board.GBL", "board.DRL"};
    const std::string oldContent[] = {"old top", "old bottom", ""}; // the drill file is new
    const std::string newContent[] = {std::string(3000, 't'), std::string(3000, 'b'), std::string(3000, 'd')};
    auto reset = [&] {
        for (const auto& e : fs::directory_iterator(dir))
            fs::remove(e.path());
        for (int i = 0; i < 2; ++i) {
            const std::string& s = oldContent[i];
            WriteFileAtomically((dir / names[i]).string(), Bytes(s.begin(), s.end()));
        }
    };
    std::vector<FileToWrite> set;
    for (int i = 0; i < 3; ++i)
        set.push_back({(dir / names[i]).string(),
                       {reinterpret_cast<const std::uint8_t*>(newContent[i].data()), newContent[i].size()}});

    struct Case {
        const char* what;
        void (*inject)();
        const char* failing; // the file the message names
    };
    const Case cases[] = {
        {"disk full in the second file",
         [] {
             writeLimit = 4000;
             writtenSoFar = 0;
             CurrentAtomicFileCalls().write = limitedWrite;
         },
         "board.GBL"},
        {"disk full in the last file",
         [] {
             writeLimit = 7000;
             writtenSoFar = 0;
             CurrentAtomicFileCalls().write = limitedWrite;
         },
         "board.DRL"},
        {"second rename refused",
         [] {
             renamesAllowed = 1;
             CurrentAtomicFileCalls().rename = renameAfterSome;
         },
         "board.GBL"},
        {"last rename refused",
         [] {
             renamesAllowed = 2;
             CurrentAtomicFileCalls().rename = renameAfterSome;
         },
         "board.DRL"},
    };
    for (const Case& c : cases) {
        reset();
        c.inject();
        try {
            WriteFilesAtomically(set);
            ADD_FAILURE() << c.what << ": reported as success";
        } catch (const TrevokError& e) {
            EXPECT_EQ(e.id, MsgId::WriteError) << c.what;
            EXPECT_EQ(e.args.at(0), (dir / c.failing).string()) << c.what;
        }
        RestoreAtomicFileCalls();
        int files = 0;
        for (const auto& entry : fs::directory_iterator(dir)) {
            ++files;
            EXPECT_NE(entry.path().filename().string()[0], '.') << c.what << ": left " << entry.path();
        }
        EXPECT_EQ(files, 2) << c.what << ": the new drill file must not appear";
        for (int i = 0; i < 2; ++i) {
            const Bytes b = ReadWholeFile((dir / names[i]).string());
            EXPECT_EQ(std::string(b.begin(), b.end()), oldContent[i]) << c.what << " " << names[i];
        }
    }

    reset();
    WriteFilesAtomically(set);
    for (int i = 0; i < 3; ++i) {
        const Bytes b = ReadWholeFile((dir / names[i]).string());
        EXPECT_EQ(std::string(b.begin(), b.end()), newContent[i]) << names[i];
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST_F(AtomicFileTest, NamesUpToTheSystemLimitCanBeWritten)
{
    // "ü" takes two bytes: the temporary's shortened name must not cut it in half.
    const std::string longest(251, 'n');
    const std::string names[] = {longest.substr(0, 226) + ".lay", longest + ".lay",
                                 std::string(209, 'x') + "\xC3\xBC\xC3\xBC" + std::string(38, 'y') + ".lay"};
    for (const std::string& name : names) {
        const std::string path = (dir / name).string();
        WriteFileAtomically(path, Bytes{1, 2});
        WriteFileAtomically(path, Bytes{3}); // replacing, too
        const std::string second = (dir / ("b" + name.substr(1))).string();
        const Bytes four{4}, five{5};
        const std::vector<FileToWrite> set{{path, four}, {second, five}};
        WriteFilesAtomically(set);
        EXPECT_EQ(ReadWholeFile(path), Bytes{4}) << name.size();
        EXPECT_EQ(ReadWholeFile(second), Bytes{5}) << name.size();
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2) << name.size();
        fs::remove(path);
        fs::remove(second);
    }
}

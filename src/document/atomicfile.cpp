#include "document/atomicfile.h"

#include "document/messages.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace trevok
{
namespace
{

AtomicFileCalls systemCalls() noexcept
{
    return AtomicFileCalls{::write, ::fsync, ::rename, ::fchown};
}

AtomicFileCalls& calls() noexcept
{
    static AtomicFileCalls current = systemCalls();
    return current;
}

constexpr off_t MaxReadSize = off_t(1) << 30;

[[noreturn]] void throwRead(const std::string& path, int err)
{
    throw TrevokError(MsgId::ReadError, {path, std::strerror(err)});
}

[[noreturn]] void throwWrite(const std::string& path, int err)
{
    throw TrevokError(MsgId::WriteError, {path, std::strerror(err)});
}

/// Closes a descriptor on every path out of a scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int release() noexcept
    {
        const int f = fd;
        fd = -1;
        return f;
    }
};

constexpr const char* TempMark = "trevok-";
constexpr const char* TempEnd = ".tmp";
/// Left-over temporaries younger than this may belong to a save that is still running on
/// another machine sharing the folder; they are left alone.
constexpr auto StaleAge = std::chrono::hours(24);

/// A file name may have at most this many bytes on the file systems we write to.
constexpr std::size_t MaxNameBytes = 255;
/// The longest part of a temporary name that is not the target's name:
/// "." "." "trevok-" pid(10) "-" counter(10) "-" ticks(6) ".tmp".
constexpr std::size_t TempOverhead = 1 + 1 + 7 + 10 + 1 + 10 + 1 + 6 + 4;

/// The target's name as it appears in its temporaries: whole when the temporary name stays
/// within the file system's limit, else cut (at a character boundary of UTF-8) so that it does.
std::string temporaryStem(const std::string& targetName)
{
    constexpr std::size_t maxStem = MaxNameBytes - TempOverhead;
    if (targetName.size() <= maxStem)
        return targetName;
    std::size_t cut = maxStem;
    while (cut > 0 && (static_cast<unsigned char>(targetName[cut]) & 0xC0) == 0x80)
        --cut;
    return targetName.substr(0, cut);
}

/// A name for the temporary file beside the target that no other save uses at the same time:
/// hidden, marked as ours, with the process id and a counter, so that a left-over one (after a
/// kill) is recognisable and never collides with a later save.
std::string temporaryName(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = "." + temporaryStem(target.filename().string()) + "." + TempMark +
                       std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                       std::to_string(ticks % 1000000) + TempEnd;
    return (target.parent_path() / name).string();
}

bool allDigits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

/// Removes temporaries of earlier saves of target that were killed: ours by name, older than a
/// day, a plain file, and their process gone. Anything else in the folder is left alone, and a
/// failure here never stops the save.
void removeStaleTemporaries(const std::filesystem::path& target) noexcept
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string targetName = target.filename().string();
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsOwnTemporary(targetName, name))
            continue;
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc) || it->is_symlink(fileEc))
            continue;
        const auto modified = it->last_write_time(fileEc);
        if (fileEc || now - modified < StaleAge)
            continue;
        fs::remove(it->path(), fileEc);
    }
}

/// Whether the process could write the existing file itself (not only replace it through the
/// folder). Checked with the effective ids, as the open of an editor writing in place would be.
bool writableInPlace(const std::filesystem::path& target)
{
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0 || errno != EACCES;
}

bool writeAll(int fd, const std::uint8_t* p, std::size_t n, int& err)
{
    while (n > 0) {
        const ssize_t w = calls().write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (w == 0) {
            err = ENOSPC;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace

AtomicFileCalls& CurrentAtomicFileCalls() noexcept
{
    return calls();
}
void RestoreAtomicFileCalls() noexcept
{
    calls() = systemCalls();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path)
{
    Descriptor in;
    in.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw TrevokError(MsgId::FileNotFound, {path});
        throwRead(path, errno);
    }
    struct stat st {
    };
    if (::fstat(in.fd, &st) != 0)
        throwRead(path, errno);
    if (S_ISDIR(st.st_mode))
        throwRead(path, EISDIR);
    if (st.st_size > MaxReadSize)
        throwRead(path, EFBIG);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0));
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            // The file may have grown since fstat (or be a pipe); read on in steps.
            if (static_cast<off_t>(data.size()) >= MaxReadSize)
                throwRead(path, EFBIG);
            data.resize(data.size() + 65536);
        }
        const ssize_t r = ::read(in.fd, data.data() + used, data.size() - used);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            throwRead(path, errno);
        }
        if (r == 0)
            break;
        used += static_cast<std::size_t>(r);
    }
    data.resize(used);
    return data;
}

bool IsOwnTemporary(const std::string& targetName, const std::string& fileName, long* pid)
{
    // ".<target>.trevok-<pid>-<counter>-<ticks>.tmp"
    const std::string prefix = "." + temporaryStem(targetName) + "." + TempMark;
    if (fileName.size() <= prefix.size() + 4 || fileName.compare(0, prefix.size(), prefix) != 0 ||
        !fileName.ends_with(TempEnd))
        return false;
    std::string_view rest(fileName);
    rest = rest.substr(prefix.size(), rest.size() - prefix.size() - std::strlen(TempEnd));
    std::string_view parts[3];
    for (int i = 0; i < 3; ++i) {
        const auto dash = rest.find('-');
        parts[i] = rest.substr(0, dash);
        if (!allDigits(parts[i]) || (i < 2) == (dash == std::string_view::npos))
            return false;
        rest = dash == std::string_view::npos ? std::string_view{} : rest.substr(dash + 1);
    }
    if (parts[0].size() > 9)
        return false;
    const long owner = std::stol(std::string(parts[0]));
    if (pid)
        *pid = owner;
    // A process of that id still running may be the save itself (or a stranger that got the id
    // later): keep the file then.
    return owner > 0 && ::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH;
}

std::optional<FileStamp> StampOf(const std::string& path)
{
    struct stat st {
    };
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                     static_cast<long long>(st.st_size), static_cast<unsigned long long>(st.st_ino)};
}

namespace
{

/// A new content written and flushed under a temporary name beside its target, not yet in place.
struct Staged {
    std::string path; // as the caller named it, for messages
    std::filesystem::path target;
    std::string temp;
    bool existed = false;
};

/// The first half of an atomic write: everything but the rename. Throws like
/// WriteFileAtomically, with the temporary removed.
Staged stage(const std::string& path, std::span<const std::uint8_t> data, const WriteOptions& options)
{
    namespace fs = std::filesystem;
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    if (target.filename().empty())
        throwWrite(path, EISDIR);
    if (!target.has_parent_path())
        target = fs::path(".") / target;

    struct stat old {
    };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode))
        throwWrite(path, EISDIR);
    if (exists && !writableInPlace(target))
        throw TrevokError(MsgId::WriteProtected, {path});
    if (exists && options.refuseHardLinked && old.st_nlink > 1)
        throw TrevokError(MsgId::HardLinked, {path, std::to_string(old.st_nlink)});
    removeStaleTemporaries(target);

    std::string temp;
    Descriptor out;
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
        temp = temporaryName(target);
        out.fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (out.fd < 0 && errno != EEXIST)
            throwWrite(path, errno);
    }
    if (out.fd < 0)
        throwWrite(path, EEXIST);

    // Some file systems have no permission bits or owners, and only a privileged process may
    // give a file away; the save is not worse when this fails. The owner goes first: changing it
    // clears the set-id bits, which the mode then restores.
    if (exists) {
        if (calls().fchown(out.fd, old.st_uid, old.st_gid) != 0)
            (void)calls().fchown(out.fd, static_cast<uid_t>(-1), old.st_gid);
        (void)::fchmod(out.fd, old.st_mode & 07777);
    }
    int err = 0;
    bool ok = writeAll(out.fd, data.data(), data.size(), err);
    if (ok && calls().fsync(out.fd) != 0) {
        err = errno;
        ok = false;
    }
    if (ok) {
        const int fd = out.release();
        if (::close(fd) != 0) {
            err = errno;
            ok = false;
        }
    }
    if (!ok) {
        if (out.fd >= 0)
            ::close(out.release());
        ::unlink(temp.c_str());
        throwWrite(path, err);
    }
    return Staged{path, target, temp, exists};
}

/// The rename is durable only once the folder entry is on the disk.
void flushFolder(const std::filesystem::path& folderPath, const std::string& path)
{
    Descriptor folder;
    folder.fd = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0)
        throwWrite(path, errno);
    // EINVAL: the file system cannot flush folders (some network file systems); nothing to do.
    if (calls().fsync(folder.fd) != 0 && errno != EINVAL)
        throwWrite(path, errno);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         const WriteOptions& options)
{
    const Staged s = stage(path, data, options);
    if (calls().rename(s.temp.c_str(), s.target.c_str()) != 0) {
        const int err = errno;
        ::unlink(s.temp.c_str());
        throwWrite(path, err);
    }
    flushFolder(s.target.parent_path(), path);
}

void WriteFilesAtomically(std::span<const FileToWrite> files)
{
    std::vector<Staged> staged;
    staged.reserve(files.size());
    auto removeTemporaries = [&staged](std::size_t from) {
        for (std::size_t i = from; i < staged.size(); ++i)
            ::unlink(staged[i].temp.c_str());
    };
    try {
        for (const FileToWrite& f : files)
            staged.push_back(stage(f.path, f.data, {}));
    } catch (...) {
        removeTemporaries(0);
        throw;
    }

    // Every old file gets a second name first, so that a rename refused half-way can put back
    // what the earlier renames replaced. Where the file system has no hard links the old file
    // cannot be kept that way; the set is then still written, only without that way back.
    std::vector<std::string> keep(staged.size());
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (!staged[i].existed)
            continue;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = temporaryName(staged[i].target);
            if (::link(staged[i].target.c_str(), name.c_str()) == 0) {
                keep[i] = name;
                break;
            }
            if (errno != EEXIST)
                break;
        }
    }
    auto dropKept = [&keep] {
        for (const std::string& k : keep)
            if (!k.empty())
                ::unlink(k.c_str());
    };

    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (calls().rename(staged[i].temp.c_str(), staged[i].target.c_str()) == 0)
            continue;
        const int err = errno;
        for (std::size_t j = 0; j < i; ++j) {
            if (!keep[j].empty()) {
                if (::rename(keep[j].c_str(), staged[j].target.c_str()) == 0)
                    keep[j].clear();
            } else if (!staged[j].existed) {
                ::unlink(staged[j].target.c_str());
            }
        }
        removeTemporaries(i);
        dropKept();
        throwWrite(staged[i].path, err);
    }
    dropKept();
    std::vector<std::filesystem::path> folders;
    for (const Staged& s : staged) {
        const auto folder = s.target.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
            flushFolder(folder, s.path);
        }
    }
}

} // namespace trevok

#include "document/atomicfile.h"

#include "document/messages.h"

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

/// A name for the temporary file beside the target that no other save uses at the same time:
/// hidden, marked as ours, with the process id and a counter, so that a left-over one (after a
/// kill) is recognisable and never collides with a later save.
std::string temporaryName(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = "." + target.filename().string() + "." + TempMark + std::to_string(::getpid()) + "-" +
                       std::to_string(counter++) + "-" + std::to_string(ticks % 1000000) + TempEnd;
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
    const std::string prefix = "." + targetName + "." + TempMark;
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

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         const WriteOptions& options)
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
    if (ok && calls().rename(temp.c_str(), target.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        if (out.fd >= 0)
            ::close(out.release());
        ::unlink(temp.c_str());
        throwWrite(path, err);
    }

    // The rename is durable only once the folder entry is on the disk.
    Descriptor folder;
    folder.fd = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0)
        throwWrite(path, errno);
    // EINVAL: the file system cannot flush folders (some network file systems); nothing to do.
    if (calls().fsync(folder.fd) != 0 && errno != EINVAL)
        throwWrite(path, errno);
}

} // namespace trevok

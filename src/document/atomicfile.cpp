#include "document/atomicfile.h"

#include "document/messages.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace trevok
{
namespace
{

AtomicFileCalls systemCalls() noexcept
{
    return AtomicFileCalls{::write, ::fsync, ::rename};
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

/// A name for the temporary file beside the target that no other save uses at the same time:
/// hidden, with the process id and a counter, so that a left-over one (after a kill) is
/// recognisable and never collides with a later save.
std::string temporaryName(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    const auto ticks =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) + "-" +
                       std::to_string(counter++) + "-" + std::to_string(ticks % 1000000) + ".tmp";
    return (target.parent_path() / name).string();
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

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data)
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

    // Some file systems have no permission bits; the save is not worse when this fails.
    if (exists)
        (void)::fchmod(out.fd, old.st_mode & 07777);
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
